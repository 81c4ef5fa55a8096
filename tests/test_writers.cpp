// The text writers: each package's exact bytes (golden files under tests/data), and the rules that
// writers of this kind get wrong: sorting and grouping by date, prefixes that change a line,
// segments of the ledger account, rounding, regional separators, counters at their limits,
// and failures part-way through.
#include "testsupport.h"

#include "core/conversions.h"

#include <QDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
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
};

const WriterFile kWriters[] = {
    {"02", "quickbooks", "iif", "ProcessQuickBooks1999", "Processing QuickBooks 1999+", false},
    {"03", "simply", "txt", "ProcessSimply", "Processing Simply Accounting 8.5+", false},
    {"06", "peachtree", "csv", "ProcessPeachtree", "Processing Peachtree", false},
    {"07", "money", "qif", "ProcessMoney", "Processing Money", false},
    {"09", "quicken5", "qif", "ProcessQuicken", "Processing Quicken", false},
    {"10", "quicken6", "qif", "ProcessQuicken", "Processing Quicken", false},
    {"11", "accpacdos", "txt", "ProcessACCPACDos", "Processing AccPac Plus (DOS Version)...", true},
    {"12", "adagio", "txt", "ProcessAdagio", "Processing Adagio", true},
    {"13", "custom", "csv", "ProcessCustom", "Processing Custom format...", true},
    {"14", "tronia", "txt", "ProcessTronia", "Processing Tronia format...", true},
    {"15", "jonas", "txt", "ProcessJonas", "Processing Jonas format...", true},
};

bool sortsByDate(const WriterFile& writer)
{
    return QLatin1String(writer.code) == "02"_L1 || QLatin1String(writer.code) == "06"_L1;
}

QString golden(const WriterFile& writer, const char* feature)
{
    return u"%1_%2.%3"_s.arg(QLatin1String(writer.stem), QLatin1String(feature), QLatin1String(writer.extension));
}

const QString kExample = QDir::cleanPath(dataPath(u"../../examples/payments.txt"_s));

Money money(const char* text)
{
    return parseMoneyText(QString::fromLatin1(text), RegionalSettings::named(u"en_US"_s));
}

TransRecord record(CalDate date, const char* payee, const char* account = "5100|10|AB", const char* amount = "125")
{
    TransRecord made = sampleRecord(QString::fromUtf8(payee));
    made.TransDate = date;
    made.GLAccount = made.GLAccount_Full = QString::fromLatin1(account);
    made.Amount = money(amount);
    return made;
}

CalDate day(int month, int dayOfMonth, double hour = 0)
{
    return CalDate(CalDate::fromYmd(2014, month, dayOfMonth).value() + hour / 24.0);
}

QStringList linesOf(const char* code, const QList<TransRecord>& records, const WriterSetup& setup = {})
{
    return outputLines(runWriter(QString::fromLatin1(code), records, setup).bytes);
}

} // namespace

TEST(WriterGolden, PaymentFilesEndToEnd)
{
    // The example replaces a longer existing file; the second file rounds three and four decimals
    // half away from zero; the third sorts dates with ties and across a year.
    QStringList amounts, dates;
    for (const char* text : {"45.675", "-45.675", "0.005", "-0.005", "0.0049", "-0.0049", "1.2345", "-1234.5", "0.07",
                             "1000000", "0"}) {
        const QString amount = QLatin1String(text);
        amounts << paymentLine({u"2014/08/25"_s, u"Amount "_s + amount, u"5100|10|AB"_s, amount, u"INV-"_s + amount,
                                u"For Amount "_s + amount});
    }
    const char* const dated[][2] = {{"2014/03/05", "A"}, {"2014/03/03", "B"}, {"2014/03/05", "C"}, {"2014/03/04", "D"},
                                    {"2014/03/03", "E"}, {"2015/01/02", "F"}, {"2013/12/31", "G"}};
    for (int i = 0; i < 7; ++i) {
        const QString payee = QLatin1String(dated[i][1]);
        dates << paymentLine({QLatin1String(dated[i][0]), payee, u"5100|10|AB"_s, QString::number(i + 1),
                              u"INV-%1"_s.arg(i + 1), u"For "_s + payee});
    }
    for (const WriterFile& writer : kWriters) {
        SCOPED_TRACE(writer.code);
        for (const auto& [feature, lines] :
             {std::pair{"example", QStringList()}, std::pair{"amounts", amounts}, std::pair{"dates", dates}}) {
            if (feature == std::string_view("dates") && !sortsByDate(writer))
                continue;
            Harness harness;
            const QString output = harness.path(u"GLEXP20140902."_s + QLatin1String(writer.extension));
            writeBytes(output, QByteArray(100000, 'x'));
            const QString input = lines.isEmpty() ? kExample : harness.writePayments(lines);
            ASSERT_TRUE(harness.convert(QString::fromLatin1(writer.code), input, output));
            EXPECT_TRUE(matchesGolden(readBytes(output), golden(writer, feature)));
        }
    }
}

