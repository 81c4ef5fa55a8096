#include "regional.h"

#include <algorithm>
#include <utility>

namespace kn {

namespace {

QString separatorOf(const QString& pattern)
{
    qsizetype i = 0;
    while (i < pattern.size() && !pattern[i].isLetter())
        ++i;
    while (i < pattern.size() && pattern[i].isLetter())
        ++i;
    const qsizetype start = i;
    while (i < pattern.size() && !pattern[i].isLetter() && pattern[i] != u'\'')
        ++i;
    return i > start ? pattern.mid(start, i - start) : QStringLiteral("/");
}

std::array<char, 3> fieldOrderOf(const QString& pattern)
{
    std::array<char, 3> order{};
    std::size_t found = 0;
    for (QChar c : pattern) {
        char field = 0;
        if (c == u'd')
            field = 'D';
        else if (c == u'M' || c == u'L')
            field = 'M';
        else if (c == u'y')
            field = 'Y';
        if (field != 0 && found < order.size() && std::find(order.begin(), order.begin() + found, field) == order.begin() + found)
            order[found++] = field;
    }
    if (found < order.size())
        return {'M', 'D', 'Y'};
    return order;
}

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

// Qt's short formats keep two-digit years ("M/d/yy"), losing the century a payment's date needs; a
// lone "yy" becomes "yyyy", the form regional short dates take on the desktops this tool serves.
// Quoted literal text is left as it is.
QString withFullYear(const QString& pattern)
{
    QString widened;
    widened.reserve(pattern.size() + 2);
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == u'\'') {
            quoted = !quoted;
            widened += c;
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        widened += pattern.mid(i, run);
        if (!quoted && c == u'y' && run == 2)
            widened += QStringLiteral("yy");
        i += run;
    }
    return widened;
}

} // namespace

namespace {
// A process started without regional settings (LANG=C) gets the "C" locale, whose short date
// "d MMM yyyy" no accounting package reads; such a user gets the settings of en_US instead.
QLocale systemLocale()
{
    const QLocale system = QLocale::system();
    return system.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : system;
}
} // namespace

RegionalSettings::RegionalSettings() : RegionalSettings(systemLocale()) {}

RegionalSettings::RegionalSettings(const QLocale& locale)
    : locale_(locale),
      shortDatePattern_(withFullYear(locale.dateFormat(QLocale::ShortFormat))),
      dateSeparator_(separatorOf(shortDatePattern_)),
      dateFieldOrder_(fieldOrderOf(shortDatePattern_)),
      decimalSeparator_(locale.decimalPoint())
{
    // QLocale keeps the currency layout to itself; formatting whole-number probes shows where the
    // symbol and sign go and how digits are grouped, without carrying any amount through a double.
    splitAroundDigits(locale.toCurrencyString(qlonglong(1234567)), currency_.positivePrefix,
                      currency_.positiveSuffix);
    splitAroundDigits(locale.toCurrencyString(qlonglong(-1234567)), currency_.negativePrefix,
                      currency_.negativeSuffix);
    // Where the separators go depends on the locale and on how many digits there are (groups of
    // three, of two above the first three, none in a four-digit amount): a probe of every length
    // gives each length's places.
    qulonglong probe = 1;
    for (std::size_t digits = 1; digits < currency_.separatorsAfter.size(); ++digits, probe *= 10)
        currency_.separatorsAfter[digits] = separatorPlaces(locale.toCurrencyString(probe), currency_.groupSeparator);
    const QString zero = locale.toCurrencyString(0.0);
    const qsizetype point = zero.lastIndexOf(decimalSeparator_);
    int decimals = 0;
    for (qsizetype i = point + 1; point >= 0 && i < zero.size() && zero[i].isDigit(); ++i)
        ++decimals;
    currency_.decimals = decimals;
}

QString RegionalSettings::monthName(int month, bool abbreviated) const
{
    return locale_.monthName(month, abbreviated ? QLocale::ShortFormat : QLocale::LongFormat);
}

QString RegionalSettings::dayName(int dayOfWeek, bool abbreviated) const
{
    return locale_.dayName(dayOfWeek, abbreviated ? QLocale::ShortFormat : QLocale::LongFormat);
}

QString RegionalSettings::shortDate(QDate date) const
{
    return locale_.toString(date, shortDatePattern_);
}

} // namespace kn
