#include "conversions.h"

#include "knerror.h"

#include <QList>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

namespace kn {

namespace {

[[noreturn]] void typeMismatch()
{
    throw KNError(ErrorCode::TypeMismatch);
}

struct DateToken {
    QStringView text;
    bool numeric = false;
};

// Splits at "/", "-", "." and blanks (a comma may follow a month name: "Aug 25, 2014"). A
// numeric date must use one of "/", "-", "."; blanks separate only where a month name stands.
std::optional<QList<DateToken>> tokenize(QStringView text, bool& blankSeparated)
{
    QList<DateToken> tokens;
    blankSeparated = false;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype start = i;
        const bool digit = text[i].isDigit();
        while (i < text.size() && (digit ? text[i].isDigit() : text[i].isLetter()))
            ++i;
        if (i == start)
            return std::nullopt;
        tokens.append({text.mid(start, i - start), digit});
        if (i == text.size())
            break;
        const qsizetype separatorStart = i;
        if (text[i] == u'/' || text[i] == u'-' || text[i] == u'.') {
            ++i;
        } else {
            if (text[i] == u',')
                ++i;
            while (i < text.size() && text[i] == u' ')
                ++i;
            blankSeparated = true;
        }
        if (i == separatorStart || i == text.size())
            return std::nullopt;
    }
    return tokens;
}

int monthFromName(QStringView name, const RegionalSettings& regional)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    for (const QLocale* locale : {&regional.locale(), &english}) {
        for (int month = 1; month <= 12; ++month) {
            for (auto format : {QLocale::LongFormat, QLocale::ShortFormat}) {
                QString candidate = locale->monthName(month, format);
                if (candidate.endsWith(u'.'))
                    candidate.chop(1);
                if (name.compare(candidate, Qt::CaseInsensitive) == 0)
                    return month;
                candidate = locale->standaloneMonthName(month, format);
                if (candidate.endsWith(u'.'))
                    candidate.chop(1);
                if (name.compare(candidate, Qt::CaseInsensitive) == 0)
                    return month;
            }
        }
    }
    return 0;
}

// The value of at most four digits; 0 when one of them is not an ASCII digit (a digit of another
// script), as the C locale reads such a number.
int digitsValue(QStringView digits)
{
    int value = 0;
    for (const QChar digit : digits) {
        if (digit.unicode() < u'0' || digit.unicode() > u'9')
            return 0;
        value = value * 10 + (digit.unicode() - u'0');
    }
    return value;
}

int yearFrom(QStringView digits)
{
    const int value = digitsValue(digits);
    if (digits.size() <= 2)
        return value < 30 ? 2000 + value : 1900 + value;
    return value;
}

std::optional<QDate> makeDate(int year, int month, int day)
{
    if (year < 100 || year > 9999)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

using NumericFields = std::array<QStringView, 3>;

QDate numericDate(const NumericFields& fields, const RegionalSettings& regional)
{
    for (const auto& field : fields) {
        if (field.size() > 4)
            typeMismatch();
    }
    std::array<char, 3> order = regional.dateFieldOrder();
    if (fields[0].size() >= 3) {
        order = {'Y', 'M', 'D'};
    } else if (order[0] == 'Y' && fields[2].size() >= 3) {
        // A year-first region reading a text whose year stands last: day and month keep their
        // regional order in front of it.
        order = order[1] == 'M' ? std::array<char, 3>{'M', 'D', 'Y'} : std::array<char, 3>{'D', 'M', 'Y'};
    }
    int year = 0, month = 0, day = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const QStringView digits = fields[i];
        switch (order[i]) {
        case 'Y': year = yearFrom(digits); break;
        case 'M': month = digitsValue(digits); break;
        default: day = digitsValue(digits); break;
        }
    }
    if (auto date = makeDate(year, month, day))
        return *date;
    if (auto swapped = makeDate(year, day, month))
        return *swapped;
    typeMismatch();
}

