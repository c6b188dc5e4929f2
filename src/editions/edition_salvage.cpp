#include "editions/edition_salvage.h"

#include "editions/database_pages.h"
#include "editions/salvage_indexes.h"
#include "editions/salvage_placing.h"
#include "editions/salvage_schema.h"
#include "editions/salvage_trees.h"
#include "editions/scratch_connection.h"
#include "platform/disk_space.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QSqlQuery>

#include <algorithm>
#include <optional>

#include <sqlite3.h>

using namespace Salvage;

namespace {

// Puts a copy of the empty edition at destination; false, with why in result, when it
// cannot be made.
bool copyTemplate(const QString &templateFile, const QString &destination, SalvageResult *result)
{
    QFile::remove(destination);
    if (QFile::copy(templateFile, destination))
        return true;
    QFile::remove(destination);
    result->failure = QStringLiteral("The empty edition could not be copied.");
    // Told as SQLite tells the same faults of the file it writes.
    switch (WhyWriteFailed(QFileInfo(destination).absolutePath(), QFileInfo(templateFile).size())) {
    case WriteFault::DiskFull:
        result->errorCode = SQLITE_FULL;
        break;
    case WriteFault::FolderReadOnly:
        result->errorCode = SQLITE_CANTOPEN;
        break;
    case WriteFault::Unknown:
        break;
    }
    return false;
}

// Whether declared holds the columns of target in another order.
bool reordered(const Columns &declared, const Columns &target)
{
    if (declared.names.size() != target.names.size() || declared.names == target.names)
        return false;
    return std::all_of(declared.names.cbegin(), declared.names.cend(),
                       [&target](const QString &name) { return target.names.contains(name, Qt::CaseInsensitive); });
}

// The row ids an index names, with the key of its first column, a column of its table.
struct IndexedKeys {
    int place = -1;
    QHash<qint64, QVariant> keys;
};

// One salvage of a damaged file into a new one, step by step: which tables to make, the
// rows of their trees, the rows outside the trees, then what the indexes and the pages
// tell of the rows lost.
class Salvager
{
public:
    Salvager(DatabasePages &pages, const QString &destination)
        : m_pages(pages)
        , m_destination(destination)
    {
    }

    SalvageResult run(const QString &templateFile);

private:
    void chooseTables(const QSqlDatabase &db);
    void findTrees(const QSqlDatabase &db);
    void prepareCopies(const QSqlDatabase &db);
    bool readTrees();
    bool placeUnreached(const QSqlDatabase &db);
    std::vector<IndexedKeys> keysOfTablesInDoubt();
    void checkIndexes(const QSqlDatabase &db);
    void tellRows(const QSqlDatabase &db, Salvaged &table);
    void giveUpCopiedPages(const QSqlDatabase &db);
    void returnStrayTrees(const QSqlDatabase &db);
    void tellSharedPages();
    void insert(Salvaged &table, qint64 rowid, const QVariantList &values);
    void insertOutside(Salvaged &table, qint64 rowid, const QVariantList &values);
    SalvageResult failed(const QSqlError &error);

