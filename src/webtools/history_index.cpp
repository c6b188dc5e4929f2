#include "webtools/history_index.h"

#include "platform/history_index_file.h"

#include <QByteArray>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSet>

QStringList HistoryUrls;

QString WebAddressPart(const QString &text)
{
    const qsizetype plain = text.indexOf(QLatin1String("http://"));
    const qsizetype secure = text.indexOf(QLatin1String("https://"));
    qsizetype from = plain;
    if (from < 0 || (secure >= 0 && secure < from))
        from = secure;
    return from < 0 ? QString() : text.mid(from);
}

int ReadHistoryIndex(const QString &file)
{
    HistoryUrls = QStringList{QString()};
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return 0;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray data = in.readAll();

    int count = 0;
    for (qsizetype p = data.indexOf(HistoryIndexFile::RecordMarker); p >= 0;
         p = data.indexOf(HistoryIndexFile::RecordMarker, p + 1)) {
        ++count;
        HistoryUrls.append(QString());
        const qsizetype start = p + HistoryIndexFile::RecordTextOffset;
        if (start > data.size())
            continue;   // the record's text would begin past the end of the file
        const qsizetype end = data.indexOf('\0', start - 1);
        if (end < start)
            continue;   // no text, or no end to it
        // One character per byte.
        const QString text = QString::fromLatin1(data.constData() + start, end - start);
        if (!text.trimmed().isEmpty())
            HistoryUrls[count] = WebAddressPart(text);
    }
    return count;
}

namespace {

void searchFolder(const QString &folder, QStringList &found, int depth)
{
    constexpr int kMaxDepth = 64;
    if (depth > kMaxDepth)
        return;
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                          QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &entry : entries)
        if (!entry.isDir() && entry.fileName().toUpper() == QLatin1String("INDEX.DAT"))
            found.append(entry.filePath());
    for (const QFileInfo &entry : entries)
        if (entry.isDir() && !entry.isSymLink() && !entry.fileName().startsWith(QLatin1Char('.')))
            searchFolder(entry.filePath(), found, depth + 1);
}

} // namespace

QStringList FindHistoryIndexFiles(const QString &folder)
{
    QStringList found;
    if (folder.trimmed().isEmpty() || !QFileInfo(folder).isDir())
        return found;
    searchFolder(folder, found, 0);
    return found;
}

int RemoveDuplicateLines(QStringList &lines)
{
    QSet<QString> seen;
    int removed = 0;
    for (qsizetype i = 0; i < lines.size();) {
        const QString key = lines.at(i).toCaseFolded();
        if (seen.contains(key)) {
            lines.removeAt(i);
            ++removed;
        } else {
            seen.insert(key);
            ++i;
        }
    }
    return removed;
}
