// Jonas: tab-separated, one line per payment whose account holds the three segments
// "segment|segment|segment"; an account with fewer than two "|" is left out.
#include "core/ledgerwriter.h"

#include "core/formatting.h"

#include <QStringList>

namespace kn {

namespace {

class JonasWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        for (const auto& record : context.records) {
            const QStringList segments = splitSegments(record->GLAccount(), u'|', 3);
            if (segments.size() < 3) {
                context.audit.leftOut(*record, AuditReason::ShortAccount);
                continue;
            }
            out.beginRecord(*record);
            // An invoice number of blanks only is not empty: it gives an empty reference.
            const QString reference = record->InvoiceNo().isEmpty() ? trimBlanks(record->PaymentFor())
                                                                  : trimBlanks(record->InvoiceNo());
            out.writeLine(QStringList{segments[0], segments[1], segments[2], record->GLDetails(),
                                      JonasDateFormat(record->TransDate, context.regional),
                                      plainDecimal(record->Amount, context.regional), reference,
                                      trimBlanks(record->PaidTo())}
                              .join(u'\t'));
        }
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeJonasWriter(const PackageRow&)
{
    return std::make_unique<JonasWriter>();
}

} // namespace kn
