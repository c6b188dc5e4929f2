#pragma once
// Web servers of the tests on 127.0.0.1: an origin server answering by path and an HTTP
// proxy in front of it that wants a log-on; and the reset of this run's connection
// settings.

#include "shared/globals.h"
#include "shared/http_request.h"

#include <QFile>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

namespace HttpStubs {


struct SeenRequest {
    QByteArray method;
    QByteArray target;    // as on the request line
    QMap<QByteArray, QByteArray> headers;    // names in lower case
    QByteArray body;
};

// Reads one request from socket's buffer; false while it is incomplete.
inline bool takeRequest(QByteArray &buffer, SeenRequest &request)
{
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    request.headers.clear();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length").toLongLong();
    if (buffer.size() < end + 4 + length)
        return false;
    request.body = buffer.mid(end + 4, length);
    buffer.remove(0, end + 4 + length);
    return true;
}

// Keeps writing block to socket for as long as the peer reads (or until total bytes went),
// never holding more than 8 MiB unsent.
inline void pourEndlessly(QTcpSocket *socket, const QByteArray &block, qint64 total = -1)
{
    const auto sent = std::make_shared<qint64>(0);
    const auto topUp = [socket, block, total, sent] {
        while (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < 8 * 1024 * 1024
               && (total < 0 || *sent < total))
            *sent += socket->write(total < 0 ? block : block.left(total - *sent));
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, topUp);
    topUp();
}

// The system's table of this machine's TCP sockets over IPv4, a row of fields for each:
// "sl local remote state tx_queue:rx_queue ...", addresses and numbers in hexadecimal.
inline QList<QByteArrayList> tcpSockets()
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    QList<QByteArrayList> rows;
    if (table.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : table.readAll().split('\n'))
            rows.append(line.simplified().split(' '));
    }
    return rows;
}
// ":PPPP", a port as that table writes it.
inline QByteArray tcpPort(quint16 number)
{
    return ':' + QByteArray::number(number, 16).toUpper().rightJustified(4, '0');
}

// The start of an answer whose header line never ends, and interim answers without end.
inline const QByteArray EndlessHeaderStart = "HTTP/1.1 200 OK\r\nX-Filler: ";
inline const QByteArray InterimAnswer = "HTTP/1.1 100 Continue\r\n\r\n";

