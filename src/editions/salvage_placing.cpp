#include "editions/salvage_placing.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <limits>

#include <sqlite3.h>

namespace Salvage {

TableCopy::TableCopy(const QSqlDatabase &db, const QString &table, const Columns &declared, const QStringList &target)
    : m_table(table)
    , m_declared(declared)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        m_db = *static_cast<sqlite3 *const *>(handle.constData());
    for (const QString &column : target)
        m_target.insert(column.toLower());
}

TableCopy::~TableCopy()
{
    for (auto &statement : m_statements)
        sqlite3_finalize(statement.second.stmt);
}

bool TableCopy::insert(qint64 rowid, const QVariantList &values)
{
    const int count = int(qMin(values.size(), m_declared.names.size()));
    Statement &statement = statementFor(count);
    if (!statement.stmt)
        return fail(QStringLiteral("Unable to execute statement"), QSqlError::StatementError, statement.prepareCode);
    sqlite3_stmt *stmt = statement.stmt;
    int code = sqlite3_bind_int64(stmt, 1, rowid);
    for (int i = 0; i < statement.columns.size() && code == SQLITE_OK; ++i)
        code = bind(stmt, i + 2, values.at(statement.columns.at(i)));
    if (code != SQLITE_OK) {
        sqlite3_clear_bindings(stmt);
        return fail(QStringLiteral("Unable to bind parameters"), QSqlError::StatementError, code);
    }
    code = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (code != SQLITE_DONE)
        return fail(QStringLiteral("Unable to fetch row"), QSqlError::ConnectionError, code);
    if (sqlite3_changes(m_db) > 0)
        ++copied;
    else
        ++clashed;
    return true;
}

int TableCopy::bind(sqlite3_stmt *stmt, int parameter, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return sqlite3_bind_int64(stmt, parameter, *static_cast<const qint64 *>(value.constData()));
    case QMetaType::Double:
        return sqlite3_bind_double(stmt, parameter, value.toDouble());
    case QMetaType::QString: {
        const QString &text = *static_cast<const QString *>(value.constData());
        if (text.isNull())
            return sqlite3_bind_null(stmt, parameter);
        // Kept until the row is written: the statement reads the bytes in place. Each
        // parameter's bytes take the place of the last row's.
        QByteArray &utf8 = m_texts[parameter];
        utf8.resize(m_encoder.requiredSpace(text.size()));
        const char *end = m_encoder.appendToBuffer(utf8.data(), text);
        return sqlite3_bind_text(stmt, parameter, utf8.constData(), int(end - utf8.constData()), SQLITE_STATIC);
    }
    case QMetaType::QByteArray: {
        const QByteArray &bytes = *static_cast<const QByteArray *>(value.constData());
        if (bytes.isNull())
            return sqlite3_bind_null(stmt, parameter);
        return bytes.isEmpty() ? sqlite3_bind_zeroblob(stmt, parameter, 0)
                               : sqlite3_bind_blob(stmt, parameter, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
    }
    default:
        return sqlite3_bind_null(stmt, parameter);
    }
}

TableCopy::Statement &TableCopy::statementFor(int count)
{
    const auto found = m_statements.find(count);
    if (found != m_statements.end())
        return found->second;
    Statement &statement = m_statements[count];
    QStringList names{QStringLiteral("rowid")};
    for (int i = 0; i < count; ++i) {
        if (i != m_declared.rowidAlias && m_target.contains(m_declared.names.at(i).toLower())) {
            statement.columns.append(i);
            names.append(quoted(m_declared.names.at(i)));
        }
    }
    if (m_texts.size() < names.size() + 1)
        m_texts.resize(names.size() + 1);
    const QString marks = QStringLiteral("?,").repeated(names.size()).chopped(1);
    const QByteArray sql = QStringLiteral("INSERT OR IGNORE INTO %1 (%2) VALUES (%3)")
                               .arg(quoted(m_table), names.join(QLatin1Char(',')), marks)
                               .toUtf8();
    statement.prepareCode = m_db ? sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &statement.stmt, nullptr)
                                 : SQLITE_MISUSE;
    return statement;
}

