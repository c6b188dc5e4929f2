#pragma once
// Whether a failed write ran out of room: the disk is full or the process may not make
// files that large.

#include <QString>

// True when fewer than bytes can still be written to a file in folder: less free space on
// its disk, or a smaller limit on the size of the files this process may write.
bool DiskLacksRoomFor(const QString &folder, qint64 bytes);
