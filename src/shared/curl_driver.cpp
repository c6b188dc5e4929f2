#include "shared/curl_driver.h"

#include <QCoreApplication>
#include <QTimerEvent>
#include <QVarLengthArray>

#include <limits>

#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Whether a handle set up for a may send b as it is: all but the address (and the quiet
// time, which is the transfer's own) are the same. A body is set anew every time.
bool sameSetup(const WebTransfer::Request &a, const WebTransfer::Request &b)
{
    return a.method == b.method && a.method != "POST" && a.headers == b.headers && a.route == b.route
           && a.proxyHost == b.proxyHost && a.proxyPort == b.proxyPort && a.proxyUser == b.proxyUser
           && a.proxyPassword == b.proxyPassword && a.serverUser == b.serverUser && a.serverPassword == b.serverPassword
           && a.proxyBasicAtOnce == b.proxyBasicAtOnce && a.tolerateCertificates == b.tolerateCertificates
           && a.maxRedirects == b.maxRedirects && a.bulk == b.bulk;
}

} // namespace

thread_local CurlDriver *CurlDriver::s_driver = nullptr;

CurlDriver *CurlDriver::forThisThread()
{
    if (!s_driver)
        s_driver = new CurlDriver(QCoreApplication::instance());
    return s_driver;
}

CurlDriver::CurlDriver(QObject *parent)
    : QObject(parent)
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(initialised)
    m_multi = curl_multi_init();
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &CurlDriver::onLibrarySocket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &CurlDriver::onLibraryTimer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    m_libraryTimer.setSingleShot(true);
    connect(&m_libraryTimer, &QTimer::timeout, this, [this] {
        runLibraryOn(CURL_SOCKET_TIMEOUT, 0);
        handOnWhatArrived();
    });
    m_handOnTimer.setSingleShot(true);
    connect(&m_handOnTimer, &QTimer::timeout, this, &CurlDriver::handOnWhatArrived);
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    m_ready = std::make_unique<QSocketNotifier>(m_epoll, QSocketNotifier::Read);
    connect(m_ready.get(), &QSocketNotifier::activated, this, &CurlDriver::onSocketsReady);
}

CurlDriver::~CurlDriver()
{
    s_driver = nullptr;
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, nullptr);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, nullptr);
    curl_multi_cleanup(m_multi);
    if (m_spare)
        curl_easy_cleanup(m_spare);
    curl_slist_free_all(m_spareHeaders);
    m_ready.reset();
    ::close(m_epoll);
}

CURL *CurlDriver::takeSpareHandle(const WebTransfer::Request &request, bool &configured, curl_slist *&headers)
{
    CURL *easy = m_spare;
    m_spare = nullptr;
    configured = easy && m_spareSetup && sameSetup(*m_spareSetup, request);
    headers = configured ? m_spareHeaders : nullptr;
    if (!configured)
        curl_slist_free_all(m_spareHeaders);
    m_spareHeaders = nullptr;
    m_spareSetup.reset();
    if (easy && !configured)
        curl_easy_reset(easy);
    else if (!easy)
        easy = curl_easy_init();
    return easy;
}

void CurlDriver::keepSpareHandle(CURL *easy, curl_slist *headers, std::optional<WebTransfer::Request> reusableSetup)
{
    if (m_spare)
        curl_easy_cleanup(m_spare);
    curl_slist_free_all(m_spareHeaders);
    m_spare = easy;
    m_spareHeaders = headers;
    m_spareSetup = std::move(reusableSetup);
}

bool CurlDriver::addTransfer(WebTransfer *transfer)
{
    closeKeptConnectionsThatSpoke();
    m_adding = true;
    const bool added = curl_multi_add_handle(m_multi, static_cast<CURL *>(transfer->m_easy)) == CURLM_OK;
    m_adding = false;
    if (!added)
        return false;
    m_transfers.insert(transfer);
    transfer->m_inMulti = true;
    return true;
}

void CurlDriver::removeTransfer(WebTransfer *transfer)
{
    m_transfers.erase(transfer);
    transfer->m_inMulti = false;
    curl_multi_remove_handle(m_multi, static_cast<CURL *>(transfer->m_easy));
}

void CurlDriver::runLibraryNow(const WebTransfer *transfer)
{
    int running = 0;
    curl_multi_socket_action(m_multi, CURL_SOCKET_TIMEOUT, 0, &running);
    // The call at once the library asked for when the transfer was added was just made:
    // the timer waits for what the library waits for now.
    long milliseconds = -1;
    if (curl_multi_timeout(m_multi, &milliseconds) == CURLM_OK)
        onLibraryTimer(m_multi, milliseconds, this);
    if ((collectFinishedTransfers() || transfer->m_headerPending || !transfer->m_body.isEmpty())
        && !m_handOnTimer.isActive())
        m_handOnTimer.start(0);
}

