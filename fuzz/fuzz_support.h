#pragma once
// What the fuzz targets share: an application object, a program folder of their own (a
// copy of the built one, with the empty edition), dialogs that never show, and a way to
// stop on a broken invariant.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace Fuzz {

// Makes the application object and the program folder once; later calls do nothing.
// Answers the folder (ending in "/").
QString setUp();

// Opens a fresh copy of the empty edition as the edition in use, with Sub-Topic 7 shown.
void freshEdition();

// Text from fuzz bytes: UTF-8, invalid sequences replaced.
QString text(const uint8_t *data, size_t size);

// Everything of a Sub-Topic that its file carries, ids left out, in a fixed order: its name
// and headers, colours, section rows that hold something, category paths, and links by
// category path; text the file trims is trimmed ("|" in an address is "%7C"). The flags
// an import sets on purpose (IsTop, IsLeaf, LksDesc) are left out.
QStringList subTopicRows(qint32 subTopicId);

// Stops the run with a message when an invariant does not hold.
void check(bool holds, const char *what, const QString &detail = QString());

} // namespace Fuzz
