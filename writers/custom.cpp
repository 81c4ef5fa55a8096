// The custom format: one numbered comma-separated line per non-zero payment, no header. The line
// numbers count only the lines written.
#include "core/ledgerwriter.h"

#include "core/counters.h"
#include "core/conversions.h"
#include "core/formatting.h"

namespace kn {

namespace {

class CustomWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        const DatePattern date(u"yyyymmdd", context.regional);
        const NumberPattern lineNumberText(u"###0", context.regional);
        const NumberPattern amount(u"0.00", context.regional);
        LineBuffer line;
        short lineNumber = 0;
        out.forEachPayment([&](const TransRecord& record) {
            lineNumber = nextCount(lineNumber);
            line.resize(0);
            line += u"\"E\",";
            lineNumberText.appendTo(line, Money::fromWhole(lineNumber));
            line += u",\"";
            date.appendTo(line, record.TransDate);
            line += u"\",\"\",\"\",\"";
            line += trimmedBlanks(record.text(RecordText::GLAccount));
            line += u"\",\"";
            line += context.header.sessionNumber;
            line += u"\",\"";
            date.appendTo(line, record.TransDate);
            line += u"\",\"";
            line += trimmedBlanks(record.text(RecordText::PaidTo));
            line += u"\",";
            amount.appendTo(line, record.Amount);
            out.writeLine(line);
        });
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeCustomWriter(const PackageRow&)
{
    return std::make_unique<CustomWriter>();
}

} // namespace kn
