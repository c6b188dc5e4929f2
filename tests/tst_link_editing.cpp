// Links of a Sub-Topic's categories: the Add Link dialog (from a browser window of the
// program and from a file), links dropped onto the tree, deleting, renaming and
// re-addressing a link while a copy of it in another category stays untouched, and the
// notations of links and categories.

#include "editing_tree_support.h"
#include "testhelper.h"

#include "mainwindow/form1_category_tree_host.h"
#include "editing/form22_rename_web_address.h"
#include "editing/form31_notation.h"
#include "editing/form3_add_link.h"
#include "editing/form4_rename_link.h"
#include "editing/link_drop.h"
#include "editing/link_editing.h"
#include "editing/open_browser_pages.h"
#include "platform/browser_window.h"
#include "platform/dialogs.h"
#include "platform/webbrowser.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace EditingTest;

namespace {

constexpr qint32 Programming = 1;

QStringList linksOf(const QString &categoryUrl)
{
    return QueryRows(QStringLiteral("SELECT Sit.SitName, Sit.SitUrl, ifnull(Sit.Summary, '') FROM LksSit "
                                    "JOIN Sit ON Sit.SitId = LksSit.SitId JOIN Lks ON Lks.LksId = LksSit.LksId "
                                    "WHERE Lks.LksUrl = ? AND Lks.TopicId = 1 ORDER BY LksSit.rowid"),
                {categoryUrl});
}

QMimeData *addressData(const QString &address)
{
    auto *data = new QMimeData;
    data->setUrls({QUrl(address)});
    data->setText(address);
    return data;
}

QMimeData *textData(const QString &text)
{
    auto *data = new QMimeData;
    data->setText(text);
    return data;
}

} // namespace

class TestLinkEditing : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void treeTest_data();
    void treeTest();
    void dropText_data();
    void dropText();
    void browserLinkDragText_data();
    void browserLinkDragText();

    void addLinkFromOwnBrowserWindow();
    void addLinkFromFile();
    void addLinkRefusals();
    void addLinkAddressFollowsOnlyPicks();
    void firstLinkGetsIdOne();
    void addFailureWritesNothing();

    void dropAddressOntoCategory();
    void dropRefusedOnRootLinkAndDuplicate();
    void dropLinkOfTheTreeKeepsWholeName();

    void editsLeaveCopyInOtherCategory();
    void renameRefusals();
    void addressRefusals();
    void addressWithApostrophe();
    void sameAddressAndSharedRows();
    void deleteLinkOutsideCategory();

    void linkNotation();
    void categoryNotation();

private:
    std::unique_ptr<TestProgramFolder> m_app;
};

void TestLinkEditing::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    IsOnline = false;
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    CurrentSubTopicId = Programming;
    SetOpenBrowserPagesSource({});
    TrackedBrowserHandle.clear();
}

void TestLinkEditing::cleanup()
{
    SetOpenBrowserPagesSource({});
    closeBrowserWindows();
    closeMainWindow();
    CloseDatabase();
    RemoveProgramFolder(m_app);
}

// ---- The tree test and dropped text ---------------------------------------------------------

void TestLinkEditing::treeTest_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    // Root(1) > News(2) > [Sport(3) > [Teams(4) > Club(5)], Daily(6)], Weekly(7)
    QTest::newRow("the start node itself") << "News" << "News" << "news" << 2;
    QTest::newRow("link directly below") << "News" << "News" << "DAILY" << 6;
    QTest::newRow("node with children below") << "News" << "News" << "teams" << 4;
    QTest::newRow("childless node further down") << "News" << "News" << "Club" << 0;
    QTest::newRow("elsewhere in the tree") << "News" << "News" << "Weekly" << 0;
    QTest::newRow("nothing") << "News" << "News" << "Other" << 0;
}

void TestLinkEditing::treeTest()
{
    QFETCH(QString, start);
    QFETCH(QString, clicked);
    QFETCH(QString, name);
    QFETCH(int, index);
    QTreeWidget tree;
    TreeNodes *nodes = TreeNodes::of(&tree);
    nodes->Add(nullptr, tvwLast, QStringLiteral("Root1"), QStringLiteral("Root"));
    nodes->Add(QStringLiteral("Root1"), tvwChild, QStringLiteral("News2"), QStringLiteral("News"));
    nodes->Add(QStringLiteral("News2"), tvwChild, QStringLiteral("Sport3"), QStringLiteral("Sport"));
    nodes->Add(QStringLiteral("Sport3"), tvwChild, QStringLiteral("Teams4"), QStringLiteral("Teams"));
    nodes->Add(QStringLiteral("Teams4"), tvwChild, QStringLiteral("Club4"), QStringLiteral("Club"))->setTag("x");
    nodes->Add(QStringLiteral("News2"), tvwChild, QStringLiteral("Daily2"), QStringLiteral("Daily"))->setTag("y");
    nodes->Add(QStringLiteral("Root1"), tvwChild, QStringLiteral("Weekly1"), QStringLiteral("Weekly"))->setTag("z");

    TreeNode *from = nullptr;
    for (TreeNode *node : nodes->All())
        if (node->Text() == start)
            from = node;
    QCOMPARE(LinkEditing::FindTVString(from, name, clicked), index);
}

