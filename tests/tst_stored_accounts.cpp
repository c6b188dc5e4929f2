// Stored web-account logins: the rows a page's inputs give, storing, listing and deleting
// accounts, and storing and filling in an account on pages of a local server in the main
// window's browser.

#include "form1_support.h"
#include "http_stub_servers.h"
#include "testhelper.h"

#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "webtools/form10_accounts.h"
#include "webtools/page_inputs.h"
#include "webtools/stored_accounts.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

using namespace HttpStubs;

namespace {

PageElement input(const QString &type, const QString &name, const QString &value)
{
    return {QStringLiteral("INPUT"), type, name, value, {}};
}

PageElement tag(const QString &name, const QVector<PageElement> &frameInputs = {})
{
    return {name, QString(), QString(), QString(), frameInputs};
}

QStringList texts(const QVector<AccountRow> &rows)
{
    QStringList out;
    for (const AccountRow &r : rows)
        out << QStringLiteral("%1|%2|%3|%4|%5").arg(r.title, r.fieldName, r.fieldValue).arg(r.formNumber).arg(r.url);
    return out;
}

// Pages of a login: /login has a search box before two forms (the second one a log-on
// form), /frames a frameset of /top and /bottom. /held is answered only by release().
class PageServer : public StubServer
{
public:
    bool holds() const { return !m_held.isNull(); }
    void release()
    {
        if (m_held)
            answer(m_held, "held");
    }

protected:
    void handle(QTcpSocket *socket, const SeenRequest &request) override
    {
        QByteArray page;
        const QByteArray path = request.target.left(request.target.indexOf('?') < 0 ? request.target.size()
                                                                                      : request.target.indexOf('?'));
        if (path == "/held") {
            m_held = socket;
            return;
        }
        if (path == "/login")
            page = "<html><body><input name='q' value=''>"
                   "<form><input name='news' type='email'></form>"
                   "<form><input id='user' name='user' value='preset'><input id='pw' name='pw' type='password'>"
                   "<input id='note' name='note'><div style='display:none'><input value='hidden editor'></div>"
                   "<input name='ghost' value='unseen' style='visibility:hidden'></form></body></html>";
        else if (path == "/frames")
            page = "<html><frameset rows='50%,50%'><frame src='/top'><frame src='/bottom'></frameset></html>";
        else if (path == "/top")
            page = "<html><body><form><input id='user' name='user'></form></body></html>";
        else if (path == "/bottom")
            page = "<html><body><form><input id='pw' name='pw' type='password'></form></body></html>";
        answer(socket, page);
    }

private:
    static void answer(QTcpSocket *socket, const QByteArray &page)
    {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(page.size())
                      + "\r\nConnection: close\r\n\r\n" + page);
        socket->disconnectFromHost();
    }

    QPointer<QTcpSocket> m_held;
};

// Runs script in the page (or in frame number frame of a frameset) and answers its value.
QString evaluate(WebBrowser *browser, const QString &script)
{
    QString value;
    bool done = false;
    browser->page()->runJavaScript(script, [&](const QVariant &v) {
        value = v.toString();
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < PageLoadTimeoutMs)
        QTest::qWait(10);
    return done ? value : QStringLiteral("<no answer>");
}

bool load(WebBrowser *browser, const QString &address)
{
    QSignalSpy complete(browser, &WebBrowser::DocumentComplete);
    browser->Navigate(address);
    return complete.wait(PageLoadTimeoutMs);
}

} // namespace

class TestStoredAccounts : public Form1Test::WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rowsOfAPage();
    void framesAndLongAddresses();
    void listAndDelete();
    void storeAndFillInTheBrowser();
    void programPagesAreNotAccounts();
    void fillFrames();

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

void TestStoredAccounts::init()
{
    m_folder = std::make_unique<TestProgramFolder>();
    IsOnline = false;
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
}

void TestStoredAccounts::cleanup()
{
    Form1Test::closeMainWindow();
    CloseDatabase();
    RemoveProgramFolder(m_folder, true);
}

