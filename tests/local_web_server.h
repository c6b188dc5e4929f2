#pragma once
// A web server and an HTTP proxy of the test's own on 127.0.0.1, for the downloads: the
// server answers HEAD and GET for the resources a test puts on it, and can leave out the
// size, honour byte ranges or drop the connection half-way; the proxy wants a log-on and
// relays to the server.

#include "http_stub_servers.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace LocalWeb {

// Requests are read as the other test servers read them.
using Request = HttpStubs::SeenRequest;
using HttpStubs::takeRequest;

// Calls handle for every complete request that reaches server.
template <typename Handler>
void serve(QTcpServer *server, QList<Request> *seen, Handler handle)
{
    QObject::connect(server, &QTcpServer::newConnection, server, [server, seen, handle] {
        while (QTcpSocket *socket = server->nextPendingConnection()) {
            auto *buffer = new QByteArray;
            QObject::connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, buffer, seen, handle] {
                buffer->append(socket->readAll());
                Request request;
                while (takeRequest(*buffer, request)) {
                    seen->append(request);
                    handle(socket, request);
                }
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

struct Resource {
    QByteArray body;
    int status = 200;
    bool sendLength = true;      // a Content-Length header
    bool honourRange = false;    // answers "Range: bytes=N-" with 206
    bool dropHalfway = false;    // sends half the body, then closes the connection
    bool stallHalfway = false;   // sends half the body, then nothing more
    int dripMs = 0;              // sends the body 256 bytes at a time, one piece every dripMs
    QByteArray length = {};      // the Content-Length sent in place of the body's size
    QByteArray headers = {};     // more header lines, each ended by CR LF ("Location: ...")
    QByteArray headLength = {};  // the Content-Length the size request (HEAD) hears, if other (even if none is sent)
    bool silent = false;         // never answers
    bool headSilent = false;     // never answers the size request (HEAD)
};

class Server : public QTcpServer
{
public:
    Server()
    {
        listen(QHostAddress::LocalHost);
        serve(this, &seen, [this](QTcpSocket *socket, const Request &request) { answer(socket, request); });
    }
    // "http://127.0.0.1:<port>"
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }
    QString address(const QString &path) const { return base() + path; }
    void put(const QByteArray &path, const Resource &resource) { resources.insert(path, resource); }
    int count(const QByteArray &method) const
    {
        int n = 0;
        for (const Request &r : seen)
            n += r.method == method ? 1 : 0;
        return n;
    }

    QHash<QByteArray, Resource> resources;   // by encoded path; others answer 404
    QList<Request> seen;
    QPointer<QTcpSocket> lastSocket;         // the connection of the last request, until it ends

private:
    void answer(QTcpSocket *socket, const Request &request)
    {
        lastSocket = socket;
        QByteArray path = request.target;
        if (path.startsWith("http://"))
            path = QUrl(QString::fromLatin1(path)).path(QUrl::FullyEncoded).toLatin1();
        Resource resource = resources.value(path, Resource{"<html><body>Error 404: not found</body></html>", 404});
        if (resource.silent || (resource.headSilent && request.method == "HEAD"))
            return;
        QByteArray body = resource.body;
        int status = resource.status;
        QByteArray extra;
        const QByteArray range = request.headers.value("range");
        if (resource.honourRange && range.startsWith("bytes=") && status == 200) {
            const qint64 from = range.mid(6, range.indexOf('-') - 6).toLongLong();
            extra = "Content-Range: bytes " + QByteArray::number(from) + '-' + QByteArray::number(body.size() - 1) + '/'
                    + QByteArray::number(body.size()) + "\r\n";
            body = body.mid(from);
            status = 206;
        }
        QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + " Status\r\nContent-Type: application/octet-stream\r\n"
                          + extra + resource.headers + "Connection: close\r\n";
        if (request.method == "HEAD" && !resource.headLength.isEmpty()) {
            resource.length = resource.headLength;
            resource.sendLength = true;
        }
        if (resource.sendLength)
            head += "Content-Length: " + (resource.length.isEmpty() ? QByteArray::number(body.size()) : resource.length)
                    + "\r\n";
        head += "\r\n";
        if (request.method == "HEAD") {
            socket->write(head);
        } else if (resource.dripMs > 0) {
            socket->write(head);
            auto *drip = new QTimer(socket);
            QObject::connect(drip, &QTimer::timeout, socket, [socket, body, sent = qsizetype(0)]() mutable {
                socket->write(body.mid(sent, 256));
                sent += 256;
            });
            drip->start(resource.dripMs);
            return;
        } else if (resource.stallHalfway) {
            socket->write(head + body.left(body.size() / 2));
            return;
        } else if (resource.dropHalfway) {
            socket->write(head + body.left(body.size() / 2));
            socket->flush();
            socket->abort();
            return;
        } else {
            socket->write(head + body);
        }
        socket->disconnectFromHost();
    }
};

// An HTTP proxy that wants the log-on user/secret and relays the rest to the server
// named in the request.
class Proxy : public QTcpServer
{
public:
    Proxy()
    {
        listen(QHostAddress::LocalHost);
        serve(this, &seen, [this](QTcpSocket *client, const Request &request) { relay(client, request); });
    }
    QString hostPort() const { return QStringLiteral("127.0.0.1:%1").arg(serverPort()); }
    QList<Request> seen;

private:
    void relay(QTcpSocket *client, const Request &request)
    {
        if (request.headers.value("proxy-authorization") != "Basic " + QByteArray("user:secret").toBase64()) {
            client->write("HTTP/1.1 407 Proxy Log-on\r\nProxy-Authenticate: Basic realm=\"proxy\"\r\n"
                          "Proxy-Connection: keep-alive\r\nContent-Length: 0\r\n\r\n");
            return;
        }
        const QUrl url(QString::fromLatin1(request.target));
        QByteArray out = request.method + ' ' + url.path(QUrl::FullyEncoded).toLatin1() + " HTTP/1.1\r\n";
        for (auto it = request.headers.cbegin(); it != request.headers.cend(); ++it) {
            if (!it.key().startsWith("proxy-"))
                out += it.key() + ": " + it.value() + "\r\n";
        }
        out += "\r\n";
        auto *origin = new QTcpSocket(client);
        QObject::connect(origin, &QTcpSocket::connected, origin, [origin, out] { origin->write(out); });
        QObject::connect(origin, &QTcpSocket::readyRead, client, [origin, client] { client->write(origin->readAll()); });
        QObject::connect(origin, &QTcpSocket::disconnected, client, [client] { client->disconnectFromHost(); });
        origin->connectToHost(url.host(), quint16(url.port(80)));
    }
};

} // namespace LocalWeb
