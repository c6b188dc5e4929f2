// The favourites import: shortcut files read from the Favorites folder and its subfolders,
// and the "IE Favorites" dialog whose rows are dragged onto the category tree.

#include "editing_tree_support.h"
#include "form1_support.h"
#include "testhelper.h"

#include "editing/link_drop.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "shared/globals.h"
#include "platform/webbrowser.h"
#include "webtools/favorites_reader.h"
#include "webtools/form17_favorites.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString shellFolders = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray shortcut(const QByteArray &url)
{
    return "[DEFAULT]\r\nBASEURL=http://wrong.example/\r\n[InternetShortcut]\r\nURL=" + url + "\r\nIconIndex=0\r\n";
}

QStringList rows(const QList<FavoriteLink> &links)
{
    QStringList out;
    for (const FavoriteLink &l : links)
        out.append(l.name + QLatin1Char('|') + l.address);
    return out;
}

QStringList rows(const QTreeWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out.append(list->topLevelItem(i)->text(0) + QLatin1Char('|') + list->topLevelItem(i)->text(1));
    return out;
}

} // namespace

class TestFavorites : public Form1Test::WindowTestCase
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void shortcutValues_data();
    void shortcutValues();
    void favoritesFromNestedFoldersWithBadFiles();
    void dialogListsSortsAndDrags();
    void dialogWithoutFavorites();
    void linksOfThePage();
    void droppedOntoTheTree_data();
    void droppedOntoTheTree();

private:
    std::unique_ptr<TestProgramFolder> m_folder;
    QString m_favorites;
};

void TestFavorites::init()
{
    m_folder = std::make_unique<TestProgramFolder>();
    Registry::reload();
    m_favorites = m_folder->path() + QStringLiteral("Favorites");
    RegKey key;
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, shellFolders, &key), ERROR_SUCCESS);
    QCOMPARE(SetValueEx(key, QStringLiteral("Favorites"), REG_SZ, m_favorites), ERROR_SUCCESS);
}

void TestFavorites::cleanup()
{
    delete Form17::existing();
    Form1Test::closeMainWindow();
    FavImportMode = 0;
    RemoveProgramFolder(m_folder, true);
    Registry::reload();
}

void TestFavorites::shortcutValues_data()
{
    // The "URL" of section "InternetShortcut", "-" when there is none.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("url");

    const QByteArray head = "[InternetShortcut]\r\n";
    QTest::newRow("names in other case, quoted") << QByteArray("[internetshortcut]\nurl = \"http://a.example/x,y%20z\\w\"\n")
                                                 << "http://a.example/x,y%20z\\w";
    QTest::newRow("no such key") << head + "IconIndex=0\r\n" << "-";
    QTest::newRow("key of another section") << QByteArray("[Other]\r\nURL=http://o.example/\r\n" + head) << "-";
    QTest::newRow("after another section") << "[DEFAULT]\r\nURL=http://d.example/\r\n" + head + "URL=http://a.example/\r\n"
                                           << "http://a.example/";
    QTest::newRow("first of two") << head + "URL=http://1.example/\r\nURL=http://2.example/\r\n" << "http://1.example/";
    QTest::newRow("value holding =") << head + "URL=http://a.example/?q=1&r==2\r\n" << "http://a.example/?q=1&r==2";
    QTest::newRow("blanks and tabs") << QByteArray("  [InternetShortcut]  \r\n\tURL\t=\t http://a.example/ \t\r\n")
                                     << "http://a.example/";
    QTest::newRow("comment and longer key first") << head + ";URL=http://c.example/\r\nURLX=http://x.example/\r\nURL\r\n"
                                                              "URL=http://a.example/\r\n"
                                                  << "http://a.example/";
    QTest::newRow("empty value") << head + "URL=\r\nURL=http://2.example/\r\n" << "";
    QTest::newRow("no line end") << head + "URL=http://a.example/" << "http://a.example/";
    QTest::newRow("one quote only") << head + "URL=\"http://a.example/\r\n" << "\"http://a.example/";
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + head + "URL=http://a.example/\r\n" << "http://a.example/";
    QTest::newRow("not UTF-8") << head + "URL=http://a.example/caf\xE9\r\n" << "http://a.example/caf\u00E9";
}

