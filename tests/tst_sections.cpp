// The page's section links, section headers and colour scheme: their dialogs, what they
// store and the page built from it.
#include "form1_support.h"
#include "testhelper.h"

#include "editing/colour_schemes.h"
#include "mainwindow/form1_page_section_host.h"
#include "editing/form23_section_headers.h"
#include "editing/form5_section_links.h"
#include "editing/form7_color_scheme.h"
#include "editing/page_section_commands.h"
#include "editing/section_links.h"
#include "mainwindow/form1.h"
#include "pages/topic_page_builder.h"
#include "mainwindow/topic_selection.h"
#include "platform/dialogs.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QColorDialog>
#include <QtTest>

#include <memory>

using namespace Form1Test;

namespace {

const qint32 kTopicId = 3;
const qint32 kSubTopicId = 7;
const QString kTopic = QStringLiteral("Music");
const QString kSubTopic = QStringLiteral("Rock Bands");

// The main window as the page commands see it, building pages as the Sub-Topic list does.
class TestHost : public PageSectionHost
{
public:
    QString topic = kTopic;
    QString subTopic = kSubTopic;
    QStringList navigated;
    int refreshes = 0;
    int reselections = 0;
    TopicPageBuilder builder;

    QWidget *window() override { return nullptr; }
    QString topicText() const override { return topic; }
    qint32 topicId() const override { return kTopicId; }
    QString subTopicText() const override { return subTopic; }
    bool WriteLinksXml(const QString &f, const QString &r) override { return builder.WriteLinksXml(f, r); }
    bool TransformXml(const QString &x, const QString &s, const QString &o) override
    {
        return builder.TransformXml(x, s, o);
    }
    void navigate(const QString &path) override { navigated.append(path); }
    void refresh() override { ++refreshes; }
    void Combo2_Click() override
    {
        ++reselections;
        CurrentPageFile = PageFileName(subTopic, CurrentSubTopicId);
        if (!FileExistsNonEmpty(GetAppPath() + CurrentPageFile)) {
            QStringList h;
            if (TopicSelection::sectionCaptions(CurrentSubTopicId, &h))
                builder.BuildPageStylesheet(QStringLiteral("tpmaster.xsl"), h[0], h[1], h[2], h[3], h[4], h[5],
                                            QString());
            builder.PrepareTopicHomePage(CurrentSubTopicId);
        }
        navigate(GetAppPath() + CurrentPageFile);
    }
};

QString pageText(const TestProgramFolder &home)
{
    return QString::fromUtf8(home.readFile(CurrentPageFile));
}

QList<QStringList> sectionRows(const QString &table)
{
    QList<QStringList> rows;
    Recordset rs;
    rs.open(QStringLiteral("SELECT LinkName, LinkUrl, FieldName1, FieldName2 FROM %1 WHERE topicid = ? ORDER BY rowid")
                .arg(table),
            {kSubTopicId});
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        rows.append({rs.text(QStringLiteral("LinkName")), rs.text(QStringLiteral("LinkUrl")),
                     rs.text(QStringLiteral("FieldName1")), rs.text(QStringLiteral("FieldName2"))});
    return rows;
}

QString colour(int column)
{
    return QueryValue(QStringLiteral("SELECT color%1 FROM ColorLinks WHERE TopicId = ?").arg(column), {kSubTopicId})
        .toString();
}

} // namespace

class TestSections : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void editEachSection_data();
    void editEachSection();
    void namesRoundTrip_data();
    void namesRoundTrip();
    void addressRules();
    void incompleteSections();
    void failedSaveChangesNothing();
    void cancelAndMissingPage();

    void headersChanged();
    void headerChecks_data();
    void headerChecks();
    void headerCancelAndNulls();
    void boxesTakeNoMoreThanTheirLimit_data();
    void boxesTakeNoMoreThanTheirLimit();

    void presets_data();
    void presets();
    void customColour();
    void colourSchemeWithoutRow();

    void throughMainWindow();

private:
    // A fresh edition with one Sub-Topic whose page has been built.
    void makeSubTopic();

    std::unique_ptr<TestProgramFolder> m_home;
    std::unique_ptr<TestHost> m_host;
};

