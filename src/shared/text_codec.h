#pragma once
// Text files written on other systems: Windows-1252, the code page older files are in.

#include <QByteArray>
#include <QString>

// The text of bytes read as Windows-1252.
QString DecodeCp1252(const QByteArray &bytes);

// The text of bytes read as UTF-8 when they are valid UTF-8 (a U+FEFF at their start is
// kept), else as Windows-1252; utf8 (when given) tells which.
QString DecodeUtf8OrCp1252(const QByteArray &bytes, bool *utf8 = nullptr);
