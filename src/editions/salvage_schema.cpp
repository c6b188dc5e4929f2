#include "editions/salvage_schema.h"

#include "editions/database_pages.h"
#include "shared/text_folding.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace Salvage {

namespace {

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

} // namespace

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

bool Columns::fits(const QVariantList &values, bool older) const
{
    if (values.size() != names.size() && (!older || values.isEmpty() || values.size() > names.size()))
        return false;
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &v = values.at(i);
        // A null read from the file is no value.
        if (!v.isValid())
            continue;
        if (i == rowidAlias)
            return false;
        const int type = v.typeId();
        const bool number = type == QMetaType::LongLong || type == QMetaType::Double;
        switch (affinities.at(i)) {
        case Affinity::Text:
            if (number)
                return false;
            break;
        case Affinity::Integer:
        case Affinity::Real:
        case Affinity::Numeric:
            if (type == QMetaType::QString) {
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
        columns.computed = columns.computed || q.value(6).toInt() >= 2;
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

DeclaredLayouts::DeclaredLayouts()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name());
    db.setDatabaseName(QStringLiteral(":memory:"));
    if (db.open())
        InstallTextFolding(db);
}

DeclaredLayouts::~DeclaredLayouts()
{
    {
        QSqlDatabase db = QSqlDatabase::database(name(), false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name());
}

Columns DeclaredLayouts::of(const SchemaEntry &entry) const
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
    static const QRegularExpression indexDeclaration(QStringLiteral("^\\s*CREATE\\s+(UNIQUE\\s+)?INDEX\\b"),
                                                     QRegularExpression::CaseInsensitiveOption);
    const auto take = [&schema, &pages](qint64, const QVariantList &v) {
        if (v.size() < 5)
            return;
        SchemaEntry entry{v.at(0).toString(), v.at(1).toString(), v.at(2).toString(), v.at(3).toLongLong(), v.at(4).toString()};
        // The line's word for its kind is a witness only: a table's declaration, or a root
        // that is a table's tree, make it a table's line, an index's declaration an index's.
        const bool index = indexDeclaration.match(entry.sql).hasMatch();
        if (!declaredName(entry.sql).isEmpty() || (!index && pages.treeAt(entry.root) == DatabasePages::Tree::Table))
            entry.type = QStringLiteral("table");
        else if (index)
            entry.type = QStringLiteral("index");
        if (entry.type == QLatin1String("table"))
            entry.name = entry.table = tableName(entry.name, entry.table, entry.sql);
        schema.append(entry);
    };
    *lost = !pages.readTable(1, take, -1, [](const QVariantList &v, bool) { return isSchemaRow(v); }).whole();
    // Lines of a damaged schema may still lie on pages its tree no longer reaches.
    if (*lost)
        pages.scanUnreached([&take](qint64 rowid, const QVariantList &v, int, int, int freed) {
            if (!freed && isSchemaRow(v))
                take(rowid, v);
        });
    return schema;
}

QList<SchemaEntry> templateTables(const QSqlDatabase &db)
{
    QList<SchemaEntry> tables;
    QSqlQuery q(db);
    q.exec(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
    while (q.next())
        tables.append(SchemaEntry{QStringLiteral("table"), q.value(0).toString(), q.value(0).toString(), 0, q.value(1).toString()});
    return tables;
}

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

} // namespace Salvage
