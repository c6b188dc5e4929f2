// The Sub-Topic page: whatever names and addresses a section holds, the page data and the
// page are well-formed, an address reaches the page's editor exactly as stored, and a
// name as its stored entity form reads.

#include "fuzz_support.h"

#include "pages/topic_page_builder.h"
#include "shared/database.h"
#include "shared/globals.h"

#include <QFile>

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

namespace {

QString attribute(xmlNodePtr node, const char *name)
{
    xmlChar *value = xmlGetProp(node, reinterpret_cast<const xmlChar *>(name));
    const QString text = value ? QString::fromUtf8(reinterpret_cast<const char *>(value)) : QString();
    xmlFree(value);
    return text;
}

// The value attributes of the editor fields of the NewsLinks section, by their data-key.
void collectFields(xmlNodePtr node, QMap<QString, QString> &fields, bool inSection = false)
{
    for (; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE)
            continue;
        const bool section = inSection || attribute(node, "onsubmit").contains(QStringLiteral("'NewsLinks'"));
        if (section && xmlStrcmp(node->name, reinterpret_cast<const xmlChar *>("input")) == 0
            && !attribute(node, "data-key").isEmpty())
            fields.insert(attribute(node, "data-key"), attribute(node, "value"));
        collectFields(node->children, fields, section);
    }
}

// A name as a reader of its stored entity form sees it.
QString readName(const QString &stored)
{
    const QByteArray doc = "<a>" + EscapeXmlText(stored).toUtf8() + "</a>";
    xmlDocPtr parsed = xmlReadMemory(doc.constData(), int(doc.size()), nullptr, nullptr, XML_PARSE_NONET);
    Fuzz::check(parsed != nullptr, "an escaped name is well-formed", stored);
    xmlChar *content = xmlNodeGetContent(xmlDocGetRootElement(parsed));
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(content));
    xmlFree(content);
    xmlFreeDoc(parsed);
    return text;
}

// What a user can type into a one-line field: no control characters, nothing XML cannot carry.
QString typed(const QString &text)
{
    QString out;
    for (const QChar c : text)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F && c.unicode() != 0xFFFE && c.unicode() != 0xFFFF)
            out += c;
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static TopicPageBuilder builder;
    builder.setReportFailures(false);
    const QString folder = Fuzz::setUp();
    Fuzz::freshEdition();
    static const bool sheet = builder.BuildPageStylesheet(QStringLiteral("tpmaster.xsl"), "1", "2", "3", "4", "5",
                                                          "6", QString());
    Fuzz::check(sheet, "the page style sheet is made");

    // Up to five rows of the first section: name and address alternate, separated by "\x01".
    const QStringList fields = Fuzz::text(data, size).split(QChar(1));
    QList<QPair<QString, QString>> rows;
    for (int i = 0; i + 1 < fields.size() && rows.size() < 5; i += 2) {
        rows.append({typed(fields.at(i)), typed(fields.at(i + 1))});
        const int n = int(rows.size());
        Fuzz::check(ExecSql(QStringLiteral("INSERT INTO NewsLinks (topicid, LinkName, LinkUrl, FieldName1, FieldName2) "
                                           "VALUES (7, ?, ?, ?, ?)"),
                            {rows.last().first, rows.last().second, QStringLiteral("name%1").arg(n),
                             QStringLiteral("url%1").arg(n)}),
                    "the section is filled");
    }

    Fuzz::check(builder.PrepareTopicHomePage(7), "the page is made", builder.lastError());
    const QByteArray pageData = QFile::encodeName(folder + QStringLiteral("tbhome.xml"));
    xmlDocPtr xml = xmlReadFile(pageData.constData(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR);
    Fuzz::check(xml != nullptr, "the page data is well-formed");
    xmlFreeDoc(xml);

    const QByteArray pagePath = QFile::encodeName(folder + CurrentPageFile);
    htmlDocPtr page = htmlReadFile(pagePath.constData(), "UTF-8",
                                   HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
    Fuzz::check(page != nullptr, "the page can be read");
    QMap<QString, QString> shown;
    collectFields(xmlDocGetRootElement(page), shown);
    xmlFreeDoc(page);
    for (int i = 0; i < rows.size(); ++i) {
        const QString n = QString::number(i + 1);
        Fuzz::check(shown.value(QStringLiteral("url") + n) == rows.at(i).second, "the address is shown as stored",
                    rows.at(i).second + QStringLiteral(" -> ") + shown.value(QStringLiteral("url") + n));
        Fuzz::check(shown.value(QStringLiteral("name") + n) == readName(rows.at(i).first),
                    "the name is shown as its entity form reads",
                    rows.at(i).first + QStringLiteral(" -> ") + shown.value(QStringLiteral("name") + n));
    }
    return 0;
}
