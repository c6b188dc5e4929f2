// Times the import of a Sub-Topic file of 10,000 links in 1,000 categories (reading and
// checking the file included) against bare SQL inserts of the same rows in one
// transaction, in the same run. Each run works on a fresh copy of the empty edition.
//
//   bench_subtopic_import [program folder to copy from]
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
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int Areas = 50;
constexpr int FieldsEach = 19;   // 50 + 50 * 19 = 1,000 categories
constexpr int LinksEach = 10;    // 10,000 links
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

bool exec(QSqlQuery &q, const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    return q.exec();
}

// The same rows as the import writes, with prepared statements in one transaction.
bool bareInserts(const QVector<Category> &list)
{
    Transaction transaction;
    QSqlQuery q(DbConnection());
    bool ok = q.prepare(QStringLiteral("INSERT INTO SubTopics (GlobalTopicId, SubTopicId, SubTopicName, Header1, "
                                       "Header2, Header3, Header4, Header5, Header6) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"))
              && exec(q, {1, 1, Name, "News", "Search", "Organizations", "Related", "Favorites", "Local"})
              && q.prepare(QStringLiteral("INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) "
                                          "VALUES (?, ?, ?, ?, ?)"))
              && exec(q, {1, "bb99bb", "aa33ee", "8a2be2", Name});
    for (const QString &tag : SubTopicFile::linkSectionTags()) {
        ok = ok && q.prepare(QStringLiteral("INSERT INTO %1 (topicid, LinkName, LinkUrl, FieldName1, FieldName2) "
                                            "VALUES (?, ?, ?, ?, ?)").arg(tag));
        for (int k = 1; k <= 5 && ok; ++k)
            ok = exec(q, {1, k == 1 ? QStringLiteral("Link of %1").arg(tag) : QString(),
                          k == 1 ? QStringLiteral("http://%1.example/").arg(tag) : QString(),
                          QStringLiteral("name%1").arg(k), QStringLiteral("url%1").arg(k)});
    }
    QSqlQuery lks(DbConnection());
    ok = ok && lks.prepare(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, IsTop, IsLeaf, TopicId) "
                                          "VALUES (?, ?, ?, 1, ?, 1)"))
         && exec(lks, {1, Name, Name, 0});
    for (int c = 0; c < list.size() && ok; ++c)
        ok = exec(lks, {c + 2, list.at(c).name, list.at(c).path, 1});
    QSqlQuery sit(DbConnection());
    QSqlQuery filed(DbConnection());
    ok = ok && sit.prepare(QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl) VALUES (?, ?, ?)"))
         && filed.prepare(QStringLiteral("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (?, ?, ?)"));
    for (int i = 0; i < list.size() * LinksEach && ok; ++i)
        ok = exec(sit, {i + 1, linkName(i), linkUrl(i)}) && exec(filed, {i / LinksEach + 2, i + 1, i + 1});
    return ok && transaction.commit();
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
    const QString folder = home.path() + QLatin1Char('/');
    QFile::copy(source + QStringLiteral("/untitled.mdb"), folder + QStringLiteral("untitled.mdb"));
    qputenv("QUORVANE_HOME", QFile::encodeName(home.path()));
    QDir::setCurrent(home.path());

    const QVector<Category> tree = categories();
    const QString file = folder + QStringLiteral("Big_Import.qvs");
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(fileBytes(tree)) < 0)
            return 2;
    }

    QVector<double> importTimes;
    QVector<double> bareTimes;
    qint64 links = 0;
    for (int run = 0; run < Runs; ++run) {
        if (!freshEdition(folder, QStringLiteral("Import.mdb")))
            return 2;
        QElapsedTimer clock;
        clock.start();
        SubTopicImport importer;
        if (!importer.load(file) || importer.ImportSubTopicFile(1, Name) != SubTopicImport::Status::Done) {
            std::fprintf(stderr, "import failed: %s\n", qPrintable(importer.lastError()));
            return 1;
        }
        importTimes.append(clock.nsecsElapsed() / 1e6);
        links = QueryValue(QStringLiteral("SELECT count(*) FROM LksSit")).toLongLong();

        if (!freshEdition(folder, QStringLiteral("Bare.mdb")))
            return 2;
        clock.restart();
        if (!bareInserts(tree)) {
            std::fprintf(stderr, "bare inserts failed\n");
            return 1;
        }
        bareTimes.append(clock.nsecsElapsed() / 1e6);
    }
    ReleaseDatabase();

    const double imported = bench::median(importTimes);
    const double bare = bench::median(bareTimes);
    std::printf("file:                   %lld bytes, %lld categories, %lld links\n", QFileInfo(file).size(),
                qlonglong(tree.size()), links);
    std::printf("import (file read too): %.1f ms median (runs: %s)\n", imported, qPrintable(bench::list(importTimes)));
    std::printf("bare SQL inserts:       %.1f ms median (runs: %s)\n", bare, qPrintable(bench::list(bareTimes)));
    std::printf("ratio:                  %.2f (target: at most 2.00, and the import under 1000 ms)\n",
                imported / bare);
    return 0;
}
