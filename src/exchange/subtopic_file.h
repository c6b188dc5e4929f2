#pragma once
// The Sub-Topic file (".qvs"): one Sub-Topic carried out of an edition and into a Topic of
// the same or another edition, also on another installation.
//
// The file is plain text, one line per row, each line ended by CR LF. It holds ten
// sections, each an opening tag line such as "<tree>", its content lines and a closing tag
// line "</tree>":
//   page        the six section headers, one a line (an empty header is an empty line)
//   NewsLinks, SearchLinks, FavoriteLinks, LocalLinks, OrganizationLinks, RelatedLinks
//               up to five "name|address" lines each
//   color       "colour1|colour2|colour3|name"
//   tree        "reversed path|path" per category, the Sub-Topic's own entry first
//   links       "path|name|address" per filed link, then one empty line
// Fields are separated by "|" and nothing is quoted.
//
// Written as UTF-8; read as UTF-8 when the bytes are valid UTF-8, else as Windows-1252 (a
// file from an installation that wrote its own code page). A tag counts only as a line of
// its own. Reading checks the file's structure first: a file that does not hold its
// sections whole (a truncated file, lines out of place) is refused with the number of the
// line that could not be read. Only a regular file of at most 64 MiB is read: a FIFO, a
// device or a folder given a file's name is refused in words.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class SubTopicFile
{
public:
    static const QString Extension;   // ".qvs"

    static const QString PageTag;
    static const QString ColorTag;
    static const QString TreeTag;
    static const QString LinksTag;
    // The six section link tables in the order the file holds them.
    static const QStringList &linkSectionTags();
    // Every tag of the file in the order it is written.
    static const QStringList &allTags();

    // ---- Names ------------------------------------------------------------------------------
    // The file's base name for a name typed at export: trimmed, every blank as "_".
    static QString fileBaseName(const QString &name);
    // The Sub-Topic name of a base name: every "_" as a blank.
    static QString importName(const QString &baseName);
    // True for a file name ending in exactly ".qvs" (letter case significant).
    static bool isSubTopicFileName(const QString &fileName);
    // The text between the last "/" and the last "." of a path.
    static QString baseNameOf(const QString &path);
    // Every Sub-Topic file in folder and its sub-folders, full paths, in the order the walk
    // finds them: a folder's files in name order (letter case ignored), then its
    // sub-folders, the last one listed first. Linked folders are not entered.
    static QStringList findFiles(const QString &folder);

    // ---- Text ---------------------------------------------------------------------------
    // The file's text: strict UTF-8, else Windows-1252.
    static QString decode(const QByteArray &bytes);
    // The lines as the file's bytes: UTF-8, each line ended by CR LF.
    static QByteArray encode(const QStringList &lines);
    // A section's lines: its tag lines around content.
    static QStringList section(const QString &tag, const QStringList &content);
    // ---- Fields, written and read by the same rules -----------------------------------------
    // True when value can stand in a field: it holds no line break (CR or LF), which would
    // end its line. A value that cannot is refused by the writer, never changed.
    static bool carries(const QString &value);
    // An address as a field: "|" would split it, so it is written as "%7C", the same
    // address to every browser.
    static QString addressField(const QString &address);
    // Field n (from 1) of a line split at "|": a line without "|" gives the whole line for
    // every field, a line with fewer fields an empty one.
    static QString field(const QString &line, int n);

    // A link section line "name|address" (the address as addressField() writes it), and its
    // split: the address after the last "|", the name before it, both trimmed; a line
    // without "|" is both.
    static QString pairLine(const QString &name, const QString &address);
    static void splitPair(const QString &line, QString *name, QString *address);

    // A tree line "reversed path|path", the reversed path made from the path: both halves
    // are equally long, so the line splits at its middle whatever "|" the names hold, and
    // blanks at the ends of names stay. A line whose halves do not match (a file written
    // elsewhere) splits at its first "|", both fields trimmed.
    static QString treeLine(const QString &path);
    static void splitTreeLine(const QString &line, QString *reversed, QString *path);

    // A links line "category path|name|address"; what follows the category path splits
    // as a link section line does.
    static QString linkLine(const QString &path, const QString &name, const QString &address);

    // The category paths of a tree, for finding the category a links line begins with: the
    // longest path (letter case folded) directly followed by "|". The index keeps only a
    // hash and the length of each path and asks for a path's text when it compares it. A
    // lookup takes time linear in the line, whatever number of "|" it holds.
    class PathIndex
    {
    public:
        using PathOf = std::function<QString(int value)>;
        // Adds path as entry value, values given in ascending order; of paths equal in any
        // letter case the first added is found.
        void add(const QString &path, int value);
        // The value of the path line begins with, and at *bar the "|" after it; -1 for
        // none. pathOf gives the text of an entry's path.
        int find(const QString &line, qsizetype *bar, const PathOf &pathOf) const;
        void reserve(qsizetype count) { m_entries.reserve(count); }

    private:
        struct Entry {
            quint64 key;   // hash of length and folded path
            int value;
            bool operator<(const Entry &other) const
            {
                return key != other.key ? key < other.key : value < other.value;
            }
        };
        mutable std::vector<Entry> m_entries;   // sorted when a lookup needs it
        mutable bool m_sorted = true;
        QSet<qsizetype> m_lengths;
        qsizetype m_longest = 0;
    };

    // Letter case folded as the edition database compares text (A-Z only).
    static QString foldCase(const QString &text);

    // ---- Reading ------------------------------------------------------------------------
    // The largest file read: 64 MiB.
    static constexpr qint64 MaxSize = qint64(64) * 1024 * 1024;

    // Reads and checks the file; false (lastError(), errorLine()) when it cannot be
    // opened, is not a regular file, is larger than MaxSize or is not a whole Sub-Topic
    // file.
    bool read(const QString &path);
    // The same for bytes already read.
    bool parse(const QByteArray &bytes);

    // The content lines of a section (of every occurrence, in file order). Empty lines are
    // left out except in page, whose lines count by position. The file's bytes are kept;
    // a line's text is made when it is asked for.
    qsizetype lineCount(const QString &tag) const { return m_sections.value(tag).size(); }
    QString text(const QString &tag, qsizetype i) const;
    // The line's number in the file (counted when asked for).
    int lineNumber(const QString &tag, qsizetype i) const;
    bool hasSection(const QString &tag) const { return m_sections.contains(tag); }

    QString lastError() const { return m_error; }
    // The line that could not be read (0 when the file could not be opened).
    int errorLine() const { return m_errorLine; }

private:
    bool fail(int line, const QString &reason);

    struct Span {
        quint32 start;   // offset in m_bytes (MaxSize fits)
        quint32 length;  // without the line end
    };
    QString textOf(Span span) const;
    void forgetLastSection();

    QByteArray m_bytes;
    bool m_utf8 = true;
    QHash<QString, QList<Span>> m_sections;
    mutable QString m_lastTag;   // the section text() read last, and its lines
    mutable QList<Span> m_lastSpans;
    QString m_error;
    int m_errorLine = 0;
};
