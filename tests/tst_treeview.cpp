// The tree control's node collection and the tree wrapper: adding, relations, moving,
// renaming, deleting, finding, and the events made from the mouse.

#include "shared/c_tree_view.h"
#include "shared/tree_nodes.h"

#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <memory>

namespace {

// root "Sport" with categories Europe and Asia; Europe holds France (with a link) and Italy.
struct Fixture {
    QTreeWidget tree;
    cTreeView wrapper;
    TreeNode *root = nullptr;
    TreeNode *europe = nullptr;
    TreeNode *asia = nullptr;
    TreeNode *france = nullptr;
    TreeNode *italy = nullptr;
    TreeNode *link = nullptr;

    Fixture()
    {
        tree.resize(300, 400);
        wrapper.HookCtrl(&tree);
        root = wrapper.NodeAdd(QString(), tvwChild, "Sport1", "Sport", 2, 2);
        europe = wrapper.NodeAdd("Sport1", tvwChild, "Europe2", "Europe", 2, 2);
        asia = wrapper.NodeAdd("Sport1", tvwChild, "Asia3", "Asia", 2, 2);
        france = wrapper.NodeAdd("Europe2", tvwChild, "France4", "France", 2, 2);
        italy = wrapper.NodeAdd("Europe2", tvwChild, "Italy5", "Italy", 2, 2);
        link = wrapper.NodeAdd("France4", tvwChild, "Tour4", "Tour", 0, 0, "http://tour.example/", false, false,
                               false, false, 0, 0, 5);
    }
};

QPoint centreOf(QTreeWidget &tree, QTreeWidgetItem *item)
{
    return tree.visualItemRect(item).center();
}

} // namespace

class TestTreeView : public QObject
{
    Q_OBJECT
private slots:
    void nodeAddBuildsTheCollection();
    void nodeAddRefusesBadKeys();
    void removalKeepsCollectionInStep();
    void relations();
    void nodeMove();
    void nodeRenameDeleteFind();
    void sortedChildren();
    void pictures();
    void heldBackNodes();
    void redraw();
    void contextMenuEvents();
    void clickAndUnhook();
};

void TestTreeView::nodeAddBuildsTheCollection()
{
    Fixture f;
    TreeNodes *nodes = TreeNodes::of(&f.tree);
    QCOMPARE(nodes->Count(), 6);
    QCOMPARE(nodes->Item(1), f.root);
    QCOMPARE(nodes->Item(7), nullptr);
    QCOMPARE(nodes->Item("Italy5"), f.italy);
    QCOMPARE(f.italy->Index(), 5);
    QCOMPARE(f.root->FullPath(), QString("Sport"));
    QCOMPARE(f.link->FullPath(), QString("Sport\\Europe\\France\\Tour"));
    QCOMPARE(f.link->Tag(), QString("http://tour.example/"));
    QCOMPARE(f.france->Next(), f.italy);
    // Defaults: not expanded, not selected, system colours.
    QVERIFY(!f.europe->Expanded());
    QVERIFY(!f.europe->ForeColor().isValid());

    TreeNode *blue = f.wrapper.NodeAdd(f.asia, tvwChild, "Tokyo6", "Tokyo", 0, 0, "x", true, true, true, true,
                                       0xFF0000, 0);
    QCOMPARE(blue->ForeColor(), QColor(0, 0, 255));   // &H00BBGGRR
    QVERIFY(blue->Checked());
    QVERIFY(blue->Expanded());
    QVERIFY(blue->Selected());
    QVERIFY(f.asia->Expanded());   // made visible
}

void TestTreeView::nodeAddRefusesBadKeys()
{
    Fixture f;
    try {
        f.wrapper.NodeAdd("Sport1", tvwChild, "Europe2", "Europe again");
        QFAIL("a duplicate key was accepted");
    } catch (const TreeNodeError &e) {
        QCOMPARE(e.number(), TreeNodeError::KeyNotUnique);
        QCOMPARE(e.description(), QString("Key is not unique in collection"));
    }
    QVERIFY_THROWS_EXCEPTION(TreeNodeError, f.wrapper.NodeAdd("Nowhere9", tvwChild, "X10", "X"));
    QCOMPARE(TreeNodes::of(&f.tree)->Count(), 6);
    QCOMPARE(f.europe->childCount(), 2);
}

