#include "shared/text_folding.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>

namespace {

// The user-version bit that marks a database whose NOCASE indexes are in folded order.
constexpr int kFoldedIndexesMark = 0x1;
// The longest LIKE pattern matched, in bytes, as SQLite's own LIKE allows.
constexpr int kMaxLikePattern = 50000;

sqlite3 *handleOf(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

QString folded(const void *text, int bytes)
{
    return QString::fromUtf8(static_cast<const char *>(text), bytes).toCaseFolded();
}

char asciiLower(unsigned char c)
{
    return char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
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
        if (a[i] >= 0x80 || b[i] >= 0x80) {
            const int order = folded(text1, bytes1).compare(folded(text2, bytes2));
            return order < 0 ? -1 : order > 0 ? 1 : 0;
        }
        const char x = asciiLower(a[i]);
        const char y = asciiLower(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    // Equal so far: the longer text goes after.
    return bytes1 == bytes2 ? 0 : bytes1 < bytes2 ? -1 : 1;
}

// Whether text matches pattern, both of the same kind of character sequence with letter
// case already folded: "%" any run of characters, "_" one character, escape (when used)
// makes the character after it plain. On a mismatch the match steps back to the last "%"
// only: linear in the text for each "%", never recursive.
template<typename Char>
bool likeMatch(const Char *pattern, qsizetype patternSize, const Char *text, qsizetype textSize, bool useEscape,
               Char escape)
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
        } else if (p < patternSize && (kind == One || (kind == Plain && pattern[p + width - 1] == text[t]))) {
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

bool isAscii(const unsigned char *text, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        if (text[i] >= 0x80)
            return false;
    return true;
}

QByteArray asciiFolded(const unsigned char *text, int bytes)
{
    QByteArray out(bytes, Qt::Uninitialized);
    for (int i = 0; i < bytes; ++i)
        out[i] = asciiLower(text[i]);
    return out;
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
    if (argc == 3 && QString::fromUtf8(reinterpret_cast<const char *>(escapeText), escapeBytes).toUcs4().size() != 1) {
        sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
        return;
    }
    bool match = false;
    if (isAscii(pattern, patternBytes) && isAscii(text, textBytes) && isAscii(escapeText, escapeBytes)) {
        // Plain ASCII, the usual case: no conversion.
        const QByteArray p = asciiFolded(pattern, patternBytes);
        const QByteArray t = asciiFolded(text, textBytes);
        match = likeMatch(p.constData(), p.size(), t.constData(), t.size(), argc == 3,
                          escapeText ? asciiLower(escapeText[0]) : char(0));
    } else {
        const QList<uint> p = folded(pattern, patternBytes).toUcs4();
        const QList<uint> t = folded(text, textBytes).toUcs4();
        const QList<uint> e = argc == 3 ? folded(escapeText, escapeBytes).toUcs4() : QList<uint>();
        match = likeMatch(p.constData(), p.size(), t.constData(), t.size(), argc == 3, e.value(0));
    }
    sqlite3_result_int(context, match ? 1 : 0);
}

int userVersion(const QSqlDatabase &db, bool *ok)
{
    QSqlQuery q(db);
    *ok = q.exec(QStringLiteral("PRAGMA main.user_version")) && q.next();
    return *ok ? q.value(0).toInt() : 0;
}

} // namespace

bool InstallTextFolding(const QSqlDatabase &db)
{
    sqlite3 *handle = handleOf(db);
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
