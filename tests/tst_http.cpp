// Web requests against servers of the test's own on 127.0.0.1 (an origin server and an
// HTTP proxy in front of it), the target split, the proxy setting and the connection
// dialog.
#include "child_run.h"
#include "http_stub_servers.h"
#include "testhelper.h"

#include "editions/c_download.h"
#include "shared/form19_connection.h"
#include "shared/globals.h"
#include "shared/http_request.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QtTest>

#include <atomic>

#include <curl/curl.h>
#include <dlfcn.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

using namespace HttpStubs;

namespace {

// The library's bundle of certificates, and how often this process opened it.
QByteArray g_bundle;
std::atomic<int> g_bundleOpens{0};

FILE *countedOpen(const char *name, const char *path, const char *mode)
{
    using Open = FILE *(*)(const char *, const char *);
    if (path && !g_bundle.isEmpty() && g_bundle == path)
        ++g_bundleOpens;
    return reinterpret_cast<Open>(::dlsym(RTLD_NEXT, name))(path, mode);
}

} // namespace

// These stand in for the C library's own, for every caller in the process.
extern "C" FILE *fopen(const char *path, const char *mode)
{
    return countedOpen("fopen", path, mode);
}

extern "C" FILE *fopen64(const char *path, const char *mode)
{
    return countedOpen("fopen64", path, mode);
}

namespace {

// The local ports of this machine's connects to port on 127.0.0.1 that were not answered yet,
// as the system's table of TCP sockets lists them.
QSet<QByteArray> unansweredConnects(quint16 port)
{
    QSet<QByteArray> ports;
    for (const QByteArrayList &fields : tcpSockets()) {
        if (fields.size() > 3 && fields[2] == "0100007F" + tcpPort(port) && fields[3] == "02")
            ports.insert(fields[1]);
    }
    return ports;
}

// In a child given a certificate: the library's bundle, in a mount namespace of this process's
// own, holds it too, so that a download trusts it. False where the system allows no such
// namespace. Called before any thread starts.
bool trustCertificateOfParent()
{
    const QByteArray certificate = ChildRun::value(QStringLiteral("certificate")).toLatin1();
    CURL *easy = curl_easy_init();
    char *path = nullptr;
    curl_easy_getinfo(easy, CURLINFO_CAINFO, &path);
    const QByteArray bundle(path);
    curl_easy_cleanup(easy);
    QFile system(QFile::decodeName(bundle));
    QFile copy(QDir::temp().filePath(QStringLiteral("tst_http_bundle_%1.pem").arg(QCoreApplication::applicationPid())));
    if (certificate.isEmpty() || !system.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly)
        || copy.write(system.readAll() + '\n' + certificate) < 0 || !copy.flush())
        return false;
    const bool trusted = ::unshare(::geteuid() == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) == 0
                         && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                         && ::mount(QFile::encodeName(copy.fileName()).constData(), bundle.constData(), nullptr, MS_BIND, nullptr) == 0;
    copy.remove();    // the mount keeps what it shows
    return trusted;
}
bool g_trusted = false;

bool request(const QString &target, const QString &verb = QStringLiteral("GET"), const QString &object = QString(),
             const QString &data = QString())
{
    HttpTarget = target;
    QString unused;
    return HttpRequest(unused, object, verb, data, 0);
}

