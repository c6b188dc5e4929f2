#include "platform/url_history.h"

#include "platform/history_index_file.h"
#include "platform/settings.h"
#include "platform/whole_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTextStream>

namespace {

struct Store {
    bool loaded = false;
    QList<UrlHistoryEntry> entries;
    QHash<QString, int> index;   // url -> position in entries

    void reindex()
    {
        index.clear();
        for (int i = 0; i < entries.size(); ++i)
            index.insert(entries.at(i).url, i);
    }
};

Store &store()
{
    static Store s;
    return s;
}

// A title is kept on one line of the file.
QString oneLine(const QString &text)
{
    QString t = text;
    for (QChar &c : t)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return t;
}

void load()
{
    Store &s = store();
    if (s.loaded)
        return;
    s.loaded = true;
    s.entries.clear();
    QFile file(UrlHistory::filePath());
    if (file.open(QIODevice::ReadOnly)) {
        QTextStream in(&file);
        in.setEncoding(QStringConverter::Utf8);
        QString line;
        while (in.readLineInto(&line)) {
            // address, visits, last visit, title
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() < 4 || fields.at(0).isEmpty())
                continue;   // a damaged line is skipped, the rest is kept
            UrlHistoryEntry e;
            e.url = fields.at(0);
            e.visits = qMax(1, fields.at(1).toInt());
            e.lastVisited = QDateTime::fromString(fields.at(2), Qt::ISODate);
            e.title = fields.mid(3).join(QLatin1Char(' '));
            s.entries.append(e);
        }
    }
    // A file written by hand may name an address twice: the later line wins.
    QHash<QString, int> seen;
    QList<UrlHistoryEntry> unique;
    for (const UrlHistoryEntry &e : std::as_const(s.entries)) {
        const auto it = seen.constFind(e.url);
        if (it != seen.constEnd()) {
            unique[*it] = e;
        } else {
            seen.insert(e.url, int(unique.size()));
            unique.append(e);
        }
    }
    s.entries = unique;
    while (s.entries.size() > UrlHistory::MaxEntries)
        s.entries.removeFirst();
    s.reindex();
}

// Writes the store's file and, after it, the history index below the History folder, which
// follows the store so that the history tools list what the browsers visited. False when
// either could not be written; a file not written stays as it was.
bool save(const QList<UrlHistoryEntry> &entries)
{
    const QString path = UrlHistory::filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString text;
    QTextStream out(&text);
    for (const UrlHistoryEntry &e : entries)
        out << e.url << '\t' << e.visits << '\t' << e.lastVisited.toString(Qt::ISODate) << '\t'
            << oneLine(e.title) << '\n';
    out.flush();
    return SaveWholeFile(path, text.toUtf8()) && HistoryIndexFile::write(entries);
}

} // namespace

bool UrlHistory::isRecordable(const QUrl &url)
{
    if (!url.isValid() || url.isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return !scheme.isEmpty() && scheme != QLatin1String("about") && scheme != QLatin1String("data")
        && scheme != QLatin1String("blob") && scheme != QLatin1String("javascript");
}

bool UrlHistory::recordVisit(const QUrl &url, const QString &title)
{
    if (!isRecordable(url))
        return true;
    load();
    Store &s = store();
    const QString key = QString::fromUtf8(url.toEncoded());
    const auto it = s.index.constFind(key);
    if (it != s.index.constEnd()) {
        UrlHistoryEntry &e = s.entries[*it];
        e.title = title;
        e.lastVisited = QDateTime::currentDateTimeUtc();
        ++e.visits;
    } else {
        UrlHistoryEntry e;
        e.url = key;
        e.title = title;
        e.lastVisited = QDateTime::currentDateTimeUtc();
        e.visits = 1;
        s.entries.append(e);
        if (s.entries.size() > MaxEntries) {
            s.entries.remove(0, s.entries.size() - MaxEntries);
            s.reindex();
        } else {
            s.index.insert(key, int(s.entries.size()) - 1);
        }
    }
    // When this fails the earlier files stay and the history of this run stays in memory.
    return save(s.entries);
}

QList<UrlHistoryEntry> UrlHistory::entries()
{
    load();
    return store().entries;
}

UrlHistoryEntry UrlHistory::find(const QString &url)
{
    load();
    const Store &s = store();
    const auto it = s.index.constFind(url);
    return it == s.index.constEnd() ? UrlHistoryEntry() : s.entries.at(*it);
}

bool UrlHistory::remove(const QString &url)
{
    load();
    return store().index.contains(url) && remove(QStringList{url}) == 1;
}

int UrlHistory::remove(const QStringList &urls)
{
    load();
    Store &s = store();
    const QSet<QString> gone(urls.cbegin(), urls.cend());
    QList<UrlHistoryEntry> kept;
    kept.reserve(s.entries.size());
    for (const UrlHistoryEntry &e : std::as_const(s.entries))
        if (!gone.contains(e.url))
            kept.append(e);
    const int removed = int(s.entries.size() - kept.size());
    if (removed == 0)
        return 0;
    if (!save(kept))
        return -1;
    s.entries = kept;
    s.reindex();
    return removed;
}

bool UrlHistory::clear()
{
    load();
    if (!save({}))
        return false;
    store().entries.clear();
    store().index.clear();
    return true;
}

QString UrlHistory::filePath()
{
    return ConfigFolder() + QStringLiteral("/urlhistory.txt");
}

void UrlHistory::reload()
{
    store() = Store();
}
