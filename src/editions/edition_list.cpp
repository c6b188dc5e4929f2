#include "editions/edition_list.h"

#include "editions/edition_files.h"
#include "platform/kill_point.h"
#include "platform/programfolder.h"
#include "shared/fileroutines.h"
#include "shared/text_codec.h"

#include <QFile>
#include <QFileInfo>

namespace {

const char *const kListName = "dbnames.txt";
const char *const kScratchName = "tmpdbnames.txt";

bool holdsLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// Lines of text or of bytes alike: the "*" is one byte.
template <typename Lines>
int lineOfEntryIn(const Lines &lines, int index)
{
    for (int i = 0, n = 0; index >= 0 && i < lines.size(); ++i) {
        if (lines.at(i).isEmpty())
            continue;
        if (n++ == index)
            return i;
    }
    return -1;
}

template <typename Lines>
bool moveMarkIn(Lines &lines, int index)
{
    const int target = lineOfEntryIn(lines, index);
    if (target < 0)
        return false;
    for (int i = 0; i < lines.size(); ++i) {
        auto &line = lines[i];
        const bool marked = line.startsWith('*');
        if (i == target && !marked)
            line.prepend('*');
        else if (i != target && marked)
            line.remove(0, 1);
    }
    return true;
}

} // namespace

QString EditionList::listPath(const QString &folder)
{
    return FindFileNoCase(folder, QLatin1String(kListName));
}

QString EditionList::scratchPath(const QString &folder)
{
    return FindFileNoCase(folder, QLatin1String(kScratchName));
}

EditionEntry EditionList::parseLine(const QString &line)
{
    EditionEntry e;
    e.active = line.startsWith(QLatin1Char('*'));
    const QString rest = e.active ? line.mid(1) : line;
    const qsizetype comma = rest.indexOf(QLatin1Char(','));
    if (comma < 0) {
        e.title = rest;
        return e;
    }
    e.file = rest.left(comma).trimmed();
    e.title = rest.mid(comma + 1);
    return e;
}

QString EditionList::formatLine(const EditionEntry &entry)
{
    return (entry.active ? QStringLiteral("*") : QString()) + entry.file + QLatin1Char(',') + entry.title;
}

bool EditionList::canCarryFileName(const QString &file)
{
    return !file.contains(QLatin1Char(',')) && !holdsLineBreak(file) && !file.startsWith(QLatin1Char('*'))
           && file == file.trimmed();
}

bool EditionList::canCarry(const EditionEntry &entry)
{
    return canCarryFileName(entry.file) && !holdsLineBreak(entry.title);
}

QList<QByteArray> EditionList::readRawLines(const QString &path, bool *ok)
{
    QList<QByteArray> lines;
    QFile f(path);
    const bool opened = f.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    if (!opened)
        return lines;
    QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (ok)
            *ok = false;
        return lines;
    }
    if (data.isEmpty())
        return lines;
    if (data.endsWith('\n'))
        data.chop(1);
    lines = data.split('\n');
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

QString EditionList::lineText(const QByteArray &bytes)
{
    return DecodeUtf8OrCp1252(bytes);
}

QStringList EditionList::readAllLines(const QString &path, bool *ok)
{
    QStringList lines;
    for (const QByteArray &line : readRawLines(path, ok))
        lines.append(lineText(line));
    return lines;
}

QStringList EditionList::readLines(const QString &path, bool *ok)
{
    QStringList lines = readAllLines(path, ok);
    lines.removeAll(QString());
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

int EditionList::activeIndex(const QList<EditionEntry> &entries)
{
    for (int i = 0; i < entries.size(); ++i)
        if (entries.at(i).active)
            return i;
    return -1;
}

bool EditionList::write(const QString &path, const QStringList &lines)
{
    QList<QByteArray> bytes;
    for (const QString &line : lines)
        bytes.append(line.toUtf8());
    return writeRaw(path, bytes);
}

bool EditionList::writeRaw(const QString &path, const QList<QByteArray> &lines)
{
    const QString scratch = scratchPath(QFileInfo(path).absolutePath());
    QByteArray data;
    for (const QByteArray &line : lines)
        data += line + "\r\n";
    if (!WriteWholeFile(scratch, data))
        return false;
    KillPoint("list-written");
    // The new list takes the old one's place in one step and keeps its mode.
    return ReplaceFileKeepingMode(scratch, path);
}

bool EditionList::append(const QString &path, const EditionEntry &entry)
{
    EditionEntry e = entry;
    e.active = false;
    if (!canCarry(e))
        return false;
    bool ok = false;
    QList<QByteArray> lines = readRawLines(path, &ok);
    if (!ok && QFileInfo::exists(path))
        return false;   // a list that is there but cannot be read is not replaced
    lines.append(formatLine(e).toUtf8());
    return writeRaw(path, lines);
}

int EditionList::lineOfEntry(const QStringList &lines, int index)
{
    return lineOfEntryIn(lines, index);
}

int EditionList::lineOfEntry(const QList<QByteArray> &lines, int index)
{
    return lineOfEntryIn(lines, index);
}

bool EditionList::moveMark(QStringList &lines, int index)
{
    return moveMarkIn(lines, index);
}

bool EditionList::moveMark(QList<QByteArray> &lines, int index)
{
    return moveMarkIn(lines, index);
}

bool EditionList::displayNameListed(const QString &path, const QString &name)
{
    const QString wanted = name.trimmed().toUpper();
    const QStringList lines = readLines(path);
    for (const QString &line : lines)
        if (parseLine(line).title.trimmed().toUpper() == wanted)
            return true;
    return false;
}

bool EditionList::fileListed(const QString &path, const QString &file)
{
    const QStringList lines = readLines(path);
    for (const QString &line : lines)
        if (parseLine(line).file.compare(file.trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}
