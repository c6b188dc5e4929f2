// The main window's category tree: filling it for the shown Sub-Topic, bringing the user
// back to a node after a rebuild, and the mouse and key handling that records which node
// the popup commands work on, offers the popup menu for it and opens clicked links.

#include "mainwindow/form1.h"

#include "editing/notations.h"
#include "mainwindow/category_tree.h"
#include "mainwindow/tree_column_fit.h"
#include "mainwindow/tree_image_list.h"
#include "shared/c_tree_view.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "shared/tree_nodes.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

namespace {

// The tree's smallest indentation: a picture's width and a little room.
constexpr int TreeIndentation = 19;

// Button numbers of the mouse handlers: 1 left, 2 right, 4 middle.
int buttonNumber(Qt::MouseButtons buttons)
{
    int number = 0;
    if (buttons & Qt::LeftButton)
        number |= 1;
    if (buttons & Qt::RightButton)
        number |= 2;
    if (buttons & Qt::MiddleButton)
        number |= 4;
    return number;
}

// Shift numbers: 1 Shift, 2 Ctrl, 4 Alt.
int shiftNumber(Qt::KeyboardModifiers modifiers)
{
    int number = 0;
    if (modifiers & Qt::ShiftModifier)
        number |= 1;
    if (modifiers & Qt::ControlModifier)
        number |= 2;
    if (modifiers & Qt::AltModifier)
        number |= 4;
    return number;
}

qint16 toShort(double value)
{
    return qint16(qBound(-32768.0, std::nearbyint(value), 32767.0));
}

// Rows from the top of the tree down to an item or index.
QList<int> rowPath(QTreeWidgetItem *item)
{
    QList<int> rows;
    for (; item; item = item->parent()) {
        QTreeWidgetItem *above = item->parent();
        rows.prepend(above ? above->indexOfChild(item) : item->treeWidget()->indexOfTopLevelItem(item));
    }
    return rows;
}

QList<int> rowPath(QModelIndex index)
{
    QList<int> rows;
    for (; index.isValid(); index = index.parent())
        rows.prepend(index.row());
    return rows;
}

} // namespace

// ---- Wiring ----------------------------------------------------------------------------------

void Form1::wireTree()
{
    imgDialog = new TreeImageList(this);
    TreeNodes *nodes = TreeNodes::of(TvwBestell);
    nodes->setImageList(imgDialog->icons());
    TvwBestell->viewport()->setMouseTracking(true);
    new TreeColumnFit(TvwBestell);
    // The mouse events of the tree's viewport reach treeMouseEvent through eventFilter, the
    // tree's own key events treeKeyEvent.

    connect(TvwBestell, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *, int) { TvwBestell_Click(); });
    connect(TvwBestell, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem *item) { TvwBestell_Expand(TreeNode::from(item)); });
    connect(TvwBestell, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem *item) { TvwBestell_Collapse(TreeNode::from(item)); });

    // PopupNode never outlives its node.
    QAbstractItemModel *model = TvwBestell->model();
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this]() { PopupNode = nullptr; });
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &parent, int first, int last) {
                if (!PopupNode)
                    return;
                const QList<int> node = rowPath(PopupNode);
                const QList<int> above = rowPath(parent);
                if (node.size() > above.size() && node.mid(0, above.size()) == above
                    && node.at(above.size()) >= first && node.at(above.size()) <= last)
                    PopupNode = nullptr;
            });
}

bool Form1::treeMouseEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // A half-filled tree takes no clicks.
        if (m_treeFilling)
            return true;
        m_treeMouseDown = true;
        if (event->type() == QEvent::MouseButtonDblClick)
            return false;
        auto *me = static_cast<QMouseEvent *>(event);
        const QPointF pos = me->position();
        TvwBestell_MouseDown(buttonNumber(me->button()), shiftNumber(me->modifiers()), pos.x(), pos.y());
        return false;
    }
    case QEvent::MouseButtonRelease: {
        m_treeMouseDown = false;
        if (m_treeFilling)
            return true;
        auto *me = static_cast<QMouseEvent *>(event);
        const QPointF pos = me->position();
        const int button = buttonNumber(me->button());
        TvwBestell_MouseUp(button, shiftNumber(me->modifiers()), pos.x(), pos.y());
        if (button == 2)
            return true;   // the popup menu was the whole answer
        // The tree may still expand a node for this release (some styles do).
        m_treeMouseDown = true;
        QTimer::singleShot(0, this, [this]() { m_treeMouseDown = false; });
        return false;
    }
    case QEvent::MouseMove: {
        auto *me = static_cast<QMouseEvent *>(event);
        const QPointF pos = me->position();
        TvwBestell_MouseMove(buttonNumber(me->buttons()), shiftNumber(me->modifiers()), pos.x(), pos.y());
        return false;
    }
    default:
        return false;
    }
}

