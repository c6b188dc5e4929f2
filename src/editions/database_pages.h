#pragma once
// The rows of an SQLite database file read straight from its pages, for a file that SQLite
// itself no longer reads whole: a damaged page costs only its own rows. Nothing read is
// trusted: every page number, offset and length is checked against the file, and no page
// of a table is read twice, so a damaged file can neither loop nor lead outside itself.

#include <QFile>
#include <QString>
#include <QVariantList>

#include <functional>

class DatabasePages
{
public:
    // Maps the file at path for reading.
    explicit DatabasePages(const QString &path);
    ~DatabasePages();
    DatabasePages(const DatabasePages &) = delete;
    DatabasePages &operator=(const DatabasePages &) = delete;

    // True when the file begins as an SQLite database with a sound page size.
    bool isOpen() const { return m_data != nullptr; }

    // A row's values in column order: null, qint64, double, QString or QByteArray.
    using RowHandler = std::function<void(qint64 rowid, const QVariantList &values)>;
    // Hands every readable row of the table whose tree starts at page root to handler, in
    // the order of the tree. Answers how many pages and rows of the table could not be
    // read (0 when the table was read whole).
    int readTable(qint64 root, const RowHandler &handler) const;

private:
    // Page number (counted from 1), or nullptr when the file has no such page.
    const uchar *page(qint64 number) const;
    // The payload of the leaf cell at cell, which lies on a page ending at end: the rowid
    // and the record's values. Answers false when the cell cannot be read.
    bool readCell(const uchar *cell, const uchar *end, qint64 *rowid, QVariantList *values) const;
    bool decodeRecord(const QByteArray &payload, QVariantList *values) const;
    QString text(const char *data, qint64 size) const;

    QFile m_file;
    const uchar *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_pageSize = 0;
    qint64 m_usable = 0;    // bytes of each page that hold data
    qint64 m_pageCount = 0;
    int m_encoding = 1;     // 1 UTF-8, 2 UTF-16le, 3 UTF-16be
};
