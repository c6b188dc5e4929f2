#pragma once
// The rows of an SQLite database file read straight from its pages, for a file that SQLite
// itself no longer reads whole: a damaged page costs only its own rows. Nothing read is
// trusted: every page number, offset and length is checked against the file, and no page
// is read twice by the tables' trees, so a damaged file can neither loop nor lead outside
// itself. A page is the table's only when it holds up: its kind, cells, free space and row
// ids fit where its parent put it, its rows fit the table, and no other tree reaches it.
// Pages no tree reaches, or that failed, can be read on their own, for the rows of a
// damaged tree.

#include "editions/file_window.h"

#include <QBitArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariantList>
#include <QVector>

#include <functional>
#include <vector>

class DatabasePages
{
public:
    // Reads the file at path through a bounded window: a page is read when it is needed.
    explicit DatabasePages(const QString &path);
    ~DatabasePages();
    DatabasePages(const DatabasePages &) = delete;
    DatabasePages &operator=(const DatabasePages &) = delete;

    // True when the file has pages to read under the page size found from the file itself
    // (the header's unless its trees, or its pages, hold up better under another).
    bool isOpen() const { return m_pageCount > 0; }
    qint64 size() const { return m_size; }
    qint64 pageSize() const { return m_pageSize; }

    // Row ids from first to last, either end open when unknown.
    struct Range {
        qint64 first = 0;
        qint64 last = 0;
        bool hasFirst = false;
        bool hasLast = false;
        bool contains(qint64 rowid) const
        {
            return (!hasFirst || rowid >= first) && (!hasLast || rowid <= last);
        }
    };
    // What of a table's tree could not be read: rows on its pages whose values or row ids
    // are damaged, with the row ids they bear, and the row ids its pages that failed held.
    struct Losses {
        int rows = 0;
        QSet<qint64> rowids;
        QList<Range> ranges;
        // The row ids of rows read whole whose overflow chain another row's cell had already
        // led to: one of the two chains was damaged into the other, so the value is in doubt.
        QSet<qint64> borrowed;
        bool whole() const { return rows == 0 && ranges.isEmpty(); }
    };

    // A row's values in column order: null, qint64, double, QString or QByteArray.
    using RowHandler = std::function<void(qint64 rowid, const QVariantList &values)>;
    // Whether values can be a row of the table being read, from a page whose bytes another
    // page holds too when repeated (one of the two is a copy put where it does not belong).
    using RowCheck = std::function<bool(const QVariantList &values, bool repeated)>;

    // Notes the pages the trees starting at roots reach, before any is read: a page two
    // trees reach, or one tree twice, is then taken by none of them.
    void mapTrees(const QList<qint64> &roots);
    // Of the index trees starting at roots, those that reach a page another reaches too, or
    // one page twice: a damaged page number (a root's, a child's) has one index read the
    // pages of another.
    QSet<qint64> crossedIndexes(const QList<qint64> &roots) const;
    // Hands every readable row of the table whose tree starts at page root to handler, in
    // the order of the tree, and notes its leaf pages as the table's (owner). A page that
    // an earlier tree reached, that fails its checks or holds a row that fits refuses is not
    // the table's: the row ids its parent gave it count as lost, and its rows are left for
    // scanUnreached. A row whose value is damaged (its overflow chain or its text) counts
    // as a lost row.
    Losses readTable(qint64 root, const RowHandler &handler, int owner = -1, const RowCheck &fits = {});

    // An entry of an index: its key's values, then the row id of its row.
    using IndexHandler = std::function<void(const QVariantList &entry)>;
    // Hands every readable entry of the index whose tree starts at page root to handler;
    // true when every page and entry of the tree could be read. No page a table took is
    // read, and none twice.
    bool readIndex(qint64 root, const IndexHandler &handler);

    // A row of a page that no tree reached, with the owners of the nearest leaf pages the
    // trees reached before and after it in the file (-1 when none); of a leaf that one
    // tree alone reached but could not read, and that no other page repeats, that tree's
    // owner on both sides.
    // freed: 0 for a page not on a list of free pages, 1 for one on a list the header no
    // longer leads to, 2 for one on the list it leads to; handed in that order.
    using ScanHandler = std::function<void(qint64 rowid, const QVariantList &values, int before, int after, int freed)>;
    // Hands every readable row of every table leaf page that no tree reached. Answers how many rows there could not be decoded,
    // but for those of a leaf one tree reached, which it counts among its losses.
    int scanUnreached(const ScanHandler &handler) const;
    // While a handler of readTable, readIndex or scanUnreached runs: the page the row or
    // entry it is given lies on.
    qint64 pageBeingRead() const { return m_current; }
    // While a handler of readIndex runs: whether the page of the entry fails its checks,
    // so that the entry may be a damaged one.
    bool pageInDoubt() const { return m_inDoubt; }
    // Whether another page of the file holds the same bytes as page number: one of the two
    // is a copy of the other.
    bool pageRepeated(qint64 number) const { return firstOfSame(number) != 0; }
    // The first of the pages that hold the same bytes as page number, or 0 when none does.
    qint64 firstOfSame(qint64 number) const
    {
        if (number > 0 && number <= m_pageCount && m_blank.testBit(int(number)))
            return m_zeroPages > 1 ? m_firstZeros : 0;
        return m_firstOfSame.value(number);
    }

