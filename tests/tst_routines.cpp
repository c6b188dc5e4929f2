// The shared text, name, file and window routines.
#include "child_run.h"
#include "testhelper.h"

#include "platform/browserversion.h"
#include "platform/dialogs.h"
#include "platform/whole_file.h"
#include "shared/fileroutines.h"
#include "shared/routines.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QScreen>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The user and group id of nobody, an ordinary user.
constexpr unsigned NobodyId = 65534;

void writeBytes(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// Receives the addresses the desktop is asked to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class TestRoutines : public QObject
{
    Q_OBJECT
private slots:
    void getPiece_data();
    void getPiece();
    void countAndReverse_data();
    void countAndReverse();
    void properCase_data();
    void properCase();
    void properCaseAddress_data();
    void properCaseAddress();
    void nameChecks_data();
    void nameChecks();
    void fileTimeToLongDate();

    void fileExists_data();
    void fileExists();
    void fileExistsNonEmpty_data();
    void fileExistsNonEmpty();
    void createFolderPath();
    void copyFolderFiles();
    void copyFolderFilesKeepsTargetOnFailure();
    void writeEditionDescriptor();
    void shellOpen();
    void centerForm();
    void browserVersion();
};

void TestRoutines::getPiece_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first piece") << "a|b|c" << "|" << 1 << 1 << "a";
    QTest::newRow("middle piece") << "a|b|c" << "|" << 2 << 2 << "b";
    QTest::newRow("last piece") << "a|b|c" << "|" << 3 << 3 << "c";
    QTest::newRow("beyond the end") << "a|b|c" << "|" << 4 << 4 << "";
    QTest::newRow("range keeps delimiters") << "a|b|c" << "|" << 2 << 3 << "b|c";
    QTest::newRow("range past the end") << "a|b|c" << "|" << 2 << 9 << "b|c";
    QTest::newRow("first below 1") << "a|b|c" << "|" << 0 << 0 << "a";
    QTest::newRow("last below first") << "a|b|c" << "|" << 3 << 1 << "c";
    QTest::newRow("no delimiter: whole text") << "abc" << "|" << 2 << 5 << "abc";
    QTest::newRow("comma first") << "a,b" << "," << 1 << 1 << "a";
    QTest::newRow("leading comma") << ",b" << "," << 1 << 1 << "";
    QTest::newRow("comma second") << "a,b" << "," << 2 << 2 << "b";
    QTest::newRow("after trailing comma") << "a,b," << "," << 3 << 3 << "";
    QTest::newRow("backslash is data") << "Root\\Cat\\Sub" << "\\" << 2 << 2 << "Cat";
    QTest::newRow("case-sensitive delimiter") << "aXbxc" << "x" << 2 << 2 << "c";
    QTest::newRow("empty text") << "" << "|" << 1 << 1 << "";
    QTest::newRow("empty delimiter") << "a|b" << "" << 1 << 1 << "";
    const QString longText = QString(40000, QLatin1Char('x')) + QStringLiteral("|tail");
    QTest::newRow("beyond 16-bit positions") << longText << "|" << 2 << 2 << "tail";
}

void TestRoutines::getPiece()
{
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QString, expected);
    QCOMPARE(GetPiece(text, delimiter, first, last), expected);
}

void TestRoutines::countAndReverse_data()
{
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("reversed");   // ReversePathOrder of text

    QTest::newRow("path") << "/" << "A/B/C" << 2 << "C/B/A";
    QTest::newRow("non-overlapping") << "aa" << "aaaa" << 2 << "aaaa";
    QTest::newRow("case-sensitive") << "a" << "AaA/a" << 2 << "a/AaA";
    QTest::newRow("single segment") << "/" << "Links" << 0 << "Links";
    QTest::newRow("trailing slash") << "/" << "a/b/" << 2 << "/b/a";
    QTest::newRow("empty needle counts nothing") << "" << "abc" << 0 << "abc";
}

