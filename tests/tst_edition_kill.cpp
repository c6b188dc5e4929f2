// Edition commands killed part-way: a command ended by SIGKILL at any of its steps leaves,
// after the next start, either the editions from before the command or those after it,
// and nothing of its scratch work. The test runs each command in a child process (this
// program, started again with the command's name) that kills itself at a named step.

#include "testhelper.h"

#include "editions/edition_commands.h"
#include "editions/edition_create.h"
#include "editions/edition_export.h"
#include "editions/edition_list.h"
#include "editions/edition_restore.h"
#include "mainwindow/start.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QApplication>
#include <QDirIterator>
#include <QProcess>
#include <QtTest>

namespace {

// The child: runs one command on the program folder of QUORVANE_HOME, answering every
// question as the user who wants it done.
int runCommand(const QString &command)
{
    DialogScript::begin();
    CurrentDatabaseFile = QStringLiteral("Sample_Links.mdb");
    const EditionCommands commands(nullptr);
    if (command == QLatin1String("create")) {
        DialogScript::input(QStringLiteral("New Links"));
        DialogScript::answer(vbOK);
        EditionCreator(nullptr).createEdition();
    } else if (command == QLatin1String("copy")) {
        DialogScript::answer(vbOK);
        commands.copyEdition(1, QStringLiteral("Copy"));
    } else if (command == QLatin1String("rename")) {
        DialogScript::input(QStringLiteral("Flowers"));
        DialogScript::answer(vbOK);
        commands.renameEdition(1, QStringLiteral("Garden"), QStringLiteral("Sample Links"));
    } else if (command == QLatin1String("delete")) {
        DialogScript::answer(vbYes);
        DialogScript::answer(vbOK);
        commands.deleteEdition(1, QStringLiteral("Garden"), QStringLiteral("Sample Links"));
    } else if (command == QLatin1String("restore")) {
        for (const int answer : {vbYes, vbOK, vbOK})
            DialogScript::answer(answer);
        const EditionRestore restore(nullptr);
        const QList<BackupEntry> backups = restore.backups();
        restore.restore(&backups.first());
    } else if (command == QLatin1String("export")) {
        DialogScript::answer(vbOK);
        EditionExport().exportEdition(EditionEntry{QStringLiteral("garden.mdb"), QStringLiteral("Garden")},
                                      QStringLiteral("Garden"));
    }
    return 0;
}

// Every file and folder below folder whose name a command uses only while it runs.
QStringList scratchLeft(const QString &folder)
{
    QStringList left;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = it.fileName();
        if (name.contains(QLatin1String(".part")) || name.endsWith(QLatin1String(".tmp"))
            || name == QLatin1String("tmpdbnames.txt") || name.startsWith(QLatin1String("plugin-"))
            || path.contains(QLatin1String("/temp/")))
            left.append(path.mid(folder.size()));
    }
    return left;
}

} // namespace

class TestEditionKill : public QObject
{
    Q_OBJECT

private slots:
    void killedCommandLeavesOldOrNew_data();
    void killedCommandLeavesOldOrNew();
    void startRemovesScratchOnly();
};

void TestEditionKill::killedCommandLeavesOldOrNew_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QByteArray>("list");   // the list the next start makes

    const QByteArray before("*garden.mdb,Garden\r\nSample_Links.mdb,Sample links\r\n");
    const QByteArray created("*garden.mdb,Garden\r\nNew_Links.mdb,New links\r\nSample_Links.mdb,Sample links\r\n");
    const QByteArray copied("*copy.mdb,Copy\r\ngarden.mdb,Garden\r\nSample_Links.mdb,Sample links\r\n");
    const QByteArray renamed("*flowers.mdb,Flowers\r\nSample_Links.mdb,Sample links\r\n");
    const QByteArray deleted("*Sample_Links.mdb,Sample links\r\n");

    // Create: the template copied into temp, renamed there, copied into the program
    // folder, listed, made active.
    QTest::newRow("create, template half copied") << "create" << "copy-partial:1" << before;
    QTest::newRow("create, template copied") << "create" << "copy-written:1" << before;
    QTest::newRow("create, edition half copied") << "create" << "copy-partial:2" << before;
    QTest::newRow("create, edition copied") << "create" << "copy-written:2" << before;
    QTest::newRow("create, edition in place") << "create" << "file-replaced:2" << created;
    QTest::newRow("create, list written") << "create" << "list-written:1" << created;
    QTest::newRow("create, list in place") << "create" << "file-replaced:3" << created;
    QTest::newRow("create, mark moved") << "create" << "list-written:2" << created;
    QTest::newRow("copy, half copied") << "copy" << "copy-partial" << before;
    QTest::newRow("copy, copied") << "copy" << "copy-written" << before;
    QTest::newRow("copy, in place") << "copy" << "file-replaced:1" << copied;
    QTest::newRow("copy, list written") << "copy" << "list-written" << copied;
    QTest::newRow("rename, file renamed") << "rename" << "file-renamed" << renamed;
    QTest::newRow("rename, list written") << "rename" << "list-written" << renamed;
    QTest::newRow("delete, list written") << "delete" << "list-written" << before;
    QTest::newRow("delete, list in place") << "delete" << "file-replaced" << before;
    QTest::newRow("delete, file deleted") << "delete" << "file-deleted" << deleted;
    QTest::newRow("restore, half copied") << "restore" << "copy-partial" << before;
    QTest::newRow("restore, copied") << "restore" << "copy-written" << before;
    QTest::newRow("restore, in place") << "restore" << "file-replaced" << before;
    QTest::newRow("export, half copied") << "export" << "copy-partial" << before;
    QTest::newRow("export, copied") << "export" << "copy-written" << before;
}