TEST(WriterGolden, RecordsUnderRegionalSettingsAndTimesOfDay)
{
    // fr_CA: "," decimals and "-" between date fields; de_DE: "," decimals and ".".
    const QList<TransRecord> regional = {record(day(8, 25), "Café Déjà Vu", "5100|10|AB", "1234.5"),
                                         record(day(3, 5), "Bell Canada", "5200|20|CD", "-0.07"),
                                         record(day(3, 5), "EXCH ADJ USD 1.3120", "7900|1|X", "12.3456")};
    // One day at different times of day: a group for each time under one printed date.
    const QList<TransRecord> timed = {record(day(8, 25, 10), "A at 10:00"), record(day(8, 25, 9), "B at 09:00"),
                                      record(day(8, 25, 0), "C at 00:00"), record(day(8, 24, 12), "D on the 24th"),
                                      record(day(8, 25, 9), "E at 09:00")};
    for (const WriterFile& writer : kWriters) {
        SCOPED_TRACE(writer.code);
        for (const char* locale : {"fr_CA", "de_DE"}) {
            WriterSetup setup;
            setup.locale = QLatin1String(locale);
            const WriterRun run = runWriter(QString::fromLatin1(writer.code), regional, setup);
            EXPECT_TRUE(run.result);
            EXPECT_TRUE(matchesGolden(run.bytes, golden(writer, locale)));
        }
        if (sortsByDate(writer)) {
            const WriterRun run = runWriter(QString::fromLatin1(writer.code), timed);
            EXPECT_TRUE(matchesGolden(run.bytes, golden(writer, "timeofday")));
        }
    }
}

TEST(WriterFrame, StatusTextsInOrderAndTheFileClosedWhereTheWriterCloses)
{
    for (const WriterFile& writer : kWriters) {
        SCOPED_TRACE(writer.code);
        Harness harness;
        const QString output = harness.path(u"out.txt"_s);
        QByteArray atClosingStatus;
        QObject::connect(&harness.converter(), &KNExport::Status, [&](const QString& text) {
            if (text == "Closing the file..."_L1)
                atClosingStatus = readBytes(output);
        });
        ASSERT_TRUE(harness.convert(QString::fromLatin1(writer.code), kExample, output));
        EXPECT_EQ(harness.events,
                  (QStringList{u"Reading the Kaprin File..."_s, u"Importing Kaprin File..."_s,
                               u"Kaprin File Import Complete..."_s, QString::fromLatin1(writer.firstStatus),
                               u"Opening the Export File..."_s, u"Processing transactions..."_s,
                               u"Closing the file..."_s, u"<ProcessComplete>"_s}));
        // Lines are buffered until the close, so only a writer that closes first shows them all.
        if (writer.closesBeforeClosingStatus)
            EXPECT_EQ(atClosingStatus, readBytes(output));
        else
            EXPECT_LT(atClosingStatus.size(), readBytes(output).size());
    }
}

