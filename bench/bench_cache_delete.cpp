// Times the cache viewer's "Delete All" (DeleteUrlCacheEntries on every listed address) on
// a full cache store, UrlHistory::MaxEntries entries of which one in ten is a cookie entry
// that stays, against a bare rewrite of the entries that remain: the store's text file and
// the history index, formatted and written with plain file writes. Seven runs each.
//
//   bench_cache_delete

#include "bench_support.h"

#include "platform/history_index_file.h"
#include "platform/registry.h"
#include "platform/url_history.h"
#include "webtools/url_cache.h"

#include <QCoreApplication>
#include <QSaveFile>

namespace {

constexpr int Runs = 7;

QByteArray address(int i)
{
    return i % 10 == 0 ? "http://ads.example/Cookie/" + QByteArray::number(i)
                       : "http://www.site" + QByteArray::number(i) + ".example/page.html";
}

QByteArray storeLine(int i)
{
    return address(i) + "\t1\t2026-01-01T00:00:00Z\tPage " + QByteArray::number(i) + '\n';
}

bool save(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
}

// The two files of the remaining entries, formatted and written as plainly as they can be.
bool bareRewrite(const QList<int> &remaining)
{
    QByteArray store;
    QByteArray index("Client UrlCache MMF Ver 5.2");
    index.append(128 - index.size(), '\0');
    for (const int i : remaining) {
        store += storeLine(i);
        QByteArray record("URL ");
        record.append(114, '\0');
        record.append(" Visited: bench@" + address(i));
        record.append('\0');
        record.append((128 - record.size() % 128) % 128, '\0');
        index += record;
    }
    return save(UrlHistory::filePath(), store) && save(HistoryIndexFile::filePath(), index);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir config;
    QTemporaryDir history;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QCoreApplication app(argc, argv);
    RegKey key;
    Registry::createKey(HKEY_CURRENT_USER,
                        QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"), &key);
    SetValueEx(key, QStringLiteral("History"), REG_SZ, history.path());

    const int entries = UrlHistory::MaxEntries;
    QByteArray full;
    QList<int> remaining;
    for (int i = 0; i < entries; ++i) {
        full += storeLine(i);
        if (address(i).contains("Cookie"))
            remaining.append(i);
    }

    QVector<double> deletes;
    QVector<double> bares;
    bool ok = true;
    for (int run = 0; run < Runs; ++run) {
        bench::writeFile(UrlHistory::filePath(), full);
        UrlHistory::reload();
        const QStringList listed = CacheUrls();   // what the viewer lists
        ok = ok && listed.size() == entries - remaining.size();
        deletes.append(bench::timed([&] { ok = DeleteUrlCacheEntries(listed) && ok; }));
        ok = ok && UrlHistory::entries().size() == remaining.size() && QFileInfo::exists(HistoryIndexFile::filePath());
        bares.append(bench::timed([&] { ok = bareRewrite(remaining) && ok; }));
    }
    if (!ok) {
        std::fprintf(stderr, "The store was not written as expected\n");
        return 2;
    }
    std::printf("Delete All of %d cache entries, %lld remaining\n", entries - int(remaining.size()),
                static_cast<long long>(remaining.size()));
    bench::printRuns("  Delete All", deletes);
    bench::printRuns("  bare rewrite of the remaining store", bares);
    std::printf("ratio %.2f (target: at most 2.00)\n", bench::median(deletes) / bench::median(bares));
    return 0;
}
