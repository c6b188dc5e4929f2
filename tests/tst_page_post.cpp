// Section links saved on a page: the posted text, what is stored, what is refused, and
// the page's own editor posting through the browser.

#include "pages/page_post.h"
#include "pages/topic_page_builder.h"
#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "testhelper.h"

#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

namespace {

using Pairs = QList<QPair<QString, QString>>;

struct PostFixture {
    TestProgramFolder folder;
    TopicPageBuilder builder;
    PagePost post{builder};

    // Sub-Topic 4 shown, with its page built (every section padded to five rows).
    explicit PostFixture(bool buildPage = true)
    {
        folder.makeEdition(QStringLiteral("post.mdb"));
        OpenEdition(QStringLiteral("post.mdb"));
        CurrentSubTopicId = 4;
        CurrentPageFile = PageFileName(QStringLiteral("Jazz"), 4);
        builder.BuildPageStylesheet("tpmaster.xsl", "One", "Two", "Three", "Four", "Five", "Six", "");
        if (buildPage)
            builder.PrepareTopicHomePage(4);
    }
    QString page() const { return QString::fromUtf8(folder.readFile(CurrentPageFile)); }
};

// "name|url" of every row of a section for Sub-Topic 4, in row order (null as "-").
QStringList rows(const QString &table)
{
    QSqlQuery q(DbConnection());
    q.exec(QStringLiteral("SELECT FieldName1, FieldName2, LinkName, LinkUrl FROM %1 WHERE topicid = 4 ORDER BY rowid")
               .arg(table));
    QStringList out;
    while (q.next())
        out << q.value(0).toString() + "/" + q.value(1).toString() + ": " + q.value(2).toString() + " | "
                + (q.value(3).isNull() ? QString("-") : q.value(3).toString());
    return out;
}

QString all()
{
    QStringList out;
    for (const QString &t : SectionLinkTables())
        out += rows(t);
    return out.join('\n');
}

} // namespace

class TestPagePost : public QObject
{
    Q_OBJECT

private slots:
    void splitPostedText_data();
    void splitPostedText();
    void parseQueryString();
    void storedForms();

    void workedExampleIsStored();
    void changesOnlyTheNamedRow_data();
    void changesOnlyTheNamedRow();
    void addsMissingRow();
    void refusesAndWritesNothing_data();
    void refusesAndWritesNothing();

    void postFromAddress();
    void postIgnoresOtherAddresses();
    void pageEditorPostsThroughBrowser();
};

void TestPagePost::splitPostedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<Pairs>("pairs");
    QTest::newRow("worked example") << "page.htm?name1=Fish+&+Chips&url1=menu/list.htm?a=1&b=2++&file=page.htm" << true
                                    << Pairs{{"name1", "Fish ampersand Chips"}, {"url1", "menu/list.htm?a=1ampersandb=2"}};
    QTest::newRow("no question mark") << "name2=Shops++&file=x" << true << Pairs{{"name2", "Shops"}};
    QTest::newRow("percent kept") << "p?name1=Fish+%26+Chips++&file=" << true << Pairs{{"name1", "Fish %26 Chips"}};
    QTest::newRow("stars start a pair") << "p?name1=a*****2=b++&file=" << true
                                        << Pairs{{"name1", "a"}, {"name2", "b"}};
    QTest::newRow("tildes start a pair") << "p?name1=a~~~~1=b++&file=" << true << Pairs{{"name1", "a"}, {"url1", "b"}};
    QTest::newRow("rest not read") << "p?name1=a++&file=x?y&z" << true << Pairs{{"name1", "a"}};
    QTest::newRow("no marker") << "p?name1=a&url1=b" << false << Pairs{};
    QTest::newRow("question after marker") << "p++&file=x?name1=a" << false << Pairs{};
    QTest::newRow("pair without =") << "p?name1=a&url1++&file=x" << false << Pairs{};
    QTest::newRow("empty query") << "p?++&file=x" << false << Pairs{};
}

