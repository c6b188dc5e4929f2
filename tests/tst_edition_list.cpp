// Edition list lines round-trip: the mark, the file part, names the line cannot carry,
// appending, and the rebuild at start-up choosing an edition that opens.
#include "testhelper.h"

#include "editions/edition_commands.h"
#include "editions/edition_discovery.h"
#include "editions/edition_list.h"
#include "editions/edition_loader.h"
#include "platform/dialogs.h"
#include "shared/globals.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class TestEditionList : public QObject
{
    Q_OBJECT
private slots:
    void parseLine_data();
    void parseLine();
    void carriedEntriesRoundTrip();
    void moveMarkTouchesNothingElse();
    void appendAndQueries();
    void failedWriteKeepsList();
    void olderListLinesKeepTheirBytes();
    void rebuildListsEveryFile();
    void rebuildActivatesAnEditionThatOpens();
};

void TestEditionList::parseLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("active");

    QTest::newRow("star in name") << "Links.mdb,My *Best* Links" << "Links.mdb" << "My *Best* Links" << false;
    QTest::newRow("star in file") << "*A*Links.mdb,A" << "A*Links.mdb" << "A" << true;
    QTest::newRow("commas in name") << "a.mdb,One, two" << "a.mdb" << "One, two" << false;
    QTest::newRow("only a star") << "*" << "" << "" << true;
    QTest::newRow("no comma") << "Name only" << "" << "Name only" << false;
    QTest::newRow("blank before star") << " *a.mdb,A" << "*a.mdb" << "A" << false;
    // A "*" and a "," in every place of a line.
    QTest::newRow("star first") << "*a.mdb,A" << "a.mdb" << "A" << true;
    QTest::newRow("two stars first") << "**a.mdb,A" << "*a.mdb" << "A" << true;
    QTest::newRow("star before comma") << "a*.mdb*,A" << "a*.mdb*" << "A" << false;
    QTest::newRow("star after comma") << "a.mdb,*A" << "a.mdb" << "*A" << false;
    QTest::newRow("star last") << "a.mdb,A*" << "a.mdb" << "A*" << false;
    QTest::newRow("only a star and comma") << "*," << "" << "" << true;
    QTest::newRow("comma first") << ",A" << "" << "A" << false;
    QTest::newRow("comma after star") << "*,A" << "" << "A" << true;
    QTest::newRow("two commas") << "a.mdb,,A" << "a.mdb" << ",A" << false;
    QTest::newRow("comma last") << "a.mdb," << "a.mdb" << "" << false;
    QTest::newRow("comma and star in name") << "a.mdb,B, *C*,D" << "a.mdb" << "B, *C*,D" << false;
    QTest::newRow("blanks around file") << "*  a b.mdb ,A" << "a b.mdb" << "A" << true;
}

void TestEditionList::parseLine()
{
    QFETCH(QString, line);
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(bool, active);
    const EditionEntry e = EditionList::parseLine(line);
    QCOMPARE(e.file, file);
    QCOMPARE(e.title, title);
    QCOMPARE(e.active, active);
}

void TestEditionList::carriedEntriesRoundTrip()
{
    const QList<EditionEntry> carried = {
        {"A*Links.mdb", "A*Links", true}, {"x.mdb", "a, b", false}, {"", "", false}, {"A Links.mdb", "*", false}};
    for (const EditionEntry &e : carried) {
        QVERIFY(EditionList::canCarry(e));
        QCOMPARE(EditionList::parseLine(EditionList::formatLine(e)), e);
    }
    const QList<EditionEntry> refused = {
        {"A,Links.mdb", "A", false}, {"a\nb.mdb", "A", false}, {"*a.mdb", "A", false}, {"a.mdb", "A\r\nB", false},
        {" a.mdb", "A", false}};
    for (const EditionEntry &e : refused)
        QVERIFY2(!EditionList::canCarry(e), qPrintable(e.file));
}

void TestEditionList::moveMarkTouchesNothingElse()
{
    QStringList lines = {"*", "", "b.mdb,B *", "c.mdb,*C"};
    QVERIFY(EditionList::moveMark(lines, 2));
    QCOMPARE(lines, (QStringList{"", "", "b.mdb,B *", "*c.mdb,*C"}));
    QVERIFY(!EditionList::moveMark(lines, 3));
    QVERIFY(!EditionList::moveMark(lines, -1));
}

void TestEditionList::appendAndQueries()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dbnames.txt"));
    // Appending creates a missing list; an existing one keeps its lines and line ends.
    QVERIFY(EditionList::append(path, {"a.mdb", "Alpha", true}));
    QVERIFY(EditionList::append(path, {"B_b.mdb", " Beta ", false}));
    QVERIFY(!EditionList::append(path, {"c,d.mdb", "Gamma", false}));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("a.mdb,Alpha\r\nB_b.mdb, Beta \r\n"));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("tmpdbnames.txt"))));

    QVERIFY(EditionList::displayNameListed(path, QStringLiteral("  beta")));
    QVERIFY(!EditionList::displayNameListed(path, QStringLiteral("Bet")));
    QVERIFY(EditionList::fileListed(path, QStringLiteral("b_B.MDB")));
    QVERIFY(!EditionList::fileListed(path, QStringLiteral("b.mdb")));
}

