// Switching editions through the main window's edition list, as the user picks with the
// mouse and the keyboard.

#include "damaged_editions.h"
#include "form1_support.h"
#include "testhelper.h"

#include "editions/edition_list.h"
#include "editions/form12_restore_edition.h"
#include "editions/form15_delete_edition.h"
#include "editions/form24_rename_edition.h"
#include "editions/form34_copy_edition.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace Form1Test;

namespace {

QStringList pageFiles(const TestProgramFolder &app)
{
    return QDir(app.path()).entryList({QStringLiteral("*.html")}, QDir::Files);
}

// Opens the list's drop-down with the mouse and clicks entry row. The drop-down ignores a
// release that comes too soon after it opened, so the click is repeated until it closes.
void clickEntry(QComboBox *combo, int row)
{
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseMove(view->viewport(), at);
    QTRY_VERIFY((QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at), !view->isVisible()));
}

// The item of the main window's "&Edition" menu that shows text.
QAction *editionMenuItem(Form1 *form, const QString &text)
{
    const QList<QAction *> bar = form->menuBar()->actions();
    for (const QAction *menu : bar)
        if (menu->text() == QLatin1String("&Edition") && menu->menu())
            for (QAction *item : menu->menu()->actions())
                if (item->text() == text)
                    return item;
    return nullptr;
}

// The user picking the entry text of an edition dialog's list with the keyboard.
void pickEntry(QListWidget *list, const QString &text)
{
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < list->count() && list->currentItem()->text() != text; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->selectedItems().value(0) ? list->selectedItems().value(0)->text() : QString(), text);
}

QStringList listLines(const TestProgramFolder &app)
{
    return EditionList::readLines(app.file(QStringLiteral("dbnames.txt")));
}

} // namespace

class TestEditionSwitch : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init() { m_app = std::make_unique<TestProgramFolder>(); IsOnline = false; }
    void cleanup()
    {
        closeMainWindow();
        RemoveProgramFolder(m_app, true);
    }
    void pickingTheActiveEntryChangesNothing();
    void pickingAnotherEntrySwitches();
    void failedSwitchChangesNothing();
    void compactFromMenuReopensEdition();
    void compactFromMenuRepairsDamagedEdition();
    void damagedEditionKeepsItsBackup_data();
    void damagedEditionKeepsItsBackup();
    void editionMenuItemsRunTheirCommands();

private:
    std::unique_ptr<TestProgramFolder> m_app;
};

void TestEditionSwitch::pickingTheActiveEntryChangesNothing()
{
    m_app->makeEdition(QStringLiteral("garden.mdb"));
    m_app->writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,Sample Links\r\ngarden.mdb,Garden\r\n");
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    QVERIFY(QFile::remove(m_app->file(QStringLiteral("Backup/Sample_Links.mdb"))));
    const QStringList pages = pageFiles(*m_app);
    QVERIFY(!pages.isEmpty());

    clickEntry(form->Combo6, 0);
    QCOMPARE(form->Combo6->currentIndex(), 0);
    QCOMPARE(form->Combo1->currentText(), QStringLiteral("Computing"));
    QCOMPARE(form->Combo2->currentText(), QStringLiteral("Programming"));
    QCOMPARE(pageFiles(*m_app), pages);
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("Backup/Sample_Links.mdb"))));
}

void TestEditionSwitch::pickingAnotherEntrySwitches()
{
    m_app->makeEdition(QStringLiteral("Garden.mdb"));
    // The line names the file in another letter case, and its name changes when shown.
    m_app->writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,Sample Links\r\ngarden.mdb,north - south\r\n");
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    QCOMPARE(comboItems(form->Combo6), (QStringList{"Sample Links", "North -South"}));

    clickEntry(form->Combo6, 1);
    QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")),
             QByteArray("Sample_Links.mdb,Sample Links\r\n*garden.mdb,north - south\r\n"));
    QCOMPARE(CurrentDatabaseFile, QStringLiteral("garden.mdb"));
    QCOMPARE(comboItems(form->Combo1), QStringList{"Select Topic"});
    QVERIFY(pageFiles(*m_app).isEmpty());
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("Backup/Garden.mdb"))));
}

void TestEditionSwitch::failedSwitchChangesNothing()
{
    m_app->writeFile(QStringLiteral("x.mdb"), "just text");
    const QByteArray list("*Sample_Links.mdb,Sample Links\r\nx.mdb,X\r\n");
    m_app->writeFile(QStringLiteral("dbnames.txt"), list);
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));

    DialogScript::answer(vbOK);
    form->Combo6->setFocus();
    QTest::keyClick(form->Combo6, Qt::Key_Down);
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The edition 'X' cannot be opened: its database file x.mdb is missing or is not an "
                            "edition database.\nThe active edition stays as it was."));
    QCOMPARE(form->Combo6->currentText(), QStringLiteral("Sample Links"));
    QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")), list);
    QCOMPARE(CurrentDatabaseFile, QStringLiteral("Sample_Links.mdb"));
    QCOMPARE(form->Combo2->currentText(), QStringLiteral("Programming"));
    // The Topic list still belongs to the open edition: its Sub-Topics come up.
    choose(form->Combo1, QStringLiteral("Science"));
    QVERIFY(form->Combo2->count() > 0);
}

