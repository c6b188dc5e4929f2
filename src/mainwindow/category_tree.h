#pragma once
// The category tree of a Sub-Topic: fills a tree control from the edition database, and
// the small routines that find, count, select and expand its nodes afterwards.
//
// Nodes (TreeNodes of the tree):
//   root      a row whose LksUrl holds no "/": text the whole LksUrl, key LksUrl & LksId,
//             empty Tag, pictures 2 / 2 / expanded 1;
//   category  a row whose LksUrl holds a "/": text the last segment, key text & LksId, empty
//             Tag, pictures 2 / 2 / expanded 1; a child of the row whose path is the text
//             before its last "/";
//   link      a Sit row of a category row marked IsLeaf: text SitName, key SitName & the
//             category's LksId, Tag SitUrl, no picture but an expanded picture: the icon of
//             its file type for an existing local file, else 5.
// The root's children are sorted by name; deeper levels stay in row order (LksId) until
// they are expanded.
//
// A row is attached to its parent node directly, never looked up by key: a row whose parent
// path is missing is placed once its parent has been placed (a parent with a larger LksId),
// or left out when there is none; a node whose key is already taken is shown without a key.
// Neither stops the fill.

#include <QElapsedTimer>
#include <QHash>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class QTreeWidget;
class TreeImageList;
class TreeNode;
class cTreeView;

class CategoryTree
{
public:
    // The colour of link nodes that a walk marks (blue, as &H00BBGGRR).
    static constexpr qint32 LinkColour = 0xFF0000;

    struct Result {
        int rows = 0;            // Lks rows of the Sub-Topic
        int categories = 0;      // root and category nodes shown
        int links = 0;           // link nodes shown
        int skippedRows = 0;     // rows left out: no path, or no parent among the rows
        int unkeyedNodes = 0;    // nodes shown without a key because theirs was taken
        bool interrupted = false;   // the tree was emptied or changed by someone else meanwhile
    };

    // wrapper: the tree operations to add nodes through (hooked to tree here); images: the
    // tree's pictures, which file icons are added to.
    CategoryTree(QTreeWidget *tree, cTreeView *wrapper, TreeImageList *images);

    // Called before the first row and then about every intervalMs milliseconds while
    // filling, so that the window stays responsive. When the tree is emptied or changed
    // meanwhile, the fill stops.
    void setYield(std::function<void()> yield, int intervalMs = 40);

    // Empties the tree and fills it with the categories and links of the Sub-Topic. The
    // database connection must be open.
    Result fill(qint32 subTopicId);

    // The picture number of a local file's icon, added to the pictures once per file type
    // (per whole path for .ico, .exe, .dll and .ocx files, which carry their own icon); 0
    // when the file does not exist or is empty. A path without extension answers 5. Files
    // found missing are remembered until the next fill.
    int LoadFileIcon(const QString &path);
    // The picture key of a path: the upper-cased extension, or the whole path upper-cased
    // for files that carry their own icon.
    static QString IconKey(const QString &path);
    // 1 when the text does not contain "http://" (case-sensitive), else 0.
    static int IsLocalPath(const QString &text);

    // ---- Finding, selecting and expanding nodes after a fill ----------------------------
    // Expands the node with that index and its ancestors (the node itself too unless it is
    // a root), then selects it. An index with no node changes nothing.
    static void SelectParentChain(QTreeWidget *tree, qint32 index);
    // Selects the node with that index, scrolls it into view and expands it; nothing when
    // there is no such node.
    static void SelecteerNode(QTreeWidget *tree, qint32 index);
    // Counts node, its subtree and its later siblings with their subtrees: nodes with an
    // empty Tag count as categories while countCategories holds, every other node as a
    // link; countCategories drops at the first node without children. node ends empty.
    static void CheckNode(TreeNode *&node, int &categoryCount, int &linkCount, bool &countCategories);
    // Visits node, its subtree and its later siblings; changes nothing. node ends empty.
    static void WalkTree(TreeNode *&node);
    // Expanded := flag on node, its subtree and its later siblings; every later sibling
    // that is a link turns blue (the first node of each chain is left as it is).
    static void ExpandSubtree(TreeNode *node, bool flag);
    // Expands every node.
    static void ExpandAllNodes(QTreeWidget *tree);
    // "<categories>,<links>" among the children of the selected node (by index from its
    // first to its last child); "0,0" when nothing is selected or it has no children.
    // lastTag receives the Tag of the last node counted.
    static QString FindTreeChildern(QTreeWidget *tree, QString *lastTag);
    // Index of the first node (node itself, then its subtree) whose text contains word
    // (caseSensitivity 0 exact, 1 ignoring case for nodes without children); expands the
    // whole tree when node itself matches. 0 when none.
    static int ExpandNodeByText(TreeNode *node, const QString &word, int caseSensitivity);
    // Expanded := flag on every node, with the tree hidden meanwhile; the selected node is
    // kept in view.
    static void ExpandTreeNodes(QTreeWidget *tree, bool flag);
    // The same for the selected node's branch: its children with children first, then the
    // node.
    static void ExpandSelectedBranch(QTreeWidget *tree, bool flag);
    static void ExpandBranch(TreeNode *node, bool flag);
    static void ExpandNodeByIndex(QTreeWidget *tree, qint32 index);
    static void SelectNodeByIndex(QTreeWidget *tree, qint32 index);
    // Index (1-based) of an entry equal to text in an ascending table; 0 when absent.
    static int BinarySearchText(const QString &text, const QStringList &table);
    // 1, 2 or 3 when the node's key starts with "f", "g" or "p"; else 0.
    static int NodeKindLetter(const TreeNode *node);

private:
    struct Row {
        qint32 id = 0;
        QString path;
        bool hasPath = false;
        bool leaf = false;
    };
    struct Link {
        qint32 categoryId = 0;
        QString name;
        QString url;
    };

    bool readRows(qint32 subTopicId, QVector<Row> *rows, QVector<Link> *links) const;
    // Places one row; false when its parent is not placed (yet).
    bool placeRow(const Row &row, Result &result);
    TreeNode *addNode(TreeNode *parent, const QString &key, const QString &text, int image,
                      const QString &tag, int expandedImage, Result &result);
    // Lets the event loop run when it is time; false when the fill must stop.
    bool maybeYield(bool now = false);

    QPointer<QTreeWidget> m_tree;
    cTreeView *m_wrapper;
    TreeImageList *m_images;
    std::function<void()> m_yield;
    int m_yieldIntervalMs = 40;
    QElapsedTimer m_sinceYield;
    int m_sinceCheck = 0;
    bool m_interrupted = false;

    QHash<QString, TreeNode *> m_nodeByPath;   // trimmed, upper-cased path -> latest row's node
    QHash<qint32, QPair<int, int>> m_linkRange;   // category id -> [first, end) in m_links
    QVector<Link> m_links;
    QSet<QString> m_missingFiles;
};
