// Momentum: one comma-separated line per non-zero payment, no header:
// date DDMMYYYY, amount, payee, then the ledger account as at least four segments.
#include "core/ledgerwriter.h"

#include "core/formatting.h"

#include <algorithm>

namespace kn {

namespace {

class MomentumWriter final : public LedgerWriter {
public:
    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        const DatePattern date(u"DDMMYYYY", context.regional);
        const NumberPattern amount(u"########0.00", context.regional);
        LineBuffer line;
        out.startTransactions();
        out.forEachPayment([&](const TransRecord& record) {
            line.resize(0);
            date.appendTo(line, record.TransDate);
            line += u',';
            amount.appendTo(line, record.Amount);
            line += u',';
            // The payee without its commas, at most 30 characters, cut straight into the line.
            const TextView paidTo = record.text(RecordText::PaidTo);
            const qsizetype kept = std::min<qsizetype>(paidTo.size(), 30);
            const qsizetype payeeStart = line.size();
            char16_t* const first = line.grow(kept);
            char16_t* end = first;
            for (qsizetype i = 0; i < kept; ++i) {
                if (paidTo[i] != u',')
                    *end++ = paidTo[i].unicode();
            }
            line.truncate(payeeStart + (end - first));
            if (end - first != paidTo.size())
                context.audit.changed(record, QStringLiteral("payee"), paidTo, line.view().sliced(payeeStart));
            line += u',';
            // The ledger account's "-" become "," and it ends in at least four segments.
            const qsizetype ledger = line.size();
            line += record.text(RecordText::GLAccount);
            std::replace(line.begin() + ledger, line.end(), QChar(u'-'), QChar(u','));
            const short commas = CountChar(QStringView(line).sliced(ledger), u',');
            if (commas < 3)
                line.resize(line.size() + 3 - commas, u',');
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
