#pragma once
// Reading files the program did not write (favourites, history indexes, editions and
// backups found in a folder): only regular files are read. A FIFO, socket or device given
// a file's name would make an ordinary open or read wait for ever. Folder listings keep the
// entries that QFileInfo::isFile() accepts; the open below checks again.

#include <QFile>

// Opens file (whose name is set) for reading when it is a regular file; the open itself
// never waits. False, with the file closed, otherwise.
bool OpenRegularFile(QFile &file);