void TestFavorites::shortcutValues()
{
    QFETCH(QByteArray, content);
    const QString file = m_folder->file(QStringLiteral("x.url"));
    writeFile(file, content);
    QTEST(FavoritesReader::ProfileGetItem("InternetShortcut", "URL", "-", file), "url");
}

void TestFavorites::favoritesFromNestedFoldersWithBadFiles()
{
    const QString f = m_favorites + QLatin1Char('/');
    writeFile(f + "News.url", shortcut("http://news.example/"));
    writeFile(f + "a.url.url", shortcut("http://a.example/"));
    writeFile(f + "Upper.URL", shortcut("http://upper.example/"));   // ".url" is looked for as written
    writeFile(f + "Smith, John.url", shortcut("https://smith.example/?a=1,2"));
    writeFile(f + "binary.url", shortcut("http://bin.example/") + QByteArray(1, '\0'));
    writeFile(f + "huge.url", shortcut("http://huge.example/") + QByteArray(FavoritesReader::MaxFileSize, ' '));
    writeFile(f + "nourl.url", "[InternetShortcut]\r\nIconIndex=0\r\n");
    writeFile(f + "long.url", shortcut("http://long.example/" + QByteArray(3000, 'q')));
    writeFile(f + "zeta/b.url", shortcut("http://b.example/"));
    writeFile(f + "zeta/Deep/c.url", shortcut("http://c.example/"));
    writeFile(f + ".hidden/d.url", shortcut("http://d.example/"));
    writeFile(f + "Alpha/e.url", shortcut("http://e.example/"));
    QVERIFY(QFile::link(f + "zeta", f + "zeta/Deep/loop"));   // a linked folder is not followed

    const QList<FavoriteLink> links = FavoritesReader::WalkFolders(m_favorites);
    QCOMPARE(rows(links), (QStringList{"a|http://a.example/", "long|http://long.example/" + QString(3000, 'q'),
                                       "News|http://news.example/", "Smith, John|https://smith.example/?a=1,2",
                                       "d|http://d.example/", "e|http://e.example/", "b|http://b.example/",
                                       "c|http://c.example/"}));
    QVERIFY(FavoritesReader::WalkFolders(m_favorites + "/missing").isEmpty());
    QCOMPARE(FavoritesReader::QualifyPath("/a"), QStringLiteral("/a/"));
    QCOMPARE(FavoritesReader::QualifyPath("/a/"), QStringLiteral("/a/"));
    QVERIFY(FavoritesReader::WalkFolders(QString()).isEmpty());
}

void TestFavorites::dialogListsSortsAndDrags()
{
    writeFile(m_favorites + "/Beta.url", shortcut("http://b.example/"));
    writeFile(m_favorites + "/Smith, John.url", shortcut("http://a.example/"));
    writeFile(m_favorites + "/Sub/Alpha.url", shortcut("http://c.example/"));

    WebBrowser browser;
    Form17 *form = Form17::open(&browser);
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QCOMPARE(form->windowTitle(), QStringLiteral("IE Favorites"));
    QCOMPARE(form->Command1->text(), QStringLiteral("Get Favorites"));
    QVERIFY(!form->Command4->isEnabled());

    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(rows(form->ListView1),
             (QStringList{"Beta|http://b.example/", "Smith, John|http://a.example/", "Alpha|http://c.example/"}));
    QVERIFY(form->Command4->isEnabled());
    QCOMPARE(form->ListView1->currentItem(), form->ListView1->topLevelItem(0));

    // Every click on a header flips the order, whichever column it is.
    QHeaderView *header = form->ListView1->header();
    const QPoint urlHeader(header->sectionViewportPosition(1) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, urlHeader);
    QCOMPARE(form->ListView1->topLevelItem(0)->text(1), QStringLiteral("http://c.example/"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, urlHeader);
    QCOMPARE(form->ListView1->topLevelItem(0)->text(1), QStringLiteral("http://a.example/"));

    // The row the user picks is dragged whole, a comma in its name included.
    const QRect first = form->ListView1->visualItemRect(form->ListView1->topLevelItem(0));
    QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {}, first.center());
    QCOMPARE(form->dragText(), QStringLiteral("Smith, John,http://a.example/"));
    std::unique_ptr<QMimeData> data(form->ListView1->model()->mimeData(form->ListView1->selectionModel()->selectedIndexes()));
    QVERIFY(data);
    const LinkDrop::Dropped dropped = LinkDrop::read(data.get());
    QVERIFY(dropped.fromProgram);
    QCOMPARE(dropped.name, QStringLiteral("Smith, John"));
    QCOMPARE(dropped.address, QStringLiteral("http://a.example/"));

    // Cancel releases the dialog; the next one starts afresh.
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    QTRY_VERIFY(!Form17::existing());
}

