#include "exchange/subtopic_import.h"

#include "editing/edit_names.h"
#include "editing/edit_sql.h"
#include "editing/section_links.h"
#include "editing/subtopic_editing.h"
#include "shared/database.h"
#include "shared/routines.h"

#include <QSqlError>
#include <QSqlQuery>

#include <limits>

namespace {

const QChar Bar = QLatin1Char('|');

bool exec(QSqlQuery &q, const QVariantList &values, QString &error)
{
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (q.exec())
        return true;
    error = DatabaseErrorText(q.lastError());
    return false;
}

} // namespace

bool SubTopicImport::unreadable(int line, const QString &reason)
{
    m_loaded = false;
    m_errorLine = line;
    m_error = reason;
    return false;
}

bool SubTopicImport::load(const QString &path)
{
    m_loaded = false;
    m_headers.clear();
    m_sections.clear();
    m_categories.clear();
    m_sites.clear();
    m_colorName.clear();
    for (QString &c : m_colors)
        c.clear();

    SubTopicFile file;
    if (!file.read(path))
        return unreadable(file.errorLine(), file.lastError());

    for (const SubTopicFile::Line &line : file.content(SubTopicFile::PageTag))
        if (m_headers.size() < 6)
            m_headers.append(line.text);
    while (m_headers.size() < 6)
        m_headers.append(QString());

    for (const QString &tag : SubTopicFile::linkSectionTags()) {
        QList<SectionRow> rows;
        for (const SubTopicFile::Line &line : file.content(tag)) {
            if (rows.size() == SectionLinks::RowCount)
                break;
            SectionRow row;
            SubTopicFile::splitPair(line.text, &row.name, &row.url);
            rows.append(row);
        }
        m_sections.append(rows);
    }

    // The last colour line wins.
    for (const SubTopicFile::Line &line : file.content(SubTopicFile::ColorTag)) {
        for (int i = 0; i < 3; ++i)
            m_colors[i] = TrimBlanks(SubTopicFile::field(line.text, i + 1));
        m_colorName = line.text.count(Bar) >= 3 ? TrimBlanks(SubTopicFile::field(line.text, 4)) : QString();
    }

    if (!readTree(file) || !readLinks(file))
        return false;
    m_loaded = true;
    return true;
}

bool SubTopicImport::readTree(const SubTopicFile &file)
{
    const QList<SubTopicFile::Line> lines = file.content(SubTopicFile::TreeTag);
    m_fileRoot.clear();
    for (int i = 0; i < lines.size(); ++i) {
        Category category;
        SubTopicFile::splitTreeLine(lines.at(i).text, &category.name, &category.path);
        if (i == 0) {
            // The Sub-Topic's own entry; the import makes its own root row.
            if (category.path.isEmpty() || category.path.contains(QLatin1Char('/')))
                return unreadable(lines.at(i).number, QStringLiteral("it is not the Sub-Topic's own entry"));
            m_fileRoot = category.path;
            continue;
        }
        if (!SubTopicFile::foldCase(category.path).startsWith(SubTopicFile::foldCase(m_fileRoot + QLatin1Char('/'))))
            return unreadable(lines.at(i).number,
                              QStringLiteral("its category does not lie under '%1'").arg(m_fileRoot));
        m_categories.append(category);
    }
    return true;
}

bool SubTopicImport::readLinks(const SubTopicFile &file)
{
    // Paths compared as the edition compares them; a path held twice files under the first.
    SubTopicFile::PathIndex categories;
    if (!m_fileRoot.isEmpty())
        categories.add(m_fileRoot, -1);
    for (int i = 0; i < m_categories.size(); ++i)
        categories.add(m_categories.at(i).path, i);

    for (const SubTopicFile::Line &line : file.content(SubTopicFile::LinksTag)) {
        qsizetype bar = -1;
        SiteLine site;
        site.category = categories.find(line.text, &bar);
        if (bar < 0)
            return unreadable(line.number, QStringLiteral("its category is not in the <%1> section")
                                               .arg(SubTopicFile::TreeTag));
        // What follows the path, as a link section line; one without "|" is the name alone.
        const QString rest = line.text.mid(bar + 1);
        if (rest.contains(Bar))
            SubTopicFile::splitPair(rest, &site.name, &site.url);
        else
            site.name = TrimBlanks(rest);
        m_sites.append(site);
    }
    return true;
}

