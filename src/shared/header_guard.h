#pragma once
// Keeps a web server from holding a request at the head of its answer. The network
// layer reads an answer's status line and header one byte at a time, with no limit, and
// does nothing else meanwhile: a server that sends a header line without end, or interim
// answers ("100 Continue") without end, grows its memory for ever, keeps its thread from
// ever hearing that the request was given up, and so stalls every later request of the
// same network manager.
//
// A HeaderGuard watches one reply from the program's thread. While the header of the
// reply's final answer has not arrived, it counts the bytes its connections to the
// server (or the proxy) have delivered; past MaxHeaderBytes it ends those connections,
// and the reply fails at once as a dropped connection would. A reply given up before its
// header (time-out, stop) has its connections ended when its guard goes. Either way the
// network layer is free again to serve the next request.

#include "platform/tcp_connections.h"

#include <QHostAddress>
#include <QHash>
#include <QList>
#include <QNetworkProxy>
#include <QPointer>
#include <QString>

#include <memory>

class QNetworkReply;
class QObject;

class HeaderGuard
{
public:
    // The most a server may send before the header of its final answer is complete:
    // interim answers, refused log-ons and followed redirects included.
    static constexpr qint64 MaxHeaderBytes = 64 * 1024;
    // How often the guards look, and how many looks go by between two searches for the
    // reply's connections (between them, the ones found are looked at again).
    static constexpr int CheckIntervalMs = 10;
    static constexpr int SearchEvery = 10;

    // Watches reply, sent directly (proxy NoProxy) or through proxy, for as long as the
    // guard lives.
    HeaderGuard(QNetworkReply *reply, const QNetworkProxy &proxy);
    ~HeaderGuard();
    HeaderGuard(const HeaderGuard &) = delete;
    HeaderGuard &operator=(const HeaderGuard &) = delete;

    // True once the guard ended the reply's connections for a header past the limit.
    bool overran() const { return m_overran; }

    // Looks at every guarded reply; called by the guards' timer.
    static void checkAll();

private:
    void check();
    // The addresses and port the reply's connections go to; false while a name is being
    // looked up.
    bool endpoint(QList<QHostAddress> &addresses, quint16 &port);

    QPointer<QNetworkReply> m_reply;
    QNetworkProxy m_proxy;
    bool m_headerDone = false;
    bool m_overran = false;
    int m_looks = 0;
    QList<TcpConnection> m_connections;          // found at the last search
    QHash<quint64, qint64> m_bytesAtFirstSight;   // by connection
    QString m_lookedUpHost;
    QList<QHostAddress> m_lookedUpAddresses;
    std::unique_ptr<QObject> m_lookup;           // receives the answer of a name lookup
};