void TestFavorites::dialogWithoutFavorites()
{
    // No folder, then an empty one: the user is told where favorites are read from.
    Form17 *form = Form17::open(nullptr);
    const QString read = "Favorites are read from the internet shortcut files (*.url) of the folder " + m_favorites
                         + " and its subfolders.";
    DialogScript::answer(vbOK);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt, "No favorites were found: the folder " + m_favorites + " does not exist.\n\n" + read);
    QDir().mkpath(m_favorites);
    DialogScript::answer(vbOK);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt, "No favorites were found in the folder " + m_favorites + ".\n\n" + read);
    QCOMPARE(form->ListView1->topLevelItemCount(), 0);
    QVERIFY(!form->Command4->isEnabled());
    QTest::mouseClick(form->Command4, Qt::LeftButton);   // nothing to open
}

void TestFavorites::linksOfThePage()
{
    m_folder->writeFile(QStringLiteral("links.html"),
                        "<html><body><a href='http://a.example/'>Alpha</a> <a href='https://b.example/'>  </a>"
                        "<a href='ftp://c.example/'>C</a> <a href='mailto:x@example.org'>Mail</a></body></html>");
    WebBrowser browser;
    QSignalSpy loaded(&browser, &WebBrowser::DocumentComplete);
    browser.Navigate(m_folder->file(QStringLiteral("links.html")));
    QVERIFY(loaded.wait(PageLoadTimeoutMs));

    FavImportMode = 1;
    Form17 *form = Form17::open(&browser);
    QCOMPARE(form->windowTitle(), QStringLiteral("List of Links"));
    QCOMPARE(form->Command1->text(), QStringLiteral("Get Links"));
    QSignalSpy collected(form, &Form17::collected);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QVERIFY(collected.wait(PageLoadTimeoutMs));
    QCOMPARE(rows(form->ListView1), (QStringList{"Alpha|http://a.example/", "Untitled|https://b.example/"}));
    QVERIFY(form->Command4->isEnabled());
}

void TestFavorites::droppedOntoTheTree_data()
{
    QTest::addColumn<bool>("fault");
    QTest::newRow("stored") << false;
    QTest::newRow("write refused half-way") << true;
}

void TestFavorites::droppedOntoTheTree()
{
    QFETCH(bool, fault);
    writeFile(m_favorites + "/Smith, John.url", shortcut("http://smith.example/"));
    IsOnline = false;
    Form1 *main = Form1Test::openSubTopic(QStringLiteral("Computing"), QStringLiteral("Programming"));
    Form17 *form = Form17::open(main->results, main);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QMimeData *data = form->ListView1->model()->mimeData(form->ListView1->selectionModel()->selectedIndexes());
    QVERIFY(data);

    TreeNode *tools = EditingTest::nodeAt(main, QStringLiteral("Programming\\Tools"));
    QVERIFY(tools);
    const QStringList before = EditionSnapshot();
    if (fault) {
        // The link's Sit row is written, its LksSit row refused.
        QVERIFY(WriteFault::arm(QStringLiteral("LksSit"), 0, WriteFault::Insert));
        DialogScript::answer(vbOK);
    }
    const QPoint at = EditingTest::nodePoint(main, tools);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main->TvwBestell->viewport(), &enter);
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main->TvwBestell->viewport(), &drop);
    delete data;
    if (fault) {
        QVERIFY(DialogScript::last().prompt.contains(WriteFault::message()));
        QCOMPARE(EditionSnapshot(), before);
        QVERIFY(!EditingTest::nodeAt(main, QStringLiteral("Programming\\Tools\\Smith, John")));
        WriteFault::disarm();
        return;
    }
    QVERIFY(EditingTest::nodeAt(main, QStringLiteral("Programming\\Tools\\Smith, John")));
    QCOMPARE(QueryRows(QStringLiteral("SELECT SitUrl FROM Sit WHERE SitName = 'Smith, John'")),
             QStringList{"http://smith.example/"});
}

QTEST_MAIN(TestFavorites)
#include "tst_favorites.moc"
