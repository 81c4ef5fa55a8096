#include "formatting.h"

#include "core/conversions.h"
#include "core/knerror.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace kn {

namespace {
constexpr std::uint64_t powerOfTen(int exponent)
{
    return exponent == 0 ? 1 : 10 * powerOfTen(exponent - 1);
}

// What a pattern writes into a QString: its texts as they read, digits as Latin-1; a Line takes
// the same calls as the code page's bytes.
struct TextOut {
    QString& text;
    TextOut& operator+=(char ascii)
    {
        text += QLatin1Char(ascii);
        return *this;
    }
    TextOut& operator+=(std::string_view ascii)
    {
        text += QLatin1String(ascii.data(), qsizetype(ascii.size()));
        return *this;
    }
    TextOut& operator+=(const EncodedText& encoded)
    {
        text += encoded.text;
        return *this;
    }
};

// The number's decimal text with "0"s in front up to minimumWidth characters.
template <typename Out, typename Integer>
void appendDigits(Out& out, Integer value, int minimumWidth)
{
    char digits[24];
    const char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (auto n = end - digits; n < minimumWidth; ++n)
        out += '0';
    out += std::string_view(digits, std::size_t(end - digits));
}
} // namespace

NumberPattern::NumberPattern(QStringView pattern, const RegionalSettings& regional, const CodePage* codePage)
    : decimalSeparator_(regional.decimalSeparator(), codePage)
{
    const qsizetype point = pattern.indexOf(u'.');
    const QStringView integerPart = point < 0 ? pattern : pattern.left(point);
    decimals_ = point < 0 ? 0 : int(pattern.size() - point - 1);
    minimumIntegerDigits_ = int(integerPart.count(u'0'));
    if (decimals_ > 4)
        throw KNError(ErrorCode::InvalidProcedureCall);
}

template <typename Out>
void NumberPattern::append(Out& out, Money amount) const
{
    const std::uint64_t unit = powerOfTen(decimals_);
    const std::uint64_t scaled = amount.roundedMagnitude(decimals_);
    if (amount.isNegative() && scaled != 0)
        out += '-';
    // "#" digits write nothing for a zero integer part (".50" in "#.00").
    if (scaled / unit != 0 || minimumIntegerDigits_ > 0)
        appendDigits(out, scaled / unit, minimumIntegerDigits_);
    if (decimals_ > 0) {
        out += decimalSeparator_;
        appendDigits(out, scaled % unit, decimals_);
    }
}

void NumberPattern::appendTo(Line& out, Money amount) const
{
    Q_ASSERT(decimals_ == 0 || !decimalSeparator_.bytes.empty());
    append(out, amount);
}

QString NumberPattern::format(Money amount) const
{
    QString text;
    TextOut out{text};
    append(out, amount);
    return text;
}

QString formatNumber(Money amount, QStringView pattern, const RegionalSettings& regional)
{
    return NumberPattern(pattern, regional).format(amount);
}

namespace {
template <typename Out>
void appendPlainDecimalTo(Out& out, Money amount, const EncodedText& decimalSeparator)
{
    const std::uint64_t magnitude = amount.magnitude();
    if (amount.isNegative())
        out += '-';
    appendDigits(out, magnitude / Money::UnitsPerWhole, 1);
    std::uint64_t fraction = magnitude % Money::UnitsPerWhole;
    if (fraction == 0)
        return;
    out += decimalSeparator;
    int kept = 4;
    for (; fraction % 10 == 0; fraction /= 10)
        --kept;
    appendDigits(out, fraction, kept);
}
} // namespace

void appendPlainDecimal(Line& out, Money amount, const EncodedText& decimalSeparator)
{
    appendPlainDecimalTo(out, amount, decimalSeparator);
}

QString plainDecimal(Money amount, const RegionalSettings& regional)
{
    QString text;
    TextOut out{text};
    appendPlainDecimalTo(out, amount, EncodedText(regional.decimalSeparator(), nullptr));
    return text;
}

QString formatNumericText(const QString& text, QStringView pattern, const RegionalSettings& regional)
{
    Money value;
    try {
        value = parseMoneyText(text, regional);
    } catch (const KNError&) {
        return text;
    }
    return formatNumber(value, pattern, regional);
}

