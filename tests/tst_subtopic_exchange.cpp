// Exporting the shown Sub-Topic and importing one through the main window's Sub-Topic
// menu: the texts the user is asked and told, the files written, and the import dialog
// driven with the mouse and keyboard.

#include "disk_full.h"
#include "form1_support.h"
#include "testhelper.h"

#include "exchange/form35_import_subtopic.h"
#include "mainwindow/form1.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <optional>

using namespace Form1Test;

namespace {

// The message boxes shown since the last call, as "title|prompt".
QStringList messages()
{
    QStringList list;
    for (const DialogScript::Shown &s : DialogScript::shown())
        if (s.kind == QLatin1String("MsgBox"))
            list.append(s.title + QLatin1Char('|') + s.prompt);
    DialogScript::clearShown();
    return list;
}

QStringList entries(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

// The user clicking the entry text in the list.
void clickEntry(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
}

} // namespace

class TestSubTopicExchange : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void exportWritesTheShownSubTopic();
    void exportRefusesAndAsksBeforeOverwriting();
    void importDialogImportsTheClickedFile();
    void importDialogDeletesAndRefuses();

private:
    // Runs the import command; action works the dialog while it shows.
    void runImportDialog(Form1 *form, const std::function<void(Form35 *)> &action);

    std::unique_ptr<TestProgramFolder> m_app;
};

void TestSubTopicExchange::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    IsOnline = false;
}

void TestSubTopicExchange::cleanup()
{
    closeMainWindow();
    RemoveProgramFolder(m_app, true);
}

void TestSubTopicExchange::runImportDialog(Form1 *form, const std::function<void(Form35 *)> &action)
{
    OnModal<Form35> worker([&](Form35 *dialog) {
        action(dialog);
        if (dialog->isVisible())
            dialog->Command2->click();
    });
    form->mnuSubtopicImport->trigger();
    QVERIFY(worker.seen);
}

void TestSubTopicExchange::exportWritesTheShownSubTopic()
{
    Form1 *form = openSubTopic("Computing", "Programming");
    DialogScript::clearShown();
    // The user overtypes the offered name in the real box.
    QString offered;
    DialogScript::interact([&offered](QDialog *box) {
        auto *text = box->findChild<QLineEdit *>();
        offered = text->text();
        QTest::keyClicks(text, " Code Links ");
        QTest::keyClick(text, Qt::Key_Return);
    });
    DialogScript::answer(vbOK);
    QVERIFY(form->mnuSubtopicExport->isEnabled());
    form->mnuSubtopicExport->trigger();
    QCOMPARE(offered, "Programming");

    const DialogScript::Shown input = DialogScript::shown().value(0);
    QCOMPARE(input.title, "Export Sub-Topic");
    QCOMPARE(input.prompt, "The Sub-Topic 'Programming' will be exported to the file: \n" + m_app->path()
                               + "Programming.qvs\n\nTo change the name of the exported file please overtype text in "
                                 "the box below.\n\nUse the Import function to copy this Sub-Topic into another Topic "
                                 "of the same or any other editions, or share with other users.\n");
    QCOMPARE(messages(),
             (QStringList{"Export Sub-Topic|The Sub-Topic 'Programming' has been successfully exported to the file "
                          "Code_Links.qvs\nUse the Import function to place this Sub-Topic in another Edition."}));
    const QStringList lines = QString::fromUtf8(m_app->readFile("Code_Links.qvs")).split("\r\n");
    QCOMPARE(lines.first(), "<page>");
    QVERIFY(lines.contains("Code Links|Code Links"));
    QVERIFY(lines.contains("Languages/Code Links|Code Links/Languages"));
    QVERIFY(lines.contains("ffffff|aa33ee|6a1fb8|Code Links"));
    QCOMPARE(lines.mid(lines.size() - 3), (QStringList{"", "</links>", ""}));
}

