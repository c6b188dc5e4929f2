// The history tools: reading history index files, the index our browsers leave, the
// registry as text, and the "Internet History" dialog with its typed addresses.

#include "disk_full.h"
#include "form1_support.h"
#include "testhelper.h"

#include "platform/dialogs.h"
#include "platform/history_index_file.h"
#include "platform/registry.h"
#include "platform/url_history.h"
#include "platform/webbrowser.h"
#include "webtools/form26_history.h"
#include "webtools/history_clearing.h"
#include "webtools/history_index.h"
#include "webtools/registry_listing.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {

const QString shellFolders = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");

// One record: the marker, its text 119 bytes on, ended by a NUL unless cut.
QByteArray record(const QByteArray &text, bool ended = true)
{
    QByteArray r = "URL ";
    r.append(114, '\0');
    r.append(' ');
    r.append(text);
    if (ended)
        r.append('\0');
    return r;
}

QString historyFolder()
{
    return Registry::readText(HKEY_CURRENT_USER, shellFolders, QStringLiteral("History"));
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QStringList lines(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

} // namespace

class TestHistoryTools : public Form1Test::WindowTestCase
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void readHistoryIndex_data();
    void readHistoryIndex();
    void browsersLeaveAnIndex();
    void registryText_data();
    void registryText();
    void hexToNumber_data();
    void hexToNumber();
    void listingOfAKey();
    void getHistory();
    void deleteHistory();
    void noHistoryFolderDeletesNothing();
    void typedAddressesListedAndCleared();

private:
    std::unique_ptr<TestProgramFolder> m_folder;
    Form26 *openDialog();
    WebBrowser *m_browser = nullptr;
};

void TestHistoryTools::init()
{
    m_folder = std::make_unique<TestProgramFolder>();
    Registry::reload();
    UrlHistory::reload();
    m_browser = new WebBrowser;
    KeepOnThisMachine(m_browser);
}

void TestHistoryTools::cleanup()
{
    if (Form26 *form = Form26::existing())
        delete form;
    delete m_browser;
    RemoveProgramFolder(m_folder, true);
    Registry::reload();
    UrlHistory::reload();
}

Form26 *TestHistoryTools::openDialog()
{
    Form26 *form = Form26::open(m_browser);
    if (!QTest::qWaitForWindowExposed(form))
        qWarning("dialog not exposed");
    return form;
}

void TestHistoryTools::readHistoryIndex_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("urls");

    QTest::newRow("empty file") << QByteArray() << 0 << QStringList{""};
    QTest::newRow("no record") << QByteArray("Client UrlCache MMF Ver 5.2").leftJustified(256, '\0') << 0
                               << QStringList{""};
    QTest::newRow("one record") << record("Visited: ann@http://one.example/") << 1
                                << QStringList{"", "http://one.example/"};
    QTest::newRow("many records")
        << QByteArray(record("Visited: ann@http://a.example/") + record("file:///tmp/x.html")
                      + record("Visited: ann@https://b.example/x?y=1") + record(":2024 http://c.example/"))
        << 4 << QStringList{"", "http://a.example/", "", "https://b.example/x?y=1", "http://c.example/"};
    QTest::newRow("https before http") << record("Visited: ann@https://s.example/?back=http://p.example/") << 1
                                       << QStringList{"", "https://s.example/?back=http://p.example/"};
    QTest::newRow("http before https") << record("Visited: ann@http://p.example/?to=https://s.example/") << 1
                                       << QStringList{"", "http://p.example/?to=https://s.example/"};
    QTest::newRow("scheme in capitals") << record("Visited: ann@HTTP://u.example/ Https://v.example/") << 1
                                        << QStringList{"", ""};
    QTest::newRow("record running into the next")
        << QByteArray(record("Visited: ann@http://cut.example/", false) + record("Visited: ann@http://b.example/")) << 2
        << QStringList{"", "", "http://b.example/"};
    QTest::newRow("next record inside the text's offset")
        << QByteArray("URL " + QByteArray(20, '\0') + record("http://b.example/")) << 2
        << QStringList{"", "", "http://b.example/"};
    QTest::newRow("truncated file") << QByteArray(record("http://a.example/") + record("http://cut.exa", false)) << 2
                                    << QStringList{"", "http://a.example/", ""};
    QTest::newRow("record cut before its text") << QByteArray(record("http://a.example/") + "URL " + QByteArray(40, 'x'))
                                                << 2 << QStringList{"", "http://a.example/", ""};
    QByteArray many;
    QStringList manyUrls{""};
    for (int i = 0; i < 33000; ++i) {   // more records than a 16-bit count holds
        many += record("http://h.example/" + QByteArray::number(i));
        manyUrls.append(QStringLiteral("http://h.example/%1").arg(i));
    }
    QTest::newRow("33000 records") << many << 33000 << manyUrls;
    QByteArray noText = record("");
    noText[118] = '\0';
    QTest::newRow("record without text") << noText << 1 << QStringList{"", ""};
}