// A certificate signed by its own key for the name given (an address of 127.0.0.1 or a host
// name), valid from and until the days given (from now), for servers or for clients only;
// and its key, both as PEM.
struct Certificate {
    QByteArray pem;
    QByteArray key;
};
Certificate makeCertificate(const char *name, long fromDays, long untilDays, bool clientsOnly)
{
    EVP_PKEY *key = EVP_EC_gen("P-256");
    X509 *cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), fromDays * 86400);
    X509_gmtime_adj(X509_getm_notAfter(cert), untilDays * 86400);
    X509_NAME *subject = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>(name), -1, -1, 0);
    X509_set_issuer_name(cert, subject);
    X509_set_pubkey(cert, key);
    const QByteArray alternative = (qstrcmp(name, "127.0.0.1") == 0 ? "IP:" : "DNS:") + QByteArray(name);
    X509_EXTENSION *names = X509V3_EXT_conf_nid(nullptr, nullptr, NID_subject_alt_name, alternative.constData());
    X509_add_ext(cert, names, -1);
    X509_EXTENSION_free(names);
    if (clientsOnly) {
        X509_EXTENSION *usage = X509V3_EXT_conf_nid(nullptr, nullptr, NID_ext_key_usage, "clientAuth");
        X509_add_ext(cert, usage, -1);
        X509_EXTENSION_free(usage);
    }
    X509_sign(cert, key, EVP_sha256());
    const auto pem = [](auto write) {
        BIO *bio = BIO_new(BIO_s_mem());
        write(bio);
        char *data = nullptr;
        const long size = BIO_get_mem_data(bio, &data);
        QByteArray text(data, size);
        BIO_free(bio);
        return text;
    };
    Certificate made{pem([&](BIO *bio) { PEM_write_bio_X509(bio, cert); }),
                     pem([&](BIO *bio) { PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr); })};
    X509_free(cert);
    EVP_PKEY_free(key);
    return made;
}

// A secure web server on 127.0.0.1 that gives every request the same answer, with the certificate given.
class SecureServer : public QSslServer
{
public:
    explicit SecureServer(const Certificate &certificate, const QByteArray &reply = answer(200))
    {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(QSslCertificate(certificate.pem));
        configuration.setPrivateKey(QSslKey(certificate.key, QSsl::Ec));
        setSslConfiguration(configuration);
        connect(this, &QSslServer::pendingConnectionAvailable, this, [this, reply] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket, reply] {
                    if (socket->readAll().contains("\r\n\r\n")) {
                        socket->write(reply);
                        socket->disconnectFromHost();
                    }
                });
            }
        });
        listen(QHostAddress::LocalHost);
    }
};

} // namespace

class TestHttp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CURL *easy = curl_easy_init();
        char *path = nullptr;
        curl_easy_getinfo(easy, CURLINFO_CAINFO, &path);
        g_bundle = path;
        curl_easy_cleanup(easy);
        QVERIFY(!g_bundle.isEmpty());
    }
    void init() { resetConnectionSettings(); }
    void cleanup()
    {
        resetConnectionSettings();
        clearProxyEnvironment();
    }

    void targetSplit_data();
    void targetSplit();
    void textRoutines();
    void proxySetting_data();
    void proxySetting();
    void connectionDialog();

    void directAnswers_data();
    void directAnswers();
    void failuresAreFalse();
    void certificates_data();
    void certificates();
    void serverLogonResentOnce();
    void throughProxy_data();
    void throughProxy();
    void proxyLogonAskedOnce();
};

void TestHttp::targetSplit_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("object");
    QTest::newRow("path") << "host/dir/page.html" << "host" << "/dir/page.html";
    QTest::newRow("host alone") << "host" << "host" << "";
    QTest::newRow("trailing slash") << "host:8080/" << "host:8080" << "/";
    QTest::newRow("empty gets the default host") << "" << kDefaultHttpHost << "";
}

void TestHttp::targetSplit()
{
    QFETCH(QString, target);
    QFETCH(QString, server);
    QFETCH(QString, object);
    HttpTarget = target;
    QCOMPARE(GetServerName(), server);
    QCOMPARE(GetObjectName(), object);
    QVERIFY(!HttpTarget.isEmpty());
}

