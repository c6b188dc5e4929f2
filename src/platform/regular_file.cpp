#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool OpenRegularFile(QFile &file)
{
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
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