void TestHistoryTools::readHistoryIndex()
{
    QFETCH(QByteArray, content);
    const QString file = m_folder->file(QStringLiteral("index.dat"));
    writeFile(file, content);
    QTEST(ReadHistoryIndex(file), "count");
    QTEST(HistoryUrls, "urls");
    QCOMPARE(ReadHistoryIndex(m_folder->file(QStringLiteral("missing.dat"))), 0);
}

void TestHistoryTools::browsersLeaveAnIndex()
{
    UrlHistory::recordVisit(QUrl(QStringLiteral("http://a.example/")), QStringLiteral("A"));
    UrlHistory::recordVisit(QUrl(QStringLiteral("https://b.example/p?q=1")), QStringLiteral("B"));
    const QString index = HistoryIndexFile::filePath();
    QVERIFY(index.startsWith(historyFolder()));
    QCOMPARE(FindHistoryIndexFiles(historyFolder()), QStringList{index});
    QCOMPARE(ReadHistoryIndex(index), 2);
    QCOMPARE(HistoryUrls, (QStringList{"", "http://a.example/", "https://b.example/p?q=1"}));

    // A history that cannot be written stays whole; an address that is none is not kept.
    {
        const ReadOnlyFolder readOnly(QFileInfo(UrlHistory::filePath()).path());
        QVERIFY(!ClearUrlHistory(nullptr));
    }
    QVERIFY(UrlHistory::recordVisit(QUrl(), QStringLiteral("None")));
    QCOMPARE(UrlHistory::entries().size(), 2);
    QVERIFY(ClearUrlHistory(nullptr));
    QVERIFY(!QFile::exists(index));
    QVERIFY(UrlHistory::entries().isEmpty());
}

void TestHistoryTools::registryText_data()
{
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("line");
    QTest::newRow("dword") << REG_DWORD << Registry::dwordData(26) << "N = (DWORD) \"0000001A (26)\"";
    QTest::newRow("dword unsigned") << REG_DWORD << Registry::dwordData(0xFFFFFFFFu)
                                    << "N = (DWORD) \"FFFFFFFF (4294967295)\"";
    QTest::newRow("binary") << REG_BINARY << QByteArray("\x01\xff", 2) << "N = (BINARY) \"01 FF\"";
    QTest::newRow("text") << REG_SZ << Registry::textData("http://x/") << "N = \"http://x/\"";
    QTest::newRow("text without data") << REG_SZ << QByteArray() << "N = \"\"";
    QTest::newRow("other type") << REG_EXPAND_SZ << QByteArray("x") << "N = (Value not string, numeric or binary type)";
}

void TestHistoryTools::registryText()
{
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QTEST(RegValueLine(QStringLiteral("N"), type, data), "line");
}

void TestHistoryTools::hexToNumber_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("result");
    QTest::newRow("1A") << "1A" << 16 << 10 << "26";
    QTest::newRow("lower case") << "ff" << 16 << 10 << "255";
    QTest::newRow("zero") << "0" << 16 << 10 << "0";
    QTest::newRow("to hex") << "255" << 10 << 16 << "FF";
    QTest::newRow("empty") << "" << 16 << 10 << "";
    QTest::newRow("base 1") << "1" << 1 << 10 << "";
    QTest::newRow("base 37") << "1" << 37 << 10 << "";
    QTest::newRow("not a digit") << "G" << 16 << 10 << "";
}

