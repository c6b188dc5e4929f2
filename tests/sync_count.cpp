#include "sync_count.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex g_lock;
bool g_counting = false;
QStringList g_files;
QStringList g_folders;

// Notes the sync of fd while a SyncCount lives.
void record(int fd)
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_counting)
        return;
    struct stat st {};
    char target[4096];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t length = ::readlink(link.constData(), target, sizeof target - 1);
    if (::fstat(fd, &st) != 0 || length <= 0)
        return;
    QString path = QString::fromLocal8Bit(target, length);
    if (S_ISDIR(st.st_mode)) {
        g_folders << path;
        return;
    }
    // The kernel names a file without a name "<folder>/#<number> (deleted)".
    if (st.st_nlink == 0 && path.endsWith(QLatin1String(" (deleted)")))
        path = QFileInfo(path).path() + QLatin1Char('/');
    g_files << path;
}

template <typename Call>
Call next(const char *name)
{
    return reinterpret_cast<Call>(::dlsym(RTLD_NEXT, name));
}

} // namespace

// These stand in for the C library's own, for every caller in the process.
extern "C" int fsync(int fd)
{
    static const auto real = next<int (*)(int)>("fsync");
    record(fd);
    return real(fd);
}

extern "C" int fdatasync(int fd)
{
    static const auto real = next<int (*)(int)>("fdatasync");
    record(fd);
    return real(fd);
}

SyncCount::SyncCount()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_files.clear();
    g_folders.clear();
    g_counting = true;
}

SyncCount::~SyncCount()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_counting = false;
}

QStringList SyncCount::files() const
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_files;
}

QStringList SyncCount::folders() const
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_folders;
}
