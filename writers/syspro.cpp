// SysPro: one fixed-column line per non-zero payment, no header: account (15), plain amount (16),
// "Kaprin" (9), the date in the user's remembered pattern, payee (60).
#include "core/ledgerwriter.h"

#include "writers/formatting.h"

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
        const DatePattern date(datePattern_, context.regional, &context.codePage);
        const EncodedText decimalSeparator = out.encode(context.regional.decimalSeparator());
        Line line = out.newLine();
        out.forEachPayment([&](const TransRecord& record) {
            const PageText account = out.text(record, RecordText::GLAccount);
            const PageText paidTo = out.text(record, RecordText::PaidTo);
            out.noteChanged(record, QStringLiteral("account"), account, account.first(15));
            out.noteChanged(record, QStringLiteral("payee"), paidTo, paidTo.first(60));
            // Each field filled with blanks, or cut, to its width.
            line.clear();
            line += account;
            line.fit({}, 15, ' ');
            const Line::Mark amount = line.end();
            appendPlainDecimal(line, record.Amount, decimalSeparator);
            line.fit(amount, 16, ' ');
            line += "Kaprin   ";
            date.appendTo(line, record.TransDate);
            const Line::Mark payee = line.end();
            line += paidTo;
            line.fit(payee, 60, ' ');
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
