// Times reading a history index of 200,000 records (ReadHistoryIndex, as "Get History"
// does for each index file) against a bare read of the same file (opened and read whole),
// the two alternating, seven runs each.
//
//   bench_history_read

#include "bench_support.h"

#include "webtools/history_index.h"

#include <QCoreApplication>

namespace {

constexpr int Records = 200000;
constexpr int Runs = 7;

// The file as the browsers leave it: a 128-byte header block, then one record of whole
// 128-byte blocks per address, its text 119 bytes after the marker, ended by a NUL.
QByteArray indexFile()
{
    QByteArray data("Client UrlCache MMF Ver 5.2");
    data.append(128 - data.size(), '\0');
    for (int i = 0; i < Records; ++i) {
        QByteArray record("URL ");
        record.append(114, '\0');
        record.append(" Visited: bench@http://www.site" + QByteArray::number(i) + ".example/page.html");
        record.append('\0');
        record.append((128 - record.size() % 128) % 128, '\0');
        data.append(record);
    }
    return data;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("INDEX.DAT"));
    const QByteArray data = indexFile();
    bench::writeFile(path, data);

    QVector<double> reads;
    QVector<double> bares;
    qsizetype bareSize = 0;
    int count = 0;
    for (int run = 0; run < Runs; ++run) {
        HistoryUrls.clear();   // dropping the addresses of the run before is no reading
        reads.append(bench::timed([&] { count = ReadHistoryIndex(path); }));
        bares.append(bench::timed([&] {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                bareSize = file.readAll().size();
        }));
    }
    if (count != Records || HistoryUrls.size() != Records + 1 || bareSize != data.size()
        || HistoryUrls.at(Records) != QStringLiteral("http://www.site%1.example/page.html").arg(Records - 1)) {
        std::fprintf(stderr, "The index was not read right: %d records\n", count);
        return 2;
    }
    std::printf("History index of %d records, %lld bytes\n", Records, static_cast<long long>(data.size()));
    bench::printRuns("  ReadHistoryIndex", reads);
    bench::printRuns("  bare read of the file", bares);
    std::printf("ratio %.2f (target: at most 2.00)\n", bench::median(reads) / bench::median(bares));
    return 0;
}
