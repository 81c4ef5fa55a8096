#include "audit.h"

#include "knerror.h"
#include "transrecords.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

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

QString unknownAccountsText(const ConversionAudit& audit, int listed)
{
    QStringList items;
    for (const AuditUnknownAccount& payment : audit.unknownAccounts) {
        if (items.size() == listed)
            break;
        items.append(QStringLiteral("line %1: %2").arg(payment.line).arg(payment.account));
    }
    const qsizetype more = audit.unknownAccounts.size() - items.size();
    return QStringLiteral("%1 %2 to accounts the package does not know (%3%4)")
        .arg(audit.unknownAccounts.size())
        .arg(audit.unknownAccounts.size() == 1 ? QStringLiteral("payment goes") : QStringLiteral("payments go"))
        .arg(items.join(QStringLiteral("; ")))
        .arg(more > 0 ? QStringLiteral("; and %1 more").arg(more) : QString());
}

QString auditSummary(const ConversionAudit& audit, int listed)
{
    QString summary = QStringLiteral("%1 payments read, %2 written to %3")
                          .arg(audit.paymentsRead)
                          .arg(audit.written)
                          .arg(QFileInfo(audit.output).fileName());
    int shown = 0;
    int more = 0;
    const auto listOf = [&](const QStringList& items) {
        QStringList kept;
        for (const QString& item : items) {
            if (shown < listed) {
                kept.append(item);
                ++shown;
            } else {
                ++more;
            }
        }
        return kept.isEmpty() ? QString() : QStringLiteral(" (") + kept.join(QStringLiteral("; ")) + u')';
    };
    if (!audit.leftOut.isEmpty()) {
        QStringList items;
        for (const AuditLeftOut& payment : audit.leftOut)
            items.append(QStringLiteral("line %1: %2").arg(payment.line).arg(payment.reason));
        summary += QStringLiteral(", %1 left out").arg(audit.leftOut.size()) + listOf(items);
    }
    if (!audit.changed.isEmpty()) {
        QStringList items;
        for (const AuditChange& change : audit.changed)
            items.append(QStringLiteral("line %1: %2 \"%3\" written as \"%4\"")
                             .arg(change.line)
                             .arg(change.field, change.from, change.to));
        summary += QStringLiteral(", %1 changed").arg(audit.changed.size()) + listOf(items);
    }
    if (more > 0)
        summary += QStringLiteral(", and %1 more").arg(more);
    QStringList unbalanced;
    for (const AuditEntry& entry : audit.entries) {
        if (!entry.balances())
            unbalanced.append(QStringLiteral("%1: debits %2, credits %3")
                                  .arg(audit.entryTitle(entry), entry.debits.decimalText(), entry.credits.decimalText()));
    }
    if (!unbalanced.isEmpty())
        summary += QStringLiteral("; %1 of %2 entries do not balance (%3)")
                       .arg(unbalanced.size())
                       .arg(audit.entries.size())
                       .arg(unbalanced.join(QStringLiteral("; ")));
    if (audit.totalsOverflowed)
        summary += QStringLiteral("; the totals are past what an amount can hold and were not added up");
    if (!audit.unknownAccounts.isEmpty())
        summary += QStringLiteral("; ") + unknownAccountsText(audit, listed);
    return summary;
}

QByteArray auditJson(const ConversionAudit& audit)
{
    QJsonArray leftOut;
    for (const AuditLeftOut& payment : audit.leftOut)
        leftOut.append(QJsonObject{{QStringLiteral("line"), payment.line},
                                   {QStringLiteral("payee"), payment.payee},
                                   {QStringLiteral("amount"), payment.amount.decimalText()},
                                   {QStringLiteral("reason"), payment.reason}});
    QJsonArray changed;
    for (const AuditChange& change : audit.changed)
        changed.append(QJsonObject{{QStringLiteral("line"), change.line},
                                   {QStringLiteral("field"), change.field},
                                   {QStringLiteral("from"), change.from},
                                   {QStringLiteral("to"), change.to}});
    QJsonArray entries;
    for (const AuditEntry& entry : audit.entries)
        entries.append(QJsonObject{{QStringLiteral("name"), audit.entryTitle(entry)},
                                   {QStringLiteral("debits"), entry.debits.decimalText()},
                                   {QStringLiteral("credits"), entry.credits.decimalText()},
                                   {QStringLiteral("balances"), entry.balances()}});
    QJsonObject report{
        {QStringLiteral("package"), audit.package},
        {QStringLiteral("input"), audit.input},
        {QStringLiteral("output"), audit.output},
        {QStringLiteral("payments_read"), audit.paymentsRead},
        {QStringLiteral("written"), audit.written},
        {QStringLiteral("left_out"), leftOut},
        {QStringLiteral("changed"), changed},
        {QStringLiteral("totals"), QJsonObject{{QStringLiteral("debits_read"), audit.debitsRead.decimalText()},
                                               {QStringLiteral("credits_read"), audit.creditsRead.decimalText()},
                                               {QStringLiteral("debits_written"), audit.debitsWritten.decimalText()},
                                               {QStringLiteral("credits_written"), audit.creditsWritten.decimalText()}}},
        {QStringLiteral("entries"), entries},
        {QStringLiteral("entries_balance"), audit.entriesBalance()},
        {QStringLiteral("totals_overflowed"), audit.totalsOverflowed},
    };
    QJsonArray alreadyConverted;
    for (const AuditEarlierConversion& earlier : audit.alreadyConverted)
        alreadyConverted.append(QJsonObject{{QStringLiteral("time"), earlier.time},
                                            {QStringLiteral("input"), earlier.input},
                                            {QStringLiteral("output"), earlier.output},
                                            {QStringLiteral("match"), earlier.match}});
    QJsonArray unknownAccounts;
    for (const AuditUnknownAccount& payment : audit.unknownAccounts)
        unknownAccounts.append(QJsonObject{{QStringLiteral("line"), payment.line},
                                           {QStringLiteral("account"), payment.account},
                                           {QStringLiteral("payee"), payment.payee},
                                           {QStringLiteral("amount"), payment.amount.decimalText()}});
    report.insert(QStringLiteral("already_converted"), alreadyConverted);
    report.insert(QStringLiteral("unknown_accounts"), unknownAccounts);
    report.insert(QStringLiteral("warnings"), QJsonArray::fromStringList(audit.warnings));
    if (audit.refused)
        report.insert(QStringLiteral("refused"), *audit.refused);
    if (audit.failure)
        report.insert(QStringLiteral("failure"), QJsonObject{{QStringLiteral("number"), audit.failure->number},
                                                             {QStringLiteral("description"), audit.failure->description},
                                                             {QStringLiteral("source"), audit.failure->source},
                                                             {QStringLiteral("detail"), audit.failure->detail}});
    return QJsonDocument(report).toJson(QJsonDocument::Indented);
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
