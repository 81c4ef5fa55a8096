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
    const auto cents = std::int64_t(roundedMagnitude(2));
    return isNegative() ? -cents : cents;
}

QString Money::decimalText() const
{
    const std::uint64_t whole = magnitude() / UnitsPerWhole;
    QString fraction = QString::number(magnitude() % UnitsPerWhole).rightJustified(4, u'0');
    while (fraction.size() > 2 && fraction.endsWith(u'0'))
        fraction.chop(1);
    return (isNegative() ? QStringLiteral("-") : QString()) + QString::number(whole) + u'.' + fraction;
}

} // namespace kn
