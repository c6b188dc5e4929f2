// The generated Sub-Topic page: page data, style sheet, padding of the sections, the
// transform and what the page shows.

#include "pages/topic_page_builder.h"
#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "testhelper.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A program folder with an empty edition open and Sub-Topic 7 ("Rock Music") shown.
struct PageFixture {
    TestProgramFolder folder;
    TopicPageBuilder builder;

    PageFixture()
    {
        folder.makeEdition(QStringLiteral("pages.mdb"));
        OpenEdition(QStringLiteral("pages.mdb"));
        CurrentSubTopicId = 7;
        CurrentPageFile = PageFileName(QStringLiteral("Rock Music"), 7);
    }
    QString text(const QString &name) const { return QString::fromUtf8(folder.readFile(name)); }
};

void addRow(const QString &table, qint32 topic, const QVariant &name, const QVariant &url, const QString &key1,
            const QString &key2)
{
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO %1 (topicid, LinkName, LinkUrl, FieldName1, FieldName2) "
                                   "VALUES (?, ?, ?, ?, ?)").arg(table),
                    {topic, name, url, key1, key2}));
}

// Shows the page made last in a browser of width x height at zoom, runs script on it once
// it has loaded and answers what the script gave; an invalid value when either timed out.
QVariant scriptOnPage(WebBrowser &results, int width, int height, double zoom, const QString &script)
{
    QSignalSpy loaded(&results, &WebBrowser::DocumentComplete);
    results.resize(width, height);
    results.show();
    results.setZoomFactor(zoom);
    results.Navigate(GetAppPath() + CurrentPageFile);
    if (!loaded.wait(PageLoadTimeoutMs))
        return QVariant();
    QVariant answer;
    bool answered = false;
    results.page()->runJavaScript(script, [&](const QVariant &v) {
        answer = v;
        answered = true;
    });
    return QTest::qWaitFor([&] { return answered; }, PageLoadTimeoutMs) ? answer : QVariant();
}

QString lines(const QList<QPair<int, QString>> &layout)
{
    QString out;
    for (const auto &[blanks, text] : layout)
        out += QString(blanks, QLatin1Char(' ')) + text + QLatin1String("\r\n");
    return out;
}

} // namespace

class TestTopicPage : public QObject
{
    Q_OBJECT

private slots:
    void pageFileNames_data();
    void pageFileNames();
    void escaping_data();
    void escaping();

    void linksXmlWorkedExample();
    void linksXmlRowsAndFieldKinds();
    void fieldTypeNames();

    void stylesheetReplacements_data();
    void stylesheetReplacements();
    void shippedTemplateCaptions();

    void padding_data();
    void padding();

    void pageShowsLinksAndColours();
    void pageSurvivesAwkwardText();
    void pageDrawsOnlySchemeColours();
    void headersHoldTheirButtons_data();
    void headersHoldTheirButtons();
    void failedTransformKeepsPreviousPage();
    void missingTemplateIsReported();
    void stylesheetCannotWriteFiles();
};

void TestTopicPage::pageFileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("file");
    QTest::newRow("blanks") << "Rock Music" << 12 << "Rock_Music_12.html";
    QTest::newRow("sports 11") << "Sports" << 11 << "Sports_11.html";
    QTest::newRow("sports1 1") << "Sports1" << 1 << "Sports1_1.html";
    QTest::newRow("separators") << "a/b\\c" << 3 << "a_b_c_3.html";
}

void TestTopicPage::pageFileNames()
{
    QFETCH(QString, name);
    QFETCH(int, id);
    QFETCH(QString, file);
    QCOMPARE(PageFileName(name, id), file);
}

void TestTopicPage::escaping_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("written");
    QTest::newRow("bare &") << "Fish & Chips" << "Fish &amp; Chips";
    QTest::newRow("entity kept") << "Fish &amp; Chips" << "Fish &amp; Chips";
    QTest::newRow("entity and bare &") << "A &amp; B & C" << "A &amp; B &amp; C";
    QTest::newRow("lt entity kept") << "a &lt; b" << "a &lt; b";
    QTest::newRow("raw <>") << "a < b > c" << "a &lt; b &gt; c";
    QTest::newRow("char refs") << "&#38;&#x26;" << "&#38;&#x26;";
    QTest::newRow("bad char ref") << "&#0;" << "&amp;#0;";
    QTest::newRow("unknown entity") << "&nbsp;" << "&amp;nbsp;";
    QTest::newRow("query") << "list.htm?a=1&b=2" << "list.htm?a=1&amp;b=2";
    QTest::newRow("control char") << QString("a") + QChar(1) + "b" << "a b";
    QTest::newRow("non-ascii") << "Café Ünïcode ✓" << "Café Ünïcode ✓";
}

