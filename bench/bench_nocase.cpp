// Times the program's letter-case comparison (the collation NOCASE of every connection it
// opens) on ASCII text against SQLite's own NOCASE on a plain connection: the rows of
// 100,000 names in NOCASE order, and an index of them built with NOCASE. Both sides run
// the same statements through the SQLite C API on a temporary table of their connection.
//
//   bench_nocase [program folder to copy from]

#include "bench_support.h"

#include <QSqlDriver>

#include <sqlite3.h>

namespace {

constexpr int Names = 100000;
constexpr int Runs = 11;

bool exec(sqlite3 *db, const char *sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    std::fprintf(stderr, "SQL failed: %s: %s\n", sql, sqlite3_errmsg(db));
    return false;
}

// Names of mixed letter case and the bytes around A to Z ("@", "[", "_", "`").
bool fill(sqlite3 *db)
{
    if (!exec(db, "CREATE TEMP TABLE names (name TEXT)") || !exec(db, "BEGIN"))
        return false;
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO temp.names VALUES (?)", -1, &insert, nullptr);
    static const char marks[] = "@[_`";
    quint32 seed = 12345;
    for (int i = 0; i < Names; ++i) {
        QByteArray name;
        for (int c = 0; c < 12; ++c) {
            seed = seed * 1103515245u + 12345u;
            const quint32 r = (seed >> 16) % 60;
            name += r < 26 ? char('a' + r) : r < 52 ? char('A' + r - 26) : r < 56 ? marks[r - 52] : char('0' + r - 56);
        }
        sqlite3_bind_text(insert, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return exec(db, "COMMIT");
}

QList<QByteArray> ordered(sqlite3 *db)
{
    QList<QByteArray> rows;
    rows.reserve(Names);
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM temp.names ORDER BY name COLLATE NOCASE, rowid", -1, &select, nullptr);
    while (sqlite3_step(select) == SQLITE_ROW)
        rows.append(QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(select, 0))));
    sqlite3_finalize(select);
    return rows;
}

bool indexed(sqlite3 *db)
{
    return exec(db, "CREATE INDEX temp.namesByName ON names (name COLLATE NOCASE)")
           && exec(db, "DROP INDEX temp.namesByName");
}

} // namespace

int main(int argc, char *argv[])
{
    const bench::Program program(argc, argv);
    if (!program.ready())
        return 2;
    const QVariant handle = DbConnection().driver()->handle();
    sqlite3 *programDb = *static_cast<sqlite3 *const *>(handle.constData());
    sqlite3 *plain = nullptr;
    if (sqlite3_open(":memory:", &plain) != SQLITE_OK || !fill(programDb) || !fill(plain))
        return 2;

    QList<QByteArray> programRows;
    QList<QByteArray> plainRows;
    QVector<double> orderTimes;
    QVector<double> plainOrderTimes;
    bench::alternate(Runs, [&] { programRows = ordered(programDb); }, [&] { plainRows = ordered(plain); }, &orderTimes,
                     &plainOrderTimes);
    bool ok = true;
    QVector<double> indexTimes;
    QVector<double> plainIndexTimes;
    bench::alternate(Runs, [&] { ok = indexed(programDb) && ok; }, [&] { ok = indexed(plain) && ok; }, &indexTimes,
                     &plainIndexTimes);
    exec(programDb, "DROP TABLE temp.names");
    sqlite3_close(plain);
    bench::ProgramFolder::finish();

    if (!ok || programRows.size() != Names || programRows != plainRows) {
        std::fprintf(stderr, "The two orders differ\n");
        return 1;
    }
    std::printf("%d ASCII names\n", Names);
    const double order = bench::compared("ORDER BY name COLLATE NOCASE", orderTimes, "  the same, SQLite's NOCASE",
                                         plainOrderTimes);
    const double index = bench::compared("CREATE INDEX ... COLLATE NOCASE", indexTimes, "  the same, SQLite's NOCASE",
                                         plainIndexTimes);
    std::printf("ratios: order %.2f, index %.2f\n", order, index);
    std::printf("ratio: %.2f (the larger; goal: at most 1.30)\n", std::max(order, index));
    return 0;
}