void TestPagePost::splitPostedText()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(Pairs, pairs);
    Pairs got;
    QCOMPARE(PagePost::SplitPostedText(text, got), ok);
    QCOMPARE(got, pairs);
}

void TestPagePost::parseQueryString()
{
    QCOMPARE(PagePost::ParseQueryString("a.htm?name1=Fish+&+Chips&url1=x"),
             (Pairs{{"name1", "Fish "}, {"+Chips", ""}, {"url1", "x"}}));
    QCOMPARE(PagePost::ParseQueryString("a.htm?key"), (Pairs{{"key", ""}}));
}

void TestPagePost::storedForms()
{
    QCOMPARE(PagePost::StoredLinkName("Fish ampersand Chips"), QString("Fish &amp; Chips"));
    QCOMPARE(PagePost::StoredLinkName("a < b > c & d"), QString("a &lt; b &gt; c &amp; d"));
    QCOMPARE(PagePost::StoredLinkName("a\\b"), QString("a\\b"));
    QCOMPARE(PagePost::StoredLinkUrl("list.htm?a=1ampersandb=2"), QString("list.htm?a=1&b=2"));
    QCOMPARE(PagePost::StoredLinkUrl("a\\b"), QString("a/b"));
}

void TestPagePost::workedExampleIsStored()
{
    PostFixture f;
    const QString text = "page.htm?name1=Fish+&+Chips&url1=menu/list.htm?a=1&b=2++&file=" + CurrentPageFile;
    QCOMPARE(f.post.updatelinksdb(text, "NewsLinks"), PagePost::Result::Stored);
    QCOMPARE(rows("NewsLinks").at(0), QString("name1/url1: Fish &amp; Chips | menu/list.htm?a=1&b=2"));
    // The page shows the new link at once.
    QVERIFY(f.page().contains("<a href=\"http://menu/list.htm?a=1&amp;b=2\""));
    QVERIFY(f.page().contains(">Fish &amp; Chips</a>"));
    QVERIFY(DialogScript::shown().isEmpty());
}

void TestPagePost::changesOnlyTheNamedRow_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("row 3") << 3;
    QTest::newRow("row 5, the last") << 5;
}

void TestPagePost::changesOnlyTheNamedRow()
{
    QFETCH(int, row);
    PostFixture f;
    const QStringList before = rows("LocalLinks");
    const QString text = QStringLiteral("p?name%1=Shops&url%1=shops.htm++&file=x").arg(row);
    QCOMPARE(f.post.updatelinksdb(text, "LocalLinks"), PagePost::Result::Stored);
    QStringList expected = before;
    expected[row - 1] = QStringLiteral("name%1/url%1: Shops | shops.htm").arg(row);
    QCOMPARE(rows("LocalLinks"), expected);
    QVERIFY(f.page().contains(">Shops</a>"));
}

void TestPagePost::addsMissingRow()
{
    PostFixture f(false);
    QCOMPARE(f.post.updatelinksdb("p?name2=Shops++&file=x", "RelatedLinks"), PagePost::Result::Stored);
    QCOMPARE(rows("RelatedLinks"), QStringList{"name2/url2: Shops | -"});
    QCOMPARE(f.post.updatelinksdb("p?url2=a\\shops.htm++&file=x", "RelatedLinks"), PagePost::Result::Stored);
    QCOMPARE(rows("RelatedLinks"), QStringList{"name2/url2: Shops | a/shops.htm"});
    QCOMPARE(f.post.updatelinksdb("p?name1=ampersand+%26+<b>&url1=q?ampersand++&file=x", "RelatedLinks"),
             PagePost::Result::Stored);
    QCOMPARE(rows("RelatedLinks").at(1), QString("name1/url1: &amp; %26 &lt;b&gt; | q?&"));
}

