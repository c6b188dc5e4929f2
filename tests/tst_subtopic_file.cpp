// The Sub-Topic file without a window: the exact file an export writes, a round trip into
// another edition and Topic, the names and characters that must survive it, files from
// another installation, and broken files that must add nothing.

#include "testhelper.h"

#include "exchange/subtopic_export.h"
#include "exchange/subtopic_file.h"
#include "exchange/subtopic_import.h"
#include "shared/database.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QUrl>
#include <QtTest>

namespace {

const QStringList SectionTables = {"NewsLinks",     "SearchLinks",       "FavoriteLinks",
                                   "LocalLinks",    "OrganizationLinks", "RelatedLinks"};
const QStringList AllTables = QStringList{"SubTopics", "ColorLinks", "Lks", "Sit", "LksSit"} + SectionTables;

// The Sub-Topic "Jazz" (id 7) of the Topic "Music" (id 3) with every kind of row: an empty
// header, section names in their stored entity form, an address and names holding "|",
// more than five rows in a section, categories at two levels, one without links, and a
// filed link whose link row is gone. "Blues" (id 8) must stay out of its file.
void fillSource()
{
    const QStringList sql = {
        "INSERT INTO Topics VALUES (3, 'Music')",
        "INSERT INTO SubTopics VALUES (7, 3, 'Jazz', 'H1', 'H2', '', 'H4 | four', 'H5 & <five>', 'H6')",
        "INSERT INTO SubTopics VALUES (8, 3, 'Blues', 'a', 'b', 'c', 'd', 'e', 'f')",
        "INSERT INTO ColorLinks VALUES (7, 'FF0000', '00FF00', '0000FF', 'Jazz')",
        "INSERT INTO ColorLinks VALUES (8, '111111', '222222', '333333', 'Blues')",
        "INSERT INTO NewsLinks VALUES (7, '', '', 'name2', 'url2')",
        "INSERT INTO NewsLinks VALUES (7, 'Tom &amp; Jerry ', ' http://a.example/ ', 'name1', 'url1')",
        "INSERT INTO NewsLinks VALUES (7, '&lt;/NewsLinks&gt;', 'http://b.example/?q=a|b', 'name3', 'url3')",
        "INSERT INTO NewsLinks VALUES (7, 'A &amp;lt; B', 'x', 'name4', 'url4')",
        "INSERT INTO NewsLinks VALUES (7, 'Five', '', 'name5', 'url5')",
        "INSERT INTO NewsLinks VALUES (7, 'Six', '', 'name6', 'url6')",
        "INSERT INTO NewsLinks VALUES (7, 'Seven', '', 'name7', 'url7')",
        "INSERT INTO NewsLinks VALUES (8, 'Blues news', 'http://blues.example/', 'name1', 'url1')",
        "INSERT INTO SearchLinks VALUES (7, 'O''Brien''s | page', 'http://c.example/', 'name1', 'url1')",
        "INSERT INTO Lks VALUES (20, 'Jazz', 'Jazz', 7, 1, 0, 'N', '')",
        "INSERT INTO Lks VALUES (21, 'Jazzmen/Jazz', 'Jazz/Jazzmen', 7, 1, 1, '', '')",
        "INSERT INTO Lks VALUES (22, 'Bebop/Jazzmen/Jazz', 'Jazz/Jazzmen/Bebop', 7, 1, 1, '', '')",
        "INSERT INTO Lks VALUES (23, 'Clubs | Bars/Jazz', 'Jazz/Clubs | Bars', 7, 1, 1, '', '')",
        "INSERT INTO Lks VALUES (24, 'Empty/Jazz', 'Jazz/Empty', 7, 1, 0, '', '')",
        "INSERT INTO Lks VALUES (30, 'Blues', 'Blues', 8, 1, 0, 'N', '')",
        "INSERT INTO Lks VALUES (31, 'Delta/Blues', 'Blues/Delta', 8, 1, 1, '', '')",
        "INSERT INTO Sit VALUES (100, 'Ella', 'http://ella.example/', '')",
        "INSERT INTO Sit VALUES (101, 'Tom & Jerry''s <b>', 'http://t.example/a|b', '')",
        "INSERT INTO Sit VALUES (102, '</links>', 'http://l.example/', '')",
        "INSERT INTO Sit VALUES (103, 'Bar | Grill', 'http://g.example/', '')",
        "INSERT INTO Sit VALUES (104, 'Delta link', 'http://delta.example/', '')",
        "INSERT INTO LksSit VALUES (21, 100, 1)",
        "INSERT INTO LksSit VALUES (22, 101, 2)",
        "INSERT INTO LksSit VALUES (22, 102, 3)",
        "INSERT INTO LksSit VALUES (21, 999, 4)",
        "INSERT INTO LksSit VALUES (23, 103, 5)",
        "INSERT INTO LksSit VALUES (31, 104, 6)",
    };
    Transaction rows;   // one write to the file, not one per row
    for (const QString &s : sql)
        QVERIFY2(ExecSql(s), qPrintable(s));
    QVERIFY(rows.commit());
}

// The file of "Jazz" exported as "Jazz Clubs".
const QStringList JazzClubsFile = {
    "<page>", "H1", "H2", "", "H4 | four", "H5 & <five>", "H6", "</page>",
    "<NewsLinks>",
    "Tom & Jerry|http://a.example/",
    "|",
    "</NewsLinks>|http://b.example/?q=a%7Cb",
    "A &lt; B|x",
    "Five|",
    "</NewsLinks>",
    "<SearchLinks>", "O'Brien's | page|http://c.example/", "</SearchLinks>",
    "<FavoriteLinks>", "</FavoriteLinks>",
    "<LocalLinks>", "</LocalLinks>",
    "<OrganizationLinks>", "</OrganizationLinks>",
    "<RelatedLinks>", "</RelatedLinks>",
    "<color>", "FF0000|00FF00|0000FF|Jazz Clubs", "</color>",
    "<tree>",
    "Jazz Clubs|Jazz Clubs",
    "Jazzmen/Jazz Clubs|Jazz Clubs/Jazzmen",
    "Bebop/Jazzmen/Jazz Clubs|Jazz Clubs/Jazzmen/Bebop",
    "Clubs | Bars/Jazz Clubs|Jazz Clubs/Clubs | Bars",
    "Empty/Jazz Clubs|Jazz Clubs/Empty",
    "</tree>",
    "<links>",
    "Jazz Clubs/Jazzmen|Ella|http://ella.example/",
    "Jazz Clubs/Jazzmen/Bebop|Tom & Jerry's <b>|http://t.example/a%7Cb",
    "Jazz Clubs/Jazzmen/Bebop|</links>|http://l.example/",
    "Jazz Clubs/Clubs | Bars|Bar | Grill|http://g.example/",
    "",
    "</links>",
};

QByteArray crLf(const QStringList &lines)
{
    return (lines.join("\r\n") + "\r\n").toUtf8();
}

// Everything a Sub-Topic holds, ids left out: headers, colours, section rows that hold
// something, categories with their flags, and links by category path.
QStringList snapshot(qint32 id)
{
    QStringList rows = QueryRows("SELECT SubTopicName, Header1, Header2, Header3, Header4, Header5, Header6 "
                                 "FROM SubTopics WHERE SubTopicId = ?", {id});
    rows += QueryRows("SELECT color1, color2, color3, TopicName FROM ColorLinks WHERE TopicId = ?", {id});
    for (const QString &table : SectionTables)
        rows += QueryRows(QString("SELECT '%1', FieldName1, FieldName2, trim(LinkName), trim(LinkUrl) FROM %1 "
                                  "WHERE topicid = ? AND (LinkName <> '' OR LinkUrl <> '') ORDER BY FieldName1")
                              .arg(table), {id});
    rows += QueryRows("SELECT LksName, LksUrl, IsTop, IsLeaf, LksDesc FROM Lks WHERE TopicId = ? ORDER BY LksId", {id});
    rows += QueryRows("SELECT Lks.LksUrl, SitName, SitUrl FROM Lks JOIN LksSit ON LksSit.LksId = Lks.LksId "
                      "JOIN Sit ON Sit.SitId = LksSit.SitId WHERE Lks.TopicId = ? ORDER BY LksSit.rowid", {id});
    return rows;
}

QStringList tableCounts()
{
    QStringList counts;
    for (const QString &table : AllTables)
        counts.append(table + "=" + QString::number(QueryCount("SELECT count(*) FROM " + table)));
    return counts;
}

} // namespace

class TestSubTopicFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void exportWritesTheLayoutLineByLine();
    void roundTripIntoAnotherEditionAndTopic();
    void namesRoundTripExactly();
    void linksLandOnlyInTheNewSubTopic();
    void windows1252FileIsRead();
    void fileWithOnlyLinksGivesAnEmptySubTopic();
    void readOnlyEditionIsSaidInWords();
    void brokenFileAddsNothingAndNamesTheLine_data();
    void brokenFileAddsNothingAndNamesTheLine();
    void truncatedFilesAreNeverHalfImported();
    void shuffledFilesAreNeverHalfImported();
    void exportReadsBackOrRefusesByName_data();
    void exportReadsBackOrRefusesByName();
    void namesRefused_data();
    void namesRefused();
    void linkLineOfManyBarsIsRefusedInLinearTime();
    void importAtTheIdLimit_data();
    void importAtTheIdLimit();
    void importRefusedHalfWayChangesNothing_data();
    void importRefusedHalfWayChangesNothing();

private:
    // Imports the program folder's file as name under the Topic; the status of the import
    // (Unreadable when the file could not be read).
    SubTopicImport::Status import(const QString &file, qint32 topicId, const QString &name = QString(),
                                  SubTopicImport *importer = nullptr);
    // Makes target.mdb the open edition with rows of its own, so that ids differ.
    void openTarget();

    std::unique_ptr<TestProgramFolder> m_app;
};

void TestSubTopicFile::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    m_app->makeEdition("source.mdb");
    QVERIFY(OpenEdition("source.mdb"));
    fillSource();
}

void TestSubTopicFile::cleanup()
{
    RemoveProgramFolder(m_app);
}

void TestSubTopicFile::openTarget()
{
    m_app->makeEdition("target.mdb");
    QVERIFY(OpenEdition("target.mdb"));
    Transaction rows;
    for (const char *s : {"INSERT INTO Topics VALUES (1, 'Archive')", "INSERT INTO Topics VALUES (2, 'Other')",
                          "INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName) VALUES (9, 2, 'Jazz')",
                          "INSERT INTO Lks VALUES (40, 'Jazz', 'Jazz', 9, 1, 0, 'N', '')",
                          "INSERT INTO Lks VALUES (41, 'Jazzmen/Jazz', 'Jazz/Jazzmen', 9, 1, 1, '', '')",
                          "INSERT INTO Sit VALUES (500, 'Old', 'http://old.example/', '')",
                          "INSERT INTO LksSit VALUES (41, 500, 77)"})
        QVERIFY2(ExecSql(s), s);
    QVERIFY(rows.commit());
}

SubTopicImport::Status TestSubTopicFile::import(const QString &file, qint32 topicId, const QString &name,
                                                SubTopicImport *importer)
{
    SubTopicImport own;
    SubTopicImport &imp = importer ? *importer : own;
    if (!imp.load(m_app->file(file)))
        return SubTopicImport::Status::Unreadable;
    const QString base = SubTopicFile::baseNameOf(file);
    return imp.ImportSubTopicFile(topicId, name.isEmpty() ? imp.nameInFile(base) : name);
}

