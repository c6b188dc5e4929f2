// The edition dialogs and commands: Go To, Create and Import, Delete, Rename and Copy,
// each against its refusals and texts, driven through the dialogs' own controls.

#include "disk_full.h"
#include "testhelper.h"

#include "editions/edition_commands.h"
#include "editions/edition_create.h"
#include "editions/edition_export.h"
#include "editions/edition_restore.h"
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
#include <QRegularExpression>
#include <QtTest>

#include <functional>
#include <sys/stat.h>

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

int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

void setMode(const QString &path, int mode)
{
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
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
    void filesKeepTheirMode_data();
    void nameChecks_data();
    void nameChecks();
    void filesKeepTheirMode();

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

    // So is an edition that declares a trigger of its own.
    QFile::copy(m_app->file(QStringLiteral("untitled.mdb")), from + QStringLiteral("Trips.mdb"));
    QVERIFY(RunOnFile(from + QStringLiteral("Trips.mdb"), {"CREATE TRIGGER Gone AFTER INSERT ON Sit BEGIN DELETE FROM Lks; END"}));
    m_app->writeFile(QStringLiteral("outside/trips.ddb"), "Trips.mdb,Trips\r\n");
    DialogScript::input(from + QStringLiteral("trips.ddb"));
    DialogScript::answer(vbOK);
    EditionCreator(&m_host).addEdition(0);
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The file Trips.mdb holds commands of its own that this program does not know, which would "
                            "run whenever the edition is used, so it cannot be added."));
    QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")), list);
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("Trips.mdb"))));
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

    // An edition whose file is already gone is deleted all the same; the active edition's
    // file under another line and name is refused, though its text is not the one shown.
    QVERIFY(QFile::remove(m_app->file(QStringLiteral("garden.mdb"))));
    m_app->writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,Sample Links\r\ngarden.mdb,Garden\r\n"
                                                    "SAMPLE_LINKS.mdb,Old Copy\r\n");
    for (const int row : {1, 1}) {
        Form15 third(m_host);
        third.Form_Load();
        third.show();
        clickRow(third.List1, row);
        if (third.List1->currentItem()->text() == QStringLiteral("Garden"))
            DialogScript::answer(vbYes);
        DialogScript::answer(vbOK);
        QTest::mouseClick(third.Command1, Qt::LeftButton);
    }
    QCOMPARE(DialogScript::shown().at(DialogScript::shown().size() - 2).prompt,
             QStringLiteral("You have successfully deleted the edition 'Garden'."));
    QVERIFY(DialogScript::last().prompt.startsWith(QStringLiteral("You have selected an 'active' Edition.")));
    QCOMPARE(listedFiles(*m_app), (QStringList{"*Sample_Links.mdb", "SAMPLE_LINKS.mdb"}));
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("Sample_Links.mdb"))));

    // A file that cannot be removed: the line goes and the file is named. A line gone
    // since the dialog was opened: nothing is deleted.
    m_app->writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,Sample Links\r\ngarden.mdb,Garden\r\n");
    m_app->makeEdition(QStringLiteral("garden.mdb"));
    for (const QString &told : {QStringLiteral("The edition 'Garden' has been removed from the list, but its database file "
                                               "garden.mdb could not be deleted."),
                                QStringLiteral("The edition list dbnames.txt could not be rewritten, so the edition "
                                               "'Garden' was not deleted.")}) {
        const ReadOnlyFolder fixed(m_app->file(QStringLiteral("garden.mdb")));
        DialogScript::answer(vbYes);
        DialogScript::answer(vbOK);
        EditionCommands(&m_host, m_app->path()).deleteEdition(1, QStringLiteral("Garden"), QStringLiteral("Sample Links"));
        QCOMPARE(DialogScript::last().prompt, told);
        QCOMPARE(listedFiles(*m_app), QStringList{"*Sample_Links.mdb"});
        QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("garden.mdb"))));
    }
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

using Step = std::function<void(TestProgramFolder &, TestHost &)>;