void TestStoredAccounts::rowsOfAPage()
{
    const QString at = QStringLiteral("http://bank.test/login");
    const QVector<PageElement> page = {
        input(QString(), QStringLiteral("q"), QStringLiteral("fish")),   // before any form
        tag(QStringLiteral("FORM")),
        input(QStringLiteral("text"), QStringLiteral("user"), QStringLiteral("anna")),
        input(QStringLiteral("Password"), QStringLiteral("pw"), QStringLiteral("s3cret")),
        input(QStringLiteral("text"), QStringLiteral("empty"), QString()),
        input(QStringLiteral("checkbox"), QStringLiteral("keep"), QStringLiteral("on")),
        input(QStringLiteral("email"), QStringLiteral("mail"), QStringLiteral("a@b.test")),
    };
    QCOMPARE(texts(StoredAccounts::rowsOf(QStringLiteral(" Bank "), at, page)),
             QStringList({" Bank |q|fish|0|" + at, " Bank |user|anna|1|" + at, " Bank |pw|s3cret|1|" + at,
                          " Bank |mail|a@b.test|1|" + at}));
}

void TestStoredAccounts::framesAndLongAddresses()
{
    QString at = QStringLiteral("http://bank.test/") + QString(101, QLatin1Char('p')) + QLatin1Char('?');
    at += QString(300 - at.size(), QLatin1Char('q'));
    QCOMPARE(at.indexOf(QLatin1Char('?')), 118);   // position 119 counted from 1
    const QVector<PageElement> page = {
        tag(QStringLiteral("FORM")),
        input(QString(), QStringLiteral("top"), QStringLiteral("1")),
        tag(QStringLiteral("FRAME"), {input(QString(), QStringLiteral("a"), QStringLiteral("2"))}),
        input(QString(), QStringLiteral("after"), QStringLiteral("3")),   // no longer taken
        tag(QStringLiteral("FRAME"), {input(QStringLiteral("password"), QStringLiteral("b"), QStringLiteral("4"))}),
    };
    const QString cut = at.left(118);
    QCOMPARE(texts(StoredAccounts::rowsOf(QStringLiteral("T"), at, page)),
             QStringList({"T|top|1|1|" + at, "T|a|2|1|" + cut, "T|b|4|1|" + cut}));
    // A long address without "?" is kept whole.
    const QString plain = QStringLiteral("http://bank.test/") + QString(290, QLatin1Char('p'));
    QCOMPARE(StoredAccounts::rowsOf(QStringLiteral("T"), plain, page).last().url, plain);
}

void TestStoredAccounts::listAndDelete()
{
    StoredAccounts accounts;
    QVERIFY(accounts.store({{QStringLiteral("bank"), QStringLiteral("user"), QStringLiteral("anna"), 1,
                             QStringLiteral("http://bank.test/")},
                            {QStringLiteral("bank"), QStringLiteral("pw"), QStringLiteral("x"), 1,
                             QStringLiteral("http://bank.test/short")},
                            {QStringLiteral("Mail"), QStringLiteral("user"), QStringLiteral("bob"), 1,
                             QStringLiteral("http://mail.test/")}}));
    QVERIFY(accounts.titleExists(QStringLiteral("BANK")));
    QVERIFY(!accounts.titleExists(QStringLiteral("bank2")));

    Form10 dialog;
    dialog.Form_Load();
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Personal Account Information "));
    QCOMPARE(dialog.ListView1->topLevelItemCount(), 3);   // one title with two addresses
    // Delete answered No keeps everything; Yes removes every row of the title.
    QTest::mouseClick(dialog.ListView1->viewport(), Qt::LeftButton, {},
                      dialog.ListView1->visualItemRect(dialog.ListView1->topLevelItem(0)).center());
    DialogScript::answer(vbNo);
    QTest::mouseClick(dialog.Command2, Qt::LeftButton);
    QCOMPARE(DialogScript::last().title, QStringLiteral("Delete Personal Account Record"));
    QCOMPARE(dialog.ListView1->topLevelItemCount(), 3);
    // A delete refused half-way deletes nothing and says so.
    const QStringList before = EditionSnapshot();
    QVERIFY(WriteFault::arm(QStringLiteral("PersonalInformation"), 1, WriteFault::Delete));
    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    QTest::mouseClick(dialog.Command2, Qt::LeftButton);
    QVERIFY(DialogScript::last().prompt.startsWith(QStringLiteral("The account could not be deleted.")));
    QVERIFY(DialogScript::last().prompt.contains(WriteFault::message()));
    QCOMPARE(EditionSnapshot(), before);
    QCOMPARE(dialog.ListView1->topLevelItemCount(), 3);
    WriteFault::disarm();
    DialogScript::answer(vbYes);
    QTest::mouseClick(dialog.Command2, Qt::LeftButton);
    QCOMPARE(dialog.ListView1->topLevelItemCount(), 1);
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM PersonalInformation")), 1);
    DialogScript::answer(vbYes);
    QTest::mouseClick(dialog.Command2, Qt::LeftButton);
    QVERIFY(!dialog.Command4->isEnabled());
    QVERIFY(!dialog.Command2->isEnabled());
    QVERIFY(dialog.Command3->isEnabled());
    AccountPageUrl = QStringLiteral("kept");
    QTest::mouseClick(dialog.Command3, Qt::LeftButton);
    QCOMPARE(AccountPageUrl, QStringLiteral("kept"));

    // A store refused at its commit stores nothing; a table that cannot be read is said,
    // never taken for no accounts.
    QVERIFY(WriteFault::armCommit(QStringLiteral("PersonalInformation")));
    QVERIFY(!accounts.store({{QStringLiteral("Shop"), QStringLiteral("user"), QStringLiteral("cy"), 1,
                              QStringLiteral("http://shop.test/")}}));
    QVERIFY(accounts.lastError().contains(WriteFault::commitMessage()));
    WriteFault::disarm();
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM PersonalInformation")), 0);
    QVERIFY(ExecSql(QStringLiteral("ALTER TABLE PersonalInformation RENAME TO Kept")));
    QVector<AccountRow> rows;
    QVERIFY(!accounts.titleExists(QStringLiteral("Shop")));
    QVERIFY(accounts.lastError().startsWith(QStringLiteral("no such table: PersonalInformation")));
    QVERIFY(!accounts.rowsFor(QStringLiteral("Shop"), QStringLiteral("http://shop.test/"), rows));
    QVERIFY(accounts.lastError().startsWith(QStringLiteral("no such table: PersonalInformation")));
    DialogScript::answer(vbOK);
    dialog.UpdatePrivateInfo();
    QVERIFY(DialogScript::last().prompt.startsWith(
        QStringLiteral("The stored accounts could not be read.\n\nno such table: PersonalInformation")));
}

