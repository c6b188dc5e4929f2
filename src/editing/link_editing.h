#pragma once
// The links of one Sub-Topic's categories (rows of Sit joined to Lks through LksSit):
// adding a link to a category, and deleting, renaming, re-addressing and annotating one.
// Works on the open edition; no window is needed.
//
// A link is identified by its category together with its name and address, so a copy of
// the same link in another category (a link dragged there) is never touched. When no link
// of the category has that name and address, the first one with that address is taken.
//
// Category paths are in the stored form ("/" between the names, the Sub-Topic's name first).

#include <QString>
#include <QtGlobal>

class TreeNode;

class LinkEditing
{
public:
    // What checking the Add Link dialog's name and address finds, in the order the checks run.
    enum class AddCheck {
        Ok,
        EmptyName,         // "Please enter a Link Name."
        EmptyAddress,      // "Please enter a Link URL."
        NoTextCharacter,   // no letter or blank in the name
        Numeric,           // the whole name reads as a number
        Prohibited,        // ' < > " / \ in the name
    };
    static AddCheck checkAdd(const QString &name, const QString &address);

    // What checking a new link address (as typed) finds.
    enum class AddressCheck { Ok, Empty, Prohibited };
    static AddressCheck checkAddress(const QString &typed);

    // Texts of the Add Link dialog.
    static QString selectCategoryMessage();
    static QString addErrorTitle();
    static QString enterNameMessage();
    static QString enterAddressMessage();
    static QString nameErrorMessage();
    static QString nameErrorTitle();
    static QString prohibitedMessage();
    static QString prohibitedTitle();
    static QString duplicateMessage(const QString &name);
    static QString linkErrorTitle();
    // Text of a refused drop.
    static QString dropDuplicateMessage();
    // Texts of deleting, renaming and re-addressing a link.
    static QString deleteConfirmMessage();
    static QString deleteTitle();
    static QString sectionLinkMessage();
    static QString sectionLinkTitle();
    static QString selectLinkMessage();
    static QString selectLinkTitle();
    static QString renameErrorTitle();
    static QString renameProhibitedMessage();
    static QString treeDuplicateMessage();
    static QString enterNewAddressMessage();
    static QString editAddressErrorTitle();
    static QString addressProhibitedMessage();

    // The stored path of a link's category from the link node's tree path (the text before
    // its last "\", "\" turned into "/"); "" when the path holds no "\".
    static QString categoryPathOf(const QString &linkTreePath);
    // The link's own name: the text after the last "\" of its tree path.
    static QString linkNameOf(const QString &linkTreePath);

    // The tree test of new link names: answers the Index of a node that already carries
    // name (letter case ignored): start itself, any node below it that has children, or a
    // node without children directly below it (which nodes count as "directly below" is
    // reckoned once, from where clickedNodeText first stands in the first child's path).
    // 0 when none.
    static int FindTVString(TreeNode *start, const QString &name, const QString &clickedNodeText);

    explicit LinkEditing(qint32 subTopicId);

    enum class Status {
        Done,
        NotFound,   // no such category, or no such link in it: nothing was changed
        Failed,     // the edition could not be read or written; lastError() says why
    };

    // Id of the Sub-Topic's category at categoryPath (letter case ignored, an exact match
    // first), 0 when there is none or it could not be read.
    qint32 categoryId(const QString &categoryPath);

    // True when the category already holds a link called name (letter case ignored).
    bool nameExists(const QString &categoryPath, const QString &name);

    // Adds a link (name and address as typed) to the category, which from now on shows its
    // links: marks the category, adds the Sit row (largest SitId plus 1, or 1) and the
    // LksSit row (Seq: the SitId of the last LksSit row plus 1, or 1).
    Status add(const QString &categoryPath, const QString &name, const QString &address);
    qint32 addedSitId() const { return m_addedSitId; }

    // An empty categoryPath finds no link (NotFound) for remove, rename and changeAddress.
    // Removes the link from its category; its Sit row goes too unless another category
    // still holds it.
    Status remove(const QString &categoryPath, const QString &name, const QString &address);
    // Gives the link a new name (as typed); its address stays.
    Status rename(const QString &categoryPath, const QString &name, const QString &address, const QString &newName);
    // Gives the link a new address (as typed); its name stays.
    Status changeAddress(const QString &categoryPath, const QString &name, const QString &address,
                         const QString &newAddress);
    // Stores the link's notation (its Summary). With an empty categoryPath the link is
    // looked up by name and address anywhere in the edition (the first such row).
    Status setNotation(const QString &categoryPath, const QString &name, const QString &address,
                       const QString &text);
    // Reads the notation of the link in the category into text.
    Status notation(const QString &categoryPath, const QString &name, const QString &address, QString &text);

    QString lastError() const { return m_error; }

private:
    struct LinkRow {
        qint32 lksId = 0;
        qint32 sitId = 0;
    };
    // anywhere: an empty categoryPath looks through the whole edition (else finds nothing).
    Status findLink(const QString &categoryPath, const QString &name, const QString &address, LinkRow &row,
                    bool anywhere);
    bool ownRow(const LinkRow &row, qint32 &sitId);
    // The SitId of a new link row: the largest SitId plus 1, or 1 when Sit is empty.
    Status changeColumn(const QString &categoryPath, const QString &name, const QString &address,
                        const QString &column, const QString &value, bool anywhere);

    qint32 m_subTopicId;
    qint32 m_addedSitId = 0;
    QString m_error;
};
