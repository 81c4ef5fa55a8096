// Adagio: one comma-separated entry line per non-zero payment. The account is cut at "|" into
// three parts; a missing third part is "APBP".
#include "core/ledgerwriter.h"

#include "batch.h"
#include "core/conversions.h"
#include "core/formatting.h"

#include <array>

namespace kn {

namespace {

class AdagioWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        const DatePattern date(u"yyyymmdd", context.regional);
        const NumberPattern amount(u"0.00", context.regional);
        writeBatchEntries(out, context, [&](const TransRecord& record, BatchEntryFields& fields) {
            // Whatever follows a third "|" has no column; an account without "|" is the first part.
            std::array<TextView, 3> parts;
            TextView rest = trimmedBlanks(record.text(RecordText::GLAccount));
            for (std::size_t i = 0; i < parts.size(); ++i) {
                const qsizetype bar = rest.indexOf(u'|');
                parts[i] = bar < 0 ? rest : rest.first(bar);
                if (bar < 0)
                    break;
                rest = rest.sliced(bar + 1);
            }
            fields.account = parts[0];
            fields.part2 = parts[1];
            fields.part3 = parts[2].isEmpty() ? TextView(u"APBP") : parts[2];
            fields.date.resize(0);
            date.appendTo(fields.date, record.TransDate);
            fields.amount.resize(0);
            amount.appendTo(fields.amount, record.Amount);
        });
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeAdagioWriter(const PackageRow&)
{
    return std::make_unique<AdagioWriter>();
}

} // namespace kn