void TestRoutines::countAndReverse()
{
    QFETCH(QString, needle);
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(QString, reversed);
    QCOMPARE(CountOccurrences(needle, text), count);
    QCOMPARE(ReversePathOrder(text), reversed);
    QCOMPARE(ReversePathOrder(ReversePathOrder(text)), text);
}

void TestRoutines::properCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("words") << "my LINKS here" << "My Links Here";
    QTest::newRow("underscore joins") << "my_links" << "My_links";
    QTest::newRow("other separators") << "a\tb\nc\rd" << "A\tB\nC\rD";
    QTest::newRow("hyphen is no separator") << "smith-JONES" << "Smith-jones";
    QTest::newRow("accented letters") << "élan ÉCOLE" << "Élan École";
    QTest::newRow("digit first") << "2ND place" << "2nd Place";
    QTest::newRow("empty") << "" << "";
}

void TestRoutines::properCase()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ProperCase(text), expected);
}

void TestRoutines::properCaseAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("street and hyphen") << "12 main st - north side" << "12 Main ST -North Side";
    QTest::newRow("p.o.") << "12 p.o. box" << "12 P.O. Box";
    QTest::newRow("roman and hyphenated name") << "unit iv smith-jones rd" << "Unit IV Smith-Jones RD";
    QTest::newRow("first word not looked up") << "rd smith" << "Rd Smith";
    QTest::newRow("capitals not in the list") << "12 MAIN RD" << "12 Main Rd";
    QTest::newRow("other two-letter word") << "go to it" << "Go To It";
    QTest::newRow("three-letter listed") << "king henry iii" << "King Henry III";
    QTest::newRow("four letters, three listed") << "a s.wx" << "A S.Wx";
    QTest::newRow("five letters not looked up") << "a s.w.x" << "A S.w.x";
    QTest::newRow("viii whole") << "henry viii" << "Henry VIII";
    QTest::newRow("longer word starting listed") << "a stop" << "A Stop";
    QTest::newRow("run of blanks after hyphen") << "a -   b" << "A -B";
    QTest::newRow("trailing hyphen") << "north-" << "North-";
    QTest::newRow("double blank") << "a  st" << "A  ST";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("null") << QString() << "";
}

void TestRoutines::properCaseAddress()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    DialogScript::begin();
    QCOMPARE(ProperCaseAddress(text), expected);
    QVERIFY(DialogScript::shown().isEmpty());
    DialogScript::end();
}

void TestRoutines::nameChecks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("containsText");
    QTest::addColumn<bool>("plainName");
    QTest::addColumn<int>("digits");

    QTest::newRow("digits only") << "123" << false << true << 123;
    QTest::newRow("single blank") << " " << true << true << 0;
    QTest::newRow("plain name") << "My Links (2)" << true << true << 2;
    QTest::newRow("underscore") << "a_b" << true << false << 0;
    QTest::newRow("empty") << "" << false << false << 0;
    QTest::newRow("accented letter only") << "é" << false << false << 0;
    QTest::newRow("mixed digits") << "a1b2" << true << true << 12;
    QTest::newRow("leading zeros") << "url007" << true << true << 7;
    QTest::newRow("beyond 16 bits gives 0") << "n32768" << true << true << 0;
    QTest::newRow("very long number gives 0") << "99999999999999999999" << false << true << 0;
    QTest::newRow("signs are dropped") << "-5.5" << false << false << 55;
    QTest::newRow("other script digits dropped") << "٣4" << false << false << 4;
}

void TestRoutines::nameChecks()
{
    QFETCH(QString, text);
    QFETCH(bool, containsText);
    QFETCH(bool, plainName);
    QFETCH(int, digits);
    QCOMPARE(ContainsTextChar(text), containsText);
    QCOMPARE(IsPlainName(text), plainName);
    QCOMPARE(ValDigits(text), digits);
}

