// File operations: the filters of the file dialogs, the save dialog's extension and
// overwrite question, the user's special folders, folder tests, and copying, moving,
// renaming and deleting files without overwriting anything.

#include "disk_full.h"
#include "testhelper.h"

#include "platform/dialogs.h"
#include "platform/registry.h"
#include "shared/cls_file_operations.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestFileOperations : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dialogFilters_data();
    void dialogFilters();
    void saveFile_data();
    void saveFile();
    void saveFileAsksBeforeOverwriting();
    void foldersOfTheUser();
    void fileTransfers();

private:
    QString write(const QString &name, const QByteArray &content = "x")
    {
        m_app->writeFile(name, content);
        return m_app->file(name);
    }

    std::unique_ptr<TestProgramFolder> m_app;
};

void TestFileOperations::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    Registry::reload();
}

void TestFileOperations::cleanup()
{
    RemoveProgramFolder(m_app, true);
}

void TestFileOperations::dialogFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty: all files") << QString() << "All files (*)";
    QTest::newRow("edition files") << "Text files (*.ddb)|*.ddb" << "Text files (*.ddb)";
    QTest::newRow("every file, dot or none") << "Text files (*.*)|*.*" << "Text files (*)";
    QTest::newRow("two entries, trailing bar") << "Pages|*.htm;*.html|All files (*.*)|*.*|"
                                               << "Pages (*.htm *.html);;All files (*)";
}

void TestFileOperations::dialogFilters()
{
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(clsFileOperations::toQtFilter(filter), expected);

    // The open dialog offers the filter and answers the chosen path, or "" when cancelled.
    DialogScript::input(m_app->file(QStringLiteral("chosen.ddb")));
    QCOMPARE(clsFileOperations().OpenFile(filter, QString()), m_app->file(QStringLiteral("chosen.ddb")));
    QCOMPARE(DialogScript::last().prompt, expected);
    DialogScript::cancel();
    QCOMPARE(clsFileOperations().OpenFile(filter, QString()), QString());
}

void TestFileOperations::saveFile_data()
{
    QTest::addColumn<QString>("defaultName");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("check");
    QTest::addColumn<bool>("fromExtension");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    const QString pages = QStringLiteral("Pages (*.htm)|*.htm|Text (*.txt)|*.txt");
    QTest::newRow("extension added") << "page.htm" << pages << true << false << "report" << "report.htm";
    QTest::newRow("extension kept") << "page.htm" << pages << true << false << "report.HTM" << "report.HTM";
    QTest::newRow("entry from default name") << "notes.txt" << pages << true << true << "todo" << "todo.txt";
    QTest::newRow("no check") << "page.htm" << pages << false << false << "report" << "report";
    QTest::newRow("all files add nothing") << "a" << "All files (*.*)|*.*" << true << false << "readme" << "readme";
}

void TestFileOperations::saveFile()
{
    QFETCH(QString, defaultName);
    QFETCH(QString, filter);
    QFETCH(bool, check);
    QFETCH(bool, fromExtension);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    DialogScript::input(m_app->file(typed));
    QCOMPARE(clsFileOperations().SaveFile(defaultName, filter, m_app->path(), check, fromExtension),
             m_app->file(expected));
    QCOMPARE(DialogScript::last().kind, QStringLiteral("SaveFile"));
}

void TestFileOperations::saveFileAsksBeforeOverwriting()
{
    write(QStringLiteral("old.htm"));
    clsFileOperations files;
    const QString filter = QStringLiteral("Pages (*.htm)|*.htm");

    // No: the dialog comes again; the second name is free.
    DialogScript::input(m_app->file(QStringLiteral("old")));
    DialogScript::answer(vbNo);
    DialogScript::input(m_app->file(QStringLiteral("new")));
    QCOMPARE(files.SaveFile(QStringLiteral("x.htm"), filter, QString(), true, false),
             m_app->file(QStringLiteral("new.htm")));
    const DialogScript::Shown question = DialogScript::shown().value(1);
    QCOMPARE(question.prompt, QStringLiteral("old.htm does allready exist.\nDo you want to overwrite it?"));
    QCOMPARE(question.buttons, int(vbYesNo + vbExclamation + vbDefaultButton2));

    // Yes: the existing file is the answer.
    DialogScript::input(m_app->file(QStringLiteral("old.htm")));
    DialogScript::answer(vbYes);
    QCOMPARE(files.SaveFile(QStringLiteral("x.htm"), filter, QString(), true, false),
             m_app->file(QStringLiteral("old.htm")));
}

