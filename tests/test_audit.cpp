// The conversion audit: what each package's format leaves out or changes, counted against the
// lines and rows really in its file.
#include "testsupport.h"

#include "core/audit.h"
#include "prompts/scriptedprompter.h"
#include "writers/packagetable.h"

#include <freexl.h>
#include <gtest/gtest.h>

#include <QDir>

#include <functional>
#include <random>

using namespace kn;
using namespace kn::testing;

namespace {

// How many payments a package's file holds, counted from its lines.
using PaymentCount = std::function<int(const QStringList& lines)>;

PaymentCount linesAfter(int headerLines, int linesPerPayment = 1)
{
    return [=](const QStringList& lines) { return int(lines.size() - headerLines) / linesPerPayment; };
}

PaymentCount linesStartingWith(const QString& prefix)
{
    return [=](const QStringList& lines) {
        return int(std::count_if(lines.begin(), lines.end(), [&](const QString& line) { return line.startsWith(prefix); }));
    };
}

int workbookRows(const QString& path)
{
    const void* handle = nullptr;
    if (freexl_open(path.toLocal8Bit().constData(), &handle) != FREEXL_OK)
        return -1;
    unsigned int rows = 0;
    unsigned short columns = 0;
    const bool read = freexl_select_active_worksheet(handle, 0) == FREEXL_OK &&
                      freexl_worksheet_dimensions(handle, &rows, &columns) == FREEXL_OK;
    freexl_close(handle);
    return read ? int(rows) : -1;
}

struct PackageCase {
    const char* code;
    const char* fileName;
    PaymentCount paymentsInFile; // empty: a workbook, counted by its rows under the title row
};

const PackageCase kPackages[] = {
    {"01", "MYOB.txt", linesAfter(1)},
    {"02", "QB.iif", linesStartingWith(QStringLiteral("SPL\t"))},
    {"03", "SIMPLY.txt", linesAfter(0, 3)},
    {"04", "SYSPRO.txt", linesAfter(0)},
    {"05", "MOM.txt", linesAfter(0)},
    {"06", "PEACH.csv", linesAfter(0)},
    {"07", "MONEY.qif", linesStartingWith(QStringLiteral("^"))},
    {"08", "ACCPAC.csv", linesStartingWith(QStringLiteral("\"2\""))},
    {"09", "QUICKEN5.qif", linesStartingWith(QStringLiteral("^"))},
    {"10", "QUICKEN6.qif", linesStartingWith(QStringLiteral("^"))},
    {"11", "ACCPACDOS.txt", linesAfter(0)},
    {"12", "ADAGIO.txt", linesAfter(0)},
    {"13", "CUSTOM.txt", linesAfter(0)},
    {"14", "TRONIA.txt", linesAfter(1)},
    {"15", "JONAS.txt", linesAfter(0)},
    {"16", "AIMSI.xls", {}},
    {"17", "a/b/c/FAS.csv", linesAfter(0)},
};

struct Converted {
    ConversionAudit audit;
    int paymentsInFile = -1;
};

Converted convertWithAnswers(Harness& h, const PackageCase& package, const QString& input)
{
    h.converter().setPrompter(std::make_shared<ScriptedPrompter>(
        demoAnswers(QDate(2014, 9, 2)), PromptEnvironment{h.converter().regionalSettings(), h.converter().codePage(),
                                                          std::make_shared<FixedClock>(QDate(2014, 9, 2))}));
    const QString output = h.path(QString::fromLatin1(package.fileName));
    QDir().mkpath(QFileInfo(output).absolutePath());
    EXPECT_TRUE(h.convert(QString::fromLatin1(package.code), input, output)) << package.code;
    Converted converted{h.converter().LastAudit()};
    converted.paymentsInFile =
        package.paymentsInFile ? package.paymentsInFile(outputLines(readBytes(output))) : workbookRows(output) - 1;
    return converted;
}

Payment payment(const QString& payee, const QString& ledger, const QString& amount)
{
    Payment p;
    p.payee = payee;
    p.ledger = ledger;
    p.amount = amount;
    return p;
}

// One payment of each kind that some format leaves out or changes, after an ordinary one.
const QStringList kTellingPayments = {
    paymentLine(payment(QStringLiteral("City Hydro"), QStringLiteral("5100|10|AB"), QStringLiteral("125.00"))),
    paymentLine(payment(QStringLiteral("Nothing Owed Ltd"), QStringLiteral("5100|10|AB"), QStringLiteral("0.00"))),
    paymentLine(payment(QStringLiteral("BANK CHARGES"), QStringLiteral("5100|10|AB"), QStringLiteral("15.00"))),
    paymentLine(payment(QStringLiteral("Short Account Inc"), QStringLiteral("5100"), QStringLiteral("20.00"))),
    paymentLine(payment(QStringLiteral("Smith, Jones, and Partners Ltd"), QStringLiteral("5100|10|AB"),
                        QStringLiteral("-10.00"))),
    paymentLine(payment(QStringLiteral("Long Line Co"), QStringLiteral("5100|10|AB"), QStringLiteral("30.00"))) +
        QStringLiteral("  beyond the last column"),
};

struct ExpectedAudit {
    const char* code;
    int written;
    QList<AuditLeftOut> leftOut;
    QList<AuditChange> changedByWriter;
};

const AuditLeftOut kZero{3, QStringLiteral("Nothing Owed Ltd"), Money(), AuditReason::ZeroAmount};
const AuditLeftOut kBank{4, QStringLiteral("BANK CHARGES"), Money::fromWhole(15), AuditReason::BankPayee};
const AuditLeftOut kShort{5, QStringLiteral("Short Account Inc"), Money::fromWhole(20), AuditReason::ShortAccount};
const AuditChange kPastLastColumn{7, QStringLiteral("past column 171"), QStringLiteral("  beyond the last column"), {}};

} // namespace

