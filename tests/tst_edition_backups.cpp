// Restoring editions from their backups, compacting the active edition and exporting an
// edition.

#include "damaged_editions.h"
#include "disk_full.h"
#include "sync_count.h"
#include "testhelper.h"

#include "editions/edition_compact.h"
#include "editions/edition_export.h"
#include "editions/edition_host.h"
#include "editions/edition_list.h"
#include "editions/edition_restore.h"
#include "editions/form12_restore_edition.h"
#include "editions/form29_export_edition.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

class TestHost : public EditionHost
{
public:
    void refreshEditions() override { ++refreshes; }
    QString shownEdition() const override { return QStringLiteral("Sample Links"); }
    int refreshes = 0;
};

void clickItem(QTreeWidget *tree, int row, Qt::KeyboardModifiers keys = {})
{
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, keys,
                      tree->visualItemRect(tree->topLevelItem(row)).center());
}

// Rows of every table of an edition file, for comparing two files' contents.
QStringList allRows(const QString &file)
{
    if (!OpenEdition(file))
        return {QStringLiteral("cannot open")};
    QStringList rows;
    for (const QString &table : QueryRows(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")))
        rows += QueryRows(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table));
    CloseDatabase();
    return rows;
}

} // namespace

class TestEditionBackups : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { RemoveProgramFolder(m_app, true); }

    void backupListShowsNamesAndDates();
    void restoreRefusesTheOpenEditionsFile();
    void restoreAppendsUnlistedEdition();
    void overwriteCancelChangesNothing();
    void restoreWritesTheListedFileOnly_data();
    void restoreWritesTheListedFileOnly();
    void deleteBackup();
    void compactKeepsRowsAndShrinks_data();
    void compactKeepsRowsAndShrinks();
    void exportCopiesWithoutLogins_data();
    void exportCopiesWithoutLogins();
    void exportTakesAnyListedFile();
    void exportRefusedHalfWayLeavesNothing();

private:
    std::unique_ptr<TestProgramFolder> m_app;
    TestHost m_host;
};

void TestEditionBackups::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    m_host = TestHost();
    QDir().mkpath(m_app->file(QStringLiteral("Backup")));
    QFile::copy(m_app->file(QStringLiteral("Sample_Links.mdb")), m_app->file(QStringLiteral("Backup/Sample_Links.mdb")));
    QFile::copy(m_app->file(QStringLiteral("untitled.mdb")), m_app->file(QStringLiteral("Backup/health_and_fitness.mdb")));
    // The open edition shown under a name that no backup's name gives.
    m_app->writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,My Links\r\n");
    CurrentDatabaseFile = QStringLiteral("Sample_Links.mdb");
}

void TestEditionBackups::backupListShowsNamesAndDates()
{
    const QString file = m_app->file(QStringLiteral("Backup/health_and_fitness.mdb"));
    QFile(file).setPermissions(QFile::ReadOwner);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.setFileTime(QDateTime(QDate(2005, 8, 29), QTime(23, 0), Qt::UTC), QFileDevice::FileModificationTime));
    Form12 form(m_host);
    form.Form_Load();
    QCOMPARE(form.ListView1->topLevelItemCount(), 2);
    QCOMPARE(form.ListView1->topLevelItem(0)->text(0), QStringLiteral("Health And Fitness"));
    QCOMPARE(form.ListView1->topLevelItem(0)->text(1), QLocale().toString(QDate(2005, 8, 29), QStringLiteral("dddd MMMM d, yyyy")));
    QCOMPARE(form.ListView1->topLevelItem(1)->text(0), QStringLiteral("Sample Links"));
}

