#include "promptchecks.h"

#include "core/knerror.h"
#include "core/textfile.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>

namespace kn {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int digitInRadix(QChar c, int radix)
{
    const char16_t u = c.toUpper().unicode();
    int digit = -1;
    if (u >= u'0' && u <= u'9')
        digit = u - u'0';
    else if (u >= u'A' && u <= u'F')
        digit = 10 + (u - u'A');
    return digit < radix ? digit : -1;
}

std::optional<double> finite(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

// The value of a C-style decimal number; empty when it is too large to hold (a number too small to
// hold is 0).
std::optional<double> decimalValue(const QByteArray& number)
{
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    errno = 0;
    const double value = strtod_l(number.constData(), nullptr, cLocale);
    if (errno == ERANGE && std::isinf(value))
        return std::nullopt;
    return finite(value);
}

std::optional<double> wholeNumberInRadix(QStringView digits, int radix)
{
    double value = 0;
    for (QChar c : digits) {
        const int digit = digitInRadix(c, radix);
        if (digit < 0)
            break;
        value = value * radix + digit;
    }
    return finite(value);
}

// Reads `token` at `position` and moves past it.
bool take(QStringView text, qsizetype& position, QStringView token)
{
    if (token.isEmpty() || !text.mid(position).startsWith(token))
        return false;
    position += token.size();
    return true;
}

// Blanks, tabs and the no-break spaces that some regions put between an amount and its symbol.
bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

void skipBlanks(QStringView text, qsizetype& position)
{
    while (position < text.size() && isBlank(text[position]))
        ++position;
}

struct NumberSymbols {
    QString decimal, group, currency, minus, plus;
};

bool takeSign(QStringView text, qsizetype& position, const NumberSymbols& symbols)
{
    return take(text, position, u"-") || take(text, position, u"+") || take(text, position, symbols.minus) ||
           take(text, position, symbols.plus);
}

bool takeGroupSeparator(QStringView text, qsizetype& position, const NumberSymbols& symbols)
{
    if (take(text, position, symbols.group))
        return true;
    // A region that groups with a kind of space accepts any kind of space there.
    const bool groupsWithSpace = symbols.group.size() == 1 && symbols.group[0].isSpace();
    if (groupsWithSpace && position < text.size() && text[position].category() == QChar::Separator_Space) {
        ++position;
        return true;
    }
    return false;
}

} // namespace

std::optional<double> numericValue(QStringView text)
{
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n')
            kept += c;
    }
    const QStringView s(kept);
    if (s.size() >= 2 && s[0] == u'&') {
        const QChar radixLetter = s[1].toUpper();
        if (radixLetter == u'H')
            return wholeNumberInRadix(s.mid(2), 16);
        if (radixLetter == u'O')
            return wholeNumberInRadix(s.mid(2), 8);
    }

