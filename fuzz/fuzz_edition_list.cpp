// The edition list: any file read as the edition list gives one entry per line, at most
// one of them active, each entry is written back as a line that reads as the same entry,
// and the lines read, written back, give the bytes read (with CR LF line ends).

#include "fuzz_support.h"

#include "editions/edition_list.h"

#include <QDir>
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

    // The lines read, written back, are the bytes read with every line ended by CR LF: lines
    // in UTF-8 and older lines in Windows-1252 alike keep their bytes, also when one list
    // holds the same text in both.
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> raw = EditionList::readRawLines(path);
    const QString copy = folder + QStringLiteral("rewritten/dbnames.txt");
    QDir().mkpath(folder + QStringLiteral("rewritten"));
    Fuzz::check(EditionList::writeRaw(copy, raw), "the lines can be written back");
    QFile rewritten(copy);
    Fuzz::check(rewritten.open(QIODevice::ReadOnly), "the written list can be read");
    const QByteArray output = rewritten.readAll();
    QByteArray expected;
    QByteArray body = input;
    if (body.endsWith('\n'))
        body.chop(1);
    for (QByteArray line : body.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        expected += line + "\r\n";
    }
    if (input.isEmpty())
        expected.clear();
    Fuzz::check(output == expected, "the lines written back are the bytes read", QString::fromLatin1(output.toHex(' ')));
    QStringList texts;
    for (const QByteArray &line : raw)
        texts.append(EditionList::lineText(line));
    Fuzz::check(texts == EditionList::readAllLines(path), "the text of the bytes is the text read");

    // Every entry the line format can carry reads back the same once written.
    for (const QString &line : lines) {
        const EditionEntry e = EditionList::parseLine(line);
        if (!EditionList::canCarry(e))
            continue;
        const QString written = EditionList::formatLine(e);
        const EditionEntry again = EditionList::parseLine(written);
        Fuzz::check(again.file == e.file && again.title == e.title && again.active == e.active,
                    "a written entry reads back the same", line + QStringLiteral(" -> ") + written);
    }

    // Moving the mark among the bytes puts a "*" before the chosen line (unless it has one)
    // and takes the first byte off every other marked line; no other byte changes.
    QList<QByteArray> movedRaw = raw;
    const int rawIndex = lines.isEmpty() ? 0 : int(size % size_t(lines.size()));
    const int target = EditionList::lineOfEntry(raw, rawIndex);
    if (EditionList::moveMark(movedRaw, rawIndex)) {
        for (int i = 0; i < raw.size(); ++i) {
            const QByteArray &was = raw.at(i);
            const QByteArray expect = i == target ? (was.startsWith('*') ? was : '*' + was)
                                                  : (was.startsWith('*') ? was.mid(1) : was);
            Fuzz::check(movedRaw.at(i) == expect, "moving the mark keeps the bytes of the lines");
        }
    }

    // Moving the mark changes nothing but the mark of a well-formed line.
    QStringList moved = EditionList::readAllLines(path);
    const int index = lines.isEmpty() ? 0 : int(size % size_t(lines.size()));
    const QStringList before = moved;
    if (EditionList::moveMark(moved, index)) {
        Fuzz::check(moved.size() == before.size(), "moving the mark keeps every line");
        for (int i = 0, n = 0; i < moved.size(); ++i) {
            const EditionEntry was = EditionList::parseLine(before.at(i));
            const EditionEntry now = EditionList::parseLine(moved.at(i));
            const bool target = !before.at(i).isEmpty() && n++ == index;
            // Only lines as the program writes them: a damaged line may read differently.
            if (!EditionList::canCarry(was) || EditionList::formatLine(was) != before.at(i))
                continue;
            Fuzz::check(now.file == was.file && now.title == was.title && now.active == target,
                        "moving the mark touches nothing else", before.at(i) + QStringLiteral(" -> ") + moved.at(i));
        }
    }
    return 0;
}
