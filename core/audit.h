#pragma once

#include "money.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace kn {

class TransRecord;

// Why a target's format leaves a payment out.
namespace AuditReason {
inline const QString ZeroAmount = QStringLiteral("zero amount");
inline const QString BankPayee = QStringLiteral("payee begins with BANK");
inline const QString ShortAccount = QStringLiteral("account has fewer than two \"|\"");
} // namespace AuditReason

// A payment the target's format leaves out.
struct AuditLeftOut {
    int line = 0; // in the payment file; 0 for a record a host made
    QString payee;
    Money amount;
    QString reason;
    bool operator==(const AuditLeftOut&) const = default;
};

// A text the target's format writes differently from the payment file.
struct AuditChange {
    int line = 0;
    QString field;
    QString from;
    QString to;
    bool operator==(const AuditChange&) const = default;
};

// One entry of a writer that makes entries (a day's journal, a batch, a payment's own entry):
// what its lines debit and credit as written.
struct AuditEntry {
    // An entry made for one payment is named after its line, which spares a text per payment and
    // keeps an entry at 24 bytes; any other has its name in the audit's entryNames.
    int paymentFileLine = 0;
    int nameIndex = -1;
    Money debits;
    Money credits;
    bool balances() const { return debits == credits; }
};

} // namespace kn

// The audit's lists grow by moving their memory, not by copying each item over.
Q_DECLARE_TYPEINFO(kn::AuditLeftOut, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(kn::AuditChange, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(kn::AuditEntry, Q_RELOCATABLE_TYPE);

namespace kn {

// An earlier conversion of the same payments into the same package.
struct AuditEarlierConversion {
    QString time; // UTC, "2026-12-10 07:31:02 UTC"
    QString input;
    QString output;
    QString match; // "same payment file" or "same session, count and totals"
};

// A payment to a ledger account the target package does not know.
struct AuditUnknownAccount {
    int line = 0;
    QString account;
    QString payee;
    Money amount;
};

struct AuditFailure {
    int number = 0;
    QString description;
    QString source;
    QString detail;
};

// What a conversion did with every payment it read: the file itself stays as the target's format
// wants it, and this says what that format left out or changed.
struct ConversionAudit {
    QString package;
    QString input;
    QString output;
    int paymentsRead = 0;
    int written = 0;
    // The line (1-based) of the output file or row of the sheet where each written payment
    // starts, in the order they were written.
    std::vector<int> writtenAt;
    QList<AuditLeftOut> leftOut;
    QList<AuditChange> changed;
    Money debitsRead;
    Money creditsRead;
    Money debitsWritten;
    Money creditsWritten;
    QList<AuditEntry> entries;
    QStringList entryNames;
    std::optional<AuditFailure> failure;
    // A total that would leave Money's range stops adding: the conversion itself goes on.
    bool totalsOverflowed = false;
    // The checks before writing: conversions of the same payments before, payments to accounts
    // the package does not know, why the conversion was refused before anything was written,
    // and what could not be checked or kept (a history that cannot be used).
    QList<AuditEarlierConversion> alreadyConverted;
    QList<AuditUnknownAccount> unknownAccounts;
    std::optional<QString> refused;
    QStringList warnings;

    // Every entry balances (true when the writer makes none).
    bool entriesBalance() const;
    // The entry's name, or "payment-file line <n>" for a payment's own entry.
    QString entryTitle(const AuditEntry& entry) const;
};

// How a writer tells the frame what it did with each record.
class AuditRecorder {
public:
    explicit AuditRecorder(ConversionAudit& audit) : audit_(audit) {}
    // Called with each payment handled, so a host can show how far the conversion has come.
    void setProgress(std::function<void(int handled)> progress) { progress_ = std::move(progress); }

    void written(const TransRecord& record, int outputLine);
    void leftOut(const TransRecord& record, const QString& reason);
    // Notes the change when `to` differs from `from`, and gives back `to`.
    const QString& changed(const TransRecord& record, const QString& field, const QString& from, const QString& to);
    void entryLine(const QString& entry, Money amountAsWritten);
    // A line of the entry that belongs to the record alone.
    void paymentEntryLine(const TransRecord& record, Money amountAsWritten);

private:
    void handled();
    // The text as a QString shared with the last one noted that read the same: one payee is often
    // left out or changed in many payments, and the audit keeps it once.
    QString sharedText(const QString& text);

    ConversionAudit& audit_;
    std::function<void(int)> progress_;
    int handled_ = 0;
    std::array<QString, 256> recentTexts_;
};

// The debit (a positive amount) or credit (a negative one) of a payment, added to the totals;
// false when a total would leave Money's range (it is then left as it was).
bool addToTotals(Money amount, Money& debits, Money& credits);

} // namespace kn
