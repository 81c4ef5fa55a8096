// The text writers: each package's exact bytes (golden files under tests/data), the statuses and
// failures of the frame around them, counters at their limits, and Momentum's lines.
#include "testsupport.h"

#include "core/conversions.h"

#include <QDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace kn;
using namespace kn::testing;
using namespace Qt::StringLiterals;

namespace {

struct WriterFile {
    const char* code;
    const char* stem;
    const char* extension;
    const char* name;
    const char* firstStatus;
    bool closesBeforeClosingStatus;
    bool sortsByDate;
};

const WriterFile kWriters[] = {
    {"02", "quickbooks", "iif", "ProcessQuickBooks1999", "Processing QuickBooks 1999+", false, true},
    {"03", "simply", "txt", "ProcessSimply", "Processing Simply Accounting 8.5+", false, false},
    {"06", "peachtree", "csv", "ProcessPeachtree", "Processing Peachtree", false, true},
    {"07", "money", "qif", "ProcessMoney", "Processing Money", false, false},
    {"09", "quicken5", "qif", "ProcessQuicken", "Processing Quicken", false, false},
    {"10", "quicken6", "qif", "ProcessQuicken", "Processing Quicken", false, false},
    {"11", "accpacdos", "txt", "ProcessACCPACDos", "Processing AccPac Plus (DOS Version)...", true, false},
    {"12", "adagio", "txt", "ProcessAdagio", "Processing Adagio", true, false},
    {"13", "custom", "csv", "ProcessCustom", "Processing Custom format...", true, false},
    {"14", "tronia", "txt", "ProcessTronia", "Processing Tronia format...", true, false},
    {"15", "jonas", "txt", "ProcessJonas", "Processing Jonas format...", true, false},
};

QString golden(const WriterFile& writer, const char* feature)
{
    return u"%1_%2.%3"_s.arg(QLatin1String(writer.stem), QLatin1String(feature), QLatin1String(writer.extension));
}

CalDate day(int month, int dayOfMonth, double hour = 0)
{
    return CalDate(CalDate::fromYmd(2014, month, dayOfMonth).value() + hour / 24.0);
}

TransRecord record(const char* payee, CalDate date = day(8, 25), const char* account = "5100|10|AB",
                   const char* amount = "125")
{
    TransRecord made = sampleRecord(QString::fromUtf8(payee));
    made.TransDate = date;
    made.setGLAccount(QString::fromLatin1(account));
    made.setGLAccount_Full(QString::fromLatin1(account));
    made.Amount = parseMoneyText(QString::fromLatin1(amount), RegionalSettings::named(u"en_US"_s));
    return made;
}

} // namespace

TEST(WriterGolden, PaymentFilesAndRecordsUnderRegionalSettingsTimesOfDayAndEdgeCases)
{
    // fr_CA: "," decimals and "-" between date fields; de_DE: "," decimals and ".".
    const QList<TransRecord> regional = {record("Café Déjà Vu", day(8, 25), "5100|10|AB", "1234.5"),
                                         record("Bell Canada", day(3, 5), "5200|20|CD", "-0.07"),
                                         record("EXCH ADJ USD 1.3120", day(3, 5), "7900|1|X", "12.3456")};
    // One day at different times of day: a group for each time under one printed date.
    const QList<TransRecord> timed = {record("A at 10:00", day(8, 25, 10)), record("B at 09:00", day(8, 25, 9)),
                                      record("C at 00:00"), record("D on the 24th", day(8, 24, 12)),
                                      record("E at 09:00", day(8, 25, 9))};
    // Payees that are or are not an exchange adjustment (QuickBooks) or a bank (QIF: left out),
    // a tab that shifts columns, accounts with zero to three bars, an untrimmed invoice number
    // (Jonas's reference) and "{DIST}" with long texts (Peachtree).
    const char* const edgeCases[][5] = {
        // payee, account, amount, invoice, purpose
        {"exch adj EUR", "|B|", "-3.5", "INV-7 ", "  Rent for March and April"},
        {"EXCH ADJX  GBP ", "A|B|C|D", "40", "", "  March "},
        {"Exch Adj", " 4000|20|XY ", "1", "   ", "March"},
        {"EXCH AD", "A|B", "2", "INV-1", "Electricity"},
        {" EXCH ADJ", " 5100 ", "0", "INV-1", "Electricity"},
        {"bAnK", "", "3", "INV-1", "Electricity"},
        {"BAN", "5100 200       XYZ", "4", "INV-1", "Electricity"},
        {" Bank", "4000|", "5", "INV-1", "Electricity"},
        {"Pay {DIST}", "5200", "-12.75", "INV-2", "{DIST} lines"},
        {"Tab\tbed", "A|B|C", "6", "INV-3", "Tabs"},
        {"", "||", "7", "INV-4", "No payee"},
    };
    QList<TransRecord> edges;
    for (const auto& [payee, account, amount, invoice, purpose] : edgeCases) {
        edges << record(payee, day(8, 25), account, amount);
        edges.last().setInvoiceNo(QString::fromLatin1(invoice));
        edges.last().setPaymentFor(QString::fromLatin1(purpose));
        edges.last().setGLDetails(u"the details"_s);
    }
    // The session number keeps its blank; "cad" is not "CAD"; the Quicken memo takes the file's
    // name without its last extension from the 6th character on.
    WriterSetup unusual;
    unusual.header.sessionNumber = u" 12"_s;
    unusual.currency = u"cad"_s;
    unusual.fileName = u"GLEXP2014.03.txt"_s;
    for (const WriterFile& writer : kWriters) {
        SCOPED_TRACE(writer.code);
        const QString code = QString::fromLatin1(writer.code);
        // The example replaces a longer existing file; "amounts" rounds three and four decimals
        // half away from zero; "dates" sorts dates with ties and across a year.
        for (const char* feature : {"example", "amounts", "dates"}) {
            if (feature == std::string_view("dates") && !writer.sortsByDate)
                continue;
            Harness harness;
            const QString output = harness.path(u"GLEXP20140902."_s + QLatin1String(writer.extension));
            writeBytes(output, QByteArray(100000, 'x'));
            const QString input = feature == std::string_view("example")
                                      ? kExample
                                      : dataPath(u"payments-%1.txt"_s.arg(QLatin1String(feature)));
            ASSERT_TRUE(harness.convert(code, input, output)) << feature;
            EXPECT_TRUE(matchesGolden(readBytes(output), golden(writer, feature)));
        }
        for (const char* locale : {"fr_CA", "de_DE"}) {
            WriterSetup setup;
            setup.locale = QLatin1String(locale);
            EXPECT_TRUE(matchesGolden(runWriter(code, regional, setup).bytes, golden(writer, locale)));
        }
        if (writer.sortsByDate) {
            EXPECT_TRUE(matchesGolden(runWriter(code, timed).bytes, golden(writer, "timeofday")));
        }
        EXPECT_TRUE(matchesGolden(runWriter(code, edges, unusual).bytes, golden(writer, "edges")));
    }
}

