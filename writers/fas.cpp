// FAS: one comma-separated line of sixteen fields per non-zero payment, no header, each starting
// with the user's institution number, which is kept in the file "FASINSTNUM" two folders above
// the output file and asked for only while that file is missing.
#include "fas.h"

#include "core/conversions.h"
#include "core/knerror.h"
#include "core/ledgerwriter.h"
#include "core/textfile.h"
#include "writers/formatting.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>

namespace kn {

namespace {

// Whether the institution number file is there: among the conversion's companion files when it
// has them, else on the disk.
bool companionFileExists(const QString& path, const CompanionFiles* memory)
{
    return memory != nullptr ? memory->contains(path) : QFileInfo(path).isFile();
}

// The file's first line without its end. A file that is not there fails with File not found (53),
// or on the disk with the system's number (Path not found (76) for a missing folder); an empty one
// with Input past end of file (62).
std::string companionFirstLine(const QString& path, const CompanionFiles* memory)
{
    if (memory == nullptr) {
        TextFileReader file(path);
        return std::string(file.readLineBytes());
    }
    const auto found = memory->find(path);
    if (found == memory->end())
        throw KNError(ErrorCode::FileNotFound);
    TextFileReader file(found->second);
    return std::string(file.readLineBytes());
}

// Appends the text without blanks, `blanked` or `alsoBlanked` at either end, those two written as
// blanks; true when that is not the text without its blanks at either end.
bool appendBlanked(Line& out, PageText text, char blanked, char alsoBlanked = 0)
{
    const auto isBlanked = [=](char c) { return c == blanked || (alsoBlanked != 0 && c == alsoBlanked); };
    const PageText plain = text.trimmed();
    std::size_t first = 0, end = plain.size();
    while (first < end && (plain.bytes[first] == ' ' || isBlanked(plain.bytes[first])))
        ++first;
    while (end > first && (plain.bytes[end - 1] == ' ' || isBlanked(plain.bytes[end - 1])))
        --end;
    const PageText kept = plain.sliced(first, end - first);
    const bool inside = std::any_of(kept.bytes.begin(), kept.bytes.end(), isBlanked);
    const Line::Mark start = out.end();
    out += kept;
    if (inside) {
        out.replace(start, blanked, ' ');
        if (alsoBlanked != 0)
            out.replace(start, alsoBlanked, ' ');
    }
    return inside || kept.size() != plain.size();
}

// Appends the description: the payment purpose fills what is left of 80 characters. True when it
// may differ from the payment's texts joined (a comma or slash blanked, the purpose cut).
bool appendDescription(Line& out, ExportFile& file, const TransRecord& record)
{
    constexpr std::size_t room = 79;
    const std::size_t start = out.size();
    bool altered = appendBlanked(out, file.text(record, RecordText::PaidTo), ',', '/');
    const PageText invoice = file.text(record, RecordText::InvoiceNo).trimmed();
    if (!invoice.empty()) {
        out += '/';
        altered |= appendBlanked(out, invoice, ',');
    }
    // The payment purpose fills what is left of 80 characters, and is dropped when nothing is.
    const PageText purpose = file.text(record, RecordText::PaymentFor);
    if (purpose.trimmed().empty())
        return altered;
    const std::size_t used = out.size() - start;
    if (used >= room)
        return true;
    out += '/';
    altered |= appendBlanked(out, purpose.first(room - used), ',');
    return altered || room - used <= purpose.bytes.find_last_not_of(' ');
}

// The description as the payment's texts give it, joined by "/" but with no comma or slash
// blanked and nothing cut: what the audit shows the written description against.
void appendPlainDescription(Line& out, ExportFile& file, const TransRecord& record)
{
    out += file.text(record, RecordText::PaidTo).trimmed();
    for (const RecordText part : {RecordText::InvoiceNo, RecordText::PaymentFor}) {
        const PageText text = file.text(record, part).trimmed();
        if (!text.empty()) {
            out += '/';
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
        const DatePattern date(u"MMDDYYYY", context.regional, &context.codePage);
        const NumberPattern amountPattern(u"0.00", context.regional, &context.codePage);
        const EncodedText institutionNumber = out.encode(institutionNumber_);
        const EncodedText currency = out.encode(context.currencyCode);
        Line plain = out.newLine();
        Line line = out.newLine();
        out.startTransactions();
        out.forEachPayment([&](const TransRecord& record) {
            const PageText ledger = out.text(record, RecordText::GLAccount).trimmed();
            const std::size_t dash = ledger.find('-');
            line.clear();
            line += institutionNumber;
            line += ",,,";
            line += ledger.first(dash);
            line += ',';
            line += dash == std::string_view::npos ? PageText() : ledger.sliced(dash + 1);
            line += record.Amount > Money() ? ",DR,," : ",CR,,";
            line += currency;
            line += ",,,,";
            const Line::Mark described = line.end();
            // Commas and the payee's slashes become blanks and a long purpose is cut: the audit
            // lists every description that differs from its payment's texts.
            if (appendDescription(line, out, record)) {
                plain.clear();
                appendPlainDescription(plain, out, record);
                out.noteChanged(record, QStringLiteral("description"), plain.since({}), line.since(described));
            }
            line += ',';
            date.appendTo(line, record.TransDate);
            const Line::Mark amount = line.end();
            line += ',';
            amountPattern.appendTo(line, record.Amount.abs());
            line.repeat(amount);
            line += ",Kaprin";
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
