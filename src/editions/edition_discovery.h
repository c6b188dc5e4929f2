#pragma once
// Brings the edition list of the program folder into line with the edition databases
// that lie in it, at every start-up.

#include <QString>

// Rebuilds "<folder>dbnames.txt" from the ".mdb" files directly in folder (not in its
// sub-folders), in name order without regard to case. Does nothing when the folder has
// no dbnames.txt. Blanks in a database's file name become "_" (a file is never renamed
// over another one), the display name is derived from the file name, and the first file
// becomes the active edition. The new list replaces the old one only once it is whole.
// Answers false when the new list could not be written (the old one is then untouched).
bool RebuildEditionList(const QString &folder);