    QByteArray number;
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
        number += char(s[i++].unicode());
    int mantissaDigits = 0;
    while (i < s.size() && isAsciiDigit(s[i])) {
        number += char(s[i++].unicode());
        ++mantissaDigits;
    }
    if (i < s.size() && s[i] == u'.') {
        number += '.';
        ++i;
        while (i < s.size() && isAsciiDigit(s[i])) {
            number += char(s[i++].unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return 0.0;
    if (i < s.size() && (s[i].toUpper() == u'E' || s[i].toUpper() == u'D')) {
        qsizetype j = i + 1;
        QByteArray exponent = "e";
        if (j < s.size() && (s[j] == u'-' || s[j] == u'+'))
            exponent += char(s[j++].unicode());
        int exponentDigits = 0;
        while (j < s.size() && isAsciiDigit(s[j])) {
            exponent += char(s[j++].unicode());
            ++exponentDigits;
        }
        if (exponentDigits > 0)
            number += exponent;
    }
    return decimalValue(number);
}

bool isRegionalNumber(QStringView text, const RegionalSettings& regional)
{
    const QLocale& locale = regional.locale();
    const NumberSymbols symbols{locale.decimalPoint(), locale.groupSeparator(), locale.currencySymbol(),
                                locale.negativeSign(), locale.positiveSign()};
    qsizetype i = 0;
    bool hasSign = false;
    bool hasCurrency = false;
    skipBlanks(text, i);
    // A sign and a currency symbol may stand in front, in either order.
    for (int round = 0; round < 2; ++round) {
        if (!hasSign && takeSign(text, i, symbols)) {
            hasSign = true;
        } else if (!hasCurrency && take(text, i, symbols.currency)) {
            hasCurrency = true;
            skipBlanks(text, i);
        }
    }
    int digits = 0;
    while (i < text.size()) {
        if (isAsciiDigit(text[i])) {
            ++digits;
            ++i;
        } else if (digits == 0 || !takeGroupSeparator(text, i, symbols)) {
            break;
        }
    }
    if (take(text, i, symbols.decimal)) {
        while (i < text.size() && isAsciiDigit(text[i])) {
            ++digits;
            ++i;
        }
    }
    if (digits == 0)
        return false;
    if (i < text.size() && text[i].toUpper() == u'E') {
        ++i;
        if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
            ++i;
        int exponentDigits = 0;
        while (i < text.size() && isAsciiDigit(text[i])) {
            ++exponentDigits;
            ++i;
        }
        if (exponentDigits == 0)
            return false;
    }
    // And behind, again in either order.
    skipBlanks(text, i);
    for (int round = 0; round < 2; ++round) {
        if (!hasCurrency && take(text, i, symbols.currency)) {
            hasCurrency = true;
            skipBlanks(text, i);
        } else if (!hasSign && takeSign(text, i, symbols)) {
            hasSign = true;
            skipBlanks(text, i);
        }
    }
    return i == text.size();
}

FiscalChoices fiscalChoicesFor(QDate today)
{
    FiscalChoices choices;
    const int year = today.year();
    for (int offset = 3; offset >= -3; --offset)
        choices.years << QString::number(year + offset).right(4);
    for (int period = 1; period <= 15; ++period)
        choices.periods << QString::number(period);
    choices.year = QString::number(year);
    choices.period = QString::number(today.month());
    return choices;
}

FiscalCheck checkFiscalAnswer(const QStringList& years, const QString& year, const QStringList& periods,
                              const QString& period)
{
    if (years.isEmpty())
        return FiscalCheck::YearUnreadable;
    const auto yearValue = numericValue(year);
    const auto highestYear = numericValue(years.first());
    const auto lowestYear = numericValue(years.last());
    if (!yearValue || !highestYear || !lowestYear)
        return FiscalCheck::YearUnreadable;
    if (*yearValue > *highestYear || *yearValue < *lowestYear)
        return FiscalCheck::InvalidYear;

    if (periods.isEmpty())
        return FiscalCheck::PeriodUnreadable;
    const auto periodValue = numericValue(period);
    const auto lowestPeriod = numericValue(periods.first());
    const auto highestPeriod = numericValue(periods.last());
    if (!periodValue || !lowestPeriod || !highestPeriod)
        return FiscalCheck::PeriodUnreadable;
    if (*periodValue < *lowestPeriod || *periodValue > *highestPeriod)
        return FiscalCheck::InvalidPeriod;
    return FiscalCheck::Accepted;
}

PromptMessage fiscalMessage(FiscalCheck check)
{
    const QString what = check == FiscalCheck::InvalidYear ? QStringLiteral("Invalid fiscal year.")
                                                           : QStringLiteral("Invalid fiscal period.");
    return PromptMessage{kApplicationTitle, what + QStringLiteral("\r\nPlease try again."),
                         PromptMessage::Buttons::OkCancel, PromptMessage::Icon::Information};
}

InstitutionNumberCheck checkInstitutionNumber(const QString& text, const RegionalSettings& regional)
{
    if (text.isEmpty() || text == QLatin1String(" "))
        return InstitutionNumberCheck::Missing;
    if (text.size() >= 20)
        return InstitutionNumberCheck::TooLong;
    if (!isRegionalNumber(text, regional))
        return InstitutionNumberCheck::NotNumeric;
    return InstitutionNumberCheck::Accepted;
}

PromptMessage institutionNumberMessage(InstitutionNumberCheck check)
{
    switch (check) {
    case InstitutionNumberCheck::Missing:
        return {QStringLiteral("Missing Institution Number"), QStringLiteral("Please enter an Institution Number")};
    case InstitutionNumberCheck::TooLong:
        return {QStringLiteral("Invalid Institution Number"),
                QStringLiteral("Please enter an Institution Number that contains fewer than 20 characters")};
    case InstitutionNumberCheck::NotNumeric:
    case InstitutionNumberCheck::Accepted:
        break;
    }
    return {QStringLiteral("Invalid Institution Number"), QStringLiteral("Please enter a numeric Institution Number")};
}

void writeInstitutionNumberFile(const QString& path, const QString& number, const CodePage& codePage)
{
    // The file takes its name only once complete: half a file would read as a number never accepted.
    TextFileWriter file(path);
    const QByteArray bytes = codePage.encode(number);
    file.writeLine(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    file.close();
}

} // namespace kn
