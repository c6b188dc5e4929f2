// Topic and Sub-Topic editing through the main window's menus: add, rename and delete of
// Topics; add, delete, rename and move of Sub-Topics. Each case answers the boxes through
// the dialog seam and checks the texts shown, the edition's rows, the lists and the page.

#include "editing_tree_support.h"
#include "form1_support.h"
#include "testhelper.h"

#include "editing/category_editing.h"
#include "editing/form7_color_scheme.h"
#include "editing/form33_move_subtopic.h"
#include "editing/subtopic_editing.h"
#include "editing/topic_editing.h"
#include "mainwindow/form1.h"
#include "pages/topic_page_builder.h"
#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace Form1Test;

namespace {

const QString Long30 = QStringLiteral("Abcdefghij Abcdefghij Abcdefgh");   // 30 characters

// Every box shown since the last call as "title|prompt", the input boxes left out.
QStringList boxes()
{
    QStringList list;
    for (const DialogScript::Shown &s : DialogScript::shown())
        if (s.kind == QLatin1String("MsgBox"))
            list.append(s.title + QLatin1Char('|') + s.prompt);
    DialogScript::clearShown();
    return list;
}

// Scripts the input box (a null name cancels it) and an OK for each message box after it.
void scriptAnswers(const QString &name, int messages)
{
    if (name.isNull())
        DialogScript::cancel();
    else
        DialogScript::input(name);
    for (int i = 0; i < messages; ++i)
        DialogScript::answer(vbOK);
}

// The first box shown was the input box with that title and prompt, the message boxes
// after it those given.
void verifyBoxes(const QString &title, const QString &prompt, const QStringList &messages)
{
    const DialogScript::Shown input = DialogScript::shown().value(0);
    QCOMPARE(input.title, title);
    QCOMPARE(input.prompt, prompt);
    QCOMPARE(boxes(), messages);
}

} // namespace

class TestTopicEditing : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listEntryPrefersExactName_data();
    void listEntryPrefersExactName();

    void topicAdd_data();
    void topicAdd();
    void topicIdLimit_data();
    void topicIdLimit();
    void topicRename_data();
    void topicRename();
    void topicDelete();

    void subTopicAdd_data();
    void subTopicAdd();
    void subTopicDeleteRemovesEveryRow();
    void subTopicDeleteFailureChangesNothing();
    void subTopicRename_data();
    void subTopicRename();
    void subTopicRenameRewritesEveryPath();
    void subTopicRenameOddPaths();
    void subTopicRenameReselectsExactName();

    void moveSubTopic();
    void namesShowLiterally();
    void captionsShowWhole();

private:
    Form1 *load(const QString &topic = QString(), const QString &subTopic = QString());
    std::unique_ptr<TestProgramFolder> m_app;
};

void TestTopicEditing::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    IsOnline = false;
}

void TestTopicEditing::cleanup()
{
    closeMainWindow();
    RemoveProgramFolder(m_app, true);
}

// The main window shown, on a Topic and Sub-Topic when they are named, with the boxes
// shown so far forgotten.
Form1 *TestTopicEditing::load(const QString &topic, const QString &subTopic)
{
    Form1 *form = subTopic.isNull() ? showMainWindow() : openSubTopic(topic, subTopic);
    DialogScript::clearShown();
    return form;
}

void TestTopicEditing::listEntryPrefersExactName_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("found");
    const QStringList list = {"Select Topic", "Sports Cars", "sport", "Travel"};
    QTest::newRow("exact in other case after a prefix") << list << "Sport" << 2;
    QTest::newRow("prefix only") << list << "trav" << 3;
    QTest::newRow("entry 0 last") << QStringList{"Select Topic", "Selection"} << "Select" << 1;
    QTest::newRow("placeholder") << list << "select topic" << 0;
    QTest::newRow("none") << list << "Music" << -1;
    QTest::newRow("empty text") << list << "" << -1;
}

void TestTopicEditing::listEntryPrefersExactName()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, text);
    QFETCH(int, found);
    QCOMPARE(TopicEditing::findListEntry(entries, text), found);
}

