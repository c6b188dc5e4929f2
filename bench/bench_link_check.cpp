// Times the link check of 1,000 links, one request after the other, against a web server
// of this program's own on 127.0.0.1 running on a thread of its own, and the same 1,000
// requests sent bare, one after the other, through one network manager. Once with a
// server that keeps its connections open, once with one that closes each. The two sides
// take turns over several runs, so that a slow moment of the machine falls on both; the
// medians are compared.

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

// One server on a thread of its own, so that neither side waits for the other's event
// loop to serve it.
class ServerThread
{
public:
    explicit ServerThread(bool keepAlive) : m_server(new PageServer(keepAlive))
    {
        m_thread.start();
        m_server->moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            m_server,
            [this] {
                m_server->listen(QHostAddress::LocalHost);
                m_port = m_server->serverPort();
            },
            Qt::BlockingQueuedConnection);
    }
    ~ServerThread()
    {
        QMetaObject::invokeMethod(m_server, &QObject::deleteLater);
        m_thread.quit();
        m_thread.wait();
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1/page").arg(m_port); }

private:
    QThread m_thread;
    PageServer *m_server;
    quint16 m_port = 0;
};

// The two sides against one server; answers the ratio, or -1 when not every link answered.
double compare(bool keepAlive, QNetworkAccessManager &manager)
{
    const ServerThread server(keepAlive);
    const QString base = server.base();
    QVector<double> checkTimes;
    QVector<double> bareTimes;
    int reachable = 0;
    int answered = 0;
    bench::alternate(
        Runs, [&] { reachable = checkAll(base); }, [&] { answered = requestAll(manager, base); }, &checkTimes,
        &bareTimes);
    std::printf("%s server: %d links a run (%d reachable, %d answered bare)\n",
                keepAlive ? "keep-alive" : "closing", Links, reachable, answered);
    const double ratio = bench::compared("  link check", checkTimes, "  bare requests, one manager", bareTimes);
    std::printf("  ratio %.2f\n", ratio);
    return reachable == Links && answered == Links ? ratio : -1;
}

int main(int argc, char *argv[])
{
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
