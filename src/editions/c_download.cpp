#include "editions/c_download.h"

#include "platform/disk_space.h"
#include "platform/whole_file.h"
#include "shared/text_codec.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <cstdio>

namespace {

int g_timeoutMs = 30000;
int g_lowRateWindowMs = 30000;
int g_textTimeLimitMs = 120000;
// Progress is told every this many bytes.
constexpr qint64 ChunkSize = 4096;
// Redirects one request follows.
constexpr int MaxRedirects = 50;

// "host:port" of a proxy setting: split at the last ":"; no port gives 80.
void splitProxySetting(const QString &setting, QString &host, quint16 &port)
{
    host = setting.trimmed();
    port = 80;
    const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        bool ok = false;
        const uint value = host.mid(colon + 1).trimmed().toUInt(&ok);
        if (ok && value > 0 && value <= 65535)
            port = quint16(value);
        host = host.left(colon).trimmed();
    }
}

// A destination that may be written: a regular file, or nothing yet.
bool fileOrMissing(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() || (!info.exists() && !info.isSymLink());
}

// "2 minutes", "90 seconds"
QString durationInWords(int milliseconds)
{
    return milliseconds % 60000 == 0 ? QStringLiteral("%1 minutes").arg(milliseconds / 60000)
                                     : QStringLiteral("%1 seconds").arg(QString::number(milliseconds / 1000.0));
}

} // namespace

cDownload::cDownload(QObject *parent)
    : QObject(parent)
{
}

cDownload::~cDownload() = default;

void cDownload::SetTransferTimeout(int milliseconds)
{
    g_timeoutMs = milliseconds > 0 ? milliseconds : 30000;
}

void cDownload::SetTextTimeLimit(int milliseconds)
{
    g_textTimeLimitMs = milliseconds > 0 ? milliseconds : 120000;
}

void cDownload::SetLowRateWindow(int milliseconds)
{
    g_lowRateWindowMs = milliseconds > 0 ? milliseconds : 30000;
}

void cDownload::setUrl(const QString &url)
{
    if (!url.isEmpty())
        m_url = url;
}

void cDownload::setDestFile(const QString &path)
{
    if (!path.isEmpty())
        m_destFile = path;
}

void cDownload::StopDownload()
{
    m_stopRequested = true;
    if (m_transfer)
        m_transfer->abort();
}

bool cDownload::prepareRoute(const QString &proxyserver, const QString &username, const QString &password,
                             int connectiontype)
{
    m_route = WebTransfer::Request();
    switch (connectiontype) {
    case Direct:
        m_route.route = WebTransfer::Route::Direct;
        break;
    case NamedProxy:
        m_route.route = WebTransfer::Route::NamedProxy;
        splitProxySetting(proxyserver, m_route.proxyHost, m_route.proxyPort);
        if (m_route.proxyHost.isEmpty())
            return false;
        // The log-on of the connection settings answers the proxy, once; a server that
        // asks for one gets nothing.
        m_route.proxyUser = username;
        m_route.proxyPassword = username.isEmpty() ? QString() : password;
        break;
    case Preconfigured:
        m_route.route = WebTransfer::Route::EnvironmentProxy;
        break;
    default:
        return false;
    }
    return true;
}

WebTransfer::Request cDownload::makeRequest() const
{
    QString address = m_url.trimmed();
    if (!address.contains(QLatin1String("://")))
        address.prepend(QLatin1String("http://"));
    WebTransfer::Request request = m_route;
    request.url = QUrl(address, QUrl::TolerantMode);
    // The byte counts are the resource's own: no compressed transfer.
    request.headers = {"User-Agent: Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)",
                       "Accept-Encoding: identity"};
    request.maxRedirects = MaxRedirects;
    request.quietMs = g_timeoutMs;
    request.bulk = true;
    return request;
}

void cDownload::fail(Failure failure, const QString &text)
{
    if (m_failure != Failure::None)
        return;
    m_failure = failure;
    m_error = text;
    // The download window says why the server was given up.
    if (failure == Failure::HeaderTooLarge)
        emit Stat(text);
    if (m_transfer)
        m_transfer->abort();
}

