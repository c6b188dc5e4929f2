// The category tree: filling it from the edition (order, keys, tags, paths, pictures, rows
// that do not fit), selecting and expanding after a rebuild, and the main window's mouse
// handling (selection globals, the popup menu offered, links opened, expansion marks).

#include "editing_tree_support.h"
#include "testhelper.h"

#include "mainwindow/category_tree.h"
#include "mainwindow/form1.h"
#include "mainwindow/tree_image_list.h"
#include "platform/browser_window.h"
#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "shared/c_tree_view.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "shared/tree_nodes.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace EditingTest;

namespace {

constexpr qint32 SportId = 5;    // Topic "Sport", Sub-Topic "Sport"
constexpr qint32 ClashId = 9;    // Topic "Sport", Sub-Topic "Clash": rows that do not fit
constexpr qint32 LoneId = 10;    // Topic "Sport", Sub-Topic "Lone": only its root row

const QColor Blue(0, 0, 255);

void sql(const QString &statement, const QVariantList &values)
{
    QVERIFY2(ExecSql(statement, values), qPrintable(statement));
}

void category(qint32 id, const QVariant &path, qint32 subTopic, int leaf, const QVariant &keyword = QVariant())
{
    sql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword)"
                       " VALUES (?, '', ?, ?, 1, ?, 'N', ?)"),
        {id, path, subTopic, leaf, keyword});
}

void link(qint32 sitId, qint32 lksId, const QString &name, const QString &url, const QString &summary = QString())
{
    sql(QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (?, ?, ?, ?)"),
        {sitId, name, url, summary});
    sql(QStringLiteral("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (?, ?, ?)"), {lksId, sitId, sitId});
}

QStringList childTexts(QTreeWidgetItem *item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts.append(item->child(i)->text(0));
    return texts;
}

// A tree of its own, filled the way the main window fills its tree.
struct LoneTree {
    QTreeWidget tree;
    cTreeView wrapper;
    TreeImageList images;
    CategoryTree filler{&tree, &wrapper, &images};

    CategoryTree::Result fill(qint32 subTopicId) { return filler.fill(subTopicId); }
    TreeNode *node(int index) { return TreeNodes::of(&tree)->Item(index); }
    int count() { return TreeNodes::of(&tree)->Count(); }
};

// The popup menu as the user saw it after a right click or its keys, then dismissed.
struct PopupSeen {
    bool shown = false;
    QString enabled;   // the eight items of the enable table, "1" on, "0" off
    QPoint at;         // where it showed, on the screen
};

QList<QAction *> popupItems(Form1 *form)
{
    return {form->mnuPopupCategory, form->mnuPopupAddCategory, form->mnuPopUpDeleteCategory,
            form->mnuPopupRenameCategory, form->mnuPopupLink, form->mnuPopUpAddLink,
            form->mnuPopUpDeleteLink, form->mnuPopUpRenameLink};
}

QString popupStates(Form1 *form)
{
    QString states;
    for (QAction *item : popupItems(form))
        states += item->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    return states;
}

} // namespace

class TestCategoryTree : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fillNodes_data();
    void fillNodes();
    void fillOrderAndPictures();
    void fillKeepsGoingPastRowsThatDoNotFit();
    void fillOnlyRoot();
    void fillStopsWhenTreeIsEmptiedMeanwhile();
    void fileIconKeys_data();
    void fileIconKeys();
    void selectExpandAndCount();

    void pressSetsSelection_data();
    void pressSetsSelection();
    void rightClickOffersPopup_data();
    void rightClickOffersPopup();
    void rightClickOnEmptySpace();
    void linkClickOpensBrowserWindow();
    void expandMarksLinks();
    void longNamesShownWhole();
    void rebuildIsNeverReentered();

private:
    void populate();
    Form1 *loadForm();
    PopupSeen rightClickAt(Form1 *form, const QPoint &pos);
    PopupSeen popupSeen(Form1 *form, const std::function<void()> &act);

    std::unique_ptr<TestProgramFolder> m_app;
};

void TestCategoryTree::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    IsOnline = false;
    populate();
}

void TestCategoryTree::cleanup()
{
    closeMainWindow();
    RemoveProgramFolder(m_app);
}