void TestTopicPage::escaping()
{
    QFETCH(QString, stored);
    QFETCH(QString, written);
    QCOMPARE(EscapeXmlText(stored), written);
}

void TestTopicPage::linksXmlWorkedExample()
{
    PageFixture f;
    addRow("NewsLinks", 7, "Fish &amp; Chips", "menu/list.htm?a=1&b=2", "name1", "url1");
    addRow("NewsLinks", 8, "Other Sub-Topic", "x", "name1", "url1");
    QVERIFY(f.builder.WriteLinksXml("tbhome.xml", "tp"));

    const auto empty = [](const char *name) {
        return QList<QPair<int, QString>>{{5, QStringLiteral("<%1>").arg(name)}, {5, QStringLiteral("</%1>").arg(name)}};
    };
    QList<QPair<int, QString>> expected = {{0, "<?xml version=\"1.0\"?>"}, {0, "<TP>"}};
    expected += empty("COLORLINKS");
    expected += empty("FAVORITELINKS");
    expected += empty("LOCALLINKS");
    expected += QList<QPair<int, QString>>{
        {5, "<NEWSLINKS>"},
        {10, "<RECORD>"},
        {15, "<TOPICID Type= 'Integer'> 7 </TOPICID>"},
        {15, "<LINKNAME Type= 'Text'>"}, {15, "Fish &amp; Chips"}, {15, "</LINKNAME>"},
        {15, "<LINKURL Type= 'Text'>"}, {15, "menu/list.htm?a=1&amp;b=2"}, {15, "</LINKURL>"},
        {15, "<FIELDNAME1 Type= 'Text'>"}, {15, "name1"}, {15, "</FIELDNAME1>"},
        {15, "<FIELDNAME2 Type= 'Text'>"}, {15, "url1"}, {15, "</FIELDNAME2>"},
        {10, "</RECORD>"},
        {5, "</NEWSLINKS>"}};
    expected += empty("ORGANIZATIONLINKS");
    expected += empty("RELATEDLINKS");
    expected += empty("SEARCHLINKS");
    expected += {0, "</TP>"};

    const QStringList got = f.text("tbhome.xml").split("\r\n");
    const QStringList want = lines(expected).split("\r\n");
    for (int i = 0; i < qMin(got.size(), want.size()); ++i)
        QCOMPARE(got.at(i), want.at(i));
    QCOMPARE(got.size(), want.size());
    QCOMPARE(f.builder.lastXmlPath(), f.folder.file("tbhome.xml"));
}

void TestTopicPage::linksXmlRowsAndFieldKinds()
{
    PageFixture f;
    for (int i = 1; i <= 7; ++i)
        addRow("SearchLinks", 7, QStringLiteral("S%1").arg(i), QVariant(), QStringLiteral("name%1").arg(i), "url");
    QVERIFY(ExecSql("INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) VALUES (7, 'bb99bb', "
                    "'aa33ee', '8a2be2', 'Rock Music')"));
    // A table of another layout: a picture column, a column of a type without a name,
    // and an empty number.
    QVERIFY(ExecSql("CREATE TABLE ExtraLinks (topicid INTEGER, Picture BLOB, Odd WEIRDTYPE, Amount INTEGER)"));
    QVERIFY(ExecSql("INSERT INTO ExtraLinks VALUES (7, x'0102', 'odd', NULL)"));
    QVERIFY(ExecSql("CREATE TABLE Unrelated (topicid INTEGER)"));
    QVERIFY(f.builder.WriteLinksXml("tbhome.xml", "tp"));
    const QString xml = f.text("tbhome.xml");

    const QString search = xml.section("<SEARCHLINKS>", 1).section("</SEARCHLINKS>", 0, 0);
    QCOMPARE(search.count("<RECORD>"), 5);
    QVERIFY(search.contains("S5") && !search.contains("S6"));
    QVERIFY(search.contains("<LINKURL Type= 'Text'>\r\n" + QString(15, ' ') + "\r\n"));

    QVERIFY(xml.contains("<TOPICID Type= 'Long Ineger'> 7 </TOPICID>"));
    QVERIFY(xml.contains("<TOPICNAME Type= 'Text'>\r\n" + QString(15, ' ') + "Rock Music\r\n"));
    QVERIFY(xml.contains("<EXTRALINKS>"));
    QVERIFY(!xml.contains("PICTURE"));
    QVERIFY(xml.contains(QString(15, ' ') + "<ODD Type= 'Unknown'> </ODD>\r\n"));
    QVERIFY(xml.contains("<AMOUNT Type= 'Long Ineger'>  </AMOUNT>"));
    QVERIFY(!xml.contains("UNRELATED"));
}

