// The edition database connection, the template's schema, the id rule and record sets.
#include "testhelper.h"

#include "editing/category_editing.h"
#include "editing/subtopic_editing.h"
#include "editing/topic_editing.h"
#include "editions/edition_list.h"
#include "mainwindow/topic_selection.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "webtools/edition_search.h"
#include "webtools/stored_accounts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <sys/fsuid.h>
#include <unistd.h>

class TestDatabase : public QObject
{
    Q_OBJECT
private slots:
    void openDatabase();
    void openRefusesWhatIsNotAnEdition();
    void readOnlyEditionSaysSoOnce();
    void appPath();
    void templateSchema();
    void idRule();
    void recordset();
    void transactionRollsBack();
    void injectedWriteFault();
    void lettersOutsideAToZ_data();
    void lettersOutsideAToZ();
    void editionIndexesFollowFolding();
};

void TestDatabase::openDatabase()
{
    TestProgramFolder home;
    home.makeEdition(QStringLiteral("first.mdb"));
    home.makeEdition(QStringLiteral("second.mdb"));

    QVERIFY(!DatabaseIsOpen());
    QVERIFY(OpenDatabase(QStringLiteral("first.mdb")));
    QVERIFY(DatabaseIsOpen());
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics (MainTopicId, TopicName) VALUES (1, 'Only in first')")));

    // A second call while open answers true at once and stays on the first file.
    QVERIFY(OpenDatabase(QStringLiteral("second.mdb")));
    QCOMPARE(QueryValue(QStringLiteral("SELECT TopicName FROM Topics")).toString(), QStringLiteral("Only in first"));

    // Closed, the next call opens the file it is given.
    CloseDatabase();
    QVERIFY(!DatabaseIsOpen());
    QVERIFY(OpenDatabase(QStringLiteral("second.mdb")));
    QCOMPARE(QueryValue(QStringLiteral("SELECT count(*) FROM Topics")).toInt(), 0);
}

