// Writing files when the disk is full: every file is written whole or not at all, the
// earlier file stays, and the caller hears of it. A file size limit stands in for the
// full disk: past it a write fails as it does with no space left.

#include "damaged_editions.h"
#include "disk_full.h"
#include "testhelper.h"

#include "local_web_server.h"
#include "zip_fixtures.h"

#include "editions/c_download.h"
#include "editions/c_unzip.h"
#include "editions/edition_commands.h"
#include "editions/edition_compact.h"
#include "editions/edition_create.h"
#include "editions/edition_export.h"
#include "editions/edition_list.h"
#include "editions/edition_loader.h"
#include "editions/edition_restore.h"
#include "exchange/subtopic_export.h"
#include "pages/topic_page_builder.h"
#include "platform/dialogs.h"
#include "platform/history_index_file.h"
#include "platform/programfolder.h"
#include "platform/registry.h"
#include "platform/url_history.h"
#include "platform/whole_file.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <functional>

namespace {

using Writer = std::function<bool(TestProgramFolder &)>;

} // namespace

class TestFullDisk : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writersKeepTheEarlierFile_data();
    void writersKeepTheEarlierFile();
    void pageIsNotMadeFromAnEarlierFile();
    void downloadSaysTheFileIsIncomplete();
    void editionCommandsChangeNothing_data();
    void editionCommandsChangeNothing();
    void compactionSaysTheDiskIsFull_data();
    void compactionSaysTheDiskIsFull();

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

void TestFullDisk::init()
{
    m_folder = std::make_unique<TestProgramFolder>();
}

void TestFullDisk::cleanup()
{
    RemoveProgramFolder(m_folder);
}