void TestTopicPage::fieldTypeNames()
{
    const QList<QPair<int, QString>> names = {
        {2, "Integer"}, {3, "Long Ineger"}, {4, "Single"}, {5, "Double"}, {6, "Currency"}, {7, "Date/Time"},
        {11, "Yes/No"}, {17, "Byte"}, {72, "Replication ID"}, {202, "Text"}, {203, "Memo"}, {205, "OLE Object"},
        {0, "Unknown"}, {1, "Unknown"}, {204, "Unknown"}, {-3, "Unknown"}};
    for (const auto &[code, name] : names)
        QCOMPARE(TopicPageBuilder::FieldTypeName(code), name);
    QCOMPARE(TopicPageBuilder::FieldTypeCode("NewsLinks", "topicid", "INTEGER"), 2);
    QCOMPARE(TopicPageBuilder::FieldTypeCode("ColorLinks", "TopicId", "INTEGER"), 3);
    QCOMPARE(TopicPageBuilder::FieldTypeCode("X", "a", "varchar(30)"), 202);
    QCOMPARE(TopicPageBuilder::FieldTypeCode("X", "a", ""), 0);
}

void TestTopicPage::stylesheetReplacements_data()
{
    QTest::addColumn<QString>("templ");
    QTest::addColumn<QStringList>("captions");   // caption 1..6 and the sponsor text
    QTest::addColumn<QString>("result");
    const QStringList plain = {"C1", "C2", "C3", "C4", "C5", "C6", ""};
    QTest::newRow("twice on a line") << "Popular Websites | Popular Websites\n" << plain << "C5 | C5\r\n\r\n";
    QTest::newRow("other case stays") << "popular websites\n" << plain << "popular websites\r\n\r\n";
    QTest::newRow("all seven") << "Information Websites,Search Websites,Organization Websites,Related Websites,"
                                  "Popular Websites,Local Websites,Sponsor Link\r\n"
                               << plain << "C1,C2,C3,C4,C5,C6,\r\n\r\n";
    QTest::newRow("chained") << "Search Websites\n"
                             << QStringList{"C1", "Information Websites", "C3", "C4", "C5", "C6", ""} << "C1\r\n\r\n";
    QTest::newRow("empty caption") << "<h2>Local Websites</h2>\n"
                                   << QStringList{"C1", "C2", "C3", "C4", "C5", "", ""} << "<h2></h2>\r\n\r\n";
    QTest::newRow("sponsor text") << "Sponsor Link\n" << QStringList{"", "", "", "", "", "", "Ads"} << "Ads\r\n\r\n";
    QTest::newRow("empty template") << "" << plain << "\r\n";
    QTest::newRow("escaped caption") << "Information Websites\n"
                                     << QStringList{"News & Views <\"'>", "", "", "", "", "", ""}
                                     << "News &amp; Views &lt;&quot;&apos;&gt;\r\n\r\n";
    QTest::newRow("non-ascii") << "Related Websites\n" << QStringList{"", "", "", "Musique française", "", "", ""}
                               << "Musique française\r\n\r\n";
}

