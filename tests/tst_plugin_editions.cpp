// Adding plug-in editions from a data server of the test's own on 127.0.0.1: the
// catalogue and the names made from it, installing downloaded archives (good, damaged,
// encrypted, with names leaving the folder), and the dialog with its progress window:
// the connection dialog, the error page, a download to 100 %, a proxy, a dropped
// connection, Cancel during a transfer, and the new edition offered by the main window.

#include "form1_support.h"
#include "local_web_server.h"
#include "testhelper.h"
#include "zip_fixtures.h"

#include "editions/c_unzip.h"
#include "editions/form30_download_progress.h"
#include "editions/form9_plugin_editions.h"
#include "editions/plugin_editions.h"
#include "platform/connection_state.h"
#include "platform/dialogs.h"
#include "shared/form19_connection.h"
#include "shared/globals.h"
#include "shared/routines.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace Form1Test;
using ZipFixtures::makeZip;
using Result = PluginEditions::InstallResult;

namespace {

const QString Listed = QStringLiteral("*Sample_Links.mdb,Sample Links\r\n");

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An archive holding an edition database under entryName, made from the empty edition.
QByteArray editionArchive(const QString &dir, const QByteArray &entryName, const QByteArray &password = QByteArray())
{
    const QString zip = dir + QStringLiteral("/made.zip");
    makeZip(zip, {{entryName, fileBytes(BuiltProgramFolder() + QStringLiteral("untitled.mdb")), password}});
    return fileBytes(zip);
}

void clickItem(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(text));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

QStringList listOf(const QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

} // namespace

class TestPluginEditions : public WindowTestCase
{
    Q_OBJECT
public slots:
    void openUrl(const QUrl &url) { m_opened << url.toString(); }

private slots:
    void init();
    void cleanup();

    void catalogueAndNames();
    void install_data();
    void install();

    void loadOffersCatalogueAndLink();
    void errorPageClosesDialog();
    void connectionDialogAndProxy();
    void addedEditionIsOfferedByMainWindow();
    void failedTransfersAreBoundedAndCleanedUp();
    void cancelDuringTransfer_data();
    void cancelDuringTransfer();

private:
    // A dialog loaded against the test's server.
    Form9 *loadDialog(bool *loaded = nullptr);

