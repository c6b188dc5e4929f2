#pragma once
// The rows of an SQLite database file read straight from its pages, for a file that SQLite
// itself no longer reads whole: a damaged page costs only its own rows. Nothing read is
// trusted: every page number, offset and length is checked against the file, and no page
// is read twice by the tables' trees, so a damaged file can neither loop nor lead outside
// itself. Pages no tree reaches can be read on their own, for the rows of a damaged tree.

#include <QBitArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QVariantList>
#include <QVector>

#include <functional>

class DatabasePages
{
public:
    // Maps the file at path for reading.
    explicit DatabasePages(const QString &path);
    ~DatabasePages();
    DatabasePages(const DatabasePages &) = delete;
    DatabasePages &operator=(const DatabasePages &) = delete;

    // True when the file has pages to read: its header gives a sound page size, or a
    // damaged header's page size was found from the pages themselves.
    bool isOpen() const { return m_data != nullptr; }
    // True when the file's header is whole: its page size and list of free pages are known.
    bool headerSound() const { return m_headerSound; }
    qint64 size() const { return m_size; }

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
    // What of a table's tree could not be read: rows on its pages that could not be
    // decoded, and the row ids its unreadable pages held.
    struct Losses {
        int rows = 0;
        QList<Range> ranges;
        bool whole() const { return rows == 0 && ranges.isEmpty(); }
    };

    // A row's values in column order: null, qint64, double, QString or QByteArray.
    using RowHandler = std::function<void(qint64 rowid, const QVariantList &values)>;
    // Hands every readable row of the table whose tree starts at page root to handler, in
    // the order of the tree, and notes its leaf pages as the table's (owner). A page that
    // an earlier tree reached is not read again.
    Losses readTable(qint64 root, const RowHandler &handler, int owner = -1);

    // A row of a page that no tree reached, with the owners of the nearest leaf pages the
    // trees reached before and after it in the file (-1 when none).
    using ScanHandler = std::function<void(qint64 rowid, const QVariantList &values, int before, int after)>;
    // Hands every readable row of every table leaf page that no tree reached and that is
    // not on the list of free pages. Answers how many rows there could not be decoded.
    int scanUnreached(const ScanHandler &handler) const;

private:
    // Page number (counted from 1), or nullptr when the file has no such page.
    const uchar *page(qint64 number) const;
    // The b-tree header of page number: after the file header on page 1.
    const uchar *treeHeader(qint64 number) const;
    // The cell pointers of a page of the given kinds, or nullptr when its header is unsound.
    const uchar *cellPointers(qint64 number, uchar kind1, uchar kind2, qint64 *cells) const;
    // The page size that makes the most pages read as sound b-tree pages.
    qint64 guessPageSize() const;
    void markFreePages();
    // The payload of the leaf cell at cell, which lies on a page ending at end: the rowid
    // and the record's values. Answers false when the cell cannot be read.
    bool readCell(const uchar *cell, const uchar *end, qint64 *rowid, QVariantList *values,
                  QBitArray *taken) const;
    bool decodeRecord(const QByteArray &payload, QVariantList *values) const;
    QString text(const char *data, qint64 size) const;

    QFile m_file;
    const uchar *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_pageSize = 0;
    qint64 m_usable = 0;    // bytes of each page that hold data
    qint64 m_pageCount = 0;
    int m_encoding = 1;     // 1 UTF-8, 2 UTF-16le, 3 UTF-16be
    bool m_headerSound = false;
    QBitArray m_reached;    // pages a tree or an overflow chain of its rows took
    QBitArray m_free;       // pages on the list of free pages
    QVector<int> m_owner;   // the owner of each table leaf page a tree reached, else -1
};
