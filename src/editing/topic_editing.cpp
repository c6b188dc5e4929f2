#include "editing/topic_editing.h"

#include "editing/edit_names.h"
#include "shared/edit_sql.h"
#include "shared/database.h"
#include "shared/routines.h"

#include <QSqlQuery>

TopicEditing::NameCheck TopicEditing::checkNameForAdd(const QString &name)
{
    if (!ContainsTextChar(name))
        return NameCheck::NoTextChar;
    if (EditNames::HasProhibitedCharacter(name))
        return NameCheck::ProhibitedChar;
    if (name.size() > MaxNameLength)
        return NameCheck::TooLong;
    return NameCheck::Ok;
}

TopicEditing::NameCheck TopicEditing::checkNameForRename(const QString &name)
{
    if (!ContainsTextChar(name))
        return NameCheck::NoTextChar;
    if (name.size() > MaxNameLength)
        return NameCheck::TooLong;
    if (EditNames::HasProhibitedCharacter(name))
        return NameCheck::ProhibitedChar;
    return NameCheck::Ok;
}

bool TopicEditing::sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int TopicEditing::findListEntry(const QStringList &entries, const QString &text)
{
    const int count = int(entries.size());
    if (text.isEmpty() || count == 0)
        return -1;
    // Entry 1 first, entry 0 last.
    QList<int> order;
    for (int i = 1; i < count; ++i)
        order.append(i);
    order.append(0);
    for (int i : std::as_const(order))
        if (sameName(entries.at(i), text))
            return i;
    for (int i : std::as_const(order))
        if (entries.at(i).startsWith(text, Qt::CaseInsensitive))
            return i;
    return -1;
}

TopicEditing::Status TopicEditing::topics(QList<Topic> *list)
{
    list->clear();
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q, QStringLiteral("SELECT MainTopicId, TopicName FROM Topics ORDER BY rowid"), {}, m_error))
        return Status::Failed;
    while (q.next())
        list->append({q.value(0).toInt(), q.value(1).toString()});
    return Status::Done;
}

TopicEditing::Status TopicEditing::find(const QString &name, Topic *topic)
{
    QList<Topic> all;
    if (topics(&all) != Status::Done)
        return Status::Failed;
    for (const Topic &t : std::as_const(all)) {
        if (sameName(t.name, name)) {
            *topic = t;
            return Status::Done;
        }
    }
    return Status::NotFound;
}

TopicEditing::Status TopicEditing::add(const QString &name, qint32 *newId)
{
    Topic existing;
    switch (find(name, &existing)) {
    case Status::Done:
        return Status::Exists;
    case Status::NotFound:
        break;
    default:
        return Status::Failed;
    }

    const qint32 id = NextId16(QStringLiteral("Topics"), QStringLiteral("MainTopicId"), &m_error);
    if (id < 0)
        return Status::IdLimit;
    if (id == 0)
        return Status::Failed;

    if (!EditSql::exec(QStringLiteral("INSERT INTO Topics (MainTopicId, TopicName) VALUES (?, ?)"), {id, name},
                       m_error))
        return Status::Failed;
    if (newId)
        *newId = id;
    return Status::Done;
}

TopicEditing::Status TopicEditing::checkDelete(const QString &name, Topic *topic)
{
    const Status found = find(name, topic);
    if (found != Status::Done)
        return found;
    return subTopicsOf(topic->id);
}

TopicEditing::Status TopicEditing::subTopicsOf(qint32 topicId)
{
    QVariant count;
    if (!EditSql::scalar(QStringLiteral("SELECT count(*) FROM SubTopics WHERE GlobalTopicId = ?"), {topicId}, count,
                         m_error))
        return Status::Failed;
    return count.toLongLong() > 0 ? Status::HasSubTopics : Status::Done;
}

TopicEditing::Status TopicEditing::remove(qint32 topicId)
{
    Transaction transaction;
    if (!EditSql::started(transaction, m_error))
        return Status::Failed;
    if (const Status held = subTopicsOf(topicId); held != Status::Done)
        return held;
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q, QStringLiteral("DELETE FROM Topics WHERE MainTopicId = ?"), {topicId}, m_error))
        return Status::Failed;
    if (q.numRowsAffected() == 0)
        return Status::NotFound;
    q.finish();
    if (!EditSql::commit(transaction, m_error))
        return Status::Failed;
    return Status::Done;
}

TopicEditing::Status TopicEditing::rename(const QString &oldName, const QString &newName)
{
    QList<Topic> all;
    if (topics(&all) != Status::Done)
        return Status::Failed;
    const Topic *current = nullptr;
    for (const Topic &t : std::as_const(all)) {
        if (sameName(t.name, oldName)) {
            current = &t;
            break;
        }
    }
    if (!current)
        return Status::NotFound;
    for (const Topic &t : std::as_const(all))
        if (sameName(t.name, newName))
            return Status::Exists;

    if (!EditSql::exec(QStringLiteral("UPDATE Topics SET TopicName = ? WHERE MainTopicId = ?"), {newName, current->id},
                       m_error))
        return Status::Failed;
    return Status::Done;
}
