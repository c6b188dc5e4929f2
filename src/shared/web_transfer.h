#pragma once
// One web request of the program's own: a GET, HEAD or POST over HTTP or HTTPS, sent
// directly, through a named HTTP proxy or through the proxy the environment names, on
// connections that belong to the program's own requests alone. Transfers run from the
// event loop of the thread that made them: the caller keeps its windows working and may
// end a transfer at any moment.
//
// Every answer is bounded where it is read: the header of the final answer, interim
// answers, refused log-ons and followed redirects included, may hold MaxHeaderBytes in
// all (one unfinished header line is also bounded by the library below); past that the
// transfer ends with HeaderTooLarge. A transfer that receives nothing for its quiet
// time ends with TimedOut. What a caller takes of the body, and how fast it must come,
// is the caller's to decide. An answer that does not begin with "HTTP/x.y nnn" fails.
//
// A connection is used again only after an answer the library read to its end with nothing
// behind it: a connection that receives anything while it waits, or whose transfer failed,
// is closed; so is one that received anything after a redirect or a log-on answer, before
// the request that follows it goes out (on it, when it is clean). A request sent on a kept
// connection that stays silent for the quiet time is sent once more on a new one; a
// connection that never opens is given up at the quiet time.

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

class WebTransfer : public QObject
{
    Q_OBJECT
public:
    // The most a server may send before the header of its final answer is complete.
    static constexpr qint64 MaxHeaderBytes = 64 * 1024;

    enum class Route { Direct, NamedProxy, EnvironmentProxy };

    struct Request {
        QUrl url;
        // The address as it is sent ("http://" or "https://", fully encoded, without a
        // log-on), for a caller that has it so: url is then not looked at.
        QByteArray encodedUrl;
        QByteArray method = "GET";       // "GET", "HEAD" or "POST"
        QByteArray body;                 // sent by a POST
        QList<QByteArray> headers;       // "Name: value"
        Route route = Route::Direct;
        QString proxyHost;               // NamedProxy
        quint16 proxyPort = 80;
        // Given to the proxy or to the server when it asks for a log-on, once; empty: none.
        QString proxyUser;
        QString proxyPassword;
        QString serverUser;             // when empty, the log-on written in url, if any
        QString serverPassword;
        // The proxy is known to take a Basic log-on: it goes with the first request, not
        // only once the proxy asked for it.
        bool proxyBasicAtOnce = false;
        // Accepts a certificate whose name does not match, that is out of date or whose
        // authority is not known here (for a test of whether an address answers).
        bool tolerateCertificates = false;
        int maxRedirects = 10;           // redirects followed, never from https to http
        int quietMs = 30000;             // nothing received for this long ends the transfer
        bool bulk = false;               // a large body is read: the library reads more at a time
    };

    enum class Error {
        None,
        Aborted,          // ended by abort()
        TimedOut,         // nothing arrived for quietMs
        HeaderTooLarge,   // the answer's header ran past MaxHeaderBytes
        TooManyRedirects,
        InsecureRedirect, // a secure address sent to a plain one: its answer is the final one
        Failed,           // no connection, a dropped connection, a refused certificate, ...
    };

    explicit WebTransfer(QObject *parent = nullptr);
    // Ends the transfer under way, quietly.
    ~WebTransfer() override;
    WebTransfer(const WebTransfer &) = delete;
    WebTransfer &operator=(const WebTransfer &) = delete;

    // Starts request; false (and nothing is sent, no signal comes) when it cannot be made:
    // no host, a scheme other than http and https, a transfer of this object under way.
    bool start(const Request &request);
    // Ends the transfer at once, with its connection; finished() follows from the event loop.
    void abort();
    bool isRunning() const { return m_running; }
    // Waits at most milliseconds for what the transfers of this thread wait for, outside the
    // event loop: for a caller that blocks while a nearby server answers. What arrives is
    // handed on as from the event loop; false when nothing came in that time.
    static bool waitForSockets(int milliseconds);

