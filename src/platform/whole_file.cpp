#include "platform/whole_file.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

int g_syncError = 0;
int g_syncCallsLeft = 0;   // successful calls before the failures begin

} // namespace

bool SaveWholeFile(const QString &path, const QByteArray &data, QString *errorString)
{
    QSaveFile file(path);
    // write() only fills a buffer: flush() is where a full disk shows, and commit() would
    // otherwise rename the cut-short file over the earlier one.
    errno = 0;
    const bool written = file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.flush()
                         && SyncToDisk(file.handle());
    const int writeErrno = errno;
    if (written && file.commit())
        return true;
    if (errorString) {
        // A failed flush leaves no text of its own, only the system's error number.
        *errorString = !written && writeErrno != 0 ? QString::fromLocal8Bit(std::strerror(writeErrno))
                                                   : file.errorString();
    }
    file.cancelWriting();
    return false;
}

bool SyncToDisk(int fd)
{
    if (g_syncError != 0 && g_syncCallsLeft-- <= 0) {
        errno = g_syncError;
        return false;
    }
    return ::fdatasync(fd) == 0;
}

void SetSyncFailure(int error, int nth)
{
    g_syncError = error;
    g_syncCallsLeft = qMax(0, nth - 1);
}
