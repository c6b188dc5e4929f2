#include "editions/database_pages.h"

#include <QSet>
#include <QUtf8StringView>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr int kHeaderSize = 100;   // the file header, at the start of page 1
constexpr uchar kInteriorIndex = 0x02;
constexpr uchar kInteriorTable = 0x05;
constexpr uchar kLeafIndex = 0x0a;
constexpr uchar kLeafTable = 0x0d;
// Pages tried as the first of a list of free pages whose first page number the header lost.
constexpr int kFreeListTries = 64;

quint32 be16(const uchar *p)
{
    return (quint32(p[0]) << 8) | p[1];
}

quint32 be32(const uchar *p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

// Reads a variable-length integer at p, not past end. Answers the bytes it took, or 0
// when it runs past end.
int varint(const uchar *p, const uchar *end, qint64 *value)
{
    quint64 v = 0;
    for (int i = 0; i < 9; ++i) {
        if (p + i >= end)
            return 0;
        if (i == 8) {
            *value = qint64((v << 8) | p[i]);
            return 9;
        }
        v = (v << 7) | (p[i] & 0x7f);
        if (!(p[i] & 0x80)) {
            *value = qint64(v);
            return i + 1;
        }
    }
    return 0;
}

// Bytes a value of a record's serial type takes; -1 for a type no record holds.
qint64 serialSize(qint64 type)
{
    static const int sizes[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};
    if (type < 0 || type == 10 || type == 11)
        return -1;
    if (type < 10)
        return sizes[type];
    return (type - 12) / 2;
}

bool isTreePage(uchar kind)
{
    return kind == kInteriorTable || kind == kLeafTable || kind == kInteriorIndex || kind == kLeafIndex;
}

// Whether a record's first value, of the given serial type, can be the word a line of the
// list of tables begins with ("table", "index", "view" or "trigger", in UTF-8 or UTF-16).
bool namesKind(qint64 serial)
{
    static const qint64 kinds[] = {21, 23, 27, 29, 33, 41};
    return std::find(std::begin(kinds), std::end(kinds), serial) != std::end(kinds);
}

// The root page that a line of the list of tables, the leaf cell at cell of a page ending
// at end, names: its record's fourth value of five; 0 when it holds none, or is no such
// line (a row of another table that a wrong page size took for one).
qint64 rootNamed(const uchar *cell, const uchar *end)
{
    qint64 value = 0;
    int n = varint(cell, end, &value);   // the payload's size
    const int m = n ? varint(cell + n, end, &value) : 0;   // the row id
    if (m == 0)
        return 0;
    const uchar *record = cell + n + m;
    qint64 headerSize = 0;
    n = varint(record, end, &headerSize);
    if (n == 0 || headerSize < n || headerSize > end - record)
        return 0;
    const uchar *type = record + n;
    const uchar *body = record + headerSize;
    qint64 root = 0;
    int column = 0;
    for (; type < record + headerSize; ++column) {
        qint64 serial = 0;
        n = varint(type, record + headerSize, &serial);
        const qint64 bytes = serialSize(serial);
        if (n == 0 || bytes < 0 || bytes > end - body || (column == 0 && !namesKind(serial)))
            return 0;
        type += n;
        if (column == 3 && serial >= 1 && serial <= 4) {
            root = 0;
            for (qint64 i = 0; i < bytes; ++i)
                root = (root << 8) | body[i];
        }
        body += bytes;
    }
    return column == 5 ? root : 0;
}

// A page size is a power of two from 512 to 65536.
bool isPageSize(qint64 size)
{
    return size >= 512 && size <= 65536 && (size & (size - 1)) == 0;
}

} // namespace

DatabasePages::DatabasePages(const QString &path)
    : m_window(path)
{
    m_size = m_window.size();
    if (m_size < kHeaderSize)
        return;
    const QByteArray header(reinterpret_cast<const char *>(m_window.at(0)), kHeaderSize);
    const auto *data = reinterpret_cast<const uchar *>(header.constData());
    // The header is not trusted, even where its fields are valid: the page size and the
    // bytes each page keeps back are those under which the file's pages parse, and the
    // text encoding the one in which the list of tables reads as such.
    const bool magic = std::memcmp(data, "SQLite format 3", 16) == 0;
    const qint64 declared = be16(data + 16) == 1 ? 65536 : be16(data + 16);
    m_pageSize = guessPageSize(magic && isPageSize(declared) ? declared : 0, magic ? be32(data + 28) : 0);
    // A file cut short has as many pages as it holds whole; one in which no page parses
    // has none.
    m_pageCount = m_pageSize > 0 ? m_size / m_pageSize : 0;
    if (m_pageCount == 0)
        return;
    m_reached.resize(int(m_pageCount + 1));
    m_free.resize(int(m_pageCount + 1));
    m_unlisted.resize(int(m_pageCount + 1));
    m_overflow.resize(int(m_pageCount + 1));
    m_owner.fill(-1, int(m_pageCount + 1));
    m_failedLeafOwner.fill(-1, int(m_pageCount + 1));
    m_claims.fill(0, m_pageCount + 1);
    const qint64 declaredUsable = m_pageSize - (magic ? data[20] : 0);
    m_usable = usableSize(declaredUsable);
    markDoubtfulPages();
    m_encoding = schemaEncoding(magic ? int(be32(data + 56)) : 1);
    markFreePages(be32(data + 32));
    markLostFreeList();
}

DatabasePages::~DatabasePages() = default;

const uchar *DatabasePages::page(qint64 number) const
{
    if (number < 1 || number > m_pageCount)
        return nullptr;
    return m_window.at((number - 1) * m_pageSize);
}

QByteArray DatabasePages::heldPage(qint64 number, const uchar **at) const
{
    const uchar *p = page(number);
    QByteArray bytes(reinterpret_cast<const char *>(p), m_pageSize);
    *at = reinterpret_cast<const uchar *>(bytes.constData()) + (*at - p);
    return bytes;
}

const uchar *DatabasePages::treeHeader(qint64 number) const
{
    const uchar *p = page(number);
    return p && number == 1 ? p + kHeaderSize : p;
}

