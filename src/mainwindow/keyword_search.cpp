#include "mainwindow/keyword_search.h"

#include "mainwindow/topic_selection.h"
#include "shared/database.h"

#include <QUrl>

namespace {

const QString kDirectoryServer = QStringLiteral("http://directory.quorvane.net");
const QString kSearchServer = QStringLiteral("http://search.quorvane.net");

QString &directoryServerOverride()
{
    static QString server;
    return server;
}

QString &searchServerOverride()
{
    static QString server;
    return server;
}

QString normalised(const QString &word)
{
    return word.trimmed().toLower();
}

} // namespace

QStringList KeywordSearch::keywordItems(const QString &list)
{
    return list.split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

bool KeywordSearch::isListed(const QStringList &words, const QString &word)
{
    const QString wanted = normalised(word);
    for (const QString &item : words)
        if (normalised(item) == wanted)
            return true;
    return false;
}

QStringList KeywordSearch::storedKeywords(qint32 subTopicId)
{
    return keywordItems(TopicSelection::keywordList(subTopicId));
}

bool KeywordSearch::rememberKeyword(qint32 subTopicId, const QString &word)
{
    if (word.trimmed().isEmpty())
        return false;
    const QVariant firstRow = QueryValue(
        QStringLiteral("SELECT LksId FROM Lks WHERE TopicId = ? ORDER BY LksId LIMIT 1"), {subTopicId});
    if (!firstRow.isValid() || firstRow.isNull())
        return false;
    // A word is kept once: the Sub-Topic's own words count, not only those on show.
    if (isListed(storedKeywords(subTopicId), word))
        return false;
    return ExecSql(QStringLiteral("UPDATE Lks SET Keyword = COALESCE(Keyword, '') || '|' || ? WHERE LksId = ?"),
                   {word, firstRow.toLongLong()});
}

QString KeywordSearch::encodeSearchText(const QString &text)
{
    QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(text));
    encoded.replace(QLatin1String("%20"), QLatin1String("+"));
    return encoded;
}

QString KeywordSearch::directorySearchAddress(const QString &text)
{
    return directoryServer() + QLatin1String("/cgi-bin/search?search=") + encodeSearchText(text);
}

QString KeywordSearch::webSearchAddress(const QString &text)
{
    return searchServer() + QLatin1String("/search?search=") + encodeSearchText(text)
           + QLatin1String("&submit=Search&cc=au&s=all&a=all");
}

void KeywordSearch::setServers(const QString &directoryServer, const QString &searchServer)
{
    directoryServerOverride() = directoryServer;
    searchServerOverride() = searchServer;
}

QString KeywordSearch::directoryServer()
{
    return directoryServerOverride().isEmpty() ? kDirectoryServer : directoryServerOverride();
}

QString KeywordSearch::searchServer()
{
    return searchServerOverride().isEmpty() ? kSearchServer : searchServerOverride();
}
