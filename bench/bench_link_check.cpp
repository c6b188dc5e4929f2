// Compares the link check (LinkCheck::check, one address after the other) of 1,000
// addresses with the same 1,000 GET requests (the same header lines) sent bare, one after
// the other, through one libcurl handle that is made once, each waiting for its answer's
// end. The server is a lean one (lean_server.h) in a process of its own (this program
// started again): plain and secure, once keeping its connections open and once closing
// each after its answer, so that every secure check makes a fresh handshake. The bare
// side's secure requests verify the certificate against the library's bundle alone, built
// into a store once and kept. Where the system allows a private mount namespace, the
// server's certificate (for 127.0.0.1) joins that bundle there, for this program and the
// processes it starts: the bare side then checks it strictly; elsewhere it accepts it as the
// link check does, and the secure download row is left out. Every row runs on an idle
// machine (7 runs) and again with twice as many spinning processes as the machine runs
// threads (21 runs). Then plug-in downloads of 48 MB (cDownload in file mode) over http
// and https against bare libcurl writing the same file and syncing it once (5 runs each),
// reading and writing in pieces as large as the program's; both must end with every byte
// of the server's file.
//
// The sides take turns run by run, the first side switching; every run of both sides must
// reach every address. Each row prints the medians of the wall time and of this process's
// CPU time, and the median of the ratios of the wall times turn by turn (see pairedRatio());
// the last line gives the worst ratio of all rows against the goal (1.3). Exit code 1 when
// a run failed or a side missed an address or a byte; a ratio over its goal still exits 0.

#include "bench_runs.h"
#include "bench_support.h"
#include "editions/c_download.h"
#include "lean_server.h"
#include "webtools/link_check.h"

#include <QApplication>
#include <QProcess>
#include <cstdio>
#include <cstring>
#include <curl/curl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Links = 1000;
constexpr int Runs = 7;
// A busy machine's runs spread wider: more of them.
constexpr int BusyRuns = 21;
constexpr int DownloadRuns = 5;
constexpr int BusyLimitMs = 600000;
constexpr double Goal = 1.3;

size_t discard(char *, size_t size, size_t count, void *)
{
    return size * count;
}

size_t writeToFile(char *data, size_t size, size_t count, void *file)
{
    return std::fwrite(data, size, count, static_cast<std::FILE *>(file)) * size;
}

// Accepts the bench server's certificate (signed by its own key) once it was checked.
int acceptChecked(int, X509_STORE_CTX *store)
{
    X509_STORE_CTX_set_error(store, X509_V_OK);
    return 1;
}

CURLcode acceptingContext(CURL *, void *context, void *)
{
    SSL_CTX_set_verify(static_cast<SSL_CTX *>(context), SSL_VERIFY_PEER, &acceptChecked);
    return CURLE_OK;
}

// This process's CPU time in ms.
double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Whether the bench's certificate is trusted as an authority of the machine is (see trustCertificate()).
bool g_trusted = false;

// Makes this process and those it starts trust certificate the way the machine's own
// authorities are trusted: in a mount namespace of their own, the library's bundle file
// is replaced by a copy with the certificate appended. Runs before any thread starts;
// false when the system does not allow it.
bool trustCertificate(const QString &dir, const QString &certificate)
{
    CURL *easy = curl_easy_init();
    char *bundlePath = nullptr;
    curl_easy_getinfo(easy, CURLINFO_CAINFO, &bundlePath);
    const QByteArray bundle = bundlePath ? QByteArray(bundlePath) : QByteArray();
    curl_easy_cleanup(easy);
    QFile system(QFile::decodeName(bundle));
    QFile added(certificate);
    const QString copy = dir + QStringLiteral("/bundle.pem");
    if (bundle.isEmpty() || !system.open(QIODevice::ReadOnly) || !added.open(QIODevice::ReadOnly))
        return false;
    bench::writeFile(copy, system.readAll() + '\n' + added.readAll());
    const uid_t user = geteuid();
    const gid_t group = getegid();
    if (::unshare(user == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return false;
    if (user != 0) {
        bench::writeFile(QStringLiteral("/proc/self/setgroups"), "deny");
        bench::writeFile(QStringLiteral("/proc/self/uid_map"), QByteArray::number(user) + ' ' + QByteArray::number(user) + " 1");
        bench::writeFile(QStringLiteral("/proc/self/gid_map"), QByteArray::number(group) + ' ' + QByteArray::number(group) + " 1");
    }
    return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
           && ::mount(QFile::encodeName(copy).constData(), bundle.constData(), nullptr, MS_BIND, nullptr) == 0;
}

// A handle that sends what the link check sends: the same header lines (set once, kept
// for the whole run); a secure address is checked against the library's bundle alone, whose
// store the handle keeps (the server's certificate is accepted as the link check accepts
// it when it is not trusted here).
CURL *bareHandle()
{
    static curl_slist *headers = [] {
        curl_slist *list = nullptr;
        for (const char *line : {"Accept-Language: en", "Connection: Keep-Alive",
                                 "Content-Type: application/x-www-form-urlencoded",
                                 "User-Agent: Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)"})
            list = curl_slist_append(list, line);
        return list;
    }();
    CURL *easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &discard);
    curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    if (!g_trusted) {
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &acceptingContext);
    }
    return easy;
}

