#pragma once

#include <QDate>

namespace kn {

// A calendar date as days counted from 30 December 1899 (day 0); a fractional part is the time
// of day. Two dates are equal only when the whole values are equal.
class CalDate {
public:
    constexpr CalDate() = default;
    constexpr explicit CalDate(double days) : days_(days) {}
    static CalDate fromQDate(QDate date, double timeOfDay = 0.0);
    static CalDate fromYmd(int year, int month, int day) { return fromQDate(QDate(year, month, day)); }

    constexpr double value() const { return days_; }
    // The calendar day; the time of day is dropped.
    QDate toQDate() const;

    constexpr bool operator==(const CalDate&) const = default;
    constexpr auto operator<=>(const CalDate&) const = default;

private:
    double days_ = 0.0;
};

} // namespace kn
