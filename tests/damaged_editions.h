#pragma once
// Edition files damaged on purpose: a page of a table or index overwritten, the file cut
// short. Pages are found through SQLite's page statistics on a connection of their own.

#include <QFile>
#include <QList>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>

namespace Damage {

struct Page {
    int number = 0;   // counted from 1
    int cells = 0;    // rows on a table's leaf page
    int size = 0;     // bytes
};

// Runs sql on the page statistics of the database file at path, handing each row to take.
inline void pageStatistics(const QString &path, const QString &sql, const std::function<void(const QSqlQuery &)> &take)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(sql);
            while (q.next())
                take(q);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damage"));
}

// The leaf pages of table (or index) in the order of its tree.
inline QList<Page> leaves(const QString &path, const QString &name)
{
    QList<Page> leaves;
    pageStatistics(path,
                   QStringLiteral("SELECT pageno, ncell, pgsize FROM dbstat WHERE name = '%1' AND pagetype = 'leaf' "
                                  "ORDER BY path").arg(name),
                   [&leaves](const QSqlQuery &q) {
                       leaves.append(Page{q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt()});
                   });
    return leaves;
}

// The leaf page of table (or index) that lies in the middle of its leaves.
inline Page middleLeaf(const QString &path, const QString &name)
{
    const QList<Page> all = leaves(path, name);
    return all.isEmpty() ? Page() : all.at(all.size() / 2);
}

// The interior pages of table below its root, in the order of its tree.
inline QList<Page> interiorPages(const QString &path, const QString &name)
{
    QList<Page> pages;
    pageStatistics(path,
                   QStringLiteral("SELECT pageno, pgsize FROM dbstat WHERE name = '%1' AND pagetype = 'internal' "
                                  "AND path <> '/' ORDER BY path").arg(name),
                   [&pages](const QSqlQuery &q) { pages.append(Page{q.value(0).toInt(), 0, q.value(1).toInt()}); });
    return pages;
}

// Rows of each table that lie on leaf pages after the first pages of the file.
inline QMap<QString, int> rowsBeyond(const QString &path, qint64 pages)
{
    QMap<QString, int> rows;
    pageStatistics(path,
                   QStringLiteral("SELECT d.name, sum(d.ncell) FROM dbstat d JOIN sqlite_master m ON m.name = d.name "
                                  "WHERE m.type = 'table' AND d.pagetype = 'leaf' AND d.pageno > %1 GROUP BY d.name")
                       .arg(pages),
                   [&rows](const QSqlQuery &q) { rows.insert(q.value(0).toString(), q.value(1).toInt()); });
    return rows;
}

// Fills the page with bytes that are no page of a database (a page of 100 bytes is the
// file's header).
inline bool overwritePage(const QString &path, const Page &page)
{
    QFile f(path);
    return page.number > 0 && f.open(QIODevice::ReadWrite) && f.seek(qint64(page.number - 1) * page.size)
           && f.write(QByteArray(page.size, '\xa5')) == page.size;
}

// Cuts the file to its first bytes.
inline bool truncate(const QString &path, qint64 bytes)
{
    return QFile::resize(path, bytes);
}

} // namespace Damage
