// The text writers: each package's exact bytes (golden files under tests/data), and the rules that
// writers of this kind get wrong: sorting and grouping by date, prefixes that change a line,
// segments of the ledger account, rounding, regional separators, counters at their limits,
// and failures part-way through.
#include "testsupport.h"

#include "core/formatting.h"
#include "writers/packagetable.h"

#include <QDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace kn;
using namespace kn::testing;

namespace {

struct WriterFile {
    const char* code;
    const char* stem;
    const char* extension;
    const char* firstStatus;
    bool closesBeforeClosingStatus;
    const char* name;
};

const WriterFile kWriters[] = {
    {"02", "quickbooks", "iif", "Processing QuickBooks 1999+", false, "ProcessQuickBooks1999"},
    {"03", "simply", "txt", "Processing Simply Accounting 8.5+", false, "ProcessSimply"},
    {"06", "peachtree", "csv", "Processing Peachtree", false, "ProcessPeachtree"},
    {"07", "money", "qif", "Processing Money", false, "ProcessMoney"},
    {"09", "quicken5", "qif", "Processing Quicken", false, "ProcessQuicken"},
    {"10", "quicken6", "qif", "Processing Quicken", false, "ProcessQuicken"},
    {"11", "accpacdos", "txt", "Processing AccPac Plus (DOS Version)...", true, "ProcessACCPACDos"},
    {"12", "adagio", "txt", "Processing Adagio", true, "ProcessAdagio"},
    {"13", "custom", "csv", "Processing Custom format...", true, "ProcessCustom"},
    {"14", "tronia", "txt", "Processing Tronia format...", true, "ProcessTronia"},
    {"15", "jonas", "txt", "Processing Jonas format...", true, "ProcessJonas"},
};

QString golden(const WriterFile& writer, const char* feature)
{
    return QStringLiteral("%1_%2.%3").arg(QLatin1String(writer.stem), QLatin1String(feature), QLatin1String(writer.extension));
}

QString examplePaymentFile()
{
    return QDir::cleanPath(dataPath(QStringLiteral("../../examples/payments.txt")));
}

QString payment(const QString& date, const QString& payee, const QString& amount, const QString& ledger = QStringLiteral("5100|10|AB"))
{
    return paymentLine(Payment{date, payee, ledger, amount, QStringLiteral("INV-") + amount, QStringLiteral("For ") + payee});
}

WriterSetup inLocale(const char* locale)
{
    WriterSetup setup;
    setup.locale = QString::fromLatin1(locale);
    return setup;
}

// 2014-08-25 at the given hour.
CalDate at(int day, double hour)
{
    return CalDate(CalDate::fromYmd(2014, 8, day).value() + hour / 24.0);
}

} // namespace

TEST(WriterGolden, ExamplePaymentFileReplacesAnExistingOutput)
{
    for (const WriterFile& writer : kWriters) {
        SCOPED_TRACE(writer.code);
        Harness harness;
        const QString output = harness.path(QStringLiteral("GLEXP20140902.") + QLatin1String(writer.extension));
        writeBytes(output, QByteArray(100000, 'x'));
        ASSERT_TRUE(harness.convert(QString::fromLatin1(writer.code), examplePaymentFile(), output));
        EXPECT_TRUE(matchesGolden(readBytes(output), golden(writer, "example")));
    }
}

TEST(WriterGolden, AmountsWithThreeAndFourDecimalsRoundHalfAwayFromZero)
{
    QStringList lines;
    for (const char* amount : {"45.675", "-45.675", "0.005", "-0.005", "0.0049", "-0.0049", "1.2345", "-1234.5",
                               "0.07", "1000000", "0"})
        lines << payment(QStringLiteral("2014/08/25"), QStringLiteral("Amount ") + QLatin1String(amount), QLatin1String(amount));
    for (const WriterFile& writer : kWriters) {
        SCOPED_TRACE(writer.code);
        Harness harness;
        const QString output = harness.path(QStringLiteral("GLEXP20140825.out"));
        ASSERT_TRUE(harness.convert(QString::fromLatin1(writer.code), harness.writePayments(lines), output));
        EXPECT_TRUE(matchesGolden(readBytes(output), golden(writer, "amounts")));
    }
}