// Sub-Topic "Sport" (id 5) and a Sub-Topic of the same name under Topic "Other" (id 6);
// "Clash" (id 9) holds rows that do not fit a tree; "Lone" (id 10) only its root.
void TestCategoryTree::populate()
{
    m_app->makeEdition(QStringLiteral("Tree.mdb"));
    m_app->writeFile(QStringLiteral("dbnames.txt"), "*Tree.mdb,Tree\r\n");
    m_app->writeFile(QStringLiteral("docs/notes.txt"), "notes");
    m_app->writeFile(QStringLiteral("docs/manual.txt"), "manual");
    QVERIFY(OpenEdition(QStringLiteral("Tree.mdb")));
    // One transaction for the whole fill: a commit for each row would make every test slow.
    Transaction fill;

    sql(QStringLiteral("INSERT INTO Topics (MainTopicId, TopicName) VALUES (1, 'Sport'), (2, 'Other')"), {});
    for (const auto &[id, topic, name] : {std::tuple{SportId, 1, "Sport"}, std::tuple{6, 2, "Sport"},
                                         std::tuple{ClashId, 1, "Clash"}, std::tuple{LoneId, 1, "Lone"}}) {
        sql(QStringLiteral("INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName) VALUES (?, ?, ?)"),
            {id, topic, QString::fromLatin1(name)});
        sql(QStringLiteral("INSERT INTO ColorLinks (TopicId, color1, color2, color3, TopicName)"
                           " VALUES (?, 'bb99bb', 'aa33ee', '8a2be2', ?)"),
            {id, QString::fromLatin1(name)});
    }

    category(1, "Sport", SportId, 1, "|sport");   // a root marked IsLeaf shows no links
    category(2, "Sport/Zoo Games", SportId, 0, "zoo note");
    category(3, "Sport/Europe", SportId, 1, "europe note");
    category(4, "Sport/Europe/France", SportId, 1);
    category(5, "Sport/apple", SportId, 0);
    category(6, "Sport", 6, 0);
    category(7, "Sport/Europe", 6, 1, "other europe");
    category(8, "Sport/Zoo Games/Lions", SportId, 1);
    link(1, 3, "Tour de France", "http://tour.example/index.htm", "The tour");
    link(2, 3, "Notes", m_app->file("docs/notes.txt"));
    link(3, 3, "Manual", m_app->file("docs/manual.txt"));
    link(4, 3, "Brochure", "https://brochure.example/b.pdf");
    link(5, 1, "Root Link", "http://root.example/");
    link(6, 4, "Joe's Page", "http://joe.example/?q=it's", "Joe's notes");
    link(7, 7, "Other Tour", "http://other.example/");
    link(8, 8, "Lion Park", "http://lions.example/");

    category(40, "Clash", ClashId, 0);
    category(41, "Clash/Ball3", ClashId, 1);         // key Ball341 ...
    category(42, "Clash/Ghost/Child", ClashId, 1);   // no parent row
    category(43, "Clash/Late/Kid", ClashId, 1);      // its parent comes later
    category(44, "Clash/Late", ClashId, 0);
    category(45, QVariant(QMetaType(QMetaType::QString)), ClashId, 0);   // no path
    category(46, "Clash/Twin", ClashId, 0);
    category(47, "Clash/Twin", ClashId, 0);
    category(48, "Clash/Twin/Child", ClashId, 0);
    category(60, "Clash/Deep/Er/Est", ClashId, 0);   // parents in reverse order
    category(61, "Clash/Deep/Er", ClashId, 0);
    category(62, "Clash/Deep", ClashId, 0);
    category(341, "Clash/Ball", ClashId, 0);         // ... key Ball341 again
    link(20, 41, "Dup", "http://one.example/");
    link(21, 41, "Dup", "http://two.example/");
    link(22, 43, "Kid Link", "http://kid.example/");

    category(50, "Lone", LoneId, 0);
    QVERIFY(fill.commit());
}

// The main window showing the tree of Sub-Topic "Sport".
Form1 *TestCategoryTree::loadForm()
{
    Form1 *form = showMainWindow();
    CurrentSubTopicId = SportId;
    form->updateTree();
    return form;
}

