// Categories of a Sub-Topic's tree: adding at several depths, renaming with everything
// below, the refusals of both, deleting a subtree with its links all or nothing, the Add
// Sub-Category dialog, and the tree's Category commands in the main window.

#include "editing_tree_support.h"
#include "testhelper.h"

#include "editing/category_editing.h"
#include "editing/category_tree_host.h"
#include "editing/edit_names.h"
#include "editing/form2_add_subcategory.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QSqlDatabase>
#include <QUrl>
#include <QtTest>

using namespace EditingTest;

namespace {

constexpr qint32 Programming = 1;   // Sub-Topic "Programming" of the sample edition
constexpr qint32 Astronomy = 4;

QStringList category(const QString &url, qint32 subTopic = Programming)
{
    return QueryRows(QStringLiteral("SELECT LksId, LksName, LksUrl, IsTop, IsLeaf, LksDesc FROM Lks "
                                    "WHERE LksUrl = ? COLLATE BINARY AND TopicId = ?"),
                {url, subTopic});
}

QStringList urls(qint32 subTopic)
{
    return QueryRows(QStringLiteral("SELECT LksUrl FROM Lks WHERE TopicId = ? ORDER BY LksId"), {subTopic});
}

// A tree of its own for the dialog.
class PlainTreeHost : public CategoryTreeHost
{
public:
    QTreeWidget treeWidget;
    int rebuilds = 0;
    QTreeWidget *tree() override { return &treeWidget; }
    void updateTree() override { ++rebuilds; }
    QWidget *window() override { return nullptr; }
};

} // namespace

class TestCategoryEditing : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void numericText_data();
    void numericText();

    void addAtSeveralDepths_data();
    void addAtSeveralDepths();
    void addRefusesDuplicateInAnyCase();
    void addRemakesMissingRoot();
    void addToEmptyTable();
    void addFailureWritesNothing();

    void renameRewritesSubtree();
    void renameRefusals_data();
    void renameRefusals();
    void renamePredefinedSubTopic();
    void renameAndDeleteKeepLetterCase();
    void renameNameWithWildcards();

    void deleteSubtreeLeavesNoOrphans();
    void deleteBelowKeepsOwnRow();
    void deleteKeepsLinkHeldElsewhere();
    void deleteFailureChangesNothing();

    void subCategoryDialog();
    void subCategoryDialogRefusals();

    void popupAddCategory();
    void popupAddRefusals();
    void popupAddToReadOnlyEdition();
    void popupRenameCategory();
    void popupDeleteCategory();

private:
    std::unique_ptr<TestProgramFolder> m_app;
};

void TestCategoryEditing::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    IsOnline = false;
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    CurrentSubTopicId = Programming;
}

void TestCategoryEditing::cleanup()
{
    closeMainWindow();
    CloseDatabase();
    RemoveProgramFolder(m_app);
}

// ---- Names ---------------------------------------------------------------------------------

void TestCategoryEditing::numericText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::newRow("digits") << "42" << true;
    QTest::newRow("blank before") << " 42" << true;
    QTest::newRow("exponent") << "1e5" << true;
    QTest::newRow("D exponent") << "2D3" << true;
    QTest::newRow("thousands and decimals") << "1,000.50" << true;
    QTest::newRow("sign") << "-7" << true;
    QTest::newRow("hexadecimal") << "&H1F" << true;
    QTest::newRow("octal") << "&O17" << true;
    QTest::newRow("bad octal") << "&O19" << false;
    QTest::newRow("exponent without digits") << "1e" << false;
    QTest::newRow("word") << "abc" << false;
    QTest::newRow("nothing") << "" << false;
    QTest::newRow("digits and word") << "42 Street" << false;
}

void TestCategoryEditing::numericText()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QCOMPARE(EditNames::IsNumeric(text), numeric);
}

// ---- Adding ----------------------------------------------------------------------------------

