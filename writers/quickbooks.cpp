// QuickBooks 1999+: a tab-separated IIF file. After three header rows, each day of payments is one
// general journal transaction: a "TRNS" row of amount 0, one "SPL" row per payment with the
// payment's own sign, then "ENDTRNS". A payee that begins with "EXCH ADJ" (any case) is an
// exchange adjustment, named "EXCHANGE ADJUSTMENT" with the rest of the payee as its memo.
#include "core/ledgerwriter.h"

#include "core/conversions.h"
#include "core/formatting.h"
#include "dategroups.h"

#include <algorithm>

namespace kn {

namespace {

class QuickBooksWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.writeLine(u"!TRNS\tTRNSID\tTRNSTYPE\tDATE\tACCNT\tCLASS\tAMOUNT\tDOCNUM\tNAME\tMEMO");
        out.writeLine(u"!SPL\tSPLID\tTRNSTYPE\tDATE\tACCNT\tCLASS\tAMOUNT\tDOCNUM\tNAME\tMEMO");
        out.writeLine(u"!ENDTRNS");
        out.startTransactions();
        context.records.SortByDate();

        const DatePattern datePattern(u"MM/DD/YY", context.regional);
        QString date;
        LineBuffer line;
        bool first = true;
        forEachByDay(context.records, [&](const auto& record, bool opensDay) {
            // Month/day/two-digit year with "/" between them whatever the regional separator.
            date.resize(0);
            datePattern.appendTo(date, record->TransDate);
            putSlashesAt3And6(date, 0);
            if (opensDay) {
                if (!first)
                    out.writeLine(u"ENDTRNS");
                line.resize(0);
                line += u"TRNS\t\tGENERAL JOURNAL\t";
                line += date;
                line += u"\tKaprin\t\t0";
                out.writeLine(line);
            }
            const TextView paidTo = record->text(RecordText::PaidTo);
            const bool exchangeAdjustment = beginsInUpperCaseWith(paidTo.first(std::min<qsizetype>(paidTo.size(), 8)), u"EXCH ADJ");
            out.beginRecord(*record);
            context.audit.entryLine(date, record->Amount);
            line.resize(0);
            line += u"SPL\t\tGENERAL JOURNAL\t";
            line += date;
            line += u'\t';
            line += record->text(RecordText::GLAccount_Full);
            line += u"\t\t";
            appendPlainDecimal(line, record->Amount, context.regional);
            line += u'\t';
            line += trimmedBlanks(record->text(RecordText::InvoiceNo));
            line += u'\t';
            if (exchangeAdjustment) {
                line += u"EXCHANGE ADJUSTMENT\t";
                line += trimmedBlanks(paidTo.size() > 9 ? paidTo.sliced(9) : TextView());
            } else {
                line += paidTo;
                line += u'\t';
                line += trimmedBlanks(record->text(RecordText::PaymentFor));
            }
            out.writeLine(line);
            first = false;
        });
        out.writeLine(u"ENDTRNS");
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeQuickBooksWriter(const PackageRow&)
{
    return std::make_unique<QuickBooksWriter>();
}

} // namespace kn
