#pragma once
// The browsers' URL cache as the cache viewer sees it: the addresses of the URL history
// store, in the order they were first visited. Cookie entries (an address holding
// "Cookie") are never listed.

#include <QString>
#include <QStringList>

#include <functional>

class QListWidget;

// The listed addresses of the cache.
QStringList CacheUrls();
// Clears list and adds the listed addresses of the cache.
void GetCacheURLList(QListWidget *list);
// Removes an address from the cache; false when it held none.
bool DeleteUrlCacheEntry(const QString &address);
// Removes these addresses from the cache at once; false when the cache could not be
// written (it then holds them all still).
bool DeleteUrlCacheEntries(const QStringList &addresses);
// Empties the web engine's own cache of downloaded pages and files.
void ClearEngineCache();
// Test seam: while a clearer is set, ClearEngineCache runs it instead. Pass an empty
// function to go back to the engine.
void SetEngineCacheClearer(std::function<void()> clearer);