void TestSections::init()
{
    m_home = std::make_unique<TestProgramFolder>();
    m_host = std::make_unique<TestHost>();
    m_host->builder.setReportFailures(false);
    makeSubTopic();
}

void TestSections::cleanup()
{
    m_host.reset();
    RemoveProgramFolder(m_home);
}

void TestSections::makeSubTopic()
{
    m_home->makeEdition(QStringLiteral("test.mdb"));
    QVERIFY(OpenEdition(QStringLiteral("test.mdb")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Topics (MainTopicId, TopicName) VALUES (?, ?)"), {kTopicId, kTopic}));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO SubTopics VALUES (?, ?, ?, 'Information Websites', 'Search Websites', "
                                   "'Organization Websites', 'Related Websites', 'Popular Websites', 'Local Websites')"),
                    {kSubTopicId, kTopicId, kSubTopic}));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO ColorLinks VALUES (?, 'bb99bb', 'aa33ee', '8a2be2', ?)"),
                    {kSubTopicId, kSubTopic}));
    CurrentSubTopicId = kSubTopicId;
    SectionDialogChanged = 0;
    m_host->Combo2_Click();
    QVERIFY2(FileExistsNonEmpty(m_home->file(CurrentPageFile)), qPrintable(m_host->builder.lastError()));
    m_host->navigated.clear();
    m_host->reselections = 0;
}

// ---- Section links --------------------------------------------------------------------------

void TestSections::editEachSection_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("caption");
    QTest::newRow("1") << 0 << "NewsLinks" << "Update Section 1 Links";
    QTest::newRow("2") << 1 << "SearchLinks" << "Update Section 2 Links";
    QTest::newRow("3") << 2 << "OrganizationLinks" << "Update Section 3 Links";
    QTest::newRow("4") << 3 << "RelatedLinks" << "Update Section 4 Links";
    QTest::newRow("5") << 4 << "FavoriteLinks" << "Update Section 5 Links";
    QTest::newRow("6") << 5 << "LocalLinks" << "Update Section 6 Links";
}

void TestSections::editEachSection()
{
    QFETCH(int, index);
    QFETCH(QString, table);
    QFETCH(QString, caption);

    QString shownCaption;
    QStringList shownNames;
    OnModal<Form5> seen([&](Form5 *dialog) {
        shownCaption = dialog->windowTitle();
        for (int i = 0; i < 5; ++i) {
            shownNames << dialog->Text1[i]->text();
            dialog->Text1[i]->setText(QStringLiteral("Site %1 of %2").arg(i + 1).arg(table));
            dialog->Text2[i]->setText(QStringLiteral("www.example.org\\%1\\%2").arg(table).arg(i + 1));
        }
        dialog->Command1->click();
    });
    PageSectionCommands::mnuEditLinks_Click(*m_host, index);

    QVERIFY(seen.seen);
    QCOMPARE(CurrentSectionTable, table);
    QCOMPARE(shownCaption, caption);
    // The page build had given the section its five rows.
    QCOMPARE(shownNames, (QStringList{"Link1", "Link2", "Link3", "Link4", "Link5"}));
    QCOMPARE(SectionDialogChanged, 1);

    const QList<QStringList> rows = sectionRows(table);
    QCOMPARE(rows.size(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(rows[i][0], QStringLiteral("Site %1 of %2").arg(i + 1).arg(table));
        QCOMPARE(rows[i][1], QStringLiteral("www.example.org/%1/%2").arg(table).arg(i + 1));
        QCOMPARE(rows[i][2], QStringLiteral("name%1").arg(i + 1));
    }
    // The other sections keep their rows.
    for (const PageSection &other : SectionLinks::sections())
        if (other.table != table)
            QCOMPARE(sectionRows(other.table).first().first(), QStringLiteral("Link1"));

    // The page was built again with the new links and shown.
    QCOMPARE(m_host->navigated, QStringList{GetAppPath() + CurrentPageFile});
    const QString page = pageText(*m_home);
    for (int i = 1; i <= 5; ++i)
        QVERIFY(page.contains(QStringLiteral("Site %1 of %2").arg(i).arg(table)));
    QVERIFY(page.contains(QStringLiteral("http://www.example.org/%1/5").arg(table)));
}

void TestSections::namesRoundTrip_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("onPage");
    QTest::newRow("ampersand") << "Fish & Chips" << "Fish &amp; Chips" << "Fish &amp; Chips";
    QTest::newRow("angles") << "a < b > c" << "a &lt; b &gt; c" << "a &lt; b &gt; c";
    QTest::newRow("all three") << "<&>" << "&lt;&amp;&gt;" << "&lt;&amp;&gt;";
    // Text that looks like an entity is kept as typed.
    QTest::newRow("typed entity") << "&lt;" << "&amp;lt;" << "&amp;lt;";
    QTest::newRow("typed amp entity") << "x &amp; y" << "x &amp;amp; y" << "x &amp;amp; y";
}

