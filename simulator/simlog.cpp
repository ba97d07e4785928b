#include "simlog.h"

#include <cstdio>

namespace {
bool quietMode = false;
}

void setSimLogQuiet(bool quiet)
{
    quietMode = quiet;
}

void simSay(const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void simLog(const QString& line)
{
    if (!quietMode)
        simSay(line);
}
