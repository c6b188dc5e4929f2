#include "controls/ole_date.h"

#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr qint64 kMsPerDay = 86400000;
}

double ToOleDate(const QDateTime &value)
{
    const qint64 days = kEpoch.daysTo(value.date());
    const double fraction = double(value.time().msecsSinceStartOfDay()) / kMsPerDay;
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

double ToOleDate(const QDate &date)
{
    return double(kEpoch.daysTo(date));
}

QDateTime FromOleDate(double value)
{
    if (!std::isfinite(value))
        return QDateTime(kEpoch, QTime(0, 0));
    double whole = std::trunc(value);
    qint64 ms = std::llround(std::fabs(value - whole) * kMsPerDay);
    if (ms >= kMsPerDay) {   // a fraction that rounds up to a whole day
        ms = 0;
        whole += value < 0 ? -1 : 1;
    }
    return QDateTime(kEpoch.addDays(qint64(whole)), QTime::fromMSecsSinceStartOfDay(int(ms)));
}
