#pragma once
// The copies of the editions kept in the Backup folder of the program folder: listing
// them with their dates, copying one back into the program folder (and into the edition
// list when it is not listed), and deleting one.

#include <QList>
#include <QString>

class EditionHost;

struct BackupEntry {
    QString file;    // the backup's file name in Backup
    QString shown;   // its edition name as listed
    QString date;    // the date it was last written, "dddd MMMM d, yyyy"
};

class EditionRestore
{
public:
    explicit EditionRestore(EditionHost *host, const QString &folder = QString());

    QString backupFolder() const { return m_folder + QStringLiteral("Backup/"); }
    // Every "*.mdb" of Backup, by name without regard to case.
    QList<BackupEntry> backups() const;
    // The text with its first character in proper case, the rest unchanged.
    static QString CapitaliseFirst(const QString &text);
    // A backup's shown name: the file name up to its first ".", first character capitalised,
    // "_" as blanks, capitalised as names and addresses are.
    static QString shownName(const QString &file);

    enum class After { StayOpen, Close };
    // Restore: copies the backup (nullptr: none selected) back into the program folder.
    After restore(const BackupEntry *entry) const;
    // Delete: asks, then deletes the backup; answers whether it went.
    bool deleteBackup(const BackupEntry *entry) const;

private:
    void refresh() const;

    EditionHost *m_host = nullptr;
    QString m_folder;
};