    // The final answer, once headerDone() came: its status, and its header fields by name in
    // lower case (a repeated field holds its last value).
    int status() const { return m_status; }
    bool hasHeader(const QByteArray &lowerName) const { return field(m_fields, lowerName).has_value(); }
    QByteArray header(const QByteArray &lowerName) const { return field(m_fields, lowerName).value_or(QByteArray()); }
    // The status the proxy gave a tunnel (CONNECT) to a secure address; 0 when none was asked.
    int tunnelStatus() const { return m_tunnelStatus; }
    // The proxy asked for a log-on, and a Basic one would do; once finished() came.
    bool proxyAskedBasic() const { return m_proxyBasic; }
    // The final answer (401) refuses the server's log-on that went with its request; false
    // when the server that asked was never sent one.
    bool serverRefusedLogon() const { return m_logonRefused; }
    Error error() const { return m_error; }
    // The reason of a failure in words; "" when there is none.
    QString errorText() const { return m_errorText; }

signals:
    // The header of the final answer is complete.
    void headerDone();
    // Bytes of the final answer's body, in order.
    void bodyData(const QByteArray &bytes);
    // The transfer ended; error() tells how. Every byte of the body that arrived was handed
    // on before, unless the caller ended the transfer with abort().
    void finished();

private:
    friend class CurlDriver;
    static size_t onHeader(char *data, size_t size, size_t count, void *self);
    static size_t onBody(char *data, size_t size, size_t count, void *self);
    // Called by the driver when the library is done with the transfer.
    void libraryDone(int result);
    // Hands what arrived to the signals, outside the library's calls.
    void deliver();
    void takeAnswerAsFinal();
    // The library's call before each request goes out, on the connection it made or kept.
    static int onRequestReady(void *self, char *peerAddress, char *localAddress, int peerPort, int localPort);
    // The final answer came from the scheme, host and port the request was first sent to.
    bool answeredByFirstServer() const;
    static Request withLogonOutOfAddress(Request request);
    // The value of the last field named lowerName (in any case) among fields, lines of
    // "name: value"; nothing when none is.
    static std::optional<QByteArray> field(const QByteArray &fields, QByteArrayView lowerName);
    // Gives the library's handle every setting of m_request but those of this object.
    void setUp(void *easy);
    // Ends the transfer at once; finished() follows from the event loop.
    void end();
    void release();
    void fail(Error error, const QString &text);
    void failHeaderTooLarge();
    // Notes the moment when bytes arrived since the last look (the driver looks after every
    // call of the library, not at every byte).
    void stampArrival()
    {
        if (m_arrived) {
            m_arrived = false;
            m_lastArrival.start();
        }
    }
    // Ends the transfer when nothing arrived for its quiet time, else tells the driver when to look again.
    void checkQuiet();

    void *m_easy = nullptr;         // CURL *
    void *m_headerList = nullptr;   // curl_slist *
    Request m_request;
    bool m_running = false;
    bool m_inMulti = false;
    bool m_delivering = false;
    bool m_paused = false;
    bool m_finalKnown = false;
    bool m_headerPending = false;
    bool m_donePending = false;
    bool m_statusLineNext = true;   // the next header line starts an answer
    bool m_retriedFresh = false;
    bool m_proxyBasic = false;
    bool m_logonRefused = false;
    // The last request went on a connection kept from before; the connections the library
    // made for the transfer by then.
    bool m_onKeptConnection = false;
    long m_connectionsMade = 0;
    // The handle may be used again as it is set up: no setting of this transfer's own was
    // changed on it while it ran, and no answer asked a log-on or sent it elsewhere.
    bool m_handleClean = false;
    qint64 m_headerBytes = 0;
    int m_answerStatus = 0;
    int m_unauthorised = 0;
    int m_proxyRefusals = 0;
    QByteArray m_answerFields;      // the header fields of the answer being read, a line each
    int m_status = 0;
    int m_tunnelStatus = 0;
    QByteArray m_fields;            // those of the final answer
    QByteArray m_body;              // received, not yet handed on
    Error m_error = Error::None;
    QString m_errorText;
    char m_errorBuffer[256] = {};   // the library's words for a failure
    QElapsedTimer m_lastArrival;
    bool m_arrived = false;    // bytes came that m_lastArrival does not count yet
};
