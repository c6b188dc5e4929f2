#include "editions/database_pages.h"

#include <QBitArray>
#include <QVector>

#include <cstring>

namespace {

constexpr int kHeaderSize = 100;   // the file header, at the start of page 1
constexpr uchar kInteriorTable = 0x05;
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
    if (!data || std::memcmp(data, "SQLite format 3", 16) != 0)
        return;
    m_pageSize = be16(data + 16) == 1 ? 65536 : be16(data + 16);
    // A page size is a power of two from 512 to 65536.
    if (m_pageSize < 512 || m_pageSize > 65536 || (m_pageSize & (m_pageSize - 1)) != 0)
        return;
    m_usable = m_pageSize - data[20];
    if (m_usable < 480)
        return;
    m_encoding = int(be32(data + 56));
    if (m_encoding < 1 || m_encoding > 3)
        m_encoding = 1;
    // A file cut short has as many pages as it holds whole.
    m_pageCount = m_size / m_pageSize;
    m_data = data;
}

DatabasePages::~DatabasePages() = default;

const uchar *DatabasePages::page(qint64 number) const
{
    if (number < 1 || number > m_pageCount)
        return nullptr;
    return m_data + (number - 1) * m_pageSize;
}

int DatabasePages::readTable(qint64 root, const RowHandler &handler) const
{
    if (!isOpen())
        return 1;
    int lost = 0;
    QBitArray seen(int(m_pageCount + 1));
    QVector<qint64> pending{root};
    QVariantList values;
    while (!pending.isEmpty()) {
        const qint64 number = pending.takeLast();
        const uchar *p = page(number);
        if (!p || seen.testBit(int(number))) {
            ++lost;
            continue;
        }
        seen.setBit(int(number));
        const uchar *end = p + m_usable;
        const uchar *head = p + (number == 1 ? kHeaderSize : 0);
        const uchar type = head[0];
        const qint64 headSize = type == kInteriorTable ? 12 : 8;
        const qint64 cells = be16(head + 3);
        const uchar *pointers = head + headSize;
        if ((type != kInteriorTable && type != kLeafTable) || pointers + 2 * cells > end) {
            ++lost;
            continue;
        }
        const uchar *contentStart = pointers + 2 * cells;
        if (type == kInteriorTable) {
            // Children are taken from the end of the list, so the right-most goes first in.
            pending.append(be32(head + 8));
            for (qint64 i = cells - 1; i >= 0; --i) {
                const uchar *cell = p + be16(pointers + 2 * i);
                if (cell < contentStart || cell + 4 > end)
                    ++lost;
                else
                    pending.append(be32(cell));
            }
            continue;
        }
        for (qint64 i = 0; i < cells; ++i) {
            const uchar *cell = p + be16(pointers + 2 * i);
            qint64 rowid = 0;
            values.clear();
            if (cell < contentStart || cell >= end || !readCell(cell, end, &rowid, &values))
                ++lost;
            else
                handler(rowid, values);
        }
    }
    return lost;
}

bool DatabasePages::readCell(const uchar *cell, const uchar *end, qint64 *rowid, QVariantList *values) const
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
        qint64 next = be32(cell + local);
        QBitArray chain(int(m_pageCount + 1));
        while (payload.size() < size) {
            const uchar *overflow = page(next);
            if (!overflow || chain.testBit(int(next)))
                return false;
            chain.setBit(int(next));
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
