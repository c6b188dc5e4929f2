#include "shared/c_tree_view.h"

#include "shared/twips.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

const QString WrapperSource = QStringLiteral("cTreeView");

} // namespace

cTreeView::cTreeView(QObject *parent)
    : QObject(parent)
{
}

cTreeView::~cTreeView()
{
    // Qt drops this object's connections and event filter by itself. The tree is not
    // touched: this object may be its child, dying while the tree itself is destroyed.
}

void cTreeView::HookCtrl(QTreeWidget *ctrl)
{
    if (ctrl == m_tree)
        return;
    UnHookCtrl();
    if (!ctrl)
        return;
    m_tree = ctrl;
    m_viewport = ctrl->viewport();
    m_model = ctrl->model();
    TreeNodes::of(ctrl);
    m_viewport->installEventFilter(this);
    connect(ctrl, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        if (TreeNode *node = TreeNode::from(item))
            emit Selected(node);
    });
    // Nodes held for a drag must not outlive their removal.
    connect(ctrl->model(), &QAbstractItemModel::rowsAboutToBeRemoved, this, &cTreeView::resetDrag);
    connect(ctrl->model(), &QAbstractItemModel::modelAboutToBeReset, this, &cTreeView::resetDrag);
}

void cTreeView::UnHookCtrl()
{
    if (m_viewport)
        m_viewport->removeEventFilter(this);
    if (m_tree)
        disconnect(m_tree, nullptr, this, nullptr);
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_tree = nullptr;
    m_viewport = nullptr;
    m_model = nullptr;
    resetDrag();
}

TreeNodes *cTreeView::hookedNodes() const
{
    if (!m_tree)
        throw TreeNodeError(91, WrapperSource, QStringLiteral("Object variable or With block variable not set"));
    return TreeNodes::of(m_tree);
}

TreeNode *cTreeView::NodeAdd(QTreeWidgetItem *vRelative, int eRelationship, const QString &sKey,
                             const QString &sText, int vImage, int vSelectedImage, const QString &vTag,
                             bool bChecked, bool bEnsureVisible, bool bExpanded, bool bSelected,
                             qint32 lForeColor, qint32 lBackColor, int vExpandedImage)
{
    TreeNode *node = hookedNodes()->Add(vRelative, eRelationship, sKey, sText, vImage, vSelectedImage);
    return finishAdd(node, vTag, bChecked, bEnsureVisible, bExpanded, bSelected, lForeColor, lBackColor,
                     vExpandedImage);
}

TreeNode *cTreeView::NodeAdd(const QString &vRelative, int eRelationship, const QString &sKey,
                             const QString &sText, int vImage, int vSelectedImage, const QString &vTag,
                             bool bChecked, bool bEnsureVisible, bool bExpanded, bool bSelected,
                             qint32 lForeColor, qint32 lBackColor, int vExpandedImage)
{
    TreeNode *node = hookedNodes()->Add(vRelative, eRelationship, sKey, sText, vImage, vSelectedImage);
    return finishAdd(node, vTag, bChecked, bEnsureVisible, bExpanded, bSelected, lForeColor, lBackColor,
                     vExpandedImage);
}

TreeNode *cTreeView::finishAdd(TreeNode *node, const QString &vTag, bool bChecked, bool bEnsureVisible,
                               bool bExpanded, bool bSelected, qint32 lForeColor, qint32 lBackColor,
                               int vExpandedImage)
{
    node->setTag(vTag);
    node->setChecked(bChecked);
    if (bEnsureVisible)
        node->EnsureVisible();
    node->setExpanded(bExpanded);
    node->setSelected(bSelected);
    node->setForeColor(lForeColor != 0 ? lForeColor : vbWindowText);
    node->setBackColor(lBackColor != 0 ? lBackColor : vbWindowBackground);
    if (vExpandedImage != 0)
        node->setExpandedImage(vExpandedImage);
    return node;
}

void cTreeView::ClearTreeView()
{
    Redraw(false);
    if (m_tree)
        TreeNodes::of(m_tree)->Clear();
    Redraw(true);
}

void cTreeView::Redraw(bool enabled)
{
    if (m_tree)
        m_tree->setUpdatesEnabled(enabled);
}

void cTreeView::CollapseAll()
{
    setAllExpanded(false);
}

void cTreeView::ExpandAll()
{
    setAllExpanded(true);
}

void cTreeView::setAllExpanded(bool expanded)
{
    Redraw(false);
    if (m_tree) {
        for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
            if ((*it)->childCount() == 0)
                continue;
            if (TreeNode *node = TreeNode::from(*it))
                node->setExpanded(expanded);
            else
                (*it)->setExpanded(expanded);
        }
    }
    Redraw(true);
}

void cTreeView::setExpandedDeep(TreeNode *node, bool expanded)
{
    node->setExpanded(expanded);
    for (int i = 0; i < node->childCount(); ++i) {
        if (TreeNode *child = TreeNode::from(node->child(i)))
            setExpandedDeep(child, expanded);
    }
}

void cTreeView::CollapseChildNodes(TreeNode *node)
{
    if (!node)
        return;
    Redraw(false);
    setExpandedDeep(node, false);
    Redraw(true);
}

void cTreeView::ExpandChildNodes(TreeNode *node)
{
    if (!node)
        return;
    Redraw(false);
    setExpandedDeep(node, true);
    Redraw(true);
}

QString cTreeView::ParentNodeText(TreeNode *node) const
{
    if (!node || IsRootNode(node) || !node->parent())
        return QString();
    return node->parent()->text(0);
}