void TestEditionCommands::filesKeepTheirMode_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("mode");

    QTest::newRow("create from a private template") << Step([](TestProgramFolder &app, TestHost &host) {
        setMode(app.file("untitled.mdb"), 0600);
        DialogScript::input("Private");
        DialogScript::answer(vbOK);
        EditionCreator(&host).createEdition();
    }) << "Private.mdb" << 0600;
    QTest::newRow("copy") << Step([](TestProgramFolder &app, TestHost &host) {
        setMode(app.file("garden.mdb"), 0640);
        DialogScript::answer(vbOK);
        EditionCommands(&host).copyEdition(2, "Spare");
    }) << "spare.mdb" << 0640;
    QTest::newRow("list rewrite") << Step([](TestProgramFolder &app, TestHost &host) {
        setMode(app.file("dbnames.txt"), 0600);
        QVERIFY(EditionCommands(&host).goTo(2));
    }) << "dbnames.txt" << 0600;
    QTest::newRow("restore over a private edition") << Step([](TestProgramFolder &app, TestHost &host) {
        QDir().mkpath(app.file("Backup"));
        QFile::copy(app.file("Sample_Links.mdb"), app.file("Backup/garden.mdb"));
        setMode(app.file("Backup/garden.mdb"), 0644);
        setMode(app.file("garden.mdb"), 0600);
        for (const int answer : {vbYes, vbOK, vbOK})
            DialogScript::answer(answer);
        const EditionRestore restore(&host);
        const QList<BackupEntry> backups = restore.backups();
        restore.restore(&backups.first());
        QCOMPARE(app.readFile("garden.mdb"), app.readFile("Sample_Links.mdb"));
    }) << "garden.mdb" << 0600;
    QTest::newRow("export") << Step([](TestProgramFolder &app, TestHost &) {
        setMode(app.file("garden.mdb"), 0640);
        DialogScript::answer(vbOK);
        QVERIFY(EditionExport().exportEdition(EditionEntry{"garden.mdb", "Garden"}, "Garden"));
    }) << "export/garden.mdb" << 0640;
}

void TestEditionCommands::filesKeepTheirMode()
{
    QFETCH(Step, step);
    QFETCH(QString, file);
    QFETCH(int, mode);
    step(*m_app, m_host);
    QCOMPARE(QString::number(modeOf(m_app->file(file)), 8), QString::number(mode, 8));
}

