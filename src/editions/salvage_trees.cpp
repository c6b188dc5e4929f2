#include "editions/salvage_trees.h"

#include "editions/database_pages.h"
#include "editions/salvage_indexes.h"
#include "editions/salvage_placing.h"

#include <QBitArray>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>

namespace Salvage {

namespace {

constexpr int kSampled = 16;   // the first rows of a tree whose values are looked at
constexpr int kEntries = 64;   // the first entries of an index whose rows are looked for
// What a table taking a tree adds to an assignment in the tables' order beyond what speaks
// for it: enough that a tree of no rows keeps its place, too little to outweigh anything.
constexpr double kPlaced = 1e-3;

// A table tree of the file that a table may take.
struct Tree {
    qint64 root = 0;
    QList<QVariantList> sample;     // its first rows
    QList<qint64> sampleIds;        // and their row ids
    qint64 rows = 0;                // its rows read: all of them for a tree no line names
    bool named = false;             // whether a line of the list of tables names it
    QHash<qint64, QVariantList> held;   // its rows of the row ids the indexes' first entries name
};

// An entry of an index: the places of its key's columns in the table, their values and
// the row id it names.
struct Entry {
    QList<int> places;
    QVariantList key;
    qint64 rowid = 0;
};

// What a table's indexes tell of its rows: their first entries, or that an index read
// whole holds none.
struct Evidence {
    QList<Entry> entries;
    bool none = false;
    QSet<qint64> named;    // every row id an index read whole names, when its entries are few
};

Evidence evidenceOf(DatabasePages &pages, const WantedTable &table, const QSet<qint64> &crossed)
{
    Evidence evidence;
    for (const SchemaEntry &index : table.indexes) {
        if (crossed.contains(index.root) || pages.treeAt(index.root) != DatabasePages::Tree::Index)
            continue;
        const QStringList columns = indexColumns(index.sql);
        QList<int> places;
        for (const QString &column : columns)
            for (int place = 0; place < table.columns.names.size(); ++place)
                if (table.columns.names.at(place).compare(column, Qt::CaseInsensitive) == 0)
                    places.append(place);
        if (columns.isEmpty() || places.size() != columns.size())
            continue;
        int read = 0;
        QSet<qint64> named;
        const bool whole = pages.readIndex(index.root, [&](const QVariantList &entry) {
            ++read;
            if (evidence.entries.size() >= kEntries || entry.size() != places.size() + 1
                || entry.last().typeId() != QMetaType::LongLong)
                return;
            evidence.entries.append(Entry{places, entry.mid(0, places.size()), entry.last().toLongLong()});
            named.insert(entry.last().toLongLong());
        });
        evidence.none = evidence.none || (whole && read == 0);
        if (whole && read > 0 && named.size() == read && evidence.named.isEmpty())
            evidence.named = named;
    }
    return evidence;
}

// How much of what a table's indexes tell a tree holds, from -1 (an index read whole holds
// nothing, the tree holds rows) to 1 (every entry's row, with its key), in the share of
// the tree's first rows that an index read whole names, where its entries are few: a
// tree of many more rows than that index names is not the table's.
double agreement(const Evidence &evidence, const Tree &tree, int rowidAlias)
{
    if (evidence.entries.isEmpty())
        return evidence.none && !tree.sample.isEmpty() ? -1 : 0;
    int found = 0;
    for (const Entry &entry : evidence.entries) {
        const auto row = tree.held.constFind(entry.rowid);
        if (row == tree.held.cend())
            continue;
        bool same = true;
        for (int i = 0; i < entry.places.size() && same; ++i) {
            const int place = entry.places.at(i);
            same = place == rowidAlias ? sameValue(entry.key.at(i), entry.rowid)
                                       : place < row->size() && sameValue(entry.key.at(i), row->at(place));
        }
        found += same;
    }
    const double share = double(found) / double(evidence.entries.size());
    if (evidence.named.isEmpty() || tree.sampleIds.isEmpty())
        return share;
    const auto named = std::count_if(tree.sampleIds.cbegin(), tree.sampleIds.cend(),
                                     [&](qint64 rowid) { return evidence.named.contains(rowid); });
    return share * double(named) / double(tree.sampleIds.size());
}

// Whether a row holds as many values as the table has columns, each of the kind its
// column is declared to keep (a number in a numeric column, a text in a text column).
bool keepsKinds(const Columns &columns, const QVariantList &row)
{
    if (row.size() != columns.names.size())
        return false;
    for (int i = 0; i < row.size(); ++i) {
        const int kind = row.at(i).typeId();
        const bool number = kind == QMetaType::LongLong || kind == QMetaType::Double;
        switch (columns.affinities.at(i)) {
        case Affinity::Text:
            if (!row.at(i).isNull() && kind != QMetaType::QString)
                return false;
            break;
        case Affinity::Integer:
        case Affinity::Real:
        case Affinity::Numeric:
            if (!row.at(i).isNull() && !number)
                return false;
            break;
        case Affinity::Blob:
            break;
        }
    }
    return true;
}

// How well the first rows of a tree fit a table's columns: below 0 when most do not;
// 0 for a tree of no rows; up to 1 when they fit only as rows written before the table
// gained columns, up to 2 when they can be its rows, 3 when they keep its kinds.
double fitOf(const Columns &columns, const Tree &tree)
{
    if (tree.sample.isEmpty())
        return 0;
    int points = 0;
    int failing = 0;
    for (const QVariantList &row : tree.sample) {
        if (columns.fits(row))
            points += keepsKinds(columns, row) ? 3 : 2;
        else if (columns.fits(row, true))
            points += 1;
        else
            ++failing;
    }
    if (2 * failing > tree.sample.size())
        return -1;
    return double(points) / double(tree.sample.size());
}

class Chooser
{
public:
    Chooser(DatabasePages &pages, const QList<WantedTable> &tables, const QSet<qint64> &crossed)
        : m_pages(pages)
        , m_tables(tables)
        , m_crossed(crossed)
        , m_evidence(tables.size())
    {
    }

