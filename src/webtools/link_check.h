#pragma once
// The links of one Sub-Topic as the link check lists them, and the check of one address.
//
// The list holds the links filed in the Sub-Topic's categories (by name), then the links
// of its page sections that have an address. A row knows where it comes from, so that
// deleting it touches only that link in its own category.
//
// An address is checked with one request through HttpRequest: it is reachable when the
// final answer, after the redirects that were followed, has a status from 200 to 299.
// Addresses of both web schemes are asked ("https" securely); an address without a
// scheme is a web address; a local file is reachable when it exists.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVector>
#include <QtGlobal>

#include <functional>

struct LinkCheckRow {
    QString name;
    QString url;
    // The stored path of the link's category ("/" between the names); "" for a link of
    // the page's sections.
    QString categoryPath;
};

class LinkCheckList
{
public:
    // The section tables in the order the list reads them.
    static const QStringList &sectionTables();

    // The rows of the Sub-Topic; progress is called once per row. Answers false when the
    // edition could not be read (lastError says why).
    bool load(qint32 subTopicId, QVector<LinkCheckRow> &rows, const std::function<void()> &progress = {});
    // True when the filed link is still in its category.
    static bool stillFiled(qint32 subTopicId, const LinkCheckRow &row);

    QString lastError() const { return m_error; }

private:
    QString m_error;
};

namespace LinkCheck {

// The request of a web address: HttpTarget's form (host, optional ":port", path, fully
// encoded; the request goes to "http://" or "https://" and target) and the secure flag.
// False for an address that is no web address.
bool requestTarget(const QString &address, QString &target, int &secure);
// True for a local file address (a path from "/" or a "file:" address).
bool isLocalFile(const QString &address, QString *path = nullptr);
// Whether a final HTTP status means the link works.
bool reachableStatus(int status);
// Checks one address (HttpTarget is set for its request); true when it is reachable.
bool check(const QString &address);

} // namespace LinkCheck