void TestTopicEditing::topicAdd_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("added");
    const QString prohibited = QStringLiteral(
        "Prohibited Characters|The Topic title field created contains a character or characters that may not be used. "
        "Please delete these characters before proceeding.\n\n");
    const QString tooLong = QStringLiteral(
        "Topic Title Field Restriction|The Topic title field is restricted to 30 characters. Please reduce the number "
        "of characters in the title field before proceeding.\n\n");
    QTest::newRow("cancel") << QString() << QStringList{} << false;
    QTest::newRow("no letter") << "123"
                               << QStringList{"Topic Name Error|The Topic field must contain at least one text character."}
                               << false;
    QTest::newRow("quote") << "Kid\"s" << QStringList{prohibited} << false;
    QTest::newRow("31 with slash: characters first") << Long30 + "/" << QStringList{prohibited} << false;
    QTest::newRow("31 characters") << Long30 + "x" << QStringList{tooLong} << false;
    QTest::newRow("other case") << "COMPUTING"
                                << QStringList{"Select Alternate Name|The Topic \"COMPUTING\" already exists under the "
                                               "edition \"Sample Links\". Please select an alternate name."}
                                << false;
    QTest::newRow("30 characters") << Long30
                                   << QStringList{"Add Topic|The Topic '" + Long30
                                                  + "' has been successfully added to your edition."}
                                   << true;
    QTest::newRow("blanks kept") << "  Music "
                                 << QStringList{"Add Topic|The Topic '  Music ' has been successfully added to your edition."}
                                 << true;
}

void TestTopicEditing::topicAdd()
{
    QFETCH(QString, name);
    QFETCH(QStringList, shown);
    QFETCH(bool, added);
    Form1 *form = load();
    choose(form->Combo1, QStringLiteral("Science"));
    scriptAnswers(name, int(shown.size()));
    form->mnuTopicAdd_Click();

    verifyBoxes(QStringLiteral("Add Topic"),
                QStringLiteral("Your current edition is:   Sample Links\n\n\n\n\nPlease enter your Topic Name:"),
                shown);
    QCOMPARE(QueryCount("SELECT count(*) FROM Topics"), added ? 4 : 3);
    if (added) {
        QCOMPARE(QueryValue("SELECT TopicName FROM Topics WHERE MainTopicId = 4").toString(), name);
        QVERIFY(comboItems(form->Combo1).contains(name));
        QCOMPARE(form->Combo1->currentIndex(), 0);
    } else {
        QCOMPARE(form->Combo1->currentText(), QStringLiteral("Science"));
    }
}

// Topic ids are 16-bit: the largest id plus one while that is at most 32767.
void TestTopicEditing::topicIdLimit_data()
{
    QTest::addColumn<int>("largest");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("newId");   // 0: nothing added
    const QString added = QStringLiteral("Add Topic|The Topic 'Music' has been successfully added to your edition.");
    const QString full = QStringLiteral("Add Topic|The edition holds as many Topics as it can. The Topic 'Music' has "
                                        "not been added.");
    QTest::newRow("one below the limit") << 32766 << added << 32767;
    QTest::newRow("at the limit") << 32767 << full << 0;
    QTest::newRow("past it") << 40000 << full << 0;
}

void TestTopicEditing::topicIdLimit()
{
    QFETCH(int, largest);
    QFETCH(QString, shown);
    QFETCH(int, newId);
    Form1 *form = load();
    QVERIFY(ExecSql("INSERT INTO Topics (MainTopicId, TopicName) VALUES (?, 'Last')", {largest}));
    DialogScript::input(QStringLiteral("Music"));
    DialogScript::answer(vbOK);
    form->mnuTopicAdd_Click();
    QCOMPARE(boxes(), QStringList{shown});
    QCOMPARE(QueryRows("SELECT MainTopicId FROM Topics WHERE TopicName = 'Music'"),
             newId ? QStringList{QString::number(newId)} : QStringList{});
}

void TestTopicEditing::topicRename_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("shown");
    const QString exists = QStringLiteral("Select Alternate Name|The Topic \"%1\" already exists. Please select an "
                                          "alternate name.");
    QTest::newRow("cancel") << "Computing" << QString() << QStringList{};
    QTest::newRow("no letter") << "Computing" << "42"
                               << QStringList{"Topic Name Error|The Topic field must contain at least one text character."};
    QTest::newRow("31 with slash: length first")
        << "Computing" << Long30 + "/"
        << QStringList{"Topic Title Field Restriction|The Topic title field is restricted to 30 characters. Please "
                       "reduce the number of characters in the title field before proceeding.\n\n"};
    QTest::newRow("prohibited") << "Computing" << "Comp>uting"
                                << QStringList{"Prohibited Characters|The Topic Title renamed contains a character or "
                                               "characters that may not be used. Please delete these characters before "
                                               "proceeding.\n\n"};
    QTest::newRow("own name in other case") << "Computing" << "computing" << QStringList{exists.arg("computing")};
    QTest::newRow("placeholder") << "Select Topic" << "Music" << QStringList{};
    QTest::newRow("renamed") << "Computing" << "Informatics"
                             << QStringList{"Rename Topic|The topic 'Computing' has been successfully renamed to "
                                            "'Informatics'."};
}

