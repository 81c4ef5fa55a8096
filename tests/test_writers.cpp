// The text writers: each package's exact bytes (golden files under tests/data), and the rules that
// writers of this kind get wrong: sorting and grouping by date, prefixes that change a line,
// segments of the ledger account, rounding, regional separators, counters at their limits,
// and failures part-way through.
#include "testsupport.h"

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
};

const WriterFile kWriters[] = {
    {"02", "quickbooks", "iif", "Processing QuickBooks 1999+", false},
    {"03", "simply", "txt", "Processing Simply Accounting 8.5+", false},
    {"06", "peachtree", "csv", "Processing Peachtree", false},
    {"07", "money", "qif", "Processing Money", false},
    {"09", "quicken5", "qif", "Processing Quicken", false},
    {"10", "quicken6", "qif", "Processing Quicken", false},
    {"11", "accpacdos", "txt", "Processing AccPac Plus (DOS Version)...", true},
    {"12", "adagio", "txt", "Processing Adagio", true},
    {"13", "custom", "csv", "Processing Custom format...", true},
    {"14", "tronia", "txt", "Processing Tronia format...", true},
    {"15", "jonas", "txt", "Processing Jonas format...", true},
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
