// Compares the import of a Sub-Topic file of 10,000 links in 1,000 categories (or as many
// links as --links= asks for; reading and checking the file included) with two floors for
// the same rows, inserted through the SQLite C API in one transaction: with every value
// made before the clock starts, and with the file read and split by a bare parser on the
// clock too. Each run works on a fresh copy of the empty edition; the three sides take
// turns, each starting a third of the runs. The rows the import writes must equal both
// floors' rows.
//
//   bench_subtopic_import [--links=N] [program folder to copy from]
//
// The program folder defaults to the build's pristine folder next to this program. All
// files are made in a temporary folder; nothing of the user's is touched.

#include "bench_support.h"
#include "exchange/subtopic_file.h"
#include "exchange/subtopic_import.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr int Areas = 50;
constexpr int FieldsEach = 19;   // 50 + 50 * 19 = 1,000 categories
int LinksEach = 10;              // 10,000 links unless --links= says otherwise
constexpr int Runs = 7;
const QString Name = QStringLiteral("Big Import");

struct Category {
    QString name;   // reversed path
    QString path;
};

QVector<Category> categories()
{
    QVector<Category> list;
    for (int a = 1; a <= Areas; ++a) {
        const QString area = QStringLiteral("Area %1").arg(a, 3, 10, QLatin1Char('0'));
        list.append({area + QLatin1Char('/') + Name, Name + QLatin1Char('/') + area});
        for (int f = 1; f <= FieldsEach; ++f) {
            const QString field = QStringLiteral("Field %1").arg(f, 2, 10, QLatin1Char('0'));
            list.append({field + QLatin1Char('/') + area + QLatin1Char('/') + Name,
                         Name + QLatin1Char('/') + area + QLatin1Char('/') + field});
        }
    }
    return list;
}

QString linkName(int i)
{
    return QStringLiteral("Site %1").arg(i, 5, 10, QLatin1Char('0'));
}

QString linkUrl(int i)
{
    return QStringLiteral("http://www.site%1.example/page.html").arg(i);
}

QByteArray fileBytes(const QVector<Category> &list)
{
    QStringList lines = SubTopicFile::section(SubTopicFile::PageTag, {"News", "Search", "Organizations", "Related",
                                                                       "Favorites", "Local"});
    for (const QString &tag : SubTopicFile::linkSectionTags())
        lines += SubTopicFile::section(tag, {QStringLiteral("Link of %1|http://%1.example/").arg(tag)});
    lines += SubTopicFile::section(SubTopicFile::ColorTag, {QStringLiteral("bb99bb|aa33ee|8a2be2|") + Name});
    QStringList tree = {Name + QLatin1Char('|') + Name};
    QStringList links;
    int i = 0;
    for (const Category &c : list) {
        tree.append(c.name + QLatin1Char('|') + c.path);
        for (int k = 0; k < LinksEach; ++k, ++i)
            links.append(c.path + QLatin1Char('|') + linkName(i) + QLatin1Char('|') + linkUrl(i));
    }
    lines += SubTopicFile::section(SubTopicFile::TreeTag, tree);
    lines += SubTopicFile::section(SubTopicFile::LinksTag, links + QStringList{QString()});
    return SubTopicFile::encode(lines);
}

// A fresh copy of the empty edition, opened.
bool freshEdition(const QString &folder, const QString &file)
{
    CloseDatabase();
    QFile::remove(folder + file);
    if (!QFile::copy(folder + QStringLiteral("untitled.mdb"), folder + file))
        return false;
    QFile(folder + file).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    CurrentDatabaseFile = file;
    return OpenDatabase(file);
}

// The rows the import writes, every value made beforehand: one statement and its rows of
// values (numbers as integers, texts as UTF-8).
struct Statement {
    QByteArray sql;
    QList<QList<QVariant>> rows;
};

