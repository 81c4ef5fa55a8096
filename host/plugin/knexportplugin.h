#pragma once

#include "darodev/knexportfactory.h"

#include <QObject>

namespace kn {

// The component as a Qt plugin: the factory that makes KNExport objects and counts the live ones.
class KNExportPlugin : public QObject, public darodev::KNExportFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID DARODEV_KNEXPORTFACTORY_IID FILE "knexportplugin.json")
    Q_INTERFACES(darodev::KNExportFactory)

public:
    QObject* createKNExport(const QString& locale, const QString& codePage, const QString& settingsIni) override;
    QObject* createObject(const QString& className) override;
    bool canUnloadNow() const override;

private:
    int liveObjects_ = 0;
};

} // namespace kn
