// AccPac Plus (DOS version): one comma-separated batch line per non-zero payment, the date as
// "YYMMDD", the account cut at its first "|" into account and sub-account, the payee in 30
// columns and the amount right-aligned in 13.
#include "core/ledgerwriter.h"

#include "batch.h"
#include "core/formatting.h"

#include <QStringList>

namespace kn {

namespace {

class AccPacDosWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        writeBatchEntries(out, context, [&context](const TransRecord& record) {
            const QStringList account = splitSegments(trimBlanks(record.GLAccount()), u'|', 2);
            const QString amount = formatNumber(record.Amount, u"0.00", context.regional);
            return BatchEntryFields{formatDatePattern(record.TransDate, u"YYMMDD", context.regional), account[0],
                                    account.value(1), QStringLiteral("IMKN"), PadLeft(amount, 13, QStringLiteral(" "))};
        });
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeAccPacDosWriter(const PackageRow&)
{
    return std::make_unique<AccPacDosWriter>();
}

} // namespace kn
