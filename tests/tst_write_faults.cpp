// Every editing command of the main window that writes rows, with the edition refusing a
// write part-way through (after none of a table's rows, or after some of them): the command
// tells the user in words why nothing was saved, says nothing of success, the edition holds
// exactly the rows it held before, and the lists, the tree and the page show what they showed.
// The adds also meet the last id a table can give.

#include "editing_tree_support.h"
#include "form1_support.h"
#include "testhelper.h"

#include "editing/form22_rename_web_address.h"
#include "editing/form23_section_headers.h"
#include "editing/form31_notation.h"
#include "editing/form33_move_subtopic.h"
#include "editing/form3_add_link.h"
#include "editing/form4_rename_link.h"
#include "editing/form5_section_links.h"
#include "editing/form7_color_scheme.h"
#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace EditingTest;

using Command = std::function<void(Form1 *)>;
Q_DECLARE_METATYPE(Command)

namespace {

// A command that asks for a name: the name typed, then OK on the box that follows.
Command typed(void (Form1::*handler)(), const QString &name)
{
    return [=](Form1 *form) {
        DialogScript::input(name);
        DialogScript::answer(vbOK);
        (form->*handler)();
    };
}

// A command that asks a question: Yes, then OK on the box that follows.
Command confirmed(void (Form1::*handler)())
{
    return [=](Form1 *form) {
        DialogScript::answer(vbYes);
        DialogScript::answer(vbOK);
        (form->*handler)();
    };
}

// A command that opens dialog T: fill types into it and presses its OK; the box that
// follows is answered, and the dialog, when it stays open, is cancelled.
template <typename T>
Command inDialog(std::function<void(Form1 *)> open, std::function<void(T *)> fill)
{
    return [=](Form1 *form) {
        OnModal<T> modal([&](T *dialog) {
            DialogScript::answer(vbOK);
            fill(dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        open(form);
        QVERIFY(modal.seen);
    };
}

template <typename T>
Command inDialog(void (Form1::*handler)(), std::function<void(T *)> fill)
{
    return inDialog<T>([handler](Form1 *form) { (form->*handler)(); }, fill);
}

// The Add Link dialog adding "Go" to the right-clicked category.
Command addGoLink()
{
    return inDialog<Form3>(&Form1::mnuPopUpAddLink_Click, [](Form3 *dialog) {
        dialog->Combo1->setEditText(QStringLiteral("Go"));
        dialog->Combo2->setEditText(QStringLiteral("https://go.dev/"));
        dialog->Command1_Click();
    });
}

// What the main window shows: the Topic and Sub-Topic lists with their choices, and the
// paths of the tree's nodes.
QStringList windowLists(Form1 *form)
{
    return QStringList{comboItems(form->Combo1).join(QLatin1Char('|')), form->Combo1->currentText(),
                       comboItems(form->Combo2).join(QLatin1Char('|')), form->Combo2->currentText()}
        + nodePaths(form->TvwBestell);
}

// The texts of the message boxes shown since the last clearShown().
QStringList messageBoxes()
{
    QStringList texts;
    for (const DialogScript::Shown &s : DialogScript::shown())
        if (s.kind == QLatin1String("MsgBox"))
            texts.append(s.title + QLatin1Char('|') + s.prompt);
    return texts;
}

} // namespace

class TestWriteFaults : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refusedWriteChangesNothing_data();
    void refusedWriteChangesNothing();
    void lastIdsOfEachTable_data();
    void lastIdsOfEachTable();

private:
    std::unique_ptr<TestProgramFolder> m_app;
};

void TestWriteFaults::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    IsOnline = false;
    // A Topic without Sub-Topics, for the Topic's delete.
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics (MainTopicId, TopicName) VALUES (4, 'Music')")));
}

void TestWriteFaults::cleanup()
{
    WriteFault::disarm();
    closeMainWindow();
    CloseDatabase();
    // A command that succeeds leaves the answer meant for its failure unused.
    RemoveProgramFolder(m_app);
}

void TestWriteFaults::refusedWriteChangesNothing_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("subTopic");     // empty: none chosen
    QTest::addColumn<QString>("node");         // the tree node right-clicked first, if any
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("table");        // the table whose writes are refused
    QTest::addColumn<int>("allowed");          // after this many of its rows; -1: at the commit
    QTest::addColumn<QString>("setup");        // rows the edition gets first, if any

    const QString computing = QStringLiteral("Computing");
    const QString programming = QStringLiteral("Programming");
    const QString languages = QStringLiteral("Programming\\Languages");
    const QString git = QStringLiteral("Programming\\Tools\\Git");
    const auto row = [&](const char *name, const QString &topic, const QString &subTopic, const QString &node,
                         const Command &command, const char *table, int allowed, const char *setup = "") {
        QTest::newRow(name) << topic << subTopic << node << command << QString::fromLatin1(table) << allowed
                            << QString::fromLatin1(setup);
    };

