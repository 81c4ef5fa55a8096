// TransRecords: positions, keys, FindAPBank and SortByDate.
#include "core/knerror.h"
#include "core/paymentfile.h"
#include "core/transrecords.h"

#include "testsupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace kn;
using namespace Qt::StringLiterals;
using kn::testing::errorNumber;

namespace {

TransRecordPtr add(TransRecords& records, CalDate date, const QString& payee, std::int64_t units = 10000,
                   const QString& key = {})
{
    return records.Add(date, {}, payee, {}, {}, Money::fromUnits(units), {}, {}, {}, key);
}

QString payees(const TransRecords& records)
{
    QString text;
    for (const auto& record : records)
        text += record->PaidTo();
    return text;
}

// The exchange sort as the collection has always done it: C passes of neighbour exchanges, each
// exchange removing the later record and inserting it again, without its key, one place earlier.
struct Exchanged {
    CalDate date;
    int id;
    bool keyed;
};
std::vector<Exchanged> exchangeSort(std::vector<Exchanged> items)
{
    for (std::size_t pass = 0; pass < items.size(); ++pass) {
        for (std::size_t j = 0; j + 1 < items.size(); ++j) {
            if (items[j + 1].date < items[j].date) {
                Exchanged moved = items[j + 1];
                moved.keyed = false;
                items.erase(items.begin() + std::ptrdiff_t(j + 1));
                items.insert(items.begin() + std::ptrdiff_t(j), moved);
            }
        }
    }
    return items;
}

} // namespace

TEST(TransRecords, PositionsKeysAndRemoval)
{
    TransRecords records;
    // Add takes the date first and the invoice before the purpose.
    const auto first = records.Add(CalDate(1), u"acct"_s, u"A"_s, u"gl"_s, u"details"_s, Money::fromUnits(5), u"inv"_s,
                                   u"for"_s, u"full"_s, u"a"_s);
    EXPECT_EQ(first->TransDate, CalDate(1));
    EXPECT_EQ(first->InvoiceNo() + first->PaymentFor() + first->GLAccount_Full(), u"invforfull"_s);
    add(records, CalDate(2), QStringLiteral("B"));
    add(records, CalDate(3), QStringLiteral("C"), 1, QStringLiteral("c"));
    EXPECT_EQ(records.Count(), 3);
    EXPECT_EQ(records.Item(2)->PaidTo(), QStringLiteral("B"));
    EXPECT_EQ(records.Item(QStringLiteral("c"))->PaidTo(), QStringLiteral("C"));
    EXPECT_EQ(errorNumber([&] { add(records, CalDate(4), QStringLiteral("D"), 1, QStringLiteral("a")); }), 457);
    EXPECT_EQ(records.Count(), 3);

    records.Remove(QStringLiteral("a"));
    EXPECT_EQ(payees(records), QStringLiteral("BC"));
    EXPECT_EQ(records.Item(1)->PaidTo(), QStringLiteral("B"));
    records.Remove(2);
    EXPECT_EQ(payees(records), QStringLiteral("B"));

    for (const QVariant& bad : {QVariant(0), QVariant(2), QVariant(-1), QVariant(QString()), QVariant(QStringLiteral("a")),
                                QVariant(QStringLiteral("c"))})
        EXPECT_EQ(errorNumber([&] { (void)records.Item(bad); }), 5) << bad.toString().toStdString();
    // A key can be used again once its record is gone.
    add(records, CalDate(5), QStringLiteral("E"), 1, QStringLiteral("a"));
    EXPECT_EQ(records.Item(QStringLiteral("a"))->PaidTo(), QStringLiteral("E"));

    records.Clear();
    EXPECT_EQ(records.Count(), 0);
    records.Clear();
    EXPECT_EQ(records.Count(), 0);
}