TEST(WriterGolden, RegionalDecimalAndDateSeparators)
{
    const QList<RecordSpec> records = {
        {CalDate::fromYmd(2014, 8, 25), QStringLiteral("Café Déjà Vu"), QStringLiteral("5100|10|AB"), QStringLiteral("1234.5")},
        {CalDate::fromYmd(2014, 3, 5), QStringLiteral("Bell Canada"), QStringLiteral("5200|20|CD"), QStringLiteral("-0.07")},
        {CalDate::fromYmd(2014, 3, 5), QStringLiteral("EXCH ADJ USD 1.3120"), QStringLiteral("7900|1|X"), QStringLiteral("12.3456")},
    };
    // fr_CA: "," decimals and "-" between date fields; de_DE: "," decimals and ".".
    for (const char* locale : {"fr_CA", "de_DE"}) {
        for (const WriterFile& writer : kWriters) {
            SCOPED_TRACE(std::string(writer.code) + " " + locale);
            const WriterRun run = runWriter(QString::fromLatin1(writer.code), records, inLocale(locale));
            ASSERT_TRUE(run.result);
            EXPECT_TRUE(matchesGolden(run.bytes, golden(writer, locale)));
        }
    }
}

TEST(WriterGolden, SortedWritersGroupByWholeDateValue)
{
    // Ties keep their order; a year boundary sorts as a date, not as text.
    const QStringList lines = {
        payment(QStringLiteral("2014/03/05"), QStringLiteral("A"), QStringLiteral("1")),
        payment(QStringLiteral("2014/03/03"), QStringLiteral("B"), QStringLiteral("2")),
        payment(QStringLiteral("2014/03/05"), QStringLiteral("C"), QStringLiteral("3")),
        payment(QStringLiteral("2014/03/04"), QStringLiteral("D"), QStringLiteral("4")),
        payment(QStringLiteral("2014/03/03"), QStringLiteral("E"), QStringLiteral("5")),
        payment(QStringLiteral("2015/01/02"), QStringLiteral("F"), QStringLiteral("6")),
        payment(QStringLiteral("2013/12/31"), QStringLiteral("G"), QStringLiteral("7")),
    };
    // The same day at different times of day makes different groups under one printed date.
    const QList<RecordSpec> timed = {
        {at(25, 10), QStringLiteral("A at 10:00")}, {at(25, 9), QStringLiteral("B at 09:00")},
        {at(25, 0), QStringLiteral("C at 00:00")},  {at(24, 12), QStringLiteral("D on the 24th")},
        {at(25, 9), QStringLiteral("E at 09:00")},
    };
    for (const WriterFile& writer : kWriters) {
        if (QLatin1String(writer.code) != QLatin1String("02") && QLatin1String(writer.code) != QLatin1String("06"))
            continue;
        SCOPED_TRACE(writer.code);
        Harness harness;
        const QString output = harness.path(QStringLiteral("out.txt"));
        ASSERT_TRUE(harness.convert(QString::fromLatin1(writer.code), harness.writePayments(lines), output));
        EXPECT_TRUE(matchesGolden(readBytes(output), golden(writer, "dates")));
        const WriterRun run = runWriter(QString::fromLatin1(writer.code), timed);
        ASSERT_TRUE(run.result);
        EXPECT_TRUE(matchesGolden(run.bytes, golden(writer, "timeofday")));
    }
}