void TestTopicPage::stylesheetReplacements()
{
    QFETCH(QString, templ);
    QFETCH(QStringList, captions);
    QFETCH(QString, result);
    PageFixture f;
    f.folder.writeFile("mytemplate.xsl", templ.toUtf8());
    QVERIFY(f.builder.BuildPageStylesheet("mytemplate.xsl", captions[0], captions[1], captions[2], captions[3],
                                          captions[4], captions[5], captions[6]));
    QCOMPARE(f.text("tp.xsl"), result);
}

void TestTopicPage::shippedTemplateCaptions()
{
    PageFixture f;
    const QString master = f.text("tpmaster.xsl");
    const QStringList defaults = {"Information Websites", "Search Websites", "Organization Websites",
                                  "Related Websites", "Popular Websites", "Local Websites", "Sponsor Link"};
    for (const QString &caption : defaults)
        QCOMPARE(master.count(caption), 1);

    QVERIFY(f.builder.BuildPageStylesheet("tpmaster.xsl", "Cap One", "Cap Two", "Cap Three", "Cap Four",
                                          "Cap Five", "Cap Six", "Sponsored by Us"));
    const QString sheet = f.text("tp.xsl");
    for (const QString &caption : defaults)
        QVERIFY2(!sheet.contains(caption), qPrintable(caption));
    for (const char *caption : {"Cap One", "Cap Two", "Cap Three", "Cap Four", "Cap Five", "Cap Six",
                                   "Sponsored by Us"})
        QCOMPARE(sheet.count(caption), 1);
    QVERIFY(sheet.endsWith("\r\n\r\n"));
    QVERIFY(!QString(sheet).remove("\r\n").contains('\n'));
}

void TestTopicPage::padding_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QStringList>("keysAfter");
    QTest::newRow("no rows") << QStringList{} << QStringList{"name1", "name2", "name3", "name4", "name5"};
    QTest::newRow("three rows 1-3") << QStringList{"name1", "name2", "name3"}
                                    << QStringList{"name1", "name2", "name3", "name4", "name5"};
    QTest::newRow("three rows gaps") << QStringList{"name2", "name4", "name5"}
                                     << QStringList{"name2", "name4", "name5", "name1", "name3"};
    QTest::newRow("five rows") << QStringList{"name1", "name2", "name3", "name4", "name5"}
                               << QStringList{"name1", "name2", "name3", "name4", "name5"};
    QTest::newRow("seven rows") << QStringList{"a", "b", "c", "d", "e", "f", "g"}
                                << QStringList{"a", "b", "c", "d", "e", "f", "g"};
}

void TestTopicPage::padding()
{
    QFETCH(QStringList, existing);
    QFETCH(QStringList, keysAfter);
    PageFixture f;
    for (const QString &key : existing)
        addRow("LocalLinks", 7, "Mine " + key, "http://example.com/" + key, key, "url" + key.right(1));
    addRow("LocalLinks", 9, "Elsewhere", QVariant(), "name1", "url1");
    QVERIFY(f.builder.BuildPageStylesheet("tpmaster.xsl", "1", "2", "3", "4", "5", "6", ""));
    QVERIFY(f.builder.PrepareTopicHomePage(7));

    const QString select = "SELECT %1 FROM LocalLinks WHERE topicid = ? ORDER BY rowid";
    QCOMPARE(QueryRows(select.arg("FieldName1"), {7}), keysAfter);
    for (const QString &table : SectionLinkTables())
        QCOMPARE(QueryCount(QString("SELECT count(*) FROM %1 WHERE topicid = 7").arg(table)),
                 table == "LocalLinks" ? qint64(keysAfter.size()) : 5);
    // Added rows: "Link<k>", "url<k>", no address; rows that were there are untouched.
    const QStringList names = QueryRows(select.arg("LinkName"), {7});
    const QStringList urls = QueryRows(select.arg("ifnull(LinkUrl, '<null>')"), {7});
    const QStringList urlKeys = QueryRows(select.arg("FieldName2"), {7});
    for (qsizetype i = existing.size(); i < keysAfter.size(); ++i) {
        const QString k = keysAfter.at(i).right(1);
        QCOMPARE(names.at(i), "Link" + k);
        QCOMPARE(urlKeys.at(i), "url" + k);
        QCOMPARE(urls.at(i), QString("<null>"));
    }
    for (qsizetype i = 0; i < existing.size(); ++i)
        QCOMPARE(names.at(i), "Mine " + existing.at(i));
    QCOMPARE(QueryCount("SELECT count(*) FROM LocalLinks WHERE topicid = 9"), 1);

    // A second build adds nothing.
    QVERIFY(f.builder.PrepareTopicHomePage(7));
    QCOMPARE(QueryRows(select.arg("FieldName1"), {7}), keysAfter);
}

