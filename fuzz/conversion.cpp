// A whole conversion of a fuzzed payment file to every package, with a fuzzed locale, code page
// and answers and a fixed clock, from bytes in memory to bytes in memory. The settings store and
// the companion files (FAS's institution number, workbooks) are kept in one folder for every run.
#include "fuzzinput.h"

#include "core/clock.h"
#include "core/codepage.h"
#include "core/knerror.h"
#include "core/knexport.h"
#include "core/prompter.h"
#include "core/settingsstore.h"
#include "writers/packagetable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <new>

namespace {

class FuzzedPrompter final : public kn::Prompter {
public:
    FuzzedPrompter(QString datePattern, QString year, QString period, QString institution)
        : datePattern_(std::move(datePattern)), year_(std::move(year)), period_(std::move(period)),
          institution_(std::move(institution))
    {
    }
    kn::DateFormatAnswer PromptDateFormat(const kn::DateFormatRequest&, const kn::PromptEnvironment&) override { return {true, datePattern_}; }
    kn::FiscalPeriodAnswer PromptFiscalPeriod(const QString&, const kn::PromptEnvironment&) override { return {true, year_, period_}; }
    void PromptInstitutionNumber(const QString& path, const kn::PromptEnvironment&) override
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(institution_.toLatin1() + "\r\n");
    }

private:
    QString datePattern_, year_, period_, institution_;
};

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

    static const QTemporaryDir root;
    static const bool made = QDir(root.path()).mkpath(QStringLiteral("a/b"));
    Q_UNUSED(made);
    // Each input starts with no remembered answers and no institution number.
    QFile::remove(root.filePath(QStringLiteral("a/FASINSTNUM")));
    QFile::remove(root.filePath(QStringLiteral("settings.ini")));
    const QString payments = root.filePath(QStringLiteral("payments.txt"));
    const QByteArray bytes = input.rest();
    KNExport::MemoryFiles files{std::string_view(bytes.constData(), std::size_t(bytes.size())), {}};
    KNExport converter;
    converter.setMemoryFiles(&files);
    converter.setPackageTable(packageTable());
    converter.setRegionalSettings(regional);
    converter.setCodePage(codePage);
    converter.setSettingsStore(makeIniSettingsStore(root.filePath(QStringLiteral("settings.ini"))));
    converter.setClock(std::make_shared<FixedClock>(QDate(2014, 9, 2)));
    converter.setPrompter(std::make_shared<FuzzedPrompter>(datePattern, year, period, institution));
    for (const PackageRow& row : packageTable()) {
        const QString code = QString::fromLatin1(row.code);
        const QString output = root.filePath(QStringLiteral("a/b/out") + code + QStringLiteral(".txt"));
        try {
            converter.ConvertKNtoGLSpecific(code, payments, output, title, currency);
        } catch (const KNError&) {
        }
    }
    return 0;
}