    DatabasePages &m_pages;
    const QString m_destination;
    SalvageResult m_result;
    QList<SchemaEntry> m_schema;
    QList<SchemaEntry> m_tables;   // the tables to make, as the damaged file declares them
    QSet<QString> m_names;         // the names of the tables the damaged file declares
    QSet<QString> m_templateTables;   // the names of the empty edition's tables
    // The roots of tables that are not made again (SQLite's own, which are made afresh):
    // still read, so that their pages are taken for no other table's.
    QList<qint64> m_unmade;
    std::vector<Salvaged> m_salvaged;
    QSet<qint64> m_crossed;   // the roots of index trees that cross another's
    const TableCopy *m_refused = nullptr;   // the copy the new file refused a row of
    int m_copied = 0;
    const DeclaredLayouts m_layouts;
};

SalvageResult Salvager::run(const QString &templateFile)
{
    m_schema = readSchema(m_pages, &m_result.schemaLost);
    // An index whose tree crosses another's may be reading the other's entries: neither
    // tells anything of the rows.
    QList<qint64> indexRoots;
    for (const SchemaEntry &entry : std::as_const(m_schema))
        if (entry.type == QLatin1String("index") && entry.root > 0)
            indexRoots.append(entry.root);
    m_crossed = m_pages.crossedIndexes(indexRoots);
    if (!copyTemplate(templateFile, m_destination, &m_result))
        return m_result;
    {
        ScratchConnection copy(m_destination);
        // The tables' copies hold statements of the connection: they go before it closes,
        // which SQLite refuses while a statement of it is left (the file would stay open).
        const auto releaseCopies = qScopeGuard([this] {
            m_refused = nullptr;
            for (Salvaged &table : m_salvaged)
                table.copy.reset();
        });
        QSqlDatabase db = copy.database();
        // The new file is a scratch file until it is whole: it needs no journal.
        if (!copy.exec(QStringLiteral("PRAGMA journal_mode = OFF")) || !db.transaction())
            return failed(db.lastError());
        chooseTables(db);
        findTrees(db);
        prepareCopies(db);
        if (!readTrees() || !placeUnreached(db))
            return failed(m_refused->error);
        checkIndexes(db);
        giveUpCopiedPages(db);
        returnStrayTrees(db);
        if (m_refused)
            return failed(m_refused->error);
        tellSharedPages();
        for (auto it = m_result.lost.begin(); it != m_result.lost.end();)
            it = it->rows == 0 && !it->unknown ? m_result.lost.erase(it) : std::next(it);
        if (!db.commit())
            return failed(db.lastError());
        // The copy holds the empty edition's declarations and tables made from columns
        // alone: its check works out nothing of the damaged file's, and needs no bound,
        // which could fail a sound copy on a slow or busy machine.
        if (!copy.intact(false, ScratchConnection::Limit::None)) {
            m_result.failure = QStringLiteral("The recovered copy failed its integrity check.");
            QFile::remove(m_destination);
            return m_result;
        }
    }
    // Nothing read at all: no list of tables and no row.
    if (m_schema.isEmpty() && m_result.schemaLost && m_copied == 0) {
        QFile::remove(m_destination);
        SalvageResult unreadable;
        unreadable.outcome = SalvageResult::Outcome::Unreadable;
        return unreadable;
    }
    m_result.outcome = SalvageResult::Outcome::Salvaged;
    return m_result;
}

// The tables to make: each that a line of the damaged file's list declares, once, and
// each of the empty edition's that a line of any kind names; when the list was damaged,
// all of the empty edition's.
void Salvager::chooseTables(const QSqlDatabase &db)
{
    for (const SchemaEntry &entry : templateTables(db))
        m_templateTables.insert(entry.name.toLower());
    for (const SchemaEntry &line : std::as_const(m_schema)) {
        const bool ofTemplate = m_templateTables.contains(line.name.toLower());
        if (line.type == QLatin1String("index") || line.type == QLatin1String("trigger")
            || (line.type != QLatin1String("table") && !ofTemplate))
            continue;
        SchemaEntry entry = line;
        entry.type = QStringLiteral("table");
        // A damaged schema may name a table twice, and then its first line is taken. A line
        // whose declaration is no table's still names one of the empty edition's by its name
        // fields, and is then read with that table's columns. A table of its own without a
        // root (a virtual one) holds nothing that can be read.
        if (entry.name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive) || m_names.contains(entry.name.toLower())
            || (entry.root <= 0 && !ofTemplate)) {
            m_unmade.append(entry.root);
            if (!entry.name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive) && !m_names.contains(entry.name.toLower()))
                m_result.lost[entry.name].unknown = true;
            m_names.insert(entry.name.toLower());
            continue;
        }
        m_names.insert(entry.name.toLower());
        m_tables.append(entry);
    }
    // A damaged list of tables may have lost some: the empty edition's are looked for.
    if (m_result.schemaLost) {
        for (const SchemaEntry &entry : templateTables(db))
            if (!m_names.contains(entry.name.toLower()))
                m_tables.append(entry);
    }
}

