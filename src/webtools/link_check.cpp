#include "webtools/link_check.h"

#include "shared/database.h"
#include "shared/globals.h"
#include "shared/http_request.h"

#include <QFileInfo>
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

namespace {

// Whether text begins with a scheme other than the web's ("mailto:", "news:", ...): letters,
// digits, "+", "." and "-" after a first letter, then a ":" that no "//" or port number
// follows. An address without a scheme is a web address.
bool namesOtherScheme(const QString &text)
{
    const auto letter = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (text.isEmpty() || !letter(text.front()))
        return false;
    qsizetype colon = 1;
    while (colon < text.size() && (letter(text[colon]) || digit(text[colon]) || text[colon] == u'+'
                                   || text[colon] == u'.' || text[colon] == u'-'))
        ++colon;
    if (colon == text.size() || text[colon] != u':')
        return false;
    const QStringView rest = QStringView(text).sliced(colon + 1);
    return !rest.startsWith(u"//") && !(!rest.isEmpty() && digit(rest.front()));
}

} // namespace

bool requestTarget(const QString &address, QString &target, int &secure, QUrl *requestAddress)
{
    const QString text = address.trimmed();
    if (text.isEmpty() || isLocalFile(text) || namesOtherScheme(text))
        return false;
    const QUrl url = text.contains(QLatin1String("://")) ? QUrl(text, QUrl::TolerantMode)
                                                         : QUrl(QStringLiteral("http://") + text, QUrl::TolerantMode);
    const QString scheme = url.scheme();
    const bool plain = scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0;
    if (!plain && scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) != 0)
        return false;
    const QString host = url.host(QUrl::FullyEncoded);
    if (!url.isValid() || host.isEmpty())
        return false;
    secure = plain ? 0 : 1;
    const int defaultPort = plain ? 80 : 443;
    const int port = url.port(defaultPort);
    const QString path = url.path(QUrl::FullyEncoded);
    target.clear();
    target.reserve(host.size() + path.size() + 16);
    if (host.contains(QLatin1Char(':')))
        target.append(QLatin1Char('[')).append(host).append(QLatin1Char(']'));
    else
        target.append(host);
    if (port != defaultPort)
        target.append(QLatin1Char(':')).append(QString::number(port));
    target.append(path.isEmpty() ? QStringLiteral("/") : path);
    if (url.hasQuery())
        target.append(QLatin1Char('?')).append(url.query(QUrl::FullyEncoded));
    if (requestAddress) {
        // The same address as parsed, without what target leaves out: no log-on, no
        // fragment, no default port; "/" for an empty path.
        QUrl &request = *requestAddress;
        request = url;
        if (text.contains(QLatin1Char('@')))
            request.setUserInfo(QString());
        if (url.hasFragment())
            request.setFragment(QString());
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
    return HttpGet(request) && reachableStatus(HttpRequestStatus());
}

} // namespace LinkCheck