// The server in a process of its own: this program started with "serve", the kind of
// server and whether it is secure; it prints its port and ends when its standard input closes.
class ServerProcess
{
public:
    // certificate: the folder of the secure server's cert.pem and key.pem; "": a plain server.
    ServerProcess(const char *kind, const QString &certificate) : m_secure(!certificate.isEmpty())
    {
        QStringList arguments{QStringLiteral("serve"), QLatin1String(kind)};
        if (m_secure)
            arguments << certificate + QStringLiteral("/cert.pem") << certificate + QStringLiteral("/key.pem");
        m_process.start(QCoreApplication::applicationFilePath(), arguments);
        if (m_process.waitForReadyRead(10000))
            m_port = m_process.readLine().trimmed().toUShort();
        if (!m_port)
            std::fprintf(stderr, "the server process did not start\n");
    }
    ~ServerProcess()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }
    bool running() const { return m_port != 0; }
    QString address(const char *path) const
    {
        return QStringLiteral("%1://127.0.0.1:%2/%3")
            .arg(m_secure ? QStringLiteral("https") : QStringLiteral("http"))
            .arg(m_port)
            .arg(QLatin1String(path));
    }

private:
    bool m_secure;
    QProcess m_process;
    quint16 m_port = 0;
};

// Times a side's run, wall and CPU.
struct Times {
    QVector<double> wall;
    QVector<double> cpu;
};
bench::Run measured(Times *times, const std::function<bool()> &work, const std::function<bool()> &check = {})
{
    return [=] {
        const double cpu = cpuMs();
        bool ok = false;
        const double ms = bench::timed([&] { ok = work(); });
        times->cpu.append(cpuMs() - cpu);
        ok = ok && (!check || check());
        return ok ? ms : -1.0;
    };
}

// A row's ratio is the median of its turns' ratios: the two runs of a turn follow each other,
// so that a change of the machine's pace between turns (spinning processes moved from one
// core to another) weighs on both sides alike. The ratio of the medians is printed beside it.
double pairedRatio(const QVector<double> &program, const QVector<double> &bare)
{
    QVector<double> ratios;
    for (qsizetype i = 0; i < qMin(program.size(), bare.size()); ++i)
        ratios.append(program.at(i) / bare.at(i));
    return bench::median(ratios);
}

void row(bench::Headline &headline, const QByteArray &title, const char *program, const Times &programTimes,
         const char *bare, const Times &bareTimes)
{
    std::printf("%s\n", title.constData());
    bench::printRuns(program, programTimes.wall);
    bench::printRuns(bare, bareTimes.wall);
    const double ratio = pairedRatio(programTimes.wall, bareTimes.wall);
    std::printf("  ratio %.2f, turn by turn (of the medians: %.2f; goal: at most %.2f)\n", ratio,
                bench::median(programTimes.wall) / bench::median(bareTimes.wall), Goal);
    headline.count(ratio);
    std::printf("  CPU: %.0f ms against %.0f ms, %.2f times\n", bench::median(programTimes.cpu),
                bench::median(bareTimes.cpu), pairedRatio(programTimes.cpu, bareTimes.cpu));
}

// The two sides against one server: every address of both must be reachable.
void compareChecks(bench::Headline &headline, CURL *easy, const char *kind, const QString &certificate,
                   const char *machine, int runs)
{
    const ServerProcess server(kind, certificate);
    const bool secure = !certificate.isEmpty();
    if (!headline.check(server.running()))
        return;
    const QString base = server.address("page");
    QVector<bool> checked;
    QVector<bool> answered;
    Times check;
    Times bare;
    const bool ran = bench::alternateRuns(
        runs, measured(&check, [&] {
            checked = QVector<bool>(Links);
            for (int i = 0; i < Links; ++i)
                checked[i] = LinkCheck::check(base + QString::number(i));
            return true;
        }),
        measured(&bare, [&] {
            answered = QVector<bool>(Links);
            for (int i = 0; i < Links; ++i) {
                curl_easy_setopt(easy, CURLOPT_URL, (base + QString::number(i)).toUtf8().constData());
                long status = 0;
                answered[i] = curl_easy_perform(easy) == CURLE_OK
                              && curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status == 200;
            }
            return true;
        }),
        &check.wall, &bare.wall);
    row(headline,
        QByteArray(secure ? "https" : "http") + ", " + kind + " server, " + machine + ": " + QByteArray::number(Links)
            + " links a run",
        "  link check", check, "  bare requests, one libcurl handle", bare);
    if (!headline.check(ran && checked.count(true) == Links && answered.count(true) == Links))
        std::fprintf(stderr, "the link check and the bare requests did not both reach every address\n");
}

