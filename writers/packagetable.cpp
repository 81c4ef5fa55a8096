#include "packagetable.h"

namespace kn {

std::unique_ptr<LedgerWriter> makeMYOB11Writer(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeSysProWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeMomentumWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeAccPacWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeFASWriter(const WriterArguments&);

namespace {
const PackageRow kPackageRows[] = {
    {"01", "MYOB 11", makeMYOB11Writer},
    {"04", "SysPro", makeSysProWriter},
    {"05", "Momentum", makeMomentumWriter},
    {"08", "AccPac", makeAccPacWriter},
    {"17", "FAS", makeFASWriter},
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
