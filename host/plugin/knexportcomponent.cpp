#include "knexportcomponent.h"

#include "knexportobjects.h"

#include "host/component.h"
#include "host/conversionrun.h"
#include "core/knerror.h"

namespace kn {

KNExportComponent::KNExportComponent(std::unique_ptr<KNExport> converter, QObject* parent)
    : QObject(parent), converter_(std::move(converter))
{
    connect(converter_.get(), &KNExport::Status, this, &KNExportComponent::Status);
    connect(converter_.get(), &KNExport::ProcessComplete, this, &KNExportComponent::ProcessComplete);
    connect(converter_.get(), &KNExport::Error, this, &KNExportComponent::Error);
}

KNExportComponent::~KNExportComponent() = default;

QObject* KNExportComponent::AcctPackages()
{
    // The converter owns the catalogue; the object only borrows it.
    if (!packages_)
        packages_ = new PackagesObject(std::shared_ptr<Packages>(&converter_->AcctPackages(), [](Packages*) {}), this);
    return packages_;
}

QObject* KNExportComponent::Records()
{
    if (!records_)
        records_ = new TransRecordsObject(std::shared_ptr<TransRecords>(&converter_->Records(), [](TransRecords*) {}), this);
    return records_;
}

bool KNExportComponent::ConvertKNtoGLSpecific(const QString& PackageCode, const QString& ImportFileName,
                                              const QString& ExportFileName, const QString& PackageFullTitle,
                                              const QString& strCurrencyCode)
{
    clearError();
    const ConversionResult result =
        runConversion(*converter_, {PackageCode, ImportFileName, ExportFileName, PackageFullTitle, strCurrencyCode,
                                    std::make_shared<ScriptedPrompter>(answers_)});
    if (result.ending == ConversionEnding::Failed)
        keepError(*result.error);
    return result.converted();
}

short KNExportComponent::Fileexists(const QString& strPath) const
{
    return converter_->Fileexists(strPath);
}

QString KNExportComponent::QBDateFormat(double dtTheDate) const
{
    return converter_->QBDateFormat(CalDate(dtTheDate));
}

QString KNExportComponent::JonasDateFormat(double dtTheDate) const
{
    return converter_->JonasDateFormat(CalDate(dtTheDate));
}

bool KNExportComponent::LoadAccountingPackageList(const QStringList& strAcctPackageList)
{
    clearError();
    try {
        return converter_->LoadAccountingPackageList(strAcctPackageList);
    } catch (const KNError& error) {
        keepError(error);
        return false;
    }
}

bool KNExportComponent::SetAnswer(const QString& name, const QString& value)
{
    return setScriptedAnswer(answers_, name, value);
}

int KNExportComponent::RecordCount()
{
    return converter_->Records().Count();
}

void KNExportComponent::clearError()
{
    keepError(KNError(0, QString()));
}

void KNExportComponent::keepError(const KNError& error)
{
    errorNumber_ = error.number();
    errorDescription_ = error.description();
    errorSource_ = error.source();
    errorDetail_ = error.detail();
}

} // namespace kn
