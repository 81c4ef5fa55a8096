#include "audit.h"

#include "knerror.h"
#include "transrecords.h"

#include <algorithm>

namespace kn {

bool ConversionAudit::entriesBalance() const
{
    return std::all_of(entries.begin(), entries.end(), [](const AuditEntry& entry) { return entry.balances(); });
}

bool addToTotals(Money amount, Money& debits, Money& credits)
{
    try {
        if (amount.isNegative())
            credits += amount.abs();
        else
            debits += amount;
        return true;
    } catch (const KNError&) {
        return false;
    }
}

void AuditRecorder::written(const TransRecord& record, int outputLine)
{
    ++audit_.written;
    audit_.writtenAt.push_back(outputLine);
    if (!addToTotals(record.Amount, audit_.debitsWritten, audit_.creditsWritten))
        audit_.totalsOverflowed = true;
    handled();
}

void AuditRecorder::leftOut(const TransRecord& record, const QString& reason)
{
    audit_.leftOut.append({record.PaymentFileLine, sharedText(record.text(RecordText::PaidTo)), record.Amount, reason});
    handled();
}

QString AuditRecorder::sharedText(const QString& text)
{
    QString& recent = recentTexts_[qHash(text, 0) % recentTexts_.size()];
    if (recent != text)
        recent = text;
    return recent;
}

const QString& AuditRecorder::changed(const TransRecord& record, const QString& field, const QString& from,
                                      const QString& to)
{
    if (from != to)
        audit_.changed.append({record.PaymentFileLine, field, sharedText(from), sharedText(to)});
    return to;
}

QString ConversionAudit::entryTitle(const AuditEntry& entry) const
{
    return entry.nameIndex < 0 ? QStringLiteral("payment-file line %1").arg(entry.paymentFileLine)
                               : entryNames.at(entry.nameIndex);
}

void AuditRecorder::paymentEntryLine(const TransRecord& record, Money amountAsWritten)
{
    if (audit_.entries.isEmpty() || audit_.entries.constLast().nameIndex >= 0 ||
        audit_.entries.constLast().paymentFileLine != record.PaymentFileLine)
        audit_.entries.append({record.PaymentFileLine, -1, {}, {}});
    AuditEntry& current = audit_.entries.last();
    if (!addToTotals(amountAsWritten, current.debits, current.credits))
        audit_.totalsOverflowed = true;
}

void AuditRecorder::entryLine(const QString& entry, Money amountAsWritten)
{
    if (audit_.entries.isEmpty() || audit_.entries.constLast().nameIndex < 0 ||
        audit_.entryNames.at(audit_.entries.constLast().nameIndex) != entry) {
        audit_.entryNames.append(entry);
        audit_.entries.append({0, int(audit_.entryNames.size() - 1), {}, {}});
    }
    AuditEntry& current = audit_.entries.last();
    if (!addToTotals(amountAsWritten, current.debits, current.credits))
        audit_.totalsOverflowed = true;
}

void AuditRecorder::handled()
{
    ++handled_;
    if (progress_)
        progress_(handled_);
}

} // namespace kn
