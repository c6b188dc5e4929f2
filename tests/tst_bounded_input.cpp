// Readers of outside input under hard limits: each reader runs in a child process whose
// address space is limited to the reader's budget, and must end within a deadline, on
// inputs built so that a reader holding more than it needs runs out of its budget. And
// folder walks read regular files only: a FIFO given a file's name is never opened.

#include "child_run.h"
#include "testhelper.h"
#include "zip_fixtures.h"

#include "editions/c_unzip.h"
#include "editions/edition_discovery.h"
#include "editions/edition_restore.h"
#include "exchange/subtopic_file.h"
#include "exchange/subtopic_import.h"
#include "shared/database.h"
#include "shared/routines.h"
#include "shared/fileroutines.h"
#include "webtools/favorites_reader.h"
#include "webtools/history_index.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Step = std::function<void(const QString &folder)>;

constexpr int DeadlineMs = 180000;

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(data), data.size());
}

// 30 MiB of 256-byte history records whose texts have no end but the file's last byte.
constexpr int HistoryRecords = 30 * 1024 * 1024 / 256;
const QByteArray historyText = "http://a.example/" + QByteArray(120, 'y');

// 96 MiB of 16-byte lines with lone LF.
constexpr qint64 TextLines = 96 * 1024 * 1024 / 16;

// A Sub-Topic file of about 16 MiB: a tree four levels deep, every twentieth category with a
// link. Answers the number of categories and links.
std::pair<int, int> writeTreeFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write("<tree>\r\nTree|Tree\r\n");
    QByteArray links;
    int categories = 0;
    for (int a = 0; f.size() < 15 * 1024 * 1024; ++a) {
        QByteArray path = "Tree/Area " + QByteArray::number(a);
        for (int depth = 0; depth < 4; ++depth, path += "/Field " + QByteArray::number(depth)) {
            f.write(ReversePathOrder(path).toUtf8() + '|' + path + "\r\n");
            if (++categories % 20 == 0)
                links += path + "|Site " + QByteArray::number(categories) + "|http://a.example/\r\n";
        }
    }
    f.write("</tree>\r\n<links>\r\n" + links + "\r\n</links>\r\n");
    return {categories, categories / 20};
}