const uchar *DatabasePages::cellPointers(qint64 number, uchar kind1, uchar kind2, qint64 *cells) const
{
    const uchar *head = treeHeader(number);
    if (!head || (head[0] != kind1 && head[0] != kind2))
        return nullptr;
    const uchar *pointers = head + (head[0] == kInteriorTable || head[0] == kInteriorIndex ? 12 : 8);
    *cells = be16(head + 3);
    const uchar *p = page(number);
    if (pointers + 2 * *cells <= p + m_usable)
        return pointers;
    // A count whose pointers would run past the page is damaged: the pointers themselves
    // tell the cells, up to the first that does not point between its own end and the
    // page's, or reaches where the cells begin.
    const qint64 contentStart = be16(head + 5) == 0 ? 65536 : be16(head + 5);
    const bool sound = contentStart >= pointers - p && contentStart <= m_usable;
    const qint64 limit = sound ? contentStart : m_usable;
    *cells = 0;
    while (pointers + 2 * (*cells + 1) <= p + limit) {
        const qint64 offset = be16(pointers + 2 * *cells);
        if (offset < pointers + 2 * (*cells + 1) - p || (sound && offset < contentStart) || offset + 4 > m_usable)
            break;
        ++*cells;
    }
    return pointers;
}

qint64 DatabasePages::localSize(qint64 size, bool index) const
{
    const qint64 maxLocal = index ? (m_usable - 12) * 64 / 255 - 23 : m_usable - 35;
    const qint64 minLocal = (m_usable - 12) * 32 / 255 - 23;
    if (size <= maxLocal)
        return size;
    const qint64 k = minLocal + (size - minLocal) % (m_usable - 4);
    return k <= maxLocal ? k : minLocal;
}

bool DatabasePages::spaceAccounted(qint64 number, const uchar *pointers, qint64 cells)
{
    return knownContentEnd(number, pointers, cells) == m_usable;
}

qint64 DatabasePages::knownContentEnd(qint64 number, const uchar *pointers, qint64 cells)
{
    // A page's cell pointers, and so where its content ends, follow from its bytes and the
    // usable size alone: each page is worked out once per usable size.
    constexpr qint64 unknown = -2;
    if (m_endsUsable != m_usable) {
        m_ends.fill(unknown, m_pageCount + 1);
        m_endsUsable = m_usable;
    }
    qint64 &end = m_ends[number];
    if (end == unknown)
        end = contentEnd(number, pointers, cells);
    return end;
}

qint64 DatabasePages::contentEnd(qint64 number, const uchar *pointers, qint64 cells)
{
    const uchar *p = page(number);
    const uchar *end = p + m_usable;
    const uchar *head = treeHeader(number);
    const qint64 contentStart = be16(head + 5) == 0 ? 65536 : be16(head + 5);
    if (contentStart < pointers + 2 * cells - p || contentStart > m_usable)
        return -1;
    // The bytes the cells and free blocks cover, a bit each: no byte may be covered twice.
    m_covered.assign(size_t((m_usable + 63) / 64), 0);
    qint64 used = 0;
    qint64 last = contentStart;   // where the last of them ends
    const auto cover = [&](qint64 first, qint64 after) {
        used += after - first;
        last = qMax(last, after);
        for (qint64 word = first / 64; word * 64 < after; ++word) {
            const qint64 from = qMax(first, word * 64) - word * 64;
            const qint64 to = qMin(after, word * 64 + 64) - word * 64;
            const quint64 bits = (to - from == 64 ? ~quint64(0) : ((quint64(1) << (to - from)) - 1)) << from;
            if (m_covered[size_t(word)] & bits)
                return false;
            m_covered[size_t(word)] |= bits;
        }
        return true;
    };
    for (qint64 i = 0; i < cells; ++i) {
        const qint64 offset = be16(pointers + 2 * i);
        if (offset < contentStart || offset >= m_usable)
            return -1;
        const uchar *cell = p + offset;
        qint64 size = 0;
        if (head[0] != kInteriorTable) {
            // A child's page number, the payload's size, a row id in a table's leaf, the
            // payload's bytes on the page and the first overflow page's number.
            const qint64 child = head[0] == kInteriorIndex ? 4 : 0;
            qint64 payload = 0;
            const int n = offset + child < m_usable ? varint(cell + child, end, &payload) : 0;
            if (n == 0 || payload < 0)
                return -1;
            int m = 0;
            if (head[0] == kLeafTable) {
                qint64 rowid = 0;
                m = varint(cell + n, end, &rowid);
                if (m == 0)
                    return -1;
            }
            const qint64 local = localSize(payload, head[0] != kLeafTable);
            size = qMax<qint64>(child + n + m + local + (local < payload ? 4 : 0), 4);
        } else {
            qint64 key = 0;
            const int n = offset + 4 < m_usable ? varint(cell + 4, end, &key) : 0;
            if (n == 0)
                return -1;
            size = 4 + n;
        }
        if (size > m_usable - offset || !cover(offset, offset + size))
            return -1;
    }
    // Free blocks follow each other up the page.
    for (qint64 block = be16(head + 1), previous = 0; block != 0; previous = block, block = be16(p + block)) {
        if (block < contentStart || block <= previous || block + 4 > m_usable)
            return -1;
        const qint64 size = be16(p + block + 2);
        if (size < 4 || size > m_usable - block || !cover(block, block + size))
            return -1;
    }
    const qint64 contentEnd = contentStart + used + head[7];
    return last <= contentEnd ? contentEnd : -1;
}

bool DatabasePages::childrenOf(qint64 number, const Range &range, QVector<Pending> *children)
{
    qint64 cells = 0;
    const uchar *pointers = cellPointers(number, kInteriorTable, kInteriorTable, &cells);
    if (!pointers || !spaceAccounted(number, pointers, cells))
        return false;
    // Child i holds the row ids after key i - 1 up to key i; the right-most child those
    // after the last key. Each holds some.
    const uchar *p = page(number);
    children->clear();
    Range child = range;
    for (qint64 i = 0; i < cells; ++i) {
        const uchar *cell = p + be16(pointers + 2 * i);
        qint64 key = 0;
        varint(cell + 4, p + m_usable, &key);
        if ((child.hasFirst && key < child.first) || (range.hasLast && key >= range.last)
            || key == std::numeric_limits<qint64>::max())
            return false;
        child.last = key;
        child.hasLast = true;
        children->append({be32(cell), child});
        child.first = key + 1;
        child.hasFirst = true;
    }
    child.last = range.last;
    child.hasLast = range.hasLast;
    children->append({be32(treeHeader(number) + 8), child});
    return true;
}