bool cTreeView::IsParentNode(TreeNode *childNode, TreeNode *parentNode) const
{
    if (!childNode || !parentNode)
        return false;
    for (int i = 0; i < parentNode->childCount(); ++i) {
        TreeNode *child = TreeNode::from(parentNode->child(i));
        if (!child)
            continue;
        if (child == childNode || IsParentNode(childNode, child))
            return true;
    }
    return false;
}

bool cTreeView::IsRootNode(TreeNode *node) const
{
    return node && node->FullPath() == node->Text();
}

bool cTreeView::NodeDelete(TreeNode *node, bool bSelect)
{
    if (!node)
        return false;
    if (!IsRootNode(node)) {
        if (TreeNode *parent = node->Parent()) {
            parent->EnsureVisible();
            parent->setSelected(bSelect);
        }
    }
    delete node;   // takes itself out of its tree and its collection
    return true;
}

bool cTreeView::NodeFind(TreeNode *&oResultNode, const QString &nodeText, const QString &nodeKey, bool bSelect)
{
    if (!m_tree)
        return false;
    const QString text = nodeText.toUpper();
    const QString key = nodeKey.trimmed().isEmpty() ? QString() : nodeKey.toUpper();
    for (TreeNode *node : TreeNodes::of(m_tree)->All()) {
        const QString nodeKeyUpper = node->Key().toUpper();
        if (nodeKeyUpper != text)
            continue;
        if (!key.isNull() && nodeKeyUpper != key)
            continue;
        if (bSelect) {
            node->setSelected(true);
            node->EnsureVisible();
        }
        oResultNode = node;
        return true;
    }
    return false;
}

bool cTreeView::NodeMove(TreeNode *parentNode, TreeNode *childNode, bool bSelect)
{
    if (!m_tree || !parentNode || !childNode)
        return false;
    if (parentNode->Text() == childNode->Text())
        return false;
    TreeNodes *nodes = TreeNodes::of(m_tree);
    if (IsParentNode(parentNode, childNode)) {
        if (IsRootNode(childNode))
            return false;
        // The new parent lies below the node: lift the node's children to its own parent
        // first, so that it does not go below itself.
        TreeNode *grandParent = childNode->Parent();
        QList<TreeNode *> children;
        for (int i = 0; i < childNode->childCount(); ++i) {
            if (TreeNode *child = TreeNode::from(childNode->child(i)))
                children.append(child);
        }
        for (TreeNode *child : children)
            nodes->Move(child, grandParent);
    }
    if (!nodes->Move(childNode, parentNode))
        return false;
    if (bSelect) {
        childNode->EnsureVisible();
        childNode->setSelected(true);
    }
    return true;
}

bool cTreeView::NodeRename(TreeNode *node, const QString &newNodeText, bool bSelect)
{
    if (!node || newNodeText.isEmpty())
        return false;
    node->setText(newNodeText);
    if (!IsRootNode(node)) {
        node->EnsureVisible();
        node->setSelected(bSelect);
    }
    return true;
}

TreeNode *cTreeView::nodeAt(const QPoint &pos) const
{
    return m_tree ? TreeNode::from(m_tree->itemAt(pos)) : nullptr;
}

void cTreeView::raiseContextMenu(const QPoint &pos)
{
    // Nothing is offered over empty space.
    TreeNode *node = nodeAt(pos);
    if (!node)
        return;
    m_tree->setCurrentItem(node);
    emit ContextMenu(node, pxToTwips(pos.x()), pxToTwips(pos.y()));
}

void cTreeView::resetDrag()
{
    m_dragSource = nullptr;
    m_dropHighlight = nullptr;
    m_dragStarted = false;
    m_dragging = false;
}

bool cTreeView::eventFilter(QObject *watched, QEvent *event)
{
    if (m_tree.isNull() || m_viewport.isNull() || watched != m_viewport.get())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *me = static_cast<QMouseEvent *>(event);
        const QPoint pos = me->position().toPoint();
        if (me->button() == Qt::LeftButton && m_dragEnabled)
            m_dragSource = nodeAt(pos);
        else if (me->button() == Qt::RightButton && m_contextMenuMode == 0)
            raiseContextMenu(pos);
        break;
    }
    case QEvent::MouseMove: {
        auto *me = static_cast<QMouseEvent *>(event);
        if ((me->buttons() & Qt::LeftButton) && m_dragEnabled && nodeAt(me->position().toPoint())) {
            m_dragging = true;
            if (m_dragSource) {
                emit StartDrag(m_dragSource);
                m_dragStarted = true;
            }
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::RightButton && m_contextMenuMode == 1)
            raiseContextMenu(me->position().toPoint());
        break;
    }
    case QEvent::DragMove: {
        // Only a drag of the tree's own nodes counts.
        auto *de = static_cast<QDragMoveEvent *>(event);
        if (m_dragEnabled && m_dragStarted && m_dragging && de->source() == m_tree) {
            m_dropHighlight = nodeAt(de->position().toPoint());
            if (m_dropHighlight)
                emit Dragging(m_dragSource, m_dropHighlight);
        }
        break;
    }
    case QEvent::Drop: {
        if (m_dragEnabled && m_dropHighlight && m_dragSource
            && m_dropHighlight->Text() != m_dragSource->Text()) {
            TreeNode *source = m_dragSource;
            TreeNode *target = m_dropHighlight;
            resetDrag();
            emit Dropped(source, target);
        }
        resetDrag();
        break;
    }
    default:
        break;
    }
    return false;
}
