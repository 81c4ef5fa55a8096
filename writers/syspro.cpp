// SysPro: one fixed-column line per non-zero payment, no header: account (15), plain amount (16),
// "Kaprin" (9), the date in the user's remembered pattern, payee (60).
#include "core/ledgerwriter.h"

#include "core/formatting.h"

#include <algorithm>

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
        const DatePattern date(datePattern_, context.regional);
        LineBuffer line;
        // Fills the field from `start` with blanks, or cuts it, to `width` characters.
        const auto fitField = [&line](qsizetype start, qsizetype width) { line.resize(start + width, u' '); };
        out.forEachPayment([&](const TransRecord& record) {
            const TextView account = record.text(RecordText::GLAccount);
            const TextView paidTo = record.text(RecordText::PaidTo);
            context.audit.changed(record, QStringLiteral("account"), account, account.first(std::min<qsizetype>(account.size(), 15)));
            context.audit.changed(record, QStringLiteral("payee"), paidTo, paidTo.first(std::min<qsizetype>(paidTo.size(), 60)));
            line.resize(0);
            line += account;
            fitField(0, 15);
            appendPlainDecimal(line, record.Amount, context.regional);
            fitField(15, 16);
            line += u"Kaprin   ";
            date.appendTo(line, record.TransDate);
            const qsizetype payee = line.size();
            line += paidTo;
            fitField(payee, 60);
            out.writeLine(line);
        });
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