void TestFullDisk::writersKeepTheEarlierFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Writer>("write");

    const QString text(100, QLatin1Char('x'));
    QTest::newRow("edition list") << "dbnames.txt" << Writer([](TestProgramFolder &) {
        return EditionLoader().makeActive(1);
    });
    QTest::newRow("edition list appended") << "dbnames.txt" << Writer([](TestProgramFolder &f) {
        return EditionList::append(f.file("dbnames.txt"), {"c.mdb", "C", false});
    });
    QTest::newRow("export") << "export/pages.mdb" << Writer([](TestProgramFolder &) {
        DialogScript::answer(vbOK);
        return EditionExport().exportEdition({"pages.mdb", "Pages", false}, "Pages");
    });
    QTest::newRow("descriptor") << "Links.ddb" << Writer([](TestProgramFolder &f) {
        return WriteEditionDescriptor(f.path(), "Links", "Links.mdb", "My_Links");
    });
    QTest::newRow("style sheet") << "tp.xsl" << Writer([](TestProgramFolder &) {
        TopicPageBuilder builder;
        return builder.BuildPageStylesheet("tpmaster.xsl", "1", "2", "3", "4", "5", "6", "");
    });
    QTest::newRow("page data") << "tbhome.xml" << Writer([](TestProgramFolder &) {
        TopicPageBuilder builder;
        return builder.WriteLinksXml("tbhome.xml", "tp");
    });
    QTest::newRow("page file") << "page.html" << Writer([text](TestProgramFolder &) {
        TopicPageBuilder builder;
        return builder.WriteTextFile(text, "page.html");
    });
    QTest::newRow("text file") << "TempFile.tmp" << Writer([text](TestProgramFolder &f) {
        return WriteCrLfFile(f.file("TempFile.tmp"), {text});
    });
    QTest::newRow("name one past the longest") << "TempFile.tmp" << Writer([](TestProgramFolder &f) {
        return WriteWholeFile(f.file(QString(256, QLatin1Char('n'))), "ab");
    });
    QTest::newRow("text file under a scratch name") << "TempFile.tmp" << Writer([text](TestProgramFolder &f) {
        SetUnnamedFilesRefused(true);
        const bool written = WriteCrLfFile(f.file("TempFile.tmp"), {text});
        SetUnnamedFilesRefused(false);
        return written;
    });
    QTest::newRow("Sub-Topic file") << "Jazz.qvs" << Writer([](TestProgramFolder &f) {
        return SubTopicExport().write(f.path(), 1, 7, "Jazz", "Jazz");
    });
    // The settings stores (empty file name): written once before.
    QTest::newRow("registry value") << "" << Writer([text](TestProgramFolder &) {
        return SetValueEx(RegKey(HKEY_CURRENT_USER, "Software\\Test"), "Value", REG_SZ, text) == ERROR_SUCCESS;
    });
    QTest::newRow("registry key") << "" << Writer([](TestProgramFolder &) {
        RegKey key;
        return Registry::createKey(HKEY_CURRENT_USER, "Software\\Test\\New", &key) == ERROR_SUCCESS;
    });
    QTest::newRow("registry value deleted") << "" << Writer([](TestProgramFolder &) {
        return Registry::deleteValue(RegKey(HKEY_CURRENT_USER, "Software\\Test"), "Old") == ERROR_SUCCESS;
    });
    QTest::newRow("registry key deleted") << "" << Writer([](TestProgramFolder &) {
        return Registry::deleteTree(RegKey(HKEY_CURRENT_USER, "Software"), "Test") == ERROR_SUCCESS;
    });
    QTest::newRow("history visit") << "" << Writer([](TestProgramFolder &) {
        return UrlHistory::recordVisit(QUrl("https://example.org/a/long/enough/address"), "Example");
    });
    QTest::newRow("history entries deleted") << "" << Writer([](TestProgramFolder &) {
        return UrlHistory::remove(QStringList{"https://example.org/", "https://example.org/b"}) >= 0;
    });
    QTest::newRow("backup") << "Backup/pages.mdb" << Writer([](TestProgramFolder &) {
        return EditionLoader().backupEdition();
    });
    QTest::newRow("copy") << "Copies/pages.mdb" << Writer([](TestProgramFolder &f) {
        return CopyFolderFiles(f.path(), f.file("Copies"), "*.mdb") > 0;
    });
    // The two writers below must name the full disk as such.
    static QTemporaryDir archives;
    const QString zip = archives.filePath("big.zip");
    ZipFixtures::makeZip(zip, {{"big.txt", text.toLatin1()}});
    QTest::newRow("unzip") << "big.txt" << Writer([zip](TestProgramFolder &f) {
        cUnzip unzip;
        unzip.setZipFile(zip);
        unzip.setUnzipFolder(f.path());
        unzip.setOverwriteExisting(true);
        return unzip.Unzip() || unzip.LastStatus() != cUnzip::UnzipDiskFull;
    });
    QTest::newRow("download") << "a.zip" << Writer([text](TestProgramFolder &f) {
        LocalWeb::Server server;
        server.put("/a.zip", {text.toLatin1()});
        cDownload down;
        down.setUrl(server.address(QStringLiteral("/a.zip")));
        down.setDestFile(f.file("a.zip"));
        down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
        return down.Completed() || down.LastFailure() != cDownload::Failure::DiskFull;
    });
}

void TestFullDisk::writersKeepTheEarlierFile()
{
    QFETCH(QString, file);
    QFETCH(Writer, write);
    m_folder->makeEdition("pages.mdb");
    QVERIFY(OpenEdition("pages.mdb"));
    CurrentSubTopicId = 7;
    QStringList paths{m_folder->file(file)};
    if (file.isEmpty()) {
        RegKey key;
        Registry::createKey(HKEY_CURRENT_USER, "Software\\Test", &key);
        SetValueEx(key, "Old", REG_SZ, "old");
        paths = {Registry::filePath()};
        if (QTest::currentDataTag()[0] == 'h') { // the history store and its index below the History folder
            SetValueEx(RegKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"),
                       "History", REG_SZ, m_folder->file("History"));
            QVERIFY(UrlHistory::recordVisit(QUrl("https://example.org/"), "First"));
            QVERIFY(UrlHistory::recordVisit(QUrl("https://example.org/b"), "Second"));
            paths = {UrlHistory::filePath(), HistoryIndexFile::filePath()};
        }
    } else {
        QDir(m_folder->path()).mkpath(QFileInfo(m_folder->file(file)).path());
        m_folder->writeFile(file, "old content\r\n");
    }
    m_folder->writeFile("dbnames.txt", "*a.mdb,A\r\nb.mdb,B\r\n");
    QList<QByteArray> earlier;
    QList<QStringList> listings;
    for (const QString &path : std::as_const(paths)) {
        QFile before(path);
        QVERIFY(before.open(QIODevice::ReadOnly));
        earlier.append(before.readAll());
        listings.append(QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden));
    }

    bool written = true;
    {
        DiskFull full;
        written = write(*m_folder);
    }
    QVERIFY(!written);
    for (qsizetype i = 0; i < paths.size(); ++i) {
        QFile after(paths.at(i));
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), earlier.at(i));
        QCOMPARE(QFileInfo(paths.at(i)).dir().entryList(QDir::Files | QDir::Hidden), listings.at(i)); // no part-written file left
    }
}

