#include "platform/browserversion.h"

#include <QStringList>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

namespace {

QString &versionOverride()
{
    static QString text;
    return text;
}

BrowserComponentVersion parseVersion(const QString &text)
{
    BrowserComponentVersion v;
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    quint32 *fields[] = {&v.major, &v.minor, &v.build};
    for (qsizetype i = 0; i < parts.size() && i < 3; ++i)
        *fields[i] = parts.at(i).toUInt();
    return v;
}

} // namespace

BrowserComponentVersion BrowserVersion()
{
    if (!versionOverride().isEmpty())
        return parseVersion(versionOverride());
    return parseVersion(QString::fromLatin1(qWebEngineVersion()));
}

void SetBrowserVersionOverride(const QString &version)
{
    versionOverride() = version;
}