void TestCategoryEditing::addAtSeveralDepths_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("reversed");
    QTest::newRow("under the root") << "Programming" << "Databases" << "Programming/Databases"
                                    << "Databases/Programming";
    QTest::newRow("second level") << "Programming\\Languages" << "Go" << "Programming/Languages/Go"
                                  << "Go/Languages/Programming";
    QTest::newRow("third level") << "Programming\\Languages\\Python" << "Web Frameworks"
                                 << "Programming/Languages/Python/Web Frameworks"
                                 << "Web Frameworks/Python/Languages/Programming";
    QTest::newRow("blanks kept") << "Programming\\Tools" << " Editors " << "Programming/Tools/ Editors "
                                 << " Editors /Tools/Programming";
    QTest::newRow("pasted line break") << "Programming" << "\r\nDatabases\r\n" << "Programming/Databases"
                                       << "Databases/Programming";
    QTest::newRow("line break inside") << "Programming" << "Data\r\nBases\nand\rKeys" << "Programming/Data Bases and Keys"
                                       << "Data Bases and Keys/Programming";
}

void TestCategoryEditing::addAtSeveralDepths()
{
    QFETCH(QString, parent);
    QFETCH(QString, name);
    QFETCH(QString, url);
    QFETCH(QString, reversed);

    CategoryEditing categories(Programming);
    QCOMPARE(categories.add(QStringLiteral("Programming"), parent, name), CategoryEditing::Status::Done);
    // The sample edition's largest LksId is 23; the root row is there, so only one id is used.
    QCOMPARE(categories.addedId(), 24);
    QCOMPARE(categories.recreatedRootId(), 0);
    QCOMPARE(category(url), QStringList{QStringLiteral("24|") + reversed + QLatin1Char('|') + url + "|1|0|N"});
}

void TestCategoryEditing::addRefusesDuplicateInAnyCase()
{
    CategoryEditing categories(Programming);
    QCOMPARE(categories.add(QStringLiteral("Programming"), QStringLiteral("Programming"), QStringLiteral("languages")),
             CategoryEditing::Status::Duplicate);
    QCOMPARE(categories.add(QStringLiteral("Programming"), QStringLiteral("Programming"), QStringLiteral("Tools")),
             CategoryEditing::Status::Duplicate);
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Lks")), 23);

    // The same name under another parent, or in another Sub-Topic, is a new category.
    QCOMPARE(categories.add(QStringLiteral("Programming"), QStringLiteral("Programming\\Languages"),
                            QStringLiteral("Tools")),
             CategoryEditing::Status::Done);
    CategoryEditing astronomy(Astronomy);
    QCOMPARE(astronomy.add(QStringLiteral("Astronomy"), QStringLiteral("Astronomy"), QStringLiteral("Tools")),
             CategoryEditing::Status::Done);
    QCOMPARE(category(QStringLiteral("Astronomy/Tools"), Astronomy).size(), 1);
}

void TestCategoryEditing::addRemakesMissingRoot()
{
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM Lks WHERE LksId = 1")));
    CategoryEditing categories(Programming);
    QCOMPARE(categories.add(QStringLiteral("Programming"), QStringLiteral("Programming"), QStringLiteral("Databases")),
             CategoryEditing::Status::Done);
    QCOMPARE(categories.recreatedRootId(), 24);
    QCOMPARE(categories.addedId(), 25);
    QCOMPARE(category(QStringLiteral("Programming")), QStringList{"24|Programming|Programming|1|0|N"});
    QCOMPARE(category(QStringLiteral("Programming/Databases")),
             QStringList{"25|Databases/Programming|Programming/Databases|1|0|N"});
}

void TestCategoryEditing::addToEmptyTable()
{
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM Lks")));
    CategoryEditing categories(Programming);
    QCOMPARE(categories.add(QStringLiteral("Programming"), QStringLiteral("Programming"), QStringLiteral("News")),
             CategoryEditing::Status::Done);
    // The edition's one id rule: an empty table starts at 1.
    QCOMPARE(categories.recreatedRootId(), 1);
    QCOMPARE(categories.addedId(), 2);
    QCOMPARE(urls(Programming), (QStringList{"Programming", "Programming/News"}));
}

