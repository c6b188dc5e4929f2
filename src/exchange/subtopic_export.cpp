#include "exchange/subtopic_export.h"

#include "editing/edit_sql.h"
#include "editing/section_links.h"
#include "editing/subtopic_editing.h"
#include "exchange/subtopic_file.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"
#include "shared/routines.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>

namespace {

// The number a section row carries in FieldName1 ("name3" gives 3).
int rowNumber(const QString &fieldName)
{
    bool ok = false;
    const int n = fieldName.mid(4).toInt(&ok);
    return ok ? n : std::numeric_limits<int>::max();
}

} // namespace

bool SubTopicExport::nameAllowed(const QString &name)
{
    for (const QChar c : name)
        if (QStringLiteral("'<>\"/\\|").contains(c) || c.category() == QChar::Other_Control)
            return false;
    return true;
}

bool SubTopicExport::FindExportFile(const QString &folder, const QString &name)
{
    const QString base = SubTopicFile::fileBaseName(name);
    for (const QString &path : SubTopicFile::findFiles(folder))
        if (SubTopicFile::baseNameOf(path).compare(base, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool SubTopicExport::lines(qint32 topicId, qint32 subTopicId, const QString &subTopicName,
                           const QString &exportName, QStringList *out)
{
    ExportName = TrimBlanks(exportName);
    ExportLinkLines.clear();
    out->clear();

    // The headers of the Sub-Topic's row under its Topic; none found gives six empty ones.
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q,
                      QStringLiteral("SELECT Header1, Header2, Header3, Header4, Header5, Header6 FROM SubTopics "
                                     "WHERE GlobalTopicId = ? AND SubTopicName = ? ORDER BY rowid LIMIT 1"),
                      {topicId, subTopicName}, m_error))
        return false;
    const bool found = q.next();
    QStringList headers;
    for (int i = 0; i < 6; ++i)
        headers.append(found ? SubTopicFile::fieldText(q.value(i).toString()) : QString());
    *out += SubTopicFile::section(SubTopicFile::PageTag, headers);

    return ExportLinkGroups(subTopicId, out) && ExportColors(subTopicId, out) && ExportCategoryTree(subTopicId, out);
}

bool SubTopicExport::write(const QString &folder, qint32 topicId, qint32 subTopicId, const QString &subTopicName,
                           const QString &exportName)
{
    QStringList fileLines;
    if (!lines(topicId, subTopicId, subTopicName, exportName, &fileLines))
        return false;

    const QString fileName = SubTopicFile::fileBaseName(ExportName) + SubTopicFile::Extension;
    ExportFilePath = QDir(folder).filePath(fileName);
    if (!WriteWholeFile(ExportFilePath, SubTopicFile::encode(fileLines), &m_error))
        return false;
    // The same file under another letter case is the file being replaced.
    const QStringList others = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString &other : others)
        if (other != fileName && other.compare(fileName, Qt::CaseInsensitive) == 0
            && SubTopicFile::isSubTopicFileName(other))
            QFile::remove(QDir(folder).filePath(other));
    return true;
}

bool SubTopicExport::ExportLinkGroups(qint32 subTopicId, QStringList *out)
{
    for (const QString &table : SubTopicFile::linkSectionTags()) {
        CurrentSectionTable = table;
        struct Row {
            int number;
            QString line;
        };
        QList<Row> rows;
        QSqlQuery q(DbConnection());
        // The table name is one of the six fixed names.
        if (!EditSql::run(q,
                          QStringLiteral("SELECT FieldName1, LinkName, LinkUrl FROM %1 WHERE topicid = ? "
                                         "ORDER BY rowid")
                              .arg(table),
                          {subTopicId}, m_error))
            return false;
        while (q.next()) {
            const QString name = SubTopicFile::fieldText(TrimBlanks(SectionLinks::DecodeLinkName(q.value(1).toString())));
            const QString url = SubTopicFile::addressField(TrimBlanks(q.value(2).toString()));
            rows.append({rowNumber(q.value(0).toString()), name + QLatin1Char('|') + url});
        }
        // In the order of the row numbers, rows without one last in table order.
        std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.number < b.number; });
        QStringList content;
        for (int i = 0; i < rows.size() && i < SectionLinks::RowCount; ++i)
            content.append(rows.at(i).line);
        *out += SubTopicFile::section(table, content);
    }
    return true;
}

bool SubTopicExport::ExportColors(qint32 subTopicId, QStringList *out)
{
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q,
                      QStringLiteral("SELECT color1, color2, color3 FROM ColorLinks WHERE TopicId = ? ORDER BY rowid"),
                      {subTopicId}, m_error))
        return false;
    QStringList content;
    while (q.next()) {
        QStringList fields;
        for (int i = 0; i < 3; ++i)
            fields.append(SubTopicFile::fieldText(TrimBlanks(q.value(i).toString())));
        fields.append(ExportName);
        content.append(fields.join(QLatin1Char('|')));
    }
    *out += SubTopicFile::section(SubTopicFile::ColorTag, content);
    return true;
}

bool SubTopicExport::ExportCategoryTree(qint32 subTopicId, QStringList *out)
{
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q,
                      QStringLiteral("SELECT LksId, LksName, LksUrl, IsLeaf FROM Lks WHERE TopicId = ? ORDER BY LksId"),
                      {subTopicId}, m_error))
        return false;
    struct Category {
        qint32 id;
        QString path;
    };
    QList<Category> leaves;
    QStringList content;
    while (q.next()) {
        const QString name =
            SubTopicEditing::renamedReversedPath(TrimBlanks(q.value(1).toString()), ExportName);
        const QString path = TrimBlanks(q.value(2).toString());
        content.append(SubTopicFile::fieldText(name) + QLatin1Char('|')
                       + SubTopicFile::fieldText(SubTopicEditing::renamedPath(path, ExportName)));
        if (q.value(3).toLongLong() != 0)
            leaves.append({q.value(0).toInt(), path});
    }
    for (const Category &leaf : std::as_const(leaves))
        if (!ExportSiteList(leaf.id, leaf.path))
            return false;

    *out += SubTopicFile::section(SubTopicFile::TreeTag, content);
    *out += SubTopicFile::section(SubTopicFile::LinksTag, ExportLinkLines + QStringList{QString()});
    return true;
}

bool SubTopicExport::ExportSiteList(qint32 lksId, const QString &categoryPath)
{
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q,
                      QStringLiteral("SELECT Sit.SitName, Sit.SitUrl FROM LksSit JOIN Sit ON Sit.SitId = LksSit.SitId "
                                     "WHERE LksSit.LksId = ? ORDER BY LksSit.rowid"),
                      {lksId}, m_error))
        return false;
    const QString path = SubTopicFile::fieldText(SubTopicEditing::renamedPath(categoryPath, ExportName));
    while (q.next())
        ExportLinkLines.append(path + QLatin1Char('|') + SubTopicFile::fieldText(TrimBlanks(q.value(0).toString()))
                               + QLatin1Char('|') + SubTopicFile::addressField(TrimBlanks(q.value(1).toString())));
    return true;
}
