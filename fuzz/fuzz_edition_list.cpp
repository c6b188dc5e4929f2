// The edition list: any file read as the edition list gives one entry per line, at most
// one of them active, and each entry is written back as a line that reads as the same
// entry.

#include "fuzz_support.h"

#include "editions/edition_list.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString folder = Fuzz::setUp();
    const QString path = folder + QStringLiteral("dbnames.txt");
    {
        QFile file(path);
        Fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the list can be written");
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    bool ok = false;
    const QStringList lines = EditionList::readLines(path, &ok);
    const QList<EditionEntry> entries = EditionList::read(path);
    Fuzz::check(ok, "the list can be read");
    Fuzz::check(entries.size() == lines.size(), "one entry per line");
    int active = 0;
    for (const EditionEntry &e : entries)
        active += e.active ? 1 : 0;
    Fuzz::check(active <= 1, "at most one active entry");
    Fuzz::check(EditionList::activeIndex(entries) == -1 || entries.at(EditionList::activeIndex(entries)).active,
                "activeIndex names an active entry");

    for (const QString &line : lines) {
        const EditionEntry e = EditionList::parseLine(line);
        const QString written = EditionList::formatLine(e);
        const EditionEntry again = EditionList::parseLine(written);
        Fuzz::check(again.file == e.file && again.title == e.title && again.active == e.active,
                    "a written entry reads back the same", line + QStringLiteral(" -> ") + written);
    }
    return 0;
}