void TestLinkEditing::dropText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::newRow("name and address") << "Docs,https://a.org/" << "Docs" << "https://a.org/";
    QTest::newRow("address alone") << "https://a.org/" << "" << "https://a.org/";
    QTest::newRow("address holding a comma") << "https://a.org/x,y" << "" << "https://a.org/x,y";
    QTest::newRow("cut at the first comma") << "A, B,https://a.org/" << "A" << " B,https://a.org/";
    QTest::newRow("surrounding blanks") << "  https://a.org/ \n" << "" << "https://a.org/";
}

void TestLinkEditing::dropText()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, address);
    QMimeData data;
    data.setText(text);
    const LinkDrop::Dropped dropped = LinkDrop::read(&data);
    QVERIFY(dropped.hasText);
    QVERIFY(!dropped.fromProgram);
    QCOMPARE(dropped.name, name);
    QCOMPARE(dropped.address, address);
}

void TestLinkEditing::browserLinkDragText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("mozUrl");
    QTest::addColumn<QString>("linkText");
    const QString gamma = QStringLiteral("http://example.org/gamma");
    const QString anchor = QStringLiteral("<a href=\"http://example.org/gamma\">Gamma  Page</a>");
    QTest::newRow("page link: its text") << "Gamma Page" << anchor << "" << "Gamma Page";
    QTest::newRow("text is the address: the HTML's") << gamma << anchor << "" << "Gamma Page";
    QTest::newRow("title line first") << gamma << anchor << gamma + "\nThe Gamma" << "The Gamma";
    QTest::newRow("picture link") << gamma << "<a href=\"http://example.org/gamma\"><img src=\"g.png\"></a>" << ""
                                  << "";
    QTest::newRow("address alone") << gamma << "" << "" << "";
}

// A link dragged out of a browser page brings the link's text beside its address.
void TestLinkEditing::browserLinkDragText()
{
    QFETCH(QString, text);
    QFETCH(QString, html);
    QFETCH(QString, mozUrl);
    QFETCH(QString, linkText);
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("http://example.org/gamma"))});
    data.setText(text);
    if (!html.isEmpty())
        data.setHtml(html);
    if (!mozUrl.isEmpty())
        data.setData(QStringLiteral("text/x-moz-url"),
                     QByteArray(reinterpret_cast<const char *>(mozUrl.utf16()), mozUrl.size() * 2));
    const LinkDrop::Dropped dropped = LinkDrop::read(&data);
    QCOMPARE(dropped.address, QStringLiteral("http://example.org/gamma"));
    QCOMPARE(dropped.name, QString());
    QCOMPARE(dropped.linkText, linkText);
}

// ---- Add Link --------------------------------------------------------------------------------

void TestLinkEditing::addLinkFromOwnBrowserWindow()
{
    m_app->writeFile(QStringLiteral("guide.htm"),
                     "<html><head><title>Python Guide</title></head><body>guide</body></html>");
    BrowserWindow *window = BrowserWindow::open(m_app->file(QStringLiteral("guide.htm")));
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Python Guide - Browser"), PageLoadTimeoutMs);
    const QString address = window->LocationURL();

    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages\\Python")));
    QStringList names, addresses;
    QString parent;
    OnModal<Form3> add([&](Form3 *dialog) {
        parent = dialog->Label3->text();
        for (int i = 0; i < dialog->Combo1->count(); ++i) {
            names.append(dialog->Combo1->itemText(i));
            addresses.append(dialog->Combo2->itemText(i));
        }
        dialog->Command1_Click();
    });
    form->mnuPopUpAddLink_Click();

    QVERIFY(add.seen);
    QCOMPARE(parent, QStringLiteral("Programming\\Languages\\Python"));
    QCOMPARE(names, QStringList{"Python Guide"});
    QCOMPARE(addresses, QStringList{address});
    QCOMPARE(QueryRows(QStringLiteral("SELECT SitId, SitName, SitUrl, Summary FROM Sit WHERE SitId = 30")),
             QStringList{"30|Python Guide|" + address + "|"});
    QCOMPARE(QueryRows(QStringLiteral("SELECT LksId, SitId, Seq FROM LksSit WHERE SitId = 30")),
             QStringList{"3|30|30"});
    QVERIFY(nodeAt(form, QStringLiteral("Programming\\Languages\\Python\\Python Guide")));
}

