#pragma once

#include "caldate.h"
#include "money.h"
#include "regional.h"
#include "textview.h"

#include <QStringView>

namespace kn {

// Reads a date text the way the user's regional settings read dates: three numbers separated by
// "/", "-" or "." (year first when the first has four digits, otherwise in the short date
// pattern's order, with day and month swapped when only that gives a date), or a month name or
// abbreviation in the regional language or English in place of the month. Blanks around are
// ignored; two-digit years 00-29 are 20xx and 30-99 are 19xx. Anything else fails with
// Type mismatch (13).
CalDate parseDateText(QStringView text, const RegionalSettings& regional);

// Reads a number text as a money amount: blanks around, an optional leading sign, digits, and
// optionally the regional decimal separator with more digits. Beyond four decimals the amount is
// rounded half to even. Out of range fails with Overflow (6), anything else with Type mismatch (13).
Money parseMoneyText(QStringView text, const RegionalSettings& regional);

// The text without the spaces at both ends (tabs and other white space stay).
QStringView trimmedBlanks(QStringView text);
QLatin1String trimmedBlanks(QLatin1String text);
TextView trimmedBlanks(TextView text);

} // namespace kn
