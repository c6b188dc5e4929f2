#pragma once
// Edition files damaged on purpose: a page of a table or index overwritten, the file cut
// short. Pages are found through SQLite's page statistics on a connection of their own.

#include <QFile>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QString>
#include <QtEndian>

#include <sqlite3.h>

#include <functional>

namespace Damage {

struct Page {
    int number = 0;   // counted from 1
    int cells = 0;    // rows on a table's leaf page
    int size = 0;     // bytes
    QString path;     // where the tree reaches it, as "/001/00a/"
};

// Runs work on a connection of its own to the database file at path.
inline void withDatabase(const QString &path, const std::function<void(QSqlDatabase)> &work)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        db.setDatabaseName(path);
        if (db.open())
            work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damage"));
}

// Runs sql (on the page statistics, say) on the database file at path, handing each row to
// take.
inline void runSql(const QString &path, const QString &sql, const std::function<void(const QSqlQuery &)> &take = {})
{
    withDatabase(path, [&](QSqlDatabase db) {
        QSqlQuery q(db);
        q.exec(sql);
        while (q.next())
            take(q);
    });
}

// Runs statements in order on one connection of its own to the database at path; answers
// whether every one ran.
inline bool exec(const QString &path, const QStringList &statements)
{
    bool done = true;
    withDatabase(path, [&](QSqlDatabase db) {
        QSqlQuery q(db);
        for (const QString &sql : statements)
            done = q.exec(sql) && done;
    });
    return done;
}

// Changes the lines of the list of tables named in names, as damage to its page would:
// set says what to change ("type = 'view'", say).
inline bool editSchema(const QString &path, const QString &set, const QStringList &names)
{
    return exec(path, {QStringLiteral("PRAGMA writable_schema = ON"),
                       QStringLiteral("UPDATE sqlite_master SET %1 WHERE name IN ('%2')").arg(set, names.join(QStringLiteral("', '")))});
}

// Swaps the root page numbers of two tables in the list of tables.
inline bool swapRoots(const QString &path, const QString &one, const QString &other)
{
    QMap<QString, qint64> roots;
    runSql(path, QStringLiteral("SELECT name, rootpage FROM sqlite_master WHERE name IN ('%1', '%2')").arg(one, other),
           [&roots](const QSqlQuery &q) { roots.insert(q.value(0).toString(), q.value(1).toLongLong()); });
    return roots.size() == 2
           && editSchema(path, QStringLiteral("rootpage = CASE name WHEN '%1' THEN %2 ELSE %3 END").arg(one).arg(roots.value(other)).arg(roots.value(one)),
                         {one, other});
}

// Swaps the names of two columns in a table's declaration in the list of tables: each
// column's values are then read as the other's.
inline bool swapColumns(const QString &path, const QString &table, const QString &one, const QString &other)
{
    QString sql;
    runSql(path, QStringLiteral("SELECT sql FROM sqlite_master WHERE name = '%1'").arg(table),
           [&sql](const QSqlQuery &q) { sql = q.value(0).toString(); });
    QStringList lines = sql.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        const QString name = line.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        if (name == one || name == other)
            line.replace(line.indexOf(name), name.size(), name == one ? other : one);
    }
    const QString swapped = lines.join(QLatin1Char('\n'));
    return swapped != sql && editSchema(path, QStringLiteral("sql = '%1'").arg(swapped), {table});
}

// Writes the database at path anew in pages of size bytes, each keeping reserve bytes back
// at its end.
inline bool vacuum(const QString &path, int size, int reserve = 0)
{
    bool done = false;
    withDatabase(path, [&](QSqlDatabase db) {
        QSqlQuery q(db);
        sqlite3 *handle = *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
        done = q.exec(QStringLiteral("PRAGMA page_size = %1").arg(size))
               && sqlite3_file_control(handle, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve) == SQLITE_OK
               && q.exec(QStringLiteral("VACUUM"));
    });
    return done;
}

// Writes the tables, indexes and rows of the database at from into a new file at to that
// holds its texts in UTF-16 (each value as SQLite quotes it, so an empty text stays one).
inline void copyAsUtf16(const QString &from, const QString &to)
{
    QStringList sql{QStringLiteral("PRAGMA encoding = 'UTF-16le'"), QStringLiteral("BEGIN")};
    QStringList tables;
    runSql(from, QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE sql NOT NULL ORDER BY type DESC"),
           [&](const QSqlQuery &q) {
               sql.append(q.value(2).toString());
               if (q.value(0).toString() == QLatin1String("table"))
                   tables.append(q.value(1).toString());
           });
    for (const QString &table : std::as_const(tables)) {
        QStringList values;
        runSql(from, QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table),
               [&values](const QSqlQuery &q) { values.append(QStringLiteral("quote(%1)").arg(q.value(0).toString())); });
        runSql(from, QStringLiteral("SELECT 'INSERT INTO %1 VALUES (' || %2 || ')' FROM %1").arg(table, values.join(QStringLiteral(" || ',' || "))),
               [&sql](const QSqlQuery &q) { sql.append(q.value(0).toString()); });
    }
    sql.append(QStringLiteral("COMMIT"));
    withDatabase(to, [&sql](QSqlDatabase db) {
        QSqlQuery q(db);
        for (const QString &statement : std::as_const(sql))
            q.exec(statement);
    });
}