void TestLinkEditing::addLinkFromFile()
{
    SetOpenBrowserPagesSource([] {
        return QList<BrowserPage>{{"One", "https://one/"}, {"Two", "https://two/"}, {"Three", "https://three/"}};
    });
    const QString file = m_app->file(QStringLiteral("notes.txt"));
    m_app->writeFile(QStringLiteral("notes.txt"), "notes");

    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    // A category that never held a link shows its links from now on.
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages")));
    QString third;
    QString nameAfterCancel, addressAfterCancel;
    OnModal<Form3> add([&](Form3 *dialog) {
        // Stepping through the name list with the arrow keys picks as well.
        dialog->Combo1->setFocus();
        QTest::keyClick(dialog->Combo1, Qt::Key_Down);
        QTest::keyClick(dialog->Combo1, Qt::Key_Down);
        third = dialog->Combo2->currentText();

        DialogScript::cancel();
        dialog->Command3_Click();
        nameAfterCancel = dialog->Combo1->currentText();
        addressAfterCancel = dialog->Combo2->currentText();

        DialogScript::input(file);
        dialog->Command3_Click();
        dialog->Combo1->setEditText(QStringLiteral(" My Notes "));
        dialog->Command1_Click();
    });
    form->mnuPopUpAddLink_Click();

    QVERIFY(add.seen);
    QCOMPARE(third, QStringLiteral("https://three/"));
    QCOMPARE(nameAfterCancel, QString());
    QCOMPARE(addressAfterCancel, QStringLiteral("https://three/"));
    QCOMPARE(DialogScript::last().kind, QStringLiteral("OpenFile"));
    QCOMPARE(linksOf(QStringLiteral("Programming/Languages")), QStringList{" My Notes |" + file + "|"});
    QCOMPARE(QueryRows(QStringLiteral("SELECT IsLeaf FROM Lks WHERE LksId = 2")), QStringList{"1"});
    QVERIFY(nodeAt(form, QStringLiteral("Programming\\Languages\\ My Notes ")));
}

void TestLinkEditing::addLinkRefusals()
{
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages\\Python")));
    Form1CategoryTreeHost host(form);
    Form3 dialog(host, form);
    dialog.Form_Load();

    const QString prohibited = QStringLiteral("The Link Name field created contains a character or characters that "
                                              "may not be used. Please delete these characters before proceeding.\n\n");
    const struct {
        const char *name;
        const char *address;
        QString message;
        const char *title;
    } cases[] = {
        {"  ", "https://x/", QStringLiteral("Please enter a Link Name."), "Add Link Error"},
        {"X", " ", QStringLiteral("Please enter a Link URL."), "Add Link Error"},
        {"42", "https://x/", QStringLiteral("The Link Name field must contain at least one text character."),
         "Link Name Error"},
        {"1e5", "https://x/", QStringLiteral("The Link Name field must contain at least one text character."),
         "Link Name Error"},
        {"A/B", "https://x/", prohibited, "Prohibited Characters"},
        // The category holds "Python Home": letter case does not count.
        {"PYTHON HOME", "https://x/",
         QStringLiteral("The Link Name 'PYTHON HOME' already exists in the parent folder. Please select an alternate "
                        "name."),
         "Link Error"},
        // The tree test: the selected category's own name.
        {"python", "https://x/",
         QStringLiteral("The Link Name 'python' already exists in the parent folder. Please select an alternate name."),
         "Link Error"},
    };
    for (const auto &c : cases) {
        dialog.Combo1->setEditText(QString::fromLatin1(c.name));
        dialog.Combo2->setEditText(QString::fromLatin1(c.address));
        DialogScript::answer(vbOK);
        dialog.Command1_Click();
        QCOMPARE(DialogScript::last().prompt, c.message);
        QCOMPARE(DialogScript::last().title, QString::fromLatin1(c.title));
    }
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Sit")), 29);
    QCOMPARE(dialog.result(), 0);
}

