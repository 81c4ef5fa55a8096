#include "transrecords.h"

#include <algorithm>
#include <numeric>

namespace kn {

TransRecordPtr TransRecords::Add(CalDate TransDate, const QString& KaprinAccount, const QString& PaidTo,
                                 const QString& GLAccount, const QString& GLDetails, Money Amount,
                                 const QString& InvoiceNo, const QString& PaymentFor,
                                 const QString& GLAccount_Full, const QString& sKey)
{
    auto record = std::make_shared<TransRecord>(TransRecord{
        KaprinAccount, PaidTo, GLAccount, GLDetails, Amount, TransDate, PaymentFor, InvoiceNo, GLAccount_Full});
    items_.add(record, sKey);
    return record;
}

TransRecordPtr TransRecordBlocks::make()
{
    if (!block_ || block_->size() == block_->capacity()) {
        block_ = std::make_shared<std::vector<TransRecord>>();
        block_->reserve(RecordsPerBlock);
    }
    block_->emplace_back();
    return TransRecordPtr(block_, &block_->back());
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
        QString name = record->PaidTo.toUpper();
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
