#pragma once
// The Sub-Topics of the active edition: adding one with the rows every Sub-Topic starts
// with, deleting one with everything it owns, renaming one everywhere its name is stored,
// and moving one to another Topic. Works on the open edition through the shared
// connection; no window is needed.
//
// A Sub-Topic owns its SubTopics row, its ColorLinks row, its category rows in Lks (the
// root row first), the links of those categories (LksSit and Sit rows) and its rows in
// the six section tables; its page file in the program folder goes with it.
// Every command that writes more than one row writes all of them or none.

#include "editing/topic_editing.h"

#include <QList>
#include <QString>
#include <QStringList>

// The name typed last into the "Add Sub-Topic" box.
extern QString NewSubTopicName;

class SubTopicEditing
{
public:
    using Status = TopicEditing::Status;

    struct SubTopic {
        qint32 id = 0;
        QString name;
    };

    // The captions of the six page sections of a new Sub-Topic.
    static const QStringList &defaultHeaders();

    // The category path of an Lks row (LksUrl) with its first segment, the Sub-Topic's
    // name, replaced by newName: "A/X/Y" gives "B/X/Y", a root "A" gives "B".
    static QString renamedPath(const QString &lksUrl, const QString &newName);
    // The same for the reversed path (LksName), whose last segment is the Sub-Topic's
    // name: "Y/X/A" gives "Y/X/B".
    static QString renamedReversedPath(const QString &lksName, const QString &newName);

    // The Sub-Topics of a Topic in the order the table holds them.
    Status subTopics(qint32 topicId, QList<SubTopic> *list);
    // The first Sub-Topic of a Topic named name without regard to case; with preferredId
    // non-zero, a Sub-Topic of that name with that id goes first.
    Status find(qint32 topicId, const QString &name, SubTopic *subTopic, qint32 preferredId = 0);

    // Adds a Sub-Topic named exactly as typed under a Topic: its SubTopics row with the
    // default section captions, its ColorLinks row with the default colours and, unless
    // Lks already holds rows of the new id, its root row in Lks. Exists when the Topic
    // has a Sub-Topic of that name in any case.
    Status add(qint32 topicId, const QString &name, qint32 *newId = nullptr);

    // Deletes the Sub-Topic with every row it owns: the links of all its categories (a
    // Sit row only when no other category holds it), its categories, its ColorLinks and
    // SubTopics rows and its rows in the six section tables, all in one transaction.
    Status remove(qint32 subTopicId);

    // Gives a Sub-Topic of a Topic the name newName exactly as typed: in its SubTopics and
    // ColorLinks rows and as the first segment of every category path of its tree (and
    // the last one of every reversed path). Exists when the Topic has a Sub-Topic of that
    // name in any case, the Sub-Topic itself included.
    Status rename(qint32 topicId, qint32 subTopicId, const QString &newName);

    // Moves the Sub-Topic named name (preferably the one with id preferredId) from one
    // Topic to another. Exists when the target Topic has a Sub-Topic of that name in any
    // case; NotFound when the Sub-Topic is not under the Topic it comes from.
    Status move(qint32 fromTopicId, qint32 toTopicId, const QString &name, qint32 preferredId = 0);

    // True when no category row of the Sub-Topic was made by the user (LksDesc "N"); false
    // also when the rows could not be read (lastError() then says why).
    bool isPredefined(qint32 subTopicId);

    QString lastError() const { return m_error; }

private:
    // Done when the Topic has no Sub-Topic named name in any case, Exists when it has one,
    // Failed when the edition could not be read.
    Status checkNameFree(qint32 topicId, const QString &name);
    QString m_error;
};
