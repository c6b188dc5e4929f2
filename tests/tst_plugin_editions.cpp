// Adding plug-in editions from a data server of the test's own on 127.0.0.1: the
// catalogue and the names made from it, installing downloaded archives (good, damaged,
// encrypted, with names leaving the folder), and the dialog with its progress window:
// the connection dialog, the error page, a download to 100 %, a proxy, a dropped
// connection, Cancel during a transfer, and the new edition offered by the main window.

#include "child_run.h"
#include "disk_full.h"
#include "form1_support.h"
#include "local_web_server.h"
#include "testhelper.h"
#include "zip_fixtures.h"

#include "editions/c_download.h"
#include "editions/c_unzip.h"
#include "editions/edition_discovery.h"
#include "editions/form30_download_progress.h"
#include "editions/form9_plugin_editions.h"
#include "editions/plugin_editions.h"
#include "platform/connection_state.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "platform/whole_file.h"
#include "shared/form19_connection.h"
#include "shared/database.h"
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
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <csignal>

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

// An archive holding under "travel.mdb" the empty edition with the statements run on it.
QByteArray archiveDeclaring(const QString &dir, const QStringList &statements)
{
    const QString path = dir + QStringLiteral("/declaring.mdb");
    QFile::remove(path);
    QFile::copy(BuiltProgramFolder() + QStringLiteral("untitled.mdb"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    if (!RunOnFile(path, statements))
        return QByteArray();
    makeZip(dir + QStringLiteral("/made.zip"), {{"travel.mdb", fileBytes(path)}});
    return fileBytes(dir + QStringLiteral("/made.zip"));
}

void clickItem(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(text));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

// An archive holding a database under entryName that has only a Topics table.
QByteArray topicsOnlyArchive(const QString &dir, const QByteArray &entryName)
{
    const QString path = dir + QStringLiteral("/topics-only.mdb");
    QFile::remove(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("topics-only"));
        db.setDatabaseName(path);
        if (db.open())
            QSqlQuery(db).exec(QStringLiteral("CREATE TABLE Topics (TopicId INTEGER PRIMARY KEY, Topic TEXT)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("topics-only"));
    const QString zip = dir + QStringLiteral("/made.zip");
    makeZip(zip, {{entryName, fileBytes(path)}});
    return fileBytes(zip);
}

// The entries of a folder, sorted.
QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

int getsOf(const LocalWeb::Server &server, const QByteArray &target)
{
    int gets = 0;
    for (const LocalWeb::Request &r : server.seen)
        gets += r.method == "GET" && r.target == target ? 1 : 0;
    return gets;
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
    void catalogueTextAndArchiveAddress_data();
    void catalogueTextAndArchiveAddress();
    void localFailuresAreToldOnce_data();
    void localFailuresAreToldOnce();
    void cancelWhileCatalogueLoads();
    void exitDuringDownloadEndsTheProgram();
    void killedInstallLeavesNoPartialEdition_data();
    void killedInstallLeavesNoPartialEdition();

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
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    QCOMPARE(PluginEditions::PercentText(largest - 1, largest), QStringLiteral("99% "));
    QCOMPARE(PluginEditions::PercentText(largest, largest), QStringLiteral("100% "));
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
    QTest::newRow("only a Topics table") << topicsOnlyArchive(dir, "travel.mdb") << int(Result::NotAnEdition);
    makeZip(dir + "/text.zip", {{"travel.mdb", "not a database"}});
    QTest::newRow("not a database") << fileBytes(dir + "/text.zip") << int(Result::NotAnEdition);
    // The sizes the archive declares: past 2 GB it is refused before unpacking; an entry
    // holding more than it declares is damaged.
    const QByteArray good = editionArchive(dir, "travel.mdb");
    QTest::newRow("declares 4 GB") << ZipFixtures::declaringSize(good, 0xFFFFFFF0) << int(Result::TooLarge);
    QTest::newRow("holds more than it declares") << ZipFixtures::declaringSize(good, 4096) << int(Result::NotAnEdition);
    // What SQLite would run on the program's own reads and writes is refused.
    const int own = int(Result::OwnCommands);
    QTest::newRow("a trigger") << archiveDeclaring(dir, {"CREATE TRIGGER Gone AFTER INSERT ON Sit BEGIN DELETE FROM Lks; END"})
                               << own;
    QTest::newRow("a view") << archiveDeclaring(dir, {"CREATE VIEW Every AS SELECT * FROM Sit"}) << own;
    QTest::newRow("a check") << archiveDeclaring(dir, SlowCheckOnLinks()) << own;
    QTest::newRow("a default worked out") << archiveDeclaring(dir, {"CREATE TABLE Extra (a DEFAULT (random()))"}) << own;
    QTest::newRow("a generated column") << archiveDeclaring(dir, {"CREATE TABLE Extra (a, b AS (a * 2))"}) << own;
    QTest::newRow("an index on an expression")
        << archiveDeclaring(dir, {"CREATE INDEX SitLength ON Sit (length(Summary))"}) << own;
    QTest::newRow("an index on part of a table")
        << archiveDeclaring(dir, {"CREATE INDEX SitSome ON Sit (SitName) WHERE SitId > 5"}) << own;
    QTest::newRow("a plain table and index of its own")
        << archiveDeclaring(dir, {"CREATE TABLE Extra (a INTEGER NOT NULL DEFAULT -1, \"b c\" TEXT COLLATE NOCASE "
                                  "DEFAULT 'x (y)', CONSTRAINT k UNIQUE (a))",
                                  "CREATE INDEX ExtraA ON Extra (a DESC, [b c] COLLATE NOCASE ASC) -- (a)"})
        << int(Result::Installed);
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
    const QString connectionError =
        QStringLiteral("An error has occured during the connection to the Quorvane server. Please try again later.");
    LocalWeb::Resource steady{QByteArray(1024 * 1024, 'x'), 200, false};
    steady.dripMs = 50;    // 5 KB a second, above the lowest rate
    const QByteArray list = "x,Travel\r\ny,Health and Fitness, Sports and Wellbeing\r\n";
    const auto moved = [&list](const QByteArray &to) { return LocalWeb::Resource{list, 302, true, false, false, false, 0, {}, "Location: " + to + "\r\n"}; };
    m_app->writeFile(QStringLiteral("local.txt"), list);
    QString unreachable;    // a port nothing listens on
    {
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        unreachable = QStringLiteral("http://127.0.0.1:%1").arg(gone.serverPort());
    }
    struct Case { LocalWeb::Resource catalogue; QString message; QString server = {}; };
    const QList<Case> cases = {
        {{"Error page\r\n"}, connectionError},
        // An error status whatever the text, also one that is not followed.
        {{"x,Travel\r\n", 500}, connectionError},
        {{"x,Travel\r\n", 300}, connectionError},
        {{"x,Travel\r\n", 404}, connectionError},
        {{list}, connectionError, unreachable},
        {moved("/data/editions.txt"), connectionError},
        {moved(QUrl::fromLocalFile(m_app->file("local.txt")).toEncoded()), connectionError},
        {moved("ftp://127.0.0.1:" + QByteArray::number(m_server->serverPort()) + "/data/list.txt"), connectionError},
        {{list, 200, true, false, true}, connectionError},    // cut short after its first line
        {{QByteArray(5 * 1024 * 1024, 'x') + ",Huge\r\n"}, "The list of Plug-In Editions is larger than 4 MB and was not read."},
        {steady, "The list of Plug-In Editions came too slowly and was not read."},
        {{list, 200, true, false, false, false, 0, {}, "X-Filler: " + QByteArray(70000, 'x') + "\r\n"},
         "The list of Plug-In Editions was not read: the server's answer header is larger than 64 KiB."},
    };
    cDownload::SetTextTimeLimit(2000);
    const auto restore = qScopeGuard([this] {
        cDownload::SetTextTimeLimit(0);
        qputenv("QUORVANE_DATA_SERVER", m_server->base().toLatin1());
    });
    m_server->put("/data/list.txt", {list});
    int row = 0;
    for (const auto &[catalogue, message, server] : cases) {
        ++row;
        DialogScript::answer(vbOK);
        m_server->put("/data/editions.txt", catalogue);
        qputenv("QUORVANE_DATA_SERVER", (server.isEmpty() ? m_server->base() : server).toLatin1());
        bool loaded = true;
        QPointer<Form9> form = loadDialog(&loaded);
        QVERIFY2(!loaded, qPrintable(QStringLiteral("case %1").arg(row)));
        QCOMPARE(DialogScript::last().prompt, message);
        QCOMPARE(DialogScript::last().title, QStringLiteral("Connection error"));
        QTRY_VERIFY(form.isNull());
    }
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


void TestPluginEditions::catalogueTextAndArchiveAddress_data()
{
    QTest::addColumn<QByteArray>("catalogue");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("archivePath");
    QTest::addColumn<QString>("file");
    QTest::newRow("#") << QByteArray("x,C# Guide\r\n") << "C# Guide" << QByteArray("/data/c%23%20guide.zip")
                       << "c#_guide.mdb";
    QTest::newRow("?") << QByteArray("x,Why? Now\r\n") << "Why? Now" << QByteArray("/data/why%3F%20now.zip")
                       << "why?_now.mdb";
    QTest::newRow("UTF-8") << QByteArray("x,W\xc3\xbcrzburg\r\n") << QString::fromUtf8("W\u00fcrzburg")
                           << QByteArray("/data/w%C3%BCrzburg.zip") << QString::fromUtf8("w\u00fcrzburg.mdb");
    QTest::newRow("UTF-8 after a byte order mark")
        << QByteArray("\xef\xbb\xbfW\xc3\xbcrzburg\r\n") << QString::fromUtf8("W\u00fcrzburg")
        << QByteArray("/data/w%C3%BCrzburg.zip") << QString::fromUtf8("w\u00fcrzburg.mdb");
    QTest::newRow("Windows-1252") << QByteArray("x,W\xfcrzburg \x80\r\n") << QString::fromUtf8("W\u00fcrzburg \u20ac")
                                  << QByteArray("/data/w%C3%BCrzburg%20%E2%82%AC.zip")
                                  << QString::fromUtf8("w\u00fcrzburg_\u20ac.mdb");
}

void TestPluginEditions::catalogueTextAndArchiveAddress()
{
    QFETCH(QByteArray, catalogue);
    QFETCH(QString, name);
    QFETCH(QByteArray, archivePath);
    QFETCH(QString, file);
    m_server->put("/data/editions.txt", {catalogue});
    m_server->put(archivePath, {editionArchive(m_scratch.path(), file.toUtf8())});
    Form9 *form = loadDialog();
    QVERIFY(form);
    QCOMPARE(listOf(form->List1), QStringList{name});
    DialogScript::answer(vbOK);
    clickItem(form->List1, name);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The Edition '") + name + "' has been successfully added.");
    QCOMPARE(getsOf(*m_server, archivePath), 1);
    QCOMPARE(m_app->readFile("dbnames.txt"), (Listed + file + "," + name + "\r\n").toUtf8());
}

void TestPluginEditions::localFailuresAreToldOnce_data()
{
    QTest::addColumn<int>("fileLimit");      // -1: the edition's file name taken by a folder; -2: declares 4 GB; -3: sent larger
                                             // than announced; -4: answered with a header of 70 KB
    QTest::addColumn<int>("failingSync");    // the disk fails to keep the nth file written (1: the archive)
    QTest::addColumn<QString>("message");
    const QString full = QStringLiteral("The Edition 'Travel' could not be added: the disk is full.");
    const QString unwritten = QStringLiteral("The Edition 'Travel' could not be added: the program folder could not be written.");
    // The archive is a few KiB; the database it holds over 100 KiB.
    QTest::newRow("full while downloading") << 8 << 0 << full;
    QTest::newRow("full while unpacking") << 64 * 1024 << 0 << full;
    QTest::newRow("disk fails the database") << 0 << 2 << unwritten;
    QTest::newRow("disk fails the list, the last step") << 0 << 3 << unwritten;
    QTest::newRow("edition's name taken by a folder") << -1 << 0 << unwritten;
    QTest::newRow("disk fails the archive") << 0 << 1 << unwritten;
    QTest::newRow("archive larger than announced") << -3 << 0
        << "The Edition 'Travel' could not be added: the server sent more than it announced, or more than 1024 MB.";
    QTest::newRow("archive declares 4 GB") << -2 << 0 << "The Edition 'Travel' could not be added: its database is larger than 2 GB.";
    QTest::newRow("archive's header too large") << -4 << 0
        << "The Edition 'Travel' could not be added: the server's answer header is larger than 64 KiB.";
}

void TestPluginEditions::localFailuresAreToldOnce()
{
    QFETCH(int, fileLimit);
    QFETCH(int, failingSync);
    QFETCH(QString, message);
    const QByteArray archive = editionArchive(m_scratch.path(), "travel.mdb");
    m_server->put("/data/travel.zip", {fileLimit == -2 ? ZipFixtures::declaringSize(archive, 0xFFFFFFF0) : archive});
    m_server->resources["/data/travel.zip"].headLength = fileLimit == -3 ? "100" : "";
    if (fileLimit == -4)
        m_server->resources["/data/travel.zip"].headers = "X-Filler: " + QByteArray(70000, 'x') + "\r\n";
    QVERIFY(m_server->resources.value("/data/travel.zip").body.size() < fileLimit || fileLimit < 1024);
    if (fileLimit == -1)
        QVERIFY(QDir().mkpath(m_app->file("travel.mdb/in the way")));
    Form9 *form = loadDialog();
    QVERIFY(form);
    const QStringList before = entriesOf(m_app->path());
    DialogScript::answer(vbOK);
    clickItem(form->List1, QStringLiteral("Travel"));
    {
        std::unique_ptr<DiskFull> full(fileLimit > 0 ? new DiskFull(rlim_t(fileLimit)) : nullptr);
        SetSyncFailure(failingSync > 0 ? EIO : 0, failingSync);
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        SetSyncFailure(0);
    }
    QCOMPARE(DialogScript::shown().size(), 1);
    QCOMPARE(DialogScript::last().prompt, message);
    QCOMPARE(getsOf(*m_server, "/data/travel.zip"), 1);
    // The download window says why the server was given up.
    if (fileLimit == -4)
        QCOMPARE(form->findChild<Form30 *>()->Label3->text(), "The server's answer header is larger than 64 KiB.");
    QCOMPARE(entriesOf(m_app->path()), before);
    QCOMPARE(m_app->readFile("dbnames.txt"), Listed.toUtf8());
    form->close();
}

void TestPluginEditions::cancelWhileCatalogueLoads()
{
    // The catalogue never arrives whole; the dialog is there meanwhile, and its Cancel ends the wait.
    m_server->put("/data/editions.txt", {QByteArray(100000, 'x'), 200, true, false, false, true});
    Form1Test::OnModal<Form9> cancel([](Form9 *dialog) {
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->Command1->isEnabled());
        QTest::mouseClick(dialog->Command2, Qt::LeftButton);
    });
    bool loaded = true;
    QElapsedTimer clock;
    clock.start();
    QPointer<Form9> form = loadDialog(&loaded);
    QVERIFY(cancel.seen);
    QVERIFY(!loaded);
    QVERIFY2(clock.elapsed() < 10000, "Cancel did not end the wait");
    QTRY_VERIFY(form.isNull());
    QCOMPARE(DialogScript::shown().size(), 0);
}

void TestPluginEditions::exitDuringDownloadEndsTheProgram()
{
    m_server->put("/data/travel.zip", {editionArchive(m_scratch.path(), "travel.mdb"), 200, true, false, false, true});
    Form1 *main = showMainWindow();
    DialogScript::answer(vbYes);
    main->mnuAdddatabase->trigger();
    QPointer<Form9> form = main->findChild<Form9 *>();
    QVERIFY(form);
    QPointer<Form1> mainAlive(main);
    // File > Exit once, while the archive is halfway.
    QTimer exit;
    exit.setInterval(10);
    connect(&exit, &QTimer::timeout, this, [&] {
        if (form && form->progressWindow()->isVisible() && !form->progressWindow()->Label5->text().isEmpty()) {
            exit.stop();
            mainAlive->mnuExit->trigger();
        }
    });
    exit.start();
    clickItem(form->List1, QStringLiteral("Travel"));
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QVERIFY(!exit.isActive());
    QTRY_VERIFY(form.isNull());
    QTRY_VERIFY(mainAlive.isNull());
    QVERIFY(!Form1::existing());
    // Neither the partial archive nor its scratch folder is left.
    QCOMPARE(entriesOf(m_app->path()).filter(QRegularExpression(QStringLiteral("^plugin-|travel"))), QStringList());
    QCOMPARE(m_app->readFile("dbnames.txt"), Listed.toUtf8());
}

void TestPluginEditions::killedInstallLeavesNoPartialEdition_data()
{
    QTest::addColumn<QString>("point");
    QTest::addColumn<bool>("added");
    QTest::newRow("while downloading") << "downloading" << false;
    QTest::newRow("after unpacking") << "unpacked" << false;
    QTest::newRow("after adding") << "added" << true;
}

void TestPluginEditions::killedInstallLeavesNoPartialEdition()
{
    QFETCH(QString, point);
    QFETCH(bool, added);
    LocalWeb::Resource archive{editionArchive(m_scratch.path(), "travel.mdb")};
    archive.stallHalfway = point == QLatin1String("downloading");
    m_server->put("/data/travel.zip", archive);
    const QStringList before = entriesOf(m_app->path());
    const ChildRun::Result run = ChildRun::run(QStringLiteral("install"), {point}, 60000);
    QVERIFY(run.inTime);
    QVERIFY2(run.crashed, run.output.constData());    // killed at the point

    // The list holds the old lines or the new one; after the next start the folder holds
    // the old state or the new one: the new edition whole, or nothing of it.
    QCOMPARE(m_app->readFile("dbnames.txt"), (added ? Listed + "travel.mdb,Travel\r\n" : Listed).toUtf8());
    RemoveScratchFiles(m_app->path());
    QVERIFY(RebuildEditionList(m_app->path()));
    QCOMPARE(m_app->readFile("dbnames.txt").count("\r\n"), added ? 2 : 1);
    QStringList after = entriesOf(m_app->path());
    if (added) {
        QVERIFY(IsEditionFile(m_app->file("travel.mdb")));
        QVERIFY(after.removeOne(QStringLiteral("travel.mdb")));
    }
    QCOMPARE(after, before);
}

// The child of killedInstallLeavesNoPartialEdition: adds Travel through the dialog and
// kills itself at the point named.
int runInstallChild(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString point = app.arguments().value(1);
    DialogScript::begin();
    DialogScript::answer(vbOK);
    SetConnectedStateOverride(0);
    CurrentDatabaseFile = QStringLiteral("Sample_Links.mdb");
    auto *form = new Form9({});
    if (!form->Form_Load())
        return 2;
    const QList<QListWidgetItem *> travel = form->List1->findItems(QStringLiteral("Travel"), Qt::MatchExactly);
    if (travel.isEmpty())
        return 3;
    form->List1->setCurrentItem(travel.first());
    const auto kill = [] { std::raise(SIGKILL); };
    QTimer watch;
    if (point == QLatin1String("downloading")) {
        // Once part of the archive is on disk.
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (const QString &folder : QDir(ProgramFolder()).entryList({"plugin-*"}, QDir::Dirs)) {
                for (const QFileInfo &file : QDir(ProgramFolder() + folder).entryInfoList(QDir::Files))
                    if (file.size() > 0)
                        kill();
            }
        });
        watch.start(1);
    } else if (point == QLatin1String("unpacked")) {
        QObject::connect(form->findChild<cUnzip *>(), &cUnzip::Cancel, kill);
    }
    form->Command1_Click();
    kill();
    return 0;
}

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (ChildRun::job() == QLatin1String("install"))
        return runInstallChild(argc, argv);
    QApplication app(argc, argv);
    TestPluginEditions test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_plugin_editions.moc"