void TestTreeView::removalKeepsCollectionInStep()
{
    Fixture f;
    TreeNodes *nodes = TreeNodes::of(&f.tree);
    // Removing a branch takes its subtree; later nodes move up in Index.
    QVERIFY(f.wrapper.NodeDelete(f.france, true));
    QCOMPARE(nodes->Count(), 4);
    QCOMPARE(f.italy->Index(), 4);
    QCOMPARE(nodes->Item("Tour4"), nullptr);
    QVERIFY(f.europe->Selected());   // the parent got the selection
    // The key is free again.
    QVERIFY(f.wrapper.NodeAdd("Europe2", tvwChild, "France4", "France"));

    // Items removed behind the collection's back are forgotten too.
    f.tree.clear();
    QCOMPARE(nodes->Count(), 0);
    QCOMPARE(nodes->Item("Sport1"), nullptr);
    TreeNode *again = f.wrapper.NodeAdd(QString(), tvwChild, "Sport1", "Sport");
    QCOMPARE(again->Index(), 1);
    f.wrapper.ClearTreeView();
    QCOMPARE(nodes->Count(), 0);
    QCOMPARE(f.tree.topLevelItemCount(), 0);
}

void TestTreeView::relations()
{
    Fixture f;
    QVERIFY(f.wrapper.IsRootNode(f.root));
    QVERIFY(!f.wrapper.IsRootNode(f.europe));
    QCOMPARE(f.wrapper.ParentNodeText(f.root), QString());
    QCOMPARE(f.wrapper.ParentNodeText(f.france), QString("Europe"));
    QVERIFY(f.wrapper.IsParentNode(f.link, f.root));
    QVERIFY(f.wrapper.IsParentNode(f.italy, f.europe));
    QVERIFY(!f.wrapper.IsParentNode(f.italy, f.asia));
    QVERIFY(!f.wrapper.IsParentNode(f.europe, f.europe));
}

void TestTreeView::nodeMove()
{
    Fixture f;
    f.france->setExpanded(true);
    QVERIFY(f.wrapper.NodeMove(f.asia, f.italy, true));
    QCOMPARE(f.italy->Parent(), f.asia);
    QVERIFY(f.italy->Selected());
    QCOMPARE(f.italy->Index(), 5);   // moving keeps the Index

    // Under one of its own descendants: the children are lifted to its parent first.
    QVERIFY(f.wrapper.NodeMove(f.france, f.europe, false));
    QCOMPARE(f.france->Parent(), f.root);
    QCOMPARE(f.europe->Parent(), f.france);
    QCOMPARE(f.europe->childCount(), 0);
    QVERIFY(f.france->Expanded());   // moved nodes keep their expansion

    // A root below its own descendant is refused, as are equal texts.
    QVERIFY(!f.wrapper.NodeMove(f.link, f.root, false));
    QCOMPARE(f.root->Parent(), nullptr);
    TreeNode *twin = f.wrapper.NodeAdd(f.asia, tvwChild, "France9", "France");
    QVERIFY(!f.wrapper.NodeMove(twin, f.france, false));
    QCOMPARE(f.france->Parent(), f.root);
}

void TestTreeView::nodeRenameDeleteFind()
{
    Fixture f;
    QVERIFY(!f.wrapper.NodeRename(f.europe, "", true));
    QCOMPARE(f.europe->Text(), QString("Europe"));
    QVERIFY(f.wrapper.NodeRename(f.france, "Gaul", true));
    QCOMPARE(f.link->FullPath(), QString("Sport\\Europe\\Gaul\\Tour"));
    QVERIFY(f.france->Selected());

    // Finding compares keys, without regard to case.
    TreeNode *found = nullptr;
    QVERIFY(f.wrapper.NodeFind(found, "italy5", "", true));
    QCOMPARE(found, f.italy);
    QVERIFY(f.italy->Selected());
    found = nullptr;
    QVERIFY(!f.wrapper.NodeFind(found, "Italy", "", false));
    QVERIFY(!f.wrapper.NodeFind(found, "italy5", "other", false));
    QCOMPARE(found, nullptr);

    // Deleting the root takes everything.
    QVERIFY(f.wrapper.NodeDelete(f.root, false));
    QCOMPARE(TreeNodes::of(&f.tree)->Count(), 0);
}

