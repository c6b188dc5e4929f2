#include "editions/salvage_indexes.h"

#include "shared/text_folding.h"

#include <QHash>
#include <QRegularExpression>
#include <QScopeGuard>

#include <algorithm>
#include <limits>
#include <utility>

#include <sqlite3.h>

namespace Salvage {

namespace {

// How two entries of an index compare, where their values are numbers or nulls: -1, 0 or
// 1; 2 when it takes two texts or blobs, whose order is the collation's.
int compareEntries(const QVariantList &a, const QVariantList &b)
{
    const auto number = [](const QVariant &v) { return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double; };
    for (int i = 0; i < a.size() && i < b.size(); ++i) {
        const QVariant &x = a.at(i);
        const QVariant &y = b.at(i);
        // Two integers, the most common, are compared as they are: a null read is no value.
        if (x.typeId() == QMetaType::LongLong && y.typeId() == QMetaType::LongLong) {
            const qint64 u = *static_cast<const qint64 *>(x.constData());
            const qint64 v = *static_cast<const qint64 *>(y.constData());
            if (u != v)
                return u < v ? -1 : 1;
            continue;
        }
        // Nulls come first, then numbers, then texts and blobs.
        const int kindX = x.isNull() ? 0 : number(x) ? 1 : 2;
        const int kindY = y.isNull() ? 0 : number(y) ? 1 : 2;
        if (kindX != kindY)
            return kindX < kindY ? -1 : 1;
        if (kindX == 2)
            return 2;
        if (kindX == 0)
            continue;
        const bool integers = x.typeId() == QMetaType::LongLong && y.typeId() == QMetaType::LongLong;
        if (integers ? x.toLongLong() != y.toLongLong() : x.toDouble() != y.toDouble())
            return (integers ? x.toLongLong() < y.toLongLong() : x.toDouble() < y.toDouble()) ? -1 : 1;
    }
    return 0;
}

// Whether an entry of an index that comes before another must come after it, or is the same.
bool outOfOrder(const QVariantList &before, const QVariantList &after)
{
    const int order = compareEntries(before, after);
    return order == 0 || order == 1;
}

// The value of a column of the row a statement stands on, as the driver gives it (a null as
// no value).
QVariant columnValue(sqlite3_stmt *stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
        return QString::fromUtf8(text, sqlite3_column_bytes(stmt, column));
    }
    case SQLITE_BLOB: {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(stmt, column));
        return QByteArray(bytes, sqlite3_column_bytes(stmt, column));
    }
    default:
        return QVariant();
    }
}

// The place of each row id among the entries of an index: in a table of all the row ids
// from the lowest to the highest when they lie close together, as a table's mostly do, which
// is read in place where a hash is read all over memory; else in a hash.
class RowidPlaces
{
public:
    RowidPlaces(qint64 lowest, qint64 highest, qsizetype count)
        : m_lowest(lowest)
        , m_highest(highest)
    {
        const quint64 span = quint64(highest) - quint64(lowest);
        if (count > 0 && highest >= lowest && span < quint64(2 * count + 64))
            m_dense.fill(-1, qsizetype(span) + 1);
    }

    // Gives rowid, which lies from the lowest to the highest, place; answers its place
    // before, or -1.
    int set(qint64 rowid, int place)
    {
        if (m_dense.isEmpty()) {
            const auto found = m_sparse.find(rowid);
            if (found == m_sparse.end()) {
                m_sparse.insert(rowid, place);
                return -1;
            }
            return std::exchange(*found, place);
        }
        return std::exchange(m_dense[qsizetype(quint64(rowid) - quint64(m_lowest))], place);
    }
    // The place of rowid, or -1.
    int at(qint64 rowid) const
    {
        if (rowid < m_lowest || rowid > m_highest)
            return -1;
        if (m_dense.isEmpty())
            return m_sparse.value(rowid, -1);
        return m_dense.at(qsizetype(quint64(rowid) - quint64(m_lowest)));
    }

private:
    qint64 m_lowest;
    qint64 m_highest;
    QVector<int> m_dense;
    QHash<qint64, int> m_sparse;
};

// Bytes a row id takes in a cell.
int idBytes(qint64 rowid)
{
    int bytes = 1;
    for (quint64 rest = quint64(rowid) >> 7; rest != 0 && bytes < 9; rest >>= 7)
        ++bytes;
    return bytes;
}

