#pragma once
// The embedded web browser of the windows: a web view that reports what happens to its
// page as the events the windows handle (before a navigation, with the chance to cancel
// it; navigation done; document complete; status text; a page asking for a new window)
// and offers the browser commands the windows call.

#include <QString>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

class WebBrowser;

// The page of a WebBrowser: asks its view before every navigation.
class WebBrowserPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit WebBrowserPage(WebBrowser *view);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    WebBrowser *m_view;
};

class WebBrowser : public QWebEngineView
{
    Q_OBJECT
public:
    explicit WebBrowser(QWidget *parent = nullptr);

    // Shows an address: "about:blank", a web address or the path of a local file.
    void Navigate(const QString &address);
    // The address shown (or being loaded) as text; "" before the first navigation.
    QString LocationURL() const;
    // The address last handed to Navigate, as given.
    QString lastNavigated() const { return m_lastNavigated; }
    // 4 once the current document has finished loading, 1 while it loads, 0 before any.
    int ReadyState() const { return m_readyState; }

    void GoBack() { back(); }
    void GoForward() { forward(); }
    void Stop() { stop(); }
    void Refresh() { reload(); }

    // Turns a Navigate argument into the address to load.
    static QUrl addressToUrl(const QString &address);

signals:
    // Before the view goes to url; a handler that sets *cancel to true stops it.
    void BeforeNavigate2(const QUrl &url, bool *cancel);
    // The view has gone to url: its document has arrived (a refused navigation never gets here).
    void NavigateComplete2(const QUrl &url);
    // The document at url has finished loading (ok is false when it failed to load).
    void DocumentComplete(const QUrl &url, bool ok);
    // The status text: the address under the mouse pointer, or "" when there is none.
    void StatusTextChange(const QString &text);
    // The page asks for a new window. A handler that sets *cancel to true refuses it; one
    // that sets *target to another browser (one that has not loaded anything yet) has the
    // new page open there; otherwise the new page opens in this view.
    void NewWindow2(WebBrowser **target, bool *cancel);

protected:
    QWebEngineView *createWindow(QWebEnginePage::WebWindowType type) override;

private:
    friend class WebBrowserPage;
    bool beforeNavigate(const QUrl &url);

    QString m_lastNavigated;
    int m_readyState = 0;
};