void TestTopicPage::pageShowsLinksAndColours()
{
    PageFixture f;
    QVERIFY(ExecSql("INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) VALUES (7, 'FFEEDD', "
                    "'aa33ee', '112233', 'Rock Music')"));
    addRow("NewsLinks", 7, "Fish &amp; Chips", "www.fish.example/menu?a=1&b=2", "name1", "url1");
    addRow("NewsLinks", 7, "a < b", "https://lt.example/", "name2", "url2");
    addRow("RelatedLinks", 7, "Café Ünïcode", "http://café.example/", "name1", "url1");
    QVERIFY(f.builder.BuildPageStylesheet("tpmaster.xsl", "News", "Search", "Groups", "Related", "Popular",
                                          "Local", ""));
    QVERIFY(f.builder.PrepareTopicHomePage(7));
    QVERIFY(DialogScript::shown().isEmpty());

    const QString html = f.text(CurrentPageFile);
    QVERIFY(html.contains("<title>Rock Music</title>"));
    for (const char *caption : {"News", "Search", "Groups", "Related", "Popular", "Local"})
        QVERIFY2(html.contains(QString("<span class=\"caption\">%1</span>").arg(caption)), caption);
    QVERIFY(html.contains("#ffeedd") && html.contains("#112233"));

    static const QRegularExpression anchor("<a href=\"([^\"]*)\"[^>]*>([^<]*)</a>");
    QStringList found;
    for (auto it = anchor.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        found << m.captured(2) + " -> " + m.captured(1);
    }
    QCOMPARE(found.size(), 3);
    QVERIFY2(found.at(0).startsWith("Fish &amp; Chips -> http://www.fish.example/menu?a=1&"), qPrintable(found.at(0)));
    QCOMPARE(found.at(1), QString("a &lt; b -> https://lt.example/"));
    QVERIFY2(found.at(2).startsWith("Café Ünïcode -> http://"), qPrintable(found.at(2)));
    // Rows without an address show their name without a link.
    QCOMPARE(html.count("<span class=\"empty\">Link"), 27);
    QVERIFY(html.contains("\r\n") && !QString(html).remove("\r\n").contains('\n'));

    // Another caption of the same length: the next page shows it.
    QVERIFY(f.builder.BuildPageStylesheet("tpmaster.xsl", "Wens", "Search", "Groups", "Related", "Popular",
                                          "Local", ""));
    QVERIFY(f.builder.PrepareTopicHomePage(7));
    QVERIFY(f.text(CurrentPageFile).contains("<span class=\"caption\">Wens</span>"));
}

void TestTopicPage::pageSurvivesAwkwardText()
{
    PageFixture f;
    addRow("SearchLinks", 7, "A &amp; B & C < D", "http://x.example/?q=1&amp;r=2&s=3", "name1", "url1");
    QVERIFY(f.builder.BuildPageStylesheet("tpmaster.xsl", "News & Views", "Q&amp;A", "<Groups>", "R", "P", "L",
                                          ""));
    QVERIFY(f.builder.PrepareTopicHomePage(7));
    QVERIFY(DialogScript::shown().isEmpty());
    const QString html = f.text(CurrentPageFile);
    QVERIFY(html.contains(">News &amp; Views<"));
    QVERIFY(html.contains(">Q&amp;A<"));
    QVERIFY(html.contains(">&lt;Groups&gt;<"));
    QVERIFY(html.contains(">A &amp; B &amp; C &lt; D</a>"));
    // The address as stored, "&amp;" included, in the link and in the section's editor.
    QVERIFY(html.contains("href=\"http://x.example/?q=1&amp;amp;r=2&amp;s=3\""));
    QVERIFY(html.contains("value=\"http://x.example/?q=1&amp;amp;r=2&amp;s=3\""));
}

