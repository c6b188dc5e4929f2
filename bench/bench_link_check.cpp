// Compares the link check (LinkCheck::check, one address after the other) of 1,000
// addresses with the same 1,000 GET requests (the same header lines) sent bare, one after
// the other, through one libcurl handle that is made once, each waiting for its answer's end (bare libcurl is the
// faster of the two bare loops tried, the other being one QNetworkAccessManager). The server
// runs in a process of its own (this program started again), once keeping its connections
// open and once closing each after its answer. Then a plug-in download of 48 MB (cDownload
// in file mode) against bare libcurl writing the same file and syncing it once. The sides
// take turns run by run, the first side switching; every run of both sides must give the
// same answer for every address and the same file. Prints the medians of each server and,
// last, the largest ratio against its goal.

#include "bench_support.h"
#include "editions/c_download.h"
#include "webtools/link_check.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>
#include <cstring>
#include <curl/curl.h>
#include <unistd.h>

namespace {

constexpr int Links = 1000;
constexpr int Runs = 11;
constexpr int DownloadRuns = 7;
constexpr qint64 DownloadBytes = 48 * 1024 * 1024;

// Answers every request with a small page; closes the connection after each answer or
// keeps it for the next request. A download server sends DownloadBytes to every request
// (only the header to a HEAD).
class PageServer : public QTcpServer
{
public:
    explicit PageServer(const QString &kind)
    {
        const bool keepAlive = kind == QLatin1String("keep-alive");
        const bool download = kind == QLatin1String("download");
        connect(this, &QTcpServer::newConnection, this, [this, keepAlive, download] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                auto *received = new QByteArray;
                connect(socket, &QTcpSocket::readyRead, socket, [socket, received, keepAlive, download] {
                    *received += socket->readAll();
                    qsizetype end = 0;
                    while ((end = received->indexOf("\r\n\r\n")) >= 0) {
                        const bool head = received->startsWith("HEAD");
                        received->remove(0, end + 4);
                        if (download) {
                            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/zip\r\nContent-Length: "
                                          + QByteArray::number(DownloadBytes) + "\r\n\r\n");
                            if (!head)
                                sendFile(socket);
                            continue;
                        }
                        socket->write(keepAlive ? QByteArray("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                                             "Content-Length: 13\r\n\r\n<html></html>")
                                                : QByteArray("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                                             "Content-Length: 13\r\nConnection: close\r\n\r\n"
                                                             "<html></html>"));
                        if (!keepAlive) {
                            socket->disconnectFromHost();
                            return;
                        }
                    }
                });
                connect(socket, &QTcpSocket::disconnected, socket, [socket, received] {
                    delete received;
                    socket->deleteLater();
                });
            }
        });
    }

private:
    // Writes the file's bytes as fast as the peer takes them, 1 MiB ahead at most.
    static void sendFile(QTcpSocket *socket)
    {
        static const QByteArray block(256 * 1024, 'z');
        auto *left = new qint64(DownloadBytes);
        const auto topUp = [socket, left] {
            while (*left > 0 && socket->bytesToWrite() < 1024 * 1024)
                *left -= socket->write(block.left(int(qMin<qint64>(*left, block.size()))));
        };
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, topUp);
        QObject::connect(socket, &QObject::destroyed, [left] { delete left; });
        topUp();
    }
};

size_t discard(char *, size_t size, size_t count, void *)
{
    return size * count;
}

size_t writeToFile(char *data, size_t size, size_t count, void *file)
{
    return std::fwrite(data, size, count, static_cast<std::FILE *>(file)) * size;
}

// The link check of every address: its answers.
QVector<bool> checkAll(const QString &base)
{
    QVector<bool> answers(Links);
    for (int i = 0; i < Links; ++i)
        answers[i] = LinkCheck::check(base + QString::number(i));
    return answers;
}

// The same requests sent bare, one after the other, through one handle: whether each got a 200.
QVector<bool> requestAll(CURL *easy, const QString &base)
{
    QVector<bool> answers(Links);
    for (int i = 0; i < Links; ++i) {
        curl_easy_setopt(easy, CURLOPT_URL, (base + QString::number(i)).toUtf8().constData());
        long status = 0;
        answers[i] = curl_easy_perform(easy) == CURLE_OK && curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK
                     && status == 200;
    }
    return answers;
}

// A handle that sends what the link check sends: the same header lines (set once, kept
// for the whole run).
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
    return easy;
}

// The server in a process of its own: this program started with "serve" and the kind of
// server; it prints its port and ends when its standard input closes.
class ServerProcess
{
public:
    explicit ServerProcess(const QString &kind)
    {
        m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("serve"), kind});
        if (m_process.waitForReadyRead(10000))
            m_port = m_process.readLine().trimmed().toUShort();
    }
    ~ServerProcess()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }
    bool running() const { return m_port != 0; }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1/page").arg(m_port); }
    QString file() const { return QStringLiteral("http://127.0.0.1:%1/edition.zip").arg(m_port); }

