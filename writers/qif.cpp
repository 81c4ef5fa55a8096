#include "qif.h"

#include "writers/formatting.h"

namespace kn {

void writeQifBankRegister(ExportFile& out, const WriterContext& context, QStringView datePattern,
                          const QString& reference)
{
    const DatePattern date(datePattern, context.regional, &context.codePage);
    const NumberPattern withdrawal(u"########0.00", context.regional, &context.codePage);
    out.startTransactions();
    out.writeLine("!Type:Bank");
    Line memo = out.newLine();
    memo += out.encode(QStringLiteral("Mref#") + reference);
    Line line = out.newLine();
    for (const auto& record : context.records) {
        const PageText payee = out.text(*record, RecordText::PaidTo);
        if (beginsInUpperCaseWith(payee.bytes, "BANK")) {
            context.audit.leftOut(*record, AuditReason::BankPayee);
            continue;
        }
        out.beginRecord(*record);
        line.clear();
        line += 'D';
        date.appendTo(line, record->TransDate);
        out.writeLine(line);
        line.clear();
        line += 'P';
        line += payee;
        out.writeLine(line);
        line.clear();
        line += 'T';
        withdrawal.appendTo(line, -record->Amount);
        out.writeLine(line);
        out.writeLine(memo);
        out.writeLine("L");
        out.writeLine("^");
    }
}

} // namespace kn