void TestSections::namesRoundTrip()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, onPage);

    CurrentSectionTable = QStringLiteral("SearchLinks");
    SectionEditorCaption = QStringLiteral("Update Section 2 Links");
    // Load and save through the editor three times without touching anything.
    for (int round = 0; round < 3; ++round) {
        Form5 dialog;
        dialog.Form_Load();
        if (round == 0)
            dialog.Text1[2]->setText(typed);
        else
            QCOMPARE(dialog.Text1[2]->text(), typed);
        dialog.Command1_Click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(sectionRows(QStringLiteral("SearchLinks"))[2][0], stored);
    }

    PageSectionCommands::rebuildPage(*m_host, false);
    QVERIFY(pageText(*m_home).contains(QStringLiteral(">") + onPage + QStringLiteral("<")));
}

void TestSections::addressRules()
{
    CurrentSectionTable = QStringLiteral("NewsLinks");
    Form5 dialog;
    dialog.Form_Load();
    dialog.Text1[0]->setText(QStringLiteral("one"));
    dialog.Text2[0]->setText(QString(200, QLatin1Char('a')));
    const QString tooLong = QStringLiteral("www.example.org/") + QString(185, QLatin1Char('b'));
    QCOMPARE(tooLong.size(), 201);
    dialog.Text2[1]->setText(tooLong);
    dialog.Text2[3]->setText(QString(300, QLatin1Char('c')));

    // The first address over 200 characters is named; nothing is written.
    DialogScript::answer(vbOK);
    dialog.Command1_Click();
    QCOMPARE(DialogScript::last().title, QStringLiteral("Website Address Error"));
    QCOMPARE(DialogScript::last().prompt,
             QStringLiteral("The Website Address:\n\n") + tooLong
                 + QStringLiteral("\n\nexceeds the character length of this field. The Website Address field is limited "
                                  "to 200 characters.\n\nPlease reduce the character length of the Website Address "
                                  "field to allow the link to operate."));
    QCOMPARE(DialogScript::last().buttons, int(vbOKOnly));
    QCOMPARE(sectionRows(QStringLiteral("NewsLinks"))[0][0], QStringLiteral("Link1"));
    QCOMPARE(SectionDialogChanged, 0);
    QCOMPARE(dialog.Text2[1]->text(), tooLong);

    // Exactly 200 characters are accepted.
    dialog.Text2[1]->setText(QStringLiteral("c:\\pages\\index.htm"));
    dialog.Text2[3]->clear();
    dialog.Command1_Click();
    QCOMPARE(SectionDialogChanged, 1);
    const QList<QStringList> rows = sectionRows(QStringLiteral("NewsLinks"));
    QCOMPARE(rows[0][1], QString(200, QLatin1Char('a')));
    QCOMPARE(rows[1][1], QStringLiteral("c:/pages/index.htm"));

    Form5 again;
    again.Form_Load();
    QCOMPARE(again.Text2[1]->text(), QStringLiteral("c:/pages/index.htm"));
    QCOMPARE(again.Text1[3]->text(), QStringLiteral("Link4"));
    QCOMPARE(again.Text1[0]->maxLength(), 35);

    // A name longer than the box allows (stored by other means) is shown whole and kept by
    // an "Update" that does not touch it.
    const QString longName = QStringLiteral("A name of forty-one characters, not less.");
    QCOMPARE(longName.size(), 41);
    QVERIFY(ExecSql(QStringLiteral("UPDATE NewsLinks SET LinkName = ? WHERE FieldName1 = 'name3'"), {longName}));
    Form5 longer;
    longer.Form_Load();
    QCOMPARE(longer.Text1[2]->text(), longName);
    QCOMPARE(longer.Text1[1]->maxLength(), 35);
    longer.Command1_Click();
    QCOMPARE(sectionRows(QStringLiteral("NewsLinks"))[2][0], longName);
}

