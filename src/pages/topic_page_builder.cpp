#include "pages/topic_page_builder.h"

#include "pages/page_cache.h"

#include "platform/dialogs.h"
#include "platform/programfolder.h"
#include "shared/database.h"
#include "shared/fileroutines.h"
#include "shared/globals.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>

namespace {

const QLatin1String kCrLf("\r\n");

bool isXmlChar(uint c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

// The length of the well-formed reference ("&amp;", "&#38;", ...) starting at pos, or 0.
qsizetype referenceLength(const QString &text, qsizetype pos)
{
    const qsizetype semi = text.indexOf(QLatin1Char(';'), pos + 1);
    if (semi < 0 || semi - pos > 12)
        return 0;
    const QString body = text.mid(pos + 1, semi - pos - 1);
    static const QStringList named = {QStringLiteral("amp"), QStringLiteral("lt"), QStringLiteral("gt"),
                                      QStringLiteral("quot"), QStringLiteral("apos")};
    if (named.contains(body))
        return semi - pos + 1;
    if (body.size() < 2 || body.at(0) != QLatin1Char('#'))
        return 0;
    bool ok = false;
    uint value = 0;
    if (body.at(1) == QLatin1Char('x')) {
        const QString digits = body.mid(2);
        for (const QChar c : digits)
            if (!c.isDigit() && !QStringLiteral("abcdefABCDEF").contains(c))
                return 0;
        value = digits.toUInt(&ok, 16);
    } else {
        const QString digits = body.mid(1);
        for (const QChar c : digits)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return 0;
        value = digits.toUInt(&ok, 10);
    }
    return ok && isXmlChar(value) ? semi - pos + 1 : 0;
}

// Every line of text ended with CR LF (whatever line ends it had).
QString withCrLf(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), kCrLf);
    return text;
}

QString quotedName(const QString &name)
{
    QString n = name;
    return QLatin1Char('"') + n.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

} // namespace

QString TopicPageBuilder::inProgramFolder(const QString &name)
{
    return QDir::isAbsolutePath(name) ? name : GetAppPath() + name;
}

QString PageFileName(const QString &subTopicName, qint32 subTopicId)
{
    QString name = subTopicName;
    for (QChar &c : name)
        if (c == QLatin1Char(' ') || c == QLatin1Char('/') || c == QLatin1Char('\\'))
            c = QLatin1Char('_');
    return name + QLatin1Char('_') + QString::number(subTopicId) + QLatin1String(".html");
}

const QStringList &SectionLinkTables()
{
    static const QStringList tables = {QStringLiteral("NewsLinks"),         QStringLiteral("SearchLinks"),
                                       QStringLiteral("OrganizationLinks"), QStringLiteral("RelatedLinks"),
                                       QStringLiteral("FavoriteLinks"),     QStringLiteral("LocalLinks")};
    return tables;
}

bool IsSectionLinkTable(const QString &table)
{
    return SectionLinkTables().contains(table, Qt::CaseSensitive);
}

QString EscapeXmlText(const QString &text, bool quotes, bool keepReferences)
{
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('&')) {
            const qsizetype len = keepReferences ? referenceLength(text, i) : 0;
            if (len > 0) {
                out += QStringView(text).mid(i, len);
                i += len - 1;
            } else {
                out += QLatin1String("&amp;");
            }
        } else if (c == QLatin1Char('<')) {
            out += QLatin1String("&lt;");
        } else if (c == QLatin1Char('>')) {
            out += QLatin1String("&gt;");
        } else if (quotes && c == QLatin1Char('"')) {
            out += QLatin1String("&quot;");
        } else if (quotes && c == QLatin1Char('\'')) {
            out += QLatin1String("&apos;");
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (c.isSurrogate() || !isXmlChar(c.unicode())) {
            out += QLatin1Char(' ');
        } else {
            out += c;
        }
    }
    return out;
}

