#include "shared/web_transfer.h"

#include "shared/curl_driver.h"

#include <QPointer>

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <tuple>

namespace {

// What the library may hold of a body before the program has taken it: past this, the
// transfer waits until the program has caught up.
constexpr qsizetype PauseAt = 1024 * 1024;
// The library's read buffer for a large body.
constexpr long ReceiveBuffer = 128 * 1024;

// Certificate errors a tolerant transfer accepts: an authority that is not known here and
// a certificate out of date. A name that does not match is not checked at all.
int tolerantVerify(int ok, X509_STORE_CTX *store)
{
    if (ok)
        return 1;
    switch (X509_STORE_CTX_get_error(store)) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
        X509_STORE_CTX_set_error(store, X509_V_OK);
        return 1;
    default:
        return 0;
    }
}

// The certificates a secure transfer trusts are the library's own: its bundle file and its
// folder of certificates. The library builds a store from the bundle once and keeps it for
// the later connections of its multi handle, but only when it is given no folder; so the
// folder is named here, to the store of every connection (the kept store already has it).
// folder: the library's folder (a C string), or null.
CURLcode strictContext(CURL *, void *context, void *folder)
{
    if (folder)
        X509_STORE_load_path(SSL_CTX_get_cert_store(static_cast<SSL_CTX *>(context)), static_cast<const char *>(folder));
    return CURLE_OK;
}

CURLcode tolerantContext(CURL *easy, void *context, void *folder)
{
    SSL_CTX_set_verify(static_cast<SSL_CTX *>(context), SSL_VERIFY_PEER, &tolerantVerify);
    return strictContext(easy, context, folder);
}

// The library's own folder of certificates; "" when it has none.
const QByteArray &certificateFolder(CURL *easy)
{
    static const QByteArray folder = [easy] {
        char *path = nullptr;
        curl_easy_getinfo(easy, CURLINFO_CAPATH, &path);
        return QByteArray(path);
    }();
    return folder;
}

bool isRedirect(int status)
{
    return status >= 300 && status < 400 && status != 304;
}

// The first line of an answer: "HTTP/", a version of two digits and a status of three.
bool isStatusLine(QByteArrayView line)
{
    const auto digits = [&line](qsizetype from, qsizetype count) {
        return std::all_of(line.begin() + from, line.begin() + from + count, [](char c) { return c >= '0' && c <= '9'; });
    };
    return line.size() >= 12 && line.startsWith("HTTP/") && digits(5, 1) && line[6] == '.' && digits(7, 1)
           && line[8] == ' ' && digits(9, 3) && (line.size() == 12 || line[12] == ' ');
}

// A header line that begins with a space or a tab (a field folded onto a line of its own), or
// whose field name ends in one ("Transfer-Encoding : chunked"): readers tell such a line
// differently (the library would not see that body's framing), so it is not read at all.
bool foldedOrSpacedField(QByteArrayView line)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const qsizetype colon = line.indexOf(':');
    return (!line.isEmpty() && blank(line.front())) || (colon > 0 && blank(line[colon - 1]));
}

// Whether the library kept nothing of the handle's last transfer that a later one would act
// on, beyond the answers the header callback saw (a log-on or redirect there already marks
// the handle): no log-on was asked, which the library would offer the next server at once,
// and no tunnel refused (a tunnel's answers never reach the header callback).
bool leftNothingBehind(CURL *easy)
{
    long asked = 0;
    long proxyAsked = 0;
    long tunnel = 0;
    curl_easy_getinfo(easy, CURLINFO_HTTPAUTH_AVAIL, &asked);
    curl_easy_getinfo(easy, CURLINFO_PROXYAUTH_AVAIL, &proxyAsked);
    curl_easy_getinfo(easy, CURLINFO_HTTP_CONNECTCODE, &tunnel);
    return asked == 0 && proxyAsked == 0 && (tunnel == 0 || (tunnel >= 200 && tunnel < 300));
}

// An http or https address with a host.
bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty()
           && (scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0
               || scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0);
}
bool isWebAddress(const QByteArray &encoded)
{
    const qsizetype host = encoded.startsWith("http://") ? 7 : encoded.startsWith("https://") ? 8 : 0;
    return host > 0 && encoded.size() > host && encoded.at(host) != '/';
}

