// The start-up window: its refusals, the online test, the edition list rebuild and the
// splash ticks that open the main window.
#include "form1_support.h"
#include "testhelper.h"

#include "mainwindow/form1.h"
#include "mainwindow/start.h"
#include "platform/browserversion.h"
#include "platform/connection_state.h"
#include "platform/dialogs.h"
#include "platform/single_instance.h"
#include "shared/globals.h"

#include <QApplication>
#include <QLabel>
#include <QLockFile>
#include <QProgressBar>
#include <QTimer>
#include <QtTest>

namespace {

bool mainWindowExists()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows)
        if (qobject_cast<Form1 *>(w))
            return true;
    return false;
}

} // namespace

using Form1Test::WindowTestCase;

class TestStartup : public WindowTestCase
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void oldBrowserIsRefusedFirst();
    void secondInstanceIsRefused();
    void onlineTest();
    void splashOpensMainWindowAtFullBar();
    void unlistableEditionIsNamed();

private:
    QTemporaryDir m_runtime;
};

void TestStartup::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
}

void TestStartup::cleanup()
{
    SetBrowserVersionOverride(QString());
    SetConnectedStateOverride(-1);
    ReleaseInstanceLock();
}

void TestStartup::oldBrowserIsRefusedFirst()
{
    TestProgramFolder home;
    home.writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,My own title\r\n");
    SetBrowserVersionOverride(QStringLiteral("4.72.3110"));
    DialogScript::answer(vbOK);

    auto *start = new Start;
    QVERIFY(!start->Form_Load());
    QCOMPARE(start->IEVersionText, QStringLiteral("Internet Explorer 4.72.3110"));
    const DialogScript::Shown box = DialogScript::last();
    QCOMPARE(box.title, QStringLiteral("MSIE Version"));
    QCOMPARE(box.buttons, int(vbCritical | vbOKOnly));
    QCOMPARE(box.prompt,
             QStringLiteral("Your current version of Microsoft Internet Explorer is: Internet Explorer 4.72.3110\n\n"
                            "Quorvane (Version 1.0) is optimized for MSIE versions 5 and above. It is recommended "
                            "that you upgrade your version of MSIE before proceeding."));
    QCOMPARE(DialogScript::shown().size(), 1);
    // Nothing after the refusal ran: no instance lock, no list rebuild, no main window.
    QVERIFY(!QFile::exists(InstanceLockPath()));
    QCOMPARE(home.readFile(QStringLiteral("dbnames.txt")), QByteArray("*Sample_Links.mdb,My own title\r\n"));
    QVERIFY(!mainWindowExists());
    QVERIFY(DialogScript::unexpected().isEmpty());

    // Version 5 passes the check.
    SetBrowserVersionOverride(QStringLiteral("5.0.0"));
    Start accepted;
    QVERIFY(accepted.CheckIE());
}

void TestStartup::secondInstanceIsRefused()
{
    TestProgramFolder home;
    home.writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,My own title\r\n");
    QLockFile other(InstanceLockPath());
    QVERIFY(other.tryLock(0));
    DialogScript::answer(vbOK);

    auto *start = new Start;
    QVERIFY(!start->Form_Load());
    const DialogScript::Shown box = DialogScript::last();
    QCOMPARE(box.title, QStringLiteral("Quorvane"));
    QCOMPARE(box.buttons, int(vbOKOnly));
    QCOMPARE(box.prompt,
             QStringLiteral("You are currently running an instance of Quorvane. Please close this instance first."));
    QCOMPARE(QApplication::applicationDisplayName(), QStringLiteral("Quorvane"));
    QCOMPARE(home.readFile(QStringLiteral("dbnames.txt")), QByteArray("*Sample_Links.mdb,My own title\r\n"));
    QVERIFY(!mainWindowExists());
    delete start;

    // Once the other instance has gone, the program may run.
    other.unlock();
    QVERIFY(!AnotherInstanceRunning());
    // And while this one runs, a second one is refused.
    QLockFile third(InstanceLockPath());
    QVERIFY(!third.tryLock(0));
}

void TestStartup::onlineTest()
{
    TestProgramFolder home;
    SetConnectedStateOverride(1);
    Start online;
    QVERIFY(online.Form_Load());
    QVERIFY(IsOnline);
    ReleaseInstanceLock();

    SetConnectedStateOverride(0);
    Start offline;
    QVERIFY(offline.Form_Load());
    QVERIFY(!IsOnline);
}

void TestStartup::unlistableEditionIsNamed()
{
    TestProgramFolder home;
    home.makeEdition(QStringLiteral("Cars, Bikes.mdb"));
    DialogScript::answer(vbOK);
    Start start;
    start.LoadDbFiles();
    QVERIFY(DialogScript::last().prompt.contains(QStringLiteral("\"Cars, Bikes.mdb\"")));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Edition List"));
    QCOMPARE(home.readFile(QStringLiteral("dbnames.txt")), QByteArray("*Sample_Links.mdb,Sample links\r\n"));
    QVERIFY(QFileInfo::exists(home.file(QStringLiteral("Cars, Bikes.mdb"))));
}

void TestStartup::splashOpensMainWindowAtFullBar()
{
    TestProgramFolder home;
    home.makeEdition(QStringLiteral("Another One.mdb"));
    home.writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,Sample Links\r\n");
    SetConnectedStateOverride(0);

    auto *start = new Start;
    QVERIFY(start->Form_Load());
    QVERIFY(start->windowTitle().isEmpty());
    QVERIFY(start->Picture1->isVisibleTo(start));
    QCOMPARE(start->Timer1->interval(), Start::kTickMs);
    // The edition list was rebuilt from the databases of the folder.
    QCOMPARE(home.readFile(QStringLiteral("dbnames.txt")),
             QByteArray("*Another_One.mdb,Another One\r\nSample_Links.mdb,Sample links\r\n"));

    QPointer<Start> guard(start);
    start->show();
    for (int i = 1; i < 100; ++i) {
        start->Timer1_Timer();
        QCOMPARE(start->ProgressBar1->value(), i);
    }
    QVERIFY(!mainWindowExists());
    QVERIFY(start->isVisible());

    start->Timer1_Timer();
    QVERIFY(!start->Timer1->isActive());
    QVERIFY(mainWindowExists());
    QVERIFY(Form1::instance()->isVisible());
    QCOMPARE(Form1::instance()->windowTitle(), QStringLiteral("Quorvane Desktop 2"));
    QTRY_VERIFY(guard.isNull());
    Form1::instance()->close();
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
