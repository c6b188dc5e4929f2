#pragma once
// The edition list dbnames.txt of the program folder: one line per edition,
// "[*]<database file>,<display name>", lines ended by CR LF. A "*" in column 1 marks the
// active edition; the first "," ends the database file, and everything after it (further
// commas and "*" included) is the display name. A line without "," is a display name
// with no database file.
//
// This is the one reader and the one writer of list lines: every window and command
// reads and writes the list through it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct EditionEntry {
    QString file;       // database file name, blanks around it trimmed
    QString title;      // display name: the text after the first ","
    bool active = false;

    bool operator==(const EditionEntry &other) const = default;
};

class EditionList
{
public:
    // The list file and its scratch copy in folder (which may or may not end in "/"),
    // found without regard to letter case.
    static QString listPath(const QString &folder);
    static QString scratchPath(const QString &folder);

    // Parses one line (without its line end). Only a "*" in column 1 is the mark.
    static EditionEntry parseLine(const QString &line);
    // The line of an entry: "*" when active, the file, ",", the display name.
    static QString formatLine(const EditionEntry &entry);
    // True when formatLine(entry) reads back as entry: the file holds no "," and no line
    // break, does not begin with "*" and has no blanks around it, and the display name
    // holds no line break.
    static bool canCarry(const EditionEntry &entry);
    // The same test for a database file name alone.
    static bool canCarryFileName(const QString &file);

    // Every line of a list file as its bytes, empty lines included, without line ends (CR
    // LF or LF). A missing or unreadable file gives an empty list and ok = false.
    static QList<QByteArray> readRawLines(const QString &path, bool *ok = nullptr);
    // The text of a line: UTF-8, or Windows-1252 for lines of older lists.
    static QString lineText(const QByteArray &bytes);
    // readRawLines as text.
    static QStringList readAllLines(const QString &path, bool *ok = nullptr);
    // The non-empty lines of a list file, in order.
    static QStringList readLines(const QString &path, bool *ok = nullptr);
    // The entries of the non-empty lines; only the first marked line counts as active.
    static QList<EditionEntry> read(const QString &path, bool *ok = nullptr);
    // The index of the active entry, or -1.
    static int activeIndex(const QList<EditionEntry> &entries);

    // Writes the list whole into the scratch file beside path, then renames the scratch
    // file over path in one step. Answers false, the old list untouched, when that fails.
    // Lines of text are written in UTF-8.
    static bool write(const QString &path, const QStringList &lines);
    // Writes lines as the bytes given, so that a line no command changed keeps its own
    // (an older line in Windows-1252 still names its file).
    static bool writeRaw(const QString &path, const QList<QByteArray> &lines);
    // Adds the line of entry (never marked) at the end of the list, creating the list when
    // it is missing; the other lines keep their bytes. The list is rewritten whole, so a failure leaves it as it was.
    // Answers false, without writing, for an entry the line format cannot carry.
    static bool append(const QString &path, const EditionEntry &entry);

    // The position in lines of the index-th non-empty line, or -1 when there is none.
    static int lineOfEntry(const QStringList &lines, int index);
    static int lineOfEntry(const QList<QByteArray> &lines, int index);
    // Moves the mark to the index-th non-empty line of lines: the line gets a leading "*"
    // unless it has one, every other marked line loses its first character, and nothing
    // else changes. Answers false, changing nothing, when there is no such line.
    static bool moveMark(QStringList &lines, int index);
    static bool moveMark(QList<QByteArray> &lines, int index);

    // True when the display name of some line, trimmed and upper-cased, equals name
    // trimmed and upper-cased. False when the list cannot be read.
    static bool displayNameListed(const QString &path, const QString &name);
    // True when some line's database file equals file without regard to letter case.
    static bool fileListed(const QString &path, const QString &file);
};
