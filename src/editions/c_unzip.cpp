#include "editions/c_unzip.h"

#include "platform/disk_space.h"
#include "platform/regular_file.h"
#include "platform/whole_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

namespace {

constexpr int MaxPasswordBytes = 254;
constexpr int MaxPasswordTries = 3;
constexpr qint64 ReadChunk = 65536;

QString methodName(quint16 method)
{
    switch (method) {
    case ZIP_CM_STORE:
        return QStringLiteral("Stored");
    case ZIP_CM_DEFLATE:
        return QStringLiteral("Defl:N");
    case ZIP_CM_DEFLATE64:
        return QStringLiteral("Defl:F");
    case ZIP_CM_BZIP2:
        return QStringLiteral("BZip2");
    case ZIP_CM_LZMA:
        return QStringLiteral("LZMA");
    case ZIP_CM_XZ:
        return QStringLiteral("XZ");
    default:
        return QStringLiteral("Unk:%1").arg(method, 3, 10, QLatin1Char('0'));
    }
}

// The entry's path inside the target folder, "/" separated, or "" when it must not be
// written: an absolute path, a drive letter, a ".." segment, or nothing left.
QString safeRelativePath(const QString &entryName)
{
    QString name = entryName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (name.startsWith(QLatin1Char('/')) || QRegularExpression(QStringLiteral("^[A-Za-z]:")).match(name).hasMatch())
        return QString();
    QStringList kept;
    for (const QString &segment : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String(".."))
            return QString();
        if (segment != QLatin1String("."))
            kept << segment;
    }
    return kept.join(QLatin1Char('/'));
}

// Appends a piece of text with every lone LF made CR LF; before is the byte that came
// before the piece (0 at the start).
void appendCrLf(QByteArray &out, const char *data, qsizetype size, char before)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] == '\n' && (i == 0 ? before : data[i - 1]) != '\r')
            out += '\r';
        out += data[i];
    }
}

bool isSymbolicLink(zip_t *archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    return system == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

} // namespace

// One run over an open archive.
struct cUnzip::Run {
    zip_t *archive = nullptr;
    QByteArray password;          // the last password that opened an entry
    bool replaceAll = false;
    bool skipAll = false;
    int status = UnzipOk;
    void raise(int s)
    {
        // Cancel and the hard failures outrank a warning.
        if (s > status)
            status = s;
    }
};

cUnzip::cUnzip(QObject *parent)
    : QObject(parent)
{
}

void cUnzip::setZipFile(const QString &path)
{
    m_zipFile = path;
    m_entries.clear();
}

const cUnzip::Entry &cUnzip::entry(int lIndex) const
{
    if (lIndex < 1 || lIndex > m_entries.size())
        throw std::out_of_range("cUnzip: no entry of that index");
    return m_entries.at(lIndex - 1);
}

QString cUnzip::Filename(int lIndex) const { return entry(lIndex).Filename; }
QString cUnzip::FileDirectory(int lIndex) const { return entry(lIndex).FileDirectory; }
qint64 cUnzip::FileSize(int lIndex) const { return entry(lIndex).FileSize; }
qint64 cUnzip::FilePackedSize(int lIndex) const { return entry(lIndex).FilePackedSize; }
int cUnzip::FileCompressionRatio(int lIndex) const { return entry(lIndex).FileCompressionRatio; }
QDateTime cUnzip::FileDate(int lIndex) const { return entry(lIndex).FileDate; }
quint32 cUnzip::FileCRC(int lIndex) const { return entry(lIndex).FileCRC; }
QString cUnzip::FileCompressionMethod(int lIndex) const { return entry(lIndex).FileCompressionMethod; }
bool cUnzip::FileEncrypted(int lIndex) const { return entry(lIndex).FileEncrypted; }
bool cUnzip::FileSelected(int lIndex) const { return entry(lIndex).FileSelected; }

void cUnzip::setFileSelected(int lIndex, bool selected)
{
    entry(lIndex);
    m_entries[lIndex - 1].FileSelected = selected;
}

QString cUnzip::FixPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || folder == QString(QChar(0)))
        return name;
    QString path = folder + QLatin1Char('/') + name;
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

void cUnzip::SplitEntryPath(const QString &path, QString &folder, QString &name)
{
    QString text = path;
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0)
        text.truncate(nul);
    text.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const qsizetype last = text.lastIndexOf(QLatin1Char('\\'));
    folder = last > 0 ? text.left(last) : QString();
    name = text.mid(last + 1);
}