void TestLinkEditing::addLinkAddressFollowsOnlyPicks()
{
    SetOpenBrowserPagesSource([] { return QList<BrowserPage>{{"One", "https://one/"}, {"Two", "https://two/"}}; });
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages")));
    Form1CategoryTreeHost host(form);
    Form3 dialog(host, form);
    dialog.Form_Load();
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const auto typeInto = [](QComboBox *box, const QString &text) {
        box->setFocus();
        box->lineEdit()->clear();
        QTest::keyClicks(box, text);
    };

    // A picked title picks its window's address.
    dialog.Combo1->showPopup();
    QAbstractItemView *list = dialog.Combo1->view();
    QTRY_VERIFY(list->isVisible());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(1, 0)).center());
    QCOMPARE(dialog.Combo1->currentText(), QStringLiteral("Two"));
    QCOMPARE(dialog.Combo2->currentText(), QStringLiteral("https://two/"));

    // A typed name that equals another window's title is only a name: neither moving the
    // focus on nor Enter ("Add") replaces the typed address.
    typeInto(dialog.Combo2, QStringLiteral("https://mine/"));
    typeInto(dialog.Combo1, QStringLiteral("One"));
    QTest::keyClick(dialog.Combo1, Qt::Key_Tab);
    QVERIFY(!dialog.Combo1->hasFocus());
    QCOMPARE(dialog.Combo2->currentText(), QStringLiteral("https://mine/"));
    dialog.Combo1->setFocus();
    QTest::keyClick(dialog.Combo1, Qt::Key_Return);
    QCOMPARE(linksOf(QStringLiteral("Programming/Languages")), QStringList{"One|https://mine/|"});
}

void TestLinkEditing::firstLinkGetsIdOne()
{
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM Sit")));
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM LksSit")));
    LinkEditing links(Programming);
    QCOMPARE(links.add(QStringLiteral("Programming/Tools"), QStringLiteral("Git"), QStringLiteral("https://git/")),
             LinkEditing::Status::Done);
    QCOMPARE(links.addedSitId(), 1);
    QCOMPARE(QueryRows(QStringLiteral("SELECT LksId, SitId, Seq FROM LksSit")), QStringList{"6|1|1"});
    // Later links: the largest SitId plus 1, though lower ids are free.
    QVERIFY(ExecSql(QStringLiteral("UPDATE Sit SET SitId = 40")));
    QVERIFY(ExecSql(QStringLiteral("UPDATE LksSit SET SitId = 40")));
    QCOMPARE(links.add(QStringLiteral("Programming/Tools"), QStringLiteral("Qt"), QStringLiteral("https://qt/")),
             LinkEditing::Status::Done);
    QCOMPARE(links.addedSitId(), 41);
    QCOMPARE(QueryRows(QStringLiteral("SELECT SitId, Seq FROM LksSit ORDER BY rowid")), (QStringList{"40|1", "41|41"}));
    QCOMPARE(links.add(QStringLiteral("Programming/Nowhere"), QStringLiteral("Qt"), QStringLiteral("https://qt/")),
             LinkEditing::Status::NotFound);
}

void TestLinkEditing::addFailureWritesNothing()
{
    QVERIFY(ExecSql(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON LksSit "
                                   "BEGIN SELECT RAISE(ABORT, 'refused by test'); END")));
    LinkEditing links(Programming);
    QCOMPARE(links.add(QStringLiteral("Programming/Languages"), QStringLiteral("Go"), QStringLiteral("https://go.dev/")),
             LinkEditing::Status::Failed);
    QVERIFY(links.lastError().contains(QStringLiteral("refused by test")));
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Sit")), 29);
    QCOMPARE(QueryRows(QStringLiteral("SELECT IsLeaf FROM Lks WHERE LksId = 2")), QStringList{"0"});
}

// ---- Drops -----------------------------------------------------------------------------------

