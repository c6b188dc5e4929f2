#pragma once
// File and folder operations of the windows: the open, save and folder dialogs, the
// user's special folders, copying, moving, renaming and deleting files, a file's icon and
// type name, and opening a file with its program. The class has no state: create one,
// call an operation, drop it.
//
// Filters are written as pairs of a description and a pattern, each pair and each part
// joined by "|" ("Text files (*.ddb)|*.ddb"); several patterns of one entry are joined by
// ";". Lists of files are file names joined by "|"; a name may hold the wildcards * and ?.

#include <QIcon>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class clsFileOperations
{
public:
    // The open-file dialog: the full path of the chosen file, or "" when cancelled. An
    // empty filter offers all files; an empty folder starts in the current folder.
    QString OpenFile(const QString &filter, const QString &initialFolder) const;

    // The save-file dialog, starting with defaultName. With filterFromExtension, the filter
    // entry whose pattern holds the default name's extension is the one used. Unless
    // check is false (or the dialog was cancelled), a chosen name that matches none of the
    // entry's patterns gets the first pattern's extension, and a file that exists already
    // is only answered when the user agrees to overwrite it; otherwise the dialog shows
    // again.
    QString SaveFile(const QString &defaultName, const QString &filter, const QString &initialFolder, bool check,
                     bool filterFromExtension) const;

    // The open-file dialog choosing several files: true when files were chosen; files then
    // holds their full paths.
    bool OpenMultipleFiles(QStringList &files, const QString &filter, const QString &initialFolder) const;

    // A folder of the user as the registry's "Shell Folders" key lists it: 1 "Desktop",
    // 2 "Programs", 3 "Personal", 4 "StartUp", 5 "Templates", 6 "Start Menu", 7 "SendTo",
    // 8 "Recent", 9 "History", 10 "Favorites", 11 "NetHood", 12 "Fonts", 13 "Cache",
    // 14 "AppData", 15 "PrintHood", 16 "Cookies"; 99 takes folderName as the value name.
    // "" when the folder is not listed.
    QString GetSpecialFolder(qint32 folder, const QString &folderName = QString()) const;

    // Copies or moves the listed files and folders (folders with everything in them) into
    // destination, which is made when missing; a single file may instead be given the
    // name destination, when that is no existing folder. Nothing is overwritten: when a
    // target exists already, or a source is missing, nothing is done and the answer is
    // false.
    bool Copyfiles(const QString &sources, const QString &destination) const;
    bool MoveFiles(const QString &sources, const QString &destination) const;
    // Renames a file or folder; false when newName exists already or oldName does not.
    bool RenameFile(const QString &oldName, const QString &newName) const;
    // Deletes the listed files and folders, into the desktop's trash when toRecycleBin.
    // False when one of them could not be deleted (or did not exist).
    bool DeleteFiles(const QString &files, bool toRecycleBin) const;

    // The folder dialog: the chosen folder, or "" when cancelled.
    QString SelectFolder() const;
    // The desktop's icon for a file: small when bit 0 of sizeFlags is set, else large.
    QIcon GetDisplayedIcon(const QString &path, int sizeFlags) const;
    // The desktop's name of the file's type.
    QString GetFileType(const QString &path) const;
    // Opens the file with the desktop's program for it; true when the desktop took it.
    bool OpenWithLinkedApplication(const QString &file) const;
    // True when path names an existing folder (a trailing "\" or "/" is ignored).
    bool ExistFolder(const QString &path) const;

    // The "|"-joined filter in the form the dialogs take ("desc (pat pat);;..."). "*.*"
    // becomes "*", which also finds names without a dot; an empty filter offers all files.
    static QString toQtFilter(const QString &filter);
    // The description and pattern pairs of a filter (a missing last pattern is "").
    static QList<QPair<QString, QString>> filterEntries(const QString &filter);
    // The names of a "|"-joined list of files.
    static QStringList fileList(const QString &files);

private:
    // A text (or 32-bit number, as text) value of the registry.
    bool GetRegStringValue(quint32 rootKey, const QString &keyPath, const QString &valueName, QString &value) const;
    // The paths a list of files names: wildcards expanded; false when one names nothing.
    static bool expandSources(const QString &sources, QStringList &paths);
    static bool transfer(const QString &sources, const QString &destination, bool move);
};
