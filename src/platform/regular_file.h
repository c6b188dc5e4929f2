#pragma once
// Reading files the program did not write (favourites, history indexes, editions and
// backups found in a folder): only regular files are read. A FIFO, socket or device given
// a file's name would make an ordinary open or read wait for ever. Folder listings keep the
// entries that QFileInfo::isFile() accepts; the open below checks again.

#include <QFile>

// Opens file (whose name is set) for reading when it is a regular file; the open itself
// never waits. False, with the file closed, otherwise.
bool OpenRegularFile(QFile &file);

// A size limit as a reader names it to the user: "64 MB", "2 GB", "4 KB" (1024-based, the
// whole units that fit).
QString SizeInWords(qint64 bytes);
