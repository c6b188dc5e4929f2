#include "editing/section_headers.h"

#include "shared/database.h"
#include "shared/globals.h"
#include "shared/routines.h"

#include <QSqlError>
#include <QSqlQuery>

SectionHeaders::Check SectionHeaders::check(const QStringList &headers)
{
    static const QString prohibited = QStringLiteral("'<>\"");
    for (const QString &h : headers)
        for (const QChar c : h)
            if (prohibited.contains(c))
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
    if (!OpenDatabase(CurrentDatabaseFile)) {
        m_error = QStringLiteral("The edition %1 could not be opened.").arg(CurrentDatabaseFile);
        return false;
    }
    QSqlQuery q(DbConnection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT Header1, Header2, Header3, Header4, Header5, Header6 FROM SubTopics "
                             "WHERE GlobalTopicId = ? AND SubTopicName = ? ORDER BY rowid LIMIT 1"));
    q.addBindValue(m_topicId);
    q.addBindValue(m_subTopicName);
    if (!q.exec()) {
        m_error = q.lastError().text();
        return false;
    }
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
    if (!OpenDatabase(CurrentDatabaseFile)) {
        m_error = QStringLiteral("The edition %1 could not be opened.").arg(CurrentDatabaseFile);
        return false;
    }
    QSqlQuery find(DbConnection());
    find.prepare(QStringLiteral("SELECT rowid FROM SubTopics WHERE GlobalTopicId = ? AND SubTopicName = ? "
                                "ORDER BY rowid LIMIT 1"));
    find.addBindValue(m_topicId);
    find.addBindValue(m_subTopicName);
    if (!find.exec()) {
        m_error = find.lastError().text();
        return false;
    }
    if (!find.next())
        return true;
    const QVariant rowid = find.value(0);
    find.finish();

    QSqlQuery write(DbConnection());
    write.prepare(QStringLiteral("UPDATE SubTopics SET Header1 = ?, Header2 = ?, Header3 = ?, Header4 = ?, "
                                 "Header5 = ?, Header6 = ? WHERE rowid = ?"));
    for (int i = 0; i < Count; ++i)
        write.addBindValue(i < headers.size() ? headers.at(i) : QString(QLatin1String("")));
    write.addBindValue(rowid);
    if (!write.exec()) {
        m_error = write.lastError().text();
        return false;
    }
    m_found = true;
    return true;
}