TEST(TroniaWriter, JournalNumberFromTheSessionNumber)
{
    for (const auto& [session, journal] : {std::pair{"7  ", "00700001"}, std::pair{"ABC", "ABC00001"}}) {
        WriterSetup setup;
        setup.header.sessionNumber = QLatin1String(session);
        EXPECT_EQ(outputLines(runWriter(u"14"_s, {sampleRecord()}, setup).bytes).value(1).section(u'\t', 0, 0),
                  QLatin1String(journal));
    }
}

TEST(Counters, SixteenBitCountersStopAt32767)
{
    // Zero amounts use no line number, so 32767 written lines fit among more records.
    const QList<TransRecord> full(32767, sampleRecord());
    const QList<TransRecord> zeros(3, record("Zero", day(8, 25), "5100", "0"));
    EXPECT_TRUE(outputLines(runWriter(u"13"_s, full + zeros).bytes).last().startsWith("\"E\",32767,"_L1));
    EXPECT_TRUE(outputLines(runWriter(u"14"_s, full).bytes).last().startsWith("04232767\t"_L1));
    EXPECT_TRUE(outputLines(runWriter(u"06"_s, full).bytes).last().contains(",,32767,"_L1));

    // One more fails with Overflow, says the package's limit, and leaves no file at all.
    const std::tuple<const char*, const char*, const char*> overflows[] = {
        {"13", "KNExport.ProcessCustom", "Custom files"},
        {"14", "KNExport.ProcessTronia", "Tronia journals"},
        {"06", "KNExport.ProcessPeachtree", "Peachtree journals"},
        {"02", "KNExport.ProcessQuickBooks1999", "QuickBooks journals"}};
    for (auto [code, source, limitedFile] : overflows) {
        const WriterRun run = runWriter(QString::fromLatin1(code), full + QList<TransRecord>{sampleRecord()});
        ASSERT_TRUE(run.failure.has_value()) << code;
        EXPECT_EQ(run.failure->number(), 6);
        EXPECT_EQ(run.failure->description(), "Overflow"_L1);
        EXPECT_EQ(run.failure->source(), QLatin1String(source));
        EXPECT_EQ(run.failure->detail(),
                  QLatin1String(limitedFile) + " hold at most 32,767 payments; this file has 32,768"_L1);
        EXPECT_TRUE(run.bytes.isEmpty()) << code;
    }
}