void TestSections::incompleteSections()
{
    // No rows: five are made, keyed 1 to 5.
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM LocalLinks")));
    SectionLinks local(QStringLiteral("LocalLinks"), kSubTopicId);
    QVERIFY(local.save(QVector<SectionLink>{SectionLink{QStringLiteral("a"), QStringLiteral("x")}}));
    QList<QStringList> rows = sectionRows(QStringLiteral("LocalLinks"));
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows[0], (QStringList{"a", "x", "name1", "url1"}));
    QCOMPARE(rows[4], (QStringList{"", "", "name5", "url5"}));

    // Two rows keyed 1 and 3: they are overwritten in order, the others are added with the
    // keys not yet in use.
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM RelatedLinks")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO RelatedLinks VALUES (?, 'old1', NULL, 'name1', 'url1')"), {kSubTopicId}));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO RelatedLinks VALUES (?, 'old3', NULL, 'name3', 'url3')"), {kSubTopicId}));
    CurrentSectionTable = QStringLiteral("RelatedLinks");
    Form5 dialog;
    dialog.Form_Load();
    QCOMPARE(dialog.Text1[1]->text(), QStringLiteral("old3"));
    QCOMPARE(dialog.Text1[2]->text(), QString());
    for (int i = 0; i < 5; ++i)
        dialog.Text1[i]->setText(QStringLiteral("n%1").arg(i));
    dialog.Command1_Click();
    QCOMPARE(SectionDialogChanged, 1);
    rows = sectionRows(QStringLiteral("RelatedLinks"));
    QCOMPARE(rows.size(), 5);
    QStringList names, keys;
    for (const QStringList &row : rows) {
        names << row[0];
        keys << row[2] + QLatin1Char('/') + row[3];
    }
    QCOMPARE(names, (QStringList{"n0", "n1", "n2", "n3", "n4"}));
    QCOMPARE(keys, (QStringList{"name1/url1", "name3/url3", "name2/url2", "name4/url4", "name5/url5"}));

    // Seven rows: the first five are edited, the rest stay.
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO RelatedLinks VALUES (?, 'six', NULL, 'name6', 'url6')"), {kSubTopicId}));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO RelatedLinks VALUES (?, 'seven', NULL, 'name7', 'url7')"), {kSubTopicId}));
    SectionLinks related(QStringLiteral("RelatedLinks"), kSubTopicId);
    QVector<SectionLink> links;
    QVERIFY(related.load(links));
    QCOMPARE(links.size(), 5);
    QVERIFY(related.save(QVector<SectionLink>(5, {QStringLiteral("z"), QString()})));
    rows = sectionRows(QStringLiteral("RelatedLinks"));
    QCOMPARE(rows.size(), 7);
    QCOMPARE(rows[4][0], QStringLiteral("z"));
    QCOMPARE(rows[5][0], QStringLiteral("six"));

    // Only the six section tables are edited.
    SectionLinks other(QStringLiteral("ColorLinks"), kSubTopicId);
    QVERIFY(!other.save(links));
    QVERIFY(!other.load(links));
}

