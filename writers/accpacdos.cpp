// AccPac Plus (DOS version): one comma-separated batch line per non-zero payment, the date as
// "YYMMDD", the account cut at its first "|" into account and sub-account, the payee in 30
// columns and the amount right-aligned in 13.
#include "core/ledgerwriter.h"

#include "batch.h"
#include "core/conversions.h"
#include "writers/formatting.h"


namespace kn {

namespace {

class AccPacDosWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        const DatePattern date(u"YYMMDD", context.regional, &context.codePage);
        const NumberPattern amount(u"0.00", context.regional, &context.codePage);
        writeBatchEntries(out, context, [&](const TransRecord& record, BatchEntryFields& fields) {
            const PageText ledger = out.text(record, RecordText::GLAccount).trimmed();
            const std::size_t bar = ledger.find('|');
            fields.account = ledger.first(bar);
            fields.part2 = bar == std::string_view::npos ? PageText() : ledger.sliced(bar + 1);
            fields.part3 = {"IMKN", {}};
            fields.date.clear();
            date.appendTo(fields.date, record.TransDate);
            // Right-aligned in 13 columns; a longer amount stands as it is.
            fields.amount.clear();
            amount.appendTo(fields.amount, record.Amount);
            if (fields.amount.size() < 13)
                fields.amount.insertFront(13 - fields.amount.size(), ' ');
        });
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeAccPacDosWriter(const PackageRow&)
{
    return std::make_unique<AccPacDosWriter>();
}

} // namespace kn
