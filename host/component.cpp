#include "component.h"

#include "core/knerror.h"

namespace kn {

std::unique_ptr<KNExport> createKNExport(const ComponentOptions& options)
{
    auto converter = std::make_unique<KNExport>();
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

QStringList packageDescriptions()
{
    // code ~ extension ~ base name ~ date ~ full title ~ short title
    return {
        QStringLiteral("01~txt~MYOBGL~2014/08/25~MYOB Version 11~MYOB 11"),
        QStringLiteral("02~iif~QBGL~2014/08/25~QuickBooks 1999 and later~QuickBooks 1999+"),
        QStringLiteral("03~txt~SIMPLYGL~2014/08/25~Simply Accounting 8.5 and later~Simply Accounting 8.5+"),
        QStringLiteral("04~txt~SYSPROGL~2014/08/25~SysPro~SysPro"),
        QStringLiteral("05~txt~MOMGL~2014/08/25~Momentum Accounting~Momentum"),
        QStringLiteral("06~csv~PTGL~2014/08/25~Peachtree Accounting~Peachtree"),
        QStringLiteral("07~qif~MONEYGL~2014/08/25~Microsoft Money~Money"),
        QStringLiteral("08~csv~ACCPACGL~2014/08/25~AccPac General Ledger~AccPac"),
        QStringLiteral("09~qif~QKN5-GL0914~2014/08/25~Quicken (version 5 dates)~Quicken"),
        QStringLiteral("10~qif~QKN6-GL0914~2014/08/25~Quicken (version 6 and later)~Quicken"),
        QStringLiteral("11~txt~APDOSGL~2014/08/25~AccPac Plus (DOS version)~AccPac Plus DOS"),
        QStringLiteral("12~csv~ADAGIOGL~2014/08/25~Adagio Ledger~Adagio"),
        QStringLiteral("13~csv~CUSTOMGL~2014/08/25~Custom comma-separated format~Custom"),
        QStringLiteral("14~txt~TRONIAGL~2014/08/25~Tronia General Journal~Tronia"),
        QStringLiteral("15~txt~JONASGL~2014/08/25~Jonas Construction Software~Jonas"),
        QStringLiteral("16~xls~AIMSIGL~2014/08/25~AIMsi Retail Management~AIMsi"),
        QStringLiteral("17~csv~FASGL~2014/08/25~FAS General Ledger~FAS"),
        QString(),
    };
}

} // namespace kn
