#include "platform/webbrowser.h"

#include "platform/url_history.h"

#include <QDir>
#include <QFileInfo>

WebBrowserPage::WebBrowserPage(WebBrowser *view)
    : QWebEnginePage(view), m_view(view)
{
}

bool WebBrowserPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && !m_view->beforeNavigate(url))
        return false;
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

WebBrowser::WebBrowser(QWidget *parent)
    : QWebEngineView(parent)
{
    setPage(new WebBrowserPage(this));
    connect(this, &QWebEngineView::loadStarted, this, [this]() {
        m_readyState = 1;
    });
    connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
        m_readyState = 4;
        // The address shown changes as soon as a load starts, even one that is then
        // refused; a navigation is complete only once its document has arrived.
        if (ok) {
            UrlHistory::recordVisit(url(), title());
            emit NavigateComplete2(url());
        }
        emit DocumentComplete(url(), ok);
    });
    connect(page(), &QWebEnginePage::linkHovered, this, [this](const QString &link) {
        emit StatusTextChange(link);
    });
}

QUrl WebBrowser::addressToUrl(const QString &address)
{
    const QString a = address.trimmed();
    if (a.isEmpty() || a.compare(QLatin1String("about:blank"), Qt::CaseInsensitive) == 0)
        return QUrl(QStringLiteral("about:blank"));
    // A path of this machine (absolute, or relative to the current folder when it names
    // an existing file) is shown as a local file; anything else is a web address.
    if (QDir::isAbsolutePath(a) || QFileInfo::exists(a))
        return QUrl::fromLocalFile(QFileInfo(a).absoluteFilePath());
    return QUrl::fromUserInput(a);
}

void WebBrowser::Navigate(const QString &address)
{
    m_lastNavigated = address;
    setUrl(addressToUrl(address));
}

QString WebBrowser::LocationURL() const
{
    return url().toString();
}

bool WebBrowser::beforeNavigate(const QUrl &url)
{
    bool cancel = false;
    emit BeforeNavigate2(url, &cancel);
    return !cancel;
}

QWebEngineView *WebBrowser::createWindow(QWebEnginePage::WebWindowType type)
{
    Q_UNUSED(type);
    WebBrowser *target = nullptr;
    bool cancel = false;
    emit NewWindow2(&target, &cancel);
    if (cancel)
        return nullptr;
    return target ? target : this;
}
