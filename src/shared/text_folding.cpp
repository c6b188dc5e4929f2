#include "shared/text_folding.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// The user-version bit that marks a database whose NOCASE indexes are in folded order.
constexpr int kFoldedIndexesMark = 0x1;
// The longest LIKE pattern matched, in bytes, as SQLite's own LIKE allows.
constexpr int kMaxLikePattern = 50000;

QString folded(const void *text, int bytes)
{
    return QString::fromUtf8(static_cast<const char *>(text), bytes).toCaseFolded();
}

// A to Z as a to z, every other byte as it is: SQLite's own folding.
struct AsciiLowerTable {
    unsigned char map[256];
    constexpr AsciiLowerTable() : map()
    {
        for (int c = 0; c < 256; ++c)
            map[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
};
constexpr AsciiLowerTable kLower;

inline unsigned char asciiLower(unsigned char c)
{
    return kLower.map[c];
}

bool isAscii(const unsigned char *text, int bytes)
{
    int i = 0;
    for (; i + 8 <= bytes; i += 8) {
        quint64 word;
        std::memcpy(&word, text + i, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; i < bytes; ++i)
        if (text[i] >= 0x80)
            return false;
    return true;
}

// The NOCASE collation: texts of A to Z and other ASCII compare as SQLite's own NOCASE
// compares them (so indexes of ASCII text keep their order); from the first other
// character on, the whole texts compare case-folded.
int foldedCollation(void *, int bytes1, const void *text1, int bytes2, const void *text2)
{
    const auto *a = static_cast<const unsigned char *>(text1);
    const auto *b = static_cast<const unsigned char *>(text2);
    const int common = std::min(bytes1, bytes2);
    for (int i = 0; i < common; ++i) {
        if ((a[i] | b[i]) >= 0x80) {
            const int order = folded(text1, bytes1).compare(folded(text2, bytes2));
            return order < 0 ? -1 : order > 0 ? 1 : 0;
        }
        const unsigned char x = asciiLower(a[i]);
        const unsigned char y = asciiLower(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    // Equal so far: the longer text goes after.
    return bytes1 == bytes2 ? 0 : bytes1 < bytes2 ? -1 : 1;
}

// Whether text matches pattern, the pattern's letter case already folded and the text's
// folded by fold as it is read: "%" any run of characters, "_" one character, escape
// (when used) makes the character after it plain. On a mismatch the match steps back to
// the last "%" only: linear in the text for each "%", never recursive.
template<typename Char, typename TextChar, typename Fold>
bool likeMatch(const Char *pattern, qsizetype patternSize, const TextChar *text, qsizetype textSize,
               bool useEscape, Char escape, Fold fold)
{
    enum Kind { Plain, One, Run, Never };
    // What the pattern holds at p, and how many of its characters that takes; an escape
    // with nothing after it matches nothing.
    const auto kindAt = [&](qsizetype p, qsizetype *width) {
        *width = 1;
        if (useEscape && pattern[p] == escape) {
            *width = 2;
            return p + 1 < patternSize ? Plain : Never;
        }
        return pattern[p] == Char('%') ? Run : pattern[p] == Char('_') ? One : Plain;
    };
    qsizetype p = 0;
    qsizetype t = 0;
    qsizetype runAt = -1;
    qsizetype runText = 0;
    while (t < textSize) {
        qsizetype width = 1;
        const Kind kind = p < patternSize ? kindAt(p, &width) : Plain;
        if (p < patternSize && kind == Run) {
            runAt = ++p;
            runText = t;
        } else if (p < patternSize
                   && (kind == One || (kind == Plain && pattern[p + width - 1] == Char(fold(text[t]))))) {
            p += width;
            ++t;
        } else if (runAt >= 0) {
            p = runAt;
            t = ++runText;
        } else {
            return false;
        }
    }
    qsizetype width = 1;
    while (p < patternSize && kindAt(p, &width) == Run)
        ++p;
    return p == patternSize;
}

// A pattern (and escape) of LIKE with its letter case folded, kept while a statement
// runs with the same pattern.
struct FoldedPattern {
    QByteArray pattern;   // the pattern as given
    QByteArray escape;    // the escape as given
    bool escapeValid = true;
    bool ascii = false;
    QByteArray asciiPattern;
    unsigned char asciiEscape = 0;
    QList<uint> pattern32;
    uint escape32 = 0;

    FoldedPattern(const unsigned char *p, int pBytes, const unsigned char *e, int eBytes)
        : pattern(reinterpret_cast<const char *>(p), pBytes), escape(reinterpret_cast<const char *>(e), eBytes)
    {
        escapeValid = !e || QString::fromUtf8(escape).toUcs4().size() == 1;
        escape32 = folded(e, eBytes).toUcs4().value(0);
        pattern32 = folded(p, pBytes).toUcs4();
        ascii = isAscii(p, pBytes) && isAscii(e, eBytes);
        if (ascii) {
            asciiPattern.resize(pBytes);
            for (int i = 0; i < pBytes; ++i)
                asciiPattern[i] = char(asciiLower(p[i]));
            asciiEscape = eBytes > 0 ? asciiLower(e[0]) : 0;
        }
    }

    bool isFor(const unsigned char *p, int pBytes, const unsigned char *e, int eBytes) const
    {
        return pattern.size() == pBytes && escape.size() == eBytes
               && std::memcmp(pattern.constData(), p, size_t(pBytes)) == 0
               && (eBytes == 0 || std::memcmp(escape.constData(), e, size_t(eBytes)) == 0);
    }
};

void dropFoldedPattern(void *data)
{
    delete static_cast<FoldedPattern *>(data);
}

void foldedLike(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    const unsigned char *pattern = sqlite3_value_text(argv[0]);
    const int patternBytes = sqlite3_value_bytes(argv[0]);
    const unsigned char *text = sqlite3_value_text(argv[1]);
    const int textBytes = sqlite3_value_bytes(argv[1]);
    if (!pattern || !text)
        return;   // NULL
    if (patternBytes > kMaxLikePattern) {
        sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
        return;
    }
    const unsigned char *escapeText = argc == 3 ? sqlite3_value_text(argv[2]) : nullptr;
    const int escapeBytes = escapeText ? sqlite3_value_bytes(argv[2]) : 0;
    if (argc == 3 && !escapeText)
        return;   // NULL

    // The pattern is folded once for a statement, not once for every row.
    auto *kept = static_cast<FoldedPattern *>(sqlite3_get_auxdata(context, 0));
    std::unique_ptr<FoldedPattern> own;
    if (!kept || !kept->isFor(pattern, patternBytes, escapeText, escapeBytes)) {
        own = std::make_unique<FoldedPattern>(pattern, patternBytes, escapeText, escapeBytes);
        kept = own.get();
    }
    if (!kept->escapeValid) {
        sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
        return;
    }
    bool match = false;
    if (kept->ascii && isAscii(text, textBytes)) {
        // Plain ASCII, the usual case: the text is read as it is stored.
        const auto *p = reinterpret_cast<const unsigned char *>(kept->asciiPattern.constData());
        match = likeMatch(p, kept->asciiPattern.size(), text, textBytes, argc == 3, kept->asciiEscape, asciiLower);
    } else {
        const QList<uint> t = folded(text, textBytes).toUcs4();
        match = likeMatch(kept->pattern32.constData(), kept->pattern32.size(), t.constData(), t.size(), argc == 3,
                          kept->escape32, [](uint c) { return c; });
    }
    sqlite3_result_int(context, match ? 1 : 0);
    // Kept for the next row; SQLite drops it when the pattern may change.
    if (own)
        sqlite3_set_auxdata(context, 0, own.release(), dropFoldedPattern);
}

int userVersion(const QSqlDatabase &db, bool *ok)
{
    QSqlQuery q(db);
    *ok = q.exec(QStringLiteral("PRAGMA main.user_version")) && q.next();
    return *ok ? q.value(0).toInt() : 0;
}

} // namespace

sqlite3 *SqliteHandle(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

bool InstallTextFolding(const QSqlDatabase &db)
{
    sqlite3 *handle = SqliteHandle(db);
    if (!handle)
        return false;
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_collation_v2(handle, "NOCASE", SQLITE_UTF8, nullptr, foldedCollation, nullptr) == SQLITE_OK
           && sqlite3_create_function_v2(handle, "like", 2, flags, nullptr, foldedLike, nullptr, nullptr, nullptr)
                  == SQLITE_OK
           && sqlite3_create_function_v2(handle, "like", 3, flags, nullptr, foldedLike, nullptr, nullptr, nullptr)
                  == SQLITE_OK;
}

bool OrderIndexesByFolding(const QSqlDatabase &db)
{
    bool ok = false;
    const int version = userVersion(db, &ok);
    if (!ok)
        return false;
    if (version & kFoldedIndexesMark)
        return true;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    if (q.exec(QStringLiteral("REINDEX NOCASE"))
        && q.exec(QStringLiteral("PRAGMA main.user_version = %1").arg(version | kFoldedIndexesMark))
        && q.exec(QStringLiteral("COMMIT")))
        return true;
    q.exec(QStringLiteral("ROLLBACK"));
    return false;
}