// The page as the browser draws it: text in the scheme's text colour on its background
// colour, and no colour anywhere on the page that the scheme does not set, with a
// section's editor open as well. Links look like links: underlined, with the hand pointer.
void TestTopicPage::pageDrawsOnlySchemeColours()
{
    PageFixture f;
    QVERIFY(ExecSql("INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) VALUES (7, 'FFEEDD', "
                    "'aa33ee', '112233', 'Rock Music')"));
    addRow("NewsLinks", 7, "Jazz", "https://jazz.example/", "name1", "url1");
    QVERIFY(f.builder.BuildPageStylesheet("tpmaster.xsl", "News", "Search", "Groups", "Related", "Popular",
                                          "Local", ""));
    QVERIFY(f.builder.PrepareTopicHomePage(7));

    // Every colour drawn: text, backgrounds, borders, outlines, shadows and the bullets.
    const QString script = QStringLiteral(R"(
        toggleEdit(1);
        (function () {
          var seen = {};
          function add(c) { if (c && c !== 'transparent' && !/^rgba\(.*, 0\)$/.test(c)) seen[c] = 1; }
          var all = document.querySelectorAll('*');
          for (var i = 0; i < all.length; i++) {
            [null, '::before', '::after'].forEach(function (pseudo) {
              var s = getComputedStyle(all[i], pseudo);
              if (pseudo && s.content === 'none') return;
              add(s.color);
              add(s.backgroundColor);
              if (s.backgroundImage !== 'none') seen['image ' + s.backgroundImage] = 1;
              if (s.boxShadow !== 'none') seen['shadow ' + s.boxShadow] = 1;
              ['Top', 'Right', 'Bottom', 'Left'].forEach(function (side) {
                if (s['border' + side + 'Style'] !== 'none' && parseFloat(s['border' + side + 'Width']) > 0)
                  add(s['border' + side + 'Color']);
              });
              if (s.outlineStyle !== 'none') add(s.outlineColor);
            });
          }
          var body = getComputedStyle(document.body);
          var link = getComputedStyle(document.querySelector('.section li a'));
          return [body.color, body.backgroundColor, Object.keys(seen).sort().join(' ; '),
                  [link.textDecorationLine, link.cursor, link.color].join(' ')];
        })())");
    WebBrowser results;
    const QVariant answer = scriptOnPage(results, 900, 700, 1.0, script);
    QVERIFY(answer.isValid());
    const QStringList drawn = answer.toStringList();
    QCOMPARE(drawn.value(0), QStringLiteral("rgb(255, 238, 221)"));
    QCOMPARE(drawn.value(1), QStringLiteral("rgb(17, 34, 51)"));
    QCOMPARE(drawn.value(2), QStringLiteral("rgb(17, 34, 51) ; rgb(255, 238, 221)"));
    QCOMPARE(drawn.value(3), QStringLiteral("underline pointer rgb(255, 238, 221)"));
}

// Every section header holds its caption whole and its Edit button clear of it, at each
// text size of the main window's browser pane (712 pixels wide at the window's first size).
void TestTopicPage::headersHoldTheirButtons_data()
{
    QTest::addColumn<double>("zoom");
    for (const double zoom : {0.8, 0.9, 1.0, 1.2, 1.4})
        QTest::addRow("text size at %.1f", zoom) << zoom;
}

void TestTopicPage::headersHoldTheirButtons()
{
    QFETCH(double, zoom);
    PageFixture f;
    QVERIFY(f.builder.BuildPageStylesheet("tpmaster.xsl", "Information Websites", "Search Websites",
                                          "Organization Websites", "Related Websites", "Popular Websites",
                                          "Local Websites", ""));
    QVERIFY(f.builder.PrepareTopicHomePage(7));
    // The captions that are cut or come within 4 pixels of their button, then the count of headers.
    const QString script = QStringLiteral(R"(
        var headers = document.querySelectorAll('.section h2');
        Array.prototype.filter.call(headers, function (h) {
          var caption = h.querySelector('.caption'), button = h.querySelector('button.edit');
          return caption.scrollWidth > caption.clientWidth
              || caption.getBoundingClientRect().right + 4 > button.getBoundingClientRect().left;
        }).map(function (h) { return h.textContent; }).concat([headers.length]))");
    WebBrowser results;
    const QVariant answer = scriptOnPage(results, 712, 540, zoom, script);
    QVERIFY(answer.isValid());
    QCOMPARE(answer.toStringList(), QStringList{QStringLiteral("6")});
}

