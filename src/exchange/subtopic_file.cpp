#include "exchange/subtopic_file.h"

#include "shared/routines.h"
#include "platform/regular_file.h"
#include "shared/text_codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

const QString SubTopicFile::Extension = QStringLiteral(".qvs");
const QString SubTopicFile::PageTag = QStringLiteral("page");
const QString SubTopicFile::ColorTag = QStringLiteral("color");
const QString SubTopicFile::TreeTag = QStringLiteral("tree");
const QString SubTopicFile::LinksTag = QStringLiteral("links");

namespace {

QString openingTag(const QString &tag)
{
    return QLatin1Char('<') + tag + QLatin1Char('>');
}

QString closingTag(const QString &tag)
{
    return QStringLiteral("</") + tag + QLatin1Char('>');
}

} // namespace

const QStringList &SubTopicFile::linkSectionTags()
{
    static const QStringList tags = {QStringLiteral("NewsLinks"),     QStringLiteral("SearchLinks"),
                                     QStringLiteral("FavoriteLinks"), QStringLiteral("LocalLinks"),
                                     QStringLiteral("OrganizationLinks"), QStringLiteral("RelatedLinks")};
    return tags;
}

const QStringList &SubTopicFile::allTags()
{
    static const QStringList tags = QStringList{PageTag} + linkSectionTags() + QStringList{ColorTag, TreeTag, LinksTag};
    return tags;
}

QString SubTopicFile::fileBaseName(const QString &name)
{
    QString base = TrimBlanks(name);
    base.replace(QLatin1Char(' '), QLatin1Char('_'));
    return base;
}

QString SubTopicFile::importName(const QString &baseName)
{
    QString name = baseName;
    name.replace(QLatin1Char('_'), QLatin1Char(' '));
    return name;
}

bool SubTopicFile::isSubTopicFileName(const QString &fileName)
{
    return fileName.endsWith(Extension, Qt::CaseSensitive);
}

QString SubTopicFile::baseNameOf(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QStringList SubTopicFile::findFiles(const QString &folder)
{
    QStringList found;
    QStringList folders = {QDir(folder).absolutePath()};
    while (!folders.isEmpty()) {
        const QDir dir(folders.takeLast());
        const QFileInfoList entries =
            dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                              QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo &entry : entries) {
            if (entry.isSymLink() && entry.isDir())
                continue;
            if (entry.isDir())
                folders.append(entry.absoluteFilePath());
            else if (entry.isFile() && isSubTopicFileName(entry.fileName()))
                found.append(entry.absoluteFilePath());
        }
    }
    return found;
}

QString SubTopicFile::decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? DecodeCp1252(bytes) : text;
}