void cUnzip::GetVersion(int &lMajor, int &lMinor, int &lRevision, QDateTime &dDate, QString &sExtraInfo) const
{
    Q_UNUSED(dDate)
    const QStringList parts = QString::fromLatin1(zip_libzip_version()).split(QLatin1Char('.'));
    lMajor = parts.value(0).toInt();
    lMinor = parts.value(1).toInt();
    lRevision = parts.value(2).toInt();
    sExtraInfo = QString(10, QLatin1Char(' '));
}

void cUnzip::report(const QString &line, bool warning)
{
    if (m_messageLevel >= 2 || (m_messageLevel == 1 && !warning))
        return;
    QString text = line;
    text.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (text.size() > 1 && text.size() < 1024)
        emit Progress(1, text);
}

int cUnzip::Directory()
{
    m_entries.clear();
    return VBUnzip(true, {}, {});
}

bool cUnzip::Unzip()
{
    if (m_zipFile.isEmpty())
        return false;
    QStringList include;
    if (!m_entries.isEmpty()) {
        for (const Entry &e : std::as_const(m_entries)) {
            if (e.FileSelected)
                include << FixPath(e.FileDirectory, e.Filename);
        }
        if (include.isEmpty()) {
            m_extracted.clear();
            m_status = UnzipNothingMatched;
            return false;
        }
        if (include.size() == m_entries.size())
            include.clear();
    }
    return VBUnzip(false, include, {}) == UnzipOk;
}

int cUnzip::VBUnzip(bool listOnly, const QStringList &include, const QStringList &exclude)
{
    if (m_running)
        return UnzipBusy;
    m_running = true;
    m_promptCancelled = false;
    if (!listOnly)
        m_extracted.clear();

    Run run;
    int error = 0;
    // Opened here, so that only a regular file reaches the zip library: a FIFO or device
    // given the archive's name is never opened, a folder never read.
    QFile file(m_zipFile);
    if (!m_zipFile.isEmpty() && OpenRegularFile(file)) {
        const int fd = ::dup(file.handle());
        run.archive = fd < 0 ? nullptr : zip_fdopen(fd, ZIP_RDONLY | (m_testZip ? ZIP_CHECKCONS : 0), &error);
        if (fd >= 0 && !run.archive)
            ::close(fd);
    }
    if (!run.archive) {
        report(QStringLiteral("cannot read the archive %1").arg(m_zipFile), true);
        m_status = UnzipNotZip;
    } else {
        m_status = listOnly ? listEntries(run) : extractEntries(run, include, exclude);
        zip_discard(run.archive);
    }
    m_running = false;
    return m_status;
}

int cUnzip::listEntries(Run &run)
{
    const zip_int64_t count = zip_get_num_entries(run.archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(run.archive, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
            run.raise(UnzipError);
            continue;
        }
        Entry e;
        SplitEntryPath(QString::fromUtf8(st.name), e.FileDirectory, e.Filename);
        if (e.Filename.isEmpty())
            continue;    // a folder
        e.FileSize = qint64(st.size);
        e.FilePackedSize = qint64(st.comp_size);
        // Per cent saved; negative for an entry that grew, bounded for a damaged size.
        e.FileCompressionRatio =
            st.size > 0 ? qRound(qBound(-9999.0, 100.0 - 100.0 * double(st.comp_size) / double(st.size), 100.0)) : 0;
        e.FileCompressionMethod = methodName(st.comp_method);
        QDateTime date = QDateTime::fromSecsSinceEpoch(st.mtime);
        date.setTime(QTime(date.time().hour(), date.time().minute()));
        e.FileDate = date;
        e.FileCRC = st.crc;
        e.FileEncrypted = st.encryption_method != ZIP_EM_NONE;
        m_entries.append(e);
    }
    return run.status;
}

