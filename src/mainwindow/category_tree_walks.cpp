// Finding, counting, selecting and expanding nodes of the category tree.

#include "mainwindow/category_tree.h"

#include "shared/tree_nodes.h"

#include <QTreeWidget>

namespace {

// Painting off for as long as it lives.
class PaintingOff
{
public:
    explicit PaintingOff(QTreeWidget *tree) : m_tree(tree), m_was(tree->updatesEnabled())
    {
        m_tree->setUpdatesEnabled(false);
    }
    ~PaintingOff() { m_tree->setUpdatesEnabled(m_was); }
    PaintingOff(const PaintingOff &) = delete;
    PaintingOff &operator=(const PaintingOff &) = delete;

private:
    QTreeWidget *m_tree;
    bool m_was;
};

TreeNode *selectedNode(QTreeWidget *tree)
{
    return tree ? TreeNode::from(tree->currentItem()) : nullptr;
}

} // namespace

void CategoryTree::SelectParentChain(QTreeWidget *tree, qint32 index)
{
    if (!tree)
        return;
    TreeNode *start = TreeNodes::of(tree)->Item(index);
    if (!start)
        return;
    for (TreeNode *cur = start, *parent = start->Parent(); parent; cur = parent, parent = parent->Parent()) {
        cur->setExpanded(true);
        parent->setExpanded(true);
    }
    start->setSelected(true);
}

void CategoryTree::SelecteerNode(QTreeWidget *tree, qint32 index)
{
    if (!tree)
        return;
    TreeNode *node = TreeNodes::of(tree)->Item(index);
    if (!node)
        return;
    node->setSelected(true);
    node->EnsureVisible();
    node->setExpanded(true);
}

void CategoryTree::CheckNode(TreeNode *&node, int &categoryCount, int &linkCount, bool &countCategories)
{
    if (!node)
        countCategories = false;
    while (node) {
        if (node->Tag().trimmed().isEmpty() && countCategories)
            ++categoryCount;
        else
            ++linkCount;
        TreeNode *child = node->Child();
        CheckNode(child, categoryCount, linkCount, countCategories);
        node = node->Next();
    }
}

void CategoryTree::WalkTree(TreeNode *&node)
{
    while (node) {
        TreeNode *child = node->Child();
        WalkTree(child);
        node = node->Next();
    }
}

void CategoryTree::ExpandSubtree(TreeNode *node, bool flag)
{
    // The rows walked here have just come into view: one repaint for all of them.
    const TreeNodes::QuietChanges quiet(node ? node->treeWidget() : nullptr);
    while (node) {
        node->setExpanded(flag);
        if (TreeNode *child = node->Child())
            ExpandSubtree(child, flag);
        node = node->Next();
        if (node && !node->Tag().isEmpty())
            node->setForeColor(LinkColour);
    }
}

void CategoryTree::ExpandAllNodes(QTreeWidget *tree)
{
    if (!tree)
        return;
    const PaintingOff off(tree);
    for (TreeNode *node : TreeNodes::of(tree)->All()) {
        if (!node->Expanded())
            node->setExpanded(true);
    }
}

QString CategoryTree::FindTreeChildern(QTreeWidget *tree, QString *lastTag)
{
    TreeNode *selected = selectedNode(tree);
    TreeNode *child = selected ? selected->Child() : nullptr;
    if (!child)
        return QStringLiteral("0,0");
    TreeNodes *nodes = TreeNodes::of(tree);
    const int first = child->FirstSibling()->Index();
    const int last = child->LastSibling()->Index();
    int categories = 0;
    int links = 0;
    for (int i = first; i <= last; ++i) {
        TreeNode *node = nodes->Item(i);
        if (!node)
            continue;
        if (lastTag)
            *lastTag = node->Tag();
        if (node->Tag().size() > 3)
            ++links;
        else
            ++categories;
    }
    tree->setFocus();
    return QStringLiteral("%1,%2").arg(categories).arg(links);
}

int CategoryTree::ExpandNodeByText(TreeNode *node, const QString &word, int caseSensitivity)
{
    if (!node)
        return 0;
    if (node->Text().contains(word)) {
        ExpandAllNodes(node->treeWidget());
        return node->Index();
    }
    const Qt::CaseSensitivity cs = caseSensitivity == 1 ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int i = 0; i < node->childCount(); ++i) {
        TreeNode *child = TreeNode::from(node->child(i));
        if (!child)
            continue;
        if (child->childCount() > 0) {
            if (const int found = ExpandNodeByText(child, word, caseSensitivity))
                return found;
        } else if (child->Text().contains(word, cs)) {
            return child->Index();
        }
    }
    return 0;
}

void CategoryTree::ExpandTreeNodes(QTreeWidget *tree, bool flag)
{
    if (!tree)
        return;
    {
        const PaintingOff off(tree);
        TreeNodes *nodes = TreeNodes::of(tree);
        for (int i = 1; i <= nodes->Count(); ++i)
            nodes->Item(i)->setExpanded(flag);
    }
    if (TreeNode *selected = selectedNode(tree))
        selected->EnsureVisible();
}

void CategoryTree::ExpandBranch(TreeNode *node, bool flag)
{
    if (!node || node->childCount() == 0)
        return;
    for (int i = 0; i < node->childCount(); ++i)
        ExpandBranch(TreeNode::from(node->child(i)), flag);
    node->setExpanded(flag);
}

void CategoryTree::ExpandSelectedBranch(QTreeWidget *tree, bool flag)
{
    TreeNode *selected = selectedNode(tree);
    if (!selected)
        return;
    {
        const PaintingOff off(tree);
        ExpandBranch(selected, flag);
    }
    selected->EnsureVisible();
}

void CategoryTree::ExpandNodeByIndex(QTreeWidget *tree, qint32 index)
{
    if (!tree)
        return;
    const PaintingOff off(tree);
    if (TreeNode *node = TreeNodes::of(tree)->Item(index))
        node->setExpanded(true);
}

void CategoryTree::SelectNodeByIndex(QTreeWidget *tree, qint32 index)
{
    if (!tree)
        return;
    if (TreeNode *node = TreeNodes::of(tree)->Item(index))
        node->setSelected(true);
}

int CategoryTree::BinarySearchText(const QString &text, const QStringList &table)
{
    int low = 0;
    int high = int(table.size()) - 1;
    while (low <= high) {
        const int mid = (low + high) / 2;
        const int order = QString::compare(text, table.at(mid), Qt::CaseInsensitive);
        if (order == 0)
            return mid + 1;
        if (order < 0)
            high = mid - 1;
        else
            low = mid + 1;
    }
    return 0;
}

int CategoryTree::NodeKindLetter(const TreeNode *node)
{
    if (!node)
        return 0;
    const QString key = node->Key();
    if (key.startsWith(QLatin1Char('f')))
        return 1;
    if (key.startsWith(QLatin1Char('g')))
        return 2;
    if (key.startsWith(QLatin1Char('p')))
        return 3;
    return 0;
}