// The popup menu that shows while act runs is noted and dismissed.
PopupSeen TestCategoryTree::popupSeen(Form1 *form, const std::function<void()> &act)
{
    PopupSeen seen;
    PopupCloser closer([form, &seen](QWidget *menu) {
        seen.shown = menu == form->mnuPopUp;
        seen.enabled = popupStates(form);
        seen.at = menu->pos();
    });
    act();
    QCoreApplication::processEvents();
    return seen;
}

// A right click with the mouse at pos.
PopupSeen TestCategoryTree::rightClickAt(Form1 *form, const QPoint &pos)
{
    return popupSeen(form, [form, pos] { QTest::mouseClick(form->TvwBestell->viewport(), Qt::RightButton, {}, pos); });
}

// ---- Filling ---------------------------------------------------------------------------------

void TestCategoryTree::fillNodes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("fullPath");
    QTest::addColumn<int>("image");
    QTest::addColumn<int>("expandedImage");

    const QString notes = QStringLiteral("docs/notes.txt");
    QTest::newRow("root") << 1 << "Sport1" << "" << "Sport" << 2 << 1;
    QTest::newRow("category") << 2 << "Zoo Games2" << "" << "Sport\\Zoo Games" << 2 << 1;
    QTest::newRow("category with links") << 3 << "Europe3" << "" << "Sport\\Europe" << 2 << 1;
    QTest::newRow("web link") << 4 << "Tour de France3" << "http://tour.example/index.htm"
                              << "Sport\\Europe\\Tour de France" << 0 << 5;
    QTest::newRow("local file") << 5 << "Notes3" << "*docs/notes.txt" << "Sport\\Europe\\Notes" << 0 << 6;
    QTest::newRow("same file type") << 6 << "Manual3" << "*docs/manual.txt" << "Sport\\Europe\\Manual" << 0 << 6;
    QTest::newRow("secure web link") << 7 << "Brochure3" << "https://brochure.example/b.pdf"
                                     << "Sport\\Europe\\Brochure" << 0 << 5;
    QTest::newRow("sub-category") << 8 << "France4" << "" << "Sport\\Europe\\France" << 2 << 1;
    QTest::newRow("quote in name") << 9 << "Joe's Page4" << "http://joe.example/?q=it's"
                                   << "Sport\\Europe\\France\\Joe's Page" << 0 << 5;
    QTest::newRow("lower-case name") << 10 << "apple5" << "" << "Sport\\apple" << 2 << 1;
    QTest::newRow("deeper category") << 11 << "Lions8" << "" << "Sport\\Zoo Games\\Lions" << 2 << 1;
    QTest::newRow("its link") << 12 << "Lion Park8" << "http://lions.example/" << "Sport\\Zoo Games\\Lions\\Lion Park"
                              << 0 << 5;
}

void TestCategoryTree::fillNodes()
{
    QFETCH(int, index);
    QFETCH(QString, key);
    QFETCH(QString, tag);
    QFETCH(QString, fullPath);
    QFETCH(int, image);
    QFETCH(int, expandedImage);

    LoneTree t;
    const CategoryTree::Result result = t.fill(SportId);
    QCOMPARE(result.rows, 6);
    QCOMPARE(result.links, 6);
    QCOMPARE(result.skippedRows, 0);
    QCOMPARE(t.count(), 12);

    TreeNode *node = t.node(index);
    QVERIFY(node);
    QCOMPARE(node->Index(), index);
    QCOMPARE(node->Key(), key);
    if (tag.startsWith(QLatin1Char('*')))
        tag = m_app->file(tag.mid(1));
    QCOMPARE(node->Tag(), tag);
    QCOMPARE(node->FullPath(), fullPath);
    QCOMPARE(node->Text(), fullPath.section(QLatin1Char('\\'), -1));
    QCOMPARE(node->Image(), image);
    QCOMPARE(node->SelectedImage(), image);
    QCOMPARE(node->ExpandedImage(), expandedImage);
    QVERIFY(!node->Expanded());
    QCOMPARE(TreeNodes::of(&t.tree)->Item(key), node);
}

