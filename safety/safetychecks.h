#pragma once

#include "knownaccounts.h"

#include "core/audit.h"
#include "core/conversionchecks.h"

#include <QString>

#include <memory>
#include <optional>

namespace kn {

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

// The checks of SafetyOptions, for KNExport::setChecks. The payment file is fingerprinted as the
// import reads it, and the import file as it is written. After the import, before anything is
// written, they note earlier conversions of the same payments and payments to unknown accounts
// in the audit and warn of them, or refuse the conversion; once the import file is in place,
// they keep the conversion in the history.
std::shared_ptr<const ConversionChecks> makeSafetyChecks(SafetyOptions options);

// "2 payments go to accounts the package does not know (line 3: 5999; line 7: 6100)", the first
// `listed` of them named.
QString unknownAccountsText(const ConversionAudit& audit, int listed = 10);

// "these payments were converted into Momentum (05) before: on 2026-12-10 07:31:02 UTC into
// /books/MOMGL.txt (same payment file); importing both posts the payments twice".
QString repeatWarning(const ConversionAudit& audit, const QString& packageCode, const QString& packageTitle);

} // namespace kn
