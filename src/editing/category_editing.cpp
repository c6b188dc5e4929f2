#include "editing/category_editing.h"

#include "editing/edit_names.h"
#include "shared/edit_sql.h"
#include "shared/routines.h"

#include <limits>

namespace {

const QString kOutOfIds = QStringLiteral("The edition has no category ids left.");

} // namespace

// ---- Names and texts ---------------------------------------------------------------------------

CategoryEditing::NameCheck CategoryEditing::checkName(const QString &name)
{
    if (TrimBlanks(name).isEmpty())
        return NameCheck::Empty;
    if (!ContainsTextChar(name))
        return NameCheck::NoTextCharacter;
    if (EditNames::HasProhibitedCharacter(name) || EditNames::BeginsWithByteOrderMark(TrimBlanks(name)))
        return NameCheck::Prohibited;
    if (EditNames::IsNumeric(name))
        return NameCheck::Numeric;
    return NameCheck::Ok;
}

QString CategoryEditing::nameErrorMessage()
{
    return QStringLiteral("The Category field must contain at least one text character.");
}

QString CategoryEditing::nameErrorTitle()
{
    return QStringLiteral("Category Name Error");
}

QString CategoryEditing::prohibitedMessage()
{
    return QStringLiteral("The Category title field created contains a character or characters that may not be "
                          "used. Please delete these characters before proceeding.\n\n");
}

QString CategoryEditing::prohibitedTitle()
{
    return QStringLiteral("Prohibited Characters");
}

QString CategoryEditing::alternateNameTitle()
{
    return QStringLiteral("Select Alternate Name");
}

QString CategoryEditing::addDuplicateMessage(const QString &name)
{
    return QStringLiteral("The Category '") + name + QStringLiteral("'  already exists. Please select an alternate name.");
}

QString CategoryEditing::renameDuplicateMessage(const QString &name, const QString &subTopicName)
{
    return QStringLiteral("The Category \"") + name + QStringLiteral("\" already exists under the Sub-Topic \"")
        + subTopicName + QStringLiteral("\".") + QStringLiteral(" Please select an alternate name.");
}

QString CategoryEditing::selectCategoryMessage()
{
    return QStringLiteral("Please select a Category.");
}

QString CategoryEditing::predefinedMessage()
{
    return QStringLiteral("You have selected a pre-defined Category. Pre-defined Categories are part of the standard "
                          "product configuration and may not be renamed.");
}

QString CategoryEditing::predefinedTitle()
{
    return QStringLiteral("Pre-defined Categories");
}

QString CategoryEditing::addPrompt()
{
    return QStringLiteral("Please enter your Category Name:");
}

QString CategoryEditing::addTitle()
{
    return QStringLiteral("Add Category");
}

QString CategoryEditing::renamePrompt(const QString &currentName)
{
    return QStringLiteral("Your current Category Name is:\n\n") + currentName
        + QStringLiteral("\n\n\n\n\nPlease enter your new Category Name");
}

QString CategoryEditing::renameTitle()
{
    return QStringLiteral("Rename Category");
}

QString CategoryEditing::deleteConfirmMessage(const QString &nodeText)
{
    // A line break only after a sentence: the message box wraps a long line by itself, and
    // a break in mid-sentence would leave a word or two on a line of its own.
    return QStringLiteral("You are about to delete the category '") + nodeText + QStringLiteral("'.\n\n")
        + QStringLiteral("Please note that any categories and/or links that may exist under this category "
                         "will also be deleted.\n\n")
        + QStringLiteral("Do you still wish to continue?");
}

QString CategoryEditing::deleteTitle()
{
    return QStringLiteral("Delete Category");
}

QString CategoryEditing::subCategoryNameMessage()
{
    return QStringLiteral("The Sub-Category field must contain at least one text character.");
}

QString CategoryEditing::subCategoryNameTitle()
{
    return QStringLiteral("Sub-Topic Name Error");
}

