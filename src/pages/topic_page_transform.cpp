// Loading of the page data and style sheet, and the transform that makes the page.

#include "pages/topic_page_builder.h"

#include "pages/page_cache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <cstdarg>
#include <cstdio>

namespace {

// Collects the messages the XML and XSLT libraries report, instead of printing them.
struct ErrorCollector {
    bool haveFirst = false;
    int code = 0;
    QString message;
    int line = 0;
    int column = 0;
    QString file;
    QStringList messages;
};

#if LIBXML_VERSION >= 21200
void onStructuredError(void *context, const xmlError *error)
#else
void onStructuredError(void *context, xmlErrorPtr error)
#endif
{
    auto *collector = static_cast<ErrorCollector *>(context);
    if (!collector || !error || error->level < XML_ERR_ERROR)
        return;
    const QString text = QString::fromUtf8(error->message ? error->message : "").trimmed();
    collector->messages.append(text);
    if (collector->haveFirst)
        return;
    collector->haveFirst = true;
    collector->code = error->code;
    collector->message = text;
    collector->line = error->line;
    collector->column = error->int2;
    collector->file = QString::fromUtf8(error->file ? error->file : "");
}

void onGenericError(void *context, const char *format, ...)
{
    auto *collector = static_cast<ErrorCollector *>(context);
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (!collector)
        return;
    // The libraries report one message in pieces; join them into lines.
    const QString piece = QString::fromUtf8(buffer);
    if (collector->messages.isEmpty() || collector->messages.last().endsWith(QLatin1Char('\n')))
        collector->messages.append(piece);
    else
        collector->messages.last() += piece;
}

// Routes the library messages to a collector for as long as it lives.
class ErrorScope
{
public:
    explicit ErrorScope(ErrorCollector *collector)
    {
        xmlSetStructuredErrorFunc(collector, onStructuredError);
        xmlSetGenericErrorFunc(collector, onGenericError);
        xsltSetGenericErrorFunc(collector, onGenericError);
    }
    ~ErrorScope()
    {
        xmlSetStructuredErrorFunc(nullptr, nullptr);
        xmlSetGenericErrorFunc(nullptr, nullptr);
        xsltSetGenericErrorFunc(nullptr, nullptr);
    }
    ErrorScope(const ErrorScope &) = delete;
    ErrorScope &operator=(const ErrorScope &) = delete;
};

// The style sheet may neither write files nor reach the network.
xsltSecurityPrefsPtr pageSecurity()
{
    static xsltSecurityPrefsPtr prefs = [] {
        xsltSecurityPrefsPtr p = xsltNewSecurityPrefs();
        xsltSetSecurityPrefs(p, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
        xsltSetSecurityPrefs(p, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
        xsltSetSecurityPrefs(p, XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
        xsltSetSecurityPrefs(p, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
        // Also for what a style sheet imports while it is compiled.
        xsltSetDefaultSecurityPrefs(p);
        return p;
    }();
    return prefs;
}

QString joined(const QStringList &messages)
{
    QStringList lines;
    for (const QString &m : messages)
        if (!m.trimmed().isEmpty())
            lines.append(m.trimmed());
    return lines.join(QLatin1Char('\n'));
}

} // namespace

XmlLoad::~XmlLoad()
{
    if (doc)
        xmlFreeDoc(doc);
}

XmlLoad::XmlLoad(XmlLoad &&other) noexcept
{
    *this = std::move(other);
}

XmlLoad &XmlLoad::operator=(XmlLoad &&other) noexcept
{
    if (this != &other) {
        if (doc)
            xmlFreeDoc(doc);
        doc = std::exchange(other.doc, nullptr);
        errorCode = other.errorCode;
        reason = std::move(other.reason);
        text = std::move(other.text);
        line = other.line;
        column = other.column;
        filePos = other.filePos;
        url = std::move(other.url);
    }
    return *this;
}

_xmlDoc *XmlLoad::take()
{
    return std::exchange(doc, nullptr);
}

TopicPageBuilder::~TopicPageBuilder()
{
    if (m_compiled)
        xsltFreeStylesheet(m_compiled);
}

bool TopicPageBuilder::readText(const QString &path, QByteArray *text, XmlLoad *failure) const
{
    for (const WrittenFile *written : {&m_writtenData, &m_writtenSheet}) {
        if (written->path == path && !written->stamp.isEmpty() && FileStamp(path) == written->stamp) {
            *text = written->data;
            return true;
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure->url = path;
        failure->errorCode = XML_IO_LOAD_ERROR;
        failure->reason =
            QStringLiteral("%1 could not be read: %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    *text = file.readAll();
    return true;
}

XmlLoad TopicPageBuilder::parseXml(const QString &path, const QByteArray &data)
{
    XmlLoad load;
    load.url = path;
    ErrorCollector collector;
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (!context) {
        load.errorCode = XML_ERR_NO_MEMORY;
        load.reason = QStringLiteral("No memory to read %1.").arg(QDir::toNativeSeparators(path));
        return load;
    }
    {
        ErrorScope scope(&collector);
        const QByteArray url = QFile::encodeName(path);
        load.doc = xmlCtxtReadMemory(context, data.constData(), int(data.size()), url.constData(), nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOWARNING);
    }
    const bool wellFormed = context->wellFormed != 0;
    xmlFreeParserCtxt(context);

    if (load.doc && wellFormed)
        return load;
    if (load.doc) {
        xmlFreeDoc(load.doc);
        load.doc = nullptr;
    }
    load.errorCode = collector.haveFirst && collector.code != 0 ? collector.code : XML_ERR_DOCUMENT_EMPTY;
    load.reason = collector.haveFirst ? collector.message : QStringLiteral("The document is empty.");
    load.line = collector.line;
    load.column = collector.column;
    if (load.line > 0) {
        const QList<QByteArray> lines = data.split('\n');
        if (load.line <= lines.size())
            load.text = QString::fromUtf8(lines.at(load.line - 1)).trimmed();
        qint64 pos = 0;
        for (int i = 0; i < load.line - 1 && i < lines.size(); ++i)
            pos += lines.at(i).size() + 1;
        load.filePos = pos + qMax(0, load.column - 1);
    }
    return load;
}

bool TopicPageBuilder::CheckXmlParseError(const XmlLoad &load)
{
    if (load.doc && load.errorCode == 0)
        return true;
    const QLatin1String crLf("\r\n");
    m_lastParseError = QLatin1String("Number : ") + QString::number(load.errorCode) + crLf
        + QLatin1String("Description : ") + load.reason + crLf + QLatin1String("Text : ") + load.text + crLf
        + QLatin1String("Row : ") + QString::number(load.line) + crLf + QLatin1String("Column : ")
        + QString::number(load.column) + crLf + QLatin1String("File position : ") + QString::number(load.filePos)
        + crLf + QLatin1String("URL : ") + load.url + crLf;
    qWarning("%s", qPrintable(QString(m_lastParseError).replace(crLf, QLatin1String("; "))));
    return false;
}

bool TopicPageBuilder::TransformXml(const QString &xmlFile, const QString &xslFile, const QString &outputFile)
{
    const auto where = [](const XmlLoad &load) {
        QString place = QFileInfo(load.url).fileName();
        if (load.line > 0)
            place += QStringLiteral(", line %1, column %2").arg(load.line).arg(load.column);
        return place + QLatin1String(": ") + load.reason;
    };

    if (outputFile.isEmpty()) {
        fail(QStringLiteral("No page file is named."));
        return false;
    }
    // A data file or style sheet that could not be written last time is the earlier one:
    // it must not pass for the current Sub-Topic or captions.
    if (!m_dataProblem.isEmpty() && inProgramFolder(xmlFile) == m_lastXmlPath) {
        fail(m_dataProblem);
        return false;
    }
    if (!m_stylesheetProblem.isEmpty() && inProgramFolder(xslFile) == inProgramFolder(QStringLiteral("tp.xsl"))) {
        fail(m_stylesheetProblem);
        return false;
    }
    XmlLoad data;
    QByteArray dataText;
    if (readText(inProgramFolder(xmlFile), &dataText, &data))
        data = parseXml(inProgramFolder(xmlFile), dataText);
    if (!CheckXmlParseError(data)) {
        fail(m_dataProblem.isEmpty() ? where(data) : m_dataProblem);
        return false;
    }
    // The style sheet compiled for an earlier page serves while its text is the same.
    XmlLoad sheet;
    QByteArray sheetText;
    const QString sheetPath = inProgramFolder(xslFile);
    const bool sheetRead = readText(sheetPath, &sheetText, &sheet);
    xsltStylesheetPtr style = sheetRead && m_compiled && sheetText == m_compiledText ? m_compiled : nullptr;
    if (!style && sheetRead)
        sheet = parseXml(sheetPath, sheetText);
    if (!style && !CheckXmlParseError(sheet)) {
        fail(m_stylesheetProblem.isEmpty() ? where(sheet) : m_stylesheetProblem);
        return false;
    }

    ErrorCollector collector;
    QString output;
    bool ok = false;
    {
        ErrorScope scope(&collector);
        xsltSecurityPrefsPtr security = pageSecurity();
        if (!style) {
            xmlDocPtr sheetDoc = sheet.take();
            style = xsltParseStylesheetDoc(sheetDoc);
            if (!style) {
                xmlFreeDoc(sheetDoc);
            } else if (style->errors == 0) {
                if (m_compiled)
                    xsltFreeStylesheet(m_compiled);
                m_compiled = style;
                m_compiledText = sheetText;
            }
        }
        if (style && style->errors == 0) {
            xsltTransformContextPtr context = xsltNewTransformContext(style, data.doc);
            if (context) {
                xsltSetCtxtSecurityPrefs(security, context);
                xmlDocPtr result = xsltApplyStylesheetUser(style, data.doc, nullptr, nullptr, nullptr, context);
                const bool stateOk = context->state == XSLT_STATE_OK;
                xsltFreeTransformContext(context);
                if (result && stateOk) {
                    xmlChar *text = nullptr;
                    int length = 0;
                    if (xsltSaveResultToString(&text, &length, result, style) == 0) {
                        output = QString::fromUtf8(reinterpret_cast<const char *>(text), length);
                        ok = true;
                    }
                    xmlFree(text);
                }
                if (result)
                    xmlFreeDoc(result);
            }
        }
        if (style && style != m_compiled)
            xsltFreeStylesheet(style);
    }
    if (!ok) {
        const QString detail = joined(collector.messages);
        fail(QStringLiteral("The style sheet %1 could not be applied to %2.").arg(xslFile, xmlFile)
             + (detail.isEmpty() ? QString() : QLatin1Char('\n') + detail));
        return false;
    }
    if (!WriteTextFile(output, outputFile)) {
        fail(m_lastError);
        return false;
    }
    m_lastError.clear();
    return true;
}
