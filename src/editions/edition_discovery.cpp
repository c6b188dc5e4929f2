#include "editions/edition_discovery.h"

#include "editions/edition_files.h"
#include "editions/edition_list.h"
#include "shared/database.h"
#include "shared/routines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <functional>

namespace {

// A scratch file, or a log SQLite keeps beside one.
bool isScratchCopy(const QString &name)
{
    for (const char *log : {"", "-journal", "-wal", "-shm"})
        if (name.endsWith(QLatin1String(kScratchSuffix) + QLatin1String(log), Qt::CaseInsensitive))
            return true;
    return false;
}

void removeFiles(const QString &folder, const std::function<bool(const QString &)> &scratch)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names)
        if (scratch(name))
            QFile::remove(folder + name);
}

} // namespace

void RemoveScratchFiles(const QString &folder)
{
    QString app = folder;
    if (!app.endsWith(QLatin1Char('/')))
        app += QLatin1Char('/');
    removeFiles(app, [](const QString &name) {
        return isScratchCopy(name) || name.compare(QLatin1String("tmpdbnames.txt"), Qt::CaseInsensitive) == 0;
    });
    removeFiles(app + QStringLiteral("export/"), isScratchCopy);
    // A backup is copied under "<file>.tmp" before it replaces the older one.
    removeFiles(app + QStringLiteral("Backup/"), [](const QString &name) {
        return isScratchCopy(name) || name.endsWith(QLatin1String(".mdb.tmp"), Qt::CaseInsensitive);
    });
    removeFiles(app + QStringLiteral("temp/"), [](const QString &) { return true; });
    const QStringList unpacking = QDir(app).entryList({QStringLiteral("plugin-??????")}, QDir::Dirs | QDir::Hidden);
    for (const QString &name : unpacking)
        QDir(app + name).removeRecursively();
}

bool RebuildEditionList(const QString &folder, QStringList *unlisted)
{
    QString app = folder;
    if (!app.endsWith(QLatin1Char('/')))
        app += QLatin1Char('/');
    const QString listPath = EditionList::listPath(app);
    if (!QFileInfo(listPath).isFile())
        return true;

    // Only the program folder itself holds editions; the Backup, export and temp
    // folders below it are never looked into.
    const QStringList names = QDir(app).entryList(QDir::Files | QDir::Hidden | QDir::System,
                                                  QDir::Name | QDir::IgnoreCase);
    QList<EditionEntry> entries;
    QSet<QString> listed;
    for (const QString &name : names) {
        if (name.right(4).toLower() != QLatin1String(".mdb") || name == QLatin1String("untitled.mdb")
            || !QFileInfo(app + name).isFile())
            continue;
        const QString base = TrimBlanks(name.left(name.lastIndexOf(QLatin1Char('.'))));
        if (base.isEmpty())
            continue;
        QString fileName = QString(base).replace(QLatin1Char(' '), QLatin1Char('_')) + QLatin1String(".mdb");
        // A name the list cannot carry is reported as it is, and the file left alone.
        if (!EditionList::canCarryFileName(fileName)) {
            if (unlisted)
                unlisted->append(name);
            continue;
        }
        // A file is renamed only when no other file has its new name; otherwise, or when
        // the rename fails, it is listed under its own name.
        if (fileName != name && (QFileInfo::exists(app + fileName) || !QFile::rename(app + name, app + fileName)))
            fileName = name;
        if (listed.contains(fileName))
            continue;
        listed.insert(fileName);
        entries.append(EditionEntry{fileName, ProperCase(base).replace(QLatin1Char('_'), QLatin1Char(' '))});
    }

    // The first edition that can be opened becomes the active one; a file that is not an
    // edition database is listed, but made active only when no file can be opened.
    int active = entries.isEmpty() ? -1 : 0;
    for (int i = 0; i < entries.size(); ++i) {
        if (IsEditionFile(app + entries.at(i).file)) {
            active = i;
            break;
        }
    }
    QStringList lines;
    for (int i = 0; i < entries.size(); ++i) {
        EditionEntry e = entries.at(i);
        e.active = i == active;
        lines.append(EditionList::formatLine(e));
    }
    return EditionList::write(listPath, lines);
}

QString UnlistedEditionsMessage(const QStringList &unlisted)
{
    QStringList quoted;
    for (const QString &name : unlisted)
        quoted.append(QLatin1Char('"') + QString(name).replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' ')) + QLatin1Char('"'));
    return QStringLiteral("These edition files are not listed, because a \",\" or a line break in a file name "
                          "cannot be kept in the edition list:\n")
           + quoted.join(QLatin1Char('\n'))
           + QStringLiteral("\nRename such a file in the program folder to use it as an edition.");
}