QString CategoryEditing::subCategoryDuplicateMessage(const QString &typedName, const QString &parentPath)
{
    return QStringLiteral("The Sub-Category ") + typedName + QStringLiteral(" already exists under ") + parentPath
        + QStringLiteral(". Please select an alternate name.");
}

QString CategoryEditing::subCategoryAddedMessage()
{
    return QStringLiteral("Your Sub-Category has been successfully added.");
}

QString CategoryEditing::subCategoryAddedTitle()
{
    return QStringLiteral("Add Sub-Category");
}

QString CategoryEditing::rowPath(const QString &treePath)
{
    QString path = treePath;
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

QString CategoryEditing::currentName(const QString &treePath)
{
    const QString path = rowPath(treePath);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// ---- Rows --------------------------------------------------------------------------------------

CategoryEditing::CategoryEditing(qint32 subTopicId)
    : m_subTopicId(subTopicId)
{
}

bool CategoryEditing::readRows(QList<Row> &rows)
{
    rows.clear();
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q, QStringLiteral("SELECT LksId, LksUrl FROM Lks WHERE TopicId = ? ORDER BY LksId"),
                      {m_subTopicId}, m_error))
        return false;
    while (q.next())
        rows.append({qint32(q.value(0).toLongLong()), q.value(1).toString()});
    return true;
}

CategoryEditing::Status CategoryEditing::add(const QString &subTopicName, const QString &parentTreePath,
                                             const QString &typedName)
{
    const QString name = EditNames::WithoutLineBreaks(typedName);
    m_addedId = 0;
    m_rootId = 0;
    m_error.clear();

    const QString count = QStringLiteral("SELECT count(*) FROM Lks WHERE TopicId = ? AND LksName = ?");
    QVariant roots;
    qint32 firstId = 0;
    if (!EditSql::scalar(count, {m_subTopicId, subTopicName}, roots, m_error)
        || !EditSql::nextId(QStringLiteral("Lks"), QStringLiteral("LksId"), firstId, m_error))
        return Status::Failed;

    const QString reversed = name + QLatin1Char('/') + ReversePathOrder(rowPath(parentTreePath));
    QVariant taken;
    if (!EditSql::scalar(count, {m_subTopicId, reversed}, taken, m_error))
        return Status::Failed;
    if (taken.toLongLong() > 0)
        return Status::Duplicate;

    // A missing root row takes the next id, the category the one after it.
    const bool rootMissing = roots.toLongLong() == 0;
    if (rootMissing && firstId == std::numeric_limits<qint32>::max()) {
        m_error = kOutOfIds;
        return Status::Failed;
    }
    const qint32 rootId = rootMissing ? firstId : 0;
    const qint32 id = rootMissing ? firstId + 1 : firstId;

    const QString insert = QStringLiteral(
        "INSERT INTO Lks (LksId, IsTop, LksName, LksUrl, LksDesc, TopicId) VALUES (?, 1, ?, ?, 'N', ?)");
    Transaction transaction;
    if (!EditSql::started(transaction, m_error))
        return Status::Failed;
    if (rootMissing && !EditSql::exec(insert, {rootId, subTopicName, subTopicName, m_subTopicId}, m_error))
        return Status::Failed;
    if (!EditSql::exec(insert, {id, reversed, ReversePathOrder(reversed), m_subTopicId}, m_error)
        || !EditSql::commit(transaction, m_error))
        return Status::Failed;
    m_rootId = rootId;
    m_addedId = id;
    return Status::Done;
}

