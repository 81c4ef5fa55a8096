// Tronia: a tab-separated general journal with a header line and one line per payment. The
// journal number is the session number in "000" followed by the payment's count in "00000";
// a positive amount is a debit, zero or less a credit of the amount's absolute value.
#include "core/ledgerwriter.h"

#include "writers/counters.h"
#include "writers/formatting.h"

namespace kn {

namespace {

class TroniaWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        out.writeLine("Journal Number\tDate\tMemo\tAccount Number\tDebit Amount\tCredit Amount");
        const EncodedText journalPrefix =
            out.encode(formatNumericText(context.header.sessionNumber, u"000", context.regional));
        const NumberPattern countText(u"00000", context.regional, &context.codePage);
        const NumberPattern amount(u"######0.00", context.regional, &context.codePage);
        const DatePattern date(u"MM/DD/YYYY", context.regional, &context.codePage);
        Line line = out.newLine();
        short count = 0;
        for (const auto& record : context.records) {
            count = nextCount(count);
            out.beginRecord(*record);
            const bool debit = record->Amount > Money();
            line.clear();
            line += journalPrefix;
            countText.appendTo(line, Money::fromWhole(count));
            line += '\t';
            date.appendTo(line, record->TransDate);
            line += '\t';
            line += out.text(*record, RecordText::PaidTo);
            line += '\t';
            line += out.text(*record, RecordText::GLAccount);
            line += '\t';
            if (!debit)
                line += '\t';
            amount.appendTo(line, record->Amount.abs());
            if (debit)
                line += '\t';
            out.writeLine(line);
        }
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeTroniaWriter(const PackageRow&)
{
    return std::make_unique<TroniaWriter>();
}

} // namespace kn
