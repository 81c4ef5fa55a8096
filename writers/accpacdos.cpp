// AccPac Plus (DOS version): one comma-separated batch line per non-zero payment, the date as
// "YYMMDD", the account cut at its first "|" into account and sub-account, the payee in 30
// columns and the amount right-aligned in 13.
#include "packagetable.h"

#include "../core/formatting.h"

#include <QStringList>

namespace kn {

namespace {

class AccPacDosWriter final : public LedgerWriter {
public:
    QString name() const override { return QStringLiteral("ProcessACCPACDos"); }
    QString firstStatus() const override { return QStringLiteral("Processing AccPac Plus (DOS Version)..."); }
    Closing closing() const override { return Closing::CloseThenStatus; }

    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        const QString session = quoted(context.header.sessionNumber);
        for (const auto& record : context.records) {
            if (record->Amount.isZero())
                continue;
            const QString date = quoted(formatDatePattern(record->TransDate, u"YYMMDD", context.regional));
            const QStringList account = splitSegments(trimBlanks(record->GLAccount), u'|', 2);
            out.writeLine(QStringLiteral("\"E\",1,") + date + QStringLiteral(",0,") +
                          QStringList{quoted(account[0]), quoted(account.value(1)), QStringLiteral("\"IMKN\""),
                                      session, date, quoted(FixedWidth(record->PaidTo, 30))}
                              .join(QStringLiteral(", ")) +
                          u',' + PadLeft(formatNumber(record->Amount, u"0.00", context.regional), 13, QStringLiteral(" ")));
        }
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeAccPacDosWriter(const WriterArguments&)
{
    return std::make_unique<AccPacDosWriter>();
}

} // namespace kn