    std::unique_ptr<TestProgramFolder> m_app;
    std::unique_ptr<LocalWeb::Server> m_server;
    QTemporaryDir m_scratch;
    QStringList m_opened;
    int m_refreshed = 0;
};

void TestPluginEditions::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    m_server = std::make_unique<LocalWeb::Server>();
    qputenv("QUORVANE_DATA_SERVER", m_server->base().toLatin1());
    for (const char *name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        qunsetenv(name);
    SetConnectedStateOverride(0);    // offline: no connection dialog
    ProxyServer.clear();
    ProxyPort.clear();
    ProxyUserId.clear();
    ProxyPassword.clear();
    ProxyConfirmed = 0;
    IsOnline = false;
    CurrentDatabaseFile = QStringLiteral("Sample_Links.mdb");
    m_refreshed = 0;
    m_app->writeFile(QStringLiteral("dbnames.txt"), Listed.toUtf8());
    m_server->put("/data/editions.txt", {"x,Health and Fitness\r\ny,Travel\r\nz,../escape\r\nlast,Unfinished"});
}

void TestPluginEditions::cleanup()
{
    closeMainWindow();
    SetConnectedStateOverride(-1);
    qunsetenv("QUORVANE_DATA_SERVER");
    m_server.reset();
    RemoveProgramFolder(m_app, true);
}

Form9 *TestPluginEditions::loadDialog(bool *loaded)
{
    auto *form = new Form9([this] { ++m_refreshed; });
    QPointer<Form9> guard(form);
    const bool ok = form->Form_Load();
    if (loaded)
        *loaded = ok;
    if (ok)
        form->show();
    return guard;
}

void TestPluginEditions::catalogueAndNames()
{
    QCOMPARE(PluginEditions::ParseCatalogue("x,Health and Fitness\r\ny,Travel\r\n"),
             (QStringList{"Health and Fitness", "Travel"}));
    QCOMPARE(PluginEditions::ParseCatalogue("x,Health and Fitness\r\ny,Travel"), QStringList{"Health and Fitness"});
    QCOMPARE(PluginEditions::ParseCatalogue("Whole Line\r\n"), QStringList{"Whole Line"});
    // Names that would make an unsafe file name or list line are left out.
    QCOMPARE(PluginEditions::ParseCatalogue("a,../up\r\nb,a/b\r\nc,x*y\r\nd,\r\ne,untitled\r\nf,a\tb\r\ng,a,b\r\nh,ok\r\n"),
             QStringList{"ok"});
    QVERIFY(PluginEditions::IsErrorReply(QStringLiteral("Error page\r\n")));
    QVERIFY(!PluginEditions::IsErrorReply(QStringLiteral("x,Travel\r\n")));

    QCOMPARE(PluginEditions::ArchiveName("Health and Fitness"), QStringLiteral("health and fitness.zip"));
    QCOMPARE(PluginEditions::ListLine("Health and Fitness"), QStringLiteral("health_and_fitness.mdb,Health and Fitness"));
    m_app->writeFile(QStringLiteral("dbnames.txt"), "a.mdb,A\r\n\r\n*Health_And_Fitness.mdb,Health and Fitness\r\n");
    QVERIFY(PluginEditions::EditionListed(m_app->file("dbnames.txt"), "health_and_fitness.mdb"));
    QVERIFY(!PluginEditions::EditionListed(m_app->file("dbnames.txt"), "health.mdb"));

    QCOMPARE(PluginEditions::PercentText(996, 1000), QStringLiteral("99% "));
    QCOMPARE(PluginEditions::PercentText(9999, 10000), QStringLiteral("99% "));
    QCOMPARE(PluginEditions::PercentText(1000, 1000), QStringLiteral("100% "));
    QCOMPARE(PluginEditions::PercentText(5, 0), QString());
    QCOMPARE(PluginEditions::BaseAddress(), m_server->base() + QStringLiteral("/data/"));
}

void TestPluginEditions::install_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<int>("result");
    const QString dir = m_scratch.path();
    QTest::newRow("good") << editionArchive(dir, "Travel.mdb") << int(Result::Installed);
    QTest::newRow("in a folder") << editionArchive(dir, "eds/travel.mdb") << int(Result::Installed);
    QTest::newRow("corrupt") << QByteArray("PK\x03\x04 this is no archive") << int(Result::NotAnEdition);
    QTest::newRow("password") << editionArchive(dir, "travel.mdb", "secret") << int(Result::NotAnEdition);
    QTest::newRow("leaves folder") << editionArchive(dir, "../travel.mdb") << int(Result::NotAnEdition);
    QTest::newRow("other entry") << editionArchive(dir, "sports.mdb") << int(Result::NotAnEdition);
    makeZip(dir + "/text.zip", {{"travel.mdb", "not a database"}});
    QTest::newRow("not a database") << fileBytes(dir + "/text.zip") << int(Result::NotAnEdition);
}

