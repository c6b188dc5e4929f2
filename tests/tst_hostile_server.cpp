// Hostile web servers on 127.0.0.1 against the download (text and file mode) and the link
// check: an endless body, a trickle, a steady flow above the lowest rate, a burst followed
// by a trickle, a size that lies, a redirect loop, a header that never ends and interim
// answers without end (also against the plug-in download's three attempts); and a
// download of 1 GiB. Each client runs in a child process whose memory is limited, and must
// end with its answer before a deadline.

#include "child_run.h"
#include "local_web_server.h"

#include "editions/c_download.h"
#include "shared/http_request.h"
#include "webtools/link_check.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <memory>

namespace {

constexpr int ChildMemoryMb = 512;
constexpr int DeadlineMs = 20000;
// The child's time-outs: the link check's, the download's silence time-out and its
// low-rate window (shorter, so that it is what ends a transfer that never gets past the
// header).
constexpr int ChildLinkTimeoutMs = 1000;
constexpr int ChildSilenceMs = 2000;
constexpr int ChildWindowMs = 1000;
constexpr int ChildTextLimitMs = 3000;
constexpr qint64 ChildFileLimit = 1024 * 1024;

constexpr qint64 OneGiB = qint64(1) << 30;

using HttpStubs::pourEndlessly;

class HostileServer : public QTcpServer
{
public:
    explicit HostileServer(const QByteArray &behaviour)
        : m_behaviour(behaviour)
    {
        listen(QHostAddress::LocalHost);
        LocalWeb::serve(this, &m_seen, [this](QTcpSocket *socket, const LocalWeb::Request &request) {
            answer(socket, request.method == "HEAD", request.target);
        });
    }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1/file").arg(serverPort()); }

private:
    void answer(QTcpSocket *socket, bool head, const QByteArray &target)
    {
        const QByteArray plain = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n";
        const QByteArray block(64 * 1024, 'x');
        if (m_behaviour == "endless body") {
            socket->write(plain + "\r\n");
            if (!head)
                pourEndlessly(socket, block);
        } else if (m_behaviour == "trickle") {
            // A byte every 20 ms: never silent, never done.
            socket->write(plain + "Content-Length: 100000\r\n\r\n");
            if (!head) {
                auto *drip = new QTimer(socket);
                QObject::connect(drip, &QTimer::timeout, socket, [socket] { socket->write("x"); });
                drip->start(20);
            }
        } else if (m_behaviour == "steady above the lowest rate") {
            // 64 KiB every 250 ms, for ever.
            socket->write(plain + "\r\n");
            if (!head)
                drip(socket, block, 250);
        } else if (m_behaviour == "burst, then a trickle") {
            socket->write(plain + "\r\n");
            if (!head) {
                socket->write(QByteArray(256 * 1024, 'b'));
                drip(socket, "xxxxxxxxxx", 100);
            }
        } else if (m_behaviour == "1 GiB") {
            socket->write(plain + "Content-Length: " + QByteArray::number(OneGiB) + "\r\n\r\n");
            if (!head)
                pourEndlessly(socket, QByteArray(1024 * 1024, 'g'), OneGiB);
        } else if (m_behaviour == "lying size") {
            // The size request hears of 1000 bytes; the body has no size and no end.
            if (head) {
                socket->write(plain + "Content-Length: 1000\r\n\r\n");
            } else {
                socket->write(plain + "\r\n");
                pourEndlessly(socket, block);
            }
        } else if (m_behaviour.startsWith("announces ")) {
            // "announces N": an answer of N bytes, of which at most 4 MiB are sent.
            const qint64 size = m_behaviour.mid(10).toLongLong();
            socket->write(plain + "Content-Length: " + QByteArray::number(size) + "\r\n\r\n");
            if (!head)
                pourEndlessly(socket, block, qMin<qint64>(size, 4 << 20));
        } else if (m_behaviour.startsWith("says ")) {
            // "says H then G": the size request hears of H bytes, the download of G; 100 are sent.
            const QList<QByteArray> sizes = m_behaviour.mid(5).split(' ');
            socket->write(plain + "Content-Length: " + (head ? sizes.value(0) : sizes.value(2)) + "\r\n\r\n");
            if (!head)
                socket->write(QByteArray(100, 'x'));
            socket->disconnectFromHost();
        } else if (m_behaviour == "header after 500 ms") {
            // The header and a body of 200000 bytes, at once.
            QTimer::singleShot(500, socket, [socket, plain, head] {
                socket->write(plain + "Content-Length: 200000\r\n\r\n" + (head ? QByteArray() : QByteArray(200000, 'x')));
                socket->disconnectFromHost();
            });
        } else if (m_behaviour.startsWith("whole header of ")) {
            // A complete header of exactly N bytes, blank line included, then a body of 5.
            const QByteArray start = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\nX-Filler: ";
            const qsizetype size = m_behaviour.mid(16).toInt();
            socket->write(start.leftJustified(size - 4, 'x') + "\r\n\r\n" + (head ? "" : "hello"));
            socket->disconnectFromHost();
        } else if (m_behaviour.startsWith("header of ")) {
            // An answer whose header of N bytes never ends, sent once the client watches.
            const QByteArray start = HttpStubs::EndlessHeaderStart;
            const qsizetype size = m_behaviour.mid(10).toInt();
            QTimer::singleShot(200, socket, [socket, start, size] { socket->write(start.leftJustified(size, 'x')); });
        } else if (m_behaviour == "size grows") {
            // The size request hears of 1000 bytes, the download of 2000.
            socket->write(plain + "Content-Length: " + (head ? "1000" : "2000") + "\r\n\r\n");
            if (!head)
                socket->write(QByteArray(2000, 'x'));
        } else if (m_behaviour == "chunked, folded" || m_behaviour == "chunked, a space before the colon") {
            // The body's framing named where readers tell it differently.
            const QByteArray field = m_behaviour.endsWith("folded") ? "Transfer-Encoding:\r\n chunked" : "Transfer-Encoding : chunked";
            socket->write("HTTP/1.1 200 OK\r\n" + field + "\r\nConnection: close\r\n\r\n" + (head ? "" : "5\r\nhello\r\n0\r\n\r\n"));
            socket->disconnectFromHost();
        } else if (m_behaviour == "redirect loop") {
            socket->write("HTTP/1.1 302 Found\r\nLocation: /file\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
        } else if (m_behaviour == "huge header") {
            socket->write(HttpStubs::EndlessHeaderStart);
            pourEndlessly(socket, block);
        } else if (m_behaviour == "endless interim answers") {
            pourEndlessly(socket, HttpStubs::InterimAnswer.repeated(2000));
        } else if (m_behaviour == "no answer") {
            socket->disconnectFromHost();
        } else if (m_behaviour.startsWith("status ")) {
            socket->write("HTTP/1.1 " + m_behaviour.mid(7) + " Status\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
        } else if (m_behaviour == "forged answer behind a redirect") {
            // A redirect to /gone (which answers 404) whose body takes the client more than one
            // read, and a forged answer right behind it.
            if (target == "/gone")
                socket->write(HttpStubs::answer(404));
            else
                socket->write("HTTP/1.1 301 Moved\r\nLocation: /gone\r\nContent-Length: 200000\r\n\r\n" + QByteArray(200000, 'b')
                              + "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nforged");
        }
    }

    static void drip(QTcpSocket *socket, const QByteArray &piece, int ms)
    {
        auto *timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket, piece] { socket->write(piece); });
        timer->start(ms);
    }

