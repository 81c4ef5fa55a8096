// The AIMsi workbook (package code "16") and the workbook layer under it, a sheet filled as a typed
// table, read back by spreadsheet libraries that are not ours.
#include "clirun.h"
#include "testsupport.h"
#include "workbookreaders.h"

#include "writers/workbook/sheettable.h"
#include "writers/workbook/workbook.h"
#include "writers/workbook/workbooksmodule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace kn;
using namespace kn::testing;
using namespace Qt::StringLiterals;

namespace {

const ReadRow kTitles = {u"Ledger Num"_s, u"Sub Num"_s, u"Ledger-Sub"_s, u"Location"_s, u"Tax Auth"_s, u"Source"_s,
                         u"Dept Code"_s, u"Reference"_s, u"Description"_s, u"Debit"_s, u"Credit"_s};

// A payment's row: the fixed columns around the ledger account, payee and amount; the reference is
// the session number, 042.
ReadRow paymentRow(const QString& ledger, const QString& payee, double amount)
{
    const ReadCell empty, value = amount;
    return {empty, empty, ledger.isEmpty() ? empty : ledger, u"H"_s, 1.0, u"CD"_s, empty, 42.0, payee,
            amount < 0 ? empty : value, amount < 0 ? value : empty};
}

const QStringList kStatusesToTheEnd = conversionEvents({u"Processing AIMsi format..."_s});

class AimsiWorkbook : public ::testing::TestWithParam<const char*> {
protected:
    QString output() const { return harness.path(u"aimsi"_s + GetParam()); }

    Harness harness;
};

TEST_P(AimsiWorkbook, HoldsTitlesThenOneTypedRowPerPayment)
{
    struct Row { const char* payee; const char* ledger; const char* amount; const char* ledgerSub; double value; };
    const Row payments[] = {
        {"City Hydro", "5100-10", "100.00", "5100-10", 100},
        {"Staples, Inc.", "6100|200", "-40.00", "6100|200", -40},
        {"Rogers Wireless", "5210|10|CEL", "0.00", "5210|10|CEL", 0},
        {"Café Dépôt Montréal", "6400", "18.75", "6400", 18.75},
        {"Acme Office Supplies Limited P", "5400-00, Office rent", "1,234.50", "5400-00", 1234.5},
        {"Blank Ledger Ltd", ", no account", "-0.05", "", -0.05},
    };
    QStringList lines;
    std::vector<ReadRow> rows = {kTitles};
    for (const Row& r : payments) {
        lines << paymentLine({.payee = QString::fromUtf8(r.payee), .ledger = r.ledger, .amount = r.amount});
        rows.push_back(paymentRow(r.ledgerSub, QString::fromUtf8(r.payee), r.value));
    }
    ASSERT_TRUE(harness.convert("16", harness.writePayments(lines), output()));
    EXPECT_EQ(harness.events, kStatusesToTheEnd);
    expectWorkbook(output(), rows);
}

// A non-numeric session number fails at the first row, a missing folder before the workbook is
// begun, a disk that fills while it is written with Disk full. A failure part-way leaves the
// earlier file as it was, not a workbook of the rows before it, and nothing beside it.
TEST_P(AimsiWorkbook, FailsWithTheStatusesUpToTheFailure)
{
    const std::tuple<QString, const char*, rlim_t, int, qsizetype> failures[] = {
        {output(), "A12", RLIM_INFINITY, 13, 6},
        {harness.path("none/aimsi.xls"), "042", RLIM_INFINITY, 76, 5},
        {output(), "042", 2048, 61, 6}};
    writeBytes(output(), "earlier workbook");
    for (const auto& [path, session, fileSizeLimit, error, statuses] : failures) {
        const QString payments = harness.writePayments({paymentLine({})}, headerLine(session));
        {
            const FileSizeLimit diskFull(fileSizeLimit);
            EXPECT_FALSE(harness.convert("16", payments, path));
        }
        ASSERT_TRUE(harness.failure);
        EXPECT_EQ(harness.failure->number(), error);
        EXPECT_EQ(harness.failure->source(), "KNExport.ProcessAIMsi");
        EXPECT_EQ(harness.events, kStatusesToTheEnd.mid(0, statuses));
    }
    EXPECT_EQ(readBytes(output()), "earlier workbook");
    EXPECT_EQ(QDir(harness.path({})).entryList(QDir::Files).filter(u"aimsi"_s), QStringList{QFileInfo(output()).fileName()});
}

// A host's own records can hold what no payment file can: texts up to the columns' 50 characters.
// A longer text is refused, not cut: the audit tells of no change, only of the row written before,
// and no workbook is left of it.
TEST_P(AimsiWorkbook, TakesFiftyCharacterTextsFromAHostsRecordsButNoMore)
{
    QList<TransRecord> records(3, sampleRecord(QString(50, u'D')));
    records[0].setGLAccount(QString(50, u'L'));
    records[1].setPaidTo(QString(51, u'D'));
    const WriterRun run = runWriter("16", records, {.fileName = u"records"_s + GetParam()});
    ASSERT_TRUE(run.failure);
    EXPECT_EQ(run.failure->number(), 13);
    EXPECT_TRUE(run.audit.changed.isEmpty());
    EXPECT_EQ(run.audit.writtenAt, std::vector<int>{2});
    EXPECT_TRUE(run.bytes.isEmpty()); // no workbook of the rows before the failure
}

// ".xlsx" in any case gives Office Open XML, any other name Excel 97-2003.
INSTANTIATE_TEST_SUITE_P(Formats, AimsiWorkbook, ::testing::Values(".xls", ".XLSX", ".xlsx.txt"),
                         [](const auto& info) { return QString(info.param).remove(u'.').toStdString(); });

// A knexport without the workbooks module beside it or in an installed folder fails the writer
// cleanly: the error with its source, the module and the loader's words for every folder it
// looked in, and no workbook.
TEST(AimsiWorkbookModule, MissingFailsTheWriterWithFileNotFound)
{
    Harness harness;
    ASSERT_TRUE(QDir().mkpath(harness.path(u"bin"_s)));
    const QString alone = harness.path(u"bin/knexport"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(KNEXPORT_PATH), alone));
    const CliRun run = knexport(convert("16", kExample, harness.path(u"aimsi.xlsx"_s),
                                        {"--locale=en_US", "--quiet", "--settings", harness.path(u"settings.ini"_s)}),
                                QProcessEnvironment::systemEnvironment(), RLIM_INFINITY, alone);
    EXPECT_EQ(run.exitCode, 1);
    const QStringList err = outputLinesOf(run.err);
    ASSERT_EQ(err.size(), 2) << err.join(u'\n').toStdString();
    EXPECT_TRUE(err[0].startsWith(u"knexport: the workbooks module darodev-workbooks-xlsx.so could not be loaded: "_s)) << err[0].toStdString();
    EXPECT_TRUE(err[0].contains(harness.path(u"bin/darodev-workbooks-xlsx.so"_s))) << err[0].toStdString();
    EXPECT_EQ(err[0].count(u"cannot open shared object file"_s), 3) << "the loader's words for each folder looked in";
    EXPECT_EQ(err[1], u"knexport: error 53: File not found (KNExport.ProcessAIMsi)"_s);
    EXPECT_FALSE(QFile::exists(harness.path(u"aimsi.xlsx"_s)));
}

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
            table.close();
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
