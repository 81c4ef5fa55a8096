// The conversion audit: what each package's format leaves out or changes, counted against the
// lines and rows really in its file.
#include "prompttestsupport.h"
#include "workbookreaders.h"

#include "core/audit.h"
#include "host/auditreport.h"
#include "core/codepage.h"
#include "writers/packagetable.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>
#include <functional>
#include <random>

using namespace kn;
using namespace kn::testing;
using namespace Qt::StringLiterals;

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

// What the payments of kTellingPayments below become in each package.
const AuditLeftOut kZero{3, u"Nothing Owed Ltd"_s, Money(), AuditReason::ZeroAmount};
const AuditLeftOut kBank{4, u"BANK CHARGES"_s, Money::fromWhole(15), AuditReason::BankPayee};
const AuditLeftOut kShort{5, u"Short Account Inc"_s, Money::fromWhole(20), AuditReason::ShortAccount};
const QList<AuditChange> kMomentumPayee = {
    {6, u"payee"_s, u"Smith, Jones, and Partners Ltd"_s, u"Smith Jones and Partners Ltd"_s}};
const QList<AuditChange> kPeachtreePurpose = {
    {8, u"purpose"_s, u"Quarterly maintenance contract"_s, u"Quarterly maintenanc"_s}};
// FAS blanks a payee's commas and cuts a description longer than its column.
const QString kDescribed = u"Northwind Traders Incorporated/QM-2014-Q4-CLINIC-00017/"_s;
const QList<AuditChange> kFasDescription = {
    {6, u"description"_s, u"Smith, Jones, and Partners Ltd"_s, u"Smith  Jones  and Partners Ltd"_s},
    {8, u"description"_s, kDescribed + u"Quarterly maintenance contract"_s, kDescribed + u"Quarterly maintenance con"_s}};

struct PackageCase {
    const char* code;
    const char* fileName;
    PaymentCount paymentsInFile; // empty: a workbook, counted by its rows under the title row
    int written;
    QList<AuditLeftOut> leftOut = {};
    QList<AuditChange> changedByWriter = {};
};

const PackageCase kPackages[] = {
    {"01", "MYOB.txt", linesAfter(1), 7},
    {"02", "QB.iif", linesStartingWith(u"SPL\t"_s), 7},
    {"03", "SIMPLY.txt", linesAfter(0, 3), 7},
    {"04", "SYSPRO.txt", linesAfter(0), 6, {kZero}},
    {"05", "MOM.txt", linesAfter(0), 6, {kZero}, kMomentumPayee},
    {"06", "PEACH.csv", linesAfter(0), 7, {}, kPeachtreePurpose},
    {"07", "MONEY.qif", linesStartingWith(u"^"_s), 6, {kBank}},
    {"08", "ACCPAC.csv", linesStartingWith(u"\"2\""_s), 7},
    {"09", "QUICKEN5.qif", linesStartingWith(u"^"_s), 6, {kBank}},
    {"10", "QUICKEN6.qif", linesStartingWith(u"^"_s), 6, {kBank}},
    {"11", "ACCPACDOS.txt", linesAfter(0), 6, {kZero}},
    {"12", "ADAGIO.txt", linesAfter(0), 6, {kZero}},
    {"13", "CUSTOM.txt", linesAfter(0), 6, {kZero}},
    {"14", "TRONIA.txt", linesAfter(1), 7},
    {"15", "JONAS.txt", linesAfter(0), 6, {kShort}},
    {"16", "AIMSI.xls", {}, 7},
    {"17", "a/b/c/FAS.csv", linesAfter(0), 6, {kZero}, kFasDescription},
};

struct Converted {
    ConversionAudit audit;
    int paymentsInFile = -1;
};

Converted convertWithAnswers(Harness& h, const PackageCase& package, const QString& input)
{
    scriptedPrompter(h, demoAnswers(QDate(2014, 9, 2)));
    const QString output = h.path(QString::fromLatin1(package.fileName));
    QDir().mkpath(QFileInfo(output).absolutePath());
    EXPECT_TRUE(h.convert(QString::fromLatin1(package.code), input, output)) << package.code;
    Converted converted{h.converter().LastAudit()};
    converted.paymentsInFile =
        package.paymentsInFile ? package.paymentsInFile(outputLines(readBytes(output))) : int(readWorkbook(output).size()) - 1;
    return converted;
}

