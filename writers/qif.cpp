#include "qif.h"

#include "core/formatting.h"

namespace kn {

namespace {
// "BANK" in any case at the start, each character compared by its upper case.
bool beginsWithBank(QStringView payee)
{
    constexpr char16_t bank[] = u"BANK";
    if (payee.size() < 4)
        return false;
    for (qsizetype i = 0; i < 4; ++i) {
        if (payee[i].toUpper() != QChar(bank[i]))
            return false;
    }
    return true;
}
} // namespace

void writeQifBankRegister(ExportFile& out, const WriterContext& context, QStringView datePattern,
                          const QString& reference)
{
    const DatePattern date(datePattern, context.regional);
    const NumberPattern withdrawal(u"########0.00", context.regional);
    out.startTransactions();
    out.writeLine(u"!Type:Bank");
    const QString memo = QStringLiteral("Mref#") + reference;
    QString line;
    for (const auto& record : context.records) {
        const QStringView payee = record->text(RecordText::PaidTo);
        if (beginsWithBank(payee)) {
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
