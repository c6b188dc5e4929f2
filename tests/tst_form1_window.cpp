// The main window: its load, the Topic and Sub-Topic lists and the page cache, the
// edition list, the display modes and resize, close and unload, help and about.

#include "form1_support.h"
#include "testhelper.h"

#include "mainwindow/form1.h"
#include "mainwindow/form11_about.h"
#include "pages/topic_page_builder.h"
#include "platform/dialogs.h"
#include "platform/settings.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "shared/form_relayout.h"
#include "shared/globals.h"
#include "shared/twips.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QtTest>

using namespace Form1Test;

namespace {

const QString App = QStringLiteral("QuorvaneDesktop");

QStringList pageFiles(const TestProgramFolder &app)
{
    return QDir(app.path()).entryList({QStringLiteral("*.html")}, QDir::Files);
}

// A window that will not be closed.
class StubbornWindow : public QWidget
{
public:
    bool refuse = true;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (refuse)
            event->ignore();
        else
            event->accept();
    }
};

} // namespace

class TestForm1Window : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadOpensActiveEdition();
    void loadOnlineShowsHomePage();
    void loadSearchMode_data();
    void loadSearchMode();
    void loadRestoresPlacement();
    void loadWithoutEditionListEndsProgram();
    void topicThenSubTopicBuildsAndCachesPage();
    void unwritablePageKeepsShownPage();
    void menuStates_data();
    void menuStates();
    void optionsMenuItems();
    void pageFilesOfSimilarNamesDiffer();
    void subTopicIdBeyond16Bits();
    void editionChoiceSwitchesEdition();
    void displayModesAndResize();
    void minimisedWindowKeepsLayout();
    void smallestWindowStaysReadable();
    void unloadSavesBacksUpAndClears();
    void refusingChildKeepsMainWindowOpen();
    void helpAndAbout();
    void browserCancelsNavigation();

private:
    std::unique_ptr<TestProgramFolder> m_app;
};

void TestForm1Window::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    DeleteSetting(App, QStringLiteral("Search"));
    DeleteSetting(App, QStringLiteral("Form1_Settings"));
    IsOnline = false;
}

void TestForm1Window::cleanup()
{
    closeMainWindow();
    RemoveProgramFolder(m_app);
}

void TestForm1Window::loadOpensActiveEdition()
{
    m_app->writeFile(QStringLiteral("Stale_Page_3.html"), "<html/>");
    Form1 *form = showMainWindow();

    QCOMPARE(CurrentDatabaseFile, QStringLiteral("Sample_Links.mdb"));
    QCOMPARE(CurrentEditionTitle, QStringLiteral("Sample Links"));
    QVERIFY(DatabaseIsOpen());
    QCOMPARE(comboItems(form->Combo1), (QStringList{"Select Topic", "Computing", "Science", "Travel"}));
    QCOMPARE(form->Combo1->currentIndex(), 0);
    QCOMPARE(form->Combo1->itemData(2).toInt(), 2);
    QCOMPARE(form->Combo2->count(), 0);
    QCOMPARE(comboItems(form->Combo6), QStringList{"Sample Links"});
    QCOMPARE(form->Combo6->currentIndex(), 0);

    // The page cache is cleared, the edition chosen in the list is backed up, and the
    // browser shows an empty page when offline.
    QVERIFY(pageFiles(*m_app).isEmpty());
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("Backup/Sample_Links.mdb"))));
    QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")), QByteArray("*Sample_Links.mdb,Sample Links\r\n"));
    QCOMPARE(form->results->lastNavigated(), QStringLiteral("about:blank"));
    QCOMPARE(QDir::currentPath() + QLatin1Char('/'), m_app->path());
    QCOMPARE(AccountPageReady, 0);

    QVERIFY(form->mnuNormalDisplay->isChecked());
    QCOMPARE(form->DisplayMode, 0);
    QVERIFY(!form->mnuIntranet->isEnabled());
    QVERIFY(!form->mnutopicDelete->isEnabled());
    QVERIFY(!form->mnuTopicRename->isEnabled());
    QVERIFY(!form->mnuSubtopic->isEnabled());
    QVERIFY(!form->mnuColorSchema->isEnabled());
    for (QAction *item : form->mnuEditLinks)
        QVERIFY(!item->isEnabled());
    QCOMPARE(form->windowTitle(), QStringLiteral("Quorvane Desktop 2"));
}