inline QByteArray answer(int status, const QByteArray &extraHeaders = QByteArray())
{
    // 204 and 304 answers carry no body.
    const QByteArray body = status == 204 || status == 304 ? QByteArray()
                                                           : "<html>" + QByteArray::number(status) + "</html>";
    return "HTTP/1.1 " + QByteArray::number(status) + " Status\r\nContent-Type: text/html\r\nContent-Length: "
           + QByteArray::number(body.size()) + "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

// A server on 127.0.0.1 that records every request and hands it to handle().
class StubServer : public QTcpServer
{
public:
    StubServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                auto *buffer = new QByteArray;
                ++openConnections;
                ++connections;
                connect(socket, &QObject::destroyed, [this, buffer] { delete buffer, --openConnections; });
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                    if (socket->property("tunnel").toBool())
                        return;    // relayed as it comes
                    buffer->append(socket->readAll());
                    SeenRequest request;
                    while (takeRequest(*buffer, request)) {
                        seen.append(request);
                        lastSocket = socket;
                        handle(socket, request);
                    }
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    // The connections go while the server is still whole: each counts itself out.
    ~StubServer() override { qDeleteAll(findChildren<QTcpSocket *>(Qt::FindDirectChildrenOnly)); }
    QString target(const QString &path) const { return QStringLiteral("127.0.0.1:%1%2").arg(serverPort()).arg(path); }
    QList<SeenRequest> seen;
    int openConnections = 0;    // not yet closed by either side
    int connections = 0;        // accepted
    QPointer<QTcpSocket> lastSocket;    // the connection of the last request, until it ends

protected:
    virtual void handle(QTcpSocket *socket, const SeenRequest &request) = 0;
};

// An origin server: /status/<n> answers n, /logon asks for a log-on that only
// kelp/wisp passes (/biglogon too, with a page of 200 KB that takes 150 ms), /refuse asks for one that nothing passes, /silent never answers,
// /moved/<path> sends a 301 to <path> on this server, /slow/<ms> answers 200 after <ms>
// milliseconds, /cookie answers 200 with a cookie, /header sends a header line that never
// ends, /interim interim answers without end, /lower a status line in lower case, /bare 200
// without a reason phrase, /trickle a header that takes 3 s, a line at a time, anything
// else 200. /alive answers 200 on a connection it keeps open, and answers again on it;
// /kept answers 200 on a connection it keeps open and never answers on again; /leftover likewise, with a forged answer behind the end of its body; /forged sends a 301
// to /status/404 with a forged answer behind the end of its body, on a connection it keeps;
// /hop/<n> sends a 302 to /hop/<n-1> on a connection it keeps, /hop/0 answers 200.
class OriginServer : public StubServer
{
protected:
    void handle(QTcpSocket *socket, const SeenRequest &request) override
    {
        const QByteArray &path = request.target;
        if (socket->property("deaf").toBool())
            return;
        if (path == "/kept" || path == "/leftover" || path == "/forged") {
            // The body needs more than one read of the client: the forged answer is read only as the next one.
            const QByteArray body(20000, 'b');
            const QByteArray head = path == "/forged" ? "HTTP/1.1 301 Moved\r\nLocation: /status/404\r\n" : "HTTP/1.1 200 OK\r\n";
            socket->setProperty("deaf", true);
            socket->write(head + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body
                          + (path == "/kept" ? QByteArray() : answer(200).replace("Connection: close", "X-Forged: 1")));
            return;
        }
        const QByteArray challenge = "WWW-Authenticate: Basic realm=\"links\"\r\n";
        QByteArray reply = answer(200);
        if (path.startsWith("/status/"))
            reply = answer(path.mid(8).toInt());
        else if (path == "/logon" && request.headers.value("authorization") != "Basic " + QByteArray("kelp:wisp").toBase64())
            reply = answer(401, challenge);
        else if (path == "/refuse")
            reply = answer(401, challenge);
        else if (path == "/biglogon" && request.headers.value("authorization") != "Basic " + QByteArray("kelp:wisp").toBase64()) {
            // A log-on page of 200 KB, 40 KB every 30 ms, on a connection kept open.
            socket->write("HTTP/1.1 401 Unauthorized\r\n" + challenge + "Content-Length: 204800\r\n\r\n");
            auto *drip = new QTimer(socket);
            QObject::connect(drip, &QTimer::timeout, socket, [socket, drip, left = 5]() mutable {
                socket->write(QByteArray(40960, 'p'));
                if (--left == 0)
                    drip->deleteLater();
            });
            return drip->start(30);
        }
        else if (path == "/silent")
            return;
        else if (path.startsWith("/hop/") && path.mid(5).toInt() > 0)
            return void(socket->write("HTTP/1.1 302 Found\r\nLocation: /hop/" + QByteArray::number(path.mid(5).toInt() - 1)
                                      + "\r\nContent-Length: 5\r\n\r\nmoved"));
        else if (path == "/header") {
            socket->write(EndlessHeaderStart);
            return pourEndlessly(socket, QByteArray(64 * 1024, 'x'));
        } else if (path == "/interim")
            return pourEndlessly(socket, InterimAnswer.repeated(2000));
        else if (path == "/lower")
            reply = "http/1.1 500 ok\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        else if (path == "/alive")
            return void(socket->write(QByteArray(answer(200)).replace("Connection: close", "X-Kept: 1")));
        else if (path == "/bare")
            reply = "HTTP/1.1 200\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        else if (path == "/trickle") {
            // A header line every 100 ms for 3 s, then its end.
            socket->write("HTTP/1.1 200 OK\r\n");
            auto *drip = new QTimer(socket);
            QObject::connect(drip, &QTimer::timeout, socket, [socket, drip, left = 30]() mutable {
                socket->write(--left > 0 ? "X-Line: more\r\n" : "Content-Length: 0\r\nConnection: close\r\n\r\n");
                if (left == 0)
                    drip->deleteLater();
            });
            return drip->start(100);
        }
        else if (path == "/cookie")
            reply = answer(200, "Set-Cookie: seen=1; Path=/\r\n");
        else if (path.startsWith("/moved/"))
            reply = answer(301, "Location: http://127.0.0.1:" + QByteArray::number(serverPort()) + path.mid(6) + "\r\n");
        else if (path.startsWith("/slow/")) {
            QPointer<QTcpSocket> later(socket);
            QTimer::singleShot(path.mid(6).toInt(), socket, [later] {
                if (later) {
                    later->write(answer(200));
                    later->disconnectFromHost();
                }
            });
            return;
        }
        socket->write(reply);
        socket->disconnectFromHost();
    }
};

