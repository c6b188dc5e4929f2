// Times the start-up, from process start until the main window shows the home page that
// comes with the program, with 50 editions listed and the active one holding 100,000
// links, against a bare Qt Widgets + WebEngine program started the same way in the same
// folder: it lists the 50 editions of dbnames.txt, opens the active one and lists its
// Topics, and shows them with an empty Sub-Topic list and an empty tree beside a web view
// that loads the same home page. Both run as processes of their own, started from here in
// turns, the first side switching run by run; each says on its output when it is ready and
// what it shows, and the two must show the same.
//
//   bench_startup [program folder to copy from]

#include "bench_runs.h"

#include "platform/single_instance.h"

#include <array>
#include <cstdlib>
#include <optional>

namespace {

constexpr int Runs = 6;
constexpr int Editions = 50;

int child(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QString state;
    std::optional<bench::BareWindow> bare;
    if (qstrcmp(argv[2], "program") == 0) {
        if (const Form1 *form = bench::programStart())
            state = bench::programState(form);
    } else if (bare.emplace().start(QString::fromLocal8Bit(argv[3]))) {
        state = bare->state();
    }
    std::printf(state.isEmpty() ? "failed\n" : "ready %s\n", qPrintable(state));
    std::fflush(stdout);
    ReleaseInstanceLock();
    std::_Exit(0);   // the time to end is not measured here
}

// Starts this program in mode and answers the milliseconds until it said it was ready;
// *state is what it showed then, empty when it did not come up.
double timedStart(const QString &mode, const QString &folder, QString *state)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), mode, folder});
    QByteArray said;
    *state = bench::readUntil(process, "ready ", &said);
    const double ms = bench::msSince(clock);
    process.waitForFinished(bench::ChildWaitMs);
    return ms;
}

// The editions besides Bench.mdb: empty ones, under names the start-up keeps as they are.
bool addEditions(const QString &folder, QStringList *lines)
{
    for (const QString &other : QDir(folder).entryList({QStringLiteral("*.mdb")}, QDir::Files))
        if (other != QLatin1String("untitled.mdb") && other != QLatin1String("Bench.mdb") && !QFile::remove(folder + other))
            return false;
    lines->append(QStringLiteral("*Bench.mdb,Bench"));
    for (int i = 1; i < Editions; ++i) {
        const QString name = QStringLiteral("Edition_%1").arg(i, 2, 10, QLatin1Char('0'));
        if (!QFile::copy(folder + QStringLiteral("untitled.mdb"), folder + name + QStringLiteral(".mdb")))
            return false;
        lines->append(name + QStringLiteral(".mdb,") + QString(name).replace(QLatin1Char('_'), QLatin1Char(' ')));
    }
    return true;
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
    bench::ProgramFolder::finish();
    QStringList lines;
    if (!addEditions(folder.folder(), &lines))
        return 2;
    bench::writeFile(folder.folder() + QStringLiteral("dbnames.txt"), lines.join(QStringLiteral("\r\n")).toLatin1() + "\r\n");

    QVector<double> starts;
    QVector<double> bares;
    QString programState;
    QString bareState;
    bool ok = true;
    for (int run = 0; run < Runs; ++run) {
        for (const bool program : run % 2 == 0 ? std::array{true, false} : std::array{false, true}) {
            QString state;
            (program ? starts : bares).append(timedStart(program ? QStringLiteral("program") : QStringLiteral("bare"),
                                                         folder.folder(), &state));
            QString &seen = program ? programState : bareState;
            if (state.isEmpty() || (!seen.isEmpty() && state != seen))
                ok = false;
            if (seen.isEmpty())
                seen = state;
        }
    }
    if (!ok || programState != bareState)
        std::fprintf(stderr, "the sides did not come up alike:\n  program: %s\n  bare:    %s\n", qPrintable(programState),
                     qPrintable(bareState));
    ok = ok && programState == bareState;
    std::printf("edition: %lld categories, %lld links; %d editions listed; splash: 100 ticks of %d ms\n",
                qlonglong(edition.categories.size()), qlonglong(edition.links.size()), Editions, Start::kTickMs);
    std::printf("both showed: %s\n", qPrintable(programState.left(160)));
    bench::printRuns("process start to the main window and page", starts);
    bench::printRuns("process start to the bare window and page", bares);
    std::printf("ratio:      %.2f (start-up against the bare program)\n", bench::median(starts) / bench::median(bares));
    return ok ? 0 : 1;
}
