#include "qif.h"

#include "core/formatting.h"

namespace kn {

void writeQifBankRegister(ExportFile& out, const WriterContext& context, QStringView datePattern,
                          const QString& reference)
{
    const DatePattern date(datePattern, context.regional);
    const NumberPattern withdrawal(u"########0.00", context.regional);
    out.startTransactions();
    out.writeLine(u"!Type:Bank");
    const QString memo = QStringLiteral("Mref#") + reference;
    LineBuffer line;
    for (const auto& record : context.records) {
        const TextView payee = record->text(RecordText::PaidTo);
        if (beginsInUpperCaseWith(payee, u"BANK")) {
            context.audit.leftOut(*record, AuditReason::BankPayee);
            continue;
        }
        out.beginRecord(*record);
        line.resize(0);
        line += u'D';
        date.appendTo(line, record->TransDate);
        out.writeLine(line);
        line.resize(0);
        line += u'P';
        line += payee;
        out.writeLine(line);
        line.resize(0);
        line += u'T';
        withdrawal.appendTo(line, -record->Amount);
        out.writeLine(line);
        out.writeLine(memo);
        out.writeLine(u"L");
        out.writeLine(u"^");
    }
}

} // namespace kn
