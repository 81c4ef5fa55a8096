// The import of payment files and the conversion driver: fields, events and every failure path.
#include "testsupport.h"

#include "core/formatting.h"
#include "core/ledgerwriter.h"
#include "writers/packagetable.h"

#include <gtest/gtest.h>

using namespace kn;
using namespace kn::testing;

namespace {

const QStringList kImportEvents = {"Reading the Kaprin File...", "Importing Kaprin File...", "Kaprin File Import Complete..."};

} // namespace

TEST(Import, SplitsTheLedgerFieldAtItsFirstComma)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"5100-00, Office rent", "5100-00", "Office rent"},
        {"5100", "5100", ""},
        {",x", "", "x"},
        {"a,b,c", "a", "b,c"},
        {"5100,", "5100", ""},
        {"  5100 ,  details  ", "5100", "details"},
    };
    Harness h;
    QStringList lines;
    for (auto [ledger, account, details] : cases)
        lines << paymentWith(QString::fromLatin1(ledger));
    ASSERT_TRUE(h.convert(QStringLiteral("99"), h.writePayments(lines), h.path(QStringLiteral("out"))));
    int position = 1;
    for (auto [ledger, account, details] : cases) {
        const auto& record = h.converter().Records().Item(position++);
        EXPECT_EQ(record->GLAccount(), QString::fromLatin1(account)) << ledger;
        EXPECT_EQ(record->GLDetails(), QString::fromLatin1(details)) << ledger;
        EXPECT_EQ(record->GLAccount_Full(), trimBlanks(QString::fromLatin1(ledger))) << ledger;
    }
}

TEST(Import, ReadsEveryFieldAndKeepsTheHeaderValues)
{
    Harness h;
    Payment p;
    p.date = QStringLiteral("2014/08/25");
    p.account = QStringLiteral(" 1002 ");
    p.payee = QStringLiteral("  City Hydro\t");
    p.amount = QStringLiteral("1,234.50");
    p.invoice = QStringLiteral(" INV-7");
    p.purpose = QStringLiteral(" August ");
    const QString input = h.writePayments({paymentLine(p), paymentWith(QStringLiteral("1"), QStringLiteral("-25.00"))},
                                          headerLine(QStringLiteral(" 12"), QStringLiteral("AB "), QStringLiteral("  1060  ")));
    ASSERT_TRUE(h.convert(QStringLiteral("99"), input, h.path(QStringLiteral("out"))));
    EXPECT_EQ(h.events, kImportEvents + QStringList{"<ProcessComplete>"});
    EXPECT_FALSE(QFile::exists(h.path(QStringLiteral("out"))));

    const TransRecords& records = h.converter().Records();
    ASSERT_EQ(records.Count(), 2);
    const auto& r = records.Item(1);
    EXPECT_EQ(r->TransDate, CalDate::fromYmd(2014, 8, 25));
    EXPECT_EQ(r->KaprinAccount(), QStringLiteral("1002"));
    EXPECT_EQ(r->PaidTo(), QStringLiteral("City Hydro\t")); // only blanks are trimmed
    EXPECT_EQ(r->Amount, Money::fromUnits(12345000));
    EXPECT_EQ(r->InvoiceNo(), QStringLiteral(" INV-7").leftJustified(27)); // untrimmed, all 27 columns
    EXPECT_EQ(r->PaymentFor(), QStringLiteral("August"));
    EXPECT_EQ(records.Item(2)->Amount, Money::fromUnits(-250000));

    EXPECT_EQ(h.converter().Header().sessionNumber, QStringLiteral(" 12"));
    EXPECT_EQ(h.converter().Header().entrySource, QStringLiteral("AB "));
    EXPECT_EQ(h.converter().Header().balancingAccount, QStringLiteral("1060"));
}

TEST(Import, ShortLinesYieldWhatIsThere)
{
    Harness h;
    // A line that ends inside the invoice field: the invoice keeps what the line holds, blanks included.
    Payment p;
    p.ledger = QStringLiteral("5100");
    p.amount = QStringLiteral("10.00");
    p.invoice = QStringLiteral("AB  ");
    const QString full = paymentLine(p);
    const QString input = h.writePayments({full.left(102), full.left(97)}, QStringLiteral("H 7"));
    ASSERT_TRUE(h.convert(QStringLiteral("99"), input, h.path(QStringLiteral("out"))));
    EXPECT_EQ(h.converter().Records().Item(1)->InvoiceNo(), QStringLiteral("AB  "));
    EXPECT_EQ(h.converter().Records().Item(2)->InvoiceNo(), QString());
    EXPECT_EQ(h.converter().Records().Item(2)->PaymentFor(), QString());
    EXPECT_EQ(h.converter().Header().sessionNumber, QStringLiteral(" 7"));
    EXPECT_EQ(h.converter().Header().entrySource, QString());
    EXPECT_EQ(h.converter().Header().balancingAccount, QString());
}