void TestHttp::textRoutines()
{
    QCOMPARE(GetBetween(QStringLiteral("a[b]c"), QStringLiteral("["), QStringLiteral("]")), QStringLiteral("b"));
    QCOMPARE(GetBetween(QStringLiteral("a[ b c ]d"), QStringLiteral("["), QStringLiteral("]")), QStringLiteral("b c"));
    QCOMPARE(GetBetween(QStringLiteral("a[b"), QStringLiteral("["), QStringLiteral("]")), QString());
    QCOMPARE(GetBetween(QStringLiteral("ab]"), QStringLiteral("["), QStringLiteral("]")), QString());
    // An end mark right after the start mark ends an empty text; it is not passed over.
    QCOMPARE(GetBetween(QStringLiteral("a[]b]"), QStringLiteral("["), QStringLiteral("]")), QString());
    QCOMPARE(GetBetween(QStringLiteral("x=\"\" y=\"v\""), QStringLiteral("\""), QStringLiteral("\"")), QString());

    QCOMPARE(ConnectionStateWords(ConnectionLan | ConnectionConfigured), QStringLiteral(" LAN Configured"));
    QCOMPARE(ConnectionStateWords(127), QStringLiteral(" LAN Modem Proxy Offline Configured"));
    QCOMPARE(ConnectionStateWords(0), QString());
    QString text = QStringLiteral("old");
    QCOMPARE(ConnectionStateText(text), text);
    QVERIFY(!text.contains(QLatin1String("old")));
}

void TestHttp::proxySetting_data()
{
    QTest::addColumn<QString>("proxyList");
    QTest::addColumn<QString>("bypassList");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::newRow("per protocol") << "ftp=x:21 http=h:8080 https=s:443" << "<local>" << "h:8080" << "h" << "8080";
    QTest::newRow("one for all") << "h:3128" << "localhost *.lan" << "h:3128;localhost;*.lan" << "h" << "3128";
    QTest::newRow("none") << "" << "" << ";" << "" << "";
    QTest::newRow("other protocols only") << "ftp=x:21" << "" << "ftp=x:21;" << "ftp=x" << "21";
}

void TestHttp::proxySetting()
{
    QFETCH(QString, proxyList);
    QFETCH(QString, bypassList);
    QFETCH(QString, setting);
    QFETCH(QString, host);
    QFETCH(QString, port);
    QCOMPARE(ProxySettingForProtocol(proxyList, bypassList, QStringLiteral("http")), setting);
    QString splitHost;
    QString splitPort;
    Form19::SplitProxySetting(setting, splitHost, splitPort);
    QCOMPARE(splitHost, host);
    QCOMPARE(splitPort, port);
}

void TestHttp::connectionDialog()
{
    TestProgramFolder home;
    clearProxyEnvironment();
    qputenv("http_proxy", "http://someone:pw@proxy.example.lan:3128/");
    qputenv("no_proxy", "localhost,.lan");
    QCOMPARE(GetProxyServer(QStringLiteral("http")), QStringLiteral("proxy.example.lan:3128"));

    {
        // Direct: the settings stay as they were, but the run's question is answered.
        ProxyServer = QStringLiteral("kept");
        Form19 form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Internet Connection"));
        QVERIFY(form.Option1->isChecked());
        QVERIFY(!form.Frame1->isEnabled());
        QCOMPARE(form.Text1->text(), QStringLiteral("proxy.example.lan"));
        QCOMPARE(form.Text2->text(), QStringLiteral("3128"));
        QCOMPARE(form.Text3->text(), Form19::LogOnUserName());
        form.Command1->click();
        QCOMPARE(ProxyConfirmed, 1);
        QCOMPARE(ProxyServer, QStringLiteral("kept"));
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }

    ProxyConfirmed = 0;
    ProxyServer.clear();
    Form19 form;
    form.show();
    form.Option2->click();
    QVERIFY(form.Frame1->isEnabled());
    // Host, user and password each get a box long enough for them.
    QCOMPARE(form.Text4->width(), form.Text1->width());
    QCOMPARE(form.Text3->width(), form.Text1->width());
    QVERIFY(form.Text4->width() >= form.Text4->fontMetrics().averageCharWidth() * 30);
    // Enter with a blank password does nothing.
    form.Text4->setText(QStringLiteral("   "));
    QTest::keyClick(form.Text4, Qt::Key_Return);
    QCOMPARE(ProxyConfirmed, 0);
    QVERIFY(form.isVisible());

    form.Text3->setText(QStringLiteral(" me "));
    form.Text4->setText(QStringLiteral("pw "));
    QTest::keyClick(form.Text4, Qt::Key_Enter);
    QCOMPARE(ProxyConfirmed, 1);
    QCOMPARE(ProxyServer, QStringLiteral("proxy.example.lan"));
    QCOMPARE(ProxyPort, QStringLiteral("3128"));
    QCOMPARE(ProxyUserId, QStringLiteral(" me "));
    QCOMPARE(ProxyPassword, QStringLiteral("pw "));
    QVERIFY(!form.isVisible());

    qunsetenv("http_proxy");
    Form19 none;
    QVERIFY(none.Text1->text().isEmpty());
    QVERIFY(none.Text2->text().isEmpty());
}

