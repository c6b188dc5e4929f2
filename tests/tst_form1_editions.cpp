// The main window's edition work without a window: reading the active edition, the
// edition list's entries, making an edition active, the page cache, the backup, and the
// Topic and Sub-Topic lists.

#include "testhelper.h"

#include "editions/edition_loader.h"
#include "mainwindow/topic_selection.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <cmath>
#include <sys/stat.h>

class TestForm1Editions : public QObject
{
    Q_OBJECT

private slots:
    void readActiveEdition_data();
    void readActiveEdition();
    void readKeepsPreviousEditionWithoutMark();
    void editionChoices_data();
    void editionChoices();
    void makeActiveMovesTheMark_data();
    void makeActiveMovesTheMark();
    void makeActiveClearsPageCacheOnly();
    void makeActiveRefusesUnknownEntry();
    void backupIsMadeAndReplaced();
    void failedBackupKeepsOldBackup();
    void topicsSortedWithoutRegardToCase();
    void subTopicsAndKeywords();
};

void TestForm1Editions::readActiveEdition_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");

    const int ok = int(EditionLoader::ListState::Ok);
    QTest::newRow("second line marked") << QByteArray("a.mdb,A\r\n*b.mdb,B\r\n") << ok << "b.mdb" << "B";
    QTest::newRow("blanks in title") << QByteArray("*my_sites.mdb,my_sites\r\n") << ok << "my_sites.mdb"
                                     << "my sites";
    QTest::newRow("first mark wins") << QByteArray("*a.mdb,A\n*b.mdb,B\n") << ok << "a.mdb" << "A";
    QTest::newRow("empty lines skipped") << QByteArray("\r\n\r\n*c.mdb,C\r\n") << ok << "c.mdb" << "C";
    QTest::newRow("only empty lines") << QByteArray("\r\n\r\n") << int(EditionLoader::ListState::NoActive)
                                      << "" << "";
    QTest::newRow("empty file") << QByteArray() << int(EditionLoader::ListState::Missing) << "" << "";
}

void TestForm1Editions::readActiveEdition()
{
    QFETCH(QByteArray, list);
    QFETCH(int, state);
    QFETCH(QString, file);
    QFETCH(QString, title);

    TestProgramFolder app;
    app.writeFile(QStringLiteral("dbnames.txt"), list);
    CurrentEditionTitle.clear();
    QCOMPARE(int(EditionLoader().readActiveEdition()), state);
    QCOMPARE(CurrentDatabaseFile, file);
    QCOMPARE(CurrentEditionTitle, title);
    QCOMPARE(NewEditionName, title);
}

void TestForm1Editions::readKeepsPreviousEditionWithoutMark()
{
    TestProgramFolder app;
    QFile::remove(app.file(QStringLiteral("dbnames.txt")));
    QCOMPARE(EditionLoader().readActiveEdition(), EditionLoader::ListState::Missing);

    app.writeFile(QStringLiteral("dbnames.txt"), "a.mdb,A\r\n");
    CurrentDatabaseFile = QStringLiteral("before.mdb");
    QCOMPARE(EditionLoader().readActiveEdition(), EditionLoader::ListState::Ok);
    QCOMPARE(CurrentDatabaseFile, QStringLiteral("before.mdb"));
}

void TestForm1Editions::editionChoices_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("file");

    QTest::newRow("second active") << QByteArray("a.mdb,A\r\n*b.mdb,B\r\n") << QStringList{"A", "B"} << 1
                                   << "b.mdb";
    QTest::newRow("none marked") << QByteArray("a.mdb,A\r\nb.mdb,B\r\n") << QStringList{"A", "B"} << 0 << "";
    QTest::newRow("capitalised") << QByteArray("*my_links.mdb,my links\r\n") << QStringList{"My Links"} << 0
                                 << "my_links.mdb";
    QTest::newRow("no comma") << QByteArray("*odd.mdb\r\n") << QStringList{"Odd.mdb"} << 0 << "";
    QTest::newRow("only empty lines") << QByteArray("\r\n\r\n") << QStringList{} << -1 << "";
}

void TestForm1Editions::editionChoices()
{
    QFETCH(QByteArray, list);
    QFETCH(QStringList, names);
    QFETCH(int, selected);
    QFETCH(QString, file);

    TestProgramFolder app;
    app.writeFile(QStringLiteral("dbnames.txt"), list);
    const EditionLoader::Choices choices = EditionLoader().editionChoices();
    QCOMPARE(choices.names, names);
    QCOMPARE(choices.selected, selected);
    QCOMPARE(CurrentDatabaseFile, file);
}

