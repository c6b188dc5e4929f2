#include "editions/database_pages.h"

#include <cstring>
#include <limits>

namespace {

constexpr int kHeaderSize = 100;   // the file header, at the start of page 1
constexpr uchar kInteriorIndex = 0x02;
constexpr uchar kInteriorTable = 0x05;
constexpr uchar kLeafIndex = 0x0a;
constexpr uchar kLeafTable = 0x0d;

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

// A page size is a power of two from 512 to 65536.
bool isPageSize(qint64 size)
{
    return size >= 512 && size <= 65536 && (size & (size - 1)) == 0;
}

} // namespace

DatabasePages::DatabasePages(const QString &path)
    : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        return;
    m_size = m_file.size();
    if (m_size < kHeaderSize)
        return;
    const uchar *data = m_file.map(0, m_size);
    if (!data)
        return;
    m_data = data;
    const bool magic = std::memcmp(data, "SQLite format 3", 16) == 0;
    m_pageSize = be16(data + 16) == 1 ? 65536 : be16(data + 16);
    m_headerSound = magic && isPageSize(m_pageSize) && m_pageSize - data[20] >= 480;
    if (m_headerSound) {
        m_usable = m_pageSize - data[20];
        m_encoding = int(be32(data + 56));
        if (m_encoding < 1 || m_encoding > 3)
            m_encoding = 1;
    } else {
        // A damaged header: its other fields are not trusted either.
        if (!isPageSize(m_pageSize))
            m_pageSize = guessPageSize();
        m_usable = m_pageSize;
    }
    // A file cut short has as many pages as it holds whole.
    m_pageCount = m_pageSize > 0 ? m_size / m_pageSize : 0;
    if (m_pageCount == 0) {
        m_data = nullptr;
        return;
    }
    m_reached.resize(int(m_pageCount + 1));
    m_free.resize(int(m_pageCount + 1));
    m_owner.fill(-1, int(m_pageCount + 1));
    if (m_headerSound)
        markFreePages();
}

DatabasePages::~DatabasePages() = default;

const uchar *DatabasePages::page(qint64 number) const
{
    if (number < 1 || number > m_pageCount)
        return nullptr;
    return m_data + (number - 1) * m_pageSize;
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
    return pointers + 2 * *cells <= page(number) + m_usable ? pointers : nullptr;
}

qint64 DatabasePages::guessPageSize() const
{
    // Under a wrong size a page's cells point past its end, or its start is no page.
    qint64 best = 0;
    qint64 bestPages = 0;
    for (qint64 size = 512; size <= 65536; size *= 2) {
        qint64 sound = 0;
        for (qint64 offset = 0; offset + size <= m_size; offset += size) {
            const uchar *head = m_data + offset + (offset == 0 ? kHeaderSize : 0);
            const uchar type = head[0];
            if (type != kInteriorTable && type != kLeafTable && type != kInteriorIndex && type != kLeafIndex)
                continue;
            const qint64 cells = be16(head + 3);
            const uchar *pointers = head + (type == kInteriorTable || type == kInteriorIndex ? 12 : 8);
            const uchar *end = m_data + offset + size;
            if (pointers + 2 * cells > end)
                continue;
            bool inside = true;
            for (qint64 i = 0; i < cells && inside; ++i) {
                const qint64 cell = be16(pointers + 2 * i);
                inside = m_data + offset + cell >= pointers + 2 * cells && cell + 4 <= size;
            }
            sound += inside ? 1 : 0;
        }
        if (sound > bestPages) {
            best = size;
            bestPages = sound;
        }
    }
    return best;
}

void DatabasePages::markFreePages()
{
    // A chain of trunk pages from the header, each listing free leaf pages.
    qint64 trunk = be32(m_data + 32);
    while (const uchar *p = page(trunk)) {
        if (m_free.testBit(int(trunk)))
            break;
        m_free.setBit(int(trunk));
        const qint64 leaves = qMin<qint64>(be32(p + 4), (m_usable - 8) / 4);
        for (qint64 i = 0; i < leaves; ++i) {
            const qint64 leaf = be32(p + 8 + 4 * i);
            if (leaf >= 1 && leaf <= m_pageCount)
                m_free.setBit(int(leaf));
        }
        trunk = be32(p);
    }
}

