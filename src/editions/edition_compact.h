#pragma once
// Compacting and repairing an edition database in place. The new file is made beside the
// edition under a scratch name ending in ".part" and takes the edition's place in one
// step, so at any moment the edition file is the old one or the new one, and no scratch
// file is ever taken for an edition.

#include <QMap>
#include <QString>
#include <QStringList>

class EditionCompaction
{
public:
    enum class Result {
        Compacted,    // the edition was sound and is now compacted
        Repaired,     // it was damaged: its readable rows are now the edition
        Unreadable,   // nothing of it can be read: it was left exactly as it was
        Failed,       // nothing was changed (the reason is in the message)
    };

    // Works on the edition database file at path; the empty edition templateFile is what
    // a repaired edition is made from, and a damaged file is kept in backupFolder. The
    // edition connection must not be open on path.
    EditionCompaction(const QString &path, const QString &templateFile, const QString &backupFolder);

    Result run();
    // What the user is told of the outcome.
    QString message() const { return m_message; }
    // Where a repaired edition's damaged file was kept.
    QString damagedCopy() const { return m_damagedCopy; }
    // The scratch file of an edition file.
    static QString scratchPath(const QString &path);

private:
    Result compact();
    Result repair();
    // Puts the scratch file in the edition's place in one step, with the edition's mode.
    bool replaceEdition();
    // Puts the edition file aside under a scratch name, with the logs SQLite keeps beside
    // it, before anything opens it: opening it writes a log into the file, and a repair
    // keeps the file as the user had it.
    void holdOriginal();
    // Moves what holdOriginal() put aside into the backup folder, under a name that says
    // it is a damaged edition.
    bool keepDamaged();
    Result fail(const QString &reason);
    // The reason, in words, for a failed write with SQLite's primary result code.
    QString writeFailure(int code) const;
    void removeScratch() const;

    QString m_path;
    QString m_template;
    QString m_backupFolder;
    QString m_scratch;
    QString m_message;
    QString m_damagedCopy;
    QString m_held;   // where holdOriginal() put the file; "" when it could not
    bool m_repairing = false;
    bool m_lacksTables = false;   // a sound database without an edition's tables
};