// Gives each table the tree whose rows fit it, whatever root its line names.
void Salvager::findTrees(const QSqlDatabase &db)
{
    QHash<QString, qint64> emptyRoots;
    QSqlQuery roots(db);
    roots.exec(QStringLiteral("SELECT lower(name), rootpage FROM sqlite_master WHERE type = 'table'"));
    while (roots.next())
        emptyRoots.insert(roots.value(0).toString(), roots.value(1).toLongLong());
    QList<WantedTable> wanted;
    for (const SchemaEntry &entry : std::as_const(m_tables)) {
        WantedTable table{entry.name, columnsOf(db, entry.name), entry.root, emptyRoots.value(entry.name.toLower()), {}};
        if (table.columns.names.isEmpty())
            table.columns = m_layouts.of(entry);
        for (const SchemaEntry &line : std::as_const(m_schema))
            if (line.type == QLatin1String("index") && line.table.compare(entry.name, Qt::CaseInsensitive) == 0)
                table.indexes.append(line);
        wanted.append(table);
    }
    // The trees the lines of tables name; a table's page where an index's line names its
    // root is a page put there (a copy), or that line is damaged.
    QList<qint64> lineRoots;
    for (const SchemaEntry &line : std::as_const(m_schema))
        if (line.type == QLatin1String("table") && line.root > 0 && !m_unmade.contains(line.root))
            lineRoots.append(line.root);
    const TreeChoice choice = chooseTrees(m_pages, wanted, lineRoots, m_crossed);
    for (int i = 0; i < m_tables.size(); ++i) {
        SchemaEntry &entry = m_tables[i];
        entry.root = choice.roots.at(i);
        // A table of the empty edition that a line names, but whose tree is nowhere.
        if (entry.root == 0 && !m_result.schemaLost)
            m_result.lost[entry.name].unknown = true;
    }
    m_result.alike = choice.alike;
}

// Each table's columns as the damaged file declares them, and its copy in the new file.
void Salvager::prepareCopies(const QSqlDatabase &db)
{
    m_salvaged.reserve(size_t(m_tables.size()));
    for (const SchemaEntry &entry : std::as_const(m_tables)) {
        Columns target = columnsOf(db, entry.name);
        Columns declared = target;
        if (entry.root > 0) {
            // A declaration damaged past making is taken for the empty edition's own, and so
            // is one of the same columns in another order (the program writes its tables in
            // the empty edition's order), or one whose values are computed.
            const Columns made = m_layouts.of(entry);
            const bool own = made.names.isEmpty() || (!target.names.isEmpty() && (made.computed || reordered(made, target)));
            declared = own ? target : withTemplateNames(made, target);
        }
        if (declared.names.isEmpty()) {
            m_unmade.append(entry.root);
            m_result.lost[entry.name].unknown = true;
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
            m_unmade.append(entry.root);
            m_result.lost[entry.name].unknown = true;
            continue;
        }
        m_salvaged.push_back(Salvaged{entry.name, declared, std::make_unique<TableCopy>(db, entry.name, declared, target.names),
                                      {}, entry.root, {}});
    }
}

// Copies the rows of each tree: they are the table's for certain. A page that more than
// one tree reaches belongs to none of them. False when the new file refused a row.
bool Salvager::readTrees()
{
    QList<qint64> roots = m_unmade;
    for (const Salvaged &table : m_salvaged)
        roots.append(table.root);
    m_pages.mapTrees(roots);
    for (const qint64 root : std::as_const(m_unmade))
        m_pages.readTable(root, [](qint64, const QVariantList &) {});
    for (int i = 0; i < int(m_salvaged.size()); ++i) {
        Salvaged &table = m_salvaged[size_t(i)];
        if (table.root == 0) {
            table.losses.ranges.append(DatabasePages::Range());
            continue;
        }
        const Columns &declared = table.declared;
        table.losses = m_pages.readTable(
            table.root, [&](qint64 rowid, const QVariantList &values) { insert(table, rowid, values); }, i,
            // Rows of fewer values than the table has columns were written before it
            // gained some; not on a page that is a copy of another, whose rows are the
            // other page's table's.
            [&declared](const QVariantList &values, bool repeated) { return declared.fits(values, !repeated); });
        table.joinLosses();
        if (m_refused)
            return false;
    }
    return true;
}

