#include "knexport.h"

#include "conversions.h"
#include "knerror.h"
#include "paymentfile.h"
#include "textfile.h"

#include <QFileInfo>

namespace kn {

namespace {

const QString kImportSource = QStringLiteral("KNExport.ImportKNFile");
const QString kConvertSource = QStringLiteral("KNExport.ConvertKNtoGLSpecific");

} // namespace

KNExport::KNExport(QObject* parent)
    : QObject(parent),
      settingsApplication_(QStringLiteral("Kaprin Desk 6")),
      currencyCode_(QStringLiteral("CAD")),
      prompter_(std::make_shared<RefusingPrompter>()),
      clock_(std::make_shared<SystemClock>())
{
}

KNExport::~KNExport() = default;

void KNExport::setSettingsStore(std::shared_ptr<SettingsStore> settings)
{
    settings_ = std::move(settings);
}

void KNExport::setPrompter(std::shared_ptr<Prompter> prompter)
{
    prompter_ = prompter ? std::move(prompter) : std::make_shared<RefusingPrompter>();
}

void KNExport::setClock(std::shared_ptr<const Clock> clock)
{
    clock_ = clock ? std::move(clock) : std::make_shared<SystemClock>();
}

TransRecords& KNExport::Records()
{
    if (!records_)
        records_ = std::make_unique<TransRecords>();
    return *records_;
}

Packages& KNExport::AcctPackages()
{
    if (!packages_)
        packages_ = std::make_unique<Packages>();
    return *packages_;
}

bool KNExport::ConvertKNtoGLSpecific(const QString& PackageCode, const QString& ImportFileName,
                                     const QString& ExportFileName, const QString& PackageFullTitle,
                                     const QString& strCurrencyCode)
{
    audit_ = ConversionAudit{};
    audit_.package = PackageCode;
    audit_.input = ImportFileName;
    audit_.output = ExportFileName;
    const auto failed = [this](const KNError& failure) {
        audit_.failure = AuditFailure{failure.number(), failure.description(), failure.source(), failure.detail()};
        return failure;
    };
    try {
        const QString currency = trimBlanks(strCurrencyCode);
        currencyCode_ = currency.isEmpty() ? QStringLiteral("CAD") : currency.left(3);
        Records().Clear();
        const ProtectedInput paymentFile(ImportFileName);
        paymentFile.refuseAsOutput(ExportFileName);
        const QString code = PackageCode.toUpper();
        const bool writes = findPackageRow(packageTable_, code) != nullptr;
        // Kept here: a host that sets other checks while this conversion runs does not end these.
        const std::shared_ptr<const ConversionChecks> checks = checks_;
        const std::unique_ptr<ConversionChecks::Run> checking = checks ? checks->start(ImportFileName, warn_) : nullptr;
        bool result = ImportKNFile(ImportFileName);
        if (Records().Count() < 1) {
            emit Error(999, QStringLiteral("There are no import records to process"), kConvertSource);
            return result;
        }
        if (result && writes && checking &&
            !checking->beforeWriting(audit_, header_, Records(), code, PackageFullTitle))
            return false;
        if (result)
            result = runWriter(code, ExportFileName, PackageFullTitle);
        if (result && writes && checking)
            checking->afterWriting(audit_);
        if (result)
            emit ProcessComplete();
        return result;
    } catch (const KNError& error) {
        throw failed(error.source().isEmpty() ? error.withSource(kConvertSource) : error);
    } catch (const std::bad_alloc&) {
        throw failed(KNError(ErrorCode::OutOfMemory, kConvertSource));
    }
}

bool KNExport::ImportKNFile(const QString& ImportFileName)
{
    try {
        emit Status(QStringLiteral("Reading the Kaprin File..."));
        PaymentFileReader reader(codePage_, regional_, Records(), audit_);
        std::optional<TextFileReader> file;
        if (memoryFiles_ != nullptr)
            file.emplace(memoryFiles_->input);
        else
            file.emplace(ImportFileName);
        emit Status(QStringLiteral("Importing Kaprin File..."));
        // The header's values are kept even when a later line fails.
        try {
            readPaymentFile(*file, reader);
        } catch (const KNError&) {
            header_ = reader.header();
            throw;
        }
        header_ = reader.header();
        emit Status(QStringLiteral("Kaprin File Import Complete..."));
        return true;
    } catch (const KNError& error) {
        throw error.withSource(kImportSource);
    } catch (const std::bad_alloc&) {
        throw KNError(ErrorCode::OutOfMemory, kImportSource);
    }
}

bool KNExport::runWriter(const QString& packageCode, const QString& exportFileName, const QString& packageFullTitle)
{
    const PackageRow* row = findPackageRow(packageTable_, packageCode);
    if (row == nullptr)
        return true;
    if (!settings_)
        settings_ = makeUserSettingsStore();
    // A writer notes at most one written line and one entry per payment: room for all of them at
    // once, so that the lists never move as they grow; only what is used is ever touched.
    audit_.writtenAt.reserve(std::size_t(Records().Count()));
    audit_.entries.reserve(Records().Count());
    AuditRecorder recorder(audit_);
    if (progress_)
        recorder.setProgress([this, total = Records().Count()](int handled) { progress_(handled, total); });
    std::string* const outputBytes = memoryFiles_ != nullptr ? &memoryFiles_->output : nullptr;
    if (outputBytes != nullptr)
        outputBytes->clear();
    const CompanionFiles* const companionFiles =
        memoryFiles_ != nullptr && memoryFiles_->companions ? &*memoryFiles_->companions : nullptr;
    const WriterContext context{Records(), header_, currencyCode_, packageFullTitle, exportFileName,
                                settingsApplication_, regional_, codePage_, *settings_,
                                WriterPrompter{*prompter_, {regional_, codePage_, *clock_}}, *clock_,
                                [this](const QString& text) { emit Status(text); }, recorder, outputBytes,
                                companionFiles};
    return runLedgerWriter(*row, context);
}

short KNExport::Fileexists(const QString& strPath) const
{
    const QFileInfo info(strPath);
    return (!strPath.isEmpty() && info.exists() && info.isFile()) ? -1 : 0;
}

QString KNExport::QBDateFormat(CalDate dtTheDate) const
{
    return kn::QBDateFormat(dtTheDate, regional_);
}

QString KNExport::JonasDateFormat(CalDate dtTheDate) const
{
    return kn::JonasDateFormat(dtTheDate, regional_);
}

bool KNExport::LoadAccountingPackageList(const QStringList& strAcctPackageList)
{
    try {
        int stored = 0;
        // The last element is never read: hosts end their list with an empty one.
        for (qsizetype i = 0; i + 1 < strAcctPackageList.size(); ++i) {
            const QStringList fields = strAcctPackageList[i].split(u'~');
            const auto field = [&](qsizetype n) { return n <= fields.size() ? fields[n - 1] : QString(); };
            CalDate updated;
            try {
                updated = parseDateTimeText(field(4), regional_);
            } catch (const KNError&) {
                updated = CalDate();
            }
            const bool complete = !trimBlanks(field(1)).isEmpty() && !trimBlanks(field(2)).isEmpty() &&
                                  !trimBlanks(field(3)).isEmpty() && !trimBlanks(field(5)).isEmpty() &&
                                  !trimBlanks(field(6)).isEmpty();
            if (!complete)
                continue;
            const PackagePtr package = AcctPackages().Add(field(5), field(1), updated, field(2), field(3), field(6));
            if (field(1) == u"09" || field(1) == u"10")
                package->AllowKaprinHome = true;
            ++stored;
        }
        return stored > 0;
    } catch (const KNError& error) {
        throw error.withSource(QStringLiteral("KNExport.LoadAccountingPackageList"));
    }
}

} // namespace kn
