// FAS: one comma-separated line of sixteen fields per non-zero payment, no header, each starting
// with the user's institution number, which is kept in the file "FASINSTNUM" two folders above
// the output file and asked for only while that file is missing.
#include "fas.h"

#include "core/formatting.h"
#include "core/ledgerwriter.h"

#include <limits>

#include <QDir>
#include <QFileInfo>

namespace kn {

namespace {

QString withBlanksFor(QString text, QChar replaced)
{
    return text.replace(replaced, u' ');
}

constexpr qsizetype kUncut = std::numeric_limits<qsizetype>::max() / 2;

// The description within `room` characters after the payee and invoice, and what it would be
// without that limit.
QString description(const TransRecord& record, qsizetype room = 79)
{
    QString text = trimBlanks(withBlanksFor(withBlanksFor(record.PaidTo(), u','), u'/'));
    if (!trimBlanks(record.InvoiceNo()).isEmpty())
        text += u'/' + trimBlanks(withBlanksFor(record.InvoiceNo(), u','));
    // The payment purpose fills what is left of 80 characters, and is dropped when nothing is.
    if (!trimBlanks(record.PaymentFor()).isEmpty()) {
        const qsizetype left = room - text.size();
        if (left > 0)
            text += u'/' + trimBlanks(withBlanksFor(record.PaymentFor(), u',').left(left));
    }
    return text;
}

class FASWriter final : public LedgerWriter {
public:
    bool prepare(const WriterContext& context) override
    {
        const QString numberFile = fasInstitutionNumberPath(context.exportPath);
        if (!QFileInfo(numberFile).isFile())
            context.prompter.PromptInstitutionNumber(numberFile);
        // No file (the prompt went unanswered) or an empty one fails here, before the output is touched.
        TextFileReader file(numberFile, context.codePage);
        institutionNumber_ = file.readLine();
        return true;
    }

    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        out.startTransactions();
        for (const auto& record : context.records) {
            if (record->Amount.isZero()) {
                context.audit.leftOut(*record, AuditReason::ZeroAmount);
                continue;
            }
            out.beginRecord(*record);
            const QString ledger = trimBlanks(record->GLAccount());
            const qsizetype dash = ledger.indexOf(u'-');
            const QString account = dash < 0 ? ledger : ledger.left(dash);
            const QString subAccount = dash < 0 ? QString() : ledger.mid(dash + 1);
            const bool debit = record->Amount > Money();
            const QString amount = formatNumber(record->Amount.abs(), u"0.00", context.regional);
            const QStringList fields{institutionNumber_,
                                     QString(),
                                     QString(),
                                     account,
                                     subAccount,
                                     debit ? QStringLiteral("DR") : QStringLiteral("CR"),
                                     QString(),
                                     context.currencyCode,
                                     QString(),
                                     QString(),
                                     QString(),
                                     context.audit.changed(*record, QStringLiteral("description"),
                                                           description(*record, kUncut), description(*record)),
                                     formatDatePattern(record->TransDate, u"MMDDYYYY", context.regional),
                                     amount,
                                     amount,
                                     QStringLiteral("Kaprin")};
            out.writeLine(fields.join(u','));
        }
    }

private:
    QString institutionNumber_;
};

} // namespace

QString fasInstitutionNumberPath(const QString& exportPath)
{
    const QString name = QStringLiteral("FASINSTNUM");
    const QString folder = QFileInfo(exportPath).path();
    if (folder == u'.' || QDir(folder).isRoot())
        return name;
    const QString above = QFileInfo(folder).path();
    return above == u'.' ? name : QDir(above).filePath(name);
}

std::unique_ptr<LedgerWriter> makeFASWriter(const PackageRow&)
{
    return std::make_unique<FASWriter>();
}

} // namespace kn