CategoryEditing::Status CategoryEditing::addSubCategory(const QString &parentTreePath, const QString &typedName)
{
    const QString trimmedName = EditNames::WithoutLineBreaks(typedName);
    m_addedId = 0;
    m_error.clear();

    // The parent's names in reverse order; empty names are left out.
    QStringList names = parentTreePath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    std::reverse(names.begin(), names.end());
    const QString reversedParent = names.join(QLatin1Char('/'));

    qint32 id = 0;
    if (!EditSql::nextId(QStringLiteral("Lks"), QStringLiteral("LksId"), id, m_error))
        return Status::Failed;
    if (!EditSql::exec(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, IsLeaf, TopicId) VALUES (?, ?, ?, 1, ?)"),
                       {id, trimmedName + QLatin1Char('/') + reversedParent,
                        rowPath(parentTreePath) + QLatin1Char('/') + trimmedName, m_subTopicId},
                       m_error))
        return Status::Failed;
    m_addedId = id;
    return Status::Done;
}

bool CategoryEditing::hasUserRows()
{
    m_error.clear();
    QVariant count;
    if (!EditSql::scalar(QStringLiteral("SELECT count(*) FROM Lks WHERE TopicId = ? AND LksDesc = 'N'"),
                         {m_subTopicId}, count, m_error))
        return false;
    return count.toLongLong() > 0;
}

CategoryEditing::Status CategoryEditing::rename(const QString &treePath, const QString &typedName)
{
    const QString newName = EditNames::WithoutLineBreaks(typedName);
    m_rows = 0;
    if (!hasUserRows())
        return m_error.isEmpty() ? Status::Predefined : Status::Failed;

    const QString oldPath = rowPath(treePath);
    const qsizetype cut = oldPath.lastIndexOf(QLatin1Char('/'));
    const QString newPath = (cut < 0 ? QString() : oldPath.left(cut)) + QLatin1Char('/') + newName;

    // Two rows never share a path, whatever the letter case: only the category itself may
    // hold the new path (a change of letter case).
    QList<Row> rows;
    if (!readRows(rows))
        return Status::Failed;
    for (const Row &row : std::as_const(rows))
        if (row.url.compare(newPath, Qt::CaseInsensitive) == 0 && row.url != oldPath)
            return Status::Duplicate;

    return renamePaths(oldPath, newPath);
}

CategoryEditing::Status CategoryEditing::renamePaths(const QString &oldPath, const QString &newPath)
{
    m_rows = 0;
    m_error.clear();
    // Each row's path keeps what follows the old path; its reversed path is made anew from
    // the new path. The category and the rows right below it get theirs in the statement
    // that renames all of them; rows further down are reversed here and written in a
    // second statement, as one JSON list of [id, reversed path] taken apart first so that
    // each row is found by its id.
    const QString below = oldPath + QLatin1Char('/');
    const QString reversedNew = ReversePathOrder(newPath);
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q,
                      QStringLiteral("SELECT LksId, substr(LksUrl, length(?) + 1) FROM Lks WHERE TopicId = ?"
                                     " AND LksUrl GLOB ?"),
                      {oldPath, m_subTopicId, globPattern(below) + QStringLiteral("*/*")}, m_error))
        return Status::Failed;
    QString deeper = QStringLiteral("[");
    while (q.next()) {
        if (deeper.size() > 1)
            deeper += QLatin1Char(',');
        deeper += QLatin1Char('[') + q.value(0).toString() + QLatin1Char(',');
        appendJsonString(deeper, ReversePathOrder(newPath + q.value(1).toString()));
        deeper += QLatin1Char(']');
    }
    q.finish();
    deeper += QLatin1Char(']');

    Transaction transaction;
    QSqlQuery update(DbConnection());
    if (!EditSql::started(transaction, m_error)
        || !EditSql::run(update,
                         QStringLiteral("UPDATE Lks SET LksUrl = ? || substr(LksUrl, length(?) + 1),"
                                        " LksName = CASE WHEN length(LksUrl) = length(?) THEN ?"
                                        " WHEN instr(substr(LksUrl, length(?) + 1), '/') = 0"
                                        " THEN substr(LksUrl, length(?) + 1) || '/' || ? ELSE LksName END"
                                        " WHERE TopicId = ? AND ")
                             + subtreeCondition(),
                         {newPath, oldPath, oldPath, reversedNew, below, below, reversedNew, m_subTopicId, oldPath,
                          below, below},
                         m_error))
        return Status::Failed;
    const int renamed = update.numRowsAffected();
    if (deeper.size() > 2
        && !EditSql::exec(QStringLiteral("WITH deeper(id, name) AS MATERIALIZED"
                                         " (SELECT value ->> 0, value ->> 1 FROM json_each(?))"
                                         " UPDATE Lks SET LksName = deeper.name FROM deeper"
                                         " WHERE Lks.LksId = deeper.id AND Lks.TopicId = ?"),
                          {deeper, m_subTopicId}, m_error))
        return Status::Failed;
    if (!EditSql::commit(transaction, m_error))
        return Status::Failed;
    m_rows = renamed;
    return Status::Done;
}

