#include "editions/edition_salvage.h"

#include "editions/database_pages.h"
#include "editions/scratch_connection.h"
#include "platform/disk_space.h"
#include "shared/text_folding.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <sqlite3.h>

namespace {

// A line of the damaged file's schema table.
struct SchemaEntry {
    QString type;
    QString name;
    QString table;
    qint64 root = 0;
    QString sql;
};

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// The name a plain "CREATE TABLE name (...)" declares, without its quotes; empty for any
// other statement.
QString declaredName(const QString &sql)
{
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*CREATE\\s+TABLE\\s+(\"[^\"]*\"|\\[[^\\]]*\\]|`[^`]*`|[^\\s(\"`\\[]+)\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    const QString name = declaration.match(sql).captured(1);
    return name.isEmpty() || name.front().isLetterOrNumber() || name.front() == QLatin1Char('_') ? name
                                                                                                 : name.mid(1, name.size() - 2);
}

// The name of a table of the damaged file: its declaration's, unless both of the schema
// line's own name fields agree on another (a damaged line differs in one of the three).
QString tableName(const QString &name, const QString &table, const QString &sql)
{
    const QString declared = declaredName(sql);
    if (declared.isEmpty() || (name.compare(table, Qt::CaseInsensitive) == 0 && name.compare(declared, Qt::CaseInsensitive) != 0))
        return name;
    return declared;
}

// How a column holds its values, from its declared type.
enum class Affinity { Integer, Text, Blob, Real, Numeric };

Affinity affinityOf(const QString &declared)
{
    const QString type = declared.toUpper();
    if (type.contains(QLatin1String("INT")))
        return Affinity::Integer;
    if (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("CLOB")) || type.contains(QLatin1String("TEXT")))
        return Affinity::Text;
    if (type.isEmpty() || type.contains(QLatin1String("BLOB")))
        return Affinity::Blob;
    if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("FLOA")) || type.contains(QLatin1String("DOUB")))
        return Affinity::Real;
    return Affinity::Numeric;
}

// The columns of a table in declaration order, and which of them is the row id under
// another name (-1 when none is).
struct Columns {
    QStringList names;
    QList<Affinity> affinities;
    int rowidAlias = -1;

    // Whether a record of these values can be a row of the table: as many values as
    // columns (or, with older, fewer: a row written before columns were added), each of a
    // kind its column keeps (a text column turns numbers into text, a numeric one keeps
    // text only when it is no number; the row id is never stored).
    bool fits(const QVariantList &values, bool older = false) const
    {
        if (values.size() != names.size() && (!older || values.isEmpty() || values.size() > names.size()))
            return false;
        for (int i = 0; i < values.size(); ++i) {
            const QVariant &v = values.at(i);
            if (v.isNull())
                continue;
            if (i == rowidAlias)
                return false;
            const bool number = v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double;
            switch (affinities.at(i)) {
            case Affinity::Text:
                if (number)
                    return false;
                break;
            case Affinity::Integer:
            case Affinity::Real:
            case Affinity::Numeric:
                if (v.typeId() == QMetaType::QString) {
                    bool numeric = false;
                    v.toString().trimmed().toDouble(&numeric);
                    if (numeric)
                        return false;
                }
                break;
            case Affinity::Blob:
                break;
            }
        }
        return true;
    }
};

