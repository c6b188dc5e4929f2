#include "editions/c_download.h"

#include "platform/whole_file.h"
#include "shared/header_guard.h"
#include "shared/text_codec.h"

#include <QAuthenticator>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <cstdio>

namespace {

int g_timeoutMs = 30000;
int g_lowRateWindowMs = 30000;
int g_textTimeLimitMs = 120000;
constexpr qint64 ChunkSize = 4096;
// What the network layer may hold for a reply before it waits for the program to read.
constexpr qint64 ReadBufferSize = 256 * 1024;
const QByteArray UserAgent = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";

// "host:port" of a proxy setting: split at the last ":"; no port gives 80.
QNetworkProxy namedProxy(const QString &setting, const QString &user, const QString &password)
{
    QString host = setting.trimmed();
    quint16 port = 80;
    const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        bool ok = false;
        const uint value = host.mid(colon + 1).trimmed().toUInt(&ok);
        if (ok && value > 0 && value <= 65535)
            port = quint16(value);
        host = host.left(colon).trimmed();
    }
    return QNetworkProxy(QNetworkProxy::HttpProxy, host, port, user, password);
}

// A write that failed for want of space: the disk's or the space this process may use.
bool noSpaceLeft(int error)
{
    return error == ENOSPC || error == EFBIG || error == EDQUOT;
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

cDownload::~cDownload()
{
    if (m_reply)
        m_reply->abort();
}

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
    if (m_reply)
        m_reply->abort();
}

bool cDownload::prepareManager(const QString &proxyserver, const QString &username, const QString &password,
                               int connectiontype)
{
    delete m_manager;
    m_manager = nullptr;
    QNetworkProxy proxy;
    switch (connectiontype) {
    case Direct:
        proxy = QNetworkProxy(QNetworkProxy::NoProxy);
        break;
    case NamedProxy:
        proxy = namedProxy(proxyserver, username, password);
        if (proxy.hostName().isEmpty())
            return false;
        break;
    case Preconfigured: {
        const QList<QNetworkProxy> proxies =
            QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(makeRequest().url()));
        proxy = proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.first();
        break;
    }
    default:
        return false;
    }
    m_proxyUser = connectiontype == NamedProxy ? username : QString();
    m_proxyPassword = connectiontype == NamedProxy ? password : QString();
    m_manager = new QNetworkAccessManager(this);
    m_manager->setProxy(proxy);
    // The log-on of the connection settings answers the proxy, once; a server that asks
    // for one gets nothing.
    connect(m_manager, &QNetworkAccessManager::proxyAuthenticationRequired, this,
            [this, asked = 0](const QNetworkProxy &, QAuthenticator *authenticator) mutable {
                if (asked++ > 0 || m_proxyUser.isEmpty())
                    return;
                authenticator->setUser(m_proxyUser);
                authenticator->setPassword(m_proxyPassword);
            });
    return true;
}

QNetworkRequest cDownload::makeRequest() const
{
    QString address = m_url.trimmed();
    if (!address.contains(QLatin1String("://")))
        address.prepend(QLatin1String("http://"));
    QNetworkRequest request(QUrl(address, QUrl::TolerantMode));
    request.setHeader(QNetworkRequest::UserAgentHeader, UserAgent);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    // The byte counts are the resource's own: no compressed transfer.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setTransferTimeout(g_timeoutMs);
    return request;
}

void cDownload::fail(Failure failure, const QString &text)
{
    if (m_failure != Failure::None)
        return;
    m_failure = failure;
    m_error = text;
    if (m_reply && !m_reply->isFinished())
        m_reply->abort();
}

void cDownload::failWrite(int error)
{
    if (noSpaceLeft(error))
        fail(Failure::DiskFull, tr("The file %1 could not be written: the disk is full.").arg(m_destFile));
    else
        fail(Failure::WriteFailed, tr("The file %1 could not be written.").arg(m_destFile));
}

