// Compares the making of a Sub-Topic's home page (the style sheet with its captions, the
// padding of the six sections, the page data and the transform into the page file) with a
// bare program that builds the same page data in memory, parses its style sheet, transforms
// with libxslt and writes the page, taking turns. With five rows in every section table and
// with 2,000, each three ways: one page builder kept across runs (its compiled sheet stays
// cached while the bare side parses its sheet every run), a fresh builder every run, and
// captions that change every run. The two pages must be the same bytes after every row.
//
//   bench_topic_page [program folder to copy from]

#include "bench_support.h"
#include "pages/topic_page_builder.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <libxml/parser.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

namespace {

constexpr int Runs = 31;
const QStringList Captions = {"News", "Search", "Groups", "Related", "Popular", "Local", "Sponsor"};

// The captions of a run: the same every run, or changed every run.
QStringList captions(bool changing, int run)
{
    QStringList list = Captions;
    if (changing)
        for (QString &caption : list)
            caption += QStringLiteral(" %1").arg(run);
    return list;
}

bool programPage(TopicPageBuilder &builder, const QStringList &captions = Captions)
{
    return builder.BuildPageStylesheet(QStringLiteral("tpmaster.xsl"), captions[0], captions[1], captions[2],
                                       captions[3], captions[4], captions[5], captions[6])
           && builder.PrepareTopicHomePage(1);
}

QString escaped(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"))
        .replace(QLatin1Char('>'), QLatin1String("&gt;"));
}

// The page data of Sub-Topic 1 in the program's layout, for the tables of this edition.
QByteArray bareData()
{
    const QLatin1String crLf("\r\n");
    const QString b5(5, QLatin1Char(' ')), b10(10, QLatin1Char(' ')), b15(15, QLatin1Char(' '));
    QString xml = QLatin1String("<?xml version=\"1.0\"?>") + crLf + QLatin1String("<TP>") + crLf;
    for (const char *table : {"ColorLinks", "FavoriteLinks", "LocalLinks", "NewsLinks", "OrganizationLinks",
                              "RelatedLinks", "SearchLinks"}) {
        const QString name = QString::fromLatin1(table).toUpper();
        xml += b5 + QLatin1Char('<') + name + QLatin1Char('>') + crLf;
        QSqlQuery rows(DbConnection());
        rows.setForwardOnly(true);
        rows.exec(QStringLiteral("SELECT * FROM %1 WHERE topicid = 1 ORDER BY rowid LIMIT 5").arg(QLatin1String(table)));
        while (rows.next()) {
            xml += b10 + QLatin1String("<RECORD>") + crLf;
            const QSqlRecord record = rows.record();
            for (int i = 0; i < record.count(); ++i) {
                const QString field = record.fieldName(i).toUpper();
                if (i == 0) {   // the Sub-Topic id, the only number
                    const QString type = name == QLatin1String("COLORLINKS") ? QStringLiteral("Long Ineger")
                                                                             : QStringLiteral("Integer");
                    xml += b15 + QLatin1Char('<') + field + QLatin1String(" Type= '") + type + QLatin1String("'> ")
                        + rows.value(i).toString() + QLatin1String(" </") + field + QLatin1Char('>') + crLf;
                } else {
                    xml += b15 + QLatin1Char('<') + field + QLatin1String(" Type= 'Text'>") + crLf + b15
                        + escaped(rows.value(i).toString()) + crLf + b15 + QLatin1String("</") + field
                        + QLatin1Char('>') + crLf;
                }
            }
            xml += b10 + QLatin1String("</RECORD>") + crLf;
        }
        xml += b5 + QLatin1String("</") + name + QLatin1Char('>') + crLf;
    }
    return (xml + QLatin1String("</TP>") + crLf).toUtf8();
}

// The bare program: style sheet and data in memory, one transform, the page written.
bool barePage(const QString &folder, const QStringList &captions)
{
    QFile templ(folder + QStringLiteral("tpmaster.xsl"));
    if (!templ.open(QIODevice::ReadOnly))
        return false;
    QString sheetText = QString::fromUtf8(templ.readAll());
    const char *defaults[] = {"Sponsor Link",           "Search Websites",  "Information Websites", "Local Websites",
                              "Organization Websites", "Related Websites", "Popular Websites"};
    const int order[] = {6, 1, 0, 5, 2, 3, 4};
    for (int i = 0; i < 7; ++i)
        sheetText.replace(QLatin1String(defaults[i]), captions[order[i]]);
    const QByteArray sheetBytes = sheetText.toUtf8();
    const QByteArray data = bareData();

    xmlDocPtr sheetDoc = xmlReadMemory(sheetBytes.constData(), int(sheetBytes.size()), "tp.xsl", nullptr, XML_PARSE_NONET);
    xsltStylesheetPtr style = sheetDoc ? xsltParseStylesheetDoc(sheetDoc) : nullptr;
    xmlDocPtr doc = xmlReadMemory(data.constData(), int(data.size()), "tbhome.xml", nullptr, XML_PARSE_NONET);
    xmlDocPtr result = style && doc ? xsltApplyStylesheet(style, doc, nullptr) : nullptr;
    xmlChar *text = nullptr;
    int length = 0;
    const bool ok = result && xsltSaveResultToString(&text, &length, result, style) == 0;
    QString page = QString::fromUtf8(reinterpret_cast<const char *>(text), length) + QLatin1String("\r\n");
    xmlFree(text);
    xmlFreeDoc(result);
    xmlFreeDoc(doc);
    if (style)
        xsltFreeStylesheet(style);
    page.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    QFile out(folder + QStringLiteral("bare.html"));
    return ok && out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(page.toUtf8()) > 0;
}

// The three rows of one size of the section tables.
void compare(const char *size, TopicPageBuilder &kept, const QString &folder, bench::Headline *headline)
{
    for (const char *way : {"one builder kept", "a fresh builder every run", "captions changed every run"}) {
        const bool fresh = way[0] == 'a';
        const bool changing = way[0] == 'c';
        QVector<double> programTimes;
        QVector<double> bareTimes;
        int programRun = 0;
        int bareRun = 0;
        headline->check(bench::alternateRuns(
            Runs,
            bench::timedRun([&] {
                const QStringList texts = captions(changing, programRun++);
                if (!fresh)
                    return programPage(kept, texts);
                TopicPageBuilder builder;
                builder.setReportFailures(false);
                return programPage(builder, texts);
            }),
            bench::timedRun([&] { return barePage(folder, captions(changing, bareRun++)); }), &programTimes,
            &bareTimes));
        QFile program(folder + CurrentPageFile);
        QFile bare(folder + QStringLiteral("bare.html"));
        const QByteArray programBytes = program.open(QIODevice::ReadOnly) ? program.readAll() : QByteArray();
        const QByteArray bareBytes = bare.open(QIODevice::ReadOnly) ? bare.readAll() : QByteArray();
        headline->check(!bareBytes.isEmpty() && bench::sameEnd("the page", programBytes, bareBytes));
        headline->row(qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(size), QLatin1String(way))),
                      "  page made by the program", programTimes, "  bare page", bareTimes);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    const bench::Program program(argc, argv);
    const bench::ProgramFolder &folder = program.folder();
    bench::Edition edition;
    if (!program.ready() || !bench::makeSubTopic(&edition, 2, 2, 5))
        return 2;
    CurrentSubTopicId = 1;
    CurrentPageFile = PageFileName(QStringLiteral("Big"), 1);
    TopicPageBuilder builder;
    builder.setReportFailures(false);
    if (!programPage(builder))   // pads the six sections to five rows
        return 2;

    bench::Headline headline(2.0);
    compare("five rows in every section table", builder, folder.folder(), &headline);
    {
        Transaction fill;
        for (const QString &table : SectionLinkTables())
            for (int k = 6; k <= 2000; ++k)
                bench::run(QStringLiteral("INSERT INTO %1 (LinkName, LinkUrl, FieldName1, FieldName2, topicid)"
                                          " VALUES (?, ?, ?, ?, 1)").arg(table),
                           {QStringLiteral("Link %1").arg(k), QStringLiteral("http://x%1.example/").arg(k),
                            QStringLiteral("name%1").arg(k), QStringLiteral("url%1").arg(k)});
        headline.check(fill.commit());
    }
    compare("2,000 rows in every section table", builder, folder.folder(), &headline);
    bench::ProgramFolder::finish();
    return headline.finish();
}
