// Simply Accounting 8.5+: three comma-separated lines per payment: the entry (date "MM-DD-YY",
// entry source and payee in quotes, the currency and "1" for any currency but "CAD"), the
// payment's account and amount, and the balancing account with the amount reversed.
#include "core/ledgerwriter.h"

#include "core/formatting.h"

namespace kn {

namespace {

class SimplyWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        // The comparison is exact: "cad" is another currency here.
        const QString currencySuffix = context.currencyCode == QLatin1String("CAD")
                                           ? QString()
                                           : u',' + context.currencyCode + QStringLiteral(",1");
        const QString source = quoted(context.header.entrySource);
        // "-" is not the regional separator "/", so the date reads the same in every region.
        const DatePattern date(u"MM-DD-YY", context.regional);
        const NumberPattern amount(u"#.00", context.regional);
        LineBuffer line;
        for (const auto& record : context.records) {
            out.beginRecord(*record);
            const Money written = Money::fromUnits(record->Amount.roundedCents() * 100);
            context.audit.paymentEntryLine(*record, written);
            context.audit.paymentEntryLine(*record, -written);
            line.resize(0);
            date.appendTo(line, record->TransDate);
            line += u',';
            line += source;
            line += u",\"";
            line += record->text(RecordText::PaidTo);
            line += u'"';
            line += currencySuffix;
            out.writeLine(line);
            line.resize(0);
            line += record->text(RecordText::GLAccount);
            line += u',';
            amount.appendTo(line, record->Amount);
            out.writeLine(line);
            line.resize(0);
            line += context.header.balancingAccount;
            line += u',';
            amount.appendTo(line, -record->Amount);
            out.writeLine(line);
        }
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeSimplyWriter(const PackageRow&)
{
    return std::make_unique<SimplyWriter>();
}

} // namespace kn
