#include "shared/edition_list.h"

#include "shared/fileroutines.h"

#include <QFile>

QList<EditionEntry> EditionList::read(const QString &path, bool *ok)
{
    QList<EditionEntry> entries;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (ok)
            *ok = false;
        return entries;
    }
    const QList<QByteArray> lines = f.readAll().split('\n');
    bool sawActive = false;
    for (QByteArray raw : lines) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (raw.isEmpty())
            continue;
        EditionEntry e = parseLine(QString::fromUtf8(raw));
        if (e.active) {
            if (sawActive)
                e.active = false;
            sawActive = true;
        }
        entries.append(e);
    }
    if (ok)
        *ok = true;
    return entries;
}

EditionEntry EditionList::parseLine(const QString &line)
{
    EditionEntry e;
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    QString file = comma < 0 ? line : line.left(comma);
    e.title = comma < 0 ? QString() : line.mid(comma + 1);
    e.active = line.contains(QLatin1Char('*'));
    file.remove(QLatin1Char('*'));
    e.file = file.trimmed();
    return e;
}

int EditionList::activeIndex(const QList<EditionEntry> &entries)
{
    for (int i = 0; i < entries.size(); ++i)
        if (entries.at(i).active)
            return i;
    return -1;
}

bool EditionList::write(const QString &path, const QStringList &lines)
{
    return WriteCrLfFile(path, lines);
}

QString EditionList::formatLine(const EditionEntry &entry)
{
    return (entry.active ? QStringLiteral("*") : QString()) + entry.file + QLatin1Char(',') + entry.title;
}