void TestTopicEditing::topicRename()
{
    QFETCH(QString, topic);
    QFETCH(QString, name);
    QFETCH(QStringList, shown);
    Form1 *form = load();
    choose(form->Combo1, topic);
    scriptAnswers(name, int(shown.size()));
    form->mnuTopicRename_Click();

    verifyBoxes(QStringLiteral("Rename Topic"),
                "Your current Topic Name is:\n\n" + topic + "\n\n\n\n\nPlease enter your new Topic Name",
                shown);
    const bool renamed = name == QLatin1String("Informatics");
    QCOMPARE(QueryRows("SELECT TopicName FROM Topics WHERE MainTopicId = 1"),
             QStringList{renamed ? "Informatics" : "Computing"});
    // Sub-Topics follow their Topic by id.
    QCOMPARE(QueryCount("SELECT count(*) FROM SubTopics WHERE GlobalTopicId = 1"), 3);
    if (renamed)
        QCOMPARE(comboItems(form->Combo1), (QStringList{"Select Topic", "Informatics", "Science", "Travel"}));
}

void TestTopicEditing::topicDelete()
{
    Form1 *form = load();
    const QString title = QStringLiteral("Delete Topic");

    // The placeholder: nothing.
    form->mnutopicDelete_Click();
    QCOMPARE(boxes(), QStringList{});

    // A Topic with Sub-Topics: refused without a question.
    choose(form->Combo1, QStringLiteral("Computing"));
    DialogScript::answer(vbOK);
    form->mnutopicDelete_Click();
    QCOMPARE(boxes(), QStringList{title + "|To delete the Topic : Computing please delete its Sub-Topics first."});
    QCOMPARE(QueryCount("SELECT count(*) FROM Topics WHERE MainTopicId = 1"), 1);

    QVERIFY(ExecSql("INSERT INTO Topics (MainTopicId, TopicName) VALUES (4, 'Music')"));
    form->LoadDb();
    choose(form->Combo1, QStringLiteral("Music"));
    const QString question = title + "|Are you sure you want to delete the Topic 'Music'?";

    // No: nothing changes.
    DialogScript::answer(vbNo);
    form->mnutopicDelete_Click();
    QCOMPARE(boxes(), QStringList{question});
    QCOMPARE(QueryCount("SELECT count(*) FROM Topics"), 4);

    // The check for Sub-Topics fails: nothing is deleted.
    QVERIFY(ExecSql("ALTER TABLE SubTopics RENAME TO SubTopicsAway"));
    DialogScript::answer(vbOK);
    form->mnutopicDelete_Click();
    const QStringList failed = boxes();
    QCOMPARE(failed.size(), 1);
    QVERIFY2(failed.first().startsWith(title + "|The Topic 'Music' could not be deleted."), qPrintable(failed.first()));
    QCOMPARE(QueryCount("SELECT count(*) FROM Topics"), 4);
    QVERIFY(ExecSql("ALTER TABLE SubTopicsAway RENAME TO SubTopics"));

    // Yes: deleted, the lists are read again.
    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    form->mnutopicDelete_Click();
    QCOMPARE(boxes(), (QStringList{question, title + "|The Topic has been successfully deleted."}));
    QCOMPARE(QueryCount("SELECT count(*) FROM Topics"), 3);
    QCOMPARE(comboItems(form->Combo1), (QStringList{"Select Topic", "Computing", "Science", "Travel"}));
}

