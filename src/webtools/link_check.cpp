#include "webtools/link_check.h"

#include "shared/database.h"
#include "shared/globals.h"
#include "shared/http_request.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringBuilder>
#include <QUrl>

#include <algorithm>

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

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isLowerAlnum(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || isDigit(c);
}

// A number of 1 to digits digits, without a leading zero, up to most.
bool plainNumber(QStringView text, qsizetype digits, int most)
{
    return !text.isEmpty() && text.size() <= digits && (text.size() == 1 || text[0] != QLatin1Char('0'))
           && std::all_of(text.begin(), text.end(), isDigit) && text.toInt() <= most;
}

// A host of labels of lower-case letters, digits and inner '-', the last beginning with a
// letter, or an IPv4 address in its usual form: written as QUrl writes it.
bool plainHost(QStringView host)
{
    if (host.isEmpty() || host.size() > 253)
        return false;
    const QList<QStringView> labels = host.split(QLatin1Char('.'));
    bool quad = labels.size() == 4;
    for (const QStringView label : labels) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(QLatin1Char('-')) || label.endsWith(QLatin1Char('-'))
            || label.startsWith(QLatin1String("xn--")))
            return false;
        for (const QChar c : label)
            if (!isLowerAlnum(c) && c != QLatin1Char('-'))
                return false;
        quad = quad && plainNumber(label, 3, 255);
    }
    return quad || (labels.last()[0] >= QLatin1Char('a') && labels.last()[0] <= QLatin1Char('z'));
}

// The target of an address written as the request sends it: "http://" or "https://", a
// plain host, a port of its own, a path and a query of characters sent as they stand.
// False for any other address, which is then parsed: this only spares the parse.
bool plainTarget(QStringView text, QString &target, int &secure)
{
    const bool https = text.startsWith(QLatin1String("https://"));
    if (!https && !text.startsWith(QLatin1String("http://")))
        return false;
    text = text.mid(https ? 8 : 7);
    qsizetype end = 0;
    while (end < text.size() && text[end] != QLatin1Char(':') && text[end] != QLatin1Char('/')
           && text[end] != QLatin1Char('?') && text[end] != QLatin1Char('#'))
        ++end;
    const QStringView host = text.first(end);
    QStringView port;    // ":" and its digits
    if (end < text.size() && text[end] == QLatin1Char(':')) {
        qsizetype digits = end + 1;
        while (digits < text.size() && isDigit(text[digits]))
            ++digits;
        port = text.sliced(end, digits - end);
        if (!plainNumber(port.mid(1), 5, 65535))
            return false;
        end = digits;
    }
    const QStringView rest = text.sliced(end);
    if (!plainHost(host) || (!rest.isEmpty() && rest[0] != QLatin1Char('/')))
        return false;
    static const QLatin1String sentAsTheyStand("-._~!$&'()*+,;=:@/?");
    for (const QChar c : rest)
        if (!isLowerAlnum(c) && !(c >= QLatin1Char('A') && c <= QLatin1Char('Z')) && !sentAsTheyStand.contains(c))
            return false;
    secure = https ? 1 : 0;
    const bool defaultPort = port.mid(1) == (https ? QLatin1String("443") : QLatin1String("80"));
    target = host % (defaultPort ? QStringView() : port) % (rest.isEmpty() ? QStringView(u"/") : rest);
    return true;
}

} // namespace

bool requestTarget(const QString &address, QString &target, int &secure)
{
    const QString text = address.trimmed();
    if (text.isEmpty() || isLocalFile(text))
        return false;
    if (plainTarget(text, target, secure))
        return true;
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
    if (!plain && scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) != 0)
        return false;
    QString host = url.host(QUrl::FullyEncoded);
    if (!url.isValid() || host.isEmpty())
        return false;
    secure = plain ? 0 : 1;
    if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    const int defaultPort = plain ? 80 : 443;
    const int port = url.port(defaultPort);
    if (port != defaultPort)
        host += QLatin1Char(':') + QString::number(port);
    // QUrl leaves "[" and "]" as they are in a path and a query, where they may not stand.
    const auto encoded = [](QString text) {
        return text.replace(QLatin1Char('['), QLatin1String("%5B")).replace(QLatin1Char(']'), QLatin1String("%5D"));
    };
    const QString path = encoded(url.path(QUrl::FullyEncoded));
    target = host + (path.isEmpty() ? QStringLiteral("/") : path);
    if (url.hasQuery())
        target += QLatin1Char('?') + encoded(url.query(QUrl::FullyEncoded));
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
    if (!requestTarget(address, HttpTarget, secure))
        return false;
    // The target is the request's address after its scheme, encoded already.
    return HttpGet((secure == 1 ? "https://" : "http://") + HttpTarget.toLatin1()) && reachableStatus(HttpRequestStatus());
}

} // namespace LinkCheck