void TestLinkEditing::dropAddressOntoCategory()
{
    SetOpenBrowserPagesSource([] { return QList<BrowserPage>{{"Example, the page", "https://www.example.org/page"}}; });
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    TreeNode *tools = nodeAt(form, QStringLiteral("Programming\\Tools"));
    const int toolsIndex = tools->Index();

    // Named after the browser window showing it; the comma in the title stays in the name.
    dropOn(form, tools, addressData(QStringLiteral("https://www.example.org/page")));
    QCOMPARE(DroppedLinkUrl, QStringLiteral("Example, the page,https://www.example.org/page"));
    QCOMPARE(SelectedNodeIndex, toolsIndex);
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")).last(),
             QStringLiteral("Example, the page|https://www.example.org/page|"));
    QVERIFY(nodeAt(form, QStringLiteral("Programming\\Tools\\Example, the page")));

    // No window shows it, no page links to it: the address names itself, made a name.
    dropOn(form, nodeAt(form, QStringLiteral("Programming\\Languages\\Rust")),
           addressData(QStringLiteral("https://doc.rust-lang.org/std/")));
    QCOMPARE(linksOf(QStringLiteral("Programming/Languages/Rust")).last(),
             QStringLiteral("https: doc.rust-lang.org std|https://doc.rust-lang.org/std/|"));
    QVERIFY(nodeAt(form, QStringLiteral("Programming\\Languages\\Rust\\https: doc.rust-lang.org std")));

    // A file dropped from a file manager keeps its path as the address.
    const QString file = m_app->file(QStringLiteral("list.txt"));
    m_app->writeFile(QStringLiteral("list.txt"), "x");
    auto *fileData = new QMimeData;
    fileData->setUrls({QUrl::fromLocalFile(file)});
    dropOn(form, nodeAt(form, QStringLiteral("Programming\\Tools")), fileData);
    QCOMPARE(QueryRows(QStringLiteral("SELECT SitUrl FROM Sit WHERE SitId = 32")), QStringList{file});

    // A link dragged off a page that no window names: the text the drag brought names it.
    auto *link = addressData(QStringLiteral("https://doc.rust-lang.org/rust-by-example/"));
    link->setText(QStringLiteral("Rust / by Example"));
    dropOn(form, nodeAt(form, QStringLiteral("Programming\\Languages\\Rust")), link);
    QCOMPARE(linksOf(QStringLiteral("Programming/Languages/Rust")).last(),
             QStringLiteral("Rust by Example|https://doc.rust-lang.org/rust-by-example/|"));
    QCOMPARE(DroppedLinkUrl, QStringLiteral("Rust / by Example,https://doc.rust-lang.org/rust-by-example/"));
    QCOMPARE(orphanLinks(), 0);

    // A drop only copies, also when the source proposes to move (Shift held).
    auto *moved = textData(QStringLiteral("Moved Text,https://c.org/"));
    const QPoint at = nodePoint(form, nodeAt(form, QStringLiteral("Programming\\Tools")));
    const Qt::DropActions both = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, both, moved, Qt::LeftButton, Qt::ShiftModifier);
    QCOMPARE(enter.proposedAction(), Qt::MoveAction);
    QCoreApplication::sendEvent(form->TvwBestell->viewport(), &enter);
    QCOMPARE(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(at, both, moved, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(form->TvwBestell->viewport(), &drop);
    QCOMPARE(drop.dropAction(), Qt::CopyAction);
    QVERIFY(drop.isAccepted());
    delete moved;
}

void TestLinkEditing::dropRefusedOnRootLinkAndDuplicate()
{
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    const qint64 before = QueryCount(QStringLiteral("SELECT count(*) FROM Sit"));
    DialogScript::clearShown();

    dropOn(form, nodeAt(form, QStringLiteral("Programming")), addressData(QStringLiteral("https://a.org/")));
    dropOn(form, nodeAt(form, QStringLiteral("Programming\\Tools\\Git")), addressData(QStringLiteral("https://a.org/")));
    dropOn(form, nullptr, addressData(QStringLiteral("https://a.org/")));
    dropOn(form, nodeAt(form, QStringLiteral("Programming\\Tools")), textData(QStringLiteral("Empty,  ")));
    QCOMPARE(DialogScript::shown().size(), 0);
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Sit")), before);

    // A name already below the target.
    DialogScript::answer(vbOK);
    dropOn(form, nodeAt(form, QStringLiteral("Programming\\Tools")), textData(QStringLiteral("cmake,https://b.org/")));
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The Link Name or Web Address already exist in this tree."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Link Error"));
    // A name of digits only is refused as a typed one is.
    DialogScript::answer(vbOK);
    dropOn(form, nodeAt(form, QStringLiteral("Programming\\Tools")), textData(QStringLiteral("2024,https://b.org/")));
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The Link Name field must contain at least one text character."));
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Sit")), before);

    // Characters no name may hold are replaced, never stored.
    dropOn(form, nodeAt(form, QStringLiteral("Programming\\Tools")),
           textData(QStringLiteral("Guides/How-to \\ <C's>,https://b.org/")));
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")).last(), QStringLiteral("Guides How-to C s|https://b.org/|"));
}

void TestLinkEditing::dropLinkOfTheTreeKeepsWholeName()
{
    LinkEditing links(Programming);
    QCOMPARE(links.add(QStringLiteral("Programming/Tools"), QStringLiteral("Smith, Jones and Co"),
                       QStringLiteral("https://sjc.example/")),
             LinkEditing::Status::Done);
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    TreeNode *source = nodeAt(form, QStringLiteral("Programming\\Tools\\Smith, Jones and Co"));
    QVERIFY(source);
    press(form, source);
    // What the tree control's own drag asks its model for; it only ever copies.
    QCOMPARE(form->TvwBestell->model()->supportedDragActions(), Qt::DropActions(Qt::CopyAction));
    QMimeData *data = form->TvwBestell->model()->mimeData({form->TvwBestell->currentIndex()});
    QVERIFY(data);
    QCOMPARE(data->text(), QStringLiteral("Smith, Jones and Co,https://sjc.example/"));
    QVERIFY(data->hasFormat(LinkDrop::mimeType()));
    QCOMPARE(SelectedLinkName, QStringLiteral("Smith, Jones and Co"));

    // Moved onto another category, it is copied there whole; it stays where it was.
    dropOn(form, nodeAt(form, QStringLiteral("Programming\\Languages\\Python")), data);
    QCOMPARE(linksOf(QStringLiteral("Programming/Languages/Python")).last(),
             QStringLiteral("Smith, Jones and Co|https://sjc.example/|"));
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")).last(),
             QStringLiteral("Smith, Jones and Co|https://sjc.example/|"));

    // A category is not dragged.
    press(form, nodeAt(form, QStringLiteral("Programming\\Tools")));
    QVERIFY(!form->TvwBestell_OLEStartDrag());
}