void TestSubTopicFile::exportWritesTheLayoutLineByLine()
{
    SubTopicExport exporter;
    QVERIFY(exporter.write(m_app->path(), 3, 7, "Jazz", "  Jazz Clubs "));
    QCOMPARE(exporter.ExportFilePath, m_app->file("Jazz_Clubs.qvs"));
    const QByteArray written = m_app->readFile("Jazz_Clubs.qvs");
    QCOMPARE(QString::fromUtf8(written).split("\r\n"), QString::fromUtf8(crLf(JazzClubsFile)).split("\r\n"));
    QCOMPARE(written, crLf(JazzClubsFile));
}

void TestSubTopicFile::roundTripIntoAnotherEditionAndTopic()
{
    QStringList expected = snapshot(7);
    QVERIFY(SubTopicExport().write(m_app->path(), 3, 7, "Jazz", "Jazz"));
    openTarget();

    SubTopicImport importer;
    QCOMPARE(import("Jazz.qvs", 1, QString(), &importer), SubTopicImport::Status::Done);
    QCOMPARE(importer.ImportedSubTopicId, 10);
    QCOMPARE(QueryRows("SELECT GlobalTopicId, min(LksId), max(LksId) FROM SubTopics JOIN Lks ON TopicId = SubTopicId "
                       "WHERE SubTopicId = 10"),
             QStringList{"1|42|46"});
    for (const QString &table : SectionTables)
        QCOMPARE(QueryCount("SELECT count(*) FROM " + table + " WHERE topicid = 10"), 5);

    // The same rows, except what the file cannot carry or the import sets on purpose: five
    // section rows at most, "|" in an address as "%7C", every imported category marked as
    // one that holds links.
    expected.removeAll("NewsLinks|name6|url6|Six|");
    expected.removeAll("NewsLinks|name7|url7|Seven|");
    expected.replaceInStrings("a|b", "a%7Cb");
    expected.replaceInStrings("Jazz/Empty|1|0|", "Jazz/Empty|1|1|");
    QCOMPARE(snapshot(10), expected);
}

void TestSubTopicFile::namesRoundTripExactly()
{
    QVERIFY(SubTopicExport().write(m_app->path(), 3, 7, "Jazz", "Jazz_Clubs"));
    QVERIFY(QFile::copy(m_app->file("Jazz_Clubs.qvs"), m_app->file("Late_Night.qvs")));
    openTarget();

    // The name it was exported under, "_" and all; a renamed file names the Sub-Topic.
    QCOMPARE(import("Jazz_Clubs.qvs", 1), SubTopicImport::Status::Done);
    QCOMPARE(import("Late_Night.qvs", 1), SubTopicImport::Status::Done);
    for (const auto &[id, name] : {std::pair{10, QString("Jazz_Clubs")}, std::pair{11, QString("Late Night")}}) {
        QCOMPARE(QueryRows("SELECT SubTopicName FROM SubTopics WHERE SubTopicId = ?", {id}), QStringList{name});
        QCOMPARE(QueryRows("SELECT LksName || ' ' || LksUrl FROM Lks WHERE TopicId = ? ORDER BY LksId", {id}),
                 (QStringList{name + " " + name, "Jazzmen/" + name + " " + name + "/Jazzmen",
                              "Bebop/Jazzmen/" + name + " " + name + "/Jazzmen/Bebop",
                              "Clubs | Bars/" + name + " " + name + "/Clubs | Bars",
                              "Empty/" + name + " " + name + "/Empty"}));
        QCOMPARE(QueryCount("SELECT count(*) FROM LksSit JOIN Lks ON Lks.LksId = LksSit.LksId WHERE TopicId = ?",
                            {id}),
                 4);
    }
}

void TestSubTopicFile::linksLandOnlyInTheNewSubTopic()
{
    QVERIFY(SubTopicExport().write(m_app->path(), 3, 7, "Jazz", "Jazz"));
    openTarget();
    QCOMPARE(import("Jazz.qvs", 1), SubTopicImport::Status::Done);

    // "Jazz" of the Topic Other holds the same paths and keeps only its own link.
    QCOMPARE(QueryRows("SELECT Lks.TopicId, count(*) FROM LksSit JOIN Lks ON Lks.LksId = LksSit.LksId "
                       "GROUP BY Lks.TopicId ORDER BY Lks.TopicId"),
             (QStringList{"9|1", "10|4"}));

    // The same name in another case under that Topic refuses the file, and so does a name
    // that would break category paths.
    const QStringList counts = tableCounts();
    QCOMPARE(import("Jazz.qvs", 2, "JAZZ"), SubTopicImport::Status::Exists);
    QVERIFY(QFile::copy(m_app->file("Jazz.qvs"), m_app->file("Back\\slash.qvs")));
    QCOMPARE(import("Back\\slash.qvs", 1), SubTopicImport::Status::NameNotAllowed);
    QCOMPARE(tableCounts(), counts);
}

void TestSubTopicFile::windows1252FileIsRead()
{
    QCOMPARE(SubTopicFile::decode("Caf\xc3\xa9"), QString("Caf\u00e9"));
    QCOMPARE(SubTopicFile::decode("Caf\xe9 \x93" "Blue\x94 \x80"), QString("Caf\u00e9 \u201cBlue\u201d \u20ac"));

    m_app->writeFile("Wuerzburg.qvs", "<tree>\r\nW\xfcrzburg|W\xfcrzburg\r\nCaf\xe9/W\xfcrzburg|W\xfcrzburg/Caf\xe9\r\n"
                                      "</tree>\r\n<links>\r\nW\xfcrzburg/Caf\xe9|\x93" "Blue\x94|http://x.example/\r\n"
                                      "\r\n</links>\r\n");
    openTarget();
    QCOMPARE(import("Wuerzburg.qvs", 1), SubTopicImport::Status::Done);
    QCOMPARE(snapshot(10).mid(2), (QStringList{"Wuerzburg|Wuerzburg|1|0|N", "Caf\u00e9/Wuerzburg|Wuerzburg/Caf\u00e9|1|1|",
                                               "Wuerzburg/Caf\u00e9|\u201cBlue\u201d|http://x.example/"}));
}

