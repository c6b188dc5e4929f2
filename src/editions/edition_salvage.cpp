#include "editions/edition_salvage.h"

#include "editions/database_pages.h"
#include "editions/scratch_connection.h"
#include "shared/text_folding.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include <map>

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

// The columns of a table in declaration order, and which of them is the row id under
// another name (-1 when none is).
struct Columns {
    QStringList names;
    int rowidAlias = -1;
};

Columns columnsOf(const QSqlDatabase &db, const QString &table)
{
    Columns columns;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table))))
        return columns;
    int keys = 0;
    int key = -1;
    while (q.next()) {
        columns.names.append(q.value(1).toString());
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
    // Empty when the declaration cannot be made (damaged text).
    Columns of(const SchemaEntry &entry) const
    {
        const QSqlDatabase db = QSqlDatabase::database(name(), false);
        QSqlQuery q(db);
        if (!q.exec(entry.sql))
            return {};
        return columnsOf(db, entry.name);
    }

private:
    static QString name() { return QStringLiteral("salvage-layouts"); }
};

// Copies the rows of one table into the new file with statements prepared once for each
// number of values a row holds (older rows may hold fewer).
class TableCopy
{
public:
    TableCopy(const QSqlDatabase &db, const QString &table, const Columns &declared, const QStringList &target)
        : m_db(db)
        , m_table(table)
        , m_declared(declared)
    {
        for (const QString &column : target)
            m_target.insert(column.toLower());
    }

    // Answers false when the new file refused the row.
    bool insert(qint64 rowid, const QVariantList &values)
    {
        const int count = int(qMin(values.size(), m_declared.names.size()));
        Statement &statement = statementFor(count);
        if (!statement.prepared)
            return fail(statement.query);
        statement.query.bindValue(0, rowid);
        for (int i = 0; i < statement.columns.size(); ++i)
            statement.query.bindValue(i + 1, values.at(statement.columns.at(i)));
        if (!statement.query.exec())
            return fail(statement.query);
        if (statement.query.numRowsAffected() > 0)
            ++copied;
        return true;
    }

    int copied = 0;
    QSqlError error;

private:
    struct Statement {
        QSqlQuery query;
        QList<int> columns;   // which values are bound, after the row id
        bool prepared = false;
    };

    Statement &statementFor(int count)
    {
        const auto found = m_statements.find(count);
        if (found != m_statements.end())
            return found->second;
        Statement &statement = m_statements.emplace(count, Statement{QSqlQuery(m_db), {}, false}).first->second;
        QStringList names{QStringLiteral("rowid")};
        for (int i = 0; i < count; ++i) {
            if (i != m_declared.rowidAlias && m_target.contains(m_declared.names.at(i).toLower())) {
                statement.columns.append(i);
                names.append(quoted(m_declared.names.at(i)));
            }
        }
        const QString marks = QStringLiteral("?,").repeated(names.size()).chopped(1);
        statement.prepared = statement.query.prepare(QStringLiteral("INSERT OR IGNORE INTO %1 (%2) VALUES (%3)")
                                                         .arg(quoted(m_table), names.join(QLatin1Char(',')), marks));
        return statement;
    }

    bool fail(const QSqlQuery &query)
    {
        error = query.lastError();
        return false;
    }

    QSqlDatabase m_db;
    QString m_table;
    Columns m_declared;
    QSet<QString> m_target;
    std::map<int, Statement> m_statements;
};

QList<SchemaEntry> readSchema(const DatabasePages &pages, int *lost)
{
    QList<SchemaEntry> schema;
    *lost = pages.readTable(1, [&schema](qint64, const QVariantList &v) {
        if (v.size() >= 5)
            schema.append(SchemaEntry{v.at(0).toString(), v.at(1).toString(), v.at(2).toString(),
                                      v.at(3).toLongLong(), v.at(4).toString()});
    });
    return schema;
}

// A table of the damaged file whose declaration may be made again: the schema is read
// from a damaged file, so only a plain "CREATE TABLE name (...)" is ever run, never a
// table made from a query.
bool isTable(const SchemaEntry &entry)
{
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*CREATE\\s+TABLE\\s+(\"[^\"]*\"|\\[[^\\]]*\\]|`[^`]*`|[^\\s(\"`\\[]+)\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    return entry.root > 0 && declaration.match(entry.sql).hasMatch();
}

SalvageResult failed(SalvageResult result, const QSqlError &error, const QString &destination)
{
    result.outcome = SalvageResult::Outcome::Failed;
    result.failure = error.text();
    result.errorCode = error.nativeErrorCode().toInt() & 0xff;
    QFile::remove(destination);
    return result;
}

} // namespace

SalvageResult SalvageEdition(const QString &damaged, const QString &templateFile, const QString &destination)
{
    SalvageResult result;
    const DatabasePages pages(damaged);
    int schemaLost = 0;
    const QList<SchemaEntry> schema = pages.isOpen() ? readSchema(pages, &schemaLost) : QList<SchemaEntry>();
    QList<SchemaEntry> tables;
    QSet<QString> names;
    for (const SchemaEntry &entry : schema) {
        // SQLite's own tables are made afresh; a damaged schema may name a table twice,
        // and then its first line is taken.
        if (entry.type != QLatin1String("table") || entry.name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive)
            || names.contains(entry.name.toLower()))
            continue;
        names.insert(entry.name.toLower());
        if (isTable(entry))
            tables.append(entry);
        else
            result.incomplete.append(entry.name);
    }
    if (tables.isEmpty()) {
        result.outcome = SalvageResult::Outcome::Unreadable;
        return result;
    }
    if (schemaLost > 0)
        result.incomplete.append(QStringLiteral("sqlite_schema"));

    QFile::remove(destination);
    if (!QFile::copy(templateFile, destination)) {
        QFile::remove(destination);
        result.failure = QStringLiteral("The empty edition could not be copied.");
        return result;
    }
    {
        ScratchConnection copy(destination);
        QSqlDatabase db = copy.database();
        // The new file is a scratch file until it is whole: it needs no journal.
        if (!copy.exec(QStringLiteral("PRAGMA journal_mode = OFF")) || !db.transaction())
            return failed(result, db.lastError(), destination);
        const DeclaredLayouts layouts;
        for (const SchemaEntry &entry : std::as_const(tables)) {
            const Columns declared = layouts.of(entry);
            Columns target = columnsOf(db, entry.name);
            if (declared.names.isEmpty()) {
                result.incomplete.append(entry.name);
                continue;
            }
            if (target.names.isEmpty()) {
                // A table the empty edition lacks is made as declared (its indexes hold
                // nothing that the rows do not).
                QSqlQuery create(db);
                create.exec(entry.sql);
                target = columnsOf(db, entry.name);
            }
            if (target.names.isEmpty()) {
                result.incomplete.append(entry.name);
                continue;
            }
            TableCopy table(db, entry.name, declared, target.names);
            bool refused = false;
            const int lost = pages.readTable(entry.root, [&](qint64 rowid, const QVariantList &values) {
                refused = refused || !table.insert(rowid, values);
            });
            if (refused)
                return failed(result, table.error, destination);
            if (lost > 0)
                result.incomplete.append(entry.name);
            result.recovered.insert(entry.name, table.copied);
        }
        if (!db.commit())
            return failed(result, db.lastError(), destination);
        if (!copy.intact()) {
            result.failure = QStringLiteral("The recovered copy failed its integrity check.");
            QFile::remove(destination);
            return result;
        }
    }
    result.outcome = SalvageResult::Outcome::Salvaged;
    return result;
}
