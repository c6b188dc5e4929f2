// Taking windows and controls down: nothing is used while it is being destroyed (the
// sanitizer build catches any such use), and browser pages go before the browser
// engine's profile at the end of a run.

#include "testhelper.h"
#include "form1_support.h"

#include "platform/shutdown.h"
#include "platform/webbrowser.h"
#include "shared/c_tree_view.h"
#include "shared/combo_type_ahead.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QTreeWidget>
#include <QtTest>

class TestTeardown : public QObject
{
    Q_OBJECT

private slots:
    void mainWindowGoesWithItsTree();
    void hookedTreeGoes();
    void typeAheadBoxGoes();
    void browserPagesGoBeforeTheirProfile();
};

void TestTeardown::mainWindowGoesWithItsTree()
{
    auto folder = std::make_unique<TestProgramFolder>();
    Form1 *form = Form1Test::openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    QVERIFY(form->TvwBestell->topLevelItemCount() > 0);
    form->PopupNode = TreeNode::from(form->TvwBestell->topLevelItem(0));
    Form1Test::closeMainWindow();
    QVERIFY(!Form1::existing());
    RemoveProgramFolder(folder);
}

void TestTeardown::hookedTreeGoes()
{
    // The wrapper owned by its tree, and one that outlives it.
    for (const bool owned : {true, false}) {
        auto *tree = new QTreeWidget;
        cTreeView outside;
        cTreeView *view = owned ? new cTreeView(tree) : &outside;
        view->HookCtrl(tree);
        view->NodeAdd(nullptr, 0, QStringLiteral("a"), QStringLiteral("Node"));
        tree->show();
        QVERIFY(QTest::qWaitForWindowExposed(tree));
        QTest::mouseMove(tree->viewport(), QPoint(5, 5));
        delete tree;
        QVERIFY(!outside.ctrl());
    }
}

void TestTeardown::typeAheadBoxGoes()
{
    auto *box = new QComboBox;
    ComboTypeAhead::attach(box);
    box->addItems({QStringLiteral("Apple"), QStringLiteral("Banana")});
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    box->lineEdit()->setFocus();
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("ba"));
    QCOMPARE(box->currentText(), QStringLiteral("Banana"));
    delete box;
}

namespace {

// A run of its own: a window with a browser that has shown a page, ended as the program ends.
int browserRun(int argc, char *argv[])
{
    QApplication app(argc, argv);
    auto *window = new QWidget;
    auto *browser = new WebBrowser(window);
    QSignalSpy loaded(browser, &WebBrowser::DocumentComplete);
    browser->Navigate(QStringLiteral("about:blank"));
    window->show();
    if (!loaded.wait(PageLoadTimeoutMs))
        return 2;
    DeleteAllWindows();
    return 0;
}

} // namespace

void TestTeardown::browserPagesGoBeforeTheirProfile()
{
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TEARDOWN_BROWSER_RUN"), QStringLiteral("1"));
    run.setProcessEnvironment(env);
    run.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(run.waitForFinished(PageLoadTimeoutMs * 2));
    const QString errors = QString::fromLocal8Bit(run.readAllStandardError());
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 0);
    QVERIFY2(!errors.contains(QStringLiteral("WebEnginePage still not deleted")), qPrintable(errors));
}

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (qEnvironmentVariableIsSet("TEARDOWN_BROWSER_RUN"))
        return browserRun(argc, argv);
    QApplication app(argc, argv);
    TestTeardown test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_teardown.moc"