void TestRoutines::fileTimeToLongDate()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto fileTime = [](const QDateTime &utc) {
        return (utc.toMSecsSinceEpoch() + Q_INT64_C(11644473600000)) * 10000;
    };
    // Late in the evening, universal time: the date stays the same whatever the time zone.
    QCOMPARE(FileTimeToLongDate(fileTime(QDateTime(QDate(2005, 8, 29), QTime(23, 59, 59), Qt::UTC))),
             QStringLiteral("Monday August 29, 2005"));
    QCOMPARE(FileTimeToLongDate(fileTime(QDateTime(QDate(2024, 3, 1), QTime(0, 0), Qt::UTC))),
             QStringLiteral("Friday March 1, 2024"));
    QCOMPARE(FileTimeToLongDate(0), QStringLiteral("Monday January 1, 1601"));
    QCOMPARE(FileTimeToLongDate(-1), QString());
    QVERIFY(!FileTimeToLongDate(std::numeric_limits<qint64>::max()).isEmpty());

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(FileTimeToLongDate(fileTime(QDateTime(QDate(2005, 8, 29), QTime(12, 0), Qt::UTC))),
             QStringLiteral("Montag August 29, 2005"));
    QLocale::setDefault(QLocale::system());
}

void TestRoutines::fileExists_data()
{
    QTest::addColumn<QString>("name");   // below the test folder; "" asks for an empty path
    QTest::addColumn<bool>("expected");

    QTest::newRow("wildcard") << "*.mdb" << true;
    QTest::newRow("wildcard in capitals") << "*.MDB" << true;
    QTest::newRow("exact name, other case") << "links.mdb" << true;
    QTest::newRow("question mark") << "Link?.mdb" << true;
    QTest::newRow("brackets are literal") << "My [1].txt" << true;
    QTest::newRow("bracket pattern is no class") << "My [2].txt" << false;
    QTest::newRow("folder") << "sub.dir" << false;
    QTest::newRow("hidden file") << ".hidden.cfg" << false;
    QTest::newRow("hidden only match") << "*.cfg" << false;
    QTest::newRow("no match") << "*.xyz" << false;
    QTest::newRow("missing folder") << "nofolder/*.mdb" << false;
    QTest::newRow("file inside sub-folder") << "sub.dir/inner.txt" << true;
    QTest::newRow("empty path") << "" << false;
    QTest::newRow("longest name, written whole") << QString(255, QLatin1Char('L')) << true;
    QTest::newRow("written under a scratch name") << "named.txt" << true;
}

void TestRoutines::fileExists()
{
    QFETCH(QString, name);
    QFETCH(bool, expected);
    QTemporaryDir dir;
    const QString base = dir.path() + QLatin1Char('/');
    writeBytes(base + QStringLiteral("Links.MDB"), "x");
    writeBytes(base + QStringLiteral("My [1].txt"), "x");
    writeBytes(base + QStringLiteral(".hidden.cfg"), "x");
    QVERIFY(QDir().mkdir(base + QStringLiteral("sub.dir")));
    writeBytes(base + QStringLiteral("sub.dir/inner.txt"), "x");
    QVERIFY(WriteWholeFile(base + QString(255, QLatin1Char('L')), "x"));
    SetUnnamedFilesRefused(true);
    const bool named = WriteWholeFile(base + QStringLiteral("named.txt"), "x");
    SetUnnamedFilesRefused(false);
    QVERIFY(named);
    QCOMPARE(FileExists(name.isEmpty() ? QString() : base + name), expected);
}

void TestRoutines::fileExistsNonEmpty_data()
{
    QTest::addColumn<QString>("path");   // "@" stands for the test folder
    QTest::addColumn<bool>("expected");
    QTest::newRow("file with content") << "@/full.txt" << true;
    QTest::newRow("surrounding blanks") << "  @/full.txt  " << true;
    QTest::newRow("other letter case") << "@/FULL.TXT" << true;
    QTest::newRow("empty file") << "@/empty.txt" << false;
    QTest::newRow("missing file") << "@/none.txt" << false;
    QTest::newRow("folder") << "@/sub" << false;
    QTest::newRow("blanks only") << "   " << false;
    QTest::newRow("empty") << "" << false;
}