TEST(QuickBooksWriter, ExchangeAdjustmentIsTheFirstEightCharactersInAnyCase)
{
    const char* const cases[][3] = {
        // payee, NAME, MEMO
        {"EXCH ADJ USD 1.3120", "EXCHANGE ADJUSTMENT", "USD 1.3120"},
        {"exch adj EUR", "EXCHANGE ADJUSTMENT", "EUR"},
        {"Exch Adj", "EXCHANGE ADJUSTMENT", ""},
        {"EXCH ADJ ", "EXCHANGE ADJUSTMENT", ""},
        {"EXCH ADJX  GBP ", "EXCHANGE ADJUSTMENT", "GBP"}, // the ninth character is dropped
        {"EXCH AD", "EXCH AD", "Electricity"},
        {"", "", "Electricity"},
        {"EXCHANGE RATE CO", "EXCHANGE RATE CO", "Electricity"},
        {" EXCH ADJ", " EXCH ADJ", "Electricity"}, // an ordinary payee keeps its blanks
    };
    for (const auto& [payee, name, memo] : cases) {
        SCOPED_TRACE(payee);
        const QStringList lines = linesOf("02", {record(day(8, 25), payee)});
        ASSERT_EQ(lines.size(), 6);
        EXPECT_EQ(lines[4].split(u'\t').mid(8), (QStringList{QLatin1String(name), QLatin1String(memo)}));
    }
}

TEST(TextWriters, ATabInAPayeeShiftsTheColumns)
{
    const std::tuple<const char*, int, int> cases[] = {{"02", 4, 10}, {"14", 1, 6}, {"15", 0, 8}};
    for (auto [code, line, tabs] : cases)
        EXPECT_EQ(linesOf(code, {record(day(8, 25), "Tab\tbed")}).value(line).count(u'\t'), tabs) << code;
}

TEST(QifWriters, PayeesBeginningWithBankInAnyCaseAreLeftOut)
{
    const QStringList leftOut = {u"Bank charges"_s, u"BANKWEST"_s, u"bank"_s, u"bAnK"_s};
    const QStringList written = {u"BAN"_s, u"B"_s, u"Banff Hotel"_s, u" Bank"_s, QString(), u"Pay ^ bank, now"_s};
    QList<TransRecord> onlyBank, records;
    for (const QString& payee : leftOut)
        onlyBank << sampleRecord(payee);
    for (const QString& payee : written)
        records << onlyBank << sampleRecord(payee);
    for (const char* code : {"07", "09", "10"}) {
        SCOPED_TRACE(code);
        const QStringList lines = linesOf(code, records);
        QStringList payees;
        for (const QString& line : lines) {
            if (line.startsWith(u'P'))
                payees << line.mid(1);
        }
        EXPECT_EQ(payees, written);
        EXPECT_EQ(lines.size(), 1 + 6 * written.size());
        EXPECT_EQ(linesOf(code, onlyBank), QStringList{u"!Type:Bank"_s});
    }
}

TEST(QifWriters, MemoReferenceFromTheSessionOrTheFileName)
{
    const char* const cases[][3] = {
        // code, export file name, memo line
        {"09", "GLEXP20140305.qif", "Mref#20140305"}, {"10", "GLEXP20140305.qif", "Mref#20140305"},
        {"10", "ABCDE.qif", "Mref#"},                 {"10", "ABCDEF.qif", "Mref#F"},
        {"10", "short", "Mref#"},                     {"10", "GLEXP2014.03.qif", "Mref#2014.03"},
        {"07", "GLEXP20140305.qif", "Mref# 12"}, // the session number keeps its blank
    };
    for (const auto& [code, fileName, memo] : cases) {
        WriterSetup setup;
        setup.fileName = QLatin1String(fileName);
        setup.header.sessionNumber = u" 12"_s;
        EXPECT_EQ(linesOf(code, {sampleRecord()}, setup).value(4), QLatin1String(memo)) << code << " " << fileName;
    }
}