QString cDownload::answerText(const WebTransfer &web, int status, const WebTransfer::Request &request)
{
    if (web.error() == WebTransfer::Error::InsecureRedirect)
        return web.errorText();
    const bool proxyLogon = !request.proxyUser.isEmpty() || !request.proxyPassword.isEmpty();
    switch (status) {
    case 401:
        return web.serverRefusedLogon() ? tr("The server refused the log-on.") : tr("The server asks for a log-on.");
    case 403:
        return tr("The server refused access to the address.");
    case 407:
        return proxyLogon ? tr("The proxy refused the log-on.") : tr("The proxy asks for a log-on.");
    default:
        return tr("The server answered with the status %1.").arg(status);
    }
}

void cDownload::failWrite(int error)
{
    if (NoSpaceLeft(error))
        fail(Failure::DiskFull, tr("The file %1 could not be written: the disk is full.").arg(m_destFile));
    else
        fail(Failure::WriteFailed, tr("The file %1 could not be written.").arg(m_destFile));
}

bool cDownload::wait()
{
    if (!m_transfer || !m_transfer->isRunning())
        return !m_stopRequested;
    QEventLoop loop;
    connect(m_transfer.get(), &WebTransfer::finished, &loop, &QEventLoop::quit);
    // The bytes received are sampled four times a window; a window that brought less
    // than MinBytesPerWindow ends the transfer, however steadily the bytes trickle in.
    // A server that answers with nothing at all is ended the same way.
    QList<qint64> samples{m_received};
    QTimer rate;
    rate.setInterval(qMax(1, g_lowRateWindowMs / 4));
    connect(&rate, &QTimer::timeout, &loop, [&] {
        samples.append(m_received);
        if (samples.size() <= 4)
            return;
        if (samples.last() - samples.takeFirst() < MinBytesPerWindow)
            fail(Failure::TooSlow, tr("The server sent less than 1 KiB in %1 seconds.")
                                       .arg(QString::number(g_lowRateWindowMs / 1000.0)));
    });
    rate.start();
    // A text ends within its time limit, counted from the start of the call.
    QTimer limit;
    limit.setSingleShot(true);
    const auto tooLate = [this] {
        fail(Failure::TooSlow, tr("The answer did not arrive whole within %1.").arg(durationInWords(g_textTimeLimitMs)));
    };
    connect(&limit, &QTimer::timeout, &loop, tooLate);
    if (m_textMode) {
        const qint64 left = g_textTimeLimitMs - m_textClock.elapsed();
        if (left <= 0)
            tooLate();
        else
            limit.start(int(left));
    }
    if (m_transfer->isRunning())
        loop.exec();
    return !m_stopRequested;
}

qint64 cDownload::sizeRequest()
{
    emit Stat(QStringLiteral("Download File info ..."));
    if (!m_haveRoute)
        return 0;
    WebTransfer::Request request = makeRequest();
    request.method = "HEAD";
    emit Stat(QStringLiteral("Download has started"));
    m_transfer = std::make_unique<WebTransfer>();
    m_received = 0;
    if (!m_transfer->start(request)) {
        m_transfer.reset();
        return 0;
    }
    emit Stat(QStringLiteral("Download has started"));
    wait();
    // A proxy that asked for a Basic log-on gets it with the transfer's first request.
    if (m_transfer->proxyAskedBasic())
        m_route.proxyBasicAtOnce = true;
    qint64 size = 0;
    // Only the exact header of a successful answer counts; any other answer gives 0.
    const int status = m_transfer->status();
    if (m_transfer->error() == WebTransfer::Error::None && status >= 200 && status < 300
        && m_transfer->hasHeader("content-length")) {
        bool ok = false;
        size = m_transfer->header("content-length").toLongLong(&ok);
        if (!ok || size < 0)
            size = 0;
    }
    m_transfer.reset();
    return size;
}

void cDownload::takeChunks(const QByteArray &bytes, QIODevice *file, QByteArray &text, bool keepText)
{
    if (m_failure != Failure::None)
        return;
    if (m_limit > 0 && m_count + bytes.size() > m_limit) {
        if (file && m_fileLength > 0 && m_limit == m_fileLength)
            fail(Failure::TooLarge, tr("The server sent more than the %1 bytes it announced.").arg(m_fileLength));
        else
            fail(Failure::TooLarge, tr("The answer is larger than %1 bytes.").arg(m_limit));
        return;
    }
    if (m_bodyWanted) {
        if (file && file->write(bytes) != bytes.size()) {
            failWrite(errno);
            return;
        }
        if (keepText)
            text.append(bytes);
    }
    const qint64 end = m_count + bytes.size();
    while (m_count < end) {
        m_count = qMin(end, m_count + ChunkSize);
        emit Progress(m_count, m_fileLength);
    }
    // A body without a size of its own stops at the size announced for it.
    if (m_failure == Failure::None && file && !m_getHasLength && m_fileLength > 0 && m_count == m_fileLength
        && m_transfer && m_transfer->isRunning()) {
        m_stoppedAtLength = true;
        m_transfer->abort();
    }
}

