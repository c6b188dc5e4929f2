#include "exchange/subtopic_export.h"

#include "editing/edit_names.h"
#include "shared/edit_sql.h"
#include "editing/section_links.h"
#include "editing/subtopic_editing.h"
#include "exchange/subtopic_file.h"
#include "exchange/subtopic_statement.h"
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
    return !EditNames::BeginsWithByteOrderMark(name);
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
    for (int i = 0; i < 6; ++i) {
        headers.append(found ? q.value(i).toString() : QString());
        if (!carried(headers.last(), QStringLiteral("The section header %1").arg(i + 1)))
            return false;
    }
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
            const QString name = TrimBlanks(SectionLinks::DecodeLinkName(q.value(1).toString()));
            const QString url = TrimBlanks(q.value(2).toString());
            if (!carried(name, QStringLiteral("The link name")) || !carried(url, QStringLiteral("The address")))
                return false;
            rows.append({rowNumber(q.value(0).toString()), SubTopicFile::pairLine(name, url)});
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
        for (int i = 0; i < 3; ++i) {
            const QString colour = TrimBlanks(q.value(i).toString());
            if (!carried(colour, QStringLiteral("The colour")))
                return false;
            if (colour.contains(QLatin1Char('|')))
                return refuse(QStringLiteral("The colour"), colour, QStringLiteral("it holds \"|\""));
            fields.append(colour);
        }
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
    // The root row (the lowest one without "/") is written as the export name alone; every
    // category lies below it. The reversed path is written as the path reversed, so both
    // must agree in the store.
    QStringList content = {SubTopicFile::treeLine(ExportName)};
    m_paths = {ExportName};
    m_pathIndex = SubTopicFile::PathIndex();
    m_pathIndex.add(ExportName, 0);
    bool rootSeen = false;
    QHash<qint32, int> leaves;   // LksId -> entry of m_paths
    while (q.next()) {
        const QString stored = q.value(2).toString();
        if (!stored.contains(QLatin1Char('/'))) {
            if (rootSeen)
                return refuse(QStringLiteral("The category"), stored,
                              QStringLiteral("it does not lie below the Sub-Topic"));
            rootSeen = true;
            if (q.value(3).toLongLong() != 0)
                leaves.insert(q.value(0).toInt(), 0);
            continue;
        }
        const QString path = SubTopicEditing::renamedPath(stored, ExportName);
        if (!carried(path, QStringLiteral("The category"))
            || !carried(ReversePathOrder(path), QStringLiteral("The reversed path")))
            return false;
        if (SubTopicEditing::renamedReversedPath(q.value(1).toString(), ExportName) != ReversePathOrder(path))
            return refuse(QStringLiteral("The category"), path,
                          QStringLiteral("its reversed path (%1) is not its path reversed").arg(q.value(1).toString()));
        content.append(SubTopicFile::treeLine(path));
        m_pathIndex.add(path, int(m_paths.size()));
        if (q.value(3).toLongLong() != 0)
            leaves.insert(q.value(0).toInt(), int(m_paths.size()));
        m_paths.append(path);
    }
    if (!leaves.isEmpty() && !ExportSiteLists(subTopicId, leaves))
        return false;

    *out += SubTopicFile::section(SubTopicFile::TreeTag, content);
    *out += SubTopicFile::section(SubTopicFile::LinksTag, ExportLinkLines + QStringList{QString()});
    return true;
}

bool SubTopicExport::ExportSiteLists(qint32 subTopicId, const QHash<qint32, int> &leaves)
{
    // Every link of the Sub-Topic in one pass: by category in the order of the tree, each
    // category's links in the order they were filed. Links of a category that does not
    // hold links are not written.
    SubTopicStatement q("SELECT Lks.LksId, Sit.SitName, Sit.SitUrl FROM Lks JOIN LksSit ON LksSit.LksId = Lks.LksId "
                        "JOIN Sit ON Sit.SitId = LksSit.SitId WHERE Lks.TopicId = ? ORDER BY Lks.LksId, LksSit.rowid");
    if (!q.ready(m_error))
        return false;
    q.bind(1, subTopicId);
    const auto pathOf = [this](int e) { return m_paths.at(e); };
    QString readError;
    while (q.next(readError)) {
        const auto leaf = leaves.constFind(qint32(q.integer(0)));
        if (leaf == leaves.cend())
            continue;
        const int entry = leaf.value();
        const QString &path = m_paths.at(entry);
        const QString name = TrimBlanks(q.text(1));
        const QString url = TrimBlanks(q.text(2));
        if (!carried(name, QStringLiteral("The link name")) || !carried(url, QStringLiteral("The address")))
            return false;
        // As SubTopicFile::linkLine() writes it (name and address are trimmed already).
        QString line;
        line.reserve(path.size() + name.size() + url.size() + 2);
        line.append(path).append(QLatin1Char('|')).append(name).append(QLatin1Char('|'));
        line.append(url.contains(QLatin1Char('|')) ? SubTopicFile::addressField(url) : url);
        // The import finds a link's category as the longest path the line begins with.
        qsizetype bar = -1;
        const int found = m_pathIndex.find(line, &bar, pathOf);
        if (found != entry)
            return refuse(QStringLiteral("The link name"), name,
                          QStringLiteral("in the category %1 it would be read as a link of the category %2")
                              .arg(path, m_paths.value(found)));
        ExportLinkLines.append(line);
    }
    // The end of the rows, or a failure to read one.
    if (readError.isEmpty())
        return true;
    m_error = readError;
    return false;
}

bool SubTopicExport::refuse(const QString &what, const QString &value, const QString &reason)
{
    m_error = QStringLiteral("%1 '%2' cannot be written to a Sub-Topic file: %3.").arg(what, value, reason);
    return false;
}

bool SubTopicExport::carried(const QString &value, const QString &what)
{
    if (!SubTopicFile::carries(value))
        return refuse(what, value, QStringLiteral("it holds a line break"));
    if (EditNames::BeginsWithByteOrderMark(value))
        return refuse(what, value,
                      QStringLiteral("it begins with U+%1, which the edition it is imported into would not keep")
                          .arg(QString::number(value.front().unicode(), 16).toUpper()));
    return true;
}