    // Adds a tree that a table may take, read as far as its first rows or, with count, whole
    // (but for the pages a tree counted before read, which a damaged page may name twice).
    void addTree(qint64 root, bool count)
    {
        Tree tree{root, {}, {}, 0, !count, {}};
        m_pages.visitRows(
            root,
            [&](qint64 rowid, const QVariantList &values) {
                if (tree.sample.size() < kSampled) {
                    tree.sample.append(values);
                    tree.sampleIds.append(rowid);
                }
                ++tree.rows;
                return count || tree.sample.size() < kSampled;
            },
            count ? &m_counted : nullptr);
        QList<double> fits;
        for (const WantedTable &table : m_tables)
            fits.append(fitOf(table.columns, tree));
        // A tree whose rows keep one table's kinds is no other's older rows.
        if (std::any_of(fits.cbegin(), fits.cend(), [](double fit) { return fit == 3; }))
            for (double &fit : fits)
                fit = fit < 2 && fit > 0 ? -1 : fit;
        m_trees.append(tree);
        m_fits.append(fits);
        m_heldRead.append(false);
    }

    // Gives each table not yet given one the free tree that fits it best: of the trees that
    // nothing tells apart, the one whose place among the trees' roots is the table's among
    // the roots of the empty edition's tables (a file keeps the order in which its tables
    // were made, and so does a compaction), unless what speaks for the trees speaks more for
    // an assignment out of that order (an edition joined to another, say).
    void assign()
    {
        weighEvidence();
        QList<Pair> pairs;
        for (int t = 0; t < m_tables.size(); ++t) {
            if (m_treeOf.contains(t))
                continue;
            for (int r = 0; r < m_trees.size(); ++r)
                if (!m_tableOf.contains(r) && m_fits.at(r).at(t) >= 0 && !foreignTo(t, r))
                    pairs.append(Pair{score(t, r, true), t, r});
        }
        const Choice bySize = byScore(pairs, {});
        Choice ordered = inOrder(pairs);
        ordered.insert(byScore(pairs, ordered));
        const Choice &chosen = total(ordered) >= total(bySize) - 1e-9 ? ordered : bySize;
        for (auto it = chosen.cbegin(); it != chosen.cend(); ++it) {
            m_treeOf.insert(it.key(), it.value());
            m_tableOf.insert(it.value(), it.key());
        }
    }

