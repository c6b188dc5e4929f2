#pragma once
// The browsers' URL cache as the cache viewer sees it: the addresses of the URL history
// store, in the order they were first visited. Cookie entries (an address holding
// "Cookie") are never listed.

#include <QString>
#include <QStringList>

class QListWidget;

// The listed addresses of the cache.
QStringList CacheUrls();
// Clears list and adds the listed addresses of the cache.
void GetCacheURLList(QListWidget *list);
// Removes an address from the cache; false when it held none.
bool DeleteUrlCacheEntry(const QString &address);
// Empties the web engine's own cache of downloaded pages and files.
void ClearEngineCache();
