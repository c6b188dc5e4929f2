#include "webtools/edition_search.h"

#include "shared/database.h"
#include "shared/routines.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// How many rows are read between two calls of the progress function.
constexpr int kRowsPerProgress = 512;

} // namespace

const QStringList &EditionSearch::sectionTables()
{
    static const QStringList tables = {
        QStringLiteral("NewsLinks"),    QStringLiteral("SearchLinks"),   QStringLiteral("OrganizationLinks"),
        QStringLiteral("RelatedLinks"), QStringLiteral("FavoriteLinks"), QStringLiteral("LocalLinks"),
    };
    return tables;
}

QString EditionSearch::pattern(const QString &keyword)
{
    return QLatin1Char('%') + keyword + QLatin1Char('%');
}

bool EditionSearch::run(const QString &keyword, QVector<SearchHit> &hits, const Progress &progress)
{
    m_error.clear();
    const QString like = pattern(keyword);
    QSqlQuery q(DbConnection());
    q.setForwardOnly(true);
    if (!BindAndExec(q,
                     QStringLiteral("SELECT SitName, SitUrl FROM Sit WHERE SitName LIKE ? OR Summary LIKE ? "
                                    "ORDER BY rowid"),
                     {like, like})) {
        m_error = q.lastError().text();
        return false;
    }
    int rows = 0;
    while (q.next()) {
        hits.append({q.value(0).toString(), q.value(1).toString(), true});
        if (progress && ++rows % kRowsPerProgress == 0)
            progress(QString());
    }
    for (const QString &table : sectionTables()) {
        if (progress)
            progress(table);
        QSqlQuery s(DbConnection());
        s.setForwardOnly(true);
        if (!BindAndExec(s, QStringLiteral("SELECT LinkName, LinkUrl FROM %1 WHERE LinkName LIKE ? ORDER BY rowid")
                                .arg(table),
                         {like})) {
            m_error = s.lastError().text();
            return false;
        }
        while (s.next()) {
            const QString url = s.value(1).toString();
            if (!TrimBlanks(url).isEmpty())
                hits.append({s.value(0).toString(), url, false});
        }
    }
    return true;
}

bool EditionSearch::linkNotation(const QString &name, const QString &url, QString &notation)
{
    notation.clear();
    QSqlQuery q(DbConnection());
    if (!BindAndExec(q, QStringLiteral("SELECT Summary FROM Sit WHERE SitName = ? AND SitUrl = ? ORDER BY rowid LIMIT 1"),
                     {name, url})
        || !q.next())
        return false;
    notation = q.value(0).toString();
    return true;
}