TEST(WriterFrame, StatusesInOrderAndFailuresWithTheWritersSourceLeavingNothingBehind)
{
    for (const WriterFile& writer : kWriters) {
        SCOPED_TRACE(writer.code);
        const QString code = QString::fromLatin1(writer.code);
        Harness harness;
        // The same file name in two folders, as the Quicken memo refers to it.
        for (const char* folder : {"complete", "partial", "locked"})
            QDir(harness.path({})).mkpath(QLatin1String(folder));
        QFile::setPermissions(harness.path(u"locked"_s), QFile::ReadOwner | QFile::ExeOwner);
        const QString complete = harness.path(u"complete/GLEXP20140902.txt"_s);
        QByteArray atClosingStatus;
        const auto connection = QObject::connect(&harness.converter(), &KNExport::Status, [&](const QString& text) {
            if (text == "Closing the file..."_L1)
                atClosingStatus = readBytes(complete);
        });
        ASSERT_TRUE(harness.convert(code, kExample, complete));
        QObject::disconnect(connection);
        EXPECT_EQ(harness.events, conversionEvents({QString::fromLatin1(writer.firstStatus)}));
        // Lines are buffered until the close, so only a writer that closes first shows them all.
        const QByteArray full = readBytes(complete);
        EXPECT_EQ(atClosingStatus == full, writer.closesBeforeClosingStatus);

        QList<std::pair<QString, int>> unwritable = {
            {harness.path(u"no such folder/out.txt"_s), 76}, {complete + u"/out.txt"_s, 76}, {harness.path({}), 75}};
        if (geteuid() != 0) // the superuser writes into read-only folders
            unwritable.append({harness.path(u"locked/out.txt"_s), 75});
        const QString partial = harness.path(u"partial/GLEXP20140902.txt"_s);
        unwritable.append({partial, 61});
        for (const auto& [output, number] : unwritable) {
            std::optional<FileSizeLimit> diskFull;
            if (number == 61)
                diskFull.emplace(rlim_t(full.size() / 2));
            EXPECT_FALSE(harness.convert(code, kExample, output));
            ASSERT_TRUE(harness.failure.has_value());
            EXPECT_EQ(harness.failure->number(), number) << output.toStdString();
            EXPECT_EQ(harness.failure->source(), u"KNExport."_s + QLatin1String(writer.name));
            EXPECT_FALSE(harness.events.contains(u"<ProcessComplete>"_s));
        }
        EXPECT_TRUE(QDir(harness.path(u"partial"_s)).isEmpty()) << "a full disk left a file behind";
        QFile::setPermissions(harness.path(u"locked"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

// Momentum's example golden, compared through the command in test_cli, pins one to three
// ledger segments, a payee's commas taken out, a negative amount and a zero one left out in en_US.
// Under a region whose decimal separator is ",", the payment file's commas are removed before the
// amount is read, so only whole amounts can be given there. Each region's file replaces an old
// one, and one of nothing but zero amounts is empty.
TEST(Momentum, LedgerSegmentsPayeeAndAmountUnderEachRegion)
{
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
        {"en_US", "", "125", "City Hydro", "05032014,125.00,City Hydro,,,,"},
        {"en_US", "1-2-3-4-5", "125", "City Hydro", "05032014,125.00,City Hydro,1,2,3,4,5"},
        {"en_US", "5100", "0.5", "A,B,C,D,E,F,G,H,I,J,K,L,M,N,OPQRS", "05032014,0.50,ABCDEFGHIJKLMNOP,5100,,,"},
        {"en_US", "5100", "0.125", "x", "05032014,0.13,x,5100,,,"},
        {"en_US", "5100", "-0.125", "x", "05032014,-0.13,x,5100,,,"},
        {"en_US", "5100", "0.0049", "x", "05032014,0.00,x,5100,,,"},
        {"de_DE", "5100-10", "1,250", "City Hydro", "05032014,1250,00,City Hydro,5100,10,,"},
        {"de_DE", "5100", "-40", "City Hydro", "05032014,-40,00,City Hydro,5100,,,"},
        {"fr_CA", "5100-10", "1,250", "City Hydro", "05032014,1250,00,City Hydro,5100,10,,"},
        {"fr_CA", "5100", "-40", "City Hydro", "05032014,-40,00,City Hydro,5100,,,"},
        {"en_GB", "1", "0", "City Hydro", nullptr},
    };
    for (const char* region : {"en_US", "de_DE", "fr_CA", "en_GB"}) {
        SCOPED_TRACE(region);
        QStringList lines;
        QStringList expected;
        for (auto [locale, ledger, amount, payee, want] : cases) {
            if (locale != std::string_view(region))
                continue;
            lines << paymentLine({.date = QStringLiteral("2014/03/05"), .payee = QString::fromLatin1(payee),
                                  .ledger = QString::fromLatin1(ledger), .amount = QString::fromLatin1(amount)});
            if (want)
                expected << QString::fromLatin1(want);
        }
        Harness h(QString::fromLatin1(region));
        const QString output = h.path(QStringLiteral("out.txt"));
        writeBytes(output, "old content that must go\r\n");
        ASSERT_TRUE(h.convert(QStringLiteral("05"), h.writePayments(lines), output));
        EXPECT_TRUE(QFile::exists(output));
        EXPECT_EQ(readBytes(output), crlfLines(expected));
    }
}