DatePattern::DatePattern(QStringView pattern, const RegionalSettings& regional, const CodePage* codePage)
    : regional_(regional), codePage_(codePage)
{
    if (codePage != nullptr)
        last_.emplace(*codePage);
    if (pattern.isEmpty()) {
        pieces_.push_back({Field::ShortDate, {}});
        return;
    }
    QString text;
    const auto endText = [&] {
        if (!text.isEmpty())
            pieces_.push_back({Field::Text, EncodedText(std::exchange(text, {}), codePage)});
    };
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar letter = pattern[i].toUpper();
        qsizetype run = 1;
        if (letter == u'D' || letter == u'M' || letter == u'Y') {
            while (i + run < pattern.size() && pattern[i + run].toUpper() == letter)
                ++run;
            endText();
        }
        if (letter == u'D') {
            pieces_.push_back({run == 1 ? Field::Day : run == 2 ? Field::Day2 : run == 3 ? Field::DayNameShort : Field::DayName, {}});
        } else if (letter == u'M') {
            pieces_.push_back({run == 1 ? Field::Month : run == 2 ? Field::Month2 : run == 3 ? Field::MonthNameShort : Field::MonthName, {}});
        } else if (letter == u'Y') {
            // A run of three is read as a two-digit year followed by the day of the year.
            pieces_.push_back({run == 1 ? Field::DayOfYear : run == 2 ? Field::Year2 : run == 3 ? Field::Year2DayOfYear : Field::Year4, {}});
        } else if (pattern[i] == u'/') {
            text += regional.dateSeparator();
        } else {
            text += pattern[i];
        }
        i += run;
    }
    endText();
}

void DatePattern::appendTo(Line& out, CalDate date) const
{
    Q_ASSERT(last_);
    if (last_->size() == 0 || date != lastDate_) {
        last_->clear();
        appendFields(*last_, date);
        lastDate_ = date;
    }
    out += last_->since({});
}

QString DatePattern::format(CalDate date) const
{
    QString text;
    TextOut out{text};
    appendFields(out, date);
    return text;
}

const EncodedText& DatePattern::name(Field field, int number) const
{
    const std::pair key{field, number};
    for (const auto& [known, text] : names_) {
        if (known == key)
            return text;
    }
    const bool abbreviated = field == Field::DayNameShort || field == Field::MonthNameShort;
    const bool day = field == Field::DayName || field == Field::DayNameShort;
    QString text = day ? regional_.dayName(number, abbreviated) : regional_.monthName(number, abbreviated);
    return names_.emplace_back(key, EncodedText(std::move(text), codePage_)).second;
}

template <typename Out>
void DatePattern::appendFields(Out& out, CalDate date) const
{
    const QDate day = date.toQDate();
    int year = 0, month = 0, dayOfMonth = 0;
    day.getDate(&year, &month, &dayOfMonth);
    for (const Piece& piece : pieces_) {
        switch (piece.field) {
        case Field::Text: out += piece.text; break;
        case Field::Day: appendDigits(out, dayOfMonth, 1); break;
        case Field::Day2: appendDigits(out, dayOfMonth, 2); break;
        case Field::DayName:
        case Field::DayNameShort: out += name(piece.field, day.dayOfWeek()); break;
        case Field::Month: appendDigits(out, month, 1); break;
        case Field::Month2: appendDigits(out, month, 2); break;
        case Field::MonthName:
        case Field::MonthNameShort: out += name(piece.field, month); break;
        case Field::DayOfYear: appendDigits(out, day.dayOfYear(), 1); break;
        case Field::Year2: appendDigits(out, year % 100, 2); break;
        case Field::Year2DayOfYear:
            appendDigits(out, year % 100, 2);
            appendDigits(out, day.dayOfYear(), 1);
            break;
        case Field::Year4: appendDigits(out, year, 4); break;
        case Field::ShortDate: out += EncodedText(regional_.shortDate(day), codePage_); break;
        }
    }
}

QString formatDatePattern(CalDate date, QStringView pattern, const RegionalSettings& regional)
{
    return DatePattern(pattern, regional).format(date);
}