void TestEditionBackups::restoreRefusesTheOpenEditionsFile()
{
    Form12 form(m_host);
    form.Form_Load();
    form.show();
    // It opens with the first backup selected; with none selected it asks for one.
    QCOMPARE(form.ListView1->selectedItems(), QList<QTreeWidgetItem *>{form.ListView1->topLevelItem(0)});
    clickItem(form.ListView1, 0, Qt::ControlModifier);
    DialogScript::answer(vbOK);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Please select an Edition to restore."));

    clickItem(form.ListView1, 1);
    DialogScript::answer(vbOK);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("You have selected an edition which is currently active. An 'active' edition cannot be "
                            "restored. \nPlease make another Edition 'active' first before restoring this Edition."));
    QVERIFY(form.isVisible());

    // A backup that is no edition database, or declares a trigger of its own, is not
    // copied back.
    m_app->writeFile(QStringLiteral("Backup/Notes.mdb"), "plain text");
    QFile::copy(m_app->file(QStringLiteral("untitled.mdb")), m_app->file(QStringLiteral("Backup/Trips.mdb")));
    QVERIFY(RunOnFile(m_app->file(QStringLiteral("Backup/Trips.mdb")),
                      {"CREATE TRIGGER Gone AFTER INSERT ON Sit BEGIN DELETE FROM Lks; END"}));
    form.LoadBackupList();
    for (const auto &[row, told] : {std::pair{1, "Notes.mdb is not an edition database of this program"},
                                    std::pair{3, "Trips.mdb holds commands of its own that this program does not know, "
                                                 "which would run whenever the edition is used"}}) {
        clickItem(form.ListView1, row);
        DialogScript::answer(vbOK);
        QTest::mouseClick(form.Command1, Qt::LeftButton);
        QCOMPARE(DialogScript::last().prompt, QStringLiteral("The backup ") + told + QStringLiteral(", so it cannot be restored."));
    }
    QCOMPARE(QDir(m_app->path()).entryList({"notes.mdb", "trips.mdb"}, QDir::Files), QStringList());
}

void TestEditionBackups::restoreAppendsUnlistedEdition()
{
    Form12 form(m_host);
    form.Form_Load();
    form.show();
    clickItem(form.ListView1, 0);
    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Your Edition has been successfuly restored."));
    QCOMPARE(EditionList::readLines(m_app->file(QStringLiteral("dbnames.txt"))),
             (QStringList{"*Sample_Links.mdb,My Links", "health_and_fitness.mdb,Health and fitness"}));
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("health_and_fitness.mdb"))));
    QCOMPARE(m_host.refreshes, 1);
    QVERIFY(!form.isVisible());

    // The list refused (its scratch file's name taken): the edition is back and said to be
    // listed at the next start.
    const QByteArray list = m_app->readFile(QStringLiteral("dbnames.txt"));
    QVERIFY(QFile::copy(m_app->file(QStringLiteral("untitled.mdb")), m_app->file(QStringLiteral("Backup/travel.mdb"))));
    QVERIFY(QDir().mkpath(m_app->file(QStringLiteral("tmpdbnames.txt"))));
    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    const EditionRestore restore(&m_host);
    const BackupEntry travel{QStringLiteral("travel.mdb"), QStringLiteral("Travel"), QString()};
    QCOMPARE(restore.restore(&travel), EditionRestore::After::Close);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The edition has been copied back, but the edition list "
                                                         "dbnames.txt could not be written; the edition is listed at "
                                                         "the next start."));
    QCOMPARE(m_app->readFile(QStringLiteral("Backup/travel.mdb")), m_app->readFile(QStringLiteral("travel.mdb")));
    QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")), list);
}

void TestEditionBackups::overwriteCancelChangesNothing()
{
    // The edition lies in the program folder in another letter case, and is listed.
    m_app->writeFile(QStringLiteral("Health_And_Fitness.mdb"), "current");
    m_app->writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,My Links\r\nHealth_And_Fitness.mdb,Health\r\n");
    Form12 form(m_host);
    form.Form_Load();
    form.show();
    clickItem(form.ListView1, 0);
    DialogScript::answer(vbYes);
    DialogScript::answer(vbCancel);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The Edition 'Health And Fitness' already exists. Do you want to overwrite it?"));
    QCOMPARE(m_app->readFile(QStringLiteral("Health_And_Fitness.mdb")), QByteArray("current"));
    QVERIFY(form.isVisible());

    // OK replaces the file the edition's line names, in its own letter case, and adds no
    // line.
    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    DialogScript::answer(vbOK);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("health_and_fitness.mdb"))));
    QVERIFY(IsEditionFile(m_app->file(QStringLiteral("Health_And_Fitness.mdb"))));
    QCOMPARE(EditionList::readLines(m_app->file(QStringLiteral("dbnames.txt"))).size(), 2);
}

void TestEditionBackups::restoreWritesTheListedFileOnly_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("backup");
    QTest::addColumn<QString>("restored");   // "" when refused
    QTest::addColumn<QStringList>("untouched");

    // The edition Untitled.mdb beside the template untitled.mdb, and the list naming it.
    QTest::newRow("listed beside the template") << QByteArray("*Sample_Links.mdb,My Links\r\nUntitled.mdb,Untitled\r\n")
                                                << "Untitled.mdb" << "Untitled.mdb"
                                                << QStringList{"untitled.mdb", "dbnames.txt"};
    QTest::newRow("listed in another case") << QByteArray("*Sample_Links.mdb,My Links\r\nuntitled.MDB,Untitled\r\n")
                                            << "Untitled.mdb" << "untitled.MDB" << QStringList{"untitled.mdb"};
    QTest::newRow("unlisted template name") << QByteArray("*Sample_Links.mdb,My Links\r\n") << "UNTITLED.mdb" << ""
                                            << QStringList{"untitled.mdb", "dbnames.txt"};
}

