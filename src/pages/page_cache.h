#pragma once
// The page cache: the generated Sub-Topic pages ("*.html") kept in the program folder.

#include <QString>

// Deletes every page file ("*.html") of folder (ending in "/"; by default the program
// folder); answers how many went.
int DeletePageFiles(const QString &folder = QString());

// Writes data as the file path, whole: through a file beside it that replaces the old
// one only once every byte was handed to the system, so a failed write leaves the old
// file and no reader sees half of one. For files the program makes again whenever it
// needs them: nothing waits for the data to reach the disk itself. On failure error says
// why.
bool WriteCacheFile(const QString &path, const QByteArray &data, QString *error);

// What tells the file path apart from any other version of it (which file, its size and
// time of change); empty when there is no such file.
QByteArray FileStamp(const QString &path);