void TestSections::failedSaveChangesNothing()
{
    // The fourth row cannot be written: nothing of the save lands.
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM FavoriteLinks")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO FavoriteLinks VALUES (?, 'kept', 'k.org', 'name1', 'url1')"),
                    {kSubTopicId}));
    QVERIFY(ExecSql(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON FavoriteLinks WHEN NEW.FieldName1 = 'name4' "
                                   "BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    CurrentSectionTable = QStringLiteral("FavoriteLinks");
    SectionEditorCaption = QStringLiteral("Update Section 5 Links");
    Form5 dialog;
    dialog.Form_Load();
    for (int i = 0; i < 5; ++i)
        dialog.Text1[i]->setText(QStringLiteral("new%1").arg(i));
    DialogScript::answer(vbOK);
    dialog.Command1_Click();

    QCOMPARE(DialogScript::last().kind, QStringLiteral("MsgBox"));
    QVERIFY(DialogScript::last().prompt.contains(QLatin1String("refused")));
    QCOMPARE(SectionDialogChanged, 0);
    QCOMPARE(dialog.Text1[4]->text(), QStringLiteral("new4"));
    QCOMPARE(sectionRows(QStringLiteral("FavoriteLinks")), (QList<QStringList>{{"kept", "k.org", "name1", "url1"}}));
}

void TestSections::cancelAndMissingPage()
{
    OnModal<Form5> seen([](Form5 *dialog) {
        dialog->Text1[0]->setText(QStringLiteral("never stored"));
        dialog->Command2->click();
    });
    SectionDialogChanged = 1;
    PageSectionCommands::mnuEditLinks_Click(*m_host, 0);
    QVERIFY(seen.seen);
    QCOMPARE(SectionDialogChanged, 0);
    QVERIFY(m_host->navigated.isEmpty());
    QCOMPARE(sectionRows(QStringLiteral("NewsLinks"))[0][0], QStringLiteral("Link1"));

    // Without a page file for the Sub-Topic the command does nothing.
    QVERIFY(QFile::remove(m_home->file(CurrentPageFile)));
    OnModal<Form5> opened([](Form5 *dialog) { dialog->reject(); });
    PageSectionCommands::mnuEditLinks_Click(*m_host, 0);
    QVERIFY(!opened.seen);
    QVERIFY(m_host->navigated.isEmpty());
    PageSectionCommands::mnuEditLinks_Click(*m_host, 6);
    QVERIFY(m_host->navigated.isEmpty());
}

// ---- Section headers ------------------------------------------------------------------------

void TestSections::headersChanged()
{
    m_home->writeFile(QStringLiteral("Other_Page_9.html"), "<html></html>");
    const QStringList typed = {"Fish & Chips", " News ", "Shops/Stores", "C:\\Local", "Popular", "Local & Near"};
    QStringList shown;
    OnModal<Form23> seen([&](Form23 *dialog) {
        for (int i = 0; i < 6; ++i) {
            shown << dialog->Text[i]->text();
            dialog->Text[i]->setText(typed[i]);
        }
        dialog->Command1->click();
    });
    PageSectionCommands::mnuSectionHeaderUpdate_Click(*m_host);

    QVERIFY(seen.seen);
    QCOMPARE(shown, (QStringList{"Information Websites", "Search Websites", "Organization Websites",
                                 "Related Websites", "Popular Websites", "Local Websites"}));
    Recordset rs;
    QVERIFY(rs.open(QStringLiteral("SELECT * FROM SubTopics WHERE SubTopicId = ?"), {kSubTopicId}));
    for (int i = 0; i < 6; ++i)
        QCOMPARE(rs.text(QStringLiteral("Header%1").arg(i + 1)), typed[i]);

    // Every page went; this one was built again with the new captions and the browser reloaded.
    QVERIFY(!QFile::exists(m_home->file(QStringLiteral("Other_Page_9.html"))));
    QCOMPARE(m_host->reselections, 1);
    QCOMPARE(m_host->refreshes, 1);
    const QString page = pageText(*m_home);
    QVERIFY2(page.contains(QLatin1String("Fish &amp; Chips")), qPrintable(m_host->builder.lastError()));
    QVERIFY(page.contains(QLatin1String("Local &amp; Near")));
    QVERIFY(page.contains(QLatin1String("Shops/Stores")));
    QVERIFY(!page.contains(QLatin1String("Information Websites")));
}

void TestSections::headerChecks_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("title");
    const QStringList ok = {"A", "B", "C", "D", "E", "F"};
    QStringList apostropheAndBlank = ok;
    apostropheAndBlank[1] = QStringLiteral("Bob's");
    apostropheAndBlank[4] = QString();
    QStringList less = ok;
    less[5] = QStringLiteral("a < b");
    QStringList quote = ok;
    quote[0] = QStringLiteral("\"x\"");
    QStringList blanks = ok;
    blanks[2] = QStringLiteral("   ");
    QTest::newRow("apostrophe before blank") << apostropheAndBlank << "Prohibited Characters";
    QTest::newRow("less-than") << less << "Prohibited Characters";
    QTest::newRow("quote") << quote << "Prohibited Characters";
    QTest::newRow("blanks only") << blanks << "Header Field Error";
}

