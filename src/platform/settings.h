#pragma once
// Per-user settings, kept in an INI file in the user's configuration folder.

#include <QString>

// The application title: the settings, and the program's other per-user files, are kept
// under it.
inline const QString AppTitle = QStringLiteral("QuorvaneDesktop");

// The user's configuration folder of the program (no trailing "/"), where the settings
// file, the registry and the URL history are kept.
QString ConfigFolder();

QString GetSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue = QString());
void SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value);
// Deletes one key, or the whole section when key is empty.
void DeleteSetting(const QString &appName, const QString &section, const QString &key = QString());
