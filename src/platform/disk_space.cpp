#include "platform/disk_space.h"

#include <QStorageInfo>

#include <sys/resource.h>

bool DiskLacksRoomFor(const QString &folder, qint64 bytes)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && qint64(limit.rlim_cur) < bytes)
        return true;
    const QStorageInfo disk(folder);
    return disk.isValid() && disk.bytesAvailable() < bytes;
}