// Whose an index's disagreement with the copy is. Either a page of the table holds older or
// foreign rows, or a page of the index older or wrong entries. Never the index's alone
// while the table's root, or a page of the table that holds (or would hold) the rows in
// question, is repeated elsewhere in the file: it may be a copy put over the table's own,
// and when a page of the index whose entries mostly disagree is repeated too, either may be.
// Else the index is to blame when most entries of its pages that disagree do, and they
// are fewer pages than the table's that hold (or would hold) the rows they disagree on;
// when a page of the table would have had to hold more rows than fit on it; or when a page
// of the index whose entries mostly disagree is repeated elsewhere in the file (one of the
// two was copied over a page of another).
Blame blame(const IndexVerdict &verdict, const Salvaged &table, const QHash<qint64, qint64> &entryPages,
            const QHash<qint64, int> &pageEntries, const DatabasePages &pages)
{
    QHash<qint64, int> indexPages;   // the entries that disagree on each page of the index
    QHash<qint64, qint64> runBytes;   // the least bytes the cells of each run's page take
    const qint64 cellBytes = 4 + table.declared.names.size();
    for (const QSet<qint64> *rows : {&verdict.changed, &verdict.missing}) {
        for (const qint64 rowid : *rows) {
            if (entryPages.contains(rowid))
                ++indexPages[entryPages.value(rowid)];
            const qint64 run = table.runOf(rowid);
            if (!runBytes.contains(run))
                runBytes.insert(run, table.runs.value(run).rows * (cellBytes + idBytes(run)));
            if (rows == &verdict.missing)
                runBytes[run] += cellBytes + idBytes(rowid);
        }
    }
    if (runBytes.isEmpty())
        return Blame::Table;
    const auto copiedIndexPage = [&] {
        return std::any_of(indexPages.keyValueBegin(), indexPages.keyValueEnd(), [&](const auto &page) {
            return 2 * page.second >= pageEntries.value(page.first) && pages.pageRepeated(page.first);
        });
    };
    // A page of the table that another page repeats may be the copy put there: then the
    // table's pages are not believed over the index.
    if (pages.pageRepeated(table.root)
        || std::any_of(runBytes.keyBegin(), runBytes.keyEnd(), [&](qint64 run) { return pages.pageRepeated(table.runs.value(run).page); }))
        return copiedIndexPage() ? Blame::Either : Blame::Table;
    for (const qint64 bytes : std::as_const(runBytes))
        if (bytes > pages.pageSize() - 8)
            return Blame::Index;
    qint64 disagreeing = 0;
    qint64 entries = 0;
    for (auto it = indexPages.cbegin(); it != indexPages.cend(); ++it) {
        disagreeing += it.value();
        entries += pageEntries.value(it.key());
    }
    // Rows the index lacks lie on one of its pages at least.
    if (2 * disagreeing >= entries && qMax<qsizetype>(indexPages.size(), 1) < runBytes.size())
        return Blame::Index;
    constexpr int looked = 4;   // a copied page is one page: a wider disagreement is not its
    if (indexPages.size() > looked || runBytes.size() > looked)
        return Blame::Table;
    return copiedIndexPage() ? Blame::Index : Blame::Table;
}

} // namespace

