// Compact / Repair of an edition damaged on purpose: every readable row comes back, a file
// that cannot be read is left alone, a refused write or a kill at any moment leaves the
// old edition or the new one and nothing the next start takes for an edition.

#include "damaged_editions.h"
#include "testhelper.h"

#include "editions/edition_compact.h"
#include "editions/scratch_connection.h"
#include "mainwindow/start.h"
#include "shared/database.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <QtTest>

#include <csignal>

namespace {

const char *const ChildSwitch = "--compact";

// Rows of each table in a snapshot.
QMap<QString, int> countsOf(const QStringList &snapshot)
{
    QMap<QString, int> counts;
    for (const QString &row : snapshot)
        ++counts[row.section(QLatin1Char('|'), 0, 0)];
    return counts;
}

// Files of a folder that are not the edition or its list: what a command may leave.
QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.part*"), QStringLiteral("*-journal")}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestEditionRepair : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { RemoveProgramFolder(m_app); }

    void repairRecoversEveryReadableRow_data();
    void repairRecoversEveryReadableRow();
    void refusedWriteLeavesEditionAsItWas();
    void storedQueryIsNeverRun();
    void killLeavesOldOrNewEdition_data();
    void killLeavesOldOrNewEdition();

private:
    QString edition() const { return m_app->file(QStringLiteral("Sample_Links.mdb")); }
    EditionCompaction compaction() const
    {
        return EditionCompaction(edition(), m_app->file(QStringLiteral("untitled.mdb")), m_app->file(QStringLiteral("Backup")));
    }

    std::unique_ptr<TestProgramFolder> m_app;
};

void TestEditionRepair::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    // Enough links and sites that the tables and their indexes span many pages; the sites
    // come last, so they fill the end of the file.
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    const QString rows = QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) ");
    QVERIFY(ExecSql(rows + QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc) "
                                          "SELECT 100000 + i, 'Link ' || i, 'http://site' || i || '.example/', 1, 0, 1, 'N' FROM n")));
    QVERIFY(ExecSql(rows + QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl, Summary) "
                                          "SELECT 100000 + i, 'Site ' || i, 'http://site' || i || '.example/', '' FROM n")));
    CloseDatabase();
}

void TestEditionRepair::repairRecoversEveryReadableRow_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("a page overwritten in the middle") << "page";
    QTest::newRow("the file cut short") << "truncate";
    QTest::newRow("an index damaged") << "index";
    QTest::newRow("nothing readable") << "text";
}

void TestEditionRepair::repairRecoversEveryReadableRow()
{
    QFETCH(QString, damage);
    const QStringList before = EditionSnapshot(edition());
    QMap<QString, int> lost;
    if (damage == QLatin1String("page")) {
        const Damage::Page page = Damage::middleLeaf(edition(), QStringLiteral("Sit"));
        lost.insert(QStringLiteral("Sit"), page.cells);
        QVERIFY(Damage::overwritePage(edition(), page));
    } else if (damage == QLatin1String("index")) {
        QVERIFY(Damage::overwritePage(edition(), Damage::middleLeaf(edition(), QStringLiteral("LksLksUrl"))));
    } else if (damage == QLatin1String("truncate")) {
        const qint64 kept = QFileInfo(edition()).size() / 4096 - 4;
        lost = Damage::rowsBeyond(edition(), kept);
        QVERIFY(Damage::truncate(edition(), kept * 4096));
    } else {
        m_app->writeFile(QStringLiteral("Sample_Links.mdb"), "a few bytes of text");
    }
    const QByteArray damaged = m_app->readFile(QStringLiteral("Sample_Links.mdb"));

    EditionCompaction repair = compaction();
    if (damage == QLatin1String("text")) {
        QCOMPARE(repair.run(), EditionCompaction::Result::Unreadable);
        QCOMPARE(repair.message(), QStringLiteral("The edition database Sample_Links.mdb is damaged so badly that nothing "
                                                  "in it can be read, so it could not be repaired.\nIt was left exactly as it was."));
        QCOMPARE(m_app->readFile(QStringLiteral("Sample_Links.mdb")), damaged);
        QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("Backup"))));
        QCOMPARE(leftovers(m_app->path()), QStringList());
        return;
    }
    QCOMPARE(repair.run(), EditionCompaction::Result::Repaired);

    // Every row is one of the edition's, and only the rows of the damaged pages are missing.
    const QStringList after = EditionSnapshot(edition());
    const QSet<QString> known(before.cbegin(), before.cend());
    for (const QString &row : after)
        QVERIFY2(known.contains(row), qPrintable(row));
    QMap<QString, int> expected = countsOf(before);
    QString lines;
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        it.value() -= lost.value(it.key());
        if (it.value() > 0)
            lines += QStringLiteral("\n  %1: %2 rows").arg(it.key()).arg(it.value());
    }
    QCOMPARE(countsOf(after), expected);
    QVERIFY(ScratchConnection(edition()).intact());

    // The damaged file is kept beside the backups, and the user reads what came back.
    QVERIFY(repair.damagedCopy().startsWith(m_app->file(QStringLiteral("Backup/Sample_Links.mdb.damaged-"))));
    QCOMPARE(m_app->readFile(QDir(m_app->path()).relativeFilePath(repair.damagedCopy())), damaged);
    QStringList lostTables;
    for (auto it = lost.cbegin(); it != lost.cend(); ++it)
        if (it.value() > 0)
            lostTables.append(it.key());
    const QString losses = lostTables.isEmpty() ? QString()
                                                : QStringLiteral("\nSome rows of these tables could not be read and are lost: ")
                                                      + lostTables.join(QStringLiteral(", ")) + QLatin1Char('.');
    QCOMPARE(repair.message(), QStringLiteral("The edition database Sample_Links.mdb was damaged. Every row that could "
                                              "still be read was recovered into a fresh copy of the edition, which is now "
                                              "in use.\nRows recovered:")
                                   + lines + losses + QStringLiteral("\nThe damaged file was kept as ")
                                   + repair.damagedCopy() + QLatin1Char('.'));
    QCOMPARE(leftovers(m_app->path()), QStringList());
}