void TestCategoryEditing::addFailureWritesNothing()
{
    // The root row goes in, then the category row is refused: neither may stay.
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM Lks WHERE LksId = 1")));
    QVERIFY(ExecSql(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Lks WHEN new.LksName LIKE 'Databases/%' "
                                   "BEGIN SELECT RAISE(ABORT, 'refused by test'); END")));
    CategoryEditing categories(Programming);
    QCOMPARE(categories.add(QStringLiteral("Programming"), QStringLiteral("Programming"), QStringLiteral("Databases")),
             CategoryEditing::Status::Failed);
    QVERIFY(categories.lastError().contains(QStringLiteral("refused by test")));
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Lks")), 22);
    QCOMPARE(categories.addedId(), 0);
}

// ---- Renaming --------------------------------------------------------------------------------

void TestCategoryEditing::renameRewritesSubtree()
{
    CategoryEditing categories(Programming);
    for (const auto &[parent, name] : {std::pair{"Programming", "News"}, std::pair{"Programming\\News", "Sport"},
                                      std::pair{"Programming\\News\\Sport", "Teams"},
                                      std::pair{"Programming\\News", "Sports"}})
        QCOMPARE(categories.add(QStringLiteral("Programming"), QString::fromLatin1(parent), QString::fromLatin1(name)),
                 CategoryEditing::Status::Done);
    // A link below the renamed category stays with it.
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (90, 'Team', 'https://t/', '')")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (26, 90, 90)")));

    QCOMPARE(categories.rename(QStringLiteral("Programming\\News\\Sport"), QStringLiteral("Games")),
             CategoryEditing::Status::Done);
    QCOMPARE(categories.rowsChanged(), 2);
    QCOMPARE(category(QStringLiteral("Programming/News/Games")),
             QStringList{"25|Games/News/Programming|Programming/News/Games|1|0|N"});
    QCOMPARE(category(QStringLiteral("Programming/News/Games/Teams")),
             QStringList{"26|Teams/Games/News/Programming|Programming/News/Games/Teams|1|0|N"});
    QCOMPARE(category(QStringLiteral("Programming/News/Sports")),
             QStringList{"27|Sports/News/Programming|Programming/News/Sports|1|0|N"});
    QCOMPARE(category(QStringLiteral("Programming/News/Sport")), QStringList());
    QCOMPARE(QueryRows(QStringLiteral("SELECT LksId FROM LksSit WHERE SitId = 90")), QStringList{"26"});
}

void TestCategoryEditing::renameRefusals_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("status");
    using S = CategoryEditing::Status;
    QTest::newRow("sibling") << "Programming\\Languages\\Rust" << "Python" << int(S::Duplicate);
    QTest::newRow("sibling in other letters") << "Programming\\Languages\\Rust" << "PYTHON" << int(S::Duplicate);
    QTest::newRow("row that came with the edition") << "Programming\\Languages\\Rust" << "Legacy" << int(S::Duplicate);
    QTest::newRow("own name in other letters") << "Programming\\Languages\\Rust" << "RUST" << int(S::Done);
    QTest::newRow("new name") << "Programming\\Languages\\Rust" << "Go" << int(S::Done);
}

void TestCategoryEditing::renameRefusals()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(int, status);
    // A category without LksDesc "N" (as editions bring them).
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf) "
                                   "VALUES (30, 'Legacy/Languages/Programming', 'Programming/Languages/Legacy', 1, 1, 1)")));
    const QStringList before = urls(Programming);

    CategoryEditing categories(Programming);
    QCOMPARE(int(categories.rename(path, name)), status);
    if (status == int(CategoryEditing::Status::Done)) {
        QCOMPARE(category(QStringLiteral("Programming/Languages/") + name).size(), 1);
        QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Lks WHERE LksUrl = 'Programming/Languages/Rust' "
                                           "COLLATE BINARY")),
                 0);
    } else {
        QCOMPARE(urls(Programming), before);
    }
    // Two rows of a Sub-Topic never share a path in any letter case.
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM (SELECT upper(LksUrl) FROM Lks WHERE TopicId = 1 "
                                       "GROUP BY upper(LksUrl) HAVING count(*) > 1)")),
             0);
}