// url fully encoded: QUrl leaves "[" and "]" as they are after the host, where they may not stand.
QByteArray encodedAddress(const QUrl &url)
{
    QByteArray address = url.toEncoded();
    const size_t host = size_t(address.indexOf("://") + 3);
    const size_t rest = std::string_view(address.constData(), size_t(address.size())).find_first_of("/?#", host);
    if (rest == std::string_view::npos)
        return address;
    return address.first(qsizetype(rest)) + address.sliced(qsizetype(rest)).replace('[', "%5B").replace(']', "%5D");
}

} // namespace

WebTransfer::WebTransfer(QObject *parent)
    : QObject(parent)
{
}

static_assert(CURL_ERROR_SIZE <= 256, "the transfer's error buffer holds the library's longest message");

WebTransfer::~WebTransfer()
{
    release();
}

void WebTransfer::release()
{
    if (m_easy) {
        CurlDriver *driver = CurlDriver::forThisThread();
        if (m_inMulti)
            driver->removeTransfer(this);
        CURL *easy = static_cast<CURL *>(m_easy);
        std::optional<Request> clean;
        if (m_handleClean && leftNothingBehind(easy))
            clean = m_request;
        driver->keepSpareHandle(easy, static_cast<curl_slist *>(m_headerList), std::move(clean));
        m_easy = nullptr;
        m_headerList = nullptr;
    }
    m_running = false;
}

bool WebTransfer::start(const Request &request)
{
    if (m_running || m_delivering)
        return false;
    if (request.encodedUrl.isEmpty() ? !isWebAddress(request.url) : !isWebAddress(request.encodedUrl))
        return false;
    release();
    m_request = withLogonOutOfAddress(request);
    m_finalKnown = m_headerPending = m_donePending = m_paused = m_retriedFresh = m_proxyBasic = false;
    m_logonRefused = m_onKeptConnection = false;
    m_statusLineNext = true;
    m_headerBytes = 0;
    m_connectionsMade = 0;
    m_answerStatus = m_unauthorised = m_proxyRefusals = 0;
    m_answerFields.clear();
    m_status = m_tunnelStatus = 0;
    m_fields.clear();
    m_body.clear();
    m_error = Error::None;
    m_errorText.clear();
    m_errorBuffer[0] = '\0';

    CurlDriver *driver = CurlDriver::forThisThread();
    bool configured = false;
    curl_slist *headers = nullptr;
    CURL *easy = driver->takeSpareHandle(m_request, configured, headers);
    if (!easy)
        return false;
    m_easy = easy;
    m_headerList = headers;
    m_handleClean = true;
    const QByteArray address = m_request.encodedUrl.isEmpty() ? encodedAddress(m_request.url) : m_request.encodedUrl;
    curl_easy_setopt(easy, CURLOPT_URL, address.constData());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
    if (!configured)
        setUp(easy);
    if (!driver->addTransfer(this)) {
        release();
        return false;
    }
    m_running = true;
    m_lastArrival.start();
    m_arrived = false;
    driver->checkQuietIn(qMax(1, request.quietMs));
    driver->runLibraryNow(this);
    return true;
}

bool WebTransfer::waitForSockets(int milliseconds)
{
    return CurlDriver::forThisThread()->waitForSockets(milliseconds);
}

