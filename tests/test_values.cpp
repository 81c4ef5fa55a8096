// Money, dates, the locale-aware conversions and the formatting helpers.
#include "core/conversions.h"
#include "core/codepage.h"
#include "writers/formatting.h"
#include "core/knerror.h"

#include "testsupport.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kn;
using namespace Qt::StringLiterals;
using kn::testing::errorNumber;

namespace {

Money units(std::int64_t value) { return Money::fromUnits(value); }

} // namespace

// Rounding to cents half away from zero is pinned by the Simply amounts golden, sums, signs and
// absolute values by the goldens and the audit's totals; only the extremes are checked here.
TEST(Money, ArithmeticOverflowFailsWithSixAndTheSmallestValueStillRounds)
{
    const Money largest = units(std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(errorNumber([&] { (void)(largest + units(1)); }), 6);
    EXPECT_EQ(errorNumber([&] { (void)(units(std::numeric_limits<std::int64_t>::min()) - units(1)); }), 6);
    EXPECT_EQ(errorNumber([&] { (void)-units(std::numeric_limits<std::int64_t>::min()); }), 6);
    EXPECT_EQ(units(std::numeric_limits<std::int64_t>::min()).roundedCents(), -92233720368547758);
}

// The day count itself (25 Aug 2014 is day 41876, 29 Dec 1899 at 06:00 is -1.25) is pinned by
// ParseDateTimeText below.
TEST(CalDate, ADateDropsTheTimeOfDayTowardZero)
{
    EXPECT_EQ(CalDate(41876.75).toQDate(), QDate(2014, 8, 25));
    EXPECT_EQ(CalDate(-1.25).toQDate(), QDate(1899, 12, 29));
    EXPECT_NE(CalDate(41876.0), CalDate(41876.5)); // the time of day counts in comparisons
}

struct DateCase {
    const char* locale;
    const char* text;
    QDate expected; // invalid: the text must fail with Type mismatch
};

// Every payment file's "2014/08/25" is pinned by the goldens.
TEST(ParseDateText, ReadsTheFormsOfEachRegion)
{
    const DateCase cases[] = {
        {"en_US", " 2014-8-5 ", {2014, 8, 5}},
        {"en_US", "03/05/2014", {2014, 3, 5}},
        {"en_US", "25/08/2014", {2014, 8, 25}}, // day above 12: day and month swapped
        {"en_US", "8/25/29", {2029, 8, 25}},
        {"en_US", "8/25/30", {1930, 8, 25}},
        {"en_US", "25-Aug-2014", {2014, 8, 25}},
        {"en_US", "Aug 25 2014", {2014, 8, 25}},
        {"en_US", "August 25, 2014", {2014, 8, 25}},
        {"en_US", "2014.08.25", {2014, 8, 25}},
        {"de_DE", "03.05.2014", {2014, 5, 3}},
        {"de_DE", "08/25/2014", {2014, 8, 25}},
        {"de_DE", "25-Dez-2014", {2014, 12, 25}},
        {"en_GB", "03/05/14", {2014, 5, 3}},
        {"fr_CA", "14-08-25", {2014, 8, 25}},
        {"fr_CA", "08-25-2014", {2014, 8, 25}},
        {"fr_CA", "25 août 2014", {2014, 8, 25}},
        {"en_US", "2014/02/30", {}},
        {"en_US", "13/13/2014", {}},
        {"en_US", "", {}},
        {"en_US", "          ", {}},
        {"en_US", "2014/08", {}},
        {"en_US", "2014 08 25", {}},
        {"en_US", "2014/08/25x", {}},
        {"en_US", "Foo 25 2014", {}},
        {"en_US", "2014//25", {}},
        {"en_US", "0099/01/01", {}},
    };
    for (const auto& c : cases) {
        const auto regional = RegionalSettings::named(QString::fromLatin1(c.locale));
        SCOPED_TRACE(std::string(c.locale) + " '" + c.text + "'");
        if (c.expected.isValid()) {
            EXPECT_EQ(parseDateText(QString::fromUtf8(c.text), regional), CalDate::fromQDate(c.expected));
        } else {
            EXPECT_EQ(errorNumber([&] { parseDateText(QString::fromUtf8(c.text), regional); }), 13);
        }
    }
}

// A package's date may carry a time of day, the value's fraction; 25 Aug 2014 is day 41876.
TEST(ParseDateTimeText, TakesATimeAfterTheDateOrAlone)
{
    const std::tuple<const char*, const char*, double> cases[] = {
        {"en_US", "2014/08/25", 41876},
        {"en_US", "2014/08/25 10:30", 41876.4375},
        {"en_US", " 08/25/2014 1:30 PM ", 41876.5625},
        {"en_US", "08/25/2014 12:00 am", 41876},
        {"en_US", "08/25/2014 12:00:36 PM", 41876.500416666667},
        {"en_US", "10:30", 0.4375},
        {"de_DE", "25.08.2014 18:00:00", 41876.75},
        {"es_ES", "25/08/2014 1:30\u00a0p.\u00a0m.", 41876.5625},
        {"es_ES", "25/08/2014\t1:30 p. m.", 41876.5625},
        {"en_US", "12/29/1899 06:00", -1.25},
    };
    for (const auto& [locale, text, expected] : cases)
        EXPECT_DOUBLE_EQ(parseDateTimeText(QString::fromUtf8(text), RegionalSettings::named(QString::fromLatin1(locale))).value(),
                         expected)
            << locale << " '" << text << "'";
    for (const char* text : {"2014/08/25 24:00", "2014/08/25 10:60", "2014/08/25 13:00 PM", "2014/08/25 0:30 AM",
                             "2014/08/25 10:", "2014/08/25 :30", "2014/08/25 1:2:3:4", "2014/08/25 10:30 XM",
                             "2014/08/25 10:5", "2014/08/25 1:02:3",
                             "2014/08/25 100:30", "2014/02/30 10:30", "10:30 2014/08/25"})
        EXPECT_EQ(errorNumber([&] { parseDateTimeText(QString::fromUtf8(text), RegionalSettings::named(u"en_US"_s)); }), 13)
            << text;
}

struct MoneyCase {
    const char* locale;
    const char* text;
    std::int64_t units; // ignored when error is set
    int error;
};

// Amounts right-aligned in their columns, as a payment file holds them, are pinned by every golden.
TEST(ParseMoneyText, ReadsSignedDecimalsInTheRegionalSeparator)
{
    const MoneyCase cases[] = {
        {"en_US", "+7", 70000, 0},
        {"en_US", ".5", 5000, 0},
        {"en_US", "5.", 50000, 0},
        {"en_US", "0.12345", 1234, 0},   // half to even: down
        {"en_US", "0.12355", 1236, 0},   // half to even: up
        {"en_US", "0.123451", 1235, 0},  // above half
        {"en_US", "-0.00005", 0, 0},
        {"en_US", "922337203685477.5807", std::numeric_limits<std::int64_t>::max(), 0},
        {"en_US", "-922337203685477.5808", std::numeric_limits<std::int64_t>::min(), 0},
        {"en_US", "922337203685477.5808", 0, 6},
        {"en_US", "99999999999999999999", 0, 6},
        {"fr_CA", "12,5", 125000, 0},
        {"de_DE", "-0,75", -7500, 0},
        {"fr_CA", "12.5", 0, 13},
        {"en_US", "", 0, 13},
        {"en_US", "   ", 0, 13},
        {"en_US", "-", 0, 13},
        {"en_US", ".", 0, 13},
        {"en_US", "1 234", 0, 13},
        {"en_US", "12a", 0, 13},
        {"en_US", "--5", 0, 13},
        {"en_US", "1.2.3", 0, 13},
        {"en_US", "\t5", 0, 13},
    };
    for (const auto& c : cases) {
        const auto regional = RegionalSettings::named(QString::fromLatin1(c.locale));
        SCOPED_TRACE(std::string(c.locale) + " '" + c.text + "'");
        if (c.error == 0)
            EXPECT_EQ(parseMoneyText(QString::fromLatin1(c.text), regional).units(), c.units);
        else
            EXPECT_EQ(errorNumber([&] { parseMoneyText(QString::fromLatin1(c.text), regional); }), c.error);
    }
}

struct NumberCase {
    const char* locale;
    std::int64_t units;
    const char* pattern; // null: plain decimal text
    const char* expected;
};

// Every writer's pattern is pinned, on the amounts and regional goldens, for the rounding, signs,
// zeros and separators those hold; a shape of each is kept here, with what no golden holds.
TEST(FormatNumber, PatternsAndPlainDecimals)
{
    const NumberCase cases[] = {
        {"en_US", -123450, "0.00", "-12.35"},
        {"en_US", -40, "0.00", "0.00"}, // rounds to zero: no sign
        {"en_US", 5000, "#.00", ".50"},
        {"en_US", 70000, "000", "007"},
        {"en_US", 0, "###0", "0"},
        {"en_US", 99999, "0.00", "10.00"}, // one more digit once rounded
        {"en_US", 9999999999, "0", "1000000"},
        {"en_US", std::numeric_limits<std::int64_t>::max(), "0.00", "922337203685477.58"},
        {"en_US", std::numeric_limits<std::int64_t>::min(), "0.0000", "-922337203685477.5808"},
        {"de_DE", -75000, "########0.00", "-7,50"},
        {"en_US", 12345000, nullptr, "1234.5"},
        {"en_US", 1, nullptr, "0.0001"},
        {"en_US", 0, nullptr, "0"},
        {"de_DE", -35000, nullptr, "-3,5"},
    };
    for (const auto& c : cases) {
        const auto regional = RegionalSettings::named(QString::fromLatin1(c.locale));
        SCOPED_TRACE(std::string(c.locale) + " " + std::to_string(c.units) + " " + (c.pattern ? c.pattern : "plain"));
        const QString text = c.pattern ? formatNumber(units(c.units), QString::fromLatin1(c.pattern), regional)
                                       : plainDecimal(units(c.units), regional);
        EXPECT_EQ(text.toStdString(), c.expected);
        // A writer appends to a line it reuses: what stands before the amount stays as it is.
        const CodePage page;
        Line line(page);
        line += "x,";
        for (int i = 0; i < 2; ++i) {
            if (c.pattern)
                NumberPattern(QString::fromLatin1(c.pattern), regional, &page).appendTo(line, units(c.units));
            else
                appendPlainDecimal(line, units(c.units), EncodedText(regional.decimalSeparator(), &page));
            line += ',';
        }
        EXPECT_EQ(line.bytes(), "x," + std::string(c.expected) + "," + c.expected + ",");
    }
    // Whole amounts on either side of each count of digits.
    const auto enUS = RegionalSettings::named(u"en_US"_s);
    std::int64_t power = 1;
    for (int digits = 1; digits <= 14; ++digits, power *= 10) {
        EXPECT_EQ(formatNumber(units(power * 10 * 10000), u"0", enUS).toStdString(), "1" + std::string(digits, '0'));
        EXPECT_EQ(formatNumber(units((power * 10 - 1) * 10000), u"0", enUS).toStdString(), std::string(digits, '9'));
    }
}

// The MYOB goldens pin whole amounts, grouped, in en_US, en_CA, fr_CA and de_DE.
TEST(FormatCurrency, FollowsTheRegionsMoneyFormat)
{
    const std::tuple<const char*, std::int64_t, const char*> cases[] = {
        {"en_US", 10000000, "$1,000.00"},
        {"en_CA", 456750, "$45.68"},
        {"en_GB", 10000, "\u00a31.00"},
        {"en_US", -12345000, "($1,234.50)"},
        {"en_US", -40, "$0.00"},
        {"ja_JP", 12345000, "\uffe51,235"},
        // Separators where the region puts them: groups of two above the first three, a
        // four-digit amount left whole, a separator other than a comma.
        {"en_IN", 12345678000, "\u20b912,34,567.80"},
        {"en_IN", 1234560000, "\u20b91,23,456.00"},
        {"es_ES", 12340000, "1234,00\u00a0\u20ac"},
        {"es_ES", 123450000, "12.345,00\u00a0\u20ac"},
        {"de_CH", 12345670000, "1\u2019234\u2019567.00\u00a0CHF"},
    };
    // Written into a line, a sign the code page lacks takes its closest form and the line keeps
    // the text as meant.
    const CodePage page;
    for (auto [locale, amount, expected] : cases) {
        const auto regional = RegionalSettings::named(QString::fromLatin1(locale));
        EXPECT_EQ(CurrencyPattern(regional).format(units(amount)), QString::fromUtf8(expected)) << locale;
        Line line(page);
        CurrencyPattern(regional, &page).appendTo(line, units(amount));
        EXPECT_EQ(line.meant().value_or(page.decode(line.bytes())), QString::fromUtf8(expected)) << locale;
        EXPECT_EQ(line.bytes(), page.encode(QString::fromUtf8(expected)).toStdString()) << locale;
    }
}

struct DatePatternCase {
    const char* locale;
    const char* pattern;
    const char* expected;
};

TEST(FormatDatePattern, RunsOfLettersAndTheRegionalSeparator)
{
    // 25 August 2014 was a Monday, day 237 of its year.
    // The writers' own patterns ("DDMMYYYY", "yyyymmdd", "MM/DD/YYYY" in each region) are pinned
    // by their goldens, as is "/" becoming the region's separator (MYOB's "DD/MM/YYYY" in de_DE)
    // and QuickBooks's and Jonas's "/" whatever the region (their fr_CA and de_DE goldens).
    const DatePatternCase cases[] = {
        {"en_US", "MM/DD'YYYY", "08/25'2014"},
        {"en_US", "M/D/YY", "8/25/14"},
        {"en_US", "d/m/y", "25/8/237"},
        {"en_US", "DDD DDDD", "Mon Monday"},
        {"en_US", "MMM MMMM", "Aug August"},
        {"en_US", "YYY", "14237"},
        {"en_US", "DD-MM.YY x", "25-08.14 x"},
        {"en_US", "", "8/25/2014"},
        {"fr_CA", "DDDD MMMM", "lundi août"},
        {"fr_CA", "", "2014-08-25"},
        {"de_DE", "", "25.08.2014"},
    };
    const CalDate date = CalDate::fromYmd(2014, 8, 25);
    for (const auto& c : cases) {
        const auto regional = RegionalSettings::named(QString::fromLatin1(c.locale));
        const QString expected = QString::fromUtf8(c.expected);
        EXPECT_EQ(formatDatePattern(date, QString::fromLatin1(c.pattern), regional), expected)
            << c.locale << " '" << c.pattern << "'";
        const CodePage page;
        const DatePattern compiled(QString::fromLatin1(c.pattern), regional, &page);
        Line line(page);
        line += "x,";
        compiled.appendTo(line, date);
        compiled.appendTo(line, date);
        EXPECT_EQ(line.textSince({}), u"x,"_s + expected + expected) << c.locale << " '" << c.pattern << "'";
    }
    // A month name the page lacks goes into a line in its closest form, and the line keeps it as meant.
    {
        const auto russian = RegionalSettings::named(u"ru_RU"_s);
        const QString meant = u"25 "_s + russian.monthName(8, false);
        const CodePage page;
        Line line(page);
        DatePattern(u"D MMMM", russian, &page).appendTo(line, date);
        EXPECT_EQ(line.meant(), meant);
        EXPECT_EQ(line.bytes(), page.encode(meant).toStdString());
    }
    // Years below 1000 keep their leading zeros.
    EXPECT_EQ(formatDatePattern(CalDate::fromYmd(5, 3, 1), u"YYYY YY D", RegionalSettings::named(u"en_US"_s)), u"0005 05 1"_s);
}

