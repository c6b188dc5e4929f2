#pragma once
// Zip archives that tests make with the zip library itself.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <utility>

#include <sys/stat.h>
#include <zip.h>

namespace ZipFixtures {

struct Item {
    Item(const QByteArray &n, const QByteArray &d, const QByteArray &pw = QByteArray(), bool s = false, bool l = false)
        : name(n), data(d), password(pw), stored(s), link(l)
    {
    }
    QByteArray name;
    QByteArray data;
    QByteArray password;      // encrypted when not empty
    bool stored = false;      // no compression
    bool link = false;        // a symbolic link
};

// Writes an archive of items; an item whose name ends in "/" is a folder.
inline bool makeZip(const QString &path, const QList<Item> &items)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const Item &item : items) {
        zip_int64_t index = -1;
        if (item.name.endsWith('/')) {
            index = zip_dir_add(archive, item.name.constData(), ZIP_FL_ENC_UTF_8);
        } else {
            zip_source_t *source = zip_source_buffer(archive, item.data.constData(), zip_uint64_t(item.data.size()), 0);
            index = zip_file_add(archive, item.name.constData(), source, ZIP_FL_ENC_UTF_8);
            if (index >= 0 && item.stored)
                zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
            if (index >= 0 && !item.password.isEmpty())
                zip_file_set_encryption(archive, zip_uint64_t(index), ZIP_EM_AES_256, item.password.constData());
            if (index >= 0 && item.link)
                zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                                 zip_uint32_t(S_IFLNK | 0777) << 16);
        }
        if (index < 0) {
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

// The archive with the unpacked size its directory gives its first entry changed to size.
inline QByteArray declaringSize(QByteArray archive, quint32 size)
{
    const qsizetype entry = archive.indexOf("PK\x01\x02");
    for (int i = 0; entry >= 0 && i < 4; ++i)
        archive[entry + 24 + i] = char((size >> (8 * i)) & 0xff);
    return archive;
}

// The archive with the compression method of its first entry changed to method.
inline QByteArray withMethod(QByteArray archive, quint16 method)
{
    for (const auto &[signature, at] : {std::pair{"PK\x03\x04", 8}, std::pair{"PK\x01\x02", 10}}) {
        const qsizetype header = archive.indexOf(signature);
        archive[header + at] = char(method & 0xff);
        archive[header + at + 1] = char(method >> 8);
    }
    return archive;
}

} // namespace ZipFixtures
