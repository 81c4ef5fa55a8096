#pragma once

#include <QString>

#include <compare>
#include <cstdint>

namespace kn {

// A money amount: a signed count of 1/10000 units. Arithmetic that leaves the 64-bit range
// fails with Overflow (6) instead of wrapping.
class Money {
public:
    static constexpr std::int64_t UnitsPerWhole = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(std::int64_t units) { return Money(units); }
    static Money fromWhole(std::int64_t whole);

    constexpr std::int64_t units() const { return units_; }
    constexpr bool isZero() const { return units_ == 0; }
    constexpr bool isNegative() const { return units_ < 0; }
    constexpr int sign() const { return (units_ > 0) - (units_ < 0); }

    Money operator+(Money other) const;
    Money operator-(Money other) const;
    Money operator-() const;
    Money& operator+=(Money other) { return *this = *this + other; }
    Money abs() const { return isNegative() ? -*this : *this; }

    // The size of the amount whatever its sign, in units; the smallest amount's fits too.
    constexpr std::uint64_t magnitude() const
    {
        return isNegative() ? std::uint64_t(0) - std::uint64_t(units_) : std::uint64_t(units_);
    }
    // The magnitude as a count of 1/10^decimals (0 to 4 decimals), halves rounded away from zero
    // so that an amount and its negation round alike (0.005 gives 1 at two decimals).
    constexpr std::uint64_t roundedMagnitude(int decimals) const
    {
        std::uint64_t divisor = 1;
        for (int i = decimals; i < 4; ++i)
            divisor *= 10;
        return (magnitude() + divisor / 2) / divisor;
    }
    // The amount rounded to whole hundredths, half away from zero (45.675 gives 4568).
    std::int64_t roundedCents() const;
    // Plain decimal text with "." and two to four decimals: "-12.50", "0.005", "1234567.1234".
    QString decimalText() const;

    constexpr auto operator<=>(const Money&) const = default;

private:
    constexpr explicit Money(std::int64_t units) : units_(units) {}
    std::int64_t units_ = 0;
};

} // namespace kn
