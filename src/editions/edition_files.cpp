#include "editions/edition_files.h"

#include "editions/edition_list.h"
#include "platform/disk_space.h"
#include "platform/kill_point.h"
#include "platform/programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The longest file name the file system takes, in bytes; the scratch ending must fit too.
constexpr qsizetype kLongestFileName = 255;

// The permission bits of the file at path, or -1 when it cannot be read.
int modeOf(const QString &path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

// Flushes the folder's entry list to disk, so that a rename in it outlives a power cut.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString EditionFileName(const QString &name, bool lowerCase)
{
    QString file = lowerCase ? name.toLower() : name;
    file.replace(QLatin1Char(' '), QLatin1Char('_'));
    return file + QStringLiteral(".mdb");
}

bool IsPlainFileName(const QString &file)
{
    return !file.isEmpty() && file != QLatin1String(".") && file != QLatin1String("..")
           && !file.contains(QLatin1Char('/')) && !file.contains(QLatin1Char('\\')) && !file.contains(QChar(0));
}

QString EditionNameProblem(const QString &name, const QString &file)
{
    const QString again = QStringLiteral("\n\nPlease select an alternate name.");
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c == QLatin1Char('/') || c == QLatin1Char('\\')
            || c == QLatin1Char(','))
            return QStringLiteral("An Edition Name cannot hold \"/\", \"\\\", \",\" or a control character.") + again;
    }
    if (name.trimmed() == QLatin1String(".") || name.trimmed() == QLatin1String(".."))
        return QStringLiteral("An Edition Name cannot be \".\" or \"..\".") + again;
    if (!EditionList::canCarryFileName(file))
        return QStringLiteral("An Edition Name cannot begin with \"*\": the edition list marks the active edition so.") + again;
    if (QFile::encodeName(file).size() + qsizetype(qstrlen(kScratchSuffix)) > kLongestFileName)
        return QStringLiteral("This Edition Name is too long to be the name of a file.\n\nPlease select a shorter name.");
    if (file.compare(QLatin1String("untitled.mdb"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("The name '") + name
               + QStringLiteral("' belongs to the template untitled.mdb that every new edition is made from.") + again;
    return QString();
}

QString ExistingFileNoCase(const QString &folder, const QString &name)
{
    const QString path = FindFileNoCase(folder, name);
    return QFileInfo(path).isFile() ? path : QString();
}

bool WriteCopy(const QString &from, const QString &partial, const QString &modeFrom, bool synced)
{
    QFile in(from);
    QFile out(partial);
    QFile::remove(partial);
    const int mode = modeOf(modeFrom);
    bool ok = in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly | QIODevice::NewOnly)
              && (mode < 0 || ::fchmod(out.handle(), mode_t(mode)) == 0);
    bool first = true;
    while (ok && !in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        ok = !chunk.isEmpty() && out.write(chunk) == chunk.size();
        if (ok && first) {
            first = false;
            ok = out.flush();
            KillPoint("copy-partial");
        }
    }
    // A full disk shows on the last flush; fsync puts the copy on the disk before it may
    // take the place of a good file.
    ok = ok && in.error() == QFileDevice::NoError && out.flush() && (!synced || ::fsync(out.handle()) == 0)
         && out.size() == in.size();
    out.close();
    if (!ok || out.error() != QFileDevice::NoError) {
        QFile::remove(partial);
        return false;
    }
    KillPoint("copy-written");
    return true;
}

bool ReplaceFileKeepingMode(const QString &partial, const QString &target, const QString &modeFrom)
{
    const int mode = modeOf(QFileInfo::exists(target) ? target : modeFrom);
    const QByteArray from = QFile::encodeName(partial);
    // rename() puts the new file in place in one step: the target is either the old or the
    // new file, never a part of either.
    if ((mode >= 0 && ::chmod(from.constData(), mode_t(mode)) != 0)
        || std::rename(from.constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(partial);
        return false;
    }
    syncFolder(QFileInfo(target).absolutePath());
    KillPoint("file-replaced");
    return true;
}

bool CopyFileKeepingMode(const QString &from, const QString &to)
{
    const QString partial = to + QLatin1String(kScratchSuffix);
    return WriteCopy(from, partial, QFileInfo::exists(to) ? to : from) && ReplaceFileKeepingMode(partial, to, from);
}

bool CopyEditionFile(const QString &from, const QString &to)
{
    const QFileInfo target(to);
    const QString twin = ExistingFileNoCase(target.absolutePath(), target.fileName());
    if (!twin.isEmpty() && QFileInfo(twin).canonicalFilePath() == QFileInfo(from).canonicalFilePath())
        return false;
    const QString partial = to + QLatin1String(kScratchSuffix);
    const QString modeFrom = twin.isEmpty() ? from : twin;
    if (!WriteCopy(from, partial, modeFrom) || !ReplaceFileKeepingMode(partial, to, modeFrom))
        return false;
    if (!twin.isEmpty() && QFileInfo(twin).fileName() != target.fileName())
        QFile::remove(twin);
    return true;
}

QString WriteFailureReason(const QString &app, const QString &folder, qint64 bytes)
{
    QString unwritable;
    switch (WhyWriteFailed(folder, bytes, &unwritable)) {
    case WriteFault::DiskFull:
        return QStringLiteral("the disk is full");
    case WriteFault::FolderReadOnly:
        if (QDir::cleanPath(unwritable) == QDir::cleanPath(QFileInfo(app).absoluteFilePath()))
            return QStringLiteral("the program folder cannot be written");
        return QStringLiteral("the folder ") + QDir::toNativeSeparators(unwritable) + QStringLiteral(" cannot be written");
    case WriteFault::Unknown:
        break;
    }
    return QString();
}

QString WithReason(const QString &text, const QString &reason)
{
    return reason.isEmpty() ? text : text + QStringLiteral(": ") + reason;
}
