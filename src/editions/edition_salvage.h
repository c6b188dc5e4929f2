#pragma once
// Recovering a damaged edition database: every row that can still be read from its pages
// is copied into a fresh copy of the empty edition.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QSqlError;

struct SalvageResult {
    enum class Outcome {
        Salvaged,     // the copy holds every readable row
        Unreadable,   // nothing of the file can be read: no copy was made
        Failed,       // the copy could not be written: no copy is left
    };
    // The rows of a table that could not be read.
    struct Lost {
        qint64 rows = 0;       // so many, or at most so many when upTo
        bool upTo = false;     // counted from the row ids the table's unreadable pages held
        bool unknown = false;  // not known how many
    };
    Outcome outcome = Outcome::Failed;
    QMap<QString, int> recovered;   // rows copied, by table
    QMap<QString, Lost> lost;       // tables of which some rows could not be read
    int unplaced = 0;               // rows read that belong to no table, or to which is not known
    QMap<QString, int> changed;     // rows copied that the table's indexes disagree with, by table
    // Rows copied whose long value runs on through pages another row's also names, by table:
    // one of the two holds the other's text, and which is not known.
    QMap<QString, int> tangled;
    // Rows copied from pages no tree reaches into a table whose tree lost none of their row
    // ids, by table: they may be rows deleted before the damage.
    QMap<QString, int> outside;
    int clashed = 0;                // rows read that their table did not take: it held their row id or key
    bool schemaLost = false;        // the list of tables was damaged: the empty edition's were taken
    // Tables of the same columns whose trees nothing in the file tells apart: each may hold
    // rows of the others.
    QList<QStringList> alike;
    QString failure;                // why the copy could not be written (in words)
    int errorCode = 0;              // SQLite's primary result code of that failure, or 0

    bool whole() const
    {
        return lost.isEmpty() && changed.isEmpty() && tangled.isEmpty() && outside.isEmpty() && unplaced == 0 && clashed == 0 && !schemaLost
               && alike.isEmpty();
    }
};

// Copies every readable row of every table of the database file damaged into a new file
// destination made from a copy of templateFile (the empty edition). A table the template
// lacks is made as the damaged file declares it. Rows keep their row ids; the copy is
// checked whole before it is kept. On failure destination is removed.
//
// Which tree is a table's is told by what its rows hold (their values' number and kinds,
// the row ids and keys the table's indexes name); the list of tables only witnesses it,
// and a tree no line names is found too. A table declared with its columns in another
// order, or with computed ones, is read with the empty edition's columns.
//
// A page of a table's tree is the table's only when it holds up (its space, row ids and
// rows checked, reached by no other tree); a page that fails is one no tree reached. A
// table whose tree is damaged also takes the rows of the pages no tree reaches: a row
// goes to the table whose leaf pages lie on both sides of its page, else to the one table
// whose columns it fits and whose lost row ids hold its own. A row with a row id the table
// already holds is left out, and counted. The rows of a table are checked against its
// indexes: a row an index holds with other values or, when the index was read whole, does
// not hold at all counts as changed, and a row only the index holds as lost. A leaf whose
// bytes a leaf of another table's tree holds too is a copy of one of the two: its rows are
// given up by the table whose indexes disagree with them when the other's hold them as
// they are, and that table lost what its own page held. A table all of whose rows its
// indexes disagree with gives them to the one other table whose index read whole names
// each of them as a row it lacks. When the
// list of tables is damaged, the empty edition's tables are taken and their rows found
// that way.
SalvageResult SalvageEdition(const QString &damaged, const QString &templateFile, const QString &destination);
