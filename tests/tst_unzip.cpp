// Unpacking zip archives that the tests make: the listing and the selection, what
// happens to existing files, names that would leave the target folder, passwords,
// damaged archives, and the options and events.

#include "disk_full.h"
#include "sync_count.h"
#include "testhelper.h"
#include "zip_fixtures.h"

#include "editions/c_unzip.h"
#include "platform/whole_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>
#include <zip.h>

using ZipFixtures::makeZip;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList filesUnder(const QString &folder)
{
    QStringList found;
    QDir dir(folder);
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                                   QDir::Name)) {
        if (info.isDir())
            for (const QString &inner : filesUnder(info.filePath()))
                found << info.fileName() + QLatin1Char('/') + inner;
        else
            found << info.fileName();
    }
    return found;
}

} // namespace

class TestUnzip : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void listing();
    void selection();
    void existingFiles();
    void namesOutsideTheFolderAreRefused();
    void passwords();
    void damagedArchives();
    void optionsAndEvents();
    void lineEndsAcrossPieces_data();
    void lineEndsAcrossPieces();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_zip;
    QString m_out;
};

void TestUnzip::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_zip = m_dir->filePath(QStringLiteral("a.zip"));
    m_out = m_dir->filePath(QStringLiteral("out"));
    QDir().mkpath(m_out);
}

void TestUnzip::listing()
{
    QVERIFY(makeZip(m_zip, {{"docs/", ""},
                            {"docs/a/readme.txt", QByteArray(1000, 'r')},
                            {"/x.txt", "x", "", true},
                            {"secret.txt", "s", "pw"}}));
    cUnzip unzip;
    unzip.setZipFile(m_zip);
    QCOMPARE(unzip.Directory(), int(cUnzip::UnzipOk));
    QCOMPARE(unzip.FileCount(), 3);
    QCOMPARE(unzip.FileDirectory(1), QStringLiteral("docs\\a"));
    QCOMPARE(unzip.Filename(1), QStringLiteral("readme.txt"));
    QCOMPARE(unzip.FileSize(1), qint64(1000));
    QVERIFY(unzip.FilePackedSize(1) < 1000);
    QVERIFY(unzip.FileCompressionRatio(1) > 50);
    QCOMPARE(unzip.FileCompressionMethod(1), QStringLiteral("Defl:N"));
    QCOMPARE(unzip.FileDate(1).time().second(), 0);
    QCOMPARE(cUnzip::FixPath(unzip.FileDirectory(1), unzip.Filename(1)), QStringLiteral("docs/a/readme.txt"));
    QCOMPARE(unzip.FileDirectory(2), QString());
    QCOMPARE(unzip.Filename(2), QStringLiteral("x.txt"));
    QCOMPARE(unzip.FileCompressionMethod(2), QStringLiteral("Stored"));
    QVERIFY(!unzip.FileEncrypted(2));
    QVERIFY(unzip.FileEncrypted(3));
    QVERIFY(unzip.FileSelected(3));

    // A second listing replaces the first; a new archive forgets it.
    unzip.Directory();
    QCOMPARE(unzip.FileCount(), 3);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, unzip.Filename(4));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, unzip.setFileSelected(0, false));
    unzip.setZipFile(m_zip);
    QCOMPARE(unzip.FileCount(), 0);
}

void TestUnzip::selection()
{
    QVERIFY(makeZip(m_zip, {{"docs/a/readme.txt", "readme"}, {"b.txt", "b"}, {"c.txt", "c"}}));
    cUnzip unzip;
    unzip.setZipFile(m_zip);
    unzip.setUnzipFolder(m_out);
    QVERIFY(!cUnzip().Unzip());    // no archive named

    unzip.Directory();
    for (int i = 1; i <= unzip.FileCount(); ++i)
        unzip.setFileSelected(i, false);
    QVERIFY(!unzip.Unzip());
    QCOMPARE(unzip.LastStatus(), int(cUnzip::UnzipNothingMatched));
    QCOMPARE(filesUnder(m_out), QStringList());

    unzip.setFileSelected(1, true);
    QVERIFY(unzip.Unzip());
    QCOMPARE(filesUnder(m_out), QStringList{"readme.txt"});    // folder names dropped by default
    QCOMPARE(unzip.ExtractedFiles(), QStringList{QDir(m_out).filePath("readme.txt")});

    unzip.setZipFile(m_zip);    // no listing: the whole archive
    unzip.setUseFolderNames(true);
    SyncCount syncs;
    QVERIFY(unzip.Unzip());
    QCOMPARE(filesUnder(m_out), (QStringList{"b.txt", "c.txt", "docs/a/readme.txt", "readme.txt"}));
    // Each file is put on the disk once, before it takes its name.
    const QString out = QDir(m_out).canonicalPath();
    QStringList synced = syncs.files();
    synced.sort();
    QCOMPARE(synced, (QStringList{out + "/", out + "/", out + "/docs/a/"}));
}

