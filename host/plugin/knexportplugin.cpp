#include "knexportplugin.h"

#include "knexportcomponent.h"

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

} // namespace kn