TEST(Import, AcceptsEveryLineEnding)
{
    for (const QByteArray& ending : {QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r")}) {
        for (const bool lastTerminated : {true, false}) {
            Harness h;
            QByteArray bytes = headerLine().toLatin1() + ending + paymentWith(QStringLiteral("1")).toLatin1() + ending +
                               paymentWith(QStringLiteral("2")).toLatin1();
            if (lastTerminated)
                bytes += ending;
            const QString input = h.path(QStringLiteral("in.txt"));
            writeBytes(input, bytes);
            ASSERT_TRUE(h.convert(QStringLiteral("99"), input, h.path(QStringLiteral("out"))));
            EXPECT_EQ(h.converter().Records().Count(), 2) << ending.toHex().toStdString() << lastTerminated;
        }
    }
}

struct FailureCase {
    const char* name;
    QByteArray content; // empty and missing are told apart by `missing`
    bool missing;
    int number;
    int recordsKept;
};

TEST(Import, FailuresCarryTheirNumberAndTheImportAsSource)
{
    const QByteArray header = headerLine().toLatin1() + "\r\n";
    const QByteArray good = paymentWith(QStringLiteral("1")).toLatin1() + "\r\n";
    const FailureCase cases[] = {
        {"missing file", {}, true, 53, 0},
        {"empty file", {}, false, 62, 0},
        {"bad date", header + good + "D2014/02/30" + paymentWith(QStringLiteral("1")).mid(11).toLatin1() + "\r\n", false, 13, 1},
        {"bad amount", header + good + paymentWith(QStringLiteral("1"), QStringLiteral("12x")).toLatin1() + "\r\n", false, 13, 1},
        {"empty amount", header + paymentWith(QStringLiteral("1"), QString()).toLatin1() + "\r\n", false, 13, 0},
        {"line shorter than the amount", header + paymentWith(QStringLiteral("1")).left(81).toLatin1() + "\r\n", false, 13, 0},
        {"blank line at the end", header + good + "\r\n\r\n", false, 13, 1},
        {"amount out of range", header + paymentWith(QStringLiteral("1"), QStringLiteral("9999999999999999")).toLatin1(), false, 6, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        const QString input = h.path(QStringLiteral("in.txt"));
        if (!c.missing)
            writeBytes(input, c.content);
        const QString output = h.path(QStringLiteral("out.txt"));
        writeBytes(output, "keep");
        EXPECT_FALSE(h.convert(QStringLiteral("05"), input, output));
        ASSERT_TRUE(h.failure.has_value());
        EXPECT_EQ(h.failure->number(), c.number);
        EXPECT_EQ(h.failure->source(), QStringLiteral("KNExport.ImportKNFile"));
        EXPECT_FALSE(h.events.contains(QStringLiteral("<ProcessComplete>")));
        EXPECT_EQ(h.converter().Records().Count(), c.recordsKept);
        EXPECT_EQ(readBytes(output), QByteArray("keep"));
    }
}

TEST(Driver, NoRecordsRaisesErrorAndTouchesNoFile)
{
    Harness h;
    const QString output = h.path(QStringLiteral("out.txt"));
    writeBytes(output, "keep");
    EXPECT_TRUE(h.convert(QStringLiteral("05"), h.writePayments({}), output));
    EXPECT_EQ(h.events, kImportEvents + QStringList{"<Error 999 There are no import records to process KNExport.ConvertKNtoGLSpecific>"});
    EXPECT_EQ(readBytes(output), QByteArray("keep"));
}

TEST(Driver, CurrencyCodeIsTrimmedAndCut)
{
    const std::pair<const char*, const char*> cases[] = {{"  usd  ", "usd"}, {"EURO", "EUR"}, {"", "CAD"}, {"   ", "CAD"}, {"X", "X"}};
    Harness h;
    const QString input = h.writePayments({paymentWith(QStringLiteral("1"))});
    for (auto [given, kept] : cases) {
        h.convert(QStringLiteral("99"), input, h.path(QStringLiteral("out")), {}, QString::fromLatin1(given));
        EXPECT_EQ(h.converter().CurrencyCode(), QString::fromLatin1(kept)) << given;
    }
}

TEST(Driver, CodesMatchExactlyAfterUpperCasing)
{
    Harness h;
    const QString input = h.writePayments({paymentWith(QStringLiteral("1"))});
    for (const char* code : {"1", " 05", "05 ", "5", "99", ""}) {
        const QString output = h.path(QStringLiteral("none.txt"));
        EXPECT_TRUE(h.convert(QString::fromLatin1(code), input, output)) << code;
        EXPECT_FALSE(QFile::exists(output)) << code;
        EXPECT_EQ(h.events.last(), QStringLiteral("<ProcessComplete>"));
    }
}

TEST(Driver, SecondConversionSeesOnlyItsOwnRecords)
{
    Harness h;
    ASSERT_TRUE(h.convert(QStringLiteral("99"), h.writePayments({paymentWith(QStringLiteral("1")), paymentWith(QStringLiteral("2"))}),
                          h.path(QStringLiteral("out"))));
    ASSERT_TRUE(h.convert(QStringLiteral("99"), h.writePayments({paymentWith(QStringLiteral("3"))}), h.path(QStringLiteral("out"))));
    ASSERT_EQ(h.converter().Records().Count(), 1);
    EXPECT_EQ(h.converter().Records().Item(1)->GLAccount(), QStringLiteral("3"));
}

TEST(Driver, FileexistsNeverFails)
{
    Harness h;
    const QString empty = h.path(QStringLiteral("empty"));
    writeBytes(empty, {});
    EXPECT_EQ(h.converter().Fileexists(empty), -1);
    EXPECT_EQ(h.converter().Fileexists(h.path(QStringLiteral("nothing"))), 0);
    EXPECT_EQ(h.converter().Fileexists(h.path(QString())), 0);
    EXPECT_EQ(h.converter().Fileexists(QString()), 0);
}

TEST(Catalogue, LoadsEveryElementButTheLast)
{
    Harness h;
    KNExport& k = h.converter();
    const QString momentum = QStringLiteral("05~txt~MOM~2014/08/25~Momentum Accounting~Momentum");
    EXPECT_FALSE(k.LoadAccountingPackageList({momentum}));
    EXPECT_EQ(k.AcctPackages().Count(), 0);

    EXPECT_TRUE(k.LoadAccountingPackageList({momentum,
                                             QStringLiteral("09~qif~Q~soon~ Quicken ~Quicken"),
                                             QStringLiteral(" 09~qif~Q~~Quicken~Quicken~extra"),
                                             QStringLiteral("10~qif~  ~x~Quicken~Quicken"),
                                             QStringLiteral("10~qif~Q~x~Quicken"),
                                             QStringLiteral("10~qif~Q~x~Quicken~Q")}));
    ASSERT_EQ(k.AcctPackages().Count(), 3);
    const auto& first = k.AcctPackages().Item(1);
    EXPECT_EQ(first->PackageCode, QStringLiteral("05"));
    EXPECT_EQ(first->FileExtension, QStringLiteral("txt"));
    EXPECT_EQ(first->FileBaseName, QStringLiteral("MOM"));
    EXPECT_EQ(first->PackageFullTitle, QStringLiteral("Momentum Accounting"));
    EXPECT_EQ(first->PackageTitle.toString(), QStringLiteral("Momentum"));
    EXPECT_EQ(first->LastUpdated, CalDate::fromYmd(2014, 8, 25));
    EXPECT_FALSE(first->AllowKaprinHome);
    const auto& quicken = k.AcctPackages().Item(2);
    EXPECT_EQ(quicken->PackageFullTitle, QStringLiteral(" Quicken "));
    EXPECT_EQ(quicken->LastUpdated, CalDate());
    EXPECT_TRUE(quicken->AllowKaprinHome);
    EXPECT_FALSE(k.AcctPackages().Item(3)->AllowKaprinHome); // " 09" is not "09"

    k.LoadAccountingPackageList({momentum, QString()});
    EXPECT_EQ(k.AcctPackages().Count(), 4);
    EXPECT_EQ(&k.AcctPackages(), &h.converter().AcctPackages());
}

TEST(PackageTable, OneCompleteRowPerCodeAndTheHostCatalogueAgreesWithIt)
{
    const PackageTable table = packageTable();
    ASSERT_EQ(table.size(), 17u);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const PackageRow& row = table[i];
        SCOPED_TRACE(row.code);
        EXPECT_EQ(row.codeText(), QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        for (const char* text : {row.fullTitle, row.shortTitle, row.fileExtension, row.fileBaseName, row.listed,
                                 row.operation, row.firstStatus, row.closingStatus})
            EXPECT_TRUE(text && *text);
        ASSERT_NE(row.makeWriter, nullptr);
        EXPECT_NE(row.makeWriter(row), nullptr);
        EXPECT_EQ(findPackageRow(table, row.codeText()), &row);
    }

    Harness h;
    KNExport& k = h.converter();
    ASSERT_TRUE(k.LoadAccountingPackageList(packageDescriptions(table)));
    ASSERT_EQ(k.AcctPackages().Count(), static_cast<int>(table.size()));
    for (std::size_t i = 0; i < table.size(); ++i) {
        const PackageRow& row = table[i];
        const PackagePtr& package = k.AcctPackages().Item(static_cast<int>(i) + 1);
        SCOPED_TRACE(row.code);
        EXPECT_EQ(package->PackageCode, row.codeText());
        EXPECT_EQ(package->PackageFullTitle, QString::fromUtf8(row.fullTitle));
        EXPECT_EQ(package->PackageTitle.toString(), QString::fromUtf8(row.shortTitle));
        EXPECT_EQ(package->FileExtension, QString::fromUtf8(row.fileExtension));
        EXPECT_EQ(package->FileBaseName, QString::fromUtf8(row.fileBaseName));
        EXPECT_NE(package->LastUpdated, CalDate());
        EXPECT_EQ(package->AllowKaprinHome, row.allowKaprinHome);
    }
}
