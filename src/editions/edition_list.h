#pragma once
// The edition list dbnames.txt of the program folder: one line per edition,
// "[*]<database file>,<display name>", lines ended by CR LF, the active edition's line
// marked with "*".

#include <QList>
#include <QString>
#include <QStringList>

struct EditionEntry {
    QString file;       // database file name, as the line gives it
    QString title;      // display name: the text after the first ","
    bool active = false;
};

class EditionList
{
public:
    // Reads a list file: exactly empty lines are skipped, the first "," separates the file
    // from the display name, and only the first line holding a "*" is the active one.
    // A missing file gives an empty list and ok = false.
    static QList<EditionEntry> read(const QString &path, bool *ok = nullptr);
    // The lines of a list file as they stand, without line ends and without the exactly
    // empty lines.
    static QStringList readLines(const QString &path, bool *ok = nullptr);
    // Parses one line (without its line end); the "*" is removed from the file part.
    static EditionEntry parseLine(const QString &line);
    // The index of the active entry, or -1.
    static int activeIndex(const QList<EditionEntry> &entries);
    // Writes the list whole through a temporary file that replaces the old list only
    // once it is complete. Answers false (the old list untouched) when that fails.
    static bool write(const QString &path, const QStringList &lines);
    static QString formatLine(const EditionEntry &entry);
};
