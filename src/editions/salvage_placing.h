#pragma once
// Placing the rows read from a damaged edition: each table's copy into the new file, what
// its tree lost, and which table a row found outside the trees goes to.

#include "editions/database_pages.h"
#include "editions/edition_salvage.h"
#include "editions/salvage_schema.h"

#include <QMap>
#include <QSet>
#include <QSqlError>
#include <QStringEncoder>

#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <vector>

class QSqlQuery;
struct sqlite3;
struct sqlite3_stmt;

namespace Salvage {

// Copies the rows of one table into the new file with statements prepared once for each
// number of values a row holds (older rows may hold fewer), on the connection's own SQLite
// handle: values pass as the driver would pass them (a null text or blob as NULL), without
// its conversions.
class TableCopy
{
public:
    TableCopy(const QSqlDatabase &db, const QString &table, const Columns &declared, const QStringList &target);
    ~TableCopy();
    TableCopy(const TableCopy &) = delete;
    TableCopy &operator=(const TableCopy &) = delete;

    // Answers false when the new file refused the row.
    bool insert(qint64 rowid, const QVariantList &values);

    int copied = 0;
    int clashed = 0;   // rows the table did not take: it held their row id or unique key
    QSqlError error;

private:
    struct Statement {
        sqlite3_stmt *stmt = nullptr;
        QList<int> columns;   // which values are bound, after the row id
        int prepareCode = 0;   // SQLite's result code of preparing it
    };

    int bind(sqlite3_stmt *stmt, int parameter, const QVariant &value);
    Statement &statementFor(int count);
    bool fail(const QString &what, QSqlError::ErrorType type, int code);

    sqlite3 *m_db = nullptr;
    QString m_table;
    Columns m_declared;
    QSet<QString> m_target;
    std::map<int, Statement> m_statements;
    QVector<QByteArray> m_texts;   // the texts of the row being written, by parameter
    QStringEncoder m_encoder{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
};

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

    // The row ids of the copy's rows its indexes hold with other values, or lack where read
    // whole; and whether an index read whole stands witness to its rows at all.
    QSet<qint64> disputed = {};
    bool witnessed = false;
    // The row ids its indexes name that the copy lacks.
    QSet<qint64> unheld = {};

    // The lowest and highest row ids copied: a row id outside them is one the copy lacks.
    qint64 lowest = std::numeric_limits<qint64>::max();
    qint64 highest = std::numeric_limits<qint64>::min();

    void noteRow(qint64 rowid, qint64 page)
    {
        lowest = qMin(lowest, rowid);
        highest = qMax(highest, rowid);
        if (lastRun && lastRun->page == page) {
            ++lastRun->rows;
            return;
        }
        lastRun = &*runs.insert(rowid, Run{page, 1});
    }
    // The first row id of the run a row id falls in (the first run's for one before all).
    qint64 runOf(qint64 rowid) const;

    // The row ids of the rows of the run that starts at start, as the copy holds them.
    QList<qint64> rowsOfRun(const QSqlDatabase &db, qint64 start) const;
    // Takes the rows of the runs that start at the row ids given out of the copy (they
    // were another table's), and counts the row ids between the rows left on either side
    // as lost: what the table's own pages held there is not known. Answers how many rows
    // were taken out.
    int giveUp(const QSqlDatabase &db, const QList<qint64> &starts);
    // The copy's rows, with their values in the columns as declared (null for one the
    // copy lacks), by row id.
    QMap<qint64, QVariantList> rowsAsDeclared(const QSqlDatabase &db) const;
    // Empties the copy, all of whose rows were another table's: what the table's own tree
    // held is not known.
    void giveUpAll(const QSqlDatabase &db);

    // Sorts the lost row ids and joins those that meet, so that a row id is looked up in
    // them by halves.
    void joinLosses();
    // Whether the tree lost the row id: a row of it was undecodable, or a page that failed
    // held it.
    bool lostRow(qint64 rowid) const;
};

// Of the tables that may hold a row from an unreached page and whose columns it fits, the
// one it goes to, or -1: the one whose leaf pages lie on both sides of its page, else the
// only one, else the only one whose leaf pages lie on one side.
int ownerOf(const std::vector<Salvaged> &tables, const std::function<bool(int)> &mayHold, const QVariantList &values,
            int before, int after);

// What a table lost: its undecodable rows and the rows its indexes hold that the copy
// lacks outside the row ids the tree lost (missing; up to so many when one may be a row
// of the copy under another row id, or when the index's page or the table's may be the
// copy), but for the undecodable rows whose row id may be damaged, each of which may be
// one of the missing: all but those whose row id an index read whole holds (soundIds).
// And of the row ids the tree lost, those an index read whole holds that the copy lacks
// (inLost, -1 when no index was) or else, for each unreadable page, the row ids it may
// have held that the copy lacks.
SalvageResult::Lost lossOf(const QSqlDatabase &db, const Salvaged &table, qint64 missing, qint64 soundIds, bool missingUpTo,
                           qint64 inLost, qint64 fileSize);

// Whether a value read from the file is the one the copy holds.
bool sameValue(const QVariant &a, const QVariant &b);

// Whether the row a query stands on holds values in the columns of declared.
bool holdsValues(const QSqlQuery &row, const Columns &declared, const QVariantList &values);

} // namespace Salvage