void TestDatabase::openRefusesWhatIsNotAnEdition()
{
    TestProgramFolder home;

    // A missing file is never created.
    QVERIFY(!OpenDatabase(QStringLiteral("missing.mdb")));
    QVERIFY(!DatabaseIsOpen());
    QVERIFY(!QFile::exists(home.file(QStringLiteral("missing.mdb"))));
    QVERIFY(!OpenDatabase(QString()));
    QString error;
    CurrentDatabaseFile = QStringLiteral("missing.mdb");
    QVERIFY(!OpenCurrentDatabase(error));
    QCOMPARE(error, QStringLiteral("The edition missing.mdb could not be opened."));

    // Once the file is there, the next call succeeds.
    home.makeEdition(QStringLiteral("missing.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("missing.mdb")));
    CloseDatabase();

    // A file that is not a database, an empty file and a folder are refused.
    home.writeFile(QStringLiteral("notes.mdb"), QByteArray("This is plain text, not a database.\r\n").repeated(40));
    QVERIFY(!OpenDatabase(QStringLiteral("notes.mdb")));
    QVERIFY(!DatabaseIsOpen());
    QCOMPARE(home.readFile(QStringLiteral("notes.mdb")).left(10), QByteArray("This is pl"));
    QDir(home.path()).mkdir(QStringLiteral("folder.mdb"));
    QVERIFY(!OpenDatabase(QStringLiteral("folder.mdb")));
    home.writeFile(QStringLiteral("empty.mdb"), QByteArray());
    QVERIFY(!OpenDatabase(QStringLiteral("empty.mdb")));
    QVERIFY(!DatabaseIsOpen());
    QCOMPARE(QFileInfo(home.file(QStringLiteral("empty.mdb"))).size(), 0);

    // So is a database of another program: it holds none of an edition's tables.
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(home.file(QStringLiteral("other.mdb")));
        QVERIFY(other.open());
        QVERIFY(QSqlQuery(other).exec(QStringLiteral("CREATE TABLE Notes (Line TEXT)")));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    QVERIFY(!OpenDatabase(QStringLiteral("other.mdb")));
    QVERIFY(!DatabaseIsOpen());

    // And a file with only some of them: an edition has all of its tables.
    home.makeEdition(QStringLiteral("partial.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("partial.mdb")));
    QVERIFY(ExecSql(QStringLiteral("DROP TABLE LksSit")));
    CloseDatabase();
    QVERIFY(!OpenDatabase(QStringLiteral("partial.mdb")));
    QVERIFY(!DatabaseIsOpen());
    // The check made before a switch agrees, so a switch never starts on such a file.
    QVERIFY(!IsEditionFile(home.file(QStringLiteral("partial.mdb"))));
    QVERIFY(IsEditionFile(home.file(QStringLiteral("missing.mdb"))));

    // A name with blanks and non-ASCII letters opens like any other.
    home.makeEdition(QStringLiteral("Café Links.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("Café Links.mdb")));
}

void TestDatabase::readOnlyEditionSaysSoOnce()
{
    TestProgramFolder home;
    home.makeEdition(QStringLiteral("locked.mdb"));
    QVERIFY(QFile::setPermissions(home.file(QStringLiteral("locked.mdb")),
                                  QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                                   | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    // Permissions do not hold back the administrator: open the file as nobody instead.
    DialogScript::answer(vbOK);
    const int user = setfsuid(geteuid() == 0 ? 65534 : geteuid());
    const bool opened = OpenDatabase(QStringLiteral("locked.mdb"));
    CloseDatabase();
    const bool openedAgain = OpenDatabase(QStringLiteral("locked.mdb"));
    setfsuid(user);
    QVERIFY(opened && openedAgain);
    QCOMPARE(DialogScript::shown().size(), 1);
    QVERIFY(DialogScript::last().prompt.contains(QStringLiteral("locked.mdb is read-only")));
    QVERIFY(!ExecSql(QStringLiteral("INSERT INTO Topics VALUES (1, 'A')")));
    CloseDatabase();

    home.makeEdition(QStringLiteral("open.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("open.mdb")));
    QCOMPARE(DialogScript::shown().size(), 1);
}

void TestDatabase::appPath()
{
    TestProgramFolder home;
    QCOMPARE(GetAppPath(), home.path());
    QVERIFY(!GetAppPath().endsWith(QLatin1String("//")));

    QTemporaryDir other;
    QDir::setCurrent(other.path());
    UseCurrentDir = 1;
    QCOMPARE(GetAppPath(), QDir::currentPath() + QLatin1Char('/'));
    // Editions are then opened from the current directory.
    QFile::copy(home.file(QStringLiteral("untitled.mdb")), other.path() + QLatin1String("/new.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("new.mdb")));
    CloseDatabase();
    UseCurrentDir = 0;
    QCOMPARE(GetAppPath(), home.path());

    QDir::setCurrent(QStringLiteral("/"));
    UseCurrentDir = 1;
    QCOMPARE(GetAppPath(), QStringLiteral("/"));
    UseCurrentDir = 0;
}

void TestDatabase::templateSchema()
{
    TestProgramFolder home;
    QVERIFY(OpenDatabase(QStringLiteral("untitled.mdb")));
    const QStringList tables = DbConnection().tables();
    const QMap<QString, QStringList> expected = {
        {QStringLiteral("Topics"), {"MainTopicId", "TopicName"}},
        {QStringLiteral("SubTopics"),
         {"SubTopicId", "GlobalTopicId", "SubTopicName", "Header1", "Header2", "Header3", "Header4", "Header5",
          "Header6"}},
        {QStringLiteral("ColorLinks"), {"TopicId", "color1", "color2", "color3", "TopicName"}},
        {QStringLiteral("Lks"), {"LksId", "LksName", "LksUrl", "TopicId", "IsTop", "IsLeaf", "LksDesc", "Keyword"}},
        {QStringLiteral("Sit"), {"SitId", "SitName", "SitUrl", "Summary"}},
        {QStringLiteral("LksSit"), {"LksId", "SitId", "Seq"}},
        {QStringLiteral("NewsLinks"), {"topicid", "LinkName", "LinkUrl", "FieldName1", "FieldName2"}},
        {QStringLiteral("SearchLinks"), {"topicid", "LinkName", "LinkUrl", "FieldName1", "FieldName2"}},
        {QStringLiteral("OrganizationLinks"), {"topicid", "LinkName", "LinkUrl", "FieldName1", "FieldName2"}},
        {QStringLiteral("RelatedLinks"), {"topicid", "LinkName", "LinkUrl", "FieldName1", "FieldName2"}},
        {QStringLiteral("FavoriteLinks"), {"topicid", "LinkName", "LinkUrl", "FieldName1", "FieldName2"}},
        {QStringLiteral("LocalLinks"), {"topicid", "LinkName", "LinkUrl", "FieldName1", "FieldName2"}},
        {QStringLiteral("PersonalInformation"), {"Title", "URL", "FormNumber", "FieldName", "FieldValue"}},
    };
    QCOMPARE(tables.size(), expected.size());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QVERIFY2(tables.contains(it.key()), qPrintable(it.key()));
        const QSqlRecord rec = DbConnection().record(it.key());
        QStringList columns;
        for (int i = 0; i < rec.count(); ++i)
            columns.append(rec.fieldName(i));
        QCOMPARE(columns, it.value());
    }

    // Text compares without regard to case, as the duplicate checks rely on.
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics VALUES (1, 'News')")));
    QCOMPARE(QueryValue(QStringLiteral("SELECT count(*) FROM Topics WHERE TopicName = ?"), {QStringLiteral("nEWS")})
                 .toInt(),
             1);
    // Yes/No columns are never null.
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName) VALUES (1, 'x')")));
    QCOMPARE(QueryValue(QStringLiteral("SELECT IsLeaf FROM Lks")).toInt(), 0);
}

void TestDatabase::idRule()
{
    TestProgramFolder home;
    home.makeEdition(QStringLiteral("ids.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("ids.mdb")));
    QCOMPARE(NextId(QStringLiteral("Topics"), QStringLiteral("MainTopicId")), 1);
    QCOMPARE(NextId(QStringLiteral("Sit"), QStringLiteral("SitId")), 1);
    QCOMPARE(NextId16(QStringLiteral("Lks"), QStringLiteral("LksId")), 1);

    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics VALUES (7, 'A'), (3, 'B')")));
    QCOMPARE(NextId(QStringLiteral("Topics"), QStringLiteral("MainTopicId")), 8);
    // A deleted id is given out again only when it was the largest.
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM Topics WHERE MainTopicId = 3")));
    QCOMPARE(NextId(QStringLiteral("Topics"), QStringLiteral("MainTopicId")), 8);
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM Topics WHERE MainTopicId = 7")));
    QCOMPARE(NextId(QStringLiteral("Topics"), QStringLiteral("MainTopicId")), 1);

    // Ids that must fit 16 bits stop at 32767; 32-bit ids go on.
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics VALUES (32766, 'C')")));
    QCOMPARE(NextId16(QStringLiteral("Topics"), QStringLiteral("MainTopicId")), 32767);
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics VALUES (32767, 'D')")));
    QCOMPARE(NextId16(QStringLiteral("Topics"), QStringLiteral("MainTopicId")), -1);
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName) VALUES (40000, 'x')")));
    QCOMPARE(NextId(QStringLiteral("Lks"), QStringLiteral("LksId")), 40001);

    // No id past the 32-bit range; a table that cannot be read gives none either, and both
    // say why.
    QString error;
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Sit (SitId, SitName) VALUES (2147483647, 'x')")));
    QCOMPARE(NextId(QStringLiteral("Sit"), QStringLiteral("SitId"), &error), 0);
    QVERIFY(error.contains(QStringLiteral("no ids left")));
    error.clear();
    QCOMPARE(NextId(QStringLiteral("NoSuchTable"), QStringLiteral("Id"), &error), 0);
    QVERIFY(!error.isEmpty());
}

void TestDatabase::recordset()
{
    TestProgramFolder home;
    home.makeEdition(QStringLiteral("rs.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("rs.mdb")));

    Recordset rs;
    QVERIFY(rs.open(QStringLiteral("SELECT rowid, * FROM Sit WHERE SitId > ?"), {0}));
    QCOMPARE(rs.recordCount(), 0);
    QVERIFY(rs.eof());

    // Add-new and update insert rows; a null value stays null, an empty text stays empty.
    rs.addNew(QStringLiteral("Sit"));
    rs.setValue(QStringLiteral("SitId"), 2);
    rs.setValue(QStringLiteral("SitName"), QStringLiteral("O'Reilly"));
    rs.setValue(QStringLiteral("SitUrl"), QStringLiteral("https://example.org/?a='1'"));
    rs.setValue(QStringLiteral("Summary"), QVariant());
    QVERIFY(rs.update());
    rs.addNew(QStringLiteral("Sit"));
    rs.setValue(QStringLiteral("SitId"), 1);
    rs.setValue(QStringLiteral("SitName"), QStringLiteral("Second"));
    rs.setValue(QStringLiteral("Summary"), QStringLiteral(""));
    QVERIFY(rs.update());

    QVERIFY(rs.open(QStringLiteral("SELECT rowid AS rowid, * FROM Sit ORDER BY SitId DESC")));
    QCOMPARE(rs.recordCount(), 2);
    QCOMPARE(rs.text(QStringLiteral("SitName")), QStringLiteral("O'Reilly"));
    QCOMPARE(rs.text(QStringLiteral("SitUrl")), QStringLiteral("https://example.org/?a='1'"));
    QVERIFY(rs.value(QStringLiteral("Summary")).isNull());
    QCOMPARE(rs.text(QStringLiteral("summary")), QString());
    rs.moveNext();
    QCOMPARE(rs.integer(QStringLiteral("SitId")), 1);
    QVERIFY(!rs.value(QStringLiteral("Summary")).isNull());

    // Changing a found row writes only that row.
    rs.setValue(QStringLiteral("SitName"), QStringLiteral("Renamed"));
    QVERIFY(rs.update(QStringLiteral("Sit")));
    rs.moveNext();
    QVERIFY(rs.eof());
    QCOMPARE(QueryValue(QStringLiteral("SELECT SitName FROM Sit WHERE SitId = 1")).toString(), QStringLiteral("Renamed"));
    QCOMPARE(QueryValue(QStringLiteral("SELECT SitName FROM Sit WHERE SitId = 2")).toString(), QStringLiteral("O'Reilly"));

    // A bad statement fails without a crash.
    QVERIFY(!rs.open(QStringLiteral("SELECT * FROM NoSuchTable")));
    QVERIFY(!rs.lastError().isEmpty());
    QCOMPARE(rs.recordCount(), 0);
}

void TestDatabase::transactionRollsBack()
{
    TestProgramFolder home;
    home.makeEdition(QStringLiteral("tx.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("tx.mdb")));
    {
        Transaction t;
        QVERIFY(t.started());
        QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics VALUES (1, 'A')")));
        // Leaves without commit: nothing lands.
    }
    QCOMPARE(QueryValue(QStringLiteral("SELECT count(*) FROM Topics")).toInt(), 0);
    {
        Transaction t;
        QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics VALUES (1, 'A')")));
        QVERIFY(t.commit());
    }
    QCOMPARE(QueryValue(QStringLiteral("SELECT count(*) FROM Topics")).toInt(), 1);
}

// The tests' write fault: the armed table takes the writes allowed and refuses the next,
// on the program's connection or stored in a file, and the snapshot sees every row.
void TestDatabase::injectedWriteFault()
{
    TestProgramFolder home;
    const QString path = home.makeEdition(QStringLiteral("fault.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("fault.mdb")));
    const QStringList before = EditionSnapshot();
    QVERIFY(WriteFault::arm(QStringLiteral("Topics"), 2, WriteFault::Insert));
    {
        Transaction t;
        QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics VALUES (1, 'A')")));
        QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics VALUES (2, 'B')")));
        QVERIFY(!ExecSql(QStringLiteral("INSERT INTO Topics VALUES (3, 'C')")));
        QCOMPARE(EditionSnapshot(), QStringList({"Topics|1|A", "Topics|2|B"}));
    }
    QCOMPARE(EditionSnapshot(), before);
    // Updates were not armed; after disarm, inserts go through again.
    QVERIFY(ExecSql(QStringLiteral("UPDATE Topics SET TopicName = 'x'")));
    WriteFault::disarm();
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics VALUES (1, 'A')")));
    CloseDatabase();
    QCOMPARE(EditionSnapshot(path), QStringList({"Topics|1|A"}));

    // Stored in the file: a connection of its own is refused as well, until disarmed.
    QVERIFY(WriteFault::armFile(path, {QStringLiteral("Topics")}, 0, WriteFault::Delete));
    QVERIFY(OpenDatabase(QStringLiteral("fault.mdb")));
    QVERIFY(!ExecSql(QStringLiteral("DELETE FROM Topics")));
    QCOMPARE(QueryValue(QStringLiteral("SELECT count(*) FROM Topics")).toInt(), 1);
    CloseDatabase();
    QVERIFY(WriteFault::disarmFile(path));
    QCOMPARE(EditionSnapshot(path), QStringList({"Topics|1|A"}));
    QVERIFY(OpenDatabase(QStringLiteral("fault.mdb")));
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM Topics")));
}

void TestDatabase::lettersOutsideAToZ_data()
{
    // What is compared, the name stored first, the one asked for then, what the program
    // answers: "same" when it takes them for one name (or finds the first by the second).
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("answer");
    QTest::newRow("search, link name") << "search" << "Ärger Verlag" << "ärger" << "same";
    QTest::newRow("search, wildcard") << "search" << "Ölkanne" << "ö_K" << "same";
    QTest::newRow("search, section") << "search" << "ÉCOLE DES ÉTUDES" << "des é" << "same";
    QTest::newRow("search, no accent folding") << "search" << "Bänk" << "bank" << "differ";
    QTest::newRow("account title") << "account" << "Bänk" << "BÄNK" << "same";
    QTest::newRow("account title, Cyrillic") << "account" << "Почта" << "почта" << "same";
    QTest::newRow("account title, other letter") << "account" << "Bänk" << "Bank" << "differ";
    QTest::newRow("Sub-Topic name") << "subtopic" << "Öl" << "öL" << "same";
    QTest::newRow("category name") << "category" << "Äpfel" << "äPFEL" << "same";
    QTest::newRow("category name, other letter") << "category" << "Äpfel" << "Apfel" << "differ";
    QTest::newRow("edition name") << "edition" << "Bänk" << "BÄNK" << "same";
    // Sub-Topics listed by name, letter case ignored: "äb" before "Äc".
    QTest::newRow("Sub-Topic order") << "order" << "Äc" << "äb" << "äb|Äc";
    // Text LIKE pattern, and NOCASE equality, where both are ASCII or only one is.
    QTest::newRow("like, ASCII and a non-ASCII letter") << "like" << "Bank Äpfel" << "%BANK ä%" << "same";
    QTest::newRow("like, one character that is two bytes") << "like" << "Äb" << "_B" << "same";
    QTest::newRow("like, wildcards at the ends") << "like" << "xAz" << "_aZ%" << "same";
    QTest::newRow("like, one character too few") << "like" << "aZ" << "_aZ%" << "differ";
    QTest::newRow("like, A and Z") << "like" << "AZ" << "az" << "same";
    QTest::newRow("like, @ is no letter") << "like" << "@" << "`" << "differ";
    QTest::newRow("like, [ is no letter") << "like" << "[" << "{" << "differ";
    QTest::newRow("like, empty pattern") << "like" << "" << "" << "same";
    QTest::newRow("like, empty pattern, a text") << "like" << "a" << "" << "differ";
    // The longest pattern matched is 50000 bytes; a longer one is an error, and a search
    // (its keyword between two %) is refused rather than answering fewer links.
    QTest::newRow("like, longest pattern") << "like" << QString(50000, 'a') << QString(50000, 'A') << "same";
    QTest::newRow("like, one byte too long") << "like" << QString(50001, 'a') << QString(50001, 'A') << "differ";
    QTest::newRow("search, longest keyword") << "search" << QString(49998, 'a') << QString(49998, 'A') << "same";
    QTest::newRow("search, one byte too long") << "search" << QString(49999, 'a') << QString(49999, 'A') << "refused";
    QTest::newRow("equal, a to Z") << "equal" << "aZ" << "Az" << "same";
    QTest::newRow("equal, @ and `") << "equal" << "x@" << "x`" << "differ";
    QTest::newRow("equal, [ and {") << "equal" << "[" << "{" << "differ";
}

void TestDatabase::lettersOutsideAToZ()
{
    QFETCH(QString, what);
    QFETCH(QString, stored);
    QFETCH(QString, asked);
    QFETCH(QString, answer);
    TestProgramFolder home;
    home.makeEdition(QStringLiteral("letters.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("letters.mdb")));
    const auto same = [](bool taken) { return taken ? QStringLiteral("same") : QStringLiteral("differ"); };

    QString actual;
    if (what == QLatin1String("like") || what == QLatin1String("equal")) {
        const QString sql = what == QLatin1String("like") ? QStringLiteral("SELECT ? LIKE ?")
                                                           : QStringLiteral("SELECT ? = ? COLLATE NOCASE");
        actual = same(QueryValue(sql, {stored, asked}).toInt() == 1);
    } else if (what == QLatin1String("search")) {
        QVERIFY(ExecSql(QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl) VALUES (1, ?, 'http://a.test/')"),
                        {stored}));
        QVERIFY(ExecSql(QStringLiteral("INSERT INTO NewsLinks (topicid, LinkName, LinkUrl) VALUES (1, ?, 'http://b.test/')"),
                        {stored}));
        QVector<SearchHit> hits;
        EditionSearch search;
        const bool ran = search.run(asked, hits);
        QVERIFY(hits.size() == 0 || hits.size() == 2);   // the filed link and the section link
        actual = ran ? same(!hits.isEmpty()) : QStringLiteral("refused");
    } else if (what == QLatin1String("account")) {
        StoredAccounts accounts;
        QVERIFY(accounts.store({{stored, QStringLiteral("user"), QStringLiteral("anna"), 1, QStringLiteral("http://a.test/")}}));
        actual = same(accounts.titleExists(asked));
        QCOMPARE(accounts.lastError(), QString());
    } else if (what == QLatin1String("edition")) {
        home.writeFile(QStringLiteral("dbnames.txt"), "*letters.mdb," + stored.toUtf8() + "\r\n");
        actual = same(EditionList::displayNameListed(home.file(QStringLiteral("dbnames.txt")), asked));
    } else {
        QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics (MainTopicId, TopicName) VALUES (1, 'Food')")));
        SubTopicEditing subTopics;
        qint32 id = 0;
        QCOMPARE(subTopics.add(1, what == QLatin1String("category") ? QStringLiteral("Fruit") : stored, &id),
                 SubTopicEditing::Status::Done);
        if (what == QLatin1String("subtopic")) {
            actual = same(subTopics.add(1, asked) == SubTopicEditing::Status::Exists);
        } else if (what == QLatin1String("category")) {
            CategoryEditing categories(id);
            QCOMPARE(categories.add(QStringLiteral("Fruit"), QStringLiteral("Fruit"), stored),
                     CategoryEditing::Status::Done);
            actual = same(categories.add(QStringLiteral("Fruit"), QStringLiteral("Fruit"), asked)
                          == CategoryEditing::Status::Duplicate);
        } else {
            QCOMPARE(subTopics.add(1, asked), SubTopicEditing::Status::Done);
            QStringList names;
            for (const TopicSelection::SubTopic &sub : TopicSelection::subTopics(1))
                names.append(sub.name);
            actual = names.join(QLatin1Char('|'));
        }
    }
    QCOMPARE(actual, answer);
}

void TestDatabase::editionIndexesFollowFolding()
{
    // An edition written where case was folded for A to Z only: its index of category
    // paths is in that order, and the program puts it in its own when it opens it.
    TestProgramFolder home;
    const QString path = home.makeEdition(QStringLiteral("old.mdb"));
    const QStringList paths = {"äb", "Äc", "Ärger/x", "ärger/y", "Zoo", "ÄRGER"};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("PRAGMA user_version = 0")));
        QVERIFY(q.exec(QStringLiteral("REINDEX NOCASE")));
        for (int i = 0; i < paths.size(); ++i)
            QVERIFY(BindAndExec(q, QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId) VALUES (?, ?, ?, 1)"),
                                {i + 1, paths.at(i), paths.at(i)}));
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("plain"));

    QVERIFY(OpenDatabase(QStringLiteral("old.mdb")));
    QCOMPARE(QueryValue(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    // Looked up through the index, in other letter case.
    QCOMPARE(QueryRows(QStringLiteral("SELECT LksId FROM Lks INDEXED BY LksLksUrl WHERE LksUrl = ? ORDER BY LksId"),
                       {QStringLiteral("ÄB")}),
             QStringList{"1"});
    QCOMPARE(QueryRows(QStringLiteral("SELECT LksId FROM Lks INDEXED BY LksLksUrl WHERE LksUrl = ? ORDER BY LksId"),
                       {QStringLiteral("ärger")}),
             QStringList{"6"});
    QCOMPARE(QueryRows(QStringLiteral("SELECT LksUrl FROM Lks INDEXED BY LksLksUrl WHERE LksUrl > 'a' ORDER BY LksUrl")),
             (QStringList{"Zoo", "äb", "Äc", "ÄRGER", "Ärger/x", "ärger/y"}));
    // Done once: the mark stays, a second opening leaves the file alone.
    CloseDatabase();
    const QByteArray once = home.readFile(QStringLiteral("old.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("old.mdb")));
    CloseDatabase();
    QCOMPARE(home.readFile(QStringLiteral("old.mdb")), once);
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
