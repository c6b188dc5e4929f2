#pragma once
// The data work of adding a plug-in edition, without a window: where the data server
// is, reading its catalogue of editions, the names of an edition's archive, database
// file and list line, whether it is already listed, and installing a downloaded archive
// into the program folder.
//
// The data server publishes under "<server>/data/" the catalogue "editions.txt" (lines
// "<anything>,<edition name>", each ended by CR LF) and one archive per edition, named
// after the edition in lower case, ".zip". The archive holds the edition's database,
// named in lower case with blanks as "_", ".mdb".

#include <QString>
#include <QStringList>
#include <QUrl>

class cUnzip;

class PluginEditions
{
public:
    // The data server's address: $QUORVANE_DATA_SERVER when set (tests point it at a
    // server of their own), else the maker's server.
    static QString DataServer();
    // "<server>/data/"
    static QString BaseAddress();
    // The maker's home page, shown as a link in the download dialog.
    static QString HomePage();

    // True when the catalogue's answer is an error page: it contains "error" in any
    // letter case.
    static bool IsErrorReply(const QString &reply);
    // The edition names of a catalogue: of each piece before the last CR LF, the text
    // after the first "," (the whole piece when it has none). Names that could not
    // safely name a file or a list line are left out.
    static QStringList ParseCatalogue(const QString &reply);
    // True when name can be offered: not blank, no "/", "\", "*", ",", control
    // characters, not "." or "..", at most 200 characters, and not the name of the
    // program's empty edition.
    static bool IsSafeName(const QString &name);

    // "health and fitness.zip" for "Health and Fitness".
    static QString ArchiveName(const QString &name);
    // The archive's address: BaseAddress with ArchiveName as its last path segment, every
    // character that is no plain part of a path ("#", "?", "%", blanks, non-ASCII
    // letters) percent-encoded.
    static QUrl ArchiveAddress(const QString &name);
    // The name pattern (for QTemporaryDir) of the scratch folders an install works in,
    // inside folder: "plugin-XXXXXX".
    static QString ScratchTemplate(const QString &folder);
    // "health_and_fitness.mdb" for "Health and Fitness".
    static QString EditionFileName(const QString &name);
    // "health_and_fitness.mdb,Health and Fitness"
    static QString ListLine(const QString &name);

    // True when some line of the edition list listPath names the database file file
    // (the text between a leading "*" and the first ","), without regard to letter case.
    static bool EditionListed(const QString &listPath, const QString &file);

    // "<p>% " for the whole per cent of read out of length (rounded down); "" when the
    // length is not known.
    static QString PercentText(qint64 read, qint64 length);

    // The largest edition database an archive may declare (what the editions' original
    // file format could hold).
    static constexpr qint64 MaxEditionBytes = qint64(2) << 30;

    enum class InstallResult {
        Installed,
        NotAnEdition,    // the archive holds no edition database of that name
        DiskFull,        // the database could not be unpacked whole: no space left
        TooLarge,        // the archive declares a database larger than MaxEditionBytes
        Refused,         // the database would replace the empty edition or a listed or open edition
        OwnCommands,     // the database declares triggers, views or expressions of its own
        WriteFailed,     // the database or the list line could not be written
    };
    // Unpacks, through unzip, the database of edition name from the archive zipPath into
    // a scratch folder of folder (ending in "/"), checks that it is an edition database
    // (every table of an edition, as opening asks) declaring nothing of its own beside the
    // empty edition of folder, renames it into place and appends its
    // line to the edition list "dbnames.txt" of folder. Only that one entry is taken from the
    // archive, and only when the size it declares fits MaxEditionBytes and the disk.
    // Nothing is left behind when it fails: no partial file, no list line.
    // The archive itself is deleted in every case.
    static InstallResult Install(cUnzip &unzip, const QString &zipPath, const QString &folder, const QString &name);
};
