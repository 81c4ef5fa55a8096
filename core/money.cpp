#include "money.h"

#include "knerror.h"

#include <limits>

namespace kn {

namespace {
void failOnOverflow(bool overflowed)
{
    if (overflowed)
        throw KNError(ErrorCode::Overflow);
}
} // namespace

Money Money::fromWhole(std::int64_t whole)
{
    std::int64_t units = 0;
    failOnOverflow(__builtin_mul_overflow(whole, UnitsPerWhole, &units));
    return Money(units);
}

Money Money::operator+(Money other) const
{
    std::int64_t sum = 0;
    failOnOverflow(__builtin_add_overflow(units_, other.units_, &sum));
    return Money(sum);
}

Money Money::operator-(Money other) const
{
    std::int64_t difference = 0;
    failOnOverflow(__builtin_sub_overflow(units_, other.units_, &difference));
    return Money(difference);
}

Money Money::operator-() const
{
    failOnOverflow(units_ == std::numeric_limits<std::int64_t>::min());
    return Money(-units_);
}

std::int64_t Money::roundedCents() const
{
    // Works on the magnitude so that the halves round away from zero on both sides; the
    // magnitude of the smallest value still fits once divided.
    const bool negative = units_ < 0;
    const auto magnitude = negative ? std::uint64_t(0) - std::uint64_t(units_) : std::uint64_t(units_);
    const auto cents = std::int64_t((magnitude + 50) / 100);
    return negative ? -cents : cents;
}

} // namespace kn
