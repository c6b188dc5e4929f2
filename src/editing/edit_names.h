#pragma once
// Checks shared by the category and link names the user types or drops: the numeric test
// and the characters no name may hold.

#include <QString>

class EditNames
{
public:
    // True when text, white space around it ignored, reads as a number: an optional sign,
    // digits with "," as thousands separator and "." as decimal point, an optional
    // exponent (E or D, optional sign, digits); or "&H" with hexadecimal digits, "&O" with
    // octal digits. " 42", "1e5", "1,000.5" and "&H1F" are numbers; "abc", "1e" and "" are not.
    static bool IsNumeric(const QString &text);

    // True when text holds any of the six characters ' < > " / \ that no name may hold.
    static bool HasProhibitedCharacter(const QString &text);

    // True when text holds any of ' < > " (the characters no link address or section header
    // may hold).
    static bool HasProhibitedAddressCharacter(const QString &text);

    // True when text begins with U+FEFF or U+FFFE: the edition's database takes either for a
    // byte order mark, drops it, and after U+FFFE reads the rest byte-swapped.
    static bool BeginsWithByteOrderMark(QStringView text);

    // The name as typed without its line breaks (a pasted CR LF, CR or LF): dropped at
    // either end, a blank in their place inside ("News\r\n" gives "News", "A\nB" "A B").
    static QString WithoutLineBreaks(const QString &name);

    // The name with every character that no name may hold turned into a blank, runs of
    // blanks made one, and blanks at both ends removed ("A/B testing" gives "A B testing").
    static QString CleanName(const QString &name);
};