void TestSections::headerChecks()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, title);

    Form23 dialog(*m_host);
    dialog.Form_Load();
    for (int i = 0; i < 6; ++i)
        dialog.Text[i]->setText(typed[i]);
    DialogScript::answer(vbOK);
    dialog.Command1_Click();

    QCOMPARE(DialogScript::shown().size(), 1);
    QCOMPARE(DialogScript::last().title, title);
    QCOMPARE(DialogScript::last().buttons, int(vbExclamation));
    if (title == QLatin1String("Prohibited Characters"))
        QCOMPARE(DialogScript::last().prompt,
                 QStringLiteral("One of the Section Header fields contains a character or characters that may not be "
                                "used. Please delete these characters before proceeding.\n\nNote: Characters that may "
                                "not be used are as follows:/ < > ' \""));
    else
        QCOMPARE(DialogScript::last().prompt,
                 QStringLiteral("The Section Header field cannot be left blank.\n\nPlease enter a Header Name."));
    QCOMPARE(QueryValue(QStringLiteral("SELECT Header1 FROM SubTopics")).toString(), QStringLiteral("Information Websites"));
    QCOMPARE(dialog.Text[1]->text(), typed[1]);
    QCOMPARE(m_host->reselections, 0);
    QVERIFY(QFile::exists(m_home->file(CurrentPageFile)));
}

void TestSections::headerCancelAndNulls()
{
    // Cancel stores nothing and keeps the pages; the browser still reloads.
    OnModal<Form23> seen([](Form23 *dialog) {
        dialog->Text[0]->setText(QStringLiteral("Changed"));
        dialog->Command2->click();
    });
    PageSectionCommands::mnuSectionHeaderUpdate_Click(*m_host);
    QVERIFY(seen.seen);
    QCOMPARE(m_host->refreshes, 1);
    QVERIFY(QFile::exists(m_home->file(CurrentPageFile)));
    QCOMPARE(QueryValue(QStringLiteral("SELECT Header1 FROM SubTopics")).toString(), QStringLiteral("Information Websites"));

    // A Sub-Topic whose name holds an apostrophe and whose headers are missing.
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName, Header2) "
                                   "VALUES (8, ?, 'Bob''s Picks', 'Two')"),
                    {kTopicId}));
    m_host->subTopic = QStringLiteral("bob's picks");
    Form23 dialog(*m_host);
    dialog.Form_Load();
    QCOMPARE(dialog.Text[0]->text(), QString());
    QCOMPARE(dialog.Text[1]->text(), QStringLiteral("Two"));
    for (int i = 0; i < 6; ++i)
        dialog.Text[i]->setText(QStringLiteral("H%1").arg(i + 1));
    dialog.Command1_Click();
    QCOMPARE(QueryValue(QStringLiteral("SELECT Header6 FROM SubTopics WHERE SubTopicId = 8")).toString(),
             QStringLiteral("H6"));

    // A header longer than the box allows (imported) is shown whole and kept by an OK that
    // does not touch it.
    const QString longHeader = QStringLiteral("A header longer than the box");
    QVERIFY(ExecSql(QStringLiteral("UPDATE SubTopics SET Header4 = ? WHERE SubTopicId = 8"), {longHeader}));
    Form23 longer(*m_host);
    longer.Form_Load();
    QCOMPARE(longer.Text[3]->text(), longHeader);
    longer.Command1_Click();
    QCOMPARE(QueryValue(QStringLiteral("SELECT Header4 FROM SubTopics WHERE SubTopicId = 8")).toString(), longHeader);
}

// ---- Colour scheme --------------------------------------------------------------------------

// Typed key by key, a header box takes 24 characters and a link name box 35.
void TestSections::boxesTakeNoMoreThanTheirLimit_data()
{
    QTest::addColumn<bool>("header");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    const QString header24 = QStringLiteral("Abcdefghij Abcdefghij Ab");
    const QString name35 = QStringLiteral("Abcdefghij Abcdefghij Abcdefghij Ab");
    QTest::newRow("header at the limit") << true << header24 << header24;
    QTest::newRow("header one past it") << true << header24 + "c" << header24;
    QTest::newRow("link name at the limit") << false << name35 << name35;
    QTest::newRow("link name one past it") << false << name35 + "c" << name35;
}

