// Times a first session's exit: from File > Exit in the main window, which shows the home
// page that comes with the program, until the process has ended, against a bare Qt Widgets
// + WebEngine program that shows the same page beside the same lists and ends from its own
// File > Exit the ordinary way (one setting written, the window closed, main returns and
// the application object goes). Every run is a process of its own in a fresh home: a new
// configuration and runtime folder and a new copy of the program folder. The sides take
// turns run by run, the first side switching; each row checks that both sides started with
// the same lists and page and ended with their setting written. The second row keeps the
// machine busy with spinning processes this benchmark starts for the row alone.
//
//   bench_exit [program folder to copy from]

#include "bench_runs.h"

#include "platform/shutdown.h"
#include "platform/single_instance.h"

#include <array>
#include <cstdlib>
#include <optional>

namespace {

constexpr int Runs = 5;
constexpr int BusyLimitMs = 300000;   // a spinning child ends by itself after this at the latest

int child(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool program = qstrcmp(argv[2], "program") == 0;
    const QString folder = QString::fromLocal8Bit(argv[3]);
    Form1 *form = nullptr;
    std::optional<bench::BareWindow> bare;
    if (!program)
        bare.emplace();
    if (program ? !(form = bench::programStart()) : !bare->start(folder)) {
        std::printf("failed\n");
        return 1;
    }
    std::printf("state %s\n", qPrintable(program ? bench::programState(form) : bare->state()));
    QTimer::singleShot(0, &app, [&] {
        std::printf("exit %lld\n", bench::steadyNs());
        std::fflush(stdout);
        (program ? form->mnuExit : bare->exit)->trigger();
    });
    const int rc = app.exec();
    if (program) {   // as the program's main() ends
        DeleteAllWindows();
        ReleaseInstanceLock();
    }
    return rc;
}

// The setting each side writes at its exit.
QString exitSetting(const QString &config, bool program)
{
    const QString name = program ? AppTitle : QStringLiteral("Bare");
    return QSettings(config + QLatin1Char('/') + name + QLatin1Char('/') + name + QStringLiteral(".ini"),
                     QSettings::IniFormat)
        .value(QStringLiteral("Search/Mode"))
        .toString();
}

struct Side {
    bool program;
    QVector<double> times;
    QString state;
};

// One first session of a side in a fresh home; answers the milliseconds from Exit to the
// process's end, or -1 when the session failed or ended in another state than expected.
double firstSessionExit(const QString &pristine, Side *side)
{
    QTemporaryDir home;
    const QString folder = home.path() + QStringLiteral("/program/");
    bench::copyFolder(pristine + QLatin1Char('/'), folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("QUORVANE_HOME"), folder);
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--child"), side->program ? QStringLiteral("program") : QStringLiteral("bare"), folder});
    QByteArray said;
    const QString state = bench::readUntil(process, "state ", &said);
    const QString exitAt = bench::readUntil(process, "exit ", &said);
    const bool ended = process.waitForFinished(bench::ChildWaitMs);
    const qint64 end = bench::steadyNs();
    if (!ended || exitAt.isEmpty() || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "a %s session failed: %s\n", side->program ? "program" : "bare", said.constData());
        return -1;
    }
    if (exitSetting(home.path() + QStringLiteral("/config"), side->program) != QLatin1String("Off")) {
        std::fprintf(stderr, "a %s session ended without its setting\n", side->program ? "program" : "bare");
        return -1;
    }
    side->state = state;
    return (end - exitAt.toLongLong()) / 1e6;
}

// A row: the sides in turns, the first side switching run by run. Answers false when a
// session failed or the sides started in different states.
bool row(const char *title, const QString &pristine, Side *program, Side *bare)
{
    bool ok = true;
    for (int run = 0; run < Runs; ++run) {
        for (Side *side : run % 2 == 0 ? std::array{program, bare} : std::array{bare, program}) {
            const double ms = firstSessionExit(pristine, side);
            ok = ok && ms >= 0;
            side->times.append(ms);
        }
    }
    if (program->state != bare->state) {
        std::fprintf(stderr, "the sides started differently:\n  program: %s\n  bare:    %s\n",
                     qPrintable(program->state), qPrintable(bare->state));
        ok = false;
    }
    std::printf("%s\n", title);
    const double ratio = bench::compared("  the program: Exit to the process's end", program->times,
                                         "  the bare program", bare->times);
    std::printf("  ratio %.2f\n", ratio);
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::prepareEnvironment();
    if (argc > 3 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--busy") == 0)
        return bench::BusyMachine::spin(std::atoi(argv[2]));
    QCoreApplication app(argc, argv);
    const QString pristine = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                      : QCoreApplication::applicationDirPath() + QStringLiteral("/../pristine");
    if (!QFileInfo::exists(pristine + QStringLiteral("/untitled.mdb"))) {
        std::fprintf(stderr, "No program folder with untitled.mdb at %s\n", qPrintable(pristine));
        return 2;
    }
    Side quietProgram{true, {}, {}}, quietBare{false, {}, {}};
    bool ok = row("first session, quiet machine:", pristine, &quietProgram, &quietBare);
    Side busyProgram{true, {}, {}}, busyBare{false, {}, {}};
    {
        bench::BusyMachine busy(BusyLimitMs);
        const QByteArray title = "first session, machine kept busy by " + QByteArray::number(busy.count())
                                 + " spinning processes:";
        ok = row(title.constData(), pristine, &busyProgram, &busyBare) && ok;
    }
    std::printf("started alike: %s\n", qPrintable(quietProgram.state));
    const double quiet = bench::median(quietProgram.times);
    std::printf("quiet-machine exit: %.0f ms (goal: under 500 ms)\n", quiet);
    std::printf("ratio:      %.2f (both rows: the program's medians summed against the bare program's)\n",
                (quiet + bench::median(busyProgram.times)) / (bench::median(quietBare.times) + bench::median(busyBare.times)));
    return ok ? 0 : 1;
}