void TestFileOperations::foldersOfTheUser()
{
    clsFileOperations files;
    const QString shellFolders = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    const QString favorites = Registry::readText(HKEY_CURRENT_USER, shellFolders, QStringLiteral("Favorites"));
    QVERIFY(!favorites.isEmpty());
    QCOMPARE(files.GetSpecialFolder(10), favorites);

    RegKey key;
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, shellFolders, &key), ERROR_SUCCESS);
    Registry::setValue(key, QStringLiteral("Desktop"), REG_SZ, Registry::textData(QStringLiteral("/home/u/Desk")));
    QCOMPARE(files.GetSpecialFolder(1), QStringLiteral("/home/u/Desk"));
    QCOMPARE(files.GetSpecialFolder(99, QStringLiteral("Desktop")), QStringLiteral("/home/u/Desk"));
    QCOMPARE(files.GetSpecialFolder(99, QStringLiteral("Nowhere")), QString());
    QCOMPARE(files.GetSpecialFolder(16), QString());   // listed number without a value
    QCOMPARE(files.GetSpecialFolder(17), QString());
    Registry::setValue(key, QStringLiteral("Desktop"), REG_BINARY, Registry::textData(QStringLiteral("/home/u/Bin")));
    QCOMPARE(files.GetSpecialFolder(1), QString());   // a value of no text type is no folder
    QCOMPARE(Registry::deleteTree(HKEY_CURRENT_USER, shellFolders), ERROR_SUCCESS);
    QCOMPARE(files.GetSpecialFolder(10), QString());

    QDir().mkpath(m_app->file(QStringLiteral("sub")));
    QVERIFY(files.ExistFolder(m_app->file(QStringLiteral("sub"))));
    QVERIFY(files.ExistFolder(m_app->file(QStringLiteral("sub\\"))));
    QVERIFY(files.ExistFolder(m_app->file(QStringLiteral("sub/"))));
    QVERIFY(!files.ExistFolder(write(QStringLiteral("plain.txt"))));
    QVERIFY(!files.ExistFolder(m_app->file(QStringLiteral("missing"))));
}

