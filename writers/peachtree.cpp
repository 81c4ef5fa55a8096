// Peachtree: a comma-separated general journal. The payments are sorted by date and each date is
// one entry; every line of an entry carries the entry's line count, known only once the next
// date begins, so an entry is collected with "{DIST}" in place of the count and written whole.
#include "core/ledgerwriter.h"

#include "core/counters.h"
#include "core/formatting.h"
#include "dategroups.h"

#include <QStringList>

#include <vector>

namespace kn {

namespace {

class PeachtreeWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        context.records.SortByDate();

        short lineCount = 0;
        QStringList entryLines;
        std::vector<const TransRecord*> entryRecords;
        // Every "{DIST}" of the entry takes the count, also one that a payee or memo holds.
        const auto writeEntry = [&] {
            const QString count = QString::number(lineCount);
            for (qsizetype i = 0; i < entryLines.size(); ++i) {
                out.beginRecord(*entryRecords[std::size_t(i)]);
                out.writeLine(entryLines[i].replace(QStringLiteral("{DIST}"), count));
            }
        };
        forEachByDay(context.records, [&](const auto& record, bool opensDay) {
            if (!opensDay) {
                lineCount = nextCount(lineCount);
            } else {
                if (lineCount > 0)
                    writeEntry();
                entryLines.clear();
                entryRecords.clear();
                lineCount = 1;
            }
            const QString date = formatDatePattern(record->TransDate, u"MM/DD/YY", context.regional);
            const QString purpose = trimBlanks(record->PaymentFor());
            const QString account = record->GLAccount();
            context.audit.changed(*record, QStringLiteral("purpose"), purpose,
                                  trimBlanks(QStringView(record->PaymentFor()).left(20)));
            context.audit.changed(*record, QStringLiteral("account"), account, account.left(15));
            context.audit.entryLine(date, record->Amount);
            entryRecords.push_back(record.get());
            entryLines.append(date + u',' + quoted(trimBlanks(QStringView(record->PaymentFor()).left(20))) +
                              QStringLiteral(",,{DIST},") + quoted(QStringView(record->GLAccount()).left(15)) + u',' +
                              quoted(trimBlanks(record->PaidTo())) + u',' + plainDecimal(record->Amount, context.regional) +
                              QStringLiteral(",,FALSE"));
        });
        if (lineCount > 0)
            writeEntry();
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makePeachtreeWriter(const PackageRow&)
{
    return std::make_unique<PeachtreeWriter>();
}

} // namespace kn
