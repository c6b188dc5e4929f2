#include "shared/fileroutines.h"

#include "platform/browserversion.h"
#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "platform/regular_file.h"
#include "platform/whole_file.h"
#include "platform/windowactivation.h"
#include "shared/routines.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QUrl>
#include <QWidget>

namespace {

QString withSlash(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

// A file-name pattern with the wildcards "*" and "?", every other character literal
// ("[" included), matched without regard to letter case. "*.*" matches every name.
QRegularExpression wildcardPattern(QString pattern)
{
    if (pattern.isEmpty() || pattern == QLatin1String("*.*"))
        pattern = QStringLiteral("*");
    QString re;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('*'))
            re += QLatin1String(".*");
        else if (c == QLatin1Char('?'))
            re += QLatin1Char('.');
        else
            re += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(re),
                              QRegularExpression::CaseInsensitiveOption
                                  | QRegularExpression::DotMatchesEverythingOption);
}

// The regular files (no folders, no hidden files, nothing that only looks like a file) of folder whose names match pattern,
// sorted by name without regard to case. An empty folder means the current directory.
QStringList matchingFiles(const QString &folder, const QString &pattern)
{
    const QDir dir(folder.isEmpty() ? QDir::currentPath() : folder);
    if (!dir.exists())
        return {};
    const QRegularExpression re = wildcardPattern(pattern);
    QStringList found;
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &file : files)
        if (file.isFile() && re.match(file.fileName()).hasMatch())
            found.append(file.fileName());
    return found;
}

// Copies one file over another: written to a temporary file beside the target and
// renamed into place only when complete, so a failed copy leaves the target as it was.
// The copy keeps the source's modification time and permissions.
bool copyReplacing(const QString &from, const QString &to)
{
    const QFileInfo source(from);
    const QFileInfo target(to);
    if (target.exists() && source.canonicalFilePath() == target.canonicalFilePath())
        return false;
    QFile in(from);
    if (!OpenRegularFile(in))
        return false;
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk;
    while (!in.atEnd()) {
        chunk = in.read(1 << 16);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            break;
        }
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            break;
        }
    }
    // The last chunk may still sit in the buffer: a full disk shows only on flush().
    if (!out.flush())
        out.cancelWriting();
    if (!out.commit())
        return false;

    QFile copied(to);
    if (copied.open(QIODevice::ReadWrite)) {
        copied.setFileTime(source.lastModified(), QFileDevice::FileModificationTime);
        copied.close();
    }
    copied.setPermissions(source.permissions());
    return true;
}

} // namespace

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = path.left(slash + 1);
    const QString pattern = path.mid(slash + 1);
    return !matchingFiles(folder, pattern).isEmpty();
}

bool FileExistsNonEmpty(const QString &path)
{
    const QString trimmed = TrimBlanks(path);
    if (trimmed.isEmpty())
        return false;
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    QString file = trimmed;
    if (slash >= 0 && slash + 1 < trimmed.size())
        file = FindFileNoCase(trimmed.left(slash + 1), trimmed.mid(slash + 1));
    const QFileInfo info(file);
    return info.isFile() && info.size() > 0;
}

bool CreateFolderPath(const QString &path)
{
    QString p = path;
    if (p.endsWith(QLatin1Char('/')))
        p.chop(1);
    const QStringList segments = p.split(QLatin1Char('/'));
    QString level;
    for (const QString &segment : segments) {
        level += segment + QLatin1Char('/');
        if (segment.isEmpty())
            continue; // the root, or a doubled "/"
        if (!QFileInfo::exists(level))
            QDir().mkdir(level);
    }
    return true;
}

int CopyFolderFiles(const QString &sourceFolder, const QString &targetFolder, const QString &pattern)
{
    const QString source = withSlash(sourceFolder);
    const QString target = withSlash(targetFolder);
    if (!target.isEmpty() && !QFileInfo::exists(target))
        QDir().mkdir(target);
    int copied = 0;
    const QStringList names = matchingFiles(source, pattern);
    for (const QString &name : names) {
        const QString from = (source.isEmpty() ? QDir::currentPath() + QLatin1Char('/') : source) + name;
        if (copyReplacing(from, target + name))
            ++copied;
    }
    return copied;
}

bool WriteWholeFile(const QString &path, const QByteArray &data, QString *error)
{
    QString reason;
    if (!SaveWholeFile(path, data, &reason)) {
        if (error)
            *error = QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    }
    return true;
}

bool WriteCrLfFile(const QString &path, const QStringList &lines)
{
    QByteArray data;
    for (const QString &line : lines)
        data += line.toUtf8() + "\r\n";
    return WriteWholeFile(path, data);
}

bool WriteEditionDescriptor(const QString &folder, const QString &name, const QString &databaseFile,
                            const QString &title)
{
    QString title2 = title;
    title2.replace(QLatin1Char('_'), QLatin1Char(' '));
    return WriteCrLfFile(withSlash(folder) + name + QStringLiteral(".ddb"),
                         {TrimBlanks(databaseFile) + QLatin1Char(',') + title2});
}

int ShellOpen(const QString &target)
{
    constexpr int opened = 42;
    constexpr int fileNotFound = 2;
    const QString t = TrimBlanks(target);
    if (t.isEmpty())
        return fileNotFound;

    QUrl url;
    const QFileInfo file(t);
    if (file.exists()) {
        url = QUrl::fromLocalFile(file.absoluteFilePath());
    } else if (t.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) {
        url = QUrl::fromUserInput(t);
    } else {
        url = QUrl(t, QUrl::TolerantMode);
        if (url.scheme().isEmpty())
            return fileNotFound; // neither an existing file nor an address
    }
    if (!url.isValid())
        return fileNotFound;
    return QDesktopServices::openUrl(url) ? opened : fileNotFound;
}

void ActivateNotepad()
{
    // There is no Notepad here; a window of another program titled in its way (for
    // example one run under a Windows compatibility layer) is still found and raised.
    ActivateTopLevelWindowEndingWith(QStringLiteral("- Notepad"), 255);
}

void CenterForm(QWidget *form)
{
    if (!form || form->isMaximized())
        return;
    FitWindowTitle(form);
    QScreen *screen = form->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize frame = form->frameGeometry().size();
    form->move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

quint32 DllVersionMajor(DllVersionInfo &record)
{
    record.cbSize = 20;
    const BrowserComponentVersion v = BrowserVersion();
    record.dwMajorVersion = v.major;
    record.dwMinorVersion = v.minor;
    record.dwBuildNumber = v.build;
    return record.dwMajorVersion;
}

QString GetIEVersion()
{
    DllVersionInfo record;
    DllVersionMajor(record);
    return QStringLiteral("Internet Explorer %1.%2.%3")
        .arg(record.dwMajorVersion)
        .arg(record.dwMinorVersion)
        .arg(record.dwBuildNumber);
}
