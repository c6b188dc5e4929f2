#pragma once
// Why a write failed: the disk is full, the process may not make files that large, or the
// folder takes no new file.

#include <QString>

// True when fewer than bytes can still be written to a file in folder: less free space on
// its disk, or a smaller limit on the size of the files this process may write.
bool DiskLacksRoomFor(const QString &folder, qint64 bytes);

// True when error (an errno) tells that a write failed for want of space: the disk's, or
// the space or file size this process may use.
bool NoSpaceLeft(int error);

enum class WriteFault {
    Unknown,          // neither of the two below
    DiskFull,         // no room for the bytes
    FolderReadOnly,   // no file can be made in the folder (its mode, a read-only disk)
};

// Why writing a file of bytes into folder failed. A folder that is missing is judged by the
// nearest folder above it that exists, where it would have been made; unwritable (when
// given) gets the folder found read-only. A read-only folder is never called full.
WriteFault WhyWriteFailed(const QString &folder, qint64 bytes, QString *unwritable = nullptr);
