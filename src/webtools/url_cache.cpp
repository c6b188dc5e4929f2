#include "webtools/url_cache.h"

#include "platform/url_history.h"

#include <QListWidget>
#include <QWebEngineProfile>

QStringList CacheUrls()
{
    QStringList urls;
    for (const UrlHistoryEntry &entry : UrlHistory::entries())
        if (!entry.url.contains(QLatin1String("Cookie")))
            urls.append(entry.url);
    return urls;
}

void GetCacheURLList(QListWidget *list)
{
    list->clear();
    list->addItems(CacheUrls());
}

bool DeleteUrlCacheEntry(const QString &address)
{
    return !address.isEmpty() && UrlHistory::remove(address);
}

bool DeleteUrlCacheEntries(const QStringList &addresses)
{
    return UrlHistory::remove(addresses) >= 0;
}

namespace {

std::function<void()> &engineCacheClearer()
{
    static std::function<void()> clearer;
    return clearer;
}

} // namespace

void ClearEngineCache()
{
    if (engineCacheClearer())
        engineCacheClearer()();
    else
        QWebEngineProfile::defaultProfile()->clearHttpCache();
}

void SetEngineCacheClearer(std::function<void()> clearer)
{
    engineCacheClearer() = std::move(clearer);
}
