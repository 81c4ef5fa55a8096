#include "qif.h"

#include "core/formatting.h"

namespace kn {

void writeQifBankRegister(ExportFile& out, const WriterContext& context, QStringView datePattern,
                          const QString& reference)
{
    out.startTransactions();
    out.writeLine(u"!Type:Bank");
    const QString memo = QStringLiteral("Mref#") + reference;
    for (const auto& record : context.records) {
        if (record->PaidTo.left(4).toUpper() == QLatin1String("BANK")) {
            context.audit.leftOut(*record, AuditReason::BankPayee);
            continue;
        }
        out.beginRecord(*record);
        out.writeLine(u'D' + formatDatePattern(record->TransDate, datePattern, context.regional));
        out.writeLine(u'P' + record->PaidTo);
        out.writeLine(u'T' + formatNumber(-record->Amount, u"########0.00", context.regional));
        out.writeLine(memo);
        out.writeLine(u"L");
        out.writeLine(u"^");
    }
}

} // namespace kn
