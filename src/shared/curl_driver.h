#pragma once
// Runs the web transfers of one thread through libcurl's multi interface, told of its
// time-outs by a timer of the event loop and of the sockets' readiness by one epoll set that
// a single socket notifier watches. The library's socket callback only edits that set: a
// socket watched or dropped costs the event loop no turn of its own, and a connection opened,
// used and closed within a request leaves the loop's own watches as they were.
//
// The driver also keeps the easy handle the last finished transfer left, for the next one,
// and the connections the library keeps between requests: one that receives anything or is
// closed while it waits is not used again.

#include "shared/web_transfer.h"

#include <QBasicTimer>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

class CurlDriver : public QObject
{
public:
    // The driver of the calling thread, made on first use; it goes with the application.
    static CurlDriver *forThisThread();
    ~CurlDriver() override;

    // A handle for a new transfer: the one a finished transfer left, or a new one. The one
    // left comes as it was set up when its last transfer asked for the same setup and its
    // answers left the library nothing of their own to remember (configured: true, its
    // header lines with it); otherwise it comes with every setting at its default.
    CURL *takeSpareHandle(const WebTransfer::Request &request, bool &configured, curl_slist *&headers);
    // Keeps a finished transfer's handle for the next one. reusableSetup: the transfer's
    // setup, when the handle may be used again as it is set up.
    void keepSpareHandle(CURL *easy, curl_slist *headers, std::optional<WebTransfer::Request> reusableSetup);

    // Hands the transfer's handle to the library; kept connections that spoke or closed while
    // they waited are closed first. The library asks to be run at once: the caller does that
    // (runLibraryNow(), runLibrarySoon()).
    bool addTransfer(WebTransfer *transfer);
    // Takes the transfer's handle from the library; a connection it was using and did not
    // finish with is closed.
    void removeTransfer(WebTransfer *transfer);
    // Lets the library start what was just added at once; what it has to tell goes out from
    // the event loop, at its next turn, without another pass of the library.
    void runLibraryNow(const WebTransfer *transfer);
    // Lets the library go on with what it holds from the event loop, outside of its own calls.
    void runLibrarySoon() { m_libraryTimer.start(0); }

    // Waits at most milliseconds for a socket of the transfers, or for the library's own time,
    // without a turn of the event loop; what is ready goes to the library and what it tells
    // goes out, as from the event loop. False when nothing came in that time.
    bool waitForSockets(int milliseconds);

    // The transfers' quiet times share one timer, set for the earliest end a transfer asked
    // for; when it comes, each transfer looks at its own (WebTransfer::checkQuiet()).
    void checkQuietIn(qint64 milliseconds);

    // Closes the connection on socket, the one the library keeps for a request it is about to
    // send to peerPort from localPort, when anything arrived on it or its server closed it:
    // the library then sends the request on a new one. True when it was closed.
    bool closeIfSpoken(curl_socket_t socket, int peerPort, int localPort);

    // The library's close-socket callback: every socket of the transfers is closed here, its
    // watch first. (Closed, the socket leaves the epoll set by itself: no descriptor of it is
    // shared.)
    static int closeSocket(void *self, curl_socket_t socket);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    struct Watch {
        uint32_t events = 0;  // what the epoll set waits for on it (0: it is not in the set)
        bool idle = false;    // the library does not wait on it now
        bool kept = false;    // kept by the library for a later request
        CURL *easy = nullptr; // the transfer that used it last
    };

    explicit CurlDriver(QObject *parent);

    // The library's callbacks: what to watch a socket for, and when to run it next.
    static int onLibrarySocket(CURL *easy, curl_socket_t socket, int what, void *self, void *);
    static int onLibraryTimer(CURLM *, long milliseconds, void *self);
    // Makes the epoll set wait for events on the socket (none: drops it from the set).
    void setWatch(curl_socket_t socket, Watch *watch, uint32_t events);

    // Marks the connection a finished transfer left as waiting for the next request.
    void markConnectionKept(CURL *easy);
    // Ends a kept connection that must not be used again: what it holds is dropped, and the
    // library finds it closed, as by its server, when it next looks at it. watch: its watch, if any.
    void closeKeptConnection(curl_socket_t socket, Watch *watch);
    // Whether anything arrived on socket, or its server closed it.
    static bool spoke(curl_socket_t socket);
    // Kept connections that received anything, or were closed, while they waited are not used
    // again.
    void closeKeptConnectionsThatSpoke();

    // Tells the transfers the library is done with; true when there was one.
    bool collectFinishedTransfers();
    // The sockets that are ready, each told to the library; then what it has to tell goes out.
    void onSocketsReady();
    // What a socket the library waits on is ready for, told as the library takes it: a
    // socket that failed or was hung up on is ready for what it waits, as with poll().
    static int libraryEventFor(const Watch &watch, bool in, bool out, bool failed);
    void runLibraryOn(curl_socket_t socket, int event);
    // The signals go out once the library's calls are over: a receiver may run an event loop
    // of its own, or end or delete the transfer.
    void handOnWhatArrived();

    static thread_local CurlDriver *s_driver;
    CURLM *m_multi = nullptr;
    QTimer m_libraryTimer;
    QTimer m_handOnTimer;    // what the library told while a transfer started goes out
    bool m_adding = false;    // a transfer is being added: the library's timer is not followed
    QBasicTimer m_quietTimer;
    QDeadlineTimer m_quietDue;    // when m_quietTimer comes
    int m_epoll = -1;
    std::unique_ptr<QSocketNotifier> m_ready;
    // Walked at every request: containers whose walk costs their entries alone.
    std::unordered_map<curl_socket_t, Watch> m_watches;
    std::unordered_set<WebTransfer *> m_transfers;
    QList<QPointer<WebTransfer>> m_done;   // done, not yet told
    CURL *m_spare = nullptr;
    curl_slist *m_spareHeaders = nullptr;    // set on m_spare
    std::optional<WebTransfer::Request> m_spareSetup; // what m_spare is set up for, when it may be kept
};