void TestPagePost::refusesAndWritesNothing_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("text");
    QTest::newRow("table not a section") << "Topics" << "p?name1=x++&file=f";
    QTest::newRow("ColorLinks") << "ColorLinks" << "p?name1=x++&file=f";
    QTest::newRow("table injection") << "NewsLinks; DELETE FROM Lks" << "p?name1=x++&file=f";
    QTest::newRow("table case") << "newslinks" << "p?name1=x++&file=f";
    QTest::newRow("key 6") << "NewsLinks" << "p?name1=ok&name6=x++&file=f";
    QTest::newRow("key 0") << "NewsLinks" << "p?name1=ok&name0=x++&file=f";
    QTest::newRow("key 05") << "NewsLinks" << "p?name05=x++&file=f";
    QTest::newRow("key case") << "NewsLinks" << "p?Name1=x++&file=f";
    QTest::newRow("key quote") << "NewsLinks" << "p?name1' OR '1'='1=x++&file=f";
    QTest::newRow("other key") << "NewsLinks" << "p?name1=ok&urlx=9++&file=f";
    QTest::newRow("no marker") << "NewsLinks" << "p?name1=x&url1=y";
    QTest::newRow("pair without =") << "NewsLinks" << "p?name1=x&url1++&file=f";
    QTest::newRow("address without row") << "FavoriteLinks" << "p?name1=kept&url4=y++&file=f";
}

void TestPagePost::refusesAndWritesNothing()
{
    QFETCH(QString, table);
    QFETCH(QString, text);
    PostFixture f;
    // Row 4 of FavoriteLinks has no address key to find.
    QVERIFY(ExecSql("UPDATE FavoriteLinks SET FieldName2 = 'gone' WHERE FieldName1 = 'name4'"));
    const QString before = all();
    const QByteArray page = f.folder.readFile(CurrentPageFile);
    QCOMPARE(f.post.updatelinksdb(text, table), PagePost::Result::Refused);
    QVERIFY(!f.post.lastReason().isEmpty());
    QCOMPARE(all(), before);
    QCOMPARE(QueryValue("SELECT count(*) FROM Topics").toInt(), 0);
    QCOMPARE(f.folder.readFile(CurrentPageFile), page);
}

void TestPagePost::postFromAddress()
{
    PostFixture f;
    QUrl url = QUrl::fromLocalFile(f.folder.file("post-SearchLinks.htm"));
    url.setQuery("name2=Caf%C3%A9%20%26%20Bar&url2=http%3A%2F%2Fx.example%2F%3Fa%3D1%26b%3D2&name7=x++&file="
                     + QUrl::toPercentEncoding(CurrentPageFile),
                 QUrl::StrictMode);
    // "name7" is no link key: refused, nothing written, the user told.
    QVERIFY(f.post.HandlePagePost(url));
    QCOMPARE(f.post.lastResult(), PagePost::Result::Refused);
    QCOMPARE(DialogScript::last().title, QString("Link Error"));

    url.setQuery("name2=Caf%C3%A9%20%26%20Bar&url2=http%3A%2F%2Fx.example%2F%3Fa%3D1%26b%3D2++&file="
                     + QUrl::toPercentEncoding(CurrentPageFile),
                 QUrl::StrictMode);
    DialogScript::clearShown();
    QVERIFY(f.post.HandlePagePost(url));
    QCOMPARE(f.post.lastResult(), PagePost::Result::Stored);
    QCOMPARE(rows("SearchLinks").at(1), QString("name2/url2: Café &amp; Bar | http://x.example/?a=1&b=2"));
    QVERIFY(f.page().contains(">Café &amp; Bar</a>"));
    QVERIFY(DialogScript::shown().isEmpty());

    // Values come back exactly as typed: an encoded "+", the word "ampersand" and an "&url="
    // inside an address stay what they are; a bare "+" is a blank; "\" becomes "/".
    url.setQuery("name3=C%2B%2B+ampersand%20Co&url3=a%5Cb%3Fq%3Dx%2By%26url%3D1++&file="
                     + QUrl::toPercentEncoding(CurrentPageFile),
                 QUrl::StrictMode);
    QVERIFY(f.post.HandlePagePost(url));
    QCOMPARE(f.post.lastResult(), PagePost::Result::Stored);
    QCOMPARE(rows("SearchLinks").at(2), QString("name3/url3: C++ ampersand Co | a/b?q=x+y&url=1"));

    // A post from another Sub-Topic's page (still open after the user went on) is refused.
    const QString before = all();
    url.setQuery("name1=Other++&file=Blues_5.html");
    QVERIFY(f.post.HandlePagePost(url));
    QCOMPARE(f.post.lastResult(), PagePost::Result::Refused);
    QCOMPARE(all(), before);
    QCOMPARE(DialogScript::last().title, QString("Link Error"));

    // A table that is not a section.
    url = QUrl::fromLocalFile(f.folder.file("post-Topics.htm"));
    url.setQuery("name1=x++&file=" + CurrentPageFile);
    QVERIFY(f.post.HandlePagePost(url));
    QCOMPARE(f.post.lastResult(), PagePost::Result::Refused);
    QCOMPARE(all(), before);
}

