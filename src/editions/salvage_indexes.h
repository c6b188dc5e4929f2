#pragma once
// Checking a damaged edition's indexes against the rows copied from its tables: what
// they hold that the copy lacks, or holds with other values, and whose fault it is.

#include "editions/salvage_placing.h"

#include <QList>
#include <QSet>

namespace Salvage {

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

// The columns of an index declared as "CREATE [UNIQUE] INDEX name ON table (column, ...)",
// each a plain name with perhaps a collation and an order; empty for any other index.
QStringList indexColumns(const QString &sql);

// Reads a table's index against the copy's rows: a row the index holds with other values,
// or lacks although the index was read whole, goes into changed (a page of the table or
// of the index may be an older one).
IndexVerdict checkIndex(DatabasePages &pages, const QSqlDatabase &db, const Salvaged &table, const SchemaEntry &index);

// The rows the indexes tell the copy lacks: those one index holds that no other index,
// read whole, leaves out (an older page of an index may hold rows deleted since). Each is a
// row the copy lacks, so an index holds it when it is among its unmatched ones.
QSet<qint64> missingRows(const QList<IndexVerdict> &verdicts);

} // namespace Salvage
