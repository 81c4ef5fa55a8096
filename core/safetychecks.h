#pragma once

#include "audit.h"
#include "history.h"
#include "knownaccounts.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace kn {

struct PaymentHeader;
class TransRecords;

// The checks around a conversion that keep payments from being posted twice or to an account the
// package does not know. Everything is off until a host sets it.
struct SafetyOptions {
    QString historyPath; // no history when empty
    bool refuseRepeat = false;
    std::optional<KnownAccounts> knownAccounts;
    bool strictAccounts = false;
    int historyBusyTimeoutMs = 3000;
    // A preview looks for earlier conversions and records none.
    bool recordConversion = true;
};

// The checks of one conversion. The payment file is fingerprinted as the import reads it, and the
// import file as it is written.
class SafetyRun {
public:
    using WarningHandler = std::function<void(const QString&)>;

    SafetyRun(const SafetyOptions& options, const QString& input, WarningHandler warn);
    ~SafetyRun();
    // The fingerprint of what was read or written, or of the file read again.
    static std::optional<FileFingerprint> fingerprintOf(std::unique_ptr<StreamFingerprint>& stream, const QString& path);
    SafetyRun(const SafetyRun&) = delete;
    SafetyRun& operator=(const SafetyRun&) = delete;

    // After the import, before anything is written: notes earlier conversions of the same
    // payments and payments to unknown accounts in the audit and warns of them. False when the
    // conversion is refused; the audit's `refused` says why.
    bool beforeWriting(ConversionAudit& audit, const PaymentHeader& header, const TransRecords& records,
                       const QString& packageCode, const QString& packageTitle);
    // Once the import file is in place: keeps the conversion in the history.
    void afterWriting(ConversionAudit& audit);

private:
    void warn(ConversionAudit& audit, const QString& text);

    const SafetyOptions& options_;
    WarningHandler warn_;
    std::unique_ptr<ConversionHistory> history_;
    std::unique_ptr<StreamFingerprint> inputFingerprint_;
    std::unique_ptr<StreamFingerprint> outputFingerprint_;
    ConversionRecord conversion_;
    bool inputReadable_ = false;
};

// "these payments were converted into Momentum (05) before: on 2026-12-10 07:31:02 UTC into
// /books/MOMGL.txt (same payment file); importing both posts the payments twice".
QString repeatWarning(const ConversionAudit& audit, const QString& packageCode, const QString& packageTitle);

} // namespace kn
