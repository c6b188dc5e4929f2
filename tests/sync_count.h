#pragma once
// The syncs the test process asks of the disk (fsync and fdatasync, whether from the
// program's own code, Qt's or SQLite's), recorded while a SyncCount lives.

#include <QStringList>

class SyncCount
{
public:
    SyncCount();
    ~SyncCount();
    SyncCount(const SyncCount &) = delete;
    SyncCount &operator=(const SyncCount &) = delete;

    // One entry a sync of a file: its path, or for a file without a name yet (to be named
    // when written) the path of its folder followed by "/".
    QStringList files() const;
    // One entry a sync of a folder's list of names: the folder.
    QStringList folders() const;
};
