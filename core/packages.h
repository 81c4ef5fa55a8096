#pragma once

#include "caldate.h"
#include "keyedcollection.h"

#include <QString>
#include <QVariant>

#include <memory>

namespace kn {

// One accounting package the host offers; the conversion itself never reads it.
struct Package {
    QString PackageFullTitle;
    QString PackageCode;
    CalDate LastUpdated;
    QString FileExtension;
    bool AllowKaprinHome = false;
    QString FileBaseName;
    QVariant PackageTitle;
};

using PackagePtr = std::shared_ptr<Package>;

class Packages {
public:
    using const_iterator = KeyedCollection<Package>::const_iterator;

    PackagePtr Add(const QString& PackageFullTitle, const QString& PackageCode, CalDate LastUpdated,
                   const QString& FileExtension, const QString& FileBaseName, const QString& PackageTitle,
                   const QString& sKey = {});
    const PackagePtr& Item(const QVariant& vntIndexKey) const { return items_.item(vntIndexKey); }
    int Count() const { return items_.count(); }
    void Remove(const QVariant& vntIndexKey) { items_.remove(vntIndexKey); }

    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

private:
    KeyedCollection<Package> items_;
};

} // namespace kn
