#pragma once

#include "core/audit.h"

#include <QList>
#include <QLocale>
#include <QString>

namespace kn {

// One line of the audit panel, in words a bookkeeper reads without the manual.
struct AuditNote {
    enum class Tone { Fine, Notice, Warning };
    Tone tone = Tone::Fine;
    QString text;
    int paymentFileLine = 0; // the payment it is about, 0 for the whole file
};

// An amount as the region writes it, always with two decimals: "1,234.50", "-7.10".
QString amountText(Money amount, const QLocale& locale);

// What the conversion reads and writes, what it leaves out or changes, and the entries that do
// not balance; at most `listed` payments of each kind are named, then how many more.
// What the checks before writing found: earlier conversions of the same payments, payments to
// accounts the package does not know, a history that could not be used, a refusal.
QList<AuditNote> describeChecks(const ConversionAudit& audit, const QLocale& locale, int listed = 50);

QList<AuditNote> describeAudit(const ConversionAudit& audit, const QLocale& locale, int listed = 50);

} // namespace kn
