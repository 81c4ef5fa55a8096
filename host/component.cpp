#include "component.h"

#include "core/knerror.h"
#include "writers/packagetable.h"

#include <QStandardPaths>

namespace kn {

std::unique_ptr<KNExport> createKNExport(const ComponentOptions& options)
{
    auto converter = std::make_unique<KNExport>();
    converter->setPackageTable(packageTable());
    if (!options.localeName.isEmpty())
        converter->setRegionalSettings(RegionalSettings::named(options.localeName));
    if (!options.codePage.isEmpty()) {
        try {
            converter->setCodePage(CodePage(options.codePage));
        } catch (const KNError& error) {
            throw error.withSource(QStringLiteral("KNExport.CodePage"))
                .withDetail(QStringLiteral("'%1' is not a single-byte code page").arg(options.codePage));
        }
    }
    converter->setSettingsStore(options.settingsIniPath.isEmpty() ? makeUserSettingsStore()
                                                                  : makeIniSettingsStore(options.settingsIniPath));
    return converter;
}

bool setScriptedAnswer(ScriptedAnswers& answers, const QString& name, const QString& value)
{
    std::optional<QString>* answer = nullptr;
    if (name == QLatin1String("date-format"))
        answer = &answers.dateFormat;
    else if (name == QLatin1String("fiscal-year"))
        answer = &answers.fiscalYear;
    else if (name == QLatin1String("fiscal-period"))
        answer = &answers.fiscalPeriod;
    else if (name == QLatin1String("institution-number"))
        answer = &answers.institutionNumber;
    if (!answer)
        return false;
    *answer = value;
    return true;
}

QStringList catalogueDescriptions()
{
    return packageDescriptions(packageTable());
}

QString defaultHistoryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/DARODEV/knexport/history.sqlite");
}

} // namespace kn
