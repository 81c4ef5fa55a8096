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
        for (const auto& record : context.records) {
            // "-" is not the regional separator "/", so the date reads the same in every region.
            const QString date = formatDatePattern(record->TransDate, u"MM-DD-YY", context.regional);
            out.beginRecord(*record);
            const QString entry = QStringLiteral("payment-file line %1").arg(record->PaymentFileLine);
            const Money written = Money::fromUnits(record->Amount.roundedCents() * 100);
            context.audit.entryLine(entry, written);
            context.audit.entryLine(entry, -written);
            out.writeLine(date + u',' + source + u',' + quoted(record->PaidTo()) + currencySuffix);
            out.writeLine(record->GLAccount() + u',' + formatNumber(record->Amount, u"#.00", context.regional));
            out.writeLine(context.header.balancingAccount + u',' +
                          formatNumber(-record->Amount, u"#.00", context.regional));
        }
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeSimplyWriter(const PackageRow&)
{
    return std::make_unique<SimplyWriter>();
}

} // namespace kn
