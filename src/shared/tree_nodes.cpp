#include "shared/tree_nodes.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>

namespace {

const QString TreeSource = QStringLiteral("TreeView");

bool textLess(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

// A plain colour &H00BBGGRR, or an invalid colour for the system colours.
QColor colourFromNumber(qint32 colour)
{
    if (quint32(colour) & 0x80000000u)
        return QColor();
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

// The view forgets the expanded state of items taken out and put back: give it back.
void reapplyExpanded(QTreeWidgetItem *item)
{
    if (TreeNode *node = TreeNode::from(item)) {
        if (node->Expanded() && item->childCount() > 0)
            item->setExpanded(true);
    }
    for (int i = 0; i < item->childCount(); ++i)
        reapplyExpanded(item->child(i));
}

} // namespace

TreeNodeError::TreeNodeError(int number, const QString &source, const QString &description)
    : std::runtime_error(description.toStdString())
    , m_number(number)
    , m_source(source)
    , m_description(description)
{
}

// ---- TreeNode ------------------------------------------------------------------------------

TreeNode::~TreeNode()
{
    if (m_owner)
        m_owner->forget(this);
}

TreeNode *TreeNode::from(QTreeWidgetItem *item)
{
    return item && item->type() == ItemType ? static_cast<TreeNode *>(item) : nullptr;
}

int TreeNode::Index() const
{
    if (!m_owner || m_slot < 0)
        return 0;
    m_owner->compact();
    return m_slot + 1;
}

QString TreeNode::Text() const
{
    return text(0);
}

void TreeNode::setText(const QString &text)
{
    QTreeWidgetItem::setText(0, text);
}

QString TreeNode::FullPath() const
{
    QStringList parts{text(0)};
    for (const QTreeWidgetItem *p = parent(); p; p = p->parent())
        parts.prepend(p->text(0));
    return parts.join(QLatin1Char('\\'));
}

TreeNode *TreeNode::Parent() const
{
    return from(parent());
}

TreeNode *TreeNode::Child() const
{
    return childCount() > 0 ? from(child(0)) : nullptr;
}

int TreeNode::row() const
{
    QTreeWidgetItem *p = parent();
    QTreeWidget *tree = treeWidget();
    auto *self = const_cast<TreeNode *>(this);
    const int hint = m_rowHint;
    if (hint >= 0 && (p ? p->child(hint) : (tree ? tree->topLevelItem(hint) : nullptr)) == self)
        return hint;
    m_rowHint = p ? p->indexOfChild(self) : (tree ? tree->indexOfTopLevelItem(self) : -1);
    return m_rowHint;
}

QTreeWidgetItem *TreeNode::siblingAt(int offset, bool absolute) const
{
    QTreeWidgetItem *p = parent();
    QTreeWidget *tree = treeWidget();
    const int count = p ? p->childCount() : (tree ? tree->topLevelItemCount() : 0);
    if (count == 0)
        return nullptr;
    int row = 0;
    if (absolute) {
        row = offset < 0 ? count - 1 : 0;
    } else {
        const int own = this->row();
        if (own < 0)
            return nullptr;
        row = own + offset;
    }
    if (row < 0 || row >= count)
        return nullptr;
    QTreeWidgetItem *sibling = p ? p->child(row) : tree->topLevelItem(row);
    // A walk along the siblings finds the next one's row at once.
    if (TreeNode *node = from(sibling); node && !absolute)
        node->m_rowHint = row;
    return sibling;
}

TreeNode *TreeNode::Next() const
{
    return from(siblingAt(1, false));
}

TreeNode *TreeNode::Previous() const
{
    return from(siblingAt(-1, false));
}

TreeNode *TreeNode::FirstSibling() const
{
    return from(siblingAt(0, true));
}

TreeNode *TreeNode::LastSibling() const
{
    return from(siblingAt(-1, true));
}

void TreeNode::setExpanded(bool expanded)
{
    const bool changed = m_expanded != expanded;
    m_expanded = expanded;
    if (expanded && m_owner && !treeWidget())
        m_owner->m_heldExpanded = true;   // the view learns it once the node is in the tree
    // A node without children is open only in its picture: the view keeps no state for
    // it until it gets a child (TreeNodes::insertInto hands the state over then).
    // The view is asked only when something may change: a node that stays closed is closed
    // in the view too.
    if (treeWidget() && (expanded ? childCount() > 0 : changed) && isExpanded() != expanded)
        QTreeWidgetItem::setExpanded(expanded);
    if (changed)
        updatePicture();
}

bool TreeNode::Selected() const
{
    return isSelected();
}

void TreeNode::setSelected(bool selected)
{
    if (selected) {
        if (QTreeWidget *tree = treeWidget())
            tree->setCurrentItem(this);
        else
            QTreeWidgetItem::setSelected(true);
    } else if (isSelected()) {
        QTreeWidgetItem::setSelected(false);
    } else {
        return;
    }
    updatePicture();
}

void TreeNode::EnsureVisible()
{
    for (QTreeWidgetItem *p = parent(); p; p = p->parent()) {
        if (TreeNode *node = from(p))
            node->setExpanded(true);
        else
            p->setExpanded(true);
    }
    if (QTreeWidget *tree = treeWidget())
        tree->scrollToItem(this);
}

void TreeNode::setImage(int image)
{
    m_image = image;
    updatePicture();
}

void TreeNode::setSelectedImage(int image)
{
    m_selectedImage = image;
    updatePicture();
}

void TreeNode::setExpandedImage(int image)
{
    m_expandedImage = image;
    updatePicture();
}

void TreeNode::setForeColor(qint32 colour)
{
    setColourRole(Qt::ForegroundRole, colour);
}

void TreeNode::setBackColor(qint32 colour)
{
    setColourRole(Qt::BackgroundRole, colour);
}

void TreeNode::setColourRole(int role, qint32 colour)
{
    const QColor c = colourFromNumber(colour);
    if (c.isValid())
        setShownData(role, QBrush(c));
    else if (data(0, role).isValid())
        setShownData(role, QVariant());   // follows the palette
}

void TreeNode::setShownData(int role, const QVariant &value)
{
    QTreeWidget *tree = treeWidget();
    if (!tree || !m_owner || m_owner->m_quiet == 0) {
        setData(0, role, value);
        return;
    }
    QAbstractItemModel *model = tree->model();
    const bool blocked = model->blockSignals(true);
    setData(0, role, value);
    model->blockSignals(blocked);
    m_owner->m_quietChanges = true;
}

QColor TreeNode::ForeColor() const
{
    const QVariant v = data(0, Qt::ForegroundRole);
    return v.isValid() ? v.value<QBrush>().color() : QColor();
}

QColor TreeNode::BackColor() const
{
    const QVariant v = data(0, Qt::BackgroundRole);
    return v.isValid() ? v.value<QBrush>().color() : QColor();
}

void TreeNode::setSorted(bool sorted)
{
    m_sorted = sorted;
    if (!sorted || childCount() < 2)
        return;
    // Sort stably by text without regard to case; the view keeps expansion and selection.
    QList<QTreeWidgetItem *> children;
    for (int i = 0; i < childCount(); ++i)
        children.append(child(i));
    if (std::is_sorted(children.begin(), children.end(),
                       [](QTreeWidgetItem *a, QTreeWidgetItem *b) { return textLess(a->text(0), b->text(0)); }))
        return;
    sortChildren(0, Qt::AscendingOrder);
}

bool TreeNode::operator<(const QTreeWidgetItem &other) const
{
    return textLess(text(0), other.text(0));
}

void TreeNode::updatePicture()
{
    int number = m_image;
    if (m_expanded && m_expandedImage > 0)
        number = m_expandedImage;
    else if (m_selectedImage > 0 && isSelected())
        number = m_selectedImage;
    if (number == m_shownImage)
        return;
    m_shownImage = number;
    setShownData(Qt::DecorationRole, m_owner && number > 0 ? m_owner->image(number) : QIcon());
}

void TreeNode::refreshPicture()
{
    m_shownImage = -1;
    updatePicture();
}

// ---- TreeNodes -----------------------------------------------------------------------------

TreeNodes *TreeNodes::of(QTreeWidget *tree)
{
    if (!tree)
        return nullptr;
    if (auto *existing = tree->findChild<TreeNodes *>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new TreeNodes(tree);
}

TreeNodes::TreeNodes(QTreeWidget *tree)
    : QObject(tree)
    , m_tree(tree)
{
    connect(tree, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem *item) {
        if (TreeNode *node = TreeNode::from(item)) {
            node->m_expanded = true;
            node->updatePicture();
        }
    });
    connect(tree, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem *item) {
        if (TreeNode *node = TreeNode::from(item)) {
            node->m_expanded = false;
            node->updatePicture();
        }
    });
    connect(tree, &QTreeWidget::currentItemChanged, this,
            [](QTreeWidgetItem *current, QTreeWidgetItem *previous) {
                if (TreeNode *node = TreeNode::from(previous))
                    node->updatePicture();
                if (TreeNode *node = TreeNode::from(current))
                    node->updatePicture();
            });
}

TreeNode *TreeNodes::Add(const QString &relativeKey, int relationship, const QString &key, const QString &text,
                         int image, int selectedImage)
{
    QTreeWidgetItem *relative = nullptr;
    if (!relativeKey.isEmpty()) {
        relative = Item(relativeKey);
        if (!relative)
            throw TreeNodeError(TreeNodeError::ElementNotFound, TreeSource, QStringLiteral("Element not found"));
    }
    return Add(relative, relationship, key, text, image, selectedImage);
}

TreeNode *TreeNodes::Add(QTreeWidgetItem *relative, int relationship, const QString &key, const QString &text,
                         int image, int selectedImage)
{
    const size_t keyHash = qHash(key);
    if (!key.isEmpty() && findKey(key, keyHash))
        throw TreeNodeError(TreeNodeError::KeyNotUnique, TreeSource, QStringLiteral("Key is not unique in collection"));
    if (relative && relative->treeWidget() != m_tree && !isHeld(relative))
        throw TreeNodeError(TreeNodeError::ElementNotFound, TreeSource, QStringLiteral("Element not found"));
    // A sibling of a root held back: the held roots take their places first.
    if (relative && !relative->treeWidget() && relationship != tvwChild)
        releaseHeldRoots();

    QTreeWidgetItem *parent = nullptr;
    int position = 0;
    if (!relative) {
        position = m_tree->topLevelItemCount();
    } else {
        // The relative's row is looked up only where it counts: a lookup is a walk over
        // its siblings.
        QTreeWidgetItem *relParent = relative->parent();
        const auto count = [&] { return relParent ? relParent->childCount() : m_tree->topLevelItemCount(); };
        const auto relRow = [&] {
            return relParent ? relParent->indexOfChild(relative) : m_tree->indexOfTopLevelItem(relative);
        };
        switch (relationship) {
        case tvwChild: {
            parent = relative;
            const TreeNode *relNode = TreeNode::from(relative);
            position = relNode && relNode->m_sorted ? sortedPosition(relative, text) : relative->childCount();
            break;
        }
        case tvwFirst:
            parent = relParent;
            position = 0;
            break;
        case tvwLast:
            parent = relParent;
            position = count();
            break;
        case tvwNext:
            parent = relParent;
            position = relRow() + 1;
            break;
        case tvwPrevious:
            parent = relParent;
            position = relRow();
            break;
        default:
            throw TreeNodeError(380, TreeSource, QStringLiteral("Invalid property value"));
        }
    }

    auto *node = new TreeNode;
    node->QTreeWidgetItem::setText(0, text);
    node->m_key = key;
    node->m_image = image;
    node->m_selectedImage = selectedImage;
    node->m_owner = this;
    node->m_slot = int(m_nodes.size());
    m_nodes.append(node);
    if (!key.isEmpty())
        addKey(keyHash, node);
    insertInto(parent, position, node);
    node->updatePicture();
    return node;
}

void TreeNodes::insertInto(QTreeWidgetItem *parent, int position, TreeNode *node)
{
    if (!parent) {
        if (m_holding > 0 && position == m_tree->topLevelItemCount())
            m_heldRoots.append(node);
        else
            m_tree->insertTopLevelItem(position, node);
        return;
    }
    parent->insertChild(position, node);
    // An open node that had no children shows its first one.
    if (const TreeNode *above = TreeNode::from(parent); above && above->m_expanded && parent->childCount() == 1)
        parent->setExpanded(true);
}

bool TreeNodes::isHeld(QTreeWidgetItem *item) const
{
    const TreeNode *node = TreeNode::from(item);
    return node && !item->treeWidget() && node->m_owner == this && node->m_slot >= 0;
}

void TreeNodes::releaseHeldRoots()
{
    if (m_heldRoots.isEmpty())
        return;
    const QList<QTreeWidgetItem *> roots(m_heldRoots.begin(), m_heldRoots.end());
    m_heldRoots.clear();
    m_tree->addTopLevelItems(roots);
    if (m_heldExpanded) {
        for (QTreeWidgetItem *root : roots)
            reapplyExpanded(root);
    }
    m_heldExpanded = false;
}

TreeNodes::~TreeNodes()
{
    const QList<TreeNode *> held = m_heldRoots;
    m_heldRoots.clear();
    qDeleteAll(held);
}

TreeNodes::HeldBack::HeldBack(QTreeWidget *tree)
    : m_nodes(TreeNodes::of(tree))
{
    if (m_nodes)
        ++m_nodes->m_holding;
}

TreeNodes::HeldBack::~HeldBack()
{
    if (m_nodes && --m_nodes->m_holding == 0)
        m_nodes->releaseHeldRoots();
}

TreeNodes::QuietChanges::QuietChanges(QTreeWidget *tree)
    : m_nodes(TreeNodes::of(tree))
{
    if (m_nodes)
        ++m_nodes->m_quiet;
}

TreeNodes::QuietChanges::~QuietChanges()
{
    if (!m_nodes || --m_nodes->m_quiet > 0 || !m_nodes->m_quietChanges)
        return;
    m_nodes->m_quietChanges = false;
    m_nodes->m_tree->viewport()->update();
}

int TreeNodes::sortedPosition(QTreeWidgetItem *parent, const QString &text)
{
    int low = 0;
    int high = parent->childCount();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (textLess(text, parent->child(mid)->text(0)))
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

void TreeNodes::Remove(QTreeWidgetItem *node)
{
    delete node;   // takes itself out of the tree; the collection forgets it and its subtree
}

void TreeNodes::Clear()
{
    // Every node goes: detach them first, so that none forgets itself one key at a time.
    for (TreeNode *node : std::as_const(m_nodes))
        if (node)
            node->m_owner = nullptr;
    const QList<TreeNode *> held = m_heldRoots;
    m_heldRoots.clear();
    qDeleteAll(held);
    m_tree->clear();
    m_nodes.clear();
    m_holes = 0;
    m_byKey.clear();
    m_byKeyMore.clear();
}

bool TreeNodes::Move(TreeNode *node, TreeNode *newParent)
{
    if (!node || node->treeWidget() != m_tree || (newParent && newParent->treeWidget() != m_tree))
        return false;
    for (QTreeWidgetItem *p = newParent; p; p = p->parent()) {
        if (p == node)
            return false;
    }
    const bool wasCurrent = m_tree->currentItem() == node;
    if (QTreeWidgetItem *oldParent = node->parent())
        oldParent->removeChild(node);
    else
        m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(node));
    if (newParent) {
        const int position = newParent->m_sorted ? sortedPosition(newParent, node->text(0)) : newParent->childCount();
        newParent->insertChild(position, node);
    } else {
        m_tree->addTopLevelItem(node);
    }
    reapplyExpanded(node);
    if (wasCurrent)
        m_tree->setCurrentItem(node);
    return true;
}

void TreeNodes::forget(TreeNode *node)
{
    if (!m_heldRoots.isEmpty() && !node->parent())
        m_heldRoots.removeOne(node);
    if (node->m_slot >= 0 && node->m_slot < m_nodes.size() && m_nodes[node->m_slot] == node) {
        m_nodes[node->m_slot] = nullptr;
        ++m_holes;
    }
    if (!node->m_key.isEmpty()) {
        removeKey(qHash(node->m_key), node);
    }
    node->m_slot = -1;
}

void TreeNodes::compact() const
{
    if (m_holes == 0)
        return;
    QVector<TreeNode *> kept;
    kept.reserve(m_nodes.size() - m_holes);
    for (TreeNode *node : std::as_const(m_nodes)) {
        if (node) {
            node->m_slot = int(kept.size());
            kept.append(node);
        }
    }
    m_nodes = kept;
    m_holes = 0;
}

void TreeNodes::reserve(int count)
{
    m_nodes.reserve(m_nodes.size() + count);
    m_byKey.reserve(m_byKey.size() + count);
}

int TreeNodes::Count() const
{
    return int(m_nodes.size()) - m_holes;
}

TreeNode *TreeNodes::Item(int index) const
{
    compact();
    if (index < 1 || index > m_nodes.size())
        return nullptr;
    return m_nodes[index - 1];
}

TreeNode *TreeNodes::Item(const QString &key) const
{
    return key.isEmpty() ? nullptr : findKey(key, qHash(key));
}

TreeNode *TreeNodes::findKey(const QString &key, size_t keyHash) const
{
    TreeNode *first = m_byKey.value(keyHash, nullptr);
    if (!first || first->m_key == key)
        return first;
    for (auto it = m_byKeyMore.constFind(keyHash); it != m_byKeyMore.cend() && it.key() == keyHash; ++it) {
        if (it.value()->m_key == key)
            return it.value();
    }
    return nullptr;
}

void TreeNodes::addKey(size_t keyHash, TreeNode *node)
{
    TreeNode *&first = m_byKey[keyHash];
    if (first)
        m_byKeyMore.insert(keyHash, node);   // another key with the same hash
    else
        first = node;
}

void TreeNodes::removeKey(size_t keyHash, TreeNode *node)
{
    auto first = m_byKey.find(keyHash);
    if (first == m_byKey.end())
        return;
    auto more = m_byKeyMore.find(keyHash);
    if (first.value() == node) {
        if (more != m_byKeyMore.end()) {
            first.value() = more.value();
            m_byKeyMore.erase(more);
        } else {
            m_byKey.erase(first);
        }
        return;
    }
    for (; more != m_byKeyMore.end() && more.key() == keyHash; ++more) {
        if (more.value() == node) {
            m_byKeyMore.erase(more);
            return;
        }
    }
}

QList<TreeNode *> TreeNodes::All() const
{
    compact();
    return QList<TreeNode *>(m_nodes.begin(), m_nodes.end());
}

void TreeNodes::setImageList(const QList<QIcon> &images)
{
    m_images = images;
    for (TreeNode *node : All())
        node->refreshPicture();
}

int TreeNodes::addImage(const QIcon &icon)
{
    m_images.append(icon);
    return int(m_images.size());
}

QIcon TreeNodes::image(int number) const
{
    if (number < 1 || number > m_images.size())
        return QIcon();
    return m_images[number - 1];
}