void TestHttp::directAnswers_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("requested");
    QTest::newRow("200") << "/dir/page.html" << QByteArray("/dir/page.html");
    QTest::newRow("404") << "/status/404" << QByteArray("/status/404");
    QTest::newRow("500") << "/status/500" << QByteArray("/status/500");
    QTest::newRow("host alone") << "" << QByteArray("/");
    QTest::newRow("characters an address may not hold") << "/[\\]^`?[\\]^`" << QByteArray("/%5B%5C%5D%5E%60?%5B%5C%5D%5E%60");
}

void TestHttp::directAnswers()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, requested);
    OriginServer origin;
    ProxyServerStub proxy;
    // A port without a server does not make a proxy connection.
    ProxyPort = QString::number(proxy.serverPort());
    QVERIFY(request(origin.target(path)));
    QCOMPARE(origin.seen.size(), 1);
    QCOMPARE(proxy.seen.size(), 0);
    const SeenRequest &seen = origin.seen.first();
    QCOMPARE(seen.method, QByteArray("GET"));
    QCOMPARE(seen.target, requested);
    QCOMPARE(seen.headers.value("accept-language"), QByteArray("en"));
    QCOMPARE(seen.headers.value("connection").toLower(), QByteArray("keep-alive"));
    QCOMPARE(seen.headers.value("content-type"), QByteArray("application/x-www-form-urlencoded"));
    QCOMPARE(seen.headers.value("user-agent"), QByteArray("Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)"));

    QVERIFY(request(origin.target(QStringLiteral("/ignored")), QStringLiteral("POST"), QStringLiteral("/form"),
                    QStringLiteral("a=1&b=2")));
    QCOMPARE(origin.seen.last().method, QByteArray("POST"));
    QCOMPARE(origin.seen.last().target, QByteArray("/form"));
    QCOMPARE(origin.seen.last().body, QByteArray("a=1&b=2"));
}