void WebTransfer::setUp(void *handle)
{
    CURL *easy = static_cast<CURL *>(handle);
    const Request &request = m_request;
    const auto text = [](const QString &s) { return s.toUtf8(); };
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &CurlDriver::closeSocket);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, CurlDriver::forThisThread());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, request.maxRedirects > 0 ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, long(request.maxRedirects));
    if (request.bulk)
        curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, ReceiveBuffer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &WebTransfer::onHeader);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &WebTransfer::onBody);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &WebTransfer::onRequestReady);
    // A tunnel's own answer is no answer of the server's: tunnelStatus() tells it.
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (request.method == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else if (request.method == "POST") {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.body.size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, request.body.constData());
    }
    curl_slist *headers = nullptr;
    for (const QByteArray &line : request.headers)
        headers = curl_slist_append(headers, line.constData());
    // No "Expect: 100-continue" wait before a body is sent.
    if (request.method == "POST")
        headers = curl_slist_append(headers, "Expect:");
    m_headerList = headers;
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);

    switch (request.route) {
    case Route::Direct:
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
        break;
    case Route::NamedProxy: {
        QString host = request.proxyHost.trimmed();
        if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
            host = QLatin1Char('[') + host + QLatin1Char(']');
        curl_easy_setopt(easy, CURLOPT_PROXY, text(QStringLiteral("http://") + host).constData());
        curl_easy_setopt(easy, CURLOPT_PROXYPORT, long(request.proxyPort));
        // The proxy named is used for every address, whatever the environment says.
        curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
        break;
    }
    case Route::EnvironmentProxy:
        break;
    }
    if (!request.proxyUser.isEmpty() || !request.proxyPassword.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, text(request.proxyUser).constData());
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, text(request.proxyPassword).constData());
        curl_easy_setopt(easy, CURLOPT_PROXYAUTH, request.proxyBasicAtOnce ? CURLAUTH_BASIC
                                                                           : CURLAUTH_BASIC | CURLAUTH_DIGEST | CURLAUTH_NTLM);
    }
    if (!request.serverUser.isEmpty() || !request.serverPassword.isEmpty()) {
        // More than one kind allowed: the log-on goes only to a server that asks for it.
        curl_easy_setopt(easy, CURLOPT_USERNAME, text(request.serverUser).constData());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, text(request.serverPassword).constData());
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_BASIC | CURLAUTH_DIGEST | CURLAUTH_NTLM);
    }
    const QByteArray &folder = certificateFolder(easy);
    const bool contextSet = curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION,
                                             request.tolerateCertificates ? &tolerantContext : &strictContext)
                            == CURLE_OK;
    if (contextSet && !folder.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, folder.constData());
        curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    }
    if (request.tolerateCertificates) {
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
        if (!contextSet)
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
    }
}

std::optional<QByteArray> WebTransfer::field(const QByteArray &fields, QByteArrayView lowerName)
{
    std::optional<QByteArray> value;
    for (qsizetype from = 0, end = 0; from < fields.size(); from = end + 1) {
        end = fields.indexOf('\n', from);
        if (end < 0)
            end = fields.size();
        const QByteArrayView line = QByteArrayView(fields).sliced(from, end - from);
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.first(colon).trimmed().compare(lowerName, Qt::CaseInsensitive) == 0)
            value = line.sliced(colon + 1).trimmed().toByteArray();
    }
    return value;
}

WebTransfer::Request WebTransfer::withLogonOutOfAddress(Request request)
{
    // A log-on written in the address is the server's log-on, given only when it asks.
    if (request.serverUser.isEmpty() && request.serverPassword.isEmpty()) {
        request.serverUser = request.url.userName();
        request.serverPassword = request.url.password();
    }
    if (!request.url.userInfo().isEmpty()) {
        request.url.setUserInfo(QString());
        request.encodedUrl.clear();
    }
    return request;
}

void WebTransfer::abort()
{
    if (!m_running || m_donePending)
        return;
    fail(Error::Aborted, tr("The request was stopped."));
    // What arrived is not handed on after the caller's own stop.
    m_body.clear();
    end();
}

void WebTransfer::end()
{
    // Removed before it is done, the transfer's connection is closed with it.
    release();
    m_running = true;    // until finished() went out
    m_donePending = true;
    QMetaObject::invokeMethod(this, &WebTransfer::deliver, Qt::QueuedConnection);
}

void WebTransfer::fail(Error error, const QString &text)
{
    if (m_error != Error::None)
        return;
    m_error = error;
    m_errorText = text;
}

void WebTransfer::failHeaderTooLarge()
{
    fail(Error::HeaderTooLarge, tr("The server's answer header is larger than %1 KiB.").arg(MaxHeaderBytes / 1024));
}

void WebTransfer::checkQuiet()
{
    if (!m_running || m_donePending)
        return;
    stampArrival();
    const qint64 left = m_request.quietMs - m_lastArrival.elapsed();
    if (left > 0) {
        CurlDriver::forThisThread()->checkQuietIn(left);
        return;
    }
    const QString seconds = QString::number(m_request.quietMs / 1000.0);
    if (m_onKeptConnection && m_headerBytes == 0 && !m_retriedFresh && m_inMulti) {
        // Sent on a kept connection that stays silent: the request goes once more, on a
        // connection of its own (the silent one is closed). A connection that never opened
        // sent nothing: it is given up now.
        m_retriedFresh = true;
        CURL *easy = static_cast<CURL *>(m_easy);
        CurlDriver *driver = CurlDriver::forThisThread();
        driver->removeTransfer(this);
        curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
        m_handleClean = false;
        m_onKeptConnection = false;
        m_connectionsMade = 0;
        if (driver->addTransfer(this)) {
            m_lastArrival.start();
            driver->checkQuietIn(qMax(1, m_request.quietMs));
            driver->runLibrarySoon();
            return;
        }
    }
    // What arrived so far is still handed on.
    fail(Error::TimedOut, m_paused ? tr("The program took nothing of the answer for %1 seconds.").arg(seconds)
                                   : tr("The server sent nothing for %1 seconds.").arg(seconds));
    end();
}