    // Topics: one row each.
    row("Topic add", computing, {}, {}, typed(&Form1::mnuTopicAdd_Click, "Dance"), "Topics", 0);
    row("Topic rename", computing, {}, {}, typed(&Form1::mnuTopicRename_Click, "Informatics"), "Topics", 0);
    row("Topic delete", "Music", {}, {}, confirmed(&Form1::mnutopicDelete_Click), "Topics", 0);

    // Sub-Topics: add writes a SubTopics, a ColorLinks and an Lks row; delete and rename
    // every row the Sub-Topic owns; move its SubTopics row.
    const Command addSubTopic = typed(&Form1::mnusubTopicAdd_Click, "Databases");
    row("Sub-Topic add, first row", computing, {}, {}, addSubTopic, "SubTopics", 0);
    row("Sub-Topic add, colours", computing, {}, {}, addSubTopic, "ColorLinks", 0);
    row("Sub-Topic add, root", computing, {}, {}, addSubTopic, "Lks", 0);
    const Command deleteSubTopic = confirmed(&Form1::mnuSubtopicDelete_Click);
    row("Sub-Topic delete, links", computing, programming, {}, deleteSubTopic, "Sit", 0);
    row("Sub-Topic delete, joins", computing, programming, {}, deleteSubTopic, "LksSit", 4);
    row("Sub-Topic delete, categories", computing, programming, {}, deleteSubTopic, "Lks", 3);
    row("Sub-Topic delete, last section", computing, programming, {}, deleteSubTopic, "LocalLinks", 2);
    row("Sub-Topic delete, refused at commit", computing, programming, {}, deleteSubTopic, "Sit", -1);
    const Command renameSubTopic = typed(&Form1::mnuSubtopicRename_Click, "Coding");
    row("Sub-Topic rename, colours", computing, programming, {}, renameSubTopic, "ColorLinks", 0);
    row("Sub-Topic rename, paths", computing, programming, {}, renameSubTopic, "Lks", 3);
    row("Sub-Topic move", computing, programming, {},
        inDialog<Form33>(&Form1::mnuMoveSubtopic_Click,
                         [](Form33 *dialog) {
                             dialog->Combo1->setCurrentIndex(dialog->Combo1->findText(QStringLiteral("Travel")));
                             dialog->Command4->click();
                         }),
        "SubTopics", 0);

    // Categories: the rename rewrites the category and the four rows below it, the delete
    // takes six links, their joins and four categories.
    row("Category add", computing, programming, languages, typed(&Form1::mnuPopupAddCategory_Click, "Haskell"),
        "Lks", 0);
    const Command renameCategory = typed(&Form1::mnuPopupRenameCategory_Click, "Programming Languages");
    row("Category rename", computing, programming, languages, renameCategory, "Lks", 0);
    row("Category rename, part-way", computing, programming, languages, renameCategory, "Lks", 2);
    // A row two levels down gets its reversed path in a second statement.
    row("Category rename, rows further down", computing, programming, languages, renameCategory, "Lks", 5,
        "INSERT INTO Lks (LksId, LksName, LksUrl, IsTop, LksDesc, TopicId) "
        "VALUES (40, 'Std/Rust/Languages/Programming', 'Programming/Languages/Rust/Std', 1, 'N', 1)");
    const Command deleteCategory = confirmed(&Form1::mnuPopUpDeleteCategory_Click);
    row("Category delete, links", computing, programming, languages, deleteCategory, "Sit", 3);
    row("Category delete, joins", computing, programming, languages, deleteCategory, "LksSit", 0);
    row("Category delete, categories", computing, programming, languages, deleteCategory, "Lks", 2);