void TestEditionSwitch::compactFromMenuReopensEdition()
{
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    const qint64 topics = QueryCount(QStringLiteral("SELECT count(*) FROM Topics"));
    DialogScript::answer(vbOK);
    form->mnuCompact->trigger();
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The Database has been successfully compacted and/or repaired."));
    QCOMPARE(DialogScript::last().buttons, int(vbInformation));
    QVERIFY(DatabaseIsOpen());
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM Topics")), topics);
    QCOMPARE(form->Combo2->currentText(), QStringLiteral("Programming"));
}

void TestEditionSwitch::compactFromMenuRepairsDamagedEdition()
{
    const QString edition = m_app->file(QStringLiteral("Sample_Links.mdb"));
    QVERIFY(Damage::overwritePage(edition, Damage::middleLeaf(edition, QStringLiteral("Sit"))));
    DialogScript::answer(vbOK);
    Form1 *form = showMainWindow();
    QVERIFY(DialogScript::last().prompt.contains(QStringLiteral("is damaged: part of it cannot be read")));

    // The real box: the kept file's path stands whole on a line of its own.
    QString keptLine;
    int pathWidth = 0;
    int labelWidth = 0;
    DialogScript::interact([&](QDialog *box) {
        const QLabel *label = box->findChild<QLabel *>(QStringLiteral("Prompt"));
        keptLine = label->text().section(QLatin1Char('\n'), -1);
        pathWidth = label->fontMetrics().horizontalAdvance(keptLine);
        labelWidth = label->contentsRect().width();
        QTest::keyClick(box, Qt::Key_Return);
    });
    form->mnuCompact->trigger();
    QVERIFY(keptLine.startsWith(m_app->file(QStringLiteral("Backup/Sample_Links.mdb.damaged-"))));
    QVERIFY2(pathWidth <= labelWidth, qPrintable(QStringLiteral("%1 > %2").arg(pathWidth).arg(labelWidth)));
    const QString told = DialogScript::last().prompt;
    QVERIFY2(told.startsWith(QStringLiteral("The edition database Sample_Links.mdb was damaged. Its readable rows were "
                                            "recovered")), qPrintable(told));
    QVERIFY(told.contains(QStringLiteral("\n  Topics: ")));
    QVERIFY(told.contains(QStringLiteral("\nCould not be read:\n  links: ")));
    QCOMPARE(QDir(m_app->file(QStringLiteral("Backup"))).entryList({QStringLiteral("Sample_Links.mdb.damaged-*")}).size(), 1);
    QVERIFY(DatabaseIsOpen());
    QVERIFY(comboItems(form->Combo1).contains(QStringLiteral("Computing")));
    // The repaired edition is sound: it is backed up again.
    closeMainWindow();
    QVERIFY(IsEditionFile(m_app->file(QStringLiteral("Backup/Sample_Links.mdb"))));
    QCOMPARE(EditionSnapshot(m_app->file(QStringLiteral("Backup/Sample_Links.mdb"))), EditionSnapshot(edition));
}

void TestEditionSwitch::damagedEditionKeepsItsBackup_data()
{
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("damage");
    QTest::newRow("overwritten with text") << false << "";
    QTest::newRow("one page overwritten") << true << "Sit";
}

// A damaged active edition never replaces its good backup: not at start-up, not on the
// refresh after an edition command, not at exit; the user is told once.
void TestEditionSwitch::damagedEditionKeepsItsBackup()
{
    QFETCH(bool, opens);
    QFETCH(QString, damage);
    const QString edition = m_app->file(QStringLiteral("Sample_Links.mdb"));
    const QString backup = m_app->file(QStringLiteral("Backup/Sample_Links.mdb"));
    QVERIFY(QDir().mkpath(m_app->file(QStringLiteral("Backup"))));
    QVERIFY(QFile::copy(edition, backup));
    QVERIFY(QFile::copy(m_app->file(QStringLiteral("untitled.mdb")), m_app->file(QStringLiteral("Backup/other.mdb"))));
    const QByteArray good = m_app->readFile(QStringLiteral("Backup/Sample_Links.mdb"));
    if (damage.isEmpty())
        m_app->writeFile(QStringLiteral("Sample_Links.mdb"), "a few bytes of text");
    else
        QVERIFY(Damage::overwritePage(edition, Damage::middleLeaf(edition, damage)));

    DialogScript::answer(vbOK);
    Form1 *form = showMainWindow();
    const QString told = QStringLiteral("The edition database Sample_Links.mdb is damaged: ")
                         + (opens ? QStringLiteral("part of it cannot be read.") : QStringLiteral("it cannot be opened as an edition."))
                         + QStringLiteral("\nIts backup ") + backup
                         + QStringLiteral(" was kept as it was; the damaged file does not replace it.\nCompact / Repair "
                                          "Topics Database in the Options menu recovers what can still be read, or make "
                                          "another edition active and bring the backup back with Restore Edition.");
    QCOMPARE(DialogScript::shown().size(), 1);
    QCOMPARE(DialogScript::last().prompt, told);
    QCOMPARE(m_app->readFile(QStringLiteral("Backup/Sample_Links.mdb")), good);

    // Restore answered "No" refreshes the edition list, which loads the edition again.
    OnModal<Form12> restore([](Form12 *dialog) {
        QTreeWidget *list = dialog->ListView1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(0)).center());
        DialogScript::answer(vbNo);
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    });
    form->mnuRestoreEdition->trigger();
    QVERIFY(restore.seen);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Are you sure you want to restore this Edition? "));
    QCOMPARE(m_app->readFile(QStringLiteral("Backup/Sample_Links.mdb")), good);

    closeMainWindow();
    QCOMPARE(DialogScript::shown().size(), 2);
    QCOMPARE(m_app->readFile(QStringLiteral("Backup/Sample_Links.mdb")), good);
}