void TestEditionList::failedWriteKeepsList()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dbnames.txt"));
    QVERIFY(EditionList::write(path, {"*a.mdb,A"}));
    // The scratch file cannot be made: the list stays whole.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("tmpdbnames.txt")));
    QVERIFY(!EditionList::write(path, {"b.mdb,B"}));
    QVERIFY(!EditionList::append(path, {"b.mdb", "B", false}));
    QCOMPARE(EditionList::readLines(path), QStringList{"*a.mdb,A"});
}

void TestEditionList::olderListLinesKeepTheirBytes()
{
    TestProgramFolder app;
    app.makeEdition(QStringLiteral("W\u00fcrzburg.mdb"));
    // A line in Windows-1252, a line in UTF-8 beginning with U+FEFF, an empty line, and a
    // line in Windows-1252 ending in a byte that begins a UTF-8 sequence.
    app.writeFile(QStringLiteral("dbnames.txt"),
                  "*Sample_Links.mdb,Sample Links\r\nW\xfcrzburg.mdb,W\xfcrzburg \x80\r\n\xef\xbb\xbf"
                  "b.mdb,B\r\n\r\nc.mdb,Caf\xe9\r\n");
    const QList<EditionEntry> read = EditionList::read(app.file(QStringLiteral("dbnames.txt")));
    QCOMPARE(read.at(1), (EditionEntry{QStringLiteral("W\u00fcrzburg.mdb"), QStringLiteral("W\u00fcrzburg \u20ac"), false}));
    QCOMPARE(read.at(2).file, QStringLiteral("\ufeffb.mdb"));
    QCOMPARE(read.at(3).title, QStringLiteral("Caf\u00e9"));

    // The mark moved onto the older line and an edition appended: every other byte stays.
    QVERIFY(EditionLoader(app.path()).makeActive(1));
    QVERIFY(EditionList::append(app.file(QStringLiteral("dbnames.txt")), {QStringLiteral("\u00e9t\u00e9.mdb"), QStringLiteral("\u00c9t\u00e9"), false}));
    QCOMPARE(app.readFile(QStringLiteral("dbnames.txt")),
             QByteArray("Sample_Links.mdb,Sample Links\r\n*W\xfcrzburg.mdb,W\xfcrzburg \x80\r\n\xef\xbb\xbf"
                        "b.mdb,B\r\n\r\nc.mdb,Caf\xe9\r\n\xc3\xa9t\xc3\xa9.mdb,\xc3\x89t\xc3\xa9\r\n"));
    QCOMPARE(CurrentDatabaseFile, QStringLiteral("W\u00fcrzburg.mdb"));

    // One text in both encodings: renaming the line in UTF-8 leaves the other its bytes.
    app.writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,Sample Links\r\n\xd9.mdb,\xd9\r\n\xc3\x99.mdb,\xc3\x99\r\n");
    app.makeEdition(QStringLiteral("\u00d9.mdb"));
    DialogScript::input(QStringLiteral("Plain"));
    DialogScript::answer(vbOK);
    EditionCommands(nullptr, app.path()).renameEdition(2, QStringLiteral("\u00d9"), QStringLiteral("Sample Links"));
    QCOMPARE(app.readFile(QStringLiteral("dbnames.txt")),
             QByteArray("*Sample_Links.mdb,Sample Links\r\n\xd9.mdb,\xd9\r\nplain.mdb,Plain\r\n"));
}

void TestEditionList::rebuildListsEveryFile()
{
    TestProgramFolder app;
    for (const char *name : {"A*Links.mdb", "A,Links.mdb", "A Links.mdb", "A_Links.mdb"})
        app.writeFile(QString::fromUtf8(name), "x");
    QStringList unlisted;
    QVERIFY(RebuildEditionList(app.path(), &unlisted));
    // Every file that the line can carry is listed under its own name; the one with a ","
    // is named in the message instead.
    const QList<EditionEntry> list = EditionList::read(app.file(QStringLiteral("dbnames.txt")));
    QStringList files;
    for (const EditionEntry &e : list)
        files.append(e.file);
    QCOMPARE(files, (QStringList{"A Links.mdb", "A*Links.mdb", "A_Links.mdb", "Sample_Links.mdb"}));
    QCOMPARE(unlisted, QStringList{"A,Links.mdb"});
    QVERIFY(UnlistedEditionsMessage(unlisted).contains(QStringLiteral("\"A,Links.mdb\"")));
}

void TestEditionList::rebuildActivatesAnEditionThatOpens()
{
    TestProgramFolder app;
    app.writeFile(QStringLiteral("Empty.mdb"), "");
    app.writeFile(QStringLiteral("Notes.mdb"), "plain text, no database");
    QVERIFY(RebuildEditionList(app.path()));
    QCOMPARE(app.readFile(QStringLiteral("dbnames.txt")),
             QByteArray("Empty.mdb,Empty\r\nNotes.mdb,Notes\r\n*Sample_Links.mdb,Sample links\r\n"));

    // With no edition that opens, the first file is still marked.
    QFile::remove(app.file(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(RebuildEditionList(app.path()));
    QCOMPARE(EditionList::read(app.file(QStringLiteral("dbnames.txt"))).at(0).active, true);
}

QTEST_GUILESS_MAIN(TestEditionList)
#include "tst_edition_list.moc"