qint64 DatabasePages::guessPageSize(qint64 declared, qint64 declaredPages) const
{
    // Under a wrong size a page's cells point past its end, or its start is no page, or
    // the pages the list of tables and the trees name are not those of the file. The size
    // whose trees reach the most pages is taken, the declared one unless another reaches
    // more; when page 1 leads nowhere under any size, or only to a few of the pages, the
    // size under which the most pages parse.
    qint64 best = declared;
    qint64 bestPages = declared > 0 ? pagesReached(declared) : 0;
    // Trees that reach most of the pages the header counts under the declared size tell that
    // the header is sound, whatever lies after those pages (another edition joined, say).
    if (bestPages > 1 && 2 * bestPages > declaredPages && declaredPages * declared <= m_size)
        return declared;
    for (qint64 size = 512; size <= 65536; size *= 2) {
        const qint64 reached = size == declared ? 0 : pagesReached(size);
        if (reached > bestPages) {
            best = size;
            bestPages = reached;
        }
    }
    // A damaged list of tables reaches a few pages under any size, and those a wrong size
    // reaches by chance are few of the pages that parse under it.
    if (bestPages > 1 && 2 * bestPages > pagesThatParse(best))
        return best;
    best = declared;
    bestPages = declared > 0 ? pagesThatParse(declared) : 0;
    for (qint64 size = 512; size <= 65536; size *= 2) {
        const qint64 sound = size == declared ? 0 : pagesThatParse(size);
        if (sound > bestPages) {
            best = size;
            bestPages = sound;
        }
    }
    return best;
}

const uchar *DatabasePages::parses(qint64 offset, qint64 size, qint64 *cells) const
{
    const uchar *start = m_window.at(offset);
    const uchar *head = start + (offset == 0 ? kHeaderSize : 0);
    if (!isTreePage(head[0]))
        return nullptr;
    *cells = be16(head + 3);
    const uchar *pointers = head + (head[0] == kInteriorTable || head[0] == kInteriorIndex ? 12 : 8);
    if (pointers + 2 * *cells > start + size)
        return nullptr;
    for (qint64 i = 0; i < *cells; ++i) {
        const qint64 cell = be16(pointers + 2 * i);
        if (start + cell < pointers + 2 * *cells || cell + 4 > size)
            return nullptr;
    }
    return pointers;
}

qint64 DatabasePages::pagesThatParse(qint64 size) const
{
    qint64 sound = 0;
    qint64 cells = 0;
    for (qint64 offset = 0; offset + size <= m_size; offset += size)
        sound += parses(offset, size, &cells) ? 1 : 0;
    return sound;
}

qint64 DatabasePages::pagesReached(qint64 size) const
{
    const qint64 count = m_size / size;
    QBitArray seen(int(count + 1));
    QVector<qint64> roots{1};
    qint64 reached = 0;
    for (qsizetype tree = 0; tree < roots.size(); ++tree) {
        QVector<qint64> pending{roots.at(tree)};
        while (!pending.isEmpty()) {
            const qint64 number = pending.takeLast();
            if (number < 1 || number > count || seen.testBit(int(number)))
                continue;
            seen.setBit(int(number));
            const qint64 offset = (number - 1) * size;
            qint64 cells = 0;
            const uchar *pointers = parses(offset, size, &cells);
            if (!pointers)
                continue;
            ++reached;
            const uchar *p = m_window.at(offset);
            const uchar *head = p + (number == 1 ? kHeaderSize : 0);
            const bool interior = head[0] == kInteriorTable || head[0] == kInteriorIndex;
            if (interior)
                pending.append(be32(head + 8));
            for (qint64 i = 0; i < cells; ++i) {
                const uchar *cell = p + be16(pointers + 2 * i);
                if (interior)
                    pending.append(be32(cell));
                else if (tree == 0 && head[0] == kLeafTable && roots.size() <= count)
                    roots.append(rootNamed(cell, p + size));
            }
        }
    }
    return reached;
}

qint64 DatabasePages::soundPages()
{
    qint64 sound = 0;
    for (qint64 number = 1; number <= m_pageCount; ++number) {
        const uchar *head = treeHeader(number);
        qint64 cells = 0;
        const uchar *pointers = cellPointers(number, head[0], head[0], &cells);
        if (pointers && isTreePage(head[0]) && spaceAccounted(number, pointers, cells))
            ++sound;
    }
    return sound;
}

qint64 DatabasePages::usableSize(qint64 declared)
{
    // Under the whole page, each b-tree page's cells, free blocks and fragments tell where
    // its content ends; the end most pages tell is taken over the declared one when more
    // pages are sound under it.
    m_usable = m_pageSize;
    QMap<qint64, qint64> ends;
    for (qint64 number = 1; number <= m_pageCount; ++number) {
        const uchar *head = treeHeader(number);
        qint64 cells = 0;
        const uchar *pointers = isTreePage(head[0]) ? cellPointers(number, head[0], head[0], &cells) : nullptr;
        const qint64 end = pointers ? knownContentEnd(number, pointers, cells) : -1;
        if (end >= 480 && end >= m_pageSize - 255)
            ++ends[end];
    }
    qint64 found = m_pageSize;
    for (auto it = ends.cbegin(); it != ends.cend(); ++it)
        if (it.value() > ends.value(found))
            found = it.key();
    if (declared < 480)
        return found;
    if (found == declared)
        return declared;
    m_usable = declared;
    const qint64 underDeclared = soundPages();
    m_usable = found;
    return soundPages() > underDeclared ? found : declared;
}

