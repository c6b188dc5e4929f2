#pragma once
// The program's registry: hives, keys below them, and named values of a type (text,
// 32-bit number, raw bytes) in each key. It stands in for the system registry the
// windows read and write, and is kept per user in the file "registry.ini" of the
// program's configuration folder (all hives in that one file).
//
// Key paths are separated by "\"; empty segments (a leading, trailing or doubled "\")
// are ignored. Key and value names compare without regard to letter case and keep the
// case they were created with. Subkeys and values are enumerated in the order they
// were created. The value name "" is the key's default value.
//
// A new registry holds, under HKEY_CURRENT_USER, the key
// "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders" with the folders
// "Favorites" (in the user's home folder) and "History" (in the configuration folder),
// and an empty "Software\Microsoft\Internet Explorer\TypedURLs"; these are put back
// whenever they are missing.
//
// Results are the classic registry result codes: ERROR_SUCCESS (0) or an error.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtGlobal>

// Hives.
constexpr quint32 HKEY_CLASSES_ROOT = 0x80000000u;
constexpr quint32 HKEY_CURRENT_USER = 0x80000001u;
constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr quint32 HKEY_USERS = 0x80000003u;
constexpr quint32 HKEY_PERFORMANCE_DATA = 0x80000004u;
constexpr quint32 HKEY_CURRENT_CONFIG = 0x80000005u;
constexpr quint32 HKEY_DYN_DATA = 0x80000006u;

// Value types.
constexpr quint32 REG_NONE = 0;
constexpr quint32 REG_SZ = 1;
constexpr quint32 REG_EXPAND_SZ = 2;
constexpr quint32 REG_BINARY = 3;
constexpr quint32 REG_DWORD = 4;

// Result codes.
constexpr long ERROR_SUCCESS = 0;
constexpr long ERROR_FILE_NOT_FOUND = 2;          // no such key or value
constexpr long ERROR_ACCESS_DENIED = 5;           // a hive, or a key that still has subkeys, cannot be deleted
constexpr long ERROR_INVALID_HANDLE = 6;          // not a hive, or a key that was never opened
constexpr long ERROR_INVALID_PARAMETER = 87;
constexpr long ERROR_BAD_PATHNAME = 161;          // a key name holding control characters
constexpr long ERROR_NO_MORE_ITEMS = 259;         // enumeration past the last entry
constexpr long ERROR_REGISTRY_IO_FAILED = 1016;   // the registry file could not be written; nothing changed
constexpr long ERROR_KEY_DELETED = 1018;          // the open key has been deleted since

// An open key: a hive and the path of a key below it ("" for the hive itself).
// A hive constant converts to the open key of that hive.
class RegKey
{
public:
    RegKey() = default;
    RegKey(quint32 hive) : m_hive(hive) {} // NOLINT: a hive is an open key
    RegKey(quint32 hive, const QString &path) : m_hive(hive), m_path(path) {}

    quint32 hive() const { return m_hive; }
    QString path() const { return m_path; }
    bool isValid() const { return m_hive >= HKEY_CLASSES_ROOT && m_hive <= HKEY_DYN_DATA; }

private:
    quint32 m_hive = 0;
    QString m_path;
};

class Registry
{
public:
    // Opens an existing key below parent; ERROR_FILE_NOT_FOUND when there is none.
    static long openKey(const RegKey &parent, const QString &subKey, RegKey *key);
    // Opens a key below parent, creating every missing level. existed tells whether the
    // key was there already.
    static long createKey(const RegKey &parent, const QString &subKey, RegKey *key, bool *existed = nullptr);
    // Deletes a key below parent that has no subkeys (ERROR_ACCESS_DENIED otherwise),
    // with its values.
    static long deleteKey(const RegKey &parent, const QString &subKey);
    // Deletes a key below parent with everything below it.
    static long deleteTree(const RegKey &parent, const QString &subKey);

    static long queryValue(const RegKey &key, const QString &name, quint32 *type, QByteArray *data);
    // Creates or replaces a value; a replaced value keeps its place in the order.
    static long setValue(const RegKey &key, const QString &name, quint32 type, const QByteArray &data);
    static long deleteValue(const RegKey &key, const QString &name);

    // The index-th subkey or value of key (from 0); ERROR_NO_MORE_ITEMS past the last.
    static long enumKey(const RegKey &key, int index, QString *name);
    static long enumValue(const RegKey &key, int index, QString *name, quint32 *type, QByteArray *data);
    static QStringList subKeyNames(const RegKey &key);
    static QStringList valueNames(const RegKey &key);

    // Text values are stored as UTF-8 with a terminating NUL; numbers as 4 bytes, least
    // significant first.
    static QByteArray textData(const QString &text);
    static QString dataText(const QByteArray &data);   // up to the first NUL
    static QByteArray dwordData(quint32 value);
    static quint32 dataDword(const QByteArray &data);  // 0 unless data is 4 bytes

    // A text value of hive\keyPath, or fallback when there is no such key or value.
    static QString readText(quint32 hive, const QString &keyPath, const QString &name,
                            const QString &fallback = QString());

    // The hive of a name such as "HKEY_CURRENT_USER" (exact), or 0.
    static quint32 hiveFromName(const QString &name);
    static QString hiveName(quint32 hive);

    // The file the registry is kept in.
    static QString filePath();
    // Forgets what was read, so the next call reads the file again.
    static void reload();
};

// Stores value under name in an open key. type REG_SZ: the value as text with a
// terminating NUL; REG_DWORD: the value as a 32-bit number. Any other type stores
// nothing and answers ERROR_INVALID_PARAMETER.
long SetValueEx(const RegKey &key, const QString &name, quint32 type, const QVariant &value);
