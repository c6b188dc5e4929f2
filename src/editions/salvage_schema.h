#pragma once
// What a damaged edition declares: the lines of its list of tables, and the columns of its
// tables as the damaged file or the empty edition declares them.

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

class DatabasePages;

namespace Salvage {

// A line of the damaged file's schema table.
struct SchemaEntry {
    QString type;
    QString name;
    QString table;
    qint64 root = 0;
    QString sql;
};

// A name quoted for a statement.
QString quoted(const QString &name);

// How a column holds its values, from its declared type.
enum class Affinity { Integer, Text, Blob, Real, Numeric };

// The columns of a table in declaration order, and which of them is the row id under
// another name (-1 when none is).
struct Columns {
    QStringList names;
    QList<Affinity> affinities;
    int rowidAlias = -1;
    bool computed = false;   // some column's values are computed, not written

    // Whether a record of these values can be a row of the table: as many values as
    // columns (or, with older, fewer: a row written before columns were added), each of a
    // kind its column keeps (a text column turns numbers into text, a numeric one keeps
    // text only when it is no number; the row id is never stored). The values are read
    // from a file: a null is no value.
    bool fits(const QVariantList &values, bool older = false) const;
};

// The columns a table of db declares, as SQLite reads them.
Columns columnsOf(const QSqlDatabase &db, const QString &table);

// The layout a damaged file declares for its tables, read by making them in a database
// in memory.
class DeclaredLayouts
{
public:
    DeclaredLayouts();
    ~DeclaredLayouts();
    DeclaredLayouts(const DeclaredLayouts &) = delete;
    DeclaredLayouts &operator=(const DeclaredLayouts &) = delete;
    // Empty when the declaration cannot be made (damaged text). The schema is read from a
    // damaged file, so only a plain "CREATE TABLE name (...)" is ever made, and that only in
    // this database of its own, never a table made from a query.
    Columns of(const SchemaEntry &entry) const;

private:
    static QString name() { return QStringLiteral("salvage-layouts"); }
};

// The columns a damaged file declares, where a name the empty edition's table lacks takes
// the name of the empty edition's column in its place when no other is declared under it:
// a damaged name in the declaration. The empty edition's row id column declared in its
// place stays the row id: a damaged type ("INTEWER") would make it a column of its own,
// whose nulls the new file would take as asking for new row ids.
Columns withTemplateNames(Columns declared, const Columns &target);

// Whether a record is a line of a schema table.
bool isSchemaRow(const QVariantList &v);

// The lines of the list of tables of the file, with those its damaged tree no longer
// reaches; lost tells whether the tree was damaged.
QList<SchemaEntry> readSchema(DatabasePages &pages, bool *lost);

// The tables of the empty edition, as its schema declares them.
QList<SchemaEntry> templateTables(const QSqlDatabase &db);

// A plain declaration of a table of the given columns: their names and kinds, and the row
// id's other name.
QString declaration(const QString &table, const Columns &columns);

} // namespace Salvage