void TestForm1Editions::makeActiveMovesTheMark_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QString>("file");

    QTest::newRow("to second") << QByteArray("*a.mdb,A\r\nb.mdb,B\r\n") << 1
                               << QByteArray("a.mdb,A\r\n*b.mdb,B\r\n") << "b.mdb";
    QTest::newRow("empty lines kept") << QByteArray("a.mdb,A\n\n*b.mdb,B\n") << 0
                                      << QByteArray("*a.mdb,A\r\n\r\nb.mdb,B\r\n") << "a.mdb";
    // Entries are matched by their place in the list, so two editions of the same name or
    // a name that capitalisation changes still get exactly one mark.
    QTest::newRow("same display names") << QByteArray("*a.mdb,Links\r\nb.mdb,Links\r\n") << 1
                                        << QByteArray("a.mdb,Links\r\n*b.mdb,Links\r\n") << "b.mdb";
    QTest::newRow("name changed by capitalisation")
        << QByteArray("*a.mdb,A\r\nx.mdb,north - south\r\n") << 1
        << QByteArray("a.mdb,A\r\n*x.mdb,north - south\r\n") << "x.mdb";
    // Moving the mark changes nothing else of any line: names holding "*" keep them.
    QTest::newRow("blank in file part") << QByteArray(" my file.mdb ,Mine\r\n*a.mdb,A\r\n") << 0
                                        << QByteArray("* my file.mdb ,Mine\r\na.mdb,A\r\n") << "my file.mdb";
    QTest::newRow("stars in names") << QByteArray("*Links.mdb,My *Best* Links\r\nA*B.mdb,*\r\n") << 1
                                    << QByteArray("Links.mdb,My *Best* Links\r\n*A*B.mdb,*\r\n") << "A*B.mdb";
}

void TestForm1Editions::makeActiveMovesTheMark()
{
    QFETCH(QByteArray, list);
    QFETCH(int, index);
    QFETCH(QByteArray, expected);
    QFETCH(QString, file);

    TestProgramFolder app;
    app.writeFile(QStringLiteral("dbnames.txt"), list);
    QVERIFY(EditionLoader().makeActive(index));
    QCOMPARE(app.readFile(QStringLiteral("dbnames.txt")), expected);
    QCOMPARE(CurrentDatabaseFile, file);
}

void TestForm1Editions::makeActiveClearsPageCacheOnly()
{
    TestProgramFolder app;
    app.writeFile(QStringLiteral("Rock_Music_12.html"), "<html/>");
    app.writeFile(QStringLiteral("Upper.HTML"), "<html/>");
    app.writeFile(QStringLiteral("notes.htm"), "keep");
    QVERIFY(EditionLoader().makeActive(0));
    QVERIFY(!QFileInfo::exists(app.file(QStringLiteral("Rock_Music_12.html"))));
    QVERIFY(!QFileInfo::exists(app.file(QStringLiteral("Upper.HTML"))));
    QVERIFY(QFileInfo::exists(app.file(QStringLiteral("notes.htm"))));
    QVERIFY(QFileInfo::exists(app.file(QStringLiteral("help/index.html"))));
}

void TestForm1Editions::makeActiveRefusesUnknownEntry()
{
    TestProgramFolder app;
    const QByteArray before = app.readFile(QStringLiteral("dbnames.txt"));
    CurrentDatabaseFile = QStringLiteral("kept.mdb");
    QVERIFY(!EditionLoader().makeActive(5));
    QVERIFY(!EditionLoader().makeActive(-1));
    QCOMPARE(app.readFile(QStringLiteral("dbnames.txt")), before);
    QCOMPARE(CurrentDatabaseFile, QStringLiteral("kept.mdb"));
}

