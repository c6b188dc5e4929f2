#pragma once
// The history index file the program's browsers leave below the user's History folder
// (the folder named "History" by the registry's Shell Folders key), so that the history
// tools find the pages visited: "<History>/History.IE5/INDEX.DAT".
//
// The file starts with a 128-byte header block. Each visited address then takes one
// record of whole 128-byte blocks: the marker "URL " at its first byte, zero bytes up to
// RecordTextOffset - 1 (except a blank just before the text), and from RecordTextOffset
// on the text "Visited: <user>@<address>" ended by a NUL byte.

#include <QByteArray>
#include <QList>
#include <QString>

struct UrlHistoryEntry;

namespace HistoryIndexFile {

constexpr int BlockSize = 128;
constexpr int RecordTextOffset = 119;   // from the record's first byte
inline const QByteArray RecordMarker = QByteArrayLiteral("URL ");

// The file's contents for these entries, oldest first.
QByteArray encode(const QList<UrlHistoryEntry> &entries);
// Where the file is kept; "" when the registry names no History folder.
QString filePath();
// Writes the file for these entries (removes it when there are none; does nothing when the
// registry names no History folder). False when it could not be written; an earlier file
// then stays as it was.
bool write(const QList<UrlHistoryEntry> &entries);

} // namespace HistoryIndexFile