bool SubTopicImport::idsLeft(qint64 first, qsizetype count, const QString &table)
{
    if (first + count - 1 <= std::numeric_limits<qint32>::max())
        return true;
    m_error = QStringLiteral("The edition has no ids left in the table %1.").arg(table);   // as NextId() says
    return false;
}

QString SubTopicImport::nameInFile(const QString &baseName) const
{
    if (!m_colorName.isEmpty() && SubTopicFile::fileBaseName(m_colorName) == baseName)
        return m_colorName;
    return SubTopicFile::importName(baseName);
}

SubTopicImport::Status SubTopicImport::ImportSubTopicFile(qint32 topicId, const QString &importName)
{
    m_error.clear();
    m_errorLine = 0;
    if (!m_loaded) {
        m_error = QStringLiteral("no Sub-Topic file has been read");
        return Status::Unreadable;
    }
    m_importName = importName;
    // A name that would break category paths and page files is not given.
    if (TrimBlanks(importName).isEmpty() || EditNames::HasProhibitedCharacter(importName))
        return Status::NameNotAllowed;

    Transaction transaction;
    if (!EditSql::started(transaction, m_error))
        return Status::Failed;

    SubTopicEditing subTopics;
    SubTopicEditing::SubTopic existing;
    switch (subTopics.find(topicId, importName, &existing)) {
    case SubTopicEditing::Status::Done:
        return Status::Exists;
    case SubTopicEditing::Status::NotFound:
        break;
    default:
        m_error = subTopics.lastError();
        return Status::Failed;
    }

    ImportedSubTopicId = NextId(QStringLiteral("SubTopics"), QStringLiteral("SubTopicId"), &m_error);
    if (ImportedSubTopicId <= 0)
        return Status::Failed;
    m_rootId = NextId(QStringLiteral("Lks"), QStringLiteral("LksId"), &m_error);
    if (m_rootId <= 0 || !idsLeft(m_rootId, m_categories.size() + 1, QStringLiteral("Lks")))
        return Status::Failed;

    QVariant ownRoot;
    if (!EditSql::exec(QStringLiteral("INSERT INTO SubTopics (GlobalTopicId, SubTopicId, SubTopicName, Header1, "
                                      "Header2, Header3, Header4, Header5, Header6) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                       {topicId, ImportedSubTopicId, importName, m_headers.at(0), m_headers.at(1), m_headers.at(2),
                        m_headers.at(3), m_headers.at(4), m_headers.at(5)},
                       m_error)
        || !EditSql::exec(QStringLiteral("INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName) "
                                         "VALUES (?, ?, ?, ?, ?)"),
                          {ImportedSubTopicId, m_colors[0], m_colors[1], m_colors[2], importName}, m_error)
        || !EditSql::scalar(QStringLiteral("SELECT min(LksId) FROM Lks WHERE TopicId = ?"), {ImportedSubTopicId},
                            ownRoot, m_error))
        return Status::Failed;
    // Rows left under the new id by an earlier Sub-Topic already hold its root.
    m_nextLksId = m_rootId;
    if (!ownRoot.isNull()) {
        m_rootId = ownRoot.toInt();
    } else {
        if (!EditSql::exec(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, IsTop, LksDesc, IsLeaf, TopicId) "
                                          "VALUES (?, ?, ?, 1, 'N', 0, ?)"),
                           {m_rootId, importName, importName, ImportedSubTopicId}, m_error))
            return Status::Failed;
        ++m_nextLksId;
    }

    if (!ImportLinkTables() || !ImportStructure() || !ImportSites() || !EditSql::commit(transaction, m_error))
        return Status::Failed;
    return Status::Done;
}

