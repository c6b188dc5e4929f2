#include "mainwindow/topic_selection.h"

#include "shared/database.h"

QList<TopicSelection::SubTopic> TopicSelection::subTopics(qint32 topicId)
{
    QList<SubTopic> result;
    Recordset rs;
    if (!rs.open(QStringLiteral("SELECT SubTopicId, SubTopicName FROM SubTopics WHERE GlobalTopicId = ? "
                                "ORDER BY SubTopicName COLLATE NOCASE"),
                 {topicId}))
        return result;
    for (; !rs.eof(); rs.moveNext())
        result.append(SubTopic{qint32(rs.value(QStringLiteral("SubTopicId")).toLongLong()),
                               rs.text(QStringLiteral("SubTopicName"))});
    return result;
}

bool TopicSelection::sectionCaptions(qint32 subTopicId, QStringList *captions)
{
    Recordset rs;
    if (!rs.open(QStringLiteral("SELECT Header1, Header2, Header3, Header4, Header5, Header6 FROM SubTopics "
                                "WHERE SubTopicId = ?"),
                 {subTopicId})
        || rs.eof())
        return false;
    captions->clear();
    for (int i = 1; i <= 6; ++i)
        captions->append(rs.text(QStringLiteral("Header%1").arg(i)));
    return true;
}

QString TopicSelection::keywordList(qint32 subTopicId)
{
    QString list;
    Recordset rs;
    if (!rs.open(QStringLiteral("SELECT LksId, Keyword FROM Lks WHERE TopicId = ? ORDER BY LksId"), {subTopicId}))
        return list;
    for (; !rs.eof(); rs.moveNext()) {
        const QString keyword = rs.text(QStringLiteral("Keyword"));
        if (!keyword.isEmpty())
            list += keyword + QLatin1Char('|');
    }
    return list;
}