void TestForm1Window::loadOnlineShowsHomePage()
{
    IsOnline = true;
    Form1 *form = showMainWindow();
    QCOMPARE(form->results->lastNavigated(), m_app->file(QStringLiteral("help/mainpage.html")));
    QTRY_COMPARE_WITH_TIMEOUT(form->results->url(), QUrl::fromLocalFile(m_app->file(QStringLiteral("help/mainpage.html"))),
                              PageLoadTimeoutMs);
}

void TestForm1Window::loadSearchMode_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("on");
    QTest::newRow("first run") << QString() << false;
    QTest::newRow("On") << "On" << true;
    QTest::newRow("on in small letters") << "on" << false;
    QTest::newRow("Off") << "Off" << false;
}

void TestForm1Window::loadSearchMode()
{
    QFETCH(QString, stored);
    QFETCH(bool, on);
    if (!stored.isNull())
        SaveSetting(App, QStringLiteral("Search"), QStringLiteral("Mode"), stored);
    Form1 *form = showMainWindow();
    QCOMPARE(form->mnuISon->isChecked(), on);
    QCOMPARE(form->mnuIsOff->isChecked(), !on);

    closeMainWindow();
    QCOMPARE(GetSetting(App, QStringLiteral("Search"), QStringLiteral("Mode")), on ? QStringLiteral("On")
                                                                                  : QStringLiteral("Off"));
}

void TestForm1Window::loadRestoresPlacement()
{
    const QString section = QStringLiteral("Form1_Settings");
    SaveSetting(App, section, QStringLiteral("FormWidth"), QString::number(pxToTwips(1000)));
    SaveSetting(App, section, QStringLiteral("FormHeight"), QString::number(pxToTwips(700)));
    Form1 *form = showMainWindow();
    // The stored size is the outer size; a window frame may add a few pixels once shown.
    QVERIFY2(qAbs(form->frameGeometry().width() - 1000) <= 8, qPrintable(QString::number(form->frameGeometry().width())));
    QVERIFY2(qAbs(form->frameGeometry().height() - 700) <= 40, qPrintable(QString::number(form->frameGeometry().height())));
    // The controls follow the restored size: the browser still ends near the right edge.
    const int rightGap = form->centralWidget()->width() - (form->results->x() + form->results->width());
    QVERIFY2(rightGap >= 0 && rightGap <= 8, qPrintable(QString::number(rightGap)));
}

void TestForm1Window::loadWithoutEditionListEndsProgram()
{
    QFile::remove(m_app->file(QStringLiteral("dbnames.txt")));
    DialogScript::answer(vbOK);
    Form1 *form = Form1::instance();
    form->show();
    QVERIFY(form->loadAborted());
    QVERIFY(!form->isVisible());
    QCOMPARE(DialogScript::last().title, QStringLiteral("Edition List"));
    QVERIFY(DialogScript::last().prompt.contains(QStringLiteral("dbnames.txt")));
    delete form;
    QVERIFY(!Form1::existing());
}

