#include "packagetable.h"

namespace kn {

std::unique_ptr<LedgerWriter> makeQuickBooksWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeMYOB11Writer(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeSimplyWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeSysProWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeMomentumWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makePeachtreeWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeMoneyWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeAccPacWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeQuickenWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeAccPacDosWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeAdagioWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeCustomWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeTroniaWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeJonasWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeAimsiWriter(const WriterArguments&);
std::unique_ptr<LedgerWriter> makeFASWriter(const WriterArguments&);

namespace {
// In the order the codes have always been compared; a code matches only itself.
const PackageRow kPackageRows[] = {
    {"02", "QuickBooks 1999+", makeQuickBooksWriter},
    {"01", "MYOB 11", makeMYOB11Writer},
    {"03", "Simply Accounting 8.5+", makeSimplyWriter},
    {"04", "SysPro", makeSysProWriter},
    {"05", "Momentum", makeMomentumWriter},
    {"06", "Peachtree", makePeachtreeWriter},
    {"07", "Microsoft Money", makeMoneyWriter},
    {"08", "AccPac", makeAccPacWriter},
    {"09", "Quicken", makeQuickenWriter, "5"},
    {"10", "Quicken", makeQuickenWriter, "6"},
    {"11", "AccPac Plus (DOS version)", makeAccPacDosWriter},
    {"12", "Adagio", makeAdagioWriter},
    {"13", "custom format", makeCustomWriter},
    {"14", "Tronia", makeTroniaWriter},
    {"15", "Jonas", makeJonasWriter},
    {"16", "AIMsi", makeAimsiWriter},
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
