// The keyword search: the keyword list, words remembered with a Sub-Topic, the search
// addresses, the keyword and web search boxes of the main window, the search mode across
// a restart, and the tree search.

#include "form1_support.h"
#include "testhelper.h"

#include "mainwindow/form1.h"
#include "mainwindow/keyword_search.h"
#include "platform/browser_window.h"
#include "platform/dialogs.h"
#include "platform/settings.h"
#include "platform/webbrowser.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "shared/tree_nodes.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>
#include <QUrlQuery>
#include <QtTest>

using namespace Form1Test;

namespace {

const QString App = QStringLiteral("QuorvaneDesktop");
// Nothing listens here: the search windows fail to load at once and stay on this machine.
const QString Server = QStringLiteral("http://127.0.0.1:9");

QString rootKeyword(qint32 subTopicId)
{
    return QueryValue(QStringLiteral("SELECT Keyword FROM Lks WHERE TopicId = ? ORDER BY LksId LIMIT 1"), {subTopicId})
        .toString();
}

// The addresses the open browser windows were sent to, oldest first; closes them.
QStringList takeSearchWindows()
{
    QStringList addresses;
    const QList<BrowserWindow *> windows = BrowserWindow::openWindows();
    for (BrowserWindow *w : windows) {
        addresses.append(w->browser()->lastNavigated());
        w->close();
    }
    return addresses;
}

// The widget that receives the keys typed into box once it has the focus.
QWidget *typingTarget(QComboBox *box)
{
    box->setFocus();
    QCoreApplication::processEvents();
    return QApplication::focusWidget() ? QApplication::focusWidget() : box;
}

void pressEnter(QWidget *w)
{
    QTest::keyClick(w, Qt::Key_Return);
}

} // namespace

class TestKeywordSearch : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void keywordItems_data();
    void keywordItems();
    void searchAddresses_data();
    void searchAddresses();
    void rememberedKeywords();

    void keywordBoxCompletesAndRemembers();
    void keywordBoxWithModeOff();
    void webSearchBox();
    void modeAcrossRestart();
    void treeSearchMarksNodes();

private:
    void closeWindow();
    Form1 *showProgramming(bool modeOn);

    std::unique_ptr<TestProgramFolder> m_app;
};

void TestKeywordSearch::init()
{
    m_app = std::make_unique<TestProgramFolder>();
    DeleteSetting(App, QStringLiteral("Search"));
    DeleteSetting(App, QStringLiteral("Form1_Settings"));
    IsOnline = false;
    KeywordSearch::setServers(Server, Server);
}

void TestKeywordSearch::cleanup()
{
    closeWindow();
    ReleaseDatabase();
    KeywordSearch::setServers(QString(), QString());
    RemoveProgramFolder(m_app);
}

// The search windows first, then the main window with whatever else shows.
void TestKeywordSearch::closeWindow()
{
    takeSearchWindows();
    closeMainWindow();
}

// The main window showing Computing / Programming, whose root row holds
// "|programming|languages".
Form1 *TestKeywordSearch::showProgramming(bool modeOn)
{
    SaveSetting(App, QStringLiteral("Search"), QStringLiteral("Mode"), modeOn ? QStringLiteral("On") : QStringLiteral("Off"));
    Form1 *form = openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    form->activateWindow();
    form->cb1->setFocus();
    return form;
}

// ---- The plain keyword work -------------------------------------------------------------

void TestKeywordSearch::keywordItems_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("each followed by |") << "rock|pop|" << QStringList{"rock", "pop"};
    QTest::newRow("root row's leading |") << "|fresh fish" << QStringList{"fresh fish"};
    QTest::newRow("repeats stay, empties go") << "|a||b|a|" << QStringList{"a", "b", "a"};
    QTest::newRow("blanks are kept") << "| x |" << QStringList{" x "};
}

void TestKeywordSearch::keywordItems()
{
    QFETCH(QString, list);
    QFETCH(QStringList, items);
    QCOMPARE(KeywordSearch::keywordItems(list), items);
}