int DatabasePages::schemaEncoding(int declared)
{
    // The list of tables is page 1, or the leaves right below it. Each leaf, and each cell
    // of one, is read once, however often it is named: in each encoding in turn.
    QVector<qint64> leaves{1};
    QVector<Pending> children;
    if (treeHeader(1)[0] == kInteriorTable && childrenOf(1, Range(), &children)) {
        leaves.clear();
        for (const Pending &child : std::as_const(children))
            leaves.append(child.number);
        std::sort(leaves.begin(), leaves.end());
        leaves.erase(std::unique(leaves.begin(), leaves.end()), leaves.end());
    }
    static const QStringList types{QStringLiteral("table"), QStringLiteral("index"), QStringLiteral("view"),
                                   QStringLiteral("trigger")};
    const int first = declared >= 1 && declared <= 3 ? declared : 1;
    const QList<int> encodings{first, 1, 2, 3};
    QVector<int> lines(encodings.size(), 0);
    QBitArray taken(int(m_pageCount + 1));
    QVector<qint64> chain;
    QBitArray offsets;
    QVariantList values;
    for (const qint64 leaf : std::as_const(leaves)) {
        qint64 cells = 0;
        const uchar *pointers = page(leaf) ? cellPointers(leaf, kLeafTable, kLeafTable, &cells) : nullptr;
        if (!pointers)
            continue;
        const QByteArray held = heldPage(leaf, &pointers);
        const auto *p = reinterpret_cast<const uchar *>(held.constData());
        offsets.fill(false, m_usable);
        for (qint64 i = 0; i < cells; ++i) {
            const qint64 offset = be16(pointers + 2 * i);
            if (offset >= m_usable || offsets.testBit(int(offset)))
                continue;
            offsets.setBit(int(offset));
            for (int e = 0; e < encodings.size(); ++e) {
                m_encoding = encodings.at(e);
                qint64 rowid = 0;
                values.clear();
                if (readCell(p + offset, p + m_usable, &rowid, &values, &taken, &chain) == Cell::Read && !values.isEmpty()
                    && values.at(0).typeId() == QMetaType::QString && types.contains(values.at(0).toString()))
                    ++lines[e];
                for (const qint64 overflow : std::as_const(chain))
                    taken.clearBit(int(overflow));
                chain.clear();
            }
        }
    }
    // The declared encoding unless another reads more lines; when none reads, the one the
    // texts of the rows read in.
    if (std::all_of(lines.cbegin(), lines.cend(), [](int read) { return read == 0; }))
        return rowsEncoding(first);
    return encodings.at(int(std::max_element(lines.cbegin(), lines.cend()) - lines.cbegin()));
}

int DatabasePages::rowsEncoding(int declared) const
{
    // Each encoding earns a point for each character of a text that is plain text in it
    // (a printable one of the first 256) and loses one for each null; a text not valid in
    // it earns nothing. A text in UTF-16 read as UTF-8 holds a null for each character, and
    // one in UTF-8 read as UTF-16, or in one byte order read in the other, few plain ones.
    constexpr int kTexts = 4096;   // the texts weighed at most
    const auto plain = [](uchar byte) { return (byte >= 0x20 && byte < 0x7f) || byte >= 0xa0; };
    qint64 points[3] = {0, 0, 0};
    int texts = 0;
    for (qint64 number = 2; number <= m_pageCount && texts < kTexts; ++number) {
        qint64 cells = 0;
        const uchar *pointers = cellPointers(number, kLeafTable, kLeafTable, &cells);
        const uchar *p = page(number);
        for (qint64 i = 0; pointers && i < cells && texts < kTexts; ++i) {
            // A record that lies whole on its page, past its payload's size and row id.
            const uchar *end = p + m_usable;
            const uchar *record = p + be16(pointers + 2 * i);
            qint64 size = 0;
            qint64 value = 0;
            int n = record < end ? varint(record, end, &size) : 0;
            const int m = n ? varint(record + n, end, &value) : 0;
            record += n + m;
            n = m && size == localSize(size) && size <= end - record ? varint(record, end, &value) : 0;
            if (n == 0 || value < n || value > size)
                continue;
            const uchar *type = record + n;
            const uchar *body = record + value;
            while (type < record + value) {
                qint64 serial = 0;
                n = varint(type, record + value, &serial);
                const qint64 bytes = serialSize(serial);
                if (n == 0 || bytes < 0 || body + bytes > record + size)
                    break;
                type += n;
                const bool isText = serial >= 13 && serial % 2 == 1;
                texts += isText ? 1 : 0;
                if (isText && QUtf8StringView(reinterpret_cast<const char *>(body), bytes).isValidUtf8())
                    for (qint64 b = 0; b < bytes; ++b)
                        points[0] += plain(body[b]) ? 1 : body[b] == 0 ? -1 : 0;
                for (qint64 b = 0; isText && bytes % 2 == 0 && b < bytes; b += 2) {
                    const bool null = body[b] == 0 && body[b + 1] == 0;
                    points[1] += body[b + 1] == 0 && plain(body[b]) ? 1 : null ? -1 : 0;
                    points[2] += body[b] == 0 && plain(body[b + 1]) ? 1 : null ? -1 : 0;
                }
                body += bytes;
            }
        }
    }
    int best = declared;
    for (int encoding = 1; encoding <= 3; ++encoding)
        if (points[encoding - 1] > points[best - 1])
            best = encoding;
    return best;
}

void DatabasePages::markDoubtfulPages()
{
    m_zeros.resize(int(m_pageCount + 1));
    m_blank.resize(int(m_pageCount + 1));
    QVector<QPair<size_t, qint64>> hashes;
    hashes.reserve(m_pageCount);
    for (qint64 number = 1; number <= m_pageCount; ++number) {
        const uchar *p = page(number);
        if (std::all_of(p, p + m_usable, [](uchar byte) { return byte == 0; })) {
            m_zeros.setBit(int(number));
            // Blank pages are told alike by their bit alone, without being read again.
            if (std::all_of(p + m_usable, p + m_pageSize, [](uchar byte) { return byte == 0; })) {
                m_blank.setBit(int(number));
                m_firstZeros = m_zeroPages++ == 0 ? number : m_firstZeros;
                continue;
            }
        }
        hashes.append({qHash(QByteArrayView(p, m_pageSize)), number});
    }
    // Pages of one hash are compared with the first of them only.
    std::sort(hashes.begin(), hashes.end());
    QByteArray firstBytes;
    for (qsizetype i = 1, first = 0; i < hashes.size(); ++i) {
        if (hashes.at(i).first != hashes.at(first).first) {
            first = i;
            firstBytes.clear();
        } else {
            if (firstBytes.isEmpty())
                firstBytes = QByteArray(reinterpret_cast<const char *>(page(hashes.at(first).second)), m_pageSize);
            if (std::memcmp(page(hashes.at(i).second), firstBytes.constData(), size_t(m_pageSize)) != 0)
                continue;
            m_firstOfSame.insert(hashes.at(i).second, hashes.at(first).second);
            m_firstOfSame.insert(hashes.at(first).second, hashes.at(first).second);
        }
    }
}