void TestSections::boxesTakeNoMoreThanTheirLimit()
{
    QFETCH(bool, header);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Form23 headers(*m_host);
    CurrentSectionTable = QStringLiteral("NewsLinks");
    Form5 links;
    QDialog *dialog = header ? static_cast<QDialog *>(&headers) : &links;
    QLineEdit *box = header ? headers.Text[2] : links.Text1[2];
    if (header)
        headers.Form_Load();
    else
        links.Form_Load();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    box->selectAll();
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), shown);
}

void TestSections::presets_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < ColourPresets().size(); ++i)
        QTest::newRow(qPrintable(ColourPresets().at(i).name)) << i;
}

void TestSections::presets()
{
    QFETCH(int, index);
    const ColourPreset preset = ColourPresets().at(index);

    QColor loadedText, loadedBack, afterFirstChoice;
    bool enabledAtLoad = true, enabledWhenTicked = false;
    OnModal<Form7> seen([&](Form7 *dialog) {
        loadedText = dialog->textColour();
        loadedBack = dialog->backgroundColour();
        enabledAtLoad = dialog->Combo1->isEnabled();
        // While the box is not ticked a choice applies nothing.
        dialog->Combo1->setCurrentIndex(index);
        dialog->Combo1_Click();
        afterFirstChoice = dialog->backgroundColour();
        dialog->Check1->click();
        enabledWhenTicked = dialog->Combo1->isEnabled();
        dialog->Combo1_Click();
        dialog->Command1->click();
    });
    PageSectionCommands::mnuColorSchema_Click(*m_host);

    QVERIFY(seen.seen);
    QCOMPARE(loadedText, QColor(0xbb, 0x99, 0xbb));
    QCOMPARE(loadedBack, QColor(0x8a, 0x2b, 0xe2));
    QCOMPARE(afterFirstChoice, loadedBack);
    QVERIFY(!enabledAtLoad);
    QVERIFY(enabledWhenTicked);
    QCOMPARE(colour(3), preset.background.toUpper());
    QCOMPARE(colour(1), preset.text.toUpper());
    QCOMPARE(colour(2), QStringLiteral("aa33ee"));
    QCOMPARE(SectionDialogChanged, 1);

    // The page was rebuilt in the new colours, shown and reloaded.
    QCOMPARE(m_host->navigated, QStringList{GetAppPath() + CurrentPageFile});
    QCOMPARE(m_host->refreshes, 1);
    const QString page = pageText(*m_home);
    QVERIFY(page.contains(QLatin1String("background: #") + preset.background));
    QVERIFY(page.contains(QLatin1Char('#') + preset.text));
}

void TestSections::customColour()
{
    Form7 dialog(kTopic, kSubTopic);
    dialog.Form_Load();
    QCOMPARE(dialog.Label5->text(), kTopic);
    QCOMPARE(dialog.Label7->text(), kSubTopic);

    DialogScript::color(QColor(1, 2, 5));
    dialog.Picture1->click();
    QCOMPARE(DialogScript::last().kind, QStringLiteral("Color"));
    QCOMPARE(dialog.textColour(), QColor(1, 2, 5));
    // A cancelled colour dialog leaves the colour as it was.
    DialogScript::cancel();
    dialog.Picture3->click();
    QCOMPARE(dialog.backgroundColour(), QColor(0x8a, 0x2b, 0xe2));
    DialogScript::end();   // and so does the real one, closed with Escape
    OnModal<QColorDialog> closed([](QColorDialog *d) { QTest::keyClick(d, Qt::Key_Escape); });
    dialog.Picture3->click();
    DialogScript::begin();
    QVERIFY(closed.seen);
    QCOMPARE(dialog.backgroundColour(), QColor(0x8a, 0x2b, 0xe2));
    dialog.Command1_Click();
    QCOMPARE(colour(1), QStringLiteral("010205"));
    QCOMPARE(colour(3), QStringLiteral("8A2BE2"));

    PageSectionCommands::rebuildPage(*m_host, true);
    QVERIFY(pageText(*m_home).contains(QLatin1String("#010205")));

    // Cancel stores nothing, but an earlier save still has the page rebuilt.
    OnModal<Form7> seen([](Form7 *d) {
        d->Check1->click();
        d->Combo1->setCurrentIndex(13);
        d->Combo1_Click();
        d->Command2->click();
    });
    m_host->navigated.clear();
    PageSectionCommands::mnuColorSchema_Click(*m_host);
    QVERIFY(seen.seen);
    QCOMPARE(colour(3), QStringLiteral("8A2BE2"));
    QCOMPARE(m_host->navigated.size(), 1);

    // No dialog while either list shows its placeholder.
    m_host->topic = QStringLiteral("Select Topic");
    OnModal<Form7> opened([](Form7 *d) { d->reject(); });
    PageSectionCommands::mnuColorSchema_Click(*m_host);
    QVERIFY(!opened.seen);
}