void TestEditionCommands::nameChecks_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");   // "" when the name is taken
    QTest::addColumn<QString>("line");      // the new edition's line when it is taken

    const QString again = QStringLiteral("\n\nPlease select an alternate name.");
    const QString plain = QStringLiteral("Only alphabetical or numeric characters are allowed in an Edition Name.\n\n"
                                         "Please amend your Edition Name.");
    const QString holds = QStringLiteral("An Edition Name cannot hold \"/\", \"\\\", \",\" or a control character.") + again;
    const QString dots = QStringLiteral("An Edition Name cannot be \".\" or \"..\".") + again;
    const QString star = QStringLiteral("An Edition Name cannot begin with \"*\": the edition list marks the active "
                                        "edition so.") + again;
    const QString tooLong = QStringLiteral("This Edition Name is too long to be the name of a file.\n\n"
                                           "Please select a shorter name.");
    const auto templ = [&again](const QString &name) {
        return QStringLiteral("The name '") + name
               + QStringLiteral("' belongs to the template untitled.mdb that every new edition is made from.") + again;
    };
    // The longest name whose file, with the scratch ending ".part", a file name can hold.
    const QString longest(246, QLatin1Char('a'));
    const QString longestLine = longest + QStringLiteral(".mdb,A") + QString(245, QLatin1Char('a'));

    // Create takes letters, digits, blanks and parentheses only.
    for (const char c : QByteArray("!\"#$%&'*+,-./:;<=>?@[\\]^_`{|}~\t"))
        QTest::addRow("create a%cb", c) << "create" << QStringLiteral("a%1b").arg(QLatin1Char(c)) << plain << "";
    QTest::newRow("create non-ASCII") << "create" << "\u00e9t\u00e9" << plain << "";
    QTest::newRow("create template") << "create" << "Untitled" << templ("Untitled") << "";
    QTest::newRow("create template upper") << "create" << "UNTITLED" << templ("UNTITLED") << "";
    QTest::newRow("create too long") << "create" << longest + "a" << tooLong << "";
    QTest::newRow("create longest") << "create" << longest << "" << "*" + longest + ".mdb," + longest;
    QTest::newRow("create beside template") << "create" << "Untitled (2)" << "" << "*Untitled_(2).mdb,Untitled (2)";
    // The help guide's example of an edition name is one that Create takes.
    QFile guide(BuiltProgramFolder() + QStringLiteral("help/index.html"));
    QVERIFY(guide.open(QIODevice::ReadOnly));
    const QString example = QRegularExpression(QStringLiteral("<i>([^<]*)</i> and <i>[^<]*</i>\\s+are the same name"))
                                .match(QString::fromUtf8(guide.readAll())).captured(1);
    QTest::newRow("create the guide's example") << "create" << example << "" << "*" + example + ".mdb," + example;

    for (const QString &command : {QStringLiteral("rename"), QStringLiteral("copy")}) {
        const auto row = [&command](const char *what) { return (command + QLatin1Char(' ') + QLatin1String(what)).toUtf8(); };
        const QList<std::pair<const char *, const char *>> held = {
            {"slash", "a/b"}, {"backslash", "a\\b"}, {"comma", "a,b"}, {"tab", "a\tb"}, {"control", "a\x01"},
            {"delete", "a\x7f"}};
        for (const auto &[what, name] : held)
            QTest::newRow(row(what).constData()) << command << QString::fromLatin1(name) << holds << "";
        QTest::newRow(row("dot").constData()) << command << "." << dots << "";
        QTest::newRow(row("dot dot").constData()) << command << ".." << dots << "";
        QTest::newRow(row("leading star").constData()) << command << "*ab" << star << "";
        QTest::newRow(row("too long").constData()) << command << longest + "a" << tooLong << "";
        QTest::newRow(row("template").constData()) << command << "untitled" << templ("untitled") << "";
        // Their neighbours that the list line and the file system carry.
        QTest::newRow(row("inner star").constData()) << command << "a*b" << "" << "a*b.mdb,A*b";
        QTest::newRow(row("question marks").constData()) << command << "?a?" << "" << "?a?.mdb,?a?";
        QTest::newRow(row("three dots").constData()) << command << "..." << "" << "....mdb,...";
        QTest::newRow(row("longest").constData()) << command << longest << "" << longestLine;
        QTest::newRow(row("beside template").constData()) << command << "untitled two" << "" << "untitled_two.mdb,Untitled Two";
    }
}

void TestEditionCommands::nameChecks()
{
    QFETCH(QString, command);
    QFETCH(QString, name);
    QFETCH(QString, refusal);
    QFETCH(QString, line);
    const QByteArray list = m_app->readFile(QStringLiteral("dbnames.txt"));
    const QStringList files = QDir(m_app->path()).entryList(QDir::Files);
    const EditionCommands commands(&m_host);
    if (command != QLatin1String("copy"))
        DialogScript::input(name);
    DialogScript::answer(vbOK);
    if (command == QLatin1String("create"))
        EditionCreator(&m_host).createEdition();
    else if (command == QLatin1String("rename"))
        commands.renameEdition(2, QStringLiteral("Garden"), QStringLiteral("Sample Links"));
    else
        commands.copyEdition(2, name);
    if (refusal.isEmpty()) {
        QVERIFY2(DialogScript::last().prompt.contains(QStringLiteral("successfully")), qPrintable(DialogScript::last().prompt));
        QVERIFY(EditionList::readLines(m_app->file(QStringLiteral("dbnames.txt"))).contains(line));
    } else {
        QCOMPARE(DialogScript::last().prompt, refusal);
        QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")), list);
        QCOMPARE(QDir(m_app->path()).entryList(QDir::Files), files);
    }
    QVERIFY(QDir(m_app->file(QStringLiteral("temp"))).isEmpty());
}

QTEST_MAIN(TestEditionCommands)
#include "tst_edition_commands.moc"