    bool complete() const { return m_treeOf.size() == m_tables.size(); }

    TreeChoice choice() const
    {
        TreeChoice choice;
        for (int t = 0; t < m_tables.size(); ++t)
            choice.roots.append(m_treeOf.contains(t) ? m_trees.at(m_treeOf.value(t)).root : 0);
        // A table no tree fits keeps the root its line names, unless another took it: what
        // its pages and indexes tell of the rows it lost is told as ever.
        for (int t = 0; t < m_tables.size(); ++t)
            if (choice.roots.at(t) == 0 && !choice.roots.contains(m_tables.at(t).namedRoot))
                choice.roots[t] = m_tables.at(t).namedRoot;
        // A tree of rows that a table took although its line does not name it: the tables
        // of the same columns that could have taken it as well, giving it theirs, may hold
        // each other's rows.
        QList<QSet<int>> groups;
        for (auto it = m_tableOf.cbegin(); it != m_tableOf.cend(); ++it) {
            const Tree &tree = m_trees.at(it.key());
            const int taker = it.value();
            if (tree.sample.isEmpty() || tree.root == m_tables.at(taker).namedRoot)
                continue;
            QSet<int> group{taker};
            for (int t = 0; t < m_tables.size(); ++t)
                if (t != taker && m_fits.at(it.key()).at(t) > 0 && !worseSwapped(taker, t))
                    group.insert(t);
            if (group.size() > 1)
                groups.append(group);
        }
        for (int i = 0; i < groups.size(); ++i)
            for (qsizetype j = groups.size() - 1; j > i; --j)
                if (groups.at(i).intersects(groups.at(j))) {
                    groups[i].unite(groups.at(j));
                    groups.removeAt(j);
                }
        for (const QSet<int> &group : std::as_const(groups)) {
            QList<int> members(group.cbegin(), group.cend());
            std::sort(members.begin(), members.end());
            QStringList names;
            for (const int t : std::as_const(members))
                names.append(m_tables.at(t).name);
            choice.alike.append(names);
        }
        std::sort(choice.alike.begin(), choice.alike.end());
        return choice;
    }

private:
    struct Pair {
        double score;
        int table;
        int tree;
    };
    using Choice = QHash<int, int>;   // the tree of each table

    // The best of the pairs first, of the tables and trees that taken leaves free; of equal
    // ones, a tree at the table's root in the empty edition, then the larger tree, then the
    // table and the tree first listed. A tree of no rows that no line names is no table's
    // but by its place.
    Choice byScore(QList<Pair> pairs, const Choice &taken) const
    {
        std::stable_sort(pairs.begin(), pairs.end(), [this](const Pair &a, const Pair &b) {
            if (a.score != b.score)
                return a.score > b.score;
            const bool inPlaceA = m_trees.at(a.tree).root == m_tables.at(a.table).emptyRoot;
            const bool inPlaceB = m_trees.at(b.tree).root == m_tables.at(b.table).emptyRoot;
            if (inPlaceA != inPlaceB)
                return inPlaceA;
            return m_trees.at(a.tree).rows > m_trees.at(b.tree).rows;
        });
        Choice chosen;
        QSet<int> trees(taken.cbegin(), taken.cend());
        for (const Pair &pair : std::as_const(pairs)) {
            const Tree &tree = m_trees.at(pair.tree);
            if (taken.contains(pair.table) || chosen.contains(pair.table) || trees.contains(pair.tree)
                || (tree.sample.isEmpty() && !tree.named))
                continue;
            chosen.insert(pair.table, pair.tree);
            trees.insert(pair.tree);
        }
        return chosen;
    }

