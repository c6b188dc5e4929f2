#include "editing/subtopic_editing.h"

#include "editing/category_editing.h"
#include "editing/colour_schemes.h"
#include "shared/edit_sql.h"
#include "editing/section_links.h"
#include "pages/topic_page_builder.h"
#include "shared/database.h"

#include <QSqlQuery>

QString NewSubTopicName;

const QStringList &SubTopicEditing::defaultHeaders()
{
    static const QStringList headers = [] {
        QStringList captions;
        for (const PageSection &section : SectionLinks::sections())
            captions.append(section.defaultCaption);
        return captions;
    }();
    return headers;
}

QString SubTopicEditing::renamedPath(const QString &lksUrl, const QString &newName)
{
    const qsizetype slash = lksUrl.indexOf(QLatin1Char('/'));
    return slash < 0 ? newName : newName + lksUrl.mid(slash);
}

QString SubTopicEditing::renamedReversedPath(const QString &lksName, const QString &newName)
{
    const qsizetype slash = lksName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? newName : lksName.left(slash + 1) + newName;
}

SubTopicEditing::Status SubTopicEditing::checkNameFree(qint32 topicId, const QString &name)
{
    SubTopic existing;
    switch (find(topicId, name, &existing)) {
    case Status::Done:
        return Status::Exists;
    case Status::NotFound:
        return Status::Done;
    default:
        return Status::Failed;
    }
}

SubTopicEditing::Status SubTopicEditing::subTopics(qint32 topicId, QList<SubTopic> *list)
{
    list->clear();
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q,
                      QStringLiteral(
                          "SELECT SubTopicId, SubTopicName FROM SubTopics WHERE GlobalTopicId = ? ORDER BY rowid"),
                      {topicId}, m_error))
        return Status::Failed;
    while (q.next())
        list->append({q.value(0).toInt(), q.value(1).toString()});
    return Status::Done;
}

SubTopicEditing::Status SubTopicEditing::find(qint32 topicId, const QString &name, SubTopic *subTopic,
                                              qint32 preferredId)
{
    QList<SubTopic> all;
    if (subTopics(topicId, &all) != Status::Done)
        return Status::Failed;
    const SubTopic *first = nullptr;
    for (const SubTopic &s : std::as_const(all)) {
        if (!TopicEditing::sameName(s.name, name))
            continue;
        if (preferredId != 0 && s.id == preferredId) {
            *subTopic = s;
            return Status::Done;
        }
        if (!first)
            first = &s;
    }
    if (!first)
        return Status::NotFound;
    *subTopic = *first;
    return Status::Done;
}

