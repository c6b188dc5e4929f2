#include "editions/edition_list.h"

#include "shared/fileroutines.h"

#include <QFile>

QStringList EditionList::readLines(const QString &path, bool *ok)
{
    QStringList lines;
    QFile f(path);
    const bool opened = f.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    if (!opened)
        return lines;
    const QList<QByteArray> raw = f.readAll().split('\n');
    for (QByteArray line : raw) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(QString::fromUtf8(line));
    }
    return lines;
}

QList<EditionEntry> EditionList::read(const QString &path, bool *ok)
{
    QList<EditionEntry> entries;
    const QStringList lines = readLines(path, ok);
    bool sawActive = false;
    for (const QString &line : lines) {
        EditionEntry e = parseLine(line);
        if (e.active) {
            if (sawActive)
                e.active = false;
            sawActive = true;
        }
        entries.append(e);
    }
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
