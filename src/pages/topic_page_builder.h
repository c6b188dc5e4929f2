#pragma once
// The generated home page of a Sub-Topic.
//
// A page is made in four steps, all on files of the program folder:
//   1. BuildPageStylesheet: tpmaster.xsl -> tp.xsl, with the Sub-Topic's six section captions;
//   2. PrepareTopicHomePage: pads the six section tables to five rows for the Sub-Topic,
//      then runs steps 3 and 4;
//   3. WriteLinksXml: the Sub-Topic's rows of every table whose name contains "Links"
//      -> tbhome.xml;
//   4. TransformXml: tbhome.xml + tp.xsl -> the page file.
// Commands that change what a page shows (links posted from the page, the section link
// editor, the colour scheme) run steps 3 and 4 again:
//   builder.WriteLinksXml("tbhome.xml", "tp");
//   builder.TransformXml("tbhome.xml", "tp.xsl", CurrentPageFile);
//
// Every file is written as UTF-8 with CR LF line ends, always in the program folder.
// A step that fails writes nothing over the previous page and tells the user why
// (through MsgBox); each step answers whether it succeeded.
//
// The three files are caches the program makes again whenever it needs them: each is
// written whole, but nothing waits for it to reach the disk. A file the builder wrote
// itself and that is still as it left it is not read back: the transform takes the text
// the builder kept. The compiled style sheet is kept while its text stays the same.

#include <QString>
#include <QStringList>

// The page file of a Sub-Topic: its name with blanks (and path separators) as "_", then
// "_", its id and ".html" ("Rock Music", 12 gives "Rock_Music_12.html"). Every page file
// name of the program comes from here, so two Sub-Topics never share a page.
QString PageFileName(const QString &subTopicName, qint32 subTopicId);

// The six section tables in the order of the page's sections 1 to 6.
const QStringList &SectionLinkTables();
// True for exactly one of the six section table names (letter case significant).
bool IsSectionLinkTable(const QString &table);

// Text for an XML text node or attribute: "<" and ">" become "&lt;" and "&gt;", and
// "&" becomes "&amp;" unless it already begins a well-formed reference (&amp; &lt; &gt;
// &quot; &apos; &#N; &#xH;), so nothing is escaped twice. Control characters that XML
// forbids become blanks. With quotes true, '"' and "'" are escaped as well. With
// keepReferences false every "&" is escaped, so the text comes out exactly as given
// (for addresses, whose "&amp;" is part of the address).
QString EscapeXmlText(const QString &text, bool quotes = false, bool keepReferences = true);

struct _xmlDoc;
struct _xsltStylesheet;

// The result of loading one XML file (page data or style sheet). Owns the document.
struct XmlLoad {
    XmlLoad() = default;
    ~XmlLoad();
    XmlLoad(XmlLoad &&other) noexcept;
    XmlLoad &operator=(XmlLoad &&other) noexcept;
    XmlLoad(const XmlLoad &) = delete;
    XmlLoad &operator=(const XmlLoad &) = delete;
    // Hands the document over to the caller.
    _xmlDoc *take();

    _xmlDoc *doc = nullptr;    // the parsed document, null when loading failed
    int errorCode = 0;         // 0 when the file was read and is well-formed
    QString reason;            // the parser's description of the error
    QString text;              // the offending line of the file, when known
    int line = 0;
    int column = 0;
    qint64 filePos = 0;
    QString url;               // the file that was loaded
};

class TopicPageBuilder
{
public:
    TopicPageBuilder() = default;
    ~TopicPageBuilder();
    TopicPageBuilder(const TopicPageBuilder &) = delete;
    TopicPageBuilder &operator=(const TopicPageBuilder &) = delete;

    // Writes tp.xsl: the lines of the template in the program folder, in each of which the
    // default captions are replaced (in this order, each on the result of the one before,
    // letter case significant): "Sponsor Link" by sponsor, "Search Websites" by caption 2,
    // "Information Websites" by 1, "Local Websites" by 6, "Organization Websites" by 3,
    // "Related Websites" by 4, "Popular Websites" by 5. Captions are XML-escaped first.
    // When the template cannot be read, tp.xsl is removed (so no page can come out with the
    // captions of another Sub-Topic) and the next transform reports the reason.
    bool BuildPageStylesheet(const QString &templateFile, const QString &caption1, const QString &caption2,
                             const QString &caption3, const QString &caption4, const QString &caption5,
                             const QString &caption6, const QString &sponsor);

    // Gives each section table five rows for the Sub-Topic, adding rows only for the row
    // keys (name1..name5) that are missing, then writes tbhome.xml and the page
    // CurrentPageFile. Answers true when the page was written.
    bool PrepareTopicHomePage(qint32 subTopicId);

    // Writes the page data of the Sub-Topic CurrentSubTopicId (at most five rows of every
    // table whose name contains "Links") to fileName in the program folder, under the root
    // element rootName in upper case.
    bool WriteLinksXml(const QString &fileName, const QString &rootName);

    // The name of a column type code ("Integer", "Text", ...; "Unknown" for codes it does
    // not know).
    static QString FieldTypeName(int typeCode);
    // The type code of a column of an edition table, from its declared type.
    static int FieldTypeCode(const QString &table, const QString &column, const QString &declaredType);

    // Applies the style sheet xslFile to xmlFile (both in the program folder) and writes the
    // result as outputFile in the program folder. The style sheet may neither write files
    // nor reach the network. On any failure the previous output file is left as it was and
    // the user is told.
    bool TransformXml(const QString &xmlFile, const QString &xslFile, const QString &outputFile);

    // True when the document was loaded without error. Otherwise composes the description
    // of the error (kept in lastParseError()).
    bool CheckXmlParseError(const XmlLoad &load);

    // Writes text followed by CR LF as fileName (in the program folder unless the name is
    // an absolute path), every line ending in CR LF, replacing the file only when the whole
    // text was written.
    bool WriteTextFile(const QString &text, const QString &fileName);

    // The full path of the last page data file written.
    QString lastXmlPath() const { return m_lastXmlPath; }
    // The description of the last parse error ("Number : ...", "Description : ...", ...).
    QString lastParseError() const { return m_lastParseError; }
    // The reason of the last failure of any step ("" after a success).
    QString lastError() const { return m_lastError; }

    // Whether failures are shown to the user (MsgBox). On by default.
    void setReportFailures(bool on) { m_reportFailures = on; }

private:
    // A file the builder wrote: its text, and what the file system said of it then.
    struct WrittenFile {
        QString path;
        QByteArray data;
        QByteArray stamp;
    };

    bool padSectionTable(const QString &table, qint32 subTopicId);
    void fail(const QString &reason);
    // Writes a cache file and keeps its text in written.
    bool writeCache(const QString &path, const QByteArray &data, WrittenFile &written, QString *error);
    // The text of path: the kept text when the file is still the one written there.
    // False (failure says why) when the file cannot be read.
    bool readText(const QString &path, QByteArray *text, XmlLoad *failure) const;
    static XmlLoad parseXml(const QString &path, const QByteArray &data);
    // A file name of the program folder (absolute paths are taken as they are).
    static QString inProgramFolder(const QString &name);

    QString m_lastXmlPath;
    QString m_lastParseError;
    QString m_lastError;
    QString m_stylesheetProblem;   // why tp.xsl could not be made, until the next success
    QString m_dataProblem;         // why the page data could not be written, likewise
    bool m_reportFailures = true;
    WrittenFile m_writtenSheet;
    WrittenFile m_writtenData;
    QByteArray m_compiledText;     // the text of m_compiled
    _xsltStylesheet *m_compiled = nullptr;
};