void DatabasePages::markFreePages(qint64 trunk)
{
    followFreeList(trunk, &m_free);
}

qint64 DatabasePages::followFreeList(qint64 trunk, QBitArray *free) const
{
    // A chain of trunk pages, each listing free leaf pages. The list is taken as far as
    // its own pages hold up, whatever the header's other fields say: a trunk whose count
    // would run past its page, or that names a page the file lacks, ends it, and its pages
    // are not taken. Answers the pages taken.
    const qint64 most = (m_usable - 8) / 4;
    qint64 taken = 0;
    while (const uchar *p = page(trunk)) {
        const qint64 leaves = be32(p + 4);
        const qint64 next = be32(p);
        if (free->testBit(int(trunk)) || leaves > most || next > m_pageCount)
            break;
        QVector<qint64> listed(leaves);
        for (qint64 i = 0; i < leaves; ++i)
            listed[i] = be32(p + 8 + 4 * i);
        if (std::any_of(listed.cbegin(), listed.cend(), [this](qint64 leaf) { return leaf < 1 || leaf > m_pageCount; }))
            break;
        free->setBit(int(trunk));
        for (const qint64 leaf : std::as_const(listed))
            free->setBit(int(leaf));
        taken += 1 + leaves;
        trunk = next;
    }
    return taken;
}

void DatabasePages::markLostFreeList()
{
    // Where the header's list falls short of the free pages the header counts, its first
    // page number may be what was damaged: a page of no tree's kind that leads a list of
    // just that many pages is the list.
    const uchar *header = page(1);
    const qint64 counted = header ? be32(header + 36) : 0;
    if (counted <= m_free.count(true))
        return;
    // The pages followed are bounded: a few lists tried, of no more pages in all than the
    // file has, so that a crafted file cannot make this walk the file again for each page.
    int tries = kFreeListTries;
    qint64 budget = m_pageCount;
    for (qint64 number = 2; number <= m_pageCount && tries > 0 && budget > 0; ++number) {
        const uchar *p = page(number);
        // Only a page that could lead such a list is followed: a last page of the list
        // names exactly the pages left.
        if (m_free.testBit(int(number)) || isTreePage(p[0]) || be32(p) > m_pageCount || be32(p + 4) >= counted
            || be32(p + 4) > (m_usable - 8) / 4 || (be32(p) == 0 && 1 + be32(p + 4) != counted))
            continue;
        --tries;
        QBitArray found(m_free.size());
        const qint64 taken = followFreeList(number, &found);
        if (taken == counted) {
            m_unlisted = found;
            m_free |= found;
            return;
        }
        budget -= qMax<qint64>(taken, 1);
    }
}

void DatabasePages::mapTrees(const QList<qint64> &roots)
{
    if (!isOpen())
        return;
    QSet<qint64> mapped;
    QVector<Pending> pending;
    QVector<Pending> children;
    for (const qint64 root : roots) {
        if (!page(root) || mapped.contains(root))
            continue;
        mapped.insert(root);
        pending = {{root, Range()}};
        while (!pending.isEmpty()) {
            const Pending next = pending.takeLast();
            if (!page(next.number))
                continue;
            // A page an earlier read took counts as reached twice.
            char &claims = m_claims[next.number];
            const bool first = claims == 0 && !m_reached.testBit(int(next.number));
            claims = char(qMin(claims + (first ? 1 : 2), 2));
            if (first && childrenOf(next.number, next.range, &children))
                pending.append(children);
        }
    }
}

void DatabasePages::appendIndexChildren(qint64 number, const uchar *pointers, qint64 cells, QVector<qint64> *pending) const
{
    const uchar *p = page(number);
    pending->append(be32(treeHeader(number) + 8));
    for (qint64 i = 0; i < cells; ++i) {
        const qint64 offset = be16(pointers + 2 * i);
        if (offset + 4 <= m_usable)
            pending->append(be32(p + offset));
    }
}

QSet<qint64> DatabasePages::crossedIndexes(const QList<qint64> &roots) const
{
    QHash<qint64, qint64> reachedBy;   // each page reached, by the root of its tree
    QSet<qint64> crossed;
    QVector<qint64> pending;
    for (const qint64 root : roots) {
        pending = {root};
        while (!pending.isEmpty()) {
            const qint64 number = pending.takeLast();
            if (!page(number))
                continue;
            const auto first = reachedBy.constFind(number);
            if (first != reachedBy.cend()) {
                crossed.insert(root);
                crossed.insert(*first);
                continue;
            }
            reachedBy.insert(number, root);
            qint64 cells = 0;
            if (const uchar *pointers = cellPointers(number, kInteriorIndex, kInteriorIndex, &cells))
                appendIndexChildren(number, pointers, cells, &pending);
        }
    }
    return crossed;
}

