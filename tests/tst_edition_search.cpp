// The edition search dialog: hits from filed links and section links, the keyword box's
// Enter key, sorting by either column, opening a hit and reading or changing a notation.

#include "form1_support.h"
#include "testhelper.h"
#include "webtools_support.h"

#include "editing/form31_notation.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "webtools/form16_edition_search.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

QStringList listRows(const QTreeWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(0) + QLatin1Char('|') + list->topLevelItem(i)->text(1);
    return rows;
}

void clickHeader(QTreeWidget *list, int section)
{
    QHeaderView *header = list->header();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QPoint rowPoint(QTreeWidget *list, int row)
{
    return list->visualItemRect(list->topLevelItem(row)).center();
}

} // namespace

class TestEditionSearch : public Form1Test::WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void hitsOfLinksAndSections();
    void keywordBoxAndEnter();
    void sortOrders();
    void goOpensTheHit();
    void notations();

private:
    void search(const QString &keyword);
    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<FakeWebToolsHost> m_host;
    std::unique_ptr<Form16> m_dialog;
};

void TestEditionSearch::init()
{
    m_folder = std::make_unique<TestProgramFolder>();
    m_folder->makeEdition(QStringLiteral("search.mdb"));
    QVERIFY(OpenEdition(QStringLiteral("search.mdb")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, Keyword) "
                                   "VALUES (1, 'Money', 'Money', 1, 'money|bank')")));
    const QList<QVariantList> sites = {
        {1, QStringLiteral("My Bank"), QStringLiteral("http://mybank.test/"), QString()},
        {2, QStringLiteral("Loans"), QStringLiteral("http://loans.test/"), QStringLiteral("rates of the bank")},
        {3, QStringLiteral("Fishing"), QStringLiteral("http://fish.test/"), QStringLiteral("rivers")},
        {4, QStringLiteral("O'Neil Books"), QStringLiteral("http://oneil.test/"), QString()},
        {5, QStringLiteral("Two Words"), QStringLiteral("http://words.test/"), QString()},
    };
    for (const QVariantList &site : sites)
        QVERIFY(ExecSql(QStringLiteral("INSERT INTO Sit (SitId, SitName, SitUrl, Summary) VALUES (?, ?, ?, ?)"), site));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO NewsLinks (topicid, LinkName, LinkUrl) VALUES "
                                   "(1, 'Banking news', 'http://news.test/'), (1, 'Bank slot', '  ')")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO LocalLinks (topicid, LinkName, LinkUrl) VALUES "
                                   "(2, 'Zeta bank', 'http://a.test/')")));
    m_host = std::make_unique<FakeWebToolsHost>();
    m_dialog = std::make_unique<Form16>(m_host.get());
    m_dialog->Form_Load();
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
}

void TestEditionSearch::cleanup()
{
    m_dialog.reset();
    m_host.reset();
    RemoveProgramFolder(m_folder, true);
}

void TestEditionSearch::search(const QString &keyword)
{
    m_dialog->Text1->clear();
    QTest::keyClicks(m_dialog->Text1, keyword);
    QTest::mouseClick(m_dialog->Command1, Qt::LeftButton);
}

void TestEditionSearch::hitsOfLinksAndSections()
{
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Search Current Edition (Sample Edition)"));
    QVERIFY(!m_dialog->Command3->isEnabled());
    search(QStringLiteral("BANK"));
    // Name and notation matches of filed links, section links with an address; a blank
    // section slot is left out.
    QCOMPARE(listRows(m_dialog->ListView1),
             QStringList({QStringLiteral("Banking news|http://news.test/"), QStringLiteral("Loans|http://loans.test/"),
                          QStringLiteral("My Bank|http://mybank.test/"), QStringLiteral("Zeta bank|http://a.test/")}));
    QCOMPARE(m_dialog->ListView1->selectedItems().value(0), m_dialog->ListView1->topLevelItem(0));
    QCOMPARE(m_dialog->Label2->text(), QStringLiteral("4 items found."));
    QCOMPARE(CurrentSectionTable, QStringLiteral("LocalLinks"));
    QVERIFY(m_dialog->Command3->isEnabled());

    search(QStringLiteral("o'neil"));
    QCOMPARE(listRows(m_dialog->ListView1), QStringList({QStringLiteral("O'Neil Books|http://oneil.test/")}));
    QCOMPARE(m_dialog->Label2->text(), QStringLiteral("1 items found."));

    search(QStringLiteral("nothing like it"));
    QCOMPARE(m_dialog->ListView1->topLevelItemCount(), 0);
    QCOMPARE(m_dialog->Label2->text(), QString());

    // A section table, or the links' own table, that cannot be read: the search is said to be incomplete.
    for (const QString table : {"LocalLinks", "Sit"}) {
        QVERIFY(ExecSql("DROP TABLE " + table));
        DialogScript::answer(vbOK);
        search(QStringLiteral("BANK"));
        QVERIFY2(DialogScript::last().prompt.startsWith("The edition could not be searched completely.\n\nno such table: "
                                                        + table),
                 qPrintable(DialogScript::last().prompt));
    }
}

