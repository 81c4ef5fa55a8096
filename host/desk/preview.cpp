#include "preview.h"

#include "host/component.h"
#include "host/conversionrun.h"
#include "core/knerror.h"
#include "core/ledgerwriter.h"
#include "core/textfile.h"
#include "prompts/promptchecks.h"
#include "writers/fas.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <freexl.h>

namespace kn {

namespace {

// Answers every prompt with what its dialog proposes, as a user pressing Enter would, and says so.
class ProposalPrompter final : public Prompter {
public:
    explicit ProposalPrompter(QStringList& assumptions) : assumptions_(assumptions) {}

    DateFormatAnswer PromptDateFormat(const DateFormatRequest& request, const PromptEnvironment&) override
    {
        assumptions_ << QStringLiteral("The date pattern is asked when you convert; the preview uses the one "
                                       "proposed, %1.").arg(request.initial);
        return {true, request.initial};
    }
    FiscalPeriodAnswer PromptFiscalPeriod(const QString&, const PromptEnvironment& environment) override
    {
        const FiscalChoices choices = fiscalChoicesFor(environment.clock.today());
        assumptions_ << QStringLiteral("The fiscal year and period are asked when you convert; the preview uses "
                                       "year %1, period %2.").arg(choices.year, choices.period);
        return {true, choices.year, choices.period};
    }
    void PromptInstitutionNumber(const QString& path, const PromptEnvironment& environment) override
    {
        assumptions_ << QStringLiteral("Your institution number is asked when you convert; the preview shows 0 in "
                                       "its place.");
        writeInstitutionNumberFile(path, QStringLiteral("0"), environment.codePage);
    }

private:
    QStringList& assumptions_;
};

// The workbook's one sheet as texts, as a spreadsheet program shows its cells.
std::vector<QStringList> workbookRows(const QString& path, const QLocale& locale)
{
    std::vector<QStringList> rows;
    const void* handle = nullptr;
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK)
        return rows;
    unsigned int rowCount = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, 0) == FREEXL_OK &&
        freexl_worksheet_dimensions(handle, &rowCount, &columns) == FREEXL_OK) {
        for (unsigned int r = 0; r < rowCount; ++r) {
            QStringList& row = rows.emplace_back();
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value{};
                freexl_get_cell_value(handle, r, c, &value);
                if (value.type == FREEXL_CELL_INT)
                    row << locale.toString(value.value.int_value);
                else if (value.type == FREEXL_CELL_DOUBLE)
                    row << locale.toString(value.value.double_value, 'g', 15);
                else if (value.type == FREEXL_CELL_TEXT || value.type == FREEXL_CELL_SST_TEXT)
                    row << QString::fromUtf8(value.value.text_value);
                else
                    row << QString();
            }
        }
    }
    freexl_close(handle);
    return rows;
}

} // namespace

Preview makePreview(const PreviewRequest& request)
{
    Preview preview;
    const PackageRow& row = *request.package;
    // The file and whatever the writer keeps beside it stay in a folder of their own, deep enough
    // that FAS's institution number, two folders above its file, stays inside it too.
    QTemporaryDir scratch;
    const QString folder = scratch.filePath(QStringLiteral("preview/of/package"));
    const QString output = QDir(folder).filePath(QString::fromLatin1(row.fileBaseName) + u'.' +
                                                 QString::fromLatin1(row.fileExtension));
    try {
        if (!scratch.isValid() || !QDir().mkpath(folder))
            throw KNError(ErrorCode::PathFileAccessError, QStringLiteral("preview"));
        if (row.asks == Question::InstitutionNumber && !request.outputPath.isEmpty())
            QFile::copy(fasInstitutionNumberPath(request.outputPath), fasInstitutionNumberPath(output));
        const auto converter = createKNExport({request.localeName, request.codePage, QString()});
        converter->setSettingsStore(makeMemorySettingsStore(makeUserSettingsStore()));
        // A text import file is made in memory from the payment file's bytes; a workbook is written
        // into the scratch folder and read back.
        preview.workbook = !row.makeWriter(row)->writesTextFile();
        SafetyOptions safety = request.safety;
        safety.recordConversion = false;
        converter->setChecks(makeSafetyChecks(safety));
        const ConversionResult result = runConversion(
            *converter, {row.codeText(), request.paymentFile, output, QString::fromLatin1(row.fullTitle), request.currency,
                         std::make_shared<ProposalPrompter>(preview.assumptions), !preview.workbook});
        if (result.ending == ConversionEnding::Failed)
            preview.failure = result.error;
        preview.noRecords = result.ending == ConversionEnding::NoRecords;
        preview.audit = result.audit;
        preview.audit.output = request.outputPath;
        if (preview.failure || preview.noRecords)
            return preview;

        if (preview.workbook) {
            preview.rows = workbookRows(output, converter->regionalSettings().locale());
            return preview;
        }
        TextFileReader file(result.output);
        while (preview.lines.size() < request.lines && !file.atEnd())
            preview.lines << converter->codePage().decode(file.readLineBytes());
    } catch (const KNError& error) {
        preview.failure = error;
    }
    return preview;
}

} // namespace kn
