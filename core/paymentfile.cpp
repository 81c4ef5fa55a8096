#include "paymentfile.h"

#include "conversions.h"
#include "formatting.h"
#include "knerror.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <type_traits>

namespace kn {

namespace {
template <typename Line>
inline Line columns(Line line, qsizetype first, qsizetype width)
{
    const qsizetype start = first - 1;
    if (start >= line.size())
        return {};
    return Line(line.data() + start, std::min(width, line.size() - start));
}

// A field of at most 16 characters as UTF-16, kept on the stack; commas are left out when asked.
class ShortField {
public:
    template <typename Field>
    ShortField(Field field, bool withoutCommas)
    {
        const qsizetype size = std::min(field.size(), qsizetype(units_.size()));
        for (qsizetype i = 0; i < size; ++i) {
            const QChar c = field[i];
            if (!withoutCommas || c != u',')
                units_[std::size_t(size_++)] = c.unicode();
        }
    }
    QStringView view() const { return QStringView(units_.data(), size_); }

private:
    std::array<char16_t, 16> units_{};
    qsizetype size_ = 0;
};

// The text with every "," removed ("1,234,567.00" gives "1234567.00").
template <typename Field>
ShortField RemoveCommas(Field amountField)
{
    return ShortField(amountField, true);
}

char16_t unitOf(char c)
{
    return char16_t(uchar(c));
}

char16_t unitOf(QChar c)
{
    return c.unicode();
}

template <typename Field>
qsizetype indexOfComma(Field field)
{
    const auto found = std::find_if(field.begin(), field.end(), [](auto c) { return unitOf(c) == u','; });
    return found == field.end() ? -1 : found - field.begin();
}

// The amount field of a line read as it stands, in one pass and with the same result as the
// general reading of it without its commas: blanks around, an optional sign, digits, and the
// decimal separator with at most four decimals. Any other shape (more decimals, more digits than
// can be near the limit, a character out of place) gives nothing, and the general reading
// decides, failure included.
std::optional<Money> plainAmount(QLatin1String field, QChar separator)
{
    const char* at = field.begin();
    const char* const end = field.end();
    const auto digit = [](char c) { return unsigned(uchar(c)) - unsigned('0') <= 9u; };
    // The field is right-aligned: its run of leading blanks is passed over eight at a time first.
    const auto eightBlanks = [&] {
        std::uint64_t word;
        std::memcpy(&word, at, sizeof word);
        return word == 0x2020202020202020u;
    };
    while (end - at >= 8 && eightBlanks())
        at += 8;
    while (at != end && (*at == ' ' || *at == ','))
        ++at;
    bool negative = false;
    if (at != end && (*at == '+' || *at == '-'))
        negative = *at++ == '-';
    // Reads digits, passing over commas, into the value; false past `limit` digits.
    const auto readDigits = [&](std::int64_t& value, int& count, int limit) {
        for (; at != end && (digit(*at) || *at == ','); ++at) {
            if (*at == ',')
                continue;
            if (++count > limit)
                return false;
            value = value * 10 + (*at - '0');
        }
        return true;
    };
    std::int64_t whole = 0;
    int wholeDigits = 0;
    if (!readDigits(whole, wholeDigits, 14))
        return std::nullopt;
    std::int64_t fraction = 0;
    int fractionDigits = 0;
    // A comma as the separator is gone with the other commas.
    if (at != end && separator != u',' && unitOf(*at) == separator.unicode()) {
        ++at;
        if (!readDigits(fraction, fractionDigits, 4))
            return std::nullopt;
    }
    for (; at != end; ++at) {
        if (*at != ' ' && *at != ',')
            return std::nullopt;
    }
    if (wholeDigits == 0 && fractionDigits == 0)
        return std::nullopt;
    for (int i = fractionDigits; i < 4; ++i)
        fraction *= 10;
    const std::int64_t units = whole * Money::UnitsPerWhole + fraction;
    return Money::fromUnits(negative ? -units : units);
}

template <typename Field>
Money amountOf(Field field, const RegionalSettings& regional)
{
    if constexpr (std::is_same_v<Field, QLatin1String>) {
        if (regional.decimalSeparator().size() == 1) {
            if (const auto amount = plainAmount(field, regional.decimalSeparator().front()))
                return *amount;
        }
    }
    return parseMoneyText(RemoveCommas(field).view(), regional);
}

} // namespace

template <typename Field>
CalDate PaymentLineReader::dateOf(Field text)
{
    if (text.size() == lastDateSize_) {
        // Compared whole, without stopping at the first difference: a few moves, no branch per
        // character.
        char16_t differs = 0;
        for (qsizetype i = 0; i < text.size(); ++i)
            differs |= unitOf(text.data()[i]) ^ lastDateText_[std::size_t(i)];
        if (differs == 0)
            return lastDate_;
    }
    const CalDate date = parseDateText(ShortField(text, false).view(), regional_);
    // A text too long to keep is converted every time rather than kept in part.
    if (text.size() > qsizetype(lastDateText_.size()))
        return date;
    lastDateSize_ = text.size();
    std::transform(text.begin(), text.end(), lastDateText_.begin(), [](auto c) { return unitOf(c); });
    lastDate_ = date;
    return date;
}

template <typename Line>
TransRecordPtr PaymentLineReader::readLine(Line line)
{
    CalDate date;
    try {
        date = dateOf(columns(line, 2, 10));
    } catch (const KNError& error) {
        throw error.withDetail(QStringLiteral("the date in columns 2-11 is '%1'").arg(columns(line, 2, 10)));
    }
    Money amount;
    try {
        amount = amountOf(columns(line, 82, 16), regional_);
    } catch (const KNError& error) {
        throw error.withDetail(QStringLiteral("the amount in columns 82-97 is '%1' (decimal separator '%2')")
                                   .arg(columns(line, 82, 16), regional_.decimalSeparator()));
    }

    const Line ledger = trimmedBlanks(columns(line, 51, 30));
    Line account = ledger;
    Line details;
    if (const qsizetype comma = indexOfComma(ledger); comma >= 0) {
        account = trimmedBlanks(ledger.left(comma));
        details = trimmedBlanks(ledger.mid(comma + 1));
    }
    RecordTextViews texts;
    texts[std::size_t(RecordText::KaprinAccount)] = trimmedBlanks(columns(line, 13, 6));
    texts[std::size_t(RecordText::PaidTo)] = trimmedBlanks(columns(line, 20, 30));
    texts[std::size_t(RecordText::GLAccount_Full)] = ledger;
    texts[std::size_t(RecordText::GLAccount)] = account;
    texts[std::size_t(RecordText::GLDetails)] = details;
    texts[std::size_t(RecordText::InvoiceNo)] = columns(line, 99, 27);
    texts[std::size_t(RecordText::PaymentFor)] = trimmedBlanks(columns(line, 127, 45));
    return blocks_.make(texts, amount, date);
}

PaymentHeader readPaymentHeader(QStringView line)
{
    return PaymentHeader{columns(line, 2, 3).toString(), columns(line, 5, 3).toString(),
                         trimBlanks(columns(line, 113, 30))};
}

TransRecordPtr PaymentLineReader::read(QStringView line)
{
    return readLine(line);
}

TransRecordPtr PaymentLineReader::read(QLatin1String line)
{
    return readLine(line);
}

} // namespace kn