void TestEditionBackups::restoreWritesTheListedFileOnly()
{
    QFETCH(QByteArray, list);
    QFETCH(QString, backup);
    QFETCH(QString, restored);
    QFETCH(QStringList, untouched);
    QFile::remove(m_app->file(QStringLiteral("Backup/health_and_fitness.mdb")));
    QFile::copy(m_app->file(QStringLiteral("Sample_Links.mdb")), m_app->file(QStringLiteral("Backup/") + backup));
    m_app->writeFile(QStringLiteral("dbnames.txt"), list);
    if (!restored.isEmpty())
        m_app->writeFile(restored, "the edition before");
    QList<QByteArray> before;
    for (const QString &file : untouched)
        before.append(m_app->readFile(file));

    Form12 form(m_host);
    form.Form_Load();
    form.show();
    clickItem(form.ListView1, 1);
    for (const int answer : restored.isEmpty() ? QList<int>{vbOK} : QList<int>{vbYes, vbOK, vbOK})
        DialogScript::answer(answer);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    if (restored.isEmpty()) {
        QCOMPARE(DialogScript::last().prompt,
                 QStringLiteral("The backup UNTITLED.mdb has the name of the template untitled.mdb that every new "
                                "edition is made from, so it cannot be restored."));
    } else {
        QCOMPARE(DialogScript::last().prompt, QStringLiteral("Your Edition has been successfuly restored."));
        QCOMPARE(m_app->readFile(restored), m_app->readFile(QStringLiteral("Backup/") + backup));
    }
    for (int i = 0; i < untouched.size(); ++i)
        QCOMPARE(m_app->readFile(untouched.at(i)), before.at(i));
    QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")), list);
}

void TestEditionBackups::deleteBackup()
{
    Form12 form(m_host);
    form.Form_Load();
    form.show();
    clickItem(form.ListView1, 1);
    DialogScript::answer(vbYes);
    QTest::mouseClick(form.Command3, Qt::LeftButton);
    QCOMPARE(DialogScript::last().title, QStringLiteral("Delete Backup Edition"));
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("Backup/Sample_Links.mdb"))));
    QCOMPARE(form.ListView1->topLevelItemCount(), 1);
    QCOMPARE(form.ListView1->currentItem(), form.ListView1->topLevelItem(0));

    // No keeps the backup; a Backup folder that takes no change keeps it and says why.
    DialogScript::answer(vbNo);
    QTest::mouseClick(form.Command3, Qt::LeftButton);
    QCOMPARE(form.ListView1->topLevelItemCount(), 1);
    {
        const ReadOnlyFolder readOnly(m_app->file(QStringLiteral("Backup")));
        DialogScript::answer(vbYes);
        DialogScript::answer(vbOK);
        QTest::mouseClick(form.Command3, Qt::LeftButton);
    }
    QCOMPARE(DialogScript::last().prompt, "The backup health_and_fitness.mdb could not be deleted: the folder "
                                              + QDir::cleanPath(m_app->file(QStringLiteral("Backup"))) + " cannot be written.");
    QCOMPARE(form.ListView1->topLevelItemCount(), 1);

    // A backup already gone is no failure: it leaves the list without a word.
    QVERIFY(QFile::remove(m_app->file(QStringLiteral("Backup/health_and_fitness.mdb"))));
    DialogScript::answer(vbYes);
    QTest::mouseClick(form.Command3, Qt::LeftButton);
    QCOMPARE(form.ListView1->topLevelItemCount(), 0);
    QCOMPARE(DialogScript::last().title, QStringLiteral("Delete Backup Edition"));
}

