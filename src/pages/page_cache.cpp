#include "pages/page_cache.h"

#include "shared/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int DeletePageFiles(const QString &folder)
{
    QDir dir(folder.isEmpty() ? GetAppPath() : folder);
    int removed = 0;
    const QStringList pages = dir.entryList({QStringLiteral("*.html")}, QDir::Files | QDir::Hidden);
    for (const QString &page : pages)
        if (QFile::remove(dir.filePath(page)))
            ++removed;
    return removed;
}

bool WriteCacheFile(const QString &path, const QByteArray &data, QString *error)
{
    const auto failed = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        return failed(file.errorString());
    // write() may only fill a buffer: a full disk shows on flush().
    errno = 0;
    if (file.write(data) != data.size() || !file.flush())
        return failed(errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString());
    const QFileInfo old(path);
    file.setPermissions(old.exists() ? old.permissions()
                                     : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    file.close();
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
    file.setAutoRemove(false);
    return true;
}

QByteArray FileStamp(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QByteArray();
    return QByteArray::number(qulonglong(info.st_dev)) + ':' + QByteArray::number(qulonglong(info.st_ino)) + ':'
           + QByteArray::number(qlonglong(info.st_size)) + ':' + QByteArray::number(qlonglong(info.st_mtim.tv_sec))
           + '.' + QByteArray::number(qlonglong(info.st_mtim.tv_nsec));
}
