// Compares the edition search over an edition of 100,000 filed links (and 30,000 section
// links) with the same statements stepped through the SQLite C API on a plain connection
// to the same file, with SQLite's own LIKE, taking turns. Both must find the same rows.
//
//   bench_edition_search [program folder to copy from]
//
// The edition is made in a temporary folder; nothing of the user's is touched.

#include "bench_support.h"
#include "webtools/edition_search.h"

#include <sqlite3.h>

namespace {

constexpr int Links = 100000;
constexpr int SubTopics = 1000;   // five rows in each of the six section tables
constexpr int Runs = 15;
const char *const Keyword = "bank";

// Every 97th link is called "... Bank ...", every 89th mentions a bank in its notation.
bool makeEdition()
{
    Transaction fill;
    const QString sit = QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (?, ?, ?, ?)");
    for (int i = 1; i <= Links; ++i) {
        const QString name = i % 97 == 0 ? QStringLiteral("Savings Bank %1").arg(i) : QStringLiteral("Site %1").arg(i);
        const QString summary = i % 89 == 0 ? QStringLiteral("a bank of the river") : QStringLiteral("notes on %1").arg(i);
        if (!bench::run(sit, {i, name, QStringLiteral("http://www.site%1.example/page.html").arg(i), summary}))
            return false;
    }
    for (const QString &table : EditionSearch::sectionTables()) {
        const QString row = QStringLiteral("INSERT INTO %1 (topicid, LinkName, LinkUrl, FieldName1, FieldName2) "
                                           "VALUES (?, ?, ?, ?, ?)").arg(table);
        for (int t = 1; t <= SubTopics; ++t)
            for (int r = 1; r <= 5; ++r) {
                const QString name = (t + r) % 50 == 0 ? QStringLiteral("Bank news %1").arg(t) : QStringLiteral("Link %1").arg(r);
                const QString url = r == 5 ? QString() : QStringLiteral("http://s%1.example/%2").arg(t).arg(r);
                if (!bench::run(row, {t, name, url, QStringLiteral("name%1").arg(r), QStringLiteral("url%1").arg(r)}))
                    return false;
            }
    }
    return fill.commit();
}

// The same statements on a plain connection: every matching row stepped and its two
// columns read; answers the rows as "name|address", blank addresses of section links left
// out as the search leaves them out.
QStringList bareSearch(sqlite3 *db, const QByteArray &like)
{
    QStringList rows;
    const auto step = [&](const QByteArray &sql, int binds, bool skipBlank) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
            return;
        for (int i = 1; i <= binds; ++i)
            sqlite3_bind_text(statement, i, like.constData(), int(like.size()), SQLITE_STATIC);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const auto *name = reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
            const auto *url = reinterpret_cast<const char *>(sqlite3_column_text(statement, 1));
            const QString address = QString::fromUtf8(url ? url : "");
            if (!skipBlank || !address.trimmed().isEmpty())
                rows.append(QString::fromUtf8(name ? name : "") + QLatin1Char('|') + address);
        }
        sqlite3_finalize(statement);
    };
    step("SELECT SitName, SitUrl FROM Sit WHERE SitName LIKE ? OR Summary LIKE ? ORDER BY rowid", 2, false);
    for (const QString &table : EditionSearch::sectionTables())
        step(QStringLiteral("SELECT LinkName, LinkUrl FROM %1 WHERE LinkName LIKE ? ORDER BY rowid").arg(table).toUtf8(),
             1, true);
    return rows;
}

} // namespace

int main(int argc, char *argv[])
{
    const bench::Program program(argc, argv);
    const bench::ProgramFolder &folder = program.folder();
    if (!program.ready() || !makeEdition()) {
        std::fprintf(stderr, "Cannot make the bench edition\n");
        return 2;
    }
    sqlite3 *plain = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(folder.folder() + CurrentDatabaseFile).constData(), &plain,
                        SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "Cannot open the edition on a plain connection\n");
        return 2;
    }

    bench::Headline headline(1.3);
    QStringList bareRows;
    QStringList hitRows;
    QVector<double> searchTimes;
    QVector<double> bareTimes;
    const QByteArray like = EditionSearch::pattern(QLatin1String(Keyword)).toUtf8();
    headline.check(bench::alternateRuns(
        Runs,
        bench::timedRun([&] {
            QVector<SearchHit> found;
            EditionSearch().run(QLatin1String(Keyword), found);
            hitRows.clear();
            for (const SearchHit &hit : std::as_const(found))
                hitRows.append(hit.name + QLatin1Char('|') + hit.url);
            return !hitRows.isEmpty();
        }),
        bench::timedRun([&] {
            bareRows = bareSearch(plain, like);
            return !bareRows.isEmpty();
        }),
        &searchTimes, &bareTimes));
    sqlite3_close(plain);
    bench::ProgramFolder::finish();

    std::printf("links: %d filed, %d section rows; keyword \"%s\"; %lld hits\n", Links, SubTopics * 5 * 6, Keyword,
                qlonglong(hitRows.size()));
    headline.check(bench::sameEnd("the rows found", hitRows, bareRows));
    headline.row("the search", "  edition search", searchTimes, "  plain connection, SQLite's LIKE", bareTimes);
    return headline.finish();
}
