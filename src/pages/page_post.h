#pragma once
// Section links saved on a Sub-Topic's page.
//
// Each section of the page has an editor; its "Save" goes to an address of the form
//   file:///<program folder>/post-<section table>.htm?name1=..&url1=..&name2=..++&file=<page file>
// with every key and value percent-encoded. No such file exists: the browser hands the
// address to HandlePagePost before it navigates, which stores the links exactly as typed
// and rebuilds the page.
//
// How the main window uses it (results is its WebBrowser, m_pages its TopicPageBuilder):
//
//   PagePost m_pagePost{m_pages};
//   connect(results, &WebBrowser::BeforeNavigate2, this, [this](const QUrl &url, bool *cancel) {
//       if (!m_pagePost.HandlePagePost(url))
//           return;                                   // an ordinary navigation
//       *cancel = true;                               // never load the post address
//       QTimer::singleShot(0, this, [this] {          // show the page as it is now
//           results->Navigate(GetAppPath() + CurrentPageFile);
//       });
//   });
//
// The text accepted by updatelinksdb: everything up to and including the first "?" is the
// address; then name=value pairs up to the marker "++&file=". In a value "+" stands for a
// blank; an "&" separates pairs only before "name" or "url", elsewhere it belongs to the
// value. Nothing else is decoded.

#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

class TopicPageBuilder;

class PagePost
{
public:
    enum class Result {
        NotAPost,   // the address is not a post of a page of the program
        Stored,     // links stored and the page rebuilt
        Refused,    // a post, but nothing was written (the reason is in lastReason())
    };

    explicit PagePost(TopicPageBuilder &builder);

    // Called before the browser navigates. Answers true when url is a post of a page
    // (the navigation must then be cancelled): the post is stored and the page rebuilt,
    // or refused with a message to the user when it does not come from the shown page or
    // names anything but a section table and the row keys name1..name5 / url1..url5.
    bool HandlePagePost(const QUrl &url);

    // Stores the links posted in text into the section table for the shown Sub-Topic
    // (CurrentSubTopicId), all of them or none, then rebuilds the page data and the page
    // CurrentPageFile. Refused, writing nothing: a table that is not one of the six
    // section tables, a text without the marker, a pair without "=", a key other than
    // name1..name5 / url1..url5, an address whose row does not exist.
    Result updatelinksdb(const QString &text, const QString &table);

    // The key and value of each "&"-separated pair after the first "?" (no separator
    // protection, no end marker); "+" in a value becomes a blank. A pair without "=" gives
    // its whole text as key and an empty value.
    static QList<QPair<QString, QString>> ParseQueryString(const QString &address);

    // The pairs of a posted text after separator protection, or false when the text has
    // no marker or a pair has no "=".
    static bool SplitPostedText(const QString &text, QList<QPair<QString, QString>> &pairs);

    // The key and value of each "&"-separated pair of a percent-encoded query, each decoded
    // on its own ("+" a blank, "%XX" a byte of UTF-8), or false when a pair has no "=".
    static bool SplitPageQuery(const QString &encodedQuery, QList<QPair<QString, QString>> &pairs);

    // Stored forms of posted values: a name with "ampersand" as "&" and then "&", "<", ">"
    // as "&amp;", "&lt;", "&gt;"; an address with "ampersand" as "&" and "\" as "/".
    static QString StoredLinkName(const QString &value);
    static QString StoredLinkUrl(const QString &value);
    // Stored forms of typed values: a name with "&", "<", ">" as "&amp;", "&lt;", "&gt;";
    // an address with "\" as "/".
    static QString EncodedLinkName(const QString &typed);
    static QString SlashedAddress(const QString &typed);

    Result lastResult() const { return m_lastResult; }
    QString lastReason() const { return m_lastReason; }

private:
    Result refuse(const QString &reason);
    // Stores pairs whose values are already in their stored form (see updatelinksdb).
    Result store(const QString &table, const QList<QPair<QString, QString>> &pairs);

    TopicPageBuilder &m_builder;
    Result m_lastResult = Result::NotAPost;
    QString m_lastReason;
};