TEST(WriterFrame, StatusTextsInOrderAndTheFileClosedWhereTheWriterCloses)
{
    const QStringList import = {QStringLiteral("Reading the Kaprin File..."), QStringLiteral("Importing Kaprin File..."),
                                QStringLiteral("Kaprin File Import Complete...")};
    for (const WriterFile& writer : kWriters) {
        SCOPED_TRACE(writer.code);
        Harness harness;
        const QString output = harness.path(QStringLiteral("out.txt"));
        QByteArray atClosingStatus;
        QObject::connect(&harness.converter(), &KNExport::Status, [&](const QString& text) {
            if (text == QLatin1String("Closing the file..."))
                atClosingStatus = readBytes(output);
        });
        ASSERT_TRUE(harness.convert(QString::fromLatin1(writer.code), examplePaymentFile(), output));
        const QStringList writerStatus = {QString::fromLatin1(writer.firstStatus), QStringLiteral("Opening the Export File..."),
                                          QStringLiteral("Processing transactions..."), QStringLiteral("Closing the file..."),
                                          QStringLiteral("<ProcessComplete>")};
        EXPECT_EQ(harness.events, import + writerStatus);
        // Lines are buffered until the close, so only a writer that closes first shows them all.
        if (writer.closesBeforeClosingStatus)
            EXPECT_EQ(atClosingStatus, readBytes(output));
        else
            EXPECT_LT(atClosingStatus.size(), readBytes(output).size());
    }
}

namespace {

RecordSpec paidTo(const QString& payee)
{
    RecordSpec record;
    record.payee = payee;
    return record;
}

RecordSpec ledger(const QString& account)
{
    RecordSpec record;
    record.ledger = account;
    return record;
}

QList<RecordSpec> repeated(int count, const RecordSpec& record = {})
{
    return QList<RecordSpec>(count, record);
}

} // namespace

TEST(QuickBooksWriter, ExchangeAdjustmentIsTheFirstEightCharactersInAnyCase)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // payee, NAME, MEMO
        {"EXCH ADJ USD 1.3120", "EXCHANGE ADJUSTMENT", "USD 1.3120"},
        {"exch adj EUR", "EXCHANGE ADJUSTMENT", "EUR"},
        {"Exch Adj", "EXCHANGE ADJUSTMENT", ""},
        {"EXCH ADJ ", "EXCHANGE ADJUSTMENT", ""},
        {"EXCH ADJX  GBP ", "EXCHANGE ADJUSTMENT", "GBP"}, // the ninth character is dropped
        {"EXCH AD", "EXCH AD", "Electricity"},
        {"E", "E", "Electricity"},
        {"", "", "Electricity"},
        {"EXCHANGE RATE CO", "EXCHANGE RATE CO", "Electricity"},
        {" EXCH ADJ", " EXCH ADJ", "Electricity"}, // an ordinary payee keeps its blanks
    };
    for (auto [payee, name, memo] : cases) {
        SCOPED_TRACE(payee);
        const QStringList lines = outputLines(runWriter(QStringLiteral("02"), {paidTo(QString::fromLatin1(payee))}).bytes);
        ASSERT_EQ(lines.size(), 6);
        const QStringList split = lines[4].split(u'\t');
        ASSERT_EQ(split.size(), 10);
        EXPECT_EQ(split[8], QLatin1String(name));
        EXPECT_EQ(split[9], QLatin1String(memo));
    }
}

TEST(QuickBooksWriter, AFirstPaymentOnTheStartDateOpensNoTransactionRow)
{
    RecordSpec first = paidTo(QStringLiteral("A"));
    first.date = CalDate::fromYmd(1900, 1, 1);
    RecordSpec second = paidTo(QStringLiteral("B"));
    second.date = CalDate::fromYmd(1900, 1, 2);
    const QStringList lines = outputLines(runWriter(QStringLiteral("02"), {first, second}).bytes);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_TRUE(lines[3].startsWith(QLatin1String("SPL\t")));
    EXPECT_EQ(lines[4], QLatin1String("ENDTRNS"));
    EXPECT_EQ(lines[5], QLatin1String("TRNS\t\tGENERAL JOURNAL\t01/02/00\tKaprin\t\t0"));
}

