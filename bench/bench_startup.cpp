// Times the start-up, from the splash window's creation until the main window has been
// shown, on an edition of 100,000 links (the splash still counts its 100 ticks), against a
// bare baseline in the same run: a plain main window with a tree and a status bar shown.
//
//   bench_startup [program folder to copy from]

#include "bench_support.h"

#include "mainwindow/form1.h"
#include "mainwindow/start.h"
#include "platform/single_instance.h"

#include <QEventLoop>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

namespace {

constexpr int Runs = 5;

// Start-up as the program runs it; answers false when the main window did not come.
bool startUp()
{
    auto *start = new Start;
    if (!start->Form_Load())
        return false;
    start->adjustSize();
    start->show();
    QEventLoop loop;
    QObject::connect(start, &Start::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    start->Timer1->start();
    loop.exec();
    Form1 *form = Form1::existing();
    if (!form || !form->isVisible())
        return false;
    form->repaint();
    QCoreApplication::processEvents();
    return true;
}

void bareWindow()
{
    QMainWindow window;
    auto *tree = new QTreeWidget;
    window.setCentralWidget(tree);
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.resize(900, 600);
    window.show();
    window.repaint();
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char *argv[])
{
    bench::prepareEnvironment();
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QApplication app(argc, argv);
    bench::ProgramFolder folder;
    if (!folder.make(argc, argv))
        return 2;
    bench::Edition edition;
    if (!bench::makeSubTopic(&edition, 50, 39, 50))   // 2,000 categories, 100,000 links
        return 2;
    CloseDatabase();

    QVector<double> starts;
    QVector<double> bares;
    bool ok = true;
    for (int run = 0; run < Runs; ++run) {
        starts.append(bench::timed([&] { ok = startUp() && ok; }));
        delete Form1::existing();
        ReleaseInstanceLock();
        QCoreApplication::processEvents();
        bares.append(bench::timed(bareWindow));
    }
    if (!ok)
        std::fprintf(stderr, "the main window did not come up\n");
    std::printf("edition: %lld categories, %lld links; splash: 100 ticks of %d ms\n",
                qlonglong(edition.categories.size()), qlonglong(edition.links.size()), Start::kTickMs);
    bench::printRuns("start-up to the main window", starts);
    bench::printRuns("bare main window shown", bares);
    // The first run also starts the browser component, as every real start does.
    std::printf("start-up %.1f ms median, %.1f ms the first time (target: under 500 ms)\n", bench::median(starts),
                starts.value(0));
    std::printf("ratio:      %.2f (start-up against the bare window)\n", bench::median(starts) / bench::median(bares));
    bench::ProgramFolder::finish();
    return 0;
}
