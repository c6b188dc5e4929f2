#include "editing/section_links.h"

#include "shared/edit_sql.h"
#include "pages/topic_page_builder.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QSet>
#include <QSqlQuery>

int SectionLastRow = 4;
QString SectionEditorCaption;

namespace {

struct Entity {
    QLatin1Char character;
    QLatin1String entity;
};

const Entity kEntities[] = {
    {QLatin1Char('&'), QLatin1String("&amp;")},
    {QLatin1Char('<'), QLatin1String("&lt;")},
    {QLatin1Char('>'), QLatin1String("&gt;")},
};

} // namespace

const QList<PageSection> &SectionLinks::sections()
{
    static const QList<PageSection> list = {
        {0, QStringLiteral("NewsLinks"), QStringLiteral("Update Section 1 Links"),
         QStringLiteral("Information Websites")},
        {1, QStringLiteral("SearchLinks"), QStringLiteral("Update Section 2 Links"),
         QStringLiteral("Search Websites")},
        {2, QStringLiteral("OrganizationLinks"), QStringLiteral("Update Section 3 Links"),
         QStringLiteral("Organization Websites")},
        {3, QStringLiteral("RelatedLinks"), QStringLiteral("Update Section 4 Links"),
         QStringLiteral("Related Websites")},
        {4, QStringLiteral("FavoriteLinks"), QStringLiteral("Update Section 5 Links"),
         QStringLiteral("Popular Websites")},
        {5, QStringLiteral("LocalLinks"), QStringLiteral("Update Section 6 Links"),
         QStringLiteral("Local Websites")},
    };
    return list;
}

const PageSection *SectionLinks::sectionForIndex(int menuIndex)
{
    const QList<PageSection> &list = sections();
    if (menuIndex < 0 || menuIndex >= list.size())
        return nullptr;
    return &list.at(menuIndex);
}

QString SectionLinks::EncodeLinkName(const QString &typed)
{
    QString out = typed;
    for (const Entity &e : kEntities)
        out.replace(e.character, e.entity);
    return out;
}

QString SectionLinks::DecodeLinkName(const QString &stored)
{
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        bool replaced = false;
        if (stored.at(i) == QLatin1Char('&')) {
            for (const Entity &e : kEntities) {
                if (QStringView(stored).mid(i).startsWith(e.entity)) {
                    out += e.character;
                    i += e.entity.size() - 1;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out += stored.at(i);
    }
    return out;
}

QString SectionLinks::StoredLinkUrl(const QString &typed)
{
    QString out = typed;
    return out.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

int SectionLinks::firstOverlongAddress(const QVector<SectionLink> &links)
{
    for (int i = 0; i < links.size() && i < RowCount; ++i)
        if (links.at(i).url.size() > MaxUrlLength)
            return i;
    return -1;
}

QString SectionLinks::addressTooLongMessage(const QString &address)
{
    return QStringLiteral("The Website Address:\n\n") + address
        + QStringLiteral("\n\nexceeds the character length of this field. "
                         "The Website Address field is limited to 200 characters.\n\n"
                         "Please reduce the character length of the Website Address field to allow the link to "
                         "operate.");
}

QString SectionLinks::addressTooLongTitle()
{
    return QStringLiteral("Website Address Error");
}

bool SectionLinks::TableExists(const QString &name)
{
    const QStringList tables = DbConnection().tables(QSql::Tables);
    for (const QString &table : tables)
        if (table.toLower() == name)
            return true;
    return false;
}

SectionLinks::SectionLinks(const QString &table, qint32 subTopicId)
    : m_table(table)
    , m_subTopicId(subTopicId)
{
}

bool SectionLinks::prepare()
{
    m_error.clear();
    if (!IsSectionLinkTable(m_table)) {
        m_error = QStringLiteral("\"%1\" is not a section of the page.").arg(m_table);
        return false;
    }
    if (!OpenCurrentDatabase(m_error))
        return false;
    return true;
}

bool SectionLinks::load(QVector<SectionLink> &links)
{
    links.clear();
    if (!prepare())
        return false;
    QSqlQuery q(DbConnection());
    // The table name is one of the six fixed names checked above.
    if (!EditSql::run(q,
                      QStringLiteral("SELECT LinkName, LinkUrl FROM %1 WHERE topicid = ? ORDER BY rowid LIMIT %2")
                          .arg(m_table)
                          .arg(RowCount),
                      {m_subTopicId}, m_error))
        return false;
    while (q.next())
        links.append({DecodeLinkName(q.value(0).toString()), q.value(1).toString()});
    return true;
}

bool SectionLinks::save(const QVector<SectionLink> &links)
{
    const int overlong = firstOverlongAddress(links);
    if (overlong >= 0) {
        m_error = addressTooLongMessage(links.at(overlong).url);
        return false;
    }
    if (!prepare())
        return false;

    Transaction transaction;
    if (!EditSql::started(transaction, m_error))
        return false;

    // The rows there are: the first five are overwritten; the keys of all of them are in use.
    QList<QVariant> rowids;
    QSet<QString> usedKeys;
    {
        QSqlQuery q(DbConnection());
        if (!EditSql::run(q,
                          QStringLiteral("SELECT rowid, FieldName1 FROM %1 WHERE topicid = ? ORDER BY rowid")
                              .arg(m_table),
                          {m_subTopicId}, m_error))
            return false;
        while (q.next()) {
            if (rowids.size() < RowCount)
                rowids.append(q.value(0));
            usedKeys.insert(q.value(1).toString().trimmed().toLower());
        }
    }

    auto linkAt = [&links](int i) { return i < links.size() ? links.at(i) : SectionLink(); };

    int nextKey = 1;
    for (int i = 0; i < RowCount; ++i) {
        const SectionLink link = linkAt(i);
        bool written;
        if (i < rowids.size()) {
            written =
                EditSql::exec(QStringLiteral("UPDATE %1 SET LinkName = ?, LinkUrl = ? WHERE rowid = ?").arg(m_table),
                              {EncodeLinkName(link.name), StoredLinkUrl(link.url), rowids.at(i)}, m_error);
        } else {
            while (usedKeys.contains(QStringLiteral("name%1").arg(nextKey)))
                ++nextKey;
            const int k = nextKey++;
            written = EditSql::exec(QStringLiteral("INSERT INTO %1 (topicid, LinkName, LinkUrl, FieldName1, "
                                                   "FieldName2) VALUES (?, ?, ?, ?, ?)")
                                        .arg(m_table),
                                    {m_subTopicId, EncodeLinkName(link.name), StoredLinkUrl(link.url),
                                     QStringLiteral("name%1").arg(k), QStringLiteral("url%1").arg(k)},
                                    m_error);
        }
        if (!written)
            return false;
    }
    return EditSql::commit(transaction, m_error);
}