size_t WebTransfer::onHeader(char *data, size_t size, size_t count, void *self)
{
    auto *transfer = static_cast<WebTransfer *>(self);
    const size_t length = size * count;
    transfer->m_arrived = true;
    transfer->m_headerBytes += qint64(length);
    if (transfer->m_headerBytes > MaxHeaderBytes) {
        transfer->failHeaderTooLarge();
        return 0;
    }
    if (transfer->m_finalKnown)
        return length;    // trailing fields after the body
    // Read in place: only the lines of fields are kept.
    const QByteArrayView raw(data, qsizetype(length));
    const QByteArrayView line = raw.trimmed();
    if (!transfer->m_statusLineNext && foldedOrSpacedField(raw)) {
        transfer->fail(Error::Failed, tr("The server's answer header folds a line or puts a space before a colon."));
        return 0;
    }
    if (transfer->m_statusLineNext) {
        transfer->m_statusLineNext = false;
        if (!isStatusLine(line)) {
            transfer->fail(Error::Failed, tr("The server's answer does not begin with an HTTP status line."));
            return 0;
        }
        transfer->m_answerFields.truncate(0);
        transfer->m_answerStatus = 0;
        return length;
    }
    if (!line.isEmpty()) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            transfer->m_answerFields.append(line.data(), line.size()).append('\n');
        return length;
    }
    // The end of one answer's header.
    transfer->m_statusLineNext = true;
    long status = 0;
    curl_easy_getinfo(static_cast<CURL *>(transfer->m_easy), CURLINFO_RESPONSE_CODE, &status);
    transfer->m_answerStatus = int(status);
    if (status == 401 || status == 407 || (status >= 300 && status < 400))
        transfer->m_handleClean = false;
    const Request &request = transfer->m_request;
    if (status < 200)
        return length;    // an interim answer
    // An answer the library may still follow up (a redirect, a log-on) is the final one
    // only once its body or the end comes.
    const std::optional<QByteArray> location = isRedirect(int(status)) && request.maxRedirects > 0
                                                   ? field(transfer->m_answerFields, "location")
                                                   : std::nullopt;
    if (location) {
        char *current = nullptr;
        curl_easy_getinfo(static_cast<CURL *>(transfer->m_easy), CURLINFO_EFFECTIVE_URL, &current);
        const QUrl from(QString::fromUtf8(current));
        const QUrl to = from.resolved(QUrl(QString::fromUtf8(*location)));
        if (from.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
            && to.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0) {
            transfer->takeAnswerAsFinal();
            transfer->fail(Error::InsecureRedirect, tr("A secure address sent the request to a plain one."));
            return 0;
        }
        return length;
    }
    if (status == 401 && !(request.serverUser.isEmpty() && request.serverPassword.isEmpty())
        && transfer->m_unauthorised++ == 0)
        return length;
    if (status == 407 && !(request.proxyUser.isEmpty() && request.proxyPassword.isEmpty())
        && transfer->m_proxyRefusals++ == 0)
        return length;
    transfer->takeAnswerAsFinal();
    return length;
}

int WebTransfer::onRequestReady(void *self, char *, char *, int peerPort, int localPort)
{
    auto *transfer = static_cast<WebTransfer *>(self);
    CURL *easy = static_cast<CURL *>(transfer->m_easy);
    long connections = 0;
    curl_easy_getinfo(easy, CURLINFO_NUM_CONNECTS, &connections);
    // No connection was made for this request: it goes on one the library kept, after an
    // earlier transfer or after the answer this request follows up (a redirect, a log-on).
    transfer->m_onKeptConnection = connections == transfer->m_connectionsMade;
    transfer->m_connectionsMade = connections;
    // After an answer of this transfer (the first request's connection was looked at when the
    // transfer began), bytes behind that answer or the server's close: the library finds the
    // connection closed and sends the request on a new one.
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (transfer->m_onKeptConnection && transfer->m_headerBytes > 0
        && curl_easy_getinfo(easy, CURLINFO_ACTIVESOCKET, &socket) == CURLE_OK)
        CurlDriver::forThisThread()->closeIfSpoken(socket, peerPort, localPort);
    return CURL_PREREQFUNC_OK;
}