void TestSubTopicExchange::exportRefusesAndAsksBeforeOverwriting()
{
    m_app->writeFile("code_links.qvs", "old");
    m_app->writeFile("kept/Code_Links.qvs", "in a sub-folder");
    Form1 *form = openSubTopic("Computing", "Programming");
    DialogScript::clearShown();

    // Blanks only: nothing happens. A character the file cannot carry: refused.
    DialogScript::input("   ");
    form->mnuSubtopicExport->trigger();
    for (const char *name : {"A/B", "A|B"}) {
        DialogScript::input(name);
        DialogScript::answer(vbOK);
        form->mnuSubtopicExport->trigger();
    }
    // A file of that name in any letter case asks first; No keeps it.
    DialogScript::input("Code Links");
    DialogScript::answer(vbNo);
    form->mnuSubtopicExport->trigger();
    const QString refused = "Export Sub-Topic|Only alphabetical or numeric characters are allowed in a Sub-Topic "
                            "Name.\n\nPlease amend your Sub-Topic Name.";
    const QString question = "Export Sub-Topic|The Sub-Topic Code Links already exists in the Export Directory. "
                             "\nDo you want to overwrite this file?";
    QCOMPARE(messages(), (QStringList{refused, refused, question}));
    QCOMPARE(m_app->readFile("code_links.qvs"), QByteArray("old"));

    // Yes replaces the file of the program folder, whatever its letter case, and leaves the
    // one in the sub-folder.
    DialogScript::input("Code Links");
    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    form->mnuSubtopicExport->trigger();
    QCOMPARE(QDir(m_app->path()).entryList({"*.qvs"}), QStringList{"Code_Links.qvs"});
    QVERIFY(m_app->readFile("Code_Links.qvs").startsWith("<page>\r\n"));
    QCOMPARE(m_app->readFile("kept/Code_Links.qvs"), QByteArray("in a sub-folder"));
}

void TestSubTopicExchange::importDialogImportsTheClickedFile()
{
    Form1 *form = openSubTopic("Computing", "Programming");
    DialogScript::input("Programming");
    DialogScript::answer(vbOK);
    form->mnuSubtopicExport->trigger();
    QVERIFY(QDir(m_app->path()).mkpath("shared"));
    QVERIFY(QFile::rename(m_app->file("Programming.qvs"), m_app->file("shared/Code_Links.qvs")));
    m_app->writeFile("notes.QVS", "not a Sub-Topic file");
    choose(form->Combo1, "Travel");
    DialogScript::clearShown();

    DialogScript::answer(vbOK);
    runImportDialog(form, [&](Form35 *dialog) {
        QCOMPARE(dialog->windowTitle(), "Import Sub-Topic");
        QCOMPARE(dialog->Label3->text(), m_app->path());
        QCOMPARE(entries(dialog->List1), QStringList{"Code_Links"});
        if (qEnvironmentVariableIsSet("QUORVANE_SCREENSHOTS"))
            dialog->grab().save(qEnvironmentVariable("QUORVANE_SCREENSHOTS") + "/import_subtopic.png");
        clickEntry(dialog->List1, "Code_Links");
        QCOMPARE(dialog->List1->currentItem()->text(), "Code_Links");
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    });

    QCOMPARE(messages(), QStringList{"Import Sub-Topic|The Sub-Topic 'Code Links' has been successfully imported."});
    QCOMPARE(form->Combo1->currentIndex(), 0);
    choose(form->Combo1, "Travel");
    QVERIFY(comboItems(form->Combo2).contains("Code Links"));
    QCOMPARE(QueryRows("SELECT LksUrl, count(LksSit.SitId) FROM Lks JOIN SubTopics ON SubTopicId = TopicId "
                       "LEFT JOIN LksSit ON LksSit.LksId = Lks.LksId WHERE SubTopicName = 'Code Links' "
                       "GROUP BY Lks.LksId ORDER BY Lks.LksId"),
             QueryRows("SELECT replace(LksUrl, 'Programming', 'Code Links'), count(LksSit.SitId) FROM Lks "
                       "LEFT JOIN LksSit ON LksSit.LksId = Lks.LksId WHERE TopicId = 1 "
                       "GROUP BY Lks.LksId ORDER BY Lks.LksId"));
}

