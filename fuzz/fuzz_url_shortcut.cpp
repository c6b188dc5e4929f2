// The internet shortcut reader: any file reads without harm; a file that is no text or too
// large gives no address; a favourite is listed exactly when its file names an address,
// and with that address.

#include "fuzz_support.h"

#include "webtools/favorites_reader.h"

#include <QDir>
#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString folder = Fuzz::setUp() + QStringLiteral("Favorites/");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("Link.url");
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile file(path);
        Fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the shortcut can be written");
        file.write(bytes);
    }

    const QString address =
        FavoritesReader::ProfileGetItem(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), QString(), path);
    if (bytes.contains('\0') || bytes.size() > FavoritesReader::MaxFileSize)
        Fuzz::check(address.isEmpty(), "no address from a file that is no text");
    Fuzz::check(!address.contains(QLatin1Char('\n')), "an address is one line", address);

    const QList<FavoriteLink> links = FavoritesReader::WalkFolders(folder);
    Fuzz::check(links.size() == (address.isEmpty() ? 0 : 1), "listed exactly when it names an address");
    if (!links.isEmpty()) {
        Fuzz::check(links.first().name == QStringLiteral("Link"), "the name is the file's");
        Fuzz::check(links.first().address == address, "the listed address is the one read", address);
    }
    return 0;
}