QByteArray cDownload::transfer(int dflag, qint64 offset, bool resuming)
{
    QByteArray text;
    m_count = 0;
    m_received = 0;
    m_bodyWanted = true;
    m_stoppedAtLength = false;
    m_getHasLength = false;
    const bool fileMode = dflag != 0;
    // A whole download is written beside the file and takes its place only once it is
    // complete, so a failed one leaves the earlier file as it was; a resumed one continues
    // the file itself.
    const bool inPlace = resuming && offset > 0;
    const QString written = inPlace ? m_destFile : m_destFile + QLatin1String(".part");
    QFile file(written);
    // The most this transfer may take: the announced size and the caller's limit in file
    // mode, MaxTextBytes in text mode.
    m_limit = fileMode ? m_fileLength : MaxTextBytes;
    if (fileMode && m_maxFileBytes > 0 && (m_limit <= 0 || m_limit > m_maxFileBytes))
        m_limit = m_maxFileBytes;
    WebTransfer::Request request = makeRequest();
    if (offset > 0)
        request.headers.append("Range: bytes=" + QByteArray::number(offset) + '-');
    if (!m_haveRoute || !request.url.isValid() || request.url.host().isEmpty())
        fail(Failure::Network, tr("No connection could be made."));
    else if (m_limit > 0 && m_fileLength > m_limit)
        fail(Failure::TooLarge, tr("The answer is larger than %1 bytes.").arg(m_limit));
    else if (fileMode && (!fileOrMissing(m_destFile) || !fileOrMissing(written)))
        fail(Failure::WriteFailed, tr("The file %1 could not be written: it is no regular file.").arg(m_destFile));
    // Unbuffered: a write that fails says why at once.
    else if (fileMode
             && (m_destFile.isEmpty()
                 || !file.open((inPlace ? QIODevice::ReadWrite : (QIODevice::WriteOnly | QIODevice::Truncate))
                               | QIODevice::Unbuffered)))
        fail(Failure::WriteFailed, tr("The file %1 could not be written.").arg(m_destFile));
    if (m_failure != Failure::None) {
        emit Progress(m_count, m_fileLength);
        return text;
    }
    m_transfer = std::make_unique<WebTransfer>();
    WebTransfer *web = m_transfer.get();
    const bool keepText = !fileMode && !resuming;
    // Where the answer's own size says its body ends; -1: it gives none.
    qint64 announcedEnd = -1;
    connect(web, &WebTransfer::headerDone, this, [&, offset] {
        const int status = web->status();
        m_status = status;
        if (fileMode && (status < 200 || status >= 300)) {
            // An error page is no part of the file.
            m_bodyWanted = false;
            fail(Failure::Network, answerText(*web, status, request));
            return;
        }
        qint64 start = 0;
        if (offset > 0 && status == 206) {
            start = offset;
            m_count = offset;
            if (fileMode)
                file.seek(offset);
        } else if (offset > 0) {
            emit Stat(QStringLiteral("The server does not support file download resume"));
            if (fileMode) {
                file.resize(0);
                file.seek(0);
            }
        }
        bool known = false;
        const qint64 length = web->header("content-length").toLongLong(&known);
        m_getHasLength = known && length >= 0;
        announcedEnd = m_getHasLength ? start + length : -1;
        if (m_getHasLength && m_limit > 0 && length > m_limit - start)
            fail(Failure::TooLarge, m_limit == m_fileLength && fileMode
                                        ? tr("The server sent more than the %1 bytes it announced.").arg(m_fileLength)
                                        : tr("The answer is larger than %1 bytes.").arg(m_limit));
    });
    connect(web, &WebTransfer::bodyData, this, [&](const QByteArray &bytes) {
        m_received += bytes.size();
        takeChunks(bytes, fileMode ? &file : nullptr, text, keepText);
    });
    if (!web->start(request))
        fail(Failure::Network, tr("No connection could be made."));
    wait();
    const WebTransfer::Error error = web->error();
    // A connection closed early may still be reported without an error.
    const bool whole = (m_fileLength <= 0 || m_count == m_fileLength) && (announcedEnd < 0 || m_count == announcedEnd);
    const bool answered = error == WebTransfer::Error::None || m_stoppedAtLength;
    m_completed = answered && m_status >= 200 && m_status < 300 && whole && !m_stopRequested
                  && m_failure == Failure::None;
    if (!m_completed && m_failure == Failure::None && !m_stopRequested) {
        const int tunnel = web->tunnelStatus();
        const int refused = tunnel == 407 ? 407 : m_status;
        if (error == WebTransfer::Error::HeaderTooLarge)
            fail(Failure::HeaderTooLarge, web->errorText());
        else if (tunnel >= 300 && tunnel != 407)
            fail(Failure::Network, tr("The proxy refused to connect to the address (status %1).").arg(tunnel));
        else if (refused != 0 && (refused < 200 || refused >= 300))
            fail(Failure::Network, answerText(*web, refused, request));
        else
            fail(Failure::Network, error != WebTransfer::Error::None && error != WebTransfer::Error::Aborted
                                       ? web->errorText()
                                       : tr("The transfer ended before the whole file arrived."));
    }
    m_transfer.reset();
    // What is still buffered reaches the disk only now: a full disk shows here, or when the
    // disk is asked to keep it.
    if (fileMode && m_completed && !(file.flush() && SyncToDisk(file.handle()))) {
        const int error = errno;
        m_completed = false;
        failWrite(error);
    }
    // The last, empty read.
    emit Progress(m_count, m_fileLength);
    if (fileMode) {
        file.close();
        if (!inPlace && m_completed
            && std::rename(QFile::encodeName(written).constData(), QFile::encodeName(m_destFile).constData()) != 0) {
            m_completed = false;
            fail(Failure::WriteFailed, tr("The file %1 could not be written.").arg(m_destFile));
        }
        if (!inPlace && !m_completed)
            QFile::remove(written);
    }
    if (m_failure == Failure::TooLarge)
        text.clear();    // refused whole
    return text;
}

