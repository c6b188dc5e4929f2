#pragma once
// The data work behind the main window's edition list: which edition is active, opening
// it and listing its Topics, filling the edition list, making a chosen edition the active
// one, clearing the page cache and backing the active edition up. No window is needed, so
// the same work runs for the main window and for tests.

#include <QList>
#include <QString>
#include <QStringList>

class QFileInfo;

class EditionLoader
{
public:
    // Works on the edition list and databases of folder (ending in "/"); by default the
    // program folder.
    explicit EditionLoader(const QString &folder = QString());

    QString folder() const { return m_folder; }
    QString listPath() const;

    // What reading the edition list found.
    enum class ListState {
        Missing,     // no edition list, or an empty file
        NoActive,    // no line marks an active edition, and none was active before
        Ok,          // the active edition is known (CurrentDatabaseFile is set)
    };
    // Reads the active edition from the list: the first line holding "*" gives
    // CurrentDatabaseFile and CurrentEditionTitle ("_" shown as blanks), and
    // NewEditionName follows the title. A list without such a line keeps the previous
    // CurrentDatabaseFile.
    ListState readActiveEdition() const;

    // Closes the connection and opens it again on CurrentDatabaseFile.
    bool openActiveEdition() const;

    struct Topic {
        qint32 id = 0;
        QString name;
    };
    // The Topics of the open edition by name (without regard to case).
    QList<Topic> topics() const;

    // The entries of the edition list window: one per non-empty line, in file order.
    struct Choices {
        QStringList names;   // display names, capitalised as names and addresses are
        QStringList files;   // the database file of each entry's line
        int selected = -1;   // the entry of the active line; 0 when none is marked; -1 when empty
    };
    // Reads the list for the edition list box and sets CurrentDatabaseFile from the
    // active line.
    Choices editionChoices() const;

    // The entry (counted over the non-empty lines) that the list marks active, or -1.
    int activeIndex() const;
    // True when the database file of entry index can be opened as an edition.
    bool entryOpens(int index) const;
    // The database file of entry index ("" when there is no such entry).
    QString entryFile(int index) const;
    // What the user is told when the edition name, of database file file, cannot be
    // opened and so does not become the active edition.
    static QString cannotOpenMessage(const QString &name, const QString &file);

    // Makes entry index of the list (counted over its non-empty lines) the active edition:
    // rewrites the list with the "*" on that line only, touching nothing else, sets
    // CurrentDatabaseFile to its file and clears the page cache. Answers false, changing
    // nothing, when there is no such entry or the list cannot be rewritten.
    bool makeActive(int index) const;

    // Deletes every page file ("*.html") of the folder; answers how many went.
    int deletePageFiles() const;

    // Copies the active edition's database into the folder's Backup folder. The copy is
    // made under a temporary name and replaces the previous backup only once it is whole
    // and passes SQLite's quick check as an edition database; when anything fails the
    // previous backup stays as it was. A backup that still has the edition's size and
    // write time (each backup takes them) is the edition as it stands and is kept.
    // Answers whether the backup is the edition now; damaged,
    // when given, tells whether it was refused because the edition is damaged.
    bool backupEdition(bool *damaged = nullptr) const;
    // What the user is told when the active edition's file is damaged (opens says
    // whether it could still be opened): its backup, when there is one, was kept.
    QString damagedMessage(bool opens) const;
    // The backup of the active edition ("" when there is no active edition).
    QString backupPath() const;

private:
    // The backup of the edition database source.
    QString backupPathOf(const QFileInfo &source) const;

    QString m_folder;
};
