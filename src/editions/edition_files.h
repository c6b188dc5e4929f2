#pragma once
// Edition database files of the program folder and its Backup folder: names made from
// edition names, names that are safe as file names, and copies that replace a file whole.
// Files are matched without regard to letter case.
//
// Every file the program copies or rewrites goes through a scratch file "<target>.part"
// beside its target, written whole and flushed to disk, and then renamed over the target
// in one step: a failure or a killed process leaves the target as it was, and a ".part"
// left by a killed process is removed at the next start. A file that replaces another
// keeps the replaced file's mode (a private edition stays private); a new file takes the
// mode of the file it is made from.

#include <QString>

// The database file of an edition name: blanks as "_" and ".mdb" added, the letters as
// typed or in lower case.
QString EditionFileName(const QString &name, bool lowerCase);

// Why name cannot become an edition whose database file is file (a name formed by
// EditionFileName): a "/", "\", "," or control character, "." or "..", a file the edition
// list cannot carry (one beginning with "*"), a file name too long for the file system, or
// the name of the template untitled.mdb. "" when the name can be used. An empty name is
// not judged here.
QString EditionNameProblem(const QString &name, const QString &file);

// True when file is a plain file name of a folder: not empty, no "/", "\" or NUL, and
// not "." or "..".
bool IsPlainFileName(const QString &file);

// The ending of the scratch file of a copy or rewrite.
inline constexpr const char *kScratchSuffix = ".part";

// Copies from into partial (replacing it) and flushes it to disk; partial gets the mode of
// the file modeOf. Answers false, removing partial, on any failure. With synced false the
// copy is left to be finished first: its caller puts it on the disk (SyncFile) after that.
bool WriteCopy(const QString &from, const QString &partial, const QString &modeOf, bool synced = true);
// Puts the finished file partial in place of target in one step. partial takes the mode
// of target when target exists, else of modeOf (when given). Answers false, removing
// partial and leaving target as it was, on any failure.
bool ReplaceFileKeepingMode(const QString &partial, const QString &target, const QString &modeOf = QString());
// Copies from over to through "<to>.part": the copy keeps the mode of the file it
// replaces, or takes from's mode when to is new. Answers false, to untouched, on failure.
bool CopyFileKeepingMode(const QString &from, const QString &to);

// Copies the file from over the file named to, as CopyFileKeepingMode does. A file of to's
// folder whose name differs from to's only in letter case is the same file to the user: it
// is replaced too, and its mode kept. Answers false, leaving the target as it was, on any
// failure.
bool CopyEditionFile(const QString &from, const QString &to);

// The file of folder named name without regard to letter case, or "" when there is none.
QString ExistingFileNoCase(const QString &folder, const QString &name);

// Why a write of bytes into folder failed, in words for a message: "the disk is full", "the
// program folder cannot be written" (app being the program folder), "the folder <path>
// cannot be written", or "" when neither is the cause.
QString WriteFailureReason(const QString &app, const QString &folder, qint64 bytes);
// "<text>: <reason>", or text alone when reason is "".
QString WithReason(const QString &text, const QString &reason);
