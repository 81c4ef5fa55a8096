// Adagio: one comma-separated entry line per non-zero payment. The account is cut at "|" into
// three parts; a missing third part is "APBP".
#include "core/ledgerwriter.h"

#include "batch.h"
#include "core/formatting.h"

#include <QStringList>

namespace kn {

namespace {

class AdagioWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        writeBatchEntries(out, context, [&context](const TransRecord& record) {
            // Whatever follows a third "|" has no column; an account without "|" is the first part.
            const QStringList parts = splitSegments(trimBlanks(record.GLAccount()), u'|', 4);
            return BatchEntryFields{formatDatePattern(record.TransDate, u"yyyymmdd", context.regional), parts[0],
                                    parts.value(1), parts.value(2).isEmpty() ? QStringLiteral("APBP") : parts[2],
                                    formatNumber(record.Amount, u"0.00", context.regional)};
        });
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeAdagioWriter(const PackageRow&)
{
    return std::make_unique<AdagioWriter>();
}

} // namespace kn
