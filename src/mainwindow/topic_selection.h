#pragma once
// The data the main window's Topic and Sub-Topic lists show: the Sub-Topics of a Topic,
// the section captions of a Sub-Topic and its keyword list. Reads the open edition.

#include <QList>
#include <QString>
#include <QStringList>

class TopicSelection
{
public:
    struct SubTopic {
        qint32 id = 0;
        QString name;
    };
    // The Sub-Topics of a Topic by name (without regard to case).
    static QList<SubTopic> subTopics(qint32 topicId);

    // The six section captions (Header1 to Header6) of a Sub-Topic; false when it has no
    // SubTopics row.
    static bool sectionCaptions(qint32 subTopicId, QStringList *captions);

    // The keywords of every category row of a Sub-Topic in tree order, each followed by
    // "|"; a row without keywords adds nothing.
    static QString keywordList(qint32 subTopicId);
};