void cDownload::beginRun(const QString &startText, const QString &transferText, const QString &proxyserver,
                         const QString &username, const QString &password, int connectiontype)
{
    m_running = true;
    m_stopRequested = false;
    m_completed = false;
    m_status = 0;
    m_count = 0;
    m_error.clear();
    m_failure = Failure::None;
    emit Stat(startText);
    m_haveRoute = prepareRoute(proxyserver, username, password, connectiontype);
    m_fileLength = sizeRequest();
    // A size request that failed counts as one that gave no size.
    m_failure = Failure::None;
    m_error.clear();
    emit Stat(transferText);
    emit Progress(0, m_fileLength);
}

QString cDownload::Download(const QString &proxyserver, const QString &username, const QString &password,
                            int connectiontype, int dflag)
{
    if (m_running)
        return QString();
    m_textMode = dflag == 0;
    m_textClock.start();
    beginRun(QStringLiteral("Download has started"), QStringLiteral("Downloading ... "), proxyserver, username,
             password, connectiontype);
    QByteArray body;
    if (!m_stopRequested)
        body = transfer(dflag, 0, false);
    m_running = false;
    if (dflag != 0)
        return QString();
    // A byte order mark before the text marks its encoding; it is not part of the text.
    QString text = DecodeUtf8OrCp1252(body);
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    return text;
}

void cDownload::ResumeDownload(const QString &proxyserver, const QString &username, const QString &password,
                               int connectiontype, int dflag, qint64 &lFrom)
{
    if (lFrom < 0)
        lFrom = 0;
    if (m_running)
        return;
    if (dflag != 0) {
        // Bytes never land past the end of what the file holds.
        const qint64 have = QFile(m_destFile).size();
        if (lFrom > have)
            lFrom = have;
    }
    m_textMode = dflag == 0;
    m_textClock.start();
    beginRun(QStringLiteral("Resume Download"), QStringLiteral("Download resuming..."), proxyserver, username,
             password, connectiontype);
    if (!m_stopRequested)
        transfer(dflag, lFrom, true);
    m_running = false;
}
