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

    // A new object of a public class by its name, owned by the caller: "KNExport" (as
    // createKNExport with empty texts), "TransRecords", "TransRecord", "Packages" or "Package";
    // null for another name. Members and properties carry the classes' own names and argument
    // orders; calendar dates are day counts from 30 December 1899 and amounts currency units (both
    // double), a position or key a QVariant (a number or a text). A record or package a member hands
    // out (Add, Item, FindAPBank, NewEnum) is a new object owned by the caller that stands for the
    // item itself. A failed member call returns null or false and leaves its number, description
    // and source ("TransRecords.Item") in the object's ErrorNumber, ErrorDescription and ErrorSource
    // properties.
    virtual QObject* createObject(const QString& className) = 0;

    // The unload query: true when no object this factory made, nor any object one of them handed
    // out, is still alive.
    virtual bool canUnloadNow() const = 0;
};

} // namespace darodev

#define DARODEV_KNEXPORTFACTORY_IID "org.darodev.KNExportFactory/2"
Q_DECLARE_INTERFACE(darodev::KNExportFactory, DARODEV_KNEXPORTFACTORY_IID)

#endif
