// Peachtree: a comma-separated general journal. The payments are sorted by date and each date is
// one entry; every line of an entry carries the entry's line count, known only once the next
// date begins, so an entry is collected with "{DIST}" in place of the count and written whole.
#include "core/ledgerwriter.h"

#include "core/counters.h"
#include "core/conversions.h"
#include "core/formatting.h"
#include "dategroups.h"

#include <algorithm>
#include <vector>

namespace kn {

namespace {

class PeachtreeWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        context.records.SortByDate();

        const DatePattern datePattern(u"MM/DD/YY", context.regional);
        QString date;
        short lineCount = 0;
        // The entry's lines, kept from entry to entry so that their storage is reused.
        std::vector<QString> entryLines;
        std::vector<const TransRecord*> entryRecords;
        const QString placeholder = QStringLiteral("{DIST}");
        // Every "{DIST}" of the entry takes the count, also one that a payee or memo holds.
        const auto writeEntry = [&] {
            const QString count = QString::number(lineCount);
            for (std::size_t i = 0; i < entryRecords.size(); ++i) {
                out.beginRecord(*entryRecords[i]);
                out.writeLine(entryLines[i].replace(placeholder, count));
            }
        };
        forEachByDay(context.records, [&](const auto& record, bool opensDay) {
            if (!opensDay) {
                lineCount = nextCount(lineCount);
            } else {
                if (lineCount > 0)
                    writeEntry();
                entryRecords.clear();
                lineCount = 1;
            }
            date.resize(0);
            datePattern.appendTo(date, record->TransDate);
            const TextView purposeText = record->text(RecordText::PaymentFor);
            const TextView purpose = trimmedBlanks(purposeText.first(std::min<qsizetype>(purposeText.size(), 20)));
            const TextView account = record->text(RecordText::GLAccount);
            const TextView accountIn15 = account.first(std::min<qsizetype>(account.size(), 15));
            context.audit.changed(*record, QStringLiteral("purpose"), trimmedBlanks(purposeText), purpose);
            context.audit.changed(*record, QStringLiteral("account"), account, accountIn15);
            context.audit.entryLine(date, record->Amount);
            if (entryLines.size() == entryRecords.size())
                entryLines.emplace_back();
            QString& line = entryLines[entryRecords.size()];
            entryRecords.push_back(record.get());
            line.resize(0);
            line += date;
            line += u",\"";
            line += purpose;
            line += u"\",,{DIST},\"";
            line += accountIn15;
            line += u"\",\"";
            line += trimmedBlanks(record->text(RecordText::PaidTo));
            line += u"\",";
            appendPlainDecimal(line, record->Amount, context.regional);
            line += u",,FALSE";
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