TEST(TransRecords, FindAPBank)
{
    const CalDate day(41876);
    TransRecords records;
    add(records, day, QStringLiteral("Acme"), 0);
    add(records, CalDate(41876.5), QStringLiteral("Acme"));
    const auto hardware = add(records, day, QStringLiteral("Acme Hardware"));
    const auto first = add(records, day, QStringLiteral("Acme"));
    add(records, day, QStringLiteral("Acme"));

    EXPECT_EQ(records.FindAPBank(QStringLiteral("paidto"), day, QStringLiteral("ACME")), first);
    EXPECT_EQ(records.FindAPBank(QStringLiteral("PaidTo"), day, QStringLiteral("ACME"), 4), hardware);
    EXPECT_EQ(records.FindAPBank(QStringLiteral("PAIDTO"), day, QStringLiteral("ACME HARDWARE"), 4), nullptr);
    EXPECT_EQ(records.FindAPBank(QStringLiteral("PAIDTO"), day, QStringLiteral("acme hardware"), -1), hardware);
    EXPECT_EQ(records.FindAPBank(QStringLiteral("GLACCOUNT"), day, QStringLiteral("ACME")), nullptr);
    EXPECT_EQ(records.FindAPBank(QStringLiteral("PAIDTO"), CalDate(41876.25), QStringLiteral("ACME")), nullptr);
}

TEST(TransRecords, SortByDateMatchesTheExchangeSortIncludingLostKeys)
{
    std::mt19937 random(20141205);
    for (int round = 0; round < 200; ++round) {
        const int size = std::uniform_int_distribution<int>(0, 40)(random);
        std::vector<Exchanged> reference;
        TransRecords records;
        for (int id = 0; id < size; ++id) {
            // Few distinct days and some time-of-day fractions make ties and near-ties common.
            const double day = std::uniform_int_distribution<int>(0, 6)(random) + 0.5 * std::uniform_int_distribution<int>(0, 1)(random);
            reference.push_back({CalDate(day), id, true});
            add(records, CalDate(day), QString::number(id), 1, QStringLiteral("k%1").arg(id));
        }
        records.SortByDate();
        const auto expected = exchangeSort(reference);
        ASSERT_EQ(records.Count(), size);
        for (int position = 1; position <= size; ++position) {
            const Exchanged& want = expected[std::size_t(position - 1)];
            ASSERT_EQ(records.Item(position)->PaidTo(), QString::number(want.id)) << "round " << round;
            const bool findable = errorNumber([&] { (void)records.Item(QStringLiteral("k%1").arg(want.id)); }) == 0;
            ASSERT_EQ(findable, want.keyed) << "round " << round << " id " << want.id;
        }
    }
}

TEST(TransRecords, SortByDateRefusesMoreThan32767Records)
{
    TransRecords records;
    for (int i = 0; i < 32767; ++i)
        add(records, CalDate(32767 - i), {});
    records.SortByDate();
    EXPECT_EQ(records.Item(1)->TransDate, CalDate(1));
    add(records, CalDate(0), {});
    EXPECT_EQ(errorNumber([&] { records.SortByDate(); }), 6);
}

TEST(TransRecordBlocks, KeptRecordsAndCopiesOutliveTheCollectionAndTheirBlocks)
{
    TransRecordPtr first, last;
    TransRecord copied;
    TextView viewOfKept;
    {
        TransRecords records;
        TransRecordBlocks blocks;
        // Enough records for several blocks; every seventh payee needs UTF-16, so texts of both
        // widths share the blocks.
        const std::size_t count = 40000;
        for (std::size_t i = 0; i < count; ++i) {
            const QString payee = QString::number(i) + (i % 7 == 3 ? u"\u20AC"_s : QString());
            const QString ledger = u"5100-"_s + payee + u", d\u00E9tails"_s;
            records.Append(blocks.make({u"100234", QStringView(payee), QStringView(ledger),
                                        QStringView(ledger).first(5 + payee.size()),
                                        QStringView(ledger).sliced(ledger.size() - 7), u"INV", u"For"},
                                       Money::fromWhole(1), CalDate(41876)));
        }
        first = records.Item(1);
        last = records.Item(int(count));
        copied = *records.Item(4);
        viewOfKept = last->text(RecordText::GLDetails);
        for (int i : {1, 3, 4, 5, 11, 39996})
            EXPECT_EQ(records.Item(i)->GLAccount(), u"5100-"_s + records.Item(i)->PaidTo()) << i;
        records.Clear();
    }
    const QString lastPayee = QString::number(39999);
    EXPECT_EQ(first->PaidTo(), u"0"_s);
    EXPECT_EQ(first->GLAccount(), u"5100-0"_s);
    EXPECT_EQ(last->GLAccount_Full(), u"5100-"_s + lastPayee + u", d\u00E9tails"_s);
    EXPECT_TRUE(viewOfKept.isLatin1());
    EXPECT_EQ(viewOfKept.toString(), u"d\u00E9tails"_s);
    const QString kept = last->PaidTo();
    last.reset();
    first.reset();
    EXPECT_EQ(kept, lastPayee);
    EXPECT_EQ(copied.PaidTo(), u"3\u20AC"_s);
    EXPECT_FALSE(copied.text(RecordText::GLDetails).isLatin1());
    EXPECT_EQ(copied.GLDetails(), u"d\u00E9tails"_s);
}