bool TableCopy::fail(const QString &what, QSqlError::ErrorType type, int code)
{
    error = QSqlError(what, m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString(), type, QString::number(code));
    return false;
}

qint64 Salvaged::runOf(qint64 rowid) const
{
    auto after = runs.upperBound(rowid);
    return after == runs.cbegin() ? (runs.isEmpty() ? 0 : after.key()) : std::prev(after).key();
}

QList<qint64> Salvaged::rowsOfRun(const QSqlDatabase &db, qint64 start) const
{
    QList<qint64> rowids;
    QSqlQuery rows(db);
    rows.prepare(QStringLiteral("SELECT rowid FROM %1 WHERE rowid >= ? ORDER BY rowid LIMIT ?").arg(quoted(name)));
    rows.bindValue(0, start);
    rows.bindValue(1, runs.value(start).rows);
    if (rows.exec())
        while (rows.next())
            rowids.append(rows.value(0).toLongLong());
    return rowids;
}

int Salvaged::giveUp(const QSqlDatabase &db, const QList<qint64> &starts)
{
    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(name)));
    QSqlQuery below(db);
    below.prepare(QStringLiteral("SELECT max(rowid) FROM %1 WHERE rowid < ?").arg(quoted(name)));
    QSqlQuery above(db);
    above.prepare(QStringLiteral("SELECT min(rowid) FROM %1 WHERE rowid > ?").arg(quoted(name)));
    int removed = 0;
    for (const qint64 start : starts) {
        const QList<qint64> rowids = rowsOfRun(db, start);
        for (const qint64 rowid : rowids) {
            remove.bindValue(0, rowid);
            removed += remove.exec() ? remove.numRowsAffected() : 0;
        }
        runs.remove(start);
        if (rowids.isEmpty())
            continue;
        // The rows left on either side bound what the page held.
        DatabasePages::Range lostIds;
        below.bindValue(0, rowids.first());
        if (below.exec() && below.next() && !below.value(0).isNull()) {
            lostIds.first = below.value(0).toLongLong() + 1;
            lostIds.hasFirst = true;
        }
        above.bindValue(0, rowids.last());
        if (above.exec() && above.next() && !above.value(0).isNull()) {
            lostIds.last = above.value(0).toLongLong() - 1;
            lostIds.hasLast = true;
        }
        losses.ranges.append(lostIds);
    }
    lastRun = nullptr;
    copy->copied -= removed;
    joinLosses();
    return removed;
}

QMap<qint64, QVariantList> Salvaged::rowsAsDeclared(const QSqlDatabase &db) const
{
    const Columns target = columnsOf(db, name);
    QStringList names;
    for (const QString &column : declared.names)
        names.append(target.names.contains(column, Qt::CaseInsensitive) ? quoted(column) : QStringLiteral("NULL"));
    QMap<qint64, QVariantList> rows;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (names.isEmpty() || !query.exec(QStringLiteral("SELECT rowid, %1 FROM %2").arg(names.join(QLatin1Char(',')), quoted(name))))
        return rows;
    while (query.next()) {
        QVariantList values;
        for (int i = 1; i <= names.size(); ++i)
            values.append(query.value(i));
        rows.insert(query.value(0).toLongLong(), values);
    }
    return rows;
}

void Salvaged::giveUpAll(const QSqlDatabase &db)
{
    QSqlQuery(db).exec(QStringLiteral("DELETE FROM %1").arg(quoted(name)));
    copy->copied = 0;
    runs.clear();
    lastRun = nullptr;
    losses.ranges.append(DatabasePages::Range());
    joinLosses();
}

void Salvaged::joinLosses()
{
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    constexpr qint64 highest = std::numeric_limits<qint64>::max();
    QList<QPair<qint64, qint64>> spans;
    for (const DatabasePages::Range &range : std::as_const(losses.ranges))
        if (!range.hasFirst || !range.hasLast || range.first <= range.last)
            spans.append({range.hasFirst ? range.first : lowest, range.hasLast ? range.last : highest});
    std::sort(spans.begin(), spans.end());
    losses.ranges.clear();
    for (const auto &span : std::as_const(spans)) {
        DatabasePages::Range *last = losses.ranges.isEmpty() ? nullptr : &losses.ranges.last();
        if (last && (!last->hasLast || span.first <= last->last || span.first - 1 == last->last)) {
            last->last = qMax(last->last, span.second);
            last->hasLast = last->hasLast && span.second != highest;
            continue;
        }
        losses.ranges.append({span.first, span.second, span.first != lowest, span.second != highest});
    }
}