void TestTopicEditing::subTopicAdd_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("shown");
    const QString prohibited = QStringLiteral(
        "Prohibited Characters|The Sub-Topic title field created contains a character or characters that may not be "
        "used. Please delete these characters before proceeding.\n\n");
    QTest::newRow("placeholder: no input box") << "Select Topic" << QString() << QStringList{};
    QTest::newRow("no letter") << "Computing" << "1.5"
                               << QStringList{"Sub-Topic Name Error|The Sub-Topic field must contain at least one text "
                                              "character."};
    QTest::newRow("31 with backslash: characters first") << "Computing" << Long30 + "\\" << QStringList{prohibited};
    QTest::newRow("31 characters")
        << "Computing" << Long30 + "x"
        << QStringList{"Sub-Topic Title Field Restriction|The Sub-Topic title field is restricted to 30 characters. "
                       "Please reduce the number of characters in the title field before proceeding.\n\n"};
    QTest::newRow("other case under the same Topic")
        << "Computing" << "open source"
        << QStringList{"Select Alternate Name|The Sub-Topic \"open source\" already exists under the Topic "
                       "\"Computing\". Please select an alternate name."};
    QTest::newRow("name of another Topic's Sub-Topic")
        << "Computing" << "Astronomy"
        << QStringList{"Add Sub-Topic|The Sub-Topic 'Astronomy' has been successfully added."};
    QTest::newRow("30 characters") << "Computing" << Long30
                                   << QStringList{"Add Sub-Topic|The Sub-Topic '" + Long30
                                                  + "' has been successfully added."};
}

void TestTopicEditing::subTopicAdd()
{
    QFETCH(QString, topic);
    QFETCH(QString, name);
    QFETCH(QStringList, shown);
    Form1 *form = load();
    choose(form->Combo1, topic);
    if (!name.isNull())   // the placeholder asks nothing
        scriptAnswers(name, int(shown.size()));
    const qint64 lksBefore = QueryCount("SELECT max(LksId) FROM Lks");
    form->mnusubTopicAdd_Click();

    if (name.isNull()) {
        QVERIFY(DialogScript::shown().isEmpty());
        return;
    }
    verifyBoxes(QStringLiteral("Add Sub-Topic"),
                "Your current Topic is:   " + topic + "\n\n\n\n\nPlease enter your Sub-Topic Name:",
                shown);
    const bool added = shown.value(0).startsWith(QLatin1String("Add Sub-Topic|"));
    QCOMPARE(QueryCount("SELECT count(*) FROM SubTopics"), added ? 8 : 7);
    if (!added) {
        QCOMPARE(QueryCount("SELECT count(*) FROM ColorLinks"), 7);
        QCOMPARE(QueryCount("SELECT max(LksId) FROM Lks"), lksBefore);
        return;
    }
    QCOMPARE(QueryRows("SELECT GlobalTopicId || '|' || SubTopicName || '|' || Header1 || '|' || Header2 || '|' "
                       "|| Header3 || '|' || Header4 || '|' || Header5 || '|' || Header6 FROM SubTopics "
                       "WHERE SubTopicId = 8"),
             QStringList{"1|" + name + "|Information Websites|Search Websites|Organization Websites|Related Websites|"
                                       "Popular Websites|Local Websites"});
    QCOMPARE(QueryRows("SELECT color1 || color2 || color3 || '|' || TopicName FROM ColorLinks WHERE TopicId = 8"),
             QStringList{"bb99bbaa33ee8a2be2|" + name});
    QCOMPARE(QueryRows("SELECT LksId || '|' || LksName || '|' || LksUrl || '|' || IsTop || IsLeaf || '|' || LksDesc "
                       "|| '|' || coalesce(Keyword, 'none') FROM Lks WHERE TopicId = 8"),
             QStringList{QString::number(lksBefore + 1) + "|" + name + "|" + name + "|10|N|none"});
    // The Topic stays chosen and lists its new Sub-Topic.
    QCOMPARE(form->Combo1->currentText(), topic);
    QVERIFY(comboItems(form->Combo2).contains(name));
    QCOMPARE(form->Combo2->currentIndex(), 0);
    QCOMPARE(NewSubTopicName, name);
}