// What the indexes of the tables in doubt name, where more than one is: a table whose tree
// lost rows, or starts on a page of rows another page repeats, or is not the one its line
// names. A row
// id with the key of its index's first column tells whose a row is that the pages around
// it do not.
std::vector<IndexedKeys> Salvager::keysOfTablesInDoubt()
{
    std::vector<IndexedKeys> named(m_salvaged.size());
    const auto inDoubt = [this](const Salvaged &table) {
        return !table.losses.ranges.isEmpty() || (table.copy->copied > 0 && m_pages.pageRepeated(table.root))
               || std::none_of(m_schema.cbegin(), m_schema.cend(), [&](const SchemaEntry &line) {
                      return line.type == QLatin1String("table") && line.root == table.root
                             && line.name.compare(table.name, Qt::CaseInsensitive) == 0;
                  });
    };
    // One table in doubt for its lost rows alone leaves nothing to tell apart.
    const auto doubted = std::count_if(m_salvaged.cbegin(), m_salvaged.cend(), inDoubt);
    const auto lostOnly = std::count_if(m_salvaged.cbegin(), m_salvaged.cend(), [](const Salvaged &table) {
        return !table.losses.ranges.isEmpty();
    });
    if (doubted == 0 || (doubted == 1 && lostOnly == 1))
        return named;
    for (size_t i = 0; i < m_salvaged.size(); ++i) {
        const auto index = std::find_if(m_schema.cbegin(), m_schema.cend(), [&](const SchemaEntry &entry) {
            return inDoubt(m_salvaged[i]) && entry.type == QLatin1String("index") && entry.root > 0
                   && !m_crossed.contains(entry.root) && entry.table.compare(m_salvaged[i].name, Qt::CaseInsensitive) == 0;
        });
        const QString column = index == m_schema.cend() ? QString() : indexColumns(index->sql).value(0);
        const QStringList &names = m_salvaged[i].declared.names;
        named[i].place = int(std::find_if(names.cbegin(), names.cend(), [&](const QString &name) {
                                 return name.compare(column, Qt::CaseInsensitive) == 0;
                             }) - names.cbegin());
        if (column.isEmpty() || named[i].place >= names.size() || named[i].place == m_salvaged[i].declared.rowidAlias)
            continue;
        m_pages.readIndex(index->root, [&](const QVariantList &values) {
            if (values.size() > 1 && values.last().typeId() == QMetaType::LongLong)
                named[i].keys.insert(values.last().toLongLong(), values.first());
        });
    }
    return named;
}