QByteArray SubTopicFile::encode(const QStringList &lines)
{
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    QByteArray bytes;
    bytes.reserve(size);   // enough for ASCII text
    for (const QString &line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

QStringList SubTopicFile::section(const QString &tag, const QStringList &content)
{
    return QStringList{openingTag(tag)} + content + QStringList{closingTag(tag)};
}

bool SubTopicFile::carries(const QString &value)
{
    return !value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n'));
}

QString SubTopicFile::addressField(const QString &address)
{
    QString text = address;
    return text.replace(QLatin1Char('|'), QLatin1String("%7C"));
}

QString SubTopicFile::field(const QString &line, int n)
{
    if (line.isEmpty())
        return QString();
    return GetPiece(line, QStringLiteral("|"), n, n);
}

QString SubTopicFile::pairLine(const QString &name, const QString &address)
{
    return TrimBlanks(name) + QLatin1Char('|') + addressField(TrimBlanks(address));
}

void SubTopicFile::splitPair(const QString &line, QString *name, QString *address)
{
    const qsizetype bar = line.lastIndexOf(QLatin1Char('|'));
    *name = TrimBlanks(bar < 0 ? line : line.left(bar));
    *address = TrimBlanks(bar < 0 ? line : line.mid(bar + 1));
}

QString SubTopicFile::treeLine(const QString &path)
{
    return ReversePathOrder(path) + QLatin1Char('|') + path;
}

void SubTopicFile::splitTreeLine(const QString &line, QString *reversed, QString *path)
{
    const qsizetype middle = line.size() / 2;
    if (line.size() % 2 == 1 && line.at(middle) == QLatin1Char('|')) {
        const QString right = line.mid(middle + 1);
        if (QStringView(line).left(middle) == ReversePathOrder(right)) {
            *reversed = line.left(middle);
            *path = right;
            return;
        }
    }
    *reversed = TrimBlanks(field(line, 1));
    *path = TrimBlanks(field(line, 2));
}

QString SubTopicFile::linkLine(const QString &path, const QString &name, const QString &address)
{
    return path + QLatin1Char('|') + pairLine(name, address);
}

namespace {

// Polynomial hashes modulo the prime 2^61 - 1, over text with its letter case folded.
constexpr quint64 kPrime = (quint64(1) << 61) - 1;
constexpr quint64 kBase = 0x1d2b3c4d5e6f7ULL;

quint64 reduce(quint64 value)
{
    value = (value & kPrime) + (value >> 61);
    return value >= kPrime ? value - kPrime : value;
}

char16_t foldedChar(QChar c)
{
    const char16_t u = c.unicode();
    return u >= u'A' && u <= u'Z' ? char16_t(u + (u'a' - u'A')) : u;
}

quint64 hashStep(quint64 hash, QChar c)
{
    const unsigned __int128 product = static_cast<unsigned __int128>(hash) * kBase;
    const quint64 high = reduce(quint64(product >> 61));
    return reduce(reduce(quint64(product) & kPrime) + high + foldedChar(c) + 1);
}

quint64 hashKey(quint64 hash, qsizetype length)
{
    return hash ^ (quint64(length) * 0x9E3779B97F4A7C15ULL);
}

} // namespace

void SubTopicFile::PathIndex::add(const QString &path, int value)
{
    quint64 hash = 0;
    for (const QChar c : path)
        hash = hashStep(hash, c);
    m_sorted = m_sorted && (m_entries.empty() || m_entries.back() < Entry{hashKey(hash, path.size()), value});
    m_entries.push_back({hashKey(hash, path.size()), value});
    m_lengths.insert(path.size());
    m_longest = std::max(m_longest, path.size());
}

int SubTopicFile::PathIndex::find(const QString &line, qsizetype *bar, const PathOf &pathOf) const
{
    if (!m_sorted) {
        std::sort(m_entries.begin(), m_entries.end());
        m_sorted = true;
    }
    // Every "|" that ends a prefix whose hash is a path's, then the longest one that is.
    QList<std::pair<qsizetype, quint64>> candidates;
    quint64 hash = 0;
    const qsizetype end = std::min(line.size(), m_longest + 1);
    const auto first = [this](quint64 key) {
        return std::lower_bound(m_entries.cbegin(), m_entries.cend(), Entry{key, std::numeric_limits<int>::min()});
    };
    for (qsizetype i = 0; i < end; ++i) {
        if (line.at(i) == QLatin1Char('|') && m_lengths.contains(i)) {
            const auto e = first(hashKey(hash, i));
            if (e != m_entries.cend() && e->key == hashKey(hash, i))
                candidates.append({i, hashKey(hash, i)});
        }
        hash = hashStep(hash, line.at(i));
    }
    for (auto c = candidates.crbegin(); c != candidates.crend(); ++c) {
        // Entries of one key in ascending value order: the first that matches was added first.
        for (auto e = first(c->second); e != m_entries.cend() && e->key == c->second; ++e) {
            const QString path = pathOf(e->value);
            qsizetype k = 0;
            while (k < path.size() && foldedChar(path.at(k)) == foldedChar(line.at(k)))
                ++k;
            if (k == path.size() && k == c->first) {
                *bar = c->first;
                return e->value;
            }
        }
    }
    return -1;
}

QString SubTopicFile::foldCase(const QString &text)
{
    QString folded = text;
    for (QChar &c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

bool SubTopicFile::fail(int line, const QString &reason)
{
    m_sections.clear();
    forgetLastSection();
    m_bytes.clear();
    m_errorLine = line;
    m_error = reason;
    return false;
}

bool SubTopicFile::read(const QString &path)
{
    m_sections.clear();
    forgetLastSection();
    m_bytes.clear();
    m_errorLine = 0;
    QFile file(path);
    errno = 0;
    if (!OpenRegularFile(file)) {
        // Only a failed system call leaves its number; the rest is a file of another kind.
        m_error = errno != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                             : QStringLiteral("it is not a regular file");
        return false;
    }
    const qint64 size = file.size();
    if (size > MaxSize) {
        m_error = QStringLiteral("it is larger than 64 MiB, the most a Sub-Topic file may hold");
        return false;
    }
    // One byte more than the file holds tells a file that grows while it is read.
    const QByteArray bytes = file.read(size + 1);
    if (file.error() != QFileDevice::NoError) {
        m_error = file.errorString();
        return false;
    }
    if (bytes.size() != size) {
        m_error = QStringLiteral("it changed while it was read");
        return false;
    }
    return parse(bytes);
}

namespace {

// The line that begins at pos: its length without the line end (LF, or CR LF), and where
// the next one begins.
void lineAt(const QByteArray &bytes, qsizetype pos, qsizetype *length, qsizetype *next)
{
    qsizetype end = bytes.indexOf('\n', pos);
    *next = end < 0 ? bytes.size() : end + 1;
    if (end < 0)
        end = bytes.size();
    if (end > pos && bytes.at(end - 1) == '\r')
        --end;
    *length = end - pos;
}

// The tag a line opens or closes (closing set accordingly), or "" for any other line. Tags
// are ASCII, the same bytes in both encodings read.
QString tagOfLine(QByteArrayView line, bool *closing)
{
    if (line.size() < 3 || line.front() != '<' || line.back() != '>')
        return QString();
    *closing = line.at(1) == '/';
    const QByteArrayView tag = line.sliced(*closing ? 2 : 1, line.size() - (*closing ? 3 : 2));
    for (const QString &known : SubTopicFile::allTags())
        if (tag == QByteArrayView(known.toLatin1()))
            return known;
    return QString();
}

bool validUtf8(const QByteArray &bytes)
{
    // In pieces that end before a byte that begins a character, so that the text made on
    // the way stays small. A character cut short at the end of the file is an error.
    constexpr qsizetype Piece = 1 << 20;
    for (qsizetype pos = 0; pos < bytes.size();) {
        qsizetype end = std::min(pos + Piece, bytes.size());
        for (int k = 0; k < 3 && end < bytes.size() && (uchar(bytes.at(end)) & 0xC0) == 0x80; ++k)
            --end;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        (void)QString(utf8.decode(QByteArrayView(bytes).sliced(pos, end - pos)));
        if (utf8.hasError())
            return false;
        pos = end;
    }
    return true;
}

} // namespace

QString SubTopicFile::textOf(Span span) const
{
    const QByteArrayView bytes = QByteArrayView(m_bytes).sliced(span.start, span.length);
    if (!m_utf8)
        return DecodeCp1252(bytes.toByteArray());
    // A U+FEFF inside the file is text (one at its start has been passed over already).
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}

void SubTopicFile::forgetLastSection()
{
    m_lastTag.clear();
    m_lastSpans.clear();
}

QString SubTopicFile::text(const QString &tag, qsizetype i) const
{
    // A section's lines are asked for one after another: the last section looked up is
    // kept, known by the tag's shared text.
    if (!tag.isSharedWith(m_lastTag) || m_lastTag.isNull()) {
        m_lastTag = tag;
        m_lastSpans = m_sections.value(tag);
    }
    return textOf(m_lastSpans.at(i));
}

int SubTopicFile::lineNumber(const QString &tag, qsizetype i) const
{
    return int(QByteArrayView(m_bytes).first(m_sections.value(tag).at(i).start).count('\n')) + 1;
}

bool SubTopicFile::parse(const QByteArray &bytes)
{
    m_sections.clear();
    forgetLastSection();
    m_error.clear();
    m_errorLine = 0;
    if (bytes.size() > MaxSize) {
        m_bytes.clear();
        m_error = QStringLiteral("it is larger than 64 MiB, the most a Sub-Topic file may hold");
        return false;
    }
    m_bytes = bytes;
    m_utf8 = validUtf8(bytes);

    // A UTF-8 byte order mark at the start is no text.
    qsizetype pos = m_utf8 && bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    QString open;   // the section being read, "" between sections
    int number = 0;
    qsizetype length = 0;
    qsizetype next = 0;
    for (; pos < bytes.size(); pos = next) {
        lineAt(bytes, pos, &length, &next);
        ++number;
        const QByteArrayView line = QByteArrayView(bytes).sliced(pos, length);
        bool closing = false;
        const QString tag = tagOfLine(line, &closing);

        if (open.isEmpty()) {
            if (line.isEmpty())
                continue;
            if (tag.isEmpty() || closing)
                return fail(number, QStringLiteral("it stands outside every section"));
            open = tag;
            QList<Span> &content = m_sections[tag];
            // The six headers count by position, whatever text a header holds.
            if (tag == PageTag) {
                QList<Span> headers;
                qsizetype at = next;
                qsizetype after = next;
                for (int k = 0; k < 7 && at < bytes.size(); ++k, at = after) {
                    qsizetype size = 0;
                    lineAt(bytes, at, &size, &after);
                    headers.append({quint32(at), quint32(size)});
                }
                if (headers.size() == 7
                    && QByteArrayView(bytes).sliced(headers.last().start, headers.last().length) == "</page>") {
                    content += headers.first(6);
                    number += 7;
                    next = at;
                    open.clear();
                }
            }
            continue;
        }

        if (!tag.isEmpty()) {
            if (closing && tag == open) {
                open.clear();
                continue;
            }
            return fail(number, QStringLiteral("the section <%1> has not ended before it").arg(open));
        }
        if (!line.isEmpty() || open == PageTag)
            m_sections[open].append({quint32(pos), quint32(length)});
    }

    const int end = number + 1;
    if (!open.isEmpty())
        return fail(end, QStringLiteral("the file ends inside its <%1> section").arg(open));
    if (!m_sections.contains(LinksTag))
        return fail(end, QStringLiteral("the file ends before its <%1> section").arg(LinksTag));
    return true;
}
