#pragma once
// Requests to web servers for the link check and the edition download, sent directly
// or through the proxy of this run's connection settings (ProxyServer, ProxyPort,
// ProxyUserId, ProxyPassword in shared/globals.h), and the small helpers around them:
// the split of HttpTarget into host and path, the connection-state words, the
// browser's proxy setting that pre-fills the connection dialog, and GetBetween.

#include <QString>
#include <QUrl>

#include <functional>

// The host HttpRequest asks when HttpTarget is empty: a well-known public web server.
extern const char *const kDefaultHttpHost;

// Sends one request and answers true when an HTTP answer came back, whatever its status
// (200, 404 and 500 alike). The first argument is not used: the address is HttpTarget,
// without "http://": the host (a ":port" may follow it), optionally followed by "/" and
// a path. secure 1 asks "https://", anything else "http://".
// A verb other than "POST" sends "GET" on HttpTarget's path; "POST" sends data as the
// body to objectPath on HttpTarget's host.
// When ProxyServer is not empty the request goes through the HTTP proxy
// "<ProxyServer>:<ProxyPort>", and ProxyUserId / ProxyPassword answer that proxy only;
// otherwise it goes directly (never through a proxy of the environment).
// A server that asks for a log-on (401) is answered once with the program's fixed
// user name and password. A proxy that asks for one (407) is answered once with
// ProxyUserId / ProxyPassword, or, when ProxyPassword is empty, with what the user
// typed into the proxy log-on dialog (asked the first time; a log-on the proxy accepted
// is kept for the rest of the run). A second refusal of either kind is the answer.
// Certificate name, date and unknown-authority errors are accepted: this is a test of
// whether the address answers, and nothing is read from the answer.
// A server that keeps its connection open is asked again on it by the next request (the
// connections are the program's own requests' alone). Cookies are not kept from one
// request to the next, nor log-ons once refused or given under other proxy settings.
// An answer whose header runs past 64 KiB (interim answers, log-on answers and redirects
// included) counts as none.
// The caller shows the wait cursor for its work. Answers false, showing nothing, when the request could
// not be sent, no answer came within the time-out, or another request is still waiting
// (a request started from the event loop while one runs is refused, not nested).
bool HttpRequest(QString &target, const QString &objectPath, const QString &verb, const QString &data,
                 int secure);
// Sends a GET to address ("http://" or "https://", fully encoded, no log-on in it) as
// HttpRequest sends one.
bool HttpGet(const QByteArray &address);

// Host part of HttpTarget: the text before the first "/", or all of it when it has none.
// An empty HttpTarget is first set to kDefaultHttpHost.
QString GetServerName();
// Path part of HttpTarget: from the first "/" (included) to the end; "" when it has none.
QString GetObjectName();

// Connection-state flags of the machine, with the classic values.
enum ConnectionStateFlag : int {
    ConnectionModem = 1,
    ConnectionLan = 2,
    ConnectionProxy = 4,
    ConnectionOffline = 32,
    ConnectionConfigured = 64,
};
// The machine's connection state: LAN and Configured when a network is reachable,
// Offline when none is, Proxy when the environment names a proxy for web addresses.
// A modem connection is not told apart from other connections here.
int ConnectionStateFlags();
// The words of flags, each with a leading blank, in the order " LAN", " Modem",
// " Proxy", " Offline", " Configured"; "" when no flag is set.
QString ConnectionStateWords(int flags);
// Empties text, puts the words of the machine's connection state into it and answers
// them.
QString ConnectionStateText(QString &text);

// The text between the first startMark and the next endMark after it, with blanks
// trimmed from both ends; "" when either mark is missing or empty.
// GetBetween("a[b]c", "[", "]") gives "b"; GetBetween("a[]b]", "[", "]") gives "".
QString GetBetween(const QString &text, const QString &startMark, const QString &endMark);

// The browser's proxy setting for protocol (for example "http"): "host:port" for a
// proxy of that protocol; otherwise the whole setting, "<proxy list>;<bypass list>"
// (";" when there is no proxy at all). Read from the environment (http_proxy,
// https_proxy, ftp_proxy, all_proxy, no_proxy).
QString GetProxyServer(const QString &protocol);
// The answer of GetProxyServer for given lists: proxyList holds blank-separated entries
// "<protocol>=<host>:<port>" or one "<host>:<port>" for every protocol; bypassList the
// blank-separated addresses reached directly.
QString ProxySettingForProtocol(const QString &proxyList, const QString &bypassList, const QString &protocol);
// The proxy and bypass lists of the environment in the form above.
void EnvironmentProxyLists(QString &proxyList, QString &bypassList);

// Asks the user for the log-on of the proxy proxyHost; user and password come in with
// the values to offer and go out with the answer. Answers false when cancelled.
using ProxyCredentialsPrompt = std::function<bool(const QString &proxyHost, QString &user, QString &password)>;
// Replaces the proxy log-on question (an empty function restores the dialog). While
// dialog scripting is on, the dialog is not shown and the question counts as cancelled.
void SetProxyCredentialsPrompt(ProxyCredentialsPrompt prompt);
// Forgets the proxy log-on the user typed in this run.
void ForgetTypedProxyLogon();

// The time-out of one request, in milliseconds (30000 unless set): a request that
// transfers nothing for that long fails, and a whole request, log-on answers included,
// never waits longer than three times that.
void SetHttpRequestTimeout(int milliseconds);
int HttpRequestTimeout();

// The HTTP status of the final answer to the last request (after the redirects it
// followed); 0 when it got no answer or none was sent yet.
int HttpRequestStatus();
// While on, a request waits with the user's input still handled, so that a window can
// offer a Stop button that calls AbortHttpRequest; the caller guards its own commands
// against re-entry meanwhile. Off unless set.
void SetHttpRequestInterruptible(bool on);
// Ends the waiting request at once: it answers false with status 0. Does nothing when
// no request waits.
void AbortHttpRequest();