void TestHistoryTools::hexToNumber()
{
    QFETCH(QString, digits);
    QFETCH(int, from);
    QFETCH(int, to);
    QTEST(HexToNumber(digits, from, to), "result");
}

void TestHistoryTools::listingOfAKey()
{
    RegKey key;
    QCOMPARE(Registry::createKey(HKEY_CURRENT_USER, QStringLiteral("Software\\T\\Key"), &key), ERROR_SUCCESS);
    QCOMPARE(SetValueEx(key, QString(), REG_SZ, QStringLiteral("d")), ERROR_SUCCESS);
    QCOMPARE(SetValueEx(key, QStringLiteral("B"), REG_DWORD, 1u), ERROR_SUCCESS);
    QCOMPARE(Registry::setValue(key, QStringLiteral("Long"), REG_BINARY, QByteArray(2000, 'x')), ERROR_SUCCESS);
    QCOMPARE(SetValueEx(key, QStringLiteral("After"), REG_SZ, QStringLiteral("kept")), ERROR_SUCCESS);
    QCOMPARE(Registry::createKey(key, QStringLiteral("Sub"), nullptr), ERROR_SUCCESS);

    RegListingIndent = 0;
    ListRegistryKey(HKEY_CURRENT_USER, QStringLiteral("Software\\T\\Key"));
    // The first value beside the key's name, the others lined up under it; a value too
    // long to show is left out; each key ends with an empty line.
    QCOMPARE(ShellFoldersText, QStringLiteral("Key     [Default] = \"d\"\r\n"
                                              "        B = (DWORD) \"00000001 (1)\"\r\n"
                                              "        After = \"kept\"\r\n\r\n"
                                              "   Sub\r\n"));

    // A key that cannot be opened is reported and leaves no text of an earlier listing.
    DialogScript::answer(vbOK);
    ListRegistryKey(HKEY_CURRENT_USER, QStringLiteral("Software\\T\\Missing"));
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Unable to open a subkey"));
    QCOMPARE(ShellFoldersText, QString());
}

void TestHistoryTools::getHistory()
{
    const QString folder = historyFolder();
    writeFile(folder + "/History.IE5/INDEX.DAT", record("Visited: ann@http://a.example/"));
    writeFile(folder + "/History.IE5/MSHist01/index.dat",
              record("Visited: ann@HTTP://skip") + record("Visited: ann@http://A.example/") + record("http://b.example/"));
    writeFile(folder + "/.hidden/INDEX.DAT", record("http://hidden.example/"));
    // Index files over 64 MB are refused and named: one that says so, and a file of the
    // system that says it has no size.
    writeFile(folder + "/Big/INDEX.DAT", record("http://big.example/"));
    QVERIFY(QFile::resize(folder + "/Big/INDEX.DAT", (qint64(64) << 20) + 1));
    QDir().mkpath(folder + "/System");
    QVERIFY(QFile::link(QStringLiteral("/proc/self/pagemap"), folder + "/System/INDEX.DAT"));

    Form26 *form = openDialog();
    QVERIFY(!form->Command5->isEnabled());
    DialogScript::answer(vbOK);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt,
             "The history index file " + folder + "/Big/INDEX.DAT is larger than 64 MB and was not read.\n"
             "The history index file " + folder + "/System/INDEX.DAT is larger than 64 MB and was not read.");
    QCOMPARE(lines(form->List1), (QStringList{"http://a.example/", "http://b.example/"}));
    QVERIFY(form->Command5->isEnabled());

    // A double click opens the address in the main window's browser.
    const QRect second = form->List1->visualItemRect(form->List1->item(1));
    QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(form->List1->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(m_browser->lastNavigated(), QStringLiteral("http://b.example/"));
}