void TestStoredAccounts::storeAndFillInTheBrowser()
{
    PageServer server;
    const QString login = QStringLiteral("http://127.0.0.1:%1/login").arg(server.serverPort());
    Form1 *form = Form1Test::showMainWindow();
    QVERIFY(load(form->results, login));
    // What the user typed, not what the page wrote into its inputs.
    evaluate(form->results, QStringLiteral("document.getElementById('user').value = 'anna';"
                                           "document.getElementById('pw').value = 'pw-anna'; 1"));
    // A write refused half-way stores nothing and says so.
    const QStringList before = EditionSnapshot();
    QVERIFY(WriteFault::arm(QStringLiteral("PersonalInformation"), 1, WriteFault::Insert));
    DialogScript::input(QStringLiteral("Anna"));
    DialogScript::answer(vbOK);
    form->mnuStoreAccount->trigger();
    QVERIFY(DialogScript::last().prompt.contains(WriteFault::message()));
    QCOMPARE(EditionSnapshot(), before);
    WriteFault::disarm();

    // Only the inputs the user sees and filled in are stored.
    DialogScript::input(QStringLiteral("Anna"));
    DialogScript::answer(vbOK);
    form->mnuStoreAccount->trigger();
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Your Membership/Account Information has been successfully stored."));
    QCOMPARE(QueryRows(QStringLiteral("SELECT FieldName, FieldValue, FormNumber, URL FROM PersonalInformation")),
             QStringList({"user|anna|2|" + login, "pw|pw-anna|2|" + login}));

    // The same title in other letters is refused.
    DialogScript::input(QStringLiteral("ANNA"));
    DialogScript::answer(vbOK);
    form->mnuStoreAccount->trigger();
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The Personal Account/Membership Title \"ANNA\" already exists in your Account "
                            "Information. Please select an alternate title."));

    // A second account for the same page.
    evaluate(form->results, QStringLiteral("document.getElementById('user').value = 'bob';"
                                           "document.getElementById('pw').value = 'pw-bob'; 1"));
    DialogScript::input(QStringLiteral("Bob"));
    DialogScript::answer(vbOK);
    form->mnuStoreAccount->trigger();
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM PersonalInformation")), 4);

    // Choosing Anna opens the page and fills in Anna's logins only.
    QVERIFY(load(form->results, QStringLiteral("about:blank")));
    Form1Test::OnModal<Form10> choose([](Form10 *dialog) {
        QTreeWidget *list = dialog->ListView1;
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Anna"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(0)).center());
        QTest::mouseClick(dialog->Command4, Qt::LeftButton);
    });
    form->mnuOpenAccount->trigger();
    QVERIFY(choose.seen);
    QCOMPARE(form->results->LocationURL(), login);
    QCOMPARE(evaluate(form->results, QStringLiteral("document.getElementById('user').value + '|' + "
                                                    "document.getElementById('pw').value + '|' + "
                                                    "document.getElementById('note').value")),
             QStringLiteral("anna|pw-anna|"));

    // Cancel opens no page.
    QVERIFY(load(form->results, QStringLiteral("about:blank")));
    Form1Test::OnModal<Form10> cancel([](Form10 *dialog) { QTest::mouseClick(dialog->Command3, Qt::LeftButton); });
    form->mnuOpenAccount->trigger();
    QVERIFY(cancel.seen);
    QCOMPARE(form->results->LocationURL(), QStringLiteral("about:blank"));
}