// Copies the rows of the pages no tree reached: a row there goes to a table whose tree
// lost its row id or, failing that, to one whose tree was read whole and lacks it (a tree
// whose root was overwritten by one of its leaves, say). False when the new file refused
// a row.
bool Salvager::placeUnreached(const QSqlDatabase &db)
{
    std::vector<QSqlQuery> holding;
    for (const Salvaged &table : m_salvaged) {
        holding.emplace_back(db);
        holding.back().prepare(QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(table.name)));
    }
    // A row no table takes is one that could not be read only where a tree lost rows it
    // may be one of; else it is a leftover (a page freed but not listed, or bytes after
    // the edition's end) and nothing is lost.
    const bool partial = std::any_of(m_salvaged.cbegin(), m_salvaged.cend(),
                                     [](const Salvaged &table) { return !table.losses.ranges.isEmpty(); });
    const std::vector<IndexedKeys> named = keysOfTablesInDoubt();
    int unplaced = 0;
    // The tables that no row came back to but from the list of free pages.
    QVector<bool> unread;
    const int undecodable = m_pages.scanUnreached([&](qint64 rowid, const QVariantList &values, int before, int after, int freed) {
        if (m_result.schemaLost && isSchemaRow(values))
            return;
        // A row of the list of free pages may be an older copy of a row of a table that no
        // other row came back to: it comes back to it as found outside the tables.
        if (freed == 2) {
            if (unread.isEmpty())
                for (const Salvaged &table : m_salvaged)
                    unread.append(table.copy->copied == 0);
            const int owner = ownerOf(m_salvaged, [&](int i) { return unread.at(i) && m_salvaged[size_t(i)].lostRow(rowid); },
                                      values, before, after);
            if (owner >= 0)
                insertOutside(m_salvaged[size_t(owner)], rowid, values);
            return;
        }

        // A row id outside those a table copied is one it lacks, without asking.
        const auto mayHold = [&](int i) {
            return rowid >= m_salvaged[size_t(i)].lowest && rowid <= m_salvaged[size_t(i)].highest;
        };
        // A row a table holds under its row id with the same values is a copy of it: it
        // goes to no table that was read whole, and is no row lost.
        const auto copyOfHeld = [&](int i) {
            QSqlQuery &held = holding[size_t(i)];
            held.bindValue(0, rowid);
            return m_salvaged[size_t(i)].declared.fits(values, true) && mayHold(i) && held.exec() && held.next()
                   && holdsValues(held, m_salvaged[size_t(i)].declared, values);
        };
        const auto lost = [&](int i) { return m_salvaged[size_t(i)].lostRow(rowid); };
        // A row of a table's own root, which another tree named too, is the table's.
        const auto root = std::find_if(m_salvaged.cbegin(), m_salvaged.cend(), [&](const Salvaged &table) {
            return table.root == m_pages.pageBeingRead();
        });
        const int rootOf = int(root - m_salvaged.cbegin());
        int owner = root != m_salvaged.cend() && root->declared.fits(values) && lost(rootOf) ? rootOf : -1;
        // Else the table in doubt alone whose index names the row with its key: the row is
        // its own where its tree lost it or lacks it, and a copy of one it holds where it
        // holds the same; else the table whose tree lost it.
        QList<int> naming;
        for (int i = 0; i < int(m_salvaged.size()) && owner < 0; ++i) {
            const IndexedKeys &index = named[size_t(i)];
            const auto key = index.keys.constFind(rowid);
            if (key != index.keys.cend() && index.place < values.size() && sameValue(*key, values.at(index.place))
                && m_salvaged[size_t(i)].declared.fits(values))
                naming.append(i);
        }
        if (naming.size() == 1) {
            const int i = naming.first();
            QSqlQuery &held = holding[size_t(i)];
            held.bindValue(0, rowid);
            if (lost(i) || !mayHold(i) || (held.exec() && !held.next()))
                owner = i;
            else if (copyOfHeld(i))
                return;
        }
        if (owner < 0)
            owner = ownerOf(m_salvaged, lost, values, before, after);
        // A row that fills no gap a tree left, or of a free page, is found outside the
        // tables: it may have been deleted before the damage, and is told apart.
        const bool outside = owner < 0 || freed > 0;
        if (owner < 0) {
            owner = ownerOf(m_salvaged, [&](int i) {
                QSqlQuery &held = holding[size_t(i)];
                held.bindValue(0, rowid);
                return m_salvaged[size_t(i)].root > 0 && m_salvaged[size_t(i)].losses.ranges.isEmpty()
                       && (!mayHold(i) || (held.exec() && !held.next()));
            }, values, before, after);
            // Looked for only where it changes what becomes of the row: one no table takes
            // counts only when a tree lost rows.
            if (owner >= 0 || partial)
                for (int i = 0; i < int(m_salvaged.size()); ++i)
                    if (copyOfHeld(i))
                        return;
        }
        if (owner < 0) {
            ++unplaced;
            return;
        }
        if (outside)
            insertOutside(m_salvaged[size_t(owner)], rowid, values);
        else
            insert(m_salvaged[size_t(owner)], rowid, values);
    });
    if (partial)
        m_result.unplaced += undecodable + unplaced;
    return !m_refused;
}

// Tells each table's rows copied and, from its tree and its indexes, those lost and those
// the indexes disagree with.
void Salvager::checkIndexes(const QSqlDatabase &db)
{
    for (Salvaged &table : m_salvaged) {
        m_copied += table.copy->copied;
        m_result.clashed += table.copy->clashed;
        tellRows(db, table);
    }
}

