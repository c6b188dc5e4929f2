#pragma once
// The registry as text: a key with its values and, recursively, its subkeys, one key a
// line, each key's values beside its name, e.g.
//   Shell Folders     Favorites = "/home/ann/Favorites"
//                     History = "/home/ann/.config/QuorvaneDesktop/History"
// The history tools read the History folder and the typed addresses out of this text.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The text of the listing in progress, and the finished text of the last listing.
extern QString RegValueText;
extern QString ShellFoldersText;
// Blanks before a key's name; grows with the depth of the keys listed.
extern int RegListingIndent;

// The hive of a name such as "HKEY_CURRENT_USER" (exact), or 0.
quint32 RootKeyFromName(const QString &name);

// Lists root\path with all its subkeys into ShellFoldersText, starting from an empty text.
// A key that cannot be opened is reported ("Unable to open a subkey") and leaves the
// text empty. Window events run once before each subkey.
void ListRegistryKey(quint32 root, const QString &path);

// The steps of a listing: one key and its subkeys, and one key's values (appended to
// RegValueText, which is answered).
void ListRegKeys(quint32 root, const QString &path);
QString ListRegValues(quint32 root, const QString &path);

// One value as the listing shows it: name = "text", name = (DWORD) "0000001A (26)",
// name = (BINARY) "01 FF", or name = (Value not string, numeric or binary type).
QString RegValueLine(const QString &name, quint32 type, const QByteArray &data);

// A number written in base fromBase (2 to 36; letters in either case) written in base
// toBase; "" when the digits are empty or not digits of that base, or a base is out of range.
QString HexToNumber(const QString &digits, int fromBase, int toBase);

// The History folder of a listing of the Shell Folders key: the text between the double
// quotes after "History ="; "" when there is none.
QString HistoryFolderFromListing(const QString &listing);
// The typed addresses of a listing of the TypedURLs key: each value's text between double
// quotes that holds "http".
QStringList TypedUrlsFromListing(const QString &listing);
