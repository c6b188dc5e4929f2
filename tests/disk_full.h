#pragma once
// A full disk for the tests: while a DiskFull lives, no file of this process may grow past
// a given size (a few bytes unless told); past it a write fails as it does with no space
// left. And a folder that takes no new file: while a ReadOnlyFolder lives, no entry of the
// folder can be made, renamed or removed, by root too; given a file, it cannot be replaced.

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

class DiskFull
{
public:
    explicit DiskFull(rlim_t bytes = 8)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit tight = m_saved;
        tight.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &tight);
    }
    ~DiskFull() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    DiskFull(const DiskFull &) = delete;
    DiskFull &operator=(const DiskFull &) = delete;

private:
    rlimit m_saved{};
};

class ReadOnlyFolder
{
public:
    // Root writes past the mode bits, not past the immutable flag; others are held by the mode.
    explicit ReadOnlyFolder(const QString &folder) : m_path(QFile::encodeName(folder)) { set(true); }
    ~ReadOnlyFolder() { set(false); }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

private:
    void set(bool on)
    {
        const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0)
            ::close(fd);
        if (QFileInfo(QFile::decodeName(m_path)).isDir())
            ::chmod(m_path.constData(), on ? 0555 : 0755);
    }
    QByteArray m_path;
};
