#pragma once
// The Topics of the active edition: the rules for typed Topic and Sub-Topic names, finding
// a Topic by name, and adding, renaming and deleting Topics. Works on the open edition
// through the shared connection; no window is needed.
//
// Names are compared without regard to letter case (also beyond A-Z), so "Travel" and
// "TRAVEL" are the same Topic. Every command answers a Status; lastError() holds the
// database's reason after Failed.

#include <QList>
#include <QString>
#include <QStringList>

class TopicEditing
{
public:
    static constexpr int MaxNameLength = 30;

    // What checking a typed Topic or Sub-Topic name finds.
    enum class NameCheck {
        Ok,
        NoTextChar,       // no letter A-Z, a-z and no blank
        ProhibitedChar,   // one of ' < > / \ or the double quote
        TooLong,          // more than 30 characters
    };
    // The checks of an added name: letters, then characters, then length.
    static NameCheck checkNameForAdd(const QString &name);
    // The checks of a new name on rename: letters, then length, then characters.
    static NameCheck checkNameForRename(const QString &name);
    // True when two names are the same without regard to letter case.
    static bool sameName(const QString &a, const QString &b);

    // The entry of a list that a name re-selects: searched from entry 1 to the last and
    // entry 0 last, the first entry equal to text without regard to case, else the first
    // that begins with text without regard to case. -1 when none does (or text is empty).
    static int findListEntry(const QStringList &entries, const QString &text);

    enum class Status {
        Done,
        NotFound,       // no Topic of that name
        Exists,         // the name is taken
        HasSubTopics,   // the Topic still has Sub-Topics
        IdLimit,        // no Topic id is left
        Failed,         // the edition could not be read or written (lastError says why)
    };

    struct Topic {
        qint32 id = 0;
        QString name;
    };

    // Every Topic of the open edition in the order the table holds them.
    Status topics(QList<Topic> *list);
    // The first Topic named name without regard to case.
    Status find(const QString &name, Topic *topic);

    // Adds a Topic named exactly as typed with the next id (largest id plus 1, 1 for the
    // first). Exists when a Topic has that name in any case; IdLimit, writing nothing,
    // when the largest id is already 32767.
    Status add(const QString &name, qint32 *newId = nullptr);

    // Whether the Topic named name may be deleted: NotFound, HasSubTopics, or Done with
    // topic set to the row that would go.
    Status checkDelete(const QString &name, Topic *topic);
    // Deletes the Topic row of id, checking again in the same transaction that no
    // Sub-Topic refers to it (HasSubTopics then, nothing deleted).
    Status remove(qint32 topicId);

    // Gives the Topic named oldName the name newName exactly as typed. NotFound when there
    // is no such Topic; Exists when newName is taken, also by the Topic itself in another
    // letter case.
    Status rename(const QString &oldName, const QString &newName);

    QString lastError() const { return m_error; }

private:
    // HasSubTopics when the Topic of id has Sub-Topics, else Done (Failed: not readable).
    Status subTopicsOf(qint32 topicId);
    QString m_error;
};
