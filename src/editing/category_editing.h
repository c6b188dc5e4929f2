#pragma once
// The categories of one Sub-Topic's tree (rows of Lks): adding a category under another,
// adding a sub-category that holds links, renaming a category together with everything
// below it, and deleting a category with its whole subtree and its links. Works on the open
// edition; no window is needed.
//
// Paths come in two forms: the tree's ("\" between the names, the Sub-Topic's name first)
// and the stored one in LksUrl ("/" between the names). LksName holds the stored path with
// its names in reverse order.
//
// Every change that writes more than one row is one transaction: all of it lands or none.

#include <QList>
#include <QString>
#include <QtGlobal>

class CategoryEditing
{
public:
    // What checking a typed category name finds, in the order the checks run.
    enum class NameCheck {
        Ok,
        Empty,             // only blanks (or nothing)
        NoTextCharacter,   // no letter A-Z, a-z or blank
        Prohibited,        // one of ' < > " / \, or U+FEFF or U+FFFE first (the edition would drop it).
        Numeric,           // the whole name reads as a number
    };
    // The checks of a typed category or sub-category name, and of a new link name.
    static NameCheck checkName(const QString &name);

    // Texts of the category commands.
    static QString nameErrorMessage();
    static QString nameErrorTitle();
    static QString prohibitedMessage();
    static QString prohibitedTitle();
    static QString alternateNameTitle();
    static QString addDuplicateMessage(const QString &name);
    static QString renameDuplicateMessage(const QString &name, const QString &subTopicName);
    static QString selectCategoryMessage();
    static QString predefinedMessage();
    static QString predefinedTitle();
    static QString addPrompt();
    static QString addTitle();
    static QString renamePrompt(const QString &currentName);
    static QString renameTitle();
    static QString deleteConfirmMessage(const QString &nodeText);
    static QString deleteTitle();
    // Texts of the Add Sub-Category dialog.
    static QString subCategoryNameMessage();
    static QString subCategoryNameTitle();
    static QString subCategoryDuplicateMessage(const QString &typedName, const QString &parentPath);
    static QString subCategoryAddedMessage();
    static QString subCategoryAddedTitle();

    // The stored form of a tree path: every "\" turned into "/".
    static QString rowPath(const QString &treePath);
    // The category's own name as the rename prompt shows it: the last name of the path.
    static QString currentName(const QString &treePath);

    explicit CategoryEditing(qint32 subTopicId);

    enum class Status {
        Done,
        Duplicate,    // the path is taken in the Sub-Topic (letter case ignored)
        Predefined,   // the Sub-Topic came with the edition: its categories keep their names
        NotFound,     // no such category in the Sub-Topic
        Failed,       // the edition could not be read or written; lastError() says why
    };

    // A name typed with a line break is stored without it (EditNames::WithoutLineBreaks).

    // Adds the category name (as typed) under the category at parentTreePath. When the
    // Sub-Topic's root row (found by its name) is missing it is made first. Ids: the
    // largest LksId of the table (1 when there is none) plus 1 for each row added.
    Status add(const QString &subTopicName, const QString &parentTreePath, const QString &name);

    // Adds a sub-category (a category that holds links) named trimmedName under the
    // category at parentTreePath, with the largest LksId plus 1 (1 in an empty table).
    Status addSubCategory(const QString &parentTreePath, const QString &trimmedName);

    // True when the Sub-Topic has rows the user made (LksDesc "N"); false for a Sub-Topic
    // that came with the edition, and when the rows could not be read (see lastError()).
    bool hasUserRows();

    // Renames the category at treePath to newName (as typed): refused as Predefined for a
    // Sub-Topic without rows the user made, and as Duplicate when the new path is held by
    // another row of the Sub-Topic in any letter case (a change of letter case of the
    // category itself is allowed). Then rewrites the paths as renamePaths() does.
    Status rename(const QString &treePath, const QString &newName);

    // Rewrites the stored paths of the category at oldPath and of every category below it
    // (both "/" form, letter case significant) to begin with newPath instead. Links stay
    // with their categories.
    Status renamePaths(const QString &oldPath, const QString &newPath);

    // Deletes the category at treePath, every category below it and the links of all of
    // them (their LksSit rows, and each Sit row no other category still holds), then, unless
    // keepOwnRow, the category's own row. NotFound, with nothing changed, when the Sub-Topic
    // has no row at that path.
    Status deleteCategory(const QString &treePath, bool keepOwnRow = false);

    // Id of the row add() or addSubCategory() added, and of a root row add() made again (0: none).
    qint32 addedId() const { return m_addedId; }
    qint32 recreatedRootId() const { return m_rootId; }
    // Rows the last rename or delete changed or removed.
    int rowsChanged() const { return m_rows; }
    QString lastError() const { return m_error; }

private:
    struct Row {
        qint32 id = 0;
        QString url;
    };
    bool readRows(QList<Row> &rows);
    // The rows at a path and below it (an SQL condition on LksUrl).
    static QString subtreeCondition();
    // A GLOB pattern that matches text itself.
    static QString globPattern(const QString &text);
    // Appends text to json as a JSON string.
    static void appendJsonString(QString &json, const QString &text);

    qint32 m_subTopicId;
    qint32 m_addedId = 0;
    qint32 m_rootId = 0;
    int m_rows = 0;
    QString m_error;
};