// A server made, run and ended by a thread of its own, or by this one: from a thread of its
// own, its answers come while this thread waits outside its event loop.
template <class Server>
class ServedFrom
{
public:
    explicit ServedFrom(bool ownThread)
    {
        if (!ownThread) {
            m_server = std::make_unique<Server>();
            return;
        }
        m_thread = std::make_unique<QThread>();
        m_thread->start();
        m_home.moveToThread(m_thread.get());
        run([this] { m_server = std::make_unique<Server>(); });
    }
    ~ServedFrom()
    {
        run([this] {
            m_server.reset();
            m_home.moveToThread(nullptr);
        });
        if (m_thread) {
            m_thread->quit();
            m_thread->wait();
        }
    }
    // Runs work where the server lives, and waits for its end.
    void run(const std::function<void()> &work)
    {
        if (m_thread)
            QMetaObject::invokeMethod(&m_home, work, Qt::BlockingQueuedConnection);
        else
            work();
    }
    // Only its fixed parts (its port) are read from here; run() reads the rest.
    const Server *operator->() const { return m_server.get(); }

private:
    std::unique_ptr<QThread> m_thread;
    QObject m_home;
    std::unique_ptr<Server> m_server;
};

// An HTTP proxy that wants the log-on user/secret and relays everything else to the
// origin server named in the request, a tunnel (CONNECT) included.
class ProxyServerStub : public StubServer
{
public:
    QByteArray logOn = "user:secret";    // the only one it takes
    QByteArray tunnelRefusal;    // when set, the answer to every tunnel asked with the log-on
    // Makes this the proxy of the program's requests, logging on as "user".
    void useAsProxy() const
    {
        ProxyServer = QStringLiteral("127.0.0.1");
        ProxyPort = QString::number(serverPort());
        ProxyUserId = QStringLiteral("user");
    }

protected:
    void handle(QTcpSocket *client, const SeenRequest &request) override
    {
        if (request.headers.value("proxy-authorization") != "Basic " + logOn.toBase64()) {
            // The connection stays open for the next try, as proxies keep it.
            QByteArray refusal = answer(407, "Proxy-Authenticate: Basic realm=\"proxy\"\r\n");
            refusal.replace("Connection: close", "Proxy-Connection: keep-alive");
            client->write(refusal);
            return;
        }
        const bool tunnel = request.method == "CONNECT";
        if (tunnel && !tunnelRefusal.isEmpty())
            return void(client->write(tunnelRefusal));
        const QUrl url(QString::fromLatin1(tunnel ? "https://" + request.target : request.target));
        QByteArray out = request.method + ' ' + url.path(QUrl::FullyEncoded).toLatin1() + " HTTP/1.1\r\n";
        for (auto it = request.headers.cbegin(); it != request.headers.cend(); ++it) {
            if (!it.key().startsWith("proxy-"))
                out += it.key() + ": " + it.value() + "\r\n";
        }
        out += "\r\n" + request.body;
        auto *origin = new QTcpSocket(client);
        if (tunnel) {
            out = "HTTP/1.1 200 Connection established\r\n\r\n";
            client->setProperty("tunnel", true);
            connect(client, &QTcpSocket::readyRead, origin, [origin, client] { origin->write(client->readAll()); });
        }
        connect(origin, &QTcpSocket::connected, origin, [origin, client, out, tunnel] { (tunnel ? client : origin)->write(out); });
        connect(origin, &QTcpSocket::readyRead, client, [origin, client] { client->write(origin->readAll()); });
        connect(origin, &QTcpSocket::disconnected, client, [client] { client->disconnectFromHost(); });
        origin->connectToHost(url.host(), quint16(url.port(80)));
    }
};

inline void clearProxyEnvironment()
{
    for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "ftp_proxy", "FTP_PROXY",
                             "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
        qunsetenv(name);
}

inline void resetConnectionSettings()
{
    ProxyServer.clear();
    ProxyPort.clear();
    ProxyUserId.clear();
    ProxyPassword.clear();
    ProxyConfirmed = 0;
    HttpTarget.clear();
    SetProxyCredentialsPrompt({});
    ForgetTypedProxyLogon();
    SetHttpRequestTimeout(30000);
}

} // namespace HttpStubs