void TestHttp::failuresAreFalse()
{
    // Nobody listens on the port of a server that was closed.
    quint16 closedPort = 0;
    {
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        closedPort = gone.serverPort();
    }
    QVERIFY(!request(QStringLiteral("127.0.0.1:%1/").arg(closedPort)));
    QVERIFY(!request(QStringLiteral(":80/no-host")));

    // A host that never answers the connect (its queue is full: the system drops the connects
    // that come) is given up at the quiet time, after one connect: nothing was sent to send again.
    SetHttpRequestTimeout(300);
    QTcpServer full;
    full.setListenBacklogSize(0);
    QVERIFY(full.listen(QHostAddress::LocalHost));
    full.pauseAccepting();
    QTcpSocket queued;
    queued.connectToHost(QHostAddress::LocalHost, full.serverPort());
    QVERIFY(queued.waitForConnected());
    QSet<QByteArray> connects;
    QTimer look;
    connect(&look, &QTimer::timeout, [&] { connects.unite(unansweredConnects(full.serverPort())); });
    look.start(10);
    QVERIFY(!request(QStringLiteral("127.0.0.1:%1/").arg(full.serverPort())));
    QCOMPARE(connects.size(), 1);

    // A server that never answers ends in a time-out, reported as a failure; a request
    // started meanwhile from the event loop (as soon as the first one waits for its answer)
    // is refused instead of nested.
    OriginServer origin;
    SetHttpRequestTimeout(1000);
    bool nested = true;
    QTimer::singleShot(0, [&] { nested = request(origin.target(QStringLiteral("/"))); });
    QElapsedTimer clock;
    clock.start();
    const qsizetype descriptors = QDir(QStringLiteral("/proc/self/fd")).count();
    QVERIFY(!request(origin.target(QStringLiteral("/silent"))));
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(!nested);
    QCOMPARE(origin.seen.size(), 1);
    // The connection given up is closed: the server sees it end, its descriptor comes back.
    QTRY_COMPARE(origin.openConnections, 0);
    QCOMPARE(QDir(QStringLiteral("/proc/self/fd")).count(), descriptors);
    // Once the first is over, the next request goes out (with room for a loaded machine).
    SetHttpRequestTimeout(10000);
    QVERIFY(request(origin.target(QStringLiteral("/"))));
}

void TestHttp::certificates_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<long>("fromDays");
    QTest::addColumn<long>("untilDays");
    QTest::addColumn<bool>("clientsOnly");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("linkStatus");    // 0: no answer
    // The link check takes an unknown authority, another name and a certificate out of
    // date; never a certificate that is not for servers. The download takes none of them,
    // not even after the link check took one in the same run.
    const QByteArray elsewhere("elsewhere.example");
    QTest::newRow("self-signed, another name") << elsewhere << -1L << 30L << false << answer(200) << 200;
    QTest::newRow("self-signed, this address") << QByteArray("127.0.0.1") << -1L << 30L << false << answer(200) << 200;
    QTest::newRow("expired") << elsewhere << -30L << -1L << false << answer(200) << 200;
    QTest::newRow("not yet valid") << elsewhere << 1L << 30L << false << answer(200) << 200;
    QTest::newRow("for clients only") << elsewhere << -1L << 30L << true << answer(200) << 0;
    // A redirect from a secure address to a plain one is not followed: it is the answer.
    QTest::newRow("redirected to a plain address") << QByteArray("127.0.0.1") << -1L << 30L << false
                                                   << answer(301, "Location: http://127.0.0.1:1/\r\n") << 301;
}

void TestHttp::certificates()
{
    QFETCH(QByteArray, name);
    QFETCH(long, fromDays);
    QFETCH(long, untilDays);
    QFETCH(bool, clientsOnly);
    QFETCH(QByteArray, reply);
    QFETCH(int, linkStatus);
    // A child trusts the certificate its parent made.
    const QString trusted = ChildRun::value(QStringLiteral("certificate"));
    if (!trusted.isEmpty() && !g_trusted)
        QSKIP("no mount namespace of its own here: the certificate cannot be trusted");
    const Certificate made = trusted.isEmpty() ? makeCertificate(name.constData(), fromDays, untilDays, clientsOnly)
                                               : Certificate{trusted.toLatin1(), ChildRun::value(QStringLiteral("key")).toLatin1()};
    SecureServer server(made, reply);
    HttpTarget = QStringLiteral("127.0.0.1:%1/").arg(server.serverPort());
    QString unused;
    QCOMPARE(HttpRequest(unused, QString(), QStringLiteral("GET"), QString(), 1), linkStatus > 0);
    QCOMPARE(HttpRequestStatus(), linkStatus);

    cDownload down;
    down.setUrl(QStringLiteral("https://127.0.0.1:%1/list.txt").arg(server.serverPort()));
    down.Download(QString(), QString(), QString(), cDownload::Direct, 0);
    QVERIFY(!down.Completed());
    // A download that trusts the certificate is not sent on to a plain address, and says so.
    if (!trusted.isEmpty()) {
        QCOMPARE(down.ErrorText(), QStringLiteral("A secure address sent the request to a plain one."));
        return;
    }
    QCOMPARE(down.HttpStatus(), 0);
    if (linkStatus == 301) {
        const QString failed = ChildRun::runThisTest({{QStringLiteral("certificate"), QString::fromLatin1(made.pem)},
                                                      {QStringLiteral("key"), QString::fromLatin1(made.key)}}, 20000);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }
    // The store of trusted certificates is made once in the run, not for every connection.
    QCOMPARE(g_bundleOpens.load(), 1);
}