Columns columnsOf(const QSqlDatabase &db, const QString &table)
{
    Columns columns;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA table_xinfo(%1)").arg(quoted(table))))
        return columns;
    int keys = 0;
    int key = -1;
    while (q.next()) {
        // A virtual generated column holds nothing in a row's record; a stored one does.
        if (q.value(6).toInt() == 2)
            continue;
        columns.names.append(q.value(1).toString());
        columns.affinities.append(affinityOf(q.value(2).toString()));
        if (q.value(5).toInt() > 0) {
            ++keys;
            if (q.value(2).toString().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                key = int(columns.names.size()) - 1;
        }
    }
    if (keys == 1)
        columns.rowidAlias = key;
    return columns;
}

// The layout a damaged file declares for its tables, read by making them in a database
// in memory.
class DeclaredLayouts
{
public:
    DeclaredLayouts()
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name());
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open())
            InstallTextFolding(db);
    }
    ~DeclaredLayouts()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(name(), false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name());
    }
    // Empty when the declaration cannot be made (damaged text). The schema is read from a
    // damaged file, so only a plain "CREATE TABLE name (...)" is ever made, and that only in
    // this database of its own, never a table made from a query.
    Columns of(const SchemaEntry &entry) const
    {
        const QString table = declaredName(entry.sql);
        if (table.isEmpty())
            return {};
        const QSqlDatabase db = QSqlDatabase::database(name(), false);
        QSqlQuery q(db);
        if (!q.exec(entry.sql))
            return {};
        const Columns columns = columnsOf(db, table);
        q.exec(QStringLiteral("DROP TABLE %1").arg(quoted(table)));
        return columns;
    }

private:
    static QString name() { return QStringLiteral("salvage-layouts"); }
};

// The columns a damaged file declares, where a name the empty edition's table lacks takes
// the name of the empty edition's column in its place when no other is declared under it:
// a damaged name in the declaration. The empty edition's row id column declared in its
// place stays the row id: a damaged type ("INTEWER") would make it a column of its own,
// whose nulls the new file would take as asking for new row ids.
Columns withTemplateNames(Columns declared, const Columns &target)
{
    const auto has = [](const QStringList &names, const QString &name) { return names.contains(name, Qt::CaseInsensitive); };
    for (int i = 0; i < declared.names.size() && i < target.names.size(); ++i)
        if (!has(target.names, declared.names.at(i)) && !has(declared.names, target.names.at(i)))
            declared.names[i] = target.names.at(i);
    const int alias = target.rowidAlias;
    if (declared.rowidAlias < 0 && alias >= 0 && alias < declared.names.size()
        && declared.names.at(alias).compare(target.names.at(alias), Qt::CaseInsensitive) == 0)
        declared.rowidAlias = alias;
    return declared;
}

// Copies the rows of one table into the new file with statements prepared once for each
// number of values a row holds (older rows may hold fewer), on the connection's own SQLite
// handle: values pass as the driver would pass them (a null text or blob as NULL), without
// its conversions.
class TableCopy
{
public:
    TableCopy(const QSqlDatabase &db, const QString &table, const Columns &declared, const QStringList &target)
        : m_table(table)
        , m_declared(declared)
    {
        const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
            m_db = *static_cast<sqlite3 *const *>(handle.constData());
        for (const QString &column : target)
            m_target.insert(column.toLower());
    }
    ~TableCopy()
    {
        for (auto &statement : m_statements)
            sqlite3_finalize(statement.second.stmt);
    }
    TableCopy(const TableCopy &) = delete;
    TableCopy &operator=(const TableCopy &) = delete;

    // Answers false when the new file refused the row.
    bool insert(qint64 rowid, const QVariantList &values)
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

    int copied = 0;
    int clashed = 0;   // rows the table did not take: it held their row id or unique key
    QSqlError error;

private:
    struct Statement {
        sqlite3_stmt *stmt = nullptr;
        QList<int> columns;   // which values are bound, after the row id
        int prepareCode = SQLITE_OK;
    };

