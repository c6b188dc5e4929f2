#include "mainwindow/category_tree.h"

#include "mainwindow/tree_image_list.h"
#include "shared/c_tree_view.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/tree_nodes.h"
#include "shared/window_services.h"

#include <QAbstractItemModel>
#include <QMultiHash>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QVariant>
#include <algorithm>
#include <optional>

namespace {

// How many nodes are added between two looks at the clock.
constexpr int NodesPerClockCheck = 128;

QString pathKey(const QString &path)
{
    return path.trimmed().toUpper();
}

// The key of the path before the last "/"; "" for a root.
QString parentKey(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : pathKey(path.left(slash));
}

// An address with a scheme ("https:", "ftp:", "file:", "mailto:" ...) names no file of
// the file system as it stands, so no icon is looked for.
bool hasUrlScheme(const QString &text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 2)
        return false;   // none, or a drive letter
    for (qsizetype i = 0; i < colon; ++i) {
        const char16_t c = text.at(i).unicode();
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && (i == 0 || !other))
            return false;
    }
    return true;
}

} // namespace

CategoryTree::CategoryTree(QTreeWidget *tree, cTreeView *wrapper, TreeImageList *images)
    : m_tree(tree)
    , m_wrapper(wrapper)
    , m_images(images)
{
}

void CategoryTree::setYield(std::function<void()> yield, int intervalMs)
{
    m_yield = std::move(yield);
    m_yieldIntervalMs = intervalMs;
}

bool CategoryTree::maybeYield(bool now)
{
    if (!m_yield)
        return true;
    if (!now) {
        if (m_sinceCheck < NodesPerClockCheck)
            return true;
        m_sinceCheck = 0;
        if (m_sinceYield.isValid() && m_sinceYield.elapsed() < m_yieldIntervalMs)
            return true;
    }
    m_yield();
    m_sinceYield.start();
    return m_tree && !m_interrupted;
}

bool CategoryTree::readRows(qint32 subTopicId, QVector<Row> *rows, QVector<Link> *links) const
{
    QSqlQuery query(DbConnection());
    query.setForwardOnly(true);
    if (!BindAndExec(query, QStringLiteral("SELECT LksId, LksUrl, IsLeaf FROM Lks WHERE TopicId = ? ORDER BY LksId"),
                     {subTopicId}))
        return false;
    while (query.next()) {
        Row row;
        row.id = query.value(0).toInt();
        const QVariant path = query.value(1);
        row.hasPath = !path.isNull();
        row.path = path.toString();
        row.leaf = query.value(2).toLongLong() != 0;
        rows->append(row);
    }

    // The links of every category row marked IsLeaf, each category's in the order they
    // were added to it. The categories are read in id order and each one's links through
    // the index on LksSit, which gives them in the order they were added: the database
    // sorts nothing.
    QSqlQuery linkQuery(DbConnection());
    linkQuery.setForwardOnly(true);
    if (!BindAndExec(linkQuery,
                     QStringLiteral("SELECT LksSit.LksId, CAST(Sit.SitName AS BLOB), CAST(Sit.SitUrl AS BLOB)"
                                    " FROM Lks INNER JOIN LksSit ON Lks.LksId = LksSit.LksId"
                                    " INNER JOIN Sit ON Sit.SitId = LksSit.SitId"
                                    " WHERE Lks.TopicId = ? AND Lks.IsLeaf <> 0 ORDER BY Lks.LksId, LksSit.rowid"),
                     {subTopicId}))
        return false;
    // The texts come as their stored UTF-8 bytes, which convert faster here than in the
    // database.
    while (linkQuery.next())
        links->append({linkQuery.value(0).toInt(), QString::fromUtf8(linkQuery.value(1).toByteArray()),
                       QString::fromUtf8(linkQuery.value(2).toByteArray())});
    return true;
}

CategoryTree::Result CategoryTree::fill(qint32 subTopicId)
{
    Result result;
    if (!m_tree)
        return result;
    TreeNodes *nodes = TreeNodes::of(m_tree);
    nodes->Clear();
    nodes->setImageList(m_images->icons());
    m_nodeByPath.clear();
    m_linkRange.clear();
    m_links.clear();
    m_missingFiles.clear();
    m_interrupted = false;
    m_sinceCheck = 0;
    m_sinceYield.invalidate();

    m_wrapper->HookCtrl(m_tree);
    m_wrapper->setContextMenuMode(1);
    m_wrapper->setDragEnabled(true);

    QVector<Row> rows;
    if (!readRows(subTopicId, &rows, &m_links)) {
        m_links.clear();
        return result;
    }
    result.rows = int(rows.size());
    nodes->reserve(int(rows.size() + m_links.size()));
    for (int i = 0; i < m_links.size(); ++i) {
        auto it = m_linkRange.find(m_links.at(i).categoryId);
        if (it == m_linkRange.end())
            m_linkRange.insert(m_links.at(i).categoryId, {i, i + 1});
        else
            it->second = i + 1;
    }

    // Anything that empties or rearranges the tree while the event loop runs (another
    // Sub-Topic chosen, a command) stops this fill: the nodes held here may be gone.
    QAbstractItemModel *model = m_tree->model();
    const auto stop = [this]() { m_interrupted = true; };
    const QMetaObject::Connection watches[] = {
        QObject::connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, stop),
        QObject::connect(model, &QAbstractItemModel::rowsAboutToBeMoved, stop),
        QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, stop),
    };
    const auto unwatch = qScopeGuard([&watches]() {
        for (const QMetaObject::Connection &watch : watches)
            QObject::disconnect(watch);
    });

    if (!maybeYield(true)) {
        result.interrupted = true;
        return result;
    }

    // The nodes are built outside the tree and enter it in one go (painting is off for the
    // whole fill anyway), so that the view is not told of every node on its own.
    std::optional<TreeNodes::HeldBack> held(std::in_place, m_tree);
    // Rows whose parent has not been placed yet, by the parent's path: placed as soon as
    // it is (a parent with a larger id than its child); left out when it never is.
    QMultiHash<QString, const Row *> waiting;
    for (const Row &row : std::as_const(rows)) {
        if (!row.hasPath) {
            ++result.skippedRows;
            continue;
        }
        if (!placeRow(row, result)) {
            waiting.insert(parentKey(row.path), &row);
        } else if (!waiting.isEmpty()) {
            QStringList placed{pathKey(row.path)};
            while (!placed.isEmpty()) {
                const QString key = placed.takeLast();
                QList<const Row *> children = waiting.values(key);
                waiting.remove(key);
                std::reverse(children.begin(), children.end());   // in row order
                for (const Row *child : std::as_const(children)) {
                    if (placeRow(*child, result))
                        placed.append(pathKey(child->path));
                }
            }
        }
        if (!maybeYield()) {
            result.interrupted = true;
            return result;
        }
    }
    result.skippedRows += int(waiting.size());
    held.reset();

    // The root's children in alphabetical order.
    if (TreeNode *first = nodes->Item(1))
        first->setSorted(true);
    m_nodeByPath.clear();
    return result;
}

