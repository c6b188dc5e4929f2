#include "editing/edit_names.h"

#include <QRegularExpression>

namespace {

const QString kProhibited = QStringLiteral("'<>\"/\\");
const QString kProhibitedInAddress = QStringLiteral("'<>\"");

bool holdsAny(const QString &text, const QString &characters)
{
    for (const QChar c : text)
        if (characters.contains(c))
            return true;
    return false;
}

} // namespace

bool EditNames::IsNumeric(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    static const QRegularExpression hex(QStringLiteral("^&[Hh][0-9A-Fa-f]+$"));
    static const QRegularExpression octal(QStringLiteral("^&[Oo][0-7]+$"));
    static const QRegularExpression decimal(
        QStringLiteral("^[+-]?(\\d[\\d,]*(\\.\\d*)?|\\.\\d+)([EeDd][+-]?\\d+)?$"));
    return hex.match(t).hasMatch() || octal.match(t).hasMatch() || decimal.match(t).hasMatch();
}

bool EditNames::HasProhibitedCharacter(const QString &text)
{
    return holdsAny(text, kProhibited);
}

bool EditNames::HasProhibitedAddressCharacter(const QString &text)
{
    return holdsAny(text, kProhibitedInAddress);
}

bool EditNames::BeginsWithByteOrderMark(QStringView text)
{
    return !text.isEmpty() && (text.front() == QChar(0xFEFF) || text.front() == QChar(0xFFFE));
}

QString EditNames::WithoutLineBreaks(const QString &name)
{
    const auto isBreak = [](QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); };
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && isBreak(name.at(begin)))
        ++begin;
    while (end > begin && isBreak(name.at(end - 1)))
        --end;
    QString inner = name.mid(begin, end - begin);
    return inner.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString EditNames::CleanName(const QString &name)
{
    QString cleaned;
    cleaned.reserve(name.size());
    for (const QChar c : name) {
        const QChar put = kProhibited.contains(c) || c.isSpace() ? QLatin1Char(' ') : c;
        if (put == QLatin1Char(' ') && cleaned.endsWith(QLatin1Char(' ')))
            continue;
        cleaned.append(put);
    }
    return cleaned.trimmed();
}