void TestSubTopicFile::fileWithOnlyLinksGivesAnEmptySubTopic()
{
    m_app->writeFile("Bare.qvs", "<links>\n\n</links>\n");
    openTarget();
    QCOMPARE(import("Bare.qvs", 1), SubTopicImport::Status::Done);
    QCOMPARE(snapshot(10), (QStringList{"Bare||||||", "|||Bare", "Bare|Bare|1|0|N"}));
    for (const QString &table : SectionTables)
        QCOMPARE(QueryRows("SELECT group_concat(FieldName1 || FieldName2) FROM " + table + " WHERE topicid = 10"),
                 QStringList{"name1url1,name2url2,name3url3,name4url4,name5url5"});
}

void TestSubTopicFile::readOnlyEditionIsSaidInWords()
{
    QVERIFY(SubTopicExport().write(m_app->path(), 3, 7, "Jazz", "Jazz"));
    // The edition open as a write-protected file is.
    CloseDatabase();
    QSqlDatabase db = DbConnection();
    QUrl file = QUrl::fromLocalFile(m_app->file("source.mdb"));
    file.setQuery("mode=ro");
    db.setDatabaseName(file.toString(QUrl::FullyEncoded));
    db.setConnectOptions("QSQLITE_OPEN_URI");
    QVERIFY(db.open());
    const QStringList counts = tableCounts();
    SubTopicImport importer;
    QCOMPARE(import("Jazz.qvs", 3, "Jazz Again", &importer), SubTopicImport::Status::Failed);
    QVERIFY2(importer.lastError().contains("read-only") && !importer.lastError().contains("readonly"),
             qPrintable(importer.lastError()));
    QCOMPARE(tableCounts(), counts);
}

void TestSubTopicFile::brokenFileAddsNothingAndNamesTheLine_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");

    QStringList lines = JazzClubsFile;
    lines.removeAll("</tree>");
    QTest::newRow("section not closed") << lines << 36 << "the section <tree> has not ended before it";
    lines = JazzClubsFile;
    lines.insert(8, "stray text");
    QTest::newRow("line outside every section") << lines << 9 << "it stands outside every section";
    lines = JazzClubsFile;
    lines.insert(38, "Jazz Clubs/Nowhere|Lost|http://lost.example/");
    QTest::newRow("link without its category") << lines << 39 << "its category is not in the <tree> section";
    lines = JazzClubsFile;
    lines.insert(31, "Stray/Elsewhere|Elsewhere/Stray");
    QTest::newRow("category under another root") << lines << 32 << "its category does not lie under 'Jazz Clubs'";
    lines = JazzClubsFile.mid(0, JazzClubsFile.size() - 1);
    QTest::newRow("file ends early") << lines << 43 << "the file ends inside its <links> section";

    // Values the edition would not keep, or an export not write back, as the file holds them.
    const struct {
        const char *row;
        int line;
        const char16_t *text;
        const char16_t *reason;
    } values[] = {
        {"halves of a tree line disagree", 32, u"x/Jazz Clubs|Jazz Clubs/Jazzmen",
         u"the category 'Jazz Clubs/Jazzmen' has the reversed path 'x/Jazz Clubs', which is not its path reversed"},
        {"halves differ in letter case", 33, u"bebop/Jazzmen/Jazz Clubs|Jazz Clubs/Jazzmen/Bebop",
         u"the category 'Jazz Clubs/Jazzmen/Bebop' has the reversed path 'bebop/Jazzmen/Jazz Clubs', which is not its "
         u"path reversed"},
        {"CR in a category", 35, u"Em\rpty/Jazz Clubs|Jazz Clubs/Em\rpty",
         u"the category 'Jazz Clubs/Em\rpty' holds a line break"},
        {"CR in a header", 2, u"H\r1", u"the section header 'H\r1' holds a line break"},
        {"CR in a section link name", 13, u"A\r< B|x", u"the link name 'A\r< B' holds a line break"},
        {"CR in an address", 38, u"Jazz Clubs/Jazzmen|Ella|http://ella.example/\r?",
         u"the address 'http://ella.example/\r?' holds a line break"},
        {"U+FEFF first in a category", 32, u"\uFEFFJazzmen/Jazz Clubs|Jazz Clubs/\uFEFFJazzmen",
         u"the reversed path '\uFEFFJazzmen/Jazz Clubs' begins with U+FEFF, which the edition would not keep"},
        {"U+FFFE after a blank in a section link name", 10, u" \uFFFETom|http://a.example/",
         u"the link name '\uFFFETom' begins with U+FFFE, which the edition would not keep"},
        {"U+FEFF first in a link name", 38, u"Jazz Clubs/Jazzmen|\uFEFFElla|http://ella.example/",
         u"the link name '\uFEFFElla' begins with U+FEFF, which the edition would not keep"},
        {"CR in a colour", 28, u"FF0000|00\rFF00|0000FF|Jazz Clubs", u"the colour '00\rFF00' holds a line break"},
        {"U+FEFF first in a header", 7, u"\uFEFFH6", u"the section header '\uFEFFH6' begins with U+FEFF, which the "
                                                  u"edition would not keep"},
    };
    for (const auto &v : values) {
        lines = JazzClubsFile;
        // (QString::fromUtf8() would take a U+FEFF first for a byte order mark.)
        lines[v.line - 1] = QStringView(v.text).toString();
        QTest::newRow(v.row) << lines << v.line << QStringView(v.reason).toString();
    }
}

void TestSubTopicFile::brokenFileAddsNothingAndNamesTheLine()
{
    QFETCH(QStringList, lines);
    QFETCH(int, line);
    QFETCH(QString, reason);
    m_app->writeFile("Broken.qvs", crLf(lines));
    openTarget();
    const QStringList counts = tableCounts();
    SubTopicImport importer;
    QVERIFY(!importer.load(m_app->file("Broken.qvs")));
    QCOMPARE(importer.errorLine(), line);
    QCOMPARE(importer.lastError(), reason);
    QCOMPARE(importer.ImportSubTopicFile(1, "Broken"), SubTopicImport::Status::Unreadable);
    QCOMPARE(tableCounts(), counts);
}

