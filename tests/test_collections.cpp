// TransRecords: positions, keys, FindAPBank and SortByDate.
#include "core/knerror.h"
#include "core/transrecords.h"

#include "testsupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace kn;
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
        text += record->PaidTo;
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
    add(records, CalDate(1), QStringLiteral("A"), 1, QStringLiteral("a"));
    add(records, CalDate(2), QStringLiteral("B"));
    add(records, CalDate(3), QStringLiteral("C"), 1, QStringLiteral("c"));
    EXPECT_EQ(records.Count(), 3);
    EXPECT_EQ(records.Item(2)->PaidTo, QStringLiteral("B"));
    EXPECT_EQ(records.Item(QStringLiteral("c"))->PaidTo, QStringLiteral("C"));
    EXPECT_EQ(errorNumber([&] { add(records, CalDate(4), QStringLiteral("D"), 1, QStringLiteral("a")); }), 457);
    EXPECT_EQ(records.Count(), 3);

    records.Remove(QStringLiteral("a"));
    EXPECT_EQ(payees(records), QStringLiteral("BC"));
    EXPECT_EQ(records.Item(1)->PaidTo, QStringLiteral("B"));
    records.Remove(2);
    EXPECT_EQ(payees(records), QStringLiteral("B"));

    for (const QVariant& bad : {QVariant(0), QVariant(2), QVariant(-1), QVariant(QString()), QVariant(QStringLiteral("a")),
                                QVariant(QStringLiteral("c"))})
        EXPECT_EQ(errorNumber([&] { (void)records.Item(bad); }), 5) << bad.toString().toStdString();
    // A key can be used again once its record is gone.
    add(records, CalDate(5), QStringLiteral("E"), 1, QStringLiteral("a"));
    EXPECT_EQ(records.Item(QStringLiteral("a"))->PaidTo, QStringLiteral("E"));

    records.Clear();
    EXPECT_EQ(records.Count(), 0);
    records.Clear();
    EXPECT_EQ(records.Count(), 0);
}

TEST(TransRecords, AddTakesTheDateFirstAndInvoiceBeforePurpose)
{
    TransRecords records;
    const auto record = records.Add(CalDate(41876), QStringLiteral("acct"), QStringLiteral("payee"), QStringLiteral("gl"),
                                    QStringLiteral("details"), Money::fromUnits(5), QStringLiteral("inv"),
                                    QStringLiteral("for"), QStringLiteral("full"));
    EXPECT_EQ(record->TransDate, CalDate(41876));
    EXPECT_EQ(record->InvoiceNo, QStringLiteral("inv"));
    EXPECT_EQ(record->PaymentFor, QStringLiteral("for"));
    EXPECT_EQ(record->GLAccount_Full, QStringLiteral("full"));
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
            ASSERT_EQ(records.Item(position)->PaidTo, QString::number(want.id)) << "round " << round;
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

TEST(TransRecordBlocks, KeptRecordsOutliveTheCollectionAndTheirBlocks)
{
    TransRecordPtr first, last;
    {
        TransRecords records;
        TransRecordBlocks blocks;
        const std::size_t count = TransRecordBlocks::RecordsPerBlock * 2 + 1;
        for (std::size_t i = 0; i < count; ++i) {
            TransRecordPtr record = blocks.make();
            record->PaidTo = QString::number(i);
            records.Append(record);
        }
        first = records.Item(1);
        last = records.Item(int(count));
        records.Clear();
    }
    EXPECT_EQ(first->PaidTo, QStringLiteral("0"));
    EXPECT_EQ(last->PaidTo, QString::number(TransRecordBlocks::RecordsPerBlock * 2));
    const QString kept = last->PaidTo;
    last.reset();
    EXPECT_EQ(kept, QString::number(TransRecordBlocks::RecordsPerBlock * 2));
}
