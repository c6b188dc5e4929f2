#include "shared/cls_file_operations.h"

#include "platform/dialogs.h"
#include "platform/registry.h"
#include "shared/fileroutines.h"
#include "shared/window_services.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString kAllFiles = QStringLiteral("All files (*.*)|*.*");
const QString kShellFolders = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");

QWidget *owner()
{
    return QApplication::activeWindow();
}

QStringList patternsOf(const QString &pattern)
{
    QStringList result;
    const QStringList parts = pattern.split(QLatin1Char(';'));
    for (const QString &p : parts)
        if (!p.trimmed().isEmpty())
            result.append(p.trimmed());
    return result;
}

QString startFolder(const QString &initialFolder)
{
    return initialFolder.isEmpty() ? QDir::currentPath() : initialFolder;
}

bool matchesPattern(const QString &name, const QString &pattern)
{
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                                QRegularExpression::CaseInsensitiveOption);
    return re.match(name).hasMatch();
}

bool copyRecursively(const QString &source, const QString &target)
{
    const QFileInfo info(source);
    if (info.isDir() && !info.isSymLink()) {
        if (!QDir().mkpath(target))
            return false;
        const QStringList entries = QDir(source).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                                                           | QDir::System, QDir::Name | QDir::IgnoreCase);
        for (const QString &entry : entries)
            if (!copyRecursively(QDir(source).filePath(entry), QDir(target).filePath(entry)))
                return false;
        return true;
    }
    if (info.exists() && !info.isFile() && !info.isDir())
        return true;   // a FIFO, socket or device has no contents to copy, and reading one may wait for ever
    return QFile::copy(source, target);
}