void TestTreeView::sortedChildren()
{
    Fixture f;
    f.wrapper.NodeAdd("Sport1", tvwChild, "africa7", "africa");
    f.wrapper.NodeAdd("Sport1", tvwChild, "Zulu8", "Zulu");
    f.europe->setExpanded(true);
    f.europe->setSelected(true);
    f.root->setSorted(true);
    QStringList texts;
    for (int i = 0; i < f.root->childCount(); ++i)
        texts << f.root->child(i)->text(0);
    QCOMPARE(texts, (QStringList{"africa", "Asia", "Europe", "Zulu"}));
    QVERIFY(f.europe->Expanded());   // sorting keeps expansion and selection
    QVERIFY(f.europe->Selected());
    QCOMPARE(f.europe->Index(), 2);  // and the order of adding
    f.wrapper.NodeAdd("Sport1", tvwChild, "Chile9", "chile");
    QCOMPARE(f.root->child(2)->text(0), QString("chile"));
}

void TestTreeView::pictures()
{
    Fixture f;
    QPixmap red(16, 16), green(16, 16), blue(16, 16), grey(16, 16), white(16, 16);
    red.fill(Qt::red);
    green.fill(Qt::green);
    blue.fill(Qt::blue);
    grey.fill(Qt::gray);
    white.fill(Qt::white);
    TreeNodes::of(&f.tree)->setImageList({QIcon(red), QIcon(green), QIcon(blue), QIcon(grey), QIcon(white)});
    auto colourOf = [](TreeNode *node) { return node->icon(0).pixmap(16, 16).toImage().pixelColor(8, 8); };

    QCOMPARE(colourOf(f.europe), QColor(Qt::green));        // Image 2
    f.europe->setExpandedImage(1);
    f.europe->setExpanded(true);
    QCOMPARE(colourOf(f.europe), QColor(Qt::red));          // ExpandedImage while expanded
    f.tree.collapseItem(f.europe);                          // collapsed by the view itself
    QVERIFY(!f.europe->Expanded());
    QCOMPARE(colourOf(f.europe), QColor(Qt::green));

    QVERIFY(f.link->icon(0).isNull());                      // a link shows nothing until expanded
    f.link->setExpanded(true);                              // also without children
    QCOMPARE(colourOf(f.link), QColor(Qt::white));
    f.link->setExpanded(false);
    f.link->setSelectedImage(4);
    f.link->setSelected(true);
    QCOMPARE(colourOf(f.link), QColor(Qt::gray));           // SelectedImage while selected
}

void TestTreeView::heldBackNodes()
{
    // Nodes added while held back are built outside the tree: found by key, usable as
    // relatives, and in the tree with their opened state once the hold ends.
    QTreeWidget tree;
    cTreeView wrapper;
    wrapper.HookCtrl(&tree);
    TreeNodes *nodes = TreeNodes::of(&tree);
    {
        const TreeNodes::HeldBack held(&tree);
        TreeNode *root = wrapper.NodeAdd(QString(), tvwChild, "Sport1", "Sport");
        TreeNode *europe = wrapper.NodeAdd(root, tvwChild, "Europe2", "Europe");
        wrapper.NodeAdd("Europe2", tvwChild, "France3", "France");
        europe->setExpanded(true);
        QCOMPARE(tree.topLevelItemCount(), 0);
        QCOMPARE(nodes->Item("France3")->FullPath(), QString("Sport\\Europe\\France"));
        QVERIFY_THROWS_EXCEPTION(TreeNodeError, wrapper.NodeAdd(root, tvwChild, "Europe2", "Again"));
    }
    QCOMPARE(tree.topLevelItemCount(), 1);
    QCOMPARE(nodes->Count(), 3);
    QVERIFY(nodes->Item("Europe2")->isExpanded());

    // A node opened while it had no children shows its first child.
    TreeNode *france = nodes->Item("France3");
    france->setExpanded(true);
    wrapper.NodeAdd("France3", tvwChild, "Tour3", "Tour");
    QVERIFY(france->isExpanded());

    // Emptied while held: the held nodes go too.
    {
        const TreeNodes::HeldBack held(&tree);
        wrapper.NodeAdd(QString(), tvwChild, "Music5", "Music");
        nodes->Clear();
    }
    QCOMPARE(tree.topLevelItemCount(), 0);
    QCOMPARE(nodes->Count(), 0);
}

