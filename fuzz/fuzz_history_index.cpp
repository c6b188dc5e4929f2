// The history index reader: any file gives one record per "URL " marker, a slot for each,
// and only web addresses (from "http://" or "https://" on, without NUL) in the slots; a
// slot's address lies within its own record; and reading takes time linear in the size.

#include "fuzz_support.h"

#include "webtools/history_index.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString folder = Fuzz::setUp();
    const QString path = folder + QStringLiteral("INDEX.DAT");
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile file(path);
        Fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the index can be written");
        file.write(bytes);
    }

    int markers = 0;
    for (qsizetype p = bytes.indexOf("URL "); p >= 0; p = bytes.indexOf("URL ", p + 1))
        ++markers;
    const int count = ReadHistoryIndex(path);
    Fuzz::check(count == markers, "one record per marker", QString::number(count));
    Fuzz::check(HistoryUrls.size() == count + 1, "one slot per record and slot 0");
    Fuzz::check(HistoryUrls.value(0).isEmpty(), "slot 0 stays empty");
    for (const QString &url : std::as_const(HistoryUrls)) {
        if (url.isEmpty())
            continue;
        Fuzz::check(url.startsWith(QLatin1String("http://")) || url.startsWith(QLatin1String("https://")),
                    "a slot holds a web address", url);
        Fuzz::check(!url.contains(QChar::Null), "an address holds no NUL", url);
        Fuzz::check(!url.contains(QLatin1String("URL ")), "an address ends before the next record", url.left(200));
    }

    Fuzz::checkLinear(
        "reading takes time linear in the size",
        [&](int copies) {
            QFile file(path);
            Fuzz::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the index can be written");
            for (int i = 0; i < copies; ++i)
                file.write(bytes);
        },
        [&] { ReadHistoryIndex(path); });
    return 0;
}
