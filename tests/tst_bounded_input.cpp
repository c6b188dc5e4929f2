// Readers of outside input under hard limits: each reader runs in a child process whose
// address space is limited to the reader's budget, and must end within a deadline, on
// inputs built so that a reader holding more than it needs runs out of its budget. And
// folder walks read regular files only: a FIFO given a file's name is never opened.

#include "bounded_child.h"
#include "zip_fixtures.h"

#include "editions/c_unzip.h"
#include "editions/edition_discovery.h"
#include "editions/edition_restore.h"
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
}

void TestBoundedInput::readersStayWithinTheirBudget()
{
    QFETCH(Step, prepare);
    QFETCH(Step, read);
    QFETCH(int, megabytes);
    if (BoundedChild::inChild()) {
        QVERIFY(BoundedChild::limitMemory(megabytes));
        read(BoundedChild::value("FOLDER"));
        return;
    }
    if (!BoundedChild::canLimitMemory())
        QSKIP("a limit on the address space cannot work under the address sanitizer");
    QTemporaryDir folder;
    prepare(folder.path());
    const QString failure = BoundedChild::run({{"FOLDER", folder.path()}}, DeadlineMs);
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