    // The owner a tree read leaf page number for (readTable), or -1 when none did.
    int leafOwner(qint64 number) const { return number > 0 && number < m_owner.size() ? m_owner.at(int(number)) : -1; }

    // What the tree whose root is page number holds: a table's rows, an index's entries, or
    // neither (no such page, or no page of a tree).
    enum class Tree { None, Table, Index };
    Tree treeAt(qint64 number) const;
    // The pages of a table's tree with a row or a child that no interior page of a table
    // names as its child, other than those named: the roots of the trees no line of the list
    // of tables names (lost, or naming no root), and the pages whose parent was lost; and
    // the leaves of no rows that no page names, the roots of empty tables. Free pages, and
    // pages of rows whose bytes another page holds too, are left out.
    QList<qint64> unnamedRoots(const QSet<qint64> &named) const;
    // Hands the rows of the table's tree starting at page root to visit, in the order of the
    // tree, until visit answers false. Nothing is noted as read: each page is read once,
    // but may be read again by the tables. With seen, the pages it holds are not read and
    // those read are added to it, so that walks of several trees read each page once.
    using RowVisitor = std::function<bool(qint64 rowid, const QVariantList &values)>;
    void visitRows(qint64 root, const RowVisitor &visit, QBitArray *seen = nullptr) const;

private:
    // A page waiting to be read, with the row ids its parent gave it.
    struct Pending {
        qint64 number;
        Range range;
    };
    // What became of a cell.
    enum class Cell { Read, Damaged, Unreadable };

