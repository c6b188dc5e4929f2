// Times the link check of 1,000 links, one request after the other, against a web server
// of this program's own on 127.0.0.1, and the same 1,000 requests sent bare through Qt
// Network, in the same run.

#include "shared/globals.h"
#include "webtools/link_check.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>

namespace {

constexpr int Links = 1000;

// Answers every request with a small page and closes the connection.
class PageServer : public QTcpServer
{
public:
    PageServer()
    {
        listen(QHostAddress::LocalHost);
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

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PageServer server;
    const QString base = QStringLiteral("http://127.0.0.1:%1/page").arg(server.serverPort());

    QElapsedTimer clock;
    clock.start();
    int reachable = 0;
    for (int i = 0; i < Links; ++i)
        reachable += LinkCheck::check(base + QString::number(i)) ? 1 : 0;
    const double checkMs = clock.nsecsElapsed() / 1e6;

    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    clock.restart();
    int answered = 0;
    for (int i = 0; i < Links; ++i) {
        QNetworkReply *reply = manager.get(QNetworkRequest(QUrl(base + QString::number(i))));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        answered += reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200 ? 1 : 0;
        reply->deleteLater();
    }
    const double bareMs = clock.nsecsElapsed() / 1e6;

    std::printf("links checked: %d (%d reachable)\n", Links, reachable);
    std::printf("link check:    %.0f ms (%.2f ms a link)\n", checkMs, checkMs / Links);
    std::printf("bare requests: %.0f ms (%d answered)\n", bareMs, answered);
    std::printf("ratio:         %.2f\n", checkMs / bareMs);
    return reachable == Links ? 0 : 1;
}
