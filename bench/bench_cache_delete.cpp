// Compares the cache viewer's "Delete All" (DeleteUrlCacheEntries on every listed address
// of a full cache store: UrlHistory::MaxEntries entries, one in ten a cookie entry that
// stays) with a bare rewrite of the entries that remain: the store's text file and the
// history index, formatted by hand and each saved through QSaveFile (a scratch file put on
// the disk once, then renamed over the old one). Both sides end with the same two files,
// byte for byte, checked after every run. Nine runs of each; the sides alternate, the one
// that goes first switching from run to run. The headline is the ratio of the medians.
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

constexpr int Runs = 9;

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

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The two files of the remaining entries, formatted and written as plainly as they can be,
// as store and index.
bool bareRewrite(const QList<int> &remaining, const QString &storePath, const QString &indexPath)
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
    return save(storePath, store) && save(indexPath, index);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir config;
    QTemporaryDir history;
    QTemporaryDir bare;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("USER", "bench");    // the index's records name the user
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

    const QString bareStore = bare.filePath(QStringLiteral("store.txt"));
    const QString bareIndex = bare.filePath(QStringLiteral("INDEX.DAT"));
    QVector<double> deletes;
    QVector<double> bares;
    bool ok = true;
    bool same = true;
    for (int run = 0; run < Runs; ++run) {
        const auto program = [&] {
            bench::writeFile(UrlHistory::filePath(), full);
            UrlHistory::reload();
            const QStringList listed = CacheUrls();   // what the viewer lists
            ok = ok && listed.size() == entries - remaining.size();
            deletes.append(bench::timed([&] { ok = DeleteUrlCacheEntries(listed) && ok; }));
            ok = ok && UrlHistory::entries().size() == remaining.size();
        };
        const auto bareSide = [&] { bares.append(bench::timed([&] { ok = bareRewrite(remaining, bareStore, bareIndex) && ok; })); };
        bench::inTurn(run, program, bareSide);
        same = same && fileBytes(UrlHistory::filePath()) == fileBytes(bareStore)
               && fileBytes(HistoryIndexFile::filePath()) == fileBytes(bareIndex) && !fileBytes(bareIndex).isEmpty();
    }
    if (!ok || !same) {
        std::fprintf(stderr, "%s\n", !ok ? "The store was not written as expected"
                                         : "The program's files differ from the bare rewrite's");
        return 2;
    }
    std::printf("Delete All of %d cache entries, %lld remaining (both sides' files equal)\n",
                entries - int(remaining.size()), static_cast<long long>(remaining.size()));
    bench::printRuns("  Delete All", deletes);
    bench::printRuns("  bare rewrite of the remaining store", bares);
    std::printf("ratio %.2f (target: at most 2.00)\n", bench::median(deletes) / bench::median(bares));
    return 0;
}