void TestTreeView::redraw()
{
    Fixture f;
    f.wrapper.Redraw(false);
    QVERIFY(!f.tree.updatesEnabled());
    f.wrapper.Redraw(true);
    QVERIFY(f.tree.updatesEnabled());

    f.wrapper.ExpandAll();
    QVERIFY(f.root->Expanded() && f.europe->Expanded() && f.france->Expanded());
    QVERIFY(!f.link->Expanded());   // only nodes with children
    QVERIFY(f.tree.updatesEnabled());
    f.wrapper.CollapseChildNodes(f.europe);
    QVERIFY(f.root->Expanded() && !f.europe->Expanded() && !f.france->Expanded());
    f.wrapper.ExpandChildNodes(f.europe);
    QVERIFY(f.europe->Expanded() && f.france->Expanded() && f.link->Expanded());

    cTreeView unhooked;
    unhooked.Redraw(false);   // nothing hooked: nothing happens
}

void TestTreeView::contextMenuEvents()
{
    Fixture f;
    f.tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.tree));
    f.wrapper.ExpandAll();
    QSignalSpy menu(&f.wrapper, &cTreeView::ContextMenu);
    const QPoint onAsia = centreOf(f.tree, f.asia);

    // Mode 1: once, on the release, and the node becomes the selected item.
    QTest::mousePress(f.tree.viewport(), Qt::RightButton, {}, onAsia);
    QCOMPARE(menu.count(), 0);
    f.tree.setCurrentItem(f.root);
    QTest::mouseRelease(f.tree.viewport(), Qt::RightButton, {}, onAsia);
    QCOMPARE(menu.count(), 1);
    QCOMPARE(menu.at(0).at(0).value<TreeNode *>(), f.asia);
    QCOMPARE(menu.at(0).at(1).toDouble(), onAsia.x() * 15.0);
    QCOMPARE(f.tree.currentItem(), f.asia);

    // Mode 0: on the press.
    f.wrapper.setContextMenuMode(0);
    const QPoint onItaly = centreOf(f.tree, f.italy);
    QTest::mousePress(f.tree.viewport(), Qt::RightButton, {}, onItaly);
    QCOMPARE(menu.count(), 2);
    QTest::mouseRelease(f.tree.viewport(), Qt::RightButton, {}, onItaly);
    QCOMPARE(menu.count(), 2);

    // Over empty space: nothing.
    const QPoint below(10, f.tree.viewport()->height() - 3);
    QVERIFY(!f.tree.itemAt(below));
    QTest::mousePress(f.tree.viewport(), Qt::RightButton, {}, below);
    QCOMPARE(menu.count(), 2);
}

void TestTreeView::clickAndUnhook()
{
    Fixture f;
    f.tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.tree));
    f.wrapper.ExpandAll();
    QSignalSpy selected(&f.wrapper, &cTreeView::Selected);
    QSignalSpy startDrag(&f.wrapper, &cTreeView::StartDrag);
    QTest::mouseClick(f.tree.viewport(), Qt::LeftButton, {}, centreOf(f.tree, f.asia));
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).value<TreeNode *>(), f.asia);

    // Moving with the left button down over a node starts a drag only while dragging is on.
    const QPoint p = centreOf(f.tree, f.asia);
    QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(f.tree.viewport()->mapToGlobal(p)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    for (bool enabled : {false, true}) {
        f.wrapper.setDragEnabled(enabled);
        QTest::mousePress(f.tree.viewport(), Qt::LeftButton, {}, p);
        QCoreApplication::sendEvent(f.tree.viewport(), &move);
        QTest::mouseRelease(f.tree.viewport(), Qt::LeftButton, {}, p);
    }
    QCOMPARE(startDrag.count(), 1);
    QCOMPARE(startDrag.at(0).at(0).value<TreeNode *>(), f.asia);

    // A wrapper that is released, or hooked twice, delivers nothing twice.
    auto second = std::make_unique<cTreeView>();
    second->HookCtrl(&f.tree);
    second->HookCtrl(&f.tree);
    QSignalSpy secondSelected(second.get(), &cTreeView::Selected);
    QTest::mouseClick(f.tree.viewport(), Qt::LeftButton, {}, centreOf(f.tree, f.root));
    QCOMPARE(secondSelected.count(), 1);
    second.reset();
    f.wrapper.UnHookCtrl();
    const int before = int(selected.count());
    QTest::mouseClick(f.tree.viewport(), Qt::LeftButton, {}, centreOf(f.tree, f.root));
    QCOMPARE(selected.count(), before);
    QCOMPARE(f.wrapper.ctrl(), nullptr);
}

QTEST_MAIN(TestTreeView)
#include "tst_treeview.moc"
