#include "batch.h"

#include "core/formatting.h"

#include <QStringList>

namespace kn {

void writeBatchEntries(ExportFile& out, const WriterContext& context,
                       const std::function<BatchEntryFields(const TransRecord&)>& fieldsOf)
{
    out.startTransactions();
    const QString session = quoted(context.header.sessionNumber);
    for (const auto& record : context.records) {
        if (record->Amount.isZero()) {
            context.audit.leftOut(*record, AuditReason::ZeroAmount);
            continue;
        }
        out.beginRecord(*record);
        context.audit.changed(*record, QStringLiteral("payee"), record->PaidTo(), record->PaidTo().left(30));
        const BatchEntryFields fields = fieldsOf(*record);
        const QString date = quoted(fields.date);
        const QStringList quotedFields = {quoted(fields.account), quoted(fields.part2), quoted(fields.part3),
                                          session, date, quoted(FixedWidth(record->PaidTo(), 30))};
        out.writeLine(QStringLiteral("\"E\",1,") + date + QStringLiteral(",0,") +
                      quotedFields.join(QStringLiteral(", ")) + u',' + fields.amount);
    }
}

} // namespace kn