bool CategoryTree::placeRow(const Row &row, Result &result)
{
    const QString id = QString::number(row.id);
    const int slash = int(row.path.lastIndexOf(QLatin1Char('/')));
    TreeNode *node = nullptr;
    if (slash < 0) {
        // A root; no links are shown under it, whatever its IsLeaf.
        node = addNode(nullptr, row.path + id, row.path, TreeImageList::ClosedFolder, QString(),
                       TreeImageList::OpenFolder, result);
    } else {
        TreeNode *parent = m_nodeByPath.value(parentKey(row.path), nullptr);
        if (!parent)
            return false;
        const QString name = row.path.mid(slash + 1);
        node = addNode(parent, name + id, name, TreeImageList::ClosedFolder, QString(), TreeImageList::OpenFolder,
                       result);
        if (node && row.leaf) {
            const auto range = m_linkRange.value(row.id, {0, 0});
            for (int i = range.first; i < range.second; ++i) {
                const Link &link = m_links.at(i);
                int expanded = TreeImageList::WebDocument;
                if (IsLocalPath(link.url) == 1) {
                    if (const int icon = LoadFileIcon(link.url))
                        expanded = icon;
                }
                if (addNode(node, link.name + id, link.name, 0, link.url, expanded, result))
                    ++result.links;
            }
        }
    }
    if (!node) {
        ++result.skippedRows;
        return true;   // it cannot be placed at all: do not try again
    }
    ++result.categories;
    m_nodeByPath.insert(pathKey(row.path), node);
    return true;
}

TreeNode *CategoryTree::addNode(TreeNode *parent, const QString &key, const QString &text, int image,
                                const QString &tag, int expandedImage, Result &result)
{
    ++m_sinceCheck;   // the fill loop yields between rows, never inside one
    try {
        return m_wrapper->NodeAdd(parent, tvwChild, key, text, image, image, tag, false, false, false, false, 0, 0,
                                  expandedImage);
    } catch (const TreeNodeError &error) {
        if (error.number() != TreeNodeError::KeyNotUnique)
            return nullptr;
    }
    // Two names that read the same once their ids are appended, or two links of one name:
    // the node is shown all the same, without a key.
    try {
        TreeNode *node = m_wrapper->NodeAdd(parent, tvwChild, QString(), text, image, image, tag, false, false,
                                            false, false, 0, 0, expandedImage);
        ++result.unkeyedNodes;
        return node;
    } catch (const TreeNodeError &) {
        return nullptr;
    }
}

int CategoryTree::IsLocalPath(const QString &text)
{
    return text.contains(QStringLiteral("http://")) ? 0 : 1;
}

QString CategoryTree::IconKey(const QString &path)
{
    const int dot = int(path.lastIndexOf(QLatin1Char('.')));
    const QString ext = dot < 0 ? QString() : path.mid(dot + 1).toUpper();
    if (ext == QLatin1String("ICO") || ext == QLatin1String("EXE") || ext == QLatin1String("DLL")
        || ext == QLatin1String("OCX"))
        return path.toUpper();
    return ext;
}

int CategoryTree::LoadFileIcon(const QString &path)
{
    const QString key = IconKey(path);
    if (const int found = m_images->find(key))
        return found;
    if (hasUrlScheme(path) || m_missingFiles.contains(path))
        return 0;
    if (!FileExistsNonEmpty(path)) {
        m_missingFiles.insert(path);
        return 0;
    }
    const QIcon icon = GetFileIcon(path.trimmed(), 1);
    const int number = m_images->add(key, icon, GetFileTypeName(path.trimmed()));
    if (m_tree) {
        TreeNodes *nodes = TreeNodes::of(m_tree);
        if (nodes->imageList().size() == number - 1)
            nodes->addImage(icon);
        else
            nodes->setImageList(m_images->icons());
    }
    return number;
}
