#pragma once
// Notations: the free text of a tree node. A link's notation is its Summary, a category's
// (the root's too) its Keyword text; for the root that is the Sub-Topic's keyword list,
// which a notation replaces as a whole.

#include "editing/link_editing.h"

#include <QString>
#include <QtGlobal>

class Notations
{
public:
    // Done; NotFound (no such link or category: nothing was stored); Failed (the edition
    // could not be read or written; lastError() says why).
    using Status = LinkEditing::Status;

    explicit Notations(qint32 subTopicId);

    // The notation of the link name / address in the category at categoryTreePath (the
    // tree's form). With an empty categoryTreePath the first link of that name and address
    // in the edition gets it.
    Status storeLink(const QString &categoryTreePath, const QString &name, const QString &address,
                     const QString &text);
    // Reads the notation of the link name / address in the category at categoryTreePath.
    Status readLink(const QString &categoryTreePath, const QString &name, const QString &address, QString *text);
    // The notation of the Sub-Topic's category at treePath.
    Status storeCategory(const QString &treePath, const QString &text);

    QString lastError() const { return m_error; }

private:
    qint32 m_subTopicId;
    QString m_error;
};