    // Links: an add marks its category and writes a Sit and an LksSit row.
    const Command addLink = addGoLink();
    row("Link add, marked category", computing, programming, languages, addLink, "Lks", 0);
    row("Link add, link", computing, programming, languages, addLink, "Sit", 0);
    row("Link add, join", computing, programming, languages, addLink, "LksSit", 0);
    const Command dropLink = [](Form1 *form) {
        auto *data = new QMimeData;
        data->setText(QStringLiteral("Go,https://go.dev/"));
        DialogScript::answer(vbOK);
        dropOn(form, nodeAt(form, QStringLiteral("Programming\\Tools")), data);
    };
    row("Link dropped, link", computing, programming, {}, dropLink, "Sit", 0);
    row("Link dropped, join", computing, programming, {}, dropLink, "LksSit", 0);
    row("Link delete", computing, programming, git, confirmed(&Form1::mnuPopUpDeleteLink_Click), "Sit", 0);
    row("Link delete, join", computing, programming, git, confirmed(&Form1::mnuPopUpDeleteLink_Click), "LksSit", 0);
    const Command renameLink = inDialog<Form4>(&Form1::mnupopRenameLinkname_Click, [](Form4 *dialog) {
        dialog->Text2->setText(QStringLiteral("Git SCM"));
        dialog->Command1_Click();
    });
    row("Link rename", computing, programming, git, renameLink, "Sit", 0);
    // A link that another category holds as well is copied for this one first.
    row("Link rename, link held twice", computing, programming, git, renameLink, "LksSit", 0,
        "INSERT INTO LksSit (LksId, SitId, Seq) VALUES (3, 7, 50)");
    row("Link address", computing, programming, git,
        inDialog<Form22>(&Form1::mnupoprenamewebaddress_Click,
                         [](Form22 *dialog) {
                             dialog->Text2->setText(QStringLiteral("https://git-scm.com/book"));
                             dialog->Command1_Click();
                         }),
        "Sit", 0);
    row("Link notation", computing, programming, git,
        inDialog<Form31>(&Form1::mnuPopUpAddNotation_Click,
                         [](Form31 *dialog) {
                             dialog->Text1->setPlainText(QStringLiteral("Version control"));
                             dialog->Command1_Click();
                         }),
        "Sit", 0);

    // The page: a section's five rows, the six headers, the colours, and links saved on the
    // page itself.
    const Command sectionLinks = inDialog<Form5>([](Form1 *form) { form->mnuEditLinks[0]->trigger(); },
                                                 [](Form5 *dialog) {
                                                     for (int i = 0; i < 5; ++i)
                                                         dialog->Text1[i]->setText(QStringLiteral("Link %1").arg(i));
                                                     dialog->Command1->click();
                                                 });
    row("Section links", computing, programming, {}, sectionLinks, "NewsLinks", 0);
    row("Section links, part-way", computing, programming, {}, sectionLinks, "NewsLinks", 3);
    row("Section headers", computing, programming, {},
        inDialog<Form23>([](Form1 *form) { form->mnuSectionHeaderUpdate->trigger(); },
                         [](Form23 *dialog) {
                             dialog->Text[0]->setText(QStringLiteral("Tools & Tips"));
                             dialog->Command1->click();
                         }),
        "SubTopics", 0);
    row("Colour scheme", computing, programming, {},
        inDialog<Form7>([](Form1 *form) { form->mnuColorSchema->trigger(); },
                        [](Form7 *dialog) {
                            dialog->Check1->click();
                            dialog->Combo1->setCurrentIndex(4);
                            dialog->Combo1_Click();
                            dialog->Command1->click();
                        }),
        "ColorLinks", 0);
    const Command pagePost = [](Form1 *form) {
        QUrl post = QUrl::fromLocalFile(GetAppPath() + QStringLiteral("post-NewsLinks.htm"));
        post.setQuery(QStringLiteral("name1=One&url1=https%3A%2F%2Fone.example%2F&name2=Two&url2=https%3A%2F%2Ftwo."
                                     "example%2F++&file=")
                          + QString::fromUtf8(QUrl::toPercentEncoding(CurrentPageFile)),
                      QUrl::StrictMode);
        bool cancel = false;
        DialogScript::answer(vbOK);
        emit form->results->BeforeNavigate2(post, &cancel);
        QVERIFY(cancel);
    };
    row("Page post", computing, programming, {}, pagePost, "NewsLinks", 0);
    row("Page post, part-way", computing, programming, {}, pagePost, "NewsLinks", 2);
}

void TestWriteFaults::refusedWriteChangesNothing()
{
    QFETCH(QString, topic);
    QFETCH(QString, subTopic);
    QFETCH(QString, node);
    QFETCH(Command, command);
    QFETCH(QString, table);
    QFETCH(int, allowed);
    QFETCH(QString, setup);

    if (!setup.isEmpty())
        QVERIFY(ExecSql(setup));
    Form1 *form = showMainWindow();
    choose(form->Combo1, topic);
    if (!subTopic.isEmpty())
        choose(form->Combo2, subTopic);
    if (!node.isEmpty())
        rightClick(form, nodeAt(form, node));
    const QStringList rows = EditionSnapshot();
    const QStringList shown = windowLists(form);
    const QString page = CurrentPageFile;
    const QByteArray pageBytes = page.isEmpty() ? QByteArray() : m_app->readFile(page);
    DialogScript::clearShown();

    QVERIFY(allowed < 0 ? WriteFault::armCommit(table) : WriteFault::arm(table, allowed));
    command(form);
    WriteFault::disarm();

    const QStringList boxes = messageBoxes();
    QVERIFY2(!boxes.isEmpty() && boxes.last().contains(allowed < 0 ? WriteFault::commitMessage() : WriteFault::message()),
             qPrintable(boxes.join('\n')));
    QVERIFY2(!boxes.join('\n').contains(QLatin1String("success")), qPrintable(boxes.join('\n')));
    QCOMPARE(DialogScript::pending(), 0);
    QCOMPARE(EditionSnapshot(), rows);
    QCOMPARE(windowLists(form), shown);
    QCOMPARE(CurrentPageFile, page);
    if (!page.isEmpty())
        QCOMPARE(m_app->readFile(page), pageBytes);
}

