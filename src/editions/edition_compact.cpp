#include "editions/edition_compact.h"

#include "editions/edition_files.h"
#include "editions/edition_salvage.h"
#include "editions/scratch_connection.h"
#include "platform/disk_space.h"
#include "platform/whole_file.h"
#include "shared/database.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
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

// The logs SQLite keeps beside a database file, named after it.
const char *const kLogs[] = {"-wal", "-shm", "-journal"};

// Removes a database file and its logs ("": none).
void removeWithLogs(const QString &path)
{
    if (path.isEmpty())
        return;
    QFile::remove(path);
    for (const char *log : kLogs)
        QFile::remove(path + QLatin1String(log));
}

// What the user knows the rows of an edition's table as, in the order they are listed.
const QList<QPair<QStringList, QString>> &kinds()
{
    static const QList<QPair<QStringList, QString>> list = {
        {{QStringLiteral("Topics")}, QStringLiteral("Topics")},
        {{QStringLiteral("SubTopics")}, QStringLiteral("Sub-Topics")},
        {{QStringLiteral("Lks")}, QStringLiteral("categories")},
        {{QStringLiteral("Sit")}, QStringLiteral("links")},
        {{QStringLiteral("LksSit")}, QStringLiteral("places of links in categories")},
        {{QStringLiteral("NewsLinks"), QStringLiteral("SearchLinks"), QStringLiteral("OrganizationLinks"),
          QStringLiteral("RelatedLinks"), QStringLiteral("FavoriteLinks"), QStringLiteral("LocalLinks")},
         QStringLiteral("section links")},
        {{QStringLiteral("ColorLinks")}, QStringLiteral("colour schemes")},
        {{QStringLiteral("PersonalInformation")}, QStringLiteral("stored logins")},
    };
    return list;
}

// The rank and name of a table's kind; a table of no known kind is listed by its name,
// after the others.
QPair<int, QString> kindOf(const QString &table)
{
    for (int i = 0; i < kinds().size(); ++i)
        if (kinds().at(i).first.contains(table, Qt::CaseInsensitive))
            return {i, kinds().at(i).second};
    return {int(kinds().size()), table};
}

// Lines "  <kind>: <what>" in the order of the kinds.
QString kindLines(const QMap<QPair<int, QString>, QString> &lines)
{
    QString text;
    for (auto it = lines.cbegin(); it != lines.cend(); ++it)
        text += QStringLiteral("\n  ") + it.key().second + QStringLiteral(": ") + it.value();
    return text;
}

// Lines of rows counted by kind, from the counts by table; a table of no rows is left out.
QString countLines(const QMap<QString, int> &byTable)
{
    QMap<QPair<int, QString>, qint64> rows;
    for (auto it = byTable.cbegin(); it != byTable.cend(); ++it)
        if (it.value() > 0)
            rows[kindOf(it.key())] += it.value();
    QMap<QPair<int, QString>, QString> lines;
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        lines.insert(it.key(), QString::number(it.value()));
    return kindLines(lines);
}

QString recoveredText(const SalvageResult &salvage)
{
    const QString lines = countLines(salvage.recovered);
    return lines.isEmpty() ? QStringLiteral("\nNo rows could be recovered.") : QStringLiteral("\nRecovered:") + lines;
}

QString lostText(const SalvageResult &salvage)
{
    QMap<QPair<int, QString>, SalvageResult::Lost> lost;
    for (auto it = salvage.lost.cbegin(); it != salvage.lost.cend(); ++it) {
        SalvageResult::Lost &kind = lost[kindOf(it.key())];
        kind.rows += it->rows;
        kind.upTo = kind.upTo || it->upTo;
        kind.unknown = kind.unknown || it->unknown;
    }
    QMap<QPair<int, QString>, QString> lines;
    for (auto it = lost.cbegin(); it != lost.cend(); ++it)
        lines.insert(it.key(), it->unknown ? QStringLiteral("an unknown number")
                                           : (it->upTo ? QStringLiteral("up to ") : QString()) + QString::number(it->rows));
    QString text = kindLines(lines);
    if (salvage.unplaced > 0)
        text += QStringLiteral("\n  rows of which it cannot be told what they were: %1").arg(salvage.unplaced);
    if (salvage.clashed > 0)
        text += QStringLiteral("\n  rows that bore the number of another row read before them: %1").arg(salvage.clashed);
    if (salvage.schemaLost)
        text += QStringLiteral("\n  the list of the edition's tables, so it is not known how many rows are lost");
    return text.isEmpty() ? text : QStringLiteral("\nCould not be read:") + text;
}

QString changedText(const SalvageResult &salvage)
{
    return QStringLiteral("\nRecovered, but the edition's indexes disagree with them (they may hold older values, or "
                          "be rows deleted before the damage):")
           + countLines(salvage.changed);
}

QString tangledText(const SalvageResult &salvage)
{
    return QStringLiteral("\nRecovered, but a long value of each runs on through pages that another row's value also "
                          "runs through, so one of the two may hold the other's text:")
           + countLines(salvage.tangled);
}

QString outsideText(const SalvageResult &salvage)
{
    return QStringLiteral("\nFound outside the edition's tables, and recovered (they may be rows deleted before the "
                          "damage):")
           + countLines(salvage.outside);
}

