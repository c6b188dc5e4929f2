// The edition list file and its rebuild from the databases of the program folder.
#include "testhelper.h"

#include "editions/edition_discovery.h"
#include "editions/edition_list.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

QStringList fileNames(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

void touch(const QString &path, const QByteArray &content = "x")
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

} // namespace

class TestEditionDiscovery : public QObject
{
    Q_OBJECT
private slots:
    void readingRules();
    void writeReplacesWhole();
    void noListNoChange();
    void emptyFolderEmptiesList();
    void namesWithBlanksAndCase();
    void templateAndSubFolders();
    void nameClashNeverOverwrites();
    void symlinkLoopIsHarmless();
};

void TestEditionDiscovery::readingRules()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dbnames.txt"));
    touch(path, "news.mdb,News\r\n\r\n*My_Links.mdb,My Links, old\r\n*second.mdb,Second\nlast.mdb\r\n");
    bool ok = false;
    const QList<EditionEntry> list = EditionList::read(path, &ok);
    QVERIFY(ok);
    QCOMPARE(list.size(), 4);
    QCOMPARE(list.at(0).file, QStringLiteral("news.mdb"));
    QCOMPARE(list.at(0).title, QStringLiteral("News"));
    QVERIFY(!list.at(0).active);
    // The first "," splits; the rest belongs to the display name.
    QCOMPARE(list.at(1).file, QStringLiteral("My_Links.mdb"));
    QCOMPARE(list.at(1).title, QStringLiteral("My Links, old"));
    // Only the first line with a "*" is the active one.
    QVERIFY(list.at(1).active);
    QVERIFY(!list.at(2).active);
    QCOMPARE(EditionList::activeIndex(list), 1);
    // LF-only lines are read as well; a line without "," is a display name alone.
    QCOMPARE(list.at(3).file, QString());
    QCOMPARE(list.at(3).title, QStringLiteral("last.mdb"));

    QVERIFY(EditionList::read(dir.filePath(QStringLiteral("missing.txt")), &ok).isEmpty());
    QVERIFY(!ok);
}

void TestEditionDiscovery::writeReplacesWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dbnames.txt"));
    touch(path, "*old.mdb,Old\r\n");
    QVERIFY(EditionList::write(path, {QStringLiteral("*a.mdb,A"), QStringLiteral("b.mdb,B")}));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("*a.mdb,A\r\nb.mdb,B\r\n"));
    // A list that cannot be written leaves the old one.
    QVERIFY(!EditionList::write(dir.filePath(QStringLiteral("no/such/folder/dbnames.txt")), {QStringLiteral("x")}));
    QCOMPARE(fileNames(dir.path()), QStringList{QStringLiteral("dbnames.txt")});
}

void TestEditionDiscovery::noListNoChange()
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("Old Sites.mdb")));
    QVERIFY(RebuildEditionList(dir.path()));
    QCOMPARE(fileNames(dir.path()), QStringList{QStringLiteral("Old Sites.mdb")});
}

void TestEditionDiscovery::emptyFolderEmptiesList()
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("dbnames.txt")), "*gone.mdb,Gone\r\n");
    touch(dir.filePath(QStringLiteral("untitled.mdb")));
    QVERIFY(RebuildEditionList(dir.path()));
    QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("dbnames.txt"))).size(), 0);

    // A list named in capitals is the list: it is rewritten under its own name.
    QTemporaryDir upper;
    touch(upper.filePath(QStringLiteral("DBNAMES.TXT")), "*gone.mdb,Gone\r\n");
    touch(upper.filePath(QStringLiteral("news.mdb")));
    QVERIFY(RebuildEditionList(upper.path()));
    QCOMPARE(fileNames(upper.path()), (QStringList{"DBNAMES.TXT", "news.mdb"}));
    QFile list(upper.filePath(QStringLiteral("DBNAMES.TXT")));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll(), QByteArray("*news.mdb,News\r\n"));
}

