#include "editions/edition_restore.h"

#include "editions/edition_files.h"
#include "editions/edition_host.h"
#include "editions/edition_list.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "shared/routines.h"

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
        if (!name.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive))
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
    if (!IsEditionFile(backupFolder() + entry->file)) {
        MsgBox(QStringLiteral("The backup ") + entry->file
                   + QStringLiteral(" is not an edition database of this program, so it cannot be restored."),
               vbExclamation, RestoreTitle);
        return After::StayOpen;
    }
    if (MsgBox(QStringLiteral("Are you sure you want to restore this Edition? "), vbYesNo | vbQuestion, RestoreTitle)
        == vbYes) {
        QDir::setCurrent(m_folder);
        const QString file = entry->file.toLower();
        if (!ExistingFileNoCase(m_folder, file).isEmpty()
            && MsgBox(QStringLiteral("The Edition '") + ProperCaseAddress(QString(text).replace(QLatin1Char('_'), QLatin1Char(' ')))
                          + QStringLiteral("' already exists. Do you want to overwrite it?"),
                      vbOKCancel)
                   == vbCancel)
            return After::StayOpen;
        const QString listPath = EditionList::listPath(m_folder);
        if (!CopyEditionFile(backupFolder() + entry->file, m_folder + file)) {
            MsgBox(QStringLiteral("The backup ") + entry->file + QStringLiteral(" could not be copied back, so nothing was restored."),
                   vbExclamation, RestoreTitle);
        } else if (!EditionList::fileListed(listPath, file) && FileExistsNonEmpty(listPath)
                   && !EditionList::append(listPath, EditionEntry{file, ProperCase(text).replace(QLatin1Char('_'), QLatin1Char(' '))})) {
            MsgBox(QStringLiteral("The edition has been copied back, but the edition list dbnames.txt could not be "
                                  "written; the edition is listed at the next start."),
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
    const bool removed = QFile::remove(backupFolder() + entry->file);
    QDir::setCurrent(m_folder);
    return removed;
}
