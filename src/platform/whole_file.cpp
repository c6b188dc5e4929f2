#include "platform/whole_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int g_syncError = 0;
int g_syncCallsLeft = 0;   // successful calls before the failures begin
bool g_unnamedRefused = false;

// A name beside target that nothing has yet: "<target>.<6 letters>.part", the target's
// name cut short where the whole would be longer than a name may be.
QByteArray scratchName(const QByteArray &target)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    constexpr qsizetype Added = 12;    // ".<6 letters>.part"
    const qsizetype nameStart = target.lastIndexOf('/') + 1;
    QByteArray name = target.left(qMin(target.size(), nameStart + NAME_MAX - Added)) + '.';
    for (int i = 0; i < 6; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
    return name + ".part";
}

// Gives the unnamed file fd the scratch name beside target; the name given, or "" (errno
// set) when none could be.
QByteArray nameUnnamed(int fd, const QByteArray &target)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray name = scratchName(target);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return name;
        if (errno != EEXIST)
            break;
    }
    return QByteArray();
}

// Writes size bytes of data to fd; false (errno set) when the disk refused part of them.
bool writeAll(int fd, const char *data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

bool SaveWholeFile(const QString &path, const QByteArray &data, QString *errorString)
{
    WholeFileWriter file(path);
    errno = 0;
    if (file.open() && file.write(data.constData(), data.size()) && file.commit())
        return true;
    if (errorString)
        *errorString = QString::fromLocal8Bit(std::strerror(errno != 0 ? errno : EIO));
    return false;
}

WholeFileWriter::WholeFileWriter(const QString &path)
{
    // Through a link, the file it names is replaced and the link stays.
    const QFileInfo info(path);
    m_target = QFile::encodeName(info.isSymLink() && info.exists() ? info.canonicalFilePath() : path);
    const qsizetype slash = m_target.lastIndexOf('/');
    m_folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : m_target.left(slash);
}

bool WholeFileWriter::open()
{
    cancel();
    // The new content goes into a file without a name in the target's folder, so that a
    // program stopped half-way leaves nothing; where the file system has no such files, into
    // one under a scratch name. It is put on the disk once, and only then renamed over the
    // target.
    // A file that may not be written is not replaced either; one that is replaced keeps its
    // permissions, and a new one has the usual ones.
    struct stat earlier {};
    const bool replacing = ::stat(m_target.constData(), &earlier) == 0;
    if (replacing && ::access(m_target.constData(), W_OK) != 0)
        return false;
    errno = EOPNOTSUPP;
    if (!g_unnamedRefused)
        m_fd = ::open(m_folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    for (int attempt = 0; m_fd < 0 && attempt < 16 && (attempt == 0 || errno == EEXIST); ++attempt) {
        m_named = scratchName(m_target);
        m_fd = ::open(m_named.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    }
    if (m_fd < 0)
        m_named.clear();
    if (m_fd >= 0 && replacing && ::fchmod(m_fd, earlier.st_mode & 07777) != 0) {
        const int error = errno;
        cancel();
        errno = error;
    }
    return m_fd >= 0;
}

// Before open() (or after a failure) there is no file: the steps fail as on a closed one.
bool WholeFileWriter::write(const char *data, qint64 size)
{
    return writeAll(m_fd, data, size);
}

bool WholeFileWriter::restart()
{
    return ::ftruncate(m_fd, 0) == 0 && ::lseek(m_fd, 0, SEEK_SET) == 0;
}

bool WholeFileWriter::commit()
{
    bool ok = SyncToDisk(m_fd);
    if (ok && m_named.isEmpty()) {
        m_named = nameUnnamed(m_fd, m_target);
        ok = !m_named.isEmpty();
    }
    ok = ok && std::rename(m_named.constData(), m_target.constData()) == 0;
    if (ok)
        m_named.clear();
    const int error = errno;
    cancel();
    errno = error;
    return ok;
}

void WholeFileWriter::cancel()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_named.isEmpty())
        ::unlink(m_named.constData());
    m_named.clear();
}

bool SyncToDisk(int fd)
{
    if (g_syncError != 0 && g_syncCallsLeft-- <= 0) {
        errno = g_syncError;
        return false;
    }
    return ::fdatasync(fd) == 0;
}

bool SyncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && SyncToDisk(fd);
    if (fd >= 0)
        ::close(fd);
    return synced;
}

void SetSyncFailure(int error, int nth)
{
    g_syncError = error;
    g_syncCallsLeft = qMax(0, nth - 1);
}

void SetUnnamedFilesRefused(bool refused)
{
    g_unnamedRefused = refused;
}
