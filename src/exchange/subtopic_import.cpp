#include "exchange/subtopic_import.h"

#include "editing/edit_names.h"
#include "shared/edit_sql.h"
#include "editing/section_links.h"
#include "editing/subtopic_editing.h"
#include "exchange/subtopic_export.h"
#include "exchange/subtopic_statement.h"
#include "shared/database.h"
#include "shared/routines.h"

#include <limits>

namespace {

const QChar Bar = QLatin1Char('|');

} // namespace

bool SubTopicImport::unreadable(int line, const QString &reason)
{
    m_loaded = false;
    m_errorLine = line;
    m_error = reason;
    return false;
}

bool SubTopicImport::refuse(const QString &tag, qsizetype i, const QString &reason)
{
    return unreadable(m_file.lineNumber(tag, i), reason);
}

bool SubTopicImport::storable(const QString &value, const QString &what, const QString &tag, qsizetype i)
{
    if (!SubTopicFile::carries(value))
        return refuse(tag, i, QStringLiteral("%1 '%2' holds a line break").arg(what, value));
    if (EditNames::BeginsWithByteOrderMark(value))
        return refuse(tag, i, QStringLiteral("%1 '%2' begins with U+%3, which the edition would not keep")
                                    .arg(what, value, QString::number(value.front().unicode(), 16).toUpper()));
    return true;
}

bool SubTopicImport::load(const QString &path)
{
    m_loaded = false;
    m_headers.clear();
    m_sections.clear();
    m_categoryCount = 0;
    m_sites.clear();
    m_colorName.clear();
    for (QString &c : m_colors)
        c.clear();

    if (!m_file.read(path))
        return unreadable(m_file.errorLine(), m_file.lastError());

    const QString &page = SubTopicFile::PageTag;
    for (qsizetype i = 0; i < std::min<qsizetype>(m_file.lineCount(page), 6); ++i) {
        m_headers.append(m_file.text(page, i));
        if (!storable(m_headers.last(), QStringLiteral("the section header"), page, i))
            return false;
    }
    while (m_headers.size() < 6)
        m_headers.append(QString());

    for (const QString &tag : SubTopicFile::linkSectionTags()) {
        QList<SectionRow> rows;
        for (qsizetype i = 0; i < std::min<qsizetype>(m_file.lineCount(tag), SectionLinks::RowCount); ++i) {
            SectionRow row;
            SubTopicFile::splitPair(m_file.text(tag, i), &row.name, &row.url);
            if (!storable(row.name, QStringLiteral("the link name"), tag, i)
                || !storable(row.url, QStringLiteral("the address"), tag, i))
                return false;
            rows.append(row);
        }
        m_sections.append(rows);
    }

    // The last colour line wins.
    if (const qsizetype count = m_file.lineCount(SubTopicFile::ColorTag); count > 0) {
        const QString line = m_file.text(SubTopicFile::ColorTag, count - 1);
        for (int i = 0; i < 3; ++i) {
            m_colors[i] = TrimBlanks(SubTopicFile::field(line, i + 1));
            if (!storable(m_colors[i], QStringLiteral("the colour"), SubTopicFile::ColorTag, count - 1))
                return false;
        }
        m_colorName = line.count(Bar) >= 3 ? TrimBlanks(SubTopicFile::field(line, 4)) : QString();
    }

    if (!readTree() || !readLinks())
        return false;
    m_loaded = true;
    return true;
}

void SubTopicImport::treeLine(qsizetype i, QString *reversed, QString *path) const
{
    SubTopicFile::splitTreeLine(m_file.text(SubTopicFile::TreeTag, i), reversed, path);
}

QString SubTopicImport::categoryPath(qsizetype i) const
{
    const auto [start, length] = m_pathSpans.at(i);
    return m_file.text(SubTopicFile::TreeTag, i).mid(start, length);
}