void TestCategoryEditing::renamePredefinedSubTopic()
{
    QVERIFY(ExecSql(QStringLiteral("UPDATE Lks SET LksDesc = '' WHERE TopicId = ?"), {Astronomy}));
    CategoryEditing categories(Astronomy);
    QVERIFY(!categories.hasUserRows());
    QCOMPARE(categories.rename(QStringLiteral("Astronomy\\Observatories"), QStringLiteral("Sites")),
             CategoryEditing::Status::Predefined);
    QCOMPARE(category(QStringLiteral("Astronomy/Observatories"), Astronomy).size(), 1);
}

void TestCategoryEditing::renameAndDeleteKeepLetterCase()
{
    // A category whose path differs only in letter case is another one; a reversed path that
    // no longer matches its path is written anew.
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, LksDesc) VALUES "
                                   "(50, 'languages/Programming', 'Programming/languages', 1, 1, 'N'), "
                                   "(51, 'Go/languages/Programming', 'Programming/languages/Go', 1, 1, 'N'), "
                                   "(52, 'x', 'Programming/Languages/Q\"u\\ote', 1, 1, 'N'), "
                                   "(53, 'x', 'Programming/Languages/Python/Deep', 1, 1, 'N')")));
    QVERIFY(ExecSql(QStringLiteral("UPDATE Lks SET LksName = 'stale' WHERE LksId = 3")));
    CategoryEditing categories(Programming);
    QCOMPARE(categories.renamePaths(QStringLiteral("Programming/Languages"), QStringLiteral("Programming/Code")),
             CategoryEditing::Status::Done);
    QCOMPARE(categories.rowsChanged(), 6);
    QCOMPARE(category(QStringLiteral("Programming/Code/Python/Deep")),
             QStringList{"53|Deep/Python/Code/Programming|Programming/Code/Python/Deep|1|0|N"});
    QCOMPARE(category(QStringLiteral("Programming/Code/Q\"u\\ote")),
             QStringList{"52|Q\"u\\ote/Code/Programming|Programming/Code/Q\"u\\ote|1|0|N"});
    QCOMPARE(category(QStringLiteral("Programming/Code/Python")),
             QStringList{"3|Python/Code/Programming|Programming/Code/Python|1|1|N"});
    const QStringList other = {"50|languages/Programming|Programming/languages|1|0|N"};
    QCOMPARE(category(QStringLiteral("Programming/languages")), other);

    QCOMPARE(categories.deleteCategory(QStringLiteral("Programming\\Code")), CategoryEditing::Status::Done);
    QCOMPARE(categories.rowsChanged(), 6);
    QCOMPARE(urls(Programming),
             (QStringList{"Programming", "Programming/Tools", "Programming/languages", "Programming/languages/Go"}));
    QCOMPARE(categories.deleteCategory(QStringLiteral("Programming\\LANGUAGES")), CategoryEditing::Status::NotFound);
}

void TestCategoryEditing::renameNameWithWildcards()
{
    // "*", "?" and "[" in a name stand for themselves: Cx is not below C*.
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, LksDesc) VALUES "
                                   "(70, 'C*?[/Programming', 'Programming/C*?[', 1, 1, 'N'), "
                                   "(71, 'old', 'Programming/C*?[/a/b', 1, 1, 'N'), "
                                   "(72, 'old', 'Programming/Cx?[/a/b', 1, 1, 'N')")));
    CategoryEditing categories(Programming);
    QCOMPARE(categories.renamePaths(QStringLiteral("Programming/C*?["), QStringLiteral("Programming/K")),
             CategoryEditing::Status::Done);
    QCOMPARE(categories.rowsChanged(), 2);
    QCOMPARE(QueryRows(QStringLiteral("SELECT LksName, LksUrl FROM Lks WHERE LksId >= 70 ORDER BY LksId")),
             (QStringList{"K/Programming|Programming/K", "b/a/K/Programming|Programming/K/a/b",
                          "old|Programming/Cx?[/a/b"}));
}

// ---- Deleting --------------------------------------------------------------------------------

