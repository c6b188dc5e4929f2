#include "platform/tcp_connections.h"

#include <QByteArray>

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Our own descriptor of one open socket of the process, closed when it goes. Holding it
// keeps the socket itself, so what is checked and what is ended is the same connection
// even if its owner closes its descriptor meanwhile and the number is used again.
class HeldSocket
{
public:
    HeldSocket(int fd, quint64 inode)
        : descriptor(fd)
    {
        const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
        struct stat info {};
        if (copy >= 0 && fstat(copy, &info) == 0 && S_ISSOCK(info.st_mode) && quint64(info.st_ino) == inode)
            m_fd = copy;
        else if (copy >= 0)
            ::close(copy);
    }
    ~HeldSocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HeldSocket(const HeldSocket &) = delete;
    HeldSocket &operator=(const HeldSocket &) = delete;

    // True for a connected TCP socket whose peer is one of addresses at port.
    bool connectedTo(const QList<QHostAddress> &addresses, quint16 port) const
    {
        int type = 0;
        socklen_t typeSize = sizeof type;
        sockaddr_storage peer {};
        socklen_t peerSize = sizeof peer;
        if (m_fd < 0 || getsockopt(m_fd, SOL_SOCKET, SO_TYPE, &type, &typeSize) != 0 || type != SOCK_STREAM
            || getpeername(m_fd, reinterpret_cast<sockaddr *>(&peer), &peerSize) != 0
            || (peer.ss_family != AF_INET && peer.ss_family != AF_INET6))
            return false;
        const QHostAddress address(reinterpret_cast<const sockaddr *>(&peer));
        const quint16 peerPort = ntohs(peer.ss_family == AF_INET ? reinterpret_cast<sockaddr_in *>(&peer)->sin_port
                                                                 : reinterpret_cast<sockaddr_in6 *>(&peer)->sin6_port);
        if (peerPort != port)
            return false;
        for (const QHostAddress &wanted : addresses)
            if (address.isEqual(wanted, QHostAddress::TolerantConversion))
                return true;
        return false;
    }

    // Bytes the owner has read from the socket: those received less those still waiting.
    qint64 bytesTaken() const
    {
        tcp_info info {};
        socklen_t size = sizeof info;
        int waiting = 0;
        if (getsockopt(m_fd, IPPROTO_TCP, TCP_INFO, &info, &size) != 0
            || size < socklen_t(offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received)
            || ioctl(m_fd, FIONREAD, &waiting) != 0)
            return 0;
        return qint64(info.tcpi_bytes_received) - waiting;
    }

    // Shuts the socket down and drops what it received that the owner has not read: the
    // owner's next read sees the end at once, not after what is queued, read byte by byte.
    // Its receive buffer shrinks to the least, so that little more can come in meanwhile.
    void end() const
    {
        shutdown(m_fd, SHUT_RDWR);
        const int least = 1;
        setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &least, sizeof least);
        for (int i = 0; i < 1024 && recv(m_fd, nullptr, 1 << 20, MSG_TRUNC | MSG_DONTWAIT) > 0; ++i) {
        }
    }

    const int descriptor;   // the owner's

private:
    int m_fd = -1;
};

// Calls visit(socket, inode) for every socket descriptor of the process.
template <typename Visit>
void forEachSocket(Visit visit)
{
    DIR *folder = opendir("/proc/self/fd");
    if (!folder)
        return;
    const int own = dirfd(folder);
    while (const dirent *entry = readdir(folder)) {
        char *end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == own)
            continue;
        char link[64] = {};
        const QByteArray path = QByteArray("/proc/self/fd/") + entry->d_name;
        const ssize_t length = readlink(path.constData(), link, sizeof link - 1);
        const QByteArray target(link, length > 0 ? length : 0);
        if (!target.startsWith("socket:[") || !target.endsWith(']'))
            continue;
        bool ok = false;
        const quint64 inode = target.mid(8, target.size() - 9).toULongLong(&ok);
        if (!ok)
            continue;
        const HeldSocket socket(int(fd), inode);
        visit(socket, inode);
    }
    closedir(folder);
}

} // namespace

QList<TcpConnection> TcpConnectionsTo(const QList<QHostAddress> &addresses, quint16 port)
{
    QList<TcpConnection> found;
    forEachSocket([&](const HeldSocket &socket, quint64 inode) {
        if (socket.connectedTo(addresses, port))
            found.append({inode, socket.descriptor, socket.bytesTaken()});
    });
    return found;
}

bool LookAgain(TcpConnection &connection, const QList<QHostAddress> &addresses, quint16 port)
{
    const HeldSocket socket(connection.fd, connection.id);
    if (!socket.connectedTo(addresses, port))
        return false;
    connection.bytesTaken = socket.bytesTaken();
    return true;
}

int EndTcpConnections(const QList<QHostAddress> &addresses, quint16 port, const QList<quint64> &ids)
{
    int ended = 0;
    forEachSocket([&](const HeldSocket &socket, quint64 inode) {
        if ((ids.isEmpty() || ids.contains(inode)) && socket.connectedTo(addresses, port)) {
            socket.end();
            ++ended;
        }
    });
    return ended;
}
