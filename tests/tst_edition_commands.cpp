// The edition dialogs and commands: Go To, Create and Import, Delete, Rename and Copy,
// each against its refusals and texts, driven through the dialogs' own controls.

#include "testhelper.h"

#include "editions/edition_commands.h"
#include "editions/edition_create.h"
#include "editions/edition_host.h"
#include "editions/edition_list.h"
#include "editions/form15_delete_edition.h"
#include "editions/form24_rename_edition.h"
#include "editions/form34_copy_edition.h"
#include "editions/form8_go_to_edition.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {

class TestHost : public EditionHost
{
public:
    void refreshEditions() override { ++refreshes; }
    QString shownEdition() const override { return shown; }
    int refreshes = 0;
    QString shown = QStringLiteral("Sample Links");
};

// The user clicking entry row of a list, then a button.
void clickRow(QListWidget *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

QStringList listedFiles(const TestProgramFolder &app)
{
    QStringList files;
    for (const EditionEntry &e : EditionList::read(app.file(QStringLiteral("dbnames.txt"))))
        files.append((e.active ? QStringLiteral("*") : QString()) + e.file);
    return files;
}

} // namespace

class TestEditionCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { RemoveProgramFolder(m_app, true); }

    void goToMovesMarkToClickedEntry();
    void createRefusals_data();
    void createRefusals();
    void createListsAndActivates();
    void importFromDescriptor();
    void deleteRefusesActiveAndDeletesChosenFile();
    void renameWritesLowerCaseFileOfChosenEntry();
    void renameRefusals();
    void copyTypedNameAndRefusals();
    void failedListWriteUndoesFileWork();

private:
    std::unique_ptr<TestProgramFolder> m_app;
    TestHost m_host;
};

void TestEditionCommands::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    m_host = TestHost();
    m_app->makeEdition(QStringLiteral("Arts_Music.mdb"));
    m_app->makeEdition(QStringLiteral("garden.mdb"));
    // Names that capitalisation changes, files in another letter case than their lines.
    m_app->writeFile(QStringLiteral("dbnames.txt"),
                     "*Sample_Links.mdb,Sample Links\r\narts_music.mdb,arts - music\r\ngarden.mdb,Garden\r\n");
    CurrentDatabaseFile = QStringLiteral("Sample_Links.mdb");
}

void TestEditionCommands::goToMovesMarkToClickedEntry()
{
    Form8 form(m_host);
    form.Form_Load();
    form.show();
    QCOMPARE(form.Text1->text(), QStringLiteral("Sample Links"));
    QCOMPARE(form.List1->item(1)->text(), QStringLiteral("arts - music"));
    clickRow(form.List1, 1);
    QCOMPARE(form.Text1->text(), QStringLiteral("arts - music"));
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(listedFiles(*m_app), (QStringList{"Sample_Links.mdb", "*arts_music.mdb", "garden.mdb"}));
    QCOMPARE(CurrentDatabaseFile, QStringLiteral("arts_music.mdb"));
    QCOMPARE(m_host.refreshes, 1);
    QVERIFY(!form.isVisible());
}

void TestEditionCommands::createRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("not plain") << "My/Links" << "Only alphabetical or numeric characters are allowed in an Edition "
                                                "Name.\n\nPlease amend your Edition Name.";
    QTest::newRow("listed") << " GARDEN " << "The Edition 'GARDEN' already exists. Please select an alternate name.";
    QTest::newRow("unlisted file") << "Old Links" << "The Edition with this name already exists";
}

void TestEditionCommands::createRefusals()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    m_app->makeEdition(QStringLiteral("old_links.MDB"));
    const QByteArray list = m_app->readFile(QStringLiteral("dbnames.txt"));
    DialogScript::input(name);
    DialogScript::answer(vbOK);
    EditionCreator(&m_host).createEdition();
    QCOMPARE(DialogScript::last().prompt, message);
    QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")), list);
    QCOMPARE(CurrentDatabaseFile, QStringLiteral("Sample_Links.mdb"));
    QCOMPARE(m_host.refreshes, 0);
}

