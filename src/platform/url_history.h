#pragma once
// The program's URL cache and history: every page our browsers load is recorded here,
// once per address, with its title, the time of the last visit and the number of visits.
// The web tools list, remove and clear the entries.
//
// Entries keep the order in which their addresses were first visited. The store holds at
// most MaxEntries entries; past that the oldest are dropped. It is kept per user in the
// file "urlhistory.txt" of the program's configuration folder (one entry a line, UTF-8),
// read on first use and written after every change, together with the history index file
// of history_index_file.h. A change that cannot be written leaves both files as they were.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

struct UrlHistoryEntry {
    QString url;           // the address as loaded (encoded form)
    QString title;         // the page's title at the last visit
    QDateTime lastVisited; // UTC
    int visits = 0;
};

class UrlHistory
{
public:
    static constexpr int MaxEntries = 5000;

    // Records a visit of a loaded page. Addresses that are no pages of their own
    // (about:, data:, blob:, javascript:, an empty or invalid address) are not recorded.
    // False when the visit could not be written (it is still kept for this run).
    static bool recordVisit(const QUrl &url, const QString &title);
    // True when recordVisit keeps visits of this address.
    static bool isRecordable(const QUrl &url);

    static QList<UrlHistoryEntry> entries();
    // The entry of an address; an empty entry (visits 0) when there is none.
    static UrlHistoryEntry find(const QString &url);
    // Removes the entry of an address; answers whether there was one and it is gone.
    static bool remove(const QString &url);
    // Removes the entries of these addresses with one writing of the files; answers how
    // many there were, or -1 when the files could not be written (nothing is removed then).
    static int remove(const QStringList &urls);
    // Removes every entry; false when the files could not be written (nothing is removed).
    static bool clear();

    // The file the store is kept in.
    static QString filePath();
    // Forgets what was read, so the next call reads the file again.
    static void reload();
};
