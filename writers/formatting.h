#pragma once

#include "core/caldate.h"
#include "core/conversions.h"
#include "core/money.h"
#include "core/pagetext.h"
#include "core/regional.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace kn {

// The patterns below are read once for the many amounts and dates a writer formats. Made with a
// code page, they write into a Line, their region's texts encoded once (appendTo needs the page);
// any of them formats to a QString.

class NumberPattern {
public:
    // More than four decimals fail with Invalid procedure call (5).
    NumberPattern(QStringView pattern, const RegionalSettings& regional, const CodePage* codePage = nullptr);
    void appendTo(Line& out, Money amount) const;
    QString format(Money amount) const;

private:
    template <typename Out>
    void append(Out& out, Money amount) const;
    EncodedText decimalSeparator_;
    int decimals_ = 0;
    int minimumIntegerDigits_ = 0;
};

class DatePattern {
public:
    DatePattern(QStringView pattern, const RegionalSettings& regional, const CodePage* codePage = nullptr);
    void appendTo(Line& out, CalDate date) const;
    QString format(CalDate date) const;

private:
    enum class Field : std::uint8_t {
        Text, Day, Day2, DayName, DayNameShort, Month, Month2, MonthName, MonthNameShort,
        DayOfYear, Year2, Year2DayOfYear, Year4, ShortDate,
    };
    struct Piece {
        Field field;
        EncodedText text;
    };
    template <typename Out>
    void appendFields(Out& out, CalDate date) const;
    const EncodedText& name(Field field, int number) const;
    const RegionalSettings& regional_;
    const CodePage* codePage_;
    std::vector<Piece> pieces_;
    // The names the pattern writes, by field and month (1-12) or weekday (1-7), made on first use.
    mutable std::vector<std::pair<std::pair<Field, int>, EncodedText>> names_;
    // Payments come in runs of the same date: the last date written and its text.
    mutable CalDate lastDate_;
    mutable std::optional<Line> last_;
};

// An amount in the region's "currency" money format: symbol at its position, grouped digits, the
// region's number of currency decimals (rounded half away from zero).
class CurrencyPattern {
public:
    explicit CurrencyPattern(const RegionalSettings& regional, const CodePage* codePage = nullptr);
    void appendTo(Line& out, Money amount) const;
    QString format(Money amount) const;

private:
    template <typename Out>
    void append(Out& out, Money amount) const;
    EncodedText positivePrefix_, positiveSuffix_, negativePrefix_, negativeSuffix_, groupSeparator_, decimalSeparator_;
    // For a whole part of each length (up to the twenty digits an unsigned 64-bit count can have),
    // the places of its separators: bit i for a separator with i digits to its right.
    std::array<std::uint32_t, 21> separatorsAfter_{};
    int decimals_ = 2;
};

// An amount in a number pattern: "0" a mandatory digit, "#" an optional one, "." the regional
// decimal separator ("0.00", "########0.00", "#.00", "000"). Rounded half away from zero to the
// pattern's decimals, never grouped, "-" in front of a negative value.
QString formatNumber(Money amount, QStringView pattern, const RegionalSettings& regional);

// An amount in its shortest plain form: "-" when negative, the integer digits, and the regional
// decimal separator with the fraction's digits only when the fraction is not zero ("1234.5").
QString plainDecimal(Money amount, const RegionalSettings& regional);
// The same into a line, the separator given encoded.
void appendPlainDecimal(Line& out, Money amount, const EncodedText& decimalSeparator);

// A text that reads as a number in a number pattern ("7" in "000" gives "007"); any other text
// comes back unchanged.
QString formatNumericText(const QString& text, QStringView pattern, const RegionalSettings& regional);

// A date in a date pattern: runs of D, M and Y in either case stand for day, weekday, month
// and year, "/" for the regional date separator, every other character is copied. An empty
// pattern gives the regional short date.
QString formatDatePattern(CalDate date, QStringView pattern, const RegionalSettings& regional);

// Puts "/" at the third and sixth bytes of the line from `start` on, where it has them: a
// month/day/year date in the regional order with "/" whatever the regional separator.
void putSlashesAt3And6(Line& line, Line::Mark start);
// Whether the text begins with `upperCasePrefix`, an ASCII text, when each of its characters is
// upper-cased ("Bank of X" begins with "BANK").
bool beginsInUpperCaseWith(std::string_view text, std::string_view upperCasePrefix);

} // namespace kn