// ---- Deleting, renaming and re-addressing ----------------------------------------------------

void TestLinkEditing::editsLeaveCopyInOtherCategory()
{
    // A copy of Tools' "Git" in Python (as a drag of the link makes it).
    LinkEditing links(Programming);
    QCOMPARE(links.add(QStringLiteral("Programming/Languages/Python"), QStringLiteral("Git"),
                       QStringLiteral("https://git-scm.com/")),
             LinkEditing::Status::Done);
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    const QString original = QStringLiteral("Programming\\Tools\\Git");

    // Give the copy a new address.
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages\\Python\\Git")));
    QString shown;
    OnModal<Form22> edit([&](Form22 *dialog) {
        shown = dialog->Text2->text();
        dialog->Text2->setText(QStringLiteral("https://git-scm.com/book"));
        dialog->Command1_Click();
    });
    form->mnupoprenamewebaddress_Click();
    QVERIFY(edit.seen);
    QCOMPARE(shown, QStringLiteral("https://git-scm.com/"));
    QCOMPARE(linksOf(QStringLiteral("Programming/Languages/Python")).last(),
             QStringLiteral("Git|https://git-scm.com/book|"));
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")).first(),
             QStringLiteral("Git|https://git-scm.com/|Distributed version control"));
    QCOMPARE(form->PopupCommandDone, qint16(1));

    // Rename the original.
    rightClick(form, nodeAt(form, original));
    QString oldName;
    OnModal<Form4> rename([&](Form4 *dialog) {
        oldName = dialog->Text1->text();
        dialog->Text2->setText(QStringLiteral(" Git SCM "));
        dialog->Command1_Click();
    });
    form->mnupopRenameLinkname_Click();
    QVERIFY(rename.seen);
    QCOMPARE(oldName, QStringLiteral("Git"));
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")).first(),
             QStringLiteral(" Git SCM |https://git-scm.com/|Distributed version control"));
    QCOMPARE(linksOf(QStringLiteral("Programming/Languages/Python")).last(),
             QStringLiteral("Git|https://git-scm.com/book|"));
    const QString renamed = QStringLiteral("Programming\\Tools\\ Git SCM ");

    // Delete the original: No keeps it, Yes removes it; the copy stays.
    rightClick(form, nodeAt(form, renamed));
    DialogScript::answer(vbNo);
    form->mnuPopUpDeleteLink_Click();
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Are you sure you want to delete this Link?"));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Delete Link"));
    QCOMPARE(DialogScript::last().buttons, int(vbYesNo | vbQuestion));
    QVERIFY(nodeAt(form, renamed));

    rightClick(form, nodeAt(form, renamed));
    const int toolsIndex = nodeAt(form, QStringLiteral("Programming\\Tools"))->Index();
    DialogScript::answer(vbYes);
    form->mnuPopUpDeleteLink_Click();
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")),
             (QStringList{"CMake|https://cmake.org/|", "Qt Documentation|https://doc.qt.io/|"}));
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Sit WHERE SitId = 7")), 0);
    QCOMPARE(linksOf(QStringLiteral("Programming/Languages/Python")).last(),
             QStringLiteral("Git|https://git-scm.com/book|"));
    QVERIFY(!nodeAt(form, renamed));
    QCOMPARE(TreeNode::from(form->TvwBestell->currentItem())->Index(), toolsIndex);
    QCOMPARE(orphanLinks(), 0);
}

void TestLinkEditing::renameRefusals()
{
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Tools\\Git")));
    Form1CategoryTreeHost host(form);
    Form4 dialog(host, form);
    dialog.Form_Load();
    QCOMPARE(dialog.Label3->text(), QStringLiteral("Programming\\Tools\\Git"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Rename Link  Name"));

    const struct {
        const char *typed;
        const char *message;
        const char *title;
    } cases[] = {
        {"  ", "Please enter a Link Name.", "Rename Link Error"},
        {" 7 ", "The Link Name field must contain at least one text character.", "Link Name Error"},
        {"a<b", "The New Link Name field contains a character or characters that may not be used. Please delete "
                "these characters before proceeding.\n\n",
         "Prohibited Characters"},
        {"1e5", "The Link Name field must contain at least one text character.", "Link Name Error"},
        {" git ", "The Link Name 'git' already exists in the parent folder. Please select an alternate name.",
         "Link Error"},
        {"Tools", "The Link Name or Address already exists in this tree.", "Link Error"},
    };
    for (const auto &c : cases) {
        dialog.Text2->setText(QString::fromLatin1(c.typed));
        DialogScript::answer(vbOK);
        dialog.Command1_Click();
        QCOMPARE(DialogScript::last().prompt, QString::fromLatin1(c.message));
        QCOMPARE(DialogScript::last().title, QString::fromLatin1(c.title));
    }
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")).first(),
             QStringLiteral("Git|https://git-scm.com/|Distributed version control"));

    // With nothing selected the command says so.
    SelectedNodePath.clear();
    DialogScript::answer(vbOK);
    form->mnupopRenameLinkname_Click();
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Please select Link."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Select Link"));
}

