// AIMsi: a workbook with one sheet, "Sheet1", filled as a table of eleven declared columns: the
// titles in the first row, then one row per payment with the ledger account, "H", tax authority
// 1, "CD", the session number as the reference, the payee, and the amount as a debit (zero or
// more) or a credit (below zero, sign kept). ".xlsx" gives an Office Open XML workbook, any other
// name the Excel 97-2003 workbook the package imports.
#include "core/ledgerwriter.h"

#include "workbook/sheettable.h"

namespace kn {

namespace {

const TableColumn kColumns[] = {
    {QStringLiteral("Ledger Num"), ColumnType::Text, 1},
    {QStringLiteral("Sub Num"), ColumnType::Text, 1},
    {QStringLiteral("Ledger-Sub"), ColumnType::Text, 50},
    {QStringLiteral("Location"), ColumnType::Text, 1},
    {QStringLiteral("Tax Auth"), ColumnType::Integer},
    {QStringLiteral("Source"), ColumnType::Text, 2},
    {QStringLiteral("Dept Code"), ColumnType::Text, 1},
    {QStringLiteral("Reference"), ColumnType::Integer},
    {QStringLiteral("Description"), ColumnType::Text, 50},
    {QStringLiteral("Debit"), ColumnType::Numeric},
    {QStringLiteral("Credit"), ColumnType::Numeric},
};

class AimsiWriter final : public LedgerWriter {
public:
    // The workbook takes the place of the text file: there are no text lines.
    bool writesTextFile() const override { return false; }
    void writeLines(ExportFile&, const WriterContext&) override {}

    void writeOtherFile(const WriterContext& context) override
    {
        SheetTable sheet(context.exportPath, QStringLiteral("Sheet1"), kColumns, context.regional, context.outputBytes);
        context.status(StatusText::ProcessingTransactions);
        int row = 1;
        for (const auto& record : context.records) {
            sheet.addNew();
            sheet.set(u"Ledger-Sub", record->GLAccount());
            sheet.set(u"Location", QStringLiteral("H"));
            sheet.set(u"Tax Auth", QStringLiteral("1"));
            sheet.set(u"Source", QStringLiteral("CD"));
            sheet.set(u"Reference", context.header.sessionNumber);
            sheet.set(u"Description", record->PaidTo());
            sheet.set(record->Amount.isNegative() ? u"Credit" : u"Debit", record->Amount);
            sheet.update();
            context.audit.written(*record, ++row);
        }
        sheet.close();
    }
};

} // namespace

std::unique_ptr<LedgerWriter> makeAimsiWriter(const PackageRow&)
{
    return std::make_unique<AimsiWriter>();
}

} // namespace kn