void TestTopicEditing::subTopicDeleteRemovesEveryRow()
{
    Form1 *form = load();
    // Besides its nested categories: a link right under the root, a category the tree
    // cannot attach and a link that a category of another Sub-Topic holds as well.
    QVERIFY(ExecSql("INSERT INTO Sit (SitId, SitName, SitUrl) VALUES (100, 'Root Link', 'https://root.example/')"));
    QVERIFY(ExecSql("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (1, 100, 100)"));
    QVERIFY(ExecSql("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId) VALUES (200, 'Hidden/Lost', 'Lost/Hidden', 1)"));
    QVERIFY(ExecSql("INSERT INTO Sit (SitId, SitName, SitUrl) VALUES (101, 'Hidden Link', 'https://hidden.example/')"));
    QVERIFY(ExecSql("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (200, 101, 101)"));
    QVERIFY(ExecSql("INSERT INTO LksSit (LksId, SitId, Seq) VALUES (8, 1, 102)"));
    const qint64 otherLks = QueryCount("SELECT count(*) FROM Lks WHERE TopicId <> 1");

    choose(form->Combo1, QStringLiteral("Computing"));
    choose(form->Combo2, QStringLiteral("Programming"));
    const QString page = CurrentPageFile;
    QVERIFY(QFileInfo::exists(m_app->file(page)));
    const QString question = QStringLiteral("Delete Sub-Topic|Are you sure you want to delete the Sub-Topic \"Programming\"?");

    DialogScript::answer(vbNo);
    form->mnuSubtopicDelete_Click();
    QCOMPARE(boxes(), QStringList{question});
    QCOMPARE(QueryCount("SELECT count(*) FROM Lks WHERE TopicId = 1"), 7);

    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    form->mnuSubtopicDelete_Click();
    QCOMPARE(boxes(), (QStringList{question, "Delete Sub-Topic|The Sub-Topic 'Programming' has been successfully deleted."}));

    QCOMPARE(QueryCount("SELECT count(*) FROM SubTopics WHERE SubTopicId = 1"), 0);
    QCOMPARE(QueryCount("SELECT count(*) FROM ColorLinks WHERE TopicId = 1"), 0);
    QCOMPARE(QueryCount("SELECT count(*) FROM Lks WHERE TopicId = 1"), 0);
    QCOMPARE(QueryCount("SELECT count(*) FROM LksSit WHERE LksId IN (1, 2, 3, 4, 5, 6, 200)"), 0);
    QCOMPARE(QueryRows("SELECT SitId FROM Sit WHERE SitId IN (1, 2, 3, 4, 5, 6, 7, 8, 9, 100, 101) ORDER BY SitId"),
             QStringList{"1"});
    QCOMPARE(QueryCount("SELECT count(*) FROM LksSit WHERE LksId = 8 AND SitId = 1"), 1);
    for (const QString &table : SectionLinkTables())
        QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM %1 WHERE topicid = 1").arg(table)), 0);
    QCOMPARE(QueryCount("SELECT count(*) FROM Lks WHERE TopicId <> 1"), otherLks);
    QVERIFY(!QFileInfo::exists(m_app->file(page)));

    QCOMPARE(form->Combo1->currentText(), QStringLiteral("Computing"));
    QCOMPARE(comboItems(form->Combo2), (QStringList{"Select Sub-Topic", "Open Source", "Web Standards"}));
    QCOMPARE(form->TvwBestell->topLevelItemCount(), 0);
    QCOMPARE(form->results->lastNavigated(), QStringLiteral("about:blank"));
    QCOMPARE(CurrentPageFile, QString());
    QCOMPARE(form->PopupCommandDone, 1);
}

void TestTopicEditing::subTopicDeleteFailureChangesNothing()
{
    Form1 *form = load(QStringLiteral("Computing"), QStringLiteral("Programming"));
    const QString page = CurrentPageFile;
    // The SubTopics row refuses to go after the links and colours are already deleted.
    QVERIFY(ExecSql("CREATE TRIGGER KeepSubTopics BEFORE DELETE ON SubTopics BEGIN SELECT RAISE(ABORT, 'kept'); END"));
    const QStringList tables = {"Sit", "LksSit", "ColorLinks", "SubTopics", "Lks", "NewsLinks"};
    QList<qint64> before;
    for (const QString &t : tables)
        before.append(QueryCount("SELECT count(*) FROM " + t));

    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    form->mnuSubtopicDelete_Click();
    const QStringList shown = boxes();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown.at(1).startsWith("Delete Sub-Topic|The Sub-Topic 'Programming' could not be deleted. Nothing has "
                                    "been changed."),
             qPrintable(shown.at(1)));
    for (int i = 0; i < tables.size(); ++i)
        QCOMPARE(QueryCount("SELECT count(*) FROM " + tables.at(i)), before.at(i));
    QVERIFY(QFileInfo::exists(m_app->file(page)));
    QCOMPARE(form->Combo2->currentText(), QStringLiteral("Programming"));
}