void TestPagePost::postIgnoresOtherAddresses()
{
    PostFixture f;
    const QList<QUrl> urls = {QUrl("http://example.com/post-NewsLinks.htm?name1=x++&file=" + CurrentPageFile),
                              QUrl::fromLocalFile(f.folder.file(CurrentPageFile)),
                              QUrl::fromLocalFile("/tmp/elsewhere/post-NewsLinks.htm?name1=x++&file=a"),
                              QUrl("about:blank")};
    for (const QUrl &url : urls) {
        QVERIFY2(!f.post.HandlePagePost(url), qPrintable(url.toString()));
        QCOMPARE(f.post.lastResult(), PagePost::Result::NotAPost);
    }
    QVERIFY(DialogScript::shown().isEmpty());
}

void TestPagePost::pageEditorPostsThroughBrowser()
{
    PostFixture f;
    WebBrowser results;
    int posts = 0;
    PagePost::Result result = PagePost::Result::NotAPost;
    connect(&results, &WebBrowser::BeforeNavigate2, this, [&](const QUrl &url, bool *cancel) {
        if (!f.post.HandlePagePost(url))
            return;
        ++posts;
        result = f.post.lastResult();
        *cancel = true;
        QTimer::singleShot(0, &results, [&] { results.Navigate(GetAppPath() + CurrentPageFile); });
    });
    QSignalSpy loaded(&results, &WebBrowser::DocumentComplete);
    results.resize(900, 700);
    results.show();
    results.Navigate(GetAppPath() + CurrentPageFile);
    QVERIFY(loaded.wait(PageLoadTimeoutMs));
    QVERIFY(loaded.last().at(1).toBool());

    // The user opens section 5's editor, types a name and an address, and saves.
    results.page()->runJavaScript(
        "toggleEdit(5);"
        "document.querySelector('#editor5 input[data-key=name2]').value = ' Blue Note & Co <live> 100% C++ ampersand ';"
        "document.querySelector('#editor5 input[data-key=url2]').value = "
        "'https://www.bluenote.com/?q=a+b&name=x&url=y#top';"
        "document.querySelector('#editor5 button[type=submit]').click();");
    QTRY_COMPARE_WITH_TIMEOUT(posts, 1, PageLoadTimeoutMs);
    QCOMPARE(result, PagePost::Result::Stored);
    QCOMPARE(rows("FavoriteLinks").at(1),
             QString("name2/url2:  Blue Note &amp; Co &lt;live&gt; 100% C++ ampersand  | "
                     "https://www.bluenote.com/?q=a+b&name=x&url=y#top"));
    QCOMPARE(rows("FavoriteLinks").at(0), QString("name1/url1: Link1 | "));
    QTRY_VERIFY_WITH_TIMEOUT(loaded.size() >= 2, PageLoadTimeoutMs);
    QVERIFY(results.url().toLocalFile().endsWith(CurrentPageFile));
    QVERIFY(DialogScript::shown().isEmpty());
}

QTEST_MAIN(TestPagePost)
#include "tst_page_post.moc"