// Ids are the largest plus one; the last id a table can give is 2147483647, after which an
// add is refused with nothing written.
void TestWriteFaults::lastIdsOfEachTable_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("added");     // the id of the new row, read back
    QTest::addColumn<QString>("id");        // empty: nothing added
    QTest::addColumn<QString>("shown");     // the last box

    const QString languages = QStringLiteral("Programming\\Languages");
    const Command addSubTopic = typed(&Form1::mnusubTopicAdd_Click, "Databases");
    const QString subTopicAdded = QStringLiteral("SELECT SubTopicId FROM SubTopics WHERE SubTopicName = 'Databases'");
    const QString subTopicAddedBox = QStringLiteral("Add Sub-Topic|The Sub-Topic 'Databases' has been successfully added.");
    const QString subTopicRefused = QStringLiteral("Add Sub-Topic|The Sub-Topic 'Databases' could not be added.\n\n"
                                                   "The edition has no ids left in the table %1.");
    const QString farSubTopic =
        QStringLiteral("INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName) VALUES (%1, 3, 'Far')");
    const QString farCategory = QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId) VALUES (%1, 'Far', 'Far', 3)");
    QTest::newRow("Sub-Topic, last id") << QString() << farSubTopic.arg(2147483646) << addSubTopic << subTopicAdded
                                        << "2147483647" << subTopicAddedBox;
    QTest::newRow("Sub-Topic, none left") << QString() << farSubTopic.arg(2147483647) << addSubTopic << subTopicAdded
                                          << QString() << subTopicRefused.arg("SubTopics");
    QTest::newRow("Sub-Topic, none left for its root") << QString() << farCategory.arg(2147483647) << addSubTopic
                                                       << subTopicAdded << QString() << subTopicRefused.arg("Lks");

    const Command addCategory = typed(&Form1::mnuPopupAddCategory_Click, "Haskell");
    const QString categoryAdded = QStringLiteral("SELECT LksId FROM Lks WHERE LksUrl = 'Programming/Languages/Haskell'");
    QTest::newRow("category, last id") << languages << farCategory.arg(2147483646) << addCategory << categoryAdded
                                       << "2147483647" << QString();
    QTest::newRow("category, none left")
        << languages << farCategory.arg(2147483647) << addCategory << categoryAdded << QString()
        << "Add Category|The Category could not be added. Nothing was changed.\n\nThe edition has no ids left in the "
           "table Lks.";

    const QString farLink = QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl) VALUES (%1, 'Far', 'https://far/')");
    const QString linkAdded = QStringLiteral("SELECT SitId FROM Sit WHERE SitName = 'Go'");
    QTest::newRow("link, last id") << languages << farLink.arg(2147483646) << addGoLink() << linkAdded << "2147483647"
                                   << QString();
    QTest::newRow("link, none left")
        << languages << farLink.arg(2147483647) << addGoLink() << linkAdded << QString()
        << "Link Error|The Link could not be added. Nothing was changed.\n\nThe edition has no ids left in the table "
           "Sit.";
}

void TestWriteFaults::lastIdsOfEachTable()
{
    QFETCH(QString, node);
    QFETCH(QString, setup);
    QFETCH(Command, command);
    QFETCH(QString, added);
    QFETCH(QString, id);
    QFETCH(QString, shown);

    QVERIFY(ExecSql(setup));
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    if (!node.isEmpty())
        rightClick(form, nodeAt(form, node));
    const QStringList rows = EditionSnapshot();
    DialogScript::clearShown();
    command(form);

    QCOMPARE(QueryRows(added), id.isEmpty() ? QStringList() : QStringList{id});
    if (id.isEmpty())
        QCOMPARE(EditionSnapshot(), rows);
    const QStringList boxes = messageBoxes();
    QCOMPARE(boxes.isEmpty() ? QString() : boxes.last(), shown);
}

QTEST_MAIN(TestWriteFaults)
#include "tst_write_faults.moc"
