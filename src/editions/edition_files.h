#pragma once
// Edition database files of the program folder and its Backup folder: names made from
// edition names, names that are safe as file names, and copies that replace a file whole.
// Files are matched without regard to letter case.

#include <QString>

// The database file of an edition name: blanks as "_" and ".mdb" added, the letters as
// typed or in lower case.
QString EditionFileName(const QString &name, bool lowerCase);

// True when name can become a file name of the program folder and a line of the edition
// list: it holds no "/", "\", "*", "?", "," and no control character, and is not "." or
// "..". An empty name is not judged here.
bool IsSafeEditionName(const QString &name);
// What a refused name is told.
QString UnsafeEditionNameMessage();

// Copies the file from over the file named to, through a temporary file beside it that
// takes to's place only once it is whole. A file of to's folder whose name differs from
// to's only in letter case is the same file to the user: it is replaced too. Answers false,
// leaving the target as it was, on any failure.
bool CopyEditionFile(const QString &from, const QString &to);

// The file of folder named name without regard to letter case, or "" when there is none.
QString ExistingFileNoCase(const QString &folder, const QString &name);