void TestEditionDiscovery::namesWithBlanksAndCase()
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("dbnames.txt")), "news.mdb,My chosen name\r\n");
    touch(dir.filePath(QStringLiteral("news.mdb")));
    touch(dir.filePath(QStringLiteral("Old Sites.mdb")), "old sites");
    touch(dir.filePath(QStringLiteral("my_first_edition.mdb")));
    touch(dir.filePath(QStringLiteral("SPORTS.MDB")));
    touch(dir.filePath(QStringLiteral("readme.txt")));
    QVERIFY(RebuildEditionList(dir.path()));

    // Blanks became "_" and the extension is lower case, so each line names the file
    // as it lies on disk; the first file in name order is the active one.
    QCOMPARE(fileNames(dir.path()),
             (QStringList{"dbnames.txt", "my_first_edition.mdb", "news.mdb", "Old_Sites.mdb", "readme.txt",
                          "SPORTS.mdb"}));
    QFile moved(dir.filePath(QStringLiteral("Old_Sites.mdb")));
    QVERIFY(moved.open(QIODevice::ReadOnly));
    QCOMPARE(moved.readAll(), QByteArray("old sites"));

    QFile list(dir.filePath(QStringLiteral("dbnames.txt")));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll(), QByteArray("*my_first_edition.mdb,My first edition\r\n"
                                        "news.mdb,News\r\n"
                                        "Old_Sites.mdb,Old Sites\r\n"
                                        "SPORTS.mdb,Sports\r\n"));
}

void TestEditionDiscovery::templateAndSubFolders()
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("dbnames.txt")), "");
    touch(dir.filePath(QStringLiteral("untitled.mdb")));
    touch(dir.filePath(QStringLiteral("UNTITLED.MDB")));
    QDir(dir.path()).mkpath(QStringLiteral("Backup/deeper"));
    touch(dir.filePath(QStringLiteral("Backup/backup.mdb")));
    touch(dir.filePath(QStringLiteral("Backup/deeper/deep.mdb")));
    QVERIFY(RebuildEditionList(dir.path()));

    QFile list(dir.filePath(QStringLiteral("dbnames.txt")));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll(), QByteArray("*UNTITLED.mdb,Untitled\r\n"));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("untitled.mdb"))));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Backup/backup.mdb"))));
}

void TestEditionDiscovery::nameClashNeverOverwrites()
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("dbnames.txt")), "");
    touch(dir.filePath(QStringLiteral("My Links.mdb")), "with blank");
    touch(dir.filePath(QStringLiteral("My_Links.mdb")), "with underscore");
    QVERIFY(RebuildEditionList(dir.path()));

    // Both files survive and both are listed, the one with a blank under its own name
    // ("_" does not start a word, so the other's display name is "My links").
    QFile a(dir.filePath(QStringLiteral("My Links.mdb")));
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), QByteArray("with blank"));
    QFile b(dir.filePath(QStringLiteral("My_Links.mdb")));
    QVERIFY(b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), QByteArray("with underscore"));
    QFile list(dir.filePath(QStringLiteral("dbnames.txt")));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll(), QByteArray("*My Links.mdb,My Links\r\nMy_Links.mdb,My links\r\n"));
}

void TestEditionDiscovery::symlinkLoopIsHarmless()
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("dbnames.txt")), "");
    touch(dir.filePath(QStringLiteral("a.mdb")));
    QDir(dir.path()).mkdir(QStringLiteral("loop"));
    QVERIFY(QFile::link(dir.path(), dir.filePath(QStringLiteral("loop/back"))));
    QVERIFY(RebuildEditionList(dir.path()));
    QFile list(dir.filePath(QStringLiteral("dbnames.txt")));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll(), QByteArray("*a.mdb,A\r\n"));
}

QTEST_GUILESS_MAIN(TestEditionDiscovery)
#include "tst_edition_discovery.moc"
