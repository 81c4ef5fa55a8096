// Jonas: tab-separated, one line per payment whose account holds the three segments
// "segment|segment|segment"; an account with fewer than two "|" is left out.
#include "core/ledgerwriter.h"

#include "core/conversions.h"
#include "writers/formatting.h"

#include <array>

namespace kn {

namespace {

class JonasWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        const DatePattern date(u"MM/DD/YYYY", context.regional, &context.codePage);
        const EncodedText decimalSeparator = out.encode(context.regional.decimalSeparator());
        Line line = out.newLine();
        out.startTransactions();
        for (const auto& record : context.records) {
            std::array<PageText, 3> segments;
            PageText rest = out.text(*record, RecordText::GLAccount);
            std::size_t found = 0;
            while (found < 2) {
                const std::size_t bar = rest.find('|');
                if (bar == std::string_view::npos)
                    break;
                segments[found++] = rest.first(bar);
                rest = rest.sliced(bar + 1);
            }
            if (found < 2) {
                context.audit.leftOut(*record, AuditReason::ShortAccount);
                continue;
            }
            segments[2] = rest;
            out.beginRecord(*record);
            // An invoice number of blanks only is not empty: it gives an empty reference.
            const PageText reference =
                out.text(*record, record->textSize(RecordText::InvoiceNo) == 0 ? RecordText::PaymentFor : RecordText::InvoiceNo)
                    .trimmed();
            line.clear();
            for (const PageText segment : segments) {
                line += segment;
                line += '\t';
            }
            line += out.text(*record, RecordText::GLDetails);
            line += '\t';
            // Month/day/year with "/" between them whatever the regional separator.
            const Line::Mark dateStart = line.end();
            date.appendTo(line, record->TransDate);
            putSlashesAt3And6(line, dateStart);
            line += '\t';
            appendPlainDecimal(line, record->Amount, decimalSeparator);
            line += '\t';
            line += reference;
            line += '\t';
            line += out.text(*record, RecordText::PaidTo).trimmed();
            out.writeLine(line);
        }
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeJonasWriter(const PackageRow&)
{
    return std::make_unique<JonasWriter>();
}

} // namespace kn