void TestUnzip::existingFiles()
{
    QVERIFY(makeZip(m_zip, {{"a.txt", "new a"}, {"b.txt", "new b"}, {"c.txt", "new c"}}));
    auto writeOld = [this] {
        for (const char *name : {"a.txt", "b.txt", "c.txt"}) {
            QFile file(QDir(m_out).filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("old");
        }
    };
    auto contents = [this] {
        return QStringList{readAll(QDir(m_out).filePath("a.txt")), readAll(QDir(m_out).filePath("b.txt")),
                           readAll(QDir(m_out).filePath("c.txt"))};
    };
    cUnzip unzip;
    unzip.setZipFile(m_zip);
    unzip.setUnzipFolder(m_out);

    writeOld();
    QVERIFY(unzip.Unzip());
    QCOMPARE(contents(), (QStringList{"old", "old", "old"}));

    QStringList asked;
    QList<int> answers{cUnzip::OverwriteSkip, cUnzip::OverwriteReplace, cUnzip::OverwriteReplaceAll};
    connect(&unzip, &cUnzip::OverwritePrompt, this, [&](const QString &file, int &response) {
        QCOMPARE(response, int(cUnzip::OverwriteSkip));
        asked << QFileInfo(file).fileName();
        response = answers.takeFirst();
    });
    unzip.setPromptToOverwrite(true);
    QVERIFY(unzip.Unzip());
    QCOMPARE(contents(), (QStringList{"old", "new b", "new c"}));
    writeOld();
    answers = {cUnzip::OverwriteSkip, cUnzip::OverwriteReplaceAll};
    asked.clear();
    QVERIFY(unzip.Unzip());
    QCOMPARE(asked, (QStringList{"a.txt", "b.txt"}));
    QCOMPARE(contents(), (QStringList{"old", "new b", "new c"}));

    writeOld();
    unzip.setOverwriteExisting(true);
    asked.clear();
    QVERIFY(unzip.Unzip());
    QCOMPARE(asked, QStringList());
    QCOMPARE(contents(), (QStringList{"new a", "new b", "new c"}));

    // Only newer: a file younger than the entry stays.
    writeOld();
    QFile young(QDir(m_out).filePath("a.txt"));
    QVERIFY(young.open(QIODevice::ReadWrite));
    young.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime);
    young.close();
    QFile aged(QDir(m_out).filePath("b.txt"));
    QVERIFY(aged.open(QIODevice::ReadWrite));
    aged.setFileTime(QDateTime::currentDateTime().addYears(-3), QFileDevice::FileModificationTime);
    aged.close();
    QFile::remove(QDir(m_out).filePath("c.txt"));
    unzip.setExtractOnlyNewer(true);
    QVERIFY(unzip.Unzip());
    QCOMPARE(contents(), (QStringList{"old", "new b", "new c"}));
}

void TestUnzip::namesOutsideTheFolderAreRefused()
{
    QVERIFY(makeZip(m_zip, {{"../evil.txt", "e"},
                            {"/abs.txt", "a"},
                            {"a/../../b.txt", "b"},
                            {"C:/drive.txt", "c"},
                            {"link", "/etc/passwd", "", false, true},
                            {"sub/ok.txt", "ok"}}));
    for (bool folders : {false, true}) {
        QDir(m_out).removeRecursively();
        QDir().mkpath(m_out);
        cUnzip unzip;
        unzip.setZipFile(m_zip);
        unzip.setUnzipFolder(m_out);
        unzip.setUseFolderNames(folders);
        QVERIFY(!unzip.Unzip());
        QCOMPARE(unzip.LastStatus(), int(cUnzip::UnzipWarning));
        QCOMPARE(filesUnder(m_out), QStringList{folders ? "sub/ok.txt" : "ok.txt"});
        QCOMPARE(filesUnder(m_dir->path()), (QStringList{"a.zip", folders ? "out/sub/ok.txt" : "out/ok.txt"}));
    }
}