DatabasePages::Losses DatabasePages::readTable(qint64 root, const RowHandler &handler, int owner, const RowCheck &fits)
{
    Losses losses;
    if (!isOpen()) {
        losses.ranges.append(Range());
        return losses;
    }
    QVector<Pending> pending{{root, Range()}};
    QVector<Pending> children;
    // A leaf that failed is read once more at most when named again (under the row ids
    // of another place, which may be its own), however often a damaged parent names it.
    QHash<qint64, int> failures;
    while (!pending.isEmpty()) {
        const Pending next = pending.takeLast();
        const qint64 number = next.number;
        const bool taken = !page(number) || m_reached.testBit(int(number)) || m_claims.at(number) > 1
                           || failures.value(number) > 1;
        const uchar *head = taken ? nullptr : treeHeader(number);
        if (head && head[0] == kInteriorTable && childrenOf(number, next.range, &children)) {
            m_reached.setBit(int(number));
            // Children are taken from the end of the list, so they go in from the right.
            for (auto it = children.crbegin(); it != children.crend(); ++it)
                pending.append(*it);
            continue;
        }
        const int rows = head && head[0] == kLeafTable ? readLeaf(number, next.range, number == root, fits, &losses) : -1;
        if (rows < 0) {
            ++failures[number];
            losses.ranges.append(next.range);
            if (head && head[0] == kLeafTable && !pageRepeated(number))
                m_failedLeafOwner[int(number)] = owner;
            continue;
        }
        if (owner >= 0)
            m_owner[int(number)] = owner;
        m_current = number;
        for (int i = 0; i < rows; ++i) {
            const Row &row = m_rows.at(i);
            if (row.borrowed)
                losses.borrowed.insert(row.rowid);
            handler(row.rowid, row.values);
        }
    }
    return losses;
}

int DatabasePages::readLeaf(qint64 number, const Range &range, bool root, const RowCheck &fits, Losses *losses)
{
    qint64 cells = 0;
    const uchar *pointers = cellPointers(number, kLeafTable, kLeafTable, &cells);
    if (!pointers || (cells == 0 && !root) || !spaceAccounted(number, pointers, cells))
        return -1;
    if (m_rows.size() < cells)
        m_rows.resize(cells);
    const QByteArray held = heldPage(number, &pointers);
    const auto *p = reinterpret_cast<const uchar *>(held.constData());
    m_chain.clear();
    int rows = 0;
    m_lost.clear();
    bool sound = true;
    for (qint64 i = 0; i < cells && sound; ++i) {
        Row &row = m_rows[rows];
        row.values.clear();
        row.borrowed = false;
        const qsizetype taken = m_chain.size();
        const Cell cell = readCell(p + be16(pointers + 2 * i), p + m_usable, &row.rowid, &row.values, &m_reached, &m_chain,
                                   true, &m_overflow, &row.borrowed);
        for (qsizetype c = taken; c < m_chain.size(); ++c)
            m_overflow.setBit(int(m_chain.at(c)));
        sound = cell != Cell::Unreadable && range.contains(row.rowid) && (cell == Cell::Damaged || !fits || fits(row.values, pageRepeated(number)));
        if (cell == Cell::Damaged)
            m_lost.append(row.rowid);
        else
            ++rows;
    }
    if (!sound) {
        for (const qint64 overflow : std::as_const(m_chain)) {
            m_reached.clearBit(int(overflow));
            m_overflow.clearBit(int(overflow));
        }
        return -1;
    }
    m_reached.setBit(int(number));
    const int kept = keepRisingRows(rows);
    for (int i = kept; i < rows; ++i)
        m_lost.append(m_rows.at(i).rowid);
    losses->rows += int(m_lost.size());
    for (const qint64 rowid : std::as_const(m_lost))
        losses->rowids.insert(rowid);
    return kept;
}

int DatabasePages::keepRisingRows(int rows)
{
    // Row ids rise along a leaf. Two rows of one id both have a damaged id, and which is
    // not known; of the others, those off the longest rising run of ids have a damaged id
    // or place, and each costs only itself.
    if (rows <= 0)
        return 0;
    if (std::adjacent_find(m_rows.cbegin(), m_rows.cbegin() + rows,
                           [](const Row &a, const Row &b) { return a.rowid >= b.rowid; })
        == m_rows.cbegin() + rows)
        return rows;
    QVector<qint64> ids(rows);
    for (int i = 0; i < rows; ++i)
        ids[i] = m_rows.at(i).rowid;
    std::sort(ids.begin(), ids.end());
    const auto shared = [&ids](qint64 id) {
        const auto at = std::lower_bound(ids.cbegin(), ids.cend(), id);
        return at + 1 != ids.cend() && at[1] == id;
    };
    // tails[k] is the row that ends the rising run of k + 1 rows found so far whose last
    // id is lowest; each row's previous is the row before it in its run.
    QVector<int> tails;
    QVector<int> previous(rows, -1);
    for (int i = 0; i < rows; ++i) {
        const qint64 id = m_rows.at(i).rowid;
        if (shared(id))
            continue;
        const auto at = std::lower_bound(tails.begin(), tails.end(), id,
                                         [this](int row, qint64 value) { return m_rows.at(row).rowid < value; });
        previous[i] = at == tails.begin() ? -1 : *(at - 1);
        if (at == tails.end())
            tails.append(i);
        else
            *at = i;
    }
    QVector<bool> rising(rows, false);
    for (int row = tails.isEmpty() ? -1 : tails.last(); row >= 0; row = previous.at(row))
        rising[row] = true;
    int kept = 0;
    for (int i = 0; i < rows; ++i) {
        if (!rising.at(i))
            continue;
        if (kept != i)
            std::swap(m_rows[kept], m_rows[i]);
        ++kept;
    }
    return kept;
}