void TestLinkEditing::addressRefusals()
{
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Tools\\Git")));
    Form1CategoryTreeHost host(form);
    Form22 dialog(host, form);
    dialog.Form_Load();
    QCOMPARE(dialog.Text1->text(), QStringLiteral("https://git-scm.com/"));

    dialog.Text2->setText(QStringLiteral("   "));
    DialogScript::answer(vbOK);
    dialog.Command1_Click();
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Please enter a Link Address."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Edit Link Error"));

    dialog.Text2->setText(QStringLiteral("https://git-scm.com/it's"));
    DialogScript::answer(vbOK);
    dialog.Command1_Click();
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The New Link Name field contains a character or characters that may not be used. Please "
                            "delete these characters before proceeding.\n\nNote: Characters that may not be used are "
                            "as follows:/ < > ' \""));
    QCOMPARE(DialogScript::last().buttons, int(vbOKOnly | vbExclamation));

    // Slashes of either kind are allowed.
    dialog.Text2->setText(QStringLiteral("C:\\tools/git"));
    dialog.Command1_Click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")).first(),
             QStringLiteral("Git|C:\\tools/git|Distributed version control"));
}

void TestLinkEditing::addressWithApostrophe()
{
    LinkEditing links(Programming);
    const QString address = QStringLiteral("https://example.org/o'brien");
    QCOMPARE(links.add(QStringLiteral("Programming/Tools"), QStringLiteral("O Brien"), address),
             LinkEditing::Status::Done);
    QCOMPARE(links.rename(QStringLiteral("Programming/Tools"), QStringLiteral("O Brien"), address,
                          QStringLiteral("OBrien")),
             LinkEditing::Status::Done);
    QCOMPARE(links.setNotation(QStringLiteral("Programming/Tools"), QStringLiteral("OBrien"), address,
                               QStringLiteral("it's noted")),
             LinkEditing::Status::Done);
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")).last(), "OBrien|" + address + "|it's noted");
    QCOMPARE(links.remove(QStringLiteral("Programming/Tools"), QStringLiteral("OBrien"), address),
             LinkEditing::Status::Done);
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Sit WHERE SitUrl = ?"), {address}), 0);
    QCOMPARE(links.remove(QStringLiteral("Programming/Tools"), QStringLiteral("OBrien"), address),
             LinkEditing::Status::NotFound);
}

void TestLinkEditing::sameAddressAndSharedRows()
{
    // Two links of one category with one address: the named one is the one removed.
    LinkEditing links(Programming);
    QCOMPARE(links.add(QStringLiteral("Programming/Tools"), QStringLiteral("Git Home"),
                       QStringLiteral("https://git-scm.com/")),
             LinkEditing::Status::Done);
    QCOMPARE(links.remove(QStringLiteral("Programming/Tools"), QStringLiteral("Git Home"),
                          QStringLiteral("https://git-scm.com/")),
             LinkEditing::Status::Done);
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")).first(),
             QStringLiteral("Git|https://git-scm.com/|Distributed version control"));

    // One Sit row held by two categories (as an edition may bring it): a change made in
    // one category stays there.
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (3, 7, 40)")));
    QCOMPARE(links.rename(QStringLiteral("Programming/Languages/Python"), QStringLiteral("Git"),
                          QStringLiteral("https://git-scm.com/"), QStringLiteral("Git for Python")),
             LinkEditing::Status::Done);
    QCOMPARE(linksOf(QStringLiteral("Programming/Languages/Python")).last(),
             QStringLiteral("Git for Python|https://git-scm.com/|Distributed version control"));
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")).first(),
             QStringLiteral("Git|https://git-scm.com/|Distributed version control"));
    QCOMPARE(orphanLinks(), 0);

    // A path without a category finds nothing to change.
    QCOMPARE(links.rename(QString(), QStringLiteral("Git"), QStringLiteral("https://git-scm.com/"),
                          QStringLiteral("X")),
             LinkEditing::Status::NotFound);
}