// Imports the file; either nothing at all is added, or the whole Sub-Topic: its rows, five
// rows per section table, and every link filed in one of its own categories. Answers
// whether it was imported.
static bool importWholeOrNothing(const QString &path, const QString &name)
{
    const QStringList counts = tableCounts();
    const qint64 links = QueryCount("SELECT count(*) FROM LksSit");
    SubTopicImport importer;
    if (!importer.load(path)) {
        [&] { QCOMPARE(tableCounts(), counts); }();
        return false;
    }
    [&] {
        QCOMPARE(importer.ImportSubTopicFile(1, name), SubTopicImport::Status::Done);
        const qint32 id = importer.ImportedSubTopicId;
        QCOMPARE(QueryCount("SELECT count(*) FROM Lks WHERE TopicId = ?", {id}), importer.importedCategories() + 1);
        QCOMPARE(QueryCount("SELECT count(*) FROM LksSit") - links, importer.importedLinks());
        QCOMPARE(QueryCount("SELECT count(*) FROM LksSit JOIN Lks ON Lks.LksId = LksSit.LksId WHERE TopicId = ?", {id}),
                 importer.importedLinks());
        for (const QString &table : SectionTables)
            QCOMPARE(QueryCount("SELECT count(*) FROM " + table + " WHERE topicid = ?", {id}), 5);
    }();
    return true;
}

void TestSubTopicFile::truncatedFilesAreNeverHalfImported()
{
    openTarget();
    const QByteArray whole = crLf(JazzClubsFile);
    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        m_app->writeFile("Cut.qvs", whole.left(cut));
        const bool imported = importWholeOrNothing(m_app->file("Cut.qvs"), QString("Cut %1").arg(cut));
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QString("cut at byte %1").arg(cut)));
        // Only the last line's end may be missing.
        QCOMPARE(imported, cut >= whole.size() - 2);
    }
}

void TestSubTopicFile::shuffledFilesAreNeverHalfImported()
{
    openTarget();
    QRandomGenerator random(15);
    int imported = 0;
    for (int round = 0; round < 200; ++round) {
        QStringList lines = JazzClubsFile;
        if (round % 4 == 0) {
            std::shuffle(lines.begin(), lines.end(), random);
        } else {
            lines.swapItemsAt(random.bounded(int(lines.size())), random.bounded(int(lines.size())));
        }
        m_app->writeFile("Shuffled.qvs", crLf(lines));
        imported += importWholeOrNothing(m_app->file("Shuffled.qvs"), QString("Copy %1").arg(round));
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(lines.join("\n")));
    }
    // Swaps within a section still make whole files.
    QVERIFY(imported > 0);
}

