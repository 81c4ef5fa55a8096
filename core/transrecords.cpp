#include "transrecords.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <numeric>

namespace kn {

TransRecord::TransRecord(const Texts& texts, Money amount, CalDate transDate) : Amount(amount), TransDate(transDate)
{
    own(texts);
}

TransRecord::TransRecord(const TransRecord& other)
    : Amount(other.Amount), TransDate(other.TransDate), PaymentFileLine(other.PaymentFileLine)
{
    *this = other;
}

TransRecord& TransRecord::operator=(const TransRecord& other)
{
    if (this != &other) {
        Texts texts;
        for (std::size_t i = 0; i < RecordTextCount; ++i)
            texts[i] = other.text(RecordText(i));
        own(std::move(texts));
        Amount = other.Amount;
        TransDate = other.TransDate;
        PaymentFileLine = other.PaymentFileLine;
    }
    return *this;
}

void TransRecord::setText(RecordText which, QStringView value)
{
    Texts texts;
    for (std::size_t i = 0; i < RecordTextCount; ++i)
        texts[i] = text(RecordText(i));
    texts[std::size_t(which)] = value.toString();
    own(std::move(texts));
}

void TransRecord::own(Texts texts)
{
    owned_ = std::make_unique<Texts>(std::move(texts));
    bytes_ = "";
    fromPage_ = false;
}

struct TransRecordStore::Shared {
    // A deque never moves what it holds as it grows.
    std::deque<TransRecord> records;
    std::vector<std::unique_ptr<char[]>> chunks;
    std::size_t chunkUsed = 0;
};

namespace {
// The records' texts go in pieces of this size, each record's together.
constexpr std::size_t kChunkSize = std::size_t(1) << 16;
} // namespace

TransRecordStore::TransRecordStore() : shared_(std::make_shared<Shared>()) {}

TransRecordPtr TransRecordStore::add(const RecordBytes& texts, const CodePage& codePage, bool latin1,
                                     Money amount, CalDate transDate)
{
    Shared& shared = *shared_;
    TransRecord& record = shared.records.emplace_back();
    record.Amount = amount;
    record.TransDate = transDate;
    // The ledger's account and details lie within the ledger text: only where they start is kept.
    const std::string_view ledger = texts[std::size_t(RecordText::GLAccount_Full)];
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < RecordTextCount; ++i)
        bytes += texts[i].size();
    if (shared.chunks.empty() || shared.chunkUsed + bytes > kChunkSize) {
        shared.chunks.push_back(std::make_unique_for_overwrite<char[]>(kChunkSize));
        shared.chunkUsed = 0;
    }
    char* const start = shared.chunks.back().get() + shared.chunkUsed;
    std::string_view invoice = texts[std::size_t(RecordText::InvoiceNo)];
    invoice = invoice.substr(0, invoice.find_last_not_of(' ') + 1);
    record.invoiceKept_ = std::uint8_t(invoice.size());
    std::size_t used = 0;
    for (const std::string_view text : {texts[std::size_t(RecordText::KaprinAccount)], texts[std::size_t(RecordText::PaidTo)],
                                        ledger, invoice, texts[std::size_t(RecordText::PaymentFor)]}) {
        if (!text.empty())
            std::memcpy(start + used, text.data(), text.size());
        used += text.size();
    }
    for (std::size_t i = 0; i < RecordTextCount; ++i)
        record.size_[i] = std::uint8_t(texts[i].size());
    const std::string_view account = texts[std::size_t(RecordText::GLAccount)];
    const std::string_view details = texts[std::size_t(RecordText::GLDetails)];
    record.ledgerPartAt_ = {std::uint8_t(account.empty() ? 0 : account.data() - ledger.data()),
                            std::uint8_t(details.empty() ? 0 : details.data() - ledger.data())};
    shared.chunkUsed += used;
    record.bytes_ = start;
    record.fromPage_ = true;
    if (!latin1) {
        // Rare: a byte the page reads as another character. A host's texts are decoded once, here.
        auto decoded = std::make_unique<TransRecord::Texts>();
        for (std::size_t i = 0; i < RecordTextCount; ++i) {
            (*decoded)[i] = codePage.decode(texts[i]);
            // A byte the page leaves undefined is written as the page writes U+FFFD, and noted.
            if ((*decoded)[i].contains(u'\uFFFD'))
                record.fromPage_ = false;
        }
        record.owned_ = std::move(decoded);
    }
    return TransRecordPtr(shared_, &record);
}

TransRecordPtr TransRecords::Add(CalDate TransDate, const QString& KaprinAccount, const QString& PaidTo,
                                 const QString& GLAccount, const QString& GLDetails, Money Amount,
                                 const QString& InvoiceNo, const QString& PaymentFor,
                                 const QString& GLAccount_Full, const QString& sKey)
{
    auto record = std::make_shared<TransRecord>(
        TransRecord::Texts{KaprinAccount, PaidTo, GLAccount_Full, GLAccount, GLDetails, InvoiceNo, PaymentFor}, Amount,
        TransDate);
    items_.add(record, sKey);
    return record;
}

void TransRecords::Append(TransRecordPtr record, const QString& sKey)
{
    items_.add(std::move(record), sKey);
}

TransRecordPtr TransRecords::FindAPBank(const QString& strField, CalDate dtDate, const QString& strValue,
                                        short MaxLength) const
{
    if (strField.toUpper() != QLatin1String("PAIDTO"))
        return nullptr;
    const QString wanted = strValue.toUpper();
    for (const auto& record : items_) {
        QString name = record->PaidTo().toUpper();
        if (MaxLength > 0)
            name.truncate(MaxLength);
        if (name == wanted && !record->Amount.isZero() && record->TransDate == dtDate)
            return record;
    }
    return nullptr;
}

void TransRecords::SortByDate()
{
    const int count = Count();
    if (count > 32767)
        throw KNError(ErrorCode::Overflow);

    std::vector<CalDate> dates;
    dates.reserve(std::size_t(count));
    for (const auto& record : items_)
        dates.push_back(record->TransDate);

    // The exchange sort is stable and only ever lifts a record over a neighbour with a strictly
    // later date; such a record is removed and inserted again, which drops its key. That happens
    // exactly to the records that have a later-dated record somewhere before them.
    std::vector<bool> moved(dates.size(), false);
    for (std::size_t i = 1, latest = 0; i < dates.size(); ++i) {
        if (dates[i] < dates[latest])
            moved[i] = true;
        else
            latest = i;
    }

    std::vector<std::size_t> order(dates.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return dates[a] < dates[b]; });
    items_.reorder(order, moved);
}

} // namespace kn