TEST(Audit, SaysWhatEachPackageLeftOutAndChanged)
{
    const QList<AuditChange> momentumPayee = {
        {6, QStringLiteral("payee"), QStringLiteral("Smith, Jones, and Partners Ltd"), QStringLiteral("Smith Jones and Partners Ltd")}};
    const ExpectedAudit expectations[] = {
        {"01", 6, {}, {}},       {"02", 6, {}, {}},       {"03", 6, {}, {}},          {"04", 5, {kZero}, {}},
        {"05", 5, {kZero}, momentumPayee},                {"06", 6, {}, {}},          {"07", 5, {kBank}, {}},
        {"08", 6, {}, {}},       {"09", 5, {kBank}, {}},  {"10", 5, {kBank}, {}},     {"11", 5, {kZero}, {}},
        {"12", 5, {kZero}, {}},  {"13", 5, {kZero}, {}},  {"14", 6, {}, {}},          {"15", 5, {kShort}, {}},
        {"16", 6, {}, {}},       {"17", 5, {kZero}, {}},
    };
    ASSERT_EQ(std::size(expectations), std::size(kPackages));
    for (std::size_t i = 0; i < std::size(kPackages); ++i) {
        const ExpectedAudit& expected = expectations[i];
        SCOPED_TRACE(expected.code);
        Harness h;
        const Converted converted = convertWithAnswers(h, kPackages[i], h.writePayments(kTellingPayments));
        const ConversionAudit& audit = converted.audit;
        EXPECT_EQ(audit.paymentsRead, 6);
        EXPECT_EQ(audit.written, expected.written);
        EXPECT_EQ(converted.paymentsInFile, expected.written);
        EXPECT_EQ(audit.leftOut, expected.leftOut);
        EXPECT_EQ(audit.changed, QList<AuditChange>{kPastLastColumn} + expected.changedByWriter);
        EXPECT_EQ(audit.debitsRead, Money::fromWhole(190));
        EXPECT_EQ(audit.creditsRead, Money::fromWhole(10));
        EXPECT_FALSE(audit.failure.has_value());
    }
}

