#pragma once

#include "audit.h"
#include "clock.h"
#include "codepage.h"
#include "packagerow.h"
#include "pagetext.h"
#include "paymentfile.h"
#include "prompter.h"
#include "regional.h"
#include "settingsstore.h"
#include "textfile.h"
#include "transrecords.h"

#include <QString>

#include <array>
#include <functional>
#include <map>
#include <string_view>

namespace kn {

// The status texts every writer shares.
namespace StatusText {
inline const QString GettingUserSettings = QStringLiteral("Getting User Settings...");
inline const QString OpeningExportFile = QStringLiteral("Opening the Export File...");
inline const QString ProcessingTransactions = QStringLiteral("Processing transactions...");
} // namespace StatusText

// The files a writer keeps beside its import file (FAS's institution number), held by path for
// a conversion that touches no file: the prompter puts an answer's file here, the writer reads it.
using CompanionFiles = std::map<QString, std::string>;

// Everything a writer may use; it reaches nothing else.
struct WriterContext {
    TransRecords& records;
    const PaymentHeader& header;
    const QString& currencyCode;
    const QString& packageFullTitle;
    // The file being written; a writer may keep companion files beside it.
    const QString& exportPath;
    const QString& settingsApplication;
    const RegionalSettings& regional;
    const CodePage& codePage;
    SettingsStore& settings;
    WriterPrompter prompter;
    const Clock& clock;
    std::function<void(const QString&)> status;
    // What the writer did with each record: written, left out with a reason, or changed.
    AuditRecorder& audit;
    // Where the import file's bytes go in place of the file at exportPath, when not null.
    std::string* outputBytes = nullptr;
    // The files kept beside the export file, by path, in place of the disk's, when not null.
    const CompanionFiles* companionFiles = nullptr;
};

// The export file as the frame hands it to a writer: lines go out as the code page's bytes with
// CR LF. A record's texts come from here as those bytes.
class ExportFile {
public:
    explicit ExportFile(const WriterContext& context)
        : file_(context.exportPath, context.outputBytes), context_(context)
    {
    }
    Line newLine() const { return Line(context_.codePage); }
    // A text of the writer's own (a setting, an answer, the currency code) in the code page.
    EncodedText encode(const QString& text) const { return EncodedText(text, &context_.codePage); }
    // The record's text as the page's bytes: an imported record's own bytes, a host's text encoded
    // (valid until a text of another host's record is asked for).
    PageText text(const TransRecord& record, RecordText which)
    {
        if (const auto bytes = record.pageBytes(which)) [[likely]]
            return {*bytes, {}};
        return ownedText(record, which);
    }
    // Notes in the audit that the record's field was written as `to` rather than `from`, when
    // they differ.
    void noteChanged(const TransRecord& record, const QString& field, PageText from, PageText to)
    {
        // Most often `to` is `from` itself, uncut.
        const bool same = from.bytes.data() == to.bytes.data() && from.size() == to.size() && from.meant == to.meant;
        if (!same)
            noteIfChanged(record, field, from, to);
    }

    // A line holding a text the code page cannot hold is noted as a change of the record.
    void writeLine(const Line& line)
    {
        file_.writeLine(line.bytes());
        ++lines_;
        if (line.meant() && record_ != nullptr) [[unlikely]]
            noteOutsideCodePage(line);
    }
    // A line of ASCII: a title or a fixed row.
    void writeLine(std::string_view ascii)
    {
        file_.writeLine(ascii);
        ++lines_;
    }
    // The lines that follow are the record's: it counts as written from the next line on.
    void beginRecord(const TransRecord& record);
    // The walk of the writers that leave a zero amount out: each such record is noted in the
    // audit and skipped, each other one begins and `write` writes its lines, in position order.
    template <typename Write>
    void forEachPayment(Write&& write)
    {
        for (const auto& record : context_.records) {
            if (record->Amount.isZero()) {
                context_.audit.leftOut(*record, AuditReason::ZeroAmount);
                continue;
            }
            beginRecord(*record);
            write(*record);
        }
    }
    // Raises "Processing transactions..."; the writer calls it where its own order puts it.
    void startTransactions() { context_.status(StatusText::ProcessingTransactions); }
    void close() { file_.close(); }

private:
    void noteOutsideCodePage(const Line& line);
    PageText ownedText(const TransRecord& record, RecordText which);
    QString textOf(PageText text) const;
    void noteIfChanged(const TransRecord& record, const QString& field, PageText from, PageText to);

    TextFileWriter file_;
    const WriterContext& context_;
    const TransRecord* record_ = nullptr;
    int lines_ = 0;
    // The texts of the host's record written last, in the code page: a writer uses a record's
    // texts while it writes that record.
    const TransRecord* ownedRecord_ = nullptr;
    std::array<std::string, RecordTextCount> ownedBytes_;
    std::array<QString, RecordTextCount> ownedMeant_;
};

// One target package's writer: it states only its own lines; the frame and the package's table
// row do the rest (the operation's name, its status texts and their order).
class LedgerWriter {
public:
    virtual ~LedgerWriter() = default;
    // Reading settings and asking the user, before the export file is touched. False means the
    // user refused: the writer ends without a file and without an error.
    virtual bool prepare(const WriterContext&) { return true; }
    virtual void writeLines(ExportFile& out, const WriterContext& context) = 0;
    // A writer that produces something other than a text file replaces the text steps.
    virtual bool writesTextFile() const { return true; }
    virtual void writeOtherFile(const WriterContext&) {}
};

// The frame: the row's writer, its first status and preparation in the row's order, "Opening the
// Export File...", a new text file that replaces the old one only when complete, the writer's lines, the closing status
// and close in the row's order. A failure carries the source "KNExport.<operation>" and leaves the old file as it was.
bool runLedgerWriter(const PackageRow& row, const WriterContext& context);

} // namespace kn