void TestEditionCommands::createListsAndActivates()
{
    DialogScript::input(QStringLiteral("My Links (2)"));
    DialogScript::answer(vbOK);
    EditionCreator(&m_host).createEdition();
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The Edition 'My Links (2)' has been successfully created."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Create Edition"));
    QCOMPARE(EditionList::readLines(m_app->file(QStringLiteral("dbnames.txt"))).last(),
             QStringLiteral("*My_Links_(2).mdb,My Links (2)"));
    QCOMPARE(CurrentDatabaseFile, QStringLiteral("My_Links_(2).mdb"));
    QVERIFY(IsEditionFile(m_app->file(QStringLiteral("My_Links_(2).mdb"))));
    QVERIFY(QDir(m_app->file(QStringLiteral("temp"))).isEmpty());
    QCOMPARE(UseCurrentDir, 0);
    QCOMPARE(m_host.refreshes, 1);
}

void TestEditionCommands::importFromDescriptor()
{
    const QString from = m_app->file(QStringLiteral("outside/"));
    QDir().mkpath(from);
    QFile::copy(m_app->file(QStringLiteral("untitled.mdb")), from + QStringLiteral("Travel.MDB"));
    m_app->writeFile(QStringLiteral("outside/other.ddb"), "keep\r\n");
    m_app->writeFile(QStringLiteral("outside/travel.ddb"), "x.mdb,Old\r\n travel.mdb ,Travel Plans\r\n\r\n");
    DialogScript::input(from + QStringLiteral("travel.ddb"));
    DialogScript::answer(vbOK);
    EditionCreator(&m_host).addEdition(0);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The Edition 'Travel Plans' has been successfully imported."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Import Edition"));
    QCOMPARE(listedFiles(*m_app).last(), QStringLiteral("travel.mdb"));
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("travel.mdb"))));
    QVERIFY(!QFileInfo::exists(from + QStringLiteral("travel.ddb")));
    QVERIFY(QFileInfo::exists(from + QStringLiteral("other.ddb")));

    // A pattern, or a file that is no edition, is refused and nothing is copied.
    m_app->writeFile(QStringLiteral("outside/star.ddb"), "*.mdb,All\r\n");
    m_app->writeFile(QStringLiteral("outside/Notes.mdb"), "plain text");
    m_app->writeFile(QStringLiteral("outside/notes.ddb"), "Notes.mdb,Notes\r\n");
    const QByteArray list = m_app->readFile(QStringLiteral("dbnames.txt"));
    DialogScript::input(from + QStringLiteral("star.ddb"));
    DialogScript::answer(vbOK);
    DialogScript::input(from + QStringLiteral("notes.ddb"));
    DialogScript::answer(vbOK);
    EditionCreator(&m_host).addEdition(0);
    EditionCreator(&m_host).addEdition(0);
    QVERIFY(DialogScript::shown().at(DialogScript::shown().size() - 3).prompt.contains(QStringLiteral("does not name")));
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The file Notes.mdb is not an edition database of this program, so it cannot be added."));
    QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")), list);
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("Notes.mdb"))));
}

void TestEditionCommands::deleteRefusesActiveAndDeletesChosenFile()
{
    Form15 form(m_host);
    form.Form_Load();
    form.show();
    QCOMPARE(form.List1->currentRow(), 0);
    DialogScript::answer(vbOK);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QVERIFY(DialogScript::last().prompt.startsWith(QStringLiteral("You have selected an 'active' Edition.")));
    QVERIFY(!form.isVisible());

    Form15 again(m_host);
    again.Form_Load();
    again.show();
    clickRow(again.List1, 1);
    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    QTest::mouseClick(again.Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::shown().at(DialogScript::shown().size() - 2).prompt,
             QStringLiteral("Are you sure you want to delete the Edition \"Arts -Music\"?"));
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("You have successfully deleted the edition 'Arts -Music'."));
    QCOMPARE(listedFiles(*m_app), (QStringList{"*Sample_Links.mdb", "garden.mdb"}));
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("Arts_Music.mdb"))));
}

void TestEditionCommands::renameWritesLowerCaseFileOfChosenEntry()
{
    Form24 form(m_host);
    form.Form_Load();
    form.show();
    clickRow(form.List1, 1);
    DialogScript::input(QStringLiteral("  painting AND drawing "));
    DialogScript::answer(vbOK);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::shown().at(0).prompt,
             QStringLiteral("Your selected Edition Name is:   Arts -Music\n\n\n\n\nPlease enter your new Edition Name"));
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Your edition has been successfully renamed."));
    QCOMPARE(EditionList::readLines(m_app->file(QStringLiteral("dbnames.txt"))).at(1),
             QStringLiteral("painting_and_drawing.mdb,Painting And Drawing"));
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("painting_and_drawing.mdb"))));
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("Arts_Music.mdb"))));
    QVERIFY(!form.isVisible());
}

