// QuickBooks 1999+: a tab-separated IIF file. After three header rows, each day of payments is one
// general journal transaction: a "TRNS" row of amount 0, one "SPL" row per payment with the
// payment's own sign, then "ENDTRNS". A payee that begins with "EXCH ADJ" (any case) is an
// exchange adjustment, named "EXCHANGE ADJUSTMENT" with the rest of the payee as its memo.
#include "core/ledgerwriter.h"

#include "core/conversions.h"
#include "writers/formatting.h"
#include "dategroups.h"

#include <algorithm>

namespace kn {

namespace {

class QuickBooksWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.writeLine("!TRNS\tTRNSID\tTRNSTYPE\tDATE\tACCNT\tCLASS\tAMOUNT\tDOCNUM\tNAME\tMEMO");
        out.writeLine("!SPL\tSPLID\tTRNSTYPE\tDATE\tACCNT\tCLASS\tAMOUNT\tDOCNUM\tNAME\tMEMO");
        out.writeLine("!ENDTRNS");
        out.startTransactions();
        context.records.SortByDate();
        const DatePattern datePattern(u"MM/DD/YY", context.regional, &context.codePage);
        const EncodedText decimalSeparator = out.encode(context.regional.decimalSeparator());
        Line date = out.newLine();
        QString dateText;
        Line line = out.newLine();
        bool first = true;
        forEachByDay(context.records, [&](const auto& record, bool opensDay) {
            // Month/day/two-digit year with "/" between them whatever the regional separator.
            if (first || opensDay) {
                date.clear();
                datePattern.appendTo(date, record->TransDate);
                putSlashesAt3And6(date, {});
                dateText = date.textSince({});
            }
            if (opensDay) {
                if (!first)
                    out.writeLine("ENDTRNS");
                line.clear();
                line += "TRNS\t\tGENERAL JOURNAL\t";
                line += date.since({});
                line += "\tKaprin\t\t0";
                out.writeLine(line);
            }
            const PageText paidTo = out.text(*record, RecordText::PaidTo);
            const bool exchangeAdjustment = beginsInUpperCaseWith(paidTo.bytes, "EXCH ADJ");
            out.beginRecord(*record);
            context.audit.entryLine(dateText, record->Amount);
            line.clear();
            line += "SPL\t\tGENERAL JOURNAL\t";
            line += date.since({});
            line += '\t';
            line += out.text(*record, RecordText::GLAccount_Full);
            line += "\t\t";
            appendPlainDecimal(line, record->Amount, decimalSeparator);
            line += '\t';
            line += out.text(*record, RecordText::InvoiceNo).trimmed();
            line += '\t';
            if (exchangeAdjustment) {
                line += "EXCHANGE ADJUSTMENT\t";
                line += paidTo.sliced(9).trimmed();
            } else {
                line += paidTo;
                line += '\t';
                line += out.text(*record, RecordText::PaymentFor).trimmed();
            }
            out.writeLine(line);
            first = false;
        });
        out.writeLine("ENDTRNS");
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeQuickBooksWriter(const PackageRow&)
{
    return std::make_unique<QuickBooksWriter>();
}

} // namespace kn