SubTopicEditing::Status SubTopicEditing::add(qint32 topicId, const QString &name, qint32 *newId)
{
    if (const Status checked = checkNameFree(topicId, name); checked != Status::Done)
        return checked;

    Transaction transaction;
    if (!EditSql::started(transaction, m_error))
        return Status::Failed;

    qint32 id = 0;
    const QStringList &h = defaultHeaders();
    if (!EditSql::nextId(QStringLiteral("SubTopics"), QStringLiteral("SubTopicId"), id, m_error)
        || !EditSql::exec(
            QStringLiteral("INSERT INTO SubTopics (GlobalTopicId, SubTopicId, SubTopicName, Header1, "
                           "Header2, Header3, Header4, Header5, Header6) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {topicId, id, name, h.at(0), h.at(1), h.at(2), h.at(3), h.at(4), h.at(5)}, m_error)
        || !EditSql::exec(QStringLiteral("INSERT INTO ColorLinks (TopicId, color3, color2, color1, TopicName) "
                                         "VALUES (?, ?, ?, ?, ?)"),
                          {id, QString(ColourScheme::DefaultBackground), QString(ColourScheme::DefaultAccent),
                           QString(ColourScheme::DefaultText), name},
                          m_error))
        return Status::Failed;

    qint32 rootId = 0;
    QVariant rows;
    if (!EditSql::nextId(QStringLiteral("Lks"), QStringLiteral("LksId"), rootId, m_error)
        || !EditSql::scalar(QStringLiteral("SELECT count(*) FROM Lks WHERE TopicId = ?"), {id}, rows, m_error))
        return Status::Failed;
    if (rows.toLongLong() == 0
        && !EditSql::exec(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, IsTop, LksDesc, IsLeaf, TopicId) "
                                         "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                          {rootId, name, name, 1, QStringLiteral("N"), 0, id}, m_error))
        return Status::Failed;
    if (!EditSql::commit(transaction, m_error))
        return Status::Failed;
    if (newId)
        *newId = id;
    return Status::Done;
}

SubTopicEditing::Status SubTopicEditing::remove(qint32 subTopicId)
{
    Transaction transaction;
    if (!EditSql::started(transaction, m_error))
        return Status::Failed;

    // The links of every category of the Sub-Topic, the root's own included. A link row
    // that a category of another Sub-Topic also holds stays for that one.
    const QString categories = QStringLiteral("SELECT LksId FROM Lks WHERE TopicId = ?");
    if (!EditSql::exec(QStringLiteral("DELETE FROM Sit WHERE SitId IN (SELECT SitId FROM LksSit WHERE LksId IN (%1)) "
                                      "AND NOT EXISTS (SELECT 1 FROM LksSit AS other WHERE other.SitId = Sit.SitId "
                                      "AND other.LksId NOT IN (%1))")
                           .arg(categories),
                       {subTopicId, subTopicId}, m_error)
        || !EditSql::exec(QStringLiteral("DELETE FROM LksSit WHERE LksId IN (%1)").arg(categories), {subTopicId},
                          m_error))
        return Status::Failed;

    QStringList owned = {
        QStringLiteral("DELETE FROM ColorLinks WHERE TopicId = ?"),
        QStringLiteral("DELETE FROM SubTopics WHERE SubTopicId = ?"),
        QStringLiteral("DELETE FROM Lks WHERE TopicId = ?"),
    };
    for (const QString &table : SectionLinkTables())
        owned.append(QStringLiteral("DELETE FROM %1 WHERE topicid = ?").arg(table));
    for (const QString &sql : std::as_const(owned))
        if (!EditSql::exec(sql, {subTopicId}, m_error))
            return Status::Failed;

    if (!EditSql::commit(transaction, m_error))
        return Status::Failed;
    return Status::Done;
}

SubTopicEditing::Status SubTopicEditing::rename(qint32 topicId, qint32 subTopicId, const QString &newName)
{
    if (const Status checked = checkNameFree(topicId, newName); checked != Status::Done)
        return checked;

    Transaction transaction;
    if (!EditSql::started(transaction, m_error)
        || !EditSql::exec(QStringLiteral("UPDATE ColorLinks SET TopicName = ? WHERE TopicId = ?"),
                          {newName, subTopicId}, m_error)
        || !EditSql::exec(QStringLiteral("UPDATE SubTopics SET SubTopicName = ? WHERE SubTopicId = ?"),
                          {newName, subTopicId}, m_error))
        return Status::Failed;

    // Every category path of the tree starts with the Sub-Topic's name, whatever that
    // segment holds now, so the whole tree stays attached to its root: the first segment
    // of each path and the last one of each reversed path are replaced (as renamedPath and
    // renamedReversedPath do), all rows in one statement. rtrim(x, x without "/") leaves x
    // up to its last "/".
    if (!EditSql::exec(QStringLiteral("UPDATE Lks SET"
                                      " LksUrl = CASE WHEN instr(coalesce(LksUrl, ''), '/') = 0 THEN ?"
                                      " ELSE ? || substr(LksUrl, instr(LksUrl, '/')) END,"
                                      " LksName = rtrim(coalesce(LksName, ''), replace(coalesce(LksName, ''), '/', ''))"
                                      " || ? WHERE TopicId = ?"),
                       {newName, newName, newName, subTopicId}, m_error))
        return Status::Failed;

    if (!EditSql::commit(transaction, m_error))
        return Status::Failed;
    return Status::Done;
}

SubTopicEditing::Status SubTopicEditing::move(qint32 fromTopicId, qint32 toTopicId, const QString &name,
                                              qint32 preferredId)
{
    if (const Status checked = checkNameFree(toTopicId, name); checked != Status::Done)
        return checked;
    SubTopic moving;
    const Status found = find(fromTopicId, name, &moving, preferredId);
    if (found != Status::Done)
        return found;

    if (!EditSql::exec(QStringLiteral("UPDATE SubTopics SET GlobalTopicId = ? "
                                      "WHERE SubTopicId = ? AND GlobalTopicId = ?"),
                       {toTopicId, moving.id, fromTopicId}, m_error))
        return Status::Failed;
    return Status::Done;
}

bool SubTopicEditing::isPredefined(qint32 subTopicId)
{
    CategoryEditing categories(subTopicId);
    const bool userRows = categories.hasUserRows();
    if (!categories.lastError().isEmpty()) {
        m_error = categories.lastError();
        return false;
    }
    return !userRows;
}