void TestTopicPage::failedTransformKeepsPreviousPage()
{
    PageFixture f;
    QVERIFY(f.builder.BuildPageStylesheet("tpmaster.xsl", "1", "2", "3", "4", "5", "6", ""));
    QVERIFY(f.builder.PrepareTopicHomePage(7));
    const QByteArray before = f.folder.readFile(CurrentPageFile);
    QVERIFY(!before.isEmpty());

    // A style sheet that does not parse, then one that parses but cannot be applied.
    const QList<QByteArray> broken = {
        "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\r\n<oops>",
        "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
        "<xsl:template match=\"/\"><xsl:message terminate=\"yes\">stop</xsl:message></xsl:template>"
        "</xsl:stylesheet>"};
    for (const QByteArray &sheet : broken) {
        f.folder.writeFile("tp.xsl", sheet);
        DialogScript::clearShown();
        QVERIFY(!f.builder.TransformXml("tbhome.xml", "tp.xsl", CurrentPageFile));
        QCOMPARE(f.folder.readFile(CurrentPageFile), before);
        QCOMPARE(DialogScript::shown().size(), 1);
        QCOMPARE(DialogScript::last().title, QString("Page Error"));
        QVERIFY(DialogScript::last().prompt.contains("tp.xsl"));
    }
    QVERIFY(f.builder.lastParseError().startsWith("Number : "));
    QVERIFY(f.builder.lastParseError().contains("\r\nRow : 2\r\n"));

    // Page data that cannot be parsed.
    f.folder.writeFile("tbhome.xml", "<TP><NEWSLINKS></TP>");
    DialogScript::clearShown();
    QVERIFY(!f.builder.TransformXml("tbhome.xml", "tp.xsl", CurrentPageFile));
    QCOMPARE(f.folder.readFile(CurrentPageFile), before);
    QVERIFY(DialogScript::last().prompt.contains("tbhome.xml"));
}

void TestTopicPage::missingTemplateIsReported()
{
    PageFixture f;
    QVERIFY(f.builder.BuildPageStylesheet("tpmaster.xsl", "1", "2", "3", "4", "5", "6", ""));
    QVERIFY(f.builder.PrepareTopicHomePage(7));
    const QByteArray before = f.folder.readFile(CurrentPageFile);

    QVERIFY(QFile::remove(f.folder.file("tpmaster.xsl")));
    QVERIFY(!f.builder.BuildPageStylesheet("tpmaster.xsl", "A", "B", "C", "D", "E", "F", ""));
    QVERIFY(!QFile::exists(f.folder.file("tp.xsl")));
    DialogScript::clearShown();
    QVERIFY(!f.builder.PrepareTopicHomePage(7));
    QCOMPARE(DialogScript::shown().size(), 1);
    QVERIFY(DialogScript::last().prompt.contains("tpmaster.xsl"));
    QCOMPARE(f.folder.readFile(CurrentPageFile), before);
}

void TestTopicPage::stylesheetCannotWriteFiles()
{
    PageFixture f;
    QVERIFY(f.builder.WriteLinksXml("tbhome.xml", "tp"));
    f.folder.writeFile("evil.xsl",
                       "<xsl:stylesheet version=\"1.1\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                       "<xsl:template match=\"/\"><xsl:document href=\"written.txt\" method=\"text\">x"
                       "</xsl:document><p>page</p></xsl:template></xsl:stylesheet>");
    QVERIFY(!f.builder.TransformXml("tbhome.xml", "evil.xsl", "evil.html"));
    QVERIFY(!QFile::exists(f.folder.file("written.txt")));
    QVERIFY(!QFile::exists(f.folder.file("evil.html")));
    QCOMPARE(DialogScript::last().title, QString("Page Error"));
}

QTEST_MAIN(TestTopicPage)
#include "tst_topic_page.moc"