void TestFullDisk::pageIsNotMadeFromAnEarlierFile()
{
    m_folder->makeEdition("pages.mdb");
    OpenEdition("pages.mdb");
    CurrentSubTopicId = 7;
    CurrentPageFile = "page.html";
    TopicPageBuilder builder;
    QVERIFY(builder.BuildPageStylesheet("tpmaster.xsl", "1", "2", "3", "4", "5", "6", ""));
    QVERIFY(builder.PrepareTopicHomePage(7));
    const QByteArray page = m_folder->readFile("page.html");

    // New captions that cannot be written: the page is not made with the old ones.
    {
        DiskFull full;
        QVERIFY(!builder.BuildPageStylesheet("tpmaster.xsl", "A", "B", "C", "D", "E", "F", ""));
    }
    DialogScript::answer(vbOK);
    QVERIFY(!builder.PrepareTopicHomePage(7));
    QVERIFY(DialogScript::last().prompt.contains("tp.xsl"));
    QCOMPARE(m_folder->readFile("page.html"), page);

    // Page data that cannot be written: likewise.
    QVERIFY(builder.BuildPageStylesheet("tpmaster.xsl", "1", "2", "3", "4", "5", "6", ""));
    {
        DiskFull full;
        QVERIFY(!builder.WriteLinksXml("tbhome.xml", "tp"));
    }
    DialogScript::answer(vbOK);
    QVERIFY(!builder.TransformXml("tbhome.xml", "tp.xsl", "page.html"));
    QVERIFY(DialogScript::last().prompt.contains("tbhome.xml"));
    QCOMPARE(m_folder->readFile("page.html"), page);
}

void TestFullDisk::downloadSaysTheFileIsIncomplete()
{
    LocalWeb::Server server;
    server.put("/a.zip", {QByteArray(9000, 'z')});
    cDownload down;
    down.setUrl(server.address(QStringLiteral("/a.zip")));
    down.setDestFile(m_folder->file("a.zip"));
    {
        DiskFull full;
        down.Download(QString(), QString(), QString(), cDownload::Direct, 1);
    }
    QVERIFY(!down.Completed());
    QVERIFY(down.ErrorText().contains("a.zip could not be written"));
}