    int bind(sqlite3_stmt *stmt, int parameter, const QVariant &value)
    {
        switch (value.typeId()) {
        case QMetaType::LongLong:
            return sqlite3_bind_int64(stmt, parameter, value.toLongLong());
        case QMetaType::Double:
            return sqlite3_bind_double(stmt, parameter, value.toDouble());
        case QMetaType::QString: {
            const QString &text = *static_cast<const QString *>(value.constData());
            if (text.isNull())
                return sqlite3_bind_null(stmt, parameter);
            // Kept until the row is written: the statement reads the bytes in place.
            m_texts[parameter] = text.toUtf8();
            return sqlite3_bind_text(stmt, parameter, m_texts[parameter].constData(), int(m_texts[parameter].size()), SQLITE_STATIC);
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

    Statement &statementFor(int count)
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

    bool fail(const QString &what, QSqlError::ErrorType type, int code)
    {
        error = QSqlError(what, m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString(), type, QString::number(code));
        return false;
    }

    sqlite3 *m_db = nullptr;
    QString m_table;
    Columns m_declared;
    QSet<QString> m_target;
    std::map<int, Statement> m_statements;
    QVector<QByteArray> m_texts;   // the texts of the row being written, by parameter
};

// Whether a record is a line of a schema table.
bool isSchemaRow(const QVariantList &v)
{
    static const QStringList types{QStringLiteral("table"), QStringLiteral("index"), QStringLiteral("view"),
                                   QStringLiteral("trigger")};
    return v.size() == 5 && v.at(0).typeId() == QMetaType::QString && types.contains(v.at(0).toString())
           && v.at(1).typeId() == QMetaType::QString && v.at(3).typeId() == QMetaType::LongLong;
}

QList<SchemaEntry> readSchema(DatabasePages &pages, bool *lost)
{
    QList<SchemaEntry> schema;
    const auto take = [&schema](qint64, const QVariantList &v) {
        if (v.size() < 5)
            return;
        SchemaEntry entry{v.at(0).toString(), v.at(1).toString(), v.at(2).toString(), v.at(3).toLongLong(), v.at(4).toString()};
        if (entry.type == QLatin1String("table"))
            entry.name = entry.table = tableName(entry.name, entry.table, entry.sql);
        schema.append(entry);
    };
    *lost = !pages.readTable(1, take, -1, [](const QVariantList &v, bool) { return isSchemaRow(v); }).whole();
    // Lines of a damaged schema may still lie on pages its tree no longer reaches.
    if (*lost)
        pages.scanUnreached([&take](qint64 rowid, const QVariantList &v, int, int) {
            if (isSchemaRow(v))
                take(rowid, v);
        });
    return schema;
}

// The tables of the empty edition, as its schema declares them.
QList<SchemaEntry> templateTables(const QSqlDatabase &db)
{
    QList<SchemaEntry> tables;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
    while (q.next())
        tables.append(SchemaEntry{QStringLiteral("table"), q.value(0).toString(), q.value(0).toString(), 0, q.value(1).toString()});
    return tables;
}

// A plain declaration of a table of the given columns: their names and kinds, and the row
// id's other name.
QString declaration(const QString &table, const Columns &columns)
{
    static const QMap<Affinity, QString> types{{Affinity::Integer, QStringLiteral(" INTEGER")},
                                               {Affinity::Text, QStringLiteral(" TEXT")},
                                               {Affinity::Blob, QString()},
                                               {Affinity::Real, QStringLiteral(" REAL")},
                                               {Affinity::Numeric, QStringLiteral(" NUMERIC")}};
    QStringList parts;
    for (int i = 0; i < columns.names.size(); ++i)
        parts.append(quoted(columns.names.at(i))
                     + (i == columns.rowidAlias ? QStringLiteral(" INTEGER PRIMARY KEY") : types.value(columns.affinities.at(i))));
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(table), parts.join(QStringLiteral(", ")));
}

SalvageResult failed(SalvageResult result, const QSqlError &error, const QString &destination)
{
    result.outcome = SalvageResult::Outcome::Failed;
    result.failure = error.text();
    result.errorCode = error.nativeErrorCode().toInt() & 0xff;
    QFile::remove(destination);
    return result;
}

// A table being copied: how its rows are laid out and what of its tree was lost.
struct Salvaged {
    QString name;
    Columns declared;
    std::unique_ptr<TableCopy> copy;
    DatabasePages::Losses losses;
    qint64 root = 0;   // 0 when the table's tree is not known
    // The rows copied from one page after another, by the row id of the first of each
    // run: the page a row id lies on, or would, is told by the run it falls in.
    struct Run {
        qint64 page = 0;
        int rows = 0;
    };
    QMap<qint64, Run> runs;
    Run *lastRun = nullptr;   // the run the last row went to (the map keeps it in place)

    void noteRow(qint64 rowid, qint64 page)
    {
        if (lastRun && lastRun->page == page) {
            ++lastRun->rows;
            return;
        }
        lastRun = &*runs.insert(rowid, Run{page, 1});
    }
    // The first row id of the run a row id falls in (the first run's for one before all).
    qint64 runOf(qint64 rowid) const
    {
        auto after = runs.upperBound(rowid);
        return after == runs.cbegin() ? (runs.isEmpty() ? 0 : after.key()) : std::prev(after).key();
    }

    // Sorts the lost row ids and joins those that meet, so that a row id is looked up in
    // them by halves.
    void joinLosses()
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

    bool lostRow(qint64 rowid) const
    {
        const auto after = std::upper_bound(losses.ranges.cbegin(), losses.ranges.cend(), rowid,
                                            [](qint64 id, const DatabasePages::Range &range) {
                                                return range.hasFirst && id < range.first;
                                            });
        return losses.rowids.contains(rowid) || (after != losses.ranges.cbegin() && std::prev(after)->contains(rowid));
    }
};

// Of the tables that may hold a row from an unreached page and whose columns it fits, the
// one it goes to, or -1: the one whose leaf pages lie on both sides of its page, else the
// only one, else the only one whose leaf pages lie on one side.
int ownerOf(const std::vector<Salvaged> &tables, const std::function<bool(int)> &mayHold, const QVariantList &values,
            int before, int after)
{
    QList<int> fitting;
    for (int i = 0; i < int(tables.size()); ++i)
        if (mayHold(i) && tables[i].declared.fits(values))
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

// What a table lost: its undecodable rows, or the rows its indexes hold that the copy
// lacks outside the row ids the tree lost when there are more of those (an undecodable
// row is one of them when its row id is sound; up to so many when one may be a row of
// the copy under another row id, or when the index's page or the table's may be the
// copy), and of the row ids the tree lost, those an index read whole holds that the copy
// lacks (inLost, -1 when no index was) or else, for each unreadable page, the row ids it
// may have held that the copy lacks.
SalvageResult::Lost lossOf(const QSqlDatabase &db, const Salvaged &table, qint64 missing, bool missingUpTo, qint64 inLost,
                           qint64 fileSize)
{
    SalvageResult::Lost lost;
    lost.rows = qMax<qint64>(table.losses.rows, missing);
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

// The columns of an index declared as "CREATE [UNIQUE] INDEX name ON table (column, ...)",
// each a plain name with perhaps a collation and an order; empty for any other index.
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

// Whether a value read from an index is the one the copy holds.
bool sameValue(const QVariant &a, const QVariant &b)
{
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

// How two entries of an index compare, where their values are numbers or nulls: -1, 0 or
// 1; 2 when it takes two texts or blobs, whose order is the collation's.
int compareEntries(const QVariantList &a, const QVariantList &b)
{
    const auto number = [](const QVariant &v) { return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double; };
    for (int i = 0; i < a.size() && i < b.size(); ++i) {
        const QVariant &x = a.at(i);
        const QVariant &y = b.at(i);
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

// Which side of a disagreement between a table's pages and an index is wrong: with Index,
// the index is astray and tells nothing of the rows; with Either, a page of each is repeated
// elsewhere in the file and either may be the copy, so the rows the index holds that the
// table lacks are lost, or none is.
enum class Blame { Table, Index, Either };

// What an index tells of its table's rows in the copy.
struct IndexVerdict {
    bool whole = false;       // every page and entry of the index was read
    QSet<qint64> unmatched;   // the row ids it holds that the copy lacks
    QSet<qint64> missing;     // of those, the ones the copy lacks outside the row ids the tree lost
    QSet<qint64> changed;     // rows of the copy it holds with other values, or lacks when whole
    QSet<qint64> inLost;      // the row ids it holds that the tree lost and the copy lacks
    // Of the missing, those whose key is that of a row of the copy the index lacks: one row
    // under two row ids, of which either the table's or the index's may be the damaged one.
    int paired = 0;
    Blame blame = Blame::Table;
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

// Reads a table's index against the copy's rows: a row the index holds with other values,
// or lacks although the index was read whole, goes into changed (a page of the table or
// of the index may be an older one).
IndexVerdict checkIndex(DatabasePages &pages, const QSqlDatabase &db, const Salvaged &table, const SchemaEntry &index)
{
    IndexVerdict verdict;
    const QStringList columns = indexColumns(index.sql);
    if (columns.isEmpty() || index.root <= 0)
        return verdict;
    QStringList names;
    for (const QString &column : columns)
        names.append(quoted(column));
    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    if (!rows.exec(QStringLiteral("SELECT rowid, %1 FROM %2").arg(names.join(QLatin1Char(',')), quoted(table.name))))
        return verdict;
    QHash<qint64, QVariantList> keys;   // each row id's entry, its key's values first
    keys.reserve(table.copy->copied);
    QVector<QPair<qint64, qint64>> placed;   // each entry taken, by row id, with its page
    QHash<qint64, int> pageEntries;   // how many entries each page of the index holds
    QList<QVariantList> unheld;   // the keys of the first rows of the copy the index lacks
    QSet<qint64> twice;
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
            const qsizetype before = keys.size();
            QVariantList &kept = keys[rowid];
            if (keys.size() == before)
                twice.insert(rowid);
            kept = entry;
            placed.append({rowid, page});
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
    while (rows.next()) {
        const qint64 rowid = rows.value(0).toLongLong();
        const auto found = keys.find(rowid);
        if (found == keys.end()) {
            if (verdict.whole)
                verdict.changed.insert(rowid);
            if (unheld.size() < 64) {
                QVariantList key;
                for (int i = 0; i < columns.size(); ++i)
                    key.append(rows.value(i + 1));
                unheld.append(key);
            }
            continue;
        }
        bool same = !twice.contains(rowid);
        for (int i = 0; i < columns.size() && same; ++i)
            same = sameValue(found->at(i), rows.value(i + 1));
        if (!same)
            verdict.changed.insert(rowid);
        keys.erase(found);
    }
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        verdict.unmatched.insert(it.key());
        // An entry of a page in doubt may tell a value wrong, but no row lost: its row id
        // may be damaged.
        if (doubted.contains(it.key()))
            continue;
        if (table.lostRow(it.key())) {
            // A row whose cell was read is counted by the tree already.
            if (!table.losses.rowids.contains(it.key()))
                verdict.inLost.insert(it.key());
            continue;
        }
        verdict.missing.insert(it.key());
        verdict.paired += std::any_of(unheld.cbegin(), unheld.cend(), [&it](const QVariantList &key) {
            return std::equal(key.cbegin(), key.cend(), it->cbegin(), sameValue);
        });
    }
    // The pages of the entries that disagree with the copy (of a row id twice, the last).
    QHash<qint64, qint64> entryPages;
    if (!verdict.changed.isEmpty() || !verdict.missing.isEmpty())
        for (const auto &[rowid, onIndexPage] : std::as_const(placed))
            if (verdict.changed.contains(rowid) || verdict.missing.contains(rowid))
                entryPages.insert(rowid, onIndexPage);
    verdict.blame = blame(verdict, table, entryPages, pageEntries, pages);
    return verdict;
}

// The rows the indexes tell the copy lacks: those one index holds that no other index,
// read whole, leaves out (an older page of an index may hold rows deleted since). Each is a
// row the copy lacks, so an index holds it when it is among its unmatched ones.
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

// Whether the row a query stands on holds values in the columns of declared.
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

} // namespace

SalvageResult SalvageEdition(const QString &damaged, const QString &templateFile, const QString &destination)
{
    SalvageResult result;
    DatabasePages pages(damaged);
    if (!pages.isOpen()) {
        result.outcome = SalvageResult::Outcome::Unreadable;
        return result;
    }
    const QList<SchemaEntry> schema = readSchema(pages, &result.schemaLost);
    QList<SchemaEntry> tables;
    QSet<QString> names;
    // SQLite's own tables are made afresh, and a table that is not made again is still
    // read, so that its pages are taken for no other table's.
    QList<qint64> unmade;
    for (const SchemaEntry &entry : schema) {
        if (entry.type != QLatin1String("table"))
            continue;
        // A damaged schema may name a table twice, and then its first line is taken. A line
        // whose declaration is no table's still names one of the empty edition's by its name
        // fields, and is then read with that table's columns.
        if (entry.name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive) || names.contains(entry.name.toLower())
            || entry.root <= 0) {
            unmade.append(entry.root);
            if (!entry.name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive) && !names.contains(entry.name.toLower()))
                result.lost[entry.name].unknown = true;
            names.insert(entry.name.toLower());
            continue;
        }
        names.insert(entry.name.toLower());
        tables.append(entry);
    }
    QFile::remove(destination);
    if (!QFile::copy(templateFile, destination)) {
        QFile::remove(destination);
        result.failure = QStringLiteral("The empty edition could not be copied.");
        // Told as SQLite tells the same faults of the file it writes.
        switch (WhyWriteFailed(QFileInfo(destination).absolutePath(), QFileInfo(templateFile).size())) {
        case WriteFault::DiskFull:
            result.errorCode = SQLITE_FULL;
            break;
        case WriteFault::FolderReadOnly:
            result.errorCode = SQLITE_CANTOPEN;
            break;
        case WriteFault::Unknown:
            break;
        }
        return result;
    }
    int copied = 0;
    {
        ScratchConnection copy(destination);
        QSqlDatabase db = copy.database();
        // The new file is a scratch file until it is whole: it needs no journal.
        if (!copy.exec(QStringLiteral("PRAGMA journal_mode = OFF")) || !db.transaction())
            return failed(result, db.lastError(), destination);
        // A damaged list of tables may have lost some: the empty edition's are looked for.
        if (result.schemaLost) {
            for (const SchemaEntry &entry : templateTables(db))
                if (!names.contains(entry.name.toLower()))
                    tables.append(entry);
        }
        const DeclaredLayouts layouts;
        std::vector<Salvaged> salvaged;
        salvaged.reserve(size_t(tables.size()));
        for (const SchemaEntry &entry : std::as_const(tables)) {
            Columns target = columnsOf(db, entry.name);
            Columns declared = target;
            if (entry.root > 0) {
                // A declaration damaged past making is taken for the empty edition's own.
                const Columns made = layouts.of(entry);
                declared = made.names.isEmpty() ? target : withTemplateNames(made, target);
            }
            if (declared.names.isEmpty()) {
                unmade.append(entry.root);
                result.lost[entry.name].unknown = true;
                continue;
            }
            if (target.names.isEmpty()) {
                // A table the empty edition lacks is made from its columns alone: no
                // expression of the damaged file (a check, a default) ever runs, and its
                // indexes hold nothing that the rows do not.
                QSqlQuery create(db);
                create.exec(declaration(entry.name, declared));
                target = columnsOf(db, entry.name);
            }
            if (target.names.isEmpty()) {
                unmade.append(entry.root);
                result.lost[entry.name].unknown = true;
                continue;
            }
            salvaged.push_back(Salvaged{entry.name, declared,
                                        std::make_unique<TableCopy>(db, entry.name, declared, target.names), {},
                                        entry.root, {}});
        }
        // Each tree first: its rows are the table's for certain. A page that more than one
        // tree reaches belongs to none of them.
        QList<qint64> roots = unmade;
        for (const Salvaged &table : salvaged)
            roots.append(table.root);
        pages.mapTrees(roots);
        for (const qint64 root : std::as_const(unmade))
            pages.readTable(root, [](qint64, const QVariantList &) {});
        const TableCopy *refused = nullptr;
        const auto insert = [&refused, &pages](Salvaged &table, qint64 rowid, const QVariantList &values) {
            const int copied = table.copy->copied;
            if (!refused && !table.copy->insert(rowid, values))
                refused = table.copy.get();
            if (table.copy->copied > copied)
                table.noteRow(rowid, pages.pageBeingRead());
        };
        for (int i = 0; i < int(salvaged.size()); ++i) {
            Salvaged &table = salvaged[size_t(i)];
            if (table.root == 0) {
                table.losses.ranges.append(DatabasePages::Range());
                continue;
            }
            const Columns &declared = table.declared;
            table.losses = pages.readTable(
                table.root, [&](qint64 rowid, const QVariantList &values) { insert(table, rowid, values); }, i,
                // Rows of fewer values than the table has columns were written before it
                // gained some; not on a page that is a copy of another, whose rows are the
                // other page's table's.
                [&declared](const QVariantList &values, bool repeated) { return declared.fits(values, !repeated); });
            table.joinLosses();
            if (refused)
                return failed(result, refused->error, destination);
        }
        // Then the pages no tree reached: a row there goes to a table whose tree lost its
        // row id or, failing that, to one whose tree was read whole and lacks it (a tree
        // whose root was overwritten by one of its leaves, say).
        std::vector<QSqlQuery> holding;
        for (const Salvaged &table : salvaged) {
            holding.emplace_back(db);
            holding.back().prepare(QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(table.name)));
        }
        // A row no table takes is one that could not be read only where a tree lost rows it
        // may be one of; else it is a leftover (a page freed but not listed, or bytes after
        // the edition's end) and nothing is lost.
        const bool partial = std::any_of(salvaged.cbegin(), salvaged.cend(),
                                         [](const Salvaged &table) { return !table.losses.ranges.isEmpty(); });
        int unplaced = 0;
        const int undecodable = pages.scanUnreached([&](qint64 rowid, const QVariantList &values, int before, int after) {
            if (result.schemaLost && isSchemaRow(values))
                return;
            // A row a table holds under its row id with the same values is a copy of it: it
            // goes to no table that was read whole, and is no row lost.
            const auto copyOfHeld = [&](int i) {
                QSqlQuery &held = holding[size_t(i)];
                held.bindValue(0, rowid);
                return salvaged[size_t(i)].declared.fits(values, true) && held.exec() && held.next()
                       && holdsValues(held, salvaged[size_t(i)].declared, values);
            };
            int owner = ownerOf(salvaged, [&](int i) { return salvaged[size_t(i)].lostRow(rowid); }, values, before, after);
            if (owner < 0) {
                for (int i = 0; i < int(salvaged.size()); ++i)
                    if (copyOfHeld(i))
                        return;
                owner = ownerOf(salvaged, [&](int i) {
                    QSqlQuery &held = holding[size_t(i)];
                    held.bindValue(0, rowid);
                    return salvaged[size_t(i)].root > 0 && salvaged[size_t(i)].losses.ranges.isEmpty() && held.exec()
                           && !held.next();
                }, values, before, after);
            }
            if (owner >= 0)
                insert(salvaged[size_t(owner)], rowid, values);
            else
                ++unplaced;
        });
        if (partial)
            result.unplaced += undecodable + unplaced;
        if (refused)
            return failed(result, refused->error, destination);
        // An index whose tree crosses another's may be reading the other's entries: neither
        // tells anything of the rows.
        QList<qint64> indexRoots;
        for (const SchemaEntry &entry : schema)
            if (entry.type == QLatin1String("index") && entry.root > 0)
                indexRoots.append(entry.root);
        const QSet<qint64> crossed = pages.crossedIndexes(indexRoots);
        for (const Salvaged &table : salvaged) {
            copied += table.copy->copied;
            result.recovered.insert(table.name, table.copy->copied);
            result.clashed += table.copy->clashed;
            // Tables found by the scan alone have no tree that tells what they lost, nor
            // indexes to tell it.
            if (table.root == 0)
                continue;
            // An index astray tells nothing of the rows: the copy's own are made afresh.
            QList<IndexVerdict> verdicts;
            QSet<qint64> changed;
            bool missingUpTo = false;
            for (const SchemaEntry &entry : schema) {
                if (entry.type != QLatin1String("index") || entry.table.compare(table.name, Qt::CaseInsensitive) != 0
                    || crossed.contains(entry.root))
                    continue;
                const IndexVerdict verdict = checkIndex(pages, db, table, entry);
                if (verdict.blame != Blame::Index) {
                    changed.unite(verdict.changed);
                    missingUpTo = missingUpTo || verdict.paired > 0 || verdict.blame == Blame::Either;
                    verdicts.append(verdict);
                }
            }
            const QSet<qint64> missing = missingRows(verdicts);
            // An index read whole tells which of the row ids the tree lost were rows.
            std::optional<QSet<qint64>> inLost;
            for (const IndexVerdict &verdict : std::as_const(verdicts))
                if (verdict.whole)
                    inLost = inLost ? inLost->intersect(verdict.inLost) : verdict.inLost;
            if (!changed.isEmpty())
                result.changed.insert(table.name, int(changed.size()));
            if (!table.losses.whole() || !missing.isEmpty())
                result.lost.insert(table.name, lossOf(db, table, missing.size(), missingUpTo, inLost ? inLost->size() : -1, pages.size()));
        }
        // Tables that took rows from pages of the same bytes, none of them told as having
        // lost or changed rows: any of those pages may be a copy of another put over a page
        // of the table's own, and how many of its own rows were lost is not known.
        QHash<qint64, QSet<QString>> tablesOfSamePages;   // by the first page of the same bytes
        for (const Salvaged &table : salvaged)
            for (const Salvaged::Run &run : table.runs)
                if (const qint64 first = pages.firstOfSame(run.page))
                    tablesOfSamePages[first].insert(table.name);
        const auto told = [&result](const QString &name) {
            const auto lost = result.lost.constFind(name);
            return result.changed.contains(name) || (lost != result.lost.cend() && (lost->rows > 0 || lost->unknown));
        };
        for (const QSet<QString> &sharing : std::as_const(tablesOfSamePages)) {
            if (sharing.size() > 1 && std::none_of(sharing.cbegin(), sharing.cend(), told))
                for (const QString &name : sharing)
                    result.lost[name].unknown = true;
        }
        for (auto it = result.lost.begin(); it != result.lost.end();)
            it = it->rows == 0 && !it->unknown ? result.lost.erase(it) : std::next(it);
        if (!db.commit())
            return failed(result, db.lastError(), destination);
        if (!copy.intact()) {
            result.failure = QStringLiteral("The recovered copy failed its integrity check.");
            QFile::remove(destination);
            return result;
        }
    }
    // Nothing read at all: no list of tables and no row.
    if (schema.isEmpty() && result.schemaLost && copied == 0) {
        QFile::remove(destination);
        result = SalvageResult();
        result.outcome = SalvageResult::Outcome::Unreadable;
        return result;
    }
    result.outcome = SalvageResult::Outcome::Salvaged;
    return result;
}
