#pragma once
// Reading the browsers' history index files (INDEX.DAT): the file is read byte by byte,
// and every record marker "URL " starts a record, which runs up to the next marker. A
// record's text begins 119 bytes after the marker's first byte and runs to the next NUL
// byte within the record; its address is the part of the text from its first "http://" or
// "https://" on. The file is read in pieces, in time and memory linear in its size.

#include <QString>
#include <QStringList>

// The addresses the last ReadHistoryIndex found: element 0 stays empty, element k holds
// the address of the k-th record or "" when that record has none.
extern QStringList HistoryUrls;

// The largest history index file that is read; a larger one is refused.
constexpr qint64 MaxHistoryIndexBytes = qint64(64) << 20;

// Reads one history index file into HistoryUrls and answers the number of records it
// holds (0 for a missing or empty file, one without any record, or anything but a regular
// file). A record whose text is empty, has no end before the next record or would begin
// past it is skipped: it keeps "". A file that is, or reads as, larger than
// MaxHistoryIndexBytes (a file of the system that claims no size) is refused: 0, and
// refusal (when given) receives why, naming the limit.
int ReadHistoryIndex(const QString &file, QString *refusal = nullptr);

// The address part of a record text or a line: from its first "http://" or "https://"
// (whichever comes first) to its end; "" when it holds neither.
QString WebAddressPart(const QString &text);

// Every history index file (a regular file named "INDEX.DAT" in any letter case) in folder
// and, depth first, its subfolders whose names do not begin with "."; a folder's own files
// come first, names in order without regard to case. Linked folders are not followed. An
// empty or missing folder gives none: the search never starts anywhere else.
QStringList FindHistoryIndexFiles(const QString &folder);

// Removes repeated lines (compared without regard to letter case; the first stays) and
// answers how many were removed.
int RemoveDuplicateLines(QStringList &lines);
