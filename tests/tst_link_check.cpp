// The link check dialog: the rows of a Sub-Topic, checks against servers of the test's
// own (directly and through a proxy), Stop and closing during a check, opening a link and
// deleting filed links from the main window.

#include "form1_support.h"
#include "http_stub_servers.h"
#include "testhelper.h"
#include "webtools_support.h"

#include "platform/connection_state.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "webtools/form18_link_checker.h"
#include "webtools/link_check.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace HttpStubs;

namespace {

QStringList column(const QTreeWidget *list, int c)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(c);
    return texts;
}

void clickRow(QTreeWidget *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(row)).center());
}

void fileLink(int sitId, qint32 lksId, const QString &name, const QString &url)
{
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl) VALUES (?, ?, ?)"), {sitId, name, url}));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (?, ?, ?)"), {lksId, sitId, sitId}));
}

// Whether the connection from port from to port to of 127.0.0.1 holds bytes its side has not read.
bool unreadBytes(quint16 from, quint16 to)
{
    for (const QByteArrayList &fields : tcpSockets()) {
        if (fields.size() > 4 && fields[1].endsWith(tcpPort(from)) && fields[2].endsWith(tcpPort(to)))
            return fields[4].split(':').value(1).toLongLong(nullptr, 16) > 0;
    }
    return false;
}

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

class TestLinkCheck : public Form1Test::WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rowsOfTheSubTopic();
    void requestTargets();
    void checkStatuses_data();
    void checkStatuses();
    void statusClasses_data();
    void statusClasses();
    void stopAndCloseDuringCheck();
    void launchLink();
    void deleteOnlyThatLink();

private:
    void showDialog();
    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<FakeWebToolsHost> m_host;
    std::unique_ptr<Form18> m_dialog;
};

void TestLinkCheck::init()
{
    m_folder = std::make_unique<TestProgramFolder>();
    clearProxyEnvironment();
    resetConnectionSettings();
    SetConnectedStateOverride(1);
    m_folder->makeEdition(QStringLiteral("links.mdb"));
    QVERIFY(OpenEdition(QStringLiteral("links.mdb")));
    CurrentSubTopicId = 1;
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId) VALUES "
                                   "(1, 'Web', 'Web', 1), (2, 'Tools/Web', 'Web/Tools', 1), (3, 'Other', 'Other', 2)")));
    m_host = std::make_unique<FakeWebToolsHost>();
}

void TestLinkCheck::cleanup()
{
    m_dialog.reset();
    m_host.reset();
    Form1Test::closeMainWindow();
    SetConnectedStateOverride(-1);
    resetConnectionSettings();
    RemoveProgramFolder(m_folder, true);
}

void TestLinkCheck::showDialog()
{
    m_dialog = std::make_unique<Form18>(m_host.get());
    m_dialog->Form_Load();
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
}

