#include "webtools/link_check.h"

#include "shared/database.h"
#include "shared/globals.h"
#include "shared/http_request.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

const QStringList &LinkCheckList::sectionTables()
{
    static const QStringList tables = {
        QStringLiteral("NewsLinks"),  QStringLiteral("SearchLinks"),       QStringLiteral("FavoriteLinks"),
        QStringLiteral("LocalLinks"), QStringLiteral("OrganizationLinks"), QStringLiteral("RelatedLinks"),
    };
    return tables;
}

bool LinkCheckList::load(qint32 subTopicId, QVector<LinkCheckRow> &rows, const std::function<void()> &progress)
{
    m_error.clear();
    QSqlQuery q(DbConnection());
    q.setForwardOnly(true);
    if (!BindAndExec(q,
                     QStringLiteral("SELECT Sit.SitName, Sit.SitUrl, Lks.LksUrl FROM Lks, LksSit, Sit "
                                    "WHERE Lks.LksId = LksSit.LksId AND LksSit.SitId = Sit.SitId AND Lks.TopicId = ? "
                                    "ORDER BY Sit.SitName, LksSit.rowid"),
                     {subTopicId})) {
        m_error = q.lastError().text();
        return false;
    }
    while (q.next()) {
        if (progress)
            progress();
        rows.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
    }
    for (const QString &table : sectionTables()) {
        QSqlQuery s(DbConnection());
        s.setForwardOnly(true);
        if (!BindAndExec(s, QStringLiteral("SELECT LinkName, LinkUrl FROM %1 WHERE topicid = ? ORDER BY rowid").arg(table),
                         {subTopicId})) {
            m_error = s.lastError().text();
            return false;
        }
        while (s.next()) {
            if (progress)
                progress();
            const QString url = s.value(1).toString();
            if (!url.isEmpty())
                rows.append({s.value(0).toString(), url, QString()});
        }
    }
    return true;
}

bool LinkCheckList::stillFiled(qint32 subTopicId, const LinkCheckRow &row)
{
    return QueryValue(QStringLiteral("SELECT count(*) FROM Lks, LksSit, Sit WHERE Lks.LksId = LksSit.LksId "
                                     "AND LksSit.SitId = Sit.SitId AND Lks.TopicId = ? AND Lks.LksUrl = ? "
                                     "AND Sit.SitName = ? AND Sit.SitUrl = ?"),
                      {subTopicId, row.categoryPath, row.name, row.url})
               .toInt()
           > 0;
}

namespace LinkCheck {

bool isLocalFile(const QString &address, QString *path)
{
    const QString text = address.trimmed();
    QString file;
    if (text.startsWith(QLatin1Char('/')))
        file = text;
    else if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        file = QUrl(text).toLocalFile();
    else
        return false;
    if (path)
        *path = file;
    return true;
}

bool requestTarget(const QString &address, QString &target, int &secure, QUrl *requestAddress)
{
    const QString text = address.trimmed();
    if (text.isEmpty() || isLocalFile(text))
        return false;
    // An address of another kind ("mailto:", "news:", ...) names its scheme before a ":"
    // that no "//" or port number follows; an address without a scheme is a web address.
    // (With a "://" the scheme check below is enough.)
    static const QRegularExpression otherScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?!//|[0-9])"));
    const bool schemeWritten = text.contains(QLatin1String("://"));
    if (!schemeWritten && otherScheme.match(text).hasMatch())
        return false;
    const QUrl url = schemeWritten ? QUrl(text, QUrl::TolerantMode)
                                   : QUrl(QStringLiteral("http://") + text, QUrl::TolerantMode);
    const QString scheme = url.scheme();
    const bool plain = scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0;
    if (!url.isValid() || url.host().isEmpty()
        || (!plain && scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) != 0))
        return false;
    secure = plain ? 0 : 1;
    QString host = url.host(QUrl::FullyEncoded);
    if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    const int defaultPort = secure == 1 ? 443 : 80;
    if (url.port(defaultPort) != defaultPort)
        host += QLatin1Char(':') + QString::number(url.port());
    const QString path = url.path(QUrl::FullyEncoded);
    target = host + (path.isEmpty() ? QStringLiteral("/") : path);
    if (url.hasQuery())
        target += QLatin1Char('?') + url.query(QUrl::FullyEncoded);
    if (requestAddress) {
        // The same address as parsed, without what target leaves out: no log-on, no
        // fragment, no default port; "/" for an empty path.
        QUrl &request = *requestAddress;
        const bool leftOut = url.hasFragment() || !url.userInfo().isEmpty();
        request = leftOut ? url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment) : url;
        if (url.port() == defaultPort)
            request.setPort(-1);
        if (path.isEmpty())
            request.setPath(QStringLiteral("/"));
    }
    return true;
}

bool reachableStatus(int status)
{
    return status >= 200 && status < 300;
}

bool check(const QString &address)
{
    QString file;
    if (isLocalFile(address, &file))
        return !file.isEmpty() && QFileInfo::exists(file);
    int secure = 0;
    QUrl request;
    if (!requestTarget(address, HttpTarget, secure, &request))
        return false;
    // The target is the request's address after its scheme, encoded already.
    const QByteArray encoded = (secure == 1 ? "https://" : "http://") + HttpTarget.toLatin1();
    return HttpGet(request, encoded) && reachableStatus(HttpRequestStatus());
}

} // namespace LinkCheck
