#include "audit.h"

#include "transrecords.h"

#include <algorithm>

namespace kn {

bool ConversionAudit::entriesBalance() const
{
    return std::all_of(entries.begin(), entries.end(), [](const AuditEntry& entry) { return entry.balances(); });
}

void addToTotals(Money amount, Money& debits, Money& credits)
{
    if (amount.isNegative())
        credits += amount.abs();
    else
        debits += amount;
}

void AuditRecorder::written(const TransRecord& record, int outputLine)
{
    ++audit_.written;
    audit_.writtenAt.push_back(outputLine);
    addToTotals(record.Amount, audit_.debitsWritten, audit_.creditsWritten);
    handled();
}

void AuditRecorder::leftOut(const TransRecord& record, const QString& reason)
{
    audit_.leftOut.append({record.PaymentFileLine, record.PaidTo, record.Amount, reason});
    handled();
}

const QString& AuditRecorder::changed(const TransRecord& record, const QString& field, const QString& from,
                                      const QString& to)
{
    if (from != to)
        audit_.changed.append({record.PaymentFileLine, field, from, to});
    return to;
}

void AuditRecorder::entryLine(const QString& entry, Money amountAsWritten)
{
    if (audit_.entries.isEmpty() || audit_.entries.constLast().name != entry)
        audit_.entries.append({entry, {}, {}});
    AuditEntry& current = audit_.entries.last();
    addToTotals(amountAsWritten, current.debits, current.credits);
}

void AuditRecorder::handled()
{
    ++handled_;
    if (progress_)
        progress_(handled_);
}

} // namespace kn
