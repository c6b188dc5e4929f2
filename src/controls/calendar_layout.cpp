#include "controls/calendar_layout.h"

#include <QDate>

namespace CalendarLayout {

int DaysInMonth(int month, int year)
{
    switch (month) {
    case 4: case 6: case 9: case 11:
        return 30;
    case 2:
        return ((year % 100 == 0 || year % 4 != 0) && year % 400 != 0) ? 28 : 29;
    default:
        return 31;
    }
}

int FirstWeekday(int month, int year)
{
    return QDate(year, month, 1).dayOfWeek() % 7 + 1;   // Qt counts Monday 1 .. Sunday 7
}

int DayRows(int firstWeekday, int days)
{
    const int cells = firstWeekday + days - 1;
    return cells <= 28 ? 4 : cells <= 35 ? 5 : 6;
}

void SpreadExtra(QList<int> &sizes, int extra)
{
    if (extra <= 0 || sizes.isEmpty())
        return;
    const bool oddOnly = sizes.size() / extra > 1;
    for (int i = 0; i < sizes.size() && extra > 0; ++i) {
        if (oddOnly && i % 2 == 0)
            continue;
        ++sizes[i];
        --extra;
    }
}

QStringList DayNames(int candidateLength)
{
    if (candidateLength == 1)
        return QString(QStringLiteral("S,M,T,W,T,F,S")).split(QLatin1Char(','));
    if (candidateLength == 3)
        return QString(QStringLiteral("Sun,Mon,Tue,Wed,Thu,Fri,Sat")).split(QLatin1Char(','));
    return QString(QStringLiteral("Sunday,Monday,Tuesday,Wednesday,Thursday,Friday,Saturday"))
        .split(QLatin1Char(','));
}

QStringList CellLabels(const QStringList &dayNames, int firstWeekday, int days, int rows)
{
    QStringList labels = dayNames;
    for (int i = 1; i <= 7 * rows; ++i)
        labels << ((firstWeekday <= i && i - firstWeekday < days) ? QString::number(i - firstWeekday + 1)
                                                                 : QString());
    return labels;
}

} // namespace CalendarLayout