// Tells a table's rows copied and, from its tree and its indexes, those lost and those the
// indexes disagree with, in place of what was told of it before.
void Salvager::tellRows(const QSqlDatabase &db, Salvaged &table)
{
    m_result.recovered.insert(table.name, table.copy->copied);
    // Tables found by the scan alone have no tree that tells what they lost, nor indexes
    // to tell it.
    if (table.root == 0)
        return;
    // An index astray tells nothing of the rows: the copy's own are made afresh.
    QList<IndexVerdict> verdicts;
    QSet<qint64> changed;
    bool missingUpTo = false;
    for (const SchemaEntry &entry : std::as_const(m_schema)) {
        if (entry.type != QLatin1String("index") || entry.table.compare(table.name, Qt::CaseInsensitive) != 0
            || m_crossed.contains(entry.root))
            continue;
        const IndexVerdict verdict = checkIndex(m_pages, db, table, entry);
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
    table.witnessed = inLost.has_value();
    table.unheld = inLost.value_or(QSet<qint64>()).unite(missing);
    // An undecodable row whose row id an index read whole holds bears its own.
    const qint64 soundIds = std::count_if(table.losses.rowids.cbegin(), table.losses.rowids.cend(), [&](qint64 rowid) {
        return std::any_of(verdicts.cbegin(), verdicts.cend(),
                           [rowid](const IndexVerdict &verdict) { return verdict.whole && verdict.unmatched.contains(rowid); });
    });
    // A row whose value went on through another row's overflow pages is told as such,
    // whatever the indexes say of it.
    changed.subtract(table.losses.borrowed);
    table.disputed = changed;
    m_result.changed.remove(table.name);
    m_result.tangled.remove(table.name);
    m_result.lost.remove(table.name);
    if (!changed.isEmpty())
        m_result.changed.insert(table.name, int(changed.size()));
    if (!table.losses.borrowed.isEmpty())
        m_result.tangled.insert(table.name, int(table.losses.borrowed.size()));
    if (!table.losses.whole() || !missing.isEmpty())
        m_result.lost.insert(table.name, lossOf(db, table, missing.size(), soundIds, missingUpTo,
                                                inLost ? inLost->size() : -1, m_pages.size()));
}

// Leaves of several tables' trees that hold the same bytes: one was copied over a page of
// another table. Where the indexes of some of those tables hold the rows of those leaves as
// they are and the indexes of the others disagree with them, the rows are the former's:
// the others give them up, and lost what their own pages held there, as many rows as their
// indexes name, or a number nothing tells.
void Salvager::giveUpCopiedPages(const QSqlDatabase &db)
{
    // The runs each table read from a leaf of its tree, by the first page of its bytes.
    QHash<qint64, QMap<int, QList<qint64>>> runsOfSame;
    for (int i = 0; i < int(m_salvaged.size()); ++i) {
        const Salvaged &table = m_salvaged[size_t(i)];
        for (auto run = table.runs.cbegin(); run != table.runs.cend(); ++run)
            if (const qint64 first = m_pages.firstOfSame(run->page); first > 0 && m_pages.leafOwner(run->page) == i)
                runsOfSame[first][i].append(run.key());
    }
    for (const QMap<int, QList<qint64>> &sharing : std::as_const(runsOfSame)) {
        if (sharing.size() < 2)
            continue;
        QList<int> disagreeing;
        bool agreed = false;
        for (auto it = sharing.cbegin(); it != sharing.cend(); ++it) {
            const Salvaged &table = m_salvaged[size_t(it.key())];
            const bool disputed = std::any_of(it->cbegin(), it->cend(), [&](qint64 start) {
                const QList<qint64> rowids = table.rowsOfRun(db, start);
                return std::any_of(rowids.cbegin(), rowids.cend(), [&](qint64 rowid) { return table.disputed.contains(rowid); });
            });
            if (disputed)
                disagreeing.append(it.key());
            else
                agreed = agreed || table.witnessed;
        }
        if (!agreed)
            continue;
        for (const int i : std::as_const(disagreeing)) {
            Salvaged &table = m_salvaged[size_t(i)];
            m_copied -= table.giveUp(db, sharing.value(i));
            tellRows(db, table);
            SalvageResult::Lost &lost = m_result.lost[table.name];
            lost.unknown = lost.unknown || lost.rows == 0;
        }
    }
}

// A table all of whose rows its indexes disagree with, where another table's index read
// whole names each of them as a row its copy lacks: the tree it took is a part of the
// other's that lost its parent (a damaged child number, a root overwritten). The rows go
// to the other table, and the first lost what its own tree held, as many rows as its
// indexes name, or a number nothing tells.
void Salvager::returnStrayTrees(const QSqlDatabase &db)
{
    for (Salvaged &table : m_salvaged) {
        if (table.root == 0 || table.copy->copied == 0 || table.disputed.size() != table.copy->copied)
            continue;
        const auto namesAll = [&table](const Salvaged &other) {
            return &other != &table && other.witnessed
                   && std::all_of(table.disputed.cbegin(), table.disputed.cend(),
                                  [&other](qint64 rowid) { return other.unheld.contains(rowid); });
        };
        const auto owner = std::find_if(m_salvaged.begin(), m_salvaged.end(), namesAll);
        if (owner == m_salvaged.end() || std::any_of(std::next(owner), m_salvaged.end(), namesAll))
            continue;
        const QMap<qint64, QVariantList> rows = table.rowsAsDeclared(db);
        if (rows.size() != table.copy->copied
            || !std::all_of(rows.cbegin(), rows.cend(), [&owner](const QVariantList &values) { return owner->declared.fits(values); }))
            continue;
        const int clashed = owner->copy->clashed;
        table.giveUpAll(db);
        for (auto row = rows.cbegin(); row != rows.cend() && !m_refused; ++row) {
            const int copied = owner->copy->copied;
            if (!owner->copy->insert(row.key(), *row))
                m_refused = owner->copy.get();
            if (owner->copy->copied > copied)
                owner->noteRow(row.key(), 0);
        }
        m_result.clashed += owner->copy->clashed - clashed;
        tellRows(db, *owner);
        tellRows(db, table);
        SalvageResult::Lost &lost = m_result.lost[table.name];
        lost.unknown = lost.unknown || lost.rows == 0;
        // A table that holds no row holds none of the others'.
        for (QStringList &alike : m_result.alike)
            alike.removeAll(table.name);
        m_result.alike.removeIf([](const QStringList &alike) { return alike.size() < 2; });
    }
}

// Tables that took rows from pages of the same bytes, none of them told as having lost or
// changed rows: any of those pages may be a copy of another put over a page of the
// table's own, and how many of its own rows were lost is not known.
void Salvager::tellSharedPages()
{
    QHash<qint64, QSet<QString>> tablesOfSamePages;   // by the first page of the same bytes
    for (const Salvaged &table : m_salvaged)
        for (const Salvaged::Run &run : table.runs)
            if (const qint64 first = m_pages.firstOfSame(run.page))
                tablesOfSamePages[first].insert(table.name);
    const auto told = [this](const QString &name) {
        const auto lost = m_result.lost.constFind(name);
        return m_result.changed.contains(name) || m_result.tangled.contains(name) || (lost != m_result.lost.cend() && (lost->rows > 0 || lost->unknown));
    };
    for (const QSet<QString> &sharing : std::as_const(tablesOfSamePages)) {
        if (sharing.size() > 1 && std::none_of(sharing.cbegin(), sharing.cend(), told))
            for (const QString &name : sharing)
                m_result.lost[name].unknown = true;
    }
}

// Copies a row into a table, noting the page it came from; after a row the new file
// refused, none.
void Salvager::insert(Salvaged &table, qint64 rowid, const QVariantList &values)
{
    const int copied = table.copy->copied;
    if (!m_refused && !table.copy->insert(rowid, values))
        m_refused = table.copy.get();
    if (table.copy->copied > copied)
        table.noteRow(rowid, m_pages.pageBeingRead());
}

// Copies a row found outside the tables into a table, and counts it so.
void Salvager::insertOutside(Salvaged &table, qint64 rowid, const QVariantList &values)
{
    const int copied = table.copy->copied;
    insert(table, rowid, values);
    if (table.copy->copied > copied)
        ++m_result.outside[table.name];
}

SalvageResult Salvager::failed(const QSqlError &error)
{
    m_result.outcome = SalvageResult::Outcome::Failed;
    m_result.failure = error.text();
    m_result.errorCode = error.nativeErrorCode().toInt() & 0xff;
    QFile::remove(m_destination);
    return m_result;
}

} // namespace

SalvageResult SalvageEdition(const QString &damaged, const QString &templateFile, const QString &destination)
{
    DatabasePages pages(damaged);
    if (!pages.isOpen()) {
        SalvageResult result;
        result.outcome = SalvageResult::Outcome::Unreadable;
        return result;
    }
    return Salvager(pages, destination).run(templateFile);
}
