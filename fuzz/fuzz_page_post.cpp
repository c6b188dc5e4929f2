// Links saved from the page: any posted text is parsed without harm, and storing it in a
// scratch edition does exactly what a model of the section says: every link or none.

#include "fuzz_support.h"

#include "pages/page_post.h"
#include "pages/topic_page_builder.h"
#include "shared/database.h"

#include <QMap>
#include <QRegularExpression>
#include <QSqlQuery>

namespace {

struct Row {
    QString name;
    QVariant url;
    QString urlKey;
};

using Section = QMap<QString, Row>; // by the row's name key

Section readSection(const QString &table)
{
    Section rows;
    QSqlQuery q(DbConnection());
    BindAndExec(q, QStringLiteral("SELECT FieldName1, LinkName, LinkUrl, FieldName2 FROM %1 WHERE topicid = ?").arg(table),
                {7});
    while (q.next())
        rows.insert(q.value(0).toString(), {q.value(1).toString(), q.value(2), q.value(3).toString()});
    return rows;
}

QString describe(const Section &rows)
{
    QString out;
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        out += it.key() + QLatin1Char('|') + it->name + QLatin1Char('|') + it->url.toString() + QLatin1Char('|')
            + it->urlKey + QLatin1Char('\n');
    return out;
}

// What storing pairs does to the section, or false when it must be refused.
bool model(Section &rows, const QList<QPair<QString, QString>> &pairs)
{
    static const QRegularExpression nameKey(QStringLiteral("^name([1-5])$"));
    static const QRegularExpression urlKey(QStringLiteral("^url[1-5]$"));
    for (const auto &[key, value] : pairs)
        if (!nameKey.match(key).hasMatch() && !urlKey.match(key).hasMatch())
            return false;
    for (const auto &[key, value] : pairs) {
        const auto name = nameKey.match(key);
        if (name.hasMatch()) {
            Row &row = rows[key];
            if (row.urlKey.isEmpty())
                row.urlKey = QStringLiteral("url") + name.captured(1);
            row.name = PagePost::StoredLinkName(value);
            continue;
        }
        auto it = rows.begin();
        while (it != rows.end() && it->urlKey != key)
            ++it;
        if (it == rows.end())
            return false;
        it->url = PagePost::StoredLinkUrl(value);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static TopicPageBuilder builder;
    builder.setReportFailures(false);
    Fuzz::freshEdition();
    static const bool sheet = builder.BuildPageStylesheet(QStringLiteral("tpmaster.xsl"), "1", "2", "3", "4", "5",
                                                          "6", QString());
    Fuzz::check(sheet, "the page style sheet is made");

    const QStringList tables = SectionLinkTables();
    const QString table = data[0] < tables.size() ? tables.at(data[0]) : QStringLiteral("Topics");
    const QString text = Fuzz::text(data + 1, size - 1);

    // The parsers alone.
    PagePost::ParseQueryString(text);
    QList<QPair<QString, QString>> query;
    PagePost::SplitPageQuery(text, query);

    const bool section = IsSectionLinkTable(table);
    if (section)
        for (int i = 1; i <= 3; ++i)
            Fuzz::check(ExecSql(QStringLiteral("INSERT INTO %1 (topicid, LinkName, LinkUrl, FieldName1, FieldName2) "
                                               "VALUES (7, ?, ?, ?, ?)").arg(table),
                                {QStringLiteral("Name %1").arg(i), QStringLiteral("http://%1.example/").arg(i),
                                 QStringLiteral("name%1").arg(i), QStringLiteral("url%1").arg(i)}),
                        "the section is filled");
    const Section before = section ? readSection(table) : Section();

    QList<QPair<QString, QString>> pairs;
    Section expected = before;
    const bool stored = section && PagePost::SplitPostedText(text, pairs) && model(expected, pairs);

    PagePost post(builder);
    const PagePost::Result result = post.updatelinksdb(text, table);
    Fuzz::check(result == (stored ? PagePost::Result::Stored : PagePost::Result::Refused), "the post is stored or refused as the model says",
                text);
    if (section) {
        const Section after = readSection(table);
        Fuzz::check(describe(after) == describe(stored ? expected : before), "the section holds what the model says",
                    text + QStringLiteral("\n-- got\n") + describe(after) + QStringLiteral("-- expected\n")
                        + describe(stored ? expected : before));
    }
    return 0;
}
