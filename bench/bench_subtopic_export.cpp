// Compares the export of a Sub-Topic of 1,000 categories and 10,000 links (or as many as
// --links= asks for, spread evenly over the categories) into a Sub-Topic file with a bare
// writer of the same bytes: the same rows read through the SQLite C API, the lines joined
// as UTF-8 and saved through QSaveFile (a scratch file put on the disk once, then renamed
// over the old one). The bare file must equal the export's, byte for byte, after every
// run. Nine runs of each; the sides alternate, the one that goes first switching from run
// to run. The headline is the ratio of the medians.
//
//   bench_subtopic_export [--links=N] [program folder to copy from]

#include "bench_support.h"
#include "exchange/subtopic_export.h"

#include <QHash>
#include <QSaveFile>
#include <sqlite3.h>

namespace {

constexpr int Runs = 9;
constexpr int Areas = 50;
constexpr int FieldsEach = 19;   // 50 + 50 * 19 = 1,000 categories, every one holding links
const QByteArray ExportName = "Big Export";

// Runs sql (one parameter: the Sub-Topic's id 1) and hands each row to row.
bool eachRow(sqlite3 *db, const char *sql, const std::function<void(sqlite3_stmt *)> &row)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_int(stmt, 1, 1);
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(stmt)) == SQLITE_ROW)
        row(stmt);
    sqlite3_finalize(stmt);
    return code == SQLITE_DONE;
}

QByteArrayView column(sqlite3_stmt *stmt, int i)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
    return QByteArrayView(text, text ? sqlite3_column_bytes(stmt, i) : 0);
}

// The file's bytes for Sub-Topic 1 ("Big") exported as ExportName, made straight from the
// rows; empty when a query failed.
QByteArray bareBytes(sqlite3 *db)
{
    QByteArray out;
    // A line of the fields given, joined by "|".
    const auto line = [&out](std::initializer_list<QByteArrayView> fields) {
        for (auto f = fields.begin(); f != fields.end(); ++f) {
            if (f != fields.begin())
                out += '|';
            out += *f;
        }
        out += "\r\n";
    };
    bool ok = true;
    line({"<page>"});
    ok = ok && eachRow(db,
                       "SELECT Header1, Header2, Header3, Header4, Header5, Header6 FROM SubTopics "
                       "WHERE GlobalTopicId = ?1 AND SubTopicName = 'Big' ORDER BY rowid LIMIT 1",
                       [&](sqlite3_stmt *s) {
                           for (int i = 0; i < 6; ++i)
                               line({column(s, i)});
                       });
    line({"</page>"});
    for (const char *table :
         {"NewsLinks", "SearchLinks", "FavoriteLinks", "LocalLinks", "OrganizationLinks", "RelatedLinks"}) {
        line({QByteArray("<") + table + ">"});
        ok = ok && eachRow(db, QByteArray("SELECT LinkName, LinkUrl FROM ") + table + " WHERE topicid = ?1 ORDER BY rowid",
                           [&](sqlite3_stmt *s) { line({column(s, 0), column(s, 1)}); });
        line({QByteArray("</") + table + ">"});
    }
    line({"<color>"});
    ok = ok && eachRow(db, "SELECT color1, color2, color3 FROM ColorLinks WHERE TopicId = ?1 ORDER BY rowid",
                       [&](sqlite3_stmt *s) {
                           line({column(s, 0), column(s, 1), column(s, 2), ExportName});
                       });
    line({"</color>"});
    line({"<tree>"});
    line({ExportName, ExportName});
    // The stored paths begin with the Sub-Topic's name, the reversed ones end with it.
    QHash<qint64, QByteArray> paths;
    ok = ok && eachRow(db, "SELECT LksId, LksName, LksUrl FROM Lks WHERE TopicId = ?1 ORDER BY LksId",
                       [&](sqlite3_stmt *s) {
                           const QByteArrayView reversed = column(s, 1);
                           const QByteArrayView stored = column(s, 2);
                           if (!stored.contains('/'))
                               return;
                           const QByteArray path = ExportName + stored.sliced(stored.indexOf('/')).toByteArray();
                           line({reversed.first(reversed.lastIndexOf('/') + 1).toByteArray() + ExportName, path});
                           paths.insert(sqlite3_column_int64(s, 0), path);
                       });
    line({"</tree>"});
    line({"<links>"});
    ok = ok && eachRow(db,
                       "SELECT LksSit.LksId, Sit.SitName, Sit.SitUrl FROM Lks JOIN LksSit ON LksSit.LksId = Lks.LksId "
                       "JOIN Sit ON Sit.SitId = LksSit.SitId WHERE Lks.TopicId = ?1 ORDER BY Lks.LksId, LksSit.rowid",
                       [&](sqlite3_stmt *s) {
                           line({paths.value(sqlite3_column_int64(s, 0)), column(s, 1), column(s, 2)});
                       });
    line({""});
    line({"</links>"});
    return ok ? out : QByteArray();
}

bool save(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int links = 10000;
    QList<char *> args = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (qstrncmp(argv[i], "--links=", 8) == 0)
            links = std::max(1000, QByteArray(argv[i] + 8).toInt() / 1000 * 1000);
        else
            args.append(argv[i]);
    }
    bench::ProgramFolder folder;
    bench::Edition edition;
    if (!folder.make(int(args.size()), args.data()) || !bench::makeSubTopic(&edition, Areas, FieldsEach, links / 1000))
        return 2;
    const QString exportFolder = folder.folder() + QStringLiteral("export");
    const QString bareFile = folder.folder() + QStringLiteral("bare.qvs");
    QDir().mkpath(exportFolder);

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(folder.folder() + CurrentDatabaseFile).constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        return 2;
    }
    sqlite3_exec(db, "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);

    QVector<double> exportTimes;
    QVector<double> bareTimes;
    QString exported;
    bool failed = false;
    bool same = true;
    for (int run = 0; run < Runs && !failed; ++run) {
        const auto program = [&] {
            exportTimes.append(bench::timed([&] {
                SubTopicExport exporter;
                failed = !exporter.write(exportFolder, 1, 1, QStringLiteral("Big"), QString::fromUtf8(ExportName)) || failed;
                exported = exporter.ExportFilePath;
                if (failed)
                    std::fprintf(stderr, "export failed: %s\n", qPrintable(exporter.lastError()));
            }));
        };
        const auto bare = [&] {
            bareTimes.append(bench::timed([&] {
                const QByteArray bytes = bareBytes(db);
                failed = failed || bytes.isEmpty() || !save(bareFile, bytes);
            }));
        };
        bench::inTurn(run, program, bare);
        same = same && fileBytes(exported) == fileBytes(bareFile);
    }
    sqlite3_close(db);
    const QByteArray written = fileBytes(exported);
    if (failed || written.isEmpty() || !same) {
        std::fprintf(stderr, "%s\n", failed ? "a side failed" : "the export's bytes differ from the bare writer's");
        return 1;
    }
    bench::ProgramFolder::finish();

    const double ratio = bench::median(exportTimes) / bench::median(bareTimes);
    std::printf("file:                %lld bytes, %lld categories, %lld links (bytes equal)\n",
                qlonglong(written.size()), qlonglong(edition.categories.size()), qlonglong(edition.links.size()));
    bench::printRuns("export:", exportTimes);
    bench::printRuns("bare writer (C API rows, same bytes):", bareTimes);
    std::printf("ratio:               %.2f (target: at most 2.50)\n", ratio);
    return 0;
}