bool SubTopicImport::readTree()
{
    const QString &tree = SubTopicFile::TreeTag;
    const qsizetype count = m_file.lineCount(tree);
    m_fileRoot.clear();
    m_pathSpans.clear();
    m_pathSpans.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        QString name;
        QString path;
        const QString line = m_file.text(tree, i);
        SubTopicFile::splitTreeLine(line, &name, &path);
        // Where the path lies in the line: its second half, else the second field, trimmed
        // (which begins at the first of its characters after the first "|").
        const qsizetype middle = line.size() / 2;
        const bool halves = path.size() == middle && QStringView(line).sliced(middle + 1) == path;
        m_pathSpans.append({qint32(halves ? middle + 1 : line.indexOf(path, line.indexOf(Bar) + 1)),
                            qint32(path.size())});
        if (i == 0) {
            // The Sub-Topic's own entry; the import makes its own root row.
            if (path.isEmpty() || path.contains(QLatin1Char('/')))
                return refuse(tree, i, QStringLiteral("it is not the Sub-Topic's own entry"));
            m_fileRoot = path;
            continue;
        }
        if (!SubTopicFile::foldCase(path).startsWith(SubTopicFile::foldCase(m_fileRoot + QLatin1Char('/'))))
            return refuse(tree, i, QStringLiteral("its category does not lie under '%1'").arg(m_fileRoot));
        if (name != ReversePathOrder(path))
            return refuse(tree, i, QStringLiteral("the category '%1' has the reversed path '%2', which is not "
                                                     "its path reversed")
                                          .arg(path, name));
        if (!storable(path, QStringLiteral("the category"), tree, i)
            || !storable(name, QStringLiteral("the reversed path"), tree, i))
            return false;
    }
    m_categoryCount = std::max<qsizetype>(count - 1, 0);
    return true;
}

void SubTopicImport::splitSite(QStringView rest, QStringView *name, QStringView *url)
{
    // What follows the path, as a link section line (SubTopicFile::splitPair()); one
    // without "|" is the name alone, without an address.
    const auto trimmed = [](QStringView text) {
        while (!text.isEmpty() && text.front() == QLatin1Char(' '))
            text = text.sliced(1);
        while (!text.isEmpty() && text.back() == QLatin1Char(' '))
            text.chop(1);
        return text;
    };
    const qsizetype bar = rest.lastIndexOf(Bar);
    *name = trimmed(bar < 0 ? rest : rest.first(bar));
    *url = bar < 0 ? QStringView() : trimmed(rest.sliced(bar + 1));
}

bool SubTopicImport::readLinks()
{
    const QString &links = SubTopicFile::LinksTag;
    const qsizetype count = m_file.lineCount(links);
    if (count == 0)
        return true;
    // Paths compared as the edition compares them; a path held twice files under the first.
    SubTopicFile::PathIndex categories;
    categories.reserve(m_categoryCount + 1);
    if (!m_fileRoot.isEmpty())
        categories.add(m_fileRoot, -1);
    for (qsizetype i = 0; i < m_categoryCount; ++i)
        categories.add(categoryPath(i + 1), int(i));
    // A category's links follow one another: the path asked for last is kept.
    int lastValue = -1;
    QString lastPath = m_fileRoot;
    const auto pathOf = [&](int value) {
        if (value != lastValue) {
            lastValue = value;
            lastPath = value < 0 ? m_fileRoot : categoryPath(value + 1);
        }
        return lastPath;
    };

    m_sites.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const QString line = m_file.text(links, i);
        qsizetype bar = -1;
        SiteLine site;
        site.category = categories.find(line, &bar, pathOf);
        if (bar < 0)
            return refuse(links, i, QStringLiteral("its category is not in the <%1> section").arg(SubTopicFile::TreeTag));
        site.bar = qint32(bar);
        QStringView name;
        QStringView url;
        splitSite(QStringView(line).sliced(bar + 1), &name, &url);
        // Most lines hold neither a line break nor a mark; the others are judged in full.
        const auto plain = [](QStringView value) {
            return !value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n'))
                   && !EditNames::BeginsWithByteOrderMark(value);
        };
        if ((!plain(name) && !storable(name.toString(), QStringLiteral("the link name"), links, i))
            || (!plain(url) && !storable(url.toString(), QStringLiteral("the address"), links, i)))
            return false;
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
    return TrimBlanks(SubTopicFile::importName(baseName));
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
    // A name that would break category paths and page files is not given, nor one that
    // an export of the new Sub-Topic could not write back as it is.
    if (TrimBlanks(importName).isEmpty() || TrimBlanks(importName) != importName
        || !SubTopicExport::nameAllowed(importName))
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
    if (m_rootId <= 0 || !idsLeft(m_rootId, m_categoryCount + 1, QStringLiteral("Lks")))
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
        // The table name is one of the six fixed names.
        SubTopicStatement insert(QStringLiteral("INSERT INTO %1 (topicid, LinkName, LinkUrl, FieldName1, FieldName2) "
                                        "VALUES (?, ?, ?, ?, ?)")
                             .arg(tables.at(t))
                             .toUtf8()
                             .constData());
        if (!insert.ready(m_error))
            return false;
        const QList<SectionRow> &rows = m_sections.at(t);
        for (int k = 1; k <= SectionLinks::RowCount; ++k) {
            const SectionRow row = rows.value(k - 1);
            insert.bind(1, ImportedSubTopicId)
                .bind(2, SectionLinks::EncodeLinkName(row.name))
                .bind(3, row.url)
                .bind(4, QStringLiteral("name%1").arg(k))
                .bind(5, QStringLiteral("url%1").arg(k));
            if (!insert.run(m_error))
                return false;
        }
    }
    return true;
}

