#include "editions/edition_restore.h"

#include "editions/edition_files.h"
#include "editions/edition_host.h"
#include "editions/edition_intake.h"
#include "editions/edition_list.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "shared/routines.h"
#include "shared/wait_cursor.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString RestoreTitle = QStringLiteral("Restore Edition");

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr qint64 kFileTimeEpoch = 116444736000000000LL;

QString blanksAsUnderscores(QString text)
{
    return text.replace(QLatin1Char(' '), QLatin1Char('_'));
}

// The database file of the list line that names backup, in the line's own letter case (a
// line naming it in exactly its case first), or "" when no line names it.
QString listedFile(const QString &listPath, const QString &backup)
{
    QString found;
    for (const EditionEntry &e : EditionList::read(listPath)) {
        if (e.file == backup)
            return e.file;
        if (found.isEmpty() && e.file.compare(backup, Qt::CaseInsensitive) == 0 && IsPlainFileName(e.file))
            found = e.file;
    }
    return found;
}

QString existingFile(const QString &path)
{
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace

EditionRestore::EditionRestore(EditionHost *host, const QString &folder)
    : m_host(host)
    , m_folder(folder.isEmpty() ? ProgramFolder() : folder)
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

QString EditionRestore::CapitaliseFirst(const QString &text)
{
    return text.isEmpty() ? text : ProperCase(text.left(1)) + text.mid(1);
}

QString EditionRestore::shownName(const QString &file)
{
    const qsizetype dot = file.indexOf(QLatin1Char('.'));
    return ProperCaseAddress(CapitaliseFirst(dot < 0 ? file : file.left(dot)).replace(QLatin1Char('_'), QLatin1Char(' ')));
}

QList<BackupEntry> EditionRestore::backups() const
{
    QList<BackupEntry> list;
    const QStringList names = QDir(backupFolder()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : names) {
        if (!name.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive) || !QFileInfo(backupFolder() + name).isFile())
            continue;
        // The date is read without opening the file, so a read-only backup shows its own.
        const QDateTime written = QFileInfo(backupFolder() + name).lastModified().toUTC();
        list.append({name, shownName(name), FileTimeToLongDate(written.toMSecsSinceEpoch() * 10000 + kFileTimeEpoch)});
    }
    return list;
}

void EditionRestore::refresh() const
{
    if (m_host)
        m_host->refreshEditions();
}

EditionRestore::After EditionRestore::restore(const BackupEntry *entry) const
{
    const QString text = entry ? blanksAsUnderscores(entry->shown) : QString();
    if (text.isEmpty()) {
        MsgBox(QStringLiteral("Please select an Edition to restore."), vbOKOnly, RestoreTitle);
        return After::StayOpen;
    }
    const QString shownActive = m_host ? blanksAsUnderscores(m_host->shownEdition()) : QString();
    // The open edition's file is never replaced, whatever name it is shown under.
    if (text.toLower() == shownActive.toLower() || entry->file.compare(CurrentDatabaseFile, Qt::CaseInsensitive) == 0) {
        MsgBox(QStringLiteral("You have selected an edition which is currently active. An 'active' edition cannot be "
                              "restored. \nPlease make another Edition 'active' first before restoring this Edition."),
               vbOKOnly, RestoreTitle);
        return After::StayOpen;
    }
    const QString refusal =
        IntakeRefusal(backupFolder() + entry->file, ExistingFileNoCase(m_folder, QStringLiteral("untitled.mdb")));
    if (!refusal.isEmpty()) {
        MsgBox(QStringLiteral("The backup ") + entry->file + QLatin1Char(' ') + refusal
                   + QStringLiteral(", so it cannot be restored."),
               vbExclamation, RestoreTitle);
        return After::StayOpen;
    }
    const QString listPath = EditionList::listPath(m_folder);
    const QString listed = listedFile(listPath, entry->file);
    // A listed edition gets back the very file its line names; an unlisted one the
    // backup's name in lower case, which must not be the template's.
    const QString file = listed.isEmpty() ? entry->file.toLower() : listed;
    if (listed.isEmpty() && file == QLatin1String("untitled.mdb")) {
        MsgBox(QStringLiteral("The backup ") + entry->file
                   + QStringLiteral(" has the name of the template untitled.mdb that every new edition is made "
                                    "from, so it cannot be restored."),
               vbExclamation, RestoreTitle);
        return After::StayOpen;
    }
    if (MsgBox(QStringLiteral("Are you sure you want to restore this Edition? "), vbYesNo | vbQuestion, RestoreTitle)
        == vbYes) {
        QDir::setCurrent(m_folder);
        const QString target = m_folder + file;
        if (!(listed.isEmpty() ? ExistingFileNoCase(m_folder, file) : existingFile(target)).isEmpty()
            && MsgBox(QStringLiteral("The Edition '") + ProperCaseAddress(QString(text).replace(QLatin1Char('_'), QLatin1Char(' ')))
                          + QStringLiteral("' already exists. Do you want to overwrite it?"),
                      vbOKCancel)
                   == vbCancel)
            return After::StayOpen;
        bool copied = false;
        {
            const WaitCursor busy;
            // The listed file alone is replaced: never a file that only differs from it in
            // letter case, which may be another edition's.
            copied = listed.isEmpty() ? CopyEditionFile(backupFolder() + entry->file, target)
                                      : CopyFileKeepingMode(backupFolder() + entry->file, target);
        }
        if (!copied) {
            MsgBox(WithReason(QStringLiteral("The backup ") + entry->file + QStringLiteral(" could not be copied back"),
                              WriteFailureReason(m_folder, m_folder, QFileInfo(backupFolder() + entry->file).size()))
                       + QStringLiteral(", so nothing was restored."),
                   vbExclamation, RestoreTitle);
        } else if (listed.isEmpty() && FileExistsNonEmpty(listPath)
                   && !EditionList::append(listPath, EditionEntry{file, ProperCase(text).replace(QLatin1Char('_'), QLatin1Char(' '))})) {
            MsgBox(WithReason(QStringLiteral("The edition has been copied back, but the edition list dbnames.txt "
                                             "could not be written"),
                              WriteFailureReason(m_folder, m_folder, QFileInfo(listPath).size() + 1024))
                       + QStringLiteral("; the edition is listed at the next start."),
                   vbExclamation, RestoreTitle);
        } else {
            MsgBox(QStringLiteral("Your Edition has been successfuly restored."), vbOKOnly, RestoreTitle);
        }
    }
    refresh();
    return After::Close;
}

bool EditionRestore::deleteBackup(const BackupEntry *entry) const
{
    if (!entry)
        return false;
    if (MsgBox(QStringLiteral("Are you sure you want to delete this Edition? Please note, once deleted this Edition "
                              "cannot be restored."),
               vbYesNo | vbQuestion, QStringLiteral("Delete Backup Edition"))
        != vbYes)
        return false;
    // A backup already gone is as good as deleted.
    const QString path = backupFolder() + entry->file;
    const bool removed = QFile::remove(path) || !QFileInfo::exists(path);
    QDir::setCurrent(m_folder);
    if (!removed)
        MsgBox(WithReason(QStringLiteral("The backup ") + entry->file + QStringLiteral(" could not be deleted"),
                          WriteFailureReason(m_folder, backupFolder(), 0))
                   + QLatin1Char('.'),
               vbExclamation, QStringLiteral("Delete Backup Edition"));
    return removed;
}
