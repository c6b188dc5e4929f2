// Compares, in one run, Compact / Repair's salvage of a damaged edition of 100,000 links (a
// leaf page and an interior page of its links overwritten) - every readable row read from
// the file's pages, checked, and written into a fresh copy of the empty edition - with a bare
// copy of the same salvaged rows, already in memory, into a copy of the empty edition
// through SQLite's C API (one statement prepared per table, one transaction, no journal).
// A second line gives the same copy through the Qt SQL driver (QSqlQuery). The three take
// turns, the first switching run by run; every copy must end with the rows of the salvage.
//
//   bench_repair [program folder to copy from]

#include "bench_support.h"

#include "editions/edition_salvage.h"
#include "editions/scratch_connection.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

namespace {

constexpr int Runs = 6;

// The rows of one table: its column names and each row's values, row id first.
struct TableRows {
    QString name;
    QStringList columns;
    QVector<QVariantList> rows;
    bool operator==(const TableRows &other) const
    {
        return name == other.name && columns == other.columns && rows == other.rows;
    }
};

// Overwrites the middle page of table of the given type below its root with bytes that are
// no page.
bool damageMiddlePage(const QString &path, const QString &table, const QString &type)
{
    qint64 page = 0;
    qint64 size = 0;
    {
        ScratchConnection db(path);
        QSqlQuery q(db.database());
        q.exec(QStringLiteral("SELECT pageno, pgsize FROM dbstat WHERE name = '%1' AND pagetype = '%2' AND path <> '/' "
                              "ORDER BY path")
                   .arg(table, type));
        QVector<QPair<qint64, qint64>> pages;
        while (q.next())
            pages.append({q.value(0).toLongLong(), q.value(1).toLongLong()});
        if (pages.isEmpty())
            return false;
        page = pages.at(pages.size() / 2).first;
        size = pages.at(pages.size() / 2).second;
    }
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.seek((page - 1) * size) && f.write(QByteArray(size, '\xa5')) == size;
}

// Every row of every table of the database at path, read through SQLite.
QVector<TableRows> readAll(const QString &path)
{
    QVector<TableRows> tables;
    ScratchConnection db(path);
    QSqlQuery names(db.database());
    names.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'"));
    while (names.next()) {
        TableRows table{names.value(0).toString(), {}, {}};
        QSqlQuery q(db.database());
        q.setForwardOnly(true);
        q.exec(QStringLiteral("SELECT rowid, * FROM \"%1\"").arg(table.name));
        for (int c = 1; c < q.record().count(); ++c)
            table.columns.append(q.record().fieldName(c));
        while (q.next()) {
            QVariantList row;
            for (int c = 0; c < q.record().count(); ++c)
                row.append(q.value(c));
            table.rows.append(row);
        }
        tables.append(table);
    }
    return tables;
}

// The INSERT of a table's rows, row id first.
QString insertOf(const TableRows &table)
{
    QStringList columns{QStringLiteral("rowid")};
    for (const QString &c : table.columns)
        columns.append(QLatin1Char('"') + c + QLatin1Char('"'));
    return QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
        .arg(table.name, columns.join(QLatin1Char(',')), QStringLiteral("?,").repeated(columns.size()).chopped(1));
}

// The floor: the rows inserted through SQLite's C API into a copy of the empty edition in
// one transaction.
bool apiCopy(const QVector<TableRows> &tables, const QString &templateFile, const QString &destination)
{
    QFile::remove(destination);
    sqlite3 *db = nullptr;
    bool ok = QFile::copy(templateFile, destination)
              && sqlite3_open_v2(QFile::encodeName(destination).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
              && sqlite3_exec(db, "PRAGMA journal_mode = OFF; BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    QVector<QByteArray> texts;   // kept until the row is written: the statement reads them in place
    for (int t = 0; ok && t < tables.size(); ++t) {
        sqlite3_stmt *stmt = nullptr;
        const QByteArray sql = insertOf(tables.at(t)).toUtf8();
        ok = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr) == SQLITE_OK;
        for (const QVariantList &row : tables.at(t).rows) {
            texts.resize(row.size());
            for (int i = 0; ok && i < row.size(); ++i) {
                const QVariant &v = row.at(i);
                if (v.isNull()) {
                    sqlite3_bind_null(stmt, i + 1);
                } else if (v.typeId() == QMetaType::LongLong) {
                    sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
                } else if (v.typeId() == QMetaType::Double) {
                    sqlite3_bind_double(stmt, i + 1, v.toDouble());
                } else if (v.typeId() == QMetaType::QByteArray) {
                    texts[i] = v.toByteArray();
                    sqlite3_bind_blob(stmt, i + 1, texts[i].constData(), int(texts[i].size()), SQLITE_STATIC);
                } else {
                    texts[i] = v.toString().toUtf8();
                    sqlite3_bind_text(stmt, i + 1, texts[i].constData(), int(texts[i].size()), SQLITE_STATIC);
                }
            }
            ok = ok && sqlite3_step(stmt) == SQLITE_DONE && sqlite3_reset(stmt) == SQLITE_OK;
        }
        sqlite3_finalize(stmt);
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// The second line: the rows inserted through the Qt SQL driver in one transaction.
bool driverCopy(const QVector<TableRows> &tables, const QString &templateFile, const QString &destination)
{
    QFile::remove(destination);
    if (!QFile::copy(templateFile, destination))
        return false;
    ScratchConnection db(destination);
    QSqlDatabase connection = db.database();
    if (!db.exec(QStringLiteral("PRAGMA journal_mode = OFF")) || !connection.transaction())
        return false;
    for (const TableRows &table : tables) {
        QSqlQuery insert(connection);
        insert.prepare(insertOf(table));
        for (const QVariantList &row : table.rows) {
            for (int i = 0; i < row.size(); ++i)
                insert.bindValue(i, row.at(i));
            if (!insert.exec())
                return false;
        }
    }
    return connection.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    bench::prepareEnvironment();
    QApplication app(argc, argv);
    bench::ProgramFolder folder;
    if (!folder.make(argc, argv))
        return 2;
    bench::Edition edition;
    if (!bench::makeSubTopic(&edition, 50, 39, 50))   // 2,000 categories, 100,000 links
        return 2;
    CloseDatabase();

    const QString damaged = folder.folder() + QStringLiteral("Bench.mdb");
    const QString templateFile = folder.folder() + QStringLiteral("untitled.mdb");
    const QString salvaged = folder.folder() + QStringLiteral("salvaged.part");
    if (!damageMiddlePage(damaged, QStringLiteral("Sit"), QStringLiteral("leaf"))
        || !damageMiddlePage(damaged, QStringLiteral("Sit"), QStringLiteral("internal"))) {
        std::fprintf(stderr, "the edition could not be damaged\n");
        return 2;
    }

    // The rows the copies take: those of a first salvage.
    SalvageResult result = SalvageEdition(damaged, templateFile, salvaged);
    if (result.outcome != SalvageResult::Outcome::Salvaged) {
        std::fprintf(stderr, "the edition was not salvaged\n");
        return 1;
    }
    const QVector<TableRows> rows = readAll(salvaged);
    const QString api = folder.folder() + QStringLiteral("api.part");
    const QString driver = folder.folder() + QStringLiteral("driver.part");
    const QList<std::function<bool()>> sides = {
        [&] {
            result = SalvageEdition(damaged, templateFile, salvaged);
            return result.outcome == SalvageResult::Outcome::Salvaged;
        },
        [&] { return apiCopy(rows, templateFile, api); },
        [&] { return driverCopy(rows, templateFile, driver); },
    };
    QVector<double> times[3];
    for (int run = 0; run < Runs; ++run) {
        for (int k = 0; k < 3; ++k) {
            const int side = (run + k) % 3;
            bool done = false;
            times[side].append(bench::timed([&] { done = sides.at(side)(); }));
            if (!done) {
                std::fprintf(stderr, "side %d failed\n", side);
                return 1;
            }
        }
    }
    if (readAll(salvaged) != rows || readAll(api) != rows || readAll(driver) != rows) {
        std::fprintf(stderr, "the copies do not hold the rows of the salvage\n");
        return 1;
    }

    qint64 total = 0;
    for (const TableRows &table : rows)
        total += table.rows.size();
    std::printf("edition: %lld links; %lld rows recovered, %d of %lld links lost with the damaged pages; file %lld KB\n",
                qlonglong(edition.links.size()), total, int(edition.links.size()) - result.recovered.value(QStringLiteral("Sit")),
                qlonglong(edition.links.size()), QFileInfo(damaged).size() / 1024);
    bench::printRuns("salvage into the empty edition", times[0]);
    bench::printRuns("copy of the same rows, SQLite C API", times[1]);
    bench::printRuns("copy of the same rows, Qt SQL driver", times[2]);
    std::printf("driver copy against the C API copy: %.2f\n", bench::median(times[2]) / bench::median(times[1]));
    std::printf("ratio:      %.2f (salvage against the C API copy of its rows; goal: at most 2)\n",
                bench::median(times[0]) / bench::median(times[1]));
    bench::ProgramFolder::finish();
    return 0;
}