bool SubTopicImport::ImportStructure()
{
    m_firstCategoryId = m_nextLksId;
    SubTopicStatement insert("INSERT INTO Lks (LksId, LksName, LksUrl, IsTop, IsLeaf, TopicId) VALUES (?, ?, ?, 1, 1, ?)");
    if (!insert.ready(m_error))
        return false;
    // Every row lands inside this transaction, so the largest id grows by one per row.
    // (counted in 64 bits: the id after the last one may lie past the 32-bit range).
    qint64 id = m_firstCategoryId;
    for (qsizetype i = 1; i <= m_categoryCount; ++i, ++id) {
        QString name;
        QString path;
        treeLine(i, &name, &path);
        insert.bind(1, id)
            .bind(2, SubTopicEditing::renamedReversedPath(name, m_importName))
            .bind(3, SubTopicEditing::renamedPath(path, m_importName))
            .bind(4, ImportedSubTopicId);
        if (!insert.run(m_error))
            return false;
    }
    return true;
}

struct SubTopicImport::SiteWriter {
    SubTopicStatement site{"INSERT INTO Sit (SitId, SitName, SitUrl) VALUES (?, ?, ?)"};
    SubTopicStatement filed{"INSERT INTO LksSit (LksId, SitId, Seq) VALUES (?, ?, ?)"};
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
    if (!writer.site.ready(m_error) || !writer.filed.ready(m_error))
        return false;
    for (qsizetype i = 0; i < m_sites.size(); ++i)
        if (!ImportSiteLine(i, m_sites.at(i), writer))
            return false;
    // Imported categories hold links already; the root is marked once it does.
    return !writer.rootHoldsLinks
           || EditSql::exec(QStringLiteral("UPDATE Lks SET IsLeaf = 1 WHERE LksId = ?"), {m_rootId}, m_error);
}

bool SubTopicImport::ImportSiteLine(qsizetype i, const SiteLine &line, SiteWriter &writer)
{
    const qint64 category = line.category < 0 ? m_rootId : m_firstCategoryId + line.category;
    writer.rootHoldsLinks = writer.rootHoldsLinks || line.category < 0;
    const QString text = m_file.text(SubTopicFile::LinksTag, i);
    QStringView name;
    QStringView url;
    splitSite(QStringView(text).sliced(line.bar + 1), &name, &url);
    writer.site.bind(1, writer.sitId).bind(2, name).bind(3, url);
    if (!writer.site.run(m_error))
        return false;
    writer.filed.bind(1, category).bind(2, writer.sitId).bind(3, writer.seq);
    if (!writer.filed.run(m_error))
        return false;
    // The row just added is the last one of LksSit.
    writer.seq = writer.sitId + 1;
    ++writer.sitId;
    return true;
}
