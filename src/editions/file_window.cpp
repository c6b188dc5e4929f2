#include "editions/file_window.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

FileWindow::FileWindow(const QString &path)
    : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return;
    m_size = m_file.size();
    m_placeOf.fill(-1, (m_size + kBlockSize - 1) / kBlockSize);
}

const uchar *FileWindow::at(qint64 offset) const
{
    if (offset < 0 || offset >= m_size)
        return nullptr;
    const qint64 block = offset / kBlockSize;
    int place = m_placeOf.at(block);
    if (place == -1)
        place = load(block);
    const uchar *bytes = place == kHole ? m_zeros.get() : m_held[size_t(place)].bytes.get();
    return bytes + (offset - block * kBlockSize);
}

int FileWindow::load(qint64 block) const
{
    // A block that lies in a hole reads as zeros without being read: a sparse file of
    // gigabytes costs what its data does.
    const qint64 start = block * kBlockSize;
    const qint64 length = qMin(kBlockSize, m_size - start);
    errno = 0;
    const off_t data = ::lseek(m_file.handle(), off_t(start), SEEK_DATA);
    if ((data < 0 && errno == ENXIO) || (data >= 0 && data >= start + length)) {
        if (!m_zeros)
            m_zeros = std::make_unique<uchar[]>(size_t(kBlockSize));
        m_placeOf[block] = kHole;
        return kHole;
    }
    int place = int(m_held.size());
    if (place < kBlocksHeld) {
        m_held.push_back({-1, std::make_unique_for_overwrite<uchar[]>(size_t(kBlockSize))});
    } else {
        place = m_next;
        m_next = (m_next + 1) % kBlocksHeld;
        m_placeOf[m_held[size_t(place)].block] = -1;
    }
    Held &held = m_held[size_t(place)];
    held.block = block;
    m_placeOf[block] = place;
    // What cannot be read reads as zeros, as a page that holds nothing.
    const qint64 read = m_file.seek(start) ? m_file.read(reinterpret_cast<char *>(held.bytes.get()), length) : 0;
    std::memset(held.bytes.get() + qMax<qint64>(read, 0), 0, size_t(kBlockSize - qMax<qint64>(read, 0)));
    return place;
}