void TestEditionBackups::compactKeepsRowsAndShrinks_data()
{
    // What is done to the sample edition, after rows of 400 KB were deleted from it; what
    // Compact makes of it; whether it keeps every row.
    QTest::addColumn<std::function<bool(const QString &)>>("change");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("everyRow");
    QTest::newRow("nothing more") << std::function<bool(const QString &)>([](const QString &) { return true; })
                                  << int(EditionCompaction::Result::Compacted) << true;
    // Checking it would take 10 s: the check is stopped, and its rows go into a fresh
    // edition as a damaged edition's do.
    QTest::newRow("a check that takes a third of a second a link")
        << std::function<bool(const QString &)>([](const QString &file) { return RunOnFile(file, SlowCheckOnLinks()); })
        << int(EditionCompaction::Result::Repaired) << true;
    // A page of links overwritten, and changed Topics in the log beside the file.
    QTest::newRow("damaged, with its log beside it") << std::function<bool(const QString &)>([](const QString &file) {
        const Damage::Page leaf = Damage::middleLeaf(file, QStringLiteral("Sit"));
        return Damage::writeInLog(file, QStringLiteral("UPDATE Topics SET TopicName = TopicName || ' (changed)'"))
               && Damage::overwritePage(file, leaf);
    }) << int(EditionCompaction::Result::Repaired) << false;
}

void TestEditionBackups::compactKeepsRowsAndShrinks()
{
    QFETCH(std::function<bool(const QString &)>, change);
    QFETCH(int, result);
    QFETCH(bool, everyRow);
    const QString file = m_app->file(QStringLiteral("Sample_Links.mdb"));
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(ExecSql(QStringLiteral("CREATE TABLE Filler (x TEXT)")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Filler VALUES (zeroblob(400000))")));
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM Filler")));
    CloseDatabase();
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    const qint64 before = QFileInfo(file).size();
    const QStringList rows = allRows(QStringLiteral("Sample_Links.mdb"));
    QVERIFY(change(file));
    QMap<QString, QByteArray> original;   // the file and its logs, by the ending of their names
    for (const char *log : {"", "-wal", "-shm"})
        if (QFileInfo::exists(file + log))
            original.insert(log, m_app->readFile(QStringLiteral("Sample_Links.mdb") + log));
    m_app->writeFile(QStringLiteral("Sample_Links.mdb.compact.part"), "left over");

    EditionCompaction compaction(file, m_app->file(QStringLiteral("untitled.mdb")), m_app->file(QStringLiteral("Backup")));
    SyncCount syncs;
    QCOMPARE(int(compaction.run()), result);
    // The compacted copy is put on the disk once, and so is its new name.
    const QString folder = QDir(m_app->path()).canonicalPath();
    if (result == int(EditionCompaction::Result::Compacted)) {
        QCOMPARE(syncs.files(), QStringList{folder + "/Sample_Links.mdb.compact.part"});
        QCOMPARE(syncs.folders(), QStringList{folder});
    }
    QVERIFY(QFileInfo(file).size() < before - 300000);
    if (everyRow)
        QCOMPARE(allRows(QStringLiteral("Sample_Links.mdb")), rows);
    QCOMPARE(QDir(m_app->path()).entryList({"Sample_Links.mdb?*"}, QDir::Files | QDir::Hidden), QStringList());
    // A private edition stays private.
    QCOMPARE(QFile::permissions(file), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    // A repaired edition's file is kept with its logs, each as it was before anything
    // opened it.
    const QString kept = QFileInfo(compaction.damagedCopy()).fileName();
    QCOMPARE(kept.isEmpty(), result == int(EditionCompaction::Result::Compacted));
    QStringList backups{"Sample_Links.mdb", "health_and_fitness.mdb"};
    for (auto it = original.cbegin(); it != original.cend() && !kept.isEmpty(); ++it) {
        backups.append(kept + it.key());
        QCOMPARE(m_app->readFile("Backup/" + kept + it.key()), it.value());
    }
    backups.sort();
    QCOMPARE(QDir(m_app->file(QStringLiteral("Backup"))).entryList(QDir::Files | QDir::Hidden, QDir::Name), backups);
}

void TestEditionBackups::exportCopiesWithoutLogins_data()
{
    // The logins table as the edition spells it (SQLite's names ignore letter case), and
    // a trigger of the edition's own that keeps its rows from being deleted.
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("keptByTrigger");
    QTest::newRow("as made") << "PersonalInformation" << false;
    QTest::newRow("upper case") << "PERSONALINFORMATION" << false;
    QTest::newRow("lower case") << "personalinformation" << false;
    QTest::newRow("mixed case") << "pERSONALiNFORMATIOn" << false;
    QTest::newRow("rows kept by a trigger") << "PersonalInformation" << true;
}

void TestEditionBackups::exportCopiesWithoutLogins()
{
    QFETCH(QString, table);
    QFETCH(bool, keptByTrigger);
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(ExecSql(QStringLiteral("ALTER TABLE PersonalInformation RENAME TO Renamed")));
    QVERIFY(ExecSql(QStringLiteral("ALTER TABLE Renamed RENAME TO ") + table));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO PersonalInformation (Title, URL, FieldName, FieldValue) "
                                   "VALUES ('Bank', 'https://bank.example', 'password', 'secret-word')")));
    if (keptByTrigger)
        QVERIFY(ExecSql(QStringLiteral("CREATE TRIGGER Keep BEFORE DELETE ON PersonalInformation "
                                       "BEGIN SELECT RAISE(IGNORE); END")));
    m_app->writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,health and fitness\r\n");
    for (int round = 0; round < 2; ++round) {
        Form29 form(m_host);
        form.Form_Load();
        form.show();
        QCOMPARE(form.List1->item(0)->text(), QStringLiteral("Health And Fitness"));
        QTest::mouseClick(form.List1->viewport(), Qt::LeftButton, {}, form.List1->visualItemRect(form.List1->item(0)).center());
        DialogScript::answer(vbOK);
        SyncCount syncs;
        QTest::mouseClick(form.Command1, Qt::LeftButton);
        // The copy is put on the disk once, when finished, and so is its new name; a copy
        // that keeps logins is not put there at all.
        const QString exportFolder = QDir(m_app->file(QStringLiteral("export"))).canonicalPath();
        QCOMPARE(syncs.files(), keptByTrigger ? QStringList() : QStringList{exportFolder + "/Sample_Links.mdb.part"});
        QCOMPARE(syncs.folders(), keptByTrigger ? QStringList() : QStringList{exportFolder});
        QCOMPARE(DialogScript::last().prompt,
                 keptByTrigger ? QStringLiteral("The Edition 'Health And Fitness' could not be exported: the stored "
                                                "web-account logins could not be left out of its copy.")
                               : QStringLiteral("The Edition 'Health And Fitness' has been successfully exported to "
                                                "the directory ")
                                     + m_app->path() + QStringLiteral("export/."));
        QVERIFY(!form.isVisible());
    }
    const QStringList exported = QDir(m_app->file(QStringLiteral("export"))).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(exported, keptByTrigger ? QStringList() : QStringList{"Sample_Links.mdb"});
    const QByteArray copy = m_app->readFile(QStringLiteral("export/Sample_Links.mdb"));
    QVERIFY(copy.startsWith("SQLite format 3") != keptByTrigger);
    QVERIFY(!copy.contains("secret-word"));
    // The edition itself keeps its logins.
    QCOMPARE(QueryCount(QStringLiteral("SELECT count(*) FROM PersonalInformation")), 1);
}

