#pragma once
// Unpacking zip archives. A cUnzip holds the options, the archive and the target folder,
// and optionally a listing of the archive's entries (Directory) in which the caller can
// deselect entries before Unzip extracts the rest. It asks its questions (replace an
// existing file? the password of an encrypted entry?) through signals that the caller
// answers in a directly connected handler, and reports each entry through Cancel (which
// can stop the run) and its text output through Progress.
//
// Entries are written only inside the target folder: a name that is absolute, holds a
// ".." segment or a drive letter, and a symbolic link, is skipped. Each file is written
// under a temporary name and takes its own name only once it is whole and its checksum
// is right, so a failed entry leaves nothing behind. Before anything is written, the sizes
// the chosen entries declare are held against the room left on the disk and the limit set;
// an entry that unpacks to more than it declares is damaged and written no further. The
// archive is read only when it is a regular file.

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class cUnzip : public QObject
{
    Q_OBJECT
public:
    // The status of a run, as Directory answers it.
    enum Status {
        UnzipOk = 0,
        UnzipWarning = 1,          // some entry was skipped (unsafe name, link, existing file kept)
        UnzipError = 2,            // an entry could not be read or written whole
        UnzipNotZip = 9,           // the archive is missing, unreadable or no zip archive
        UnzipNothingMatched = 11,  // no entry was chosen
        UnzipDiskFull = 50,        // the chosen entries need more room than the disk has left
        UnzipTooLarge = 51,        // the chosen entries declare more than MaxUnpackedBytes
        UnzipWriteFailed = 52,     // a file could not be made or kept in the target folder
        UnzipCancelled = 80,       // a Cancel handler stopped the run
        UnzipUnsupported = 81,     // a compression or encryption method that cannot be read
        UnzipBadPassword = 82,     // an encrypted entry without the right password
        UnzipBusy = 90,            // a run of this object is already under way
    };
    // Answers to OverwritePrompt.
    enum OverwriteResponse {
        OverwriteSkip = 100,        // keep the existing file (the answer unless changed)
        OverwriteReplace = 102,
        OverwriteReplaceAll = 103,  // this one and every later one, without asking
        OverwriteSkipAll = 104,     // keep this one and every later one, without asking
        OverwriteRename = 105,      // no new name can be given here: kept as a skip
    };

    explicit cUnzip(QObject *parent = nullptr);

    // Options; all start false (0): folder names dropped, existing files kept.
    // Extract an entry only when the file is missing or older than the entry (an older
    // file is replaced without asking).
    bool ExtractOnlyNewer() const { return m_extractOnlyNewer; }
    void setExtractOnlyNewer(bool bState) { m_extractOnlyNewer = bState; }
    // Blanks of the written names become "_".
    bool SpaceToUnderScore() const { return m_spaceToUnderScore; }
    void setSpaceToUnderScore(bool bState) { m_spaceToUnderScore = bState; }
    // Ask through OverwritePrompt before replacing an existing file.
    bool PromptToOverwrite() const { return m_promptToOverwrite; }
    void setPromptToOverwrite(bool bState) { m_promptToOverwrite = bState; }
    // 0: every Progress line; 1: only the lines about skipped or failed entries; 2 and
    // above: none.
    int MessageLevel() const { return m_messageLevel; }
    void setMessageLevel(int eLevel) { m_messageLevel = eLevel; }
    // Read and check the entries without writing anything.
    bool TestZip() const { return m_testZip; }
    void setTestZip(bool bState) { m_testZip = bState; }
    // Keep the entries' folders under the target folder (otherwise every file lands
    // directly in it).
    bool UseFolderNames() const { return m_useFolderNames; }
    void setUseFolderNames(bool bState) { m_useFolderNames = bState; }
    // Replace existing files without asking.
    bool OverwriteExisting() const { return m_overwriteExisting; }
    void setOverwriteExisting(bool bState) { m_overwriteExisting = bState; }
    // Text entries (no NUL byte) get CR LF line ends: each LF without a CR before it
    // becomes CR LF. Binary entries are written as they are.
    bool ConvertCRToCRLF() const { return m_convertCRToCRLF; }
    void setConvertCRToCRLF(bool bState) { m_convertCRToCRLF = bState; }
    // Despite its name, true makes the chosen names match the entries WITHOUT regard to
    // letter case; false (the default) matches them exactly.
    bool CaseSensitiveFileNames() const { return m_caseInsensitiveNames; }
    void setCaseSensitiveFileNames(bool bState) { m_caseInsensitiveNames = bState; }

    // The listing of the last Directory, indexed 1 .. FileCount. An index outside that
    // range throws std::out_of_range.
    int FileCount() const { return int(m_entries.size()); }
    QString Filename(int lIndex) const;          // the name without its folder
    QString FileDirectory(int lIndex) const;     // the folder, "\" separated, no trailing "\"
    qint64 FileSize(int lIndex) const;           // unpacked size
    qint64 FilePackedSize(int lIndex) const;     // size in the archive
    int FileCompressionRatio(int lIndex) const;  // per cent saved
    QDateTime FileDate(int lIndex) const;        // to the minute
    quint32 FileCRC(int lIndex) const;
    QString FileCompressionMethod(int lIndex) const;
    bool FileEncrypted(int lIndex) const;
    bool FileSelected(int lIndex) const;
    void setFileSelected(int lIndex, bool selected);

    // Lists the archive's entries (folder entries are not listed), replacing an earlier
    // listing, each selected. Answers the status.
    int Directory();
    // Extracts into UnzipFolder: without a listing the whole archive, with one the
    // selected entries (none selected extracts nothing). Answers true only when every
    // chosen entry was extracted (or tested) without a fault; LastStatus says more.
    bool Unzip();
    int LastStatus() const { return m_status; }
    // The files the last Unzip wrote, full paths.
    QStringList ExtractedFiles() const { return m_extracted; }

    // The most the chosen entries of one Unzip may declare together; 0 (the default) sets
    // no limit of its own.
    qint64 MaxUnpackedBytes() const { return m_maxUnpackedBytes; }
    void setMaxUnpackedBytes(qint64 bytes) { m_maxUnpackedBytes = qMax<qint64>(0, bytes); }

    QString UnzipFolder() const { return m_unzipFolder; }
    void setUnzipFolder(const QString &sFolder) { m_unzipFolder = sFolder; }
    QString ZipFile() const { return m_zipFile; }
    // Setting the archive forgets the listing.
    void setZipFile(const QString &path);

    // The version of the zip library: major, minor, revision; sExtraInfo ten blanks
    // (no test release). dDate is left as it is.
    void GetVersion(int &lMajor, int &lMinor, int &lRevision, QDateTime &dDate, QString &sExtraInfo) const;

    // The include list form of an entry: folder and name joined by "/" ("\" turned into
    // "/"); the name alone when the folder is empty.
    static QString FixPath(const QString &folder, const QString &name);
    // Splits an entry path at its last "/" or "\" into its folder ("\" separated) and
    // its name: "docs/a/readme.txt" gives "docs\a" and "readme.txt", "/x.txt" gives ""
    // and "x.txt".
    static void SplitEntryPath(const QString &path, QString &folder, QString &name);

signals:
    // For each entry processed (name "\" separated); set bCancel to stop the run.
    void Cancel(const QString &sMsg, bool &bCancel);
    // sFIle exists in the target folder; eResponse comes in as OverwriteSkip.
    void OverwritePrompt(const QString &sFIle, int &eResponse);
    // An entry is encrypted: supply sPassword, or set bCancel (or leave it blank) to
    // skip it and every later encrypted entry of the run without asking again.
    void PasswordRequest(QString &sPassword, bool &bCancel);
    // A line of text output about the run; lCount is always 1.
    void Progress(int lCount, const QString &sMsg);

private:
    struct Entry {
        QString Filename;
        QString FileDirectory;
        qint64 FileSize = 0;
        qint64 FilePackedSize = 0;
        int FileCompressionRatio = 0;
        QString FileCompressionMethod;
        QDateTime FileDate;
        quint32 FileCRC = 0;
        bool FileEncrypted = false;
        bool FileSelected = true;
    };
    struct Run;

    const Entry &entry(int lIndex) const;
    int VBUnzip(bool listOnly, const QStringList &include, const QStringList &exclude);
    int listEntries(Run &run);
    int extractEntries(Run &run, const QStringList &include, const QStringList &exclude);
    int extractOne(Run &run, qint64 index, const QString &entryName, const QString &target);
    // An entry chosen to be written, and where.
    struct Planned {
        qint64 index;
        QString entryName;
        QString target;
    };
    bool askPassword(Run &run, QByteArray &password);
    void report(const QString &line, bool warning);

    QString m_zipFile;
    QString m_unzipFolder;
    QList<Entry> m_entries;
    QStringList m_extracted;
    int m_status = UnzipOk;
    bool m_running = false;
    bool m_promptCancelled = false;

    bool m_extractOnlyNewer = false;
    bool m_spaceToUnderScore = false;
    bool m_promptToOverwrite = false;
    int m_messageLevel = 0;
    bool m_testZip = false;
    bool m_useFolderNames = false;
    bool m_overwriteExisting = false;
    bool m_convertCRToCRLF = false;
    bool m_caseInsensitiveNames = false;
    qint64 m_maxUnpackedBytes = 0;
};