// The pages of table (or index) of a type ("leaf", "internal", "overflow") in the order of
// its tree.
inline QList<Page> pages(const QString &path, const QString &name, const QString &type = QStringLiteral("leaf"))
{
    QList<Page> pages;
    runSql(path,
                   QStringLiteral("SELECT pageno, ncell, pgsize, path FROM dbstat WHERE name = '%1' AND pagetype = '%2' "
                                  "ORDER BY path").arg(name, type),
                   [&pages](const QSqlQuery &q) {
                       pages.append(Page{q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt(), q.value(3).toString()});
                   });
    return pages;
}


// The leaf page of table (or index) that lies in the middle of its leaves.
inline Page middleLeaf(const QString &path, const QString &name)
{
    const QList<Page> all = pages(path, name);
    return all.isEmpty() ? Page() : all.at(all.size() / 2);
}

// The interior pages of table below its root, in the order of its tree.
inline QList<Page> interiorPages(const QString &path, const QString &name)
{
    QList<Page> below = pages(path, name, QStringLiteral("internal"));
    below.removeIf([](const Page &page) { return page.path == QLatin1String("/"); });
    return below;
}

// Rows of each table that lie on leaf pages after the first pages of the file.
inline QMap<QString, int> rowsBeyond(const QString &path, qint64 pages)
{
    QMap<QString, int> rows;
    runSql(path,
                   QStringLiteral("SELECT d.name, sum(d.ncell) FROM dbstat d JOIN sqlite_master m ON m.name = d.name "
                                  "WHERE m.type = 'table' AND d.pagetype = 'leaf' AND d.pageno > %1 GROUP BY d.name")
                       .arg(pages),
                   [&rows](const QSqlQuery &q) { rows.insert(q.value(0).toString(), q.value(1).toInt()); });
    return rows;
}

// Writes bytes over the page's own from its byte at (or reads them, with read set).
inline bool onPage(const QString &path, const Page &page, int at, QByteArray *bytes, bool read = false)
{
    QFile f(path);
    if (page.number <= 0 || !f.open(QIODevice::ReadWrite) || !f.seek(qint64(page.number - 1) * page.size + at))
        return false;
    if (read)
        *bytes = f.read(page.size - at);
    return read ? bytes->size() == page.size - at : f.write(*bytes) == bytes->size();
}

// The two-byte number of a page read whole at the given byte.
inline int number16(const QByteArray &page, int at)
{
    return uchar(page.at(at)) << 8 | uchar(page.at(at + 1));
}

// Fills the page with bytes that are no page of a database (a page of 100 bytes is the
// file's header).
inline bool overwritePage(const QString &path, const Page &page)
{
    QByteArray bytes(page.size, '\xa5');
    return onPage(path, page, 0, &bytes);
}

// Writes the bytes of page from of the file source over page to.
inline bool copyPage(const QString &source, const Page &from, const QString &path, const Page &to)
{
    QByteArray bytes;
    return onPage(source, from, 0, &bytes, true) && onPage(path, to, 0, &bytes);
}

// Points the interior page parent's pointer to child from at page to instead.
inline bool repoint(const QString &path, const Page &parent, const Page &from, const Page &to)
{
    QByteArray bytes;
    if (!onPage(path, parent, 0, &bytes, true))
        return false;
    QList<int> pointers{8};   // the right-most child's, then one in each cell
    for (int i = 0; i < qFromBigEndian<quint16>(bytes.constData() + 3); ++i)
        pointers.append(qFromBigEndian<quint16>(bytes.constData() + 12 + 2 * i));
    for (const int at : pointers) {
        if (qFromBigEndian<quint32>(bytes.constData() + at) == quint32(from.number)) {
            QByteArray number(4, 0);
            qToBigEndian<quint32>(to.number, number.data());
            return onPage(path, parent, at, &number);
        }
    }
    return false;
}

// Writes bytes over the file's header from its byte at.
inline bool setHeader(const QString &path, int at, QByteArray bytes)
{
    return onPage(path, Page{1, 0, 100, {}}, at, &bytes);
}

// Sets the count of cells in the header of a page of a tree (not the first page).
inline bool setCellCount(const QString &path, const Page &page, int count)
{
    QByteArray bytes(2, 0);
    qToBigEndian<quint16>(quint16(count), bytes.data());
    return onPage(path, page, 3, &bytes);
}

// Writes bytes into the file at offset from the first place where text lies in it (after
// the text with an offset of its size), or flips the lowest bit of the byte there when
// bytes is empty. Answers false when the text is not there.
inline bool changeAt(const QString &path, const QByteArray &text, qint64 offset, QByteArray bytes = {})
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    const qint64 found = f.readAll().indexOf(text);
    if (found < 0 || !f.seek(found + offset))
        return false;
    char byte = 0;
    if (bytes.isEmpty() && f.getChar(&byte))
        bytes = QByteArray(1, char(byte ^ 1));
    return !bytes.isEmpty() && f.seek(found + offset) && f.write(bytes) == bytes.size();
}

// Runs sql on the database file at path into a log beside it and leaves the file without
// it, as a program that ended with the file open leaves it.
inline bool writeInLog(const QString &path, const QString &sql)
{
    bool done = false;
    withDatabase(path, [&](QSqlDatabase db) {
        QSqlQuery q(db);
        sqlite3 *handle = *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
        done = q.exec(QStringLiteral("PRAGMA journal_mode = WAL"))
               && sqlite3_db_config(handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr) == SQLITE_OK && q.exec(sql);
    });
    return done && QFile::exists(path + QStringLiteral("-wal"));
}

// Cuts the file to its first bytes.
inline bool truncate(const QString &path, qint64 bytes)
{
    return QFile::resize(path, bytes);
}

} // namespace Damage