private:
    QProcess m_process;
    quint16 m_port = 0;
};

int serve(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PageServer server(app.arguments().value(2));
    if (!server.listen(QHostAddress::LocalHost))
        return 1;
    std::printf("%u\n", unsigned(server.serverPort()));
    std::fflush(stdout);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&app] {
        char c;
        if (::read(0, &c, 1) <= 0)
            app.quit();
    });
    return app.exec();
}

// The two sides against one server; answers the ratio, or -1 when the server did not start
// or the sides answered differently.
double compare(bool keepAlive, CURL *easy)
{
    const ServerProcess server(keepAlive ? QStringLiteral("keep-alive") : QStringLiteral("closing"));
    if (!server.running()) {
        std::fprintf(stderr, "the server process did not start\n");
        return -1;
    }
    const QString base = server.base();
    QVector<double> checkTimes;
    QVector<double> bareTimes;
    QVector<bool> checked;
    QVector<bool> answered;
    bool same = true;
    bench::alternate(
        Runs,
        [&] {
            checked = checkAll(base);
            same = same && (answered.isEmpty() || checked == answered);
        },
        [&] {
            answered = requestAll(easy, base);
            same = same && (checked.isEmpty() || checked == answered);
        },
        &checkTimes, &bareTimes);
    std::printf("%s server: %d links a run (%lld reachable, %lld answered bare)\n",
                keepAlive ? "keep-alive" : "closing", Links, static_cast<long long>(checked.count(true)),
                static_cast<long long>(answered.count(true)));
    const double ratio = bench::compared("  link check", checkTimes, "  bare requests, one libcurl handle", bareTimes);
    std::printf("  ratio %.2f\n", ratio);
    if (!same || checked.count(true) != Links) {
        std::fprintf(stderr, "the link check and the bare requests did not answer alike\n");
        return -1;
    }
    return ratio;
}

// The plug-in download against bare libcurl writing the same file, syncing it once and
// giving it its name; answers the ratio, or -1 when a side did not end with the whole file.
double compareDownload()
{
    const ServerProcess server(QStringLiteral("download"));
    if (!server.running())
        return -1;
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("edition.zip"));
    QVector<double> downloadTimes;
    QVector<double> bareTimes;
    bool whole = true;
    const auto size = [&target] { return QFileInfo(target).size(); };
    bench::alternate(
        DownloadRuns,
        [&] {
            QFile::remove(target);
            cDownload down;
            down.setUrl(server.file());
            down.setDestFile(target);
            down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
            whole = whole && down.Completed() && size() == DownloadBytes;
        },
        [&] {
            QFile::remove(target);
            const QByteArray part = QFile::encodeName(target + QLatin1String(".part"));
            std::FILE *file = std::fopen(part.constData(), "wb");
            CURL *easy = bareHandle();
            curl_easy_setopt(easy, CURLOPT_URL, server.file().toUtf8().constData());
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &writeToFile);
            curl_easy_setopt(easy, CURLOPT_WRITEDATA, file);
            const bool done = file && curl_easy_perform(easy) == CURLE_OK;
            curl_easy_cleanup(easy);
            const bool kept = file && std::fflush(file) == 0 && ::fsync(fileno(file)) == 0;
            if (file)
                std::fclose(file);
            whole = whole && done && kept && std::rename(part.constData(), QFile::encodeName(target).constData()) == 0
                    && size() == DownloadBytes;
        },
        &downloadTimes, &bareTimes);
    std::printf("download of %lld MB\n", static_cast<long long>(DownloadBytes >> 20));
    const double ratio = bench::compared("  plug-in download", downloadTimes, "  bare libcurl to a file", bareTimes);
    std::printf("  ratio %.2f\n", ratio);
    if (!whole) {
        std::fprintf(stderr, "a download did not end with the whole file\n");
        return -1;
    }
    return ratio;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "serve") == 0)
        return serve(argc, argv);
    bench::prepareEnvironment();
    QApplication app(argc, argv);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL *easy = bareHandle();
    const double keeping = compare(true, easy);
    const double closing = compare(false, easy);
    curl_easy_cleanup(easy);
    const double download = compareDownload();
    if (keeping < 0 || closing < 0 || download < 0)
        return 1;
    std::printf("link check ratio: %.2f (the larger of the two servers; goal: at most 1.30)\n",
                std::max(keeping, closing));
    std::printf("download ratio: %.2f (goal: at most 1.20)\n", download);
    // The last line: the larger share of its goal, as a ratio to the bare side.
    std::printf("ratio: %.2f (the link check's or the download's, whichever is nearer its goal)\n",
                std::max(keeping, closing) / 1.3 >= download / 1.2 ? std::max(keeping, closing) : download);
    return 0;
}
