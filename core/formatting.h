#pragma once

#include "caldate.h"
#include "linebuffer.h"
#include "money.h"
#include "regional.h"
#include "textview.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace kn {

// A number pattern read once, for writers that format many amounts in it; formatNumber below
// is this pattern used once.
class NumberPattern {
public:
    // More than four decimals fail with Invalid procedure call (5).
    NumberPattern(QStringView pattern, const RegionalSettings& regional);
    void appendTo(QString& out, Money amount) const;
    void appendTo(LineBuffer& out, Money amount) const;
    QString format(Money amount) const;

private:
    template <typename Text>
    void append(Text& out, Money amount) const;
    QString decimalSeparator_;
    int decimals_ = 0;
    int minimumIntegerDigits_ = 0;
};

// A date pattern read once, for writers that format many dates in it; formatDatePattern below
// is this pattern used once.
class DatePattern {
public:
    DatePattern(QStringView pattern, const RegionalSettings& regional);
    void appendTo(QString& out, CalDate date) const;
    void appendTo(LineBuffer& out, CalDate date) const;
    QString format(CalDate date) const;

private:
    enum class Field : std::uint8_t {
        Text, Day, Day2, DayName, DayNameShort, Month, Month2, MonthName, MonthNameShort,
        DayOfYear, Year2, Year2DayOfYear, Year4, ShortDate,
    };
    struct Piece {
        Field field;
        QString text;
    };
    // The date's text, valid until the next date is asked for.
    QStringView textOf(CalDate date) const;
    void appendFields(QString& out, CalDate date) const;
    const RegionalSettings& regional_;
    std::vector<Piece> pieces_;
    // Payments come in runs of the same date: the last date written and its text.
    mutable CalDate lastDate_;
    mutable QString lastText_;
    mutable bool hasLast_ = false;
};

// An amount in a number pattern: "0" a mandatory digit, "#" an optional one, "." the regional
// decimal separator ("0.00", "########0.00", "#.00", "000"). Rounded half away from zero to the
// pattern's decimals, never grouped, "-" in front of a negative value.
QString formatNumber(Money amount, QStringView pattern, const RegionalSettings& regional);

// An amount in its shortest plain form: "-" when negative, the integer digits, and the regional
// decimal separator with the fraction's digits only when the fraction is not zero ("1234.5").
QString plainDecimal(Money amount, const RegionalSettings& regional);
void appendPlainDecimal(QString& out, Money amount, const RegionalSettings& regional);
void appendPlainDecimal(LineBuffer& out, Money amount, const RegionalSettings& regional);

// A text that reads as a number in a number pattern ("7" in "000" gives "007"); any other text
// comes back unchanged.
QString formatNumericText(const QString& text, QStringView pattern, const RegionalSettings& regional);

// A date in a date pattern: runs of D, M and Y in either case stand for day, weekday, month
// and year, "/" for the regional date separator, every other character is copied. An empty
// pattern gives the regional short date.
QString formatDatePattern(CalDate date, QStringView pattern, const RegionalSettings& regional);

// Puts "/" at the third and sixth characters of the text from `start` on, where it has them: a
// month/day/year date in the regional order with "/" whatever the regional separator.
void putSlashesAt3And6(QString& text, qsizetype start);
void putSlashesAt3And6(LineBuffer& text, qsizetype start);
// Month/day/two-digit year with "/" between them whatever the region ("08/25/14").
QString QBDateFormat(CalDate dtTheDate, const RegionalSettings& regional);
// Month/day/four-digit year with "/" between them whatever the region ("08/25/2014").
QString JonasDateFormat(CalDate dtTheDate, const RegionalSettings& regional);

// The text left-aligned in a field of `width` characters: filled with blanks or cut.
QString FixedWidth(const QString& text, int width);
// The text right-aligned in `width` characters filled with the first character of `fill`; a text
// whose trimmed length already reaches `width` comes back unchanged.
QString PadLeft(const QString& text, int width, const QString& fill);
// How many characters of the text equal `character` (compared on their low eight bits).
short CountChar(QStringView text, QChar character);

// Whether the text begins with `upperCasePrefix` when each of its characters is upper-cased
// ("Bank of X" begins with "BANK").
bool beginsInUpperCaseWith(TextView text, QStringView upperCasePrefix);

// trimmedBlanks as a text of its own.
QString trimBlanks(QStringView text);

// The text between double quotes, written as it is: a quote inside is not doubled.
QString quoted(QStringView text);

// The text cut at `separator` into at most `maxParts` parts; the last part keeps the rest of the
// text, further separators included ("A|B|C" in two parts gives "A" and "B|C").
QStringList splitSegments(QStringView text, QChar separator, int maxParts);

} // namespace kn