void TestUnzip::passwords()
{
    const QByteArray long254(254, 'k');
    QVERIFY(makeZip(m_zip, {{"one.txt", "1", "right"}, {"two.txt", "2", "right"}, {"three.txt", "3", long254}}));
    cUnzip unzip;
    unzip.setZipFile(m_zip);
    unzip.setUnzipFolder(m_out);
    QStringList answers;
    int asked = 0;
    connect(&unzip, &cUnzip::PasswordRequest, this, [&](QString &password, bool &cancel) {
        QVERIFY(password.isEmpty());
        QVERIFY(!cancel);
        ++asked;
        password = answers.isEmpty() ? QString() : answers.takeFirst();
    });

    // A blank answer refuses: no further question in this run.
    answers = {QStringLiteral("   ")};
    QVERIFY(!unzip.Unzip());
    QCOMPARE(unzip.LastStatus(), int(cUnzip::UnzipBadPassword));
    QCOMPARE(asked, 1);
    QCOMPARE(filesUnder(m_out), QStringList());

    // The right password opens the next entry too; a long answer counts by its first
    // 254 characters; a wrong one is asked again.
    asked = 0;
    answers = {QStringLiteral("wrong"), QStringLiteral(" right "), QString::fromLatin1(long254 + "extra extra")};
    QVERIFY(unzip.Unzip());
    QCOMPARE(asked, 3);
    QCOMPARE(filesUnder(m_out), (QStringList{"one.txt", "three.txt", "two.txt"}));
    QCOMPARE(readAll(QDir(m_out).filePath("three.txt")), QByteArray("3"));
}

void TestUnzip::damagedArchives()
{
    cUnzip unzip;
    unzip.setUnzipFolder(m_out);
    unzip.setZipFile(m_dir->filePath(QStringLiteral("missing.zip")));
    QVERIFY(!unzip.Unzip());
    QCOMPARE(unzip.LastStatus(), int(cUnzip::UnzipNotZip));

    const QString garbage = m_dir->filePath(QStringLiteral("garbage.zip"));
    QFile file(garbage);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(5000, 'G'));
    file.close();
    unzip.setZipFile(garbage);
    QVERIFY(!unzip.Unzip());
    QCOMPARE(unzip.Directory(), int(cUnzip::UnzipNotZip));

    // A stored entry with a changed byte fails its checksum and leaves no file.
    const QByteArray data = QByteArray("PAYLOAD-") + QByteArray(2000, 'p');
    QVERIFY(makeZip(m_zip, {{"good.txt", "fine"}, {"bad.txt", data, "", true}}));
    QByteArray raw = readAll(m_zip);
    raw[raw.indexOf("PAYLOAD-") + 3] = 'X';
    QFile damaged(m_zip);
    QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write(raw);
    damaged.close();
    unzip.setZipFile(m_zip);
    unzip.setTestZip(true);
    QVERIFY(!unzip.Unzip());
    QCOMPARE(filesUnder(m_out), QStringList());
    unzip.setTestZip(false);
    QVERIFY(!unzip.Unzip());
    QCOMPARE(unzip.LastStatus(), int(cUnzip::UnzipError));
    QCOMPARE(filesUnder(m_out), QStringList{"good.txt"});
    QFile::remove(QDir(m_out).filePath("good.txt"));

    // Sizes the entries declare: unpacking stops past an entry's own, and nothing starts
    // when they exceed the limit set or the room on the disk.
    const QByteArray big(200000, 'b');
    QVERIFY(makeZip(m_zip, {{"big.txt", big}}));
    const QByteArray made = readAll(m_zip);
    int started = 0;
    connect(&unzip, &cUnzip::Cancel, this, [&started] { ++started; });
    const QList<std::tuple<QByteArray, qint64, int, int, int>> sizes = {
        // archive, limit, room on the disk, status, entries started
        {ZipFixtures::declaringSize(made, 1000), 0, 0, cUnzip::UnzipError, 1},
        {made, 199999, 0, cUnzip::UnzipTooLarge, 0},
        {ZipFixtures::declaringSize(made, 0xFFFFFFF0), qint64(2) << 30, 0, cUnzip::UnzipTooLarge, 0},
        {made, 0, 100000, cUnzip::UnzipDiskFull, 0},
        {ZipFixtures::withMethod(made, 6), 0, 0, cUnzip::UnzipUnsupported, 1},   // imploded
        {made, 200000, 200000, cUnzip::UnzipOk, 1},
    };
    for (const auto &[archive, limit, room, status, entries] : sizes) {
        started = 0;
        QFile zip(m_zip);
        QVERIFY(zip.open(QIODevice::WriteOnly | QIODevice::Truncate));
        zip.write(archive);
        zip.close();
        unzip.setZipFile(m_zip);
        unzip.setMaxUnpackedBytes(limit);
        std::unique_ptr<DiskFull> full(room > 0 ? new DiskFull(rlim_t(room)) : nullptr);
        unzip.Unzip();
        full.reset();
        QCOMPARE(unzip.LastStatus(), status);
        QCOMPARE(started, entries);
        QCOMPARE(filesUnder(m_out), status == cUnzip::UnzipOk ? QStringList{"big.txt"} : QStringList());
    }
    // A disk that fails to keep the file: nothing is left.
    QVERIFY(QFile::remove(QDir(m_out).filePath("big.txt")));
    SetSyncFailure(EIO);
    unzip.Unzip();
    SetSyncFailure(0);
    QCOMPARE(unzip.LastStatus(), int(cUnzip::UnzipWriteFailed));
    QCOMPARE(filesUnder(m_out), QStringList());
    // A target folder that cannot be made (a file stands in its place) is no damaged archive.
    unzip.setUnzipFolder(m_zip + "/out");
    unzip.Unzip();
    QCOMPARE(unzip.LastStatus(), int(cUnzip::UnzipWriteFailed));
}

