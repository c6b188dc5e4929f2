#include "pages/page_cache.h"

#include "shared/database.h"

#include <QDir>
#include <QFile>

int DeletePageFiles(const QString &folder)
{
    QDir dir(folder.isEmpty() ? GetAppPath() : folder);
    int removed = 0;
    const QStringList pages = dir.entryList({QStringLiteral("*.html")}, QDir::Files | QDir::Hidden);
    for (const QString &page : pages)
        if (QFile::remove(dir.filePath(page)))
            ++removed;
    return removed;
}
