#include "packages.h"

namespace kn {

PackagePtr Packages::Add(const QString& PackageFullTitle, const QString& PackageCode, CalDate LastUpdated,
                         const QString& FileExtension, const QString& FileBaseName,
                         const QString& PackageTitle, const QString& sKey)
{
    auto package = std::make_shared<Package>();
    package->PackageFullTitle = PackageFullTitle;
    package->PackageCode = PackageCode;
    package->LastUpdated = LastUpdated;
    package->FileExtension = FileExtension;
    package->FileBaseName = FileBaseName;
    package->PackageTitle = PackageTitle;
    items_.add(package, sKey);
    return package;
}

} // namespace kn