void WebTransfer::takeAnswerAsFinal()
{
    if (m_finalKnown || m_answerStatus == 0)
        return;
    m_finalKnown = true;
    m_headerPending = true;
    m_status = m_answerStatus;
    m_fields = m_answerFields;
    // The log-on went with a request only after a first refusal, and only to the server
    // first asked (a redirect to another leaves it behind).
    m_logonRefused = m_status == 401 && m_unauthorised > 1 && answeredByFirstServer();
}

size_t WebTransfer::onBody(char *data, size_t size, size_t count, void *self)
{
    auto *transfer = static_cast<WebTransfer *>(self);
    const size_t length = size * count;
    transfer->m_arrived = true;
    transfer->takeAnswerAsFinal();
    if (transfer->m_error != Error::None)
        return CURL_WRITEFUNC_ERROR;
    if (transfer->m_body.size() >= PauseAt) {
        transfer->m_paused = true;
        transfer->m_handleClean = false;
        return CURL_WRITEFUNC_PAUSE;
    }
    transfer->m_body.append(data, qsizetype(length));
    return length;
}

void WebTransfer::libraryDone(int result)
{
    CURL *easy = static_cast<CURL *>(m_easy);
    long tunnel = 0;
    curl_easy_getinfo(easy, CURLINFO_HTTP_CONNECTCODE, &tunnel);
    m_tunnelStatus = int(tunnel);
    // (A tunnel's refusal is not seen in the header.)
    long offered = 0;
    curl_easy_getinfo(easy, CURLINFO_PROXYAUTH_AVAIL, &offered);
    m_proxyBasic = (offered & CURLAUTH_BASIC) != 0;
    if (result == CURLE_OK) {
        takeAnswerAsFinal();
    } else if (result == CURLE_TOO_MANY_REDIRECTS) {
        fail(Error::TooManyRedirects, tr("The server redirected the request more than %1 times.")
                                          .arg(m_request.maxRedirects));
    } else if (result == CURLE_OUT_OF_MEMORY && !m_finalKnown) {
        // The library refuses one header line past its own limit this way.
        failHeaderTooLarge();
    } else {
        const QString reason = QString::fromUtf8(m_errorBuffer).trimmed();
        fail(Error::Failed, reason.isEmpty() ? QString::fromUtf8(curl_easy_strerror(CURLcode(result))) : reason);
    }
    // The connection stays with the driver for a later request when the library may keep it.
    CurlDriver::forThisThread()->removeTransfer(this);
    m_donePending = true;
}

bool WebTransfer::answeredByFirstServer() const
{
    char *answered = nullptr;
    curl_easy_getinfo(static_cast<CURL *>(m_easy), CURLINFO_EFFECTIVE_URL, &answered);
    const auto server = [](const QUrl &url) {
        const bool secure = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
        return std::tuple(secure, url.host(), url.port(secure ? 443 : 80));
    };
    const QUrl first = m_request.encodedUrl.isEmpty() ? m_request.url : QUrl::fromEncoded(m_request.encodedUrl);
    return server(QUrl(QString::fromUtf8(answered))) == server(first);
}

void WebTransfer::deliver()
{
    if (m_delivering)
        return;
    m_delivering = true;
    QPointer<WebTransfer> alive(this);
    for (;;) {
        if (m_headerPending) {
            m_headerPending = false;
            emit headerDone();
        } else if (!m_body.isEmpty()) {
            QByteArray bytes;
            bytes.swap(m_body);
            emit bodyData(bytes);
            // Their room takes the next bytes, unless more came while they were handed on.
            if (alive && m_body.isEmpty()) {
                bytes.resize(0);
                m_body.swap(bytes);
            }
        } else if (m_paused && m_easy && !m_donePending && m_error == Error::None) {
            // The library hands on what it kept, and goes on reading.
            m_paused = false;
            curl_easy_pause(static_cast<CURL *>(m_easy), CURLPAUSE_CONT);
            CurlDriver::forThisThread()->runLibrarySoon();
        } else if (m_donePending) {
            m_donePending = false;
            m_body.clear();
            release();
            m_delivering = false;
            m_running = false;
            emit finished();
            return;
        } else {
            break;
        }
        if (!alive)
            return;
    }
    m_delivering = false;
}