void TestEditionSearch::keywordBoxAndEnter()
{
    // Enter with blanks only does nothing; the Search button searches the blanks.
    QTest::keyClicks(m_dialog->Text1, QStringLiteral(" "));
    QTest::keyClick(m_dialog->Text1, Qt::Key_Return);
    QCOMPARE(m_dialog->ListView1->topLevelItemCount(), 0);
    QVERIFY(m_dialog->isVisible());
    QTest::mouseClick(m_dialog->Command1, Qt::LeftButton);
    QCOMPARE(m_dialog->Label2->text(), QStringLiteral("6 items found."));

    // Enter with a word searches it.
    m_dialog->Text1->clear();
    QTest::keyClicks(m_dialog->Text1, QStringLiteral("fish"));
    QTest::keyClick(m_dialog->Text1, Qt::Key_Return);
    QCOMPARE(listRows(m_dialog->ListView1), QStringList({QStringLiteral("Fishing|http://fish.test/")}));

    // An empty box is refused with a message.
    DialogScript::answer(vbOK);
    search(QString());
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Please enter a keyword to search."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Search Error"));
    QCOMPARE(m_dialog->ListView1->topLevelItemCount(), 0);
}

void TestEditionSearch::sortOrders()
{
    search(QStringLiteral("bank"));
    QTreeWidget *list = m_dialog->ListView1;
    clickHeader(list, 0);   // Title, descending
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Zeta bank"));
    QCOMPARE(list->header()->sortIndicatorSection(), 0);
    QCOMPARE(list->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    clickHeader(list, 1);   // URL, ascending
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("http://a.test/"));
    QCOMPARE(list->topLevelItem(3)->text(1), QStringLiteral("http://news.test/"));
    QCOMPARE(list->header()->sortIndicatorSection(), 1);
    clickHeader(list, 0);   // Title, ascending
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Banking news"));
    QCOMPARE(list->header()->sortIndicatorOrder(), Qt::AscendingOrder);
}

void TestEditionSearch::goOpensTheHit()
{
    search(QStringLiteral("fish"));
    QTest::mouseClick(m_dialog->Command3, Qt::LeftButton);
    const QPoint row = rowPoint(m_dialog->ListView1, 0);
    QTest::mouseClick(m_dialog->ListView1->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(m_dialog->ListView1->viewport(), Qt::LeftButton, {}, row);
    QCOMPARE(m_host->opened, QStringList({QStringLiteral("http://fish.test/"), QStringLiteral("http://fish.test/")}));
    QVERIFY(m_dialog->isVisible());
}

void TestEditionSearch::notations()
{
    // The tree last selected a category: the notation must still go to the link.
    SelectedNodePath = QStringLiteral("Money");
    NotationIsSite = 0;
    search(QStringLiteral("loans"));
    QTreeWidget *list = m_dialog->ListView1;
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, rowPoint(list, 0));
    QVERIFY(m_dialog->mnuPopUp->isVisible());
    QCOMPARE(NotationText, QStringLiteral("rates of the bank"));
    m_dialog->mnuPopUp->hide();
    {
        Form1Test::OnModal<Form31> edit([](Form31 *box) {
            QCOMPARE(box->Text1->toPlainText(), QStringLiteral("rates of the bank"));
            box->Text1->selectAll();
            QTest::keyClicks(box->Text1, QStringLiteral("low rates"));
            QTest::mouseClick(box->Command1, Qt::LeftButton);
        });
        m_dialog->mnuPopUpReadNotation->trigger();
        QVERIFY(edit.seen);
    }
    QCOMPARE(QueryRows(QStringLiteral("SELECT Summary FROM Sit WHERE SitId = 2")), QStringList({"low rates"}));
    QCOMPARE(QueryRows(QStringLiteral("SELECT Keyword FROM Lks WHERE LksId = 1")), QStringList({"money|bank"}));
    QCOMPARE(SelectedNodePath, QStringLiteral("Money"));
    QCOMPARE(NotationIsSite, 0);

    // A section hit has no notation: the box shows an empty text and cannot store one.
    search(QStringLiteral("banking"));
    m_dialog->Timer1_Timer();   // the double-click time of the earlier right click is over
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, rowPoint(list, 0));
    QVERIFY(m_dialog->mnuPopUp->isVisible());
    m_dialog->mnuPopUp->hide();
    {
        Form1Test::OnModal<Form31> show([](Form31 *box) {
            QCOMPARE(box->Text1->toPlainText(), QString());
            QVERIFY(!box->Command1->isEnabled());
            QTest::mouseClick(box->Command2, Qt::LeftButton);
        });
        m_dialog->mnuPopUpReadNotation->trigger();
        QVERIFY(show.seen);
    }
    QCOMPARE(QueryRows(QStringLiteral("SELECT Keyword FROM Lks WHERE LksId = 1")), QStringList({"money|bank"}));
}

QTEST_MAIN(TestEditionSearch)
#include "tst_edition_search.moc"
