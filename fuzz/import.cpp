// The payment-file import from raw bytes: a header and detail lines in a fuzzed locale and code
// page, read from memory. Every record read must read back its texts through the object model.
#include "fuzzinput.h"

#include "core/audit.h"
#include "core/codepage.h"
#include "core/knerror.h"
#include "core/paymentfile.h"
#include "core/regional.h"
#include "core/transrecords.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kn;
    fuzz::FuzzInput input(data, size);
    const RegionalSettings& regional = fuzz::chooseRegion(input);
    const CodePage& codePage = fuzz::chooseCodePage(input);
    const QByteArray bytes = input.rest();
    TransRecords records;
    ConversionAudit audit;
    try {
        PaymentFileReader reader(codePage, regional, records, audit);
        TextFileReader file(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        readPaymentFile(file, reader);
    } catch (const KNError&) {
    }
    if (audit.paymentsRead != records.Count())
        std::abort();
    for (const auto& record : records) {
        // A record's texts are no longer than the columns they come from.
        if (record->PaidTo().size() > 30 || record->GLAccount_Full().size() > 30 || record->PaymentFor().size() > 45)
            std::abort();
    }
    return 0;
}