TEST(TransRecord, ChangingOneTextKeepsTheOthersEvenWhenTheyLayInsideIt)
{
    const QString ledger = u"5100|10, Hydro"_s;
    TransRecord record({u"100234", u"City Hydro", QStringView(ledger), QStringView(ledger).first(7), QStringView(ledger).sliced(9),
                        u"INV-1", u"Electricity"},
                       Money::fromWhole(125), CalDate(41876));
    record.setGLAccount_Full(u"6100");
    record.setText(RecordText::PaidTo, record.text(RecordText::PaidTo).first(4));
    // A text that needs UTF-16 turns the others to UTF-16 with it, and back.
    record.setInvoiceNo(u"INV-\u20AC");
    EXPECT_FALSE(record.text(RecordText::GLDetails).isLatin1());
    EXPECT_EQ(record.GLDetails(), u"Hydro"_s);
    record.setInvoiceNo(u"INV-1");
    EXPECT_TRUE(record.text(RecordText::GLAccount).isLatin1());
    EXPECT_EQ(record.GLAccount_Full(), u"6100"_s);
    EXPECT_EQ(record.GLAccount(), u"5100|10"_s);
    EXPECT_EQ(record.GLDetails(), u"Hydro"_s);
    EXPECT_EQ(record.PaidTo(), u"City"_s);
    EXPECT_EQ(record.InvoiceNo(), u"INV-1"_s);
    EXPECT_EQ(errorNumber([&] { record.setPaymentFor(QString(0x10000, u'x')); }), 6);
    EXPECT_EQ(record.PaymentFor(), u"Electricity"_s);
}

// A payment line is read with two shortcuts: a run of one date is converted once, whichever form
// the line comes in (as it stands in Latin-1, or decoded), and an amount as it stands is read
// without the general reading. Whatever was read before, each line must give what a reader of its
// own gives the decoded line, value or failure: dates in runs, changing and failing, and every shape
// of amount around the shortcut's limits.
TEST(PaymentLineReader, ShortcutsGiveWhatTheGeneralReadingGives)
{
    const char* const dates[] = {"2014/08/25", "2014/08/25", "2014/08/26", "2014/08/25",
                                 "2014/08/32", "2014/08/25", "2014/02/30", "08/25/2014"};
    const char* const amounts[] = {
        "125.00", "-2,000.00", "+.5", "-.5", "5.", ".", "-", "+-5", "- 5", "1 2", ", 5", "-,5", "5 , ",
        "1.2.3", "1.23456", "1.23455", "0.00005", "-0", "12345678901234.5", "123456789012345",
        "922337203685477.5807", "1,2,3,4", "1.2,3", "1,5", "00000000000001.9", "abc", "", "   ",
    };
    for (const char* region : {"en_US", "de_DE"}) {
        const auto regional = RegionalSettings::named(QString::fromLatin1(region));
        PaymentLineReader reader(regional);
        const auto readsAsTheGeneralReading = [&](const QString& line) {
            SCOPED_TRACE(::testing::Message() << region << " '" << line.toStdString() << "'");
            TransRecordPtr general;
            const int generalFailure = errorNumber([&] { general = PaymentLineReader(regional).read(line); });
            const QByteArray bytes = line.toLatin1();
            for (const bool asItStands : {true, false}) {
                TransRecordPtr read;
                EXPECT_EQ(errorNumber([&] { read = asItStands ? reader.read(QLatin1String(bytes)) : reader.read(line); }),
                          generalFailure);
                if (read && general) {
                    EXPECT_EQ(read->TransDate, general->TransDate);
                    EXPECT_EQ(read->Amount, general->Amount);
                }
            }
        };
        for (const char* date : dates)
            readsAsTheGeneralReading(payments::paymentLine({.date = QString::fromLatin1(date)}));
        for (const char* amount : amounts)
            readsAsTheGeneralReading(payments::paymentWith(u"5100"_s, QString::fromLatin1(amount)));
    }
}