TEST(SimplyWriter, CurrencySuffixUnlessTheCodeIsExactlyCAD)
{
    const char* const cases[][2] = {
        {"CAD", ""}, {"   ", ""}, {"cad", ",cad,1"}, {" usd ", ",usd,1"}, {"EURO", ",EUR,1"}};
    for (const auto& [currency, suffix] : cases) {
        Harness harness;
        const QString output = harness.path(u"out.txt"_s);
        const QString input = harness.writePayments({paymentLine({})});
        ASSERT_TRUE(harness.convert(u"03"_s, input, output, u"Simply"_s, QLatin1String(currency)));
        EXPECT_EQ(outputLines(readBytes(output)).value(0), u"08-25-14,\"KPN\",\"City Hydro\""_s + QLatin1String(suffix))
            << currency;
    }
}

TEST(PeachtreeWriter, CutsTrimsAndCountsInPlaceOfEveryDistPlaceholder)
{
    TransRecord first = record(day(8, 25), "City Hydro", "5100 200       XYZ", "40"); // account cut to 15, blanks kept
    first.PaymentFor = u"  Rent for March and April"_s;                              // cut to 20, then trimmed
    TransRecord second = record(day(8, 25), "Pay {DIST}", "5200", "-12.75");
    second.PaymentFor = u"{DIST} lines"_s;
    EXPECT_EQ(linesOf("06", {first, second}),
              (QStringList{u"08/25/14,\"Rent for March and\",,2,\"5100 200       \",\"City Hydro\",40,,FALSE"_s,
                           u"08/25/14,\"2 lines\",,2,\"5200\",\"Pay 2\",-12.75,,FALSE"_s}));
}

TEST(SegmentedAccounts, EachWriterCutsTheLedgerAccountAtBarsItsOwnWay)
{
    const char* const cases[][4] = {
        // account, Jonas's first three fields (null: left out), Adagio's parts, AccPac's parts
        {"A|B|C", "A\tB\tC", R"("A", "B", "C")", R"("A", "B|C")"},
        {"|B|", "\tB\t", R"("", "B", "APBP")", R"("", "B|")"},
        {"A|B|C|D", "A\tB\tC|D", R"("A", "B", "C")", R"("A", "B|C|D")"},
        {"||", "\t\t", R"("", "", "APBP")", R"("", "|")"},
        {" 4000|20|XY ", " 4000\t20\tXY ", R"("4000", "20", "XY")", R"("4000", "20|XY")"},
        {"A|B", nullptr, R"("A", "B", "APBP")", R"("A", "B")"},
        {"4000|", nullptr, R"("4000", "", "APBP")", R"("4000", "")"},
        {" 5100 ", nullptr, R"("5100", "", "APBP")", R"("5100", "")"},
        {"", nullptr, R"("", "", "APBP")", R"("", "")"},
    };
    for (const auto& [account, jonas, adagio, accpac] : cases) {
        SCOPED_TRACE(account);
        const QList<TransRecord> records = {record(day(8, 25), "City Hydro", account)};
        const QStringList jonasLines = linesOf("15", records);
        EXPECT_EQ(jonasLines.value(0).section(u'\t', 0, 2), QLatin1String(jonas));
        EXPECT_EQ(jonasLines.size(), jonas == nullptr ? 0 : 1);
        EXPECT_TRUE(linesOf("12", records).value(0).startsWith(R"("E",1,"20140825",0,)"_L1 + QLatin1String(adagio) +
                                                               R"(, "042")"_L1));
        EXPECT_TRUE(linesOf("11", records).value(0).startsWith(R"("E",1,"140825",0,)"_L1 + QLatin1String(accpac) +
                                                               R"(, "IMKN")"_L1));
    }
}

