#include "platform/browser_window.h"

#include "platform/webbrowser.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVariant>
#include <QWebEngineScript>

#include <memory>

namespace {

// The open windows, in the order they were opened.
QList<BrowserWindow *> &registry()
{
    static QList<BrowserWindow *> windows;
    return windows;
}

// Every window not yet deleted, open or closed. Those still there when the program ends
// are deleted before the browser engine shuts down.
QList<BrowserWindow *> &alive()
{
    static QList<BrowserWindow *> windows;
    return windows;
}

void deleteRemainingWindows()
{
    const QList<BrowserWindow *> windows = alive();
    for (BrowserWindow *window : windows)
        delete window;
}

// Address and text of every link of the document, in document order. Runs in the
// program's own script world, so the page's scripts cannot change what it sees.
const char *const kCollectLinksScript =
    "(function () {"
    "  var result = [];"
    "  var links = document.links;"
    "  for (var i = 0; i < links.length; i++) {"
    "    var text = links[i].outerText;"
    "    result.push([String(links[i].href), text === undefined || text === null ? '' : String(text)]);"
    "  }"
    "  return result;"
    "})()";

} // namespace

BrowserWindow::BrowserWindow(QWidget *parent)
    : QMainWindow(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("BrowserWindow"));

    m_browser = new WebBrowser(this);
    m_browser->setObjectName(QStringLiteral("browser"));
    setCentralWidget(m_browser);

    // The usual way about: back, forward, reload or stop, and the address, which can be
    // typed over to go elsewhere.
    QToolBar *bar = addToolBar(QStringLiteral("Navigation"));
    bar->setObjectName(QStringLiteral("navigation"));
    bar->setMovable(false);
    bar->addAction(m_browser->pageAction(QWebEnginePage::Back));
    bar->addAction(m_browser->pageAction(QWebEnginePage::Forward));
    bar->addAction(m_browser->pageAction(QWebEnginePage::Reload));
    bar->addAction(m_browser->pageAction(QWebEnginePage::Stop));
    m_address = new QLineEdit(bar);
    m_address->setObjectName(QStringLiteral("address"));
    bar->addWidget(m_address);
    connect(m_address, &QLineEdit::returnPressed, this, [this]() {
        if (!m_address->text().trimmed().isEmpty())
            m_browser->Navigate(m_address->text());
    });
    connect(m_browser, &QWebEngineView::urlChanged, m_address, [this](const QUrl &url) {
        m_address->setText(url.toString());
        m_address->setCursorPosition(0);
    });

    // Ctrl+W closes the window, as in other browsers.
    auto *closeWindow = new QAction(this);
    closeWindow->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::CTRL | Qt::Key_F4)});
    connect(closeWindow, &QAction::triggered, this, &QWidget::close);
    addAction(closeWindow);

    m_status = new QLabel(statusBar());
    m_status->setObjectName(QStringLiteral("status"));
    statusBar()->addWidget(m_status, 1);

    // A size of its own, within the screen; the desktop places it.
    QSize size(1000, 720);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);

    connect(m_browser, &QWebEngineView::titleChanged, this, &BrowserWindow::updateTitle);
    connect(m_browser, &QWebEngineView::urlChanged, this, &BrowserWindow::updateTitle);
    connect(m_browser, &WebBrowser::StatusTextChange, m_status, &QLabel::setText);
    connect(m_browser, &QWebEngineView::loadStarted, this, [this]() {
        ++m_loadSerial;
        m_links.clear();
        m_linksCollected = false;
    });
    connect(m_browser, &WebBrowser::DocumentComplete, this, [this](const QUrl &, bool ok) {
        if (ok)
            collectLinks();
    });
    connect(m_browser, &WebBrowser::NewWindow2, this, &BrowserWindow::openNewWindow);

    updateTitle();
    registry().append(this);
    static const bool cleanupAtExit = [] {
        return bool(connect(qApp, &QCoreApplication::aboutToQuit, qApp, &deleteRemainingWindows));
    }();
    Q_UNUSED(cleanupAtExit);
    alive().append(this);
}

BrowserWindow::~BrowserWindow()
{
    registry().removeAll(this);
    alive().removeAll(this);
    // The page goes while this window is whole: its pending script answers still reach it.
    delete m_browser;
    m_browser = nullptr;
}

void BrowserWindow::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    // A closed window is gone from the list at once, before it is deleted.
    if (event->isAccepted())
        registry().removeAll(this);
}

QString BrowserWindow::LocationURL() const
{
    return m_browser->LocationURL();
}