// Tables of the same columns that may hold each other's rows, a line a group: a table of a
// kind of several tables by its place among them.
QString alikeText(const SalvageResult &salvage)
{
    QString text = QStringLiteral("\nRecovered, but nothing in the file tells these tables apart, so each may hold rows of "
                                  "the others:");
    for (const QStringList &group : salvage.alike) {
        QStringList names;
        for (const QString &table : group) {
            const QPair<int, QString> kind = kindOf(table);
            const QStringList &tables = kind.first < kinds().size() ? kinds().at(kind.first).first : QStringList();
            names.append(tables.size() > 1 ? QStringLiteral("%1 of list %2").arg(kind.second).arg(tables.indexOf(table) + 1)
                                           : kind.second);
        }
        text += QStringLiteral("\n  ") + names.join(QStringLiteral(", "));
    }
    return text;
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
    // SQLite takes an empty file for an empty database; an edition's file is never empty.
    if (QFileInfo(m_path).size() == 0) {
        m_message = QStringLiteral("The edition database ") + QFileInfo(m_path).fileName()
                    + QStringLiteral(" is empty (0 bytes): nothing in it can be read, so it could not be repaired.\n"
                                     "It was left exactly as it was.");
        return Result::Unreadable;
    }
    removeScratch();
    if (QFileInfo::exists(m_scratch))
        return fail(writeFailure(kCannotOpen));
    holdOriginal();
    const Result result = compact();
    if (result != Result::Repaired)
        removeWithLogs(m_held);
    return result;
}

EditionCompaction::Result EditionCompaction::compact()
{
    bool damaged = false;
    {
        ScratchConnection source(m_path);
        // A check stopped for taking too long is a file whose declarations cannot be
        // trusted: it is repaired into the empty edition, as a damaged one is.
        const QVariant verdict = source.check();
        if (!verdict.isValid() && source.errorCode() != kCorrupt && source.errorCode() != kNotADatabase
            && source.errorCode() != ScratchConnection::Interrupted)
            return fail(writeFailure(source.errorCode()));
        damaged = verdict.toString() != QLatin1String("ok");
        // A sound database without an edition's tables is no edition: its rows go into
        // the empty edition like those of a damaged one.
        if (!damaged && !IsEditionFile(m_path)) {
            m_lacksTables = true;
            damaged = true;
        }
        // The copy is thrown away on any failure: SQLite does not put it (or its journal) on
        // the disk, that is done once, when it is whole and checked. This changes nothing
        // of what the copy holds.
        source.exec(QStringLiteral("PRAGMA synchronous = OFF"));
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
    if (!SyncFile(m_scratch)) {
        const int code = NoSpaceLeft(errno) ? kFull : kIoError;
        removeScratch();
        return fail(writeFailure(code));
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
        removeWithLogs(m_damagedCopy);
        return fail(writeFailure(kCannotOpen));
    }

    m_message = QStringLiteral("The edition database ") + file
                + (m_lacksTables ? QStringLiteral(" lacked tables that an edition has.") : QStringLiteral(" was damaged."))
                + (salvage.whole() ? QStringLiteral(" Every row that could still be read was recovered")
                                   : QStringLiteral(" Its readable rows were recovered"))
                + QStringLiteral(" into a fresh copy of the edition, which is now in use.") + recoveredText(salvage);
    if (!salvage.whole())
        m_message += lostText(salvage);
    if (!salvage.changed.isEmpty())
        m_message += changedText(salvage);
    if (!salvage.tangled.isEmpty())
        m_message += tangledText(salvage);
    if (!salvage.outside.isEmpty())
        m_message += outsideText(salvage);
    if (!salvage.alike.isEmpty())
        m_message += alikeText(salvage);
    m_message += QStringLiteral("\nThe damaged file was kept as:\n") + QDir::toNativeSeparators(m_damagedCopy);
    return Result::Repaired;
}

bool EditionCompaction::replaceEdition()
{
    if (ReplaceFileKeepingMode(m_scratch, m_path))
        return true;
    removeScratch();
    return false;
}

void EditionCompaction::holdOriginal()
{
    const QString place = m_path + QStringLiteral(".held") + QLatin1String(kScratchSuffix);
    removeWithLogs(place);
    bool logged = false;
    for (const char *log : kLogs)
        logged = logged || QFileInfo::exists(m_path + QLatin1String(log));
    // Without a log nothing writes the file until it is replaced: a second name for it
    // costs nothing. A log is written into the file when it is opened: the file is copied
    // with its logs then.
    bool done = !logged && ::link(QFile::encodeName(m_path).constData(), QFile::encodeName(place).constData()) == 0;
    if (!done) {
        done = WriteCopy(m_path, place, m_path);
        for (const char *log : kLogs) {
            const QString from = m_path + QLatin1String(log);
            done = done && (!QFileInfo::exists(from) || WriteCopy(from, place + QLatin1String(log), from));
        }
    }
    if (done)
        m_held = place;
    else
        removeWithLogs(place);
}

bool EditionCompaction::keepDamaged()
{
    if (m_held.isEmpty() || !QDir().mkpath(m_backupFolder))
        return false;
    const QString base = QDir(m_backupFolder).filePath(QFileInfo(m_path).fileName() + QStringLiteral(".damaged-")
                                                       + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    m_damagedCopy = base;
    for (int n = 2; QFileInfo::exists(m_damagedCopy); ++n)
        m_damagedCopy = base + QLatin1Char('-') + QString::number(n);
    // A backup folder on another disk takes a copy. The logs go first: a kept file is
    // never without the log it had.
    const auto move = [](const QString &from, const QString &to) {
        return !QFileInfo::exists(from) || QFile::rename(from, to) || (WriteCopy(from, to, from) && QFile::remove(from));
    };
    bool kept = true;
    for (const char *log : kLogs)
        kept = kept && move(m_held + QLatin1String(log), m_damagedCopy + QLatin1String(log));
    if (kept && move(m_held, m_damagedCopy))
        return true;
    removeWithLogs(m_damagedCopy);
    return false;
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
