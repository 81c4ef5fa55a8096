// Simply Accounting 8.5+: three comma-separated lines per payment: the entry (date "MM-DD-YY",
// entry source and payee in quotes, the currency and "1" for any currency but "CAD"), the
// payment's account and amount, and the balancing account with the amount reversed.
#include "core/ledgerwriter.h"

#include "writers/formatting.h"

namespace kn {

namespace {

class SimplyWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        // The comparison is exact: "cad" is another currency here.
        const EncodedText currencySuffix = out.encode(
            context.currencyCode == QLatin1String("CAD") ? QString() : u',' + context.currencyCode + QStringLiteral(",1"));
        const EncodedText source = out.encode(quoted(context.header.entrySource));
        const EncodedText balancingAccount = out.encode(context.header.balancingAccount);
        // "-" is not the regional separator "/", so the date reads the same in every region.
        const DatePattern date(u"MM-DD-YY", context.regional, &context.codePage);
        const NumberPattern amount(u"#.00", context.regional, &context.codePage);
        Line line = out.newLine();
        for (const auto& record : context.records) {
            out.beginRecord(*record);
            const Money written = Money::fromUnits(record->Amount.roundedCents() * 100);
            context.audit.paymentEntryLine(*record, written);
            context.audit.paymentEntryLine(*record, -written);
            line.clear();
            date.appendTo(line, record->TransDate);
            line += ',';
            line += source;
            line += ",\"";
            line += out.text(*record, RecordText::PaidTo);
            line += '"';
            line += currencySuffix;
            out.writeLine(line);
            line.clear();
            line += out.text(*record, RecordText::GLAccount);
            line += ',';
            amount.appendTo(line, record->Amount);
            out.writeLine(line);
            line.clear();
            line += balancingAccount;
            line += ',';
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
