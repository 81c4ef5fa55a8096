// Peachtree: a comma-separated general journal. The payments are sorted by date and each date is
// one entry; every line of an entry carries the entry's line count, known only once the next
// date begins, so an entry is collected with "{DIST}" in place of the count and written whole.
#include "core/ledgerwriter.h"

#include "core/counters.h"
#include "core/conversions.h"
#include "core/formatting.h"
#include "core/linebuffer.h"
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

        const DatePattern datePattern(u"MM/DD/YY", context.regional);
        QString date;
        std::optional<CalDate> dateWritten;
        short lineCount = 0;
        // The entry's lines one after the other, kept from entry to entry so that the storage is
        // reused; each record's line ends where its entry in lineEnds says.
        LineBuffer entryText;
        std::vector<qsizetype> lineEnds;
        std::vector<const TransRecord*> entryRecords;
        LineBuffer line;
        static constexpr QStringView placeholder = u"{DIST}";
        // Found by its opening brace, one character's search, rather than by a search for the
        // whole text, which costs as much as the rest of the line.
        const auto placeholderIn = [](QStringView text) -> qsizetype {
            for (qsizetype at = 0; (at = text.indexOf(u'{', at)) >= 0; ++at) {
                if (text.sliced(at).startsWith(placeholder))
                    return at;
            }
            return -1;
        };
        // Every "{DIST}" of the entry takes the count, also one that a payee or memo holds.
        const auto writeEntry = [&] {
            const QString count = QString::number(lineCount);
            qsizetype lineStart = 0;
            for (std::size_t i = 0; i < entryRecords.size(); ++i) {
                QStringView rest = entryText.view().sliced(lineStart, lineEnds[i] - lineStart);
                lineStart = lineEnds[i];
                line.resize(0);
                for (qsizetype at; (at = placeholderIn(rest)) >= 0; rest = rest.sliced(at + placeholder.size())) {
                    line += rest.first(at);
                    line += count;
                }
                line += rest;
                out.beginRecord(*entryRecords[i]);
                out.writeLine(line);
            }
        };
        forEachByDay(context.records, [&](const auto& record, bool opensDay) {
            if (!opensDay) {
                lineCount = nextCount(lineCount);
            } else {
                if (lineCount > 0)
                    writeEntry();
                entryRecords.clear();
                lineEnds.clear();
                entryText.resize(0);
                lineCount = 1;
            }
            if (dateWritten != record->TransDate) {
                date.resize(0);
                datePattern.appendTo(date, record->TransDate);
                dateWritten = record->TransDate;
            }
            const TextView purposeText = record->text(RecordText::PaymentFor);
            const TextView purpose = trimmedBlanks(purposeText.first(std::min<qsizetype>(purposeText.size(), 20)));
            const TextView account = record->text(RecordText::GLAccount);
            const TextView accountIn15 = account.first(std::min<qsizetype>(account.size(), 15));
            context.audit.changed(*record, QStringLiteral("purpose"), trimmedBlanks(purposeText), purpose);
            context.audit.changed(*record, QStringLiteral("account"), account, accountIn15);
            context.audit.entryLine(date, record->Amount);
            entryRecords.push_back(record.get());
            entryText += date;
            entryText += u",\"";
            entryText += purpose;
            entryText += u"\",,{DIST},\"";
            entryText += accountIn15;
            entryText += u"\",\"";
            entryText += trimmedBlanks(record->text(RecordText::PaidTo));
            entryText += u"\",";
            appendPlainDecimal(entryText, record->Amount, context.regional);
            entryText += u",,FALSE";
            lineEnds.push_back(entryText.size());
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
