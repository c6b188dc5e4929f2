#pragma once
// Dates as the spare components keep them: days since 30 December 1899, the fraction being
// the time of day. Before that day the whole part counts back while the fraction still
// counts forward (-1.25 is 29 December 1899, 06:00).

#include <QDate>
#include <QDateTime>

double ToOleDate(const QDateTime &value);
double ToOleDate(const QDate &date);   // at 00:00
QDateTime FromOleDate(double value);
// The parts of a date value.
inline QDate OleDatePart(double value) { return FromOleDate(value).date(); }
