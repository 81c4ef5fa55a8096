// Momentum: one comma-separated line per non-zero payment, no header:
// date DDMMYYYY, amount, payee, then the ledger account as at least four segments.
#include "core/ledgerwriter.h"

#include "core/formatting.h"

namespace kn {

namespace {

class MomentumWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        for (const auto& record : context.records) {
            if (record->Amount.isZero()) {
                context.audit.leftOut(*record, AuditReason::ZeroAmount);
                continue;
            }
            out.beginRecord(*record);
            QString payee = record->PaidTo.left(30);
            payee.remove(u',');
            context.audit.changed(*record, QStringLiteral("payee"), record->PaidTo, payee);
            QString ledger = record->GLAccount;
            ledger.replace(u'-', u',');
            const short commas = CountChar(ledger, u',');
            if (commas < 3)
                ledger += QString(3 - commas, u',');
            out.writeLine(formatDatePattern(record->TransDate, u"DDMMYYYY", context.regional) + u',' +
                          formatNumber(record->Amount, u"########0.00", context.regional) + u',' + payee + u',' +
                          ledger);
        }
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeMomentumWriter(const PackageRow&)
{
    return std::make_unique<MomentumWriter>();
}

} // namespace kn
