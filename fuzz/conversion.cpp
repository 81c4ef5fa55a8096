// A whole conversion of a fuzzed payment file to every package (once its import succeeds), with a
// fuzzed locale, code page and answers and a fixed clock, wholly in memory: the payment file, the
// import files and workbook, the settings and FAS's institution number are bytes, and no file is
// touched.
#include "fuzzinput.h"

#include "core/clock.h"
#include "core/codepage.h"
#include "core/knerror.h"
#include "core/knexport.h"
#include "core/prompter.h"
#include "core/settingsstore.h"
#include "writers/packagetable.h"

namespace {

class FuzzedPrompter final : public kn::Prompter {
public:
    FuzzedPrompter(QString datePattern, QString year, QString period, QString institution,
                   kn::CompanionFiles& companions)
        : datePattern_(std::move(datePattern)), year_(std::move(year)), period_(std::move(period)),
          institution_(std::move(institution)), companions_(companions)
    {
    }
    kn::DateFormatAnswer PromptDateFormat(const kn::DateFormatRequest&, const kn::PromptEnvironment&) override { return {true, datePattern_}; }
    kn::FiscalPeriodAnswer PromptFiscalPeriod(const QString&, const kn::PromptEnvironment&) override { return {true, year_, period_}; }
    void PromptInstitutionNumber(const QString& path, const kn::PromptEnvironment&) override
    {
        companions_[path] = (institution_.toLatin1() + "\r\n").toStdString();
    }

private:
    QString datePattern_, year_, period_, institution_;
    kn::CompanionFiles& companions_;
};

// Paths under a folder that is not there: they name the files and say where FAS's number lies,
// and a write that reached the disk would fail.
const QString kFolder = QStringLiteral("/nonexistent-darodev-fuzz/a/b/");
const QString kImportSource = QStringLiteral("KNExport.ImportKNFile");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kn;
    fuzz::FuzzInput input(data, size);
    const RegionalSettings& regional = fuzz::chooseRegion(input);
    const CodePage& codePage = fuzz::chooseCodePage(input);
    const QString datePattern = input.takeText();
    const QString year = input.takeText();
    const QString period = input.takeText();
    const QString institution = input.takeText();
    const QString title = input.takeText();
    const QString currency = input.takeText();

    const QByteArray bytes = input.rest();
    // Each input starts with no remembered answers and no institution number.
    KNExport::MemoryFiles files{std::string_view(bytes.constData(), std::size_t(bytes.size())), {}, CompanionFiles()};
    KNExport converter;
    converter.setMemoryFiles(&files);
    converter.setPackageTable(packageTable());
    converter.setRegionalSettings(regional);
    converter.setCodePage(codePage);
    converter.setSettingsStore(makeMemorySettingsStore());
    converter.setClock(std::make_shared<FixedClock>(QDate(2014, 9, 2)));
    converter.setPrompter(std::make_shared<FuzzedPrompter>(datePattern, year, period, institution, *files.companions));
    // The import is the same for every package: once it fails or finds no payment, the other
    // packages would only repeat it (most fuzzed inputs fail there).
    for (const PackageRow& row : packageTable()) {
        const QString code = QString::fromLatin1(row.code);
        try {
            converter.ConvertKNtoGLSpecific(code, kFolder + QStringLiteral("payments.txt"),
                                            kFolder + QStringLiteral("out") + code + QStringLiteral(".txt"), title,
                                            currency);
        } catch (const KNError& error) {
            if (error.source() == kImportSource)
                break;
        }
        if (converter.Records().Count() < 1)
            break;
    }
    return 0;
}