void TestCategoryEditing::deleteSubtreeLeavesNoOrphans()
{
    CategoryEditing categories(Programming);
    QCOMPARE(categories.deleteCategory(QStringLiteral("Programming\\Languages")), CategoryEditing::Status::Done);
    QCOMPARE(categories.rowsChanged(), 4);
    QCOMPARE(urls(Programming), (QStringList{"Programming", "Programming/Tools"}));
    // The six links of Python, Rust and JavaScript are gone; those of Tools stay.
    QCOMPARE(QueryRows(QStringLiteral("SELECT SitId FROM Sit WHERE SitId <= 9 ORDER BY SitId")),
             (QStringList{"7", "8", "9"}));
    QCOMPARE(QueryRows(QStringLiteral("SELECT LksId FROM LksSit WHERE LksId <= 6 ORDER BY SitId")),
             (QStringList{"6", "6", "6"}));
    QCOMPARE(orphanLinks(), 0);
    // Other Sub-Topics are untouched.
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Lks")), 19);
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Sit")), 23);

    QCOMPARE(categories.deleteCategory(QStringLiteral("Programming\\Languages")), CategoryEditing::Status::NotFound);
}

void TestCategoryEditing::deleteBelowKeepsOwnRow()
{
    CategoryEditing categories(Programming);
    QCOMPARE(categories.deleteCategory(QStringLiteral("Programming\\Languages\\Python"), true),
             CategoryEditing::Status::Done);
    QCOMPARE(category(QStringLiteral("Programming/Languages/Python")).size(), 1);
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM LksSit WHERE LksId = 3")), 0);
    QCOMPARE(orphanLinks(), 0);
}

void TestCategoryEditing::deleteKeepsLinkHeldElsewhere()
{
    // An edition may hold one Sit row in two categories: deleting one keeps it for the other.
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (6, 1, 40)")));
    CategoryEditing categories(Programming);
    QCOMPARE(categories.deleteCategory(QStringLiteral("Programming\\Languages")), CategoryEditing::Status::Done);
    QCOMPARE(QueryRows(QStringLiteral("SELECT SitName FROM Sit WHERE SitId = 1")), QStringList{"Python Home"});
    QCOMPARE(orphanLinks(), 0);
}

void TestCategoryEditing::deleteFailureChangesNothing()
{
    QVERIFY(ExecSql(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON Lks WHEN old.LksId = 5 "
                                   "BEGIN SELECT RAISE(ABORT, 'refused by test'); END")));
    const QStringList sites = QueryRows(QStringLiteral("SELECT * FROM Sit ORDER BY SitId"));
    const QStringList joins = QueryRows(QStringLiteral("SELECT * FROM LksSit ORDER BY rowid"));
    const QStringList categoryRows = QueryRows(QStringLiteral("SELECT * FROM Lks ORDER BY LksId"));

    CategoryEditing categories(Programming);
    QCOMPARE(categories.deleteCategory(QStringLiteral("Programming\\Languages")), CategoryEditing::Status::Failed);
    QVERIFY(categories.lastError().contains(QStringLiteral("refused by test")));
    QCOMPARE(QueryRows(QStringLiteral("SELECT * FROM Sit ORDER BY SitId")), sites);
    QCOMPARE(QueryRows(QStringLiteral("SELECT * FROM LksSit ORDER BY rowid")), joins);
    QCOMPARE(QueryRows(QStringLiteral("SELECT * FROM Lks ORDER BY LksId")), categoryRows);
}

// ---- Add Sub-Category dialog -----------------------------------------------------------------

void TestCategoryEditing::subCategoryDialog()
{
    PlainTreeHost host;
    TreeNodes *nodes = TreeNodes::of(&host.treeWidget);
    nodes->Add(nullptr, tvwLast, QStringLiteral("Programming1"), QStringLiteral("Programming"));
    nodes->Add(QStringLiteral("Programming1"), tvwChild, QStringLiteral("Tools6"), QStringLiteral("Tools"));

    SelectedNodePath = QStringLiteral("Programming\\Tools");
    Form2 dialog(host);
    dialog.Form_Load();
    QCOMPARE(dialog.Label3->text(), QStringLiteral("Programming\\Tools"));
    dialog.Text1->setText(QStringLiteral("  Debuggers "));
    DialogScript::answer(vbOK);
    dialog.Command1_Click();

    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Your Sub-Category has been successfully added."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Add Sub-Category"));
    QCOMPARE(host.rebuilds, 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(QueryRows(QStringLiteral("SELECT LksId, LksName, LksUrl, IsLeaf, IsTop, ifnull(LksDesc, '-'), TopicId "
                                      "FROM Lks WHERE LksUrl = 'Programming/Tools/Debuggers'")),
             QStringList{"24|Debuggers/Tools/Programming|Programming/Tools/Debuggers|1|0|-|1"});
}