void TestLinkCheck::rowsOfTheSubTopic()
{
    fileLink(1, 2, QStringLiteral("beta"), QStringLiteral("http://beta.test/"));
    fileLink(2, 2, QStringLiteral("Alpha"), QStringLiteral("http://alpha.test/"));
    fileLink(3, 3, QStringLiteral("Elsewhere"), QStringLiteral("http://other.test/"));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO FavoriteLinks (topicid, LinkName, LinkUrl) VALUES (1, 'Fav', 'http://fav.test/')")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO NewsLinks (topicid, LinkName, LinkUrl) VALUES "
                                   "(1, 'Empty slot', ''), (1, 'News', 'http://news.test/'), (2, 'Not ours', 'http://x.test/')")));
    showDialog();
    QCOMPARE(m_dialog->Label2->text(), QStringLiteral("Computers"));
    QCOMPARE(m_dialog->Label4->text(), QStringLiteral("Programming"));
    QCOMPARE(column(m_dialog->ListView1, 0),
             QStringList({QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("News"), QStringLiteral("Fav")}));
    QCOMPARE(column(m_dialog->ListView1, 1),
             QStringList({QStringLiteral("http://alpha.test/"), QStringLiteral("http://beta.test/"),
                          QStringLiteral("http://news.test/"), QStringLiteral("http://fav.test/")}));
    QCOMPARE(column(m_dialog->ListView1, 2), QStringList(4, QString()));
    QVERIFY(m_dialog->Command3->isEnabled());

    // Sorting: Title descending, then ascending; Status keeps the order's direction.
    QHeaderView *header = m_dialog->ListView1->header();
    auto clickHeader = [header](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
    };
    clickHeader(0);
    QCOMPARE(column(m_dialog->ListView1, 0).first(), QStringLiteral("News"));
    clickHeader(0);
    QCOMPARE(column(m_dialog->ListView1, 0).first(), QStringLiteral("Alpha"));
    // Every row still shows its own address.
    QCOMPARE(m_dialog->ListView1->topLevelItem(1)->text(1), QStringLiteral("http://beta.test/"));

    // A Sub-Topic without links: nothing to act on.
    CurrentSubTopicId = 7;
    m_dialog->LoadLinks();
    for (QWidget *w : std::initializer_list<QWidget *>{m_dialog->Command1, m_dialog->Command3, m_dialog->Command4,
                                                       m_dialog->Command5, m_dialog->Check1})
        QVERIFY(!w->isEnabled());

    // A table that cannot be read is said, not taken for a shorter list.
    CurrentSubTopicId = 1;
    for (const QString table : {"RelatedLinks", "LksSit"}) {
        QVERIFY(ExecSql("DROP TABLE " + table));
        DialogScript::answer(vbOK);
        m_dialog->LoadLinks();
        QVERIFY2(DialogScript::last().prompt.startsWith("The links of this Sub-Topic could not be read.\n\nno such table: "
                                                        + table),
                 qPrintable(DialogScript::last().prompt));
    }
}

void TestLinkCheck::requestTargets()
{
    // An address and its target ("" for none) with its secure flag. Those written as they
    // are sent keep their text; the others are read as a web address is.
    const struct {
        const char *address;
        const char *target;
        int secure;
    } rows[] = {
        {"http://Host.test:81/a/b?x=1", "host.test:81/a/b?x=1", 0},
        {"https://secure.test", "secure.test/", 1},
        {"https://u:p@Secure.test:443#top", "secure.test/", 1},
        {"www.plain.test/page", "www.plain.test/page", 0},
        {"http://127.0.0.1:8080/p;a=(1)?q=1&r=/s?t", "127.0.0.1:8080/p;a=(1)?q=1&r=/s?t", 0},
        {"http://127.0.0.1:80/", "127.0.0.1/", 0},
        {"https://h.test:443/a", "h.test/a", 1},
        {"http://h.test:0/", "h.test:0/", 0},
        {"http://h.test:080/", "h.test/", 0},
        {"http://1.2.3/a", "1.2.0.3/a", 0},
        {"http://01.2.3.4/", "1.2.3.4/", 0},
        {"http://123/", "0.0.0.123/", 0},
        {"http://a.test./", "a.test./", 0},
        {"http://h.test/a%41", "h.test/aA", 0},
        {"http://h.test/a b|c", "h.test/a%20b%7Cc", 0},
        {"http://h.test/[\\]^`?[\\]^`", "h.test/%5B%5C%5D%5E%60?%5B%5C%5D%5E%60", 0},
        {"http://h.test/x#frag", "h.test/x", 0},
        {"http://h.test?x", "h.test/?x", 0},
        {"http://-a.test/", "", 0},
        {"http://h.test:65536/", "", 0},
        {"mailto:a@b.test", "", 0},
        {"", "", 0},
        {"/tmp/a.htm", "", 0},
        {"ftp://files.test/", "", 0},
        {"http:///a", "", 0},
    };
    for (const auto &row : rows) {
        QString target;
        int secure = -1;
        const QString address = QString::fromLatin1(row.address);
        const bool web = LinkCheck::requestTarget(address, target, secure);
        QCOMPARE(web ? target : QString(), QString::fromLatin1(row.target));
        if (web)
            QCOMPARE(secure, row.secure);
        else
            QVERIFY2(!LinkCheck::check(address), row.address);
    }
    // A local file is there or not.
    QVERIFY(LinkCheck::check(m_folder->file(QStringLiteral("links.mdb"))));
    QVERIFY(!LinkCheck::check(m_folder->file(QStringLiteral("missing.txt"))));
}

