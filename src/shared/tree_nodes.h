#pragma once
// The node collection of a tree control (a QTreeWidget): nodes with a 1-based Index in the
// order they were added (independent of the order they are shown in), an optional unique
// Key, a Tag, three pictures from the tree's image list, and a FullPath of the texts from
// the root down joined by "\".
//
// TreeNodes::of(tree) gives the collection of a tree; it lives as long as the tree. Nodes
// are TreeNode items made by TreeNodes::Add. Removing items behind the collection's back
// (QTreeWidget::clear, delete) keeps it in step: Index and Count then count what is left.

#include <QColor>
#include <QIcon>
#include <QList>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTreeWidgetItem>
#include <QVector>
#include <stdexcept>

class QTreeWidget;
class TreeNodes;

// How a new node stands to its relative.
enum TreeRelationship : int {
    tvwFirst = 0,     // first sibling of the relative
    tvwLast = 1,      // last sibling of the relative
    tvwNext = 2,      // right after the relative
    tvwPrevious = 3,  // right before the relative
    tvwChild = 4,     // last child of the relative
};

// System colours in the classic colour numbering; plain colours are &H00BBGGRR.
constexpr qint32 vbWindowText = qint32(0x80000008u);
constexpr qint32 vbWindowBackground = qint32(0x80000005u);

// An error of the tree control, with its number, source and description.
class TreeNodeError : public std::runtime_error
{
public:
    TreeNodeError(int number, const QString &source, const QString &description);
    int number() const { return m_number; }
    QString source() const { return m_source; }
    QString description() const { return m_description; }

    static constexpr int ElementNotFound = 35601;   // "Element not found"
    static constexpr int KeyNotUnique = 35602;      // "Key is not unique in collection"
    static constexpr int InvalidObject = 35605;     // "Control has been deleted" / no node

private:
    int m_number;
    QString m_source;
    QString m_description;
};

class TreeNode : public QTreeWidgetItem
{
public:
    static constexpr int ItemType = QTreeWidgetItem::UserType + 0x51;
    ~TreeNode() override;

    // The node behind a tree item, or nullptr for an item that is not one of ours.
    static TreeNode *from(QTreeWidgetItem *item);

    int Index() const;                    // 1-based position in the collection; 0 when removed
    QString Key() const { return m_key; }
    QString Text() const;
    void setText(const QString &text);
    QString Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }
    QString FullPath() const;             // texts from the root down, joined by "\"

    TreeNode *Parent() const;             // nullptr for a root
    TreeNode *Child() const;              // first child
    TreeNode *Next() const;               // next sibling
    TreeNode *Previous() const;
    TreeNode *FirstSibling() const;
    TreeNode *LastSibling() const;
    int Children() const { return childCount(); }

    // Expanded also holds for a node without children (it then shows its ExpandedImage).
    bool Expanded() const { return m_expanded; }
    void setExpanded(bool expanded);
    bool Selected() const;
    void setSelected(bool selected);      // true: becomes the tree's selected item
    void EnsureVisible();                 // expands the ancestors and scrolls to the node
    bool Checked() const { return m_checked; }
    void setChecked(bool checked) { m_checked = checked; }

    // Pictures: 1-based indexes into the tree's image list, 0 for none. Shown: the
    // ExpandedImage while expanded, else the SelectedImage while selected, else the Image.
    int Image() const { return m_image; }
    void setImage(int image);
    int SelectedImage() const { return m_selectedImage; }
    void setSelectedImage(int image);
    int ExpandedImage() const { return m_expandedImage; }
    void setExpandedImage(int image);

    // Colours as &H00BBGGRR, or vbWindowText / vbWindowBackground for the system colours.
    void setForeColor(qint32 colour);
    void setBackColor(qint32 colour);
    QColor ForeColor() const;   // invalid while the system colour is used
    QColor BackColor() const;

    // Sorted: the children are kept in alphabetical order (without regard to case); setting
    // it sorts them at once, and later children are added in order.
    bool Sorted() const { return m_sorted; }
    void setSorted(bool sorted);

    void updatePicture();                 // shows the picture the state calls for
    void refreshPicture();                // the same after the image list changed

    // Order of Sorted: by text, without regard to case.
    bool operator<(const QTreeWidgetItem &other) const override;