void TestStoredAccounts::programPagesAreNotAccounts()
{
    // A Sub-Topic's page (with its section editors) and the help page are the program's.
    Form1 *form = Form1Test::showMainWindow();
    Form1Test::pickWithKeys(form->Combo1, QStringLiteral("Computing"));
    Form1Test::pickWithKeys(form->Combo2, QStringLiteral("Programming"));
    QTRY_VERIFY_WITH_TIMEOUT(form->results->LocationURL().endsWith(QStringLiteral(".html")), PageLoadTimeoutMs);
    for (const QString &page : {form->results->LocationURL(),
                                QUrl::fromLocalFile(m_folder->file(QStringLiteral("help/index.html"))).toString()}) {
        QVERIFY(load(form->results, page));
        DialogScript::answer(vbOK);
        form->mnuStoreAccount->trigger();
        QCOMPARE(DialogScript::last().title, QStringLiteral("Storing Personal Account Information"));
        QVERIFY(DialogScript::last().prompt.startsWith(
            QStringLiteral("The page shown is a page of this program, not a web page")));
        QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM PersonalInformation")), 0);
    }
}

void TestStoredAccounts::fillFrames()
{
    PageServer server;
    const QString frames = QStringLiteral("http://127.0.0.1:%1/frames").arg(server.serverPort());
    Form1 *form = Form1Test::showMainWindow();
    QVERIFY(load(form->results, frames));
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(form->results, QStringLiteral("String(window.frames.length && "
                                                                    "window.frames[1].document.readyState)")),
                              QStringLiteral("complete"), PageLoadTimeoutMs);
    evaluate(form->results, QStringLiteral("window.frames[0].document.getElementById('user').value = 'anna';"
                                           "window.frames[1].document.getElementById('pw').value = 'pw'; 1"));
    QVector<PageElement> walk;
    QVERIFY(PageInputs::read(form->results, walk));
    QCOMPARE(texts(StoredAccounts::rowsOf(QStringLiteral("F"), frames, walk)),
             QStringList({"F|user|anna|0|" + frames, "F|pw|pw|0|" + frames}));

    // Filling reaches the frame that holds each input.
    evaluate(form->results, QStringLiteral("window.frames[0].document.getElementById('user').value = '';"
                                           "window.frames[1].document.getElementById('pw').value = ''; 1"));
    QCOMPARE(PageInputs::fill(form->results, StoredAccounts::rowsOf(QStringLiteral("F"), frames, walk)), 2);
    QCOMPARE(evaluate(form->results, QStringLiteral("window.frames[0].document.getElementById('user').value + '|' + "
                                                    "window.frames[1].document.getElementById('pw').value")),
             QStringLiteral("anna|pw"));
    // Without a browser, or without an answer in time, nothing is read and nothing filled.
    // The page cannot answer in time while a request of its own waits for the server: its
    // scripts run one after the other. (Released late, should the wait not end.)
    QVERIFY(!PageInputs::read(nullptr, walk));
    form->results->page()->runJavaScript(QStringLiteral("const held = new XMLHttpRequest();"
                                                        "held.open('GET', '/held', false); held.send(); 1"));
    QTRY_VERIFY_WITH_TIMEOUT(server.holds(), PageLoadTimeoutMs);
    QTimer::singleShot(PageLoadTimeoutMs, &server, &PageServer::release);
    QVERIFY(!PageInputs::read(form->results, walk, 100));
    server.release();
    QCOMPARE(PageInputs::fill(nullptr, StoredAccounts::rowsOf(QStringLiteral("F"), frames, walk)), -1);
}

QTEST_MAIN(TestStoredAccounts)
#include "tst_stored_accounts.moc"