void TestCategoryTree::fillOrderAndPictures()
{
    LoneTree t;
    t.fill(SportId);
    QCOMPARE(t.tree.topLevelItemCount(), 1);
    // The root's children by name without regard to case; deeper levels in row order.
    QCOMPARE(childTexts(t.node(1)), (QStringList{"apple", "Europe", "Zoo Games"}));
    QCOMPARE(childTexts(t.node(3)), (QStringList{"Tour de France", "Notes", "Manual", "Brochure", "France"}));
    QVERIFY(t.node(1)->Sorted());
    QVERIFY(!t.node(3)->Sorted());

    // One picture for the text files, keyed by extension and named by file type.
    QCOMPARE(t.images.count(), 6);
    QCOMPARE(t.images.key(6), QStringLiteral("TXT"));
    QVERIFY(!t.images.tag(6).isEmpty());
    QCOMPARE(TreeNodes::of(&t.tree)->imageList().size(), 6);

    // A second fill reuses the picture and starts again at index 1.
    t.fill(SportId);
    QCOMPARE(t.images.count(), 6);
    QCOMPARE(t.count(), 12);
    QCOMPARE(t.node(1)->Text(), QStringLiteral("Sport"));
}

void TestCategoryTree::fillKeepsGoingPastRowsThatDoNotFit()
{
    LoneTree t;
    const CategoryTree::Result result = t.fill(ClashId);
    QCOMPARE(result.rows, 13);
    QCOMPARE(result.skippedRows, 2);   // no path; no parent at all
    QCOMPARE(result.unkeyedNodes, 2);  // Ball341 twice; Dup41 twice
    QCOMPARE(result.links, 3);
    QCOMPARE(t.count(), 14);

    // A row waiting for its parent follows it as soon as the parent is placed.
    QCOMPARE(nodePaths(&t.tree),
             (QStringList{"Clash", "Clash\\Ball3", "Clash\\Ball3\\Dup", "Clash\\Ball3\\Dup", "Clash\\Late",
                          "Clash\\Late\\Kid", "Clash\\Late\\Kid\\Kid Link", "Clash\\Twin", "Clash\\Twin",
                          "Clash\\Twin\\Child", "Clash\\Deep", "Clash\\Deep\\Er", "Clash\\Deep\\Er\\Est",
                          "Clash\\Ball"}));
    // Both links named Dup are there, one of them without a key.
    TreeNode *ball3 = t.node(2);
    QCOMPARE(childTexts(ball3), (QStringList{"Dup", "Dup"}));
    QCOMPARE(t.node(3)->Key(), QStringLiteral("Dup41"));
    QCOMPARE(t.node(4)->Key(), QString());
    QCOMPARE(t.node(4)->Tag(), QStringLiteral("http://two.example/"));
    QCOMPARE(TreeNodes::of(&t.tree)->Item(QStringLiteral("Ball341")), ball3);
    QCOMPARE(t.node(14)->Key(), QString());
    // A path read twice: its children go under the later row.
    QCOMPARE(t.node(8)->childCount(), 0);
    QCOMPARE(t.node(10)->Parent(), t.node(9));
}

void TestCategoryTree::fillOnlyRoot()
{
    LoneTree t;
    const CategoryTree::Result result = t.fill(LoneId);
    QCOMPARE(result.rows, 1);
    QCOMPARE(t.count(), 1);
    QCOMPARE(t.node(1)->Image(), 2);
    QVERIFY(!t.node(1)->Expanded());

    // A Sub-Topic without rows leaves the tree empty.
    QCOMPARE(t.fill(4711).rows, 0);
    QCOMPARE(t.count(), 0);
}

void TestCategoryTree::fillStopsWhenTreeIsEmptiedMeanwhile()
{
    LoneTree t;
    int yields = 0;
    t.filler.setYield([&]() {
        ++yields;
        TreeNodes::of(&t.tree)->Clear();   // e.g. another Sub-Topic chosen meanwhile
    });
    const CategoryTree::Result result = t.fill(SportId);
    QCOMPARE(yields, 1);
    QVERIFY(result.interrupted);
    QCOMPARE(t.count(), 0);

    // Undisturbed, the fill yields and finishes.
    yields = 0;
    t.filler.setYield([&]() { ++yields; });
    QVERIFY(!t.fill(SportId).interrupted);
    QVERIFY(yields >= 1);
    QCOMPARE(t.count(), 12);
}