TEST(TextWriters, FieldsAreWrittenUnescaped)
{
    // A TAB in a payee shifts the columns of the tab-separated files by one.
    const std::tuple<const char*, int, int> cases[] = {{"02", 4, 10}, {"14", 1, 6}, {"15", 0, 8}};
    for (auto [code, line, tabs] : cases) {
        SCOPED_TRACE(code);
        const QStringList lines = outputLines(runWriter(QString::fromLatin1(code), {paidTo(QStringLiteral("Tab\tbed"))}).bytes);
        ASSERT_GT(lines.size(), line);
        EXPECT_EQ(lines[line].count(u'\t'), tabs);
    }
    // A quote inside a quoted field stays single.
    const QStringList simply = outputLines(runWriter(QStringLiteral("03"), {paidTo(QStringLiteral("Joe \"Best\", Inc."))}).bytes);
    EXPECT_EQ(simply.value(0), QStringLiteral("08-25-14,\"KPN\",\"Joe \"Best\", Inc.\""));
}

TEST(QifWriters, PayeesBeginningWithBankInAnyCaseAreLeftOut)
{
    const QStringList leftOut = {QStringLiteral("Bank charges"), QStringLiteral("BANKWEST"), QStringLiteral("bank"),
                                 QStringLiteral("bAnK"), QStringLiteral("BANKS")};
    const QStringList written = {QStringLiteral("BAN"),   QStringLiteral("BA"), QStringLiteral("B"),
                                 QStringLiteral("Banff Hotel"), QStringLiteral(" Bank"), QString(),
                                 QStringLiteral("Pay ^ bank, now")};
    QList<RecordSpec> records;
    for (const QString& payee : leftOut + written)
        records << paidTo(payee);
    for (const char* code : {"07", "09", "10"}) {
        SCOPED_TRACE(code);
        QStringList payees;
        const QStringList lines = outputLines(runWriter(QString::fromLatin1(code), records).bytes);
        for (const QString& line : lines) {
            if (line.startsWith(u'P'))
                payees << line.mid(1);
        }
        EXPECT_EQ(payees, written);
        EXPECT_EQ(lines.size(), 1 + 6 * written.size());

        QList<RecordSpec> onlyBank;
        for (const QString& payee : leftOut)
            onlyBank << paidTo(payee);
        EXPECT_EQ(outputLines(runWriter(QString::fromLatin1(code), onlyBank).bytes), QStringList{QStringLiteral("!Type:Bank")});
    }
}

TEST(QifWriters, MemoReferenceFromTheSessionOrTheFileName)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // code, export file name, memo line
        {"09", "GLEXP20140305.qif", "Mref#20140305"},
        {"10", "GLEXP20140305.qif", "Mref#20140305"},
        {"10", "ABCDE.qif", "Mref#"},
        {"10", "ABCDEF.qif", "Mref#F"},
        {"10", "short", "Mref#"},
        {"10", "GLEXP2014.03.qif", "Mref#2014.03"}, // only the final extension goes
        {"07", "GLEXP20140305.qif", "Mref# 12"},    // the session number keeps its blank
    };
    for (auto [code, fileName, memo] : cases) {
        SCOPED_TRACE(std::string(code) + " " + fileName);
        WriterSetup setup;
        setup.fileName = QString::fromLatin1(fileName);
        setup.header.sessionNumber = QStringLiteral(" 12");
        EXPECT_EQ(outputLines(runWriter(QString::fromLatin1(code), {RecordSpec{}}, setup).bytes).value(4), QLatin1String(memo));
    }
}

