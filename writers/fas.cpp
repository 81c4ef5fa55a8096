// FAS: one comma-separated line of sixteen fields per non-zero payment, no header, each starting
// with the user's institution number, which is kept in the file "FASINSTNUM" two folders above
// the output file and asked for only while that file is missing.
#include "fas.h"

#include "core/conversions.h"
#include "core/formatting.h"
#include "core/ledgerwriter.h"

#include <algorithm>
#include <type_traits>

#include <QDir>
#include <QFileInfo>

namespace kn {

namespace {

// Appends the characters [first, end) with `blanked` and `alsoBlanked` as blanks and without
// blanks at either end.
template <typename Char>
void appendBlanked(LineBuffer& out, const Char* first, const Char* end, char16_t blanked, char16_t alsoBlanked)
{
    const auto isBlank = [=](char16_t c) { return c == u' ' || c == blanked || c == alsoBlanked; };
    const auto wide = [](Char c) { return static_cast<char16_t>(static_cast<std::make_unsigned_t<Char>>(c)); };
    while (first < end && isBlank(wide(*first)))
        ++first;
    while (end > first && isBlank(wide(end[-1])))
        --end;
    // A blank stays a blank: only the other two are looked for.
    std::transform(first, end, out.grow(end - first), [&](Char c) {
        const char16_t unit = wide(c);
        return unit == blanked || unit == alsoBlanked ? u' ' : unit;
    });
}

void appendBlanked(LineBuffer& out, TextView text, char16_t blanked, char16_t alsoBlanked = u' ')
{
    // A fixed-width field's long run of trailing blanks goes in the word-wise trim first.
    text = trimmedBlanks(text);
    if (text.isLatin1())
        appendBlanked(out, text.latin1().data(), text.latin1().data() + text.size(), blanked, alsoBlanked);
    else
        appendBlanked(out, text.utf16().utf16(), text.utf16().utf16() + text.size(), blanked, alsoBlanked);
}

// Appends the description: the payment purpose fills what is left of 80 characters.
void appendDescription(LineBuffer& out, const TransRecord& record)
{
    constexpr qsizetype room = 79;
    const qsizetype start = out.size();
    appendBlanked(out, record.text(RecordText::PaidTo), u',', u'/');
    const TextView invoice = trimmedBlanks(record.text(RecordText::InvoiceNo));
    if (!invoice.isEmpty()) {
        out += u'/';
        appendBlanked(out, invoice, u',');
    }
    // The payment purpose fills what is left of 80 characters, and is dropped when nothing is.
    const TextView purpose = record.text(RecordText::PaymentFor);
    if (trimmedBlanks(purpose).isEmpty())
        return;
    const qsizetype left = room - (out.size() - start);
    if (left > 0) {
        out += u'/';
        appendBlanked(out, purpose.first(std::min(left, purpose.size())), u',');
    }
}

// The description as the payment's texts give it, joined by "/" but with no comma or slash
// blanked and nothing cut: what the audit shows the written description against.
void appendPlainDescription(LineBuffer& out, const TransRecord& record)
{
    out += trimmedBlanks(record.text(RecordText::PaidTo));
    for (const RecordText part : {RecordText::InvoiceNo, RecordText::PaymentFor}) {
        const TextView text = trimmedBlanks(record.text(part));
        if (!text.isEmpty()) {
            out += u'/';
            out += text;
        }
    }
}

class FASWriter final : public LedgerWriter {
public:
    bool prepare(const WriterContext& context) override
    {
        const QString numberFile = fasInstitutionNumberPath(context.exportPath);
        if (!companionFileExists(numberFile, context.companionFiles))
            context.prompter.PromptInstitutionNumber(numberFile);
        // No file (the prompt went unanswered) or an empty one fails here, before the output is touched.
        institutionNumber_ = context.codePage.decode(companionFirstLine(numberFile, context.companionFiles));
        return true;
    }

    void writeLines(ExportFile& out, const WriterContext& context) override
    {
        const DatePattern date(u"MMDDYYYY", context.regional);
        const NumberPattern amountPattern(u"0.00", context.regional);
        LineBuffer amount;
        LineBuffer plain;
        LineBuffer line;
        out.startTransactions();
        out.forEachPayment([&](const TransRecord& record) {
            const TextView ledger = trimmedBlanks(record.text(RecordText::GLAccount));
            const qsizetype dash = ledger.indexOf(u'-');
            amount.resize(0);
            amountPattern.appendTo(amount, record.Amount.abs());
            line.resize(0);
            line += institutionNumber_;
            line += u",,,";
            line += dash < 0 ? ledger : ledger.first(dash);
            line += u',';
            line += dash < 0 ? TextView() : ledger.sliced(dash + 1);
            line += record.Amount > Money() ? u",DR,," : u",CR,,";
            line += context.currencyCode;
            line += u",,,,";
            const qsizetype described = line.size();
            // Commas and the payee's slashes become blanks and a long purpose is cut: the audit
            // lists every description that differs from its payment's texts.
            appendDescription(line, record);
            plain.resize(0);
            appendPlainDescription(plain, record);
            const QStringView written = QStringView(line).sliced(described);
            if (plain.view() != written)
                context.audit.changed(record, QStringLiteral("description"), plain.view(), written);
            line += u',';
            date.appendTo(line, record.TransDate);
            line += u',';
            line += amount.view();
            line += u',';
            line += amount.view();
            line += u",Kaprin";
            out.writeLine(line);
        });
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
