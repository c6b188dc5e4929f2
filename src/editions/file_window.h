#pragma once
// A file read through a bounded window: its bytes are read in blocks, of which only a fixed
// number are held at once, so that a file far larger than the memory (or the address space)
// the program may take is read as readily as a small one.

#include <QFile>
#include <QString>
#include <QVector>

#include <memory>
#include <vector>

class FileWindow
{
public:
    // The bytes of the file are read a block at a time. A stretch that starts at a multiple
    // of its own length, a power of two no longer than a block, lies in one block.
    static constexpr qint64 kBlockSize = qint64(1) << 20;
    // Blocks held at once.
    static constexpr int kBlocksHeld = 64;

    explicit FileWindow(const QString &path);
    FileWindow(const FileWindow &) = delete;
    FileWindow &operator=(const FileWindow &) = delete;

    bool isOpen() const { return m_file.isOpen(); }
    qint64 size() const { return m_size; }
    // The bytes from offset to the end of its block (or of the file), or nullptr past the
    // file's end. They stay valid while no byte of a block that is not held is asked for.
    const uchar *at(qint64 offset) const;

private:
    // Reads a block into a place of its own, in place of the block held longest; returns
    // kHole, and reads nothing, for a block the file holds no data in (a hole of a sparse file).
    int load(qint64 block) const;
    static constexpr int kHole = -2;

    struct Held {
        qint64 block = -1;
        std::unique_ptr<uchar[]> bytes;
    };
    mutable QFile m_file;
    qint64 m_size = 0;
    mutable QVector<int> m_placeOf;   // the place each block is held in, kHole, else -1
    mutable std::unique_ptr<uchar[]> m_zeros;   // what every hole reads as, made when one is met
    mutable std::vector<Held> m_held;
    mutable int m_next = 0;           // the place the next block read goes to, once all are taken
};
