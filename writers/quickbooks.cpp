// QuickBooks 1999+: a tab-separated IIF file. After three header rows, each day of payments is one
// general journal transaction: a "TRNS" row of amount 0, one "SPL" row per payment with the
// payment's own sign, then "ENDTRNS". A payee that begins with "EXCH ADJ" (any case) is an
// exchange adjustment, named "EXCHANGE ADJUSTMENT" with the rest of the payee as its memo.
#include "core/ledgerwriter.h"

#include "core/formatting.h"
#include "dategroups.h"

#include <QStringList>

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

        const QString journal = QStringLiteral("GENERAL JOURNAL");
        bool first = true;
        forEachByDay(context.records, [&](const auto& record, bool opensDay) {
            const QString date = QBDateFormat(record->TransDate, context.regional);
            if (opensDay) {
                if (!first)
                    out.writeLine(u"ENDTRNS");
                out.writeLine(QStringList{QStringLiteral("TRNS"), {}, journal, date, QStringLiteral("Kaprin"), {},
                                          QStringLiteral("0")}
                                  .join(u'\t'));
            }
            const bool exchangeAdjustment = record->PaidTo().left(8).toUpper() == QLatin1String("EXCH ADJ");
            const QString payee = exchangeAdjustment ? QStringLiteral("EXCHANGE ADJUSTMENT") : record->PaidTo();
            const QString memo = exchangeAdjustment ? trimBlanks(QStringView(record->PaidTo()).mid(9))
                                                    : trimBlanks(record->PaymentFor());
            out.beginRecord(*record);
            context.audit.entryLine(date, record->Amount);
            out.writeLine(QStringList{QStringLiteral("SPL"), {}, journal, date, record->GLAccount_Full(), {},
                                      plainDecimal(record->Amount, context.regional), trimBlanks(record->InvoiceNo()),
                                      payee, memo}
                              .join(u'\t'));
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
