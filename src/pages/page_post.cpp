#include "pages/page_post.h"

#include "shared/edit_sql.h"
#include "pages/topic_page_builder.h"
#include "platform/dialogs.h"
#include "shared/database.h"
#include "shared/globals.h"
#include "shared/routines.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QLatin1String kMarker("++&file=");

bool isNameKey(const QString &key)
{
    static const QRegularExpression re(QStringLiteral("^name[1-5]$"));
    return re.match(key).hasMatch();
}

bool isUrlKey(const QString &key)
{
    static const QRegularExpression re(QStringLiteral("^url[1-5]$"));
    return re.match(key).hasMatch();
}

QString keyAndValue(const QString &pair, QString *value)
{
    const qsizetype eq = pair.indexOf(QLatin1Char('='));
    if (eq < 0) {
        *value = QString();
        return pair;
    }
    *value = pair.mid(eq + 1).replace(QLatin1Char('+'), QLatin1Char(' '));
    return pair.left(eq);
}

// A form-encoded text as typed: "+" is a blank, "%XX" the byte XX (UTF-8).
QString formDecoded(QString text)
{
    text.replace(QLatin1Char('+'), QLatin1Char(' '));
    return QUrl::fromPercentEncoding(text.toUtf8());
}

} // namespace

PagePost::PagePost(TopicPageBuilder &builder)
    : m_builder(builder)
{
}

QList<QPair<QString, QString>> PagePost::ParseQueryString(const QString &address)
{
    QList<QPair<QString, QString>> pairs;
    const qsizetype q = address.indexOf(QLatin1Char('?'));
    const QString query = address.mid(q + 1);
    const QStringList parts = query.split(QLatin1Char('&'));
    for (const QString &part : parts) {
        QString value;
        const QString key = keyAndValue(part, &value);
        pairs.append({key, value});
    }
    return pairs;
}

bool PagePost::SplitPostedText(const QString &text, QList<QPair<QString, QString>> &pairs)
{
    pairs.clear();
    const qsizetype question = text.indexOf(QLatin1Char('?'));
    const qsizetype marker = text.indexOf(kMarker);
    if (marker < 0 || question > marker)
        return false;
    QString query = text.mid(question + 1, marker - (question + 1));

    // An "&" separates two pairs only before "name" or "url"; any other "&" is part of a
    // value and travels as the word "ampersand".
    query.replace(QLatin1String("&name"), QLatin1String("*****"));
    query.replace(QLatin1String("&url"), QLatin1String("~~~~"));
    query.replace(QLatin1String("&"), QLatin1String("ampersand"));
    query.replace(QLatin1String("*****"), QLatin1String("&name"));
    query.replace(QLatin1String("~~~~"), QLatin1String("&url"));

    const QStringList parts = query.split(QLatin1Char('&'));
    for (const QString &part : parts) {
        if (!part.contains(QLatin1Char('='))) {
            pairs.clear();
            return false;
        }
        QString value;
        const QString key = keyAndValue(part, &value);
        pairs.append({key, value});
    }
    return true;
}

QString PagePost::EncodedLinkName(const QString &typed)
{
    QString name = typed;
    name.replace(QLatin1String("&"), QLatin1String("&amp;"));
    name.replace(QLatin1String("<"), QLatin1String("&lt;"));
    name.replace(QLatin1String(">"), QLatin1String("&gt;"));
    return name;
}

QString PagePost::SlashedAddress(const QString &typed)
{
    QString url = typed;
    return url.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

QString PagePost::StoredLinkName(const QString &value)
{
    QString name = value;
    return EncodedLinkName(name.replace(QLatin1String("ampersand"), QLatin1String("&")));
}

QString PagePost::StoredLinkUrl(const QString &value)
{
    QString url = value;
    return SlashedAddress(url.replace(QLatin1String("ampersand"), QLatin1String("&")));
}

bool PagePost::SplitPageQuery(const QString &encodedQuery, QList<QPair<QString, QString>> &pairs)
{
    pairs.clear();
    const QStringList parts = encodedQuery.split(QLatin1Char('&'));
    for (const QString &part : parts) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0) {
            pairs.clear();
            return false;
        }
        pairs.append({formDecoded(part.left(eq)), formDecoded(part.mid(eq + 1))});
    }
    return true;
}

PagePost::Result PagePost::refuse(const QString &reason)
{
    m_lastResult = Result::Refused;
    m_lastReason = reason;
    return m_lastResult;
}