// The Sub-Topic "Sport" (id 9, root row 50) of the Topic "Music" with the rows given: what
// the program writes it reads back to the same rows, or the export refuses the value the
// file cannot carry, by name, and writes nothing.
void TestSubTopicFile::exportReadsBackOrRefusesByName_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("refusal");

    const QString cannot = "' cannot be written to a Sub-Topic file: ";
    QTest::newRow("leading blank under a path holding |")
        << QStringList{"INSERT INTO Lks VALUES (51, 'News|Sports/Sport', 'Sport/News|Sports', 9, 1, 1, '', '')",
                       "INSERT INTO Lks VALUES (52, ' Cricket/News|Sports/Sport', 'Sport/News|Sports/ Cricket', 9, 1, 1, '', '')",
                       "INSERT INTO Sit VALUES (600, 'Scores', 'http://s.example/', '')",
                       "INSERT INTO LksSit VALUES (52, 600, 1)"}
        << "";
    QTest::newRow("trailing blank, | in names")
        << QStringList{"INSERT INTO Lks VALUES (51, 'News |/Sport', 'Sport/News |', 9, 1, 1, '', '')",
                       "INSERT INTO Sit VALUES (600, 'a | b', 'http://s.example/', '')",
                       "INSERT INTO Sit VALUES (601, '|', '', '')",
                       "INSERT INTO LksSit VALUES (51, 600, 1)", "INSERT INTO LksSit VALUES (51, 601, 601)"}
        << "";
    const QStringList aAndAx = {"INSERT INTO Lks VALUES (51, 'a/Sport', 'Sport/a', 9, 1, 1, '', '')",
                                "INSERT INTO Lks VALUES (52, 'a|x/Sport', 'Sport/a|x', 9, 1, 1, '', '')",
                                "INSERT INTO Sit VALUES (600, 'x|y', 'http://s.example/', '')"};
    QTest::newRow("a|x, link x|y in a|x") << aAndAx + QStringList{"INSERT INTO LksSit VALUES (52, 600, 1)"} << "";
    QTest::newRow("a|x, link y in a")
        << aAndAx + QStringList{"UPDATE Sit SET SitName = 'y'", "INSERT INTO LksSit VALUES (51, 600, 1)"} << "";
    QTest::newRow("a|x, link x|y in a")
        << aAndAx + QStringList{"INSERT INTO LksSit VALUES (51, 600, 1)"}
        << "The link name 'x|y" + cannot + "in the category Sport/a it would be read as a link of the category Sport/a|x.";
    QTest::newRow("A and a, link in a")
        << QStringList{"INSERT INTO Lks VALUES (51, 'A/Sport', 'Sport/A', 9, 1, 1, '', '')",
                       "INSERT INTO Lks VALUES (52, 'a/Sport', 'Sport/a', 9, 1, 1, '', '')",
                       "INSERT INTO Sit VALUES (600, 'Tab	bed', 'http://s.example/', '')",
                       "INSERT INTO LksSit VALUES (52, 600, 1)"}
        << "The link name 'Tab	bed" + cannot + "in the category Sport/a it would be read as a link of the category Sport/A.";
    QTest::newRow("Z and z, link in z")
        << QStringList{"INSERT INTO Lks VALUES (51, 'Z/Sport', 'Sport/Z', 9, 1, 1, '', '')",
                       "INSERT INTO Lks VALUES (52, 'z/Sport', 'Sport/z', 9, 1, 1, '', '')",
                       "INSERT INTO Sit VALUES (600, 'Site', 'http://s.example/', '')",
                       "INSERT INTO LksSit VALUES (52, 600, 1)"}
        << "The link name 'Site" + cannot + "in the category Sport/z it would be read as a link of the category Sport/Z.";
    // The characters next to the letters differ as "A" and "a" do, but are not letters.
    for (const auto &[upper, lower] : {std::pair{"@", "`"}, std::pair{"[", "{"}})
        QTest::addRow("%s and %s, link in %s", upper, lower, lower)
            << QStringList{QString("INSERT INTO Lks VALUES (51, '%1/Sport', 'Sport/%1', 9, 1, 1, '', '')").arg(upper),
                           QString("INSERT INTO Lks VALUES (52, '%1/Sport', 'Sport/%1', 9, 1, 1, '', '')").arg(lower),
                           "INSERT INTO Sit VALUES (600, 'Site', 'http://s.example/', '')",
                           "INSERT INTO LksSit VALUES (52, 600, 1)"}
            << "";
    QTest::newRow("% and two hex digits in names")
        << QStringList{"INSERT INTO Lks VALUES (51, 'News%7CSports/Sport', 'Sport/News%7CSports', 9, 1, 1, '', '')",
                       "INSERT INTO Sit VALUES (600, 'x%7cy', 'http://s.example/?q=%7C', '')",
                       "INSERT INTO LksSit VALUES (51, 600, 1)",
                       "INSERT INTO NewsLinks VALUES (9, 'a%7Cb', 'http://n.example/%7c', 'name1', 'url1')"}
        << "";
    QTest::newRow("U+FEFF inside names")
        << QStringList{"INSERT INTO Lks VALUES (51, 'Ne' || char(65279) || 'ws/Sport', 'Sport/Ne' || char(65279) || 'ws', "
                       "9, 1, 1, '', '')",
                       "INSERT INTO NewsLinks VALUES (9, 'a' || char(65279), 'http://n.example/', 'name1', 'url1')"}
        << "";
    QTest::newRow("section link name of a blank and U+FEFF")
        << QStringList{"INSERT INTO NewsLinks VALUES (9, ' ' || char(65279) || 'b', 'http://n.example/', 'name1', 'url1')"}
        << "The link name '\uFEFFb" + cannot + "it begins with U+FEFF, which the edition it is imported into would not "
                                               "keep.";
    QTest::newRow("header of a blank and U+FEFF")   // headers are written as they stand
        << QStringList{"UPDATE SubTopics SET Header3 = ' ' || char(65279) || 'x' WHERE SubTopicId = 9"} << "";
    QTest::newRow("category beginning with U+FEFF")
        << QStringList{"INSERT INTO Lks VALUES (51, char(65279) || 'News/Sport', 'Sport/' || char(65279) || 'News', 9, 1, "
                       "1, '', '')"}
        << "The reversed path '\uFEFFNews/Sport" + cannot + "it begins with U+FEFF, which the edition it is imported "
                                                           "into would not keep.";
    QTest::newRow("category with a line break")
        << QStringList{"INSERT INTO Lks VALUES (51, 'News' || char(13, 10) || '/Sport', 'Sport/News' || char(13, 10), "
                       "9, 1, 1, '', '')"}
        << "The category 'Sport/News\r\n" + cannot + "it holds a line break.";
    QTest::newRow("reversed path not the path reversed")
        << QStringList{"INSERT INTO Lks VALUES (51, 'Old/Sport', 'Sport/News', 9, 1, 1, '', '')"}
        << "The category 'Sport/News" + cannot + "its reversed path (Old/Sport) is not its path reversed.";
    QTest::newRow("second row without /") << QStringList{"INSERT INTO Lks VALUES (51, 'Loose', 'Loose', 9, 1, 1, '', '')"}
                                          << "The category 'Loose" + cannot + "it does not lie below the Sub-Topic.";
    QTest::newRow("header with a line break")
        << QStringList{"UPDATE SubTopics SET Header2 = 'two' || char(10) || 'lines' WHERE SubTopicId = 9"}
        << "The section header 2 'two\nlines" + cannot + "it holds a line break.";
    // A table or a row that cannot be read refuses the export, never writes less.
    for (const char *table : {"SubTopics", "NewsLinks", "ColorLinks", "Lks"})
        QTest::addRow("%s unreadable", table) << QStringList{QString("ALTER TABLE %1 RENAME TO Kept").arg(table)}
                                              << QString("no such table: %1 Unable to execute statement").arg(table);
    const QStringList twoLinks = {"INSERT INTO Lks VALUES (51, 'News/Sport', 'Sport/News', 9, 1, 1, '', '')",
                                  "INSERT INTO Sit VALUES (600, 'One', 'http://1.example/', '')",
                                  "INSERT INTO Sit VALUES (601, 'Two', 'http://2.example/', '')",
                                  "INSERT INTO LksSit VALUES (51, 600, 1)", "INSERT INTO LksSit VALUES (51, 601, 2)",
                                  "ALTER TABLE Sit RENAME TO SitRows"};
    QTest::newRow("links unreadable") << twoLinks << "no such table: Sit Unable to execute statement";
    QTest::newRow("second link unreadable")
        << twoLinks + QStringList{"CREATE VIEW Sit AS SELECT SitId, CASE WHEN SitId = 601 THEN "
                                  "abs(-9223372036854775807 - 1) ELSE SitName END AS SitName, SitUrl FROM SitRows"}
        << "integer overflow Unable to fetch row";
    QTest::newRow("colour with a line break") << QStringList{"UPDATE ColorLinks SET color1 = 'AA' || char(10)"}
                                              << "The colour 'AA\n" + cannot + "it holds a line break.";
    QTest::newRow("colour holding |") << QStringList{"UPDATE ColorLinks SET color2 = 'AA|BB' WHERE TopicId = 9"}
                                      << "The colour 'AA|BB" + cannot + "it holds \"|\".";
    QTest::newRow("section link name with a line break")
        << QStringList{"INSERT INTO NewsLinks VALUES (9, 'Two' || char(13) || 'lines', 'http://n.example/', 'name1', "
                       "'url1')"}
        << "The link name 'Two\rlines" + cannot + "it holds a line break.";
    QTest::newRow("address with a line break")
        << QStringList{"INSERT INTO Lks VALUES (51, 'News/Sport', 'Sport/News', 9, 1, 1, '', '')",
                       "INSERT INTO Sit VALUES (600, 'Scores', 'http://s.example/' || char(10), '')",
                       "INSERT INTO LksSit VALUES (51, 600, 1)"}
        << "The address 'http://s.example/\n" + cannot + "it holds a line break.";
}

