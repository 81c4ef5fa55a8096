// The class factory of the DARODEV component plugin, for hosts that load it with QPluginLoader
// and never link libdarodev. Header only: the host needs QtCore and nothing else of ours.
#ifndef DARODEV_KNEXPORTFACTORY_H
#define DARODEV_KNEXPORTFACTORY_H

#include <QObject>
#include <QString>
#include <QtPlugin>

namespace darodev {

class KNExportFactory {
public:
    virtual ~KNExportFactory() = default;

    // A new KNExport, owned by the caller: empty texts keep the system's regional settings, the
    // "windows-1252" code page and the user's settings store. Null for an unknown code page.
    // Call its members by name (QMetaObject::invokeMethod) and connect to its Status,
    // ProcessComplete and Error signals by name; a failed call returns false and leaves its
    // number, description, source and detail in the ErrorNumber, ErrorDescription, ErrorSource
    // and ErrorDetail properties.
    virtual QObject* createKNExport(const QString& locale, const QString& codePage, const QString& settingsIni) = 0;

    // The unload query: true when no object this factory made is still alive.
    virtual bool canUnloadNow() const = 0;
};

} // namespace darodev

#define DARODEV_KNEXPORTFACTORY_IID "org.darodev.KNExportFactory/1"
Q_DECLARE_INTERFACE(darodev::KNExportFactory, DARODEV_KNEXPORTFACTORY_IID)

#endif