PagePost::Result PagePost::updatelinksdb(const QString &text, const QString &table)
{
    m_lastReason.clear();
    if (!IsSectionLinkTable(table))
        return refuse(QStringLiteral("\"%1\" is not a section of the page.").arg(table));
    QList<QPair<QString, QString>> pairs;
    if (!SplitPostedText(text, pairs))
        return refuse(QStringLiteral("The page sent links in a form the program does not know."));
    for (auto &[key, value] : pairs)
        value = isNameKey(key) ? StoredLinkName(value) : StoredLinkUrl(value);
    return store(table, pairs);
}

PagePost::Result PagePost::store(const QString &table, const QList<QPair<QString, QString>> &pairs)
{
    for (const auto &pair : pairs)
        if (!isNameKey(pair.first) && !isUrlKey(pair.first))
            return refuse(QStringLiteral("\"%1\" is not a link of the section.").arg(pair.first));
    if (!OpenDatabase(CurrentDatabaseFile))
        return refuse(QStringLiteral("The edition could not be opened."));

    // Every refusal from here on names the database's reason (a read-only file, a full disk).
    Transaction transaction;
    QString error;
    if (!EditSql::started(transaction, error))
        return refuse(QStringLiteral("The edition could not be written.\n\n") + error);
    const QString find = QStringLiteral("SELECT rowid FROM %1 WHERE topicid = ? AND %2 = ? ORDER BY rowid LIMIT 1");
    for (const auto &[key, stored] : pairs) {
        const bool name = isNameKey(key);
        QVariant rowid;
        if (!EditSql::scalar(find.arg(table, name ? QStringLiteral("FieldName1") : QStringLiteral("FieldName2")),
                             {CurrentSubTopicId, key}, rowid, error))
            return refuse(QStringLiteral("The section could not be read.\n\n") + error);
        if (rowid.isNull() && !name)
            return refuse(QStringLiteral("The section has no link \"%1\".").arg(key));
        const bool written =
            !rowid.isNull()
                ? EditSql::exec(QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?")
                                    .arg(table, name ? QStringLiteral("LinkName") : QStringLiteral("LinkUrl")),
                                {stored, rowid}, error)
                : EditSql::exec(QStringLiteral("INSERT INTO %1 (LinkName, FieldName1, FieldName2, topicid) "
                                               "VALUES (?, ?, ?, ?)")
                                    .arg(table),
                                {stored, key, QStringLiteral("url") + QString::number(ValDigits(key)),
                                 CurrentSubTopicId},
                                error);
        if (!written)
            return refuse(QStringLiteral("The link \"%1\" could not be stored.\n\n").arg(key) + error);
    }
    if (!EditSql::commit(transaction, error))
        return refuse(QStringLiteral("The edition could not be written.\n\n") + error);

    m_lastResult = Result::Stored;
    m_builder.WriteLinksXml(QStringLiteral("tbhome.xml"), QStringLiteral("tp"));
    m_builder.TransformXml(QStringLiteral("tbhome.xml"), QStringLiteral("tp.xsl"), CurrentPageFile);
    return m_lastResult;
}

bool PagePost::HandlePagePost(const QUrl &url)
{
    static const QRegularExpression postName(QStringLiteral("^post-([A-Za-z]+)\\.htm$"));
    m_lastResult = Result::NotAPost;
    m_lastReason.clear();
    if (!url.isLocalFile())
        return false;
    const QFileInfo target(url.toLocalFile());
    const QRegularExpressionMatch match = postName.match(target.fileName());
    if (!match.hasMatch())
        return false;
    if (QDir::cleanPath(target.absolutePath()) != QDir::cleanPath(GetAppPath()))
        return false;

    // The page percent-encodes every value, so in the address as sent an "&" only separates
    // two pairs and "+" only stands in the end marker: each value is decoded on its own and
    // stored exactly as the user typed it.
    const QString query = url.query(QUrl::FullyEncoded);
    const qsizetype marker = query.indexOf(kMarker);
    const QString postedPage = marker < 0 ? QString() : formDecoded(query.mid(marker + kMarker.size()));

    Result result;
    QList<QPair<QString, QString>> pairs;
    if (CurrentPageFile.isEmpty() || postedPage != CurrentPageFile)
        result = refuse(QStringLiteral("The page is no longer the page of the shown Sub-Topic."));
    else if (!SplitPageQuery(query.left(marker), pairs))
        result = refuse(QStringLiteral("The page sent links in a form the program does not know."));
    else if (!IsSectionLinkTable(match.captured(1)))
        result = refuse(QStringLiteral("\"%1\" is not a section of the page.").arg(match.captured(1)));
    else {
        for (auto &[key, value] : pairs)
            value = isNameKey(key) ? EncodedLinkName(value) : SlashedAddress(value);
        result = store(match.captured(1), pairs);
    }
    if (result == Result::Refused)
        MsgBox(QStringLiteral("The section links were not saved.\n\n") + m_lastReason, vbExclamation,
               QStringLiteral("Link Error"));
    return true;
}