void TestForm1Window::topicThenSubTopicBuildsAndCachesPage()
{
    Form1 *form = showMainWindow();
    choose(form->Combo1, QStringLiteral("Computing"));
    QCOMPARE(comboItems(form->Combo2), (QStringList{"Select Sub-Topic", "Open Source", "Programming", "Web Standards"}));
    QCOMPARE(form->Combo2->currentIndex(), 0);
    QCOMPARE(CurrentPageFile, QString());

    choose(form->Combo2, QStringLiteral("Programming"));
    const qint32 id = form->Combo2->currentData().toInt();
    QCOMPARE(CurrentSubTopicId, id);
    const QString page = PageFileName(QStringLiteral("Programming"), id);
    QCOMPARE(CurrentPageFile, page);
    QVERIFY2(QFileInfo(m_app->file(page)).size() > 0, qPrintable(page));
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("tp.xsl"))));
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("tbhome.xml"))));
    QVERIFY(m_app->readFile(page).contains("Information Websites"));
    QCOMPARE(form->results->lastNavigated(), m_app->file(page));
    QTRY_COMPARE_WITH_TIMEOUT(form->results->url(), QUrl::fromLocalFile(m_app->file(page)), PageLoadTimeoutMs);

    // Chosen again, the page comes from the cache: nothing is built.
    QFile::remove(m_app->file(QStringLiteral("tp.xsl")));
    QFile::remove(m_app->file(QStringLiteral("tbhome.xml")));
    const QDateTime written = QFileInfo(m_app->file(page)).lastModified();
    choose(form->Combo2, QStringLiteral("Select Sub-Topic"));
    QCOMPARE(CurrentPageFile, QString());
    QCOMPARE(CurrentSubTopicId, id);
    QCOMPARE(form->results->lastNavigated(), QStringLiteral("about:blank"));
    choose(form->Combo2, QStringLiteral("Programming"));
    QCOMPARE(form->results->lastNavigated(), m_app->file(page));
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("tp.xsl"))));
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("tbhome.xml"))));
    QCOMPARE(QFileInfo(m_app->file(page)).lastModified(), written);

    // "Select Topic" empties the Sub-Topic list and the tree and blanks the page.
    choose(form->Combo1, QStringLiteral("Select Topic"));
    QCOMPARE(form->Combo2->count(), 0);
    QCOMPARE(form->TvwBestell->topLevelItemCount(), 0);
    QCOMPARE(form->results->lastNavigated(), QStringLiteral("about:blank"));
}

void TestForm1Window::menuStates_data()
{
    // The entries picked with keys ("1 " the Topic list, "2 " the Sub-Topic list), then the
    // expected states of: Sub-Topic menu, Sub-Topic add, delete, move and export, rename,
    // Headers & Links, colour scheme, section links. "Select Topic" after a shown Sub-Topic
    // leaves no command acting on that Sub-Topic.
    QTest::addColumn<QStringList>("picks");
    QTest::addColumn<QList<bool>>("states");
    QTest::newRow("Select Topic after a Sub-Topic")
        << QStringList{"1 Computing", "2 Programming", "1 Select Topic"}
        << QList<bool>{false, false, false, false, false, false, false, false};
    QTest::newRow("a Topic") << QStringList{"1 Science"}
                             << QList<bool>{true, true, false, false, false, false, false, false};
    QTest::newRow("Select Sub-Topic") << QStringList{"1 Computing", "2 Programming", "2 Select Sub-Topic"}
                                      << QList<bool>{true, true, false, false, false, false, false, false};
    QTest::newRow("a Sub-Topic") << QStringList{"1 Computing", "2 Programming"}
                                 << QList<bool>{true, true, true, true, false, true, true, true};
}

void TestForm1Window::menuStates()
{
    QFETCH(QStringList, picks);
    QFETCH(QList<bool>, states);
    Form1 *form = showMainWindow();
    for (const QString &pick : std::as_const(picks))
        pickWithKeys(pick.startsWith(QLatin1Char('1')) ? form->Combo1 : form->Combo2, pick.mid(2));
    const QList<bool> actual{form->mnuSubtopic->isEnabled(),       form->mnusubTopicAdd->isEnabled(),
                             form->mnuSubtopicDelete->isEnabled(), form->mnuMoveSubtopic->isEnabled(),
                             form->mnuSubtopicRename->isEnabled(), form->mnuIntranet->isEnabled(),
                             form->mnuColorSchema->isEnabled(),    form->mnuEditLinks[0]->isEnabled()};
    QCOMPARE(actual, states);
    QCOMPARE(form->mnuSubtopicExport->isEnabled(), form->mnuMoveSubtopic->isEnabled());
    for (QAction *a : form->mnuEditLinks)
        QCOMPARE(a->isEnabled(), states.at(7));
}