void TestPluginEditions::install()
{
    QFETCH(QByteArray, archive);
    QFETCH(int, result);
    const QStringList before = QDir(m_app->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    m_app->writeFile(QStringLiteral("travel.zip"), archive);
    cUnzip unzip;
    QCOMPARE(int(PluginEditions::Install(unzip, m_app->file("travel.zip"), m_app->path(), "Travel")), result);

    QStringList after = QDir(m_app->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QVERIFY(!QFileInfo::exists(m_app->path() + "../travel.mdb"));
    if (result == int(Result::Installed)) {
        QCOMPARE(m_app->readFile("dbnames.txt"), (Listed + "travel.mdb,Travel\r\n").toUtf8());
        after.removeOne(QStringLiteral("travel.mdb"));
    } else {
        QCOMPARE(m_app->readFile("dbnames.txt"), Listed.toUtf8());
    }
    QCOMPARE(after, before);

    // Listed already, or the edition in use: refused before anything is unpacked.
    if (result == int(Result::Installed)) {
        m_app->writeFile(QStringLiteral("travel.zip"), archive);
        QCOMPARE(PluginEditions::Install(unzip, m_app->file("travel.zip"), m_app->path(), "Travel"), Result::Refused);
        CurrentDatabaseFile = QStringLiteral("SPORTS.mdb");
        QCOMPARE(PluginEditions::Install(unzip, m_app->file("sports.zip"), m_app->path(), "Sports"), Result::Refused);
    }
}

void TestPluginEditions::loadOffersCatalogueAndLink()
{
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openUrl");
    Form9 *form = loadDialog();
    QVERIFY(form);
    QCOMPARE(listOf(form->List1), (QStringList{"Health and Fitness", "Travel"}));
    QCOMPARE(form->List1->currentRow(), 0);
    QVERIFY(form->Command1->isEnabled());
    QCOMPARE(ProxyConfirmed, 1);
    QCOMPARE(m_server->seen.last().target, QByteArray("/data/editions.txt"));

    QCOMPARE(form->lblLink->text(), PluginEditions::HomePage());
    QTest::mouseClick(form->lblLink, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(m_opened, QStringList{PluginEditions::HomePage()});
    QPointer<Form9> escaped(form);
    QTest::keyClick(form->List1, Qt::Key_Escape);
    QTRY_VERIFY(escaped.isNull());

    // An empty catalogue leaves nothing to add.
    m_server->put("/data/editions.txt", {""});
    form = loadDialog();
    QVERIFY(form);
    QCOMPARE(form->List1->count(), 0);
    QVERIFY(!form->Command1->isEnabled());
    form->close();
}

void TestPluginEditions::errorPageClosesDialog()
{
    DialogScript::answer(vbOK);
    m_server->put("/data/editions.txt", {"Error page\r\n"});
    bool loaded = true;
    QPointer<Form9> form = loadDialog(&loaded);
    QVERIFY(!loaded);
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("An error has occured during the connection to the Quorvane server. Please try again later."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Connection error"));
    QTRY_VERIFY(form.isNull());
}

void TestPluginEditions::connectionDialogAndProxy()
{
    SetConnectedStateOverride(1);    // a network: the settings are asked for once

    // Closed without OK: the download is abandoned, nothing is requested.
    {
        OnModal<Form19> closeIt([](Form19 *dialog) { dialog->close(); });
        bool loaded = true;
        QPointer<Form9> form = loadDialog(&loaded);
        QVERIFY(closeIt.seen);
        QVERIFY(!loaded);
        QTRY_VERIFY(form.isNull());
        QCOMPARE(m_server->seen.size(), 0);
        QCOMPARE(ProxyConfirmed, 0);
    }

    // The user chooses the local proxy and logs on to it; the catalogue and the archive
    // come through it, and the server never sees the log-on.
    LocalWeb::Proxy proxy;
    m_server->put("/data/travel.zip", {editionArchive(m_scratch.path(), "travel.mdb")});
    OnModal<Form19> answer([&proxy](Form19 *dialog) {
        QTest::mouseClick(dialog->Option2, Qt::LeftButton);
        const QStringList values{"127.0.0.1", QString::number(proxy.serverPort()), "user", "secret"};
        const QList<QLineEdit *> boxes{dialog->Text1, dialog->Text2, dialog->Text3, dialog->Text4};
        for (int i = 0; i < 4; ++i) {
            boxes[i]->clear();
            QTest::keyClicks(boxes[i], values[i]);
        }
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    });
    Form9 *form = loadDialog();
    QVERIFY(answer.seen);
    QVERIFY(form);
    QCOMPARE(ProxyServer, QStringLiteral("127.0.0.1"));
    QCOMPARE(listOf(form->List1), (QStringList{"Health and Fitness", "Travel"}));

    DialogScript::answer(vbOK);
    clickItem(form->List1, QStringLiteral("Travel"));
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The Edition 'Travel' has been successfully added."));
    QVERIFY(proxy.seen.size() >= 4);
    for (const LocalWeb::Request &r : m_server->seen) {
        QVERIFY(!r.headers.contains("authorization"));
        QVERIFY(!r.headers.contains("proxy-authorization"));
    }
    QVERIFY(QFileInfo::exists(m_app->file("travel.mdb")));
}

void TestPluginEditions::addedEditionIsOfferedByMainWindow()
{
    m_server->put("/data/health%20and%20fitness.zip", {editionArchive(m_scratch.path(), "health_and_fitness.mdb")});
    Form1 *main = showMainWindow();
    DialogScript::answer(vbYes);
    main->mnuAdddatabase->trigger();
    const DialogScript::Shown notice = DialogScript::shown().first();
    QCOMPARE(notice.buttons, vbYesNo | vbInformation);
    QVERIFY(notice.prompt.endsWith(QLatin1String("to access this list.\n\nSelect 'Yes' to display this list now.")));
    auto *form = main->findChild<Form9 *>();
    QVERIFY(form && form->isVisible());

    // Already listed: refused, the dialog stays.
    m_app->writeFile(QStringLiteral("dbnames.txt"), (Listed + "Health_And_Fitness.mdb,Health and Fitness\r\n").toUtf8());
    DialogScript::answer(vbOK);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The Edition 'Health and Fitness' already exists."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Edition Error"));
    QVERIFY(form->isVisible());

    m_app->writeFile(QStringLiteral("dbnames.txt"), Listed.toUtf8());
    DialogScript::answer(vbOK);
    QPointer<Form30> progress = form->progressWindow();
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The Edition 'Health and Fitness' has been successfully added."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Plug-In Edition"));
    QVERIFY(progress);
    QCOMPARE(progress->Label5->text(), QStringLiteral("100% "));
    QCOMPARE(progress->PB->value(), progress->PB->maximum());
    QVERIFY(!progress->Label3->text().isEmpty());

    QCOMPARE(m_app->readFile("dbnames.txt"),
             (QStringLiteral("*Sample_Links.mdb,Sample Links\r\nhealth_and_fitness.mdb,Health and Fitness\r\n")).toUtf8());
    QVERIFY(QFileInfo(m_app->file("health_and_fitness.mdb")).size() > 0);
    QVERIFY(!QFileInfo::exists(m_app->file("health and fitness.zip")));
    QCOMPARE(comboItems(main->Combo6),
             (QStringList{"Sample Links", ProperCaseAddress(QStringLiteral("Health and Fitness"))}));
    QTRY_VERIFY(!main->findChild<Form9 *>());
}

