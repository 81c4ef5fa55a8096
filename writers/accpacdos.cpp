// AccPac Plus (DOS version): one comma-separated batch line per non-zero payment, the date as
// "YYMMDD", the account cut at its first "|" into account and sub-account, the payee in 30
// columns and the amount right-aligned in 13.
#include "core/ledgerwriter.h"

#include "batch.h"
#include "core/conversions.h"
#include "core/formatting.h"

#include <algorithm>

namespace kn {

namespace {

class AccPacDosWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        const DatePattern date(u"YYMMDD", context.regional);
        const NumberPattern amount(u"0.00", context.regional);
        LineBuffer digits;
        writeBatchEntries(out, context, [&](const TransRecord& record, BatchEntryFields& fields) {
            const TextView ledger = trimmedBlanks(record.text(RecordText::GLAccount));
            const qsizetype bar = ledger.indexOf(u'|');
            fields.account = bar < 0 ? ledger : ledger.first(bar);
            fields.part2 = bar < 0 ? TextView() : ledger.sliced(bar + 1);
            fields.part3 = TextView(u"IMKN");
            fields.date.resize(0);
            date.appendTo(fields.date, record.TransDate);
            // Right-aligned in 13 columns; a longer amount stands as it is.
            digits.resize(0);
            amount.appendTo(digits, record.Amount);
            fields.amount.resize(0);
            fields.amount.resize(std::max<qsizetype>(0, 13 - digits.size()), u' ');
            fields.amount += digits.view();
        });
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeAccPacDosWriter(const PackageRow&)
{
    return std::make_unique<AccPacDosWriter>();
}

} // namespace kn