void TestSections::colourSchemeWithoutRow()
{
    QVERIFY(ExecSql(QStringLiteral("DELETE FROM ColorLinks")));
    ColourScheme scheme(kSubTopicId);
    QVERIFY(!scheme.load());
    QVERIFY(scheme.lastError().isEmpty());

    Form7 dialog(kTopic, kSubTopic);
    dialog.Form_Load();
    dialog.Check1->click();
    dialog.Combo1->setCurrentIndex(4);
    dialog.Combo1_Click();
    dialog.Command1_Click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(QueryValue(QStringLiteral("SELECT count(*) FROM ColorLinks WHERE TopicId = ?"), {kSubTopicId}).toInt(), 1);
    QCOMPARE(colour(1), QStringLiteral("EEE8AA"));
    QCOMPARE(colour(2), QStringLiteral("aa33ee"));
    QCOMPARE(colour(3), QStringLiteral("DDAA00"));
    QCOMPARE(QueryValue(QStringLiteral("SELECT TopicName FROM ColorLinks")).toString(), kSubTopic);
}

// ---- The commands run by the main window ----------------------------------------------------

void TestSections::throughMainWindow()
{
    // The main window opens the sample edition of the program folder.
    CloseDatabase();
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    QVERIFY(FileExistsNonEmpty(m_home->file(CurrentPageFile)));

    Form1PageSectionHost host(form);
    QCOMPARE(host.topicText(), QStringLiteral("Computing"));
    QCOMPARE(host.topicId(), form->Combo1->currentData().toInt());
    QCOMPARE(host.subTopicText(), QStringLiteral("Programming"));

    OnModal<Form5> links([](Form5 *dialog) {
        dialog->Text1[0]->setText(QStringLiteral("Tea & <Biscuits>"));
        dialog->Command1->click();
    });
    PageSectionCommands::mnuEditLinks_Click(host, 0);
    QVERIFY(links.seen);
    QCOMPARE(form->results->lastNavigated(), m_home->file(CurrentPageFile));
    QVERIFY(pageText(*m_home).contains(QLatin1String("Tea &amp; &lt;Biscuits&gt;")));

    OnModal<Form23> headers([](Form23 *dialog) {
        dialog->Text[0]->setText(QStringLiteral("Tools & Tips"));
        dialog->Command1->click();
    });
    PageSectionCommands::mnuSectionHeaderUpdate_Click(host);
    QVERIFY(headers.seen);
    QVERIFY(pageText(*m_home).contains(QLatin1String("Tools &amp; Tips")));
    QVERIFY(pageText(*m_home).contains(QLatin1String("Tea &amp; &lt;Biscuits&gt;")));

    OnModal<Form7> colours([](Form7 *dialog) {
        dialog->Check1->click();
        dialog->Combo1->setCurrentIndex(4);
        dialog->Combo1_Click();
        dialog->Command1->click();
    });
    PageSectionCommands::mnuColorSchema_Click(host);
    QVERIFY(colours.seen);
    QVERIFY(pageText(*m_home).contains(QLatin1String("background: #ddaa00")));
    QCOMPARE(form->results->lastNavigated(), m_home->file(CurrentPageFile));

    closeMainWindow();
}

QTEST_MAIN(TestSections)
#include "tst_sections.moc"