void TestRoutines::fileExistsNonEmpty()
{
    QFETCH(QString, path);
    QFETCH(bool, expected);
    QTemporaryDir dir;
    writeBytes(dir.filePath(QStringLiteral("full.txt")), "data");
    writeBytes(dir.filePath(QStringLiteral("empty.txt")), "");
    QVERIFY(QDir().mkdir(dir.filePath(QStringLiteral("sub"))));
    QCOMPARE(FileExistsNonEmpty(path.replace(QLatin1Char('@'), dir.path())), expected);
}

void TestRoutines::createFolderPath()
{
    QTemporaryDir dir;
    const QString base = dir.path();
    QVERIFY(CreateFolderPath(base + QStringLiteral("/a/b/c/")));
    QVERIFY(QFileInfo(base + QStringLiteral("/a/b/c")).isDir());
    // Existing levels are left alone, a doubled separator is harmless.
    writeBytes(base + QStringLiteral("/a/keep.txt"), "k");
    QVERIFY(CreateFolderPath(base + QStringLiteral("/a//b/d")));
    QVERIFY(QFileInfo(base + QStringLiteral("/a/b/d")).isDir());
    QCOMPARE(readBytes(base + QStringLiteral("/a/keep.txt")), QByteArray("k"));
    // A level blocked by a file is skipped; the answer is still true.
    writeBytes(base + QStringLiteral("/blocked"), "f");
    QVERIFY(CreateFolderPath(base + QStringLiteral("/blocked/x")));
    QVERIFY(QFileInfo(base + QStringLiteral("/blocked")).isFile());
    QVERIFY(!QFileInfo::exists(base + QStringLiteral("/blocked/x")));
}

