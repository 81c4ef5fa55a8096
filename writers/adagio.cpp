// Adagio: one comma-separated entry line per non-zero payment. The account is cut at "|" into
// three parts; a missing third part is "APBP".
#include "core/ledgerwriter.h"

#include "batch.h"
#include "core/conversions.h"
#include "writers/formatting.h"

#include <array>

namespace kn {

namespace {

class AdagioWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        const DatePattern date(u"yyyymmdd", context.regional, &context.codePage);
        const NumberPattern amount(u"0.00", context.regional, &context.codePage);
        writeBatchEntries(out, context, [&](const TransRecord& record, BatchEntryFields& fields) {
            // Whatever follows a third "|" has no column; an account without "|" is the first part.
            std::array<PageText, 3> parts;
            PageText rest = out.text(record, RecordText::GLAccount).trimmed();
            for (PageText& part : parts) {
                const std::size_t bar = rest.find('|');
                part = rest.first(bar);
                if (bar == std::string_view::npos)
                    break;
                rest = rest.sliced(bar + 1);
            }
            fields.account = parts[0];
            fields.part2 = parts[1];
            fields.part3 = parts[2].empty() ? PageText{"APBP", {}} : parts[2];
            fields.date.clear();
            date.appendTo(fields.date, record.TransDate);
            fields.amount.clear();
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
