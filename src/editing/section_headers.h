#pragma once
// The six section captions of a Sub-Topic's page (SubTopics.Header1 to Header6), found by
// the Topic's id and the Sub-Topic's name.

#include <QString>
#include <QStringList>

class SectionHeaders
{
public:
    static constexpr int Count = 6;
    static constexpr int MaxLength = 24;

    // What checking six headers finds, in the order the checks run.
    enum class Check {
        Ok,
        ProhibitedCharacters,   // one of them holds ' < > or "
        Blank,                  // one of them is empty or only blanks
    };
    static Check check(const QStringList &headers);
    static QString prohibitedMessage();
    static QString prohibitedTitle();
    static QString blankMessage();
    static QString blankTitle();

    SectionHeaders(qint32 topicId, const QString &subTopicName);

    // Reads the six headers of the Sub-Topic's row; a missing value reads as "". Answers
    // false, leaving headers empty, when there is no such row or it could not be read.
    bool load(QStringList &headers);

    // Stores the six headers as typed (blanks kept). Answers false when the edition could
    // not be written (lastError() says why); found() tells whether a row was there to
    // store them in (no row is not a failure: nothing is stored).
    bool save(const QStringList &headers);
    bool found() const { return m_found; }
    QString lastError() const { return m_error; }

private:
    qint32 m_topicId;
    QString m_subTopicName;
    bool m_found = false;
    QString m_error;
};
