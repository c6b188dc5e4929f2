#pragma once
// The program's own browser windows: top-level windows, each with its own WebBrowser, a
// tool bar to go back, forward, reload, stop and to a typed address, and a status bar
// showing the browser's status text. The program opens a page "in a separate
// browser window" by opening one of these; the list of open browser windows is the list
// of these windows, in the order they were opened.
//
// A window's title is the page's title (the address while the page has none) followed by
// " - Browser", so that the tracking of the user's foreground browser window sees it.
// A page that asks for a new window gets a new browser window of its own. Every page the
// windows load is recorded in the URL history (their WebBrowser does that).
//
// Once its page has loaded, a window collects the links of the page (address and text
// of each, in document order), so that a link dropped from it can be named without
// waiting for the page.

#include <QList>
#include <QMainWindow>
#include <QString>

class QCloseEvent;
class QLabel;
class QLineEdit;
class WebBrowser;

// One link of a page: its resolved address and its text as shown.
struct PageLink {
    QString href;
    QString text;
};

class BrowserWindow : public QMainWindow
{
    Q_OBJECT
public:
    static inline const QString TitleSuffix = QStringLiteral(" - Browser");

    // A new browser window, not shown yet. It deletes itself when closed.
    explicit BrowserWindow(QWidget *parent = nullptr);
    ~BrowserWindow() override;

    WebBrowser *browser() const { return m_browser; }
    // The address shown, as text.
    QString LocationURL() const;
    // The page's title, or the address when the page has none.
    QString LocationName() const;
    // The window's id on the desktop (the X11 window id under X11).
    quint64 handle() const;

    // Shows the window in front of the others and gives it the focus; its place and size
    // stay as they are.
    void bringToFront();

    // The links of the loaded page; empty while a page loads or before any has loaded.
    QList<PageLink> pageLinks() const { return m_links; }
    bool pageLinksCollected() const { return m_linksCollected; }

    // Opens a new browser window in front of the others, loading address unless it is empty.
    // Given an area of the screen (the main window's page), the window covers the part of
    // it on the screen; else the desktop places it.
    static BrowserWindow *open(const QString &address = QString(), const QRect &over = QRect());

    // The open browser windows, oldest first.
    static QList<BrowserWindow *> openWindows();
    // The open browser window with this id, or nullptr.
    static BrowserWindow *findByHandle(quint64 handle);

    // Loads address in a window that is never shown, waits for the page (at most
    // timeoutMs) and answers its title ("" when it has none or did not load in time).
    // The window is closed before this returns.
    static QString ReadPageTitle(const QString &address, int timeoutMs);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void updateTitle();
    void collectLinks();
    void openNewWindow(WebBrowser **target, bool *cancel);

    WebBrowser *m_browser = nullptr;
    QLineEdit *m_address = nullptr;
    QLabel *m_status = nullptr;
    QList<PageLink> m_links;
    bool m_linksCollected = false;
    int m_loadSerial = 0;   // tells a late link answer of an earlier page from the current one
};

// A name for an address dropped on the program: "<name>,<address>".
//   1. An open browser window showing exactly that address gives its title as the name.
//   2. Otherwise the browser window whose id is trackedHandle (decimal text) is searched:
//      the first link of its page whose address begins with "http://" and equals the
//      dropped address gives its text as the name.
//   3. Otherwise the address is its own name.
QString NameDroppedLink(const QString &droppedUrl, const QString &trackedHandle);
