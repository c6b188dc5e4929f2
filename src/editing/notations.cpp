#include "editing/notations.h"

#include "editing/category_editing.h"
#include "shared/edit_sql.h"

Notations::Notations(qint32 subTopicId)
    : m_subTopicId(subTopicId)
{
}

Notations::Status Notations::storeLink(const QString &categoryTreePath, const QString &name,
                                       const QString &address, const QString &text)
{
    LinkEditing links(m_subTopicId);
    const Status status = links.setNotation(CategoryEditing::rowPath(categoryTreePath), name, address, text);
    m_error = links.lastError();
    return status;
}

Notations::Status Notations::readLink(const QString &categoryTreePath, const QString &name, const QString &address,
                                      QString *text)
{
    LinkEditing links(m_subTopicId);
    const Status status = links.notation(CategoryEditing::rowPath(categoryTreePath), name, address, *text);
    m_error = links.lastError();
    return status;
}

Notations::Status Notations::storeCategory(const QString &treePath, const QString &text)
{
    m_error.clear();
    LinkEditing links(m_subTopicId);
    const qint32 category = links.categoryId(CategoryEditing::rowPath(treePath));
    if (category == 0) {
        m_error = links.lastError();
        return m_error.isEmpty() ? Status::NotFound : Status::Failed;
    }
    if (!EditSql::exec(QStringLiteral("UPDATE Lks SET Keyword = ? WHERE LksId = ?"), {text, category}, m_error))
        return Status::Failed;
    return Status::Done;
}