bool CurlDriver::waitForSockets(int milliseconds)
{
    long due = -1;
    curl_multi_timeout(m_multi, &due);
    const bool dueFirst = due >= 0 && due <= milliseconds;
    // The sockets the library waits on now, each polled itself: no turn through the set.
    QVarLengthArray<pollfd, 4> sockets;
    for (const auto &[socket, watch] : m_watches) {
        if (!watch.idle && watch.events != 0)
            sockets.append({socket, short(((watch.events & EPOLLIN) ? POLLIN : 0) | ((watch.events & EPOLLOUT) ? POLLOUT : 0)), 0});
    }
    if (sockets.isEmpty() && !dueFirst)
        return false;
    if (::poll(sockets.data(), nfds_t(sockets.size()), dueFirst ? int(due) : qMax(0, milliseconds)) > 0) {
        for (const pollfd &ready : std::as_const(sockets)) {
            const auto found = m_watches.find(ready.fd);
            if (ready.revents != 0 && found != m_watches.end() && !found->second.idle)
                runLibraryOn(ready.fd, libraryEventFor(found->second, ready.revents & POLLIN, ready.revents & POLLOUT,
                                                       ready.revents & (POLLERR | POLLHUP)));
        }
        handOnWhatArrived();
        return true;
    }
    if (!dueFirst)
        return false;
    runLibraryOn(CURL_SOCKET_TIMEOUT, 0);
    handOnWhatArrived();
    return true;
}

void CurlDriver::checkQuietIn(qint64 milliseconds)
{
    if (m_quietTimer.isActive() && m_quietDue.remainingTime() <= milliseconds)
        return;
    m_quietDue.setRemainingTime(milliseconds);
    m_quietTimer.start(int(qMin<qint64>(milliseconds, std::numeric_limits<int>::max())), this);
}

void CurlDriver::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_quietTimer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    m_quietTimer.stop();
    QList<QPointer<WebTransfer>> running;
    for (WebTransfer *transfer : m_transfers)
        running.append(transfer);
    for (const QPointer<WebTransfer> &transfer : std::as_const(running)) {
        if (transfer)
            transfer->checkQuiet();
    }
}

int CurlDriver::onLibrarySocket(CURL *easy, curl_socket_t socket, int what, void *self, void *)
{
    auto *driver = static_cast<CurlDriver *>(self);
    Watch *watch = &driver->m_watches[socket];
    watch->easy = easy;
    if (what != CURL_POLL_REMOVE)
        watch->kept = false;
    // A connection kept for the next request stays watched for reading while it waits:
    // a watch turned off and on again is two edits of the set. Should the server speak or
    // close meanwhile, the watch is turned off then (see onSocketsReady()).
    watch->idle = what == CURL_POLL_REMOVE;
    const bool reading = what == CURL_POLL_IN || what == CURL_POLL_INOUT;
    const bool writing = what == CURL_POLL_OUT || what == CURL_POLL_INOUT;
    driver->setWatch(socket, watch,
                     (reading || (watch->idle && (watch->events & EPOLLIN)) ? uint32_t(EPOLLIN) : 0u)
                         | (writing ? uint32_t(EPOLLOUT) : 0u));
    return 0;
}

int CurlDriver::onLibraryTimer(CURLM *, long milliseconds, void *self)
{
    auto *driver = static_cast<CurlDriver *>(self);
    if (driver->m_adding)
        return 0;
    if (milliseconds < 0)
        driver->m_libraryTimer.stop();
    else
        driver->m_libraryTimer.start(int(qMin<long>(milliseconds, 24L * 3600 * 1000)));
    return 0;
}

void CurlDriver::setWatch(curl_socket_t socket, Watch *watch, uint32_t events)
{
    if (watch->events == events)
        return;
    epoll_event event{};
    event.events = events;
    event.data.fd = socket;
    epoll_ctl(m_epoll, events == 0 ? EPOLL_CTL_DEL : watch->events == 0 ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, socket,
              &event);
    watch->events = events;
}

int CurlDriver::closeSocket(void *self, curl_socket_t socket)
{
    auto *driver = static_cast<CurlDriver *>(self);
    driver->m_watches.erase(socket);
    return ::close(socket);
}

