#pragma once
// A wrapper around one tree control: adds a node and sets all its display properties in one
// call, switches painting off and on, expands or collapses whole trees or branches, answers
// questions about node relations, deletes, finds, moves and renames nodes, and turns the
// control's raw mouse and drag events into five higher-level signals.
//
// Nodes are those of the tree's TreeNodes collection (tree_nodes.h). Signal positions are
// in twips, relative to the tree's viewport.

#include "shared/tree_nodes.h"

#include <QObject>
#include <QPointer>

class QTreeWidget;

class cTreeView : public QObject
{
    Q_OBJECT
public:
    explicit cTreeView(QObject *parent = nullptr);
    ~cTreeView() override;

    // Adds a node and sets its properties; relative is a node or a node's key (none: a root).
    // A foreColor / backColor of 0 gives the system's window-text / window-background colour;
    // expandedImage 0 leaves it unset. Throws TreeNodeError (number, source, description of
    // the control's error), and then no node is returned.
    TreeNode *NodeAdd(QTreeWidgetItem *vRelative, int eRelationship, const QString &sKey,
                      const QString &sText, int vImage = 0, int vSelectedImage = 0,
                      const QString &vTag = QString(), bool bChecked = false,
                      bool bEnsureVisible = false, bool bExpanded = false, bool bSelected = false,
                      qint32 lForeColor = 0, qint32 lBackColor = 0, int vExpandedImage = 0);
    TreeNode *NodeAdd(const QString &vRelative, int eRelationship, const QString &sKey,
                      const QString &sText, int vImage = 0, int vSelectedImage = 0,
                      const QString &vTag = QString(), bool bChecked = false,
                      bool bEnsureVisible = false, bool bExpanded = false, bool bSelected = false,
                      qint32 lForeColor = 0, qint32 lBackColor = 0, int vExpandedImage = 0);
    void ClearTreeView();
    // Painting on (true) or suspended (false); nothing when no tree is hooked.
    void Redraw(bool enabled);
    void CollapseAll();
    void ExpandAll();
    void CollapseChildNodes(TreeNode *node);
    void ExpandChildNodes(TreeNode *node);
    // 0: ContextMenu on the right button's press; 1 (the start): on its release.
    int ContextMenuMode() const { return m_contextMenuMode; }
    void setContextMenuMode(int mode) { m_contextMenuMode = mode; }
    QTreeWidget *ctrl() const { return m_tree; }
    bool DragEnabled() const { return m_dragEnabled; }
    void setDragEnabled(bool enabled) { m_dragEnabled = enabled; }
    // Hooks the tree: from now on its events arrive here. Hooking again is harmless.
    void HookCtrl(QTreeWidget *ctrl);
    void UnHookCtrl();

    QString ParentNodeText(TreeNode *node) const;     // "" for a root
    bool IsParentNode(TreeNode *childNode, TreeNode *parentNode) const;   // child anywhere below
    bool IsRootNode(TreeNode *node) const;            // FullPath equals Text
    // Removes the node and its subtree; a non-root's parent is scrolled into view and gets
    // Selected := bSelect first.
    bool NodeDelete(TreeNode *node, bool bSelect);
    // First node (in Index order) whose key equals nodeText, and nodeKey when that is not
    // blank, without regard to case.
    bool NodeFind(TreeNode *&oResultNode, const QString &nodeText, const QString &nodeKey,
                  bool bSelect);
    // Makes childNode a child of parentNode; refused for equal texts and for a root that
    // would go below itself. When parentNode lies below childNode, childNode's children are
    // first lifted to its own parent.
    bool NodeMove(TreeNode *parentNode, TreeNode *childNode, bool bSelect);
    bool NodeRename(TreeNode *node, const QString &newNodeText, bool bSelect);

signals:
    void StartDrag(TreeNode *sourceNode);
    void Dragging(TreeNode *sourceNode, TreeNode *targetParent);
    void Dropped(TreeNode *sourceNode, TreeNode *targetParent);
    void ContextMenu(TreeNode *node, double x, double y);
    void Selected(TreeNode *node);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TreeNode *nodeAt(const QPoint &pos) const;
    // The nodes of the hooked tree; error 91 when no tree is hooked.
    TreeNodes *hookedNodes() const;
    TreeNode *finishAdd(TreeNode *node, const QString &vTag, bool bChecked, bool bEnsureVisible,
                        bool bExpanded, bool bSelected, qint32 lForeColor, qint32 lBackColor,
                        int vExpandedImage);
    void raiseContextMenu(const QPoint &pos);
    void setExpandedDeep(TreeNode *node, bool expanded);
    void setAllExpanded(bool expanded);
    void resetDrag();

    QPointer<QTreeWidget> m_tree;
    // The tree's viewport, kept to compare with: while the tree is being destroyed its
    // viewport still sends events, and the tree must no longer be asked for it.
    QPointer<QObject> m_viewport;
    QPointer<QObject> m_model;
    int m_contextMenuMode = 1;
    bool m_dragEnabled = false;
    bool m_dragStarted = false;
    bool m_dragging = false;
    TreeNode *m_dragSource = nullptr;
    TreeNode *m_dropHighlight = nullptr;
};
