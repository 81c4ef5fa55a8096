// The workbook layer: a sheet filled as a typed table, and the files read back by libraries that
// are not ours.
#include "testsupport.h"
#include "workbookreaders.h"

#include "writers/workbook/sheettable.h"
#include "writers/workbook/workbook.h"
#include "writers/workbook/workbooksmodule.h"

using namespace kn;
using namespace kn::testing;

namespace {

enum Column { Code, Whole, Amount };
const TableColumn kColumns[] = {{"Code", ColumnType::Text, 2}, {"Whole", ColumnType::Integer}, {"Amount", ColumnType::Numeric}};

// A text or an amount set in a column, and the cell read back or the error it fails with.
using Value = std::variant<const char*, Money>;
struct Conversion { const char* locale; Column column; Value value; ReadCell expected; int error = 0; };

// Each value goes into a table of its own, released without close(): the row committed is still
// written, and a refused value leaves none.
TEST(SheetTable, ConvertsEachValueToItsDeclaredColumnType)
{
    const Conversion cases[] = {
        {"en_US", Code, "CD", QString("CD")},
        {"en_US", Code, "CDX", {}, 13},
        {"en_US", Code, Money::fromWhole(-1), QString("-1")},
        {"en_US", Code, Money::fromUnits(15000), {}, 13}, // "1.5" is three characters
        {"en_US", Whole, "2.5", 2.0},
        {"en_US", Whole, "3.5", 4.0},
        {"en_US", Whole, "-2.5", -2.0},
        {"en_US", Whole, Money::fromUnits(15000), 2.0},
        {"de_DE", Whole, "1,5", 2.0},
        {"en_US", Whole, "2147483647", 2147483647.0},
        {"en_US", Whole, "2147483648", {}, 6},
        {"en_US", Whole, "-2147483648", -2147483648.0},
        {"en_US", Whole, "-2147483649", {}, 6},
        {"de_DE", Amount, "-0,75", -0.75},
        {"en_US", Amount, "abc", {}, 13},
    };
    Harness harness;
    for (const Conversion& c : cases) {
        SCOPED_TRACE(&c - cases);
        const QString path = harness.path(QStringLiteral("conversion%1.xls").arg(&c - cases));
        {
            const RegionalSettings regional = RegionalSettings::named(QString::fromLatin1(c.locale));
            SheetTable table(path, "Sheet1", kColumns, regional);
            const auto set = [&](const auto& value) { table.set(kColumns[c.column].title, value); };
            EXPECT_EQ(errorNumber([&] { table.addNew(); std::visit(set, c.value); table.update(); }), c.error);
        }
        std::vector<ReadRow> rows = {{QString("Code"), QString("Whole"), QString("Amount")}, ReadRow(3)};
        rows[1][c.column] = c.expected;
        rows.resize(c.error ? 1 : 2);
        expectWorkbook(path, rows);
    }
}

TEST(SheetTable, RefusesUnknownColumnsValuesOutsideARowAndRowsPastTheLast)
{
    Harness harness;
    const RegionalSettings regional = RegionalSettings::named("en_US");
    SheetTable table(harness.path("full.xls"), "Sheet1", kColumns, regional);
    EXPECT_EQ(errorNumber([&] { table.set(u"Code", QString("C")); }), 5);
    for (int row = 1; row < 65536; ++row) {
        table.addNew();
        table.update();
    }
    EXPECT_EQ(errorNumber([&] { table.update(); }), 5); // the row is committed already
    table.addNew();
    EXPECT_EQ(errorNumber([&] { table.set(u"code", QString("C")); }), 5);
    EXPECT_EQ(errorNumber([&] { table.update(); }), 6); // an Excel 97-2003 sheet ends at row 65536
}

// Thousands of distinct texts, none of them Latin-1 only and half of them ending in blanks, fill
// an Excel 97-2003 workbook's shared strings far past one record, so that strings are carried on,
// and split, across continuation records; Office Open XML writes them inline, blanks kept.
TEST(Workbook, ManyLongUnicodeTextsSurviveTheContinuationRecordsAndInlineStrings)
{
    Harness harness;
    for (const WorkbookFormat format : {WorkbookFormat::Excel97, WorkbookFormat::OfficeOpenXml}) {
        const QString path = harness.path(format == WorkbookFormat::Excel97 ? "many.xls" : "many.xlsx");
        const auto sheet = beginSheetWriter(format, "Sheet1");
        std::vector<ReadRow> expected;
        for (int r = 0; r < 3000; ++r) {
            const QString text = QStringLiteral(" %1 Ελληνικά 日本語 Zoë").arg(r).leftJustified(50 + r % 7, r % 2 ? u' ' : u'x');
            const SheetCell row[] = {text, QString("CD"), std::monostate(), Money::fromUnits(r * 125 - 9999)};
            sheet->addRow(row);
            expected.push_back({text, QString("CD"), {}, (r * 125 - 9999) / 10000.0});
        }
        BinaryFileWriter file(path);
        sheet->finish(file);
        file.close();
        expectWorkbook(path, expected);
    }
}

// A failure inside the module reaches the caller as the error it is: Office Open XML refuses a
// sheet name longer than 31 characters.
TEST(Workbook, TheModulesFailuresKeepTheirNumbers)
{
    EXPECT_EQ(errorNumber([] { beginSheetWriter(WorkbookFormat::OfficeOpenXml, QString(32, u'S')); }), 5);
}

} // namespace