bool cDownload::wait(QNetworkReply *reply)
{
    if (reply->isFinished())
        return !m_stopRequested;
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connect(reply, &QObject::destroyed, &loop, &QEventLoop::quit);
    // The bytes received are sampled four times a window; a window that brought less
    // than MinBytesPerWindow ends the transfer, however steadily the bytes trickle in.
    // A server that answers with nothing at all is ended the same way.
    qint64 received = 0;
    connect(reply, &QNetworkReply::downloadProgress, &loop, [&received](qint64 bytes, qint64) { received = bytes; });
    QList<qint64> samples{0};
    QTimer rate;
    rate.setInterval(qMax(1, g_lowRateWindowMs / 4));
    connect(&rate, &QTimer::timeout, &loop, [&] {
        samples.append(received);
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
        if (left <= 0) {
            tooLate();
            return !m_stopRequested;
        }
        limit.start(int(left));
    }
    loop.exec();
    return !m_stopRequested;
}

qint64 cDownload::sizeRequest()
{
    emit Stat(QStringLiteral("Download File info ..."));
    if (!m_manager)
        return 0;
    const QNetworkRequest request = makeRequest();
    if (!request.url().isValid() || request.url().host().isEmpty())
        return 0;
    emit Stat(QStringLiteral("Download has started"));
    QPointer<QNetworkReply> reply = m_manager->head(request);
    reply->setReadBufferSize(ReadBufferSize);
    m_reply = reply;
    const HeaderGuard headerGuard(reply, m_manager->proxy());
    emit Stat(QStringLiteral("Download has started"));
    wait(reply);
    m_reply = nullptr;
    qint64 size = 0;
    if (reply) {
        // Only the exact header counts; an answer without it gives 0.
        if (reply->error() == QNetworkReply::NoError && reply->hasRawHeader("Content-Length")) {
            bool ok = false;
            size = reply->rawHeader("Content-Length").trimmed().toLongLong(&ok);
            if (!ok || size < 0)
                size = 0;
        }
        reply->deleteLater();
    }
    return size;
}

void cDownload::takeChunks(QNetworkReply *reply, QIODevice *file, QByteArray &text, bool keepText)
{
    while (m_failure == Failure::None && reply->bytesAvailable() > 0) {
        const QByteArray chunk = reply->read(ChunkSize);
        if (chunk.isEmpty())
            break;
        if (m_limit > 0 && m_count + chunk.size() > m_limit) {
            if (file && m_fileLength > 0 && m_limit == m_fileLength)
                fail(Failure::TooLarge, tr("The server sent more than the %1 bytes it announced.").arg(m_fileLength));
            else
                fail(Failure::TooLarge, tr("The answer is larger than %1 bytes.").arg(m_limit));
            return;
        }
        if (m_bodyWanted) {
            if (file && file->write(chunk) != chunk.size()) {
                failWrite(errno);
                return;
            }
            if (keepText)
                text.append(chunk);
        }
        m_count += chunk.size();
        emit Progress(m_count, m_fileLength);
    }
    // A body without a size of its own stops at the size announced for it.
    if (m_failure == Failure::None && file && !m_getHasLength && m_fileLength > 0 && m_count == m_fileLength
        && !reply->isFinished()) {
        m_stoppedAtLength = true;
        reply->abort();
    }
}

QByteArray cDownload::transfer(int dflag, qint64 offset, bool resuming)
{
    QByteArray text;
    m_count = 0;
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
    if (!m_manager)
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
    QNetworkRequest request = makeRequest();
    if (offset > 0)
        request.setRawHeader("Range", "bytes=" + QByteArray::number(offset) + '-');
    QPointer<QNetworkReply> reply = m_manager->get(request);
    reply->setReadBufferSize(ReadBufferSize);
    m_reply = reply;
    const bool keepText = !fileMode && !resuming;
    // Where the answer's own size says its body ends; -1: it gives none.
    qint64 announcedEnd = -1;
    connect(reply, &QNetworkReply::metaDataChanged, this, [&, offset] {
        if (!reply)
            return;   // stopped and gone meanwhile
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 300 && status < 400 && reply->hasRawHeader("Location"))
            return;    // a redirection that is being followed
        m_status = status;
        if (fileMode && (status < 200 || status >= 300)) {
            // An error page is no part of the file.
            m_bodyWanted = false;
            fail(Failure::Network, tr("The server answered with the status %1.").arg(status));
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
        const qint64 length = reply->rawHeader("Content-Length").trimmed().toLongLong(&known);
        m_getHasLength = known && length >= 0;
        announcedEnd = m_getHasLength ? start + length : -1;
        if (m_getHasLength && m_limit > 0 && length > m_limit - start)
            fail(Failure::TooLarge, m_limit == m_fileLength && fileMode
                                        ? tr("The server sent more than the %1 bytes it announced.").arg(m_fileLength)
                                        : tr("The answer is larger than %1 bytes.").arg(m_limit));
    });
    connect(reply, &QNetworkReply::readyRead, this, [&] {
        if (reply)
            takeChunks(reply, fileMode ? &file : nullptr, text, keepText);
    });
    const HeaderGuard headerGuard(reply, m_manager->proxy());
    wait(reply);
    m_reply = nullptr;
    if (headerGuard.overran())
        fail(Failure::Network, tr("The server's answer header is larger than %1 KiB.").arg(HeaderGuard::MaxHeaderBytes / 1024));
    // The handlers above refer to this call's own variables: a signal the reply still has
    // queued (a stopped transfer) must not reach them once the call has returned.
    if (reply)
        QObject::disconnect(reply, nullptr, this, nullptr);
    if (reply) {
        if (!m_stopRequested)
            takeChunks(reply, fileMode ? &file : nullptr, text, keepText);
        // A connection closed early may still be reported without an error.
        const bool whole = (m_fileLength <= 0 || m_count == m_fileLength) && (announcedEnd < 0 || m_count == announcedEnd);
        const bool answered = reply->error() == QNetworkReply::NoError || m_stoppedAtLength;
        m_completed = answered && m_status >= 200 && m_status < 300 && whole && !m_stopRequested
                      && m_failure == Failure::None;
        if (!m_completed && m_failure == Failure::None && !m_stopRequested)
            fail(Failure::Network, reply->error() != QNetworkReply::NoError
                                       ? reply->errorString()
                                       : tr("The transfer ended before the whole file arrived."));
        reply->deleteLater();
    }
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
    prepareManager(proxyserver, username, password, connectiontype);
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