// FIFOs that notice a reader: a thread keeps opening their writing ends without waiting,
// which succeeds only while a reader has one open, and closes them again at once, so that
// the reader reads an empty file instead of waiting for ever.
class FifoTrap
{
public:
    explicit FifoTrap(const QStringList &paths) : m_paths(paths)
    {
        for (const QString &path : paths)
            m_made = mkfifo(QFile::encodeName(path).constData(), 0600) == 0 && m_made;
        m_watch = std::thread([this] {
            while (!m_stop) {
                for (const QString &path : std::as_const(m_paths)) {
                    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
                    if (fd >= 0) {
                        m_opened = true;
                        ::close(fd);
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    ~FifoTrap()
    {
        m_stop = true;
        m_watch.join();
    }
    bool made() const { return m_made; }
    bool opened() const { return m_opened; }

private:
    QStringList m_paths;
    bool m_made = true;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_opened{false};
    std::thread m_watch;
};

using Walk = std::function<QStringList(const QString &root)>;

QStringList linesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)
                                       : QStringList{QStringLiteral("(no file)")};
}

} // namespace

class TestBoundedInput : public QObject
{
    Q_OBJECT
private slots:
    void readersStayWithinTheirBudget_data();
    void readersStayWithinTheirBudget();
    void folderWalksReadRegularFilesOnly_data();
    void folderWalksReadRegularFilesOnly();
};

void TestBoundedInput::readersStayWithinTheirBudget_data()
{
    QTest::addColumn<Step>("prepare");
    QTest::addColumn<Step>("read");
    QTest::addColumn<int>("megabytes");

    QTest::newRow("history index") << Step([](const QString &folder) {
        QByteArray record = "URL " + QByteArray(114, 'x') + ' ' + historyText;
        QCOMPARE(record.size(), 256);
        writeFile(folder + "/index.dat", record.repeated(HistoryRecords) + '\0');
    }) << Step([](const QString &folder) {
        QCOMPARE(ReadHistoryIndex(folder + "/index.dat"), HistoryRecords);
        QCOMPARE(HistoryUrls.size(), HistoryRecords + 1);
        // Only the last record ends (at the file's end); the others run into the next.
        QCOMPARE(HistoryUrls.at(1), QString());
        QCOMPARE(HistoryUrls.at(HistoryRecords), QString::fromLatin1(historyText));
    }) << 128;

    QTest::newRow("unzip with line ends converted") << Step([](const QString &folder) {
        QVERIFY(ZipFixtures::makeZip(folder + "/text.zip",
                                     {{"text.txt", QByteArray("0123456789abcde\n").repeated(TextLines)}}));
    }) << Step([](const QString &folder) {
        cUnzip unzip;
        unzip.setZipFile(folder + "/text.zip");
        unzip.setUnzipFolder(folder + "/out");
        unzip.setConvertCRToCRLF(true);
        QVERIFY(unzip.Unzip());
        QCOMPARE(QFileInfo(folder + "/out/text.txt").size(), TextLines * 17);
    }) << 48;

    // Four times the file's 16 MiB, and the edition's page cache of 32 MiB.
    QTest::newRow("Sub-Topic file of a deep tree") << Step([](const QString &folder) {
        QVERIFY(QFile::copy(BuiltProgramFolder() + "untitled.mdb", folder + "/edition.mdb"));
        QVERIFY(writeTreeFile(folder + "/Tree.qvs").first > 0);
    }) << Step([](const QString &folder) {
        const auto [categories, links] = writeTreeFile(folder + "/Count.qvs");
        QFile::remove(folder + "/Count.qvs");
        qputenv("QUORVANE_HOME", folder.toUtf8());
        QVERIFY(OpenEdition("edition.mdb"));
        QVERIFY(ExecSql("INSERT INTO Topics VALUES (1, 'One')"));
        SubTopicImport importer;
        QVERIFY2(importer.load(folder + "/Tree.qvs"), qPrintable(importer.lastError()));
        QCOMPARE(importer.ImportSubTopicFile(1, "Tree"), SubTopicImport::Status::Done);
        QCOMPARE(QueryCount("SELECT count(*) FROM Lks"), categories + 1);
        QCOMPARE(QueryCount("SELECT count(*) FROM LksSit"), links);
    }) << 96;
}

void TestBoundedInput::readersStayWithinTheirBudget()
{
    QFETCH(Step, prepare);
    QFETCH(Step, read);
    QFETCH(int, megabytes);
    if (ChildRun::job() == QLatin1String(ChildRun::TestJob)) {
        QVERIFY(ChildRun::limitMemory(megabytes));
        read(ChildRun::value("FOLDER"));
        return;
    }
    if (!ChildRun::canLimitMemory())
        QSKIP("a memory limit cannot work under the address sanitizer");
    QTemporaryDir folder;
    prepare(folder.path());
    const QString failure = ChildRun::runThisTest({{"FOLDER", folder.path()}}, DeadlineMs);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestBoundedInput::folderWalksReadRegularFilesOnly_data()
{
    // In the folder sub of the walk: regular files, a FIFO and a link to a FIFO elsewhere.
    QTest::addColumn<QString>("sub");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("fifo");
    QTest::addColumn<QString>("link");
    QTest::addColumn<Walk>("walk");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("favourites") << "Links" << QStringList{"a.url"} << "b.url" << "c.url" << Walk([](const QString &root) {
        QStringList names;
        for (const FavoriteLink &link : FavoritesReader::WalkFolders(root))
            names << link.name + '=' + link.address;
        return names;
    }) << QStringList{"a=http://a.example/"};
    QTest::newRow("history index files") << "History.IE5" << QStringList{"INDEX.DAT"} << "index.dat" << "Index.Dat"
                                         << Walk([](const QString &root) {
                                                QStringList found = FindHistoryIndexFiles(root);
                                                for (QString &path : found)
                                                    path = QDir(root).relativeFilePath(path);
                                                return found;
                                            })
                                         << QStringList{"History.IE5/INDEX.DAT"};
    // Readers called directly on a FIFO, a link to one, a device and a folder.
    const auto direct = [](const std::function<QString(const QString &)> &read) {
        return Walk([read](const QString &root) {
            QStringList answers;
            for (const QString &path : {root + "/In/fifo", root + "/In/link", QStringLiteral("/dev/zero"), root + "/In"})
                answers << read(path);
            return answers;
        });
    };
    QTest::newRow("history index read directly") << "In" << QStringList() << "fifo" << "link"
                                                 << direct([](const QString &path) {
                                                        QString why;
                                                        return QString::number(ReadHistoryIndex(path, &why)) + why;
                                                    })
                                                 << QStringList{"0", "0", "0", "0"};
    QTest::newRow("zip reader") << "In" << QStringList() << "fifo" << "link" << direct([](const QString &path) {
        cUnzip unzip;
        unzip.setZipFile(path);
        return QString::number(unzip.Directory());
    }) << QStringList{"9", "9", "9", "9"};
    QTest::newRow("copied files") << "From" << QStringList{"a.mdb"} << "b.mdb" << "c.mdb" << Walk([](const QString &root) {
        CopyFolderFiles(root + "/From", root + "/To", "*.mdb");
        return QDir(root + "/To").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    }) << QStringList{"a.mdb"};
    QTest::newRow("editions found at start") << "" << QStringList{"dbnames.txt", "a.mdb"} << "b.mdb" << "c.mdb"
                                             << Walk([](const QString &root) {
                                                    RebuildEditionList(root);
                                                    return linesOf(root + "/dbnames.txt");
                                                })
                                             << QStringList{"*a.mdb,A"};
    QTest::newRow("backups") << "Backup" << QStringList{"a.mdb"} << "b.mdb" << "c.mdb" << Walk([](const QString &root) {
        QStringList names;
        for (const BackupEntry &backup : EditionRestore(nullptr, root + '/').backups())
            names << backup.file;
        return names;
    }) << QStringList{"a.mdb"};
    // The Sub-Topic reader itself, given what no folder walk would hand it.
    QTest::newRow("Sub-Topic files read directly") << "Export" << QStringList{"a.qvs"} << "b.qvs" << "c.qvs"
                                                   << Walk([](const QString &root) {
        const QString folder = root + "/Export/";
        QFile big(folder + "big.qvs");
        QFile largest(folder + "largest.qvs");
        if (!big.open(QIODevice::WriteOnly) || !big.resize(SubTopicFile::MaxSize + 1)
            || !largest.open(QIODevice::WriteOnly) || !largest.resize(SubTopicFile::MaxSize))
            return QStringList{"no sparse files"};
        QStringList results;
        for (const QString &path : {folder + "a.qvs", folder + "b.qvs", folder + "c.qvs", folder, QString("/dev/zero"),
                                    folder + "big.qvs", folder + "largest.qvs", folder + "none.qvs",
                                    // a regular file that holds more than its size says
                                    QString("/proc/self/status"),
                                    // a regular file whose first byte cannot be read
                                    QString("/proc/self/mem")}) {
            SubTopicFile file;
            const QString said = file.read(path) ? QString("read") : file.lastError();
            results << QFileInfo(path).fileName() + ": " + said + " at line " + QString::number(file.errorLine());
        }
        return results;
    }) << QStringList{"a.qvs: the file ends before its <links> section at line 1",
                      "b.qvs: it is not a regular file at line 0",
                      "c.qvs: it is not a regular file at line 0",
                      ": it is not a regular file at line 0",
                      "zero: it is not a regular file at line 0",
                      "big.qvs: it is larger than 64 MiB, the most a Sub-Topic file may hold at line 0",
                      "largest.qvs: it stands outside every section at line 1",
                      "none.qvs: No such file or directory at line 0",
                      "status: it changed while it was read at line 0",
                      "mem: Input/output error at line 0"};
}

void TestBoundedInput::folderWalksReadRegularFilesOnly()
{
    QFETCH(QString, sub);
    QFETCH(QStringList, files);
    QFETCH(QString, fifo);
    QFETCH(QString, link);
    QFETCH(Walk, walk);
    QTemporaryDir root;
    QTemporaryDir elsewhere;
    const QString folder = root.path() + '/' + sub;
    QVERIFY(QDir().mkpath(folder));
    for (const QString &file : files)
        writeFile(folder + '/' + file,
                  file.endsWith(".url") ? "[InternetShortcut]\r\nURL=http://a.example/\r\n" : QByteArray());
    FifoTrap trap({folder + '/' + fifo, elsewhere.filePath("fifo")});
    QVERIFY(trap.made());
    QVERIFY(QFile::link(elsewhere.filePath("fifo"), folder + '/' + link));
    QTEST(walk(root.path()), "found");
    QVERIFY2(!trap.opened(), "a FIFO was opened");
}

QTEST_GUILESS_MAIN(TestBoundedInput)
#include "tst_bounded_input.moc"
