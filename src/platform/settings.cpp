#include "platform/settings.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

QString keyPath(const QString &section, const QString &key)
{
    return key.isEmpty() ? section : section + QLatin1Char('/') + key;
}

} // namespace

QString ConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + AppTitle;
}

QString GetSetting(const QString &appName, const QString &section, const QString &key, const QString &defaultValue)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, appName, appName);
    return s.value(keyPath(section, key), defaultValue).toString();
}

void SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, appName, appName);
    s.setValue(keyPath(section, key), value);
}

void DeleteSetting(const QString &appName, const QString &section, const QString &key)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, appName, appName);
    s.remove(keyPath(section, key));
}
