#include "editions/edition_compact.h"

#include "editions/edition_files.h"
#include "editions/edition_salvage.h"
#include "editions/scratch_connection.h"
#include "platform/disk_space.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

// SQLite's primary result codes the command tells apart.
constexpr int kBusy = 5;
constexpr int kLocked = 6;
constexpr int kReadOnly = 8;
constexpr int kIoError = 10;
constexpr int kCorrupt = 11;
constexpr int kFull = 13;
constexpr int kCannotOpen = 14;
constexpr int kNotADatabase = 26;

QString rowsText(int rows)
{
    return rows == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(rows);
}

} // namespace

EditionCompaction::EditionCompaction(const QString &path, const QString &templateFile, const QString &backupFolder)
    : m_path(path)
    , m_template(templateFile)
    , m_backupFolder(backupFolder)
    , m_scratch(scratchPath(path))
{
}

QString EditionCompaction::scratchPath(const QString &path)
{
    return path + QStringLiteral(".compact.part");
}

EditionCompaction::Result EditionCompaction::run()
{
    if (!QFileInfo(m_path).isFile())
        return fail(QStringLiteral("its file was not found"));
    removeScratch();
    if (QFileInfo::exists(m_scratch))
        return fail(writeFailure(kCannotOpen));
    return compact();
}

EditionCompaction::Result EditionCompaction::compact()
{
    bool damaged = false;
    {
        ScratchConnection source(m_path);
        const QVariant verdict = source.value(QStringLiteral("PRAGMA integrity_check"));
        if (!verdict.isValid() && source.errorCode() != kCorrupt && source.errorCode() != kNotADatabase)
            return fail(writeFailure(source.errorCode()));
        damaged = verdict.toString() != QLatin1String("ok");
        if (!damaged && !source.exec(QStringLiteral("VACUUM INTO ?"), {QFileInfo(m_scratch).absoluteFilePath()})) {
            const int code = source.errorCode();
            removeScratch();
            if (code != kCorrupt && code != kNotADatabase)
                return fail(writeFailure(code));
            damaged = true;
        }
    }
    if (damaged)
        return repair();
    if (!ScratchConnection(m_scratch).intact()) {
        removeScratch();
        return fail(QStringLiteral("the compacted copy did not pass its check"));
    }
    if (!replaceEdition())
        return fail(writeFailure(kCannotOpen));
    m_message = QStringLiteral("The Database has been successfully compacted and/or repaired.");
    return Result::Compacted;
}

EditionCompaction::Result EditionCompaction::repair()
{
    m_repairing = true;
    const QString file = QFileInfo(m_path).fileName();
    const SalvageResult salvage = SalvageEdition(m_path, m_template, m_scratch);
    if (salvage.outcome == SalvageResult::Outcome::Unreadable) {
        m_message = QStringLiteral("The edition database ") + file
                    + QStringLiteral(" is damaged so badly that nothing in it can be read, so it could not be "
                                     "repaired.\nIt was left exactly as it was.");
        return Result::Unreadable;
    }
    if (salvage.outcome == SalvageResult::Outcome::Failed) {
        removeScratch();
        return fail(writeFailure(salvage.errorCode));
    }
    if (!keepDamaged()) {
        removeScratch();
        return fail(QStringLiteral("the damaged file could not be kept in the folder ")
                    + QDir::toNativeSeparators(m_backupFolder));
    }
    if (!replaceEdition()) {
        QFile::remove(m_damagedCopy);
        return fail(writeFailure(kCannotOpen));
    }

    QStringList lines;
    for (auto it = salvage.recovered.cbegin(); it != salvage.recovered.cend(); ++it)
        if (it.value() > 0)
            lines.append(QStringLiteral("  ") + it.key() + QStringLiteral(": ") + rowsText(it.value()));
    m_message = QStringLiteral("The edition database ") + file
                + QStringLiteral(" was damaged. Every row that could still be read was recovered into a fresh copy "
                                 "of the edition, which is now in use.\n");
    m_message += lines.isEmpty() ? QStringLiteral("No rows could be recovered.")
                                 : QStringLiteral("Rows recovered:\n") + lines.join(QLatin1Char('\n'));
    if (!salvage.incomplete.isEmpty())
        m_message += QStringLiteral("\nSome rows of these tables could not be read and are lost: ")
                     + salvage.incomplete.join(QStringLiteral(", ")) + QLatin1Char('.');
    m_message += QStringLiteral("\nThe damaged file was kept as ") + QDir::toNativeSeparators(m_damagedCopy)
                 + QLatin1Char('.');
    return Result::Repaired;
}

bool EditionCompaction::replaceEdition()
{
    if (ReplaceFileKeepingMode(m_scratch, m_path))
        return true;
    removeScratch();
    return false;
}

bool EditionCompaction::keepDamaged()
{
    if (!QDir().mkpath(m_backupFolder))
        return false;
    const QString base = QDir(m_backupFolder).filePath(QFileInfo(m_path).fileName() + QStringLiteral(".damaged-")
                                                       + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    m_damagedCopy = base;
    for (int n = 2; QFileInfo::exists(m_damagedCopy); ++n)
        m_damagedCopy = base + QLatin1Char('-') + QString::number(n);
    // A second name for the same file costs nothing; another disk needs a copy.
    return ::link(QFile::encodeName(m_path).constData(), QFile::encodeName(m_damagedCopy).constData()) == 0
           || CopyEditionFile(m_path, m_damagedCopy);
}

EditionCompaction::Result EditionCompaction::fail(const QString &reason)
{
    m_message = (m_repairing ? QStringLiteral("The damaged Database could not be repaired: ")
                             : QStringLiteral("The Database could not be compacted: "))
                + reason + QStringLiteral(".\nIt stays as it was.");
    return Result::Failed;
}

QString EditionCompaction::writeFailure(int code) const
{
    if (code == kFull || DiskLacksRoomFor(QFileInfo(m_path).absolutePath(), QFileInfo(m_path).size()))
        return QStringLiteral("the disk is full");
    switch (code) {
    case kBusy:
    case kLocked:
        return QStringLiteral("another program is using the edition file");
    case kReadOnly:
    case kCannotOpen:
        return QStringLiteral("the edition file, or the folder it is in, may not be written to");
    case kIoError:
        return QStringLiteral("the disk could not be read or written");
    default:
        return QStringLiteral("the new copy of the edition could not be written");
    }
}

void EditionCompaction::removeScratch() const
{
    QFile::remove(m_scratch);
    QFile::remove(m_scratch + QStringLiteral("-journal"));
}
