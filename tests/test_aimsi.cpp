// The AIMsi workbook (package code "16"), read back by spreadsheet libraries that are not ours.
#include "testsupport.h"
#include "workbookreaders.h"

#include "core/knerror.h"
#include "writers/packagetable.h"

#include <gtest/gtest.h>

using namespace kn;
using namespace kn::testing;

namespace {

using Row = std::vector<ReadCell>;

const Row kTitles = {
    textCell("Ledger Num"), textCell("Sub Num"), textCell("Ledger-Sub"), textCell("Location"),
    textCell("Tax Auth"),   textCell("Source"),  textCell("Dept Code"),  textCell("Reference"),
    textCell("Description"), textCell("Debit"),  textCell("Credit"),
};

// A payment's row: the fixed columns around the ledger account, reference, payee and amount.
Row paymentRow(const QString& ledger, double reference, const QString& payee, double amount)
{
    const bool credit = amount < 0;
    return {emptyCell(), emptyCell(), ledger.isEmpty() ? emptyCell() : textCell(ledger), textCell("H"),
            numberCell(1), textCell("CD"), emptyCell(), numberCell(reference), textCell(payee),
            credit ? emptyCell() : numberCell(amount), credit ? numberCell(amount) : emptyCell()};
}

QString payment(const QString& payee, const QString& ledger, const QString& amount)
{
    Payment p;
    p.payee = payee;
    p.ledger = ledger;
    p.amount = amount;
    return paymentLine(p);
}

void expectWorkbook(const QString& path, const std::vector<Row>& rows)
{
    for (const WorkbookReader& reader : readersFor(path)) {
        SCOPED_TRACE(reader.name);
        const ReadWorkbook book = reader.read(path);
        EXPECT_EQ(book.problems, QString());
        EXPECT_EQ(book.sheetNames, QStringList{"Sheet1"});
        ASSERT_EQ(book.rows.size(), rows.size());
        for (std::size_t r = 0; r < rows.size(); ++r)
            EXPECT_EQ(book.rows[r], rows[r]) << "row " << r;
    }
}

const QStringList kStatusesToTheEnd = {
    "Reading the Kaprin File...", "Importing Kaprin File...", "Kaprin File Import Complete...",
    "Processing AIMsi format...", "Opening the Export File...", "Processing transactions...",
    "Closing the file...",        "<ProcessComplete>",
};

class AimsiWorkbook : public ::testing::TestWithParam<const char*> {
protected:
    QString output(const QString& base = QStringLiteral("aimsi")) const
    {
        return harness.path(base + QString::fromLatin1(GetParam()));
    }

