#pragma once
// Small services around the page and the browser pane: showing a text (such as a page's
// source) in the desktop's text editor, a file that stores several pictures of the same
// size, the list of search engines, path and text helpers, and a text rendering of an
// XML document tree.

#include <QImage>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVector>

#include <functional>

struct _xmlNode;

struct SearchEngine {
    QString name;
    QString address;
};

class PageExtras
{
public:
    // Writes text to TempFile.tmp in the program folder and opens that file in the
    // desktop's default text editor. The file stays until the next call or until the
    // program ends (RemoveTextFile()), so the editor can always read it. Tells the user
    // when no editor could be started; answers whether one was.
    bool ShowTextInNotepad(const QString &text);
    static void RemoveTextFile();
    // How a file is opened: by the desktop's default application for plain text (its
    // desktop entry's command, TextEditorCommand()), else by the default application for
    // the file. Tests replace it.
    static std::function<bool(const QUrl &)> &fileOpener();
    // The command, program first, that a desktop entry's Exec line gives for a file: %f
    // and %F give its path, %u and %U its URL, other field codes nothing, "%%" a "%";
    // without a file code the path comes last. Empty for an empty Exec line.
    static QStringList TextEditorCommand(const QString &exec, const QString &path);

    // The multi-picture file. Picture 0 is an ordinary bitmap file; each further picture
    // is appended as width x height colour values of 4 bytes (red in the low byte, then
    // green, then blue, then 0), column by column, top to bottom within a column.
    //
    // Stores picture as picture 0 of a new file, or as picture number of an existing one
    // (a number of 0, or one not below the count of pictures, appends it). A picture
    // whose size differs from the file's is refused.
    static bool PutPic(const QImage &picture, const QString &file, int number);
    // The number of pictures in the file: 0 when it cannot be read or its size is not
    // positive.
    static int GetNumPics(const QString &file);
    // Reads picture number of the file into picture; false when the file holds no such
    // picture.
    static bool GetPic(QImage &picture, const QString &file, int number);

    // Reads engines.dat of the program folder, lines "<name>|<address>" (split at the first
    // "|"; empty lines and lines without "|" are skipped). Answers the highest index of the
    // list, -1 when the file is missing or holds no engine.
    int LoadSearchEngines();
    const QVector<SearchEngine> &searchEngines() const { return m_engines; }

    // The "/"-path with one segment replaced: the second-to-last for mode 1, the second
    // for mode 2, the first for any other mode; unchanged when there is no such segment.
    static QString GetString(const QString &path, const QString &unused, const QString &replacement, int mode);
    // Every "' " becomes " \' "; then every "\\' " left becomes " \' ".
    static QString EscapeQuotes(const QString &text);
    // Writes text (with CR LF) to "<name>.xml" in the program folder, replacing it.
    static bool MakeXMLFile(const QString &text, const QString &name);

    // Renders node and its subtree, one node a line: a comment as "<!--...-->", text and
    // CDATA as their value, an element as its name followed by its attributes
    // (" name='value'"), a processing instruction as "<?name value?>", an entity
    // reference as "&name;", a document type, entity or notation declaration in its
    // declaration form, the document node as documentText(). While rendering, the texts
    // of the "title", "description" and "link" elements inside an "item" element are
    // appended, each after a "|", to feedTitles(), feedDescriptions() and feedLinks().
    QString DisplayDomNode(const QString &unused, _xmlNode *node);
    QString RenderDomNode(_xmlNode *node) const;
    static QString RenderDomAttributes(_xmlNode *node);

    void setDocumentText(const QString &text) { m_documentText = text; }
    QString documentText() const { return m_documentText; }
    QString feedTitles() const { return m_feedTitles; }
    QString feedDescriptions() const { return m_feedDescriptions; }
    QString feedLinks() const { return m_feedLinks; }

private:
    void walk(_xmlNode *node, QStringList &lines, bool inItem);

    QVector<SearchEngine> m_engines;
    QString m_documentText;
    QString m_feedTitles;
    QString m_feedDescriptions;
    QString m_feedLinks;
};
