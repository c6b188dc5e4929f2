#include "platform/disk_space.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <cerrno>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

bool DiskLacksRoomFor(const QString &folder, qint64 bytes)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && qint64(limit.rlim_cur) < bytes)
        return true;
    const QStorageInfo disk(folder);
    return disk.isValid() && disk.bytesAvailable() < bytes;
}

bool NoSpaceLeft(int error)
{
    return error == ENOSPC || error == EFBIG || error == EDQUOT;
}

WriteFault WhyWriteFailed(const QString &folder, qint64 bytes, QString *unwritable)
{
    QString at = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    while (!QFileInfo(at).isDir() && QFileInfo(at).dir().path() != at)
        at = QFileInfo(at).dir().path();
    // The mode bits do not bind every user (root writes past them), so a file is made and
    // removed again: only that shows whether the folder takes one.
    QByteArray probe = QFile::encodeName(at + QStringLiteral("/.write-test-XXXXXX"));
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        if (errno == ENOSPC || errno == EDQUOT)
            return WriteFault::DiskFull;
        if (errno == EACCES || errno == EPERM || errno == EROFS) {
            if (unwritable)
                *unwritable = at;
            return WriteFault::FolderReadOnly;
        }
        return DiskLacksRoomFor(at, bytes) ? WriteFault::DiskFull : WriteFault::Unknown;
    }
    ::close(fd);
    ::unlink(probe.constData());
    return DiskLacksRoomFor(at, bytes) ? WriteFault::DiskFull : WriteFault::Unknown;
}