bool SubTopicImport::ImportLinkTables()
{
    const QStringList &tables = SubTopicFile::linkSectionTags();
    for (int t = 0; t < tables.size(); ++t) {
        QSqlQuery q(DbConnection());
        // The table name is one of the six fixed names.
        if (!q.prepare(QStringLiteral("INSERT INTO %1 (topicid, LinkName, LinkUrl, FieldName1, FieldName2) "
                                      "VALUES (?, ?, ?, ?, ?)")
                           .arg(tables.at(t)))) {
            m_error = DatabaseErrorText(q.lastError());
            return false;
        }
        const QList<SectionRow> &rows = m_sections.at(t);
        for (int k = 1; k <= SectionLinks::RowCount; ++k) {
            const SectionRow row = rows.value(k - 1);
            if (!exec(q,
                      {ImportedSubTopicId, SectionLinks::EncodeLinkName(row.name), row.url,
                       QStringLiteral("name%1").arg(k), QStringLiteral("url%1").arg(k)},
                      m_error))
                return false;
        }
    }
    return true;
}

bool SubTopicImport::ImportStructure()
{
    m_categoryIds.clear();
    m_categoryIds.reserve(m_categories.size());
    QSqlQuery q(DbConnection());
    if (!q.prepare(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, IsTop, IsLeaf, TopicId) "
                                  "VALUES (?, ?, ?, 1, 1, ?)"))) {
        m_error = DatabaseErrorText(q.lastError());
        return false;
    }
    // Every row lands inside this transaction, so the largest id grows by one per row.
    // (counted in 64 bits: the id after the last one may lie past the 32-bit range).
    for (qint64 id = m_nextLksId; const Category &category : std::as_const(m_categories)) {
        if (!exec(q,
                  {id, SubTopicEditing::renamedReversedPath(category.name, m_importName),
                   SubTopicEditing::renamedPath(category.path, m_importName), ImportedSubTopicId},
                  m_error))
            return false;
        m_categoryIds.append(qint32(id++));
    }
    return true;
}

struct SubTopicImport::SiteWriter {
    QSqlQuery site{DbConnection()};
    QSqlQuery filed{DbConnection()};
    // Counted in 64 bits: the id after the last one may lie past the 32-bit range.
    qint64 sitId = 0;
    qint64 seq = 0;
    bool rootHoldsLinks = false;
};

bool SubTopicImport::ImportSites()
{
    if (m_sites.isEmpty())
        return true;
    SiteWriter writer;
    QVariant lastSeq;
    if (!EditSql::scalar(QStringLiteral("SELECT SitId FROM LksSit ORDER BY rowid DESC LIMIT 1"), {}, lastSeq, m_error))
        return false;
    writer.seq = lastSeq.isNull() ? 1 : lastSeq.toLongLong() + 1;
    writer.sitId = NextId(QStringLiteral("Sit"), QStringLiteral("SitId"), &m_error);
    if (writer.sitId <= 0 || !idsLeft(writer.sitId, m_sites.size(), QStringLiteral("Sit"))
        || !idsLeft(writer.seq, 1, QStringLiteral("LksSit")))
        return false;
    if (!writer.site.prepare(QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl) VALUES (?, ?, ?)"))
        || !writer.filed.prepare(QStringLiteral("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (?, ?, ?)"))) {
        m_error = DatabaseErrorText(writer.site.lastError().isValid() ? writer.site.lastError() : writer.filed.lastError());
        return false;
    }
    for (const SiteLine &line : std::as_const(m_sites))
        if (!ImportSiteLine(line, writer))
            return false;
    // Imported categories hold links already; the root is marked once it does.
    return !writer.rootHoldsLinks
           || EditSql::exec(QStringLiteral("UPDATE Lks SET IsLeaf = 1 WHERE LksId = ?"), {m_rootId}, m_error);
}

bool SubTopicImport::ImportSiteLine(const SiteLine &line, SiteWriter &writer)
{
    const qint32 category = line.category < 0 ? m_rootId : m_categoryIds.at(line.category);
    writer.rootHoldsLinks = writer.rootHoldsLinks || line.category < 0;
    if (!exec(writer.site, {writer.sitId, line.name, line.url}, m_error)
        || !exec(writer.filed, {category, writer.sitId, writer.seq}, m_error))
        return false;
    // The row just added is the last one of LksSit.
    writer.seq = writer.sitId + 1;
    ++writer.sitId;
    return true;
}