void TestCategoryTree::fileIconKeys_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("local");
    QTest::newRow("extension") << "/home/u/report.Pdf" << "PDF" << 1;
    QTest::newRow("own icon") << "/opt/tool/Run.exe" << "/OPT/TOOL/RUN.EXE" << 1;
    QTest::newRow("no extension") << "/home/u/README" << "" << 1;
    QTest::newRow("web address") << "http://www.example.com/" << "COM/" << 0;
    QTest::newRow("secure address counts as local") << "https://example.org/x.html" << "HTML" << 1;
}

void TestCategoryTree::fileIconKeys()
{
    QFETCH(QString, path);
    QFETCH(QString, key);
    QFETCH(int, local);
    QCOMPARE(CategoryTree::IconKey(path), key);
    QCOMPARE(CategoryTree::IsLocalPath(path), local);

    LoneTree t;
    // No file behind these: no picture, except the keyless one for a name without extension.
    QCOMPARE(t.filler.LoadFileIcon(path), key.isEmpty() ? 5 : 0);
    QCOMPARE(t.images.count(), 5);
}

void TestCategoryTree::selectExpandAndCount()
{
    LoneTree t;
    t.fill(SportId);
    TreeNodes *nodes = TreeNodes::of(&t.tree);

    // The chain up from Joe's Page (9) is expanded, the node too, and it is selected.
    CategoryTree::SelectParentChain(&t.tree, 9);
    for (int index : {1, 3, 8, 9})
        QVERIFY2(nodes->Item(index)->Expanded(), qPrintable(QString::number(index)));
    QVERIFY(!nodes->Item(2)->Expanded());
    QCOMPARE(t.tree.currentItem(), nodes->Item(9));
    // The root alone is not expanded by its own chain.
    t.fill(SportId);
    CategoryTree::SelectParentChain(&t.tree, 1);
    QVERIFY(!nodes->Item(1)->Expanded());
    QCOMPARE(t.tree.currentItem(), nodes->Item(1));

    // SelecteerNode: beyond the nodes nothing changes.
    CategoryTree::SelecteerNode(&t.tree, 99);
    QCOMPARE(t.tree.currentItem(), nodes->Item(1));
    CategoryTree::SelecteerNode(&t.tree, 8);
    QCOMPARE(t.tree.currentItem(), nodes->Item(8));
    QVERIFY(nodes->Item(8)->Expanded());
    QVERIFY(nodes->Item(3)->Expanded());

    // CheckNode: from a link no category is counted; from a category at least one.
    int categories = 0;
    int links = 0;
    bool flag = true;
    TreeNode *start = nodes->Item(4);
    CategoryTree::CheckNode(start, categories, links, flag);
    QVERIFY(!start);
    QCOMPARE(categories, 0);
    categories = links = 0;
    flag = true;
    start = nodes->Item(3);
    CategoryTree::CheckNode(start, categories, links, flag);
    QVERIFY(categories >= 1);

    // ExpandSubtree colours every later link of a chain blue, never the first.
    CategoryTree::ExpandSubtree(nodes->Item(4), true);
    QVERIFY(!nodes->Item(4)->ForeColor().isValid());
    for (int index : {5, 6, 7})
        QCOMPARE(nodes->Item(index)->ForeColor(), Blue);
    QVERIFY(!nodes->Item(8)->ForeColor().isValid());
    QVERIFY(nodes->Item(4)->Expanded());
}

// ---- The main window's tree ----------------------------------------------------------------

void TestCategoryTree::pressSetsSelection_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("renameOn");
    QTest::addColumn<bool>("dragOn");
    QTest::newRow("root") << 1 << "Sport" << "" << true << false;
    QTest::newRow("category") << 3 << "Sport\\Europe" << "" << false << false;
    QTest::newRow("link") << 9 << "Sport\\Europe\\France\\Joe's Page" << "http://joe.example/?q=it's" << false
                          << true;
}

