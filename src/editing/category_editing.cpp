#include "editing/category_editing.h"

#include "editing/edit_names.h"
#include "editing/edit_sql.h"
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
    if (EditNames::HasProhibitedCharacter(name))
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
    return QStringLiteral("You are about to delete the category '") + nodeText + QStringLiteral("'.\n")
        + QStringLiteral("\n")
        + QStringLiteral("Please note that any categories and/or links that may exist under this category\n")
        + QStringLiteral("will also be deleted. Do you still wish to continue?\n");
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
                                             const QString &name)
{
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

CategoryEditing::Status CategoryEditing::addSubCategory(const QString &parentTreePath, const QString &trimmedName)
{
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

CategoryEditing::Status CategoryEditing::rename(const QString &treePath, const QString &newName)
{
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
    QList<Row> rows;
    if (!readRows(rows))
        return Status::Failed;

    Transaction transaction;
    if (!EditSql::started(transaction, m_error))
        return Status::Failed;
    int changed = 0;
    const QString below = oldPath + QLatin1Char('/');
    for (const Row &row : std::as_const(rows)) {
        if (row.url != oldPath && !row.url.startsWith(below))
            continue;
        const QString url = newPath + row.url.mid(oldPath.size());
        if (!EditSql::exec(QStringLiteral("UPDATE Lks SET LksName = ?, LksUrl = ? WHERE LksId = ? AND TopicId = ?"),
                           {ReversePathOrder(url), url, row.id, m_subTopicId}, m_error))
            return Status::Failed;
        ++changed;
    }
    if (!EditSql::commit(transaction, m_error))
        return Status::Failed;
    m_rows = changed;
    return Status::Done;
}

bool CategoryEditing::deleteLinksOf(qint32 lksId)
{
    QSqlQuery q(DbConnection());
    if (!EditSql::run(q, QStringLiteral("SELECT SitId FROM LksSit WHERE LksId = ?"), {lksId}, m_error))
        return false;
    QList<qint64> sites;
    while (q.next())
        sites.append(q.value(0).toLongLong());
    q.finish();
    if (!EditSql::exec(QStringLiteral("DELETE FROM LksSit WHERE LksId = ?"), {lksId}, m_error))
        return false;
    // A link row that another category still holds stays.
    for (const qint64 site : std::as_const(sites))
        if (!EditSql::exec(
                QStringLiteral("DELETE FROM Sit WHERE SitId = ? AND NOT EXISTS (SELECT 1 FROM LksSit WHERE SitId = ?)"),
                {site, site}, m_error))
            return false;
    return true;
}

CategoryEditing::Status CategoryEditing::deleteCategory(const QString &treePath, bool keepOwnRow)
{
    m_rows = 0;
    m_error.clear();
    QList<Row> rows;
    if (!readRows(rows))
        return Status::Failed;

    const QString path = rowPath(treePath);
    const QString below = path + QLatin1Char('/');
    QList<qint32> own;
    QList<qint32> subtree;
    for (const Row &row : std::as_const(rows)) {
        if (row.url == path)
            own.append(row.id);
        else if (row.url.startsWith(below))
            subtree.append(row.id);
    }
    if (own.isEmpty())
        return Status::NotFound;

    Transaction transaction;
    if (!EditSql::started(transaction, m_error))
        return Status::Failed;
    int removed = 0;
    for (const qint32 id : std::as_const(own))
        if (!deleteLinksOf(id))
            return Status::Failed;
    for (const qint32 id : std::as_const(subtree)) {
        if (!deleteLinksOf(id)
            || !EditSql::exec(QStringLiteral("DELETE FROM Lks WHERE LksId = ? AND TopicId = ?"), {id, m_subTopicId},
                              m_error))
            return Status::Failed;
        ++removed;
    }
    if (!keepOwnRow) {
        for (const qint32 id : std::as_const(own)) {
            if (!EditSql::exec(QStringLiteral("DELETE FROM Lks WHERE LksId = ? AND TopicId = ?"), {id, m_subTopicId},
                               m_error))
                return Status::Failed;
            ++removed;
        }
    }
    if (!EditSql::commit(transaction, m_error))
        return Status::Failed;
    m_rows = removed;
    return Status::Done;
}