void TestSubTopicFile::exportReadsBackOrRefusesByName()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, refusal);
    for (const QString &sql : QStringList{"INSERT INTO SubTopics VALUES (9, 3, 'Sport', 'H1', '', 'H3', 'H4', 'H5', 'H6')",
                                          "INSERT INTO ColorLinks VALUES (9, 'FF0000', '00FF00', '0000FF', 'Sport')",
                                          "INSERT INTO Lks VALUES (50, 'Sport', 'Sport', 9, 1, 0, 'N', '')"}
                                  + rows)
        QVERIFY2(ExecSql(sql), qPrintable(sql));
    const QStringList expected = snapshot(9);

    SubTopicExport exporter;
    QCOMPARE(exporter.write(m_app->path(), 3, 9, "Sport", "Sport"), refusal.isEmpty());
    QCOMPARE(exporter.lastError(), refusal);
    QCOMPARE(QFile::exists(m_app->file("Sport.qvs")), refusal.isEmpty());
    if (!refusal.isEmpty())
        return;
    openTarget();
    SubTopicImport importer;
    QCOMPARE(import("Sport.qvs", 3, QString(), &importer), SubTopicImport::Status::Done);
    QCOMPARE(snapshot(importer.ImportedSubTopicId), expected);
}

// Every character and name the export and the import refuse, and their neighbours.
void TestSubTopicFile::namesRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exported");
    QTest::addColumn<bool>("imported");

    for (const char *c : {"'", "<", ">", "\"", "/", "\\"})
        QTest::addRow("%s", c) << QString("A%1B").arg(c) << false << false;
    QTest::newRow("|") << "A|B" << false << false;
    for (const char16_t c : {u'\0', u'\t', u'\n', u'\r', u'\x1f', u'\x7f', u'\x80', u'\x9f'})
        QTest::addRow("U+%04X", unsigned(c)) << "A" + QString(QChar(c)) + "B" << false << false;
    for (const char16_t c : {u'\ufeff', u'\ufffe'}) {
        QTest::addRow("U+%04X first", unsigned(c)) << QString(QChar(c)) + "AB" << false << false;
        QTest::addRow("U+%04X inside", unsigned(c)) << "A" + QString(QChar(c)) + "B" << true << true;
    }
    for (const char16_t c : {u'\ufefe', u'\ufffd'})
        QTest::addRow("U+%04X first", unsigned(c)) << QString(QChar(c)) + "AB" << true << true;
    QTest::newRow("blank first") << " A" << true << false;   // the export trims it
    QTest::newRow("blank last") << "A " << true << false;
    QTest::newRow("empty") << "" << true << false;   // the export stops without a word
    QTest::newRow("blanks") << "   " << true << false;
    for (const char *name : {"A_B", "A-B", "A&B", "A%B", "A.B", "A;B", "A:B", "A?B", "A*B", "1234", "A B"})
        QTest::addRow("%s", name) << QString(name) << true << true;
    QTest::newRow("U+00A0") << "A\u00a0B" << true << true;
    QTest::newRow("U+00E9") << "Caf\u00e9" << true << true;
    QTest::newRow("U+2028") << "A\u2028B" << true << true;
}

void TestSubTopicFile::namesRefused()
{
    QFETCH(QString, name);
    QFETCH(bool, exported);
    QFETCH(bool, imported);
    QCOMPARE(SubTopicExport::nameAllowed(name), exported);

    m_app->writeFile("Bare.qvs", "<links>\r\n\r\n</links>\r\n");
    const QStringList before = EditionSnapshot();
    SubTopicImport importer;
    QVERIFY(importer.load(m_app->file("Bare.qvs")));
    QCOMPARE(importer.ImportSubTopicFile(3, name),
             imported ? SubTopicImport::Status::Done : SubTopicImport::Status::NameNotAllowed);
    if (!imported)
        QCOMPARE(EditionSnapshot(), before);
}

void TestSubTopicFile::linkLineOfManyBarsIsRefusedInLinearTime()
{
    m_app->writeFile("Bars.qvs", "<tree>\r\nR|R\r\n</tree>\r\n<links>\r\n" + QByteArray(1 << 20, '|')
                                     + "\r\n</links>\r\n");
    // Linear reading takes a fraction of a second; a quadratic one takes minutes.
    QVERIFY(RunInChildWithin(5, [this] {
        SubTopicImport importer;
        return !importer.load(m_app->file("Bars.qvs")) && importer.errorLine() == 5
               && importer.lastError() == "its category is not in the <tree> section";
    }));
}