void TestFileOperations::fileTransfers()
{
    clsFileOperations files;
    const QString a = write(QStringLiteral("src/a.txt"), "A");
    const QString b = write(QStringLiteral("src/b.txt"), "B");
    write(QStringLiteral("src/tree/deep/c.txt"), "C");
    write(QStringLiteral("src/other.dat"), "D");

    // Several sources go into a folder made for them; folders come whole; wildcards.
    QVERIFY(files.Copyfiles(a + QLatin1Char('|') + m_app->file(QStringLiteral("src/tree")),
                            m_app->file(QStringLiteral("out/new"))));
    QCOMPARE(m_app->readFile(QStringLiteral("out/new/tree/deep/c.txt")), QByteArray("C"));
    QVERIFY(files.Copyfiles(m_app->file(QStringLiteral("src/*.txt")), m_app->file(QStringLiteral("wild/"))));
    QCOMPARE(QDir(m_app->file(QStringLiteral("wild"))).entryList(QDir::Files), (QStringList{"a.txt", "b.txt"}));

    // An existing target, a missing source, a folder into itself: nothing is done at all.
    write(QStringLiteral("dst/b.txt"), "old B");
    QVERIFY(!files.MoveFiles(a + QLatin1Char('|') + b, m_app->file(QStringLiteral("dst"))));
    QVERIFY(QFileInfo::exists(a));
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("dst/a.txt"))));
    QCOMPARE(m_app->readFile(QStringLiteral("dst/b.txt")), QByteArray("old B"));
    QVERIFY(!files.Copyfiles(a + QLatin1Char('|') + m_app->file(QStringLiteral("src/none.txt")),
                             m_app->file(QStringLiteral("x"))));
    QVERIFY(!files.Copyfiles(a + QLatin1Char('|') + m_app->file(QStringLiteral("src/*.none")),
                             m_app->file(QStringLiteral("x"))));
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("x"))));
    QVERIFY(!files.Copyfiles(m_app->file(QStringLiteral("src")), m_app->file(QStringLiteral("src/inner"))));

    QVERIFY(files.MoveFiles(m_app->file(QStringLiteral("src/*.dat")) + QLatin1Char('|') + a,
                            m_app->file(QStringLiteral("moved"))));
    QVERIFY(!QFileInfo::exists(a));
    QCOMPARE(m_app->readFile(QStringLiteral("moved/other.dat")), QByteArray("D"));

    // Renaming keeps a bare name in its folder and never replaces a file.
    QVERIFY(files.RenameFile(b, QStringLiteral("c.txt")));
    QCOMPARE(m_app->readFile(QStringLiteral("src/c.txt")), QByteArray("B"));
    QVERIFY(!files.RenameFile(m_app->file(QStringLiteral("src/c.txt")), m_app->file(QStringLiteral("dst/b.txt"))));

    QVERIFY(!files.RenameFile(QString(), QStringLiteral("d.txt")));

    // A folder that takes no file, or a link to nothing met inside a folder, fails the copy.
    const QString readOnlyPath = m_app->file(QStringLiteral("ro"));
    const QString broken = m_app->file(QStringLiteral("src/tree/deep/broken"));
    QVERIFY(QDir().mkpath(readOnlyPath) && QFile::link(m_app->file(QStringLiteral("nowhere")), broken));
    {
        const ReadOnlyFolder readOnly(readOnlyPath);
        QVERIFY(!files.Copyfiles(m_app->file(QStringLiteral("src/tree")), readOnlyPath));
        QVERIFY(!files.Copyfiles(m_app->file(QStringLiteral("src/c.txt")), readOnlyPath + QStringLiteral("/new/")));
    }
    QVERIFY(!files.Copyfiles(m_app->file(QStringLiteral("src/tree")), m_app->file(QStringLiteral("copy/"))));
    // Onto another file system a move copies: a failed copy is taken away, a source that stays fails.
    const QTemporaryDir other(QStringLiteral("/dev/shm/qv-move-XXXXXX"));
    QVERIFY(!files.MoveFiles(m_app->file(QStringLiteral("src/tree")), other.filePath(QStringLiteral("tree"))));
    QVERIFY(!QFileInfo::exists(other.filePath(QStringLiteral("tree"))));
    QVERIFY(QFileInfo::exists(m_app->file(QStringLiteral("src/tree/deep/c.txt"))));
    {
        const ReadOnlyFolder readOnly(m_app->file(QStringLiteral("src")));
        QVERIFY(!files.MoveFiles(m_app->file(QStringLiteral("src/c.txt")), other.filePath(QStringLiteral("c.txt"))));
    }
    QCOMPARE(m_app->readFile(QStringLiteral("src/c.txt")), QByteArray("B"));
    QVERIFY(QFile::remove(broken));

    QVERIFY(files.DeleteFiles(m_app->file(QStringLiteral("src/c.txt")) + QLatin1Char('|')
                                  + m_app->file(QStringLiteral("src/tree")), false));
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("src/tree"))));
    QVERIFY(!files.DeleteFiles(m_app->file(QStringLiteral("src/none.txt")), false));
}

QTEST_MAIN(TestFileOperations)
#include "tst_file_operations.moc"