// One payment of each kind that some format leaves out or changes, after an ordinary one; the last
// one's texts are longer than some formats' columns.
const QString kLedger = u"5100|10|AB"_s;
const QStringList kTellingPayments = {
    paymentWith(kLedger),
    paymentLine({.payee = u"Nothing Owed Ltd"_s, .ledger = kLedger, .amount = u"0.00"_s}),
    paymentLine({.payee = u"BANK CHARGES"_s, .ledger = kLedger, .amount = u"15.00"_s}),
    paymentLine({.payee = u"Short Account Inc"_s, .ledger = u"5100"_s, .amount = u"20.00"_s}),
    paymentLine({.payee = u"Smith, Jones, and Partners Ltd"_s, .ledger = kLedger, .amount = u"-10.00"_s}),
    paymentLine({.payee = u"Long Line Co"_s, .ledger = kLedger, .amount = u"30.00"_s}) + u"  beyond the last column"_s,
    paymentLine({.payee = u"Northwind Traders Incorporated"_s, .ledger = kLedger, .amount = u"300.00"_s,
                 .invoice = u"QM-2014-Q4-CLINIC-00017"_s, .purpose = u"Quarterly maintenance contract"_s}),
};
const AuditChange kPastLastColumn{7, u"past column 171"_s, u"  beyond the last column"_s, {}};

} // namespace

// The telling payments' audit is known for each package; that of random payment files must agree
// with what their files hold.
TEST(Audit, SaysWhatEachPackageLeftOutAndChangedAndCountsWhatItsFileHolds)
{
    std::vector<QStringList> files = {kTellingPayments};
    std::mt19937 random(20140825);
    const QStringList payees = {u"City Hydro"_s, u"BANK FEES"_s, u"Bank of Rome"_s, u"Staples, Inc."_s, u"EXCH ADJ USD 1.31"_s};
    const QStringList ledgers = {kLedger, u"5100"_s, u"6100|200"_s, u"5100-20"_s, u"7900|1|2|3"_s};
    while (files.size() < 4) {
        QStringList& lines = files.emplace_back();
        const int count = 20 + int(random() % 40);
        for (int i = 0; i < count; ++i) {
            Payment p{.payee = payees[random() % payees.size()], .ledger = ledgers[random() % ledgers.size()],
                      .amount = QString::number(int(random() % 2001) - 1000) + u'.' +
                                QString::number(random() % 100).rightJustified(2, u'0')};
            if (random() % 5 == 0)
                p.amount = u"0.00"_s;
            p.date = u"2014/08/%1"_s.arg(1 + random() % 28, 2, 10, QLatin1Char('0'));
            lines << paymentLine(p);
        }
    }
    for (std::size_t file = 0; file < files.size(); ++file) {
        for (const PackageCase& package : kPackages) {
            SCOPED_TRACE(std::string(package.code) + " in file " + std::to_string(file));
            Harness h;
            const Converted converted = convertWithAnswers(h, package, h.writePayments(files[file]));
            const ConversionAudit& audit = converted.audit;
            EXPECT_EQ(audit.written, converted.paymentsInFile);
            EXPECT_EQ(audit.written + audit.leftOut.size(), files[file].size());
            EXPECT_EQ(audit.writtenAt.size(), std::size_t(audit.written));
            EXPECT_FALSE(audit.failure.has_value());
            if (file > 0)
                continue;
            EXPECT_EQ(audit.paymentsRead, 7);
            EXPECT_EQ(audit.written, package.written);
            EXPECT_EQ(audit.leftOut, package.leftOut);
            EXPECT_EQ(audit.changed, QList<AuditChange>{kPastLastColumn} + package.changedByWriter);
            EXPECT_EQ(audit.debitsRead, Money::fromWhole(490));
            EXPECT_EQ(audit.creditsRead, Money::fromWhole(10));
        }
    }
}

// A payee's bytes go from the payment file to the import file as they are: a byte the page reads
// as a letter outside Latin-1 unchanged, one the page leaves undefined as the page writes U+FFFD,
// noted as outside the code page.
TEST(Audit, APayeesBytesGoOutAsThePageReadThem)
{
    const std::tuple<const char*, char, char> cases[] = {
        // page, the payee's fourth byte, that byte as written
        {"windows-1252", '\x80', '\x80'}, // the euro sign
        {"ibm-850", '\x82', '\x82'},      // e acute
        {"windows-1253", '\xD2', '?'},     // undefined in that page
    };
    for (const auto& [page, byte, written] : cases) {
        SCOPED_TRACE(page);
        Harness h;
        h.converter().setCodePage(CodePage(QString::fromLatin1(page)));
        const QString input = h.writePayments({paymentLine({.payee = u"Cafx"_s})});
        writeBytes(input, readBytes(input).replace("Cafx", QByteArray("Caf") + byte));
        ASSERT_TRUE(h.convert(u"05"_s, input, h.path(u"m.txt"_s)));
        EXPECT_TRUE(readBytes(h.path(u"m.txt"_s)).contains(QByteArray(",Caf") + written + ','));
        const QList<AuditChange>& changed = h.converter().LastAudit().changed;
        EXPECT_EQ(std::count_if(changed.begin(), changed.end(),
                                [](const AuditChange& c) { return c.field == u"outside the code page"_s; }),
                  written == byte ? 0 : 1);
    }
}