void TestSubTopicFile::importAtTheIdLimit_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("added");

    const QByteArray root = "<tree>\r\nR|R\r\n";
    const QByteArray links = "</tree>\r\n<links>\r\n";
    const QByteArray end = "\r\n</links>\r\n";
    const QString lastLks = "INSERT INTO Lks VALUES (2147483646, 'X/Jazz', 'Jazz/X', 9, 1, 1, '', '')";
    const QString lastSit = "INSERT INTO Sit VALUES (2147483646, 'Last', 'http://last.example/', '')";
    QTest::newRow("root at the last category id")
        << QStringList{lastLks} << root + links + end << ""
        << QStringList{"2147483647|R|0"};
    QTest::newRow("one category past the limit")
        << QStringList{lastLks} << root + "C/R|R/C\r\n" + links + end << "The edition has no ids left in the table Lks."
        << QStringList{};
    QTest::newRow("link at the last link id")
        << QStringList{lastSit} << root + links + "R|A|http://a.example/\r\n" + end << ""
        << QStringList{"42|R|1", "2147483647|A|501"};
    QTest::newRow("two links past the limit")
        << QStringList{lastSit} << root + links + "R|A|http://a.example/\r\nR|B|http://b.example/\r\n" + end
        << "The edition has no ids left in the table Sit." << QStringList{};
    QTest::newRow("sequence past the limit")
        << QStringList{"INSERT INTO LksSit VALUES (41, 2147483647, 1)"} << root + links + "R|A|http://a.example/\r\n" + end
        << "The edition has no ids left in the table LksSit." << QStringList{};
    // The last sequence that cannot be read, and categories that cannot be written when
    // rows left under the new id already hold the root.
    QTest::newRow("last sequence unreadable")
        << QStringList{"ALTER TABLE LksSit RENAME TO Kept",
                       "CREATE VIEW LksSit AS SELECT * FROM Kept WHERE abs(-9223372036854775807 - 1)"}
        << root + links + "R|A|http://a.example/\r\n" + end << "integer overflow Unable to fetch row" << QStringList{};
    QTest::newRow("categories a view")
        << QStringList{"ALTER TABLE Lks RENAME TO Kept", "CREATE VIEW Lks AS SELECT * FROM Kept",
                       "INSERT INTO Kept VALUES (60, 'Left', 'Left', 10, 1, 1, '', '')"}
        << root + links + end << "cannot modify Lks because it is a view Unable to execute statement"
        << QStringList{};
}

void TestSubTopicFile::importAtTheIdLimit()
{
    QFETCH(QStringList, rows);
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QFETCH(QStringList, added);
    m_app->writeFile("R.qvs", file);
    openTarget();
    for (const QString &sql : rows)
        QVERIFY2(ExecSql(sql), qPrintable(sql));
    const QStringList before = EditionSnapshot();

    SubTopicImport importer;
    QCOMPARE(import("R.qvs", 1, QString(), &importer),
             error.isEmpty() ? SubTopicImport::Status::Done : SubTopicImport::Status::Failed);
    QCOMPARE(importer.lastError(), error);
    if (!error.isEmpty()) {
        QCOMPARE(EditionSnapshot(), before);
        return;
    }
    // The new root (id, name, holds links) and each new link (id, name, sequence).
    QCOMPARE(QueryRows("SELECT LksId, LksUrl, IsLeaf FROM Lks WHERE TopicId = 10")
                 + QueryRows("SELECT Sit.SitId, SitName, Seq FROM LksSit JOIN Sit ON Sit.SitId = LksSit.SitId "
                             "JOIN Lks ON Lks.LksId = LksSit.LksId WHERE TopicId = 10"),
             added);
}

void TestSubTopicFile::importRefusedHalfWayChangesNothing_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("allowed");
    QTest::addColumn<int>("operations");

    for (const QString &table : QStringList{"SubTopics", "ColorLinks"} + SectionTables)
        QTest::newRow(qPrintable(table)) << table << 0 << int(WriteFault::Insert);
    QTest::newRow("third NewsLinks row") << "NewsLinks" << 2 << int(WriteFault::Insert);
    QTest::newRow("root") << "Lks" << 0 << int(WriteFault::Insert);
    QTest::newRow("fourth category") << "Lks" << 4 << int(WriteFault::Insert);
    QTest::newRow("second link") << "Sit" << 1 << int(WriteFault::Insert);
    QTest::newRow("last filing") << "LksSit" << 3 << int(WriteFault::Insert);
    QTest::newRow("root holds links") << "Lks" << 0 << int(WriteFault::Update);
    QTest::newRow("refused at the commit") << "Sit" << -1 << int(WriteFault::Insert);
    // No operations: the table is a view, which takes no rows, or none at all.
    for (const char *table : {"NewsLinks", "Sit", "LksSit"})
        QTest::addRow("%s a view", table) << table << 0 << 0;
    QTest::newRow("LksSit gone") << "LksSit" << -1 << 0;
}

void TestSubTopicFile::importRefusedHalfWayChangesNothing()
{
    QFETCH(QString, table);
    QFETCH(int, allowed);
    QFETCH(int, operations);
    QStringList file = JazzClubsFile;
    file.insert(file.indexOf("</links>") - 1, "Jazz Clubs|Root link|http://root.example/");
    m_app->writeFile("Jazz_Clubs.qvs", crLf(file));
    openTarget();
    if (!operations)
        QVERIFY(ExecSql("ALTER TABLE " + table + " RENAME TO Kept")
                && (allowed < 0 || ExecSql("CREATE VIEW " + table + " AS SELECT * FROM Kept")));
    const QStringList before = EditionSnapshot();
    QVERIFY(!operations || (allowed < 0 ? WriteFault::armCommit(table) : WriteFault::arm(table, allowed, operations)));
    SubTopicImport importer;
    QCOMPARE(import("Jazz_Clubs.qvs", 1, QString(), &importer), SubTopicImport::Status::Failed);
    WriteFault::disarm();
    const QString message = !operations ? (allowed < 0 ? "no such table: " : "cannot modify ") + table
                            : allowed < 0 ? WriteFault::commitMessage() : WriteFault::message();
    QVERIFY2(importer.lastError().contains(message), qPrintable(importer.lastError()));
    QCOMPARE(EditionSnapshot(), before);
}

QTEST_MAIN(TestSubTopicFile)
#include "tst_subtopic_file.moc"
