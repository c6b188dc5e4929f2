#pragma once
// Per-user settings, kept in an INI file in the user's configuration folder.

#include <QString>

QString GetSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue = QString());
void SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value);
// Deletes one key, or the whole section when key is empty.
void DeleteSetting(const QString &appName, const QString &section, const QString &key = QString());
