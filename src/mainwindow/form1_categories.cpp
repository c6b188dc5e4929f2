// The tree's Category commands: add a category under the selected node, rename the
// right-clicked category with everything below it, and delete it with its subtree and links.

#include "mainwindow/form1.h"

#include "editing/category_editing.h"
#include "mainwindow/form1_category_tree_host.h"
#include "editing/list_reselection.h"
#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "shared/tree_nodes.h"

#include <QComboBox>
#include <QTreeWidget>

namespace {

int selectedChildCount(QTreeWidget *tree)
{
    QTreeWidgetItem *item = tree->currentItem();
    return item ? item->childCount() : 0;
}

// Tells the user about a refused or failed name; answers false when the name may be used.
bool refuseName(CategoryEditing::NameCheck check)
{
    switch (check) {
    case CategoryEditing::NameCheck::Ok:
        return false;
    case CategoryEditing::NameCheck::Empty:
        break;
    case CategoryEditing::NameCheck::NoTextCharacter:
    case CategoryEditing::NameCheck::Numeric:
        MsgBox(CategoryEditing::nameErrorMessage(), vbOKOnly, CategoryEditing::nameErrorTitle());
        break;
    case CategoryEditing::NameCheck::Prohibited:
        MsgBox(CategoryEditing::prohibitedMessage(), vbOKOnly | vbExclamation, CategoryEditing::prohibitedTitle());
        break;
    }
    return true;
}

void reportFailure(const QString &what, const QString &error, const QString &title)
{
    MsgBox(what + QStringLiteral(" Nothing was changed.\n\n") + error, vbOKOnly | vbExclamation, title);
}

// Deletes the rows of the category at treePath of the shown Sub-Topic with everything below
// it (only what is below it with keepRow); false, after telling the user, when that failed.
bool deleteCategoryRows(const QString &treePath, bool keepRow)
{
    OpenDatabase(CurrentDatabaseFile);
    CategoryEditing categories(CurrentSubTopicId);
    if (categories.deleteCategory(treePath, keepRow) != CategoryEditing::Status::Failed)
        return true;
    reportFailure(QStringLiteral("The Category could not be deleted."), categories.lastError(),
                  CategoryEditing::deleteTitle());
    return false;
}

} // namespace

void Form1::mnuPopupAddCategory_Click()
{
    const int children = selectedChildCount(TvwBestell);
    AddCategory();
    if (children > 0) {
        SelectParentChain();
        if (TreeNode *node = TreeNode::from(TvwBestell->itemAt(QPoint(TreeMouseX, TreeMouseY))))
            node->setSelected(true);
    }
}

void Form1::mnuPopupRenameCategory_Click()
{
    const int children = selectedChildCount(TvwBestell);
    RenameCategory();
    if (children > 0)
        SelectParentChain();
}

void Form1::mnuPopUpDeleteCategory_Click()
{
    TreeNode *node = PopupNode;
    if (!node)
        return;
    if (MsgBox(CategoryEditing::deleteConfirmMessage(node->Text()), vbYesNo | vbQuestion,
               CategoryEditing::deleteTitle())
        != vbYes)
        return;
    SelectedNodePath = node->FullPath();
    if (!DeleteCategory())
        return;
    updateTree();
    Form1CategoryTreeHost(this).showFirstNodes();
}

void Form1::AddCategory()
{
    const QString name = InputBox(CategoryEditing::addPrompt(), CategoryEditing::addTitle(), QString());
    if (refuseName(CategoryEditing::checkName(name)))
        return;
    // A category goes below a node of the tree.
    if (SelectedNodePath.isEmpty()) {
        MsgBox(CategoryEditing::selectCategoryMessage(), vbOKOnly, QString());
        return;
    }

    OpenDatabase(CurrentDatabaseFile);
    CategoryEditing categories(CurrentSubTopicId);
    switch (categories.add(Combo2->currentText(), SelectedNodePath, name)) {
    case CategoryEditing::Status::Done:
        break;
    case CategoryEditing::Status::Duplicate:
        MsgBox(CategoryEditing::addDuplicateMessage(name), vbOKOnly, CategoryEditing::alternateNameTitle());
        return;
    default:
        reportFailure(QStringLiteral("The Category could not be added."), categories.lastError(),
                      CategoryEditing::addTitle());
        return;
    }
    reloadListsAfterCategoryEdit();
}

void Form1::RenameCategory()
{
    // The root is the Sub-Topic itself: the Sub-Topic menu renames it, not this command.
    const QString target = PopupNode ? PopupNode->FullPath() : SelectedNodePath;
    if (SelectedNodePath.isEmpty() || !target.contains(QLatin1Char('\\'))) {
        MsgBox(CategoryEditing::selectCategoryMessage(), vbOKOnly, QString());
        return;
    }
    const QString name = InputBox(CategoryEditing::renamePrompt(CategoryEditing::currentName(SelectedNodePath)),
                                  CategoryEditing::renameTitle(), QString());
    if (refuseName(CategoryEditing::checkName(name)))
        return;

    OpenDatabase(CurrentDatabaseFile);
    CategoryEditing categories(CurrentSubTopicId);
    if (PopupNode)
        SelectedNodePath = PopupNode->FullPath();
    switch (categories.rename(SelectedNodePath, name)) {
    case CategoryEditing::Status::Done:
        break;
    case CategoryEditing::Status::Duplicate:
        MsgBox(CategoryEditing::renameDuplicateMessage(name, Combo2->currentText()), vbOKOnly,
               CategoryEditing::alternateNameTitle());
        return;
    case CategoryEditing::Status::Predefined:
        MsgBox(CategoryEditing::predefinedMessage(), vbOKOnly, CategoryEditing::predefinedTitle());
        return;
    default:
        reportFailure(QStringLiteral("The Category could not be renamed."), categories.lastError(),
                      CategoryEditing::renameTitle());
        return;
    }
    reloadListsAfterCategoryEdit();
}

bool Form1::DoRenameCategory(const QString &oldPath, const QString &newPath)
{
    OpenDatabase(CurrentDatabaseFile);
    CategoryEditing categories(CurrentSubTopicId);
    if (categories.renamePaths(oldPath, newPath) == CategoryEditing::Status::Done)
        return true;
    reportFailure(QStringLiteral("The Category could not be renamed."), categories.lastError(),
                  CategoryEditing::renameTitle());
    return false;
}

bool Form1::DeleteCategory()
{
    // The root is the Sub-Topic itself: it is never deleted as a category.
    if (!SelectedNodePath.contains(QLatin1Char('\\')))
        return false;
    return deleteCategoryRows(SelectedNodePath, false);
}

bool Form1::FullCategoryDelete(TreeNode *node)
{
    if (!node || !node->FullPath().contains(QLatin1Char('\\')) || !deleteCategoryRows(node->FullPath(), true))
        return false;
    TreeNodes *nodes = TreeNodes::of(TvwBestell);
    while (TreeNode *child = node->Child())
        nodes->Remove(child);
    return true;
}

void Form1::reloadListsAfterCategoryEdit()
{
    const QString subTopic = Combo2->currentText();
    Combo2->setCurrentIndex(Combo2->count() > 0 ? 0 : -1);
    Combo2_Click();

    TreeNodes::of(TvwBestell)->Clear();
    results->Navigate(QStringLiteral("about:blank"));

    const QString topic = Combo1->currentText();
    if (SelectListEntry(Combo1, topic) >= 0)
        Combo1_Click();
    if (SelectListEntry(Combo2, subTopic) >= 0)
        Combo2_Click();
}