void TestEditionKill::killedCommandLeavesOldOrNew()
{
    QFETCH(QString, command);
    QFETCH(QString, step);
    QFETCH(QByteArray, list);

    TestProgramFolder app;
    app.makeEdition(QStringLiteral("garden.mdb"));
    app.writeFile(QStringLiteral("dbnames.txt"), "*Sample_Links.mdb,Sample Links\r\ngarden.mdb,Garden\r\n");
    QDir().mkpath(app.file(QStringLiteral("Backup")));
    QVERIFY(QFile::copy(app.file(QStringLiteral("Sample_Links.mdb")), app.file(QStringLiteral("Backup/garden.mdb"))));
    const QByteArray garden = app.readFile(QStringLiteral("garden.mdb"));

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORVANE_KILL_AT"), step);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--command"), command});
    QVERIFY(child.waitForFinished(60000));
    QVERIFY2(child.exitStatus() == QProcess::CrashExit, "the command never reached the step");

    Start().LoadDbFiles();
    QCOMPARE(app.readFile(QStringLiteral("dbnames.txt")), list);
    QCOMPARE(scratchLeft(app.path()), QStringList());
    for (const EditionEntry &e : EditionList::read(app.file(QStringLiteral("dbnames.txt"))))
        QVERIFY2(IsEditionFile(app.file(e.file)), qPrintable(e.file));
    // The restored edition is the old file or the backup, whole.
    const QByteArray now = app.readFile(QStringLiteral("garden.mdb"));
    if (list.contains("garden.mdb"))
        QVERIFY(now == garden || now == app.readFile(QStringLiteral("Backup/garden.mdb")));
    QVERIFY(!QFileInfo::exists(app.file(QStringLiteral("export/garden.mdb"))));
}

void TestEditionKill::startRemovesScratchOnly()
{
    TestProgramFolder app;
    for (const char *name : {"garden.mdb.part", "topics2.part", "Copy.MDB.PART", "x.part-journal", "tmpdbnames.txt",
                             "plugin-a1B2c3/garden.mdb", "temp/untitled.mdb", "temp/New.ddb", "Backup/garden.mdb.tmp",
                             "export/garden.mdb.part", "keep/x.part", "plugin-notes/a.txt", "part.txt",
                             "Backup/garden.mdb", "export/garden.mdb"}) {
        QDir().mkpath(QFileInfo(app.file(QString::fromUtf8(name))).path());
        app.writeFile(QString::fromUtf8(name), "x");
    }
    Start().LoadDbFiles();
    QStringList left;
    QDirIterator it(app.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (const QString path = it.next().mid(app.path().size()); !path.startsWith(QLatin1String("help/")))
            left.append(path);
    left.sort();
    QCOMPARE(left, (QStringList{"Backup", "Backup/garden.mdb", "Sample_Links.mdb", "dbnames.txt", "export",
                                "export/garden.mdb", "help", "keep", "keep/x.part", "part.txt",
                                "plugin-notes", "plugin-notes/a.txt", "temp", "tpmaster.xsl", "untitled.mdb"}));
    QCOMPARE(app.readFile(QStringLiteral("dbnames.txt")), QByteArray("*Sample_Links.mdb,Sample links\r\n"));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--command") == 0)
        return runCommand(QString::fromLocal8Bit(argv[2]));
    TestEditionKill test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_edition_kill.moc"
