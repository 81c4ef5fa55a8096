// The custom format: one numbered comma-separated line per non-zero payment, no header. The line
// numbers count only the lines written.
#include "core/ledgerwriter.h"

#include "writers/counters.h"
#include "core/conversions.h"
#include "writers/formatting.h"

namespace kn {

namespace {

class CustomWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        const DatePattern date(u"yyyymmdd", context.regional, &context.codePage);
        const NumberPattern lineNumberText(u"###0", context.regional, &context.codePage);
        const NumberPattern amount(u"0.00", context.regional, &context.codePage);
        const EncodedText session = out.encode(context.header.sessionNumber);
        Line line = out.newLine();
        short lineNumber = 0;
        out.forEachPayment([&](const TransRecord& record) {
            lineNumber = nextCount(lineNumber);
            line.clear();
            line += "\"E\",";
            lineNumberText.appendTo(line, Money::fromWhole(lineNumber));
            line += ",\"";
            date.appendTo(line, record.TransDate);
            line += "\",\"\",\"\",\"";
            line += out.text(record, RecordText::GLAccount).trimmed();
            line += "\",\"";
            line += session;
            line += "\",\"";
            date.appendTo(line, record.TransDate);
            line += "\",\"";
            line += out.text(record, RecordText::PaidTo).trimmed();
            line += "\",";
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