    QByteArray m_behaviour;
    QList<LocalWeb::Request> m_seen;
};

const char *failureName(cDownload::Failure failure)
{
    switch (failure) {
    case cDownload::Failure::None:
        return "None";
    case cDownload::Failure::Network:
        return "Network";
    case cDownload::Failure::TooSlow:
        return "TooSlow";
    case cDownload::Failure::TooLarge:
        return "TooLarge";
    case cDownload::Failure::WriteFailed:
        return "WriteFailed";
    case cDownload::Failure::DiskFull:
        return "DiskFull";
    case cDownload::Failure::HeaderTooLarge:
        return "HeaderTooLarge";
    }
    return "?";
}

// The child: one client against the address, its answer on standard output.
int runClient(int argc, char *argv[])
{
    if (!ChildRun::limitMemory(ChildMemoryMb))
        return 3;
    QCoreApplication app(argc, argv);
    const QString client = app.arguments().value(1);
    const QString address = app.arguments().value(2);
    if (client == QLatin1String("link check")) {
        SetHttpRequestTimeout(ChildLinkTimeoutMs);
        std::printf("%s\n", LinkCheck::check(address) ? "OK" : "NO");
        return 0;
    }
    cDownload::SetTransferTimeout(ChildSilenceMs);
    cDownload::SetLowRateWindow(ChildWindowMs);
    cDownload::SetTextTimeLimit(ChildTextLimitMs);
    QTemporaryDir dir;
    cDownload down;
    down.setUrl(address);
    down.setDestFile(dir.filePath(QStringLiteral("file")));
    if (client != QLatin1String("whole file"))
        down.setMaxFileBytes(ChildFileLimit);
    if (client == QLatin1String("file, name taken meanwhile"))
        QObject::connect(&down, &cDownload::Progress, [&down](qint64 read) { read > 0 && QDir().mkpath(down.DestFile() + "/x"); });
    const bool noHost = client == QLatin1String("proxy without host");
    QString text;
    for (int attempt = 0; attempt < (client == QLatin1String("three attempts") ? 3 : 1); ++attempt)
        text = down.Download(noHost ? " :80" : QString(), QString(), QString(), noHost ? cDownload::NamedProxy : cDownload::Direct,
                             client == QLatin1String("text") || noHost ? 0 : 1);
    if (down.Completed() && client != QLatin1String("text") && QFileInfo(down.DestFile()).size() != down.BytesRead())
        return 4;
    std::printf("%s %s %lld: %s\n", down.Completed() ? "complete" : "incomplete", failureName(down.LastFailure()),
                static_cast<long long>(text.size()), qPrintable(down.ErrorText()));
    return 0;
}

} // namespace

