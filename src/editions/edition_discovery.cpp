#include "editions/edition_discovery.h"

#include "platform/programfolder.h"
#include "editions/edition_list.h"
#include "shared/routines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

bool RebuildEditionList(const QString &folder)
{
    QString app = folder;
    if (!app.endsWith(QLatin1Char('/')))
        app += QLatin1Char('/');
    const QString listPath = FindFileNoCase(app, QStringLiteral("dbnames.txt"));
    if (!QFileInfo(listPath).isFile())
        return true;

    // Only the program folder itself holds editions; the Backup, export and temp
    // folders below it are never looked into.
    const QStringList entries = QDir(app).entryList(QDir::Files | QDir::Hidden | QDir::System,
                                                    QDir::Name | QDir::IgnoreCase);
    QStringList lines;
    QSet<QString> listed;
    for (const QString &name : entries) {
        if (name.right(4).toLower() != QLatin1String(".mdb") || name == QLatin1String("untitled.mdb"))
            continue;
        const QString base = TrimBlanks(name.left(name.lastIndexOf(QLatin1Char('.'))));
        if (base.isEmpty())
            continue;
        QString fileName = QString(base).replace(QLatin1Char(' '), QLatin1Char('_')) + QLatin1String(".mdb");
        if (fileName != name) {
            if (QFileInfo::exists(app + fileName)) {
                // Another file already has the underscored name: it is listed in its own
                // right, and this one keeps its name rather than overwrite it.
                continue;
            }
            if (!QFile::rename(app + name, app + fileName))
                fileName = name;
        }
        if (listed.contains(fileName))
            continue;
        listed.insert(fileName);
        const QString title = ProperCase(base).replace(QLatin1Char('_'), QLatin1Char(' '));
        EditionEntry e;
        e.file = fileName;
        e.title = title;
        e.active = lines.isEmpty();
        lines.append(EditionList::formatLine(e));
    }
    return EditionList::write(listPath, lines);
}
