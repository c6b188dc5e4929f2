#pragma once
// Text routines that every window uses: splitting the "|"- and ","-separated texts of
// the data files and the database, counting, path reversal of category paths, name
// checks and capitalisation of names. None of them holds any state.
//
// Positions inside a text are 1-based, as the callers count them.

#include <QString>
#include <QtGlobal>

// The pieces first to last (numbered from 1) of text split at delimiter, with the
// delimiters between them left in. An empty text or delimiter gives "". A first below 1
// counts as 1 and a last below first counts as first. When the delimiter does not occur
// in text at all, the whole text comes back whatever pieces were asked for. When text
// has fewer than first - 1 delimiters the answer is "".
// For "a|b|c": 1..1 gives "a", 2..3 gives "b|c", 2..9 gives "b|c", 4..4 gives "".
QString GetPiece(const QString &text, const QString &delimiter, int first, int last);

// The number of non-overlapping occurrences of needle in text, searched left to right,
// letter case significant. Note the order: the needle comes first. An empty needle
// counts 0.
int CountOccurrences(const QString &needle, const QString &text);

// The "/"-separated segments of path in reverse order ("a/b/c" gives "c/b/a"); empty
// segments stay ("a/b/" gives "/b/a"). Turns a category path into its reversed form and
// back.
QString ReversePathOrder(const QString &path);

// The first letter of every word upper case, every other letter lower case. Words are
// separated by blank, tab, line feed, vertical tab, form feed, carriage return and NUL;
// "_" belongs to a word.
QString ProperCase(const QString &text);

// Capitalisation of names and addresses: the first character and each letter that
// starts a blank-separated word upper case, the rest lower case, except that the short
// address words and roman numerals of its own list ("rd", "st", "p.o", "iv", "viii", ...)
// typed in lower case are upper-cased whole. Then every blank that directly follows a
// "-" is removed and the character after each "-" is upper-cased.
// "12 main st - north side" gives "12 Main ST -North Side". A null or empty text gives "".
QString ProperCaseAddress(const QString &text);

// The number formed by the decimal digits 0-9 of text taken in order, every other
// character dropped ("a1b2" gives 12). 0 when text has no digit, and 0 when the number
// lies beyond 32767.
int ValDigits(const QString &text);

// True when at least one character is a letter A-Z or a-z or a blank; false for "".
bool ContainsTextChar(const QString &text);

// True when text is not empty and every character is one of 0-9, A-Z, a-z, blank, "("
// and ")".
bool IsPlainName(const QString &text);

// The calendar date of a file time (a count of 100-nanosecond intervals since
// 1601-01-01, universal time) as "dddd MMMM d, yyyy" in the user's language, e.g.
// "Monday August 29, 2005". The time of day is dropped and no time-zone conversion is
// made. "" for a negative file time.
QString FileTimeToLongDate(qint64 fileTime);

// The text with the blanks (only blanks, not other white space) at both ends removed.
QString TrimBlanks(const QString &text);