int cUnzip::extractEntries(Run &run, const QStringList &include, const QStringList &exclude)
{
    const Qt::CaseSensitivity cs = m_caseInsensitiveNames ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QDir folder(m_unzipFolder.isEmpty() ? QStringLiteral(".") : m_unzipFolder);
    const QString root = QDir::cleanPath(folder.absolutePath());
    bool anyChosen = false;
    QList<Planned> planned;
    qint64 declared = 0;    // by the chosen entries together
    qint64 largest = 0;     // by the largest of them
    const zip_int64_t count = zip_get_num_entries(run.archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(run.archive, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
            run.raise(UnzipError);
            continue;
        }
        const QString entryName = QString::fromUtf8(st.name);
        QString dir;
        QString name;
        SplitEntryPath(entryName, dir, name);
        const QString key = FixPath(dir, name);
        if (!include.isEmpty() && !include.contains(key, cs))
            continue;
        if (exclude.contains(key, cs))
            continue;
        anyChosen = true;

        QString relative = safeRelativePath(entryName);
        if (relative.isEmpty() || isSymbolicLink(run.archive, zip_uint64_t(i))) {
            report(QStringLiteral("   skipping: %1  (not a plain name inside the folder)").arg(entryName), true);
            run.raise(UnzipWarning);
            continue;
        }
        if (name.isEmpty()) {    // a folder
            if (m_useFolderNames && !m_testZip)
                folder.mkpath(relative);
            continue;
        }
        if (!m_useFolderNames)
            relative = relative.section(QLatin1Char('/'), -1);
        if (m_spaceToUnderScore)
            relative.replace(QLatin1Char(' '), QLatin1Char('_'));
        const QString target = QDir::cleanPath(folder.absoluteFilePath(relative));
        if (!target.startsWith(root + QLatin1Char('/'))) {
            run.raise(UnzipWarning);
            continue;
        }
        // A size past what a file can hold counts as the largest.
        const qint64 size = st.size > zip_uint64_t(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max()
                                                                                        : qint64(st.size);
        declared = size > std::numeric_limits<qint64>::max() - declared ? std::numeric_limits<qint64>::max()
                                                                        : declared + size;
        largest = qMax(largest, size);
        planned.append({i, entryName, target});
    }
    if (!anyChosen)
        run.raise(UnzipNothingMatched);

    // What the entries declare must fit before anything is written.
    if (!m_testZip && m_maxUnpackedBytes > 0 && declared > m_maxUnpackedBytes) {
        report(QStringLiteral("  error: the entries unpack to more than %1").arg(SizeInWords(m_maxUnpackedBytes)), true);
        run.raise(UnzipTooLarge);
        return run.status;
    }
    const QStorageInfo disk(root);
    if (!m_testZip && (DiskLacksRoomFor(root, largest) || (disk.isValid() && disk.bytesAvailable() < declared))) {
        report(QStringLiteral("  error: the disk has no room for the entries"), true);
        run.raise(UnzipDiskFull);
        return run.status;
    }

    for (const Planned &entry : std::as_const(planned)) {
        const int result = extractOne(run, entry.index, entry.entryName, entry.target);
        run.raise(result);
        bool cancel = false;
        QString shown = entry.entryName;
        emit Cancel(shown.replace(QLatin1Char('/'), QLatin1Char('\\')), cancel);
        if (cancel) {
            run.raise(UnzipCancelled);
            break;
        }
    }
    return run.status;
}

bool cUnzip::askPassword(Run &run, QByteArray &password)
{
    Q_UNUSED(run)
    if (m_promptCancelled)
        return false;
    QString answer;
    bool cancel = false;
    emit PasswordRequest(answer, cancel);
    answer = answer.trimmed();
    if (cancel || answer.isEmpty()) {
        m_promptCancelled = true;
        return false;
    }
    password = answer.toLatin1().left(MaxPasswordBytes);
    return true;
}

int cUnzip::extractOne(Run &run, qint64 index, const QString &entryName, const QString &target)
{
    zip_stat_t st;
    zip_stat_index(run.archive, zip_uint64_t(index), 0, &st);
    const QDateTime entryTime = QDateTime::fromSecsSinceEpoch(st.mtime);

    if (!m_testZip && QFileInfo::exists(target)) {
        bool replace = false;
        if (m_extractOnlyNewer) {
            replace = QFileInfo(target).lastModified() < entryTime;
        } else if (m_overwriteExisting || run.replaceAll) {
            replace = true;
        } else if (m_promptToOverwrite && !run.skipAll) {
            int response = OverwriteSkip;
            emit OverwritePrompt(target, response);
            replace = response == OverwriteReplace || response == OverwriteReplaceAll;
            run.replaceAll = response == OverwriteReplaceAll;
            run.skipAll = response == OverwriteSkipAll;
        }
        if (!replace) {
            report(QStringLiteral("   skipping: %1  (the file exists)").arg(entryName), true);
            return UnzipOk;
        }
    }

    // Open the entry, asking for the password of an encrypted one.
    zip_file_t *file = nullptr;
    if (st.encryption_method == ZIP_EM_NONE) {
        file = zip_fopen_index(run.archive, zip_uint64_t(index), 0);
    } else {
        QByteArray password = run.password;
        for (int attempt = 0; attempt <= MaxPasswordTries && !file; ++attempt) {
            if (!password.isEmpty())
                file = zip_fopen_index_encrypted(run.archive, zip_uint64_t(index), 0, password.constData());
            if (file)
                break;
            const int code = password.isEmpty() ? ZIP_ER_NOPASSWD : zip_error_code_zip(zip_get_error(run.archive));
            if (code != ZIP_ER_NOPASSWD && code != ZIP_ER_WRONGPASSWD)
                break;
            if (attempt == MaxPasswordTries || !askPassword(run, password)) {
                report(QStringLiteral("   skipping: %1  (no right password)").arg(entryName), true);
                return UnzipBadPassword;
            }
        }
        if (file)
            run.password = password;
    }
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(run.archive));
        report(QStringLiteral("   skipping: %1  (cannot be read)").arg(entryName), true);
        return code == ZIP_ER_COMPNOTSUPP || code == ZIP_ER_ENCRNOTSUPP ? UnzipUnsupported : UnzipError;
    }

    // Read to its end, where the checksum is checked.
    WholeFileWriter out(target);
    const bool writing = !m_testZip;
    if (writing) {
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!out.open()) {
            zip_fclose(file);
            report(QStringLiteral("   skipping: %1  (cannot be written)").arg(entryName), true);
            return UnzipWriteFailed;
        }
    }
    // The entry is copied piece by piece. With line ends converted, an entry that turns out
    // to hold a NUL byte is no text: it is copied again from its start, unchanged.
    bool convert = writing && m_convertCRToCRLF;
    QByteArray buffer(ReadChunk, Qt::Uninitialized);
    QByteArray converted;
    converted.reserve(2 * ReadChunk);
    char before = 0;
    int result = UnzipOk;
    // The entry is read no further than the size it declares (and the byte past it, which
    // shows that it holds more).
    const qint64 readable = qint64(qMin<zip_uint64_t>(st.size, zip_uint64_t(std::numeric_limits<qint64>::max() - 1))) + 1;
    qint64 left = readable;
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer.data(), zip_uint64_t(qMin<qint64>(buffer.size(), left)));
        if (n < 0) {
            result = UnzipError;
            break;
        }
        if (n == 0)
            break;
        left -= n;
        if (left <= 0) {
            result = UnzipError;    // more than it declares
            break;
        }
        const char *piece = buffer.constData();
        qint64 size = n;
        if (convert) {
            if (std::memchr(piece, '\0', size_t(n))) {
                convert = false;
                zip_fclose(file);
                file = st.encryption_method == ZIP_EM_NONE
                    ? zip_fopen_index(run.archive, zip_uint64_t(index), 0)
                    : zip_fopen_index_encrypted(run.archive, zip_uint64_t(index), 0, run.password.constData());
                if (!file || !out.restart()) {
                    result = UnzipError;
                    break;
                }
                left = readable;
                continue;
            }
            converted.resize(0);   // keeps its room
            appendCrLf(converted, piece, n, before);
            before = piece[n - 1];
            piece = converted.constData();
            size = converted.size();
        }
        if (writing && !out.write(piece, size)) {
            result = UnzipDiskFull;
            break;
        }
    }
    if (file)
        zip_fclose(file);
    if (result != UnzipOk) {
        out.cancel();
        report(QStringLiteral("  error: %1  (damaged or wrong password)").arg(entryName), true);
        return result;
    }
    if (m_testZip) {
        report(QStringLiteral("    testing: %1   OK").arg(entryName), false);
        return UnzipOk;
    }
    // The file takes its name only once the disk has it.
    errno = 0;
    if (!out.commit()) {
        const bool full = NoSpaceLeft(errno);
        report(QStringLiteral("  error: %1  (cannot be written)").arg(entryName), true);
        return full ? UnzipDiskFull : UnzipWriteFailed;
    }
    QFile written(target);
    if (written.open(QIODevice::ReadWrite))
        written.setFileTime(entryTime, QFileDevice::FileModificationTime);
    m_extracted << target;
    report((st.comp_method == ZIP_CM_STORE ? QStringLiteral(" extracting: %1") : QStringLiteral("  inflating: %1"))
               .arg(entryName),
           false);
    return UnzipOk;
}
