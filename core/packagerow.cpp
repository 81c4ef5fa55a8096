#include "packagerow.h"

namespace kn {

QStringList packageDescriptions(PackageTable table)
{
    QStringList descriptions;
    for (const PackageRow& row : table) {
        descriptions << QStringList{row.codeText(), QString::fromLatin1(row.fileExtension),
                                    QString::fromLatin1(row.fileBaseName), QString::fromLatin1(row.listed),
                                    QString::fromLatin1(row.fullTitle), QString::fromLatin1(row.shortTitle)}
                            .join(u'~');
    }
    descriptions << QString();
    return descriptions;
}

const PackageRow* findPackageRow(PackageTable table, QStringView packageCode)
{
    for (const PackageRow& row : table) {
        if (packageCode == QLatin1String(row.code))
            return &row;
    }
    return nullptr;
}

} // namespace kn