void TestKeywordSearch::searchAddresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::newRow("blanks") << "fresh fish" << "fresh+fish";
    QTest::newRow("untrimmed") << " fish  " << "+fish++";
    QTest::newRow("hash") << "C#" << "C%23";
    QTest::newRow("no extra parameter") << "a&b=c" << "a%26b%3Dc";
    QTest::newRow("plus") << "1+1" << "1%2B1";
    QTest::newRow("percent") << "100%" << "100%25";
    QTest::newRow("unicode") << QString::fromUtf8("café") << "caf%C3%A9";
    QTest::newRow("safe characters") << "a-b_c.d~e" << "a-b_c.d~e";
}

void TestKeywordSearch::searchAddresses()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    KeywordSearch::setServers(QString(), QString());
    QCOMPARE(KeywordSearch::directorySearchAddress(text),
             KeywordSearch::directoryServer() + "/cgi-bin/search?search=" + query);
    QCOMPARE(KeywordSearch::webSearchAddress(text),
             KeywordSearch::searchServer() + "/search?search=" + query + "&submit=Search&cc=au&s=all&a=all");
    // The query carries the whole text as one value.
    const QUrl url(KeywordSearch::webSearchAddress(text));
    QVERIFY(url.isValid());
    QCOMPARE(QUrlQuery(url).queryItemValue(QStringLiteral("search"), QUrl::FullyDecoded).replace('+', ' '),
             QString(text).replace('+', ' '));
    QCOMPARE(QUrlQuery(url).queryItemValue(QStringLiteral("cc")), QStringLiteral("au"));
}

void TestKeywordSearch::rememberedKeywords()
{
    QVERIFY(OpenEdition(QStringLiteral("Sample_Links.mdb")));
    // Sub-Topic 1 (Programming): root row "|programming|languages".
    QVERIFY(!KeywordSearch::rememberKeyword(1, QStringLiteral("  Programming ")));
    QVERIFY(!KeywordSearch::rememberKeyword(1, QStringLiteral("   ")));
    QCOMPARE(rootKeyword(1), QStringLiteral("|programming|languages"));
    QVERIFY(KeywordSearch::rememberKeyword(1, QStringLiteral("fresh fish")));
    QCOMPARE(rootKeyword(1), QStringLiteral("|programming|languages|fresh fish"));
    QVERIFY(!KeywordSearch::rememberKeyword(1, QStringLiteral("FRESH FISH")));

    // A Sub-Topic whose root row has no keywords yet and whose category holds a notation.
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO SubTopics (SubTopicId, GlobalTopicId, SubTopicName) VALUES (90, 1, 'Fish')")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, Keyword) VALUES (900, 'Fish', 'Fish', 90, NULL)")));
    QVERIFY(ExecSql(QStringLiteral("INSERT INTO Lks (LksId, LksName, LksUrl, TopicId, Keyword) VALUES (901, 'Shops/Fish', 'Fish/Shops', 90, 'salmon')")));
    QVERIFY(!KeywordSearch::rememberKeyword(90, QStringLiteral("Salmon")));
    QVERIFY(KeywordSearch::rememberKeyword(90, QStringLiteral("fresh fish")));
    QCOMPARE(rootKeyword(90), QStringLiteral("|fresh fish"));
    QCOMPARE(QueryValue(QStringLiteral("SELECT Keyword FROM Lks WHERE LksId = 901")).toString(), QStringLiteral("salmon"));
    // A word holding "|" is stored as typed and later reads as two words.
    QVERIFY(KeywordSearch::rememberKeyword(90, QStringLiteral("cod|hake")));
    QCOMPARE(rootKeyword(90), QStringLiteral("|fresh fish|cod|hake"));
    QCOMPARE(KeywordSearch::storedKeywords(90), (QStringList{"fresh fish", "cod", "hake", "salmon"}));

    // No rows, or no edition to write to: nothing is stored.
    const QVariant before = QueryValue(QStringLiteral("SELECT COUNT(*) FROM Lks WHERE Keyword IS NOT NULL"));
    QVERIFY(!KeywordSearch::rememberKeyword(12345, QStringLiteral("anything")));
    QCOMPARE(QueryValue(QStringLiteral("SELECT COUNT(*) FROM Lks WHERE Keyword IS NOT NULL")), before);
    CloseDatabase();
    QVERIFY(!KeywordSearch::rememberKeyword(90, QStringLiteral("lost")));
}