void TestFullDisk::compactionSaysTheDiskIsFull_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");   // %1: the program folder
    const QString compaction = "The Database could not be compacted: ";
    const QString repair = "The damaged Database could not be repaired: ";
    const QString refused = "the edition file, or the folder it is in, may not be written to.\nIt stays as it was.";
    QTest::newRow("compaction") << false << "full" << compaction + "the disk is full.\nIt stays as it was.";
    QTest::newRow("repair") << true << "full" << repair + "the disk is full.\nIt stays as it was.";
    QTest::newRow("compaction, read-only") << false << "read-only" << compaction + refused;
    QTest::newRow("repair, read-only") << true << "read-only" << repair + refused;
    // Nothing in the file reads as a page: that is told before any copy is tried.
    QTest::newRow("repair, nothing readable, read-only")
        << false << "unreadable" << "The edition database Sample_Links.mdb is damaged so badly that nothing in it can "
                                    "be read, so it could not be repaired.\nIt was left exactly as it was.";
    QTest::newRow("compaction, scratch name taken") << false << "scratch taken" << compaction + refused;
    QTest::newRow("compaction, file gone") << false << "missing"
                                           << compaction + "its file was not found.\nIt stays as it was.";
    QTest::newRow("compaction, the disk fails to keep the copy")
        << false << "sync" << compaction + "the disk could not be read or written.\nIt stays as it was.";
    QTest::newRow("compaction, the disk full when the copy is put on it")
        << false << "sync full" << compaction + "the disk is full.\nIt stays as it was.";
    QTest::newRow("repair, no folder for the damaged file")
        << true << "no backup folder"
        << repair + "the damaged file could not be kept in the folder %1/Sample_Links.mdb/Backup.\nIt stays as it was.";
    // A scratch file that cannot be removed, an edition that cannot be replaced, and an
    // edition another program holds.
    QTest::newRow("compaction, scratch file kept") << false << "scratch kept" << compaction + refused;
    QTest::newRow("compaction, file fixed") << false << "fixed" << compaction + refused;
    QTest::newRow("repair, file fixed") << true << "fixed" << repair + refused;
    // A leaf whose header says it holds one row: that row, found on the pages no tree
    // reached, is the one refused.
    QTest::newRow("repair, refused in the pages no tree reached")
        << false << "refused past the trees"
        << repair + "the new copy of the edition could not be written.\nIt stays as it was.";
    QTest::newRow("compaction, file held")
        << false << "busy" << compaction + "another program is using the edition file.\nIt stays as it was.";
}

void TestFullDisk::compactionSaysTheDiskIsFull()
{
    QFETCH(bool, damaged);
    QFETCH(QString, fault);
    QFETCH(QString, message);
    const QString path = m_folder->file("Sample_Links.mdb");
    if (damaged)
        QVERIFY(Damage::overwritePage(path, Damage::middleLeaf(path, "Sit")));
    if (fault == "missing")
        QVERIFY(QFile::remove(path));
    if (fault == "unreadable")
        m_folder->writeFile("Sample_Links.mdb", QByteArray(8192, 'x'));
    if (fault == "scratch taken")
        QVERIFY(QDir().mkpath(EditionCompaction::scratchPath(path) + "/in the way"));
    if (fault == "scratch kept")
        m_folder->writeFile("Sample_Links.mdb.compact.part", "left over");
    if (fault == "refused past the trees") {
        const Damage::Page leaf = Damage::middleLeaf(path, "Sit");
        const int trees = int(EditionSnapshot(path).filter(QRegularExpression("^Sit\\|")).size()) - leaf.cells;
        QByteArray one("\0\1", 2);
        QVERIFY(Damage::onPage(path, leaf, 3, &one));
        QVERIFY(WriteFault::armFile(m_folder->file("untitled.mdb"), {"Sit"}, trees));
    }
    const QByteArray before = m_folder->readFile("Sample_Links.mdb");
    const QStringList files = QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden);
    EditionCompaction compaction(path, m_folder->file("untitled.mdb"),
                                 fault == "no backup folder" ? path + "/Backup" : m_folder->file("Backup"));
    EditionCompaction::Result result = EditionCompaction::Result::Compacted;
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other program");
    other.setDatabaseName(path);
    QVERIFY(fault != "busy" || (other.open() && QSqlQuery(other).exec("BEGIN EXCLUSIVE")));
    {
        DiskFull full(fault == "full" ? 8 : RLIM_INFINITY);
        ReadOnlyFolder readOnly(fault == "read-only" || fault == "unreadable" ? m_folder->path() : QString());
        ReadOnlyFolder fixed(fault == "fixed" ? path : fault == "scratch kept" ? path + ".compact.part" : QString());
        SetSyncFailure(fault == "sync" ? EIO : fault == "sync full" ? ENOSPC : 0);
        result = compaction.run();
        SetSyncFailure(0);
    }
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase("other program");
    QCOMPARE(result, fault == "unreadable" ? EditionCompaction::Result::Unreadable : EditionCompaction::Result::Failed);
    QCOMPARE(compaction.message(), message.replace("%1", QDir::toNativeSeparators(QDir::cleanPath(m_folder->path()))));
    QCOMPARE(m_folder->readFile("Sample_Links.mdb"), before);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), files);
    QVERIFY(QDir(m_folder->file("Backup")).isEmpty());
}