bool Salvaged::lostRow(qint64 rowid) const
{
    const auto after = std::upper_bound(losses.ranges.cbegin(), losses.ranges.cend(), rowid,
                                        [](qint64 id, const DatabasePages::Range &range) {
                                            return range.hasFirst && id < range.first;
                                        });
    return losses.rowids.contains(rowid) || (after != losses.ranges.cbegin() && std::prev(after)->contains(rowid));
}

int ownerOf(const std::vector<Salvaged> &tables, const std::function<bool(int)> &mayHold, const QVariantList &values,
            int before, int after)
{
    // The columns are looked at first: whether a table may hold the row can take a query.
    QList<int> fitting;
    for (int i = 0; i < int(tables.size()); ++i)
        if (tables[i].declared.fits(values) && mayHold(i))
            fitting.append(i);
    if (before >= 0 && before == after && fitting.contains(before))
        return before;
    if (fitting.size() == 1)
        return fitting.first();
    const bool nearBefore = before >= 0 && fitting.contains(before);
    const bool nearAfter = after >= 0 && fitting.contains(after);
    if (nearBefore != nearAfter)
        return nearBefore ? before : after;
    return -1;
}

SalvageResult::Lost lossOf(const QSqlDatabase &db, const Salvaged &table, qint64 missing, qint64 soundIds, bool missingUpTo,
                           qint64 inLost, qint64 fileSize)
{
    SalvageResult::Lost lost;
    lost.rows = table.losses.rows + missing - qMin<qint64>(missing, table.losses.rows - soundIds);
    lost.upTo = missingUpTo && missing > 0;
    if (inLost >= 0) {
        lost.rows += inLost;
        return lost;
    }
    QSqlQuery count(db);
    count.prepare(QStringLiteral("SELECT count(*) FROM %1 WHERE rowid BETWEEN ? AND ?").arg(quoted(table.name)));
    for (const DatabasePages::Range &range : table.losses.ranges) {
        // A file of n bytes holds fewer than n rows: a wider range tells nothing.
        const quint64 span = quint64(range.last) - quint64(range.first) + 1;
        if (!range.hasFirst || !range.hasLast || range.last < range.first || span > quint64(fileSize)) {
            lost.unknown = true;
            continue;
        }
        count.bindValue(0, range.first);
        count.bindValue(1, range.last);
        if (!count.exec() || !count.next()) {
            lost.unknown = true;
            continue;
        }
        lost.rows += qint64(span) - count.value(0).toLongLong();
        lost.upTo = true;
    }
    return lost;
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    // Two integers, the most common, are compared as they are: a null read is no value.
    if (a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong)
        return *static_cast<const qint64 *>(a.constData()) == *static_cast<const qint64 *>(b.constData());
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    const auto integer = [](const QVariant &v) {
        return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::ULongLong
               || v.typeId() == QMetaType::UInt;
    };
    const auto number = [&integer](const QVariant &v) { return integer(v) || v.typeId() == QMetaType::Double; };
    if (number(a) || number(b)) {
        if (!number(a) || !number(b))
            return false;
        return integer(a) && integer(b) ? a.toLongLong() == b.toLongLong() : a.toDouble() == b.toDouble();
    }
    if (a.typeId() == QMetaType::QByteArray || b.typeId() == QMetaType::QByteArray)
        return a.typeId() == b.typeId() && a.toByteArray() == b.toByteArray();
    return a.toString() == b.toString();
}

bool holdsValues(const QSqlQuery &row, const Columns &declared, const QVariantList &values)
{
    const QSqlRecord record = row.record();
    for (int i = 0; i < values.size(); ++i) {
        const int field = record.indexOf(declared.names.at(i));
        if (i != declared.rowidAlias && field >= 0 && !sameValue(values.at(i), row.value(field)))
            return false;
    }
    return true;
}

} // namespace Salvage