class TestHostileServer : public QObject
{
    Q_OBJECT
private slots:
    void boundedInMemoryAndTime_data();
    void boundedInMemoryAndTime();
};

void TestHostileServer::boundedInMemoryAndTime_data()
{
    QTest::addColumn<QByteArray>("behaviour");
    QTest::addColumn<QString>("client");
    QTest::addColumn<QByteArray>("answer");
    const char *slow = "incomplete TooSlow 0: The server sent less than 1 KiB in 1 seconds.";
    const char *header = "incomplete HeaderTooLarge 0: The server's answer header is larger than 64 KiB.";
    const char *malformed = "incomplete Network 0: The server's answer header folds a line or puts a space before a colon.";
    const QList<std::tuple<const char *, const char *, const char *, const char *>> rows = {
        // behaviour, then the answer of text mode, file mode and the link check
        {"endless body", "incomplete TooLarge 0: The answer is larger than 4194304 bytes.",
         "incomplete TooLarge 0: The answer is larger than 1048576 bytes.", "OK"},
        // What trickled in before the end is the text answer.
        {"trickle", "incomplete TooSlow ", slow, "OK"},
        {"lying size", "incomplete TooLarge 0: The answer is larger than 4194304 bytes.",
         "incomplete TooLarge 0: The server sent more than the 1000 bytes it announced.", "OK"},
        // A size announced past the limit is refused before any of the body is read.
        {"announces 4194304", "complete None 4194304:", "incomplete TooLarge 0: The answer is larger than 1048576 bytes.",
         nullptr},
        {"announces 4194305", "incomplete TooLarge 0: The answer is larger than 4194304 bytes.", nullptr, nullptr},
        // Refused on the announcement alone, before the body is there; at the limit the body is awaited.
        {"says 0 then 4194305", "incomplete TooLarge 0: The answer is larger than 4194304 bytes.", nullptr, nullptr},
        {"says 0 then 4194304", "incomplete Network", nullptr, nullptr},
        {"says 0 then 1048577", nullptr, "incomplete TooLarge 0: The answer is larger than 1048576 bytes.", nullptr},
        {"says 0 then 1048576", nullptr, "incomplete Network", nullptr},
        {"says 500 then 501", nullptr, "incomplete TooLarge 0: The server sent more than the 500 bytes it announced.", nullptr},
        {"says 500 then 500", nullptr, "incomplete Network", nullptr},
        // A header is counted line by line as it is read, interim answers and redirects
        // included; one line that does not end is held to 100 KiB by itself.
        {"header after 500 ms", "complete None 200000:", "complete None 0:", "OK"},
        {"whole header of 65536", "complete None 5:", "complete None 0:", "OK"},
        {"whole header of 65537", header, header, "NO"},
        {"header of 102416", slow, slow, nullptr},
        {"header of 102417", header, header, nullptr},
        {"size grows", nullptr, "incomplete TooLarge 0: The server sent more than the 1000 bytes it announced.", nullptr},
        {"redirect loop", "incomplete Network 0: ", "incomplete Network 0: ", "NO"},
        // A header line that may be read two ways is not read at all.
        {"chunked, folded", malformed, malformed, "NO"},
        {"chunked, a space before the colon", malformed, malformed, "NO"},
        {"huge header", header, header, "NO"},
        {"endless interim answers", header, header, "NO"},
        // What came before the time limit is the text answer.
        {"steady above the lowest rate", "incomplete TooSlow ",
         "incomplete TooLarge 0: The answer is larger than 1048576 bytes.", nullptr},
        {"burst, then a trickle", nullptr, slow, nullptr},
        // A connection closed without an answer names no status.
        {"no answer", "incomplete Network 0: Empty reply from server", nullptr, nullptr},
        // An answer that is no file says why; the forged one is never read.
        {"status 403", "incomplete Network 0: The server refused access to the address.",
         "incomplete Network 0: The server refused access to the address.", nullptr},
        {"forged answer behind a redirect", "incomplete Network 16: The server answered with the status 404.",
         "incomplete Network 0: The server answered with the status 404.", "NO"},
    };
    for (const auto &[behaviour, text, file, link] : rows) {
        // (no answer given: no row)
        for (const auto &[client, answer] : {std::pair{"text", text}, {"file", file}, {"link check", link}})
            if (answer)
                QTest::addRow("%s, %s", behaviour, client) << QByteArray(behaviour) << client << QByteArray(answer);
    }
    // The plug-in download tries a failed connection three times.
    for (const char *behaviour : {"huge header", "endless interim answers"})
        QTest::addRow("%s, file, three attempts", behaviour) << QByteArray(behaviour) << "three attempts" << QByteArray(header);
    QTest::addRow("name taken meanwhile") << QByteArray("says 100 then 100") << "file, name taken meanwhile"
                                          << QByteArray("incomplete WriteFailed 0: The file ");
    QTest::addRow("proxy without host") << QByteArray("says 100 then 100") << "proxy without host"
                                        << QByteArray("incomplete Network 0: No connection could be made.");
    // The memory held stays the same however large the file.
    QTest::addRow("1 GiB, whole file") << QByteArray("1 GiB") << "whole file" << QByteArray("complete None 0:");
}

void TestHostileServer::boundedInMemoryAndTime()
{
    QFETCH(QByteArray, behaviour);
    QFETCH(QString, client);
    QFETCH(QByteArray, answer);
    HostileServer server(behaviour);
    const ChildRun::Result result = ChildRun::run(QStringLiteral("client"), {client, server.address()}, DeadlineMs);
    QVERIFY2(result.inTime, "the client did not end before the deadline");
    QVERIFY2(!result.crashed && result.exitCode == 0, "the client ran out of memory or crashed");
    // Only the start of answers whose end varies (a text cut short, a library's error text)
    // is given.
    QVERIFY2(result.output.startsWith(answer), result.output.constData());
}

int main(int argc, char *argv[])
{
    if (ChildRun::job() == QLatin1String("client"))
        return runClient(argc, argv);
    QApplication app(argc, argv);
    TestHostileServer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostile_server.moc"
