#pragma once

#include "caldate.h"
#include "keyedcollection.h"
#include "money.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

namespace kn {

// One paid bill from the payment file.
struct TransRecord {
    QString KaprinAccount;
    QString PaidTo;
    QString GLAccount;
    QString GLDetails;
    Money Amount;
    CalDate TransDate;
    QString PaymentFor;
    QString InvoiceNo;
    QString GLAccount_Full;
    // Where the import read it (the header is line 1); 0 for a record a host made.
    int PaymentFileLine = 0;
};

using TransRecordPtr = std::shared_ptr<TransRecord>;

// Hands out records from blocks of many, so a large import makes one allocation per block
// instead of one per record. Each record shares ownership of its block: a host that keeps a
// record keeps the block alive, however the collection or these blocks are cleared.
class TransRecordBlocks {
public:
    static constexpr std::size_t RecordsPerBlock = 1024;

    TransRecordPtr make();

private:
    std::shared_ptr<std::vector<TransRecord>> block_;
};

// The ordered, optionally keyed collection of payment records that the import fills and every
// writer walks.
class TransRecords {
public:
    using const_iterator = KeyedCollection<TransRecord>::const_iterator;

    // Note the argument order: the date first, and InvoiceNo before PaymentFor.
    TransRecordPtr Add(CalDate TransDate, const QString& KaprinAccount, const QString& PaidTo,
                       const QString& GLAccount, const QString& GLDetails, Money Amount,
                       const QString& InvoiceNo, const QString& PaymentFor,
                       const QString& GLAccount_Full, const QString& sKey = {});
    // Appends a record built elsewhere (the import builds its records field by field).
    void Append(TransRecordPtr record, const QString& sKey = {});

    const TransRecordPtr& Item(const QVariant& vntIndexKey) const { return items_.item(vntIndexKey); }
    int Count() const { return items_.count(); }
    void Remove(const QVariant& vntIndexKey) { items_.remove(vntIndexKey); }
    void Clear() { items_.clear(); }

    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

    // The first record paid to strValue (compared upper-cased; PaidTo cut to MaxLength when it
    // is positive) on exactly dtDate with a non-zero amount. Only the field "PAIDTO" (any case)
    // is searched.
    TransRecordPtr FindAPBank(const QString& strField, CalDate dtDate, const QString& strValue,
                              short MaxLength = 0) const;

    // Stable ascending sort by TransDate, in the order an exchange sort of neighbours gives; a
    // record such a sort would move loses its key. More than 32767 records fail with Overflow.
    void SortByDate();

private:
    KeyedCollection<TransRecord> items_;
};

} // namespace kn