void TestEditionRepair::refusedWriteLeavesEditionAsItWas()
{
    QVERIFY(Damage::overwritePage(edition(), Damage::middleLeaf(edition(), QStringLiteral("Sit"))));
    const QByteArray damaged = m_app->readFile(QStringLiteral("Sample_Links.mdb"));
    const QStringList before = EditionSnapshot(edition());
    // The recovered rows go into a copy of the empty edition, which refuses the 101st site.
    QVERIFY(WriteFault::armFile(m_app->file(QStringLiteral("untitled.mdb")), {QStringLiteral("Sit")}, 100));

    EditionCompaction repair = compaction();
    QCOMPARE(repair.run(), EditionCompaction::Result::Failed);
    QCOMPARE(repair.message(), QStringLiteral("The damaged Database could not be repaired: the new copy of the edition "
                                              "could not be written.\nIt stays as it was."));
    QCOMPARE(EditionSnapshot(edition()), before);
    QCOMPARE(m_app->readFile(QStringLiteral("Sample_Links.mdb")), damaged);
    QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("Backup"))));
    QCOMPARE(leftovers(m_app->path()), QStringList());
}

// A damaged file's schema is not trusted: a table declared by a query is not made again.
void TestEditionRepair::storedQueryIsNeverRun()
{
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(ExecSql(QStringLiteral("CREATE TABLE Extra (a)")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Extra VALUES (5)")));
    CloseDatabase();
    QVERIFY(Damage::overwritePage(edition(), Damage::middleLeaf(edition(), QStringLiteral("Sit"))));
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(ExecSql(QStringLiteral("PRAGMA writable_schema = ON")));
    QVERIFY(ExecSql(QStringLiteral("UPDATE sqlite_master SET sql = 'CREATE TABLE Extra AS SELECT 7 AS a' WHERE name = 'Extra'")));
    CloseDatabase();

    EditionCompaction repair = compaction();
    QCOMPARE(repair.run(), EditionCompaction::Result::Repaired);
    QCOMPARE(countsOf(EditionSnapshot(edition())).value(QStringLiteral("Extra")), 0);
    QVERIFY(repair.message().contains(QStringLiteral("could not be read and are lost: Extra, Sit.")));
}

void TestEditionRepair::killLeavesOldOrNewEdition_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::newRow("compaction") << false;
    QTest::newRow("repair") << true;
}

// A copy of this test program compacts the edition and is killed after a while; each run
// waits longer. The next start finds the old edition or the new one, listed alone.
void TestEditionRepair::killLeavesOldOrNewEdition()
{
    QFETCH(bool, damaged);
    // A larger edition, so that a compaction takes a while.
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(ExecSql(QStringLiteral("UPDATE Sit SET Summary = hex(randomblob(500))")));
    CloseDatabase();
    if (damaged)
        QVERIFY(Damage::overwritePage(edition(), Damage::middleLeaf(edition(), QStringLiteral("Sit"))));
    const QByteArray old = m_app->readFile(QStringLiteral("Sample_Links.mdb"));
    const QStringList files = QDir(m_app->path()).entryList(QDir::Files);
    // What a run that is not killed leaves.
    QCOMPARE(compaction().run(), damaged ? EditionCompaction::Result::Repaired : EditionCompaction::Result::Compacted);
    const QStringList newRows = EditionSnapshot(edition());

    for (const int delay : {0, 1, 2, 4, 7, 12, 20, 35, 60, 100, 170}) {
        m_app->writeFile(QStringLiteral("Sample_Links.mdb"), old);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QLatin1String(ChildSwitch), edition(), m_app->file(QStringLiteral("untitled.mdb")),
                     m_app->file(QStringLiteral("Backup"))});
        QVERIFY(child.waitForReadyRead(30000));
        QThread::msleep(delay);
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(30000));

        Start start;
        start.LoadDbFiles();
        QCOMPARE(m_app->readFile(QStringLiteral("dbnames.txt")), QByteArray("*Sample_Links.mdb,Sample links\r\n"));
        QCOMPARE(QDir(m_app->path()).entryList(QDir::Files), files);
        if (m_app->readFile(QStringLiteral("Sample_Links.mdb")) != old)
            QCOMPARE(EditionSnapshot(edition()), newRows);
    }
}

// Run as "--compact <edition> <template> <backup folder>", the program compacts the edition
// and says when it starts.
int main(int argc, char *argv[])
{
    if (argc == 5 && qstrcmp(argv[1], ChildSwitch) == 0) {
        QCoreApplication app(argc, argv);
        std::fputs("started\n", stdout);
        std::fflush(stdout);
        EditionCompaction compaction(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                                     QString::fromLocal8Bit(argv[4]));
        return int(compaction.run());
    }
    QApplication app(argc, argv);
    TestEditionRepair test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_edition_repair.moc"
