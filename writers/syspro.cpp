// SysPro: one fixed-column line per non-zero payment, no header: account (15), plain amount (16),
// "Kaprin" (9), the date in the user's remembered pattern, payee (60).
#include "core/ledgerwriter.h"

#include "core/formatting.h"

namespace kn {

namespace {

const QString kSection = QStringLiteral("Settings");
const QString kDateKey = QStringLiteral("SysProDate");
const QString kProposedPattern = QStringLiteral("DDMMYY");

class SysProWriter final : public LedgerWriter {
public:
    bool prepare(const WriterContext& context) override
    {
        QString pattern = context.settings.read(context.settingsApplication, kSection, kDateKey, QString());
        if (pattern.isEmpty())
            pattern = kProposedPattern;
        context.status(StatusText::GettingUserSettings);
        const DateFormatAnswer answer = context.prompter.PromptDateFormat(DateFormatRequest{
            QStringLiteral("SysPro Date Format"), QStringLiteral("Please select the date format used by SysPro."),
            {kProposedPattern, QStringLiteral("MMDDYY")}, pattern});
        if (!answer.chosen)
            return false;
        context.settings.write(context.settingsApplication, kSection, kDateKey, answer.pattern);
        datePattern_ = answer.pattern;
        return true;
    }

    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        for (const auto& record : context.records) {
            if (record->Amount.isZero()) {
                context.audit.leftOut(*record, AuditReason::ZeroAmount);
                continue;
            }
            out.beginRecord(*record);
            context.audit.changed(*record, QStringLiteral("account"), record->GLAccount(), record->GLAccount().left(15));
            context.audit.changed(*record, QStringLiteral("payee"), record->PaidTo(), record->PaidTo().left(60));
            out.writeLine(FixedWidth(record->GLAccount(), 15) + FixedWidth(plainDecimal(record->Amount, context.regional), 16) +
                          FixedWidth(QStringLiteral("Kaprin"), 9) +
                          formatDatePattern(record->TransDate, datePattern_, context.regional) +
                          FixedWidth(record->PaidTo(), 60));
        }
    }

private:
    QString datePattern_;
};

} // namespace

std::unique_ptr<LedgerWriter> makeSysProWriter(const PackageRow&)
{
    return std::make_unique<SysProWriter>();
}

} // namespace kn