QDate namedMonthDate(const QList<DateToken>& tokens, const RegionalSettings& regional)
{
    int month = 0;
    QList<QStringView> numbers;
    for (const auto& token : tokens) {
        if (token.numeric) {
            numbers.append(token.text);
        } else if (month == 0) {
            month = monthFromName(token.text, regional);
            if (month == 0)
                typeMismatch();
        } else {
            typeMismatch();
        }
    }
    if (month == 0 || numbers.size() != 2)
        typeMismatch();
    // The year is the number written with three or four digits, otherwise the later one.
    const bool yearFirst = numbers[0].size() >= 3 && numbers[1].size() <= 2;
    const QStringView yearText = yearFirst ? numbers[0] : numbers[1];
    const QStringView dayText = yearFirst ? numbers[1] : numbers[0];
    if (yearText.size() > 4 || dayText.size() > 2)
        typeMismatch();
    if (auto date = makeDate(yearFrom(yearText), month, digitsValue(dayText)))
        return *date;
    typeMismatch();
}

// Three runs of ASCII digits between single "/", "-" or "." separators, the shape nearly every
// payment line has; anything else goes to the tokenizer.
std::optional<NumericFields> plainNumericFields(QStringView text)
{
    NumericFields fields;
    qsizetype i = 0;
    for (std::size_t field = 0; field < fields.size(); ++field) {
        const qsizetype start = i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        if (i == start)
            return std::nullopt;
        fields[field] = text.mid(start, i - start);
        if (field + 1 < fields.size()) {
            if (i == text.size() || (text[i] != u'/' && text[i] != u'-' && text[i] != u'.'))
                return std::nullopt;
            ++i;
        }
    }
    if (i != text.size())
        return std::nullopt;
    return fields;
}

} // namespace

CalDate parseDateText(QStringView text, const RegionalSettings& regional)
{
    text = trimmedBlanks(text);
    if (const auto fields = plainNumericFields(text))
        return CalDate::fromQDate(numericDate(*fields, regional));
    bool blankSeparated = false;
    const auto tokens = tokenize(text, blankSeparated);
    if (!tokens || tokens->size() != 3)
        typeMismatch();
    const bool allNumeric = std::all_of(tokens->begin(), tokens->end(), [](const DateToken& t) { return t.numeric; });
    if (allNumeric && !blankSeparated)
        return CalDate::fromQDate(numericDate({(*tokens)[0].text, (*tokens)[1].text, (*tokens)[2].text}, regional));
    if (allNumeric)
        typeMismatch();
    return CalDate::fromQDate(namedMonthDate(*tokens, regional));
}

namespace {
bool allDigits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Regions write no-break spaces and tabs where a reader sees blanks: all become plain blanks.
QString withPlainBlanks(QStringView text)
{
    QString plain = text.toString();
    for (QChar& c : plain) {
        if (c == u'\u00A0' || c == u'\u202F' || c == u'\t')
            c = u' ';
    }
    return plain;
}

// The fraction of a day a time text stands for: "H:MM", "H:MM:SS", either with a 12-hour marker.
std::optional<double> timeOfDay(QStringView text, const RegionalSettings& regional)
{
    int afternoon = -1; // -1: a 24-hour time; 0: before noon; 1: after it
    const QLocale& locale = regional.locale();
    // A region's marker may hold blanks of its own ("p. m."): each is matched at the text's end.
    const std::pair<QString, int> markers[] = {{QStringLiteral("AM"), 0},
                                               {QStringLiteral("PM"), 1},
                                               {withPlainBlanks(locale.amText()), 0},
                                               {withPlainBlanks(locale.pmText()), 1}};
    for (const auto& [marker, half] : markers) {
        const qsizetype blank = text.size() - marker.size() - 1;
        if (!marker.isEmpty() && blank > 0 && text[blank] == u' ' && text.endsWith(marker, Qt::CaseInsensitive)) {
            afternoon = half;
            text = trimmedBlanks(text.first(blank));
            break;
        }
    }
    const auto parts = text.split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    int values[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QStringView part = parts[i];
        // One or two digits for the hour, two for the minutes and seconds.
        if (part.isEmpty() || part.size() > 2 || (i > 0 && part.size() != 2) || !allDigits(part))
            return std::nullopt;
        values[i] = part.toInt();
    }
    int hours = values[0];
    if (afternoon >= 0) {
        if (hours < 1 || hours > 12)
            return std::nullopt;
        hours = hours % 12 + 12 * afternoon;
    }
    if (hours > 23 || values[1] > 59 || values[2] > 59)
        return std::nullopt;
    return double(hours * 3600 + values[1] * 60 + values[2]) / 86400.0;
}
} // namespace

