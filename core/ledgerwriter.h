#pragma once

#include "clock.h"
#include "codepage.h"
#include "regional.h"
#include "settingsstore.h"
#include "textfile.h"
#include "transrecords.h"
#include "../prompts/prompter.h"

#include <QString>

#include <functional>
#include <memory>

namespace kn {

// The status texts every writer shares.
namespace StatusText {
inline const QString GettingUserSettings = QStringLiteral("Getting User Settings...");
inline const QString OpeningExportFile = QStringLiteral("Opening the Export File...");
inline const QString ProcessingTransactions = QStringLiteral("Processing transactions...");
inline const QString ClosingTheFile = QStringLiteral("Closing the file...");
} // namespace StatusText

// The values the import keeps from the payment file's header line.
struct PaymentHeader {
    QString sessionNumber;    // columns 2-4, untrimmed
    QString entrySource;      // columns 5-7, untrimmed
    QString balancingAccount; // columns 113-142, trimmed
};

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
    Prompter& prompter;
    const Clock& clock;
    std::function<void(const QString&)> status;
};

// The export file as the frame hands it to a writer: lines go out in the code page with CR LF.
class ExportFile {
public:
    explicit ExportFile(const WriterContext& context) : file_(context.exportPath, context.codePage), context_(context) {}
    void writeLine(QStringView line) { file_.writeLine(line); }
    // Raises "Processing transactions..."; the writer calls it where its own order puts it.
    void startTransactions() { context_.status(StatusText::ProcessingTransactions); }
    void close() { file_.close(); }

private:
    TextFileWriter file_;
    const WriterContext& context_;
};

// One target package's writer: it states only its own texts and lines, the frame does the rest.
class LedgerWriter {
public:
    enum class Closing { StatusThenClose, CloseThenStatus };
    // Most writers announce themselves and then prepare; one asks its question first, so that a
    // refused question leaves no status behind.
    enum class FirstStatus { BeforePreparation, AfterPreparation };

    virtual ~LedgerWriter() = default;
    // The operation's name ("ProcessMomentum"); a failure's source is "KNExport." and this name.
    virtual QString name() const = 0;
    virtual QString firstStatus() const = 0;
    virtual FirstStatus firstStatusOrder() const { return FirstStatus::BeforePreparation; }
    // Reading settings and asking the user, before the export file is touched. False means the
    // user refused: the writer ends without a file and without an error.
    virtual bool prepare(const WriterContext&) { return true; }
    virtual void writeLines(ExportFile& out, const WriterContext& context) = 0;
    virtual Closing closing() const { return Closing::StatusThenClose; }
    virtual QString closingStatus() const { return StatusText::ClosingTheFile; }
    // A writer that produces something other than a text file replaces the text steps.
    virtual bool writesTextFile() const { return true; }
    virtual void writeOtherFile(const WriterContext&) {}
};

// The frame: first status and preparation in the writer's order, "Opening the Export File...", the
// old file removed, a new text file, the writer's lines, the closing status and close in the
// writer's order. A failure carries the source "KNExport.<writer>"; lines already written stay.
bool runLedgerWriter(LedgerWriter& writer, const WriterContext& context);

} // namespace kn
