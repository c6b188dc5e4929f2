#include "webtools/registry_listing.h"

#include "platform/dialogs.h"
#include "platform/registry.h"
#include "shared/http_request.h"

#include <QCoreApplication>
#include <QStringList>

#include <limits>

QString RegValueText;
QString ShellFoldersText;
int RegListingIndent = 0;

namespace {

const QString crLf = QStringLiteral("\r\n");

// Longest value name and value data a listing shows; a longer value is left out.
constexpr int kMaxNameLength = 1023;
constexpr int kMaxDataLength = 1024;

} // namespace

quint32 RootKeyFromName(const QString &name)
{
    return Registry::hiveFromName(name);
}

void ListRegistryKey(quint32 root, const QString &path)
{
    RegValueText.clear();
    ShellFoldersText.clear();   // never parse the text of an earlier listing
    ListRegKeys(root, path);
}

void ListRegKeys(quint32 root, const QString &path)
{
    RegKey key;
    if (Registry::openKey(RegKey(root), path, &key) != ERROR_SUCCESS) {
        MsgBox(QStringLiteral("Unable to open a subkey"), vbOKOnly);
        return;
    }
    ShellFoldersText = ListRegValues(root, path);

    const QStringList names = Registry::subKeyNames(key);
    RegListingIndent = names.isEmpty() ? 3 : RegListingIndent + 3;
    for (const QString &name : names) {
        QCoreApplication::processEvents();
        ListRegKeys(root, path + QLatin1Char('\\') + name);
    }
}

QString ListRegValues(quint32 root, const QString &path)
{
    RegKey key;
    if (Registry::openKey(RegKey(root), path, &key) != ERROR_SUCCESS) {
        MsgBox(QStringLiteral("Error RegOpenKeyEx for ") + path, vbOKOnly);
        return QString();
    }
    const QString keyName = path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
    RegValueText += QString(RegListingIndent, QLatin1Char(' ')) + keyName;

    for (int index = 0;; ++index) {
        QString name;
        quint32 type = REG_NONE;
        QByteArray data;
        if (Registry::enumValue(key, index, &name, &type, &data) != ERROR_SUCCESS)
            break;
        if (name.size() > kMaxNameLength || data.size() > kMaxDataLength)
            continue;   // too long to show; the values after it are still listed
        if (name.isEmpty() && !data.isEmpty())
            name = QStringLiteral("[Default]");
        const int leadIn = index == 0 ? 5 : RegListingIndent + int(keyName.size()) + 5;
        RegValueText += QString(leadIn, QLatin1Char(' ')) + RegValueLine(name, type, data) + crLf;
    }
    RegValueText += crLf;
    return RegValueText;
}

QString RegValueLine(const QString &name, quint32 type, const QByteArray &data)
{
    const QChar quote = QLatin1Char('"');
    switch (type) {
    case REG_SZ:
        // The data less its terminating NUL.
        return name + QStringLiteral(" = ") + quote + QString::fromUtf8(data.left(qMax<qsizetype>(0, data.size() - 1)))
            + quote;
    case REG_BINARY: {
        QString bytes;
        for (const char c : data)
            bytes += QStringLiteral("%1 ").arg(uint(uchar(c)), 2, 16, QLatin1Char('0')).toUpper();
        return name + QStringLiteral(" = (BINARY) ") + quote + bytes.trimmed() + quote;
    }
    case REG_DWORD: {
        const QByteArray four = data.left(4).leftJustified(4, '\0');
        QString hex;
        for (int i = 3; i >= 0; --i)
            hex += QStringLiteral("%1").arg(uint(uchar(four.at(i))), 2, 16, QLatin1Char('0')).toUpper();
        // Each digit pair in decimal, weighted from the most significant byte down.
        quint64 value = 0;
        for (int i = 0; i < 4; ++i)
            value = value * 256 + HexToNumber(hex.mid(i * 2, 2), 16, 10).toULongLong();
        return name + QStringLiteral(" = (DWORD) ") + quote + hex + QStringLiteral(" (") + QString::number(value)
            + QLatin1Char(')') + quote;
    }
    default:
        return name + QStringLiteral(" = (Value not string, numeric or binary type)");
    }
}

QString HexToNumber(const QString &digits, int fromBase, int toBase)
{
    if (digits.isEmpty() || fromBase < 2 || fromBase > 36 || toBase < 2 || toBase > 36)
        return QString();
    quint64 value = 0;
    for (const QChar c : digits.toUpper()) {
        int digit = -1;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digit = c.unicode() - '0';
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            digit = c.unicode() - 'A' + 10;
        if (digit < 0 || digit >= fromBase)
            return QString();
        if (value > (std::numeric_limits<quint64>::max() - quint64(digit)) / quint64(fromBase))
            return QString();   // too large to convert
        value = value * quint64(fromBase) + quint64(digit);
    }
    if (value == 0)
        return QStringLiteral("0");
    QString out;
    while (value > 0) {
        const int digit = int(value % quint64(toBase));
        out.prepend(digit < 10 ? QChar(u'0' + digit) : QChar(u'A' + digit - 10));
        value /= quint64(toBase);
    }
    return out;
}

QString HistoryFolderFromListing(const QString &listing)
{
    const qsizetype p = listing.indexOf(QLatin1String("History ="));
    if (p < 0)
        return QString();
    qsizetype q = listing.indexOf(crLf, p);
    if (q < 0)
        q = listing.size();
    // The text between the double quotes that follow "History = ".
    const qsizetype length = q - p - 12;
    if (length <= 0)
        return QString();
    return listing.mid(p + 11, length);
}

QStringList TypedUrlsFromListing(const QString &listing)
{
    QStringList urls;
    const qsizetype p = listing.indexOf(QLatin1String("TypedURLs"));
    if (p < 0)
        return urls;
    // The key's name and the two characters after it are skipped.
    const QString rest = listing.mid(p + 11);
    if (rest.trimmed().isEmpty())
        return urls;
    const QStringList pieces = rest.split(crLf);
    for (const QString &piece : pieces) {
        const QString value = GetBetween(piece, QStringLiteral("\""), QStringLiteral("\""));
        if (!value.isEmpty() && value.contains(QLatin1String("http")))
            urls.append(value);
    }
    return urls;
}