QString CategoryEditing::globPattern(const QString &text)
{
    // GLOB compares with letter case; its wildcards stand for themselves inside brackets.
    QString pattern;
    for (const QChar c : text) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('['))
            pattern += QLatin1Char('[') + c + QLatin1Char(']');
        else
            pattern += c;
    }
    return pattern;
}

void CategoryEditing::appendJsonString(QString &json, const QString &text)
{
    json += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            json += QLatin1Char('\\');
        if (c.unicode() < 0x20)
            json += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            json += c;
    }
    json += QLatin1Char('"');
}

QString CategoryEditing::subtreeCondition()
{
    // Paths compare with their letter case: a path that differs only in case is another
    // category. Values: the path, then the path and "/" twice.
    return QStringLiteral("(LksUrl = ? COLLATE BINARY OR substr(LksUrl, 1, length(?)) = ? COLLATE BINARY)");
}

CategoryEditing::Status CategoryEditing::deleteCategory(const QString &treePath, bool keepOwnRow)
{
    m_rows = 0;
    m_error.clear();
    const QString path = rowPath(treePath);
    const QString below = path + QLatin1Char('/');
    QVariant own;
    if (!EditSql::scalar(QStringLiteral("SELECT count(*) FROM Lks WHERE TopicId = ? AND LksUrl = ? COLLATE BINARY"),
                         {m_subTopicId, path}, own, m_error))
        return Status::Failed;
    if (own.toLongLong() == 0)
        return Status::NotFound;

    // The category and everything below it, in one statement each: their links (a link
    // row that a category elsewhere still holds stays), the joins, then the rows below it
    // and, unless kept, its own.
    const QString all = QStringLiteral("SELECT LksId FROM Lks WHERE TopicId = ? AND ") + subtreeCondition();
    const QVariantList allValues = {m_subTopicId, path, below, below};
    Transaction transaction;
    QSqlQuery rows(DbConnection());
    if (!EditSql::started(transaction, m_error)
        || !EditSql::exec(QStringLiteral("DELETE FROM Sit WHERE SitId IN (SELECT SitId FROM LksSit WHERE LksId IN (%1))"
                                         " AND NOT EXISTS (SELECT 1 FROM LksSit AS other WHERE other.SitId = Sit.SitId"
                                         " AND other.LksId NOT IN (%1))")
                              .arg(all),
                          allValues + allValues, m_error)
        || !EditSql::exec(QStringLiteral("DELETE FROM LksSit WHERE LksId IN (%1)").arg(all), allValues, m_error)
        || !EditSql::run(rows,
                         keepOwnRow ? QStringLiteral("DELETE FROM Lks WHERE TopicId = ?"
                                                     " AND substr(LksUrl, 1, length(?)) = ? COLLATE BINARY")
                                    : QStringLiteral("DELETE FROM Lks WHERE TopicId = ? AND ") + subtreeCondition(),
                         keepOwnRow ? QVariantList{m_subTopicId, below, below} : allValues, m_error))
        return Status::Failed;
    const int removed = rows.numRowsAffected();
    if (!EditSql::commit(transaction, m_error))
        return Status::Failed;
    m_rows = removed;
    return Status::Done;
}