void TestUnzip::optionsAndEvents()
{
    QVERIFY(makeZip(m_zip, {{"my notes/read me.txt", "one\ntwo\r\nthree\n"},
                            {"bin.dat", QByteArray("a\nb\0c\n", 6)},
                            {"last.txt", "z"}}));
    cUnzip unzip;
    unzip.setZipFile(m_zip);
    unzip.setUnzipFolder(m_out);
    unzip.setSpaceToUnderScore(true);
    unzip.setConvertCRToCRLF(true);
    QStringList lines;
    QStringList processed;
    connect(&unzip, &cUnzip::Progress, this, [&](int count, const QString &line) {
        QCOMPARE(count, 1);
        lines << line;
    });
    connect(&unzip, &cUnzip::Cancel, this, [&](const QString &name, bool &cancel) {
        processed << name;
        cancel = name == QLatin1String("bin.dat");
    });
    QVERIFY(!unzip.Unzip());
    QCOMPARE(unzip.LastStatus(), int(cUnzip::UnzipCancelled));
    QCOMPARE(processed, (QStringList{"my notes\\read me.txt", "bin.dat"}));
    QCOMPARE(filesUnder(m_out), (QStringList{"bin.dat", "read_me.txt"}));
    QCOMPARE(readAll(QDir(m_out).filePath("read_me.txt")), QByteArray("one\r\ntwo\r\nthree\r\n"));
    QCOMPARE(readAll(QDir(m_out).filePath("bin.dat")), QByteArray("a\nb\0c\n", 6));
    QVERIFY(lines.first().contains(QLatin1String("my notes\\read me.txt")));

    // Quiet: nothing reported.
    lines.clear();
    unzip.setMessageLevel(2);
    unzip.setOverwriteExisting(true);
    unzip.Unzip();
    QCOMPARE(lines, QStringList());

    int major = -1;
    int minor = -1;
    int revision = -1;
    QDateTime date;
    QString extra;
    unzip.GetVersion(major, minor, revision, date, extra);
    QCOMPARE(QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision), QString::fromLatin1(zip_libzip_version()));
    QCOMPARE(extra, QString(10, QLatin1Char(' ')));
}

void TestUnzip::lineEndsAcrossPieces_data()
{
    // Entries are read in pieces of 64 KiB.
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("written");

    const QByteArray piece(65536, 'a');
    const QByteArray binary = piece.left(65535) + "\n" + QByteArray("\n\0\n", 3);
    QTest::newRow("CR LF cut by a piece's end") << QByteArray(piece.left(65535) + "\r\nb\n") << QByteArray()
                                                << QByteArray(piece.left(65535) + "\r\nb\r\n");
    QTest::newRow("LF first in a piece") << QByteArray(piece + "\nb") << QByteArray() << QByteArray(piece + "\r\nb");
    QTest::newRow("NUL in a later piece") << binary << QByteArray()
                                          << binary;
    QTest::newRow("encrypted, NUL in a later piece") << binary << QByteArray("pw")
                                                     << binary;
}

void TestUnzip::lineEndsAcrossPieces()
{
    QFETCH(QByteArray, entry);
    QFETCH(QByteArray, password);
    QVERIFY(makeZip(m_zip, {{"t.txt", entry, password}}));
    cUnzip unzip;
    unzip.setZipFile(m_zip);
    unzip.setUnzipFolder(m_out);
    unzip.setConvertCRToCRLF(true);
    connect(&unzip, &cUnzip::PasswordRequest, this, [](QString &answer, bool &) { answer = QStringLiteral("pw"); });
    QVERIFY(unzip.Unzip());
    QTEST(readAll(QDir(m_out).filePath("t.txt")), "written");
}

QTEST_MAIN(TestUnzip)
#include "tst_unzip.moc"