TEST(SimplyWriter, CurrencySuffixUnlessTheCodeIsExactlyCAD)
{
    const std::pair<const char*, const char*> cases[] = {
        {"CAD", ""}, {"", ""}, {"   ", ""}, {"cad", ",cad,1"}, {" usd ", ",usd,1"}, {"EURO", ",EUR,1"}, {"CA", ",CA,1"},
    };
    for (auto [currency, suffix] : cases) {
        SCOPED_TRACE(currency);
        Harness harness;
        const QString output = harness.path(QStringLiteral("out.txt"));
        ASSERT_TRUE(harness.convert(QStringLiteral("03"), harness.writePayments({paymentLine({})}), output,
                                    QStringLiteral("Simply"), QString::fromLatin1(currency)));
        EXPECT_EQ(outputLines(readBytes(output)).value(0), QStringLiteral("08-25-14,\"KPN\",\"City Hydro\"") + QLatin1String(suffix));
    }
}

TEST(PeachtreeWriter, CutsTrimsAndCountsInPlaceOfEveryDistPlaceholder)
{
    RecordSpec first;
    first.purpose = QStringLiteral("  Rent for March and April"); // cut to 20, then trimmed
    first.ledger = QStringLiteral("5100 200       XYZ");         // cut to 15, blanks kept
    first.amount = QStringLiteral("40");
    RecordSpec second;
    second.purpose = QStringLiteral("{DIST} lines");
    second.payee = QStringLiteral("Pay {DIST}");
    second.ledger = QStringLiteral("5200");
    second.amount = QStringLiteral("-12.75");
    EXPECT_EQ(outputLines(runWriter(QStringLiteral("06"), {first, second}).bytes),
              (QStringList{QStringLiteral("08/25/14,\"Rent for March and\",,2,\"5100 200       \",\"City Hydro\",40,,FALSE"),
                           QStringLiteral("08/25/14,\"2 lines\",,2,\"5200\",\"Pay 2\",-12.75,,FALSE")}));
}

TEST(SegmentedAccounts, EachWriterCutsTheLedgerAccountAtBarsItsOwnWay)
{
    struct Case {
        const char* account;
        const char* jonas; // the first three fields, or null when the record is left out
        const char* adagio;
        const char* accpac;
    };
    const Case cases[] = {
        {"A|B|C", "A\tB\tC", "\"A\", \"B\", \"C\"", "\"A\", \"B|C\""},
        {"|B|", "\tB\t", "\"\", \"B\", \"APBP\"", "\"\", \"B|\""},
        {"A|B|C|D", "A\tB\tC|D", "\"A\", \"B\", \"C\"", "\"A\", \"B|C|D\""},
        {"||", "\t\t", "\"\", \"\", \"APBP\"", "\"\", \"|\""},
        {" 4000|20|XY ", " 4000\t20\tXY ", "\"4000\", \"20\", \"XY\"", "\"4000\", \"20|XY\""},
        {"A|B", nullptr, "\"A\", \"B\", \"APBP\"", "\"A\", \"B\""},
        {"4000|", nullptr, "\"4000\", \"\", \"APBP\"", "\"4000\", \"\""},
        {" 5100 ", nullptr, "\"5100\", \"\", \"APBP\"", "\"5100\", \"\""},
        {"", nullptr, "\"\", \"\", \"APBP\"", "\"\", \"\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.account);
        const QList<RecordSpec> records = {ledger(QString::fromLatin1(c.account))};
        const QStringList jonas = outputLines(runWriter(QStringLiteral("15"), records).bytes);
        if (c.jonas == nullptr)
            EXPECT_TRUE(jonas.isEmpty());
        else
            EXPECT_TRUE(jonas.value(0).startsWith(QLatin1String(c.jonas) + u'\t')) << jonas.value(0).toStdString();
        const QString adagio = outputLines(runWriter(QStringLiteral("12"), records).bytes).value(0);
        EXPECT_TRUE(adagio.startsWith(QStringLiteral("\"E\",1,\"20140825\",0,") + QLatin1String(c.adagio) + QStringLiteral(", \"042\"")))
            << adagio.toStdString();
        const QString accpac = outputLines(runWriter(QStringLiteral("11"), records).bytes).value(0);
        EXPECT_TRUE(accpac.startsWith(QStringLiteral("\"E\",1,\"140825\",0,") + QLatin1String(c.accpac) + QStringLiteral(", \"IMKN\"")))
            << accpac.toStdString();
    }
}

TEST(JonasWriter, ReferenceTestsTheUntrimmedInvoiceNumber)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"INV-7 ", "March", "INV-7"}, {"", "  March ", "March"}, {"   ", "March", ""}, {" INV-8", "", "INV-8"},
    };
    for (auto [invoice, purpose, reference] : cases) {
        SCOPED_TRACE(invoice);
        RecordSpec record = ledger(QStringLiteral("A|B|C, the details"));
        record.invoice = QString::fromLatin1(invoice);
        record.purpose = QString::fromLatin1(purpose);
        record.amount = QStringLiteral("-3.5");
        EXPECT_EQ(outputLines(runWriter(QStringLiteral("15"), {record}).bytes).value(0),
                  QStringLiteral("A\tB\tC\tthe details\t08/25/2014\t-3.5\t") + QLatin1String(reference) + QStringLiteral("\tCity Hydro"));
    }
}

