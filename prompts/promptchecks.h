#pragma once

// The checks the prompts make on an answer and the messages they give when they turn one down.
// The dialogs and the scripted prompter share them, so both accept and refuse the same answers.

#include "core/codepage.h"
#include "core/regional.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace kn {

// The title of a message box that has none of its own.
inline const QString kApplicationTitle = QStringLiteral("DARODEV");

// The number a text begins with: blanks, tabs and line feeds are skipped wherever they stand; a
// sign, digits, one "." (whatever the region) and an exponent ("E" or "D") are read as far as
// they form a number; "&H" and "&O" read a hexadecimal or octal whole number. A text that does
// not begin with a number is 0. Empty when the number is too large to hold.
std::optional<double> numericValue(QStringView text);

// Whether the regional number conversion reads the whole text as a number: blanks around, a sign,
// the regional decimal and grouping separators and currency symbol, and an exponent.
bool isRegionalNumber(QStringView text, const RegionalSettings& regional);

// What a prompt shows when it turns an answer down.
struct PromptMessage {
    enum class Buttons { Ok, OkCancel };
    enum class Icon { None, Information };

    QString title;
    QString text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

// The fiscal period prompt's lists and first answers for a day: the years from three ahead down to
// three back (each cut to its last four characters), periods "1" to "15", the day's year and month.
struct FiscalChoices {
    QStringList years;
    QStringList periods;
    QString year;
    QString period;
};
FiscalChoices fiscalChoicesFor(QDate today);

enum class FiscalCheck { Accepted, InvalidYear, InvalidPeriod, YearUnreadable, PeriodUnreadable };

// The year must lie between the numeric values of the last and the first year entry, the period
// between the first and the last period entry, bounds included; the year is checked first. A list
// without entries or a number too large to hold makes the answer unreadable.
FiscalCheck checkFiscalAnswer(const QStringList& years, const QString& year, const QStringList& periods,
                              const QString& period);
// The message for InvalidYear or InvalidPeriod.
PromptMessage fiscalMessage(FiscalCheck check);

enum class InstitutionNumberCheck { Accepted, Missing, TooLong, NotNumeric };

// Empty or a single blank is missing; 20 characters or more are too long; otherwise the text must
// be a regional number.
InstitutionNumberCheck checkInstitutionNumber(const QString& text, const RegionalSettings& regional);
// The message for every result but Accepted.
PromptMessage institutionNumberMessage(InstitutionNumberCheck check);

// Creates or replaces the institution number file: the number unchanged as its one line, CR LF,
// in the code page. Fails with KNError; a file that could not be finished is removed.
void writeInstitutionNumberFile(const QString& path, const QString& number, const CodePage& codePage);

} // namespace kn
