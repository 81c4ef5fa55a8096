#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace kn {

struct ConversionAudit;
struct PaymentHeader;
class TransRecords;

// Checks a host asks KNExport to run around each conversion that writes an import file: given
// the payment file as it has been read, they may refuse to write, and they are told once the
// import file is in place.
class ConversionChecks {
public:
    using WarningHandler = std::function<void(const QString& text)>;

    // The checks of one conversion, alive from before the payment file is read until the
    // conversion ends.
    class Run {
    public:
        virtual ~Run() = default;
        // After the import, before anything is written; false refuses the conversion, the audit's
        // `refused` saying why.
        virtual bool beforeWriting(ConversionAudit& audit, const PaymentHeader& header, const TransRecords& records,
                                   const QString& packageCode, const QString& packageTitle) = 0;
        // Once the import file is in place.
        virtual void afterWriting(ConversionAudit& audit) = 0;
    };

    virtual ~ConversionChecks() = default;
    // Starts the checks of a conversion of the payment file at `input`; `warn` is told of each
    // warning the audit notes.
    virtual std::unique_ptr<Run> start(const QString& input, WarningHandler warn) const = 0;
};

} // namespace kn
