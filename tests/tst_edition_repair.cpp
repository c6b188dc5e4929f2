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

#include <cctype>
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

// The files under folder that this process holds open.
QStringList openUnder(const QString &folder)
{
    QStringList open;
    const QString root = QDir(folder).canonicalPath() + QLatin1Char('/');
    for (const QFileInfo &fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget().startsWith(root))
            open.append(fd.symLinkTarget());
    return open;
}

// An edition to damage, and what the repair is to tell of it. A row's damage changes the
// edition first where it needs (its rows are then kept again as the ones to come back),
// damages it, and counts what is lost.
struct Repair {
    TestProgramFolder *app = nullptr;
    QString edition;
    QStringList before;          // the rows before the damage
    QString older;               // a copy of the edition whose rows may come back too, or none
    QMap<QString, int> lost;     // rows lost, by table
    QMap<QString, int> back;     // rows deleted from the edition that the damage brings back
    int unplaced = 0;
    int changed = 0;
    int clashed = 0;
    int sectionLinks = 30;       // section links held, or 0 when neither they nor the colour schemes are told
    QString opening = QStringLiteral("was damaged.");

    void keepRows() { before = EditionSnapshot(edition); }
    Damage::Page leaf(const QString &table) const { return Damage::middleLeaf(edition, table); }
    bool overwrite(const Damage::Page &page) const { return Damage::overwritePage(edition, page); }
    // Writes the first leaf of one table or index over the first of another, its only one.
    bool copyFirstLeaf(const QString &from, const QString &to) const
    {
        const QList<Damage::Page> over = Damage::pages(edition, to);
        return over.size() == 1 && Damage::copyPage(edition, Damage::pages(edition, from).value(0), edition, over.first());
    }
    // Overwrites a leaf of table and counts its rows lost.
    bool lose(const QString &table, const Damage::Page &page)
    {
        lost.insert(table, page.cells);
        return overwrite(page);
    }
    // SQLite sees no fault in some damages: an index damaged too makes the file one to repair.
    bool damageIndex() const { return overwrite(leaf(QStringLiteral("LksLksUrl"))); }
    // Cuts the file to its first pages, counting the rows of the leaves cut off.
    bool keepPages(qint64 kept)
    {
        lost = Damage::rowsBeyond(edition, kept);
        return Damage::truncate(edition, kept * 4096);
    }
    qint64 pages() const { return QFileInfo(edition).size() / 4096; }

    // Runs statements on the edition, which then holds the rows to come back.
    void edit(const QStringList &statements)
    {
        QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
        for (const QString &sql : statements)
            QVERIFY2(ExecSql(sql), qPrintable(sql));
        CloseDatabase();
        keepRows();
    }
    // Puts the edition's rows into one whose texts are written in UTF-16.
    void inUtf16()
    {
        const QString utf16 = app->file(QStringLiteral("Appended.mdb"));
        Damage::copyAsUtf16(edition, utf16);
        QVERIFY(QFile::remove(edition) && QFile::rename(utf16, edition));
        keepRows();
    }
    // Two lists of the same columns and row ids, of two rows to a page, holding negative
    // numbers and reals.
    void twoSectionLists()
    {
        QStringList statements;
        for (const char *table : {"NewsLinks", "SearchLinks"})
            statements.append(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                             "INSERT INTO %1 (rowid, topicid, LinkName, LinkUrl, FieldName1, FieldName2) "
                                             "SELECT 1000 + i, %2, 'Link ' || i, %3, 'name1', 'url1' FROM n")
                                  .arg(table, table == QLatin1String("NewsLinks") ? "-1000003 * i" : "i / 3.0", Big));
        edit(statements);
        sectionLinks = 6030;
    }
    // Sites of two to a page, so that their tree has interior pages below its root; with
    // overflowing, some too long for a page, the rest of each on pages of its own. Then
    // the statements given.
    void sitesTwoToAPage(bool overflowing, const QStringList &then = {})
    {
        QStringList statements{QStringLiteral("UPDATE Sit SET Summary = %1 WHERE SitId > 100000").arg(Big)};
        if (overflowing)
            statements.append(QStringLiteral("UPDATE Sit SET Summary = Summary || Summary || Summary || Summary "
                                             "WHERE SitId > 100000 AND SitId % 50 = 0"));
        edit(statements + then);
    }
    // Overwrites the interior page of table that lies in the middle of those below its root.
    bool overwriteInterior(const char *table) const
    {
        const QList<Damage::Page> interior = Damage::interiorPages(edition, table);
        return interior.size() >= 2 && overwrite(interior.at(interior.size() / 2));
    }
    // Says that a leaf of links holds so many rows, counting those it no longer names.
    bool sayCells(int says)
    {
        const Damage::Page page = leaf(QStringLiteral("Sit"));
        lost.insert(QStringLiteral("Sit"), page.cells - says);
        return Damage::setCellCount(edition, page, says);
    }
    // Puts the page from of the file source over a leaf of links: its rows are lost, and
    // those of the page put there are told as rows of which it cannot be told what they were.
    bool overLinks(const QString &source, const Damage::Page &from)
    {
        const Damage::Page to = leaf(QStringLiteral("Sit"));
        lost.insert(QStringLiteral("Sit"), to.cells);
        unplaced = from.cells;
        return Damage::copyPage(source, from, edition, to);
    }
    // Copies the edition as it is to an older copy, runs since on the edition, and answers
    // the older copy's page of table's middle leaf, still the same leaf in both files (or
    // no page when it is not).
    Damage::Page olderLeaf(const QString &table, const std::function<void(const Damage::Page &)> &since)
    {
        older = app->file(QStringLiteral("Older.mdb"));
        if (!QFile::copy(edition, older))
            return {};
        const Damage::Page leaf = Damage::middleLeaf(edition, table);
        since(leaf);
        keepRows();
        const QList<Damage::Page> now = Damage::pages(edition, table);
        if (std::none_of(now.cbegin(), now.cend(), [&](const Damage::Page &p) { return p.number == leaf.number && p.path == leaf.path; }))
            return {};
        const QList<Damage::Page> then = Damage::pages(older, table);
        const auto it = std::find_if(then.cbegin(), then.cend(), [&](const Damage::Page &p) { return p.number == leaf.number; });
        return it == then.cend() ? Damage::Page() : *it;
    }
    // Makes the first byte of the name of the first category on a leaf of categories one no
    // text begins with, and counts the category lost.
    bool undecodableName(const Damage::Page &page)
    {
        QByteArray bytes;
        QByteArray name("\xff");
        const int at = Damage::onPage(edition, page, 0, &bytes, true) ? int(bytes.indexOf("Link ", Damage::number16(bytes, 8))) : -1;
        lost[QStringLiteral("Lks")] += 1;
        return at > 0 && Damage::onPage(edition, page, at, &name);
    }
    // Puts the older copy's leaf in its place in the edition.
    bool putOlder(const Damage::Page &leaf) const { return leaf.number > 0 && Damage::copyPage(older, leaf, edition, leaf); }

    static inline const QString Big = QStringLiteral("hex(randomblob(700))");
};

using Damaging = std::function<void(Repair &)>;

} // namespace

Q_DECLARE_METATYPE(Damaging)

