// The downloader against a web server and a proxy of the test's own: the steps it
// reports, text and file mode, a missing size, error pages, a dropped connection,
// resuming, stopping, and the log-on that goes only to the proxy.

#include "local_web_server.h"
#include "testhelper.h"

#include "editions/c_download.h"
#include "platform/whole_file.h"
#include "shared/http_request.h"
#include "webtools/link_check.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

struct Recorder {
    QStringList stats;
    QList<QPair<qint64, qint64>> progress;
    void attach(cDownload &down)
    {
        QObject::connect(&down, &cDownload::Stat, [this](const QString &s) { stats << s; });
        QObject::connect(&down, &cDownload::Progress,
                         [this](qint64 read, qint64 length) { progress.append({read, length}); });
    }
};

QByteArray bytes(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char('a' + i % 23);
    return data;
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestDownload : public QObject
{
    Q_OBJECT
private slots:
    void textModeStepsAndBody();
    void missingSizeAndErrorPage();
    void fileModeReplacesWholeFile();
    void unknownConnectionTypeFetchesNothing();
    void proxyGetsTheLogOnServerDoesNot();
    void droppedConnectionAndStop();
    void resume();
};

void TestDownload::textModeStepsAndBody()
{
    LocalWeb::Server server;
    const QByteArray body = bytes(10000);
    server.put("/data/list.txt", {body});
    cDownload down;
    Recorder rec;
    rec.attach(down);
    down.setUrl(server.address(QStringLiteral("/data/list.txt")));
    down.setUrl(QString());    // "" keeps the address

    QCOMPARE(down.Download(QStringLiteral(":"), QString(), QString(), cDownload::Direct, 0), QString::fromLatin1(body));
    QCOMPARE(rec.stats, (QStringList{"Download has started", "Download File info ...", "Download has started",
                                     "Download has started", "Downloading ... "}));
    QCOMPARE(down.FileLength(), qint64(10000));
    QCOMPARE(rec.progress.first(), qMakePair(qint64(0), qint64(10000)));
    QCOMPARE(rec.progress.last(), qMakePair(qint64(10000), qint64(10000)));
    QCOMPARE(rec.progress.at(rec.progress.size() - 2), qMakePair(qint64(10000), qint64(10000)));
    for (const auto &p : rec.progress)
        QVERIFY(p.first <= 10000);
    QVERIFY(down.Completed());
    QCOMPARE(server.count("HEAD"), 1);
    QCOMPARE(server.count("GET"), 1);
    QCOMPARE(server.seen.first().headers.value("user-agent"),
             QByteArray("Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)"));
}

void TestDownload::missingSizeAndErrorPage()
{
    LocalWeb::Server server;
    server.put("/nosize", {"no size given", 200, false});
    cDownload down;
    Recorder rec;
    rec.attach(down);
    down.setUrl(server.address(QStringLiteral("/nosize")));
    QCOMPARE(down.Download(QString(), QString(), QString(), cDownload::Direct, 0), QStringLiteral("no size given"));
    QVERIFY(down.Completed());
    for (const auto &p : rec.progress)
        QCOMPARE(p.second, qint64(0));
    // So is a size request that fails, here for its low rate (the download itself is not held to it).
    server.put("/nosize", {"size never told", 200, true, false, false, false, 0, {}, {}, {}, false, true});
    cDownload::SetLowRateWindow(400);
    const auto connection = QObject::connect(&down, &cDownload::Stat, [](const QString &step) {
        if (step == QLatin1String("Downloading ... "))
            cDownload::SetLowRateWindow(30000);
    });
    QCOMPARE(down.Download(QString(), QString(), QString(), cDownload::Direct, 0), QStringLiteral("size never told"));
    QObject::disconnect(connection);
    QVERIFY(down.Completed());
    QCOMPARE(down.FileLength(), qint64(0));

    // An error page is the answer in text mode, but not a completed transfer.
    down.setUrl(server.address(QStringLiteral("/missing")));
    QVERIFY(down.Download(QString(), QString(), QString(), cDownload::Direct, 0).contains(QLatin1String("Error 404")));
    QVERIFY(!down.Completed());
    QCOMPARE(down.HttpStatus(), 404);
    // The size of the error page is not the file's.
    QCOMPARE(down.FileLength(), qint64(0));
    // So is an answer of a status that is no success, whose text looks like content.
    server.put("/moved", {"x,Travel\r\n", 300});
    down.setUrl(server.address(QStringLiteral("/moved")));
    QCOMPARE(down.Download(QString(), QString(), QString(), cDownload::Direct, 0), QStringLiteral("x,Travel\r\n"));
    QVERIFY(!down.Completed());
}

void TestDownload::fileModeReplacesWholeFile()
{
    LocalWeb::Server server;
    const QByteArray body = bytes(9000);
    server.put("/a.zip", {body});
    QTemporaryDir dir;
    const QString dest = dir.filePath(QStringLiteral("a.zip"));
    {
        QFile old(dest);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(bytes(20000).toUpper());
    }
    cDownload down;
    down.setUrl(server.address(QStringLiteral("/a.zip")));
    down.setDestFile(dest);
    down.setDestFile(QString());
    QCOMPARE(down.DestFile(), dest);
    QCOMPARE(down.Download(QString(), QString(), QString(), cDownload::Direct, 1), QString());
    QVERIFY(down.Completed());
    QCOMPARE(fileContent(dest), body);

    // An error page never lands in the file, which stays as it was.
    down.setUrl(server.address(QStringLiteral("/gone.zip")));
    down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
    QVERIFY(!down.Completed());
    QCOMPARE(fileContent(dest), body);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.zip"});

    // A disk that fails to keep the new file leaves the old one; a FIFO is never written.
    server.put("/b.zip", {body.toUpper()});
    down.setUrl(server.address(QStringLiteral("/b.zip")));
    SetSyncFailure(EIO);
    down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
    SetSyncFailure(0);
    QVERIFY(!down.Completed());
    QCOMPARE(fileContent(dest), body);
    QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
    down.setDestFile(dir.filePath(QStringLiteral("fifo")));
    down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
    QVERIFY(!down.Completed() && !QFileInfo(dir.filePath("fifo")).isFile());

    // A file that cannot be written is reported, not thrown.
    down.setDestFile(dir.filePath(QStringLiteral("no/such/folder/b.zip")));
    down.setUrl(server.address(QStringLiteral("/a.zip")));
    down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
    QVERIFY(!down.Completed());
    QVERIFY(!down.ErrorText().isEmpty());

    // A body without a size of its own, on a connection left open, ends at the size the
    // size request gave.
    server.put("/c.zip", {body.toUpper(), 200, false, false, false, false, 1, {}, {}, "9000"});
    down.setDestFile(dest);
    down.setUrl(server.address(QStringLiteral("/c.zip")));
    down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
    QVERIFY2(down.Completed(), qPrintable(down.ErrorText()));
    QCOMPARE(fileContent(dest), body.toUpper());
}

void TestDownload::unknownConnectionTypeFetchesNothing()
{
    LocalWeb::Server server;
    server.put("/x", {"x"});
    cDownload down;
    Recorder rec;
    rec.attach(down);
    down.setUrl(server.address(QStringLiteral("/x")));
    QCOMPARE(down.Download(QString(), QString(), QString(), 3, 0), QString());
    QCOMPARE(rec.progress, (QList<QPair<qint64, qint64>>{{0, 0}, {0, 0}}));
    QCOMPARE(rec.stats, (QStringList{"Download has started", "Download File info ...", "Downloading ... "}));
    QCOMPARE(server.seen.size(), 0);
}

void TestDownload::proxyGetsTheLogOnServerDoesNot()
{
    LocalWeb::Server server;
    server.put("/data/editions.txt", {"x,Travel\r\n"});
    LocalWeb::Proxy proxy;
    cDownload down;
    down.setUrl(server.address(QStringLiteral("/data/editions.txt")));
    QCOMPARE(down.Download(proxy.hostPort(), QStringLiteral("user"), QStringLiteral("secret"), cDownload::NamedProxy, 0),
             QStringLiteral("x,Travel\r\n"));
    QVERIFY(down.Completed());
    QCOMPARE(down.FileLength(), qint64(10));
    // The proxy asks once: the log-on the size request needed goes with the transfer at once.
    QCOMPARE(proxy.seen.size(), 3);
    QCOMPARE(server.count("HEAD"), 1);
    QCOMPARE(server.count("GET"), 1);
    // A log-on written in the address goes only to a server that asks for it.
    down.setUrl(server.address(QStringLiteral("/data/editions.txt")).replace("//", "//me:pw@"));
    QCOMPARE(down.Download(QString(), QString(), QString(), cDownload::Direct, 0), QStringLiteral("x,Travel\r\n"));
    for (const LocalWeb::Request &r : server.seen) {
        QVERIFY(!r.headers.contains("authorization"));
        QVERIFY(!r.headers.contains("proxy-authorization"));
    }
    server.put("/locked", {"locked", 401, true, false, false, false, 0, {}, "WWW-Authenticate: Basic realm=\"x\"\r\n"});
    down.setUrl(server.address(QStringLiteral("/locked")).replace("//", "//me:pw@"));
    server.seen.clear();
    down.Download(QString(), QString(), QString(), cDownload::Direct, 0);
    QCOMPARE(server.seen.size(), 4);
    QCOMPARE(server.seen.last().headers.value("authorization"), "Basic " + QByteArray("me:pw").toBase64());
    QCOMPARE(down.ErrorText(), QStringLiteral("The server refused the log-on."));
    // A server a redirect led to was never sent the log-on: it asks for one.
    const QByteArray elsewhere = server.address(QStringLiteral("/locked")).replace("127.0.0.1", "localhost").toLatin1();
    server.put("/jump", {"", 302, true, false, false, false, 0, {}, "Location: " + elsewhere + "\r\n"});
    down.setUrl(server.address(QStringLiteral("/jump")).replace("//", "//me:pw@"));
    down.Download(QString(), QString(), QString(), cDownload::Direct, 0);
    QCOMPARE(down.ErrorText(), QStringLiteral("The server asks for a log-on."));

    // A wrong log-on is refused by the proxy and the call returns, saying so.
    cDownload refused;
    refused.setUrl(server.address(QStringLiteral("/data/editions.txt")));
    refused.Download(proxy.hostPort(), QStringLiteral("user"), QStringLiteral("wrong"), cDownload::NamedProxy, 0);
    QVERIFY(!refused.Completed());
    QCOMPARE(refused.ErrorText(), QStringLiteral("The proxy refused the log-on."));
}

void TestDownload::droppedConnectionAndStop()
{
    LocalWeb::Server server;
    server.put("/big.zip", {bytes(20000), 200, true, false, true});
    QTemporaryDir dir;
    cDownload down;
    Recorder rec;
    rec.attach(down);
    down.setUrl(server.address(QStringLiteral("/big.zip")));
    down.setDestFile(dir.filePath(QStringLiteral("big.zip")));
    down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
    QVERIFY(!down.Completed());
    QVERIFY(!down.ErrorText().isEmpty());
    // The bytes that came with the close are counted.
    QCOMPARE(down.BytesRead(), qint64(10000));
    QCOMPARE(rec.progress.last().first, qint64(10000));

    // Stop from a handler that runs during the transfer ends it at once: what reached the
    // transfer meanwhile is not handed on.
    server.put("/big.zip", {bytes(1000), 200, true, false, false, true});
    qint64 stoppedAt = -1;
    QObject::connect(&down, &cDownload::Progress, &down, [&](qint64 read, qint64) {
        if (read > 0 && stoppedAt < 0) {
            stoppedAt = read;
            server.lastSocket->write(QByteArray(100, 'z'));
            server.lastSocket->flush();
            QVERIFY(WebTransfer::waitForSockets(20000));
            down.StopDownload();
        }
    });
    down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
    QVERIFY(!down.Completed());
    QCOMPARE(down.BytesRead(), stoppedAt);

    // A link check of the same server given up before its header leaves the download's own
    // connection alone: the file arrives whole.
    QObject::disconnect(&down, &cDownload::Progress, &down, nullptr);
    const QByteArray streamed = bytes(200000);
    server.put("/stream.zip", {streamed, 200, true, false, false, false, 1});
    LocalWeb::Resource silent;
    silent.silent = true;
    server.put("/silent", silent);
    SetHttpRequestTimeout(300);
    bool linkAnswer = true;
    QObject::connect(&down, &cDownload::Progress, &down, [&, checked = false](qint64 read, qint64) mutable {
        if (read > 0 && !checked) {
            checked = true;
            linkAnswer = LinkCheck::check(server.address(QStringLiteral("/silent")));
        }
    });
    down.setUrl(server.address(QStringLiteral("/stream.zip")));
    down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
    SetHttpRequestTimeout(30000);
    QVERIFY(!linkAnswer);
    QVERIFY2(down.Completed(), qPrintable(down.ErrorText()));
    QCOMPARE(fileContent(down.DestFile()), streamed);

    // A reader that holds the transfer past the quiet time ends it, and is named for it. It
    // holds until the server sees the connection end; the server never ends it itself.
    QObject::disconnect(&down, &cDownload::Progress, &down, nullptr);
    server.put("/held.zip", {bytes(6 << 20), 200, true, false, false, true});
    QObject::connect(&down, &cDownload::Progress, &down, [&server, held = false](qint64 read) mutable {
        if (read > 0 && !std::exchange(held, true))
            QVERIFY(QTest::qWaitFor([&server] { return !server.lastSocket; }, 60000));
    });
    cDownload::SetTransferTimeout(300);
    down.setUrl(server.address(QStringLiteral("/held.zip")));
    down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
    cDownload::SetTransferTimeout(30000);
    QCOMPARE(down.ErrorText(), QStringLiteral("The program took nothing of the answer for 0.3 seconds."));
}

void TestDownload::resume()
{
    LocalWeb::Server server;
    const QByteArray body = bytes(30000);
    server.put("/r.zip", {body, 200, true, true});
    QTemporaryDir dir;
    const QString dest = dir.filePath(QStringLiteral("r.zip"));
    {
        QFile part(dest);
        QVERIFY(part.open(QIODevice::WriteOnly));
        part.write(body.left(12000));
    }
    cDownload down;
    Recorder rec;
    rec.attach(down);
    down.setUrl(server.address(QStringLiteral("/r.zip")));
    down.setDestFile(dest);
    qint64 from = 12000;
    down.ResumeDownload(QString(), QString(), QString(), cDownload::Direct, 1, from);
    QVERIFY(down.Completed());
    QCOMPARE(fileContent(dest), body);
    QCOMPARE(rec.stats.first(), QStringLiteral("Resume Download"));
    QCOMPARE(rec.stats.last(), QStringLiteral("Download resuming..."));
    QCOMPARE(rec.progress.first(), qMakePair(qint64(0), qint64(30000)));
    QCOMPARE(rec.progress.at(1).first, qint64(12000) + qMin<qint64>(4096, 18000));
    // A resume cut short keeps every byte that came, and counts them.
    server.put("/r.zip", {body, 200, true, true, true});
    QVERIFY(QFile::resize(dest, 12000));
    down.ResumeDownload(QString(), QString(), QString(), cDownload::Direct, 1, from);
    QCOMPARE(down.BytesRead(), qint64(21000));
    QCOMPARE(fileContent(dest), body.left(21000));

    // A server that cannot resume sends it whole, which replaces the file.
    server.put("/r.zip", {body});
    {
        QFile part(dest);
        QVERIFY(part.open(QIODevice::WriteOnly | QIODevice::Truncate));
        part.write("garbage garbage");
    }
    rec.stats.clear();
    from = -5;
    down.ResumeDownload(QString(), QString(), QString(), cDownload::Direct, 1, from);
    QCOMPARE(from, qint64(0));
    from = 10;
    down.ResumeDownload(QString(), QString(), QString(), cDownload::Direct, 1, from);
    QVERIFY(rec.stats.contains(QStringLiteral("The server does not support file download resume")));
    QCOMPARE(fileContent(dest), body);
}

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