void TestTopicEditing::subTopicRename_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("shown");
    const QString exists = QStringLiteral("Select Alternate Name|The Sub-Topic \"%1\" already exists under the Topic "
                                          "\"Computing\". Please select an alternate name.");
    QTest::newRow("cancel") << QString() << QStringList{};
    QTest::newRow("no letter") << "7"
                               << QStringList{"Sub-Topic Name Error|The Sub-Topic field must contain at least one text "
                                              "character."};
    QTest::newRow("31 with slash: length first")
        << Long30 + "/"
        << QStringList{"Sub-Topic Title Field Restriction|The Sub-Topic title field is restricted to 30 characters. "
                       "Please reduce the number of characters in the title field before proceeding.\n\n"};
    QTest::newRow("prohibited") << "Pro/gramming"
                                << QStringList{"Prohibited Characters|The Sub-Topic Title renamed contains a character "
                                               "or characters that may not be used. Please delete these characters "
                                               "before proceeding.\n\n"};
    QTest::newRow("own name in other case") << "PROGRAMMING" << QStringList{exists.arg("PROGRAMMING")};
}

void TestTopicEditing::subTopicRename()
{
    QFETCH(QString, name);
    QFETCH(QStringList, shown);
    Form1 *form = load(QStringLiteral("Computing"), QStringLiteral("Programming"));
    scriptAnswers(name, int(shown.size()));
    form->mnuSubtopicRename_Click();

    verifyBoxes(QStringLiteral("Rename Sub-Topic"),
                QStringLiteral("Your current Sub-Topic Name is:\n\nProgramming\n\n\n\n\nPlease enter your new "
                               "Sub-Topic Name"),
                shown);
    QCOMPARE(QueryRows("SELECT SubTopicName FROM SubTopics WHERE SubTopicId = 1"), QStringList{"Programming"});
    QCOMPARE(QueryCount("SELECT count(*) FROM Lks WHERE TopicId = 1 AND LksUrl LIKE 'Programming%'"), 6);
    QCOMPARE(form->Combo2->currentText(), QStringLiteral("Programming"));
}

void TestTopicEditing::subTopicRenameRewritesEveryPath()
{
    Form1 *form = load(QStringLiteral("Computing"), QStringLiteral("Programming"));
    const QString oldPage = CurrentPageFile;
    QVERIFY(QFileInfo::exists(m_app->file(oldPage)));

    // A name with blanks around it and the name of another Topic's Sub-Topic.
    const QString name = QStringLiteral(" Astronomy ");
    DialogScript::input(name);
    form->mnuSubtopicRename_Click();
    QCOMPARE(boxes(), QStringList{});

    QCOMPARE(QueryRows("SELECT SubTopicName FROM SubTopics WHERE SubTopicId = 1"), QStringList{name});
    QCOMPARE(QueryRows("SELECT TopicName FROM ColorLinks WHERE TopicId = 1"), QStringList{name});
    QCOMPARE(QueryRows("SELECT LksUrl FROM Lks WHERE TopicId = 1 ORDER BY LksId"),
             (QStringList{name, name + "/Languages", name + "/Languages/Python", name + "/Languages/Rust",
                          name + "/Languages/JavaScript", name + "/Tools"}));
    QCOMPARE(QueryRows("SELECT LksName FROM Lks WHERE TopicId = 1 ORDER BY LksId"),
             (QStringList{name, "Languages/" + name, "Python/Languages/" + name, "Rust/Languages/" + name,
                          "JavaScript/Languages/" + name, "Tools/" + name}));
    // The other Sub-Topic of that name and the links are untouched.
    QCOMPARE(QueryRows("SELECT LksUrl FROM Lks WHERE TopicId = 4 ORDER BY LksId").value(0),
             QStringLiteral("Astronomy"));
    QCOMPARE(QueryCount("SELECT count(*) FROM LksSit WHERE LksId BETWEEN 1 AND 6"), 9);

    // The Sub-Topic is shown again under its new name, with a page of that name.
    QCOMPARE(form->Combo1->currentText(), QStringLiteral("Computing"));
    QCOMPARE(form->Combo2->currentText(), name);
    QCOMPARE(CurrentSubTopicId, 1);
    QCOMPARE(CurrentPageFile, PageFileName(name, 1));
    QVERIFY(!QFileInfo::exists(m_app->file(oldPage)));
    QVERIFY(QFileInfo::exists(m_app->file(CurrentPageFile)));
    QCOMPARE(form->results->lastNavigated(), m_app->file(CurrentPageFile));
}