DatabasePages::Losses DatabasePages::readTable(qint64 root, const RowHandler &handler, int owner)
{
    Losses losses;
    if (!isOpen()) {
        losses.ranges.append(Range());
        return losses;
    }
    // Each page waits with the row ids its parent gave it.
    struct Pending {
        qint64 number;
        Range range;
    };
    QVector<Pending> pending{{root, Range()}};
    QVariantList values;
    while (!pending.isEmpty()) {
        const Pending next = pending.takeLast();
        const qint64 number = next.number;
        qint64 cells = 0;
        const uchar *pointers = page(number) && !m_reached.testBit(int(number))
                                    ? cellPointers(number, kInteriorTable, kLeafTable, &cells)
                                    : nullptr;
        if (!pointers) {
            losses.ranges.append(next.range);
            continue;
        }
        m_reached.setBit(int(number));
        const uchar *p = page(number);
        const uchar *end = p + m_usable;
        const uchar *contentStart = pointers + 2 * cells;
        const uchar *head = treeHeader(number);
        if (head[0] == kInteriorTable) {
            // Child i holds the row ids after key i - 1 up to key i; the right-most child
            // those after the last key. Children are taken from the end of the list, so
            // they go in from the right.
            QVector<Pending> children;
            Range range = next.range;
            for (qint64 i = 0; i < cells; ++i) {
                const uchar *cell = p + be16(pointers + 2 * i);
                qint64 key = 0;
                if (cell < contentStart || cell + 4 > end || varint(cell + 4, end, &key) == 0) {
                    // Its child is lost, and what it held is known only up to the next key.
                    range.hasLast = false;
                    losses.ranges.append(range);
                    continue;
                }
                range.last = key;
                range.hasLast = true;
                children.append({be32(cell), range});
                range.first = key + (key < std::numeric_limits<qint64>::max() ? 1 : 0);
                range.hasFirst = true;
            }
            range.last = next.range.last;
            range.hasLast = next.range.hasLast;
            children.append({be32(head + 8), range});
            for (auto it = children.crbegin(); it != children.crend(); ++it)
                pending.append(*it);
            continue;
        }
        if (owner >= 0)
            m_owner[int(number)] = owner;
        for (qint64 i = 0; i < cells; ++i) {
            const uchar *cell = p + be16(pointers + 2 * i);
            qint64 rowid = 0;
            values.clear();
            if (cell < contentStart || cell >= end || !readCell(cell, end, &rowid, &values, &m_reached))
                ++losses.rows;
            else
                handler(rowid, values);
        }
    }
    return losses;
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
    int unreadable = 0;
    int before = -1;
    QVariantList values;
    for (qint64 number = 1; number <= m_pageCount; ++number) {
        if (m_owner.at(int(number)) >= 0)
            before = m_owner.at(int(number));
        qint64 cells = 0;
        const uchar *pointers = taken.testBit(int(number)) || m_free.testBit(int(number))
                                    ? nullptr
                                    : cellPointers(number, kLeafTable, kLeafTable, &cells);
        if (!pointers)
            continue;
        taken.setBit(int(number));
        const uchar *end = page(number) + m_usable;
        for (qint64 i = 0; i < cells; ++i) {
            const uchar *cell = page(number) + be16(pointers + 2 * i);
            qint64 rowid = 0;
            values.clear();
            if (cell < pointers + 2 * cells || cell >= end || !readCell(cell, end, &rowid, &values, &taken))
                ++unreadable;
            else
                handler(rowid, values, before, after.at(int(number + 1)));
        }
    }
    return unreadable;
}

bool DatabasePages::readCell(const uchar *cell, const uchar *end, qint64 *rowid, QVariantList *values,
                             QBitArray *taken) const
{
    qint64 size = 0;
    int n = varint(cell, end, &size);
    if (n == 0 || size < 0 || size > m_size)
        return false;
    cell += n;
    n = varint(cell, end, rowid);
    if (n == 0)
        return false;
    cell += n;

    // How much of the payload lies on the page itself; the rest follows in a chain of
    // overflow pages.
    const qint64 maxLocal = m_usable - 35;
    const qint64 minLocal = (m_usable - 12) * 32 / 255 - 23;
    qint64 local = size;
    if (size > maxLocal) {
        const qint64 k = minLocal + (size - minLocal) % (m_usable - 4);
        local = k <= maxLocal ? k : minLocal;
    }
    if (cell + local + (local < size ? 4 : 0) > end)
        return false;
    QByteArray payload(reinterpret_cast<const char *>(cell), local);
    if (local < size) {
        // An overflow page belongs to one chain only: a page taken before ends the chain.
        qint64 next = be32(cell + local);
        while (payload.size() < size) {
            const uchar *overflow = page(next);
            if (!overflow || taken->testBit(int(next)))
                return false;
            taken->setBit(int(next));
            const qint64 take = qMin(size - payload.size(), m_usable - 4);
            payload.append(reinterpret_cast<const char *>(overflow + 4), take);
            next = be32(overflow);
        }
    }
    return decodeRecord(payload, values);
}

bool DatabasePages::decodeRecord(const QByteArray &payload, QVariantList *values) const
{
    const auto *begin = reinterpret_cast<const uchar *>(payload.constData());
    const uchar *end = begin + payload.size();
    qint64 headerSize = 0;
    int n = varint(begin, end, &headerSize);
    if (n == 0 || headerSize < n || headerSize > payload.size())
        return false;
    const uchar *type = begin + n;
    const uchar *typesEnd = begin + headerSize;
    const uchar *body = typesEnd;
    while (type < typesEnd) {
        qint64 serial = 0;
        n = varint(type, typesEnd, &serial);
        const qint64 bytes = serialSize(serial);
        if (n == 0 || bytes < 0 || bytes > end - body)
            return false;
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
            values->append(text(reinterpret_cast<const char *>(body), bytes));
        }
        body += bytes;
    }
    return true;
}

QString DatabasePages::text(const char *data, qint64 size) const
{
    if (m_encoding == 1)
        return QString::fromUtf8(data, size);
    QVector<char16_t> units(size / 2);
    for (qint64 i = 0; i < units.size(); ++i) {
        const auto lo = uchar(data[2 * i + (m_encoding == 2 ? 0 : 1)]);
        const auto hi = uchar(data[2 * i + (m_encoding == 2 ? 1 : 0)]);
        units[i] = char16_t(lo | (hi << 8));
    }
    return QString::fromUtf16(units.constData(), units.size());
}