bool TopicPageBuilder::BuildPageStylesheet(const QString &templateFile, const QString &caption1,
                                           const QString &caption2, const QString &caption3,
                                           const QString &caption4, const QString &caption5,
                                           const QString &caption6, const QString &sponsor)
{
    const QString target = GetAppPath() + QLatin1String("tp.xsl");
    QFile in(FindFileNoCase(GetAppPath(), templateFile));
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        m_stylesheetProblem = QStringLiteral("The page template %1 could not be read.").arg(templateFile);
        m_lastError = m_stylesheetProblem;
        QFile::remove(target);
        m_writtenSheet = WrittenFile();
        return false;
    }

    // Captions go into text nodes of the style sheet, so they must be well-formed text.
    const std::pair<QLatin1String, QString> replacements[] = {
        {QLatin1String("Sponsor Link"), EscapeXmlText(sponsor, true)},
        {QLatin1String("Search Websites"), EscapeXmlText(caption2, true)},
        {QLatin1String("Information Websites"), EscapeXmlText(caption1, true)},
        {QLatin1String("Local Websites"), EscapeXmlText(caption6, true)},
        {QLatin1String("Organization Websites"), EscapeXmlText(caption3, true)},
        {QLatin1String("Related Websites"), EscapeXmlText(caption4, true)},
        {QLatin1String("Popular Websites"), EscapeXmlText(caption5, true)},
    };

    QTextStream stream(&in);
    stream.setEncoding(QStringConverter::Utf8);
    QString collected;
    QString line;
    while (stream.readLineInto(&line)) {
        for (const auto &[from, to] : replacements)
            line.replace(from, to, Qt::CaseSensitive);
        collected += line;
        collected += kCrLf;
    }
    collected += kCrLf;

    QString error;
    if (!writeCache(target, collected.toUtf8(), m_writtenSheet, &error)) {
        // The earlier style sheet stays whole; the page reports this problem instead of using it.
        m_stylesheetProblem = error;
        m_lastError = error;
        return false;
    }
    m_stylesheetProblem.clear();
    m_lastError.clear();
    return true;
}

bool TopicPageBuilder::padSectionTable(const QString &table, qint32 subTopicId)
{
    // A table with five rows or more gets none; otherwise the keys of its few rows count.
    QSqlQuery q(DbConnection());
    q.setForwardOnly(true);
    if (!BindAndExec(q, QStringLiteral("SELECT FieldName1 FROM %1 WHERE topicid = ? ORDER BY rowid LIMIT 5")
                            .arg(quotedName(table)),
                     {subTopicId}))
        return false;
    QSet<QString> present;
    int rows = 0;
    while (q.next()) {
        ++rows;
        present.insert(q.value(0).toString().toLower());
    }
    q.finish();

    // Only the missing row keys are added, so no two rows share a key.
    for (int k = 1; k <= 5 && rows < 5; ++k) {
        const QString key = QStringLiteral("name%1").arg(k);
        if (present.contains(key))
            continue;
        if (!ExecSql(QStringLiteral("INSERT INTO %1 (LinkName, FieldName1, FieldName2, topicid) VALUES (?, ?, ?, ?)")
                         .arg(quotedName(table)),
                     {QStringLiteral("Link%1").arg(k), key, QStringLiteral("url%1").arg(k), subTopicId}))
            return false;
        ++rows;
    }
    return true;
}

bool TopicPageBuilder::PrepareTopicHomePage(qint32 subTopicId)
{
    if (OpenDatabase(CurrentDatabaseFile)) {
        static const QStringList order = {QStringLiteral("NewsLinks"),     QStringLiteral("SearchLinks"),
                                          QStringLiteral("FavoriteLinks"), QStringLiteral("LocalLinks"),
                                          QStringLiteral("OrganizationLinks"), QStringLiteral("RelatedLinks")};
        // All rows or none (within the caller's transaction when one is open).
        Transaction transaction;
        bool ok = true;
        for (const QString &table : order) {
            if (!ok)
                break;
            ok = padSectionTable(table, subTopicId);
        }
        if (ok && transaction.started())
            ok = transaction.commit();
        if (!ok)
            qWarning("The section rows of Sub-Topic %d could not be completed.", int(subTopicId));
    }
    // The page is built from whatever rows there are, padded or not.
    WriteLinksXml(QStringLiteral("tbhome.xml"), QStringLiteral("tp"));
    return TransformXml(QStringLiteral("tbhome.xml"), QStringLiteral("tp.xsl"), CurrentPageFile);
}