void TestHttp::serverLogonResentOnce()
{
    OriginServer origin;
    // The fixed log-on passes: sent once without, once with it.
    QVERIFY(request(origin.target(QStringLiteral("/logon"))));
    QCOMPARE(origin.seen.size(), 2);
    QVERIFY(!origin.seen[0].headers.contains("authorization"));
    QCOMPARE(origin.seen[1].headers.value("authorization"), "Basic " + QByteArray("kelp:wisp").toBase64());

    // The page of the refusal is no part of the answer's header: the log-on is sent once.
    origin.seen.clear();
    QVERIFY(request(origin.target(QStringLiteral("/biglogon"))));
    QCOMPARE(HttpRequestStatus(), 200);
    QCOMPARE(origin.seen.size(), 2);

    // A server that keeps refusing is asked twice, no more; its refusal is an answer.
    origin.seen.clear();
    QVERIFY(request(origin.target(QStringLiteral("/refuse"))));
    QCOMPARE(origin.seen.size(), 2);
    // A refusal without a log-on method has nothing to answer.
    origin.seen.clear();
    QVERIFY(request(origin.target(QStringLiteral("/status/401"))));
    QCOMPARE(origin.seen.size(), 1);
}

void TestHttp::throughProxy_data()
{
    QTest::addColumn<bool>("secure");
    QTest::newRow("plain, the log-on of the settings") << false;
    // A secure address goes through a tunnel, whose log-on the proxy asks and the user types.
    QTest::newRow("secure, a log-on typed") << true;
}

void TestHttp::throughProxy()
{
    QFETCH(bool, secure);
    OriginServer origin;
    SecureServer secureOrigin(makeCertificate("elsewhere.example", -1, 30, false), answer(404));
    ProxyServerStub proxy;
    proxy.useAsProxy();
    ProxyPassword = secure ? QString() : QStringLiteral("secret");
    int asked = 0;
    SetProxyCredentialsPrompt([&asked](const QString &, QString &, QString &password) {
        password = QStringLiteral("secret");
        return ++asked;
    });

    HttpTarget = secure ? QStringLiteral("127.0.0.1:%1/").arg(secureOrigin.serverPort()) : origin.target(QStringLiteral("/status/404"));
    QString unused;
    QVERIFY(HttpRequest(unused, QString(), QStringLiteral("GET"), QString(), secure ? 1 : 0));
    // The answer is the server's, not the tunnel's.
    QCOMPARE(HttpRequestStatus(), 404);
    QCOMPARE(asked, secure ? 1 : 0);
    // Asked once: the typed log-on goes with the next request at once.
    QCOMPARE(proxy.seen.size(), 2);
    QCOMPARE(proxy.seen.last().headers.value("proxy-authorization"), "Basic " + QByteArray("user:secret").toBase64());
    QVERIFY(proxy.seen.last().target.startsWith(secure ? "127.0.0.1:" : "http://127.0.0.1:"));
    QCOMPARE(origin.seen.size(), secure ? 0 : 1);
    // The proxy's log-on goes to the proxy only.
    for (const SeenRequest &seen : std::as_const(origin.seen)) {
        for (auto it = seen.headers.cbegin(); it != seen.headers.cend(); ++it)
            QVERIFY2(!it.value().contains(QByteArray("user:secret").toBase64()), it.key().constData());
    }

    // A download whose log-on the proxy refuses, or whose tunnel it refuses, is told so.
    cDownload down;
    down.setUrl((secure ? QStringLiteral("https://") : QStringLiteral("http://")) + HttpTarget);
    down.Download(ProxyServer + ':' + ProxyPort, ProxyUserId, QStringLiteral("wrong"), cDownload::NamedProxy, 0);
    QCOMPARE(down.ErrorText(), QStringLiteral("The proxy refused the log-on."));
    proxy.tunnelRefusal = answer(403);
    down.Download(ProxyServer + ':' + ProxyPort, ProxyUserId, QStringLiteral("secret"), cDownload::NamedProxy, 0);
    QCOMPARE(down.ErrorText(), secure ? QStringLiteral("The proxy refused to connect to the address (status 403).")
                                      : QStringLiteral("The server answered with the status 404."));
}