namespace {
// Where a formatted probe's digits begin and end: the first digit, and the last one (before the
// first when there is none).
std::pair<qsizetype, qsizetype> digitSpan(const QString& text)
{
    qsizetype first = 0;
    while (first < text.size() && !text[first].isDigit())
        ++first;
    qsizetype last = text.size() - 1;
    while (last >= 0 && !text[last].isDigit())
        --last;
    return {first, last};
}

// Splits a formatted probe into the text before its first digit and after its last one.
void splitAroundDigits(const QString& text, QString& prefix, QString& suffix)
{
    const auto [first, last] = digitSpan(text);
    prefix = text.left(first);
    suffix = last >= first ? text.mid(last + 1) : QString();
}

// The places of a formatted whole number's group separators, as a set of bits: bit i stands for a
// separator with i digits to its right. The first separator found is kept in `separator`.
std::uint32_t separatorPlaces(const QString& text, QString& separator)
{
    const auto [first, last] = digitSpan(text);
    std::uint32_t places = 0;
    int digitsToTheRight = 0;
    for (qsizetype i = last; i >= first; --i) {
        if (text[i].isDigit()) {
            ++digitsToTheRight;
            continue;
        }
        qsizetype runStart = i;
        while (runStart > first && !text[runStart - 1].isDigit())
            --runStart;
        if (separator.isEmpty())
            separator = text.mid(runStart, i - runStart + 1);
        places |= std::uint32_t(1) << digitsToTheRight;
        i = runStart;
    }
    return places;
}
} // namespace

// QLocale keeps the currency layout to itself; formatting whole-number probes shows where the
// symbol and sign go and how digits are grouped, without carrying any amount through a double.
CurrencyPattern::CurrencyPattern(const RegionalSettings& regional, const CodePage* codePage)
    : decimalSeparator_(regional.decimalSeparator(), codePage)
{
    const QLocale& locale = regional.locale();
    QString prefix, suffix, separator;
    splitAroundDigits(locale.toCurrencyString(qlonglong(1234567)), prefix, suffix);
    positivePrefix_ = EncodedText(prefix, codePage);
    positiveSuffix_ = EncodedText(suffix, codePage);
    splitAroundDigits(locale.toCurrencyString(qlonglong(-1234567)), prefix, suffix);
    negativePrefix_ = EncodedText(prefix, codePage);
    negativeSuffix_ = EncodedText(suffix, codePage);
    // Where the separators go depends on the locale and on how many digits there are (groups of
    // three, of two above the first three, none in a four-digit amount): a probe of every length
    // gives each length's places.
    qulonglong probe = 1;
    for (std::size_t digits = 1; digits < separatorsAfter_.size(); ++digits, probe *= 10)
        separatorsAfter_[digits] = separatorPlaces(locale.toCurrencyString(probe), separator);
    groupSeparator_ = EncodedText(separator, codePage);
    const QString zero = locale.toCurrencyString(0.0);
    const qsizetype point = zero.lastIndexOf(regional.decimalSeparator());
    decimals_ = 0;
    for (qsizetype i = point + 1; point >= 0 && i < zero.size() && zero[i].isDigit(); ++i)
        ++decimals_;
}

template <typename Out>
void CurrencyPattern::append(Out& out, Money amount) const
{
    const int decimals = decimals_;
    const std::uint64_t scaled = amount.roundedMagnitude(decimals);
    const std::uint64_t unit = powerOfTen(decimals);
    const bool negative = amount.isNegative() && scaled != 0;
    out += negative ? negativePrefix_ : positivePrefix_;
    char digits[24];
    const auto count = int(std::to_chars(digits, digits + sizeof digits, scaled / unit).ptr - digits);
    const std::uint32_t separators = separatorsAfter_[std::size_t(count)];
    for (int i = 0; i < count; ++i) {
        out += digits[i];
        const int right = count - 1 - i;
        if (right > 0 && (separators >> right & 1) != 0)
            out += groupSeparator_;
    }
    if (decimals > 0) {
        out += decimalSeparator_;
        appendDigits(out, scaled % unit, decimals);
    }
    out += negative ? negativeSuffix_ : positiveSuffix_;
}

void CurrencyPattern::appendTo(Line& out, Money amount) const
{
    append(out, amount);
}

QString CurrencyPattern::format(Money amount) const
{
    QString text;
    TextOut out{text};
    append(out, amount);
    return text;
}

void putSlashesAt3And6(Line& line, Line::Mark start)
{
    line.put(start, 2, '/');
    line.put(start, 5, '/');
}

bool beginsInUpperCaseWith(std::string_view text, std::string_view upperCasePrefix)
{
    if (text.size() < upperCasePrefix.size())
        return false;
    for (std::size_t i = 0; i < upperCasePrefix.size(); ++i) {
        const char c = text[i];
        if ((c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c) != upperCasePrefix[i])
            return false;
    }
    return true;
}

} // namespace kn
