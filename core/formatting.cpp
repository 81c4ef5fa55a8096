#include "formatting.h"

#include "conversions.h"
#include "knerror.h"

#include <algorithm>
#include <limits>

namespace kn {

namespace {

QString twoDigits(int value)
{
    return QString::number(value).rightJustified(2, u'0');
}

} // namespace

QString formatNumber(Money amount, QStringView pattern, const RegionalSettings& regional)
{
    const qsizetype point = pattern.indexOf(u'.');
    const QStringView integerPart = point < 0 ? pattern : pattern.left(point);
    const int decimals = point < 0 ? 0 : int(pattern.size() - point - 1);
    const int minimumIntegerDigits = int(integerPart.count(u'0'));
    if (decimals > 4)
        throw KNError(ErrorCode::InvalidProcedureCall);

    const std::uint64_t scaled = amount.roundedMagnitude(decimals);
    std::uint64_t unit = 1;
    for (int i = 0; i < decimals; ++i)
        unit *= 10;

    // Digits are written backwards into one buffer, so a value costs one allocation: its text.
    const QString& separator = regional.decimalSeparator();
    std::uint64_t whole = scaled / unit;
    std::uint64_t fraction = scaled % unit;
    QString text(1 + std::max(20, minimumIntegerDigits) + separator.size() + decimals, Qt::Uninitialized);
    QChar* const end = text.data() + text.size();
    QChar* out = end;
    for (int i = 0; i < decimals; ++i, fraction /= 10)
        *--out = QChar(u'0' + char16_t(fraction % 10));
    if (decimals > 0) {
        out -= separator.size();
        std::copy(separator.begin(), separator.end(), out);
    }
    for (int digits = 0; whole != 0 || digits < minimumIntegerDigits; ++digits, whole /= 10)
        *--out = QChar(u'0' + char16_t(whole % 10));
    if (amount.isNegative() && scaled != 0)
        *--out = u'-';
    text.remove(0, out - text.data());
    return text;
}

QString plainDecimal(Money amount, const RegionalSettings& regional)
{
    const std::uint64_t magnitude = amount.magnitude();
    QString text = QString::number(magnitude / Money::UnitsPerWhole);
    if (const std::uint64_t fraction = magnitude % Money::UnitsPerWhole; fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, u'0');
        while (digits.endsWith(u'0'))
            digits.chop(1);
        text += regional.decimalSeparator() + digits;
    }
    if (amount.isNegative())
        text.prepend(u'-');
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

QString formatDatePattern(CalDate date, QStringView pattern, const RegionalSettings& regional)
{
    const QDate day = date.toQDate();
    if (pattern.isEmpty())
        return regional.shortDate(day);
    QString text;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar letter = pattern[i].toUpper();
        qsizetype run = 1;
        if (letter == u'D' || letter == u'M' || letter == u'Y') {
            while (i + run < pattern.size() && pattern[i + run].toUpper() == letter)
                ++run;
        }
        if (letter == u'D') {
            if (run == 1)
                text += QString::number(day.day());
            else if (run == 2)
                text += twoDigits(day.day());
            else
                text += regional.dayName(day.dayOfWeek(), run == 3);
        } else if (letter == u'M') {
            if (run == 1)
                text += QString::number(day.month());
            else if (run == 2)
                text += twoDigits(day.month());
            else
                text += regional.monthName(day.month(), run == 3);
        } else if (letter == u'Y') {
            // A run of three is read as a two-digit year followed by the day of the year.
            if (run == 1)
                text += QString::number(day.dayOfYear());
            else if (run == 2)
                text += twoDigits(day.year() % 100);
            else if (run == 3)
                text += twoDigits(day.year() % 100) + QString::number(day.dayOfYear());
            else
                text += QString::number(day.year()).rightJustified(4, u'0');
        } else if (pattern[i] == u'/') {
            text += regional.dateSeparator();
        } else {
            text += pattern[i];
        }
        i += run;
    }
    return text;
}

namespace {
QString withSlashesAt3And6(QString text)
{
    if (text.size() > 2)
        text[2] = u'/';
    if (text.size() > 5)
        text[5] = u'/';
    return text;
}
} // namespace

QString QBDateFormat(CalDate dtTheDate, const RegionalSettings& regional)
{
    return withSlashesAt3And6(formatDatePattern(dtTheDate, u"MM/DD/YY", regional));
}

QString JonasDateFormat(CalDate dtTheDate, const RegionalSettings& regional)
{
    return withSlashesAt3And6(formatDatePattern(dtTheDate, u"MM/DD/YYYY", regional));
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