void TestEditionBackups::exportTakesAnyListedFile()
{
    QFile::copy(m_app->file(QStringLiteral("untitled.mdb")), m_app->file(QStringLiteral("A*Links?.mdb")));
    m_app->writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,My Links\r\nA*Links?.mdb,A*Links?\r\n");
    Form29 form(m_host);
    form.Form_Load();
    form.show();
    QTest::mouseClick(form.List1->viewport(), Qt::LeftButton, {}, form.List1->visualItemRect(form.List1->item(1)).center());
    DialogScript::answer(vbOK);
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The Edition 'A*links?' has been successfully exported to the directory ")
                                              + m_app->path() + QStringLiteral("export/."));
    QCOMPARE(QDir(m_app->file(QStringLiteral("export"))).entryList(QDir::Files), QStringList{"A*Links?.mdb"});
}

void TestEditionBackups::exportRefusedHalfWayLeavesNothing()
{
    // Leaving the logins out of the copy is refused after its first row.
    const QString edition = m_app->file(QStringLiteral("Sample_Links.mdb"));
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    for (const char *value : {"one", "two"})
        QVERIFY(ExecSql(QStringLiteral("INSERT INTO PersonalInformation (Title, URL, FieldName, FieldValue) "
                                       "VALUES ('Bank', 'https://bank.example', 'password', ?)"),
                        {QString::fromLatin1(value)}));
    CloseDatabase();
    QVERIFY(WriteFault::armFile(edition, {QStringLiteral("PersonalInformation")}, 1, WriteFault::Delete));
    const QStringList before = EditionSnapshot(edition);
    DialogScript::answer(vbOK);
    QVERIFY(!EditionExport().exportEdition(EditionEntry{QStringLiteral("Sample_Links.mdb"), QStringLiteral("My Links")},
                                           QStringLiteral("My Links")));
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The Edition 'My Links' could not be exported: the stored web-account logins could not be "
                            "left out of its copy."));
    QCOMPARE(QDir(m_app->file(QStringLiteral("export"))).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(EditionSnapshot(edition), before);
    QVERIFY(WriteFault::disarmFile(edition));
}

QTEST_MAIN(TestEditionBackups)
#include "tst_edition_backups.moc"
