#pragma once
// Small file, folder, shell and window routines that the windows share.
// Paths use "/" as the folder separator; folders passed in end in "/".

#include <QString>
#include <QStringList>
#include <QtGlobal>

class QWidget;

// True when path is not empty and a listing of it finds an ordinary file: no folders,
// no hidden files. The name part may hold the wildcards "*" and "?" and matches without
// regard to letter case ("*.mdb" finds "Links.MDB"). A folder that cannot be listed
// gives false.
bool FileExists(const QString &path);

// True when path, with blanks trimmed from both ends, is not empty and names a file
// longer than 0 bytes (its name matched without regard to letter case). Any failure
// gives false.
bool FileExistsNonEmpty(const QString &path);

// Creates every missing level of a folder path, from the left; a trailing "/" is
// ignored. A level that cannot be made is skipped and the next one tried. Always true.
bool CreateFolderPath(const QString &path);

// Creates the target folder when it is missing (one level) and copies every file of the
// source folder whose name matches pattern (wildcards, letter case ignored; no hidden
// files, no folders) to the same name in the target folder, replacing a file there.
// Each file is copied whole or not at all, keeping its modification time, and a file
// that could not be copied leaves the one in the target untouched. Answers the number
// of files actually copied: 0 when nothing matched or nothing could be copied.
int CopyFolderFiles(const QString &sourceFolder, const QString &targetFolder, const QString &pattern);

// Writes data as the file path, replacing an earlier file only once the whole of data is
// written; on failure the earlier file stays and error (when given) says why.
bool WriteWholeFile(const QString &path, const QByteArray &data, QString *error = nullptr);
// Writes lines to path, each ended by CR LF (UTF-8), through a temporary file that
// replaces the old file only once it is complete. Answers false (an earlier file left as
// it was) when that fails.
bool WriteCrLfFile(const QString &path, const QStringList &lines);

// Writes "<folder>/<name>.ddb", replacing any earlier one, holding one line: the
// database file with surrounding blanks trimmed, ",", the title with every "_" turned
// into a blank, ended by CR LF (UTF-8). Answers false when the file could not be
// written, in which case an earlier file is left as it was.
bool WriteEditionDescriptor(const QString &folder, const QString &name, const QString &databaseFile,
                            const QString &title);

// Opens an address or a file with the desktop's default action. Answers a value above
// 32 (42) when the desktop took the request, 2 when the target is empty, names no
// existing file and is no address, or could not be opened.
int ShellOpen(const QString &target);

// Brings to the front the first top-level window (in the window manager's client
// order) whose title, cut to 255 characters, ends with "- Notepad". Does nothing when
// there is none, and nothing where no X11 display is reachable.
void ActivateNotepad();

// Places a window that is not maximised in the middle of its screen (the whole screen,
// not only the work area), frame included. A minimised window is moved as well. The
// window is first made wide enough for its caption (FitWindowTitle).
void CenterForm(QWidget *form);

// Version record of the browser component.
struct DllVersionInfo {
    quint32 cbSize = 0;
    quint32 dwMajorVersion = 0;
    quint32 dwMinorVersion = 0;
    quint32 dwBuildNumber = 0;
    quint32 dwPlatformID = 0;
};

// Fills record (size 20) with the browser component's version and answers its major
// version.
quint32 DllVersionMajor(DllVersionInfo &record);

// The browser component's version as "Internet Explorer <major>.<minor>.<build>".
QString GetIEVersion();
