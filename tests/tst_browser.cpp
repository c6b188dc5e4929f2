// The main window beside its browser windows: links opened in separate browser windows
// of the program, the tracking of the foreground browser window, naming a dropped link
// after its page, the status text, pages asking for new windows, the completion of an
// account page, the script-debugger setting, the URL history and the page commands.

#include "form1_support.h"
#include "http_stub_servers.h"
#include "testhelper.h"

#include "editions/c_download.h"
#include "webtools/link_check.h"

#include "mainwindow/form1.h"
#include "platform/browser_window.h"
#include "platform/dialogs.h"
#include "platform/foreground_window.h"
#include "platform/registry.h"
#include "platform/url_history.h"
#include "platform/webbrowser.h"
#include "shared/globals.h"
#include "shared/window_services.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTreeWidget>
#include <QtTest>

using namespace Form1Test;

namespace {

QByteArray page(const QByteArray &title, const QByteArray &body)
{
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

// A web server on this machine that answers the first request only when told to.
class HeldServer : public QTcpServer
{
public:
    HeldServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this]() {
            while (QTcpSocket *s = nextPendingConnection())
                m_sockets.append(s);
        });
        listen(QHostAddress::LocalHost);
    }
    QString address(const char *path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(QLatin1String(path));
    }
    bool hasRequest() const { return !m_sockets.isEmpty(); }
    void answerAll(const QByteArray &html)
    {
        for (QTcpSocket *s : std::as_const(m_sockets)) {
            s->write("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(html.size())
                     + "\r\nConnection: close\r\n\r\n" + html);
            s->disconnectFromHost();
        }
        m_sockets.clear();
    }

private:
    QList<QTcpSocket *> m_sockets;
};

// A web server on this machine whose page and file arrive in two halves, the second once
// an answer whose header comes after a second is asked for; beside them, an answer whose
// header never ends.
class HalvesServer : public HttpStubs::StubServer
{
public:
    static constexpr qsizetype FileSize = 2 * 1024 * 1024;

    HalvesServer()
    {
        QByteArray filler;
        while (filler.size() < 1024 * 1024)
            filler += "<p>" + QByteArray(120, 'w') + "</p>\n";
        m_page = page("part", filler + "<script>document.title = 'whole';</script>");
        m_file = QByteArray(FileSize, 'f');
    }
    QString address(const char *path) const { return QStringLiteral("http://") + target(QLatin1String(path)); }
    // The first halves have all gone out.
    bool halvesSent(int count) const
    {
        return m_held.size() >= count && std::all_of(m_held.cbegin(), m_held.cend(), [](const auto &held) {
                   return held.first && held.first->bytesToWrite() == 0;
               });
    }

protected:
    void handle(QTcpSocket *socket, const HttpStubs::SeenRequest &request) override
    {
        const QByteArray &path = request.target;
        if (path == "/late") {
            // The page and the file go on while this header waits.
            sendSecondHalves();
            QTimer::singleShot(1000, socket, [socket] { socket->write(HttpStubs::answer(200)); });
        } else if (path == "/endless") {
            socket->write(HttpStubs::EndlessHeaderStart);
            HttpStubs::pourEndlessly(socket, QByteArray(64 * 1024, 'x'));
        } else if (path == "/page" || path == "/file") {
            const QByteArray &body = path == "/page" ? m_page : m_file;
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(body.size())
                          + "\r\n\r\n");
            if (request.method == "HEAD")
                return;
            socket->write(body.left(body.size() / 2));
            m_held.append({socket, body.mid(body.size() / 2)});
        }
    }

private:
    // Sends the second halves 64 KiB at a time, a piece every 50 ms.
    void sendSecondHalves()
    {
        for (const auto &[socket, rest] : std::as_const(m_held)) {
            if (!socket)
                continue;
            auto *drip = new QTimer(socket.data());
            connect(drip, &QTimer::timeout, socket.data(), [drip, socket = socket.data(), rest, sent = qsizetype(0)]() mutable {
                socket->write(rest.mid(sent, 64 * 1024));
                sent += 64 * 1024;
                if (sent >= rest.size())
                    drip->stop();
            });
            drip->start(50);
        }
        m_held.clear();
    }

    QByteArray m_page;
    QByteArray m_file;
    QList<std::pair<QPointer<QTcpSocket>, QByteArray>> m_held;
};

} // namespace

