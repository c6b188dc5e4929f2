// The browser's commands and options, the cache viewer, and the browser toolbar button
// with its two menu items.

#include "disk_full.h"
#include "form1_support.h"
#include "testhelper.h"

#include "mainwindow/form1.h"
#include "platform/browserversion.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "platform/settings.h"
#include "platform/url_history.h"
#include "platform/webbrowser.h"
#include "shared/globals.h"
#include "webtools/browser_options.h"
#include "webtools/form17_favorites.h"
#include "webtools/form27_font_size.h"
#include "webtools/form28_web_mail.h"
#include "webtools/form6_home_page.h"
#include "webtools/frmcache_cache_display.h"
#include "webtools/ie_toolbar_button.h"
#include "webtools/menu_select_hook.h"
#include "webtools/url_cache.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

using namespace Form1Test;
using namespace BrowserOptions;

namespace {

QString setting(const QString &key)
{
    return GetSetting(AppTitle, Section, key, QStringLiteral("<none>"));
}

void clickLine(QListWidget *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

QStringList lines(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

QStringList storedUrls()
{
    QStringList out;
    for (const UrlHistoryEntry &e : UrlHistory::entries())
        out.append(e.url);
    return out;
}

} // namespace

class TestBrowserTools : public WindowTestCase
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void homePageSavedAndReadBack();
    void webMailSavedAndReadBack();
    void textSizeFollowsTheSlider();
    void cacheEntriesListedAndDeleted();
    void registryPrimitives();
    void toolbarEntriesWrittenAndRemoved();
    void toolbarWriteFailureIsReported();
    void mainWindowCommands();

private:
    std::unique_ptr<TestProgramFolder> m_folder;
    WebBrowser *m_browser = nullptr;
    IeToolbarButton::MenuItems m_items;
    QAction m_add, m_remove;
};

void TestBrowserTools::init()
{
    m_folder = std::make_unique<TestProgramFolder>();
    Registry::reload();
    UrlHistory::reload();
    IsOnline = false;
    DeleteSetting(AppTitle, Section);   // the settings file is the same for the whole run
    m_browser = new WebBrowser;
    KeepOnThisMachine(m_browser);
    m_add.setVisible(true);
    m_remove.setVisible(true);
    m_add.setEnabled(true);
    m_remove.setEnabled(true);
    m_items = {&m_add, &m_remove};
}

void TestBrowserTools::cleanup()
{
    delete Form27::existing();
    delete frmCache::existing();
    delete m_browser;
    closeBrowserWindows();
    closeMainWindow();
    SetBrowserVersionOverride(QString());
    RemoveProgramFolder(m_folder, true);
    Registry::reload();
    UrlHistory::reload();
}

void TestBrowserTools::homePageSavedAndReadBack()
{
    {
        Form6 form(m_browser);
        QCOMPARE(form.Text1->text(), DefaultHomePage);
        QTest::mouseClick(form.Command3, Qt::LeftButton);   // Cancel writes nothing
    }
    QCOMPARE(setting(HomePageKey), QStringLiteral("<none>"));
    {
        Form6 form(m_browser);
        form.Text1->clear();
        QTest::keyClicks(form.Text1, QStringLiteral("www.home.example"));
        QTest::mouseClick(form.Command2, Qt::LeftButton);
    }
    QCOMPARE(setting(HomePageKey), QStringLiteral("www.home.example"));
    QCOMPARE(setting(HomePageBlankFlagKey), QStringLiteral("True"));

    m_browser->Navigate(QStringLiteral("about:blank"));
    QTRY_VERIFY(!m_browser->LocationURL().isEmpty());
    Form6 form(m_browser);
    QCOMPARE(form.Text1->text(), QStringLiteral("www.home.example"));
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(form.Text1->text(), QStringLiteral("about:blank"));
}

void TestBrowserTools::webMailSavedAndReadBack()
{
    QCOMPARE(MailAddressToOpen(), MailServices().at(3).address);
    {
        Form28 form;
        QCOMPARE(form.Combo1->count(), 5);
        QCOMPARE(form.Combo1->currentText(), QStringLiteral("MSN Hotmail"));
        form.Combo1->setFocus();
        QTest::keyClick(form.Combo1, Qt::Key_Down);
        QCOMPARE(form.Combo1->currentText(), QStringLiteral("Yahoo! Mail"));
        QTest::mouseClick(form.Command2, Qt::LeftButton);
    }
    QCOMPARE(setting(EmailUrlKey), MailServices().at(4).address);
    QCOMPARE(MailAddressToOpen(), MailServices().at(4).address);
    {
        Form28 form;
        QCOMPARE(form.Combo1->currentText(), QStringLiteral("Yahoo! Mail"));
        QTest::keyClick(form.Combo1, Qt::Key_Up);
        QTest::mouseClick(form.Command3, Qt::LeftButton);   // Cancel writes nothing
    }
    QCOMPARE(setting(EmailUrlKey), MailServices().at(4).address);

    // An address that is none of the services is opened as stored, and offered as Hotmail.
    SaveEmailUrl(QStringLiteral("http://mail.mine.example/"));
    QCOMPARE(MailAddressToOpen(), QStringLiteral("http://mail.mine.example/"));
    Form28 form;
    QCOMPARE(form.Combo1->currentText(), QStringLiteral("MSN Hotmail"));
}

void TestBrowserTools::textSizeFollowsTheSlider()
{
    SetTextSize(m_browser, 1);
    Form27 *form = Form27::open(m_browser);
    QCOMPARE(form->Label2->text(), QStringLiteral("1"));
    QCOMPARE(form->Slider1->value(), 1);

    form->Slider1->setFocus();
    QTest::keyClick(form->Slider1, Qt::Key_End);
    QCOMPARE(form->Label2->text(), QStringLiteral("4"));
    QCOMPARE(TextSize(m_browser), 4);
    form->ZoomIn();   // at the largest size nothing grows
    QCOMPARE(form->Label2->text(), QStringLiteral("4"));
    QCOMPARE(TextSize(m_browser), 4);

    QTest::keyClick(form->Slider1, Qt::Key_Left);
    QCOMPARE(form->Label2->text(), QStringLiteral("3"));
    QCOMPARE(TextSize(m_browser), 3);
    QTest::keyClick(form->Slider1, Qt::Key_Home);
    QCOMPARE(form->Label2->text(), QStringLiteral("0"));
    QCOMPARE(TextSize(m_browser), 0);
    form->ZoomOut();
    QCOMPARE(TextSize(m_browser), 0);

    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QTRY_VERIFY(!Form27::existing());
}

void TestBrowserTools::cacheEntriesListedAndDeleted()
{
    for (const char *url : {"http://a.example/", "http://ads.example/Cookie/x", "https://b.example/",
                            "http://c.example/cookie", "file:///tmp/page.html"})
        UrlHistory::recordVisit(QUrl(QLatin1String(url)), QString());

    frmCache *form = frmCache::open(m_browser);
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QVERIFY(form->Label2->isHidden());
    QVERIFY(!form->Command2->isEnabled());
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(lines(form->List1), (QStringList{"http://a.example/", "https://b.example/", "http://c.example/cookie",
                                              "file:///tmp/page.html"}));
    QCOMPARE(form->Label1->text(), QStringLiteral("4 files listed."));
    QVERIFY(form->Label2->isVisible());

    clickLine(form->List1, 1);
    QTest::mouseClick(form->Command5, Qt::LeftButton);
    QCOMPARE(m_browser->lastNavigated(), QStringLiteral("https://b.example/"));
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    QCOMPARE(lines(form->List1),
             (QStringList{"http://a.example/", "http://c.example/cookie", "file:///tmp/page.html"}));
    QCOMPARE(form->Label1->text(), QStringLiteral("4 files listed."));   // set only by "Get Cache"

    int engineCleared = 0;
    SetEngineCacheClearer([&engineCleared] { ++engineCleared; });
    {   // A history that cannot be written keeps its entries, and the browser its cache, and says so.
        const ReadOnlyFolder readOnly(QFileInfo(UrlHistory::filePath()).path());
        DialogScript::answer(vbOK);
        QTest::mouseClick(form->Command3, Qt::LeftButton);
    }
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The cache could not be written: its entries were not deleted."));
    QCOMPARE(form->List1->count(), 3);
    QCOMPARE(engineCleared, 0);
    // Entries deleted elsewhere meanwhile are no failure (an unexpected message fails the test).
    QCOMPARE(UrlHistory::remove(lines(form->List1)), 3);
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    SetEngineCacheClearer({});
    QCOMPARE(engineCleared, 1);
    QCOMPARE(form->List1->count(), 0);
    QCOMPARE(storedUrls(), QStringList{"http://ads.example/Cookie/x"});   // cookies are never deleted
}

void TestBrowserTools::registryPrimitives()
{
    QCOMPARE(TrimBackslashes(QStringLiteral("\\Software\\X\\")), QStringLiteral("Software\\X"));
    QCOMPARE(TrimBackslashes(QStringLiteral("\\\\A")), QStringLiteral("\\A"));

    const QString key = QStringLiteral("\\Software\\Test\\");
    QCOMPARE(RegGetValue(HKEY_LOCAL_MACHINE, key, "v", "dflt"), QStringLiteral("dflt"));
    QVERIFY(RegSetValue(HKEY_LOCAL_MACHINE, key, "v", "{1FBA04EE}"));
    QVERIFY(RegSetValue(HKEY_LOCAL_MACHINE, key, "*", "default"));
    QVERIFY(RegSetValue(HKEY_LOCAL_MACHINE, key, "empty", ""));
    QCOMPARE(RegGetValue(HKEY_LOCAL_MACHINE, key, "v", "dflt"), QStringLiteral("{1FBA04EE}"));
    QCOMPARE(RegGetValue(HKEY_LOCAL_MACHINE, key, "", "dflt"), QStringLiteral("default"));
    QCOMPARE(RegGetValue(HKEY_LOCAL_MACHINE, key, "empty", "dflt"), QString(""));

    QVERIFY(RegDeleteEntry(HKEY_LOCAL_MACHINE, key, "*"));   // the default value only
    QCOMPARE(RegGetValue(HKEY_LOCAL_MACHINE, key, "*", "dflt"), QStringLiteral("dflt"));
    QCOMPARE(RegGetValue(HKEY_LOCAL_MACHINE, key, "v", "dflt"), QStringLiteral("{1FBA04EE}"));
    QVERIFY(RegSetValue(HKEY_LOCAL_MACHINE, "Software\\Test\\Sub", "x", "1"));
    QVERIFY(!RegDeleteEntry(HKEY_LOCAL_MACHINE, "Software\\Test", ""));   // it still has a subkey
    QVERIFY(RegDeleteEntry(HKEY_LOCAL_MACHINE, "Software\\Test\\Sub", ""));
    QVERIFY(RegDeleteEntry(HKEY_LOCAL_MACHINE, "Software\\Test", ""));
    QCOMPARE(RegGetValue(HKEY_LOCAL_MACHINE, key, "v", "dflt"), QStringLiteral("dflt"));
    QVERIFY(!RegDeleteEntry(HKEY_LOCAL_MACHINE, key, "v"));   // the key is gone
}

void TestBrowserTools::toolbarEntriesWrittenAndRemoved()
{
    using namespace IeToolbarButton;
    // No browser program named: both items go.
    CheckIEButtonState(m_items);
    QVERIFY(!m_add.isVisible() && !m_remove.isVisible());

    m_folder->writeFile(QStringLiteral("browser.exe"), "x");
    QVERIFY(RegSetValue(HKEY_LOCAL_MACHINE, BrowserAppPathKey, "", m_folder->file("browser.exe")));
    m_add.setVisible(true);
    m_remove.setVisible(true);
    SetBrowserVersionOverride(QStringLiteral("4.0.0"));
    CheckIEButtonState(m_items);
    QVERIFY(!m_add.isVisible() && !m_remove.isVisible());

    m_add.setVisible(true);
    m_remove.setVisible(true);
    SetBrowserVersionOverride(QStringLiteral("6.0.0"));
    CheckIEButtonState(m_items);
    QVERIFY(m_add.isEnabled() && !m_remove.isEnabled());

    QVERIFY(AddIEButton(m_items));
    QVERIFY(!m_add.isEnabled() && m_remove.isEnabled());
    RegKey key;
    QCOMPARE(Registry::openKey(HKEY_LOCAL_MACHINE, ButtonKey, &key), ERROR_SUCCESS);
    QCOMPARE(Registry::valueNames(key), (QStringList{"ButtonText", "CLSID", "Default Visible", "Exec", "HotIcon",
                                                     "Icon", "MenuStatusBar", "MenuText"}));
    QCOMPARE(RegGetValue(HKEY_LOCAL_MACHINE, ButtonKey, "CLSID", ""), ButtonClsid);
    QCOMPARE(RegGetValue(HKEY_LOCAL_MACHINE, ButtonKey, "Exec", ""),
             m_folder->path() + QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    QCOMPARE(RegGetValue(HKEY_LOCAL_MACHINE, ButtonKey, "HotIcon", ""), m_folder->file("icon1.ico"));
    QCOMPARE(QImage(m_folder->file("icon2.ico")).size(), QSize(24, 24));
    m_add.setEnabled(true);
    CheckIEButtonState(m_items);
    QVERIFY(!m_add.isEnabled() && m_remove.isEnabled());

    // A key that will not go leaves the button installed.
    QVERIFY(RegSetValue(HKEY_LOCAL_MACHINE, ButtonKey + "\\Sub", "x", "1"));
    QVERIFY(!RemoveIEButton(m_items));
    QVERIFY(!m_add.isEnabled() && m_remove.isEnabled() && QFile::exists(m_folder->file("icon2.ico")));
    QVERIFY(RegDeleteEntry(HKEY_LOCAL_MACHINE, ButtonKey + "\\Sub", ""));
    QFile::remove(m_folder->file("icon1.ico"));   // a missing icon does not stop the removal
    QVERIFY(RemoveIEButton(m_items));
    QVERIFY(m_add.isEnabled() && !m_remove.isEnabled());
    QCOMPARE(Registry::openKey(HKEY_LOCAL_MACHINE, ButtonKey, nullptr), ERROR_FILE_NOT_FOUND);
    QVERIFY(!QFile::exists(m_folder->file("icon2.ico")));
    CheckIEButtonState(m_items);
    QVERIFY(m_add.isEnabled() && !m_remove.isEnabled());
}

void TestBrowserTools::toolbarWriteFailureIsReported()
{
    // The registry file cannot be replaced while a folder stands in its name.
    Registry::readText(HKEY_CURRENT_USER, QStringLiteral("Software"), QString());
    const QString file = Registry::filePath();
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir().mkdir(file));
    QVERIFY(!IeToolbarButton::AddIEButton(m_items));
    QVERIFY(m_add.isEnabled() && m_remove.isEnabled());   // the items stay as they were
    QVERIFY(!QFile::exists(m_folder->file("icon1.ico")));
    QVERIFY(QDir().rmdir(file));
}

void TestBrowserTools::mainWindowCommands()
{
    Form1 *form = showMainWindow();
    // The home page, web mail and promotions pages are asked for, never fetched.
    KeepOnThisMachine(form->results);
    // The hook is in place once; without a browser program the toolbar items are hidden.
    MenuSelectHook *hook = MenuSelectHook::of(form);
    QVERIFY(hook);
    form->HookWindowProc();
    QCOMPARE(form->findChildren<MenuSelectHook *>().size(), 1);
    QVERIFY(!form->mnuAddMSIE->isVisible() && !form->mnuDeleteMSIE->isVisible());

    // Cancelling the confirmation changes nothing; OK installs and reports it.
    DialogScript::answer(vbCancel);
    form->mnuAddMSIE->setVisible(true);
    form->mnuDeleteMSIE->setVisible(true);
    form->mnuAddMSIE->trigger();
    QCOMPARE(Registry::openKey(HKEY_LOCAL_MACHINE, IeToolbarButton::ButtonKey, nullptr), ERROR_FILE_NOT_FOUND);
    DialogScript::answer(vbOK);
    DialogScript::answer(vbOK);
    form->mnuAddMSIE->trigger();
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Your Quorvane icon has been successfully added to the IE Toolbar"));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Add Quorvane icon to the MSIE Toolbar"));
    QVERIFY(!form->mnuAddMSIE->isEnabled() && form->mnuDeleteMSIE->isEnabled());
    DialogScript::answer(vbOK);
    DialogScript::answer(vbOK);
    form->mnuDeleteMSIE->trigger();
    QCOMPARE(DialogScript::last().title, QStringLiteral("Remove Quorvane icon from the IE Toolbar"));
    QCOMPARE(Registry::openKey(HKEY_LOCAL_MACHINE, IeToolbarButton::ButtonKey, nullptr), ERROR_FILE_NOT_FOUND);

    // Home: the stored page, or a blank page; web mail; numbers out of range do nothing.
    form->BrowserButtonClick(5);
    QCOMPARE(form->results->lastNavigated(), QStringLiteral("about:blank"));
    SaveHomePage(QStringLiteral("http://home.example/"));
    form->BrowserButtonClick(5);
    QCOMPARE(form->results->lastNavigated(), QStringLiteral("http://home.example/"));
    form->BrowserButtonClick(11);
    QCOMPARE(form->results->lastNavigated(), MailServices().at(FallbackMailService).address);
    form->BrowserButtonClick(12);
    QCOMPARE(form->results->lastNavigated(), PromotionsPage);
    form->BrowserButtonClick(13);
    QCOMPARE(form->results->lastNavigated(), PromotionsPage);

    form->mnuFontSize->trigger();
    QVERIFY(Form27::existing() && Form27::existing()->isVisible());
    FavImportMode = 1;
    form->mnuImportFav->trigger();
    QVERIFY(Form17::existing());
    QCOMPARE(Form17::existing()->windowTitle(), QStringLiteral("IE Favorites"));
}

QTEST_MAIN(TestBrowserTools)
#include "tst_browser_tools.moc"
