#include "ftpentry.h"

bool FtpEntry::operator==(const FtpEntry& o) const
{
    return m_valid == o.m_valid && m_name == o.m_name && m_size == o.m_size && m_dir == o.m_dir &&
           m_file == o.m_file && m_symLink == o.m_symLink && m_lastModified == o.m_lastModified &&
           m_owner == o.m_owner && m_group == o.m_group && m_permissions == o.m_permissions;
}
