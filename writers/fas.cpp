// FAS: one comma-separated line of sixteen fields per non-zero payment, no header, each starting
// with the user's institution number, which is kept in the file "FASINSTNUM" two folders above
// the output file and asked for only while that file is missing.
#include "packagetable.h"

#include "../core/formatting.h"

#include <QFileInfo>

namespace kn {

namespace {

// The path without its last component; empty for a root folder or a bare name.
QString parentFolderName(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    if (slash < 0 || trimmed == QLatin1String("/"))
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return trimmed.left(slash);
}

// A folder and a name joined by one separator; the name alone when there is no folder.
QString buildPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString withBlanksFor(QString text, QChar replaced)
{
    return text.replace(replaced, u' ');
}

QString description(const TransRecord& record)
{
    QString text = trimBlanks(withBlanksFor(withBlanksFor(record.PaidTo, u','), u'/'));
    if (!trimBlanks(record.InvoiceNo).isEmpty())
        text += u'/' + trimBlanks(withBlanksFor(record.InvoiceNo, u','));
    // The payment purpose fills what is left of 80 characters, and is dropped when nothing is.
    if (!trimBlanks(record.PaymentFor).isEmpty()) {
        const qsizetype room = 79 - text.size();
        if (room > 0)
            text += u'/' + trimBlanks(withBlanksFor(record.PaymentFor, u',').left(room));
    }
    return text;
}

class FASWriter final : public LedgerWriter {
public:
    QString name() const override { return QStringLiteral("ProcessFAS"); }
    QString firstStatus() const override { return QStringLiteral("Processing FAS File..."); }
    Closing closing() const override { return Closing::CloseThenStatus; }
    QString closingStatus() const override { return QStringLiteral("Closing File..."); }

    bool prepare(const WriterContext& context) override
    {
        const QString numberFile =
            buildPath(parentFolderName(parentFolderName(context.exportPath)), QStringLiteral("FASINSTNUM"));
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
            if (record->Amount.isZero())
                continue;
            const QString ledger = trimBlanks(record->GLAccount);
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
                                     description(*record),
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

std::unique_ptr<LedgerWriter> makeFASWriter(const WriterArguments&)
{
    return std::make_unique<FASWriter>();
}

} // namespace kn
