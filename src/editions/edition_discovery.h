#pragma once
// Brings the edition list of the program folder into line with the edition databases
// that lie in it, at every start-up.

#include <QString>
#include <QStringList>

// Rebuilds "<folder>dbnames.txt" from the ".mdb" files directly in folder (not in its
// sub-folders), in name order without regard to case. Does nothing when the folder has
// no dbnames.txt. Blanks in a database's file name become "_" (a file is never renamed
// over another one: it is then listed under its own name), the display name is derived
// from the file name, and the first file that can be opened as an edition becomes the
// active edition (the first file when none can). A file whose name the list cannot carry
// (a "," or a line break) is left out and its name added to unlisted. The new list
// replaces the old one only once it is whole. Answers false when the new list could not
// be written (the old one is then untouched).
bool RebuildEditionList(const QString &folder, QStringList *unlisted = nullptr);

// Removes what a command cut short (a killed or crashed program) left of its work in
// folder, the program folder: scratch copies ("*.part", with their journals) there and in
// its temp, export and Backup folders, the scratch list tmpdbnames.txt, the unpacking
// folders of plug-in editions ("plugin-" and six characters), and the files of temp, which
// only holds an edition while it is being created. Edition files, their journals and
// every other file stay. Run at start-up before the list is rebuilt, so nothing of this is
// ever listed.
void RemoveScratchFiles(const QString &folder);

// The message that names the files RebuildEditionList left out.
QString UnlistedEditionsMessage(const QStringList &unlisted);