QList<Statement> bareRows(const QVector<Category> &list)
{
    const auto text = [](const QString &s) { return QVariant(s.toUtf8()); };
    QList<Statement> statements;
    statements.append({"INSERT INTO SubTopics (GlobalTopicId, SubTopicId, SubTopicName, Header1, Header2, Header3, "
                       "Header4, Header5, Header6) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       {{1, 1, text(Name), text("News"), text("Search"), text("Organizations"), text("Related"),
                         text("Favorites"), text("Local")}}});
    statements.append({"INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) VALUES (?, ?, ?, ?, ?)",
                       {{1, text("bb99bb"), text("aa33ee"), text("8a2be2"), text(Name)}}});
    for (const QString &tag : SubTopicFile::linkSectionTags()) {
        Statement section{QStringLiteral("INSERT INTO %1 (topicid, LinkName, LinkUrl, FieldName1, FieldName2) "
                                         "VALUES (?, ?, ?, ?, ?)").arg(tag).toUtf8(), {}};
        for (int k = 1; k <= 5; ++k)
            section.rows.append({1, k == 1 ? text(QStringLiteral("Link of %1").arg(tag)) : QVariant(),
                                 k == 1 ? text(QStringLiteral("http://%1.example/").arg(tag)) : QVariant(),
                                 text(QStringLiteral("name%1").arg(k)), text(QStringLiteral("url%1").arg(k))});
        statements.append(section);
    }
    Statement lks{"INSERT INTO Lks (LksId, LksName, LksUrl, IsTop, LksDesc, IsLeaf, TopicId) VALUES (?, ?, ?, 1, ?, ?, 1)",
                  {{1, text(Name), text(Name), text("N"), 0}}};
    for (int c = 0; c < list.size(); ++c)
        lks.rows.append({c + 2, text(list.at(c).name), text(list.at(c).path), QVariant(), 1});
    statements.append(lks);
    Statement sit{"INSERT INTO Sit (SitId, SitName, SitUrl) VALUES (?, ?, ?)", {}};
    Statement filed{"INSERT INTO LksSit (LksId, SitId, Seq) VALUES (?, ?, ?)", {}};
    for (int i = 0; i < list.size() * LinksEach; ++i) {
        sit.rows.append({i + 1, text(linkName(i)), text(linkUrl(i))});
        filed.rows.append({i / LinksEach + 2, i + 1, i + 1});
    }
    statements.append(sit);
    statements.append(filed);
    return statements;
}

// The same rows made by a bare parser from the file's bytes: lines split at CR LF, fields
// at "|", a link's category found by its path. Texts stay UTF-8.
QList<Statement> parsedRows(const QByteArray &bytes)
{
    QList<Statement> statements = bareRows({});
    QHash<QByteArrayView, QList<QByteArrayView>> sections;
    QList<QByteArrayView> *content = nullptr;
    for (QByteArrayView rest(bytes); !rest.isEmpty();) {
        const qsizetype end = rest.indexOf("\r\n");
        const QByteArrayView line = rest.first(end);
        rest = rest.sliced(end + 2);
        if (line.startsWith("</"))
            content = nullptr;
        else if (!content && line.startsWith('<'))
            content = &sections[line.sliced(1, line.size() - 2)];
        else if (content && !line.isEmpty())
            content->append(line);
    }
    const auto text = [](QByteArrayView bytes) { return QVariant(bytes.toByteArray()); };
    Statement &lks = statements[8];
    QHash<QByteArrayView, qint64> categories;
    for (const QByteArrayView line : sections.value("tree").mid(1)) {
        const qsizetype middle = line.size() / 2;
        categories.insert(line.sliced(middle + 1), lks.rows.size() + 1);
        lks.rows.append({lks.rows.size() + 1, text(line.first(middle)), text(line.sliced(middle + 1)), QVariant(), 1});
    }
    Statement &sit = statements[9];
    Statement &filed = statements[10];
    for (const QByteArrayView line : sections.value("links")) {
        const qsizetype urlBar = line.lastIndexOf('|');
        const qsizetype nameBar = line.first(urlBar).lastIndexOf('|');
        const qint64 id = sit.rows.size() + 1;
        sit.rows.append({id, text(line.sliced(nameBar + 1, urlBar - nameBar - 1)), text(line.sliced(urlBar + 1))});
        filed.rows.append({categories.value(line.first(nameBar)), id, id});
    }
    return statements;
}

// Every row of the tables the import writes, in the database file at path.
QStringList tableRows(const QString &path)
{
    QStringList rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        for (const QString &table : QStringList{"SubTopics", "ColorLinks", "Lks", "Sit", "LksSit"}
                                        + SubTopicFile::linkSectionTags()) {
            sqlite3_stmt *stmt = nullptr;
            sqlite3_prepare_v2(db, ("SELECT * FROM " + table + " ORDER BY rowid").toUtf8().constData(), -1, &stmt,
                               nullptr);
            while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
                QString row = table;
                for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                    row += QStringLiteral("|%1:%2").arg(sqlite3_column_type(stmt, i))
                               .arg(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i))));
                rows.append(row);
            }
            sqlite3_finalize(stmt);
        }
    }
    sqlite3_close(db);
    return rows;
}