TEST(Audit, WrittenCountsMatchTheFilesOfRandomPaymentFiles)
{
    std::mt19937 random(20140825);
    const QStringList payees = {QStringLiteral("City Hydro"), QStringLiteral("BANK FEES"), QStringLiteral("Bank of Rome"),
                                QStringLiteral("Staples, Inc."), QStringLiteral("EXCH ADJ USD 1.31")};
    const QStringList ledgers = {QStringLiteral("5100|10|AB"), QStringLiteral("5100"), QStringLiteral("6100|200"),
                                 QStringLiteral("5100-20"), QStringLiteral("7900|1|2|3")};
    for (int file = 0; file < 3; ++file) {
        QStringList lines;
        const int count = 20 + int(random() % 40);
        for (int i = 0; i < count; ++i) {
            Payment p = payment(payees[random() % payees.size()], ledgers[random() % ledgers.size()],
                                QString::number(int(random() % 2001) - 1000) + QStringLiteral(".") +
                                    QString::number(random() % 100).rightJustified(2, u'0'));
            if (random() % 5 == 0)
                p.amount = QStringLiteral("0.00");
            p.date = QStringLiteral("2014/08/%1").arg(1 + random() % 28, 2, 10, QLatin1Char('0'));
            lines << paymentLine(p);
        }
        for (const PackageCase& package : kPackages) {
            SCOPED_TRACE(std::string(package.code) + " in file " + std::to_string(file));
            Harness h;
            const Converted converted = convertWithAnswers(h, package, h.writePayments(lines));
            EXPECT_EQ(converted.audit.written, converted.paymentsInFile);
            EXPECT_EQ(converted.audit.written + converted.audit.leftOut.size(), count);
            EXPECT_EQ(converted.audit.writtenAt.size(), std::size_t(converted.audit.written));
        }
    }
}

TEST(Audit, TextsTheFormatCutsOrTheCodePageCannotHoldAreChanges)
{
    TransRecord record = sampleRecord(QStringLiteral("Łukasz Supplies, Warsaw, Poland Ltd"));
    record.PaymentFileLine = 9;
    const WriterRun momentum = runWriter(QStringLiteral("05"), {record});
    ASSERT_EQ(momentum.audit.changed.size(), 2);
    EXPECT_EQ(momentum.audit.changed[0],
              (AuditChange{9, QStringLiteral("payee"), record.PaidTo(), QStringLiteral("Łukasz Supplies Warsaw Polan")}));
    EXPECT_EQ(momentum.audit.changed[1].field, QStringLiteral("outside the code page"));
    EXPECT_TRUE(momentum.audit.changed[1].to.startsWith(QStringLiteral("25082014,125.00,?ukasz")));
    EXPECT_EQ(momentum.audit.written, 1);

    // A workbook refuses a text too long for its column instead of cutting it: the rows before it
    // stand, under the title row.
    QList<TransRecord> records(3, sampleRecord(QStringLiteral("City Hydro")));
    records[1].setPaidTo(QString(51, u'x'));
    const WriterRun aimsi = runWriter(QStringLiteral("16"), records, WriterSetup{.fileName = QStringLiteral("AIMSI.xls")});
    ASSERT_TRUE(aimsi.failure.has_value());
    EXPECT_TRUE(aimsi.audit.changed.isEmpty());
    EXPECT_EQ(aimsi.audit.writtenAt, std::vector<int>{2});
}

TEST(Audit, FASCutsOnlyTheDescriptionsLongerThanItsColumn)
{
    Payment fits = payment(QStringLiteral("City Hydro"), QStringLiteral("5100|10|AB"), QStringLiteral("125.00"));
    fits.invoice = QStringLiteral("INV-1");
    fits.purpose = QStringLiteral("Electricity");
    Payment cut = payment(QStringLiteral("Northwind Traders Incorporated"), QStringLiteral("5100|10|AB"),
                          QStringLiteral("300.00"));
    cut.invoice = QStringLiteral("QM-2014-Q4-CLINIC-00017");
    cut.purpose = QStringLiteral("Quarterly maintenance contract");
    Harness h;
    const PackageCase& fas = kPackages[16];
    ASSERT_STREQ(fas.code, "17");
    const Converted converted = convertWithAnswers(h, fas, h.writePayments({paymentLine(fits), paymentLine(cut)}));
    const QString described = QStringLiteral("Northwind Traders Incorporated/QM-2014-Q4-CLINIC-00017/");
    const AuditChange cutDescription{3, QStringLiteral("description"), described + cut.purpose,
                                     described + QStringLiteral("Quarterly maintenance con")};
    EXPECT_EQ(converted.audit.changed, QList<AuditChange>{cutDescription});
    EXPECT_EQ(converted.audit.written, 2);
}