void TestFullDisk::editionCommandsChangeNothing_data()
{
    QTest::addColumn<std::function<void()>>("command");
    QTest::addColumn<QString>("fault");   // full, read-only, or the last write refused
    QTest::addColumn<QString>("told");    // %1: the program folder

    const std::function<void()> create = [] {
        DialogScript::input("Fresh");
        DialogScript::answer(vbOK);
        EditionCreator(nullptr).createEdition();
    };
    const std::function<void()> copy = [] {
        DialogScript::answer(vbOK);
        EditionCommands(nullptr).copyEdition(1, "Spare");
    };
    const std::function<void()> rename = [] {
        DialogScript::input("Shed");
        DialogScript::answer(vbOK);
        EditionCommands(nullptr).renameEdition(1, "Garden", "Sample Links");
    };
    const std::function<void()> remove = [] {
        DialogScript::answer(vbYes);
        DialogScript::answer(vbOK);
        EditionCommands(nullptr).deleteEdition(1, "Garden", "Sample Links");
    };
    const std::function<void()> goTo = [] {
        DialogScript::answer(vbOK);
        EditionCommands(nullptr).goTo(1);
    };
    const std::function<void()> restore = [] {
        for (const int answer : {vbYes, vbOK, vbOK})
            DialogScript::answer(answer);
        const EditionRestore restore(nullptr);
        const QList<BackupEntry> backups = restore.backups();
        restore.restore(&backups.first());
    };
    const std::function<void()> exportEdition = [] {
        DialogScript::answer(vbOK);
        EditionExport().exportEdition({"garden.mdb", "Garden", false}, "Garden");
    };
    const auto import = [](const char *descriptor) {
        return std::function<void()>([descriptor] {
            DialogScript::input(QDir(ProgramFolder()).filePath(QLatin1String("outside/") + descriptor));
            DialogScript::answer(vbOK);
            EditionCreator(nullptr).addEdition(0);
        });
    };
    const QString list = "The edition list dbnames.txt could not be rewritten";
    for (const auto &[fault, why] : {std::pair{"full", ": the disk is full"},
                                     std::pair{"read-only", ": the program folder cannot be written"}}) {
        const QString w = QString::fromUtf8(why);
        const auto row = [fault](const char *what) { return QByteArray(what) + ' ' + fault; };
        QTest::newRow(row("create")) << create << fault
                                     << "The new edition could not be made from the template untitled.mdb" + w + ".";
        QTest::newRow(row("copy")) << copy << fault << "The database file garden.mdb could not be copied" + w + ".";
        QTest::newRow(row("restore")) << restore << fault
                                      << "The backup garden.mdb could not be copied back" + w + ", so nothing was restored.";
        QTest::newRow(row("delete")) << remove << fault << list + w + ", so the edition 'Garden' was not deleted.";
        QTest::newRow(row("go to")) << goTo << fault << list + w + ", so the active edition stays as it was.";
        QTest::newRow(row("import")) << import("import.ddb") << fault
                                     << "The database file import.mdb could not be copied into the program folder" + w + ".";
        QTest::newRow(row("export")) << exportEdition << fault
                                     << "The Edition 'Garden' could not be exported: its copy could not be written into "
                                        "the directory %1/export"
                                            + w + ".";
    }
    // A full disk lets the file be renamed and refuses the list; a read-only folder refuses both.
    QTest::newRow("rename full") << rename << "full" << list + ": the disk is full, so the edition keeps its name.";
    QTest::newRow("rename read-only") << rename << "read-only"
                                      << "The database file garden.mdb could not be renamed: the program folder cannot "
                                         "be written, so the edition keeps its name.";
    // The last write of a command refused (its scratch file's name taken by a folder): what
    // was done before is undone, and no reason is made up.
    QTest::newRow("create last step") << create << "last" << "The edition list dbnames.txt could not be written, so the "
                                                             "edition 'Fresh' was not added.";
    QTest::newRow("copy last step") << copy << "last" << list + ", so no copy was made.";
    QTest::newRow("rename last step") << rename << "last" << list + ", so the edition keeps its name.";
    QTest::newRow("import, its file missing") << import("gone.ddb") << "none"
                                              << "The database file gone.mdb named by the edition descriptor was not "
                                                 "found beside it.";
    QTest::newRow("export last step") << exportEdition << "last"
                                      << "The Edition 'Garden' could not be exported: its copy could not be written into "
                                         "the directory %1/export.";
    // A file of the new edition cannot be made in temp (its name taken by a folder).
    const QString template_ = "The new edition could not be made from the template untitled.mdb.";
    QTest::newRow("create, its database's name taken") << create << "in the way:temp/Fresh.mdb" << template_;
    QTest::newRow("create, its descriptor's name taken") << create << "in the way:temp/Fresh.ddb" << template_;
    // The database file gone before the command.
    const QString gone = "The database file garden.mdb of the edition 'Garden' was not found, so it cannot be ";
    QTest::newRow("copy gone") << copy << "gone" << gone + "copied.";
    QTest::newRow("rename gone") << rename << "gone" << gone + "renamed.";
    QTest::newRow("go to gone") << goTo << "gone" << "The edition 'Garden' cannot be opened: its database file garden.mdb "
                                                     "is missing or is not an edition database.\nThe active edition stays as it was.";
}