int DatabasePages::scanUnreached(const ScanHandler &handler) const
{
    if (!isOpen())
        return 0;
    // The owner of the nearest reached leaf page after each page.
    QVector<int> after(int(m_pageCount + 2), -1);
    for (qint64 n = m_pageCount; n >= 1; --n)
        after[int(n)] = m_owner.at(int(n)) >= 0 ? m_owner.at(int(n)) : after.at(int(n + 1));
    QBitArray taken = m_reached;
    QVector<qint64> chain;
    QSet<qint64> seen;
    int unreadable = 0;
    QVariantList values;
    // The pages in use first, so that a row still in use is handed before older copies of
    // it; then those of a list the header no longer leads to, then those of its list.
    for (const int freed : {0, 1, 2}) {
        int before = -1;
        for (qint64 number = 1; number <= m_pageCount; ++number) {
            if (m_owner.at(int(number)) >= 0)
                before = m_owner.at(int(number));
            qint64 cells = 0;
            const int kind = m_unlisted.testBit(int(number)) ? 1 : m_free.testBit(int(number)) ? 2 : 0;
            // A page of zeros holds no cell: it is not read again.
            const uchar *pointers = taken.testBit(int(number)) || kind != freed || m_zeros.testBit(int(number))
                                        ? nullptr
                                        : cellPointers(number, kLeafTable, kLeafTable, &cells);
            if (!pointers)
                continue;
            taken.setBit(int(number));
            m_current = number;
            const QByteArray held = heldPage(number, &pointers);
            const auto *p = reinterpret_cast<const uchar *>(held.constData());
            const uchar *end = p + m_usable;
            // Two pointers to one place are one cell.
            seen.clear();
            for (qint64 i = 0; i < cells; ++i) {
                const qint64 offset = be16(pointers + 2 * i);
                if (seen.contains(offset))
                    continue;
                seen.insert(offset);
                const uchar *cell = p + offset;
                qint64 rowid = 0;
                values.clear();
                const int tree = freed ? -1 : m_failedLeafOwner.at(int(number));
                if (cell < pointers + 2 * cells || cell >= end || readCell(cell, end, &rowid, &values, &taken, &chain) != Cell::Read)
                    // The row ids of a leaf its tree could not read are the tree's losses
                    // already; a free page's rows are no one's.
                    unreadable += tree < 0 && !freed;
                else if (tree >= 0)
                    handler(rowid, values, tree, tree, false);
                else
                    handler(rowid, values, before, after.at(int(number + 1)), freed);
            }
        }
    }
    return unreadable;
}

bool DatabasePages::readIndex(qint64 root, const IndexHandler &handler)
{
    if (!isOpen())
        return false;
    // The pages the tables took are no index's; each page is read once.
    QBitArray taken = m_reached;
    QVector<qint64> pending{root};
    QVector<qint64> chain;
    QVariantList values;
    QBitArray offsets;
    bool whole = true;
    while (!pending.isEmpty()) {
        const qint64 number = pending.takeLast();
        qint64 cells = 0;
        const uchar *pointers = page(number) && !taken.testBit(int(number))
                                    ? cellPointers(number, kInteriorIndex, kLeafIndex, &cells)
                                    : nullptr;
        if (!pointers) {
            whole = false;
            continue;
        }
        // A page whose space does not add up still names its children and holds its
        // entries, but any of them may be damaged: a cell whose size or place is wrong.
        const bool interior = treeHeader(number)[0] == kInteriorIndex;
        m_inDoubt = !spaceAccounted(number, pointers, cells);
        whole = whole && !m_inDoubt;
        taken.setBit(int(number));
        m_current = number;
        if (interior)
            appendIndexChildren(number, pointers, cells, &pending);
        const QByteArray held = heldPage(number, &pointers);
        const auto *p = reinterpret_cast<const uchar *>(held.constData());
        // A cell named twice is read once: the page is damaged.
        offsets.fill(false, m_usable);
        for (qint64 i = 0; i < cells; ++i) {
            const qint64 offset = be16(pointers + 2 * i);
            if (offset < m_usable && offsets.testBit(int(offset))) {
                whole = false;
                continue;
            }
            if (offset < m_usable)
                offsets.setBit(int(offset));
            const uchar *cell = p + offset + (interior ? 4 : 0);
            values.clear();
            if (readCell(cell, p + m_usable, nullptr, &values, &taken, &chain) == Cell::Read)
                handler(values);
            else
                whole = false;
        }
    }
    return whole;
}

DatabasePages::Cell DatabasePages::readCell(const uchar *cell, const uchar *end, qint64 *rowid, QVariantList *values,
                                            QBitArray *taken, QVector<qint64> *chain, bool ofTree,
                                            const QBitArray *borrowable, bool *borrowed) const
{
    qint64 size = 0;
    int n = varint(cell, end, &size);
    if (n == 0 || size < 0)
        return Cell::Unreadable;
    cell += n;
    if (rowid) {
        n = varint(cell, end, rowid);
        if (n == 0)
            return Cell::Unreadable;
        cell += n;
    }

    // How much of the payload lies on the page itself; the rest follows in a chain of
    // overflow pages.
    const qint64 local = localSize(size, !rowid);
    if (cell + local + (local < size ? 4 : 0) > end)
        return Cell::Unreadable;
    if (local == size)
        return decodeRecord(QByteArray::fromRawData(reinterpret_cast<const char *>(cell), local), values);
    // No row SQLite writes under its default limits is longer than a billion bytes, and no
    // chain goes on through more pages than the file has after the first: a longer payload
    // is a damaged length, which is never allocated.
    constexpr qint64 longestRow = 1000000000;
    if (size > qMin(longestRow, local + (m_pageCount - 1) * (m_usable - 4)))
        return Cell::Damaged;
    // An overflow page belongs to one chain only, and to no tree; the last ends the chain.
    // A chain led into another row's is read on (a page once) and told as borrowed.
    QByteArray payload(reinterpret_cast<const char *>(cell), local);
    const qsizetype first = chain->size();
    QSet<qint64> borrowedPages;
    qint64 next = be32(cell + local);
    while (payload.size() < size && page(next) && (ofTree || !m_free.testBit(int(next))) && m_claims.at(next) == 0) {
        if (m_zeros.testBit(int(next)))
            break;
        if (!taken->testBit(int(next))) {
            taken->setBit(int(next));
            chain->append(next);
        } else if (!borrowable || !borrowable->testBit(int(next)) || borrowedPages.contains(next)) {
            break;
        } else {
            borrowedPages.insert(next);
        }
        const uchar *overflow = page(next);
        payload.append(reinterpret_cast<const char *>(overflow + 4), qMin(size - payload.size(), m_usable - 4));
        next = be32(overflow);
    }
    if (payload.size() == size && next == 0 && decodeRecord(payload, values) == Cell::Read) {
        if (borrowed)
            *borrowed = !borrowedPages.isEmpty();
        return Cell::Read;
    }
    // The chain's pages may be another's.
    for (qsizetype i = first; i < chain->size(); ++i)
        taken->clearBit(int(chain->at(i)));
    chain->resize(first);
    return Cell::Damaged;
}