QString TopicPageBuilder::FieldTypeName(int typeCode)
{
    switch (typeCode) {
    case 2: return QStringLiteral("Integer");
    case 3: return QStringLiteral("Long Ineger");
    case 4: return QStringLiteral("Single");
    case 5: return QStringLiteral("Double");
    case 6: return QStringLiteral("Currency");
    case 7: return QStringLiteral("Date/Time");
    case 11: return QStringLiteral("Yes/No");
    case 17: return QStringLiteral("Byte");
    case 72: return QStringLiteral("Replication ID");
    case 202: return QStringLiteral("Text");
    case 203: return QStringLiteral("Memo");
    case 205: return QStringLiteral("OLE Object");
    default: return QStringLiteral("Unknown");
    }
}

int TopicPageBuilder::FieldTypeCode(const QString &table, const QString &column, const QString &declaredType)
{
    const QString type = declaredType.trimmed().section(QLatin1Char('('), 0, 0).trimmed().toUpper();
    if (type == QLatin1String("SMALLINT") || type == QLatin1String("SHORT"))
        return 2;
    if (type == QLatin1String("INTEGER") || type == QLatin1String("INT") || type == QLatin1String("LONG")) {
        // The Sub-Topic id of the section tables is a 16-bit column of the edition.
        if (IsSectionLinkTable(table) && column.compare(QLatin1String("topicid"), Qt::CaseInsensitive) == 0)
            return 2;
        return 3;
    }
    if (type == QLatin1String("REAL") || type == QLatin1String("SINGLE"))
        return 4;
    if (type == QLatin1String("DOUBLE") || type == QLatin1String("FLOAT"))
        return 5;
    if (type == QLatin1String("CURRENCY") || type == QLatin1String("MONEY"))
        return 6;
    if (type == QLatin1String("DATETIME") || type == QLatin1String("DATE"))
        return 7;
    if (type == QLatin1String("BIT") || type == QLatin1String("YESNO") || type == QLatin1String("BOOLEAN"))
        return 11;
    if (type == QLatin1String("BYTE") || type == QLatin1String("TINYINT"))
        return 17;
    if (type == QLatin1String("GUID"))
        return 72;
    if (type == QLatin1String("TEXT") || type == QLatin1String("VARCHAR") || type == QLatin1String("CHAR"))
        return 202;
    if (type == QLatin1String("MEMO") || type == QLatin1String("LONGTEXT"))
        return 203;
    if (type == QLatin1String("OLEOBJECT") || type == QLatin1String("BLOB") || type == QLatin1String("LONGBINARY"))
        return 205;
    return 0;
}