void TestForm1Window::optionsMenuItems()
{
    // The link check has no menu item; the stored logins have theirs.
    Form1 *form = showMainWindow();
    QStringList captions;
    for (const QAction *a : form->mnuOptions->menu()->actions())
        if (!a->isSeparator())
            captions.append(a->text());
    QCOMPARE(captions, (QStringList{"&Add Icon to IE Tools Menu && Toolbar", "&Remove Icon from IE Tools Menu && Toolbar",
                                    "&Compact / Repair Topics Database", "&Import IE Favorites",
                                    "Intelligent &Keyword Search", "&Search Current Edition",
                                    "Store &Web Account Login", "&Open Stored Web Account", "Select &Display Mode"}));
    // Every item of every menu, the menu bar, submenus and the tree's popup menu included, has
    // an access key, and no two items of one menu share one: Alt and the letter reach each one.
    QList<const QWidget *> menus{form->menuBar(), form->mnuPopUp};
    while (!menus.isEmpty()) {
        const QWidget *menu = menus.takeLast();
        QStringList keys;
        for (const QAction *item : menu->actions()) {
            if (item->isSeparator())
                continue;
            if (item->menu())
                menus.append(item->menu());
            const QString caption = QString(item->text()).remove(QLatin1String("&&"));
            const qsizetype at = caption.indexOf(QLatin1Char('&'));
            const QString key = at < 0 ? QString() : caption.mid(at + 1, 1).toLower();
            QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(menu->objectName() + " " + item->text()));
            keys.append(key);
        }
    }
}