class TestBrowser : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void linkOpensSeparateBrowserWindow();
    void hiddenTitleReadLeavesNoWindow();
    void browserWindowGoesBackAndElsewhere();
    void windowTrackingKeepsThreeWindows();
    void droppedLinkNamedAfterPage_data();
    void droppedLinkNamedAfterPage();
    void statusText();
    void newWindowRequestsOpenBrowserWindows();
    void accountPageCompletion_data();
    void accountPageCompletion();
    void accountPageStillLoading();
    void scriptDebuggerSetting_data();
    void scriptDebuggerSetting();
    void urlHistoryStore();
    void pageCommands();
    void ownRequestsLeaveThePageAlone_data();
    void ownRequestsLeaveThePageAlone();

private:
    BrowserWindow *openWindow(const QString &file);

    std::unique_ptr<TestProgramFolder> m_app;
};

void TestBrowser::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    Registry::reload();
    UrlHistory::reload();
    IsOnline = false;
    TrackedWindows = QStringList(6, QString());
    TrackedBrowserTitle.clear();
    TrackedBrowserHandle.clear();
    AccountPageUrl.clear();
    AccountPageReady = 0;
    DroppedLinkUrl.clear();
    SetForegroundWindowSource({});
}

void TestBrowser::cleanup()
{
    SetForegroundWindowSource({});
    closeBrowserWindows();
    closeMainWindow();
    RemoveProgramFolder(m_app);
}

BrowserWindow *TestBrowser::openWindow(const QString &file)
{
    return BrowserWindow::open(m_app->file(file));
}

