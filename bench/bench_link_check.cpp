// Times the link check of 200 links, one request after the other, against a web server of
// this program's own on 127.0.0.1 running on a thread of its own, and the same 200
// requests sent bare through Qt Network. The two sides take turns over several runs, so
// that a slow moment of the machine falls on both; the medians are compared.

#include "bench_support.h"
#include "webtools/link_check.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <cstdio>

namespace {

constexpr int Links = 200;
constexpr int Runs = 7;

// Answers every request with a small page and closes the connection.
class PageServer : public QTcpServer
{
public:
    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 13\r\n"
                                  "Connection: close\r\n\r\n<html></html>");
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
};

// The link check of every address; answers how many were reachable.
int checkAll(const QString &base)
{
    int reachable = 0;
    for (int i = 0; i < Links; ++i)
        reachable += LinkCheck::check(base + QString::number(i)) ? 1 : 0;
    return reachable;
}

// The same requests sent bare, one after the other; answers how many got a 200.
int requestAll(QNetworkAccessManager &manager, const QString &base)
{
    int answered = 0;
    for (int i = 0; i < Links; ++i) {
        QNetworkReply *reply = manager.get(QNetworkRequest(QUrl(base + QString::number(i))));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        answered += reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200 ? 1 : 0;
        reply->deleteLater();
    }
    return answered;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::prepareEnvironment();
    QApplication app(argc, argv);

    // The server answers on its own thread, so that neither side waits for the other's
    // event loop to serve it.
    QThread serverThread;
    serverThread.start();
    auto *server = new PageServer;
    server->moveToThread(&serverThread);
    quint16 port = 0;
    QMetaObject::invokeMethod(
        server,
        [server, &port] {
            server->listen(QHostAddress::LocalHost);
            port = server->serverPort();
        },
        Qt::BlockingQueuedConnection);
    const QString base = QStringLiteral("http://127.0.0.1:%1/page").arg(port);

    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QVector<double> checkTimes;
    QVector<double> bareTimes;
    int reachable = 0;
    int answered = 0;
    for (int run = 0; run < Runs; ++run) {
        // Each run starts with the other side.
        const auto check = [&] { checkTimes.append(bench::timed([&] { reachable = checkAll(base); })); };
        const auto bare = [&] { bareTimes.append(bench::timed([&] { answered = requestAll(manager, base); })); };
        if (run % 2 == 0) {
            check();
            bare();
        } else {
            bare();
            check();
        }
    }
    QMetaObject::invokeMethod(server, &QObject::deleteLater);
    serverThread.quit();
    serverThread.wait();

    const double check = bench::median(checkTimes);
    const double bare = bench::median(bareTimes);
    std::printf("links a run:   %d (%d reachable, %d answered bare)\n", Links, reachable, answered);
    std::printf("link check:    %.1f ms median, %.3f ms a link (runs: %s)\n", check, check / Links,
                qPrintable(bench::list(checkTimes)));
    std::printf("bare requests: %.1f ms median (runs: %s)\n", bare, qPrintable(bench::list(bareTimes)));
    std::printf("ratio:         %.2f\n", check / bare);
    return reachable == Links && answered == Links ? 0 : 1;
}