void TestLinkCheck::checkStatuses_data()
{
    QTest::addColumn<int>("proxy");    // 2: a proxy whose log-on nobody can type (a scripted run)
    QTest::newRow("direct") << 0;
    QTest::newRow("through a proxy") << 1;
    QTest::newRow("through a proxy, no log-on") << 2;
}

void TestLinkCheck::checkStatuses()
{
    QFETCH(int, proxy);
    OriginServer origin;
    ProxyServerStub relay;
    if (proxy > 0) {
        relay.useAsProxy();
        ProxyPassword = proxy == 1 ? QStringLiteral("secret") : QString();
    }
    SetHttpRequestTimeout(1000);
    const QString base = QStringLiteral("http://") + origin.target(QString());
    const QStringList urls = {
        base + QStringLiteral("/status/200"), base + QStringLiteral("/moved/status/200"),
        base + QStringLiteral("/status/404"), base + QStringLiteral("/status/500"),
        QStringLiteral("http://127.0.0.1:%1/").arg(closedPort()), base + QStringLiteral("/slow/100"),
        base + QStringLiteral("/slow/4000"),
    };
    for (int i = 0; i < urls.size(); ++i)
        fileLink(i + 1, 2, QStringLiteral("Link %1").arg(i + 1), urls[i]);
    showDialog();

    // One link: the selected one.
    clickRow(m_dialog->ListView1, 2);
    QTest::mouseClick(m_dialog->Command3, Qt::LeftButton);
    QCOMPARE(column(m_dialog->ListView1, 2), QStringList({"", "", "NO", "", "", "", ""}));
    QCOMPARE(m_dialog->ListView1->selectedItems().value(0), m_dialog->ListView1->topLevelItem(2));

    // All links in turn.
    QTest::mouseClick(m_dialog->Check1, Qt::LeftButton);
    QVERIFY(m_dialog->Check1->isChecked());
    QTest::mouseClick(m_dialog->Command3, Qt::LeftButton);
    QCOMPARE(column(m_dialog->ListView1, 2),
             proxy == 2 ? QStringList(7, "NO") : QStringList({"OK", "OK", "NO", "NO", "NO", "OK", "NO"}));
    QCOMPARE(m_dialog->ListView1->selectedItems().value(0), m_dialog->ListView1->topLevelItem(0));
    if (proxy)
        QVERIFY(relay.seen.size() >= 6);
    else
        QVERIFY(relay.seen.isEmpty());
}

void TestLinkCheck::statusClasses_data()
{
    // Addresses checked in turn on one server, and what each check answers.
    QTest::addColumn<QString>("paths");
    QTest::addColumn<QString>("answers");
    QTest::addColumn<bool>("ownThread");    // the server answers from a thread of its own
    QTest::addColumn<int>("connections");   // that the server took (-1: not counted)
    const auto row = [](const char *name, const char *paths, const char *answers, int connections = -1) {
        for (const bool ownThread : {false, true})
            QTest::addRow("%s%s", name, ownThread ? ", served from another thread" : "")
                << paths << answers << ownThread << connections;
    };
    row("200", "/status/200", "OK");
    row("204", "/status/204", "OK");
    row("301 followed to a 200", "/moved/status/200", "OK");
    row("301 followed to a 404", "/moved/status/404", "NO");
    // A redirect read to its end leaves its connection to the next request.
    row("a chain of redirects", "/hop/5", "OK", 1);
    row("304, not followed", "/status/304", "NO");
    row("404", "/status/404", "NO");
    row("500", "/status/500", "NO");
    row("no answer", "/silent", "NO");
    row("nobody listening", "", "NO");
    row("a cookie is not sent again", "/cookie /silent /moved/status/200", "OK NO OK");
    // A server that never gets past its header leaves nothing behind for the next link.
    row("a header that never ends", "/header /status/200", "NO OK");
    row("interim answers without end", "/interim /moved/status/200", "NO OK");
    // A status line that is no HTTP status line fails.
    row("a status line in lower case", "/lower", "NO");
    row("a status line without a reason phrase", "/bare", "OK");
    // A header trickled in past three time-outs is given up.
    row("a header trickled in for 10 time-outs", "/trickle", "NO");
    // Bytes behind an answer, or sent while the connection waits ("!": the server sends a forged
    // answer on it), are never read as the next one, and a kept connection that stays silent is
    // given up for a fresh one.
    row("a forged answer behind a redirect", "/forged", "NO");
    row("a forged answer behind an answer", "/leftover /status/404", "OK NO", 2);
    row("a forged answer while the connection waits", "/alive ! /status/404", "OK NO", 2);
    row("a kept connection that stays silent", "/kept /status/200", "OK OK", 2);
    // The query goes with the request, the fragment does not.
    row("a query and a fragment", "/page?a=1&b=2#top", "OK");
}