bool Form1::treeKeyEvent(QEvent *event)
{
    // The window system's own context menu event for the Menu key, which comes too, is left
    // to pass: the tree has no use for it.
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Menu && !(key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier))
        return false;
    const int shift = shiftNumber(key->modifiers());
    QTreeWidgetItem *item = TvwBestell->currentItem();
    if (m_treeFilling || !item)
        return true;
    // As a right click in the node's row, just inside its picture.
    TvwBestell->scrollToItem(item);
    const QRect row = TvwBestell->visualItemRect(item);
    const QPoint at(std::min(row.left() + row.height() / 2, TvwBestell->viewport()->width() - 1), row.center().y());
    TvwBestell_MouseDown(2, shift, at.x(), at.y());
    TvwBestell_MouseUp(2, shift, at.x(), at.y());
    return true;
}

// ---- Filling ---------------------------------------------------------------------------------

void Form1::updateTree()
{
    // The fill lets the event loop run now and then; a rebuild asked for meanwhile runs
    // once this one is done, never inside it.
    if (m_treeFilling) {
        m_treeRefillWanted = true;
        return;
    }
    m_treeFilling = true;
    const auto done = qScopeGuard([this]() { m_treeFilling = false; });

    do {
        m_treeRefillWanted = false;
        SelectedNodePath.clear();
        OpenDatabase(CurrentDatabaseFile);

        TvwBestell->setRootIsDecorated(true);
        TvwBestell->setIndentation(TreeIndentation);
        TvwBestell->setIconSize(QSize(16, 16));
        TvwBestell->setAllColumnsShowFocus(false);

        sbStatusPanel1->setText(QStringLiteral("Retrieving Database ..."));
        const bool painting = TvwBestell->updatesEnabled();
        TvwBestell->setUpdatesEnabled(false);
        {
            const auto release = qScopeGuard([this, painting]() {
                TvwBestell->setUpdatesEnabled(painting);
                sbStatusPanel1->setText(QString());
            });
            CategoryTree tree(TvwBestell, moTree, imgDialog);
            tree.setYield([]() { QCoreApplication::processEvents(); });
            tree.fill(CurrentSubTopicId);
        }
    } while (m_treeRefillWanted && !m_unloaded);
}

void Form1::SelectParentChain()
{
    CategoryTree::SelectParentChain(TvwBestell, SelectedNodeIndex);
}

void Form1::SelecteerNode(qint32 index)
{
    CategoryTree::SelecteerNode(TvwBestell, index);
}

void Form1::CheckNode(TreeNode *&node)
{
    CategoryTree::CheckNode(node, CategoryCount, LinkCount, CountCategoriesFlag);
}

void Form1::WalkTree(TreeNode *&node)
{
    CategoryTree::WalkTree(node);
}

QString Form1::FindTreeChildern(QTreeWidget *tree)
{
    return CategoryTree::FindTreeChildern(tree, &SelectedLinkUrl);
}

void Form1::ExpandSubtree(TreeNode *node, bool flag)
{
    CategoryTree::ExpandSubtree(node, flag);
}

void Form1::EnableTreeDrag()
{
    TvwBestell->setDragEnabled(true);
}

void Form1::DisableTreeDrag()
{
    TvwBestell->setDragEnabled(false);
}

// ---- Mouse and expansion ---------------------------------------------------------------------

void Form1::TvwBestell_MouseDown(int button, int shift, double x, double y)
{
    Q_UNUSED(button);
    Q_UNUSED(shift);
    PopupCommandDone = 0;
    TreeMouseX = toShort(x);
    TreeMouseY = toShort(y);
    SelectedLinkUrl.clear();

    if (TreeNode *hit = TreeNode::from(TvwBestell->itemAt(QPoint(int(x), int(y)))))
        hit->setSelected(true);
    // Away from any node the node selected before is described again.
    TreeNode *node = TreeNode::from(TvwBestell->currentItem());
    if (!node)
        return;
    SelectedNodeIndex = node->Index();
    SelectedNodePath = node->FullPath();
    SelectedLinkUrl = node->Tag();
    SelectedLinkName = node->Text();
    if (SelectedNodeIndex == 1)
        mnuSubtopicRename->setEnabled(true);
    ClickedNodeText = node->Text();

    if (SelectedLinkUrl.isEmpty()) {
        const bool root = SelectedNodeIndex < 2;
        mnuPopupCategory->setEnabled(true);
        mnuPopupAddCategory->setEnabled(true);
        mnuPopUpDeleteCategory->setEnabled(!root);
        mnuPopupRenameCategory->setEnabled(!root);
        mnuPopupLink->setEnabled(!root);
        if (!root) {
            mnuPopUpAddLink->setEnabled(true);
            mnuPopUpDeleteLink->setEnabled(false);
            mnuPopUpRenameLink->setEnabled(false);
        }
        DisableTreeDrag();
    } else {
        mnuPopupCategory->setEnabled(false);
        mnuPopupLink->setEnabled(true);
        mnuPopUpAddLink->setEnabled(false);
        mnuPopUpDeleteLink->setEnabled(true);
        mnuPopUpRenameLink->setEnabled(true);
        EnableTreeDrag();
    }
}

