#pragma once
// What the fuzz targets share: an application object, a program folder of their own (a
// copy of the built one, with the empty edition), dialogs that never show, and a way to
// stop on a broken invariant.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

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

// Stops the run when the work on an input written four times over takes more than 8 times
// as long as on the input once: linear work takes 4 times as long, quadratic work 16
// times, and the same content four times over keeps the mix of cheap and costly parts that
// a part of an input may not have. prepare(copies) makes the input of that many copies;
// run() is timed in this thread's CPU time, the least of three runs, so that a busy machine
// does not count. Work on the input once that takes under 4 ms is not judged: fixed costs
// would hide the growth.
void checkLinear(const char *what, const std::function<void(int copies)> &prepare, const std::function<void()> &run);

} // namespace Fuzz
