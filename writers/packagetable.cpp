#include "packagetable.h"

namespace kn {

std::unique_ptr<LedgerWriter> makeMomentumWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeAimsiWriter(const WriterArguments&);

namespace {
const PackageRow kPackageRows[] = {
    {"05", "Momentum", makeMomentumWriter},
    {"16", "AIMsi", makeAimsiWriter},
};
} // namespace

std::span<const PackageRow> packageRows()
{
    return kPackageRows;
}

const PackageRow* findPackageRow(const QString& packageCode)
{
    for (const PackageRow& row : kPackageRows) {
        if (packageCode == QLatin1String(row.code))
            return &row;
    }
    return nullptr;
}

} // namespace kn