void TestLinkCheck::statusClasses()
{
    QFETCH(QString, paths);
    QFETCH(QString, answers);
    QFETCH(bool, ownThread);
    QFETCH(int, connections);
    ServedFrom<OriginServer> origin(ownThread);
    SetHttpRequestTimeout(300);
    QStringList answered;
    for (const QString &path : paths.split(QLatin1Char(' '))) {
        if (path == QLatin1String("!")) {
            quint16 client = 0;
            origin.run([&] {
                origin->lastSocket->write(answer(200));
                origin->lastSocket->flush();
                client = origin->lastSocket->peerPort();
            });
            QTRY_VERIFY(unreadBytes(client, origin->serverPort()));
            continue;
        }
        const QString address = path.isEmpty() ? QStringLiteral("http://127.0.0.1:%1/").arg(closedPort())
                                               : QStringLiteral("http://") + origin->target(path);
        answered << (LinkCheck::check(address) ? "OK" : "NO");
    }
    QCOMPARE(answered.join(QLatin1Char(' ')), answers);
    QList<SeenRequest> seen;
    int made = 0;
    origin.run([&] {
        seen = origin->seen;
        made = origin->connections;
    });
    if (connections >= 0)
        QCOMPARE(made, connections);
    QByteArrayList targets;
    for (const SeenRequest &request : std::as_const(seen)) {
        QVERIFY(!request.headers.contains("cookie"));
        targets << request.target;
    }
    for (const QString &path : paths.split(QLatin1Char(' ')))
        QVERIFY2(path.isEmpty() || path == QLatin1String("!")
                     || targets.contains(path.section(QLatin1Char('#'), 0, 0).toLatin1()),
                 qPrintable(path));
}

void TestLinkCheck::stopAndCloseDuringCheck()
{
    OriginServer origin;
    const QString base = QStringLiteral("http://") + origin.target(QString());
    fileLink(1, 2, QStringLiteral("A silent one"), base + QStringLiteral("/silent"));
    fileLink(2, 2, QStringLiteral("B fine"), base + QStringLiteral("/status/200"));
    showDialog();
    m_dialog->Check1->setChecked(true);

    // Stop while the first request waits: the check ends at once, nothing is reported.
    QTimer stopper;
    stopper.setInterval(10);
    connect(&stopper, &QTimer::timeout, this, [&] {
        if (!origin.seen.isEmpty()) {
            stopper.stop();
            QTest::mouseClick(m_dialog->Command5, Qt::LeftButton);
        }
    });
    stopper.start();
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(m_dialog->Command3, Qt::LeftButton);
    QVERIFY2(clock.elapsed() < 5000, "Stop did not end the check at once");
    QVERIFY(!m_dialog->checking());
    QCOMPARE(column(m_dialog->ListView1, 2), QStringList({"", ""}));
    QCOMPARE(m_dialog->ListView1->selectedItems().value(0), m_dialog->ListView1->topLevelItem(0));
    QVERIFY(m_dialog->Command3->isEnabled());

    // Closing the window during a check stops it and closes the window afterwards.
    origin.seen.clear();
    QTimer closer;
    closer.setInterval(10);
    connect(&closer, &QTimer::timeout, this, [&] {
        if (!origin.seen.isEmpty()) {
            closer.stop();
            m_dialog->close();
        }
    });
    closer.start();
    clock.restart();
    QTest::mouseClick(m_dialog->Command3, Qt::LeftButton);
    QVERIFY(clock.elapsed() < 5000);
    QTRY_VERIFY(!m_dialog->isVisible());
}

