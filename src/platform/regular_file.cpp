#include "platform/regular_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool OpenRegularFile(QFile &file)
{
    // Looked at first, so that a FIFO is never opened at all (a writer waiting at its other
    // end would take even a brief open for a reader); checked again on the open file, in
    // case another kind of file took the name in between.
    const QByteArray name = QFile::encodeName(file.fileName());
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return false;
    if (!S_ISREG(st.st_mode)) {
        errno = 0;
        return false;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

QString SizeInWords(qint64 bytes)
{
    constexpr qint64 Kb = 1024;
    if (bytes >= Kb * Kb * Kb)
        return QString::number(bytes / (Kb * Kb * Kb)) + QStringLiteral(" GB");
    if (bytes >= Kb * Kb)
        return QString::number(bytes / (Kb * Kb)) + QStringLiteral(" MB");
    if (bytes >= Kb)
        return QString::number(bytes / Kb) + QStringLiteral(" KB");
    return QString::number(bytes) + QStringLiteral(" bytes");
}
