#include "knexportplugin.h"

#include "knexportcomponent.h"
#include "knexportobjects.h"

#include "host/component.h"
#include "core/knerror.h"

namespace kn {

QObject* KNExportPlugin::createKNExport(const QString& locale, const QString& codePage, const QString& settingsIni)
{
    std::unique_ptr<KNExport> converter;
    try {
        converter = kn::createKNExport(ComponentOptions{locale, codePage, settingsIni});
    } catch (const KNError&) {
        return nullptr;
    }
    auto* component = new KNExportComponent(std::move(converter));
    ++liveObjects_;
    // The count answers the unload query: the plugin's code must stay while an object lives.
    connect(component, &QObject::destroyed, this, [this] { --liveObjects_; });
    return component;
}

QObject* KNExportPlugin::createObject(const QString& className)
{
    if (className == u"KNExport")
        return createKNExport(QString(), QString(), QString());
    if (className == u"TransRecords")
        return new TransRecordsObject(std::make_shared<TransRecords>());
    if (className == u"TransRecord")
        return new TransRecordObject(std::make_shared<TransRecord>());
    if (className == u"Packages")
        return new PackagesObject(std::make_shared<Packages>());
    if (className == u"Package")
        return new PackageObject(std::make_shared<Package>());
    return nullptr;
}

bool KNExportPlugin::canUnloadNow() const
{
    return liveObjects_ == 0 && CountedObject::liveObjects() == 0;
}

} // namespace kn
