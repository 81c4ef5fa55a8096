// MYOB 11: a general journal file with a header line and one line per payment, dated in the
// pattern the user states for the computer that runs MYOB, amounts in the regional currency
// format in the debit or the credit column.
#include "core/ledgerwriter.h"

#include "writers/formatting.h"

namespace kn {

namespace {

const QString kSection = QStringLiteral("Settings");
const QString kDateKey = QStringLiteral("MYOBDate");

class MYOB11Writer final : public LedgerWriter {
public:
    bool prepare(const WriterContext& context) override
    {
        // Upper-cased, the region's own pattern ("M/d/yyyy") reads as one of the suggestions.
        const QString regionalPattern = context.regional.shortDatePattern().toUpper();
        const QString remembered = context.settings.read(context.settingsApplication, kSection, kDateKey, regionalPattern);
        context.status(StatusText::GettingUserSettings);
        const DateFormatAnswer answer = context.prompter.PromptDateFormat(myobDateFormatRequest(remembered));
        if (!answer.chosen)
            return false;
        // A default taken from the region stays unsaved until the user changes it.
        if (answer.pattern != remembered)
            context.settings.write(context.settingsApplication, kSection, kDateKey, answer.pattern);
        datePattern_ = answer.pattern;
        return true;
    }

    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.writeLine("Journal Number,Date,Memo,Account Number,Debit Amount,Credit Amount");
        out.startTransactions();
        const DatePattern date(datePattern_, context.regional, &context.codePage);
        const CurrencyPattern currency(context.regional, &context.codePage);
        Line line = out.newLine();
        for (const auto& record : context.records) {
            out.beginRecord(*record);
            line.clear();
            line += ',';
            date.appendTo(line, record->TransDate);
            line += ",\"";
            line += out.text(*record, RecordText::PaidTo);
            line += "\",";
            line += out.text(*record, RecordText::GLAccount);
            // A debit in the fifth column, anything else as a credit of its size in the sixth.
            if (record->Amount > Money()) {
                line += ",\"";
                currency.appendTo(line, record->Amount);
                line += "\",";
            } else {
                line += ",,\"";
                currency.appendTo(line, record->Amount.abs());
                line += '"';
            }
            out.writeLine(line);
        }
    }

private:
    QString datePattern_;
};

} // namespace

std::unique_ptr<LedgerWriter> makeMYOB11Writer(const PackageRow&)
{
    return std::make_unique<MYOB11Writer>();
}

} // namespace kn