void TestLinkCheck::launchLink()
{
    fileLink(1, 2, QStringLiteral("Alpha"), QStringLiteral("http://alpha.test/"));
    showDialog();
    const QRect row = m_dialog->ListView1->visualItemRect(m_dialog->ListView1->topLevelItem(0));
    QTest::mouseClick(m_dialog->ListView1->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseClick(m_dialog->Command4, Qt::LeftButton);
    QTest::mouseDClick(m_dialog->ListView1->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(m_host->opened, QStringList({QStringLiteral("http://alpha.test/"), QStringLiteral("http://alpha.test/")}));
    QVERIFY(m_dialog->isVisible());
}

void TestLinkCheck::deleteOnlyThatLink()
{
    // The sample edition's Rust book, filed again under Tools; a section link whose
    // address is also filed under Tools.
    m_dialog.reset();
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    const QString book = QStringLiteral("https://doc.rust-lang.org/book/");
    const QString docs = QStringLiteral("https://doc.rust-lang.org/");
    fileLink(900, 6, QStringLiteral("The Rust Book"), book);
    fileLink(901, 6, QStringLiteral("Rust Docs"), docs);
    const QString filedIn = QStringLiteral("SELECT Lks.LksUrl FROM LksSit JOIN Sit ON Sit.SitId = LksSit.SitId "
                                           "JOIN Lks ON Lks.LksId = LksSit.LksId WHERE Sit.SitUrl = ? ORDER BY 1");
    QCOMPARE(QueryRows(filedIn, {book}).size(), 2);

    Form1 *form = Form1Test::openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    bool checked = false;
    Form1Test::OnModal<Form18> check([&](Form18 *dialog) {
        QTreeWidget *list = dialog->ListView1;
        int rust = -1;
        int section = -1;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const LinkCheckRow row = dialog->rowData(list->topLevelItem(i));
            if (row.url == book && row.categoryPath == QLatin1String("Programming/Languages/Rust"))
                rust = i;
            if (row.url == docs && row.categoryPath.isEmpty())
                section = i;
        }
        QVERIFY(rust >= 0 && section >= 0);
        const int rows = list->topLevelItemCount();

        // A write refused half-way: the failure is told, nothing is deleted and no success
        // is reported.
        const QStringList before = EditionSnapshot();
        QVERIFY(WriteFault::arm(QStringLiteral("Sit"), 0, WriteFault::Delete));
        DialogScript::answer(vbYes);
        DialogScript::answer(vbOK);
        clickRow(list, rust);
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        QVERIFY(DialogScript::last().prompt.startsWith(QStringLiteral("The Link could not be deleted.")));
        QVERIFY(DialogScript::last().prompt.contains(WriteFault::message()));
        QCOMPARE(EditionSnapshot(), before);
        QCOMPARE(list->topLevelItemCount(), rows);
        WriteFault::disarm();

        DialogScript::answer(vbYes);
        DialogScript::answer(vbOK);
        clickRow(list, rust);
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        QCOMPARE(DialogScript::last().prompt, QStringLiteral("The link '") + book + "' has been successfully deleted.");
        QCOMPARE(list->topLevelItemCount(), rows - 1);

        // A section link is refused, even though a filed link has its address.
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (dialog->rowData(list->topLevelItem(i)).url == docs
                && dialog->rowData(list->topLevelItem(i)).categoryPath.isEmpty())
                section = i;
        DialogScript::answer(vbYes);
        DialogScript::answer(vbOK);
        clickRow(list, section);
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        QCOMPARE(DialogScript::last().title, QStringLiteral("Delete Link Error"));
        QCOMPARE(list->topLevelItemCount(), rows - 1);
        checked = true;
        dialog->reject();
    });
    form->ShowLinkChecker();
    QVERIFY(checked);
    QCOMPARE(QueryRows(filedIn, {book}), QStringList({QStringLiteral("Programming/Tools")}));
    QCOMPARE(QueryRows(filedIn, {docs}), QStringList({QStringLiteral("Programming/Tools")}));

    // With "Select Topic" picked no Sub-Topic shows, and the link check does not open on
    // the one shown before.
    Form1Test::pickWithKeys(form->Combo1, QStringLiteral("Select Topic"));
    Form1Test::OnModal<Form18> hidden([](Form18 *dialog) { dialog->reject(); });
    form->ShowLinkChecker();
    QCoreApplication::processEvents();
    QVERIFY(!hidden.seen);
}

QTEST_MAIN(TestLinkCheck)
#include "tst_link_check.moc"
