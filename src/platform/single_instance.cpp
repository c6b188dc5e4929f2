#include "platform/single_instance.h"

#include "platform/settings.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <memory>

namespace {

std::unique_ptr<QLockFile> &heldLock()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

} // namespace

QString InstanceLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QLatin1Char('/') + AppTitle + QLatin1String(".lock");
}

bool AnotherInstanceRunning()
{
    std::unique_ptr<QLockFile> &lock = heldLock();
    if (lock && lock->isLocked())
        return false;
    lock = std::make_unique<QLockFile>(InstanceLockPath());
    // No age limit: only a lock whose holder is no longer running counts as stale,
    // and tryLock takes such a lock over by itself.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return false;
    return lock->error() == QLockFile::LockFailedError;
}

void ReleaseInstanceLock()
{
    std::unique_ptr<QLockFile> &lock = heldLock();
    if (lock)
        lock->unlock();
    lock.reset();
}