bool removeEntry(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

bool exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString withoutTrailingSeparator(const QString &path)
{
    if (path.size() > 1 && (path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/'))))
        return path.left(path.size() - 1);
    return path;
}

} // namespace

QList<QPair<QString, QString>> clsFileOperations::filterEntries(const QString &filter)
{
    QList<QPair<QString, QString>> entries;
    const QStringList parts = (filter.isEmpty() ? kAllFiles : filter).split(QLatin1Char('|'));
    for (int i = 0; i < parts.size(); i += 2) {
        if (parts.at(i).isEmpty() && i + 1 >= parts.size())
            break;   // a trailing "|"
        entries.append({parts.at(i), i + 1 < parts.size() ? parts.at(i + 1) : QString()});
    }
    return entries;
}

QString clsFileOperations::toQtFilter(const QString &filter)
{
    QStringList entries;
    const QList<QPair<QString, QString>> pairs = filterEntries(filter);
    for (const auto &[description, pattern] : pairs) {
        QStringList patterns = patternsOf(pattern);
        for (QString &p : patterns)
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        if (patterns.isEmpty())
            patterns.append(QStringLiteral("*"));
        // The dialog takes the patterns from the parentheses that end an entry.
        QString label = description.trimmed();
        if (label.endsWith(QLatin1Char(')'))) {
            const int open = label.lastIndexOf(QLatin1Char('('));
            if (open >= 0)
                label = label.left(open).trimmed();
        }
        if (label.isEmpty())
            label = patterns.join(QLatin1Char(' '));
        entries.append(label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

QStringList clsFileOperations::fileList(const QString &files)
{
    QStringList names;
    const QStringList parts = files.split(QLatin1Char('|'));
    for (const QString &p : parts)
        if (!p.isEmpty())
            names.append(p);
    return names;
}

QString clsFileOperations::OpenFile(const QString &filter, const QString &initialFolder) const
{
    return GetOpenFileName(owner(), QString(), startFolder(initialFolder), toQtFilter(filter));
}

QString clsFileOperations::SaveFile(const QString &defaultName, const QString &filter, const QString &initialFolder,
                                    bool check, bool filterFromExtension) const
{
    QList<QPair<QString, QString>> entries = filterEntries(filter);
    int selected = 0;
    const int dot = defaultName.lastIndexOf(QLatin1Char('.'));
    if (filterFromExtension && dot >= 0 && dot + 1 < defaultName.size()) {
        const QString extension = defaultName.mid(dot);
        for (int i = 0; i < entries.size(); ++i) {
            if (entries.at(i).second.contains(extension, Qt::CaseInsensitive)) {
                selected = i;
                break;
            }
        }
    }
    // The entry in use is offered first.
    QString dialogFilter = entries.at(selected).first + QLatin1Char('|') + entries.at(selected).second;
    for (int i = 0; i < entries.size(); ++i)
        if (i != selected)
            dialogFilter += QLatin1Char('|') + entries.at(i).first + QLatin1Char('|') + entries.at(i).second;
    const QStringList patterns = patternsOf(entries.at(selected).second);
    const QString start = QDir(startFolder(initialFolder)).filePath(defaultName);

    for (;;) {
        QString path = GetSaveFileName(owner(), QString(), start, toQtFilter(dialogFilter));
        if (path.isEmpty() || !check)
            return path;
        // A name that none of the patterns fits gets the extension of the first one, when
        // that is a plain "*.ext" (a name always fits "*" and "*.*").
        const QString name = QFileInfo(path).fileName();
        const bool fits = patterns.isEmpty()
            || std::any_of(patterns.begin(), patterns.end(), [&](const QString &p) { return matchesPattern(name, p); });
        if (!fits) {
            const QString first = patterns.first();
            static const QRegularExpression plainExtension(QStringLiteral("^\\*\\.[^*?\\[\\]]+$"));
            if (plainExtension.match(first).hasMatch())
                path += first.mid(1);
        }
        if (!QFileInfo::exists(path))
            return path;
        if (MsgBox(QFileInfo(path).fileName() + QStringLiteral(" does allready exist.\nDo you want to overwrite it?"),
                   vbYesNo + vbExclamation + vbDefaultButton2)
            == vbYes)
            return path;
    }
}

bool clsFileOperations::OpenMultipleFiles(QStringList &files, const QString &filter,
                                          const QString &initialFolder) const
{
    files = GetOpenFileNames(owner(), QString(), startFolder(initialFolder), toQtFilter(filter));
    return !files.isEmpty();
}

QString clsFileOperations::GetSpecialFolder(qint32 folder, const QString &folderName) const
{
    static const QStringList names = {
        QStringLiteral("Desktop"),  QStringLiteral("Programs"), QStringLiteral("Personal"),
        QStringLiteral("StartUp"),  QStringLiteral("Templates"), QStringLiteral("Start Menu"),
        QStringLiteral("SendTo"),   QStringLiteral("Recent"),   QStringLiteral("History"),
        QStringLiteral("Favorites"), QStringLiteral("NetHood"), QStringLiteral("Fonts"),
        QStringLiteral("Cache"),    QStringLiteral("AppData"),  QStringLiteral("PrintHood"),
        QStringLiteral("Cookies"),
    };
    QString valueName;
    if (folder == 99)
        valueName = folderName;
    else if (folder >= 1 && folder <= names.size())
        valueName = names.at(folder - 1);
    if (valueName.isEmpty())
        return QString();
    QString value;
    if (!GetRegStringValue(HKEY_CURRENT_USER, kShellFolders, valueName, value))
        return QString();
    return value;
}

bool clsFileOperations::GetRegStringValue(quint32 rootKey, const QString &keyPath, const QString &valueName,
                                          QString &value) const
{
    RegKey key;
    if (Registry::openKey(rootKey, keyPath, &key) != ERROR_SUCCESS)
        return false;
    quint32 type = REG_NONE;
    QByteArray data;
    if (Registry::queryValue(key, valueName, &type, &data) != ERROR_SUCCESS)
        return false;
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        value = Registry::dataText(data);
    else if (type == REG_DWORD)
        value = QString::number(Registry::dataDword(data));
    else
        return false;
    return true;
}

bool clsFileOperations::expandSources(const QString &sources, QStringList &paths)
{
    paths.clear();
    const QStringList names = fileList(sources);
    for (const QString &name : names) {
        const QFileInfo info(name);
        const QString base = info.fileName();
        if (base.contains(QLatin1Char('*')) || base.contains(QLatin1Char('?'))) {
            const QDir dir(info.path());
            const QStringList found = dir.entryList({base}, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                                                                | QDir::System, QDir::Name | QDir::IgnoreCase);
            if (found.isEmpty())
                return false;
            for (const QString &f : found)
                paths.append(dir.filePath(f));
        } else {
            if (!exists(name))
                return false;
            paths.append(withoutTrailingSeparator(name));
        }
    }
    return !paths.isEmpty();
}

bool clsFileOperations::transfer(const QString &sources, const QString &destination, bool move)
{
    QStringList paths;
    if (destination.isEmpty() || !expandSources(sources, paths))
        return false;
    const QString dest = withoutTrailingSeparator(destination);
    const bool intoFolder = paths.size() > 1 || QFileInfo(dest).isDir() || dest != destination;

    // Every target is checked before anything is touched.
    QStringList targets;
    QSet<QString> seen;
    for (const QString &source : std::as_const(paths)) {
        const QString target = intoFolder ? QDir(dest).filePath(QFileInfo(source).fileName()) : dest;
        const QString absSource = QFileInfo(source).absoluteFilePath();
        const QString absTarget = QFileInfo(target).absoluteFilePath();
        if (exists(target) || seen.contains(absTarget) || absTarget == absSource
            || absTarget.startsWith(absSource + QLatin1Char('/')))
            return false;
        seen.insert(absTarget);
        targets.append(target);
    }
    if (!QDir().mkpath(intoFolder ? dest : QFileInfo(dest).absolutePath()))
        return false;

    for (int i = 0; i < paths.size(); ++i) {
        const QString &source = paths.at(i);
        const QString &target = targets.at(i);
        if (move) {
            if (QDir().rename(source, target))
                continue;
            // Another file system: copy, then remove the source once the copy is whole.
            if (!copyRecursively(source, target)) {
                removeEntry(target);
                return false;
            }
            if (!removeEntry(source))
                return false;
        } else if (!copyRecursively(source, target)) {
            return false;
        }
    }
    return true;
}

bool clsFileOperations::Copyfiles(const QString &sources, const QString &destination) const
{
    return transfer(sources, destination, false);
}

bool clsFileOperations::MoveFiles(const QString &sources, const QString &destination) const
{
    return transfer(sources, destination, true);
}

bool clsFileOperations::RenameFile(const QString &oldName, const QString &newName) const
{
    if (oldName.isEmpty() || newName.isEmpty() || !exists(oldName))
        return false;
    QString target = newName;
    if (!newName.contains(QLatin1Char('/')))
        target = QFileInfo(oldName).dir().filePath(newName);   // a bare name stays in the same folder
    if (exists(target))
        return false;
    return QDir().rename(oldName, target);
}

bool clsFileOperations::DeleteFiles(const QString &files, bool toRecycleBin) const
{
    QStringList paths;
    if (!expandSources(files, paths))
        return false;
    bool ok = true;
    for (const QString &path : std::as_const(paths)) {
        if (toRecycleBin)
            ok = QFile::moveToTrash(path) && ok;
        else
            ok = removeEntry(path) && ok;
    }
    return ok;
}

QString clsFileOperations::SelectFolder() const
{
    return BrowseForFolder(owner(), QString(), QString());
}

QIcon clsFileOperations::GetDisplayedIcon(const QString &path, int sizeFlags) const
{
    return GetFileIcon(path, (sizeFlags & 1) ? 1 : 2);
}

QString clsFileOperations::GetFileType(const QString &path) const
{
    return GetFileTypeName(path);
}

bool clsFileOperations::OpenWithLinkedApplication(const QString &file) const
{
    return !file.isEmpty() && exists(file) && ShellOpen(file) > 32;
}

bool clsFileOperations::ExistFolder(const QString &path) const
{
    const QString p = withoutTrailingSeparator(path);
    return !p.isEmpty() && QFileInfo(p).isDir();
}