void TestSubTopicExchange::importDialogDeletesAndRefuses()
{
    Form1 *form = openSubTopic("Computing", "Programming");
    DialogScript::input("Programming");
    DialogScript::answer(vbOK);
    form->mnuSubtopicExport->trigger();
    m_app->writeFile("Broken.qvs", "<page>\r\nH1\r\n");
    m_app->writeFile("old/Zulu.qvs", "<links>\r\n\r\n</links>\r\n");
    choose(form->Combo1, "Computing");
    DialogScript::clearShown();
    const qint64 subTopics = QueryCount("SELECT count(*) FROM SubTopics");

    // Delete asks first; the entry picked with the keyboard goes with its own file, once
    // its folder lets it go.
    for (const int answer : {vbNo, vbYes, vbOK, vbYes})
        DialogScript::answer(answer);
    runImportDialog(form, [&](Form35 *dialog) {
        QCOMPARE(entries(dialog->List1), (QStringList{"Broken", "Programming", "Zulu"}));
        QTest::keyClick(dialog->List1, Qt::Key_Home);
        QCOMPARE(dialog->List1->currentItem()->text(), "Broken");
        QTest::keyClick(dialog->List1, Qt::Key_End);
        QCOMPARE(dialog->List1->currentItem()->text(), "Zulu");
        QTest::mouseClick(dialog->Command3, Qt::LeftButton);
        QCOMPARE(entries(dialog->List1).size(), 3);
        {
            const ReadOnlyFolder readOnly(m_app->file("old"));
            QTest::mouseClick(dialog->Command3, Qt::LeftButton);
        }
        QCOMPARE(entries(dialog->List1).size(), 3);
        QTest::mouseClick(dialog->Command3, Qt::LeftButton);
        QCOMPARE(entries(dialog->List1), (QStringList{"Broken", "Programming"}));
    });
    QVERIFY(!QFile::exists(m_app->file("old/Zulu.qvs")));
    const QString question = "Delete Sub-Topic|Are you sure you want to delete the Sub-Topic 'Zulu' from the "
                             "Sub-Topic Import List ?";
    QCOMPARE(messages(), (QStringList{question, question,
                                      "Delete Sub-Topic|The file " + m_app->file("old/Zulu.qvs") + " could not be deleted.",
                                      question}));

    // A broken file, a name the Topic has already, a file gone since it was listed, an
    // edition that refuses the write, a name a Sub-Topic may not have, and a disk that
    // takes no more: nothing is added.
    m_app->writeFile("Gone.qvs", "<page>\r\n</page>\r\n");
    QVERIFY(QFile::copy(m_app->file("Programming.qvs"), m_app->file("Second.qvs")));
    QVERIFY(QFile::copy(m_app->file("Programming.qvs"), m_app->file("Pipe|Name.qvs")));
    QVERIFY(QFile::copy(m_app->file("Programming.qvs"), m_app->file("Full.qvs")));
    for (const QString &entry : QStringList{"Broken", "Programming", "Gone", "Second", "Pipe|Name", "Full"}) {
        choose(form->Combo1, "Computing");
        DialogScript::answer(vbOK);
        QVERIFY(entry != "Second" || WriteFault::arm("SubTopics", 0, WriteFault::Insert));
        runImportDialog(form, [&](Form35 *dialog) {
            clickEntry(dialog->List1, entry);
            if (entry == "Gone")
                QVERIFY(QFile::remove(m_app->file("Gone.qvs")));
            std::optional<DiskFull> full;
            if (entry == "Full")
                full.emplace();
            QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        });
        WriteFault::disarm();
    }
    QCOMPARE(messages(),
             (QStringList{"Import Sub-Topic|The Sub-Topic 'Broken' has not been imported.\n\nLine 3 of the file "
                          "Broken.qvs could not be read: the file ends inside its <page> section.",
                          "Select Alternate Name|The Sub-Topic \"Programming\" already exists under the Topic "
                          "\"Computing\". Please select an alternate name.",
                          "Import Sub-Topic|The Sub-Topic 'Gone' has not been imported.\n\nThe file Gone.qvs could not "
                          "be read: No such file or directory.",
                          "Import Sub-Topic|The Sub-Topic 'Second' has not been imported.\n\n" + WriteFault::message()
                              + " Unable to fetch row",
                          "Import Sub-Topic|The Sub-Topic 'Pipe|Name' has not been imported: a Sub-Topic name may not be "
                          "empty, hold any of ' < > \" / \\ | or a control character, or begin with U+FEFF or U+FFFE.\n\n"
                          "Please rename the file Pipe|Name.qvs and import it again.",
                          "Import Sub-Topic|The Sub-Topic 'Full' has not been imported.\n\nThe edition cannot be changed "
                          "because its file could not be written to the disk: the disk may be full. Nothing has been "
                          "changed."}));
    QCOMPARE(QueryCount("SELECT count(*) FROM SubTopics"), subTopics);

    // Without a chosen Topic the dialog says so instead of filing the Sub-Topic nowhere.
    bool closedAfter = false;
    Form35 dialog({0, "Select Topic"}, [&closedAfter] { closedAfter = true; }, form);
    dialog.Form_Load();
    dialog.show();
    DialogScript::answer(vbOK);
    clickEntry(dialog.List1, "Programming");
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    QCOMPARE(messages(), QStringList{"Import Sub-Topic|Please choose the Topic that the Sub-Topic is to be imported "
                                     "into, then import it again."});
    QVERIFY(closedAfter);
    QCOMPARE(QueryCount("SELECT count(*) FROM SubTopics"), subTopics);
}

QTEST_MAIN(TestSubTopicExchange)
#include "tst_subtopic_exchange.moc"