bool TopicPageBuilder::WriteLinksXml(const QString &fileName, const QString &rootName)
{
    const QString path = inProgramFolder(fileName);
    m_lastXmlPath = path;

    auto failData = [this](const QString &reason) {
        m_dataProblem = reason;
        m_lastError = reason;
        return false;
    };
    if (QString reason; !OpenCurrentDatabase(reason))
        return failData(reason);

    const QString blanks5(5, QLatin1Char(' '));
    const QString blanks10(10, QLatin1Char(' '));
    const QString blanks15(15, QLatin1Char(' '));
    const QString root = rootName.toUpper();

    QString xml;
    xml += QLatin1String("<?xml version=\"1.0\"?>") + kCrLf;
    xml += QLatin1Char('<') + root + QLatin1Char('>') + kCrLf;

    QSqlQuery tables(DbConnection());
    if (!tables.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name COLLATE NOCASE")))
        return failData(QStringLiteral("The tables of the edition could not be read."));
    QStringList exported;
    while (tables.next()) {
        const QString name = tables.value(0).toString();
        if (name.contains(QLatin1String("Links"), Qt::CaseSensitive) && !name.startsWith(QLatin1String("sqlite_")))
            exported.append(name);
    }
    tables.finish();

    for (const QString &table : std::as_const(exported)) {
        // Column names and declared types, in column order.
        QStringList columns;
        QList<int> codes;
        QSqlQuery info(DbConnection());
        if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quotedName(table))))
            return failData(QStringLiteral("The table %1 could not be read.").arg(table));
        while (info.next()) {
            columns.append(info.value(1).toString());
            codes.append(FieldTypeCode(table, columns.last(), info.value(2).toString()));
        }
        info.finish();

        const QString tableName = table.trimmed().toUpper();
        xml += blanks5 + QLatin1Char('<') + tableName + QLatin1Char('>') + kCrLf;

        QSqlQuery rows(DbConnection());
        rows.setForwardOnly(true);
        if (!BindAndExec(rows, QStringLiteral("SELECT * FROM %1 WHERE topicid = ? ORDER BY rowid").arg(quotedName(table)),
                         {CurrentSubTopicId}))
            return failData(QStringLiteral("The rows of %1 could not be read.").arg(table));
        int written = 0;
        while (written < 5 && rows.next()) {
            xml += blanks10 + QLatin1String("<RECORD>") + kCrLf;
            const QSqlRecord record = rows.record();
            for (int i = 0; i < record.count(); ++i) {
                const QString field = record.fieldName(i).trimmed().toUpper();
                const int pos = int(columns.indexOf(record.fieldName(i)));
                const int code = pos >= 0 ? codes.at(pos) : 0;
                const QString typeName = FieldTypeName(code);
                const QVariant value = rows.value(i);
                if (code == 205)
                    continue;
                // Names keep their entity form; an address reaches the page exactly as stored.
                const bool address = field.endsWith(QLatin1String("URL"));
                if (code == 202 || code == 203) {
                    xml += blanks15 + QLatin1Char('<') + field + QLatin1String(" Type= '") + typeName
                        + QLatin1String("'>") + kCrLf;
                    xml += blanks15 + (value.isNull() ? QString() : EscapeXmlText(value.toString(), false, !address)) + kCrLf;
                    xml += blanks15 + QLatin1String("</") + field + QLatin1Char('>') + kCrLf;
                } else if (typeName == QLatin1String("Unknown")) {
                    xml += blanks15 + QLatin1Char('<') + field + QLatin1String(" Type= 'Unknown'> </") + field
                        + QLatin1Char('>') + kCrLf;
                } else {
                    xml += blanks15 + QLatin1Char('<') + field + QLatin1String(" Type= '") + typeName
                        + QLatin1String("'> ") + (value.isNull() ? QString() : EscapeXmlText(value.toString(), false, !address))
                        + QLatin1String(" </") + field + QLatin1Char('>') + kCrLf;
                }
            }
            xml += blanks10 + QLatin1String("</RECORD>") + kCrLf;
            ++written;
        }
        rows.finish();
        xml += blanks5 + QLatin1String("</") + tableName + QLatin1Char('>') + kCrLf;
    }
    xml += QLatin1String("</") + root + QLatin1Char('>') + kCrLf;

    QString error;
    if (!writeCache(path, xml.toUtf8(), m_writtenData, &error))
        return failData(error);
    m_dataProblem.clear();
    m_lastError.clear();
    return true;
}

bool TopicPageBuilder::WriteTextFile(const QString &text, const QString &fileName)
{
    QString error;
    if (fileName.isEmpty()) {
        m_lastError = QStringLiteral("No page file is named.");
        return false;
    }
    if (!WriteCacheFile(inProgramFolder(fileName), withCrLf(text + kCrLf).toUtf8(), &error)) {
        m_lastError = error;
        return false;
    }
    return true;
}

bool TopicPageBuilder::writeCache(const QString &path, const QByteArray &data, WrittenFile &written, QString *error)
{
    written = WrittenFile();
    if (!WriteCacheFile(path, data, error))
        return false;
    written = {path, data, FileStamp(path)};
    return true;
}

void TopicPageBuilder::fail(const QString &reason)
{
    m_lastError = reason;
    qWarning("Page not made: %s", qPrintable(reason));
    if (m_reportFailures)
        MsgBox(QStringLiteral("The page could not be made; the page shown stays as it was.\n\n") + reason,
               vbExclamation, QStringLiteral("Page Error"));
}