QString BrowserWindow::LocationName() const
{
    const QString title = m_browser->title();
    return title.isEmpty() ? LocationURL() : title;
}

quint64 BrowserWindow::handle() const
{
    return quint64(const_cast<BrowserWindow *>(this)->winId());
}

void BrowserWindow::bringToFront()
{
    show();
    raise();
    activateWindow();
}

void BrowserWindow::updateTitle()
{
    QString name = LocationName();
    if (name.isEmpty())
        name = QStringLiteral("about:blank");
    setWindowTitle(name + TitleSuffix);
}

void BrowserWindow::collectLinks()
{
    const int serial = m_loadSerial;
    QPointer<BrowserWindow> self(this);
    m_browser->page()->runJavaScript(QString::fromLatin1(kCollectLinksScript), QWebEngineScript::ApplicationWorld,
                                     [self, serial](const QVariant &result) {
                                         if (!self || self->m_loadSerial != serial)
                                             return;   // the window has gone on to another page
                                         QList<PageLink> links;
                                         const QVariantList rows = result.toList();
                                         for (const QVariant &row : rows) {
                                             const QVariantList pair = row.toList();
                                             if (pair.size() == 2)
                                                 links.append({pair.at(0).toString(), pair.at(1).toString()});
                                         }
                                         self->m_links = links;
                                         self->m_linksCollected = true;
                                     });
}

BrowserWindow *BrowserWindow::open(const QString &address, const QRect &over)
{
    auto *window = new BrowserWindow();
    // Too small an area (a minimised main window) is left to the desktop.
    if (over.width() >= 320 && over.height() >= 240) {
        QRect place = over;
        if (const QScreen *screen = QGuiApplication::screenAt(over.center()))
            place = place.intersected(screen->availableGeometry());
        window->setGeometry(place.isEmpty() ? over : place);
    }
    if (!address.isEmpty())
        window->browser()->Navigate(address);
    window->bringToFront();
    return window;
}

void BrowserWindow::openNewWindow(WebBrowser **target, bool *cancel)
{
    Q_UNUSED(cancel);
    *target = open()->browser();
}

QList<BrowserWindow *> BrowserWindow::openWindows()
{
    return registry();
}

BrowserWindow *BrowserWindow::findByHandle(quint64 handle)
{
    if (handle == 0)
        return nullptr;
    for (BrowserWindow *window : std::as_const(registry()))
        if (window->handle() == handle)
            return window;
    return nullptr;
}

QString BrowserWindow::ReadPageTitle(const QString &address, int timeoutMs)
{
    QPointer<BrowserWindow> window = new BrowserWindow();
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    connect(window->browser(), &WebBrowser::DocumentComplete, &loop, &QEventLoop::quit);
    window->browser()->Navigate(address);
    timeout.start(timeoutMs);
    loop.exec();

    // The document's own title (the browser names an untitled page after its address).
    // The answer may come after this has given up waiting: it then goes nowhere.
    struct Answer {
        bool given = false;
        QString title;
    };
    const auto answer = std::make_shared<Answer>();
    if (window && window->browser()->ReadyState() == 4 && timeout.isActive()) {
        QPointer<QEventLoop> waiting(&loop);
        window->browser()->page()->runJavaScript(QStringLiteral("document.title"), QWebEngineScript::ApplicationWorld,
                                                 [answer, waiting](const QVariant &result) {
                                                     answer->given = true;
                                                     answer->title = result.toString();
                                                     if (waiting)
                                                         waiting->quit();
                                                 });
        if (!answer->given)
            loop.exec();
    }
    if (window)
        window->close();
    return answer->given ? answer->title : QString();
}

QString NameDroppedLink(const QString &droppedUrl, const QString &trackedHandle)
{
    const QList<BrowserWindow *> windows = BrowserWindow::openWindows();
    for (const BrowserWindow *window : windows)
        if (window->LocationURL() == droppedUrl)
            return window->LocationName() + QLatin1Char(',') + window->LocationURL();

    QString name;
    bool ok = false;
    const quint64 handle = trackedHandle.trimmed().toULongLong(&ok);
    if (const BrowserWindow *tracked = ok ? BrowserWindow::findByHandle(handle) : nullptr) {
        const QList<PageLink> links = tracked->pageLinks();
        for (const PageLink &link : links) {
            if (link.href.startsWith(QLatin1String("http://")) && link.href == droppedUrl) {
                name = link.text;
                break;
            }
        }
    }
    if (!name.isEmpty())
        return name + QLatin1Char(',') + droppedUrl;
    return droppedUrl + QLatin1Char(',') + droppedUrl;
}