DatabasePages::Cell DatabasePages::decodeRecord(const QByteArray &payload, QVariantList *values) const
{
    const auto *begin = reinterpret_cast<const uchar *>(payload.constData());
    const uchar *end = begin + payload.size();
    qint64 headerSize = 0;
    int n = varint(begin, end, &headerSize);
    if (n == 0 || headerSize < n || headerSize > payload.size())
        return Cell::Unreadable;
    const uchar *type = begin + n;
    const uchar *typesEnd = begin + headerSize;
    const uchar *body = typesEnd;
    while (type < typesEnd) {
        qint64 serial = 0;
        n = varint(type, typesEnd, &serial);
        const qint64 bytes = serialSize(serial);
        if (n == 0 || bytes < 0 || bytes > end - body)
            return Cell::Unreadable;
        type += n;
        if (serial == 0) {
            values->append(QVariant());
        } else if (serial <= 6) {
            qint64 v = (body[0] & 0x80) ? -1 : 0;
            for (qint64 i = 0; i < bytes; ++i)
                v = qint64((quint64(v) << 8) | body[i]);
            values->append(v);
        } else if (serial == 7) {
            quint64 bits = 0;
            for (int i = 0; i < 8; ++i)
                bits = (bits << 8) | body[i];
            double d = 0;
            std::memcpy(&d, &bits, sizeof d);
            values->append(d);
        } else if (serial == 8 || serial == 9) {
            values->append(qint64(serial - 8));
        } else if (serial % 2 == 0) {
            values->append(QByteArray(reinterpret_cast<const char *>(body), bytes));
        } else {
            QString value;
            if (!text(reinterpret_cast<const char *>(body), bytes, &value))
                return Cell::Damaged;
            values->append(value);
        }
        body += bytes;
    }
    // A record's values fill its payload: bytes left over mean a damaged type, one that
    // made a value shorter than it was.
    return body == end ? Cell::Read : Cell::Damaged;
}

bool DatabasePages::text(const char *data, qint64 size, QString *value) const
{
    if (m_encoding == 1) {
        *value = QString::fromUtf8(data, size);
        return QUtf8StringView(data, size).isValidUtf8();
    }
    if (size % 2 != 0)
        return false;
    QVector<char16_t> units(size / 2);
    for (qint64 i = 0; i < units.size(); ++i) {
        const auto lo = uchar(data[2 * i + (m_encoding == 2 ? 0 : 1)]);
        const auto hi = uchar(data[2 * i + (m_encoding == 2 ? 1 : 0)]);
        units[i] = char16_t(lo | (hi << 8));
    }
    // An empty text is a text, not a null.
    *value = units.isEmpty() ? QStringLiteral("") : QString::fromUtf16(units.constData(), units.size());
    return value->isValidUtf16();
}

DatabasePages::Tree DatabasePages::treeAt(qint64 number) const
{
    const uchar *head = treeHeader(number);
    if (!head)
        return Tree::None;
    if (head[0] == kInteriorTable || head[0] == kLeafTable)
        return Tree::Table;
    return head[0] == kInteriorIndex || head[0] == kLeafIndex ? Tree::Index : Tree::None;
}

QList<qint64> DatabasePages::unnamedRoots(const QSet<qint64> &named) const
{
    QList<qint64> roots;
    if (!isOpen())
        return roots;
    QBitArray child(int(m_pageCount + 1));
    QVector<qint64> children;
    for (qint64 number = 1; number <= m_pageCount; ++number) {
        qint64 cells = 0;
        const uchar *pointers = m_free.testBit(int(number)) ? nullptr : cellPointers(number, kInteriorTable, kInteriorTable, &cells);
        if (!pointers)
            continue;
        children.clear();
        appendIndexChildren(number, pointers, cells, &children);
        for (const qint64 below : std::as_const(children))
            if (below >= 1 && below <= m_pageCount)
                child.setBit(int(below));
    }
    for (qint64 number = 2; number <= m_pageCount; ++number) {
        qint64 cells = 0;
        if (child.testBit(int(number)) || named.contains(number) || m_free.testBit(int(number))
            || !cellPointers(number, kInteriorTable, kLeafTable, &cells))
            continue;
        // An empty table's root is a leaf of no rows, which another table's may repeat.
        const bool empty = cells == 0 && treeHeader(number)[0] == kLeafTable;
        if (empty || (cells > 0 && !pageRepeated(number)))
            roots.append(number);
    }
    return roots;
}

void DatabasePages::visitRows(qint64 root, const RowVisitor &visit, QBitArray *seen) const
{
    if (!isOpen())
        return;
    QBitArray own;
    QBitArray &taken = seen ? *seen : own;
    if (taken.size() < m_pageCount + 1)
        taken.resize(int(m_pageCount + 1));
    QVector<qint64> pending{root};
    QVector<qint64> children;
    QVector<qint64> chain;
    QVariantList values;
    while (!pending.isEmpty()) {
        const qint64 number = pending.takeLast();
        qint64 cells = 0;
        const uchar *pointers = page(number) && !taken.testBit(int(number))
                                    ? cellPointers(number, kInteriorTable, kLeafTable, &cells)
                                    : nullptr;
        if (!pointers)
            continue;
        taken.setBit(int(number));
        if (treeHeader(number)[0] == kInteriorTable) {
            // The children are taken from the end of the list: the right-most goes in first.
            children.clear();
            appendIndexChildren(number, pointers, cells, &children);
            pending.append(children.first());
            for (qsizetype i = children.size() - 1; i > 0; --i)
                pending.append(children.at(i));
            continue;
        }
        // The leaf is held while the overflow pages of its cells are read.
        const QByteArray held = heldPage(number, &pointers);
        const auto *p = reinterpret_cast<const uchar *>(held.constData());
        for (qint64 i = 0; i < cells; ++i) {
            const uchar *cell = p + be16(pointers + 2 * i);
            qint64 rowid = 0;
            values.clear();
            chain.clear();
            if (cell >= pointers + 2 * cells && cell < p + m_usable
                && readCell(cell, p + m_usable, &rowid, &values, &taken, &chain, true) == Cell::Read && !visit(rowid, values))
                return;
        }
    }
}
