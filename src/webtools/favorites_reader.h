#pragma once
// The user's favourites: every internet shortcut file ("*.url") in the Favorites folder
// and its subfolders, read as an initialisation file whose section "InternetShortcut"
// holds the address under the key "URL".

#include <QList>
#include <QString>

struct FavoriteLink {
    QString name;      // the file name before its first ".url"
    QString address;
};

class FavoritesReader
{
public:
    // Shortcut files larger than this are not read.
    static constexpr qint64 MaxFileSize = 64 * 1024;

    // The Favorites folder named by the registry's Shell Folders key; "" when none.
    static QString GetFavoritesFolder();
    // The path with a trailing "/" (added only when missing).
    static QString QualifyPath(const QString &path);
    // The text up to its first NUL character.
    static QString TrimNull(const QString &text);
    // The value of key in section of an initialisation file (names compared without regard
    // to case; blanks and a pair of surrounding double quotes taken off), or fallback when
    // the file, the section or the key is missing, or the file is no text or too large.
    static QString ProfileGetItem(const QString &section, const QString &key, const QString &fallback,
                                  const QString &file);

    // Every favourite of folder and, depth first, its subfolders (a folder's own shortcut
    // files first, names in order without regard to case; folders whose names begin with
    // "." included, linked folders not followed). A file that is not a regular file, no
    // text, too large or without an address is left out; a folder that cannot be listed
    // gives nothing.
    static QList<FavoriteLink> WalkFolders(const QString &folder);
    // The favourites of one folder only.
    static QList<FavoriteLink> ReadUrlFiles(const QString &folder);
};