CalDate parseDateTimeText(QStringView original, const RegionalSettings& regional)
{
    const QString plain = withPlainBlanks(original);
    const QStringView text = trimmedBlanks(QStringView(plain));
    if (!text.contains(u':'))
        return parseDateText(text, regional);
    // The time begins after the last blank before its first ":"; its marker may follow it.
    const qsizetype colon = text.indexOf(u':');
    const qsizetype blank = text.first(colon).lastIndexOf(u' ');
    const auto time = timeOfDay(text.sliced(blank + 1), regional);
    if (!time)
        typeMismatch();
    if (blank < 0)
        return CalDate(*time);
    return CalDate::fromQDate(parseDateText(text.first(blank), regional).toQDate(), *time);
}

Money parseMoney(std::string_view text, std::string_view separator)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto allDigits = [&](std::string_view digits) { return std::all_of(digits.begin(), digits.end(), isDigit); };
    const std::size_t first = text.find_first_not_of(' ');
    text = first == std::string_view::npos ? std::string_view() : text.substr(first, text.find_last_not_of(' ') - first + 1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::string_view whole = text;
    std::string_view fraction;
    if (const std::size_t point = separator.empty() ? std::string_view::npos : text.find(separator);
        point != std::string_view::npos) {
        whole = text.substr(0, point);
        fraction = text.substr(point + separator.size());
    }
    if ((whole.empty() && fraction.empty()) || !allDigits(whole) || !allDigits(fraction))
        typeMismatch();

    // Accumulate the magnitude in units of 1/10000, rounding half to even past four decimals.
    constexpr std::uint64_t limit = std::uint64_t(std::numeric_limits<std::int64_t>::max()) + 1;
    std::uint64_t units = 0;
    const auto overflow = [] { throw KNError(ErrorCode::Overflow); };
    for (const char c : whole) {
        if (units > (limit - std::uint64_t(c - '0')) / 10)
            overflow();
        units = units * 10 + std::uint64_t(c - '0');
    }
    if (units > limit / Money::UnitsPerWhole)
        overflow();
    units *= Money::UnitsPerWhole;
    std::uint64_t scale = Money::UnitsPerWhole / 10;
    for (std::size_t i = 0; i < fraction.size() && i < 4; ++i, scale /= 10)
        units += std::uint64_t(fraction[i] - '0') * scale;
    if (fraction.size() > 4) {
        const int firstDropped = fraction[4] - '0';
        const bool restNonZero = std::any_of(fraction.begin() + 5, fraction.end(), [](char c) { return c != '0'; });
        if (firstDropped > 5 || (firstDropped == 5 && (restNonZero || units % 2 == 1)))
            ++units;
    }
    if (units > limit || (units == limit && !negative))
        overflow();
    const auto value = std::int64_t(units == limit ? std::numeric_limits<std::int64_t>::min() : std::int64_t(units));
    return Money::fromUnits(negative && units != limit ? -value : value);
}

namespace {
QString slashedDate(CalDate date, const RegionalSettings& regional, int yearDigits)
{
    const QDate day = date.toQDate();
    const auto digits = [](int value, int width) { return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0')); };
    QString text = digits(day.month(), 2) + regional.dateSeparator() + digits(day.day(), 2) + regional.dateSeparator() +
                   digits(yearDigits == 2 ? day.year() % 100 : day.year(), yearDigits);
    for (const qsizetype at : {2, 5}) {
        if (text.size() > at)
            text[at] = u'/';
    }
    return text;
}
} // namespace

QString QBDateFormat(CalDate dtTheDate, const RegionalSettings& regional)
{
    return slashedDate(dtTheDate, regional, 2);
}

QString JonasDateFormat(CalDate dtTheDate, const RegionalSettings& regional)
{
    return slashedDate(dtTheDate, regional, 4);
}

Money parseMoneyText(QStringView text, const RegionalSettings& regional)
{
    // Digits, signs and blanks are ASCII: the text and the separator are read as UTF-8 bytes.
    return parseMoney(text.toUtf8().toStdString(), regional.decimalSeparator().toUtf8().toStdString());
}

} // namespace kn
