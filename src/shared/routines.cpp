#include "shared/routines.h"

#include "platform/dialogs.h"

#include <QDate>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <exception>

namespace {

// Searches delimiter in text from the 0-based position from; answers its 0-based
// position or -1.
qsizetype findFrom(const QString &text, const QString &delimiter, qsizetype from)
{
    if (from > text.size())
        return -1;
    return text.indexOf(delimiter, from, Qt::CaseSensitive);
}

bool isWordSeparator(QChar c)
{
    switch (c.unicode()) {
    case u' ':
    case u'\t':
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case u'\0':
        return true;
    default:
        return false;
    }
}

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Two-character words written wholly in capitals when typed in lower case.
bool isListedPair(QStringView word)
{
    static const char16_t *const pairs[] = {u"rd", u"av", u"st", u"ct", u"dr", u"sw", u"se", u"nw",
                                            u"ne", u"ix", u"vi", u"iv", u"ii", u"po", u"ln", u"pl"};
    for (const char16_t *p : pairs)
        if (word == QStringView(p))
            return true;
    return false;
}

// Three-character beginnings of words of three or four characters written in capitals.
bool isListedTriple(QStringView word)
{
    static const char16_t *const triples[] = {u"vii", u"iii", u"p.o", u"s.w", u"s.e", u"n.w", u"n.e"};
    for (const char16_t *t : triples)
        if (word == QStringView(t))
            return true;
    return false;
}

void upperAt(QString &s, qsizetype i)
{
    s[i] = s.at(i).toUpper();
}

void lowerAt(QString &s, qsizetype i)
{
    s[i] = s.at(i).toLower();
}

// Runs one step of the address capitalisation; a failure shows its message and the
// routine goes on with its next step.
template<typename Step>
void runStep(Step step)
{
    try {
        step();
    } catch (const std::exception &e) {
        MsgBox(QStringLiteral("Error: ") + QString::fromLocal8Bit(e.what()), vbOKOnly,
               QStringLiteral("Error with ProperCase Routine"));
    }
}

} // namespace

QString GetPiece(const QString &text, const QString &delimiter, int first, int last)
{
    if (text.isEmpty() || delimiter.isEmpty())
        return QString();
    if (first < 1)
        first = 1;
    if (last < first)
        last = first;
    if (!text.contains(delimiter, Qt::CaseSensitive))
        return text;
    if (first == 1 && last == 1)
        return text.left(text.indexOf(delimiter, 0, Qt::CaseSensitive));

    // The (first - 1)th delimiter; each search starts one character after the last find.
    qsizetype found = -1;
    qsizetype start = 0;
    for (int n = 1; n <= first - 1; ++n) {
        found = findFrom(text, delimiter, found + 1);
        if (found < 0)
            return QString();
    }
    if (found >= 0)
        start = found + delimiter.size();

    // The last-th delimiter, continuing the search; the end of text when there is none.
    qsizetype end = text.size();
    for (int n = first; n <= last; ++n) {
        found = findFrom(text, delimiter, found + 1);
        if (found < 0)
            break;
        if (n == last)
            end = found;
    }
    if (end < start)
        return QString();
    return text.mid(start, end - start);
}

int CountOccurrences(const QString &needle, const QString &text)
{
    if (needle.isEmpty())
        return 0;
    int count = 0;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(needle, from, Qt::CaseSensitive);
        if (at < 0)
            return count;
        ++count;
        from = at + needle.size();
    }
}

QString ReversePathOrder(const QString &path)
{
    QStringList segments = path.split(QLatin1Char('/'));
    std::reverse(segments.begin(), segments.end());
    return segments.join(QLatin1Char('/'));
}

QString ProperCase(const QString &text)
{
    QString s = text;
    bool wordStart = true;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (isWordSeparator(c)) {
            wordStart = true;
            continue;
        }
        s[i] = wordStart ? c.toUpper() : c.toLower();
        wordStart = false;
    }
    return s;
}

QString ProperCaseAddress(const QString &text)
{
    if (text.isEmpty())
        return QString();
    QString s = text;

    runStep([&] { upperAt(s, 0); });

    runStep([&] {
        const qsizetype n = s.size();
        qsizetype i = 1;
        while (i < n) {
            if (s.at(i - 1) != QLatin1Char(' ')) {
                lowerAt(s, i);
                ++i;
                continue;
            }
            // A word starts at i; it runs to the next blank or the end of the text.
            qsizetype blank = s.indexOf(QLatin1Char(' '), i);
            const qsizetype wordLength = (blank < 0 ? n : blank) - i;
            const QStringView word = QStringView(s).mid(i, wordLength);
            if (wordLength == 2) {
                if (isListedPair(word)) {
                    upperAt(s, i);
                    upperAt(s, i + 1);
                    i += 2;
                } else {
                    upperAt(s, i);
                    ++i;
                }
            } else if (wordLength == 4 && word == u"viii") {
                for (qsizetype k = 0; k < 4; ++k)
                    upperAt(s, i + k);
                i += 4;
            } else if ((wordLength == 3 || wordLength == 4) && isListedTriple(word.left(3))) {
                for (qsizetype k = 0; k < 3; ++k)
                    upperAt(s, i + k);
                i += 3;
            } else {
                upperAt(s, i);
                ++i;
            }
        }
    });

    runStep([&] {
        qsizetype at = s.indexOf(QLatin1Char('-'));
        while (at >= 0) {
            if (at + 1 < s.size() && s.at(at + 1) == QLatin1Char(' ')) {
                s.remove(at + 1, 1);
                at = s.indexOf(QLatin1Char('-'));
                continue;
            }
            if (at + 1 < s.size())
                upperAt(s, at + 1);
            at = s.indexOf(QLatin1Char('-'), at + 1);
        }
    });

    return s;
}

int ValDigits(const QString &text)
{
    qint64 value = 0;
    bool anyDigit = false;
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            continue;
        anyDigit = true;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 32767)
            return 0;
    }
    return anyDigit ? int(value) : 0;
}

bool ContainsTextChar(const QString &text)
{
    for (const QChar c : text)
        if (isAsciiLetter(c) || c == QLatin1Char(' '))
            return true;
    return false;
}

bool IsPlainName(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (isAsciiLetter(c) || isAsciiDigit(c))
            continue;
        if (c == QLatin1Char(' ') || c == QLatin1Char('(') || c == QLatin1Char(')'))
            continue;
        return false;
    }
    return true;
}

QString FileTimeToLongDate(qint64 fileTime)
{
    if (fileTime < 0)
        return QString();
    constexpr qint64 ticksPerDay = Q_INT64_C(864000000000);
    const QDate date = QDate(1601, 1, 1).addDays(fileTime / ticksPerDay);
    if (!date.isValid())
        return QString();
    return QLocale().toString(date, QStringLiteral("dddd MMMM d, yyyy"));
}

QString TrimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}
