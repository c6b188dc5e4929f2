#include "platform/history_index_file.h"

#include "platform/registry.h"
#include "platform/url_history.h"
#include "platform/whole_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray userName()
{
    QByteArray user = qgetenv("USER");
    if (user.isEmpty())
        user = qgetenv("LOGNAME");
    if (user.isEmpty())
        user = "user";
    // The text must not hold a NUL or look like the start of a record.
    user.replace('\0', "");
    user.replace(' ', '_');
    return user;
}

void padToBlock(QByteArray &data)
{
    const qsizetype rest = data.size() % HistoryIndexFile::BlockSize;
    if (rest != 0)
        data.append(HistoryIndexFile::BlockSize - rest, '\0');
}

} // namespace

QByteArray HistoryIndexFile::encode(const QList<UrlHistoryEntry> &entries)
{
    QByteArray data("Client UrlCache MMF Ver 5.2");
    padToBlock(data);
    const QByteArray visitor = "Visited: " + userName() + '@';
    for (const UrlHistoryEntry &e : entries) {
        // The stored address is in encoded form: no blank, no NUL.
        const QByteArray address = e.url.toUtf8();
        if (address.isEmpty() || address.contains('\0') || address.contains(' '))
            continue;
        QByteArray record = RecordMarker;
        record.append(RecordTextOffset - 1 - record.size(), '\0');
        record.append(' ');
        record.append(visitor + address);
        record.append('\0');
        padToBlock(record);
        data.append(record);
    }
    return data;
}

QString HistoryIndexFile::filePath()
{
    const QString folder = Registry::readText(
        HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"),
        QStringLiteral("History"));
    if (folder.trimmed().isEmpty())
        return QString();
    return QDir(folder).filePath(QStringLiteral("History.IE5/INDEX.DAT"));
}

bool HistoryIndexFile::write(const QList<UrlHistoryEntry> &entries)
{
    const QString path = filePath();
    if (path.isEmpty())
        return true;   // no History folder: no index to keep
    if (entries.isEmpty())
        return !QFileInfo::exists(path) || QFile::remove(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && SaveWholeFile(path, encode(entries));
}
