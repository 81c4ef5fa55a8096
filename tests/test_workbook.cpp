// The workbook layer: the format chosen by the file name, a sheet filled as a typed table, and
// the files read back by libraries that are not ours.
#include "testsupport.h"
#include "workbookreaders.h"

#include "core/knerror.h"
#include "core/sheettable.h"
#include "core/workbook.h"

#include <gtest/gtest.h>

using namespace kn;
using namespace kn::testing;

namespace {

int errorNumber(const std::function<void()>& call)
{
    try {
        call();
    } catch (const KNError& error) {
        return error.number();
    }
    return 0;
}

TEST(WorkbookFormat, OnlyAnXlsxNameGivesOfficeOpenXml)
{
    const std::pair<const char*, WorkbookFormat> cases[] = {
        {"gl.xlsx", WorkbookFormat::OfficeOpenXml}, {"GL.XLSX", WorkbookFormat::OfficeOpenXml},
        {"gl.XlSx", WorkbookFormat::OfficeOpenXml}, {"gl.xls", WorkbookFormat::Excel97},
        {"gl.txt", WorkbookFormat::Excel97},        {"gl", WorkbookFormat::Excel97},
        {"gl.xlsx.bak", WorkbookFormat::Excel97},   {"gl.xlsm", WorkbookFormat::Excel97},
    };
    for (const auto& [name, format] : cases)
        EXPECT_EQ(workbookFormatFor(QString::fromLatin1(name)), format) << name;

    const Worksheet sheet{"Sheet1", {{QString("x")}}};
    EXPECT_TRUE(workbookBytes(sheet, WorkbookFormat::Excel97).startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"));
    EXPECT_TRUE(workbookBytes(sheet, WorkbookFormat::OfficeOpenXml).startsWith("PK\x03\x04"));
}

const TableColumn kColumns[] = {
    {"Code", ColumnType::Text, 2},
    {"Whole", ColumnType::Integer},
    {"Amount", ColumnType::Numeric},
};

struct Conversion {
    const char* locale;
    const char* column;
    std::variant<const char*, std::int64_t> value; // a text, or an amount in 1/10000 units
    ReadCell expected;                             // ignored when error is set
    int error = 0;
};

TEST(SheetTable, ConvertsEachValueToItsDeclaredColumnType)
{
    const Conversion cases[] = {
        {"en_US", "Code", "CD", textCell("CD"), 0},
        {"en_US", "Code", "C", textCell("C"), 0},
        {"en_US", "Code", "CDX", {}, 13},
        {"en_US", "Code", "", emptyCell(), 0},
        {"en_US", "Code", std::int64_t(-10000), textCell("-1"), 0},
        {"en_US", "Code", std::int64_t(-400000), {}, 13},
        {"en_US", "Code", std::int64_t(15000), {}, 13}, // "1.5" is three characters
        {"en_US", "Whole", "042", numberCell(42), 0},
        {"en_US", "Whole", " 12", numberCell(12), 0},
        {"en_US", "Whole", "-7 ", numberCell(-7), 0},
        {"en_US", "Whole", "2.5", numberCell(2), 0},
        {"en_US", "Whole", "3.5", numberCell(4), 0},
        {"en_US", "Whole", "-2.5", numberCell(-2), 0},
        {"en_US", "Whole", "2147483647", numberCell(2147483647), 0},
        {"en_US", "Whole", "-2147483648", numberCell(-2147483648.0), 0},
        {"en_US", "Whole", "2147483648", {}, 6},
        {"en_US", "Whole", "A12", {}, 13},
        {"en_US", "Whole", "1 2", {}, 13},
        {"en_US", "Whole", "", {}, 13},
        {"en_US", "Whole", "   ", {}, 13},
        {"en_US", "Whole", std::int64_t(15000), numberCell(2), 0},
        {"fr_CA", "Whole", "1,5", numberCell(2), 0},
        {"en_US", "Amount", "12.34", numberCell(12.34), 0},
        {"en_US", "Amount", "abc", {}, 13},
        {"en_US", "Amount", std::int64_t(-500), numberCell(-0.05), 0},
        {"de_DE", "Amount", "-0,75", numberCell(-0.75), 0},
    };
    Harness harness;
    int n = 0;
    for (const auto& c : cases) {
        const QString path = harness.path(QStringLiteral("conversion%1.xls").arg(++n));
        const auto regional = RegionalSettings::named(QString::fromLatin1(c.locale));
        const QString column = QString::fromLatin1(c.column);
        const qsizetype index = column == u"Code" ? 0 : column == u"Whole" ? 1 : 2;
        SCOPED_TRACE(std::to_string(n) + " " + c.locale + " " + c.column);
        {
            SheetTable table(path, "Sheet1", kColumns, regional);
            table.addNew();
            const int error = errorNumber([&] {
                if (const auto* text = std::get_if<const char*>(&c.value))
                    table.set(column, QString::fromUtf8(*text));
                else
                    table.set(column, Money::fromUnits(std::get<std::int64_t>(c.value)));
                table.update();
            });
            EXPECT_EQ(error, c.error);
            table.close();
        }
        const ReadWorkbook book = readWithFreeXL(path);
        ASSERT_EQ(book.rows.size(), c.error ? 1u : 2u);
        if (!c.error) {
            EXPECT_EQ(book.rows[1][std::size_t(index)], c.expected);
        }
    }
}

TEST(SheetTable, RefusesUnknownColumnsAndValuesOutsideARow)
{
    Harness harness;
    const RegionalSettings regional = RegionalSettings::named("en_US");
    SheetTable table(harness.path("misuse.xls"), "Sheet1", kColumns, regional);
    EXPECT_EQ(errorNumber([&] { table.set(u"Code", QString("C")); }), 5);
    EXPECT_EQ(errorNumber([&] { table.update(); }), 5);
    table.addNew();
    EXPECT_EQ(errorNumber([&] { table.set(u"code", QString("C")); }), 5);
    table.set(u"Code", QString("C"));
    table.update();
    EXPECT_EQ(errorNumber([&] { table.update(); }), 5);
}

TEST(SheetTable, AnExcel97SheetEndsAtRow65536)
{
    Harness harness;
    const RegionalSettings regional = RegionalSettings::named("en_US");
    const TableColumn whole[] = {{"Whole", ColumnType::Integer}};
    SheetTable table(harness.path("full.xls"), "Sheet1", whole, regional);
    for (int row = 1; row < 65536; ++row) {
        table.addNew();
        table.set(u"Whole", Money::fromWhole(row));
        table.update();
    }
    table.addNew();
    EXPECT_EQ(errorNumber([&] { table.update(); }), 6);
}

TEST(SheetTable, UnreachablePathFailsWhenTheTableIsMade)
{
    Harness harness;
    const RegionalSettings regional = RegionalSettings::named("en_US");
    EXPECT_EQ(errorNumber([&] { SheetTable(harness.path("missing/gl.xls"), "Sheet1", kColumns, regional); }), 76);
}

// Thousands of distinct texts, none of them Latin-1 only, fill the shared strings far past one
// record, so that strings are carried on, and split, across continuation records.
TEST(Workbook, ManyLongUnicodeTextsSurviveEveryReader)
{
    Harness harness;
    Worksheet sheet{"Sheet1", {}};
    std::vector<std::vector<ReadCell>> expected;
    for (int r = 0; r < 3000; ++r) {
        const QString text = QStringLiteral("%1 Ελληνικά 日本語 Zoë ").arg(r).leftJustified(50 + r % 7, u'x');
        sheet.rows.push_back({text, QString("CD"), Money::fromUnits(r * 125 - 9999)});
        expected.push_back({textCell(text), textCell("CD"), numberCell((r * 125 - 9999) / 10000.0)});
    }
    for (const char* name : {"many.xls", "many.xlsx"}) {
        SCOPED_TRACE(name);
        const QString path = harness.path(name);
        writeBytes(path, workbookBytes(sheet, workbookFormatFor(path)));
        for (const WorkbookReader& reader : readersFor(path)) {
            SCOPED_TRACE(reader.name);
            const ReadWorkbook book = reader.read(path);
            EXPECT_EQ(book.problems, QString());
            ASSERT_EQ(book.rows.size(), expected.size());
            for (std::size_t r = 0; r < expected.size(); ++r) {
                ASSERT_EQ(book.rows[r].size(), 3u);
                EXPECT_EQ(book.rows[r][0], expected[r][0]) << r;
                EXPECT_EQ(book.rows[r][1], expected[r][1]) << r;
                EXPECT_EQ(book.rows[r][2], expected[r][2]) << r;
            }
        }
    }
}

} // namespace