// Inserts the rows into the edition file through the SQLite C API in one transaction;
// the time taken in ms, or a negative number when a statement failed.
double bareInserts(const QString &file, const QList<Statement> &statements)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    sqlite3_exec(db, "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);
    QElapsedTimer clock;
    clock.start();
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (const Statement &statement : statements) {
        sqlite3_stmt *stmt = nullptr;
        ok = ok && sqlite3_prepare_v2(db, statement.sql.constData(), -1, &stmt, nullptr) == SQLITE_OK;
        for (const QList<QVariant> &row : statement.rows) {
            for (int i = 0; ok && i < row.size(); ++i) {
                const QVariant &v = row.at(i);
                if (v.isNull())
                    sqlite3_bind_null(stmt, i + 1);
                else if (v.typeId() == QMetaType::QByteArray) {
                    const auto &bytes = *static_cast<const QByteArray *>(v.constData());
                    sqlite3_bind_text(stmt, i + 1, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
                } else
                    sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
            }
            ok = ok && sqlite3_step(stmt) == SQLITE_DONE && sqlite3_reset(stmt) == SQLITE_OK;
        }
        sqlite3_finalize(stmt);
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    const double ms = clock.nsecsElapsed() / 1e6;
    sqlite3_close(db);
    return ok ? ms : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    for (qsizetype i = args.size() - 1; i >= 0; --i)
        if (args.at(i).startsWith(QStringLiteral("--links="))) {
            LinksEach = std::max(1, args.takeAt(i).mid(8).toInt() / 1000);
        }
    const QString source = !args.isEmpty() ? args.first()
                                    : QCoreApplication::applicationDirPath() + QStringLiteral("/../pristine");
    if (!QFileInfo::exists(source + QStringLiteral("/untitled.mdb"))) {
        std::fprintf(stderr, "No program folder with untitled.mdb at %s\n", qPrintable(source));
        return 2;
    }
    QTemporaryDir home;
    const QString folder = home.path() + QLatin1Char('/');
    QFile::copy(source + QStringLiteral("/untitled.mdb"), folder + QStringLiteral("untitled.mdb"));
    qputenv("QUORVANE_HOME", QFile::encodeName(home.path()));
    QDir::setCurrent(home.path());

    const QVector<Category> tree = categories();
    const QList<Statement> rows = bareRows(tree);
    const QString file = folder + QStringLiteral("Big_Import.qvs");
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(fileBytes(tree)) < 0)
            return 2;
    }
    const auto parsed = [&file] {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? parsedRows(in.readAll()) : QList<Statement>();
    };
    const QList<Statement> parsedOnce = parsed();
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (parsedOnce.value(i).sql != rows.at(i).sql || parsedOnce.value(i).rows != rows.at(i).rows) {
            std::fprintf(stderr, "the bare parser does not make the rows of %s\n", rows.at(i).sql.constData());
            return 1;
        }

    QVector<double> importTimes;
    QVector<double> bareTimes;
    QVector<double> parsedTimes;
    const QString importFile = QStringLiteral("Import.mdb");
    const QString bareFile = QStringLiteral("Bare.mdb");
    const QString parsedFile = QStringLiteral("Parsed.mdb");
    bench::Headline headline(2.0);
    const bench::Run import = [&] {
        if (!freshEdition(folder, importFile))
            return -1.0;
        SubTopicImport importer;
        bool ok = false;
        const double ms = bench::timed([&] {
            ok = importer.load(file) && importer.ImportSubTopicFile(1, Name) == SubTopicImport::Status::Done;
        });
        if (!ok)
            std::fprintf(stderr, "import failed: %s\n", qPrintable(importer.lastError()));
        ReleaseDatabase();
        return ok ? ms : -1.0;
    };
    const bench::Run bare = [&] {
        if (!freshEdition(folder, bareFile))
            return -1.0;
        ReleaseDatabase();
        return bareInserts(folder + bareFile, rows);
    };
    const bench::Run parsedBare = [&] {
        if (!freshEdition(folder, parsedFile))
            return -1.0;
        ReleaseDatabase();
        QElapsedTimer clock;
        clock.start();
        const QList<Statement> fromFile = parsed();
        const double parsing = clock.nsecsElapsed() / 1e6;
        const double inserts = bareInserts(folder + parsedFile, fromFile);
        return inserts < 0 ? -1.0 : parsing + inserts;
    };
    headline.check(bench::takeTurns(Runs, {import, bare, parsedBare}, {&importTimes, &bareTimes, &parsedTimes}));
    const QStringList imported = tableRows(folder + importFile);
    headline.check(bench::sameEnd("the import's rows and the bare inserts' rows", imported, tableRows(folder + bareFile))
                   && bench::sameEnd("the import's rows and the parsed inserts' rows", imported,
                                     tableRows(folder + parsedFile)));

    std::printf("file: %lld bytes, %lld categories, %lld links; %lld rows written\n", QFileInfo(file).size(),
                qlonglong(tree.size()), qlonglong(tree.size()) * LinksEach, qlonglong(imported.size()));
    headline.row("against the inserts of values made beforehand", "  import (file read too)", importTimes,
                 "  SQLite C API inserts", bareTimes);
    headline.row("against the file read and split by a bare parser", "  import (file read too)", importTimes,
                 "  bare read, split and C API inserts", parsedTimes);
    std::printf("  import %.1f ms (goal: under 1000 ms)\n", bench::median(importTimes));
    return headline.finish();
}