void TestBrowser::linkOpensSeparateBrowserWindow()
{
    m_app->writeFile(QStringLiteral("site.htm"), page("Site One", "<p>one</p>"));
    Form1 *form = showMainWindow();
    const QString shownBefore = form->results->lastNavigated();
    const QString address = m_app->file(QStringLiteral("site.htm"));
    const QUrl url = QUrl::fromLocalFile(address);

    // The user clicks a link of the tree.
    WebPageTitle = QStringLiteral("stale");
    form->PopupCommandDone = 0;
    SelectedLinkUrl = address;
    form->TvwBestell_Click();

    // A window of our own, in front, listed among the open browser windows; the main
    // window's browser is left alone.
    QCOMPARE(BrowserWindow::openWindows().size(), 1);
    BrowserWindow *window = BrowserWindow::openWindows().first();
    QVERIFY(window->isVisible());
    QCOMPARE(WebPageTitle, QString());
    QTRY_COMPARE_WITH_TIMEOUT(window->browser()->url(), url, PageLoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Site One - Browser"), PageLoadTimeoutMs);
    QVERIFY(IsBrowserTitle(window->windowTitle()));
    QCOMPARE(form->results->lastNavigated(), shownBefore);
    QCOMPARE(BrowserWindow::findByHandle(window->handle()), window);

    // Recorded as it loaded.
    QTRY_COMPARE_WITH_TIMEOUT(UrlHistory::find(QString::fromUtf8(url.toEncoded())).visits, 1, PageLoadTimeoutMs);

    // It lies over the page, not over the tree.
    const QRect page(form->results->mapToGlobal(QPoint(0, 0)), form->results->size());
    const QRect tree(form->TvwBestell->mapToGlobal(QPoint(0, 0)), form->TvwBestell->size());
    QCOMPARE(window->geometry().topLeft(), page.topLeft());
    QVERIFY(!window->geometry().intersects(tree));

    // Every link opens a window of its own.
    form->NavigateWebSite(address, 0);
    QCOMPARE(BrowserWindow::openWindows().size(), 2);
    QVERIFY(BrowserWindow::openWindows().at(1) != window);

    // Ctrl+W on the page closes the window, which leaves the list at once.
    QWidget *view = window->browser()->focusProxy() ? window->browser()->focusProxy() : window->browser();
    QTest::keyClick(view, Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(BrowserWindow::openWindows().size(), 1);
    QVERIFY(!BrowserWindow::openWindows().contains(window));
}

void TestBrowser::browserWindowGoesBackAndElsewhere()
{
    m_app->writeFile(QStringLiteral("one.htm"), page("One", "<p>one</p>"));
    m_app->writeFile(QStringLiteral("two.htm"), page("Two", "<p>two</p>"));
    const QUrl one = QUrl::fromLocalFile(m_app->file(QStringLiteral("one.htm")));
    const QUrl two = QUrl::fromLocalFile(m_app->file(QStringLiteral("two.htm")));
    BrowserWindow *window = openWindow(QStringLiteral("one.htm"));
    auto *address = window->findChild<QLineEdit *>(QStringLiteral("address"));
    auto *bar = window->findChild<QToolBar *>(QStringLiteral("navigation"));
    QVERIFY(address && bar);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("One - Browser"), PageLoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(window->browser()->ReadyState(), 4, PageLoadTimeoutMs);
    QCOMPARE(address->text(), one.toString());

    // An address typed into the window's address box is shown there.
    address->clear();
    QTest::keyClicks(address, m_app->file(QStringLiteral("two.htm")));
    QTest::keyClick(address, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(window->browser()->url(), two, PageLoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Two - Browser"), PageLoadTimeoutMs);
    QCOMPARE(address->text(), two.toString());

    // Back from the tool bar returns to the page before.
    QAction *back = window->browser()->pageAction(QWebEnginePage::Back);
    QVERIFY(bar->actions().contains(back));
    QTRY_VERIFY_WITH_TIMEOUT(back->isEnabled(), PageLoadTimeoutMs);
    back->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(window->browser()->url(), one, PageLoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(address->text(), one.toString(), PageLoadTimeoutMs);

    // An empty address goes nowhere: the browser is not even asked to go.
    const QString navigated = window->browser()->lastNavigated();
    address->setText(QStringLiteral("   "));
    QTest::keyClick(address, Qt::Key_Return);
    QCOMPARE(window->browser()->lastNavigated(), navigated);
    QCOMPARE(window->browser()->url(), one);
}

void TestBrowser::hiddenTitleReadLeavesNoWindow()
{
    m_app->writeFile(QStringLiteral("titled.htm"), page("Quiet Page", "x"));
    m_app->writeFile(QStringLiteral("untitled.htm"), "<html><body>no title</body></html>");
    Form1 *form = showMainWindow();

    form->NavigateWebSite(m_app->file(QStringLiteral("titled.htm")), 1);
    QCOMPARE(WebPageTitle, QStringLiteral("Quiet Page"));
    QVERIFY(BrowserWindow::openWindows().isEmpty());

    form->NavigateWebSite(m_app->file(QStringLiteral("untitled.htm")), 1);
    QCOMPARE(WebPageTitle, QString());
    QVERIFY(BrowserWindow::openWindows().isEmpty());
}

void TestBrowser::windowTrackingKeepsThreeWindows()
{
    m_app->writeFile(QStringLiteral("a.htm"), page("Alpha", "a"));
    m_app->writeFile(QStringLiteral("b.htm"), page("Beta", "b"));
    Form1 *form = showMainWindow();

    BrowserWindow *a = openWindow(QStringLiteral("a.htm"));
    BrowserWindow *b = openWindow(QStringLiteral("b.htm"));
    QTRY_COMPARE_WITH_TIMEOUT(a->windowTitle(), QStringLiteral("Alpha - Browser"), PageLoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(b->windowTitle(), QStringLiteral("Beta - Browser"), PageLoadTimeoutMs);
    const QString ha = QString::number(a->handle());
    const QString hb = QString::number(b->handle());

    std::optional<ForegroundWindow> front;
    SetForegroundWindowSource([&front]() { return front; });

    // The timer notices the first browser window coming to the front.
    front = ForegroundWindow{a->handle(), a->windowTitle()};
    QTRY_COMPARE(TrackedBrowserTitle, QStringLiteral("Alpha - Browser"));
    QCOMPARE(TrackedBrowserHandle, ha);

    // Staying in front, or the main window coming to the front, records nothing.
    form->tmrWindowTrack_Timer();
    front = ForegroundWindow{quint64(form->winId()), form->windowTitle()};
    form->tmrWindowTrack_Timer();
    QCOMPARE(TrackedWindows, (QStringList{"Alpha - Browser", "", "", ha, "", ""}));

    // Over to the second window and back: three entries, the first window twice.
    front = ForegroundWindow{b->handle(), b->windowTitle()};
    form->tmrWindowTrack_Timer();
    QCOMPARE(TrackedBrowserTitle, QStringLiteral("Beta - Browser"));
    QCOMPARE(TrackedBrowserHandle, hb);
    front = ForegroundWindow{a->handle(), a->windowTitle()};
    form->tmrWindowTrack_Timer();
    QCOMPARE(TrackedWindows,
             (QStringList{"Alpha - Browser", "Beta - Browser", "Alpha - Browser", ha, hb, ha}));
    QCOMPARE(TrackedBrowserTitle, QStringLiteral("Alpha - Browser"));
    QCOMPARE(TrackedBrowserHandle, ha);
}

void TestBrowser::droppedLinkNamedAfterPage_data()
{
    QTest::addColumn<QString>("dropped");   // "%page" is the address of the first window
    QTest::addColumn<int>("tracked");       // 0 none, 1 first window, 2 second window
    QTest::addColumn<QString>("expected");

    const QString a = QStringLiteral("http://example.invalid/a");
    QTest::newRow("window showing the address") << "%page" << 1 << "Links One,%page";
    QTest::newRow("http link of tracked page") << a << 1 << "Link A," + a;
    QTest::newRow("same link, other tracked page") << a << 2 << "Second A," + a;
    QTest::newRow("no tracked window") << a << 0 << a + "," + a;
    QTest::newRow("https link") << "https://example.invalid/b" << 1
                                << "https://example.invalid/b,https://example.invalid/b";
    QTest::newRow("link without text") << "http://example.invalid/picture" << 1
                                       << "http://example.invalid/picture,http://example.invalid/picture";
}

void TestBrowser::droppedLinkNamedAfterPage()
{
    QFETCH(QString, dropped);
    QFETCH(int, tracked);
    QFETCH(QString, expected);

    m_app->writeFile(QStringLiteral("links1.htm"),
                     page("Links One", "<a href=\"http://example.invalid/a\">Link A</a>"
                                       "<a href=\"https://example.invalid/b\">Link B</a>"
                                       "<a href=\"http://example.invalid/picture\"><span></span></a>"));
    m_app->writeFile(QStringLiteral("links2.htm"),
                     page("Links Two", "<p><a href=\"http://example.invalid/a\">Second A</a></p>"));
    BrowserWindow *one = openWindow(QStringLiteral("links1.htm"));
    BrowserWindow *two = openWindow(QStringLiteral("links2.htm"));
    QTRY_VERIFY_WITH_TIMEOUT(one->pageLinksCollected(), PageLoadTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(two->pageLinksCollected(), PageLoadTimeoutMs);
    QCOMPARE(one->pageLinks().size(), 3);

    const QString pageUrl = QUrl::fromLocalFile(m_app->file(QStringLiteral("links1.htm"))).toString();
    dropped.replace(QLatin1String("%page"), pageUrl);
    expected.replace(QLatin1String("%page"), pageUrl);
    const QString handle = tracked == 1 ? QString::number(one->handle())
                         : tracked == 2 ? QString::number(two->handle())
                                        : QString();
    QCOMPARE(NameDroppedLink(dropped, handle), expected);
}

void TestBrowser::statusText()
{
    Form1 *form = showMainWindow();
    emit form->results->StatusTextChange(QStringLiteral("http://example.invalid/under-the-pointer"));
    QCOMPARE(form->sbStatusPanel1->text(), QStringLiteral("http://example.invalid/under-the-pointer"));
    emit form->results->StatusTextChange(QString());
    QCOMPARE(form->sbStatusPanel1->text(), QString());
}

void TestBrowser::newWindowRequestsOpenBrowserWindows()
{
    m_app->writeFile(QStringLiteral("opener.htm"),
                     page("Opener", "<a id=\"n\" href=\"target.htm\" target=\"_blank\">new</a>"));
    m_app->writeFile(QStringLiteral("target.htm"), page("Target", "t"));
    Form1 *form = showMainWindow();
    const QUrl opener = QUrl::fromLocalFile(m_app->file(QStringLiteral("opener.htm")));
    const QUrl target = QUrl::fromLocalFile(m_app->file(QStringLiteral("target.htm")));

    // A page of the main window's browser opens its new window as a browser window.
    QSignalSpy done(form->results, &WebBrowser::DocumentComplete);
    form->results->Navigate(opener.toLocalFile());
    QTRY_VERIFY_WITH_TIMEOUT(!done.isEmpty() && done.last().at(0).toUrl() == opener, PageLoadTimeoutMs);
    form->results->page()->runJavaScript(QStringLiteral("document.getElementById('n').click()"));
    QTRY_COMPARE_WITH_TIMEOUT(BrowserWindow::openWindows().size(), 1, PageLoadTimeoutMs);
    BrowserWindow *first = BrowserWindow::openWindows().first();
    QVERIFY(first->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(first->browser()->url(), target, PageLoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(first->windowTitle(), QStringLiteral("Target - Browser"), PageLoadTimeoutMs);
    QCOMPARE(form->results->url(), opener);

    // And so does a page of a browser window.
    first->browser()->page()->runJavaScript(QStringLiteral("window.open('opener.htm')"));
    QTRY_COMPARE_WITH_TIMEOUT(BrowserWindow::openWindows().size(), 2, PageLoadTimeoutMs);
    BrowserWindow *second = BrowserWindow::openWindows().last();
    QTRY_COMPARE_WITH_TIMEOUT(second->browser()->url(), opener, PageLoadTimeoutMs);
    QCOMPARE(first->browser()->url(), target);
}

void TestBrowser::accountPageCompletion_data()
{
    QTest::addColumn<QString>("accountPageUrl");
    QTest::addColumn<int>("ready");
    QTest::newRow("no account page: any page") << QString() << 1;
    QTest::newRow("part of the address") << "account.htm" << 1;
    QTest::newRow("other page") << "other.htm" << 0;
}

void TestBrowser::accountPageCompletion()
{
    QFETCH(QString, accountPageUrl);
    QFETCH(int, ready);
    m_app->writeFile(QStringLiteral("account.htm"), page("Account", "a"));
    Form1 *form = showMainWindow();
    QSignalSpy done(form->results, &WebBrowser::DocumentComplete);

    AccountPageUrl = accountPageUrl;
    AccountPageReady = 0;
    form->results->Navigate(m_app->file(QStringLiteral("account.htm")));
    QTRY_VERIFY_WITH_TIMEOUT(!done.isEmpty() && done.last().at(0).toUrl().fileName() == QLatin1String("account.htm"),
                             PageLoadTimeoutMs);
    QCOMPARE(AccountPageReady, ready);
}

void TestBrowser::accountPageStillLoading()
{
    HeldServer server;
    QVERIFY(server.isListening());
    Form1 *form = showMainWindow();
    QSignalSpy done(form->results, &WebBrowser::DocumentComplete);

    // Stored in other letters than the browser shows it: still the same page.
    AccountPageUrl = server.address("/account").replace(QLatin1String("http:"), QLatin1String("HTTP:"));
    AccountPageReady = 0;
    form->results->Navigate(server.address("/account"));
    QTRY_VERIFY_WITH_TIMEOUT(server.hasRequest(), PageLoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(form->results->ReadyState(), 1, PageLoadTimeoutMs);

    // A completion while the page is still loading changes nothing.
    emit form->results->DocumentComplete(QUrl(server.address("/account")), true);
    QCOMPARE(AccountPageReady, 0);
    done.clear();

    server.answerAll(page("Account", "welcome"));
    QTRY_VERIFY_WITH_TIMEOUT(!done.isEmpty() && done.last().at(1).toBool(), PageLoadTimeoutMs);
    QCOMPARE(form->results->ReadyState(), 4);
    QCOMPARE(AccountPageReady, 1);
}

void TestBrowser::scriptDebuggerSetting_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("disabled");
    QTest::newRow("no key") << "none" << QString() << false;
    QTest::newRow("yes") << "text" << "yes" << true;
    QTest::newRow("Yes and more") << "text" << "Yes, please" << true;
    QTest::newRow("no") << "text" << "no" << false;
    QTest::newRow("number") << "dword" << "1" << false;
    QTest::newRow("too long") << "text" << QString(130, QLatin1Char('x')) + "yes" << false;
}

void TestBrowser::scriptDebuggerSetting()
{
    QFETCH(QString, kind);
    QFETCH(QString, value);
    QFETCH(bool, disabled);
    const QString keyPath = QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main");
    const QString name = QStringLiteral("Disable Script Debugger");
    Form1 *form = showMainWindow();

    // The value can only be stored in a key that exists.
    QCOMPARE(form->SaveUserRegValue(keyPath, name, value, REG_SZ), ERROR_FILE_NOT_FOUND);
    if (kind != QLatin1String("none")) {
        RegKey key;
        QCOMPARE(Registry::createKey(HKEY_CURRENT_USER, keyPath, &key), ERROR_SUCCESS);
    }
    if (kind == QLatin1String("text"))
        QCOMPARE(form->SaveUserRegValue(keyPath, name, value, REG_SZ), ERROR_SUCCESS);
    else if (kind == QLatin1String("dword"))
        QCOMPARE(form->SaveUserRegValue(keyPath, name, value.toUInt(), REG_DWORD), ERROR_SUCCESS);
    QCOMPARE(form->IsScriptDebuggerDisabled(), disabled);
}

void TestBrowser::urlHistoryStore()
{
    const QUrl a(QStringLiteral("http://example.invalid/a"));
    const QUrl b(QStringLiteral("https://example.invalid/b?q=1"));
    UrlHistory::recordVisit(a, QStringLiteral("Page\tA"));
    UrlHistory::recordVisit(b, QStringLiteral("Page B"));
    UrlHistory::recordVisit(a, QStringLiteral("Page A"));
    UrlHistory::recordVisit(QUrl(QStringLiteral("about:blank")), QString());

    // Kept across a restart, one entry an address, in the order first visited.
    UrlHistory::reload();
    QList<UrlHistoryEntry> entries = UrlHistory::entries();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0).url, a.toString());
    QCOMPARE(entries.at(0).visits, 2);
    QCOMPARE(entries.at(0).title, QStringLiteral("Page A"));
    QCOMPARE(entries.at(1).url, b.toString());

    QVERIFY(UrlHistory::remove(a.toString()));
    UrlHistory::clear();
    UrlHistory::reload();
    QVERIFY(UrlHistory::entries().isEmpty());

    // A damaged file loses only its damaged lines; past the limit the oldest go.
    QByteArray text = "broken line\n\t1\t\t\n";
    for (int i = 0; i <= UrlHistory::MaxEntries; ++i)
        text += "http://example.invalid/" + QByteArray::number(i) + "\t1\t2024-01-01T00:00:00Z\tT\n";
    QDir().mkpath(QFileInfo(UrlHistory::filePath()).absolutePath());
    QFile file(UrlHistory::filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    UrlHistory::reload();
    entries = UrlHistory::entries();
    QCOMPARE(entries.size(), UrlHistory::MaxEntries);
    QCOMPARE(entries.first().url, QStringLiteral("http://example.invalid/1"));
    QCOMPARE(entries.last().url, QStringLiteral("http://example.invalid/%1").arg(UrlHistory::MaxEntries));
}

void TestBrowser::pageCommands()
{
    Form1 *form = showMainWindow();
    m_app->writeFile(QStringLiteral("local.html"), page("Local", "l"));

    // Opening a page file: the chosen file is shown; the program folder stays current.
    QDir::setCurrent(QDir::tempPath());
    DialogScript::input(m_app->file(QStringLiteral("local.html")));
    form->OpenHtmlFile();
    QCOMPARE(DialogScript::last().kind, QStringLiteral("OpenFile"));
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Text files (*.html)"));
    QCOMPARE(form->results->lastNavigated(), m_app->file(QStringLiteral("local.html")));
    QCOMPARE(QDir::currentPath() + QLatin1Char('/'), m_app->path());

    const QString shown = form->results->lastNavigated();
    DialogScript::cancel();
    form->OpenHtmlFile();
    QCOMPARE(form->results->lastNavigated(), shown);

    // Saving the shown page.
    QTRY_COMPARE_WITH_TIMEOUT(form->results->title(), QStringLiteral("Local"), PageLoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(form->results->ReadyState(), 4, PageLoadTimeoutMs);
    DialogScript::input(m_app->file(QStringLiteral("saved/copy.html")));
    QDir().mkpath(m_app->file(QStringLiteral("saved")));
    form->SavePageAs();
    QCOMPARE(DialogScript::last().kind, QStringLiteral("SaveFile"));
    QTRY_VERIFY_WITH_TIMEOUT(m_app->readFile(QStringLiteral("saved/copy.html")).contains("Local"), PageLoadTimeoutMs);

    // A link that cannot be opened is reported.
    DialogScript::answer(vbOK);
    form->NavigateUrl(QStringLiteral("no such page"));
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("This Link does not exist. Please edit or delete Link."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Link Error"));
    QCOMPARE(DialogScript::last().buttons, int(vbExclamation));
}

void TestBrowser::ownRequestsLeaveThePageAlone_data()
{
    QTest::addColumn<bool>("download");
    QTest::newRow("link check beside the page") << false;
    QTest::newRow("link check beside the page and a plug-in download") << true;
}

void TestBrowser::ownRequestsLeaveThePageAlone()
{
    QFETCH(bool, download);
    Form1 *form = showMainWindow();
    HalvesServer server;
    // The page is half-way in the browser pane when the link check asks the same server.
    form->results->Navigate(server.address("/page"));
    QTRY_VERIFY_WITH_TIMEOUT(server.halvesSent(1), PageLoadTimeoutMs);
    QVector<bool> answers;
    const auto checkLinks = [&] {
        answers = {LinkCheck::check(server.address("/late")), LinkCheck::check(server.address("/endless"))};
    };
    QTemporaryDir dir;
    cDownload down;
    if (download) {
        // The links are checked while the file is half-way too.
        down.setUrl(server.address("/file"));
        down.setDestFile(dir.filePath(QStringLiteral("edition.zip")));
        QObject::connect(&down, &cDownload::Progress, &down, [&](qint64 read) {
            if (read > 0 && answers.isEmpty() && server.halvesSent(2))
                checkLinks();
        });
        down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
        QVERIFY2(down.Completed(), qPrintable(down.ErrorText()));
        QCOMPARE(QFileInfo(down.DestFile()).size(), HalvesServer::FileSize);
    } else {
        checkLinks();
    }
    QCOMPARE(answers, (QVector<bool>{true, false}));
    QTRY_COMPARE_WITH_TIMEOUT(form->results->title(), QStringLiteral("whole"), PageLoadTimeoutMs);
}

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