class TestEditionRepair : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { RemoveProgramFolder(m_app); }

    void repairRecoversEveryReadableRow_data();
    void repairRecoversEveryReadableRow();
    void refusedWriteLeavesEditionAsItWas();
    void storedQueryIsNeverRun_data();
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
    // What is lost is told with %1 for the links that lay on the pages cut off or
    // overwritten and %2 for the rows of a page put in their place; an edition that
    // cannot be read is left with the message given.
    QTest::addColumn<QString>("lostText");
    QTest::addColumn<QString>("unreadable");
    QTest::addColumn<Damaging>("damage");
    const QString none;
    QTest::newRow("a leaf page of links overwritten") << "\n  links: up to %1" << none
        << Damaging([](Repair &r) { QVERIFY(r.lose(QStringLiteral("Sit"), r.leaf(QStringLiteral("Sit")))); });
    QTest::newRow("a leaf page of links written before a column was added overwritten")
        << "\n  links: up to %1" << none << Damaging([](Repair &r) {
               // Links of an edition whose last column was added after they were written:
               // their records hold one value fewer than the table has columns, but for
               // those changed since.
               r.edit({"CREATE TABLE Older (SitId INTEGER PRIMARY KEY, SitName TEXT COLLATE NOCASE, "
                       "SitUrl TEXT COLLATE NOCASE)",
                       "INSERT INTO Older SELECT SitId, SitName, SitUrl FROM Sit", "DROP TABLE Sit",
                       "ALTER TABLE Older RENAME TO Sit", "ALTER TABLE Sit ADD COLUMN Summary TEXT COLLATE NOCASE",
                       "UPDATE Sit SET Summary = 'since' WHERE SitId % 3 = 0"});
               QVERIFY(r.lose(QStringLiteral("Sit"), r.leaf(QStringLiteral("Sit"))));
           });
    QTest::newRow("the file cut short") << "\n  links: an unknown number" << none
                                        << Damaging([](Repair &r) { QVERIFY(r.keepPages(r.pages() - 4)); });
    // The leaf lost lies between links whose numbers are farther apart than the file has
    // bytes: the gap tells nothing of how many it held.
    QTest::newRow("a leaf of links far apart in number overwritten") << "\n  links: an unknown number" << none
        << Damaging([](Repair &r) {
               r.sitesTwoToAPage(false, {"INSERT INTO Sit (SitId, SitName, SitUrl, Summary) SELECT 4e15 + i, 'Far', "
                                         "'http://far.example/', " + Repair::Big + " FROM (SELECT 0 AS i UNION SELECT 1 "
                                         "UNION SELECT 4e15 UNION SELECT 4e15 + 1)"});
               const QList<Damage::Page> leaves = Damage::pages(r.edition, QStringLiteral("Sit"));
               QVERIFY(r.lose(QStringLiteral("Sit"), leaves.at(leaves.size() - 2)));
           });
    QTest::newRow("an index damaged") << none << none << Damaging([](Repair &r) { QVERIFY(r.damageIndex()); });
    QTest::newRow("an interior page of links overwritten") << none << none << Damaging([](Repair &r) {
        r.sitesTwoToAPage(true);
        QVERIFY(r.overwriteInterior("Sit"));
    });
    QTest::newRow("interior pages of two section lists overwritten") << none << none << Damaging([](Repair &r) {
        r.twoSectionLists();
        QVERIFY(r.overwriteInterior("NewsLinks") && r.overwriteInterior("SearchLinks"));
    });
    QTest::newRow("the file cut at 60 %") << "\n  links: an unknown number" << none << Damaging([](Repair &r) {
        r.sitesTwoToAPage(false);
        QVERIFY(r.keepPages(r.pages() * 6 / 10));
    });
    QTest::newRow("the header overwritten") << none << none
                                            << Damaging([](Repair &r) { QVERIFY(r.overwrite(Damage::Page{1, 0, 100, {}})); });
    // Nor does the header tell how the texts are written: the rows' texts do.
    QTest::newRow("the first page of a UTF-16 edition overwritten")
        << "\n  the list of the edition's tables, so it is not known how many rows are lost" << none << Damaging([](Repair &r) {
               r.inUtf16();
               QVERIFY(r.overwrite(Damage::Page{1, 0, 4096, {}}));
           });
    QTest::newRow("the first page overwritten")
        << "\n  the list of the edition's tables, so it is not known how many rows are lost" << none
        << Damaging([](Repair &r) { QVERIFY(r.overwrite(Damage::Page{1, 0, 4096, {}})); });
    // Each tree found by what its rows hold; of the tables of the same columns, each takes
    // the tree at its root in the empty edition, but nothing in the file tells it.
    const QString noSchema = QStringLiteral(
        "\n  the list of the edition's tables, so it is not known how many rows are lost\nRecovered, but nothing in the "
        "file tells these tables apart, so each may hold rows of the others:\n  colour schemes, section links of list 1, "
        "section links of list 2, section links of list 3, section links of list 4, section links of list 5, section "
        "links of list 6");
    QTest::newRow("the list of tables overwritten") << noSchema << none << Damaging([](Repair &r) {
        for (const Damage::Page &page : Damage::pages(r.edition, QStringLiteral("sqlite_schema")))
            QVERIFY(r.overwrite(page));
        QVERIFY(r.overwrite(Damage::Page{1, 0, 4096, {}}));
    });
    QTest::newRow("the pages of the list of tables after the first overwritten") << noSchema << none << Damaging([](Repair &r) {
        const QList<Damage::Page> pages = Damage::pages(r.edition, QStringLiteral("sqlite_schema"));
        QVERIFY(pages.size() > 1 && pages.first().number != 1);
        for (const Damage::Page &page : pages)
            QVERIFY(r.overwrite(page));
    });
    // A compaction makes the tables' roots anew, in the order the tables were made: the trees
    // nothing else tells apart go to the tables in that order.
    QTest::newRow("the list of tables of a compacted edition overwritten") << noSchema << none << Damaging([](Repair &r) {
        QVERIFY(Damage::vacuum(r.edition, 4096));
        for (const Damage::Page &page : Damage::pages(r.edition, QStringLiteral("sqlite_schema")))
            QVERIFY(r.overwrite(page));
        QVERIFY(r.overwrite(Damage::Page{1, 0, 4096, {}}));
    });
    // Under twice the page size, the first page names leaves of categories, whose topic
    // numbers would be taken for the roots of tables.
    QTest::newRow("the pages of the list of tables after the first overwritten, pages of 1024 bytes")
        << noSchema << none << Damaging([](Repair &r) {
               r.edit({"UPDATE Lks SET TopicId = 1 + LksId % 3", "DELETE FROM Lks WHERE LksId > 101000",
                       "DELETE FROM Sit WHERE SitId > 101000"});
               QVERIFY(Damage::vacuum(r.edition, 1024));
               for (const Damage::Page &page : Damage::pages(r.edition, QStringLiteral("sqlite_schema")))
                   QVERIFY(page.number == 1 || r.overwrite(page));
           });
    QTest::newRow("deleted links, then their tree damaged") << "\n  links: an unknown number" << none << Damaging([](Repair &r) {
        // The pages of the deleted sites and of a dropped table of the same row ids are
        // free, with their rows still on them.
        r.sitesTwoToAPage(false, {"PRAGMA secure_delete = OFF", "DELETE FROM Sit WHERE SitId BETWEEN 101001 AND 101100",
                                  "CREATE TABLE Old (Id INTEGER PRIMARY KEY, A TEXT, B TEXT, C TEXT)",
                                  "INSERT INTO Old SELECT SitId + 1000, SitName, SitUrl, Summary FROM Sit "
                                  "WHERE SitId BETWEEN 100001 AND 100100",
                                  "DROP TABLE Old"});
        const QList<Damage::Page> interior = Damage::interiorPages(r.edition, QStringLiteral("Sit"));
        QVERIFY(interior.size() >= 2);
        for (const Damage::Page &page : interior)
            QVERIFY(r.overwrite(page));
    });
    QTest::newRow("a database without the edition's tables") << none << none << Damaging([](Repair &r) {
        r.edit({"DROP TABLE LocalLinks"});
        r.opening = QStringLiteral("lacked tables that an edition has.");
    });
    QTest::newRow("a leaf of links that says it holds no rows") << "\n  links: up to %1" << none
                                                               << Damaging([](Repair &r) { QVERIFY(r.sayCells(0)); });
    QTest::newRow("a leaf of links that says it holds half its rows") << "\n  links: up to %1" << none
        << Damaging([](Repair &r) { QVERIFY(r.sayCells(r.leaf(QStringLiteral("Sit")).cells / 2)); });
    QTest::newRow("a leaf of links with two cells in one place") << "\n  links: up to %1" << none << Damaging([](Repair &r) {
        // The second cell pointer set to the first's: the second row, of the same size,
        // is on no cell, and the page's space still adds up.
        const Damage::Page page = r.leaf(QStringLiteral("Sit"));
        QByteArray first;
        QVERIFY(Damage::onPage(r.edition, page, 8, &first, true));
        first.truncate(2);
        QVERIFY(Damage::onPage(r.edition, page, 10, &first));
        r.lost.insert(QStringLiteral("Sit"), 1);
    });
    QTest::newRow("overflow pages of links overwritten") << "\n  links: %1" << none << Damaging([](Repair &r) {
        // The one overflow page of each of ten links: half of them with text that goes on
        // to another page, half with bytes that are no text after the pointer that ends
        // the chain.
        r.sitesTwoToAPage(true);
        const QList<Damage::Page> overflow = Damage::pages(r.edition, QStringLiteral("Sit"), QStringLiteral("overflow"));
        QVERIFY(overflow.size() > 10);
        for (int i = 0; i < 10; ++i) {
            QByteArray bytes(overflow.at(i).size - 4 * (i % 2), i % 2 ? '\xa5' : 'A');
            QVERIFY(Damage::onPage(r.edition, overflow.at(i), 4 * (i % 2), &bytes));
        }
        r.lost.insert(QStringLiteral("Sit"), 10);
    });
    QTest::newRow("a section list's child pointer moved to another's leaf") << none << none << Damaging([](Repair &r) {
        // The leaf of the other list in the same place holds the same row ids.
        r.twoSectionLists();
        const Damage::Page from = r.leaf(QStringLiteral("NewsLinks"));
        const QString parent = from.path.section(QLatin1Char('/'), 0, -3) + QLatin1Char('/');
        const auto at = [&](const char *table, const QString &path, const char *type) {
            const QList<Damage::Page> pages = Damage::pages(r.edition, table, type);
            const auto it = std::find_if(pages.cbegin(), pages.cend(), [&](const Damage::Page &p) { return p.path == path; });
            return it == pages.cend() ? Damage::Page() : *it;
        };
        QVERIFY(Damage::repoint(r.edition, at("NewsLinks", parent, "internal"), from, at("SearchLinks", from.path, "leaf")));
    });
    // Two lists that lost their trees whole: the leaves no tree reaches go to the list whose
    // index names their rows with their Topics.
    QTest::newRow("the root of a section list and the only page of another lost") << "\n  section links: 5" << none
                                                                               << Damaging([](Repair &r) {
        r.twoSectionLists();
        r.edit({"UPDATE OrganizationLinks SET topicid = topicid + 100"});
        const QList<Damage::Page> root = Damage::pages(r.edition, QStringLiteral("NewsLinks"), QStringLiteral("internal"));
        QVERIFY(!root.isEmpty() && root.first().path == QLatin1String("/"));
        QVERIFY(r.overwrite(root.first()));
        QVERIFY(r.lose(QStringLiteral("OrganizationLinks"), Damage::pages(r.edition, QStringLiteral("OrganizationLinks")).value(0)));
        r.sectionLinks -= 5;
    });
    // A list's index lost, and the only page of another whose index names rows of the same
    // row ids and Topics: the first list's tree, of many more rows, stays its own.
    QTest::newRow("the index of the news links and the only page of the favourites lost") << "\n  section links: 5" << none
                                                                                          << Damaging([](Repair &r) {
        r.edit({"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) INSERT INTO NewsLinks "
                "(rowid, topicid, LinkName, LinkUrl, FieldName1, FieldName2) SELECT 1000 + i, 1000 + i, 'Link ' || i, "
                "'http://n/', 'a', 'b' FROM n"});
        r.sectionLinks += 200;
        for (const Damage::Page &page : Damage::pages(r.edition, QStringLiteral("NewsLinksTopicId")))
            QVERIFY(r.overwrite(page));
        QVERIFY(r.lose(QStringLiteral("FavoriteLinks"), Damage::pages(r.edition, QStringLiteral("FavoriteLinks")).value(0)));
    });
    // A list's first child pointer moved to a leaf of categories: the categories keep their
    // leaf, and the list's leaf that no pointer names goes back to the list its index names.
    QTest::newRow("a section list's first child pointer moved to a leaf of categories") << none << none << Damaging([](Repair &r) {
        r.edit({"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600) INSERT INTO NewsLinks "
                "(rowid, topicid, LinkName, LinkUrl, FieldName1, FieldName2) SELECT 1000 + i, 1000 + i, 'Link ' || i, "
                "'http://n/', 'a', 'b' FROM n"});
        r.sectionLinks += 600;
        const QList<Damage::Page> root = Damage::pages(r.edition, QStringLiteral("NewsLinks"), QStringLiteral("internal"));
        QVERIFY(root.size() == 1 && root.first().path == QLatin1String("/"));
        QVERIFY(Damage::repoint(r.edition, root.first(), Damage::pages(r.edition, QStringLiteral("NewsLinks"), QStringLiteral("leaf")).first(),
                                r.leaf(QStringLiteral("Lks"))));
    });
    // The same with the list's root a copy of one of its leaves: the rows of that leaf are not
    // taken twice.
    QTest::newRow("the root of a section list a copy of one of its leaves, the only page of another lost")
        << "\n  section links: 5" << none << Damaging([](Repair &r) {
               r.twoSectionLists();
               r.edit({"UPDATE OrganizationLinks SET topicid = topicid + 100"});
               const QList<Damage::Page> root = Damage::pages(r.edition, QStringLiteral("NewsLinks"), QStringLiteral("internal"));
               QVERIFY(!root.isEmpty() && root.first().path == QLatin1String("/"));
               QVERIFY(Damage::copyPage(r.edition, r.leaf(QStringLiteral("NewsLinks")), r.edition, root.first()));
               QVERIFY(r.lose(QStringLiteral("OrganizationLinks"), Damage::pages(r.edition, QStringLiteral("OrganizationLinks")).value(0)));
               r.sectionLinks -= 5;
           });
    // Both trees reach the list's root: the links lost what their first leaf held, however
    // the walks that tell the trees apart meet the page.
    QTest::newRow("the links' first child pointer moved to a section list's root") << "\n  links: an unknown number" << none << Damaging([](Repair &r) {
        const QList<Damage::Page> root = Damage::pages(r.edition, QStringLiteral("Sit"), QStringLiteral("internal"));
        QVERIFY(!root.isEmpty() && root.first().path == QLatin1String("/"));
        QVERIFY(Damage::repoint(r.edition, root.first(), Damage::pages(r.edition, QStringLiteral("Sit")).first(),
                                Damage::pages(r.edition, QStringLiteral("SearchLinks")).first()));
    });
    // A leaf of news links whose parent names another list's root instead, and the
    // favourites' root overwritten: the leaf is the news links' tree's, whose index names
    // its rows, not the favourites', whose index names five others.
    QTest::newRow("a leaf of section links cut off, another list's root overwritten") << "\n  section links: 5" << none
                                                                                     << Damaging([](Repair &r) {
        r.twoSectionLists();
        const Damage::Page leaf = r.leaf(QStringLiteral("NewsLinks"));
        const QList<Damage::Page> parents = Damage::pages(r.edition, QStringLiteral("NewsLinks"), QStringLiteral("internal"));
        const auto parent = std::find_if(parents.cbegin(), parents.cend(), [&](const Damage::Page &page) {
            return page.path == leaf.path.section(QLatin1Char('/'), 0, -3) + QLatin1Char('/');
        });
        QVERIFY(parent != parents.cend());
        QVERIFY(Damage::repoint(r.edition, *parent, leaf, Damage::pages(r.edition, QStringLiteral("OrganizationLinks")).first()));
        QVERIFY(r.lose(QStringLiteral("FavoriteLinks"), Damage::pages(r.edition, QStringLiteral("FavoriteLinks")).first()));
    });
    // The news links' root overwritten, and another list's: that list takes a leaf of news
    // links for its tree, which its index disagrees with and the news links' index, read
    // whole, names; the rows go back to the news links.
    QTest::newRow("the roots of the news links and of another list overwritten") << "\n  section links: 5" << none
                                                                                  << Damaging([](Repair &r) {
        r.edit({"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) INSERT INTO NewsLinks "
                "(rowid, topicid, LinkName, LinkUrl, FieldName1, FieldName2) SELECT 1000 + i, 1000 + i, 'Link ' || i, "
                "'http://n/', 'a', 'b' FROM n"});
        r.sectionLinks += 200 - 5;
        QVERIFY(r.overwrite(Damage::pages(r.edition, QStringLiteral("NewsLinks"), QStringLiteral("internal")).value(0)));
        QVERIFY(r.lose(QStringLiteral("OrganizationLinks"), Damage::pages(r.edition, QStringLiteral("OrganizationLinks")).first()));
    });
    const QString foreign = QStringLiteral("\n  links: up to %1\n  rows of which it cannot be told what they were: %2");
    // The categories on the copy are the ones read from their own page.
    QTest::newRow("a leaf of links replaced by one of categories") << "\n  links: up to %1" << none << Damaging([](Repair &r) {
        Damage::runSql(r.edition, QStringLiteral("UPDATE Lks SET LksDesc = hex(randomblob(150))"));
        r.keepRows();
        // A leaf of the larger categories whose row ids lie among those of the leaf of
        // links, found by the rows before each leaf.
        const Damage::Page to = r.leaf(QStringLiteral("Sit"));
        const auto value = [&](const QString &sql) {
            qint64 id = 0;
            Damage::runSql(r.edition, sql, [&id](const QSqlQuery &q) { id = q.value(0).toLongLong(); });
            return id;
        };
        int rank = 0;
        for (const Damage::Page &page : Damage::pages(r.edition, QStringLiteral("Sit")))
            rank += page.path < to.path ? page.cells : 0;
        const QString sit = QStringLiteral("SELECT rowid FROM Sit ORDER BY rowid LIMIT 1 OFFSET %1");
        const QString lks = QStringLiteral("SELECT count(*) FROM Lks WHERE rowid %1 %2");
        const qint64 low = value(lks.arg("<=").arg(value(sit.arg(rank))));
        const qint64 high = value(lks.arg("<").arg(value(sit.arg(rank + to.cells - 1))));
        Damage::Page from;
        rank = 0;
        for (const Damage::Page &page : Damage::pages(r.edition, QStringLiteral("Lks"))) {
            if (rank >= low && rank + page.cells <= high)
                from = page;
            rank += page.cells;
        }
        QVERIFY(from.number > 0);
        QVERIFY(r.overLinks(r.edition, from));
    });
    QTest::newRow("a leaf of links replaced by one of another edition") << foreign << none << Damaging([](Repair &r) {
        const QString source = r.app->makeEdition(QStringLiteral("Other.mdb"));
        Damage::runSql(source, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                              "INSERT INTO Sit SELECT 200000 + i, 'Other ' || i, 'http://other/', '' FROM n"));
        QVERIFY(r.overLinks(source, Damage::middleLeaf(source, QStringLiteral("Sit"))));
    });
    QTest::newRow("a link whose row id column holds a value") << foreign << none << Damaging([](Repair &r) {
        // The first link's record says its row id column holds 0 (a type of no bytes):
        // no row of the table holds one, the others of its page still come back.
        QVERIFY(r.damageIndex());
        const Damage::Page page = r.leaf(QStringLiteral("Sit"));
        QByteArray at;
        QVERIFY(Damage::onPage(r.edition, page, 8, &at, true));
        QByteArray zero(1, '\x08');   // after the payload size, the row id and the header size
        QVERIFY(Damage::onPage(r.edition, page, qFromBigEndian<quint16>(at.constData()) + 5, &zero));
        r.lost.insert(QStringLiteral("Sit"), 1);
        r.unplaced = 1;
    });
    // Links of one value fewer than logins have columns, on a copy of their page: what the
    // logins' root held is not known, the links are the ones read from their own page.
    QTest::newRow("a leaf of links copied over the root of the empty logins")
        << "\n  stored logins: an unknown number" << none << Damaging([](Repair &r) {
               const QList<Damage::Page> root = Damage::pages(r.edition, QStringLiteral("PersonalInformation"));
               QCOMPARE(root.size(), 1);
               QVERIFY(Damage::copyPage(r.edition, r.leaf(QStringLiteral("Sit")), r.edition, root.first()));
               QVERIFY(r.damageIndex());
           });
    // The section links of a copy over the root of an index of the empty list of local
    // links, which has their columns: they are the ones read from their own page.
    QTest::newRow("a leaf of section links copied over the root of an empty index") << none << none << Damaging([](Repair &r) {
        const QList<Damage::Page> root = Damage::pages(r.edition, QStringLiteral("LocalLinksTopicId"));
        QCOMPARE(root.size(), 1);
        QVERIFY(Damage::copyPage(r.edition, r.leaf(QStringLiteral("NewsLinks")), r.edition, root.first()));
    });
    // An index whose page another page repeats (two lists hold the same links), read whole,
    // against a list whose root is a copy of an empty table's, and the same index page copied
    // over the index of an empty list: either page may be the copy, so the list lost its
    // rows or none.
    QTest::newRow("the root of a section list overwritten by an empty one") << "\n  section links: up to 5" << none
                                                                           << Damaging([](Repair &r) {
        QVERIFY(r.copyFirstLeaf(QStringLiteral("PersonalInformation"), QStringLiteral("FavoriteLinks")));
        r.lost.insert(QStringLiteral("FavoriteLinks"), 5);
    });
    QTest::newRow("the index of an empty section list overwritten by another's") << "\n  section links: up to 5" << none
                                                                                << Damaging([](Repair &r) {
        QVERIFY(r.copyFirstLeaf(QStringLiteral("FavoriteLinksTopicId"), QStringLiteral("RelatedLinksTopicId")));
    });
    QTest::newRow("two links of a leaf with one row id") << "\n  links: %1" << none << Damaging([](Repair &r) {
        // The second link's row id made the first's, of as many bytes (after the byte of
        // the payload's size): which of the two holds it is not known.
        const Damage::Page page = r.leaf(QStringLiteral("Sit"));
        QByteArray pointers;
        QVERIFY(Damage::onPage(r.edition, page, 8, &pointers, true));
        QByteArray id;
        QVERIFY(Damage::onPage(r.edition, page, qFromBigEndian<quint16>(pointers.constData()) + 1, &id, true));
        id.truncate(3);
        QVERIFY(Damage::onPage(r.edition, page, qFromBigEndian<quint16>(pointers.constData() + 2) + 1, &id));
        r.lost.insert(QStringLiteral("Sit"), 2);
    });
    // The rows of a leaf its own list could not read go back to that list, not to a
    // neighbour of the same columns that lost a row of the same id.
    QTest::newRow("a leaf of news links unread, a search link of one of its row ids undecodable")
        << "\n  section links: 2" << none << Damaging([](Repair &r) {
               // The type of the eleventh news link's name made 16 letters longer than its
               // cell holds, and a letter of the second search link's address no UTF-8.
               const QList<Damage::Page> news = Damage::pages(r.edition, QStringLiteral("NewsLinks"));
               const QList<Damage::Page> search = Damage::pages(r.edition, QStringLiteral("SearchLinks"));
               QCOMPARE(news.size(), 1);
               QCOMPARE(search.size(), 1);
               QByteArray bytes;
               QVERIFY(Damage::onPage(r.edition, news.first(), 0, &bytes, true));
               // After the payload's size, the row id, the header's size and two types.
               const int at = qFromBigEndian<quint16>(bytes.constData() + 8 + 2 * 10) + 5;
               QByteArray type(1, char(bytes.at(at) ^ 0x20));
               QVERIFY(Damage::onPage(r.edition, news.first(), at, &type));
               QVERIFY(Damage::onPage(r.edition, search.first(), 0, &bytes, true));
               const int letter = int(bytes.indexOf("crates.io"));
               QVERIFY(letter > 0);
               QByteArray high(1, char(bytes.at(letter) | 0x80));
               QVERIFY(Damage::onPage(r.edition, search.first(), letter, &high));
               r.lost.insert(QStringLiteral("NewsLinks"), 1);
               r.lost.insert(QStringLiteral("SearchLinks"), 1);
           });
    QTest::newRow("a category whose name is no text, an index whole") << "\n  categories: 1" << none << Damaging([](Repair &r) {
        // One of the two indexes of categories damaged, the other read whole.
        QVERIFY(r.damageIndex());
        QVERIFY(r.undecodableName(r.leaf(QStringLiteral("Lks"))));
    });
    // Its indexes, read whole, tell how many rows the last leaf held, of row ids no key bounds.
    QTest::newRow("the last leaf of categories overwritten") << "\n  categories: %5" << none << Damaging([](Repair &r) {
        QVERIFY(r.lose(QStringLiteral("Lks"), Damage::pages(r.edition, QStringLiteral("Lks")).last()));
    });
    // The root of the index of addresses, on pages that keep 32 bytes back, gains a cell
    // placed where its usable bytes end, and the bytes kept back there name a leaf of the
    // other index of categories: neither index is taken to reach the other's pages.
    QTest::newRow("the last leaf of categories overwritten, a cell of an index's root past its bytes")
        << "\n  categories: %5" << none << Damaging([](Repair &r) {
               QVERIFY(Damage::vacuum(r.edition, 4096, 32));
               const QList<Damage::Page> roots = Damage::pages(r.edition, QStringLiteral("LksLksUrl"), QStringLiteral("internal"));
               QCOMPARE(roots.size(), 1);
               QByteArray bytes;
               QVERIFY(Damage::onPage(r.edition, roots.first(), 0, &bytes, true));
               const int cells = Damage::number16(bytes, 3);
               QVERIFY(Damage::number16(bytes, 5) >= 12 + 2 * cells + 2);
               qToBigEndian<quint16>(quint16(cells + 1), bytes.data() + 3);
               qToBigEndian<quint16>(4064, bytes.data() + 12 + 2 * cells);
               qToBigEndian<quint32>(quint32(r.leaf(QStringLiteral("LksTopicId")).number), bytes.data() + 4064);
               QVERIFY(Damage::onPage(r.edition, roots.first(), 0, &bytes));
               QVERIFY(r.lose(QStringLiteral("Lks"), Damage::pages(r.edition, QStringLiteral("Lks")).last()));
           });
    QTest::newRow("a leaf of links lost, with two copies on pages of an index")
        << "\n  rows that bore the number of another row read before them: %4" << none << Damaging([](Repair &r) {
               // Found on the pages no tree reaches: the first copy's rows come back, the
               // second's are the same rows again.
               const Damage::Page page = r.leaf(QStringLiteral("Sit"));
               const QList<Damage::Page> index = Damage::pages(r.edition, QStringLiteral("LksLksUrl"));
               QVERIFY(index.size() > 2);
               QVERIFY(Damage::copyPage(r.edition, page, r.edition, index.at(1)));
               QVERIFY(Damage::copyPage(r.edition, page, r.edition, index.at(2)));
               QVERIFY(r.overwrite(page));
               r.clashed = page.cells;
           });
    // A page of an older copy of the edition over the current one: its rows are kept, and
    // what the indexes say of them is told. In the older copy, the categories moved to
    // another Topic, one deleted from the copy and another from the edition; the section
    // links moved to other Topics; a category of the index's leaf deleted from the edition.
    const QString changed = QStringLiteral("\nRecovered, but the edition's indexes disagree with them (they may hold "
                                           "older values, or be rows deleted before the damage):\n  %1: %3");
    QTest::newRow("a leaf of categories from an older copy")
        << "\n  categories: 1" + changed.arg("categories") << none << Damaging([](Repair &r) {
               Damage::runSql(r.edition, QStringLiteral("UPDATE Lks SET TopicId = 2 WHERE LksId > 100000"));
               const Damage::Page leaf = r.olderLeaf(QStringLiteral("Lks"), [&r](const Damage::Page &leaf) {
                   int rank = 0;
                   for (const Damage::Page &page : Damage::pages(r.edition, QStringLiteral("Lks")))
                       rank += page.path < leaf.path ? page.cells : 0;
                   QList<qint64> ids;
                   Damage::runSql(r.edition, QStringLiteral("SELECT rowid FROM Lks ORDER BY rowid LIMIT 3 OFFSET %1").arg(rank),
                                  [&ids](const QSqlQuery &q) { ids.append(q.value(0).toLongLong()); });
                   QCOMPARE(ids.size(), 3);
                   Damage::runSql(r.older, QStringLiteral("DELETE FROM Lks WHERE rowid = %1").arg(ids.at(1)));
                   Damage::runSql(r.edition, QStringLiteral("UPDATE Lks SET TopicId = 3 WHERE LksId > 100000"));
                   Damage::runSql(r.edition, QStringLiteral("DELETE FROM Lks WHERE rowid = %1").arg(ids.at(2)));
                   r.back.insert(QStringLiteral("Lks"), 1);
               });
               QVERIFY(r.putOlder(leaf));
               r.changed = leaf.cells;
               r.lost.insert(QStringLiteral("Lks"), 1);
           });
    // Of two leaves of categories, one from an older copy that lacks a row the indexes hold,
    // the other with a row no longer decodable: both rows are lost.
    QTest::newRow("a leaf of categories from an older copy without a row, another's row undecodable")
        << "\n  categories: 2" << none << Damaging([](Repair &r) {
               const QList<Damage::Page> leaves = Damage::pages(r.edition, QStringLiteral("Lks"));
               const Damage::Page leaf = r.olderLeaf(QStringLiteral("Lks"), [&](const Damage::Page &leaf) {
                   int rank = 1;
                   for (const Damage::Page &page : leaves)
                       rank += page.path < leaf.path ? page.cells : 0;
                   Damage::runSql(r.older, QStringLiteral("DELETE FROM Lks WHERE rowid = (SELECT rowid FROM Lks ORDER BY "
                                                          "rowid LIMIT 1 OFFSET %1)").arg(rank));
               });
               QVERIFY(r.putOlder(leaf));
               r.lost.insert(QStringLiteral("Lks"), 1);
               QVERIFY(r.undecodableName(leaves.at(leaves.size() / 2 + 1)));
           });
    QTest::newRow("a leaf of section links from another copy") << changed.arg("section links") << none << Damaging([](Repair &r) {
        Damage::runSql(r.edition, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                                 "WHERE i < 3000) INSERT INTO NewsLinks (rowid, topicid, LinkName, "
                                                 "LinkUrl, FieldName1, FieldName2) SELECT 1000 + i, 1000 + i, "
                                                 "'Link ' || i, 'http://n/', 'a', 'b' FROM n"));
        r.sectionLinks = 3030;
        const Damage::Page leaf = r.olderLeaf(QStringLiteral("NewsLinks"), [&r](const Damage::Page &) {
            Damage::runSql(r.edition, QStringLiteral("UPDATE NewsLinks SET topicid = topicid + 5 WHERE rowid > 1000"));
        });
        QVERIFY(r.putOlder(leaf));
        r.changed = leaf.cells;
    });
    // The one page of the index of news links from an older copy, before their Topics
    // changed: it disagrees with their one page, and is not the one taken to be astray.
    QTest::newRow("the index of news links from an older copy") << changed.arg("section links") << none << Damaging([](Repair &r) {
        QCOMPARE(Damage::pages(r.edition, QStringLiteral("NewsLinks")).size(), 1);
        const Damage::Page page = r.olderLeaf(QStringLiteral("NewsLinksTopicId"), [&r](const Damage::Page &) {
            Damage::runSql(r.edition, QStringLiteral("UPDATE NewsLinks SET topicid = topicid + 5"));
        });
        QCOMPARE(Damage::pages(r.edition, QStringLiteral("NewsLinksTopicId")).size(), 1);
        QVERIFY(r.putOlder(page));
        r.changed = 15;
    });
    // A list's leaf put over another's of the same row ids that no index tells apart: which
    // list's rows they are is not known.
    QTest::newRow("a leaf of section links copied over another list's") << "\n  section links: an unknown number" << none
                                                                       << Damaging([](Repair &r) {
        // Lists of the same row ids and Topics: their indexes agree with either.
        QVERIFY(r.copyFirstLeaf(QStringLiteral("FavoriteLinks"), QStringLiteral("SearchLinks")));
        // The favourites come back as search links too: the rows the damaged file holds.
        r.older = r.app->file(QStringLiteral("Older.mdb"));
        QVERIFY(QFile::copy(r.edition, r.older));
        QVERIFY(r.damageIndex());
    });
    // A list's only leaf overwritten by a copy of the colour schemes' (the same kinds of
    // values), and an empty list's root by a copy of a list's leaf: the rows go to the table
    // whose index names them as they are; the other lost what its index names, or a number
    // nothing tells.
    QTest::newRow("the colour schemes' leaf copied over a section list's") << "\n  section links: 5" << none
                                                                          << Damaging([](Repair &r) {
        QVERIFY(r.copyFirstLeaf(QStringLiteral("ColorLinks"), QStringLiteral("FavoriteLinks")));
        r.lost.insert(QStringLiteral("FavoriteLinks"), 5);
    });
    QTest::newRow("a section list's leaf copied over an empty list's root") << "\n  section links: an unknown number" << none
        << Damaging([](Repair &r) { QVERIFY(r.copyFirstLeaf(QStringLiteral("NewsLinks"), QStringLiteral("RelatedLinks"))); });
    // A cell of an index's root that says its entry is shorter than it is, and a leaf below
    // that holds a wrong address and a wrong row id: the pages still tell what they can, the
    // row id no row lost.
    QTest::newRow("a leaf of an index of categories and the index's root damaged") << changed.arg("categories") << none
                                                                                   << Damaging([](Repair &r) {
        const QList<Damage::Page> roots = Damage::pages(r.edition, QStringLiteral("LksLksUrl"), QStringLiteral("internal"));
        QCOMPARE(roots.size(), 1);
        QByteArray bytes;
        QVERIFY(Damage::onPage(r.edition, roots.first(), 0, &bytes, true));
        QByteArray size(1, '\x06');   // after the cell's child
        QVERIFY(Damage::onPage(r.edition, roots.first(), qFromBigEndian<quint16>(bytes.constData() + 12) + 4, &size));
        // On a leaf whose count of free fragments is wrong: a letter of the first entry's
        // address, and the high byte of the second entry's row id, its last three bytes.
        const Damage::Page leaf = r.leaf(QStringLiteral("LksLksUrl"));
        QVERIFY(Damage::onPage(r.edition, leaf, 0, &bytes, true));
        const int first = Damage::number16(bytes, 8);
        const int second = Damage::number16(bytes, 10);
        QCOMPARE(bytes.mid(second + 1, 3).at(2), '\x03');   // a header of 3 bytes, a row id of 3
        bytes[7] = char(bytes.at(7) + 1);
        bytes[int(bytes.indexOf("http://", first)) + 5] = '?';
        bytes[second + uchar(bytes.at(second)) - 2] = char(bytes.at(second + uchar(bytes.at(second)) - 2) ^ 0x40);
        QVERIFY(Damage::onPage(r.edition, leaf, 0, &bytes));
        // A leaf of the other index of categories in doubt too: neither is read whole.
        const Damage::Page topics = r.leaf(QStringLiteral("LksTopicId"));
        QVERIFY(Damage::onPage(r.edition, topics, 7, &bytes, true));
        bytes = QByteArray(1, char(bytes.at(0) + 1));
        QVERIFY(Damage::onPage(r.edition, topics, 7, &bytes));
        r.changed = 1;
    });
    // The older leaf of an index still holds a category deleted since: the other index
    // tells that it was.
    QTest::newRow("a leaf of an index of categories from an older copy") << none << none << Damaging([](Repair &r) {
        const Damage::Page leaf = r.olderLeaf(QStringLiteral("LksLksUrl"), [&r](const Damage::Page &leaf) {
            // The second entry of the index's leaf, after the entries of the leaves before
            // it and the key of the root that follows each.
            QCOMPARE(Damage::pages(r.edition, QStringLiteral("LksLksUrl"), QStringLiteral("internal")).size(), 1);
            int rank = 1;
            for (const Damage::Page &page : Damage::pages(r.edition, QStringLiteral("LksLksUrl")))
                rank += page.path < leaf.path ? page.cells + 1 : 0;
            Damage::runSql(r.edition, QStringLiteral("DELETE FROM Lks WHERE rowid = (SELECT rowid FROM Lks ORDER BY "
                                                     "LksUrl, rowid LIMIT 1 OFFSET %1)").arg(rank));
        });
        QVERIFY(r.putOlder(leaf));
    });
    // An index wrong while every page of its table is sound: the rows are the table's.
    QTest::newRow("an index of section links whose entries name the next row") << none << none << Damaging([](Repair &r) {
        // Each entry's row id of one or two bytes, the last value of its record, made one
        // more; the payload's size, and the header's size and two types, take a byte each.
        r.twoSectionLists();
        for (const char *type : {"leaf", "internal"}) {
            for (const Damage::Page &page : Damage::pages(r.edition, QStringLiteral("NewsLinksTopicId"), type)) {
                QByteArray bytes;
                QVERIFY(Damage::onPage(r.edition, page, 0, &bytes, true));
                const int interior = bytes.at(0) == 0x02 ? 4 : 0;
                for (int i = 0; i < qFromBigEndian<quint16>(bytes.constData() + 3); ++i) {
                    const int cell = qFromBigEndian<quint16>(bytes.constData() + 8 + interior + 2 * i) + interior;
                    const int key = uchar(bytes.at(cell + 2));
                    const int id = uchar(bytes.at(cell + 3));
                    QVERIFY(bytes.at(cell + 1) == 3 && key <= 9);
                    if (id < 1 || id > 2)
                        continue;
                    const int at = cell + 4 + QList<int>{0, 1, 2, 3, 4, 6, 8, 8, 0, 0}.at(key);
                    int value = 1;
                    for (int k = 0; k < id; ++k)
                        value += uchar(bytes.at(at + k)) << (8 * (id - 1 - k));
                    for (int k = id - 1; k >= 0; --k, value >>= 8)
                        bytes[at + k] = char(value & 0xff);
                }
                QVERIFY(Damage::onPage(r.edition, page, 0, &bytes));
            }
        }
    });
    QTest::newRow("the index of Sub-Topics overwritten by a leaf of another") << none << none << Damaging([](Repair &r) {
        const QList<Damage::Page> index = Damage::pages(r.edition, QStringLiteral("SubTopicsGlobalTopicId"));
        QCOMPARE(index.size(), 1);
        QVERIFY(Damage::copyPage(r.edition, r.leaf(QStringLiteral("LksTopicId")), r.edition, index.first()));
    });
    QTest::newRow("an entry of the index of Sub-Topics out of order") << none << none << Damaging([](Repair &r) {
        // The key of the fourth entry, a number of one byte after the payload's size, the
        // header's size and the two types, made greater than the fifth's.
        const Damage::Page page = Damage::pages(r.edition, QStringLiteral("SubTopicsGlobalTopicId")).value(0);
        QByteArray bytes;
        QVERIFY(Damage::onPage(r.edition, page, 0, &bytes, true));
        const int cell = qFromBigEndian<quint16>(bytes.constData() + 8 + 2 * 3);
        QCOMPARE(bytes.mid(cell + 1, 2), QByteArray("\x03\x01"));
        QByteArray key("\x7f");
        QVERIFY(Damage::onPage(r.edition, page, cell + 4, &key));
    });
    QTest::newRow("a key of an index of categories shortened by a flip") << none << none << Damaging([](Repair &r) {
        // The type of the first entry's key, after the payload's size and the header's,
        // made one of four letters fewer: the entry's row id is read from its letters.
        const Damage::Page page = r.leaf(QStringLiteral("LksLksUrl"));
        QByteArray bytes;
        QVERIFY(Damage::onPage(r.edition, page, 0, &bytes, true));
        const int cell = qFromBigEndian<quint16>(bytes.constData() + 8);
        QCOMPARE(int(bytes.at(cell + 1)), 3);
        QByteArray type(1, char(uchar(bytes.at(cell + 2)) - 8));
        QVERIFY(Damage::onPage(r.edition, page, cell + 2, &type));
    });
    QTest::newRow("two entries of an index of categories naming one row") << changed.arg("categories") << none
                                                                          << Damaging([](Repair &r) {
        // The row id of a leaf's first entry, its last three bytes, made the second's: the
        // row the index names twice is told as changed, whichever entry it agrees with, and
        // so is the row it no longer names; none is lost. The other index of categories is
        // not read whole (a leaf's count of free fragments is wrong): it vouches for no row.
        const Damage::Page leaf = r.leaf(QStringLiteral("LksLksUrl"));
        QByteArray bytes;
        QVERIFY(Damage::onPage(r.edition, leaf, 0, &bytes, true));
        const int first = Damage::number16(bytes, 8);
        const int second = Damage::number16(bytes, 10);
        QCOMPARE(bytes.at(first + 3), '\x03');
        QCOMPARE(bytes.at(second + 3), '\x03');
        QByteArray id = bytes.mid(second + uchar(bytes.at(second)) - 2, 3);
        QVERIFY(Damage::onPage(r.edition, leaf, first + uchar(bytes.at(first)) - 2, &id));
        const Damage::Page topics = r.leaf(QStringLiteral("LksTopicId"));
        QVERIFY(Damage::onPage(r.edition, topics, 7, &bytes, true));
        bytes = QByteArray(1, char(bytes.at(0) + 1));
        QVERIFY(Damage::onPage(r.edition, topics, 7, &bytes));
        r.changed = 2;
    });
    // One bit flipped in the list of tables: the first letter of the categories' name
    // field, after its type; of the search links' first column in their declaration; the G
    // of the Topics' row id's INTEGER (row ids of Topics that a new table would not give);
    // the space after the news links' first column, which no declaration takes; the C of
    // their CREATE.
    QTest::newRow("a bit flipped in a table's name in the list of tables") << none << none
        << Damaging([](Repair &r) { QVERIFY(Damage::changeAt(r.edition, "tableLksLks", 5)); });
    QTest::newRow("a bit flipped in a column's name in the list of tables") << none << none
        << Damaging([](Repair &r) { QVERIFY(Damage::changeAt(r.edition, "SearchLinks (\n    topicid", 18)); });
    QTest::newRow("a bit flipped in the type of a row id column in the list of tables") << none << none << Damaging([](Repair &r) {
        Damage::runSql(r.edition, QStringLiteral("UPDATE Topics SET MainTopicId = MainTopicId + 10"));
        r.keepRows();
        QVERIFY(Damage::changeAt(r.edition, "MainTopicId INTEGER", 16));
    });
    QTest::newRow("a bit flipped in a table's declaration in the list of tables") << none << none
        << Damaging([](Repair &r) { QVERIFY(Damage::changeAt(r.edition, "NewsLinks (\n    topicid", 23)); });
    QTest::newRow("a bit flipped in a table's CREATE in the list of tables") << none << none
        << Damaging([](Repair &r) { QVERIFY(Damage::changeAt(r.edition, "CREATE TABLE NewsLinks", 0)); });
    // The list of tables only witnesses which tree is whose: each goes to the table whose
    // columns its rows fit and whose index names its row ids and keys.
    QTest::newRow("the roots of two section lists swapped in the list of tables") << none << none << Damaging([](Repair &r) {
        r.twoSectionLists();
        QVERIFY(Damage::swapRoots(r.edition, QStringLiteral("NewsLinks"), QStringLiteral("SearchLinks")));
    });
    QTest::newRow("the roots of the Topics and a section list swapped in the list of tables") << none << none
        << Damaging([](Repair &r) { QVERIFY(Damage::swapRoots(r.edition, QStringLiteral("Topics"), QStringLiteral("LocalLinks"))); });
    QTest::newRow("tables' lines in the list of tables that say view or index") << none << none << Damaging([](Repair &r) {
        QVERIFY(Damage::editSchema(r.edition, QStringLiteral("type = 'view'"), {"ColorLinks", "Sit"}));
        QVERIFY(Damage::editSchema(r.edition, QStringLiteral("type = 'index'"), {"Lks", "PersonalInformation"}));
    });
    QTest::newRow("the links' line in the list of tables made a view's, naming no root") << none << none << Damaging([](Repair &r) {
        QVERIFY(Damage::editSchema(r.edition, QStringLiteral("type = 'view', rootpage = 0, sql = 'CREATE VIEW Sit AS SELECT 1'"), {"Sit"}));
    });
    QTest::newRow("the links declared as a table of an unknown module") << none << none << Damaging([](Repair &r) {
        QVERIFY(Damage::editSchema(r.edition, QStringLiteral("rootpage = 0, sql = 'CREATE VIRTUAL TABLE Sit USING nosuchmodule(a)'"), {"Sit"}));
    });
    QTest::newRow("two column lines of the links' declaration swapped") << none << none << Damaging([](Repair &r) {
        QVERIFY(Damage::swapColumns(r.edition, QStringLiteral("Sit"), QStringLiteral("SitName"), QStringLiteral("SitUrl")));
        QVERIFY(r.damageIndex());
    });
    QTest::newRow("a computed column declared among the categories' columns") << none << none << Damaging([](Repair &r) {
        QVERIFY(Damage::editSchema(r.edition, QStringLiteral("sql = replace(sql, 'LksName TEXT COLLATE NOCASE,', "
                                                             "'LksName TEXT COLLATE NOCASE, Shown GENERATED ALWAYS AS (LksName) STORED,')"),
                                   {"Lks"}));
        QVERIFY(r.damageIndex());
    });
    QTest::newRow("an index's root in the list of tables made another index's") << none << none << Damaging([](Repair &r) {
        // The root page number in the list of tables of the empty local links' index, after
        // its names, made that of the categories' index of addresses.
        qint64 root = 0;
        Damage::runSql(r.edition, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'LksLksUrl'"),
                       [&root](const QSqlQuery &q) { root = q.value(0).toLongLong(); });
        QVERIFY(root > 0 && root < 128);
        const QByteArray names("indexLocalLinksTopicIdLocalLinks");
        QVERIFY(Damage::changeAt(r.edition, names, names.size(), QByteArray(1, char(root))));
    });
    // Header fields that are valid but wrong, and what the cells' own pointers tell over
    // a damaged count or list of free pages: every row comes back.
    QTest::newRow("reserved bytes 0 -> 32") << none << none
        << Damaging([](Repair &r) { QVERIFY(Damage::setHeader(r.edition, 20, "\x20")); });
    QTest::newRow("text encoding UTF-8 -> UTF-16le") << none << none
        << Damaging([](Repair &r) { QVERIFY(Damage::setHeader(r.edition, 59, "\x02")); });
    QTest::newRow("page size 4096 -> 1024") << none << none
        << Damaging([](Repair &r) { QVERIFY(Damage::setHeader(r.edition, 16, QByteArray("\x04\x00", 2))); });
    QTest::newRow("page size 4096 -> 65536") << none << none
        << Damaging([](Repair &r) { QVERIFY(Damage::setHeader(r.edition, 16, QByteArray("\x00\x01", 2))); });
    // Categories of a table dropped since, its pages free with their rows on them: a header
    // the repair doubts still names the list of free pages; without one, the rows found
    // outside the tables come back, told as such.
    const auto dropped = [](Repair &r, int at, const QByteArray &field) {
        const QString rows = QStringLiteral("SELECT LksId + 1000000, LksName, LksUrl, TopicId, IsTop, IsLeaf, LksDesc, Keyword FROM Lks");
        r.edit({"PRAGMA secure_delete = OFF", "CREATE TABLE Old (LksId INTEGER PRIMARY KEY, a, b, c, d, e, f, g)",
                "INSERT INTO Old " + rows, "DROP TABLE Old"});
        // The rows that may come back, as categories.
        r.older = r.app->file(QStringLiteral("Older.mdb"));
        QVERIFY(QFile::copy(r.edition, r.older));
        Damage::runSql(r.older, "INSERT INTO Lks " + rows);
        QVERIFY(Damage::setHeader(r.edition, at, field));
    };
    QTest::newRow("a dropped table's rows, reserved bytes 0 -> 32") << none << none
        << Damaging([=](Repair &r) { dropped(r, 20, "\x20"); });
    QTest::newRow("a dropped table's rows, no list of free pages")
        << "\nFound outside the edition's tables, and recovered (they may be rows deleted before the damage):\n  "
           "categories: 2939"
        << none << Damaging([=](Repair &r) {
               dropped(r, 32, QByteArray(4, 0));
               r.back.insert(QStringLiteral("Lks"), 2939);
           });
    QTest::newRow("a leaf of links that says it holds 65535 rows") << none << none
        << Damaging([](Repair &r) { QVERIFY(Damage::setCellCount(r.edition, r.leaf(QStringLiteral("Sit")), 65535)); });
    QTest::newRow("a list of free pages that names overflow pages of links") << none << none << Damaging([](Repair &r) {
        // Ten overflow pages added to the first page of the list of free pages, which holds
        // pages of a dropped table.
        r.sitesTwoToAPage(true, {"CREATE TABLE Old AS SELECT * FROM Lks", "DROP TABLE Old"});
        QByteArray header;
        QVERIFY(Damage::onPage(r.edition, Damage::Page{1, 0, 4096, {}}, 32, &header, true));
        const Damage::Page trunk{int(qFromBigEndian<quint32>(header.constData())), 0, 4096, {}};
        QByteArray count;
        QVERIFY(Damage::onPage(r.edition, trunk, 4, &count, true));
        const int leaves = int(qFromBigEndian<quint32>(count.constData()));
        const QList<Damage::Page> overflow = Damage::pages(r.edition, QStringLiteral("Sit"), QStringLiteral("overflow"));
        QVERIFY(trunk.number > 0 && leaves + 10 < 1000 && overflow.size() > 10);
        QByteArray numbers(40, 0);
        for (int i = 0; i < 10; ++i)
            qToBigEndian<quint32>(overflow.at(i).number, numbers.data() + 4 * i);
        qToBigEndian<quint32>(leaves + 10, count.data());
        QVERIFY(Damage::onPage(r.edition, trunk, 8 + 4 * leaves, &numbers));
        count.truncate(4);
        QVERIFY(Damage::onPage(r.edition, trunk, 4, &count));
    });
    QTest::newRow("nothing readable")
        << none
        << "The edition database Sample_Links.mdb is damaged so badly that nothing in it can be read, so it could not be "
           "repaired.\nIt was left exactly as it was."
        << Damaging([](Repair &r) { r.app->writeFile(QStringLiteral("Sample_Links.mdb"), "a few bytes of text"); });
    QTest::newRow("an empty file")
        << none
        << "The edition database Sample_Links.mdb is empty (0 bytes): nothing in it can be read, so it could not be "
           "repaired.\nIt was left exactly as it was."
        << Damaging([](Repair &r) { r.app->writeFile(QStringLiteral("Sample_Links.mdb"), ""); });
    // What the file's own pages tell over its header, and values that are not what they seem.
    QTest::newRow("an overflow page of links zeroed, two links of one long summary") << "\n  links: 1" << none << Damaging([](Repair &r) {
        // A page of zeros is what a free page reads as; two links of one summary hold it on
        // overflow pages alike, which is no damage.
        r.sitesTwoToAPage(true, {"UPDATE Sit SET Summary = (SELECT Summary FROM Sit WHERE SitId = 100100) WHERE SitId = 100150"});
        const QList<Damage::Page> overflow = Damage::pages(r.edition, QStringLiteral("Sit"), QStringLiteral("overflow"));
        QSet<QByteArray> distinct;
        for (const Damage::Page &page : overflow) {
            QByteArray bytes;
            QVERIFY(Damage::onPage(r.edition, page, 0, &bytes, true));
            distinct.insert(bytes);
        }
        QCOMPARE(distinct.size(), overflow.size() - 1);
        QByteArray zeros(4096, 0);
        QVERIFY(Damage::onPage(r.edition, overflow.at(0), 0, &zeros));
        QVERIFY(r.damageIndex());
        r.lost.insert(QStringLiteral("Sit"), 1);
    });
    QTest::newRow("a link's overflow pointer moved to another's chain of the same text")
        << "\nRecovered, but a long value of each runs on through pages that another row's value also runs through, so "
           "one of the two may hold the other's text:\n  links: 1"
        << none << Damaging([](Repair &r) {
               // The second link's value read through the first's pages is the same text, but
               // which link the pages were written for is not known.
               r.sitesTwoToAPage(true, {"UPDATE Sit SET Summary = (SELECT Summary FROM Sit WHERE SitId = 100100) WHERE SitId = 100150"});
               QHash<QByteArray, int> firstOf;
               QByteArray first, second(4, 0);
               for (const Damage::Page &page : Damage::pages(r.edition, QStringLiteral("Sit"), QStringLiteral("overflow"))) {
                   QByteArray bytes;
                   QVERIFY(Damage::onPage(r.edition, page, 0, &bytes, true));
                   if (firstOf.contains(bytes)) {
                       first = QByteArray(4, 0);
                       qToBigEndian<quint32>(firstOf.value(bytes), first.data());
                       qToBigEndian<quint32>(page.number, second.data());
                   }
                   firstOf.insert(bytes, page.number);
               }
               // The pointer follows the last hex digit the cell's page holds of the summary.
               QFile file(r.edition);
               QVERIFY(!first.isEmpty() && file.open(QIODevice::ReadWrite));
               const QByteArray all = file.readAll();
               qsizetype at = all.indexOf(second);
               while (at > 0 && !std::isxdigit(uchar(all.at(at - 1))))
                   at = all.indexOf(second, at + 1);
               QVERIFY(at > 0 && file.seek(at) && file.write(first) == 4);
           });
    QTest::newRow("a leaf of links whose header says it is empty") << "\n  links: up to %1" << none << Damaging([](Repair &r) {
        // No free block, no cell, the content starting at the page's end, no fragment.
        const Damage::Page page = r.leaf(QStringLiteral("Sit"));
        QByteArray header = QByteArray::fromHex("00000000100000");
        QVERIFY(Damage::onPage(r.edition, page, 1, &header));
        r.lost.insert(QStringLiteral("Sit"), page.cells);
    });
    QTest::newRow("two cells of a leaf of categories out of order") << "\n  categories: 1" << none << Damaging([](Repair &r) {
        // Of two rows of one leaf that the indexes hold, the second's place comes first.
        const Damage::Page page = r.leaf(QStringLiteral("Lks"));
        QByteArray pointers;
        QVERIFY(Damage::onPage(r.edition, page, 8, &pointers, true));
        QByteArray swapped = pointers.mid(2, 2) + pointers.left(2);
        QVERIFY(Damage::onPage(r.edition, page, 8, &swapped));
        r.lost.insert(QStringLiteral("Lks"), 1);
    });
    QTest::newRow("reserved bytes 32 -> 0") << none << none << Damaging([](Repair &r) {
        QVERIFY(Damage::vacuum(r.edition, 4096, 32));
        QVERIFY(Damage::setHeader(r.edition, 20, QByteArray(1, 0)));
    });
    QTest::newRow("an edition of 32768-byte pages with one of 4096-byte pages after it") << none << none << Damaging([](Repair &r) {
        const QString appended = r.app->file(QStringLiteral("Appended.mdb"));
        QVERIFY(QFile::copy(r.edition, appended));
        QVERIFY(Damage::vacuum(r.edition, 32768));
        QVERIFY(r.damageIndex());
        QFile file(r.edition);
        QVERIFY(file.open(QIODevice::Append) && file.write(r.app->readFile(QStringLiteral("Appended.mdb"))) > 0);
    });
    // The larger edition after it, of smaller pages, parses on more pages than the edition
    // itself: the header's page count, which the edition's trees reach, still tells its size.
    QTest::newRow("an edition of 8192-byte pages with a larger one of 4096-byte pages after it") << none << none << Damaging([](Repair &r) {
        const QString appended = r.app->file(QStringLiteral("Appended.mdb"));
        QVERIFY(QFile::copy(r.edition, appended));
        Damage::runSql(appended, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                                "INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) "
                                                "SELECT 1, 'Link ' || i, 'http://n/' || i, 'a', 'b' FROM n"));
        QVERIFY(Damage::vacuum(r.edition, 8192));
        QVERIFY(r.damageIndex());
        QFile file(r.edition);
        QVERIFY(file.open(QIODevice::Append) && file.write(r.app->readFile(QStringLiteral("Appended.mdb"))) > 0);
    });
    QTest::newRow("a UTF-16 edition with an index damaged") << none << none << Damaging([](Repair &r) {
        r.inUtf16();
        QVERIFY(r.damageIndex());
    });
}

