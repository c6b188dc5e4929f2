#include "platform/regular_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool OpenRegularFile(QFile &file)
{
    // A FIFO is not even opened: its writer would see a reader. The check after the open
    // covers a file replaced in between.
    struct stat before {};
    if (::stat(QFile::encodeName(file.fileName()).constData(), &before) != 0)
        return false;
    if (!S_ISREG(before.st_mode)) {
        errno = 0;
        return false;
    }
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
