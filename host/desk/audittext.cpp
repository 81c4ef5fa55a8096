#include "audittext.h"

#include <QFileInfo>

namespace kn {

namespace {

QString payments(int count)
{
    return count == 1 ? QStringLiteral("1 payment") : QStringLiteral("%1 payments").arg(count);
}

// "debits 125.00 and credits 47.10"
QString totals(Money debits, Money credits, const QLocale& locale)
{
    return QStringLiteral("debits %1 and credits %2").arg(amountText(debits, locale), amountText(credits, locale));
}

template <typename Item, typename Describe>
void listSome(QList<AuditNote>& notes, const QList<Item>& items, int listed, AuditNote::Tone tone, Describe describe)
{
    for (qsizetype i = 0; i < items.size() && i < listed; ++i)
        notes.append({tone, describe(items[i]), items[i].line});
    if (items.size() > listed)
        notes.append({tone, QStringLiteral("... and %1 more.").arg(items.size() - listed)});
}

} // namespace

QString amountText(Money amount, const QLocale& locale)
{
    const std::uint64_t cents = amount.roundedMagnitude(2);
    const QString whole = locale.toString(qulonglong(cents / 100));
    const QString fraction = QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
    return (amount.isNegative() && cents != 0 ? QStringLiteral("-") : QString()) + whole + locale.decimalPoint() + fraction;
}

QList<AuditNote> describeChecks(const ConversionAudit& audit, const QLocale& locale, int listed)
{
    using Tone = AuditNote::Tone;
    QList<AuditNote> notes;
    for (const AuditEarlierConversion& earlier : audit.alreadyConverted)
        notes.append({Tone::Warning, QStringLiteral("These payments were converted before, on %1 into %2 (%3): importing "
                                                    "both posts them twice.")
                                         .arg(earlier.time, earlier.output, earlier.match)});
    if (!audit.unknownAccounts.isEmpty())
        notes.append({Tone::Warning, QStringLiteral("%1 to accounts the package does not know:")
                                         .arg(payments(int(audit.unknownAccounts.size())))});
    listSome(notes, audit.unknownAccounts, listed, Tone::Warning, [&](const AuditUnknownAccount& payment) {
        return QStringLiteral("Line %1, %2, %3: account %4 is not among the known accounts.")
            .arg(payment.line)
            .arg(payment.payee, amountText(payment.amount, locale), payment.account);
    });
    for (const QString& warning : audit.warnings) {
        if (!warning.startsWith(QLatin1String("these payments were converted")))
            notes.append({Tone::Warning, warning.left(1).toUpper() + warning.mid(1) + u'.'});
    }
    if (audit.refused)
        notes.append({Tone::Warning, QStringLiteral("Nothing was written: ") + *audit.refused + u'.'});
    return notes;
}

QList<AuditNote> describeAudit(const ConversionAudit& audit, const QLocale& locale, int listed)
{
    using Tone = AuditNote::Tone;
    QList<AuditNote> notes;
    notes.append({Tone::Fine, QStringLiteral("%1 read from the payment file: %2.")
                                  .arg(payments(audit.paymentsRead),
                                       totals(audit.debitsRead, audit.creditsRead, locale))});
    const bool allWritten = audit.written == audit.paymentsRead;
    const bool sameTotals = audit.debitsWritten == audit.debitsRead && audit.creditsWritten == audit.creditsRead;
    notes.append({allWritten && sameTotals ? Tone::Fine : Tone::Notice,
                  QStringLiteral("%1 written to %2: %3.")
                      .arg(payments(audit.written), QFileInfo(audit.output).fileName(),
                           totals(audit.debitsWritten, audit.creditsWritten, locale))});
    if (!audit.leftOut.isEmpty())
        notes.append({Tone::Notice, QStringLiteral("%1 left out, as this package's file does not take them:")
                                        .arg(payments(int(audit.leftOut.size())))});
    listSome(notes, audit.leftOut, listed, Tone::Notice, [&](const AuditLeftOut& payment) {
        return QStringLiteral("Line %1, %2, %3: left out (%4).")
            .arg(payment.line)
            .arg(payment.payee, amountText(payment.amount, locale), payment.reason);
    });
    if (!audit.changed.isEmpty())
        notes.append({Tone::Notice, QStringLiteral("%1 written differently from the payment file:")
                                        .arg(audit.changed.size() == 1 ? QStringLiteral("1 text")
                                                                       : QStringLiteral("%1 texts").arg(audit.changed.size()))});
    listSome(notes, audit.changed, listed, Tone::Notice, [](const AuditChange& change) {
        if (change.to.isEmpty())
            return QStringLiteral("Line %1: %2 \"%3\" is not written.").arg(change.line).arg(change.field, change.from);
        return QStringLiteral("Line %1: %2 \"%3\" is written as \"%4\".").arg(change.line).arg(change.field, change.from, change.to);
    });
    int unbalanced = 0;
    for (const AuditEntry& entry : audit.entries) {
        if (entry.balances())
            continue;
        ++unbalanced;
        notes.append({Tone::Warning, QStringLiteral("The entry %1 does not balance: %2.")
                                         .arg(audit.entryTitle(entry), totals(entry.debits, entry.credits, locale)),
                      entry.paymentFileLine});
    }
    if (!audit.entries.isEmpty() && unbalanced == 0)
        notes.append({Tone::Fine, audit.entries.size() == 1 ? QStringLiteral("The entry balances.")
                                                            : QStringLiteral("All %1 entries balance.").arg(audit.entries.size())});
    if (audit.totalsOverflowed)
        notes.append({Tone::Warning, QStringLiteral("The totals are larger than an amount can hold and were not added up.")});
    return notes + describeChecks(audit, locale, listed);
}

} // namespace kn
