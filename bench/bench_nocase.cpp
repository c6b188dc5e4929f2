// Compares the program's letter-case comparison (the collation NOCASE of every connection it
// opens) on ASCII text with SQLite's own NOCASE on a plain connection, taking turns: the
// rows of 100,000 names in NOCASE order, and an index of them built with NOCASE. Both sides
// run the same statements through the SQLite C API on a temporary table of their
// connection, and must end with the same names in the same order, read in the one case
// through the index they built.
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

// The index built, timed; then, untimed, the names read through it and the index dropped.
double indexed(sqlite3 *db, QList<QByteArray> *rows)
{
    QElapsedTimer clock;
    clock.start();
    bool ok = exec(db, "CREATE INDEX temp.namesByName ON names (name COLLATE NOCASE)");
    const double built = bench::msSince(clock);
    rows->clear();
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM temp.names INDEXED BY namesByName ORDER BY name COLLATE NOCASE, rowid",
                       -1, &select, nullptr);
    while (select && sqlite3_step(select) == SQLITE_ROW)
        rows->append(QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(select, 0))));
    ok = select && sqlite3_finalize(select) == SQLITE_OK && ok;
    return exec(db, "DROP INDEX temp.namesByName") && ok ? built : -1;
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

    bench::Headline headline(1.3);
    QList<QByteArray> programRows;
    QList<QByteArray> plainRows;
    QVector<double> orderTimes;
    QVector<double> plainOrderTimes;
    headline.check(bench::alternateRuns(
        Runs, bench::timedRun([&] { programRows = ordered(programDb); return programRows.size() == Names; }),
        bench::timedRun([&] { plainRows = ordered(plain); return plainRows.size() == Names; }), &orderTimes,
        &plainOrderTimes));
    headline.check(bench::sameEnd("the names in order", programRows, plainRows));
    QVector<double> indexTimes;
    QVector<double> plainIndexTimes;
    headline.check(bench::alternateRuns(Runs, [&] { return indexed(programDb, &programRows); },
                                        [&] { return indexed(plain, &plainRows); }, &indexTimes, &plainIndexTimes));
    headline.check(programRows.size() == Names && bench::sameEnd("the names through the index", programRows, plainRows));
    exec(programDb, "DROP TABLE temp.names");
    sqlite3_close(plain);
    bench::ProgramFolder::finish();

    std::printf("%d ASCII names\n", Names);
    headline.row("ORDER BY name COLLATE NOCASE", "  the program's NOCASE", orderTimes, "  SQLite's NOCASE",
                 plainOrderTimes);
    headline.row("CREATE INDEX ... COLLATE NOCASE", "  the program's NOCASE", indexTimes, "  SQLite's NOCASE",
                 plainIndexTimes);
    return headline.finish();
}
