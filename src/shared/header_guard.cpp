#include "shared/header_guard.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>

namespace {

QList<HeaderGuard *> &guards()
{
    static QList<HeaderGuard *> list;
    return list;
}

// One timer looks at every guard. It keeps running from one request to the next and
// stops at the first look that finds no guard.
void keepLooking()
{
    static QPointer<QTimer> timer;
    if (!timer) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setInterval(HeaderGuard::CheckIntervalMs);
        QObject::connect(timer, &QTimer::timeout, [] {
            if (guards().isEmpty())
                timer->stop();
            else
                HeaderGuard::checkAll();
        });
    }
    if (!timer->isActive())
        timer->start();
}

// Whether the header of the reply's final answer has arrived: an answer that is not a
// redirect being followed.
bool finalHeaderArrived(const QNetworkReply *reply)
{
    const QVariant code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!code.isValid())
        return false;
    const int status = code.toInt();
    return status < 300 || status >= 400 || !reply->hasRawHeader("Location");
}

// A reply ended before its answer did: it timed out, was stopped, or is still running.
bool givenUp(const QNetworkReply *reply)
{
    return !reply->isFinished() || reply->error() == QNetworkReply::OperationCanceledError
           || reply->error() == QNetworkReply::TimeoutError;
}

} // namespace

HeaderGuard::HeaderGuard(QNetworkReply *reply, const QNetworkProxy &proxy)
    : m_reply(reply)
    , m_proxy(proxy)
{
    guards().append(this);
    keepLooking();
}

HeaderGuard::~HeaderGuard()
{
    guards().removeOne(this);
    if (!m_reply || m_headerDone || finalHeaderArrived(m_reply) || !givenUp(m_reply))
        return;
    // Given up before its header: the network layer may be too busy reading it to hear of
    // that, so its connections end here.
    QList<QHostAddress> addresses;
    quint16 port = 0;
    if (endpoint(addresses, port))
        EndTcpConnections(addresses, port);
}

void HeaderGuard::checkAll()
{
    // A guard may go while another is looked at (its reply's owner runs on a signal).
    const QList<HeaderGuard *> now = guards();
    for (HeaderGuard *guard : now) {
        if (guards().contains(guard))
            guard->check();
    }
}

void HeaderGuard::check()
{
    if (!m_reply || m_headerDone || m_reply->isFinished())
        return;
    if (finalHeaderArrived(m_reply)) {
        m_headerDone = true;
        return;
    }
    QList<QHostAddress> addresses;
    quint16 port = 0;
    if (!endpoint(addresses, port))
        return;
    if (m_looks++ % SearchEvery == 0 || m_connections.isEmpty())
        m_connections = TcpConnectionsTo(addresses, port);
    else
        m_connections.erase(std::remove_if(m_connections.begin(), m_connections.end(),
                                           [&](TcpConnection &c) { return !LookAgain(c, addresses, port); }),
                            m_connections.end());
    QList<quint64> over;
    for (const TcpConnection &connection : std::as_const(m_connections)) {
        const auto seen = m_bytesAtFirstSight.constFind(connection.id);
        if (seen == m_bytesAtFirstSight.cend())
            m_bytesAtFirstSight.insert(connection.id, connection.bytesTaken);
        else if (connection.bytesTaken - *seen > MaxHeaderBytes)
            over.append(connection.id);
    }
    if (over.isEmpty())
        return;
    // A header that did arrive was handed to this thread before any byte of its body was
    // read: take it first, so that a body is never counted as header.
    const QPointer<QNetworkReply> reply = m_reply;
    QCoreApplication::sendPostedEvents(reply, QEvent::MetaCall);
    if (!guards().contains(this) || !reply || reply->isFinished() || finalHeaderArrived(reply))
        return;
    m_overran = true;
    EndTcpConnections(addresses, port, over);
}

bool HeaderGuard::endpoint(QList<QHostAddress> &addresses, quint16 &port)
{
    QString host;
    switch (m_proxy.type()) {
    case QNetworkProxy::HttpProxy:
    case QNetworkProxy::HttpCachingProxy:
    case QNetworkProxy::Socks5Proxy:
        host = m_proxy.hostName();
        port = m_proxy.port();
        break;
    default: {
        const QUrl url = m_reply->url();
        host = url.host();
        port = quint16(url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80));
        break;
    }
    }
    const QHostAddress literal(host);
    if (!literal.isNull()) {
        addresses = {literal};
        return true;
    }
    if (host != m_lookedUpHost) {
        m_lookedUpHost = host;
        m_lookedUpAddresses.clear();
        m_lookup = std::make_unique<QObject>();
        QHostInfo::lookupHost(host, m_lookup.get(), [this](const QHostInfo &info) {
            m_lookedUpAddresses = info.addresses();
        });
        return false;
    }
    addresses = m_lookedUpAddresses;
    return !addresses.isEmpty();
}
