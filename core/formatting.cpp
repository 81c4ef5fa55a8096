#include "formatting.h"

#include "conversions.h"
#include "knerror.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

namespace kn {

namespace {
constexpr std::uint64_t powerOfTen(int exponent)
{
    return exponent == 0 ? 1 : 10 * powerOfTen(exponent - 1);
}

// The number's decimal text with "0"s in front up to minimumWidth characters: what
// QString::number(value).rightJustified(minimumWidth, '0') gives.
template <typename Text, typename Integer>
void appendDigits(Text& out, Integer value, int minimumWidth)
{
    char digits[24];
    const char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (auto n = end - digits; n < minimumWidth; ++n)
        out += u'0';
    out += QLatin1String(digits, end - digits);
}
} // namespace

NumberPattern::NumberPattern(QStringView pattern, const RegionalSettings& regional)
    : decimalSeparator_(regional.decimalSeparator())
{
    const qsizetype point = pattern.indexOf(u'.');
    const QStringView integerPart = point < 0 ? pattern : pattern.left(point);
    decimals_ = point < 0 ? 0 : int(pattern.size() - point - 1);
    minimumIntegerDigits_ = int(integerPart.count(u'0'));
    if (decimals_ > 4)
        throw KNError(ErrorCode::InvalidProcedureCall);
}

void NumberPattern::appendTo(QString& out, Money amount) const
{
    append(out, amount);
}

void NumberPattern::appendTo(LineBuffer& out, Money amount) const
{
    append(out, amount);
}


template <typename Text>
void NumberPattern::append(Text& out, Money amount) const
{
    const std::uint64_t unit = powerOfTen(decimals_);
    const std::uint64_t scaled = amount.roundedMagnitude(decimals_);
    if (amount.isNegative() && scaled != 0)
        out += u'-';
    // "#" digits write nothing for a zero integer part (".50" in "#.00").
    if (scaled / unit != 0 || minimumIntegerDigits_ > 0)
        appendDigits(out, scaled / unit, minimumIntegerDigits_);
    if (decimals_ > 0) {
        out += decimalSeparator_;
        appendDigits(out, scaled % unit, decimals_);
    }
}

QString NumberPattern::format(Money amount) const
{
    QString text;
    appendTo(text, amount);
    return text;
}

QString formatNumber(Money amount, QStringView pattern, const RegionalSettings& regional)
{
    return NumberPattern(pattern, regional).format(amount);
}

namespace {
template <typename Text>
void appendPlainDecimalTo(Text& out, Money amount, const RegionalSettings& regional)
{
    const std::uint64_t magnitude = amount.magnitude();
    if (amount.isNegative())
        out += u'-';
    appendDigits(out, std::int64_t(magnitude / Money::UnitsPerWhole), 1);
    std::uint64_t fraction = magnitude % Money::UnitsPerWhole;
    if (fraction == 0)
        return;
    out += regional.decimalSeparator();
    char16_t digits[4];
    for (int i = 3; i >= 0; --i, fraction /= 10)
        digits[i] = char16_t(u'0' + fraction % 10);
    int kept = 4;
    while (digits[kept - 1] == u'0')
        --kept;
    out += QStringView(digits, kept);
}
} // namespace

void appendPlainDecimal(QString& out, Money amount, const RegionalSettings& regional)
{
    appendPlainDecimalTo(out, amount, regional);
}

void appendPlainDecimal(LineBuffer& out, Money amount, const RegionalSettings& regional)
{
    appendPlainDecimalTo(out, amount, regional);
}

QString plainDecimal(Money amount, const RegionalSettings& regional)
{
    QString text;
    appendPlainDecimal(text, amount, regional);
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

DatePattern::DatePattern(QStringView pattern, const RegionalSettings& regional) : regional_(regional)
{
    if (pattern.isEmpty()) {
        pieces_.push_back({Field::ShortDate, {}});
        return;
    }
    const auto addText = [this](QStringView text) {
        if (pieces_.empty() || pieces_.back().field != Field::Text)
            pieces_.push_back({Field::Text, {}});
        pieces_.back().text += text;
    };
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar letter = pattern[i].toUpper();
        qsizetype run = 1;
        if (letter == u'D' || letter == u'M' || letter == u'Y') {
            while (i + run < pattern.size() && pattern[i + run].toUpper() == letter)
                ++run;
        }
        if (letter == u'D') {
            pieces_.push_back({run == 1 ? Field::Day : run == 2 ? Field::Day2 : run == 3 ? Field::DayNameShort : Field::DayName, {}});
        } else if (letter == u'M') {
            pieces_.push_back({run == 1 ? Field::Month : run == 2 ? Field::Month2 : run == 3 ? Field::MonthNameShort : Field::MonthName, {}});
        } else if (letter == u'Y') {
            // A run of three is read as a two-digit year followed by the day of the year.
            pieces_.push_back({run == 1 ? Field::DayOfYear : run == 2 ? Field::Year2 : run == 3 ? Field::Year2DayOfYear : Field::Year4, {}});
        } else if (pattern[i] == u'/') {
            addText(regional.dateSeparator());
        } else {
            addText(pattern.sliced(i, 1));
        }
        i += run;
    }
}

void DatePattern::appendTo(QString& out, CalDate date) const
{
    out += textOf(date);
}

void DatePattern::appendTo(LineBuffer& out, CalDate date) const
{
    out += textOf(date);
}

QStringView DatePattern::textOf(CalDate date) const
{
    if (!hasLast_ || date != lastDate_) {
        lastText_.resize(0);
        appendFields(lastText_, date);
        lastDate_ = date;
        hasLast_ = true;
    }
    return lastText_;
}

void DatePattern::appendFields(QString& out, CalDate date) const
{
    const QDate day = date.toQDate();
    int year = 0, month = 0, dayOfMonth = 0;
    day.getDate(&year, &month, &dayOfMonth);
    for (const Piece& piece : pieces_) {
        switch (piece.field) {
        case Field::Text: out += piece.text; break;
        case Field::Day: appendDigits(out, dayOfMonth, 1); break;
        case Field::Day2: appendDigits(out, dayOfMonth, 2); break;
        case Field::DayName: out += regional_.dayName(day.dayOfWeek(), false); break;
        case Field::DayNameShort: out += regional_.dayName(day.dayOfWeek(), true); break;
        case Field::Month: appendDigits(out, month, 1); break;
        case Field::Month2: appendDigits(out, month, 2); break;
        case Field::MonthName: out += regional_.monthName(month, false); break;
        case Field::MonthNameShort: out += regional_.monthName(month, true); break;
        case Field::DayOfYear: appendDigits(out, day.dayOfYear(), 1); break;
        case Field::Year2: appendDigits(out, year % 100, 2); break;
        case Field::Year2DayOfYear:
            appendDigits(out, year % 100, 2);
            appendDigits(out, day.dayOfYear(), 1);
            break;
        case Field::Year4: appendDigits(out, year, 4); break;
        case Field::ShortDate: out += regional_.shortDate(day); break;
        }
    }
}

QString DatePattern::format(CalDate date) const
{
    QString text;
    appendTo(text, date);
    return text;
}

QString formatDatePattern(CalDate date, QStringView pattern, const RegionalSettings& regional)
{
    return DatePattern(pattern, regional).format(date);
}

namespace {
template <typename Text>
void putSlashes(Text& text, qsizetype start)
{
    if (text.size() > start + 2)
        text.begin()[start + 2] = u'/';
    if (text.size() > start + 5)
        text.begin()[start + 5] = u'/';
}
} // namespace

void putSlashesAt3And6(QString& text, qsizetype start)
{
    putSlashes(text, start);
}

void putSlashesAt3And6(LineBuffer& text, qsizetype start)
{
    putSlashes(text, start);
}

QString QBDateFormat(CalDate dtTheDate, const RegionalSettings& regional)
{
    QString text = formatDatePattern(dtTheDate, u"MM/DD/YY", regional);
    putSlashesAt3And6(text, 0);
    return text;
}

QString JonasDateFormat(CalDate dtTheDate, const RegionalSettings& regional)
{
    QString text = formatDatePattern(dtTheDate, u"MM/DD/YYYY", regional);
    putSlashesAt3And6(text, 0);
    return text;
}

QString FixedWidth(const QString& text, int width)
{
    if (width < 0)
        throw KNError(ErrorCode::InvalidProcedureCall);
    return text.size() < width ? text.leftJustified(width, u' ') : text.left(width);
}

QString PadLeft(const QString& text, int width, const QString& fill)
{
    if (width < 0 || fill.isEmpty())
        throw KNError(ErrorCode::InvalidProcedureCall);
    if (trimBlanks(text).size() >= width)
        return text;
    return (QString(width, fill[0]) + text).right(width);
}

short CountChar(QStringView text, QChar character)
{
    const auto wanted = char16_t(character.unicode() & 0xFF);
    short count = 0;
    for (QChar c : text) {
        if ((c.unicode() & 0xFF) == wanted) {
            if (count == std::numeric_limits<short>::max())
                throw KNError(ErrorCode::Overflow);
            ++count;
        }
    }
    return count;
}

bool beginsInUpperCaseWith(TextView text, QStringView upperCasePrefix)
{
    if (text.size() < upperCasePrefix.size())
        return false;
    for (qsizetype i = 0; i < upperCasePrefix.size(); ++i) {
        if (text[i].toUpper() != upperCasePrefix[i])
            return false;
    }
    return true;
}

QString trimBlanks(QStringView text)
{
    return trimmedBlanks(text).toString();
}

QString quoted(QStringView text)
{
    return u'"' + text.toString() + u'"';
}

QStringList splitSegments(QStringView text, QChar separator, int maxParts)
{
    QStringList parts;
    qsizetype start = 0;
    while (parts.size() + 1 < maxParts) {
        const qsizetype cut = text.indexOf(separator, start);
        if (cut < 0)
            break;
        parts << text.mid(start, cut - start).toString();
        start = cut + 1;
    }
    parts << text.mid(start).toString();
    return parts;
}

} // namespace kn