void TestTopicEditing::subTopicRenameOddPaths()
{
    // Stored paths of every shape get the same first (reversed: last) segment as the
    // single-path rules give them.
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId) VALUES "
                                   "(60, 'b//a/Programming', 'Programming/a//b', 1), (61, 'solo', 'solo', 1), "
                                   "(62, 'x/', '/x', 1), (63, NULL, NULL, 1), "
                                   "(64, 'Weiß/Öl/Programming', 'Programming/Öl/Weiß', 1)")));
    const QString sql = QStringLiteral("SELECT LksName, LksUrl FROM Lks WHERE TopicId = 1 ORDER BY LksId");
    const QString name = QStringLiteral("Neu Ü");
    QStringList expected;
    for (const QString &row : QueryRows(sql)) {
        const QStringList values = row.split(QLatin1Char('|'));
        expected.append(SubTopicEditing::renamedReversedPath(values.at(0), name) + QLatin1Char('|')
                        + SubTopicEditing::renamedPath(values.at(1), name));
    }
    QCOMPARE(SubTopicEditing().rename(1, 1, name), SubTopicEditing::Status::Done);
    QCOMPARE(QueryRows(sql), expected);
}

void TestTopicEditing::subTopicRenameReselectsExactName()
{
    Form1 *form = load();
    // "Äpfel Sorten" begins with "äpfel" without regard to case; the list sorts "äpfel" first.
    QVERIFY(ExecSql("INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName) VALUES (9, 2, 'Äpfel Sorten')"));
    choose(form->Combo1, QStringLiteral("Science"));
    choose(form->Combo2, QStringLiteral("Physics"));
    DialogScript::input(QStringLiteral("äpfel"));
    form->mnuSubtopicRename_Click();
    QCOMPARE(comboItems(form->Combo2), (QStringList{"Select Sub-Topic", "Astronomy", "äpfel", "Äpfel Sorten"}));
    QCOMPARE(form->Combo2->currentText(), QStringLiteral("äpfel"));
    QCOMPARE(CurrentSubTopicId, 5);
}

void TestTopicEditing::moveSubTopic()
{
    // A Sub-Topic of the same name in another case under Science.
    Form1 *form = load();
    QVERIFY(ExecSql("INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName) VALUES (9, 2, 'PROGRAMMING')"));
    choose(form->Combo1, QStringLiteral("Computing"));
    choose(form->Combo2, QStringLiteral("Programming"));
    const QString rowsOfIt = QStringLiteral(
        "SELECT (SELECT count(*) FROM Lks WHERE TopicId = 1) || '|' || (SELECT count(*) FROM ColorLinks WHERE TopicId = "
        "1) || '|' || (SELECT count(*) FROM NewsLinks WHERE topicid = 1)");
    const QString before = QueryValue(rowsOfIt).toString();
    const QString title = QStringLiteral("Move Sub-Topic|");

    // Cancel changes nothing.
    OnModal<Form33> cancelled([](Form33 *dialog) { dialog->Command3->click(); });
    form->mnuMoveSubtopic_Click();
    QVERIFY(cancelled.seen);

    QStringList labels;
    QStringList offered;
    QList<bool> openAfter;
    OnModal<Form33> moved([&](Form33 *dialog) {
        labels = {dialog->Label4->text(), dialog->Label5->text()};
        offered = comboItems(dialog->Combo1);
        for (const QString &target : QStringList{"Computing", "Select Topic", "Science", "Travel"}) {
            DialogScript::answer(vbOK);
            dialog->Combo1->setCurrentIndex(dialog->Combo1->findText(target));
            dialog->Command4->click();
            openAfter.append(dialog->isVisible());
        }
    });
    form->mnuMoveSubtopic_Click();
    QVERIFY(moved.seen);
    QCOMPARE(labels, (QStringList{"Programming", "Computing"}));
    QCOMPARE(offered, comboItems(form->Combo1));
    QCOMPARE(openAfter, (QList<bool>{true, true, true, false}));
    QCOMPARE(boxes(),
             (QStringList{title + "The Sub-Topic 'Programming' already exists under this Topic. Please select another Topic.",
                          title + "Please select a Topic.",
                          title + "The Sub-Topic \"Programming\" already exists under the Topic \"Science\".",
                          title + "The Sub-Topic 'Programming' has been successfully moved."}));

    QCOMPARE(QueryRows("SELECT GlobalTopicId FROM SubTopics WHERE SubTopicId = 1"), QStringList{"3"});
    QCOMPARE(QueryValue(rowsOfIt).toString(), before);
    QCOMPARE(form->Combo1->currentText(), QStringLiteral("Travel"));
    QCOMPARE(comboItems(form->Combo2), (QStringList{"Select Sub-Topic", "Europe", "Planning", "Programming"}));
    QCOMPARE(form->results->lastNavigated(), QStringLiteral("about:blank"));
}

