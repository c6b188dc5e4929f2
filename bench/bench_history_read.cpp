// Compares reading a history index of 200,000 records into its addresses (ReadHistoryIndex,
// as "Get History" does for each index file) with a bare read of the same file, opened and
// read whole, taking turns over seven runs each. The addresses the program found must be
// the ones the bare side's bytes hold.
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
    QByteArray bareBytes;
    bench::Headline headline(2.0);
    headline.check(bench::alternateRuns(
        Runs,
        bench::timedRun([&] { return ReadHistoryIndex(path) == Records; },
                        [] { HistoryUrls.clear(); }),   // dropping the addresses of the run before is no reading
        bench::timedRun([&] {
            QFile file(path);
            bareBytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            return bareBytes.size() == data.size();
        }),
        &reads, &bares));
    // The addresses in the bare side's bytes: the text of each record's line after its "@".
    QStringList bareUrls = {QString()};
    for (qsizetype at = bareBytes.indexOf("URL "); at >= 0; at = bareBytes.indexOf("URL ", at + 1)) {
        const qsizetype from = bareBytes.indexOf('@', at) + 1;
        bareUrls.append(QString::fromLatin1(bareBytes.mid(from, bareBytes.indexOf('\0', from) - from)));
    }
    headline.check(bench::sameEnd("the addresses", HistoryUrls, bareUrls));
    std::printf("History index of %d records, %lld bytes\n", Records, static_cast<long long>(data.size()));
    headline.row("reading the index", "  ReadHistoryIndex", reads, "  bare read of the file", bares);
    return headline.finish();
}