void TestCategoryEditing::subCategoryDialogRefusals()
{
    PlainTreeHost host;
    TreeNodes *nodes = TreeNodes::of(&host.treeWidget);
    nodes->Add(nullptr, tvwLast, QStringLiteral("News1"), QStringLiteral("News"));
    nodes->Add(QStringLiteral("News1"), tvwChild, QStringLiteral("Sport2"), QStringLiteral("Sport"));
    nodes->Add(QStringLiteral("News1"), tvwChild, QStringLiteral("World3"), QStringLiteral("World"));
    nodes->Add(QStringLiteral("World3"), tvwChild, QStringLiteral("Sport4"), QStringLiteral("Sport"));
    nodes->Add(QStringLiteral("Sport4"), tvwChild, QStringLiteral("Teams5"), QStringLiteral("Teams"));

    SelectedNodePath = QStringLiteral("News\\Sport");
    Form2 dialog(host);
    dialog.Form_Load();
    const struct {
        const char *typed;
        const char *message;
        const char *title;
    } cases[] = {
        {"   ", "The Sub-Category field must contain at least one text character.", "Sub-Topic Name Error"},
        {"1e5", "The Sub-Category field must contain at least one text character.", "Category Name Error"},
        {"A/B", "The Category title field created contains a character or characters that may not be used. Please "
                "delete these characters before proceeding.\n\n",
         "Prohibited Characters"},
        // Teams sits under another node named Sport.
        {" teams", "The Sub-Category  teams already exists under News\\Sport. Please select an alternate name.",
         "Select Alternate Name"},
    };
    for (const auto &c : cases) {
        dialog.Text1->setText(QString::fromLatin1(c.typed));
        DialogScript::answer(vbOK);
        dialog.Command1_Click();
        QCOMPARE(DialogScript::last().prompt, QString::fromLatin1(c.message));
        QCOMPARE(DialogScript::last().title, QString::fromLatin1(c.title));
    }
    QCOMPARE(host.rebuilds, 0);
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Lks")), 23);
}

// ---- The tree's Category commands ------------------------------------------------------------

void TestCategoryEditing::popupAddCategory()
{
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages")));
    DialogScript::input(QStringLiteral("Haskell"));
    form->mnuPopupAddCategory_Click();

    QCOMPARE(DialogScript::last().kind, QStringLiteral("InputBox"));
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Please enter your Category Name:"));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Add Category"));
    QCOMPARE(category(QStringLiteral("Programming/Languages/Haskell")),
             QStringList{"24|Haskell/Languages/Programming|Programming/Languages/Haskell|1|0|N"});
    // The lists were chosen again: the same Sub-Topic shows its rebuilt tree.
    QCOMPARE(form->Combo1->currentText(), QStringLiteral("Computing"));
    QCOMPARE(form->Combo2->currentText(), QStringLiteral("Programming"));
    QVERIFY(nodeAt(form, QStringLiteral("Programming\\Languages\\Haskell")));
}

// An edition that may not be written: the user reads why, not the database's own text.
void TestCategoryEditing::popupAddToReadOnlyEdition()
{
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages")));
    const QStringList before = urls(Programming);
    // The edition open as a read-only file is.
    CloseDatabase();
    QSqlDatabase db = DbConnection();
    QUrl file = QUrl::fromLocalFile(m_app->file(QStringLiteral("Sample_Links.mdb")));
    file.setQuery(QStringLiteral("mode=ro"));
    db.setDatabaseName(file.toString(QUrl::FullyEncoded));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    QVERIFY(db.open());

    DialogScript::interact([](QDialog *box) {
        QLineEdit *field = box->findChild<QLineEdit *>();
        QVERIFY(field);
        QTest::keyClicks(field, QStringLiteral("Haskell"));
        QTest::keyClick(field, Qt::Key_Return);
    });
    DialogScript::answer(vbOK);
    form->mnuPopupAddCategory->trigger();

    const QString shown = DialogScript::last().prompt;
    QVERIFY2(shown.startsWith(QStringLiteral("The Category could not be added.")), qPrintable(shown));
    QVERIFY2(shown.contains(QStringLiteral("read-only")), qPrintable(shown));
    QVERIFY2(!shown.contains(QStringLiteral("readonly")) && !shown.contains(QStringLiteral("fetch row")),
             qPrintable(shown));
    QCOMPARE(urls(Programming), before);
}

