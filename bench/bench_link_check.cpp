// Compares the link check (LinkCheck::check, one address after the other) of 1,000
// addresses with the same 1,000 GET requests sent bare, one after the other, through one
// network manager that is made once, each waiting for its answer's end. The server runs in
// a process of its own (this program started again), once keeping its connections open
// and once closing each after its answer. The sides take turns run by run, the first side
// switching; every run of both sides must give the same answer for every address. Prints
// the medians of each server and, last, the larger of the two ratios.

#include "bench_support.h"
#include "webtools/link_check.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int Links = 1000;
constexpr int Runs = 11;

// Answers every request with a small page; closes the connection after each answer or
// keeps it for the next request.
class PageServer : public QTcpServer
{
public:
    explicit PageServer(bool keepAlive)
    {
        connect(this, &QTcpServer::newConnection, this, [this, keepAlive] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                auto *received = new QByteArray;
                connect(socket, &QTcpSocket::readyRead, socket, [socket, received, keepAlive] {
                    *received += socket->readAll();
                    qsizetype end = 0;
                    while ((end = received->indexOf("\r\n\r\n")) >= 0) {
                        received->remove(0, end + 4);
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
};

// The link check of every address: its answers.
QVector<bool> checkAll(const QString &base)
{
    QVector<bool> answers(Links);
    for (int i = 0; i < Links; ++i)
        answers[i] = LinkCheck::check(base + QString::number(i));
    return answers;
}

// The same requests sent bare, one after the other: whether each got a 200.
QVector<bool> requestAll(QNetworkAccessManager &manager, const QString &base)
{
    QVector<bool> answers(Links);
    for (int i = 0; i < Links; ++i) {
        QNetworkReply *reply = manager.get(QNetworkRequest(QUrl(base + QString::number(i))));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        answers[i] = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
        reply->deleteLater();
    }
    return answers;
}

// The server in a process of its own: this program started with "serve" and the kind of
// server; it prints its port and ends when its standard input closes.
class ServerProcess
{
public:
    explicit ServerProcess(bool keepAlive)
    {
        m_process.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("serve"), keepAlive ? QStringLiteral("keep-alive") : QStringLiteral("closing")});
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

private:
    QProcess m_process;
    quint16 m_port = 0;
};

int serve(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PageServer server(app.arguments().value(2) == QLatin1String("keep-alive"));
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
double compare(bool keepAlive, QNetworkAccessManager &manager)
{
    const ServerProcess server(keepAlive);
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
            answered = requestAll(manager, base);
            same = same && (checked.isEmpty() || checked == answered);
        },
        &checkTimes, &bareTimes);
    std::printf("%s server: %d links a run (%lld reachable, %lld answered bare)\n",
                keepAlive ? "keep-alive" : "closing", Links, static_cast<long long>(checked.count(true)),
                static_cast<long long>(answered.count(true)));
    const double ratio = bench::compared("  link check", checkTimes, "  bare requests, one manager", bareTimes);
    std::printf("  ratio %.2f\n", ratio);
    if (!same || checked.count(true) != Links) {
        std::fprintf(stderr, "the link check and the bare requests did not answer alike\n");
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
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    const double keeping = compare(true, manager);
    const double closing = compare(false, manager);
    if (keeping < 0 || closing < 0)
        return 1;
    std::printf("ratio: %.2f (the larger; goal: at most 1.30)\n", std::max(keeping, closing));
    return 0;
}
