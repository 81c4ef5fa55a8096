// FAS: one comma-separated line of sixteen fields per non-zero payment, no header, each starting
// with the user's institution number, which is kept in the file "FASINSTNUM" two folders above
// the output file and asked for only while that file is missing.
#include "fas.h"

#include "core/conversions.h"
#include "core/formatting.h"
#include "core/ledgerwriter.h"

#include <algorithm>
#include <initializer_list>
#include <limits>

#include <QDir>
#include <QFileInfo>

namespace kn {

namespace {

constexpr qsizetype kUncut = std::numeric_limits<qsizetype>::max() / 2;

// Appends the text with the given characters as blanks and without blanks at either end.
void appendBlanked(QString& out, TextView text, std::initializer_list<char16_t> blanked)
{
    const auto isBlank = [&](QChar c) {
        return c == u' ' || std::find(blanked.begin(), blanked.end(), c.unicode()) != blanked.end();
    };
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && isBlank(text[first]))
        ++first;
    while (end > first && isBlank(text[end - 1]))
        --end;
    for (qsizetype i = first; i < end; ++i)
        out += isBlank(text[i]) ? QChar(u' ') : text[i];
}

// Appends the description within `room` characters after the payee and invoice.
void appendDescription(QString& out, const TransRecord& record, qsizetype room = 79)
{
    const qsizetype start = out.size();
    appendBlanked(out, record.text(RecordText::PaidTo), {u',', u'/'});
    const TextView invoice = record.text(RecordText::InvoiceNo);
    if (!trimmedBlanks(invoice).isEmpty()) {
        out += u'/';
        appendBlanked(out, invoice, {u','});
    }
    // The payment purpose fills what is left of 80 characters, and is dropped when nothing is.
    const TextView purpose = record.text(RecordText::PaymentFor);
    if (!trimmedBlanks(purpose).isEmpty()) {
        const qsizetype left = room - (out.size() - start);
        if (left > 0) {
            out += u'/';
            appendBlanked(out, purpose.first(std::min(left, purpose.size())), {u','});
        }
    }
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
        const DatePattern date(u"MMDDYYYY", context.regional);
        const NumberPattern amountPattern(u"0.00", context.regional);
        QString amount;
        QString uncut;
        QString line;
        out.startTransactions();
        for (const auto& record : context.records) {
            if (record->Amount.isZero()) {
                context.audit.leftOut(*record, AuditReason::ZeroAmount);
                continue;
            }
            out.beginRecord(*record);
            const TextView ledger = trimmedBlanks(record->text(RecordText::GLAccount));
            const qsizetype dash = ledger.indexOf(u'-');
            amount.resize(0);
            amountPattern.appendTo(amount, record->Amount.abs());
            line.resize(0);
            line += institutionNumber_;
            line += u",,,";
            line += dash < 0 ? ledger : ledger.first(dash);
            line += u',';
            line += dash < 0 ? TextView() : ledger.sliced(dash + 1);
            line += record->Amount > Money() ? u",DR,," : u",CR,,";
            line += context.currencyCode;
            line += u",,,,";
            const qsizetype described = line.size();
            appendDescription(line, *record);
            uncut.resize(0);
            appendDescription(uncut, *record, kUncut);
            context.audit.changed(*record, QStringLiteral("description"), QStringView(uncut), QStringView(line).sliced(described));
            line += u',';
            date.appendTo(line, record->TransDate);
            line += u',';
            line += amount;
            line += u',';
            line += amount;
            line += u",Kaprin";
            out.writeLine(line);
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