void CurlDriver::markConnectionKept(CURL *easy)
{
    for (auto &[socket, watch] : m_watches)
        watch.kept = watch.kept || (watch.idle && watch.easy == easy);
}

void CurlDriver::closeKeptConnection(curl_socket_t socket, Watch *watch)
{
    char sink[4096];
    for (int i = 0; i < 256 && ::recv(socket, sink, sizeof sink, MSG_DONTWAIT) > 0; ++i) {
    }
    ::shutdown(socket, SHUT_RDWR);
    if (watch) {
        watch->kept = false;
        setWatch(socket, watch, 0);
    }
}

bool CurlDriver::spoke(curl_socket_t socket)
{
    pollfd spoken{socket, POLLIN, 0};
    return ::poll(&spoken, 1, 0) > 0;
}

void CurlDriver::closeKeptConnectionsThatSpoke()
{
    for (auto &[socket, watch] : m_watches) {
        if (watch.kept && spoke(socket))
            closeKeptConnection(socket, &watch);
    }
}

bool CurlDriver::closeIfSpoken(curl_socket_t socket, int peerPort, int localPort)
{
    // The socket the library names is the one of this request only when its ports are.
    sockaddr_storage local{};
    sockaddr_storage peer{};
    socklen_t localSize = sizeof local;
    socklen_t peerSize = sizeof peer;
    const auto port = [](const sockaddr_storage &address) {
        return int(ntohs(address.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6 &>(address).sin6_port
                                                       : reinterpret_cast<const sockaddr_in &>(address).sin_port));
    };
    if (socket == CURL_SOCKET_BAD || ::getsockname(socket, reinterpret_cast<sockaddr *>(&local), &localSize) != 0
        || ::getpeername(socket, reinterpret_cast<sockaddr *>(&peer), &peerSize) != 0 || port(local) != localPort
        || port(peer) != peerPort || !spoke(socket))
        return false;
    const auto found = m_watches.find(socket);
    closeKeptConnection(socket, found == m_watches.end() ? nullptr : &found->second);
    return true;
}

bool CurlDriver::collectFinishedTransfers()
{
    bool any = false;
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        WebTransfer *transfer = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
        const CURLcode result = message->data.result;
        markConnectionKept(message->easy_handle);
        if (transfer && m_transfers.count(transfer)) {
            transfer->libraryDone(result);
            m_done.append(transfer);
            any = true;
        }
    }
    return any;
}

void CurlDriver::onSocketsReady()
{
    epoll_event events[16];
    const int count = epoll_wait(m_epoll, events, 16, 0);
    for (int i = 0; i < count; ++i) {
        const curl_socket_t socket = events[i].data.fd;
        const auto found = m_watches.find(socket);
        if (found == m_watches.end())
            continue;    // closed by an earlier call of this turn
        Watch *watch = &found->second;
        if (watch->idle) {
            // A kept connection spoke or closed between two requests: the next request
            // looks at it (see addTransfer()); until then it is not watched.
            setWatch(socket, watch, 0);
            continue;
        }
        const uint32_t ready = events[i].events;
        runLibraryOn(socket, libraryEventFor(*watch, ready & EPOLLIN, ready & EPOLLOUT, ready & (EPOLLHUP | EPOLLERR)));
    }
    handOnWhatArrived();
}

int CurlDriver::libraryEventFor(const Watch &watch, bool in, bool out, bool failed)
{
    int event = 0;
    if ((watch.events & EPOLLIN) && (in || failed))
        event |= CURL_CSELECT_IN;
    if ((watch.events & EPOLLOUT) && (out || failed))
        event |= CURL_CSELECT_OUT;
    return event;
}

void CurlDriver::runLibraryOn(curl_socket_t socket, int event)
{
    int running = 0;
    curl_multi_socket_action(m_multi, socket, event, &running);
}

void CurlDriver::handOnWhatArrived()
{
    m_handOnTimer.stop();
    // Those still under way that have something to hand on, then those that are done.
    // What arrived in the library's calls just made is stamped with this moment.
    QVarLengthArray<QPointer<WebTransfer>, 8> transfers;
    for (WebTransfer *transfer : std::as_const(m_transfers)) {
        transfer->stampArrival();
        if (transfer->m_headerPending || !transfer->m_body.isEmpty() || transfer->m_paused)
            transfers.append(transfer);
    }
    collectFinishedTransfers();
    transfers.append(m_done.constData(), m_done.size());
    m_done.clear();
    for (const QPointer<WebTransfer> &transfer : std::as_const(transfers)) {
        if (transfer)
            transfer->deliver();
    }
}
