// TransRecords' exchange sort, the store of the records' texts and the payment file reader.
// Positions, keys, FindAPBank and the sort's limit are in objectmodel/test_objectmodel.cpp.
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

// The exchange sort as the collection has always done it: C passes of neighbour exchanges, each
// exchange removing the later record and inserting it again, without its key, one place earlier.
struct Exchanged {
    CalDate date;
    int id;
    bool keyed;
};
std::vector<Exchanged> exchangeSort(std::vector<Exchanged> items)
{
    for (std::size_t pass = 0; pass < items.size(); ++pass)
        for (std::size_t j = 0; j + 1 < items.size(); ++j)
            if (items[j + 1].date < items[j].date) {
                items[j + 1].keyed = false;
                std::swap(items[j], items[j + 1]);
            }
    return items;
}

} // namespace

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

namespace {
// Reads a payment file held in memory; the records and the audit go where the test keeps them.
void readFile(const QByteArray& bytes, TransRecords& records, ConversionAudit& audit,
              const QString& page = u"windows-1252"_s, const QString& region = u"en_US"_s)
{
    const CodePage codePage(page);
    const RegionalSettings regional = RegionalSettings::named(region);
    PaymentFileReader reader(codePage, regional, records, audit);
    TextFileReader file(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    readPaymentFile(file, reader);
}

QByteArray latin1File(const QStringList& lines, const char* end = "\r\n")
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + end;
    return bytes;
}
} // namespace

// The import's records share one store of their texts: a record a host keeps, or a copy of one,
// reads its texts after the collection is cleared and the reader is gone, in every chunk of it,
// and may change them.
TEST(TransRecordStore, KeptRecordsAndCopiesOutliveTheCollectionAndTheReaderAndChange)
{
    TransRecordPtr first, last;
    TransRecord copied;
    {
        QStringList lines{payments::headerLine()};
        for (int i = 0; i < 3000; ++i)
            lines << payments::paymentLine({.payee = QString::number(i), .ledger = u"5100-"_s + QString::number(i) + u", d\u00E9tails"_s,
                                  .purpose = u"For "_s + QString::number(i)});
        TransRecords records;
        ConversionAudit audit;
        readFile(latin1File(lines), records, audit);
        ASSERT_EQ(records.Count(), 3000);
        first = records.Item(1);
        last = records.Item(3000);
        copied = *records.Item(4);
        records.Clear();
    }
    EXPECT_EQ(first->PaidTo(), u"0"_s);
    EXPECT_EQ(first->GLAccount(), u"5100-0"_s);
    EXPECT_EQ(last->GLAccount_Full(), u"5100-2999, d\u00E9tails"_s);
    EXPECT_EQ(last->GLDetails(), u"d\u00E9tails"_s);
    EXPECT_EQ(last->PaymentFor(), u"For 2999"_s);
    EXPECT_EQ(last->PaymentFileLine, 3001);
    // Changing one text, to one cut from itself or to one of any length, keeps the others.
    const QString longText(70000, u'x');
    last->setGLAccount_Full(u"6100");
    last->setText(RecordText::PaidTo, last->text(RecordText::PaidTo).first(2));
    last->setInvoiceNo(u"INV-\u20AC");
    last->setPaymentFor(longText);
    EXPECT_EQ(last->GLAccount_Full(), u"6100"_s);
    EXPECT_EQ(last->GLAccount(), u"5100-2999"_s);
    EXPECT_EQ(last->GLDetails(), u"d\u00E9tails"_s);
    EXPECT_EQ(last->PaidTo(), u"29"_s);
    EXPECT_EQ(last->InvoiceNo(), u"INV-\u20AC"_s);
    EXPECT_EQ(last->PaymentFor(), longText);
    last.reset();
    first.reset();
    EXPECT_EQ(copied.PaidTo(), u"3"_s);
    EXPECT_EQ(copied.GLAccount(), u"5100-3"_s);
    EXPECT_EQ(copied.GLDetails(), u"d\u00E9tails"_s);
}

// A record's texts read as the page reads the file's bytes, whether they are kept as the bytes
// (they read as Latin-1 there) or decoded once (they do not).
TEST(TransRecordStore, TextsReadAsTheCodePageReadsThem)
{
    const std::tuple<const char*, QByteArray, QString> cases[] = {
        {"windows-1252", "Caf\xe9", u"Caf\u00e9"_s},
        {"windows-1252", "Euro \x80", u"Euro \u20ac"_s},
        {"ibm-850", "Caf\x82", u"Caf\u00e9"_s},
        {"windows-1250", "\xf5r", u"\u0151r"_s},
        {"ISO-8859-15", "\xa4", u"\u20ac"_s},
    };
    for (const auto& [page, payee, expected] : cases) {
        QByteArray line = payments::paymentLine({.payee = QString()}).toLatin1();
        line.replace(19, payee.size(), payee);
        TransRecords records;
        ConversionAudit audit;
        readFile(payments::headerLine().toLatin1() + "\r\n" + line, records, audit, QString::fromLatin1(page));
        ASSERT_EQ(records.Count(), 1) << page;
        EXPECT_EQ(records.Item(1)->PaidTo(), expected) << page;
        EXPECT_EQ(records.Item(1)->GLAccount(), u"5100"_s) << page;
    }
}

// The file's line ends, its lines past the header, and the one date reading that a run of equal
// date texts shares: a text that differs, or fails, is read on its own.
TEST(PaymentFileReader, ReadsLinesAndDatesFromTheBytes)
{
    const QString header = payments::headerLine();
    const QString a = payments::paymentLine({.date = u"2014/08/25"_s});
    const QString b = payments::paymentLine({.date = u"2014/08/26"_s});
    const QString bad = payments::paymentLine({.date = u"2014/08/32"_s});
    const std::tuple<QByteArray, int, int, int> cases[] = {
        // bytes, error number, records read, the date of the last record (days past 2014/08/24)
        {latin1File({header, a, a, b, a}), 0, 4, 1},
        {latin1File({header, a, b, a, b, a, b, a}, "\r"), 0, 7, 1},
        {latin1File({header, a, b, a, b, a, b}, "\n"), 0, 6, 2},
        {latin1File({header, a}) + b.toLatin1(), 0, 2, 2},
        {latin1File({header}), 0, 0, 0},
        {header.toLatin1(), 0, 0, 0},
        {latin1File({header, a, bad, a}), 13, 1, 1},
        {latin1File({header, a, QString(), a}), 13, 1, 1},
    };
    for (const auto& [bytes, error, count, lastDay] : cases) {
        SCOPED_TRACE(bytes.toStdString());
        TransRecords records;
        ConversionAudit audit;
        EXPECT_EQ(errorNumber([&] { readFile(bytes, records, audit); }), error);
        ASSERT_EQ(records.Count(), count);
        EXPECT_EQ(audit.paymentsRead, count);
        if (count > 0) {
            EXPECT_EQ(records.Item(count)->TransDate, CalDate::fromQDate(QDate(2014, 8, 24).addDays(lastDay)));
        }
    }
}
