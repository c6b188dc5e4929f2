#include "shared/text_codec.h"

#include <QStringDecoder>

namespace {

// Windows-1252 characters 0x80 to 0x9F; the five codes it leaves unassigned keep their
// own value. Every other byte is the character of the same number.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

QString DecodeCp1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

QString DecodeUtf8OrCp1252(const QByteArray &bytes, bool *utf8)
{
    // Stateless: a sequence cut short at the end is an error, not a wait for more bytes (a
    // Windows-1252 text ending in a letter such as "\xe9" would otherwise lose it).
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes);
    const bool valid = !decoder.hasError();
    if (utf8)
        *utf8 = valid;
    return valid ? text : DecodeCp1252(bytes);
}