TEST(TroniaWriter, JournalNumberFromTheSessionNumber)
{
    const std::pair<const char*, const char*> cases[] = {
        {"042", "04200001"}, {"7  ", "00700001"}, {" 12", "01200001"}, {"ABC", "ABC00001"}, {"   ", "   00001"},
    };
    for (auto [session, journal] : cases) {
        SCOPED_TRACE(session);
        WriterSetup setup;
        setup.header.sessionNumber = QString::fromLatin1(session);
        EXPECT_TRUE(outputLines(runWriter(QStringLiteral("14"), {RecordSpec{}}, setup).bytes).value(1).startsWith(QLatin1String(journal) + u'\t'));
    }
}

TEST(Counters, SixteenBitCountersStopAt32767)
{
    RecordSpec zero;
    zero.amount = QStringLiteral("0");
    // Zero amounts use no line number, so 32767 written lines fit among more records.
    const WriterRun custom = runWriter(QStringLiteral("13"), repeated(32767) + repeated(3, zero));
    ASSERT_TRUE(custom.result);
    EXPECT_TRUE(outputLines(custom.bytes).last().startsWith(QLatin1String("\"E\",32767,")));

    const WriterRun tronia = runWriter(QStringLiteral("14"), repeated(32767));
    ASSERT_TRUE(tronia.result);
    EXPECT_TRUE(outputLines(tronia.bytes).last().startsWith(QLatin1String("04232767\t")));

    const WriterRun peachtree = runWriter(QStringLiteral("06"), repeated(32767));
    ASSERT_TRUE(peachtree.result);
    EXPECT_TRUE(outputLines(peachtree.bytes).last().contains(QLatin1String(",,32767,")));

    // One more fails with Overflow; the lines written before stay, an entry still collected is lost.
    const std::tuple<const char*, const char*, int> overflows[] = {
        {"13", "KNExport.ProcessCustom", 32767},
        {"14", "KNExport.ProcessTronia", 1 + 32767},
        {"06", "KNExport.ProcessPeachtree", 0},
        {"02", "KNExport.ProcessQuickBooks1999", 3},
    };
    for (auto [code, source, linesLeft] : overflows) {
        SCOPED_TRACE(code);
        const WriterRun run = runWriter(QString::fromLatin1(code), repeated(32768));
        ASSERT_TRUE(run.failure.has_value());
        EXPECT_EQ(run.failure->number(), 6);
        EXPECT_EQ(run.failure->description(), QLatin1String("Overflow"));
        EXPECT_EQ(run.failure->source(), QLatin1String(source));
        EXPECT_EQ(outputLines(run.bytes).size(), linesLeft);
    }
}