    // Of the pairs that keep the order of the tables' roots in the empty edition, with each
    // other and with the tables given a tree before, those that speak most for themselves
    // in all.
    Choice inOrder(const QList<Pair> &pairs) const
    {
        const auto keepsOrder = [this](const Pair &pair) {
            const qint64 place = m_tables.at(pair.table).emptyRoot;
            const qint64 root = m_trees.at(pair.tree).root;
            if (place <= 0)
                return false;
            for (auto it = m_treeOf.cbegin(); it != m_treeOf.cend(); ++it) {
                const qint64 other = m_tables.at(it.key()).emptyRoot;
                if (other > 0 && (other < place) != (m_trees.at(it.value()).root < root))
                    return false;
            }
            return true;
        };
        QHash<QPair<int, int>, double> weights;
        QList<int> tables;
        QList<int> trees;
        for (const Pair &pair : pairs)
            if (pair.score > -kPlaced && keepsOrder(pair)) {
                weights.insert({pair.table, pair.tree}, pair.score + kPlaced);
                tables.append(pair.table);
                trees.append(pair.tree);
            }
        const auto unique = [](QList<int> &list, auto place) {
            std::sort(list.begin(), list.end(), [&](int a, int b) { return place(a) < place(b); });
            list.erase(std::unique(list.begin(), list.end()), list.end());
        };
        unique(tables, [this](int t) { return m_tables.at(t).emptyRoot; });
        unique(trees, [this](int r) { return m_trees.at(r).root; });
        // best[i][j]: the most that the first i tables and the first j trees can take in order.
        const qsizetype columns = trees.size() + 1;
        std::vector<double> best(size_t((tables.size() + 1) * columns), 0);
        const auto at = [&](qsizetype i, qsizetype j) -> double & { return best[size_t(i * columns + j)]; };
        for (qsizetype i = 1; i <= tables.size(); ++i)
            for (qsizetype j = 1; j < columns; ++j) {
                const auto weight = weights.constFind({tables.at(i - 1), trees.at(j - 1)});
                at(i, j) = std::max({at(i - 1, j), at(i, j - 1),
                                     weight == weights.cend() ? 0 : at(i - 1, j - 1) + *weight});
            }
        Choice chosen;
        for (qsizetype i = tables.size(), j = columns - 1; i > 0 && j > 0;) {
            if (at(i, j) == at(i - 1, j))
                --i;
            else if (at(i, j) == at(i, j - 1))
                --j;
            else {
                chosen.insert(tables.at(i - 1), trees.at(j - 1));
                --i;
                --j;
            }
        }
        return chosen;
    }

    // Whether a tree of rows that no line names holds none of the rows the table's indexes
    // name: it is a part of another table's tree, not the table's.
    bool foreignTo(int table, int tree) const
    {
        const Tree &candidate = m_trees.at(tree);
        const auto &evidence = m_evidence.at(table);
        return !candidate.named && !candidate.sample.isEmpty() && evidence && !evidence->entries.isEmpty()
               && agreement(*evidence, candidate, m_tables.at(table).columns.rowidAlias) == 0;
    }

    // What speaks for the pairs of choice in all.
    double total(const Choice &choice) const
    {
        double sum = 0;
        for (auto it = choice.cbegin(); it != choice.cend(); ++it)
            sum += score(it.key(), it.value(), true);
        return sum;
    }