QStringList indexColumns(const QString &sql)
{
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*CREATE\\s+(?:UNIQUE\\s+)?INDEX\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?[^(]+\\bON\\s+[^(]+\\((.*)\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression column(
        QStringLiteral("^\\s*(\"[^\"]*\"|\\[[^\\]]*\\]|`[^`]*`|\\w+)(?:\\s+COLLATE\\s+\\w+)?(?:\\s+(?:ASC|DESC))?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = declaration.match(sql);
    if (!match.hasMatch())
        return {};
    QStringList columns;
    for (const QString &part : match.captured(1).split(QLatin1Char(','))) {
        const QRegularExpressionMatch name = column.match(part);
        if (!name.hasMatch())
            return {};
        const QString quotedName = name.captured(1);
        columns.append(quotedName.front().isLetterOrNumber() || quotedName.front() == QLatin1Char('_')
                           ? quotedName
                           : quotedName.mid(1, quotedName.size() - 2));
    }
    return columns;
}

IndexVerdict checkIndex(DatabasePages &pages, const QSqlDatabase &db, const Salvaged &table, const SchemaEntry &index)
{
    IndexVerdict verdict;
    const QStringList columns = indexColumns(index.sql);
    if (columns.isEmpty() || index.root <= 0)
        return verdict;
    QStringList names;
    for (const QString &column : columns)
        names.append(quoted(column));
    // The copy's rows are read on the connection's own handle: every row of the table passes.
    sqlite3 *handle = SqliteHandle(db);
    const QByteArray sql = QStringLiteral("SELECT rowid, %1 FROM %2").arg(names.join(QLatin1Char(',')), quoted(table.name)).toUtf8();
    sqlite3_stmt *rows = nullptr;
    const auto finalize = qScopeGuard([&rows] { sqlite3_finalize(rows); });
    if (!handle || sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &rows, nullptr) != SQLITE_OK)
        return verdict;
    // Each entry taken, in the order read, its key's values first: of a row id twice, the
    // last counts; and whether the copy holds a row of it.
    struct Kept {
        qint64 rowid = 0;
        qint64 page = 0;
        QVariantList entry;
        bool twice = false;
        bool counts = true;
        bool matched = false;
    };
    QVector<Kept> kept;
    qint64 lowest = std::numeric_limits<qint64>::max();
    qint64 highest = std::numeric_limits<qint64>::min();
    QHash<qint64, int> pageEntries;   // how many entries each page of the index holds
    QList<QVariantList> unheld;   // the keys of the first rows of the copy the index lacks
    QSet<qint64> doubted;   // the row ids of entries on pages that fail their checks
    bool entriesSound = true;
    // The entries of a page are taken when it is read whole; one out of order with a
    // neighbour may be damaged, and which of the two is not known.
    QList<QVariantList> onPage;
    qint64 page = 0;
    bool inDoubt = false;
    const auto takePage = [&] {
        int taken = 0;
        bool withPrevious = false;   // whether the entry is out of order with the one before
        for (int i = 0; i < onPage.size(); ++i) {
            const QVariantList &entry = onPage.at(i);
            const bool withNext = i + 1 < onPage.size() && outOfOrder(entry, onPage.at(i + 1));
            const bool disorder = withPrevious || withNext;
            withPrevious = withNext;
            if (disorder) {
                entriesSound = false;
                continue;
            }
            const qint64 rowid = entry.last().toLongLong();
            kept.append(Kept{rowid, page, entry});
            lowest = qMin(lowest, rowid);
            highest = qMax(highest, rowid);
            if (inDoubt)
                doubted.insert(rowid);
            ++taken;
        }
        if (taken > 0)
            pageEntries[page] += taken;
        onPage.clear();
    };
    verdict.whole = pages.readIndex(index.root, [&](const QVariantList &entry) {
        if (pages.pageBeingRead() != page)
            takePage();
        page = pages.pageBeingRead();
        inDoubt = pages.pageInDoubt();
        if (entry.size() != columns.size() + 1 || entry.last().typeId() != QMetaType::LongLong)
            entriesSound = false;
        else
            onPage.append(entry);
    });
    takePage();
    verdict.whole = verdict.whole && entriesSound;
    RowidPlaces places(lowest, highest, kept.size());
    for (int i = 0; i < kept.size(); ++i) {
        const int before = places.set(kept.at(i).rowid, i);
        if (before >= 0) {
            kept[before].counts = false;
            kept[i].twice = true;
        }
    }
    while (sqlite3_step(rows) == SQLITE_ROW) {
        const qint64 rowid = sqlite3_column_int64(rows, 0);
        const int place = places.at(rowid);
        Kept *found = place >= 0 ? &kept[place] : nullptr;
        if (!found || found->matched) {
            if (verdict.whole)
                verdict.changed.insert(rowid);
            if (unheld.size() < 64) {
                QVariantList key;
                for (int i = 0; i < columns.size(); ++i)
                    key.append(columnValue(rows, i + 1));
                unheld.append(key);
            }
            continue;
        }
        bool same = !found->twice;
        for (int i = 0; i < columns.size() && same; ++i)
            same = sameValue(found->entry.at(i), columnValue(rows, i + 1));
        if (!same)
            verdict.changed.insert(rowid);
        found->matched = true;
    }
    for (const Kept &entry : std::as_const(kept)) {
        if (!entry.counts || entry.matched)
            continue;
        verdict.unmatched.insert(entry.rowid);
        // An entry of a page in doubt may tell a value wrong, but no row lost: its row id
        // may be damaged.
        if (doubted.contains(entry.rowid))
            continue;
        if (table.lostRow(entry.rowid)) {
            // A row whose cell was read is counted by the tree already.
            if (!table.losses.rowids.contains(entry.rowid))
                verdict.inLost.insert(entry.rowid);
            continue;
        }
        verdict.missing.insert(entry.rowid);
        verdict.paired += std::any_of(unheld.cbegin(), unheld.cend(), [&entry](const QVariantList &key) {
            return std::equal(key.cbegin(), key.cend(), entry.entry.cbegin(), sameValue);
        });
    }
    // The pages of the entries that disagree with the copy (of a row id twice, the last).
    QHash<qint64, qint64> entryPages;
    if (!verdict.changed.isEmpty() || !verdict.missing.isEmpty())
        for (const Kept &entry : std::as_const(kept))
            if (verdict.changed.contains(entry.rowid) || verdict.missing.contains(entry.rowid))
                entryPages.insert(entry.rowid, entry.page);
    verdict.blame = blame(verdict, table, entryPages, pageEntries, pages);
    return verdict;
}

QSet<qint64> missingRows(const QList<IndexVerdict> &verdicts)
{
    QSet<qint64> missing;
    for (const IndexVerdict &verdict : verdicts)
        for (const qint64 rowid : verdict.missing)
            if (std::none_of(verdicts.cbegin(), verdicts.cend(),
                             [rowid](const IndexVerdict &other) { return other.whole && !other.unmatched.contains(rowid); }))
                missing.insert(rowid);
    return missing;
}

} // namespace Salvage
