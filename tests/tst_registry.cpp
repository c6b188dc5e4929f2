// The program's registry: keys, values, enumeration order, deletion and its file.
#include "testhelper.h"

#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

namespace {

const QString shellFolders = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");

} // namespace

class TestRegistry : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void seededShellFolders();
    void keysAndEnumeration();
    void deletion();
    void valuesSurviveTheFile_data();
    void valuesSurviveTheFile();
    void damagedLinesAreSkipped_data();
    void damagedLinesAreSkipped();
    void setValueEx_data();
    void setValueEx();
    void failedWriteChangesNothing();

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

void TestRegistry::init()
{
    m_folder = std::make_unique<TestProgramFolder>();
    Registry::reload();
}

void TestRegistry::cleanup()
{
    m_folder.reset();
    Registry::reload();
}

void TestRegistry::seededShellFolders()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/QuorvaneDesktop");
    QCOMPARE(Registry::filePath(), config + QStringLiteral("/registry.ini"));
    QCOMPARE(Registry::readText(HKEY_CURRENT_USER, shellFolders, QStringLiteral("Favorites")),
             QDir::homePath() + QStringLiteral("/Favorites"));
    QCOMPARE(Registry::readText(HKEY_CURRENT_USER, shellFolders, QStringLiteral("History")),
             config + QStringLiteral("/History"));
    QVERIFY(QFile::exists(Registry::filePath()));
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Internet Explorer\\TypedURLs"),
                               nullptr),
             ERROR_SUCCESS);

    // A seeded value that went missing is put back; other values stay as the user left them.
    RegKey key;
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, shellFolders, &key), ERROR_SUCCESS);
    QCOMPARE(Registry::deleteValue(key, QStringLiteral("History")), ERROR_SUCCESS);
    QCOMPARE(SetValueEx(key, QStringLiteral("Favorites"), REG_SZ, QStringLiteral("/elsewhere")), ERROR_SUCCESS);
    Registry::reload();
    QCOMPARE(Registry::readText(HKEY_CURRENT_USER, shellFolders, QStringLiteral("History")),
             config + QStringLiteral("/History"));
    QCOMPARE(Registry::readText(HKEY_CURRENT_USER, shellFolders, QStringLiteral("Favorites")),
             QStringLiteral("/elsewhere"));
}

