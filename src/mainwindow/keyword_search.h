#pragma once
// The keyword search of the main window, without the window: the search words remembered
// with a Sub-Topic, and the addresses of the web directory search and the web search.
//
// A Sub-Topic's search words are kept in the Keyword texts of its category rows ("|"
// before each word); a new word goes to its first row by LksId, the root row.

#include <QString>
#include <QStringList>

class KeywordSearch
{
public:
    // The words of a "|"-separated list in order: empty pieces are skipped, repeated words
    // kept.
    static QStringList keywordItems(const QString &list);

    // True when words hold word, both compared trimmed and without regard to case.
    static bool isListed(const QStringList &words, const QString &word);

    // The search words stored with a Sub-Topic (every category row's Keyword text).
    static QStringList storedKeywords(qint32 subTopicId);

    // Remembers word, exactly as typed, with a Sub-Topic: appends "|" and the word to the
    // Keyword text of the Sub-Topic's first category row. Nothing is stored for a blank
    // word, for a word the Sub-Topic has already (isListed), for a Sub-Topic without rows
    // or when the edition cannot be written; answers true when the word was stored.
    static bool rememberKeyword(qint32 subTopicId, const QString &word);

    // Search text as a query value: percent-encoded as UTF-8, each blank as "+".
    static QString encodeSearchText(const QString &text);
    // The web directory's search for text.
    static QString directorySearchAddress(const QString &text);
    // The web search engine's search for text.
    static QString webSearchAddress(const QString &text);

    // The servers the searches go to ("http://host", no "/" at the end). Tests point
    // them at this machine; empty texts restore the program's own servers.
    static void setServers(const QString &directoryServer, const QString &searchServer);
    static QString directoryServer();
    static QString searchServer();
};
