#pragma once
// This process's TCP connections to one peer, seen from outside the code that owns them:
// how many bytes each has taken from its socket so far, and a way to end one at once.
// Ending a connection shuts its socket down: the owner's next read sees the end of the
// stream, even when the owner is busy in another thread and never returns to its event
// loop. The owner still closes its descriptor itself.

#include <QHostAddress>
#include <QList>

struct TcpConnection {
    quint64 id = 0;            // the socket's inode: the same connection keeps it
    int fd = -1;               // the owner's descriptor of it when last seen
    qint64 bytesTaken = 0;     // received and read by the owner
};

// The connected TCP sockets of this process whose peer is one of addresses at port: a
// look through every descriptor of the process.
QList<TcpConnection> TcpConnectionsTo(const QList<QHostAddress> &addresses, quint16 port);
// Looks at one connection found earlier again, through its descriptor alone: updates its
// bytes, or answers false when the descriptor no longer holds that connection to
// addresses at port.
bool LookAgain(TcpConnection &connection, const QList<QHostAddress> &addresses, quint16 port);

// Ends the connections to addresses at port whose ids are given (every one of them when
// ids is empty); answers how many were ended.
int EndTcpConnections(const QList<QHostAddress> &addresses, quint16 port, const QList<quint64> &ids = {});
