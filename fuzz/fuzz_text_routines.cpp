// The text routines and the XML escaping of page text: nothing crashes, and the answers
// keep the properties their callers rely on.

#include "fuzz_support.h"

#include "pages/topic_page_builder.h"
#include "shared/routines.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

namespace {

// The text of "<a>" + escaped + "</a>" as an XML reader sees it; false when not well-formed.
bool readBack(const QString &escaped, QString *text)
{
    const QByteArray doc = "<a>" + escaped.toUtf8() + "</a>";
    xmlDocPtr parsed = xmlReadMemory(doc.constData(), int(doc.size()), nullptr, nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!parsed)
        return false;
    xmlChar *content = xmlNodeGetContent(xmlDocGetRootElement(parsed));
    *text = QString::fromUtf8(reinterpret_cast<const char *>(content));
    xmlFree(content);
    xmlFreeDoc(parsed);
    return true;
}

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // The first two bytes pick piece numbers; the rest is split once at "\x01" into two texts.
    const int first = int(int8_t(data[0]));
    const int last = int(int8_t(data[1]));
    const QString all = Fuzz::text(data + 2, size - 2);
    const qsizetype cut = all.indexOf(QChar(1));
    const QString text = cut < 0 ? all : all.left(cut);
    const QString other = cut < 0 ? QStringLiteral("|") : all.mid(cut + 1);

    const QString piece = GetPiece(text, other, first, last);
    Fuzz::check(piece.size() <= text.size(), "a piece is part of the text");
    Fuzz::check(other.isEmpty() || !text.contains(other) || text.contains(piece), "a piece is taken from the text");
    const int count = CountOccurrences(other, text);
    Fuzz::check(count >= 0 && count <= text.size(), "occurrences are counted");
    Fuzz::check(ReversePathOrder(ReversePathOrder(text)) == text, "reversing a path twice gives it back", text);
    Fuzz::check(ProperCase(text).size() >= 0 && ProperCaseAddress(text).size() <= text.size() * 3 + 1,
                "capitalisation ends");
    const int digits = ValDigits(text);
    Fuzz::check(digits >= 0 && digits <= 32767, "digits give a small number");
    ContainsTextChar(text);
    IsPlainName(text);
    Fuzz::check(TrimBlanks(TrimBlanks(text)) == TrimBlanks(text), "trimming twice is trimming once");

    // Escaped text is always well-formed; an address escaped whole reads back as it was
    // (with the characters XML cannot carry as blanks, and line ends as the reader gives them).
    QString read;
    Fuzz::check(readBack(EscapeXmlText(text), &read), "escaped text is well-formed", text);
    Fuzz::check(readBack(EscapeXmlText(text, true), &read), "escaped text in quotes is well-formed", text);
    Fuzz::check(readBack(EscapeXmlText(text, false, false), &read), "an escaped address is well-formed", text);
    QString expected;
    for (const QChar c : text) // paired surrogates only: the text came from UTF-8
        expected += c.isSurrogate() || isXmlChar(c.unicode()) ? c : QLatin1Char(' ');
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (read != expected) {
        qsizetype at = 0;
        while (at < read.size() && at < expected.size() && read.at(at) == expected.at(at))
            ++at;
        Fuzz::check(false, "an escaped address reads back unchanged",
                    QStringLiteral("at %1: read U+%2, expected U+%3").arg(at)
                        .arg(at < read.size() ? read.at(at).unicode() : 0, 4, 16, QLatin1Char('0'))
                        .arg(at < expected.size() ? expected.at(at).unicode() : 0, 4, 16, QLatin1Char('0'))
                    + QStringLiteral(" (lengths %1 and %2) ").arg(read.size()).arg(expected.size())
                    + QString::fromLatin1(read.mid(qMax(0, at - 4), 8).toUtf8().toHex(' ')) + QStringLiteral(" | ")
                    + QString::fromLatin1(expected.mid(qMax(0, at - 4), 8).toUtf8().toHex(' ')) + QStringLiteral(" | ")
                    + QString::fromLatin1(text.mid(qMax(0, at - 4), 8).toUtf8().toHex(' ')));
    }
    return 0;
}