void TestEditionRepair::repairRecoversEveryReadableRow()
{
    QFETCH(QString, lostText);
    QFETCH(QString, unreadable);
    QFETCH(Damaging, damage);
    Repair r;
    r.app = m_app.get();
    r.edition = edition();
    r.keepRows();
    damage(r);
    if (QTest::currentTestFailed())
        return;
    const QByteArray damaged = m_app->readFile(QStringLiteral("Sample_Links.mdb"));

    EditionCompaction repair = compaction();
    if (!unreadable.isEmpty()) {
        QCOMPARE(repair.run(), EditionCompaction::Result::Unreadable);
        QCOMPARE(repair.message(), unreadable);
        QCOMPARE(m_app->readFile(QStringLiteral("Sample_Links.mdb")), damaged);
        QVERIFY(!QFileInfo::exists(m_app->file(QStringLiteral("Backup"))));
        QCOMPARE(leftovers(m_app->path()), QStringList());
        return;
    }
    QCOMPARE(repair.run(), EditionCompaction::Result::Repaired);
    QCOMPARE(openUnder(m_app->path()), QStringList());

    // Every row is one of the edition's (or of the older copy put in), and only the rows
    // of the damaged pages are missing.
    const QStringList after = EditionSnapshot(edition());
    QSet<QString> known(r.before.cbegin(), r.before.cend());
    if (!r.older.isEmpty())
        for (const QString &row : EditionSnapshot(r.older))
            known.insert(row);
    for (const QString &row : after)
        QVERIFY2(known.contains(row), qPrintable(row));
    QMap<QString, int> expected = countsOf(r.before);
    for (auto it = expected.begin(); it != expected.end();) {
        it.value() += r.back.value(it.key()) - r.lost.value(it.key());
        it = it.value() == 0 ? expected.erase(it) : std::next(it);
    }
    QCOMPARE(countsOf(after), expected);
    QVERIFY(IsEditionFile(edition()));
    QVERIFY(ScratchConnection(edition()).intact());

    // The damaged file is kept beside the backups, and the user reads what came back, by
    // what it holds: the categories and links left, 30 section links.
    QVERIFY(repair.damagedCopy().startsWith(m_app->file(QStringLiteral("Backup/Sample_Links.mdb.damaged-"))));
    QCOMPARE(m_app->readFile(QDir(m_app->path()).relativeFilePath(repair.damagedCopy())), damaged);
    QString recovered = QStringLiteral("\n  Topics: 3\n  Sub-Topics: 7\n  categories: %2\n  links: %1\n  places of links in "
                                       "categories: 29").arg(expected.value(QStringLiteral("Sit"))).arg(expected.value(QStringLiteral("Lks")));
    if (r.sectionLinks > 0)
        recovered += QStringLiteral("\n  section links: %1\n  colour schemes: 7")
                         .arg(r.sectionLinks - r.lost.value(QStringLiteral("FavoriteLinks")) - r.lost.value(QStringLiteral("NewsLinks"))
                              - r.lost.value(QStringLiteral("SearchLinks")));
    QCOMPARE(repair.message(),
             QStringLiteral("The edition database Sample_Links.mdb ") + r.opening
                 + (lostText.isEmpty() ? QStringLiteral(" Every row that could still be read was recovered")
                                       : QStringLiteral(" Its readable rows were recovered"))
                 + QStringLiteral(" into a fresh copy of the edition, which is now in use.\nRecovered:") + recovered
                 + (lostText.startsWith(QLatin1String("\n  ")) ? QStringLiteral("\nCould not be read:") : QString())
                 + lostText.replace(QLatin1String("%1"), QString::number(r.lost.value("Sit")))
                       .replace(QLatin1String("%2"), QString::number(r.unplaced))
                       .replace(QLatin1String("%3"), QString::number(r.changed))
                       .replace(QLatin1String("%4"), QString::number(r.clashed))
                       .replace(QLatin1String("%5"), QString::number(r.lost.value("Lks")))
                 + QStringLiteral("\nThe damaged file was kept as:\n") + repair.damagedCopy());
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

void TestEditionRepair::storedQueryIsNeverRun_data()
{
    QTest::addColumn<QString>("declaration");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("lostLine");
    QTest::newRow("a table made from a query") << "CREATE TABLE Extra AS SELECT 7 AS a" << 0 << "\n  Extra: an unknown number\n";
    QTest::newRow("a check its row fails") << "CREATE TABLE Extra (a CHECK (a < 0))" << 1 << QString();
    // The row holds one value: the second column would take its default, which fails.
    QTest::newRow("a default that fails")
        << "CREATE TABLE Extra (a, b DEFAULT (abs(-9223372036854775807 - 1)))" << 1 << QString();
}

// A damaged file's schema is not trusted: no table declared by a query is made again, and
// no expression of it runs.
void TestEditionRepair::storedQueryIsNeverRun()
{
    QFETCH(QString, declaration);
    QFETCH(int, rows);
    QFETCH(QString, lostLine);
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(ExecSql(QStringLiteral("CREATE TABLE Extra (a)")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Extra VALUES (5)")));
    CloseDatabase();
    QVERIFY(Damage::overwritePage(edition(), Damage::middleLeaf(edition(), QStringLiteral("Sit"))));
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    QVERIFY(ExecSql(QStringLiteral("PRAGMA writable_schema = ON")));
    QVERIFY(ExecSql(QStringLiteral("UPDATE sqlite_master SET sql = ? WHERE name = 'Extra'"), {declaration}));
    CloseDatabase();

    EditionCompaction repair = compaction();
    QCOMPARE(repair.run(), EditionCompaction::Result::Repaired);
    QCOMPARE(countsOf(EditionSnapshot(edition())).value(QStringLiteral("Extra")), rows);
    QVERIFY(repair.message().contains(QStringLiteral("\nCould not be read:\n  links: up to ")));
    if (lostLine.isEmpty())
        QVERIFY2(repair.message().contains(QStringLiteral("\n  Extra: 1\n"))
                     && !repair.message().contains(QStringLiteral("\n  Extra: an")) && !repair.message().contains(QStringLiteral("bore")),
                 qPrintable(repair.message()));
    else
        QVERIFY(repair.message().contains(lostLine));
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
