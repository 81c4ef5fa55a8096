// Jonas: tab-separated, one line per payment whose account holds the three segments
// "segment|segment|segment"; an account with fewer than two "|" is left out.
#include "core/ledgerwriter.h"

#include "core/conversions.h"
#include "core/formatting.h"

#include <array>

namespace kn {

namespace {

class JonasWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        const DatePattern date(u"MM/DD/YYYY", context.regional);
        LineBuffer line;
        out.startTransactions();
        for (const auto& record : context.records) {
            std::array<TextView, 3> segments;
            TextView rest = record->text(RecordText::GLAccount);
            std::size_t found = 0;
            while (found < 2) {
                const qsizetype bar = rest.indexOf(u'|');
                if (bar < 0)
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
            const TextView invoice = record->text(RecordText::InvoiceNo);
            const TextView reference =
                trimmedBlanks(invoice.isEmpty() ? record->text(RecordText::PaymentFor) : invoice);
            line.resize(0);
            for (const TextView segment : segments) {
                line += segment;
                line += u'\t';
            }
            line += record->text(RecordText::GLDetails);
            line += u'\t';
            // Month/day/year with "/" between them whatever the regional separator.
            const qsizetype dateStart = line.size();
            date.appendTo(line, record->TransDate);
            putSlashesAt3And6(line, dateStart);
            line += u'\t';
            appendPlainDecimal(line, record->Amount, context.regional);
            line += u'\t';
            line += reference;
            line += u'\t';
            line += trimmedBlanks(record->text(RecordText::PaidTo));
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
