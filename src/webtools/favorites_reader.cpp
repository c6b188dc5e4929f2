#include "webtools/favorites_reader.h"

#include "platform/registry.h"
#include "platform/regular_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringConverter>
#include <QStringDecoder>

namespace {

constexpr int kMaxDepth = 64;

// The text of a file that is text (no NUL byte, not too large): UTF-8 when it reads as
// such, else one character per byte. Null when it is no text.
QString readTextFile(const QString &path)
{
    QFile file(path);
    if (!OpenRegularFile(file) || file.size() > FavoritesReader::MaxFileSize)
        return QString();
    const QByteArray data = file.read(FavoritesReader::MaxFileSize + 1);
    if (data.size() > FavoritesReader::MaxFileSize || data.contains('\0'))
        return QString();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (utf8.hasError())
        text = QString::fromLatin1(data);
    return text.isNull() ? QStringLiteral("") : text;
}

QString unquoted(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    return value;
}

void walk(const QString &folder, QList<FavoriteLink> &links, int depth)
{
    if (depth > kMaxDepth)
        return;
    const QDir dir(folder);
    if (!dir.exists() || !dir.isReadable())
        return;
    links += FavoritesReader::ReadUrlFiles(folder);
    const QFileInfoList folders =
        dir.entryInfoList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &sub : folders)
        if (!sub.isSymLink())
            walk(sub.filePath(), links, depth + 1);
}

} // namespace

QString FavoritesReader::GetFavoritesFolder()
{
    return Registry::readText(HKEY_CURRENT_USER,
                              QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"),
                              QStringLiteral("Favorites"));
}

QString FavoritesReader::QualifyPath(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString FavoritesReader::TrimNull(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar::Null);
    return nul < 0 ? text : text.left(nul);
}

QString FavoritesReader::ProfileGetItem(const QString &section, const QString &key, const QString &fallback,
                                        const QString &file)
{
    const QString text = readTextFile(file);
    if (text.isNull())
        return fallback;
    bool inSection = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            inSection = close > 0 && line.mid(1, close - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection || line.startsWith(QLatin1Char(';')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return unquoted(line.mid(equals + 1));
    }
    return fallback;
}

QList<FavoriteLink> FavoritesReader::ReadUrlFiles(const QString &folder)
{
    QList<FavoriteLink> links;
    const QDir dir(QualifyPath(folder));
    const QFileInfoList files = dir.entryInfoList({QStringLiteral("*.url")}, QDir::Files | QDir::Hidden | QDir::System,
                                                  QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &file : files) {
        if (!file.isFile())
            continue;   // a FIFO or device of that name is never opened
        const QString name = TrimNull(file.fileName());
        const qsizetype suffix = name.indexOf(QLatin1String(".url"));   // letter case as written
        if (suffix < 0)
            continue;
        FavoriteLink link;
        link.name = name.left(suffix);
        link.address = ProfileGetItem(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), QString(),
                                      file.filePath());
        if (link.address.isEmpty())
            continue;   // not a shortcut we can use: no text, too large or no address
        links.append(link);
    }
    return links;
}

QList<FavoriteLink> FavoritesReader::WalkFolders(const QString &folder)
{
    QList<FavoriteLink> links;
    if (!folder.trimmed().isEmpty())
        walk(folder, links, 0);
    return links;
}
