#pragma once

#include "caldate.h"
#include "money.h"
#include "regional.h"

#include <QStringView>

#include <string_view>

namespace kn {

// Reads a date text the way the user's regional settings read dates: three numbers separated by
// "/", "-" or "." (year first when the first has four digits, otherwise in the short date
// pattern's order, with day and month swapped when only that gives a date), or a month name or
// abbreviation in the regional language or English in place of the month. Blanks around are
// ignored; two-digit years 00-29 are 20xx and 30-99 are 19xx. Anything else fails with
// Type mismatch (13).
CalDate parseDateText(QStringView text, const RegionalSettings& regional);

// Reads a date text that may carry a time of day after it and a blank, or a time alone (on day 0):
// "H:MM" or "H:MM:SS", followed by a blank and "AM"/"PM" or the region's own texts for them
// (hours 1-12 then, 0-23 without); a no-break space or a tab counts as a blank. The time is the
// value's fraction of a day. Anything else fails with Type mismatch (13).
CalDate parseDateTimeText(QStringView text, const RegionalSettings& regional);

// Reads a number text as a money amount: blanks around, an optional leading sign, digits, and
// optionally the regional decimal separator with more digits. Beyond four decimals the amount is
// rounded half to even. Out of range fails with Overflow (6), anything else with Type mismatch (13).
Money parseMoneyText(QStringView text, const RegionalSettings& regional);
// The same over bytes in which digits, signs and blanks are ASCII, with the separator's bytes.
Money parseMoney(std::string_view text, std::string_view separator);

// The text without the spaces at both ends (tabs and other white space stay).
inline QStringView trimmedBlanks(QStringView text)
{
    while (!text.isEmpty() && text.front() == u' ')
        text = text.sliced(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}

// trimmedBlanks as a text of its own.
inline QString trimBlanks(QStringView text)
{
    return trimmedBlanks(text).toString();
}

// The text between double quotes, written as it is: a quote inside is not doubled.
inline QString quoted(QStringView text)
{
    return u'"' + text.toString() + u'"';
}

// Month/day/two-digit year with "/" between them whatever the region ("08/25/14"): the date in the
// pattern MM/DD/YY, the regional separator in place of "/", with "/" then put at the third and
// sixth characters.
QString QBDateFormat(CalDate dtTheDate, const RegionalSettings& regional);
// The same with a four-digit year ("08/25/2014").
QString JonasDateFormat(CalDate dtTheDate, const RegionalSettings& regional);

} // namespace kn
