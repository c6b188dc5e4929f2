// The main window beside the user's browser windows: opening links in separate browser
// windows, following which browser window the user last brought to the front, naming a
// dropped link after its page, the browser control's status text and page completion,
// and the small page commands (open, print, save).

#include "mainwindow/form1.h"

#include "platform/browser_window.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "platform/registry.h"
#include "platform/webbrowser.h"
#include "shared/cls_file_operations.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "shared/window_services.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>
#include <QUrl>
#include <QWebEngineDownloadRequest>

QString WebPageTitle;

namespace {

// How long NavigateWebSite in mode 1 waits for the page whose title it reads.
constexpr int kTitleTimeoutMs = 15000;

// The address the web tools stored, in the form the browser shows it (lower-case scheme
// and host, a "/" for an empty path), so that a stored "HTTP://Mail.Example.com" is
// still found in the loaded "http://mail.example.com/".
QString shownForm(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid() || url.scheme().isEmpty())
        return QString();
    return url.adjusted(QUrl::StripTrailingSlash).toString();
}

} // namespace

void Form1::wireBrowserEvents()
{
    connect(results, &WebBrowser::StatusTextChange, this, &Form1::results_StatusTextChange);
    connect(results, &WebBrowser::DocumentComplete, this, &Form1::results_DocumentComplete);
    connect(results, &WebBrowser::NewWindow2, this, &Form1::results_NewWindow2);
}

void Form1::NavigateWebSite(const QString &address, qint16 mode)
{
    WebPageTitle.clear();
    if (mode == 1) {
        // The page is loaded out of sight only for its title; no window stays open.
        WebPageTitle = BrowserWindow::ReadPageTitle(address, kTitleTimeoutMs);
        return;
    }
    BrowserWindow::open(address, pageArea());
}

QRect Form1::pageArea() const
{
    return QRect(results->mapToGlobal(QPoint(0, 0)), results->size());
}

void Form1::tmrWindowTrack_Timer()
{
    if (TrackForegroundWindow()) {
        TrackedBrowserTitle = TrackedWindows.value(0);
        TrackedBrowserHandle = TrackedWindows.value(3);
    }
}

QString Form1::CollectPageLinks()
{
    return NameDroppedLink(DroppedLinkUrl, TrackedBrowserHandle);
}

void Form1::results_StatusTextChange(const QString &text)
{
    sbStatusPanel1->setText(text);
}

void Form1::results_DocumentComplete(const QUrl &url, bool ok)
{
    Q_UNUSED(url);
    Q_UNUSED(ok);   // a page that failed to load is complete as well: nobody waits for it forever
    if (results->ReadyState() != 4)
        return;
    const QString location = results->LocationURL();
    const QString shown = shownForm(AccountPageUrl);
    if (location.contains(AccountPageUrl) || (!shown.isEmpty() && location.contains(shown)))
        AccountPageReady = 1;
}

void Form1::results_NewWindow2(WebBrowser **target, bool *cancel)
{
    Q_UNUSED(cancel);
    *target = BrowserWindow::open(QString(), pageArea())->browser();
}

bool Form1::IsScriptDebuggerDisabled()
{
    RegKey key;
    if (Registry::openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main"), &key)
        != ERROR_SUCCESS)
        return false;
    quint32 type = REG_NONE;
    QByteArray data;
    if (Registry::queryValue(key, QStringLiteral("Disable Script Debugger"), &type, &data) != ERROR_SUCCESS)
        return false;
    constexpr int kBufferSize = 128;
    if (data.size() > kBufferSize)
        return false;   // does not fit the buffer: the read fails
    const QString text = (type == REG_SZ || type == REG_EXPAND_SZ) ? Registry::dataText(data)
                                                                   : QString::fromLatin1(data);
    return text.toUpper().contains(QLatin1String("YES"));
}

bool Form1::PathExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

void Form1::OpenHtmlFile()
{
    const QString file = clsFileOperations().OpenFile(QStringLiteral("Text files (*.html)|*.html"), QString());
    if (!file.isEmpty())
        results->Navigate(file);
    QDir::setCurrent(ProgramFolder());
}

void Form1::PrintPage()
{
    auto *printer = new QPrinter(QPrinter::HighResolution);
    QPrintDialog dialog(printer, this);
    if (dialog.exec() != QDialog::Accepted) {
        delete printer;
        return;
    }
    // Printing goes on after this returns; the printer is kept until it is done.
    connect(results, &QWebEngineView::printFinished, this, [printer](bool) { delete printer; },
            Qt::SingleShotConnection);
    results->print(printer);
}

void Form1::PrintPreviewPage()
{
    QPrintPreviewDialog preview(this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *printer) {
        // The preview paints at once: wait here until the page is laid out on the printer.
        QEventLoop loop;
        connect(results, &QWebEngineView::printFinished, &loop, &QEventLoop::quit);
        results->print(printer);
        loop.exec();
    });
    preview.exec();
}

void Form1::SavePageAs()
{
    QString name = results->title();
    if (name.isEmpty() || name == results->LocationURL())
        name = QStringLiteral("page");
    const QString file = GetSaveFileName(this, QString(), QDir(ProgramFolder()).filePath(name + QStringLiteral(".html")),
                                         QStringLiteral("Web pages (*.html *.htm)"));
    if (!file.isEmpty())
        results->page()->save(file, QWebEngineDownloadRequest::CompleteHtmlSaveFormat);
}

void Form1::NavigateUrl(const QString &address)
{
    if (address.trimmed().isEmpty())
        return;
    if (ShellOpen(address) < 32)
        MsgBox(QStringLiteral("This Link does not exist. Please edit or delete Link."), vbExclamation,
               QStringLiteral("Link Error"));
}

long Form1::SaveUserRegValue(const QString &key, const QString &name, const QVariant &value, quint32 type)
{
    RegKey open;
    const long result = Registry::openKey(HKEY_CURRENT_USER, key, &open);
    if (result != ERROR_SUCCESS)
        return result;
    return SetValueEx(open, name, type, value);
}

void Form1::SetTopMost(QWidget *window)
{
    if (!window)
        return;
    const bool shown = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (shown)
        window->show();   // changing the flags hides a window
}
