#include "editing/section_headers.h"

#include "editing/edit_names.h"
#include "shared/edit_sql.h"
#include "shared/database.h"
#include "shared/routines.h"

#include <QSqlQuery>

SectionHeaders::Check SectionHeaders::check(const QStringList &headers)
{
    for (const QString &h : headers)
        if (EditNames::HasProhibitedAddressCharacter(h))
            return Check::ProhibitedCharacters;
    for (const QString &h : headers)
        if (TrimBlanks(h).isEmpty())
            return Check::Blank;
    return Check::Ok;
}

QString SectionHeaders::prohibitedMessage()
{
    return QStringLiteral("One of the Section Header fields contains a character or characters that may not be "
                          "used. Please delete these characters before proceeding.\n\n"
                          "Note: Characters that may not be used are as follows:/ < > ' \"");
}

QString SectionHeaders::prohibitedTitle()
{
    return QStringLiteral("Prohibited Characters");
}

QString SectionHeaders::blankMessage()
{
    return QStringLiteral("The Section Header field cannot be left blank.\n\nPlease enter a Header Name.");
}

QString SectionHeaders::blankTitle()
{
    return QStringLiteral("Header Field Error");
}

SectionHeaders::SectionHeaders(qint32 topicId, const QString &subTopicName)
    : m_topicId(topicId)
    , m_subTopicName(subTopicName)
{
}

bool SectionHeaders::load(QStringList &headers)
{
    headers.clear();
    m_found = false;
    m_error.clear();
    if (!OpenCurrentDatabase(m_error))
        return false;
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q,
                      QStringLiteral("SELECT Header1, Header2, Header3, Header4, Header5, Header6 FROM SubTopics "
                                     "WHERE GlobalTopicId = ? AND SubTopicName = ? ORDER BY rowid LIMIT 1"),
                      {m_topicId, m_subTopicName}, m_error))
        return false;
    if (!q.next())
        return false;
    for (int i = 0; i < Count; ++i)
        headers.append(q.value(i).isNull() ? QString(QLatin1String("")) : q.value(i).toString());
    m_found = true;
    return true;
}

bool SectionHeaders::save(const QStringList &headers)
{
    m_found = false;
    m_error.clear();
    if (!OpenCurrentDatabase(m_error))
        return false;
    QVariant rowid;
    if (!EditSql::scalar(QStringLiteral("SELECT rowid FROM SubTopics WHERE GlobalTopicId = ? AND SubTopicName = ? "
                                        "ORDER BY rowid LIMIT 1"),
                         {m_topicId, m_subTopicName}, rowid, m_error))
        return false;
    if (rowid.isNull())
        return true;

    QVariantList values;
    for (int i = 0; i < Count; ++i)
        values.append(i < headers.size() ? headers.at(i) : QString(QLatin1String("")));
    values.append(rowid);
    if (!EditSql::exec(QStringLiteral("UPDATE SubTopics SET Header1 = ?, Header2 = ?, Header3 = ?, Header4 = ?, "
                                      "Header5 = ?, Header6 = ? WHERE rowid = ?"),
                       values, m_error))
        return false;
    m_found = true;
    return true;
}