// Whether the file holds the server's file, byte for byte.
bool sameBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != bench::FileBytes)
        return false;
    long long at = 0;
    while (!file.atEnd()) {
        const QByteArray block = file.read(1 << 20);
        for (const char byte : block)
            if (static_cast<unsigned char>(byte) != bench::fileByte(at++))
                return false;
    }
    return at == bench::FileBytes;
}

// The plug-in download against bare libcurl writing the same file, syncing it once and
// giving it its name.
void compareDownload(bench::Headline &headline, const QString &certificate)
{
    const ServerProcess server("download", certificate);
    const bool secure = !certificate.isEmpty();
    if (!headline.check(server.running()))
        return;
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("edition.zip"));
    const QString address = server.address("edition.zip");
    Times download;
    Times bare;
    const auto whole = [&] { return sameBytes(target); };
    // One handle for every run, as the program keeps its own: the store of authorities is
    // built once, and a connection the server keeps is used again.
    CURL *easy = bareHandle();
    curl_easy_setopt(easy, CURLOPT_URL, address.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &writeToFile);
    // Reads as much at a time as the program's downloads do.
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 128L * 1024);
    const bool ran = bench::alternateRuns(
        DownloadRuns, measured(&download, [&] {
            QFile::remove(target);
            cDownload down;
            down.setUrl(address);
            down.setDestFile(target);
            down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
            return down.Completed();
        }, whole),
        measured(&bare, [&] {
            QFile::remove(target);
            const QByteArray part = QFile::encodeName(target + QLatin1String(".part"));
            std::FILE *file = std::fopen(part.constData(), "wb");
            // Written in pieces of up to 1 MB, as the program's downloads write.
            std::vector<char> buffer(1 << 20);
            if (file)
                std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
            curl_easy_setopt(easy, CURLOPT_WRITEDATA, file);
            const bool done = file && curl_easy_perform(easy) == CURLE_OK;
            const bool kept = file && std::fflush(file) == 0 && ::fsync(fileno(file)) == 0;
            if (file)
                std::fclose(file);
            return done && kept && std::rename(part.constData(), QFile::encodeName(target).constData()) == 0;
        }, whole),
        &download.wall, &bare.wall);
    curl_easy_cleanup(easy);
    row(headline, QByteArray("download of 48 MB over ") + (secure ? "https" : "http"), "  plug-in download", download,
        "  bare libcurl to a file", bare);
    if (!headline.check(ran))
        std::fprintf(stderr, "a download did not end with every byte of the server's file\n");
}

void checkRows(bench::Headline &headline, const QString &certificate, const char *machine, int runs)
{
    CURL *easy = bareHandle();
    for (const QString &secure : {QString(), certificate})
        for (const char *kind : {"keep-alive", "closing"})
            compareChecks(headline, easy, kind, secure, machine, runs);
    curl_easy_cleanup(easy);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 2 && std::strcmp(argv[1], "serve") == 0)
        return bench::LeanServer::serve(argv[2], argc > 4 ? argv[3] : "", argc > 4 ? argv[4] : "");
    if (argc > 2 && std::strcmp(argv[1], "--busy") == 0)
        return bench::BusyMachine::spin(std::atoi(argv[2]));
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const QTemporaryDir dir;
    const QString certificate = dir.path();
    if (!bench::writeCertificate(QFile::encodeName(certificate + QStringLiteral("/cert.pem")).toStdString(),
                                 QFile::encodeName(certificate + QStringLiteral("/key.pem")).toStdString())) {
        std::fprintf(stderr, "no certificate for the secure server\n");
        return 1;
    }
    g_trusted = trustCertificate(certificate, certificate + QStringLiteral("/cert.pem"));
    if (!g_trusted)
        std::printf("the server's certificate could not be made trusted here: no secure download row\n");
    bench::prepareEnvironment();
    QApplication app(argc, argv);
    bench::Headline headline(Goal);
    checkRows(headline, certificate, "idle machine", Runs);
    {
        const bench::BusyMachine busy(BusyLimitMs);
        checkRows(headline, certificate, QByteArray::number(busy.count()).append(" spinning processes").constData(),
                  BusyRuns);
    }
    compareDownload(headline, QString());
    if (g_trusted)
        compareDownload(headline, certificate);
    return headline.finish();
}
