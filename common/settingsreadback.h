#pragma once
// Reading a settings key so that it exists in the file afterwards: the value
// (or the default when the key is absent) is written back at once.

#include <QSettings>
#include <QString>
#include <QVariant>

namespace settingsreadback {

// Reads `key` with default `def` and writes the value read back under `key`.
QVariant value(QSettings& settings, const QString& key, const QVariant& def);

inline QString string(QSettings& s, const QString& key, const QString& def)
{
    return value(s, key, def).toString();
}
inline int integer(QSettings& s, const QString& key, int def)
{
    return value(s, key, def).toInt();
}
inline bool boolean(QSettings& s, const QString& key, bool def)
{
    return value(s, key, def).toBool();
}
inline double number(QSettings& s, const QString& key, double def)
{
    return value(s, key, def).toDouble();
}

} // namespace settingsreadback