    Harness harness;
};

TEST_P(AimsiWorkbook, HoldsTitlesThenOneTypedRowPerPayment)
{
    const QString input = harness.writePayments({
        payment("City Hydro", "5100-10", "100.00"),
        payment("Staples, Inc.", "6100|200", "-40.00"),
        payment("Rogers Wireless", "5210|10|CEL", "0.00"),
        payment(QString::fromUtf8("Café Dépôt Montréal"), "6400", "18.75"),
        payment("Acme Office Supplies Limited P", "5400-00, Office rent", "1,234.50"),
        payment("Blank Ledger Ltd", ", no account", "-0.05"),
    });
    ASSERT_TRUE(harness.convert("16", input, output()));
    EXPECT_EQ(harness.events, kStatusesToTheEnd);
    expectWorkbook(output(), {
        kTitles,
        paymentRow("5100-10", 42, "City Hydro", 100),
        paymentRow("6100|200", 42, "Staples, Inc.", -40),
        paymentRow("5210|10|CEL", 42, "Rogers Wireless", 0),
        paymentRow("6400", 42, QString::fromUtf8("Café Dépôt Montréal"), 18.75),
        paymentRow("5400-00", 42, "Acme Office Supplies Limited P", 1234.5),
        paymentRow("", 42, "Blank Ledger Ltd", -0.05),
    });
}

TEST_P(AimsiWorkbook, ReferenceIsTheSessionNumbersValue)
{
    for (const auto& [session, reference] : {std::pair{" 12", 12.0}, {"042", 42.0}, {"7  ", 7.0}}) {
        SCOPED_TRACE(session);
        const QString input = harness.writePayments({paymentLine({})}, headerLine(session));
        ASSERT_TRUE(harness.convert("16", input, output()));
        expectWorkbook(output(), {kTitles, paymentRow("5100", reference, "City Hydro", 125)});
    }
}

TEST_P(AimsiWorkbook, NonNumericSessionFailsWithTypeMismatchLeavingTheTitles)
{
    const QString input = harness.writePayments({paymentLine({}), paymentLine({})}, headerLine("A12"));
    EXPECT_FALSE(harness.convert("16", input, output()));
    ASSERT_TRUE(harness.failure);
    EXPECT_EQ(harness.failure->number(), 13);
    EXPECT_EQ(harness.failure->description(), "Type mismatch");
    EXPECT_EQ(harness.failure->source(), "KNExport.ProcessAIMsi");
    EXPECT_EQ(harness.events, kStatusesToTheEnd.mid(0, 6));
    expectWorkbook(output(), {kTitles});
}

TEST_P(AimsiWorkbook, ReplacesAnExistingFile)
{
    writeBytes(output(), "not a workbook at all");
    const QString three = harness.writePayments({paymentLine({}), paymentLine({}), paymentLine({})});
    ASSERT_TRUE(harness.convert("16", three, output()));
    const QString one = harness.writePayments({payment("Only One", "5100", "5")});
    ASSERT_TRUE(harness.convert("16", one, output()));
    expectWorkbook(output(), {kTitles, paymentRow("5100", 42, "Only One", 5)});
}

TEST_P(AimsiWorkbook, MissingFolderFailsBeforeAnyRow)
{
    const QString input = harness.writePayments({paymentLine({})});
    EXPECT_FALSE(harness.convert("16", input, harness.path("no such folder/aimsi") + GetParam()));
    ASSERT_TRUE(harness.failure);
    EXPECT_EQ(harness.failure->number(), 76);
    EXPECT_EQ(harness.failure->source(), "KNExport.ProcessAIMsi");
    EXPECT_EQ(harness.events, kStatusesToTheEnd.mid(0, 5));
}

INSTANTIATE_TEST_SUITE_P(Formats, AimsiWorkbook, ::testing::Values(".xls", ".xlsx", ".XLSX", ".txt"),
                         [](const auto& info) { return std::string(info.param + 1); });

// Records a host built itself can hold what no payment file can: longer texts, any character.
class RefusingPrompter final : public Prompter {
public:
    DateFormatAnswer PromptDateFormat(const DateFormatRequest&) override { return {}; }
    FiscalPeriodAnswer PromptFiscalPeriod(const QString&) override { return {}; }
    void PromptInstitutionNumber(const QString&) override {}
};

TEST(AimsiWorkbookRecords, ATextTooLongForItsColumnFailsKeepingTheRowsBefore)
{
    Harness harness;
    TransRecords records;
    const auto add = [&](const QString& ledger, const QString& payee, std::int64_t cents) {
        records.Add(CalDate::fromYmd(2014, 8, 25), "100234", payee, ledger, {}, Money::fromUnits(cents * 100), {}, {}, ledger);
    };
    add("5100", QString::fromUtf8("Ελληνικά Τρόφιμα ΑΕ"), 1000);
    add(QString(50, u'L'), QString(50, u'D'), -250);
    add("5100", QString(51, u'D'), 300);
    add("5100", "Never written", 400);

    const PaymentHeader header{"042", "KPN", "1060"};
    const QString currency = "CAD", title, application = "Kaprin Desk 6";
    const auto settings = makeIniSettingsStore(harness.path("settings.ini"));
    RefusingPrompter prompter;
    const FixedClock clock(QDate(2014, 9, 2));
    QStringList statuses;
    for (const char* extension : {".xls", ".xlsx"}) {
        SCOPED_TRACE(extension);
        const QString path = harness.path(QStringLiteral("records") + extension);
        const WriterContext context{records, header, currency, title, path, application,
                                    harness.converter().regionalSettings(), harness.converter().codePage(),
                                    *settings, prompter, clock, [&](const QString& text) { statuses << text; }};
        const auto writer = findPackageRow("16")->make({});
        try {
            runLedgerWriter(*writer, context);
            ADD_FAILURE() << "a 51-character description was accepted";
        } catch (const KNError& error) {
            EXPECT_EQ(error.number(), 13);
            EXPECT_EQ(error.source(), "KNExport.ProcessAIMsi");
        }
        expectWorkbook(path, {kTitles, paymentRow("5100", 42, QString::fromUtf8("Ελληνικά Τρόφιμα ΑΕ"), 10),
                              paymentRow(QString(50, u'L'), 42, QString(50, u'D'), -2.5)});
    }
}

} // namespace