namespace {

// Limits the size of files this process writes, as a full disk would; restored on leaving.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
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
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

} // namespace

TEST(WriterFailures, FailWithTheWritersSourceAndKeepWhatWasWritten)
{
    for (const WriterFile& writer : kWriters) {
        SCOPED_TRACE(writer.code);
        const QString code = QString::fromLatin1(writer.code);
        const QString source = QStringLiteral("KNExport.") + QLatin1String(writer.name);
        Harness harness;
        // The same file name in two folders, as the Quicken memo refers to it.
        QDir(harness.path({})).mkpath(QStringLiteral("complete"));
        QDir(harness.path({})).mkpath(QStringLiteral("partial"));
        const QString complete = harness.path(QStringLiteral("complete/GLEXP20140902.txt"));
        ASSERT_TRUE(harness.convert(code, examplePaymentFile(), complete));
        const QByteArray full = readBytes(complete);

        const std::pair<QString, int> unwritable[] = {
            {harness.path(QStringLiteral("no such folder/out.txt")), 76},
            {complete + QStringLiteral("/out.txt"), 76},
            {harness.path(QString()), 75}, // a folder where the file should be
        };
        for (const auto& [output, number] : unwritable) {
            EXPECT_FALSE(harness.convert(code, examplePaymentFile(), output));
            ASSERT_TRUE(harness.failure.has_value());
            EXPECT_EQ(harness.failure->number(), number) << output.toStdString();
            EXPECT_EQ(harness.failure->source(), source);
            EXPECT_FALSE(harness.events.contains(QStringLiteral("<ProcessComplete>")));
        }

        const QString partial = harness.path(QStringLiteral("partial/GLEXP20140902.txt"));
        {
            const FileSizeLimit diskFull(rlim_t(full.size() / 2));
            EXPECT_FALSE(harness.convert(code, examplePaymentFile(), partial));
        }
        ASSERT_TRUE(harness.failure.has_value());
        EXPECT_EQ(harness.failure->number(), 61);
        EXPECT_EQ(harness.failure->source(), source);
        EXPECT_EQ(readBytes(partial), full.left(full.size() / 2));
    }
}

TEST(WriterFailures, ReadOnlyFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    Harness harness;
    const QString folder = harness.path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(harness.convert(QStringLiteral("02"), examplePaymentFile(), folder + QStringLiteral("/out.iif")));
    ASSERT_TRUE(harness.failure.has_value());
    EXPECT_EQ(harness.failure->number(), 75);
    EXPECT_EQ(harness.failure->source(), QLatin1String("KNExport.ProcessQuickBooks1999"));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(WriterHelpers, SegmentsQuotesAndNumericText)
{
    EXPECT_EQ(splitSegments(u"A|B|C", u'|', 2), (QStringList{QStringLiteral("A"), QStringLiteral("B|C")}));
    EXPECT_EQ(splitSegments(u"A||", u'|', 4), (QStringList{QStringLiteral("A"), QString(), QString()}));
    EXPECT_EQ(splitSegments(u"", u'|', 3), QStringList{QString()});
    EXPECT_EQ(quoted(u"say \"hi\""), QStringLiteral("\"say \"hi\"\""));
    const auto regional = RegionalSettings::named(QStringLiteral("fr_CA"));
    EXPECT_EQ(formatNumericText(QStringLiteral("7"), u"000", regional), QStringLiteral("007"));
    EXPECT_EQ(formatNumericText(QStringLiteral("1,5"), u"000", regional), QStringLiteral("002"));
    EXPECT_EQ(formatNumericText(QStringLiteral("1.5"), u"000", regional), QStringLiteral("1.5"));
    EXPECT_EQ(formatNumericText(QStringLiteral("12345"), u"000", regional), QStringLiteral("12345"));
}