private:
    friend class TreeNodes;
    TreeNode() : QTreeWidgetItem(ItemType) {}

    // Its row among its siblings, looked up from the last row found (rows are checked, so
    // a stale hint costs one look-up as before).
    int row() const;
    QTreeWidgetItem *siblingAt(int offset, bool absolute) const;
    void setColourRole(int role, qint32 colour);
    // Sets what the row shows; quietly while the collection's QuietChanges lives.
    void setShownData(int role, const QVariant &value);

    QPointer<TreeNodes> m_owner;
    int m_slot = -1;
    mutable int m_rowHint = -1;
    QString m_key;
    QString m_tag;
    int m_image = 0;
    int m_selectedImage = 0;
    int m_expandedImage = 0;
    int m_shownImage = 0;      // the picture number on show
    bool m_expanded = false;
    bool m_checked = false;
    bool m_sorted = false;
};

class TreeNodes : public QObject
{
    Q_OBJECT
public:
    // The collection of a tree, made on first use.
    static TreeNodes *of(QTreeWidget *tree);

    QTreeWidget *tree() const { return m_tree; }

    // Adds a node. relative: a node, or (second form) the key of one; none (nullptr or "")
    // adds a root at the end. Throws TreeNodeError for a key that is already used and for
    // a relative key that names no node; nothing is added then.
    TreeNode *Add(QTreeWidgetItem *relative, int relationship, const QString &key,
                  const QString &text, int image = 0, int selectedImage = 0);
    TreeNode *Add(const QString &relativeKey, int relationship, const QString &key,
                  const QString &text, int image = 0, int selectedImage = 0);
    // Removes a node with its subtree.
    void Remove(QTreeWidgetItem *node);
    void Clear();
    // Makes node a child of newParent (the last one, or in order under a sorted parent);
    // a null newParent makes it a root. Keeps its Index. Refused (false) when newParent is
    // the node itself or lies below it.
    bool Move(TreeNode *node, TreeNode *newParent);

    // Room for count more nodes, so that adding them moves nothing.
    void reserve(int count);
    int Count() const;
    TreeNode *Item(int index) const;              // 1-based; nullptr when out of range
    TreeNode *Item(const QString &key) const;     // nullptr when no node has that key
    QList<TreeNode *> All() const;                // in Index order

    // While one lives, roots added at the end are held back from the tree, and the nodes
    // added below them are built up outside it, unseen and unannounced to the view; they
    // all enter the tree in one go when the last one ends (or when a node is added next to
    // a held root). Clear() drops held roots too.
    class HeldBack
    {
    public:
        explicit HeldBack(QTreeWidget *tree);
        ~HeldBack();
        HeldBack(const HeldBack &) = delete;
        HeldBack &operator=(const HeldBack &) = delete;

    private:
        QPointer<TreeNodes> m_nodes;
    };

    // While one lives, the pictures and colours nodes of the tree take are not announced
    // to the view row by row: the tree is repainted once when the last one ends. Meant for
    // rows just brought into view, whose heights the view has yet to measure, such as the
    // children of a node being expanded.
    class QuietChanges
    {
    public:
        explicit QuietChanges(QTreeWidget *tree);
        ~QuietChanges();
        QuietChanges(const QuietChanges &) = delete;
        QuietChanges &operator=(const QuietChanges &) = delete;

    private:
        QPointer<TreeNodes> m_nodes;
    };

    // The pictures the nodes' image numbers refer to (number 1 is the first).
    void setImageList(const QList<QIcon> &images);
    QList<QIcon> imageList() const { return m_images; }
    int addImage(const QIcon &icon);              // answers its number
    QIcon image(int number) const;

private:
    friend class TreeNode;
    explicit TreeNodes(QTreeWidget *tree);
    ~TreeNodes() override;
    bool isHeld(QTreeWidgetItem *item) const;   // a node built outside the tree for now
    void releaseHeldRoots();
    void forget(TreeNode *node);
    void compact() const;
    void insertInto(QTreeWidgetItem *parent, int position, TreeNode *node);
    static int sortedPosition(QTreeWidgetItem *parent, const QString &text);

    QTreeWidget *m_tree;
    mutable QVector<TreeNode *> m_nodes;     // by slot; nullptr where a node was removed
    mutable int m_holes = 0;
    // Nodes with a key by the key's hash (the keys themselves live in the nodes); a node
    // whose key's hash another key already has goes to m_byKeyMore.
    QHash<size_t, TreeNode *> m_byKey;
    QMultiHash<size_t, TreeNode *> m_byKeyMore;
    TreeNode *findKey(const QString &key, size_t keyHash) const;
    void addKey(size_t keyHash, TreeNode *node);
    void removeKey(size_t keyHash, TreeNode *node);
    bool m_heldExpanded = false;   // a node outside the tree was opened
    QList<QIcon> m_images;
    int m_holding = 0;             // HeldBack alive
    QList<TreeNode *> m_heldRoots; // roots waiting to enter the tree, in order
    int m_quiet = 0;               // QuietChanges alive
    bool m_quietChanges = false;   // a node changed meanwhile
};
