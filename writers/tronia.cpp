// Tronia: a tab-separated general journal with a header line and one line per payment. The
// journal number is the session number in "000" followed by the payment's count in "00000";
// a positive amount is a debit, zero or less a credit of the amount's absolute value.
#include "core/ledgerwriter.h"

#include "core/counters.h"
#include "core/formatting.h"

#include <QStringList>

namespace kn {

namespace {

class TroniaWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        out.writeLine(u"Journal Number\tDate\tMemo\tAccount Number\tDebit Amount\tCredit Amount");
        const QString journalPrefix = formatNumericText(context.header.sessionNumber, u"000", context.regional);
        short count = 0;
        for (const auto& record : context.records) {
            count = nextCount(count);
            out.beginRecord(*record);
            const bool debit = record->Amount > Money();
            const QString amount = formatNumber(record->Amount.abs(), u"######0.00", context.regional);
            out.writeLine(QStringList{journalPrefix + formatNumber(Money::fromWhole(count), u"00000", context.regional),
                                      formatDatePattern(record->TransDate, u"MM/DD/YYYY", context.regional),
                                      record->PaidTo(), record->GLAccount(), debit ? amount : QString(),
                                      debit ? QString() : amount}
                              .join(u'\t'));
        }
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeTroniaWriter(const PackageRow&)
{
    return std::make_unique<TroniaWriter>();
}

} // namespace kn