void TestForm1Window::pageFilesOfSimilarNamesDiffer()
{
    QVERIFY(OpenDatabase(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics (MainTopicId, TopicName) VALUES (40, 'Leisure')")));
    QVERIFY(ExecSql(QStringLiteral(
        "INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName, Header1, Header2, Header3, Header4, "
        "Header5, Header6) VALUES (911, 40, 'Sports', 'Sports news', 'b', 'c', 'd', 'e', 'f'), "
        "(91, 40, 'Sports1', 'Other news', 'b', 'c', 'd', 'e', 'f')")));
    CloseDatabase();

    Form1 *form = openSubTopic(QStringLiteral("Leisure"), QStringLiteral("Sports"));
    const QString first = CurrentPageFile;
    choose(form->Combo2, QStringLiteral("Sports1"));
    const QString second = CurrentPageFile;
    QVERIFY(first != second);
    QVERIFY(m_app->readFile(first).contains("Sports news"));
    QVERIFY(m_app->readFile(second).contains("Other news"));
    choose(form->Combo2, QStringLiteral("Sports"));
    QCOMPARE(form->results->lastNavigated(), m_app->file(first));
}

void TestForm1Window::subTopicIdBeyond16Bits()
{
    QVERIFY(OpenDatabase(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(ExecSql(QStringLiteral(
        "INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName, Header1, Header2, Header3, Header4, "
        "Header5, Header6) VALUES (70000, 3, 'Big Imports', 'a', 'b', 'c', 'd', 'e', 'f')")));
    CloseDatabase();

    openSubTopic(QStringLiteral("Travel"), QStringLiteral("Big Imports"));
    QCOMPARE(CurrentSubTopicId, 70000);
    QCOMPARE(CurrentPageFile, PageFileName(QStringLiteral("Big Imports"), 70000));
    QVERIFY(QFileInfo::exists(m_app->file(CurrentPageFile)));
}

void TestForm1Window::editionChoiceSwitchesEdition()
{
    m_app->makeEdition(QStringLiteral("garden.mdb"));
    QVERIFY(OpenDatabase(QStringLiteral("garden.mdb")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics (MainTopicId, TopicName) VALUES (1, 'Roses'), (2, 'herbs')")));
    CloseDatabase();
    m_app->writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,Sample Links\r\ngarden.mdb,my_garden\r\n");

    Form1 *form = showMainWindow();
    QCOMPARE(comboItems(form->Combo6), (QStringList{"Sample Links", "My_garden"}));
    choose(form->Combo1, QStringLiteral("Computing"));
    choose(form->Combo2, QStringLiteral("Programming"));
    QVERIFY(!pageFiles(*m_app).isEmpty());

    choose(form->Combo6, QStringLiteral("My_garden"));
    QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")),
             QByteArray("Sample_Links.mdb,Sample Links\r\n*garden.mdb,my_garden\r\n"));
    QCOMPARE(CurrentDatabaseFile, QStringLiteral("garden.mdb"));
    QCOMPARE(CurrentEditionTitle, QStringLiteral("my garden"));
    QCOMPARE(comboItems(form->Combo1), (QStringList{"Select Topic", "herbs", "Roses"}));
    QCOMPARE(form->Combo2->count(), 0);
    QVERIFY(pageFiles(*m_app).isEmpty());
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("Backup/garden.mdb"))));
    QCOMPARE(form->results->lastNavigated(), QStringLiteral("about:blank"));

    // The edition list refreshed by another window keeps the choice.
    form->PrepareEditions();
    QCOMPARE(form->Combo6->currentIndex(), 1);
    QCOMPARE(CurrentDatabaseFile, QStringLiteral("garden.mdb"));
}

void TestForm1Window::displayModesAndResize()
{
    Form1 *form = showMainWindow();
    QWidget *tree = form->TvwBestell;
    QWidget *page = form->results;
    QWidget *bar = form->Command2;
    const QRect normalTree = tree->geometry();
    const QRect normalPage = page->geometry();
    const auto inner = [form]() { return InnerWidthTwips(form); };

    form->mnuTreeOnly->trigger();
    QCOMPARE(form->DisplayMode, 3);
    QVERIFY(form->mnuTreeOnly->isChecked() && !form->mnuNormalDisplay->isChecked() && !form->mnuPageOnly->isChecked());
    QCOMPARE(tree->x(), twipsToPx(60));
    QCOMPARE(tree->width(), twipsToPx(inner() - 170));
    QVERIFY(tree->isVisible());
    QCOMPARE(page->x(), twipsToPx(-2295));
    QCOMPARE(page->width(), 0);
    QVERIFY(!bar->isVisible());

    // A resize keeps the mode, against the new inner width.
    form->resize(form->width() + 150, form->height() + 60);
    QTRY_COMPARE(tree->width(), twipsToPx(inner() - 170));
    QCOMPARE(tree->x(), twipsToPx(60));
    QCOMPARE(page->x(), twipsToPx(-2295));
    QCOMPARE(page->width(), 0);

    form->mnuPageOnly->trigger();
    QCOMPARE(form->DisplayMode, 1);
    QVERIFY(form->mnuPageOnly->isChecked() && !form->mnuTreeOnly->isChecked());
    QVERIFY(!tree->isVisible());
    QCOMPARE(tree->x(), twipsToPx(-2295));
    QCOMPARE(page->x(), twipsToPx(60));
    QCOMPARE(page->width(), twipsToPx(inner() - 170));
    QVERIFY(!bar->isVisible());

    form->resize(form->width() - 150, form->height() - 60);
    QTRY_COMPARE(page->width(), twipsToPx(inner() - 170));
    QCOMPARE(page->x(), twipsToPx(60));

    // Back to normal at the design size: tree and page where they were.
    form->mnuNormalDisplay->trigger();
    QCOMPARE(form->DisplayMode, 0);
    QVERIFY(form->mnuNormalDisplay->isChecked() && !form->mnuPageOnly->isChecked());
    QVERIFY(tree->isVisible());
    QVERIFY(bar->isVisible());
    QCOMPARE(tree->x(), 0);
    QCOMPARE(tree->geometry(), normalTree);
    QCOMPARE(page->geometry(), normalPage);
    QCOMPARE(bar->height(), page->height());
}

void TestForm1Window::minimisedWindowKeepsLayout()
{
    Form1 *form = showMainWindow();
    form->mnuTreeOnly->trigger();
    form->TvwBestell->move(30, form->TvwBestell->y());
    form->setWindowState(Qt::WindowMinimized);
    form->Form_Resize();
    QCOMPARE(form->TvwBestell->x(), 30);
    form->setWindowState(Qt::WindowNoState);
    form->Form_Resize();
    QCOMPARE(form->TvwBestell->x(), twipsToPx(60));
}

void TestForm1Window::smallestWindowStaysReadable()
{
    Form1 *form = showMainWindow();
    form->resize(200, 150);
    QTRY_VERIFY(form->centralWidget()->width() < twipsToPx(13500));
    // The window stops shrinking before the "Edition" caption is cut off or the lists
    // run into the tree and the page.
    QVERIFY2(form->Label2->width() >= form->Label2->sizeHint().width(),
             qPrintable(QString::number(form->Label2->width())));
    for (QWidget *list : QList<QWidget *>{form->Combo1, form->Combo6, form->Text1}) {
        QVERIFY(list->geometry().bottom() < form->TvwBestell->y());
        QVERIFY(list->geometry().bottom() < form->results->y());
    }
    QVERIFY(form->Combo6->geometry().right() < form->centralWidget()->width());
    // The window itself stops there too (a window manager keeps to its minimum): every
    // control of the window lies inside it.
    form->resize(form->minimumSize());
    QTRY_COMPARE(form->size(), form->minimumSize());
    const QRect inside = form->rect();
    QVERIFY(inside.contains(QRect(form->centralWidget()->mapTo(form, QPoint(0, 0)), form->centralWidget()->size())));
    for (QWidget *control : form->centralWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!control->isVisible())
            continue;
        QVERIFY2(inside.contains(QRect(control->mapTo(form, QPoint(0, 0)), control->size())),
                 qPrintable(control->objectName()));
    }
}

// A page that cannot be written (here the page data's file name is taken by a folder):
// after the message the view still shows the page it showed, not an error page.
void TestForm1Window::unwritablePageKeepsShownPage()
{
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    const QString shown = form->results->lastNavigated();
    QTRY_COMPARE_WITH_TIMEOUT(form->results->url(), QUrl::fromLocalFile(shown), PageLoadTimeoutMs);
    QVERIFY(QFile::remove(m_app->file(QStringLiteral("tbhome.xml"))));
    QVERIFY(QDir(m_app->path()).mkdir(QStringLiteral("tbhome.xml")));

    DialogScript::clearShown();
    DialogScript::answer(vbOK);
    DialogScript::answer(vbOK);
    choose(form->Combo2, QStringLiteral("Open Source"));
    QVERIFY(!DialogScript::shown().isEmpty());
    QCOMPARE(DialogScript::shown().constLast().title, QStringLiteral("Page Error"));
    QCOMPARE(form->results->lastNavigated(), shown);
    QCOMPARE(form->results->url(), QUrl::fromLocalFile(shown));
}

void TestForm1Window::unloadSavesBacksUpAndClears()
{
    const QStringList filesBefore = QDir(m_app->path()).entryList(QDir::Files);
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    const QPointer<Form1> window(form);
    QVERIFY(!pageFiles(*m_app).isEmpty());
    form->mnuISon->trigger();
    QVERIFY(form->mnuISon->isChecked() && !form->mnuIsOff->isChecked());
    QFile::remove(m_app->file(QStringLiteral("Backup/Sample_Links.mdb")));

    form->mnuExit->trigger();
    QVERIFY(!form->isVisible());
    QVERIFY(!Form1::existing());
    QVERIFY(pageFiles(*m_app).isEmpty());
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("help/index.html"))));
    QCOMPARE(GetSetting(App, QStringLiteral("Search"), QStringLiteral("Mode")), QStringLiteral("On"));
    QCOMPARE(m_app->readFile(QStringLiteral("Backup/Sample_Links.mdb")), m_app->readFile(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(!DatabaseIsOpen());
    QTRY_VERIFY(window.isNull());   // and the window is deleted

    // The help guide names every file the program leaves behind.
    const QString guide = QString::fromUtf8(m_app->readFile(QStringLiteral("help/index.html")));
    const QStringList filesAfter = QDir(m_app->path()).entryList(QDir::Files);
    for (const QString &file : filesAfter)
        QVERIFY2(filesBefore.contains(file) || guide.contains(file), qPrintable(file));
}

void TestForm1Window::refusingChildKeepsMainWindowOpen()
{
    Form1 *form = showMainWindow();
    StubbornWindow child;
    child.setWindowTitle(QStringLiteral("Child"));
    child.show();

    QVERIFY(!form->close());
    QVERIFY(form->isVisible());
    QVERIFY(child.isVisible());
    QCOMPARE(GetSetting(App, QStringLiteral("Search"), QStringLiteral("Mode")), QString());
    QVERIFY(DatabaseIsOpen());

    // A window that lets itself be closed is closed first, and then the main window closes.
    child.refuse = false;
    QVERIFY(form->close());
    QVERIFY(!child.isVisible());
    QVERIFY(!form->isVisible());
    QCOMPARE(GetSetting(App, QStringLiteral("Search"), QStringLiteral("Mode")), QStringLiteral("Off"));
}

void TestForm1Window::helpAndAbout()
{
    Form1 *form = showMainWindow();
    form->mnuHelpGuide->trigger();
    QPointer<QWidget> help;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("HelpGuide") && w->isVisible())
            help = w;
    QVERIFY(help);
    QVERIFY(DialogScript::shown().isEmpty());
    // The guide tells of every command of the menus as they stand, and where favourites
    // come from.
    const QString guide = static_cast<QTextBrowser *>(help.data())->toPlainText().simplified();
    for (const QAction *menu : form->menuBar()->actions())
        for (const QAction *item : menu->menu()->actions())
            if (item->isVisible() && !item->isSeparator()) {
                const QString caption = QString(item->text()).replace(QLatin1String("&&"), QLatin1String("\x01"))
                                            .remove(QLatin1Char('&')).replace(QLatin1String("\x01"), QLatin1String("&"))
                                            .simplified();
                QVERIFY2(guide.contains(caption), qPrintable(caption));
            }
    QVERIFY(guide.contains(QLatin1String("~/Favorites")));
    QVERIFY(!guide.contains(QLatin1String("not available"), Qt::CaseInsensitive));
    // Esc and Ctrl+W close it.
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
        help->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(help));
        QTest::keyClick(static_cast<QTextBrowser *>(help.data())->viewport(), key.key(), key.keyboardModifiers());
        QTRY_VERIFY(help.isNull());
        form->mnuHelpGuide->trigger();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("HelpGuide") && w->isVisible())
                help = w;
        QVERIFY(help && help->isVisible());
    }

    // The help window is one of the windows the main window closes on its way out.
    QVERIFY(form->close());
    QTRY_VERIFY(help.isNull() || !help->isVisible());
    delete form;

    // Without the guide the user is told where it belongs.
    QFile::remove(m_app->file(QStringLiteral("help/index.html")));
    form = showMainWindow();
    DialogScript::answer(vbOK);
    form->mnuHelpGuide->trigger();
    QCOMPARE(DialogScript::last().title, QStringLiteral("Help Guide"));
    QVERIFY(DialogScript::last().prompt.contains(QStringLiteral("help/index.html")));

    // The about box names the libraries the program is built on.
    Form11 about(form);
    const QString text = about.Text1->toPlainText();
    QCOMPARE(text, Form11::AboutText());
    for (const char *name : {"LEGAL NOTICES:", "Qt 6", "SQLite", "libxml2", "libxslt", "libzip",
                             "Microsoft, Windows, Internet Explorer are trademarks of Microsoft Corporation."})
        QVERIFY2(text.contains(QLatin1String(name)), name);
    QVERIFY(!text.contains(QLatin1String("INFO-ZIP")));
    QVERIFY(about.Text1->isReadOnly());
    about.Command1->click();
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