void TestCategoryTree::pressSetsSelection()
{
    QFETCH(int, index);
    QFETCH(QString, path);
    QFETCH(QString, url);
    QFETCH(bool, renameOn);
    QFETCH(bool, dragOn);

    Form1 *form = loadForm();
    QCOMPARE(SelectedNodePath, QString());
    const QPoint pos = nodePoint(form, index);
    form->mnuSubtopicRename->setEnabled(false);
    form->PopupCommandDone = 1;
    form->TvwBestell->setDragEnabled(!dragOn);

    QTest::mousePress(form->TvwBestell->viewport(), Qt::LeftButton, {}, pos);
    QCOMPARE(form->PopupCommandDone, qint16(0));
    QCOMPARE(SelectedNodeIndex, index);
    QCOMPARE(SelectedNodePath, path);
    QCOMPARE(SelectedLinkUrl, url);
    QCOMPARE(SelectedLinkName, path.section(QLatin1Char('\\'), -1));
    QCOMPARE(ClickedNodeText, SelectedLinkName);
    QCOMPARE(form->TvwBestell->currentItem(), TreeNodes::of(form->TvwBestell)->Item(index));
    QCOMPARE(form->mnuSubtopicRename->isEnabled(), renameOn);
    QCOMPARE(form->TvwBestell->dragEnabled(), dragOn);
    QCOMPARE(form->TreeMouseX, qint16(pos.x()));
    QCOMPARE(form->TreeMouseY, qint16(pos.y()));
    // Released away from the node: no click, nothing opens.
    const QPoint away(5, form->TvwBestell->viewport()->height() - 3);
    QVERIFY(!form->TvwBestell->itemAt(away));
    QTest::mouseRelease(form->TvwBestell->viewport(), Qt::LeftButton, {}, away);

    // A press away from the nodes describes the node selected before once more.
    SelectedLinkName.clear();
    QTest::mousePress(form->TvwBestell->viewport(), Qt::LeftButton, {}, away);
    QCOMPARE(SelectedNodeIndex, index);
    QCOMPARE(SelectedLinkUrl, url);
    QCOMPARE(SelectedLinkName, path.section(QLatin1Char('\\'), -1));
    QTest::mouseRelease(form->TvwBestell->viewport(), Qt::LeftButton, {}, away);
    QCOMPARE(BrowserWindow::openWindows().size(), 0);
}

void TestCategoryTree::rightClickOffersPopup_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("before");
    // Category, Add, Delete, Rename; Link, Add, Delete, Rename; "-" leaves the item as it was.
    QTest::addColumn<QString>("states");
    QTest::addColumn<QString>("notation");
    QTest::addColumn<int>("isSite");
    QTest::addColumn<int>("reselect");
    // Empty: a right click on the node; else the keys pressed in the tree, the node current.
    QTest::addColumn<QKeySequence>("keys");

    for (bool before : {true, false}) {
        const QString on = before ? QStringLiteral("items on before") : QStringLiteral("items off before");
        QTest::addRow("root, %s", qPrintable(on)) << 1 << before << "11000---" << "|sport" << 0 << -1 << QKeySequence();
        QTest::addRow("category, %s", qPrintable(on))
            << 3 << before << "11111100" << "europe note" << 0 << 1 << QKeySequence();
        QTest::addRow("link, %s", qPrintable(on)) << 9 << before << "0---1011" << "Joe's notes" << 1 << 8 << QKeySequence();
    }
    const QKeySequence menuKey(Qt::Key_Menu);
    const QKeySequence shiftF10(Qt::SHIFT | Qt::Key_F10);
    QTest::newRow("root, Menu key") << 1 << true << "11000---" << "|sport" << 0 << -1 << menuKey;
    QTest::newRow("category, Shift+F10") << 3 << false << "11111100" << "europe note" << 0 << 1 << shiftF10;
    QTest::newRow("link, Menu key") << 9 << false << "0---1011" << "Joe's notes" << 1 << 8 << menuKey;
}