void TestEditionCommands::renameRefusals()
{
    Form24 form(m_host);
    form.Form_Load();
    form.show();
    clickRow(form.List1, 2);
    const QByteArray list = m_app->readFile(QStringLiteral("dbnames.txt"));
    // Its own name in another case, a name whose file lies unlisted, and a path.
    m_app->makeEdition(QStringLiteral("Spare.mdb"));
    for (const char *name : {"GARDEN", "spare", "../garden"}) {
        DialogScript::input(QString::fromUtf8(name));
        DialogScript::answer(vbOK);
        QTest::mouseClick(form.Command1, Qt::LeftButton);
        QVERIFY(form.isVisible());
    }
    QCOMPARE(DialogScript::shown().at(1).prompt,
             QStringLiteral("An edition with this name already exists. Please select an alternate name."));
    QCOMPARE(DialogScript::shown().at(3).prompt, DialogScript::shown().at(1).prompt);
    QVERIFY(DialogScript::last().prompt.startsWith(QStringLiteral("An Edition Name cannot hold")));
    QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")), list);
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("garden.mdb"))));

    // The active edition, named in any letter case.
    form.Text1->setText(QStringLiteral("GARDEN"));
    DialogScript::answer(vbOK);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QVERIFY(DialogScript::last().prompt.contains(QStringLiteral("cannot be renamed")));
}

void TestEditionCommands::copyTypedNameAndRefusals()
{
    Form34 form(m_host);
    form.Form_Load();
    form.show();
    clickRow(form.List1, 1);
    DialogScript::answer(vbOK);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Please enter a Copy Edition Name."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Copy Name Error"));

    QTest::keyClicks(form.Text2, QStringLiteral("Garden"));
    DialogScript::answer(vbOK);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().title, QStringLiteral("Duplicate Name"));

    form.Text2->clear();
    QTest::keyClicks(form.Text2, QStringLiteral("more ART"));
    DialogScript::answer(vbOK);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Your edition has been successfully copied."));
    QCOMPARE(EditionList::readLines(m_app->file(QStringLiteral("dbnames.txt"))).last(),
             QStringLiteral("more_art.mdb,More Art"));
    QCOMPARE(m_app->readFile(QStringLiteral("more_art.mdb")), m_app->readFile(QStringLiteral("Arts_Music.mdb")));
    QVERIFY(!form.isVisible());
}

void TestEditionCommands::failedListWriteUndoesFileWork()
{
    // The list can be read but not rewritten: every command leaves list and files as
    // they were and says so.
    QVERIFY(QDir(m_app->path()).mkdir(QStringLiteral("tmpdbnames.txt")));
    const QByteArray list = m_app->readFile(QStringLiteral("dbnames.txt"));
    const QStringList before = QDir(m_app->path()).entryList({QStringLiteral("*.mdb")}, QDir::Files);
    const EditionCommands commands(&m_host);

    DialogScript::input(QStringLiteral("new name"));
    DialogScript::answer(vbOK);
    commands.renameEdition(2, QStringLiteral("Garden"), QStringLiteral("Sample Links"));
    DialogScript::answer(vbOK);
    commands.copyEdition(2, QStringLiteral("copy"));
    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    commands.deleteEdition(2, QStringLiteral("Garden"), QStringLiteral("Sample Links"));
    DialogScript::input(QStringLiteral("Fresh"));
    DialogScript::answer(vbOK);
    EditionCreator(&m_host).createEdition();
    QCOMPARE(CurrentDatabaseFile, QStringLiteral("Sample_Links.mdb"));
    for (const DialogScript::Shown &s : DialogScript::shown())
        QVERIFY2(!s.prompt.contains(QStringLiteral("success")), qPrintable(s.prompt));
    QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")), list);
    QCOMPARE(QDir(m_app->path()).entryList({QStringLiteral("*.mdb")}, QDir::Files), before);
}

QTEST_MAIN(TestEditionCommands)
#include "tst_edition_commands.moc"
