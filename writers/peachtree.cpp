// Peachtree: a comma-separated general journal. The payments are sorted by date and each date is
// one entry; every line of an entry carries the entry's line count, known only once the next
// date begins, so an entry is collected with "{DIST}" in place of the count and written whole.
#include "core/ledgerwriter.h"

#include "writers/counters.h"
#include "core/conversions.h"
#include "writers/formatting.h"
#include "dategroups.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace kn {

namespace {

class PeachtreeWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        context.records.SortByDate();
        const DatePattern datePattern(u"MM/DD/YY", context.regional, &context.codePage);
        const EncodedText decimalSeparator = out.encode(context.regional.decimalSeparator());
        Line date = out.newLine();
        QString dateText;
        std::optional<CalDate> dateWritten;
        short lineCount = 0;
        // The entry's lines, kept from entry to entry so that their storage is reused.
        std::vector<Line> lines;
        std::vector<const TransRecord*> entryRecords;
        // Every "{DIST}" of the entry takes the count, also one that a payee or memo holds.
        const auto writeEntry = [&] {
            const std::string count = std::to_string(lineCount);
            for (std::size_t i = 0; i < entryRecords.size(); ++i) {
                lines[i].replaceAll("{DIST}", count);
                out.beginRecord(*entryRecords[i]);
                out.writeLine(lines[i]);
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
            if (dateWritten != record->TransDate) {
                date.clear();
                datePattern.appendTo(date, record->TransDate);
                dateText = date.textSince({});
                dateWritten = record->TransDate;
            }
            const PageText purposeText = out.text(*record, RecordText::PaymentFor);
            const PageText purpose = purposeText.first(20).trimmed();
            const PageText account = out.text(*record, RecordText::GLAccount);
            const PageText accountIn15 = account.first(15);
            out.noteChanged(*record, QStringLiteral("purpose"), purposeText.trimmed(), purpose);
            out.noteChanged(*record, QStringLiteral("account"), account, accountIn15);
            context.audit.entryLine(dateText, record->Amount);
            if (lines.size() == entryRecords.size())
                lines.push_back(out.newLine());
            Line& line = lines[entryRecords.size()];
            entryRecords.push_back(record.get());
            line.clear();
            line += date.since({});
            line += ",\"";
            line += purpose;
            line += "\",,{DIST},\"";
            line += accountIn15;
            line += "\",\"";
            line += out.text(*record, RecordText::PaidTo).trimmed();
            line += "\",";
            appendPlainDecimal(line, record->Amount, decimalSeparator);
            line += ",,FALSE";
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