TEST(Audit, EntriesBalanceWhenTheirDebitsMeetTheirCredits)
{
    Harness h;
    Payment refund = payment(QStringLiteral("Refund"), QStringLiteral("5100|10|AB"), QStringLiteral("-125.00"));
    Payment later = payment(QStringLiteral("Later"), QStringLiteral("5100|10|AB"), QStringLiteral("40.00"));
    later.date = QStringLiteral("2014/08/26");
    const QString input = h.writePayments({paymentWith(QStringLiteral("5100|10|AB")), paymentLine(refund), paymentLine(later)});
    ASSERT_TRUE(h.convert(QStringLiteral("02"), input, h.path(QStringLiteral("QB.iif"))));
    const ConversionAudit& audit = h.converter().LastAudit();
    ASSERT_EQ(audit.entries.size(), 2);
    EXPECT_TRUE(audit.entries[0].balances());
    EXPECT_FALSE(audit.entries[1].balances());
    EXPECT_FALSE(audit.entriesBalance());
    EXPECT_EQ(auditSummary(audit), QStringLiteral("3 payments read, 3 written to QB.iif; 1 of 2 entries do not "
                                                  "balance (08/26/14: debits 40.00, credits 0.00)"));
}

TEST(Audit, EachSimplyPaymentIsAnEntryNamedAfterItsLine)
{
    Harness h;
    const QString input = h.writePayments({paymentWith(QStringLiteral("5100")), paymentWith(QStringLiteral("5200"))});
    ASSERT_TRUE(h.convert(QStringLiteral("03"), input, h.path(QStringLiteral("SIMPLY.txt"))));
    const ConversionAudit& audit = h.converter().LastAudit();
    ASSERT_EQ(audit.entries.size(), 2);
    EXPECT_EQ(audit.entries[0].title(), QStringLiteral("payment-file line 2"));
    EXPECT_EQ(audit.entries[1].title(), QStringLiteral("payment-file line 3"));
    EXPECT_TRUE(audit.entriesBalance());
    EXPECT_TRUE(auditJson(audit).contains("\"name\": \"payment-file line 3\""));
}

TEST(Audit, SummaryListsTenAndCountsTheRest)
{
    ConversionAudit audit;
    audit.paymentsRead = 14;
    audit.written = 2;
    audit.output = QStringLiteral("/tmp/out/MOMGL.txt");
    for (int line = 2; line < 14; ++line)
        audit.leftOut.append({line, QStringLiteral("X"), Money(), AuditReason::ZeroAmount});
    const QString summary = auditSummary(audit);
    EXPECT_TRUE(summary.startsWith(QStringLiteral("14 payments read, 2 written to MOMGL.txt, 12 left out (line 2: zero amount; ")));
    EXPECT_TRUE(summary.endsWith(QStringLiteral("line 11: zero amount), and 2 more"))) << summary.toStdString();
}

TEST(Audit, TotalsPastMoneysRangeStopAddingAndTheConversionGoesOn)
{
    Harness h;
    const QString huge = QStringLiteral("900000000000000");
    const QString input = h.writePayments({paymentWith(QStringLiteral("5100"), huge), paymentWith(QStringLiteral("5100"), huge)});
    ASSERT_TRUE(h.convert(QStringLiteral("05"), input, h.path(QStringLiteral("MOM.txt"))));
    const ConversionAudit& audit = h.converter().LastAudit();
    EXPECT_EQ(audit.written, 2);
    EXPECT_TRUE(audit.totalsOverflowed);
    EXPECT_EQ(audit.debitsRead.decimalText(), QStringLiteral("900000000000000.00"));
}