QTEST_MAIN(TestTopicEditing)
#include "tst_topic_editing.moc"

// A name holding "&" shows as typed in the prompts of the input boxes and in the dialogs'
// labels, not with the "&" turned into a shortcut underline.
void TestTopicEditing::namesShowLiterally()
{
    const QString topic = QStringLiteral("Music & Arts");
    const QString subTopic = QStringLiteral("Rock & Roll");
    const QString category = QStringLiteral("R & B");
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(ExecSql(QStringLiteral("UPDATE Topics SET TopicName = ? WHERE MainTopicId = 1"), {topic}));
    QVERIFY(CategoryEditing(1).add(QStringLiteral("Programming"), QStringLiteral("Programming"), category)
            == CategoryEditing::Status::Done);
    Form1 *form = load();
    choose(form->Combo1, topic);
    choose(form->Combo2, QStringLiteral("Programming"));
    QVERIFY(form->RenameSub(QStringLiteral("Programming"), subTopic));
    choose(form->Combo1, topic);
    choose(form->Combo2, subTopic);

    // Each input box is really shown; its prompt is read back and the box cancelled.
    QStringList wrong;
    const auto checkPrompt = [&wrong](const QString &name) {
        DialogScript::interact([&wrong, name](QDialog *box) {
            const QLabel *prompt = LabelWith(box, name);
            if (!prompt || !LabelShowsText(prompt, prompt->text()))
                wrong.append(box->windowTitle());
            QTest::keyClick(box, Qt::Key_Escape);
        });
    };
    checkPrompt(topic);
    form->mnuTopicRename->trigger();
    checkPrompt(topic);
    form->mnusubTopicAdd->trigger();
    choose(form->Combo2, subTopic);
    // Renaming is offered once the Sub-Topic's root node is clicked.
    QTest::mouseClick(form->TvwBestell->viewport(), Qt::LeftButton, {},
                      EditingTest::nodePoint(form, EditingTest::nodeAt(form, subTopic)));
    checkPrompt(subTopic);
    form->mnuSubtopicRename->trigger();
    EditingTest::rightClick(form, EditingTest::nodeAt(form, subTopic + "\\" + category));
    checkPrompt(category);
    form->mnuPopupRenameCategory->trigger();
    QCOMPARE(DialogScript::pending(), 0);
    QCOMPARE(wrong, QStringList());

    // The dialogs that name the shown Topic and Sub-Topic.
    OnModal<Form7> colours([&](Form7 *dialog) {
        QVERIFY(LabelShowsText(dialog->Label5, topic));
        QVERIFY(LabelShowsText(dialog->Label7, subTopic));
        dialog->Command2->click();
    });
    form->mnuColorSchema->trigger();
    QVERIFY(colours.seen);
    OnModal<Form33> move([&](Form33 *dialog) {
        QVERIFY(LabelShowsText(dialog->Label4, subTopic));
        QVERIFY(LabelShowsText(dialog->Label5, topic));
        dialog->Command3->click();
    });
    form->mnuMoveSubtopic->trigger();
    QVERIFY(move.seen);
}

// A dialog is as wide as a title bar needs to show its caption whole: the caption in a
// bold face beside the window's icon and its buttons.
void TestTopicEditing::captionsShowWhole()
{
    const auto fits = [](const QWidget *window) {
        QFont font = QApplication::font("QMdiSubWindowTitleBar");
        font.setBold(true);
        return window->width() >= QFontMetrics(font).horizontalAdvance(window->windowTitle()) + 120;
    };
    Form1 *form = load(QStringLiteral("Computing"), QStringLiteral("Programming"));
    OnModal<Form7> colours([&](Form7 *dialog) {
        QVERIFY2(fits(dialog), qPrintable(dialog->windowTitle()));
        dialog->Command2->click();
    });
    form->mnuColorSchema->trigger();
    QVERIFY(colours.seen);

    // The Move dialog's refusal of its placeholder entry.
    bool boxFits = false;
    DialogScript::interact([&](QDialog *box) {
        boxFits = fits(box) && box->windowTitle() == QLatin1String("Move Sub-Topic");
        QTest::keyClick(box, Qt::Key_Return);
    });
    OnModal<Form33> move([](Form33 *dialog) {
        dialog->Combo1->setCurrentIndex(0);
        dialog->Command4->click();
        dialog->Command3->click();
    });
    form->mnuMoveSubtopic->trigger();
    QVERIFY(move.seen);
    QVERIFY(boxFits);
}