void TestRoutines::copyFolderFiles()
{
    QTemporaryDir dir;
    const QString source = dir.path() + QStringLiteral("/src/");
    const QString target = dir.path() + QStringLiteral("/dst/");
    QVERIFY(QDir().mkpath(source + QStringLiteral("folder.mdb")));
    writeBytes(source + QStringLiteral("One.mdb"), "one");
    writeBytes(source + QStringLiteral("two.MDB"), "two");
    writeBytes(source + QStringLiteral("notes.txt"), "notes");
    writeBytes(source + QStringLiteral(".secret.mdb"), "hidden");
    const QDateTime old(QDate(2005, 8, 29), QTime(10, 0), Qt::UTC);
    {
        QFile f(source + QStringLiteral("One.mdb"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
    }

    // The target folder is made; only files are counted and copied.
    QCOMPARE(CopyFolderFiles(source, target, QStringLiteral("*.mdb")), 2);
    QCOMPARE(readBytes(target + QStringLiteral("One.mdb")), QByteArray("one"));
    QCOMPARE(readBytes(target + QStringLiteral("two.MDB")), QByteArray("two"));
    QVERIFY(!QFileInfo::exists(target + QStringLiteral("folder.mdb")));
    QVERIFY(!QFileInfo::exists(target + QStringLiteral(".secret.mdb")));
    QCOMPARE(QFileInfo(target + QStringLiteral("One.mdb")).lastModified().toUTC(), old);

    // An existing target is replaced; "*.*" counts no "." or "..".
    writeBytes(source + QStringLiteral("notes.txt"), "newer notes");
    writeBytes(target + QStringLiteral("notes.txt"), "old");
    QCOMPARE(CopyFolderFiles(source, target, QStringLiteral("*.*")), 3);
    QCOMPARE(readBytes(target + QStringLiteral("notes.txt")), QByteArray("newer notes"));

    // One named file, matched without regard to case; no match copies nothing.
    QCOMPARE(CopyFolderFiles(source, target, QStringLiteral("ONE.MDB")), 1);
    QCOMPARE(CopyFolderFiles(source, target, QStringLiteral("*.xyz")), 0);
    QCOMPARE(CopyFolderFiles(dir.path() + QStringLiteral("/missing/"), target, QStringLiteral("*.*")), 0);
}

void TestRoutines::copyFolderFilesKeepsTargetOnFailure()
{
    QTemporaryDir dir;
    const QString source = dir.path() + QStringLiteral("/src/");
    const QString target = dir.path() + QStringLiteral("/dst/");
    QVERIFY(QDir().mkpath(source));
    QVERIFY(QDir().mkpath(target + QStringLiteral("b.txt")));   // a folder where the copy should go
    writeBytes(source + QStringLiteral("a.txt"), "a");
    writeBytes(source + QStringLiteral("b.txt"), "b");
    // Only the file that really arrived is counted; the blocking folder stays.
    QCOMPARE(CopyFolderFiles(source, target, QStringLiteral("*.txt")), 1);
    QVERIFY(QFileInfo(target + QStringLiteral("b.txt")).isDir());
    // Copying a folder onto itself leaves the files as they are and reports no copy.
    QCOMPARE(CopyFolderFiles(source, source, QStringLiteral("a.txt")), 0);
    QCOMPARE(readBytes(source + QStringLiteral("a.txt")), QByteArray("a"));
}

void TestRoutines::writeEditionDescriptor()
{
    if (ChildRun::job() == QLatin1String(ChildRun::TestJob)) {
        // The child of the last part, as an ordinary user.
        const QString folder = ChildRun::value(QStringLiteral("FOLDER"));
        QVERIFY(::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setgid(NobodyId) == 0 && ::setuid(NobodyId) == 0));
        QVERIFY(WriteEditionDescriptor(folder, QStringLiteral("Kept"), QStringLiteral("Kept.mdb"), QStringLiteral("Kept")));
        QVERIFY(!WriteEditionDescriptor(folder, QStringLiteral("Locked"), QStringLiteral("x.mdb"), QStringLiteral("x")));
        return;
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("My_Links.ddb"));
    writeBytes(file, "an earlier, longer descriptor line\r\n");
    QVERIFY(WriteEditionDescriptor(dir.path(), QStringLiteral("My_Links"), QStringLiteral("  My_Links.mdb  "),
                                   QStringLiteral("My_Links")));
    QCOMPARE(readBytes(file), QByteArray("My_Links.mdb,My Links\r\n"));
    // The folder may end in "/"; only blanks are trimmed, only the title loses its "_".
    QVERIFY(WriteEditionDescriptor(dir.path() + QLatin1Char('/'), QStringLiteral("Café"),
                                   QStringLiteral("\tCafé_x.mdb"), QStringLiteral("_Café__x_")));
    QCOMPARE(readBytes(dir.filePath(QStringLiteral("Café.ddb"))),
             QStringLiteral("\tCafé_x.mdb, Café  x \r\n").toUtf8());
    QVERIFY(!WriteEditionDescriptor(dir.filePath(QStringLiteral("missing")), QStringLiteral("x"),
                                    QStringLiteral("x.mdb"), QStringLiteral("x")));

    // Written by an ordinary user, whom permissions hold back (the administrator, whom the
    // suite may run as, they do not): a descriptor written over keeps its mode, and a
    // read-only one is refused and stays as it was.
    QTemporaryDir shared;
    QCOMPARE(::chmod(QFile::encodeName(shared.path()).constData(), 0777), 0);
    for (const auto &[name, mode] : {std::pair{"Kept.ddb", 0640}, std::pair{"Locked.ddb", 0444}}) {
        const QByteArray path = QFile::encodeName(QDir(shared.path()).filePath(QLatin1String(name)));
        writeBytes(QString::fromLocal8Bit(path), "old\r\n");
        QCOMPARE(::chmod(path.constData(), mode_t(mode)), 0);
        QVERIFY(::geteuid() != 0 || ::chown(path.constData(), NobodyId, NobodyId) == 0);
    }
    const QString failure = ChildRun::runThisTest({{QStringLiteral("FOLDER"), shared.path()}}, 60000);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    for (const auto &[name, content, mode] : {std::tuple{"Kept.ddb", "Kept.mdb,Kept\r\n", 0640},
                                              std::tuple{"Locked.ddb", "old\r\n", 0444}}) {
        const QString path = QDir(shared.path()).filePath(QLatin1String(name));
        struct stat st {};
        QCOMPARE(readBytes(path), QByteArray(content));
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(QString::number(st.st_mode & 07777, 8), QString::number(mode, 8));
    }
}

void TestRoutines::shellOpen()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("page.html"));
    writeBytes(page, "<html></html>");

    QCOMPARE(ShellOpen(QStringLiteral("https://example.com/a?b=1")), 42);
    QCOMPARE(ShellOpen(QStringLiteral("www.example.com")), 42);
    QCOMPARE(ShellOpen(page), 42);
    QCOMPARE(catcher.urls.size(), 3);
    QCOMPARE(catcher.urls.at(0), QUrl(QStringLiteral("https://example.com/a?b=1")));
    QCOMPARE(catcher.urls.at(1), QUrl(QStringLiteral("http://www.example.com")));
    QCOMPARE(catcher.urls.at(2), QUrl::fromLocalFile(page));

    // Nothing to open: no request reaches the desktop.
    QCOMPARE(ShellOpen(QString()), 2);
    QCOMPARE(ShellOpen(QStringLiteral("   ")), 2);
    QCOMPARE(ShellOpen(dir.filePath(QStringLiteral("missing.html"))), 2);
    QCOMPARE(ShellOpen(QStringLiteral("missing.html")), 2);
    QCOMPARE(catcher.urls.size(), 3);

    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void TestRoutines::centerForm()
{
    QWidget form;
    form.resize(300, 200);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect screen = form.screen()->geometry();
    CenterForm(&form);
    const QRect frame = form.frameGeometry();
    QVERIFY(qAbs(frame.center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(frame.center().y() - screen.center().y()) <= 1);

    // A window larger than the screen gets a negative position, as centring gives it.
    QWidget big;
    big.resize(screen.width() + 200, screen.height() + 100);
    CenterForm(&big);
    QCOMPARE(big.pos(), QPoint(screen.x() - 100, screen.y() - 50));

    QWidget maximised;
    maximised.move(7, 9);
    maximised.setWindowState(Qt::WindowMaximized);
    const QPoint before = maximised.pos();
    CenterForm(&maximised);
    QCOMPARE(maximised.pos(), before);

    CenterForm(nullptr);
}

void TestRoutines::browserVersion()
{
    SetBrowserVersionOverride(QStringLiteral("4.72.3110"));
    DllVersionInfo record;
    QCOMPARE(DllVersionMajor(record), quint32(4));
    QCOMPARE(record.cbSize, quint32(20));
    QCOMPARE(record.dwMinorVersion, quint32(72));
    QCOMPARE(record.dwBuildNumber, quint32(3110));
    QCOMPARE(GetIEVersion(), QStringLiteral("Internet Explorer 4.72.3110"));
    SetBrowserVersionOverride(QStringLiteral("7"));
    QCOMPARE(GetIEVersion(), QStringLiteral("Internet Explorer 7.0.0"));

    // The real engine passes the start-up check.
    SetBrowserVersionOverride(QString());
    DllVersionInfo real;
    QVERIFY(DllVersionMajor(real) >= 5);
    QVERIFY(GetIEVersion().startsWith(QStringLiteral("Internet Explorer ")));
}

QTEST_MAIN(TestRoutines)
#include "tst_routines.moc"
