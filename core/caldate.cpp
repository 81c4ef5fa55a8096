#include "caldate.h"

#include <cmath>

namespace kn {

namespace {
const QDate kDayZero(1899, 12, 30);
}

CalDate CalDate::fromQDate(QDate date, double timeOfDay)
{
    // Before day 0 the time counts away from zero, as the day does (see toQDate).
    const auto day = double(kDayZero.daysTo(date));
    return CalDate(day < 0 ? day - timeOfDay : day + timeOfDay);
}

QDate CalDate::toQDate() const
{
    // Before day 0 the count is still the day and the fraction the time, so -1.25 is
    // 29 December 1899 at 06:00: the day is the value rounded toward zero.
    return kDayZero.addDays(qint64(std::trunc(days_)));
}

} // namespace kn
