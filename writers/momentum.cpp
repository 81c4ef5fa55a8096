// Momentum: one comma-separated line per non-zero payment, no header:
// date DDMMYYYY, amount, payee, then the ledger account as at least four segments.
#include "core/ledgerwriter.h"

#include "writers/formatting.h"
#include "core/knerror.h"

#include <algorithm>
#include <limits>

namespace kn {

namespace {

class MomentumWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        const DatePattern date(u"DDMMYYYY", context.regional, &context.codePage);
        const NumberPattern amount(u"########0.00", context.regional, &context.codePage);
        Line line = out.newLine();
        out.startTransactions();
        out.forEachPayment([&](const TransRecord& record) {
            line.clear();
            date.appendTo(line, record.TransDate);
            line += ',';
            amount.appendTo(line, record.Amount);
            line += ',';
            // The payee without its commas, at most 30 characters.
            const PageText paidTo = out.text(record, RecordText::PaidTo);
            const Line::Mark payee = line.end();
            line += paidTo.first(30);
            line.replace(payee, ',', 0);
            out.noteChanged(record, QStringLiteral("payee"), paidTo, line.since(payee));
            line += ',';
            // The ledger account's "-" become "," and it ends in at least four segments.
            const Line::Mark ledger = line.end();
            line += out.text(record, RecordText::GLAccount);
            line.replace(ledger, '-', ',');
            const auto commas = std::count(line.bytes().begin() + std::ptrdiff_t(ledger.byte), line.bytes().end(), ',');
            // Counted in a short, as the package's own count is.
            if (commas > std::numeric_limits<short>::max())
                throw KNError(ErrorCode::Overflow);
            if (commas < 3)
                line.append(std::size_t(3 - commas), ',');
            out.writeLine(line);
        });
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeMomentumWriter(const PackageRow&)
{
    return std::make_unique<MomentumWriter>();
}

} // namespace kn
