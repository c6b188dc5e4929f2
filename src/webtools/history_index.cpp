#include "webtools/history_index.h"

#include "platform/history_index_file.h"
#include "platform/regular_file.h"

#include <QByteArray>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSet>

QStringList HistoryUrls;

namespace {

// Where the address part of a text begins: at its first "http://" or "https://", whichever
// comes first; -1 when it holds neither.
template <typename Text, typename Mark>
qsizetype addressStart(const Text &text, const Mark &plain, const Mark &secure)
{
    const qsizetype p = text.indexOf(plain);
    const qsizetype s = text.indexOf(secure);
    return p < 0 || (s >= 0 && s < p) ? s : p;
}

// The first "URL " marker at or after from, or -1.
qsizetype findMarker(const QByteArray &data, qsizetype from)
{
    const char *begin = data.constData();
    const char *end = begin + data.size();
    for (const char *p = begin + from; end - p >= 4;) {
        p = static_cast<const char *>(std::memchr(p, 'U', size_t(end - p - 3)));
        if (!p)
            return -1;
        if (std::memcmp(p, "URL ", 4) == 0)
            return p - begin;
        ++p;
    }
    return -1;
}

// The address part of a record text of bytes: from its first "http://" or "https://" on.
QString addressPart(QByteArrayView text)
{
    const qsizetype from = addressStart(text, QByteArrayView("http://"), QByteArrayView("https://"));
    // One character per byte.
    return from < 0 ? QString() : QString::fromLatin1(text.sliced(from));
}

} // namespace

QString WebAddressPart(const QString &text)
{
    const qsizetype from = addressStart(text, QLatin1String("http://"), QLatin1String("https://"));
    return from < 0 ? QString() : text.mid(from);
}

int ReadHistoryIndex(const QString &file, QString *refusal)
{
    HistoryUrls = QStringList{QString()};
    if (file.isEmpty())
        return 0;
    QFile in(file);
    if (!OpenRegularFile(in))
        return 0;
    const auto refuse = [&] {
        HistoryUrls = QStringList{QString()};
        if (refusal)
            *refusal = QStringLiteral("The history index file %1 is larger than %2 and was not read.")
                           .arg(QDir::toNativeSeparators(file), SizeInWords(MaxHistoryIndexBytes));
        return 0;
    };
    if (in.size() > MaxHistoryIndexBytes)
        return refuse();

    // The file is read in pieces. A record ends where the next one begins: its text must
    // end (with a NUL) before the next marker, so no record reaches into the ones after
    // it, and only the bytes from the record being read on are kept.
    constexpr qint64 Piece = 1 << 20;
    QByteArray data;
    qsizetype current = -1;   // the marker of the record being read, in data
    qsizetype from = 0;       // where the search for the next marker goes on
    auto endRecord = [&](qsizetype bound) {
        // The text's NUL is looked for from the byte before it: a NUL there means no text.
        const qsizetype start = current + HistoryIndexFile::RecordTextOffset;
        const char *nul = start > bound ? nullptr
                                        : static_cast<const char *>(std::memchr(data.constData() + start - 1, '\0',
                                                                                size_t(bound - start + 1)));
        const qsizetype end = nul ? nul - data.constData() : -1;
        HistoryUrls.append(end > start ? addressPart(QByteArrayView(data).sliced(start, end - start)) : QString());
    };
    bool atEnd = false;
    qint64 total = 0;
    while (!atEnd) {
        const QByteArray piece = in.read(Piece);
        atEnd = piece.size() < Piece;
        // The size the file claims does not bound it: some files of the system claim none.
        total += piece.size();
        if (total > MaxHistoryIndexBytes)
            return refuse();
        data.append(piece);
        for (qsizetype next = findMarker(data, from); next >= 0; next = findMarker(data, from)) {
            if (current >= 0)
                endRecord(next);
            current = next;
            from = next + 1;
        }
        // A marker cut by the end of the piece is found with the next one.
        from = std::max(from, data.size() - 3);
        const qsizetype keep = current >= 0 ? current : from;
        data.remove(0, keep);
        from -= keep;
        if (current >= 0)
            current = 0;
    }
    if (current >= 0)
        endRecord(data.size());
    return int(HistoryUrls.size() - 1);
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
        if (entry.isFile() && entry.fileName().toUpper() == QLatin1String("INDEX.DAT"))
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