void TestForm1Editions::backupIsMadeAndReplaced()
{
    TestProgramFolder app;
    CurrentDatabaseFile = QStringLiteral("Sample_Links.mdb");
    const EditionLoader loader;
    QVERIFY(!QFileInfo::exists(app.file(QStringLiteral("Backup"))));
    QVERIFY(loader.backupEdition());
    const QString backup = app.file(QStringLiteral("Backup/Sample_Links.mdb"));
    QCOMPARE(loader.backupPath(), backup);
    QCOMPARE(app.readFile(QStringLiteral("Backup/Sample_Links.mdb")), app.readFile(QStringLiteral("Sample_Links.mdb")));

    // A second backup replaces the first and leaves no partial copy behind.
    QVERIFY(OpenDatabase(CurrentDatabaseFile));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics (MainTopicId, TopicName) VALUES (?, ?)"), {90, "Gardening"}));
    CloseDatabase();
    QVERIFY(loader.backupEdition());
    QCOMPARE(app.readFile(QStringLiteral("Backup/Sample_Links.mdb")), app.readFile(QStringLiteral("Sample_Links.mdb")));
    QCOMPARE(QDir(app.file(QStringLiteral("Backup"))).entryList(QDir::Files), QStringList{"Sample_Links.mdb"});
    QCOMPARE(QDir::currentPath() + QLatin1Char('/'), app.path());

    // An edition unchanged since its backup keeps that very file (nothing is written).
    struct stat before {}, after {};
    QCOMPARE(::stat(QFile::encodeName(backup).constData(), &before), 0);
    QVERIFY(loader.backupEdition());
    QCOMPARE(::stat(QFile::encodeName(backup).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);

    // A backup of the same size and time whose bytes differ is made again.
    const QDateTime time = QFileInfo(backup).lastModified();
    app.writeFile(QStringLiteral("Backup/Sample_Links.mdb"), QByteArray(int(QFileInfo(backup).size()), 'x'));
    QFile stale(backup);
    QVERIFY(stale.open(QIODevice::ReadWrite) && stale.setFileTime(time, QFileDevice::FileModificationTime));
    stale.close();
    QVERIFY(loader.backupEdition());
    QCOMPARE(app.readFile(QStringLiteral("Backup/Sample_Links.mdb")), app.readFile(QStringLiteral("Sample_Links.mdb")));
}

void TestForm1Editions::failedBackupKeepsOldBackup()
{
    TestProgramFolder app;
    app.writeFile(QStringLiteral("Backup/Sample_Links.mdb"), "old backup");
    CurrentDatabaseFile = QStringLiteral("Sample_Links.mdb");

    // The copy cannot be written (its temporary name is taken by a folder).
    QVERIFY(QDir().mkpath(app.file(QStringLiteral("Backup/Sample_Links.mdb.tmp"))));
    QVERIFY(!EditionLoader().backupEdition());
    QCOMPARE(app.readFile(QStringLiteral("Backup/Sample_Links.mdb")), QByteArray("old backup"));

    // No edition file: nothing is copied, the old backup stays.
    CurrentDatabaseFile = QStringLiteral("gone.mdb");
    QVERIFY(!EditionLoader().backupEdition());
    CurrentDatabaseFile.clear();
    QVERIFY(!EditionLoader().backupEdition());
    QCOMPARE(app.readFile(QStringLiteral("Backup/Sample_Links.mdb")), QByteArray("old backup"));

    // The backup's name taken by a folder: no backup, and no partial copy left.
    QVERIFY(QDir(app.file(QStringLiteral("Backup"))).removeRecursively());
    QVERIFY(QDir().mkpath(app.file(QStringLiteral("Backup/Sample_Links.mdb/in the way"))));
    CurrentDatabaseFile = QStringLiteral("Sample_Links.mdb");
    QVERIFY(!EditionLoader().backupEdition());
    QCOMPARE(QDir(app.file(QStringLiteral("Backup"))).entryList(QDir::Files), QStringList());

    // An active edition whose check would take a third of a second for each link (it is
    // stopped), or that is no edition, without the edition's tables or empty, does not
    // replace the old backup, and is told as damaged.
    QVERIFY(QDir(app.file(QStringLiteral("Backup"))).removeRecursively());
    QVERIFY(QDir().mkpath(app.file(QStringLiteral("Backup"))));
    app.writeFile(QStringLiteral("Backup/Sample_Links.mdb"), "old backup");
    const QString edition = app.file(QStringLiteral("Sample_Links.mdb"));
    for (const QStringList &spoil : {SlowCheckOnLinks(), QStringList{"DROP TABLE LocalLinks"}, QStringList()}) {
        QVERIFY(spoil.isEmpty() ? QFile::resize(edition, 0) : RunOnFile(edition, spoil));
        bool damaged = false;
        QVERIFY(!EditionLoader().backupEdition(&damaged));
        QVERIFY(damaged);
        QCOMPARE(QDir(app.file(QStringLiteral("Backup"))).entryList(QDir::Files), QStringList{"Sample_Links.mdb"});
        QCOMPARE(app.readFile(QStringLiteral("Backup/Sample_Links.mdb")), QByteArray("old backup"));
    }
}

void TestForm1Editions::topicsSortedWithoutRegardToCase()
{
    TestProgramFolder app;
    app.makeEdition(QStringLiteral("a.mdb"));
    CurrentDatabaseFile = QStringLiteral("a.mdb");
    const EditionLoader loader;
    QVERIFY(loader.openActiveEdition());
    QVERIFY(loader.topics().isEmpty());

    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics (MainTopicId, TopicName) VALUES (1, 'Zoo'), (2, 'apple'), "
                                   "(3, 'Mango')")));
    const QList<EditionLoader::Topic> topics = loader.topics();
    QCOMPARE(topics.size(), 3);
    QCOMPARE(topics.at(0).name, QStringLiteral("apple"));
    QCOMPARE(topics.at(0).id, 2);
    QCOMPARE(topics.at(1).name, QStringLiteral("Mango"));
    QCOMPARE(topics.at(2).name, QStringLiteral("Zoo"));

    // Opening again goes to the edition now marked, not the one open before.
    CurrentDatabaseFile = QStringLiteral("Sample_Links.mdb");
    QVERIFY(loader.openActiveEdition());
    QCOMPARE(loader.topics().size(), 3);
    QCOMPARE(loader.topics().at(0).name, QStringLiteral("Computing"));
    CurrentDatabaseFile = QStringLiteral("missing.mdb");
    QVERIFY(!loader.openActiveEdition());
    QVERIFY(!DatabaseIsOpen());
}