void TestHistoryTools::deleteHistory()
{
    UrlHistory::recordVisit(QUrl(QStringLiteral("http://a.example/")), QStringLiteral("A"));
    const QString other = historyFolder() + "/Other/INDEX.DAT";
    writeFile(other, record("http://b.example/"));
    Form26 *form = openDialog();
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(form->List1->count(), 2);

    // No: nothing is deleted.
    DialogScript::answer(vbNo);
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QCOMPARE(form->List1->count(), 2);
    QVERIFY(QFile::exists(other));
    QVERIFY(!form->Command5->isEnabled());

    {   // A history that cannot be written is reported and stays listed.
        const ReadOnlyFolder readOnly(QFileInfo(UrlHistory::filePath()).path());
        DialogScript::answer(vbYes);
        DialogScript::answer(vbOK);
        QTest::mouseClick(form->Command3, Qt::LeftButton);
    }
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The history could not be written: it was not deleted."));
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(form->List1->count(), 2);
    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QCOMPARE(DialogScript::shown().at(0).prompt, QStringLiteral("Are you sure you want to delete the History ?"));
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Your Internet History has been successfully deleted."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Delete History"));
    QCOMPARE(form->List1->count(), 0);
    QVERIFY(!QFile::exists(other));
    QVERIFY(UrlHistory::entries().isEmpty());
    QVERIFY(FindHistoryIndexFiles(historyFolder()).isEmpty());
}

void TestHistoryTools::noHistoryFolderDeletesNothing()
{
    // Index files outside the History folder (here in the current folder) are never touched.
    const QString outside = m_folder->file(QStringLiteral("INDEX.DAT"));
    writeFile(outside, record("http://a.example/"));
    QDir::setCurrent(m_folder->path());
    RegKey key;
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, shellFolders, &key), ERROR_SUCCESS);
    QCOMPARE(Registry::deleteValue(key, QStringLiteral("History")), ERROR_SUCCESS);
    QCOMPARE(FindHistoryIndexFiles(QString()), QStringList());

    Form26 *form = openDialog();
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(form->List1->count(), 0);
    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QVERIFY(QFile::exists(outside));
    QVERIFY(form->indexFiles().isEmpty());
}

void TestHistoryTools::typedAddressesListedAndCleared()
{
    RegKey key;
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, TypedUrlsKey, &key), ERROR_SUCCESS);
    SetValueEx(key, QStringLiteral("url1"), REG_SZ, QStringLiteral("http://typed.example/"));
    SetValueEx(key, QStringLiteral("url2"), REG_SZ, QStringLiteral("www.noscheme.example"));
    SetValueEx(key, QStringLiteral("url3"), REG_SZ, QStringLiteral("https://secure.example/"));
    SetValueEx(key, QStringLiteral("url4"), REG_SZ, QStringLiteral("HTTP://TYPED.example/"));

    Form26 *form = openDialog();
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    QCOMPARE(lines(form->List1), (QStringList{"http://typed.example/", "https://secure.example/"}));
    QVERIFY(form->Command5->isEnabled());

    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(DialogScript::shown().at(0).prompt,
             QStringLiteral("Are you sure you want to delete the  AutoComplete Entries ?"));
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("The  AutoComplete Entries have been successfully deleted."));
    QCOMPARE(DialogScript::last().title, QStringLiteral("Delete AutoComplete Entries"));
    QVERIFY(!form->Command5->isEnabled());
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, TypedUrlsKey, &key), ERROR_SUCCESS);
    QVERIFY(Registry::valueNames(key).isEmpty());

    QTest::mouseClick(form->Command2, Qt::LeftButton);
    QCOMPARE(form->List1->count(), 0);

    // A registry that cannot be written is reported instead of a success.
    const QString file = Registry::filePath();
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir().mkdir(file));
    DialogScript::answer(vbYes);
    DialogScript::answer(vbOK);
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(DialogScript::last().prompt, QStringLiteral("Unable to create the registry key"));
    QVERIFY(QDir().rmdir(file));
}

QTEST_MAIN(TestHistoryTools)
#include "tst_history_tools.moc"
