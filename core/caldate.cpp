#include "caldate.h"

#include <cmath>

namespace kn {

namespace {
const QDate kDayZero(1899, 12, 30);
}

CalDate CalDate::fromQDate(QDate date, double timeOfDay)
{
    return CalDate(double(kDayZero.daysTo(date)) + timeOfDay);
}

QDate CalDate::toQDate() const
{
    // Before day 0 the count is still the day and the fraction the time, so -1.25 is
    // 29 December 1899 at 06:00: the day is the value rounded toward zero.
    return kDayZero.addDays(qint64(std::trunc(days_)));
}

} // namespace kn