void TestCategoryEditing::popupAddRefusals()
{
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    rightClick(form, nodeAt(form, QStringLiteral("Programming")));
    const QStringList before = urls(Programming);
    DialogScript::clearShown();

    DialogScript::cancel();
    form->mnuPopupAddCategory_Click();
    QCOMPARE(DialogScript::shown().size(), 1);   // the input box only

    DialogScript::input(QStringLiteral("TOOLS"));
    DialogScript::answer(vbOK);
    form->mnuPopupAddCategory_Click();
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The Category 'TOOLS'  already exists. Please select an alternate name."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Select Alternate Name"));

    DialogScript::input(QStringLiteral(" 42"));
    DialogScript::answer(vbOK);
    form->mnuPopupAddCategory_Click();
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The Category field must contain at least one text character."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Category Name Error"));
    QCOMPARE(urls(Programming), before);
}

void TestCategoryEditing::popupRenameCategory()
{
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages")));
    DialogScript::clearShown();

    // Another category's path, in other letters, is refused with the Sub-Topic named.
    DialogScript::input(QStringLiteral("tools"));
    DialogScript::answer(vbOK);
    form->mnuPopupRenameCategory_Click();
    QCOMPARE(DialogScript::shown().at(0).prompt,
             QStringLiteral("Your current Category Name is:\n\nLanguages\n\n\n\n\nPlease enter your new Category Name"));
    QCOMPARE(DialogScript::shown().at(0).title, QStringLiteral("Rename Category"));
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The Category \"tools\" already exists under the Sub-Topic \"Programming\". "
                            "Please select an alternate name."));

    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages")));
    DialogScript::input(QStringLiteral("Programming Languages"));
    form->mnuPopupRenameCategory_Click();
    QCOMPARE(urls(Programming),
             (QStringList{"Programming", "Programming/Programming Languages",
                          "Programming/Programming Languages/Python", "Programming/Programming Languages/Rust",
                          "Programming/Programming Languages/JavaScript", "Programming/Tools"}));
    QCOMPARE(QueryRows(QStringLiteral("SELECT LksName FROM Lks WHERE LksId = 4")),
             QStringList{"Rust/Programming Languages/Programming"});
    QVERIFY(nodeAt(form, QStringLiteral("Programming\\Programming Languages\\Rust\\Rust Language")));
}

void TestCategoryEditing::popupDeleteCategory()
{
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages")));
    DialogScript::answer(vbNo);
    form->mnuPopUpDeleteCategory_Click();
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("You are about to delete the category 'Languages'.\n\nPlease note that any categories "
                            "and/or links that may exist under this category will also be deleted.\n\nDo you still "
                            "wish to continue?"));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Delete Category"));
    QCOMPARE(DialogScript::last().buttons, int(vbYesNo | vbQuestion));
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Lks WHERE TopicId = 1")), 6);

    rightClick(form, nodeAt(form, QStringLiteral("Programming\\Languages")));
    DialogScript::answer(vbYes);
    form->mnuPopUpDeleteCategory_Click();
    QCOMPARE(urls(Programming), (QStringList{"Programming", "Programming/Tools"}));
    QCOMPARE(orphanLinks(), 0);
    QVERIFY(!nodeAt(form, QStringLiteral("Programming\\Languages")));
    QVERIFY(nodeAt(form, QStringLiteral("Programming\\Tools\\Git")));
}

QTEST_MAIN(TestCategoryEditing)
#include "tst_category_editing.moc"
