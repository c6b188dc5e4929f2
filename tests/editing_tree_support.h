#pragma once
// Helpers of the tests that work on the main window's category tree: the main window on a
// chosen Sub-Topic, finding, pressing, right-clicking and dropping onto tree nodes as the
// user does, and the edition's rows checked after an edit.

#include "form1_support.h"
#include "testhelper.h"

#include "mainwindow/form1.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "shared/tree_nodes.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

namespace EditingTest {

using namespace Form1Test;

// The tree node with that full path ("\" between the names), or nullptr.
inline TreeNode *nodeAt(Form1 *form, const QString &fullPath)
{
    const QList<TreeNode *> all = TreeNodes::of(form->TvwBestell)->All();
    for (TreeNode *node : all)
        if (node->FullPath() == fullPath)
            return node;
    return nullptr;
}

// The full paths of a tree's nodes, in Index order.
inline QStringList nodePaths(QTreeWidget *tree)
{
    QStringList paths;
    const QList<TreeNode *> all = TreeNodes::of(tree)->All();
    for (TreeNode *node : all)
        paths.append(node->FullPath());
    return paths;
}

// The centre of the node, scrolled into view.
inline QPoint nodePoint(Form1 *form, TreeNode *node)
{
    node->EnsureVisible();
    QCoreApplication::processEvents();
    return form->TvwBestell->visualItemRect(node).center();
}

// The same for the node of that index; (-1, -1) when there is none.
inline QPoint nodePoint(Form1 *form, int index)
{
    TreeNode *node = TreeNodes::of(form->TvwBestell)->Item(index);
    return node ? nodePoint(form, node) : QPoint(-1, -1);
}

// A left press on the node.
inline void press(Form1 *form, TreeNode *node)
{
    const QPoint p = nodePoint(form, node);
    form->TvwBestell_MouseDown(1, 0, p.x(), p.y());
}

// While this lives, a popup menu that shows is handed to onShown (when given) and closed
// again without a choice.
class PopupCloser
{
public:
    explicit PopupCloser(std::function<void(QWidget *)> onShown = {})
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this, onShown = std::move(onShown)]() {
            if (QWidget *menu = QApplication::activePopupWidget()) {
                m_timer.stop();
                if (onShown)
                    onShown(menu);
                menu->close();
            }
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
};

// A right click on the node: press and release; the popup menu that shows is closed again
// without a choice (the test then runs the command's handler).
inline void rightClick(Form1 *form, TreeNode *node)
{
    const QPoint p = nodePoint(form, node);
    form->TvwBestell_MouseDown(2, 0, p.x(), p.y());
    PopupCloser closer;
    form->TvwBestell_MouseUp(2, 0, p.x(), p.y());
    QCoreApplication::processEvents();
}

// Drops data on the tree at the node (nullptr: on empty space below the nodes).
inline void dropOn(Form1 *form, TreeNode *node, QMimeData *data)
{
    const QPoint at = node ? nodePoint(form, node) : QPoint(5, form->TvwBestell->viewport()->height() - 2);
    // The drag enters the tree (which makes the tree the drop target), then drops.
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->TvwBestell->viewport(), &enter);
    QDropEvent event(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->TvwBestell->viewport(), &event);
    delete data;
}

// LksSit rows whose category is gone, and Sit rows no category holds.
inline qint64 orphanLinks()
{
    return QueryCount(QStringLiteral("SELECT count(*) FROM LksSit WHERE LksId NOT IN (SELECT LksId FROM Lks)"))
        + QueryCount(QStringLiteral("SELECT count(*) FROM Sit WHERE SitId NOT IN (SELECT SitId FROM LksSit)"));
}

} // namespace EditingTest