void Form1::TvwBestell_MouseMove(int button, int shift, double x, double y)
{
    Q_UNUSED(button);
    Q_UNUSED(shift);
    // Links look like links under the pointer.
    TreeNode *node = TreeNode::from(TvwBestell->itemAt(QPoint(int(x), int(y))));
    if (!node)
        return;
    if (node->Tag().isEmpty())
        TvwBestell->viewport()->unsetCursor();
    else
        TvwBestell->viewport()->setCursor(Qt::PointingHandCursor);
}

void Form1::TvwBestell_MouseUp(int button, int shift, double x, double y)
{
    Q_UNUSED(shift);
    PopupCommandDone = 0;
    if (button != 2)
        return;
    NotationText.clear();

    const QPoint pos{int(x), int(y)};
    PopupNode = TreeNode::from(TvwBestell->itemAt(pos));
    if (!PopupNode)
        return;
    PopupNode->setSelected(true);
    TreeNode *node = PopupNode;
    SelectedNodeIndex = node->Index();
    if (SelectedNodeIndex > 1) {
        if (TreeNode *parent = node->Parent())
            ReselectNodeIndex = parent->Index();
    }
    SelectedLinkUrl = node->Tag();
    SelectedLinkName = node->Text();

    OpenDatabase(CurrentDatabaseFile);
    QVariant notation;
    if (!SelectedLinkUrl.isEmpty()) {
        NotationIsSite = 1;
        // The link of this category first: a copy of it elsewhere has a notation of its own.
        QString text;
        TreeNode *category = node->Parent();
        if (category
            && Notations(CurrentSubTopicId).readLink(category->FullPath(), SelectedLinkName, SelectedLinkUrl, &text)
                == Notations::Status::Done)
            notation = text;
        else
            notation = QueryValue(
                QStringLiteral("SELECT Summary FROM Sit WHERE SitName = ? AND SitUrl = ? ORDER BY SitId"),
                {SelectedLinkName, SelectedLinkUrl});
    } else {
        NotationIsSite = 0;
        SelectedNodePath = node->FullPath();
        PopupNodePath = SelectedNodePath;
        QString path = SelectedNodePath;
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        notation = QueryValue(QStringLiteral("SELECT Keyword FROM Lks WHERE LksUrl = ? AND TopicId = ? ORDER BY LksId"),
                              {path, CurrentSubTopicId});
    }
    NotationText = notation.toString();

    mnuPopUp->exec(TvwBestell->viewport()->mapToGlobal(pos));
}

void Form1::TvwBestell_Click()
{
    if (PopupCommandDone != 0 || SelectedLinkUrl.isEmpty())
        return;
    if (SelectedLinkUrl.contains(QStringLiteral(".xml")) || SelectedLinkUrl.contains(QStringLiteral("/xml."))) {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    }
    NavigateWebSite(SelectedLinkUrl, 0);
}

void Form1::TvwBestell_Expand(TreeNode *node)
{
    if (!node)
        return;
    // Expanding a node expands its subtree, which runs this again for each node below it;
    // only the outermost run moves the selection.
    const bool outermost = m_treeExpandDepth == 0;
    ++m_treeExpandDepth;
    const auto leave = qScopeGuard([this]() { --m_treeExpandDepth; });

    if (outermost)
        node->setSelected(true);
    if (node->Index() > 1) {
        TreeNode *first = node->Child();
        if (first && !first->Tag().isEmpty()) {
            first->setForeColor(CategoryTree::LinkColour);
            const QString tag = first->Tag().toLower();
            if (tag.contains(QStringLiteral(".pdf")))
                first->setSelectedImage(TreeImageList::PdfDocument);
            if (tag.contains(QStringLiteral(".htm")))
                first->setSelectedImage(TreeImageList::WebPageMark);
            ExpandSubtree(first, node->isExpanded());
        }
    }
    // An expansion by the mouse leaves the node under the pointer selected; one made by a
    // command or the keyboard leaves the selection where it put it.
    if (outermost && m_treeMouseDown) {
        if (TreeNode *hit = TreeNode::from(TvwBestell->itemAt(QPoint(TreeMouseX, TreeMouseY))))
            hit->setSelected(true);
    }
    node->setSorted(true);
    TvwBestell->viewport()->update();
}

void Form1::TvwBestell_Collapse(TreeNode *node)
{
    if (node)
        node->setSelected(true);
}
