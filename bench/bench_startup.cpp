// Times the start-up from process start until the main window shows with its page loaded,
// on an edition of 100,000 links, against a bare Qt Widgets + WebEngine program started
// the same way on the same edition: it opens the edition, lists its Topics and Sub-Topics
// as the main window does at its start, and shows them over an empty tree beside a web
// view that loads a page. Both run as processes of their own, started from here in turns;
// each tells this one on its output when it is ready.
//
//   bench_startup [program folder to copy from]

#include "bench_support.h"

#include "mainwindow/form1.h"
#include "mainwindow/start.h"
#include "platform/single_instance.h"
#include "platform/webbrowser.h"

#include <QEventLoop>
#include <QComboBox>
#include <QMainWindow>
#include <QProcess>
#include <QSplitter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <cstdlib>

namespace {

constexpr int Runs = 5;
constexpr int WaitMs = 60000;

// Waits until done() holds or the time is up.
bool waitFor(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(WaitMs, &loop, &QEventLoop::quit);
    poll.start(1);
    loop.exec();
    return done();
}

// The program's own start: the splash, then the main window with its page.
bool programStart()
{
    DialogScript::begin();
    auto *start = new Start;
    if (!start->Form_Load())
        return false;
    start->adjustSize();
    start->show();
    start->Timer1->start();
    return waitFor([] {
        const Form1 *form = Form1::existing();
        return form && form->isVisible() && form->results->ReadyState() == 4;
    });
}

// The bare program: the edition's Topics and Sub-Topics in two lists above an empty tree,
// a web view with a page beside it.
bool bareStart(const QString &folder)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bare"));
    db.setDatabaseName(folder + QStringLiteral("Bench.mdb"));
    if (!db.open())
        return false;
    QMainWindow window;
    auto *client = new QWidget;
    auto *layout = new QVBoxLayout(client);
    auto *topics = new QComboBox;
    auto *subTopics = new QComboBox;
    auto *split = new QSplitter;
    auto *view = new QWebEngineView;
    split->addWidget(new QTreeWidget);
    split->addWidget(view);
    layout->addWidget(topics);
    layout->addWidget(subTopics);
    layout->addWidget(split, 1);
    window.setCentralWidget(client);
    QSqlQuery query(db);
    query.exec(QStringLiteral("SELECT TopicName FROM Topics ORDER BY TopicName"));
    while (query.next())
        topics->addItem(query.value(0).toString());
    query.exec(QStringLiteral("SELECT SubTopicName FROM SubTopics ORDER BY SubTopicName"));
    while (query.next())
        subTopics->addItem(query.value(0).toString());
    bool loaded = false;
    QObject::connect(view, &QWebEngineView::loadFinished, view, [&loaded] { loaded = true; });
    view->load(QUrl::fromLocalFile(folder + QStringLiteral("bare.html")));
    window.resize(900, 600);
    window.show();
    return waitFor([&] { return loaded && window.isVisible(); });
}

int child(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString mode = QString::fromLocal8Bit(argv[2]);
    const bool ok = mode == QLatin1String("program") ? programStart() : bareStart(QString::fromLocal8Bit(argv[3]));
    std::printf(ok ? "ready\n" : "failed\n");
    std::fflush(stdout);
    ReleaseInstanceLock();
    std::_Exit(0);   // the time to end is not measured here
}

// Starts this program in mode and answers the milliseconds until it said it was ready.
double timedStart(const QString &mode, const QString &folder, bool &ok)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), mode, folder});
    QByteArray said;
    while (!said.contains('\n') && process.waitForReadyRead(WaitMs))
        said += process.readAllStandardOutput();
    const double ms = bench::msSince(clock);
    ok = said.startsWith("ready") && ok;
    process.waitForFinished(WaitMs);
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::prepareEnvironment();
    if (argc > 3 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QApplication app(argc, argv);
    bench::ProgramFolder folder;
    if (!folder.make(argc, argv))
        return 2;
    bench::Edition edition;
    if (!bench::makeSubTopic(&edition, 50, 39, 50))   // 2,000 categories, 100,000 links
        return 2;
    bench::writeFile(folder.folder() + QStringLiteral("bare.html"),
                     "<html><head><title>Bench</title></head><body><h1>Bench</h1><p>A page.</p></body></html>");
    bench::ProgramFolder::finish();

    QVector<double> starts;
    QVector<double> bares;
    bool ok = true;
    for (int run = 0; run < Runs; ++run) {
        starts.append(timedStart(QStringLiteral("program"), folder.folder(), ok));
        bares.append(timedStart(QStringLiteral("bare"), folder.folder(), ok));
    }
    if (!ok)
        std::fprintf(stderr, "a start did not come up\n");
    std::printf("edition: %lld categories, %lld links; splash: 100 ticks of %d ms\n",
                qlonglong(edition.categories.size()), qlonglong(edition.links.size()), Start::kTickMs);
    bench::printRuns("process start to the main window and page", starts);
    bench::printRuns("process start to a bare tree and web view", bares);
    std::printf("ratio:      %.2f (start-up against the bare program)\n", bench::median(starts) / bench::median(bares));
    return ok ? 0 : 1;
}
