#pragma once
// The arithmetic of the month calendar's grid, kept apart from drawing so it can be
// checked on its own: days and rows of a month, the spreading of spare pixels, the cell
// labels and what day a cell stands for. Weeks start on Sunday.

#include <QList>
#include <QStringList>

namespace CalendarLayout {

// 28 to 31 days of month (1-12) in year.
int DaysInMonth(int month, int year);
// Weekday of the 1st of month in year, 1 = Sunday to 7 = Saturday.
int FirstWeekday(int month, int year);
// Rows of day cells for a month starting on firstWeekday with days days: 4, 5 or 6.
int DayRows(int firstWeekday, int days);
// Gives extra pixels to the sizes: to the odd entries only when there are few extras,
// else to the first entries in turn.
void SpreadExtra(QList<int> &sizes, int extra);
// The day-name list fitting a candidate of that length: 1 letter, 3 letters or whole names.
QStringList DayNames(int candidateLength);
// The 7 × (rows + 1) cell labels: the day names, then the day numbers in their weekday
// columns, other cells empty.
QStringList CellLabels(const QStringList &dayNames, int firstWeekday, int days, int rows);
// The day of the month cell k (counted from the first header cell) stands for; 0 or less,
// or past the month's end, for cells that stand for no day.
inline int CellDayNumber(int k, int firstWeekday) { return k - firstWeekday - 5; }
// Whether (x, y) lies in the box: left and top edges inside, right and bottom outside.
inline bool PointInRect(int x, int y, int left, int top, int right, int bottom)
{
    return left <= x && x < right && top <= y && y < bottom;
}

} // namespace CalendarLayout