    // Reads what the indexes tell of the tables that more than one free tree of rows fits,
    // or that share such a tree with another, and those trees' rows they name.
    void weighEvidence()
    {
        QSet<int> contested;
        QHash<int, int> treesFitting;   // by table
        for (int r = 0; r < m_trees.size(); ++r) {
            if (m_tableOf.contains(r) || m_trees.at(r).sample.isEmpty())
                continue;
            QList<int> fitting;
            for (int t = 0; t < m_tables.size(); ++t)
                if (!m_treeOf.contains(t) && m_fits.at(r).at(t) > 0)
                    fitting.append(t);
            // A tree no line names may be a table's whose line was lost, or a part of
            // another's tree that a damaged parent no longer names: what the table's indexes
            // hold tells which.
            for (const int t : std::as_const(fitting)) {
                if (fitting.size() > 1 || ++treesFitting[t] > 1 || !m_trees.at(r).named)
                    contested.insert(t);
            }
        }
        bool grown = false;
        for (const int t : std::as_const(contested)) {
            if (m_evidence.at(t))
                continue;
            m_evidence[t] = evidenceOf(m_pages, m_tables.at(t), m_crossed);
            for (const Entry &entry : m_evidence.at(t)->entries) {
                grown = grown || !m_named.contains(entry.rowid);
                m_named.insert(entry.rowid);
            }
        }
        QBitArray seen;   // each page is read once, whatever number of trees name it
        // A tree whose root the walk of another read (a damaged child number of the other's
        // named it) is given what the other holds: its pages are not read again.
        QHash<int, int> readWith;
        for (int r = 0; r < m_trees.size(); ++r) {
            Tree &tree = m_trees[r];
            const bool needed = !tree.sample.isEmpty()
                                && std::any_of(contested.cbegin(), contested.cend(),
                                               [&](int t) { return m_fits.at(r).at(t) > 0; });
            if (!needed || (m_heldRead.at(r) && !grown))
                continue;
            m_heldRead[r] = true;
            if (const auto other = readWith.constFind(r); other != readWith.cend()) {
                tree.held.insert(m_trees.at(*other).held);
                continue;
            }
            m_pages.visitRows(
                tree.root,
                [&](qint64 rowid, const QVariantList &values) {
                    if (m_named.contains(rowid))
                        tree.held.insert(rowid, values);
                    return true;
                },
                &seen);
            for (int later = r + 1; later < m_trees.size(); ++later)
                if (m_trees.at(later).root < seen.size() && seen.testBit(int(m_trees.at(later).root)) && !readWith.contains(later))
                    readWith.insert(later, r);
        }
    }

    // Whether what speaks for two tables' trees, leaving the lines aside, speaks less for
    // them swapped (a table of no tree leaves the other none).
    bool worseSwapped(int one, int other) const
    {
        const int mine = m_treeOf.value(one, -1);
        const int theirs = m_treeOf.value(other, -1);
        if (theirs >= 0 && m_fits.at(theirs).at(one) < 0)
            return true;
        const double kept = score(one, mine, false) + (theirs >= 0 ? score(other, theirs, false) : 0);
        const double swapped = score(other, mine, false) + (theirs >= 0 ? score(one, theirs, false) : 0);
        return swapped < kept;
    }

    // What speaks for a table taking a tree: what its indexes find there, its line's word
    // (of little weight for a tree of no rows, which any table of rows would rather not
    // take), and how its rows fit.
    double score(int table, int tree, bool withLine) const
    {
        const Tree &candidate = m_trees.at(tree);
        const WantedTable &wanted = m_tables.at(table);
        const auto &evidence = m_evidence.at(table);
        return (evidence ? 10 * agreement(*evidence, candidate, wanted.columns.rowidAlias) : 0)
               + (withLine && candidate.root == wanted.namedRoot ? (candidate.sample.isEmpty() ? 0.5 : 4) : 0)
               + m_fits.at(tree).at(table);
    }

    DatabasePages &m_pages;
    const QList<WantedTable> &m_tables;
    const QSet<qint64> &m_crossed;   // the roots of the indexes that cross another, which tell nothing
    QList<std::optional<Evidence>> m_evidence;   // by table, read when needed
    QSet<qint64> m_named;          // the row ids the indexes' first entries name
    QList<Tree> m_trees;
    QList<QList<double>> m_fits;   // of each tree, how well it fits each table
    QList<bool> m_heldRead;        // of each tree, whether its rows of m_named were read
    QBitArray m_counted;           // the pages of the trees counted whole
    QHash<int, int> m_treeOf;      // by table
    QHash<int, int> m_tableOf;     // by tree
};

} // namespace

TreeChoice chooseTrees(DatabasePages &pages, const QList<WantedTable> &tables, const QList<qint64> &lineRoots,
                       const QSet<qint64> &crossedIndexes)
{
    Chooser chooser(pages, tables, crossedIndexes);
    QSet<qint64> named;
    for (const qint64 root : lineRoots) {
        if (named.contains(root) || pages.treeAt(root) != DatabasePages::Tree::Table)
            continue;
        named.insert(root);
        chooser.addTree(root, false);
    }
    chooser.assign();
    if (!chooser.complete()) {
        for (const qint64 root : pages.unnamedRoots(named))
            chooser.addTree(root, true);
        chooser.assign();
    }
    return chooser.choice();
}

} // namespace Salvage