void TestHttp::proxyLogonAskedOnce()
{
    OriginServer origin;
    ProxyServerStub proxy;
    proxy.useAsProxy();
    int asked = 0;
    QString answerPassword;
    const ProxyCredentialsPrompt prompt = [&](const QString &host, QString &user, QString &password) {
        ++asked;
        if (host != QLatin1String("127.0.0.1") || user != QLatin1String("user") || answerPassword.isEmpty())
            return false;
        password = answerPassword;
        return true;
    };
    SetProxyCredentialsPrompt(prompt);
    const auto attempt = [&](const QString &settingsPassword, const QString &typed) {
        proxy.seen.clear();
        origin.seen.clear();
        asked = 0;
        ProxyPassword = settingsPassword;
        answerPassword = typed;
        return request(origin.target(QStringLiteral("/")));
    };

    // A wrong password of the settings is sent once, without asking the user; the
    // refusal is the answer.
    QVERIFY(attempt(QStringLiteral("wrong"), QString()));
    QCOMPARE(asked, 0);
    QCOMPARE(proxy.seen.size(), 2);
    QCOMPARE(origin.seen.size(), 0);

    // Without a password the user is asked, once, whatever the answer.
    QVERIFY(attempt(QString(), QStringLiteral("still wrong")));
    QCOMPARE(asked, 1);
    QCOMPARE(proxy.seen.size(), 2);
    QCOMPARE(proxy.seen.last().headers.value("proxy-authorization"), "Basic " + QByteArray("user:still wrong").toBase64());

    // Cancelled: nothing is sent again.
    QVERIFY(attempt(QString(), QString()));
    QCOMPARE(asked, 1);
    QCOMPARE(proxy.seen.size(), 1);
    // Likewise in the box: what was typed before Escape is not sent.
    SetProxyCredentialsPrompt({});
    QTimer escape;
    QObject::connect(&escape, &QTimer::timeout, [] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            QTest::keyClicks(box->findChild<QLineEdit *>(QStringLiteral("password")), QStringLiteral("secret"));
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    escape.start(10);
    QVERIFY(attempt(QString(), QString()));
    escape.stop();
    QCOMPARE(proxy.seen.size(), 1);
    SetProxyCredentialsPrompt(prompt);

    // A log-on the proxy accepted is not asked again in the run.
    QVERIFY(attempt(QString(), QStringLiteral("secret")));
    QCOMPARE(asked, 1);
    QCOMPARE(origin.seen.size(), 1);
    QVERIFY(attempt(QString(), QString()));
    QCOMPARE(asked, 0);
    QCOMPARE(origin.seen.size(), 1);
    // Refused later, it is forgotten: the next request asks again.
    proxy.logOn = "user:changed";
    QVERIFY(attempt(QString(), QString()));
    QCOMPARE(asked, 0);
    QVERIFY(attempt(QString(), QString()));
    QCOMPARE(asked, 1);
}

int main(int argc, char *argv[])
{
    g_trusted = ChildRun::job() == QLatin1String(ChildRun::TestJob) && trustCertificateOfParent();
    QApplication app(argc, argv);
    TestHttp test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_http.moc"