// ---- The main window's search boxes -----------------------------------------------------

void TestKeywordSearch::keywordBoxCompletesAndRemembers()
{
    Form1 *form = showProgramming(true);
    QLineEdit *edit = form->cb1->lineEdit();
    // A user's keys go to the widget with the focus: the combo box, not its edit field.
    QWidget *keys = typingTarget(form->cb1);
    QCOMPARE(comboItems(form->cb1), (QStringList{"", "programming", "languages"}));
    QCOMPARE(form->cb1->currentIndex(), 0);
    QCOMPARE(form->cb1->currentText(), QString());

    // Typing completes from the list; the completed tail is selected.
    QTest::keyClicks(keys, QStringLiteral("lan"));
    QCOMPARE(edit->text(), QStringLiteral("languages"));
    QCOMPARE(edit->selectedText(), QStringLiteral("guages"));
    QTest::keyClick(keys, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("lan"));

    // Only blanks: nothing is stored or opened.
    edit->clear();
    QTest::keyClicks(keys, QStringLiteral("   "));
    pressEnter(keys);
    QCOMPARE(rootKeyword(1), QStringLiteral("|programming|languages"));
    QCoreApplication::processEvents();
    QCOMPARE(takeSearchWindows(), QStringList());

    // A new word is stored with the Sub-Topic and searched for.
    edit->clear();
    QTest::keyClicks(keys, QStringLiteral("fresh fish"));
    QCOMPARE(edit->text(), QStringLiteral("fresh fish"));
    pressEnter(keys);
    QCOMPARE(rootKeyword(1), QStringLiteral("|programming|languages|fresh fish"));
    QCOMPARE(form->cb1->currentText(), QStringLiteral("fresh fish"));
    QCOMPARE(takeSearchWindows(), QStringList{Server + "/cgi-bin/search?search=fresh+fish"});

    // A listed word in other case and with blanks around it is searched, not stored again,
    // and the box keeps what was typed.
    edit->clear();
    QTest::keyClicks(keys, QStringLiteral("  LANGUAGES "));
    pressEnter(keys);
    QCOMPARE(form->cb1->currentText(), QStringLiteral("  LANGUAGES "));
    QCOMPARE(rootKeyword(1), QStringLiteral("|programming|languages|fresh fish"));
    QCOMPARE(takeSearchWindows(), QStringList{Server + "/cgi-bin/search?search=++LANGUAGES+"});

    // The stored word shows when the Sub-Topic is chosen again.
    choose(form->Combo2, QStringLiteral("Programming"));
    QCOMPARE(comboItems(form->cb1), (QStringList{"", "programming", "languages", "fresh fish"}));
}

void TestKeywordSearch::keywordBoxWithModeOff()
{
    Form1 *form = showProgramming(false);
    QLineEdit *edit = form->cb1->lineEdit();
    QWidget *keys = typingTarget(form->cb1);
    QCOMPARE(form->cb1->count(), 0);

    // Switching the mode on shows nothing until the next Sub-Topic choice.
    form->mnuISon->trigger();
    QCOMPARE(form->cb1->count(), 0);
    choose(form->Combo2, QStringLiteral("Programming"));
    QCOMPARE(comboItems(form->cb1), (QStringList{"", "programming", "languages"}));

    // Switching it off empties the box, list and text.
    QTest::keyClicks(keys, QStringLiteral("pro"));
    form->mnuIsOff->trigger();
    QVERIFY(!form->mnuISon->isChecked() && form->mnuIsOff->isChecked());
    QCOMPARE(form->cb1->count(), 0);
    QCOMPARE(form->cb1->currentText(), QString());

    // No completion with the mode off, but Enter still searches; a word the Sub-Topic has
    // already is not stored a second time, a new one is.
    form->cb1->setFocus();
    QTest::keyClicks(keys, QStringLiteral("prog"));
    QCOMPARE(edit->text(), QStringLiteral("prog"));
    QCOMPARE(edit->selectedText(), QString());
    edit->clear();
    QTest::keyClicks(keys, QStringLiteral("Programming"));
    pressEnter(keys);
    QCOMPARE(rootKeyword(1), QStringLiteral("|programming|languages"));
    QCOMPARE(takeSearchWindows(), QStringList{Server + "/cgi-bin/search?search=Programming"});
    edit->clear();
    QTest::keyClicks(keys, QStringLiteral("C#"));
    pressEnter(keys);
    QCOMPARE(rootKeyword(1), QStringLiteral("|programming|languages|C#"));
    QCOMPARE(takeSearchWindows(), QStringList{Server + "/cgi-bin/search?search=C%23"});
}

