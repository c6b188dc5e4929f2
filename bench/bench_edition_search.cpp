// Times the edition search over an edition of 100,000 filed links (and 30,000 section
// links) against bare SQL queries of the same match, in the same run.
//
//   bench_edition_search [program folder to copy from]
//
// The program folder defaults to the build's pristine folder next to this program. The
// edition is made in a temporary folder; nothing of the user's is touched.

#include "bench_support.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "webtools/edition_search.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int Links = 100000;
constexpr int SubTopics = 1000;   // five rows in each of the six section tables
constexpr int Runs = 9;
const char *const Keyword = "bank";

bool run(const QString &sql, const QVariantList &values = {})
{
    if (ExecSql(sql, values))
        return true;
    std::fprintf(stderr, "SQL failed: %s\n", qPrintable(sql));
    return false;
}

// Every 97th link is called "... Bank ...", every 89th mentions a bank in its notation.
bool makeEdition()
{
    Transaction fill;
    const QString sit = QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (?, ?, ?, ?)");
    for (int i = 1; i <= Links; ++i) {
        const QString name = i % 97 == 0 ? QStringLiteral("Savings Bank %1").arg(i) : QStringLiteral("Site %1").arg(i);
        const QString summary = i % 89 == 0 ? QStringLiteral("a bank of the river") : QStringLiteral("notes on %1").arg(i);
        if (!run(sit, {i, name, QStringLiteral("http://www.site%1.example/page.html").arg(i), summary}))
            return false;
    }
    for (const QString &table : EditionSearch::sectionTables()) {
        const QString row = QStringLiteral("INSERT INTO %1 (topicid, LinkName, LinkUrl, FieldName1, FieldName2) "
                                           "VALUES (?, ?, ?, ?, ?)").arg(table);
        for (int t = 1; t <= SubTopics; ++t)
            for (int r = 1; r <= 5; ++r) {
                const QString name = (t + r) % 50 == 0 ? QStringLiteral("Bank news %1").arg(t) : QStringLiteral("Link %1").arg(r);
                const QString url = r == 5 ? QString() : QStringLiteral("http://s%1.example/%2").arg(t).arg(r);
                if (!run(row, {t, name, url, QStringLiteral("name%1").arg(r), QStringLiteral("url%1").arg(r)}))
                    return false;
            }
    }
    return fill.commit();
}

// The same match as bare statements: every matching row stepped and its two columns read.
int bareQuery(const QString &keyword)
{
    const QString like = EditionSearch::pattern(keyword);
    int rows = 0;
    QSqlQuery q(DbConnection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT SitName, SitUrl FROM Sit WHERE SitName LIKE ? OR Summary LIKE ?"));
    q.addBindValue(like);
    q.addBindValue(like);
    q.exec();
    while (q.next()) {
        q.value(0);
        q.value(1);
        ++rows;
    }
    for (const QString &table : EditionSearch::sectionTables()) {
        QSqlQuery s(DbConnection());
        s.setForwardOnly(true);
        s.prepare(QStringLiteral("SELECT LinkName, LinkUrl FROM %1 WHERE LinkName LIKE ?").arg(table));
        s.addBindValue(like);
        s.exec();
        while (s.next()) {
            s.value(0);
            s.value(1);
            ++rows;
        }
    }
    return rows;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString source = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QCoreApplication::applicationDirPath() + QStringLiteral("/../pristine");
    if (!QFileInfo::exists(source + QStringLiteral("/untitled.mdb"))) {
        std::fprintf(stderr, "No program folder with untitled.mdb at %s\n", qPrintable(source));
        return 2;
    }
    QTemporaryDir home;
    QTemporaryDir config;
    QFile::copy(source + QStringLiteral("/untitled.mdb"), home.path() + QStringLiteral("/Bench.mdb"));
    QFile(home.path() + QStringLiteral("/Bench.mdb")).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    qputenv("QUORVANE_HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QDir::setCurrent(home.path());

    CurrentDatabaseFile = QStringLiteral("Bench.mdb");
    if (!OpenDatabase(CurrentDatabaseFile) || !makeEdition()) {
        std::fprintf(stderr, "Cannot make the bench edition\n");
        return 2;
    }

    QVector<double> searchTimes;
    QVector<double> bareTimes;
    qsizetype hits = 0;
    int bareRows = 0;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        bareRows = bareQuery(QLatin1String(Keyword));
        bareTimes.append(clock.nsecsElapsed() / 1e6);

        QVector<SearchHit> found;
        EditionSearch search;
        clock.restart();
        search.run(QLatin1String(Keyword), found);
        searchTimes.append(clock.nsecsElapsed() / 1e6);
        hits = found.size();
    }
    const double searchMs = bench::median(searchTimes);
    const double bareMs = bench::median(bareTimes);
    std::printf("links: %d filed, %d section rows; keyword \"%s\"\n", Links, SubTopics * 5 * 6, Keyword);
    std::printf("hits: %lld (bare query rows, blank addresses included: %d)\n", qlonglong(hits), bareRows);
    std::printf("edition search:  %.1f ms median of %d runs\n", searchMs, Runs);
    std::printf("bare SQL query:  %.1f ms median of %d runs\n", bareMs, Runs);
    std::printf("ratio:           %.2f (target: at most 2.00, and the search under 50 ms)\n", searchMs / bareMs);
    return 0;
}