void TestCategoryTree::rightClickOffersPopup()
{
    QFETCH(int, index);
    QFETCH(bool, before);
    QFETCH(QString, states);
    QFETCH(QString, notation);
    QFETCH(int, isSite);
    QFETCH(int, reselect);
    QFETCH(QKeySequence, keys);

    Form1 *form = loadForm();
    const QPoint pos = nodePoint(form, index);
    TreeNode *node = TreeNodes::of(form->TvwBestell)->Item(index);
    for (QAction *item : popupItems(form))
        item->setEnabled(before);
    ReselectNodeIndex = -1;
    SelectedNodeIndex = -1;
    SelectedLinkUrl = SelectedLinkName = SelectedNodePath = QStringLiteral("stale");
    form->PopupNodePath = QStringLiteral("untouched");

    PopupSeen seen;
    if (keys.isEmpty()) {
        seen = rightClickAt(form, pos);
    } else {
        form->TvwBestell->setCurrentItem(node);
        form->TvwBestell->setFocus();
        seen = popupSeen(form, [form, keys] { QTest::keySequence(form->TvwBestell, keys); });
    }
    QVERIFY(seen.shown);
    QString expected = states;
    expected.replace(QLatin1Char('-'), before ? QLatin1Char('1') : QLatin1Char('0'));
    QCOMPARE(seen.enabled, expected);
    // At the node.
    const QRect row = form->TvwBestell->visualItemRect(node);
    QVERIFY(QRect(form->TvwBestell->viewport()->mapToGlobal(row.topLeft()), row.size()).contains(seen.at));

    QCOMPARE(form->PopupNode, node);
    QCOMPARE(SelectedNodeIndex, index);
    QCOMPARE(ReselectNodeIndex, reselect);
    QCOMPARE(SelectedLinkUrl, node->Tag());
    QCOMPARE(SelectedLinkName, node->Text());
    QCOMPARE(NotationText, notation);
    QCOMPARE(NotationIsSite, isSite);
    QCOMPARE(SelectedNodePath, node->FullPath());
    QCOMPARE(form->PopupNodePath, isSite ? QStringLiteral("untouched") : node->FullPath());
    QCOMPARE(form->PopupCommandDone, qint16(0));

    // The node goes with the next rebuild; so does PopupNode.
    form->updateTree();
    QCOMPARE(form->PopupNode, nullptr);
}

void TestCategoryTree::rightClickOnEmptySpace()
{
    Form1 *form = loadForm();
    NotationText = QStringLiteral("left over");
    SelectedNodeIndex = 77;
    const PopupSeen seen = rightClickAt(form, QPoint(5, form->TvwBestell->viewport()->height() - 3));
    QVERIFY(!seen.shown);
    QCOMPARE(NotationText, QString());
    QCOMPARE(form->PopupNode, nullptr);
}

void TestCategoryTree::linkClickOpensBrowserWindow()
{
    Form1 *form = loadForm();
    const int before = int(BrowserWindow::openWindows().size());

    // A click on a category opens nothing.
    QTest::mouseClick(form->TvwBestell->viewport(), Qt::LeftButton, {}, nodePoint(form, 3));
    QCOMPARE(BrowserWindow::openWindows().size(), before);

    // After a popup command nothing opens either.
    QTest::mousePress(form->TvwBestell->viewport(), Qt::LeftButton, {}, nodePoint(form, 5));
    form->PopupCommandDone = 1;
    form->TvwBestell_Click();
    QCOMPARE(BrowserWindow::openWindows().size(), before);

    // A click on a link opens it in a separate browser window of our own.
    QTest::mouseClick(form->TvwBestell->viewport(), Qt::LeftButton, {}, nodePoint(form, 5));
    QTRY_COMPARE(BrowserWindow::openWindows().size(), before + 1);
    BrowserWindow *window = BrowserWindow::openWindows().constLast();
    QCOMPARE(window->browser()->lastNavigated(), m_app->file(QStringLiteral("docs/notes.txt")));
    QVERIFY(window->isVisible());

    // A double click (as the window system delivers it) opens it once.
    QWidget *viewport = form->TvwBestell->viewport();
    const QPoint manual = nodePoint(form, 6);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, manual);
    QTest::mousePress(viewport, Qt::LeftButton, {}, manual);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, manual);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, manual);
    QTRY_COMPARE(BrowserWindow::openWindows().size(), before + 2);
    QCoreApplication::processEvents();   // whatever the clicks left queued
    QCOMPARE(BrowserWindow::openWindows().size(), before + 2);
}

