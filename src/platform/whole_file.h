#pragma once
// Writing a file all at once: the data goes to a temporary file beside the target, which
// is put on the disk once (through SyncToDisk) and replaces the target only then. A full
// disk, a size limit or a failed sync leaves the earlier file as it was.

#include <QByteArray>
#include <QString>

// Writes data as the file path. On failure answers false, leaves any earlier file
// untouched, and sets errorString (when given) to the reason.
bool SaveWholeFile(const QString &path, const QByteArray &data, QString *errorString = nullptr);

// A file written whole in pieces, as SaveWholeFile writes one at once: for content too
// large to hold in memory. Each step answers false, with errno set, when it fails; the
// target is replaced only by commit(), and a writer dropped before that leaves nothing.
class WholeFileWriter
{
public:
    explicit WholeFileWriter(const QString &path);
    ~WholeFileWriter() { cancel(); }
    WholeFileWriter(const WholeFileWriter &) = delete;
    WholeFileWriter &operator=(const WholeFileWriter &) = delete;

    // Begins the new content. Refused when the target exists and may not be written.
    bool open();
    bool write(const char *data, qint64 size);
    // Drops what was written so far, to begin again.
    bool restart();
    // Puts the content on the disk (once) and in place of the target.
    bool commit();
    // Drops the content; the target stays as it was.
    void cancel();

private:
    QByteArray m_target;   // the file replaced: the one a link names, not the link
    QByteArray m_folder;
    QByteArray m_named;    // the scratch name, once the content has one
    int m_fd = -1;
};

// Puts what was written to the open file fd on the disk. False, with errno set, when the
// disk did not take it (a write that seemed to succeed is lost then).
bool SyncToDisk(int fd);
// Puts the file at path on the disk, as SyncToDisk; false (errno set) when it cannot be
// opened or the disk did not take it.
bool SyncFile(const QString &path);
// From its nth call on (counted from now), SyncToDisk fails with error; error 0 ends that.
// The seam through which tests make a disk fail at the last moment.
void SetSyncFailure(int error, int nth = 1);

// While refused, SaveWholeFile writes as on a file system without unnamed files: under a
// scratch name beside the target. The seam through which tests take that way.
void SetUnnamedFilesRefused(bool refused);
