// The main window's load, resize, display modes, close and unload, help and about box.

#include "mainwindow/form1.h"

#include "editions/edition_loader.h"
#include "editions/form9_plugin_editions.h"
#include "mainwindow/form11_about.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "platform/settings.h"
#include "platform/webbrowser.h"
#include "shared/cls_vsplit.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/form_relayout.h"
#include "shared/globals.h"
#include "shared/twips.h"
#include "shared/window_services.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

namespace {

// The maker's home page, shown at start when the machine is online. It comes with the
// program, so it is there whatever the state of any web site.
const char *const kMakerHomePage = "help/mainpage.html";
// The user guide, in a folder of its own so that clearing the page cache leaves it alone.
const char *const kHelpGuide = "help/index.html";

QPointer<QTextBrowser> s_helpWindow;

// Windows the close request closes: every ordinary window and dialog, not menus or tips.
bool isOpenWindow(const QWidget *w)
{
    if (!w->isVisible())
        return false;
    const Qt::WindowType type = w->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Tool;
}

QList<QWidget *> otherOpenWindows(const QWidget *self)
{
    QList<QWidget *> windows;
    const QWidgetList all = QApplication::topLevelWidgets();
    for (QWidget *w : all)
        if (w != self && w->objectName() != QLatin1String("Form1") && isOpenWindow(w))
            windows.append(w);
    return windows;
}

} // namespace

void Form1::Form_Load()
{
    // The browser's script-debugger setting is read first; nothing depends on it yet.
    IsScriptDebuggerDisabled();

    // The tree: links are dragged out of it, and drops on it are the program's to handle.
    TvwBestell->setDragEnabled(true);
    TvwBestell->setAcceptDrops(true);
    TvwBestell->setDragDropMode(QAbstractItemView::DragDrop);

    // The splitter bar stands as high as the browser, and the splitter joins tree and browser.
    Command2->setGeometry(Command2->x(), results->y(), Command2->width(), results->height());
    m_split = std::make_unique<ClsVSplit>();
    m_split->SettaHeight(int(pxToTwips(results->height())));
    m_split->init(this, Command2, TvwBestell, results, 10, 10, 5, 5, 0);
    m_split->SettaHeight(int(pxToTwips(results->height())));

    // The window's design geometry is what the re-layout scales from.
    ResizeForm(this);

    QDir::setCurrent(ProgramFolder());
    AccountPageReady = 0;
    EditionLoader().deletePageFiles();

    // An edition that cannot be opened leaves the window usable: another edition can be
    // chosen from its list.
    if (!LoadDb() && m_loadAborted)
        return;
    mnuIntranet->setEnabled(false);
    mnutopicDelete->setEnabled(false);
    mnuTopicRename->setEnabled(false);

    // Search mode: only the exact text "On" turns it on.
    const bool searchOn = GetSetting(AppTitle, QStringLiteral("Search"), QStringLiteral("Mode"),
                                     QStringLiteral("Mode")) == QLatin1String("On");
    mnuISon->setChecked(searchOn);
    mnuIsOff->setChecked(!searchOn);

    LoadFormSettings(this);
    DisplayMode = 0;
    PrepareEditions();
    if (m_loadAborted)
        return;
    mnuNormalDisplay->setChecked(true);
    CenterForm(this);
    const QString homePage = FindProgramFile(QLatin1String(kMakerHomePage));
    results->Navigate(IsOnline && QFileInfo(homePage).isFile() ? homePage : QStringLiteral("about:blank"));

    m_loaded = true;
    tmrWindowTrack->start();
    HookWindowProc();
}

