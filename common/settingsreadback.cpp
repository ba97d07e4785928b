#include "settingsreadback.h"

namespace settingsreadback {

QVariant value(QSettings& settings, const QString& key, const QVariant& def)
{
    QVariant out = settings.value(key, def);
    // Values read from an INI file come back as strings; keep the default's
    // type so that the caller's conversion and the written value agree.
    if (def.isValid() && out.userType() != def.userType() && out.canConvert(def.userType()))
        out.convert(def.userType());
    settings.setValue(key, out);
    return out;
}

} // namespace settingsreadback