void TestEditionSwitch::editionMenuItemsRunTheirCommands()
{
    m_app->makeEdition(QStringLiteral("garden.mdb"));
    m_app->writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,Sample Links\r\ngarden.mdb,Garden\r\n");
    QDir().mkpath(m_app->file(QStringLiteral("Backup")));
    QVERIFY(QFile::copy(m_app->file(QStringLiteral("Sample_Links.mdb")), m_app->file(QStringLiteral("Backup/garden.mdb"))));
    Form1 *form = showMainWindow();

    // Create: the template's own name is refused, another name made and made active.
    DialogScript::input(QStringLiteral("Untitled"));
    DialogScript::answer(vbOK);
    editionMenuItem(form, QStringLiteral("&Create Edition"))->trigger();
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The name 'Untitled' belongs to the template untitled.mdb that every new edition is made "
                            "from.\n\nPlease select an alternate name."));
    DialogScript::input(QStringLiteral("Fresh"));
    DialogScript::answer(vbOK);
    editionMenuItem(form, QStringLiteral("&Create Edition"))->trigger();
    QCOMPARE(listLines(*m_app).last(), QStringLiteral("*Fresh.mdb,Fresh"));
    QCOMPARE(form->Combo6->currentText(), QStringLiteral("Fresh"));

    // Copy: a name with "*" typed into the box.
    OnModal<Form34> copy([](Form34 *dialog) {
        pickEntry(dialog->List1, QStringLiteral("Garden"));
        QTest::keyClicks(dialog->Text2, QStringLiteral("Garden*2"));
        DialogScript::answer(vbOK);
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    });
    editionMenuItem(form, QStringLiteral("Co&py Edition"))->trigger();
    QVERIFY(copy.seen);
    QCOMPARE(listLines(*m_app).last(), QStringLiteral("garden*2.mdb,Garden*2"));
    QCOMPARE(m_app->readFile(QStringLiteral("garden*2.mdb")), m_app->readFile(QStringLiteral("garden.mdb")));

    // Rename the copy to a name with "?".
    OnModal<Form24> rename([](Form24 *dialog) {
        pickEntry(dialog->List1, QStringLiteral("Garden*2"));
        DialogScript::input(QStringLiteral("roses?"));
        DialogScript::answer(vbOK);
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    });
    editionMenuItem(form, QStringLiteral("&Rename Edition"))->trigger();
    QVERIFY(rename.seen);
    QCOMPARE(listLines(*m_app).last(), QStringLiteral("roses?.mdb,Roses?"));
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("roses?.mdb"))));

    // Delete it.
    OnModal<Form15> remove([](Form15 *dialog) {
        pickEntry(dialog->List1, QStringLiteral("Roses?"));
        DialogScript::answer(vbYes);
        DialogScript::answer(vbOK);
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    });
    editionMenuItem(form, QStringLiteral("&Delete Edition"))->trigger();
    QVERIFY(remove.seen);
    QCOMPARE(listLines(*m_app), (QStringList{"Sample_Links.mdb,Sample Links", "garden.mdb,Garden", "*Fresh.mdb,Fresh"}));
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("roses?.mdb"))));

    // Restore the garden edition from its backup.
    OnModal<Form12> restore([](Form12 *dialog) {
        dialog->ListView1->setFocus();
        QTest::keyClick(dialog->ListView1, Qt::Key_Home);
        while (dialog->ListView1->currentItem()->text(0) != QLatin1String("Garden"))
            QTest::keyClick(dialog->ListView1, Qt::Key_Down);
        for (const int answer : {vbYes, vbOK, vbOK})
            DialogScript::answer(answer);
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    });
    editionMenuItem(form, QStringLiteral("Re&store Edition"))->trigger();
    QVERIFY(restore.seen);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Your Edition has been successfuly restored."));
    QCOMPARE(m_app->readFile(QStringLiteral("garden.mdb")), m_app->readFile(QStringLiteral("Backup/garden.mdb")));
}

QTEST_MAIN(TestEditionSwitch)
#include "tst_edition_switch.moc"