TEST(JonasWriter, ReferenceTestsTheUntrimmedInvoiceNumber)
{
    const char* const cases[][3] = {
        {"INV-7 ", "March", "INV-7"}, {"", "  March ", "March"}, {"   ", "March", ""}, {" INV-8", "", "INV-8"}};
    for (const auto& [invoice, purpose, reference] : cases) {
        TransRecord made = record(day(8, 25), "City Hydro", "A|B|C", "-3.5");
        made.GLDetails = u"the details"_s;
        made.InvoiceNo = QLatin1String(invoice);
        made.PaymentFor = QLatin1String(purpose);
        EXPECT_EQ(linesOf("15", {made}).value(0),
                  u"A\tB\tC\tthe details\t08/25/2014\t-3.5\t%1\tCity Hydro"_s.arg(QLatin1String(reference)))
            << invoice;
    }
}

TEST(TroniaWriter, JournalNumberFromTheSessionNumber)
{
    const char* const cases[][2] = {
        {"042", "04200001"}, {"7  ", "00700001"}, {" 12", "01200001"}, {"ABC", "ABC00001"}, {"   ", "   00001"}};
    for (const auto& [session, journal] : cases) {
        WriterSetup setup;
        setup.header.sessionNumber = QLatin1String(session);
        EXPECT_EQ(linesOf("14", {sampleRecord()}, setup).value(1).section(u'\t', 0, 0), QLatin1String(journal))
            << session;
    }
}

TEST(Counters, SixteenBitCountersStopAt32767)
{
    // Zero amounts use no line number, so 32767 written lines fit among more records.
    const QList<TransRecord> full(32767, sampleRecord());
    const QList<TransRecord> zeros(3, record(day(8, 25), "Zero", "5100", "0"));
    EXPECT_TRUE(linesOf("13", full + zeros).last().startsWith("\"E\",32767,"_L1));
    EXPECT_TRUE(linesOf("14", full).last().startsWith("04232767\t"_L1));
    EXPECT_TRUE(linesOf("06", full).last().contains(",,32767,"_L1));

    // One more fails with Overflow; the lines written before stay, an entry still collected is lost.
    const std::tuple<const char*, const char*, int> overflows[] = {
        {"13", "KNExport.ProcessCustom", 32767},
        {"14", "KNExport.ProcessTronia", 1 + 32767},
        {"06", "KNExport.ProcessPeachtree", 0},
        {"02", "KNExport.ProcessQuickBooks1999", 3},
    };
    for (auto [code, source, linesLeft] : overflows) {
        const WriterRun run = runWriter(QString::fromLatin1(code), full + QList<TransRecord>{sampleRecord()});
        ASSERT_TRUE(run.failure.has_value()) << code;
        EXPECT_EQ(run.failure->number(), 6);
        EXPECT_EQ(run.failure->description(), "Overflow"_L1);
        EXPECT_EQ(run.failure->source(), QLatin1String(source));
        EXPECT_EQ(outputLines(run.bytes).size(), linesLeft) << code;
    }
}

namespace {

// Limits the size of files this process writes, as a full disk would; restored on leaving.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : previousHandler_(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    void (*previousHandler_)(int);
    rlimit saved_{};
};

} // namespace

TEST(WriterFailures, FailWithTheWritersSourceAndKeepWhatWasWritten)
{
    for (const WriterFile& writer : kWriters) {
        SCOPED_TRACE(writer.code);
        const QString code = QString::fromLatin1(writer.code);
        Harness harness;
        // The same file name in two folders, as the Quicken memo refers to it.
        QDir(harness.path({})).mkpath(u"complete"_s);
        QDir(harness.path({})).mkpath(u"partial"_s);
        QDir(harness.path({})).mkpath(u"locked"_s);
        QFile::setPermissions(harness.path(u"locked"_s), QFile::ReadOwner | QFile::ExeOwner);
        const QString complete = harness.path(u"complete/GLEXP20140902.txt"_s);
        ASSERT_TRUE(harness.convert(code, kExample, complete));
        const QByteArray full = readBytes(complete);

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
        EXPECT_EQ(readBytes(partial), full.left(full.size() / 2));
        QFile::setPermissions(harness.path(u"locked"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}