void TestPluginEditions::failedTransfersAreBoundedAndCleanedUp()
{
    Form9 *form = loadDialog();
    QVERIFY(form);

    // A server that drops the connection: three tries, then the connection error.
    m_server->put("/data/travel.zip", {editionArchive(m_scratch.path(), "travel.mdb"), 200, true, false, true});
    DialogScript::answer(vbOK);
    clickItem(form->List1, QStringLiteral("Travel"));
    QCOMPARE(form->List1->currentItem()->text(), QStringLiteral("Travel"));
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().title, QStringLiteral("Connection error"));
    int gets = 0;
    for (const LocalWeb::Request &r : m_server->seen)
        gets += r.method == "GET" && r.target == "/data/travel.zip" ? 1 : 0;
    QCOMPARE(gets, Form9::MaxTransferAttempts);
    QVERIFY(!QFileInfo::exists(m_app->file("travel.zip")));
    QVERIFY(form->isVisible() && form->Command1->isEnabled());

    // A damaged archive arrives whole but adds nothing.
    m_server->put("/data/travel.zip", {"PK\x03\x04 damaged"});
    DialogScript::answer(vbOK);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The Edition 'Travel' could not be added: the downloaded file holds no edition."));
    QCOMPARE(m_app->readFile("dbnames.txt"), Listed.toUtf8());
    QVERIFY(!QFileInfo::exists(m_app->file("travel.zip")));
    QVERIFY(!QFileInfo::exists(m_app->file("travel.mdb")));
    QCOMPARE(m_refreshed, 0);
    form->close();
}

void TestPluginEditions::cancelDuringTransfer_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Cancel") << false;
    QTest::newRow("Esc") << true;
}

void TestPluginEditions::cancelDuringTransfer()
{
    QFETCH(bool, escape);
    QPointer<Form9> form = loadDialog();
    QVERIFY(form);
    m_server->put("/data/health%20and%20fitness.zip", {QByteArray(100000, 'z'), 200, true, false, false, true});
    // Cancel (or Esc) is pressed while the transfer waits for the rest of the archive.
    QTimer press;
    press.setInterval(10);
    connect(&press, &QTimer::timeout, this, [&] {
        if (form && form->progressWindow()->isVisible() && !form->progressWindow()->Label5->text().isEmpty()) {
            press.stop();
            if (escape)
                QTest::keyClick(form->List1, Qt::Key_Escape);
            else
                QTest::mouseClick(form->Command2, Qt::LeftButton);
        }
    });
    press.start();
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QVERIFY(!press.isActive());
    QTRY_VERIFY(form.isNull());
    QVERIFY(!QFileInfo::exists(m_app->file("health and fitness.zip")));
    QCOMPARE(m_app->readFile("dbnames.txt"), Listed.toUtf8());
}

QTEST_MAIN(TestPluginEditions)
#include "tst_plugin_editions.moc"
