#include "batch.h"

#include "core/conversions.h"
#include "core/formatting.h"

#include <algorithm>

namespace kn {

void writeBatchEntries(ExportFile& out, const WriterContext& context,
                       const std::function<void(const TransRecord&, BatchEntryFields&)>& fillFields)
{
    out.startTransactions();
    const QString session = quoted(context.header.sessionNumber);
    BatchEntryFields fields;
    LineBuffer line;
    const auto addQuoted = [&line](TextView text) {
        line += u'"';
        line += text;
        line += u'"';
    };
    out.forEachPayment([&](const TransRecord& record) {
        const TextView payee = record.text(RecordText::PaidTo);
        const TextView payeeIn30 = payee.first(std::min<qsizetype>(payee.size(), 30));
        context.audit.changed(record, QStringLiteral("payee"), payee, payeeIn30);
        fillFields(record, fields);
        line.resize(0);
        line += u"\"E\",1,";
        addQuoted(fields.date.view());
        line += u",0,";
        addQuoted(fields.account);
        line += u", ";
        addQuoted(fields.part2);
        line += u", ";
        addQuoted(fields.part3);
        line += u", ";
        line += session;
        line += u", ";
        addQuoted(fields.date.view());
        line += u", \"";
        line += payeeIn30;
        line.resize(line.size() + 30 - payeeIn30.size(), u' ');
        line += u"\",";
        line += fields.amount.view();
        out.writeLine(line);
    });
}

} // namespace kn