void TestForm1Editions::subTopicsAndKeywords()
{
    TestProgramFolder app;
    app.makeEdition(QStringLiteral("a.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("a.mdb")));
    QVERIFY(ExecSql(QStringLiteral(
        "INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName, Header1, Header2, Header3, Header4, "
        "Header5, Header6) VALUES (70000, 1, 'rock', 'h1', 'h2', 'h3', 'h4', 'h5', 'h6'), "
        "(3, 1, 'Pop', '', '', '', '', '', ''), (4, 2, 'Other', '', '', '', '', '', '')")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword) "
                                   "VALUES (7, 'b', 'b', 70000, 1, 0, 'N', 'pop'), (5, 'a', 'a', 70000, 1, 0, 'N', 'rock'), "
                                   "(6, 'c', 'c', 70000, 1, 0, 'N', NULL), (8, 'd', 'd', 70000, 1, 0, 'N', ''), "
                                   "(9, 'e', 'e', 3, 1, 0, 'N', 'other')")));

    const QList<TopicSelection::SubTopic> subs = TopicSelection::subTopics(1);
    QCOMPARE(subs.size(), 2);
    QCOMPARE(subs.at(0).name, QStringLiteral("Pop"));
    QCOMPARE(subs.at(1).name, QStringLiteral("rock"));
    QCOMPARE(subs.at(1).id, 70000);

    QStringList captions;
    QVERIFY(TopicSelection::sectionCaptions(70000, &captions));
    QCOMPARE(captions, (QStringList{"h1", "h2", "h3", "h4", "h5", "h6"}));
    QVERIFY(!TopicSelection::sectionCaptions(99, &captions));

    // In tree order, each keyword followed by "|"; rows without keywords add nothing.
    QCOMPARE(TopicSelection::keywordList(70000), QStringLiteral("rock|pop|"));
    QCOMPARE(TopicSelection::keywordList(42), QString());

    // The sample edition's pages: text that stands out from its background (contrast of
    // the two colours' relative luminances at least 4.5 : 1).
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    const auto luminance = [](const QString &hex) {   // relative luminance of "rrggbb"
        double sum = 0;
        for (const auto &[at, weight] : {std::pair{0, 0.2126}, std::pair{2, 0.7152}, std::pair{4, 0.0722}}) {
            const double c = hex.mid(at, 2).toInt(nullptr, 16) / 255.0;
            sum += weight * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return sum + 0.05;
    };
    const QStringList schemes = QueryRows(QStringLiteral("SELECT color1, color3 FROM ColorLinks"));
    QVERIFY(!schemes.isEmpty());
    for (const QString &row : schemes) {
        const double text = luminance(row.left(6)), back = luminance(row.right(6));
        QVERIFY2(std::max(text, back) / std::min(text, back) >= 4.5, qPrintable(row));
    }
}

QTEST_GUILESS_MAIN(TestForm1Editions)
#include "tst_form1_editions.moc"
