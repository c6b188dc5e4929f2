#pragma once
// The program folder: where the program's own files and the user's editions live.

#include <QString>

// The program folder, ending in "/": $QUORVANE_HOME when set, else the executable's folder.
QString ProgramFolder();

// The path of a file of the program folder, found without regard to letter case.
// When no such file exists, answers the folder joined with the name as given.
QString FindProgramFile(const QString &name);

// The same lookup in any folder (the folder may or may not end in "/").
QString FindFileNoCase(const QString &folder, const QString &name);