// FAS's description is its payee, invoice number and purpose joined by "/": a change is noted
// whenever the written description differs from that, and only then.
TEST(Audit, FasNotesADescriptionOnlyWhenItDiffers)
{
    struct Case {
        QString payee, invoice, purpose;
        QString written; // empty: written as joined
    };
    const QString payee30 = u"Northwind Traders Incorporated"_s;
    const QString invoice23 = u"QM-2014-Q4-CLINIC-00017"_s;
    const Case cases[] = {
        {u"City Hydro"_s, u"INV-1"_s, u"Power"_s, {}},
        {u"City Hydro"_s, {}, {}, {}},
        // A slash is blanked in the payee alone; a comma anywhere.
        {u"City Hydro"_s, u"A/B"_s, u"Power/Heat"_s, {}},
        {u"City/Hydro"_s, u"INV-1"_s, {}, u"City Hydro/INV-1"_s},
        {u"City Hydro"_s, u"A,B"_s, {}, u"City Hydro/A B"_s},
        {u"City Hydro"_s, {}, u"Power, Heat"_s, u"City Hydro/Power  Heat"_s},
        // The purpose fills what is left of the column: 25 characters fit, the 26th is cut.
        {payee30, invoice23, u"Quarterly maintenance con"_s, {}},
        {payee30, invoice23, u"Quarterly maintenance cont"_s, payee30 + u'/' + invoice23 + u"/Quarterly maintenance con"_s},
    };
    for (const Case& c : cases) {
        TransRecord record = sampleRecord(c.payee);
        record.setInvoiceNo(c.invoice);
        record.setPaymentFor(c.purpose);
        record.PaymentFileLine = 4;
        const WriterRun fas = runWriter(u"17"_s, {record});
        QString joined = c.payee;
        for (const QString& part : {c.invoice, c.purpose})
            joined += part.isEmpty() ? QString() : u'/' + part;
        const QList<AuditChange> expected =
            c.written.isEmpty() ? QList<AuditChange>{} : QList<AuditChange>{{4, u"description"_s, joined, c.written}};
        EXPECT_EQ(fas.audit.changed, expected) << joined.toStdString();
    }

    // A character the page lacks: the description as meant, then the line as written.
    TransRecord record = sampleRecord(u"Łukasz, Warsaw"_s);
    record.PaymentFileLine = 4;
    const WriterRun fas = runWriter(u"17"_s, {record});
    ASSERT_EQ(fas.audit.changed.size(), 2);
    EXPECT_EQ(fas.audit.changed[0].field, u"description"_s);
    EXPECT_TRUE(fas.audit.changed[0].from.startsWith(u"Łukasz, Warsaw/"_s));
    EXPECT_TRUE(fas.audit.changed[0].to.startsWith(u"Łukasz  Warsaw/"_s));
    EXPECT_EQ(fas.audit.changed[1].field, u"outside the code page"_s);
    EXPECT_TRUE(fas.audit.changed[1].from.contains(u",Łukasz  Warsaw/"_s));
    EXPECT_EQ(fas.audit.changed[1].to, QString(fas.audit.changed[1].from).replace(u'Ł', u'?'));
}

// QuickBooks makes an entry of each date; Simply makes one of each payment, named after its line.
TEST(Audit, EntriesBalanceWhenTheirDebitsMeetTheirCredits)
{
    Harness h;
    const Payment refund{.payee = u"Refund"_s, .ledger = kLedger, .amount = u"-125.00"_s};
    const Payment later{.date = u"2014/08/26"_s, .payee = u"Later"_s, .ledger = kLedger, .amount = u"40.00"_s};
    const QString input = h.writePayments({paymentWith(kLedger), paymentLine(refund), paymentLine(later)});
    ASSERT_TRUE(h.convert(u"02"_s, input, h.path(u"QB.iif"_s)));
    const ConversionAudit& quickBooks = h.converter().LastAudit();
    ASSERT_EQ(quickBooks.entries.size(), 2);
    EXPECT_TRUE(quickBooks.entries[0].balances());
    EXPECT_FALSE(quickBooks.entries[1].balances());
    EXPECT_FALSE(quickBooks.entriesBalance());
    EXPECT_EQ(auditSummary(quickBooks), u"3 payments read, 3 written to QB.iif; 1 of 2 entries do not "
                                        u"balance (08/26/14: debits 40.00, credits 0.00)"_s);

    ASSERT_TRUE(h.convert(u"03"_s, input, h.path(u"SIMPLY.txt"_s)));
    const ConversionAudit& simply = h.converter().LastAudit();
    ASSERT_EQ(simply.entries.size(), 3);
    EXPECT_EQ(simply.entryTitle(simply.entries[0]), u"payment-file line 2"_s);
    EXPECT_EQ(simply.entryTitle(simply.entries[2]), u"payment-file line 4"_s);
    EXPECT_TRUE(simply.entriesBalance());
    EXPECT_TRUE(auditJson(simply).contains("\"name\": \"payment-file line 4\""));
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