    // Page number (counted from 1), or nullptr when the file has no such page. Its bytes
    // stay valid while no other page is read; heldPage copies them for longer.
    const uchar *page(qint64 number) const;
    // A copy of page number's bytes, which stays as it is while the pages its cells lead to
    // are read; *at becomes a place on the copy instead of on the page.
    QByteArray heldPage(qint64 number, const uchar **at) const;
    // The b-tree header of page number: after the file header on page 1.
    const uchar *treeHeader(qint64 number) const;
    // The cell pointers of a page of the given kinds, or nullptr when its header is unsound.
    const uchar *cellPointers(qint64 number, uchar kind1, uchar kind2, qint64 *cells) const;
    // Appends to pending the child page numbers an interior index page names: its right-most
    // child's, and each cell's whose number lies inside the page.
    void appendIndexChildren(qint64 number, const uchar *pointers, qint64 cells, QVector<qint64> *pending) const;
    // Whether every byte of the content area of a page is a cell, a free block or one of
    // the fragments its header counts, with none of them overlapping or leaving the page.
    bool spaceAccounted(qint64 number, const uchar *pointers, qint64 cells);
    // Where the content area of a page ends when its cells and free blocks lie inside the
    // page without overlapping and, with the fragments its header counts, fill it from its
    // start: the usable size of a page that holds up; else -1.
    qint64 contentEnd(qint64 number, const uchar *pointers, qint64 cells);
    // contentEnd of a page, worked out once under each usable size.
    qint64 knownContentEnd(qint64 number, const uchar *pointers, qint64 cells);
    // The children of a sound interior page whose row ids lie in range, each with its
    // own, in the order of the tree; false when the page is unsound or its keys are not
    // in order inside range.
    bool childrenOf(qint64 number, const Range &range, QVector<Pending> *children);
    // Reads the rows of a leaf page into m_rows when the page holds up: its space is all
    // accounted for, it has a row unless it is the root, its row ids lie inside range and
    // its rows fit. Answers how many rows it read (-1 when the page failed) and adds
    // the rows whose value is damaged, and those whose row ids break the rising order of
    // the page's, to losses.
    int readLeaf(qint64 number, const Range &range, bool root, const RowCheck &fits, Losses *losses);
    // Keeps, at the front of the first rows of m_rows, those whose ids rise along the page
    // once the fewest rows are left out; answers how many.
    int keepRisingRows(int rows);
    // Payload bytes a cell of a table's leaf, or of an index, keeps on its page, of size
    // in all.
    qint64 localSize(qint64 size, bool index = false) const;
    // The page size under which the trees of the file reach the most pages (or, when they
    // reach none, the most pages parse): declared (0 when none) unless another does more,
    // and declared whenever its trees reach most of the declaredPages the header counts.
    qint64 guessPageSize(qint64 declared, qint64 declaredPages) const;
    // The cell pointers of the page of the given size at offset when it begins as a b-tree
    // page whose cells lie inside it, else nullptr.
    const uchar *parses(qint64 offset, qint64 size, qint64 *cells) const;
    // How many pages of the given size begin as b-tree pages whose cells lie inside them.
    qint64 pagesThatParse(qint64 size) const;
    // How many such pages the list of tables on page 1 and the trees it names reach under
    // the given size.
    qint64 pagesReached(qint64 size) const;
    // How many pages are b-tree pages whose space is all accounted for, under m_usable.
    qint64 soundPages();
    // The bytes of each page that hold data: declared unless another size, the one most
    // pages' content ends at, makes more pages sound.
    qint64 usableSize(qint64 declared);
    // The text encoding in which the most lines of the list of tables read as such:
    // declared unless another reads more.
    int schemaEncoding(int declared);
    // The text encoding in which the texts of the rows on the tables' leaves read most as
    // text, of a bounded number of them: declared unless another reads more.
    int rowsEncoding(int declared) const;
    // Notes the pages of zeros (free or wiped), which hold no part of a value whatever
    // points to them, and the pages whose bytes another page holds too. Pages alike are no
    // damage by themselves (two rows of one long text, a page freed after it was copied):
    // they are suspected only where trees disagree.
    void markDoubtfulPages();
    // Notes the pages of the list of free pages whose first trunk page is trunk.
    void markFreePages(qint64 trunk);
    // Marks in free the pages of the list of free pages whose first trunk page is trunk;
    // answers how many.
    qint64 followFreeList(qint64 trunk, QBitArray *free) const;
    // Notes the pages of a list of free pages the header's damaged first page number
    // no longer leads to.
    void markLostFreeList();
    // The payload of the leaf cell at cell, which lies on a page ending at end: the rowid
    // and the record's values (an index's cell, after its child's page number, has no
    // rowid: pass nullptr). The overflow pages it takes are set in taken and added to
    // chain; a chain that leaves the file, loops, or enters a page taken, of a tree or of
    // zeros makes the value damaged, and so does a free page unless the cell is on a page
    // of a tree (whose own pointers are trusted over the list of free pages). A payload
    // longer than any value can be, or than the file's pages could hold, is damaged too.
    // A chain may go on through the pages of another row's chain set in borrowable: the
    // value is then read, and *borrowed set.
    Cell readCell(const uchar *cell, const uchar *end, qint64 *rowid, QVariantList *values, QBitArray *taken,
                  QVector<qint64> *chain, bool ofTree = false, const QBitArray *borrowable = nullptr,
                  bool *borrowed = nullptr) const;
    Cell decodeRecord(const QByteArray &payload, QVariantList *values) const;
    // Text in the file's encoding; false when it is not valid there.
    bool text(const char *data, qint64 size, QString *value) const;

    FileWindow m_window;
    qint64 m_size = 0;
    qint64 m_pageSize = 0;
    qint64 m_usable = 0;    // bytes of each page that hold data
    qint64 m_pageCount = 0;
    int m_encoding = 1;     // 1 UTF-8, 2 UTF-16le, 3 UTF-16be
    QBitArray m_reached;    // pages a tree or an overflow chain of its rows took
    QBitArray m_free;       // pages on the list of free pages
    QBitArray m_unlisted;   // of them, those of a list the header no longer leads to
    QBitArray m_overflow;   // pages the overflow chains of the trees' rows took
    // Of each page but the blank ones whose bytes another page holds too, the first page of
    // those bytes.
    QHash<qint64, qint64> m_firstOfSame;
    QBitArray m_zeros;      // pages of zeros
    QBitArray m_blank;          // of them, pages whose every byte is zero
    qint64 m_zeroPages = 0;     // how many there are
    qint64 m_firstZeros = 0;    // the first of them
    QVector<int> m_owner;   // the owner of each table leaf page a tree reached, else -1
    QVector<int> m_failedLeafOwner;   // the owner whose tree alone reached a leaf it could not read
    QByteArray m_claims;    // how often the mapped trees reach each page (at most 2)
    QVector<qint64> m_ends;     // each page's content end under m_endsUsable, -2 when not known
    qint64 m_endsUsable = -1;
    std::vector<quint64> m_covered;   // the bytes of a page its cells and free blocks cover, while checked
    struct Row {
        qint64 rowid = 0;
        QVariantList values;
        bool borrowed = false;   // its overflow chain went on through another row's
    };
    QVector<Row> m_rows;        // the rows of the leaf page being read
    QVector<qint64> m_chain;    // the overflow pages its rows took
    mutable qint64 m_current = 0;   // the page whose rows or entries are being handed on
    bool m_inDoubt = false;         // whether that page, of an index, fails its checks
    QVector<qint64> m_lost;     // the row ids of its rows that were not read
};
