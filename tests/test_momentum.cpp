// The Momentum writer; the frame's failures are tested with every writer in test_writers.
#include "testsupport.h"

#include <gtest/gtest.h>

using namespace kn;
using namespace kn::testing;

namespace {

const QStringList kFrameEvents = {"Reading the Kaprin File...", "Importing Kaprin File...", "Kaprin File Import Complete...",
                                  "Processing Momentum", "Opening the Export File...", "Processing transactions...",
                                  "Closing the file...", "<ProcessComplete>"};

QString momentumLine(const QString& ledger, const QString& amount, const QString& payee)
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

// Under a region whose decimal separator is ",", the payment file's commas are removed before the
// amount is read, so only whole amounts can be given there. Each region's file replaces an old one,
// and one of nothing but zero amounts is empty.
TEST(Momentum, LedgerSegmentsPayeeAndAmountUnderEachRegion)
{
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
        {"en_US", "5100-10", "125", "City Hydro", "05032014,125.00,City Hydro,5100,10,,"},
        {"en_US", "5100", "125", "City Hydro", "05032014,125.00,City Hydro,5100,,,"},
        {"en_US", "", "125", "City Hydro", "05032014,125.00,City Hydro,,,,"},
        {"en_US", "1-2-3-4-5", "125", "City Hydro", "05032014,125.00,City Hydro,1,2,3,4,5"},
        // the import keeps what precedes the comma
        {"en_US", "5100,200", "125", "City Hydro", "05032014,125.00,City Hydro,5100,,,"},
        {"en_US", "5100", "-40", "Smith, Jones & Co", "05032014,-40.00,Smith Jones & Co,5100,,,"},
        {"en_US", "5100", "0.5", "A,B,C,D,E,F,G,H,I,J,K,L,M,N,OPQRS", "05032014,0.50,ABCDEFGHIJKLMNOP,5100,,,"},
        {"en_US", "5100", "0.125", "x", "05032014,0.13,x,5100,,,"},
        {"en_US", "5100", "-0.125", "x", "05032014,-0.13,x,5100,,,"},
        {"en_US", "5100", "0.0049", "x", "05032014,0.00,x,5100,,,"},
        {"en_US", "9999", "0.00", "City Hydro", nullptr}, // left out
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
            lines << momentumLine(QString::fromLatin1(ledger), QString::fromLatin1(amount), QString::fromLatin1(payee));
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
