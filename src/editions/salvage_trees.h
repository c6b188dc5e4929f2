#pragma once
// Which tree of a damaged edition is which table's: decided by what the trees' rows hold
// (how many values, of which kinds, and the row ids and keys the tables' indexes name),
// with the lines of the list of tables as witnesses only. A line may name another
// table's root, call a table a view or an index, or be lost; a tree no line names is
// still found.

#include "editions/salvage_schema.h"

#include <QList>
#include <QSet>
#include <QStringList>

class DatabasePages;

namespace Salvage {

// A table the salvage makes, and what tells its tree.
struct WantedTable {
    QString name;
    Columns columns;
    qint64 namedRoot = 0;          // the root its own line names, 0 when none does
    qint64 emptyRoot = 0;          // its root in the empty edition, whose order among the tables' an edition keeps
    QList<SchemaEntry> indexes;    // the lines of its indexes
};

struct TreeChoice {
    QList<qint64> roots;          // the root of each wanted table's tree, 0 when none fits
    QList<QStringList> alike;     // tables of the same columns that may hold each other's rows
};

// Gives each wanted table the tree whose rows fit it best: first of the trees the lines
// of the list of tables name (lineRoots), then, for the tables left, of those no line
// names. A tree goes to the table its indexes' row ids and keys find in it, else to the one
// whose line names it; trees that nothing else tells apart go to the tables in the order of
// the tables' roots in the empty edition, as the file keeps it. A table no tree fits keeps
// the root its line names, unless another took it. Where a table took a tree its own line
// does not name, and another table of the same columns could have taken it as well, the
// two are told as alike.
TreeChoice chooseTrees(DatabasePages &pages, const QList<WantedTable> &tables, const QList<qint64> &lineRoots,
                       const QSet<qint64> &crossedIndexes);

} // namespace Salvage