void TestFullDisk::editionCommandsChangeNothing()
{
    QFETCH(std::function<void()>, command);
    QFETCH(QString, fault);
    QFETCH(QString, told);
    m_folder->makeEdition("garden.mdb");
    m_folder->writeFile("dbnames.txt", "*Sample_Links.mdb,Sample Links\r\ngarden.mdb,Garden\r\n");
    QDir().mkpath(m_folder->file("Backup"));
    QVERIFY(QFile::copy(m_folder->file("Sample_Links.mdb"), m_folder->file("Backup/garden.mdb")));
    QVERIFY(OpenEdition("Sample_Links.mdb"));
    QVERIFY(QDir().mkpath(m_folder->file("outside")));
    QVERIFY(QFile::copy(m_folder->file("garden.mdb"), m_folder->file("outside/import.mdb")));
    m_folder->writeFile("outside/import.ddb", "import.mdb,Imported\r\n");
    m_folder->writeFile("outside/gone.ddb", "gone.mdb,Gone\r\n");
    if (fault == "last") {
        QVERIFY(QDir().mkpath(m_folder->file("tmpdbnames.txt")));
        QVERIFY(QDir().mkpath(m_folder->file("export/garden.mdb/in the way")));
    }
    if (fault == "gone")
        QVERIFY(QFile::remove(m_folder->file("garden.mdb")));
    if (fault.startsWith("in the way:"))
        QVERIFY(QDir().mkpath(m_folder->file(fault.mid(11) + "/in the way")));
    const QStringList rows = EditionSnapshot();
    const QByteArray garden = m_folder->readFile("garden.mdb");
    const QStringList files = QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden);
    {
        DiskFull full(fault == "full" ? 8 : RLIM_INFINITY);
        ReadOnlyFolder readOnly(fault == "read-only" || fault == "unreadable" ? m_folder->path() : QString());
        command();
    }
    QCOMPARE(DialogScript::last().prompt, told.replace("%1", QDir::toNativeSeparators(QDir::cleanPath(m_folder->path()))));
    QCOMPARE(m_folder->readFile("dbnames.txt"), QByteArray("*Sample_Links.mdb,Sample Links\r\ngarden.mdb,Garden\r\n"));
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), files);
    QCOMPARE(m_folder->readFile("garden.mdb"), garden);
    QCOMPARE(QDir(m_folder->file("temp")).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(QDir(m_folder->file("export")).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(EditionSnapshot(), rows);
}

QTEST_MAIN(TestFullDisk)
#include "tst_full_disk.moc"
