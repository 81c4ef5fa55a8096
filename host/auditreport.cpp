#include "auditreport.h"

#include "safety/safetychecks.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace kn {

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

} // namespace kn