void Form1::abortLoad(const QString &reason)
{
    MsgBox(reason + QStringLiteral("\nQuorvane Desktop 2 will close."), vbCritical, QStringLiteral("Edition List"));
    m_loadAborted = true;
    tmrWindowTrack->stop();
    QMainWindow::setVisible(false);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void Form1::setVisible(bool visible)
{
    // A window whose load could not finish is never shown half-built.
    if (visible && m_loadAborted)
        return;
    QMainWindow::setVisible(visible);
}

// ---- Resize and display modes ----------------------------------------------------------------

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Form1::Form_Resize()
{
    if (!m_split || (windowState() & Qt::WindowMinimized))
        return;
    ResizeForm(this);
    Command2->resize(Command2->width(), results->height());
    m_split->SettaHeight(int(pxToTwips(results->height())));
    ResizeForm(this);
    if (DisplayMode == 1)
        ShowPageOnly();
    else if (DisplayMode == 3)
        ShowTreeOnly();
}

void Form1::ShowPageOnly()
{
    TvwBestell->move(twipsToPx(-2295), TvwBestell->y());
    TvwBestell->setVisible(false);
    results->setGeometry(twipsToPx(60), results->y(), twipsToPx(InnerWidthTwips(this) - 170), results->height());
    Command2->setVisible(false);
    DisplayMode = 1;
}

void Form1::ShowNormalLayout()
{
    TvwBestell->move(0, TvwBestell->y());
    TvwBestell->setVisible(true);
    results->move(twipsToPx(2520), results->y());
    Command2->setVisible(true);
    DisplayMode = 0;
    Form_Resize();
}

void Form1::ShowTreeOnly()
{
    TvwBestell->setGeometry(twipsToPx(60), TvwBestell->y(), twipsToPx(InnerWidthTwips(this) - 170),
                            TvwBestell->height());
    results->setGeometry(twipsToPx(-2295), results->y(), 0, results->height());
    Command2->setVisible(false);
    DisplayMode = 3;
}

void Form1::mnuNormalDisplay_Click()
{
    mnuNormalDisplay->setChecked(true);
    mnuPageOnly->setChecked(false);
    mnuTreeOnly->setChecked(false);
    ShowNormalLayout();
}

void Form1::mnuPageOnly_Click()
{
    mnuNormalDisplay->setChecked(false);
    mnuPageOnly->setChecked(true);
    mnuTreeOnly->setChecked(false);
    ShowPageOnly();
}

void Form1::mnuTreeOnly_Click()
{
    mnuNormalDisplay->setChecked(false);
    mnuPageOnly->setChecked(false);
    mnuTreeOnly->setChecked(true);
    ShowNormalLayout();
    ShowTreeOnly();
}

// ---- Search mode ---------------------------------------------------------------------------

void Form1::mnuISon_Click()
{
    mnuISon->setChecked(true);
    mnuIsOff->setChecked(false);
    saveSearchMode();
}

void Form1::mnuIsOff_Click()
{
    mnuISon->setChecked(false);
    mnuIsOff->setChecked(true);
    saveSearchMode();
    cb1->clear();
    cb1->setEditText(QString());
}

// The settings file is written only when the mode changed: each write is flushed to the
// disk, which on a busy disk can hold up the exit for seconds.
void Form1::saveSearchMode()
{
    const QString mode = mnuISon->isChecked() ? QStringLiteral("On") : QStringLiteral("Off");
    if (GetSetting(AppTitle, QStringLiteral("Search"), QStringLiteral("Mode"), QString()) != mode)
        SaveSetting(AppTitle, QStringLiteral("Search"), QStringLiteral("Mode"), mode);
}

// ---- Close and unload ------------------------------------------------------------------------

bool Form1::Form_QueryUnload()
{
    for (QWidget *w : otherOpenWindows(this))
        w->close();
    // A window that refused to close keeps the main window open.
    return !otherOpenWindows(this).isEmpty();
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (m_loadAborted || m_unloaded) {
        event->accept();
        return;
    }
    if (Form_QueryUnload()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void Form1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    tmrWindowTrack->stop();
    saveSearchMode();
    BackupEdition();
    EditionLoader().deletePageFiles();
    ReleaseDatabase();
}

void Form1::mnuExit_Click()
{
    if (!close()) {
        // A window whose work is still unwinding (a download being stopped) closes and goes
        // once it has; the Exit is carried out then, without being asked again.
        bool waiting = false;
        for (QWidget *w : otherOpenWindows(this)) {
            if (!w->property(Form9::ClosePendingProperty).toBool())
                continue;
            waiting = true;
            connect(w, &QObject::destroyed, this, &Form1::exitOnceOthersClosed, Qt::QueuedConnection);
        }
        m_exitPending = waiting;
        return;
    }
    if (s_instance == this) {
        s_instance = nullptr;
        deleteLater();
    }
}

void Form1::exitOnceOthersClosed()
{
    if (!m_exitPending)
        return;
    for (QWidget *w : otherOpenWindows(this)) {
        if (w->property(Form9::ClosePendingProperty).toBool())
            return;    // another one still unwinds
    }
    m_exitPending = false;
    mnuExit_Click();
}

// ---- Help and about ------------------------------------------------------------------------

void Form1::mnuHelpGuide_Click()
{
    const QString guide = FindProgramFile(QLatin1String(kHelpGuide));
    if (!QFileInfo(guide).isFile()) {
        MsgBox(QStringLiteral("The help guide could not be found.\nIt belongs in the file ") + guide,
               vbExclamation, QStringLiteral("Help Guide"));
        return;
    }
    if (!s_helpWindow) {
        s_helpWindow = new QTextBrowser;
        s_helpWindow->setObjectName(QStringLiteral("HelpGuide"));
        s_helpWindow->setAttribute(Qt::WA_DeleteOnClose);
        s_helpWindow->setWindowTitle(QStringLiteral("Quorvane Desktop 2 Help Guide"));
        s_helpWindow->setWindowIcon(windowIcon());
        s_helpWindow->setOpenExternalLinks(true);
        s_helpWindow->resize(640, 560);
        CenterForm(s_helpWindow);
        // Esc and Ctrl+W close it, as they close the link windows.
        auto *closeGuide = new QAction(s_helpWindow);
        closeGuide->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
        connect(closeGuide, &QAction::triggered, s_helpWindow, &QWidget::close);
        s_helpWindow->addAction(closeGuide);
    }
    s_helpWindow->setSource(QUrl::fromLocalFile(QFileInfo(guide).absoluteFilePath()));
    s_helpWindow->show();
    s_helpWindow->raise();
    s_helpWindow->activateWindow();
}

void Form1::mnuAbout_Click()
{
    DisableTreeDrag();
    Form11 about(this);
    about.exec();
}