void TestLinkEditing::deleteLinkOutsideCategory()
{
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    SelectedNodePath = QStringLiteral("Python Documentation");
    SelectedLinkUrl = QStringLiteral("https://docs.python.org/3/");
    LinkDeleteRefused = 0;
    DialogScript::answer(vbOK);
    form->DeleteLink();
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("This Link is located on your Sub-Topic Page. Please select the 'Headers & Links' option "
                            "from the Page Menu bar to delete."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Delete Link Error"));
    QCOMPARE(LinkDeleteRefused, 1);
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Sit WHERE SitId = 2")), 1);
}

// ---- Notations -------------------------------------------------------------------------------

void TestLinkEditing::linkNotation()
{
    LinkEditing links(Programming);
    QCOMPARE(links.add(QStringLiteral("Programming/Languages/Rust"), QStringLiteral("Git"),
                       QStringLiteral("https://git-scm.com/")),
             LinkEditing::Status::Done);
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages\\Rust\\Git")));
    QCOMPARE(NotationIsSite, 1);

    QString title;
    OnModal<Form31> note([&](Form31 *dialog) {
        title = dialog->windowTitle();
        dialog->Text1->setPlainText(QStringLiteral("Also for Rust's crates"));
        dialog->Command1_Click();
    });
    form->mnuPopUpAddNotation_Click();
    QVERIFY(note.seen);
    QCOMPARE(title, QStringLiteral("Notation Box"));
    QCOMPARE(NotationText, QString());
    QCOMPARE(form->PopupCommandDone, qint16(1));
    QCOMPARE(linksOf(QStringLiteral("Programming/Languages/Rust")).last(),
             QStringLiteral("Git|https://git-scm.com/|Also for Rust's crates"));
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")).first(),
             QStringLiteral("Git|https://git-scm.com/|Distributed version control"));

    // Opened again on the copy, the box shows the copy's own text, not the other one's;
    // the right-click itself already reads it.
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages\\Rust\\Git")));
    QCOMPARE(NotationText, QStringLiteral("Also for Rust's crates"));
    QString again;
    OnModal<Form31> reopen([&](Form31 *dialog) {
        again = dialog->Text1->toPlainText();
        dialog->Command1_Click();
    });
    form->mnuPopUpAddNotation_Click();
    QCOMPARE(again, QStringLiteral("Also for Rust's crates"));
    QCOMPARE(linksOf(QStringLiteral("Programming/Languages/Rust")).last(),
             QStringLiteral("Git|https://git-scm.com/|Also for Rust's crates"));

    // Cancel stores nothing and forgets the text shown.
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Tools\\Git")));
    QString shown;
    OnModal<Form31> cancel([&](Form31 *dialog) {
        shown = dialog->Text1->toPlainText();
        dialog->Text1->setPlainText(QStringLiteral("changed"));
        dialog->Command2_Click();
    });
    form->mnuPopUpAddNotation_Click();
    QCOMPARE(shown, QStringLiteral("Distributed version control"));
    QCOMPARE(NotationText, QString());
    QCOMPARE(linksOf(QStringLiteral("Programming/Tools")).first(),
             QStringLiteral("Git|https://git-scm.com/|Distributed version control"));
}

void TestLinkEditing::categoryNotation()
{
    // Another Sub-Topic with a category of the same path.
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc) "
                                   "VALUES (50, 'Tools/Programming', 'Programming/Tools', 2, 1, 0, 'N')")));
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Tools")));
    QCOMPARE(NotationIsSite, 0);
    OnModal<Form31> note([](Form31 *dialog) {
        dialog->Text1->setPlainText(QStringLiteral("build|vcs"));
        dialog->Command1_Click();
    });
    form->mnuPopUpAddNotation_Click();
    QCOMPARE(QueryRows(QStringLiteral("SELECT LksId, ifnull(Keyword, '-') FROM Lks WHERE LksUrl = 'Programming/Tools' "
                                      "ORDER BY LksId")),
             (QStringList{"6|build|vcs", "50|-"}));

    // The root's notation is the Sub-Topic's keyword list; OK with an empty box empties it.
    rightClick(form, nodeAt(form, QStringLiteral("Programming")));
    QString shown;
    OnModal<Form31> root([&](Form31 *dialog) {
        shown = dialog->Text1->toPlainText();
        dialog->Text1->clear();
        dialog->Command1_Click();
    });
    form->mnuPopUpAddNotation_Click();
    QCOMPARE(shown, QStringLiteral("|programming|languages"));
    QCOMPARE(QueryRows(QStringLiteral("SELECT Keyword FROM Lks WHERE LksId = 1")), QStringList{""});
}

QTEST_MAIN(TestLinkEditing)
#include "tst_link_editing.moc"
