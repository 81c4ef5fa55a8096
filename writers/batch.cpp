#include "batch.h"

#include "core/conversions.h"
#include "core/formatting.h"


namespace kn {

void writeBatchEntries(ExportFile& out, const WriterContext& context,
                       const std::function<void(const TransRecord&, BatchEntryFields&)>& fillFields)
{
    out.startTransactions();
    const EncodedText session = out.encode(quoted(context.header.sessionNumber));
    BatchEntryFields fields(out);
    Line line = out.newLine();
    const auto addQuoted = [&line](PageText text) {
        line += '"';
        line += text;
        line += '"';
    };
    out.forEachPayment([&](const TransRecord& record) {
        const PageText payee = out.text(record, RecordText::PaidTo);
        const PageText payeeIn30 = payee.first(30);
        out.noteChanged(record, QStringLiteral("payee"), payee, payeeIn30);
        fillFields(record, fields);
        line.clear();
        line += "\"E\",1,";
        addQuoted(fields.date.since({}));
        line += ",0,";
        addQuoted(fields.account);
        line += ", ";
        addQuoted(fields.part2);
        line += ", ";
        addQuoted(fields.part3);
        line += ", ";
        line += session;
        line += ", ";
        addQuoted(fields.date.since({}));
        line += ", \"";
        const Line::Mark payeeStart = line.end();
        line += payeeIn30;
        line.fit(payeeStart, 30, ' ');
        line += "\",";
        line += fields.amount.since({});
        out.writeLine(line);
    });
}

} // namespace kn
