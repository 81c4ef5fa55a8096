// The custom format: one numbered comma-separated line per non-zero payment, no header. The line
// numbers count only the lines written.
#include "core/ledgerwriter.h"

#include "core/counters.h"
#include "core/formatting.h"

#include <QStringList>

namespace kn {

namespace {

class CustomWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        const QString session = quoted(context.header.sessionNumber);
        const QString empty = quoted({});
        short lineNumber = 0;
        for (const auto& record : context.records) {
            if (record->Amount.isZero()) {
                context.audit.leftOut(*record, AuditReason::ZeroAmount);
                continue;
            }
            out.beginRecord(*record);
            const QString date = quoted(formatDatePattern(record->TransDate, u"yyyymmdd", context.regional));
            lineNumber = nextCount(lineNumber);
            out.writeLine(QStringList{QStringLiteral("\"E\""),
                                      formatNumber(Money::fromWhole(lineNumber), u"###0", context.regional), date,
                                      empty, empty, quoted(trimBlanks(record->GLAccount())), session, date,
                                      quoted(trimBlanks(record->PaidTo())),
                                      formatNumber(record->Amount, u"0.00", context.regional)}
                              .join(u','));
        }
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeCustomWriter(const PackageRow&)
{
    return std::make_unique<CustomWriter>();
}

} // namespace kn
