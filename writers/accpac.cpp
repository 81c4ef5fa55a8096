// AccPac: a journal batch with two field-name lines, one batch header carrying the fiscal year and
// period the user gives and the batch totals, and one detail record per payment.
#include "core/ledgerwriter.h"

#include "core/conversions.h"
#include "writers/formatting.h"

namespace kn {

namespace {

class AccPacWriter final : public LedgerWriter {
public:
    bool prepare(const WriterContext& context) override
    {
        for (const auto& record : context.records) {
            if (record->Amount.isNegative())
                creditTotal_ += record->Amount;
            else
                debitTotal_ += record->Amount;
        }
        const FiscalPeriodAnswer answer = context.prompter.PromptFiscalPeriod(context.packageFullTitle);
        if (!answer.chosen)
            return false;
        fiscalYear_ = trimBlanks(answer.fiscalYear);
        fiscalPeriod_ = trimBlanks(answer.fiscalPeriod);
        return true;
    }

    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        const RegionalSettings& regional = context.regional;
        const NumberPattern amount(u"########0.00", regional, &context.codePage);
        const DatePattern date(u"yyyymmdd", regional, &context.codePage);
        out.writeLine(R"("RECTYPE","BATCHID","BTCHENTRY","SRCELEDGER","SRCETYPE","FSCSYR","FSCSPERD","JRNLDESC","JRNLDR","JRNLCR","JRNLQTY","DATEENTRY")");
        out.writeLine(R"("RECTYPE","BATCHNBR","JOURNALID","TRANSNBR","ACCTID","TRANSAMT","TRANSQTY","TRANSDESC","TRANSREF","TRANSDATE","SRCELEDGR","SRCETYPE")");
        Line line = out.newLine();
        line += out.encode(QStringList{quoted(QStringLiteral("1")), quoted(QString()), quoted(QStringLiteral("00001")),
                                       quoted(QStringLiteral("GL")), quoted(QStringLiteral("JE")), quoted(fiscalYear_),
                                       quoted(fiscalPeriod_),
                                       quoted(QStringLiteral("Kaprin Office - Session ") + context.header.sessionNumber),
                                       amount.format(debitTotal_), amount.format(creditTotal_), QStringLiteral("0"),
                                       date.format(CalDate::fromQDate(context.clock.today()))}
                               .join(u','));
        out.writeLine(line);
        out.startTransactions();
        const auto addQuotedTrimmed = [&line](PageText text) {
            line += '"';
            line += text.trimmed();
            line += "\",";
        };
        for (const auto& record : context.records) {
            out.beginRecord(*record);
            context.audit.entryLine(QStringLiteral("batch 00001"), record->Amount);
            line.clear();
            line += R"("2","","00001","",)";
            addQuotedTrimmed(out.text(*record, RecordText::GLAccount));
            amount.appendTo(line, record->Amount);
            line += ",0,";
            addQuotedTrimmed(out.text(*record, RecordText::PaidTo));
            addQuotedTrimmed(out.text(*record, RecordText::PaymentFor));
            date.appendTo(line, record->TransDate);
            line += R"(,"GL","JE")";
            out.writeLine(line);
        }
    }

private:
    Money debitTotal_;
    Money creditTotal_;
    QString fiscalYear_;
    QString fiscalPeriod_;
};

} // namespace

std::unique_ptr<LedgerWriter> makeAccPacWriter(const PackageRow&)
{
    return std::make_unique<AccPacWriter>();
}

} // namespace kn
