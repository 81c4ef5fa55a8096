#include "packagetable.h"

#include "core/ledgerwriter.h"

namespace kn {

std::unique_ptr<LedgerWriter> makeQuickBooksWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeMYOB11Writer(const PackageRow&);
std::unique_ptr<LedgerWriter> makeSimplyWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeSysProWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeMomentumWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makePeachtreeWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeMoneyWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeAccPacWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeQuickenWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeAccPacDosWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeAdagioWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeCustomWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeTroniaWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeJonasWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeAimsiWriter(const PackageRow&);
std::unique_ptr<LedgerWriter> makeFASWriter(const PackageRow&);

namespace {

// The date of every description in the host's catalogue.
constexpr const char* kListed = "2014/08/25";

const PackageRow kPackageRows[] = {
    {.code = "01", .fullTitle = "MYOB Version 11", .shortTitle = "MYOB 11", .fileExtension = "txt",
     .fileBaseName = "MYOBGL", .listed = kListed, .operation = "ProcessMYOB11",
     .firstStatus = "Processing MYOB Version 11", .asks = Question::DatePattern, .makeWriter = makeMYOB11Writer},
    {.code = "02", .fullTitle = "QuickBooks 1999 and later", .shortTitle = "QuickBooks 1999+", .fileExtension = "iif",
     .fileBaseName = "QBGL", .listed = kListed, .operation = "ProcessQuickBooks1999",
     .firstStatus = "Processing QuickBooks 1999+", .paymentLimit = 32767, .limitedFile = "QuickBooks journals",
     .makeWriter = makeQuickBooksWriter},
    {.code = "03", .fullTitle = "Simply Accounting 8.5 and later", .shortTitle = "Simply Accounting 8.5+",
     .fileExtension = "txt", .fileBaseName = "SIMPLYGL", .listed = kListed, .operation = "ProcessSimply",
     .firstStatus = "Processing Simply Accounting 8.5+", .makeWriter = makeSimplyWriter},
    {.code = "04", .fullTitle = "SysPro", .shortTitle = "SysPro", .fileExtension = "txt", .fileBaseName = "SYSPROGL",
     .listed = kListed, .operation = "ProcessSysPro", .firstStatus = "Processing SysPro",
     .asks = Question::DatePattern, .makeWriter = makeSysProWriter},
    {.code = "05", .fullTitle = "Momentum Accounting", .shortTitle = "Momentum", .fileExtension = "txt",
     .fileBaseName = "MOMGL", .listed = kListed, .operation = "ProcessMomentum", .firstStatus = "Processing Momentum",
     .makeWriter = makeMomentumWriter},
    {.code = "06", .fullTitle = "Peachtree Accounting", .shortTitle = "Peachtree", .fileExtension = "csv",
     .fileBaseName = "PTGL", .listed = kListed, .operation = "ProcessPeachtree", .firstStatus = "Processing Peachtree",
     .paymentLimit = 32767, .limitedFile = "Peachtree journals", .makeWriter = makePeachtreeWriter},
    {.code = "07", .fullTitle = "Microsoft Money", .shortTitle = "Money", .fileExtension = "qif",
     .fileBaseName = "MONEYGL", .listed = kListed, .operation = "ProcessMoney", .firstStatus = "Processing Money",
     .makeWriter = makeMoneyWriter},
    // A refused fiscal period leaves no status behind.
    {.code = "08", .fullTitle = "AccPac General Ledger", .shortTitle = "AccPac", .fileExtension = "csv",
     .fileBaseName = "ACCPACGL", .listed = kListed, .operation = "ProcessAccPac", .firstStatus = "Processing AccPac...",
     .firstStatusOrder = FirstStatusOrder::AfterPreparation, .asks = Question::FiscalPeriod,
     .makeWriter = makeAccPacWriter},
    {.code = "09", .fullTitle = "Quicken (version 5 dates)", .shortTitle = "Quicken", .fileExtension = "qif",
     .fileBaseName = "QKN5-GL0914", .listed = kListed, .operation = "ProcessQuicken",
     .firstStatus = "Processing Quicken", .variant = "5", .makeWriter = makeQuickenWriter},
    {.code = "10", .fullTitle = "Quicken (version 6 and later)", .shortTitle = "Quicken", .fileExtension = "qif",
     .fileBaseName = "QKN6-GL0914", .listed = kListed, .operation = "ProcessQuicken",
     .firstStatus = "Processing Quicken", .variant = "6", .makeWriter = makeQuickenWriter},
    {.code = "11", .fullTitle = "AccPac Plus (DOS version)", .shortTitle = "AccPac Plus DOS", .fileExtension = "txt",
     .fileBaseName = "APDOSGL", .listed = kListed, .operation = "ProcessACCPACDos",
     .firstStatus = "Processing AccPac Plus (DOS Version)...", .closing = ClosingOrder::CloseThenStatus,
     .makeWriter = makeAccPacDosWriter},
    {.code = "12", .fullTitle = "Adagio Ledger", .shortTitle = "Adagio", .fileExtension = "csv",
     .fileBaseName = "ADAGIOGL", .listed = kListed, .operation = "ProcessAdagio", .firstStatus = "Processing Adagio",
     .closing = ClosingOrder::CloseThenStatus, .makeWriter = makeAdagioWriter},
    {.code = "13", .fullTitle = "Custom comma-separated format", .shortTitle = "Custom", .fileExtension = "csv",
     .fileBaseName = "CUSTOMGL", .listed = kListed, .operation = "ProcessCustom",
     .firstStatus = "Processing Custom format...", .closing = ClosingOrder::CloseThenStatus,
     .paymentLimit = 32767, .limitedFile = "Custom files", .makeWriter = makeCustomWriter},
    {.code = "14", .fullTitle = "Tronia General Journal", .shortTitle = "Tronia", .fileExtension = "txt",
     .fileBaseName = "TRONIAGL", .listed = kListed, .operation = "ProcessTronia",
     .firstStatus = "Processing Tronia format...", .closing = ClosingOrder::CloseThenStatus,
     .paymentLimit = 32767, .limitedFile = "Tronia journals", .makeWriter = makeTroniaWriter},
    {.code = "15", .fullTitle = "Jonas Construction Software", .shortTitle = "Jonas", .fileExtension = "txt",
     .fileBaseName = "JONASGL", .listed = kListed, .operation = "ProcessJonas",
     .firstStatus = "Processing Jonas format...", .closing = ClosingOrder::CloseThenStatus,
     .makeWriter = makeJonasWriter},
    {.code = "16", .fullTitle = "AIMsi Retail Management", .shortTitle = "AIMsi", .fileExtension = "xls",
     .fileBaseName = "AIMSIGL", .listed = kListed, .operation = "ProcessAIMsi",
     .firstStatus = "Processing AIMsi format...", .paymentLimit = 65535,
     .limitedFile = "AIMsi .xls workbooks (an output named .xlsx holds 1,048,575)", .makeWriter = makeAimsiWriter},
    {.code = "17", .fullTitle = "FAS General Ledger", .shortTitle = "FAS", .fileExtension = "csv",
     .fileBaseName = "FASGL", .listed = kListed, .operation = "ProcessFAS", .firstStatus = "Processing FAS File...",
     .closingStatus = "Closing File...", .closing = ClosingOrder::CloseThenStatus,
     .asks = Question::InstitutionNumber, .makeWriter = makeFASWriter},
};

} // namespace

PackageTable packageTable()
{
    return kPackageRows;
}

} // namespace kn