void TestKeywordSearch::webSearchBox()
{
    Form1 *form = showProgramming(true);
    form->Text1->setFocus();
    QTest::keyClicks(form->Text1, QStringLiteral("  "));
    pressEnter(form->Text1);
    QCoreApplication::processEvents();
    QCOMPARE(takeSearchWindows(), QStringList());

    form->Text1->clear();
    QTest::keyClicks(form->Text1, QStringLiteral("fish & chips"));
    pressEnter(form->Text1);
    QCOMPARE(takeSearchWindows(),
                 QStringList{Server + "/search?search=fish+%26+chips&submit=Search&cc=au&s=all&a=all"});
    // The web search remembers nothing.
    QCOMPARE(rootKeyword(1), QStringLiteral("|programming|languages"));
}

void TestKeywordSearch::modeAcrossRestart()
{
    Form1 *form = showMainWindow();
    QVERIFY(form->mnuIsOff->isChecked());
    form->mnuISon->trigger();
    closeWindow();
    QCOMPARE(GetSetting(App, QStringLiteral("Search"), QStringLiteral("Mode")), QStringLiteral("On"));

    // Started again, the mode is on: the keyword box fills and completes.
    form = showMainWindow();
    QVERIFY(form->mnuISon->isChecked() && !form->mnuIsOff->isChecked());
    choose(form->Combo1, QStringLiteral("Computing"));
    choose(form->Combo2, QStringLiteral("Open Source"));
    QCOMPARE(comboItems(form->cb1), (QStringList{"", "open source", "free software"}));
    form->activateWindow();
    form->cb1->setFocus();
    QTest::keyClicks(form->cb1->lineEdit(), QStringLiteral("Fr"));
    QCOMPARE(form->cb1->lineEdit()->text(), QStringLiteral("free software"));
}

// ---- The tree search --------------------------------------------------------------------

void TestKeywordSearch::treeSearchMarksNodes()
{
    Form1 *form = showMainWindow();
    TreeNodes *nodes = TreeNodes::of(form->TvwBestell);
    nodes->Clear();
    TreeNode *root = nodes->Add(nullptr, tvwLast, QStringLiteral("Food1"), QStringLiteral("Food"));
    TreeNode *shops = nodes->Add(root, tvwChild, QStringLiteral("Fish Shops2"), QStringLiteral("Fish Shops"));
    TreeNode *lower = nodes->Add(root, tvwChild, QStringLiteral("fish shops3"), QStringLiteral("fish shops"));
    TreeNode *big = nodes->Add(shops, tvwChild, QStringLiteral("Big Fish4"), QStringLiteral("Big Fish"));
    lower->setBackColor(0x00FF00);

    DialogScript::input(QStringLiteral("Fish"));
    form->SearchSubTopicTree();
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Please enter a keyword to search:"));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Search Sub-Topic Tree"));
    QCOMPARE(shops->BackColor(), QColor(0, 255, 0));
    QCOMPARE(big->BackColor(), QColor(0, 255, 0));
    QCOMPARE(lower->BackColor(), QColor(255, 255, 255));
    QCOMPARE(root->BackColor(), QColor(255, 255, 255));
    QVERIFY(big->Selected());
    QVERIFY(!shops->Selected());

    // A cancelled search changes nothing.
    DialogScript::cancel();
    form->SearchSubTopicTree();
    QCOMPARE(shops->BackColor(), QColor(0, 255, 0));
    QVERIFY(big->Selected());
}

QTEST_MAIN(TestKeywordSearch)
#include "tst_keyword_search.moc"