void TestCategoryTree::expandMarksLinks()
{
    Form1 *form = loadForm();
    TreeNodes *nodes = TreeNodes::of(form->TvwBestell);
    form->TreeMouseX = 2;
    form->TreeMouseY = 2;   // over the root: a command's expansion must not select it

    // Expanding Europe by command: its first link is marked as a web page, every link below
    // it turns blue, the subtree opens, the children are sorted, the selection stays.
    form->SelecteerNode(3);
    TreeNode *europe = nodes->Item(3);
    QCOMPARE(form->TvwBestell->currentItem(), europe);
    QCOMPARE(nodes->Item(4)->SelectedImage(), 4);
    for (int index : {4, 5, 6, 7, 9})
        QCOMPARE(nodes->Item(index)->ForeColor(), Blue);
    QVERIFY(!nodes->Item(8)->ForeColor().isValid());
    QVERIFY(nodes->Item(8)->Expanded());
    QVERIFY(nodes->Item(9)->Expanded());
    QCOMPARE(childTexts(europe), (QStringList{"Brochure", "France", "Manual", "Notes", "Tour de France"}));

    // A category whose first child is a category: nothing is coloured or opened below it.
    form->SelecteerNode(2);
    QVERIFY(!nodes->Item(11)->Expanded());
    QVERIFY(!nodes->Item(12)->ForeColor().isValid());
}

void TestCategoryTree::longNamesShownWhole()
{
    Form1 *form = loadForm();
    QTreeWidget *tree = form->TvwBestell;
    const QAbstractItemView *view = tree;

    // A tree narrower than its names scrolls sideways, and each name is shown whole, also
    // once a deeper branch is opened.
    tree->resize(90, tree->height());
    QTRY_VERIFY(tree->header()->sectionSize(0) >= view->sizeHintForColumn(0));
    form->SelecteerNode(8);   // France, deep down
    TreeNode *joe = TreeNodes::of(tree)->Item(9);
    QVERIFY(joe->parent()->isExpanded());
    QTRY_VERIFY(tree->header()->sectionSize(0) >= view->sizeHintForColumn(0));
    QVERIFY(tree->horizontalScrollBar()->maximum() > 0);
    const QRect row = tree->visualItemRect(joe);
    QVERIFY(row.right() - row.left() >= tree->fontMetrics().horizontalAdvance(joe->Text()));

    // A wide tree shows whole rows, as wide as the tree.
    tree->resize(900, tree->height());
    QTRY_COMPARE(tree->header()->sectionSize(0), tree->viewport()->width());
    QCOMPARE(tree->horizontalScrollBar()->maximum(), 0);
}

void TestCategoryTree::rebuildIsNeverReentered()
{
    Form1 *form = loadForm();
    QTreeWidget *tree = form->TvwBestell;
    TreeNodes *nodes = TreeNodes::of(tree);

    // While the tree fills, the window keeps running: a rebuild asked for then waits, and a
    // click on the half-filled tree does nothing.
    bool filling = false;
    QString status;
    int nodesAfterNestedCall = -1;
    form->PopupCommandDone = 5;
    QTimer::singleShot(0, form, [&]() {
        filling = form->treeFilling();
        status = form->sbStatusPanel1->text();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        form->updateTree();
        nodesAfterNestedCall = nodes->Count();
    });
    form->updateTree();
    QVERIFY(filling);
    QCOMPARE(nodesAfterNestedCall, 0);   // it ran after the first fill, not inside it
    QCOMPARE(status, QStringLiteral("Retrieving Database ..."));
    QCOMPARE(form->PopupCommandDone, qint16(5));
    QCOMPARE(nodes->Count(), 12);
    QVERIFY(!form->treeFilling());
    QVERIFY(tree->updatesEnabled());
    QCOMPARE(form->sbStatusPanel1->text(), QString());

    // Another Sub-Topic chosen meanwhile: the tree shows that one, whole.
    QTimer::singleShot(0, form, [&]() {
        nodes->Clear();
        CurrentSubTopicId = ClashId;
        form->updateTree();
    });
    CurrentSubTopicId = SportId;
    form->updateTree();
    QCOMPARE(nodes->Count(), 14);
    QCOMPARE(nodes->Item(1)->Text(), QStringLiteral("Clash"));
    QCOMPARE(SelectedNodePath, QString());
}

QTEST_MAIN(TestCategoryTree)
#include "tst_category_tree.moc"
