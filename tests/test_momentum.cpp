// The Momentum writer; the frame's failures are tested with every writer in test_writers.
#include "testsupport.h"

#include <gtest/gtest.h>

using namespace kn;
using namespace kn::testing;

namespace {

const QStringList kFrameEvents = {"Reading the Kaprin File...", "Importing Kaprin File...", "Kaprin File Import Complete...",
                                  "Processing Momentum", "Opening the Export File...", "Processing transactions...",
                                  "Closing the file...", "<ProcessComplete>"};

QString momentumLine(const QString& ledger, const QString& amount, const QString& payee = QStringLiteral("City Hydro"))
{
    Payment p;
    p.date = QStringLiteral("2014/03/05");
    p.payee = payee;
    p.ledger = ledger;
    p.amount = amount;
    return paymentLine(p);
}

} // namespace

TEST(Momentum, ExamplePaymentFileGolden)
{
    Harness h;
    const QString output = h.path(QStringLiteral("MOMGL.txt"));
    ASSERT_TRUE(h.convert(QStringLiteral("05"), QStringLiteral(KN_EXAMPLES_DIR "/payments.txt"), output));
    EXPECT_EQ(h.events, kFrameEvents);
    EXPECT_EQ(readBytes(output), readBytes(dataPath(QStringLiteral("momentum_example.txt"))));
}

TEST(Momentum, AmountsUseTheRegionalDecimalSeparator)
{
    // Under a region whose decimal separator is ",", the payment file's commas are removed before
    // the amount is read, so only whole amounts can be given there.
    for (const char* locale : {"de_DE", "fr_CA"}) {
        Harness h(QString::fromLatin1(locale));
        const QString output = h.path(QStringLiteral("out.txt"));
        ASSERT_TRUE(h.convert(QStringLiteral("05"),
                              h.writePayments({momentumLine(QStringLiteral("5100-10"), QStringLiteral("1,250")),
                                               momentumLine(QStringLiteral("5100"), QStringLiteral("-40"))}),
                              output));
        EXPECT_EQ(readBytes(output), crlfLines({"05032014,1250,00,City Hydro,5100,10,,", "05032014,-40,00,City Hydro,5100,,,"}))
            << locale;
    }
}

TEST(Momentum, LedgerSegmentsPayeeAndAmount)
{
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"5100-10", "125", "City Hydro", "05032014,125.00,City Hydro,5100,10,,"},
        {"5100", "125", "City Hydro", "05032014,125.00,City Hydro,5100,,,"},
        {"", "125", "City Hydro", "05032014,125.00,City Hydro,,,,"},
        {"1-2-3-4-5", "125", "City Hydro", "05032014,125.00,City Hydro,1,2,3,4,5"},
        {"5100,200", "125", "City Hydro", "05032014,125.00,City Hydro,5100,,,"}, // the import keeps what precedes the comma
        {"5100", "-40", "Smith, Jones & Co", "05032014,-40.00,Smith Jones & Co,5100,,,"},
        {"5100", "0.5", "A,B,C,D,E,F,G,H,I,J,K,L,M,N,OPQRS", "05032014,0.50,ABCDEFGHIJKLMNOP,5100,,,"},
        {"5100", "0.125", "x", "05032014,0.13,x,5100,,,"},
        {"5100", "-0.125", "x", "05032014,-0.13,x,5100,,,"},
        {"5100", "0.0049", "x", "05032014,0.00,x,5100,,,"},
    };
    Harness h;
    QStringList lines;
    QStringList expected;
    for (auto [ledger, amount, payee, want] : cases) {
        lines << momentumLine(QString::fromLatin1(ledger), QString::fromLatin1(amount), QString::fromLatin1(payee));
        expected << QString::fromLatin1(want);
    }
    lines << momentumLine(QStringLiteral("9999"), QStringLiteral("0.00"));
    const QString output = h.path(QStringLiteral("out.txt"));
    ASSERT_TRUE(h.convert(QStringLiteral("05"), h.writePayments(lines), output));
    EXPECT_EQ(readBytes(output), crlfLines(expected));
}

TEST(Momentum, OnlyZeroAmountsGiveAnEmptyFileThatReplacesTheOldOne)
{
    Harness h;
    const QString output = h.path(QStringLiteral("out.txt"));
    writeBytes(output, "old content that must go\r\n");
    ASSERT_TRUE(h.convert(QStringLiteral("05"), h.writePayments({momentumLine(QStringLiteral("1"), QStringLiteral("0"))}), output));
    EXPECT_TRUE(QFile::exists(output));
    EXPECT_EQ(readBytes(output), QByteArray());
}