void TestRegistry::keysAndEnumeration()
{
    RegKey key;
    bool existed = true;
    QCOMPARE(Registry::createKey(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Test\\Zeta"), &key, &existed),
             ERROR_SUCCESS);
    QVERIFY(!existed);
    QCOMPARE(key.path(), QStringLiteral("Software\\Test\\Zeta"));
    // Leading, trailing and doubled separators and letter case do not make another key.
    QCOMPARE(Registry::createKey(HKEY_LOCAL_MACHINE, QStringLiteral("\\software\\TEST\\\\zeta\\"), nullptr, &existed),
             ERROR_SUCCESS);
    QVERIFY(existed);
    QCOMPARE(Registry::createKey(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Test\\Alpha"), nullptr), ERROR_SUCCESS);
    QCOMPARE(Registry::createKey(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Test\\Mid"), nullptr), ERROR_SUCCESS);

    RegKey test;
    QCOMPARE(Registry::openKey(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Test"), &test), ERROR_SUCCESS);
    QCOMPARE(Registry::subKeyNames(test), (QStringList{"Zeta", "Alpha", "Mid"}));
    QString name;
    QCOMPARE(Registry::enumKey(test, 3, &name), ERROR_NO_MORE_ITEMS);
    QCOMPARE(Registry::openKey(test, QStringLiteral("alpha"), &key), ERROR_SUCCESS);
    QCOMPARE(key.path(), QStringLiteral("Software\\Test\\alpha"));
    QCOMPARE(Registry::openKey(test, QStringLiteral("Missing"), &key), ERROR_FILE_NOT_FOUND);
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Test"), &key), ERROR_FILE_NOT_FOUND);
    QCOMPARE(Registry::createKey(test, QStringLiteral("bad\nname"), nullptr), ERROR_BAD_PATHNAME);
    QCOMPARE(Registry::openKey(RegKey(0x12345u), QString(), nullptr), ERROR_INVALID_HANDLE);

    // Values keep the order they were made in; a replaced value keeps its place.
    QCOMPARE(Registry::setValue(test, QStringLiteral("b"), REG_SZ, Registry::textData(QStringLiteral("1"))), ERROR_SUCCESS);
    QCOMPARE(Registry::setValue(test, QStringLiteral("a"), REG_DWORD, Registry::dwordData(26)), ERROR_SUCCESS);
    QCOMPARE(Registry::setValue(test, QString(), REG_SZ, Registry::textData(QStringLiteral("default"))), ERROR_SUCCESS);
    QCOMPARE(Registry::setValue(test, QStringLiteral("B"), REG_SZ, Registry::textData(QStringLiteral("2"))), ERROR_SUCCESS);
    QCOMPARE(Registry::valueNames(test), (QStringList{"b", "a", ""}));
    quint32 type = 0;
    QByteArray data;
    QCOMPARE(Registry::enumValue(test, 0, &name, &type, &data), ERROR_SUCCESS);
    QCOMPARE(type, REG_SZ);
    QCOMPARE(Registry::dataText(data), QStringLiteral("2"));
    QCOMPARE(Registry::queryValue(test, QStringLiteral("A"), &type, &data), ERROR_SUCCESS);
    QCOMPARE(type, REG_DWORD);
    QCOMPARE(Registry::dataDword(data), quint32(26));
    QCOMPARE(Registry::queryValue(test, QStringLiteral("none"), &type, &data), ERROR_FILE_NOT_FOUND);
    QCOMPARE(Registry::enumValue(test, 3, &name, &type, &data), ERROR_NO_MORE_ITEMS);

    QCOMPARE(Registry::hiveFromName(QStringLiteral("HKEY_LOCAL_MACHINE")), HKEY_LOCAL_MACHINE);
    QCOMPARE(Registry::hiveFromName(QStringLiteral("HKEY_DYN_DATA")), HKEY_DYN_DATA);
    QCOMPARE(Registry::hiveFromName(QStringLiteral("hkey_local_machine")), 0u);
    QCOMPARE(Registry::hiveName(HKEY_CURRENT_USER), QStringLiteral("HKEY_CURRENT_USER"));
}

void TestRegistry::deletion()
{
    RegKey parent;
    QCOMPARE(Registry::createKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Del\\Child\\Grandchild"), nullptr),
             ERROR_SUCCESS);
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Del"), &parent), ERROR_SUCCESS);

    // A key with subkeys is refused by the plain deletion.
    QCOMPARE(Registry::deleteKey(parent, QStringLiteral("Child")), ERROR_ACCESS_DENIED);
    QCOMPARE(Registry::deleteKey(parent, QStringLiteral("Child\\Grandchild")), ERROR_SUCCESS);
    QCOMPARE(Registry::deleteKey(parent, QStringLiteral("Child\\Grandchild")), ERROR_FILE_NOT_FOUND);

    // The tree deletion takes everything; an open key of it is then gone.
    RegKey child;
    QCOMPARE(Registry::createKey(parent, QStringLiteral("Child\\Again"), &child), ERROR_SUCCESS);
    QCOMPARE(Registry::setValue(child, QStringLiteral("v"), REG_BINARY, QByteArray("\x01\xff", 2)), ERROR_SUCCESS);
    QCOMPARE(Registry::deleteTree(HKEY_CURRENT_USER, QStringLiteral("Software\\Del")), ERROR_SUCCESS);
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Del"), nullptr), ERROR_FILE_NOT_FOUND);
    QCOMPARE(Registry::queryValue(child, QStringLiteral("v"), nullptr, nullptr), ERROR_KEY_DELETED);
    QCOMPARE(Registry::setValue(child, QStringLiteral("v"), REG_SZ, QByteArray()), ERROR_KEY_DELETED);

    // An empty key path never deletes a hive or the opened key's parent.
    QCOMPARE(Registry::deleteTree(HKEY_CURRENT_USER, QString()), ERROR_INVALID_PARAMETER);
    QCOMPARE(Registry::deleteKey(HKEY_CURRENT_USER, QStringLiteral("\\")), ERROR_INVALID_PARAMETER);
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, shellFolders, nullptr), ERROR_SUCCESS);

    // The deletions reached the file.
    Registry::reload();
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Del"), nullptr), ERROR_FILE_NOT_FOUND);
}

void TestRegistry::valuesSurviveTheFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("plain text") << "Text" << REG_SZ << Registry::textData(QStringLiteral("hello world"));
    QTest::newRow("quotes, backslashes, line ends")
        << "Path" << REG_SZ << Registry::textData(QStringLiteral("C:\\a \"b\"\r\n\tc=d;[e]"));
    QTest::newRow("other scripts") << "Name" << REG_SZ << Registry::textData(QStringLiteral("Café ☕ 日本"));
    QTest::newRow("empty text") << "Empty" << REG_SZ << Registry::textData(QString());
    QTest::newRow("text without NUL") << "Raw" << REG_SZ << QByteArray("no terminator");
    QTest::newRow("NUL inside") << "Nul" << REG_SZ << QByteArray("a\0b\0", 4);
    QTest::newRow("invalid UTF-8") << "Latin1" << REG_SZ << QByteArray("caf\xe9\0", 5);
    QTest::newRow("largest number") << "Big" << REG_DWORD << Registry::dwordData(0xffffffffu);
    QTest::newRow("number") << "Small" << REG_DWORD << Registry::dwordData(26);
    QTest::newRow("short number bytes") << "Odd" << REG_DWORD << QByteArray("\x01\x02", 2);
    QTest::newRow("binary") << "Bin" << REG_BINARY << QByteArray("\x01\xff", 2);
    QTest::newRow("another type") << "Multi" << quint32(7) << QByteArray("a\0\0", 3);
    QTest::newRow("default value") << "" << REG_SZ << Registry::textData(QStringLiteral("def"));
    QTest::newRow("odd value name") << "a \"b\" = [c]\\" << REG_SZ << Registry::textData(QStringLiteral("x"));
    QTest::newRow("name with line end") << "two\nlines" << REG_SZ << Registry::textData(QStringLiteral("y"));
}

void TestRegistry::valuesSurviveTheFile()
{
    QFETCH(QString, name);
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    RegKey key;
    QCOMPARE(Registry::createKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Round [trip] \"key\""), &key),
             ERROR_SUCCESS);
    QCOMPARE(Registry::setValue(key, QStringLiteral("before"), REG_SZ, Registry::textData(QStringLiteral("1"))),
             ERROR_SUCCESS);
    QCOMPARE(Registry::setValue(key, name, type, data), ERROR_SUCCESS);
    QCOMPARE(Registry::setValue(key, QStringLiteral("after"), REG_DWORD, Registry::dwordData(2)), ERROR_SUCCESS);

    Registry::reload();
    quint32 readType = 0;
    QByteArray readData;
    QCOMPARE(Registry::queryValue(key, name, &readType, &readData), ERROR_SUCCESS);
    QCOMPARE(readType, type);
    QCOMPARE(readData, data);
    QCOMPARE(Registry::valueNames(key), (QStringList{QStringLiteral("before"), name, QStringLiteral("after")}));
}

// A damaged value line in the file adds no value; the lines around it still count.
void TestRegistry::damagedLinesAreSkipped_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("name without quotes") << QByteArray("v\"=\"x\"");
    QTest::newRow("no name") << QByteArray("=\"x\"");
    QTest::newRow("name ends in a backslash") << QByteArray("\"v\\");
    QTest::newRow("name never closed") << QByteArray("\"v=1");
    QTest::newRow("bad escape in the name") << QByteArray("\"v\\xzz\"=\"x\"");
    QTest::newRow("no equals sign") << QByteArray("\"v\"x\"y\"");
    QTest::newRow("text never closed") << QByteArray("\"v\"=\"x");
    QTest::newRow("bad number") << QByteArray("\"v\"=dword:zz");
    QTest::newRow("bad byte") << QByteArray("\"v\"=hex:01,zz");
    QTest::newRow("byte too large") << QByteArray("\"v\"=hex:100");
    QTest::newRow("bad type") << QByteArray("\"v\"=hex(zz):01");
    QTest::newRow("unknown kind") << QByteArray("\"v\"=text");
}

void TestRegistry::damagedLinesAreSkipped()
{
    QFETCH(QByteArray, line);
    QVERIFY(QDir().mkpath(QFileInfo(Registry::filePath()).path()));
    QFile file(Registry::filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[HKEY_CURRENT_USER\\Software\\Damaged]\n\"before\"=\"1\"\n" + line + "\n\"after\"=\"2\"\n");
    file.close();
    Registry::reload();
    RegKey key;
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Damaged"), &key), ERROR_SUCCESS);
    QCOMPARE(Registry::valueNames(key), (QStringList{QStringLiteral("before"), QStringLiteral("after")}));
}

void TestRegistry::setValueEx_data()
{
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<long>("result");
    QTest::addColumn<QByteArray>("stored");   // empty: nothing stored

    QTest::newRow("text") << REG_SZ << QVariant(QStringLiteral("yes")) << ERROR_SUCCESS << QByteArray("yes\0", 4);
    QTest::newRow("empty text") << REG_SZ << QVariant(QString()) << ERROR_SUCCESS << QByteArray("\0", 1);
    QTest::newRow("number") << REG_DWORD << QVariant(26) << ERROR_SUCCESS << QByteArray("\x1a\0\0\0", 4);
    QTest::newRow("negative number") << REG_DWORD << QVariant(-1) << ERROR_SUCCESS << QByteArray("\xff\xff\xff\xff", 4);
    QTest::newRow("binary refused") << REG_BINARY << QVariant(QByteArray("x")) << ERROR_INVALID_PARAMETER << QByteArray();
    QTest::newRow("unknown type refused") << quint32(99) << QVariant(1) << ERROR_INVALID_PARAMETER << QByteArray();
}

void TestRegistry::setValueEx()
{
    QFETCH(quint32, type);
    QFETCH(QVariant, value);
    QFETCH(long, result);
    QFETCH(QByteArray, stored);
    RegKey key;
    QCOMPARE(Registry::createKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main"), &key),
             ERROR_SUCCESS);
    QCOMPARE(SetValueEx(key, QStringLiteral("Disable Script Debugger"), type, value), result);
    quint32 readType = 0;
    QByteArray data;
    const long found = Registry::queryValue(key, QStringLiteral("Disable Script Debugger"), &readType, &data);
    if (stored.isEmpty()) {
        QCOMPARE(found, ERROR_FILE_NOT_FOUND);
    } else {
        QCOMPARE(found, ERROR_SUCCESS);
        QCOMPARE(readType, type);
        QCOMPARE(data, stored);
    }
    QCOMPARE(SetValueEx(RegKey(), QStringLiteral("x"), REG_SZ, QStringLiteral("x")), ERROR_INVALID_HANDLE);
}

void TestRegistry::failedWriteChangesNothing()
{
    RegKey key;
    QCOMPARE(Registry::createKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Kept"), &key), ERROR_SUCCESS);
    QCOMPARE(Registry::setValue(key, QStringLiteral("v"), REG_SZ, Registry::textData(QStringLiteral("old"))),
             ERROR_SUCCESS);

    // The registry file cannot be replaced while a folder stands in its name.
    const QString file = Registry::filePath();
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir().mkdir(file));
    QCOMPARE(Registry::setValue(key, QStringLiteral("v"), REG_SZ, Registry::textData(QStringLiteral("new"))),
             ERROR_REGISTRY_IO_FAILED);
    QCOMPARE(Registry::createKey(HKEY_CURRENT_USER, QStringLiteral("Software\\New"), nullptr),
             ERROR_REGISTRY_IO_FAILED);
    QCOMPARE(Registry::openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\New"), nullptr), ERROR_FILE_NOT_FOUND);
    // Reading still works: the seeded folders are there.
    QVERIFY(!Registry::readText(HKEY_CURRENT_USER, shellFolders, QStringLiteral("History")).isEmpty());
    QVERIFY(QDir().rmdir(file));
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