void TestForm1Window::browserCancelsNavigation()
{
    WebBrowser browser;
    browser.resize(300, 200);
    browser.show();
    for (const char *name : {"a.htm", "b.htm", "c.htm"})
        m_app->writeFile(QLatin1String(name), QByteArray("<html><body>") + name + "</body></html>");

    QList<QUrl> asked;
    QList<QUrl> shown;
    connect(&browser, &WebBrowser::BeforeNavigate2, this, [&](const QUrl &url, bool *cancel) {
        asked.append(url);
        if (url.fileName() == QLatin1String("b.htm"))
            *cancel = true;
    });
    connect(&browser, &WebBrowser::NavigateComplete2, this, [&](const QUrl &url) { shown.append(url); });
    QSignalSpy complete(&browser, &WebBrowser::DocumentComplete);

    browser.Navigate(m_app->file(QStringLiteral("a.htm")));
    QTRY_VERIFY_WITH_TIMEOUT(!complete.isEmpty(), PageLoadTimeoutMs);
    QCOMPARE(browser.ReadyState(), 4);
    QCOMPARE(browser.LocationURL(), QUrl::fromLocalFile(m_app->file(QStringLiteral("a.htm"))).toString());

    // The cancelled address is asked about but never shown; the next one is.
    browser.Navigate(m_app->file(QStringLiteral("b.htm")));
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(asked.begin(), asked.end(), [](const QUrl &u) { return u.fileName() == "b.htm"; }),
                             PageLoadTimeoutMs);
    browser.Navigate(m_app->file(QStringLiteral("c.htm")));
    QTRY_VERIFY_WITH_TIMEOUT(complete.last().at(0).toUrl().fileName() == QLatin1String("c.htm"), PageLoadTimeoutMs);
    QVERIFY(std::none_of(shown.begin(), shown.end(), [](const QUrl &u) { return u.fileName() == "b.htm"; }));
}

QTEST_MAIN(TestForm1Window)
#include "tst_form1_window.moc"
