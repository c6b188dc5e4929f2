#include "exchange/subtopic_file.h"

#include "shared/routines.h"
#include "shared/text_codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

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

// The tag a line opens or closes (closing set accordingly), or "" for any other line.
QString tagOfLine(const QString &line, bool *closing)
{
    if (line.size() < 3 || !line.startsWith(QLatin1Char('<')) || !line.endsWith(QLatin1Char('>')))
        return QString();
    *closing = line.at(1) == QLatin1Char('/');
    const QString tag = line.mid(*closing ? 2 : 1, line.size() - (*closing ? 3 : 2));
    return SubTopicFile::allTags().contains(tag) ? tag : QString();
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
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
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
    const QString folded = foldCase(path);
    quint64 hash = 0;
    for (const QChar c : folded)
        hash = hashStep(hash, c);
    QList<int> &entries = m_byHash[hashKey(hash, folded.size())];
    for (const int e : std::as_const(entries))
        if (m_paths.at(e) == folded)
            return;
    entries.append(int(m_paths.size()));
    m_paths.append(folded);
    m_values.append(value);
    m_lengths.insert(folded.size());
    m_longest = std::max(m_longest, folded.size());
}

int SubTopicFile::PathIndex::find(const QString &line, qsizetype *bar) const
{
    // Every "|" that ends a prefix whose hash is a path's, then the longest one that is.
    QList<std::pair<qsizetype, quint64>> candidates;
    quint64 hash = 0;
    const qsizetype end = std::min(line.size(), m_longest + 1);
    for (qsizetype i = 0; i < end; ++i) {
        if (line.at(i) == QLatin1Char('|') && m_lengths.contains(i) && m_byHash.contains(hashKey(hash, i)))
            candidates.append({i, hashKey(hash, i)});
        hash = hashStep(hash, line.at(i));
    }
    for (auto c = candidates.crbegin(); c != candidates.crend(); ++c) {
        for (const int e : m_byHash.value(c->second)) {
            const QString &path = m_paths.at(e);
            qsizetype k = 0;
            while (k < path.size() && path.at(k).unicode() == foldedChar(line.at(k)))
                ++k;
            if (k == path.size() && k == c->first) {
                *bar = c->first;
                return m_values.at(e);
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
    m_errorLine = line;
    m_error = reason;
    return false;
}

bool SubTopicFile::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_sections.clear();
        m_errorLine = 0;
        m_error = file.errorString();
        return false;
    }
    return parse(decode(file.readAll()));
}

bool SubTopicFile::parse(const QString &text)
{
    m_sections.clear();
    m_error.clear();
    m_errorLine = 0;

    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();   // the line end of the last line
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);

    QString open;   // the section being read, "" between sections
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const int number = i + 1;
        bool closing = false;
        const QString tag = tagOfLine(line, &closing);

        if (open.isEmpty()) {
            if (line.isEmpty())
                continue;
            if (tag.isEmpty() || closing)
                return fail(number, QStringLiteral("it stands outside every section"));
            open = tag;
            QList<Line> &content = m_sections[tag];
            // The six headers count by position, whatever text a header holds.
            if (tag == PageTag && i + 7 < lines.size() && lines.at(i + 7) == closingTag(PageTag)) {
                for (int k = 1; k <= 6; ++k)
                    content.append({number + k, lines.at(i + k)});
                i += 7;
                open.clear();
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
            m_sections[open].append({number, line});
    }

    const int end = int(lines.size()) + 1;
    if (!open.isEmpty())
        return fail(end, QStringLiteral("the file ends inside its <%1> section").arg(open));
    if (!m_sections.contains(LinksTag))
        return fail(end, QStringLiteral("the file ends before its <%1> section").arg(LinksTag));
    return true;
}
