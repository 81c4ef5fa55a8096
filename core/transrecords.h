#pragma once

#include "caldate.h"
#include "keyedcollection.h"
#include "money.h"
#include "textview.h"

#include <QString>
#include <QStringView>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kn {

// The texts a record holds, in the order a record is built from them.
enum class RecordText : std::uint8_t {
    KaprinAccount,
    PaidTo,
    GLAccount_Full,
    GLAccount,
    GLDetails,
    InvoiceNo,
    PaymentFor,
};
inline constexpr std::size_t RecordTextCount = 7;
// One view per RecordText, in that order.
using RecordTextViews = std::array<TextView, RecordTextCount>;

// One paid bill from the payment file. Its texts are kept together in one buffer, as Latin-1 when
// every character of them fits and as UTF-16 otherwise: a record the import made shares its
// buffer with the records around it, and a record copied or changed by a host gets a buffer of
// its own, so a kept record or a copy of one of its texts never dangles.
class TransRecord {
public:
    TransRecord() = default;
    TransRecord(const RecordTextViews& texts, Money amount, CalDate transDate);
    TransRecord(const TransRecord& other);
    TransRecord& operator=(const TransRecord& other);
    ~TransRecord();

    QString KaprinAccount() const { return text(RecordText::KaprinAccount).toString(); }
    QString PaidTo() const { return text(RecordText::PaidTo).toString(); }
    QString GLAccount() const { return text(RecordText::GLAccount).toString(); }
    QString GLDetails() const { return text(RecordText::GLDetails).toString(); }
    QString PaymentFor() const { return text(RecordText::PaymentFor).toString(); }
    QString InvoiceNo() const { return text(RecordText::InvoiceNo).toString(); }
    QString GLAccount_Full() const { return text(RecordText::GLAccount_Full).toString(); }

    void setKaprinAccount(QStringView value) { setText(RecordText::KaprinAccount, value); }
    void setPaidTo(QStringView value) { setText(RecordText::PaidTo, value); }
    void setGLAccount(QStringView value) { setText(RecordText::GLAccount, value); }
    void setGLDetails(QStringView value) { setText(RecordText::GLDetails, value); }
    void setPaymentFor(QStringView value) { setText(RecordText::PaymentFor, value); }
    void setInvoiceNo(QStringView value) { setText(RecordText::InvoiceNo, value); }
    void setGLAccount_Full(QStringView value) { setText(RecordText::GLAccount_Full, value); }

    // The text without a copy: valid while the record lives and that text is not set again.
    TextView text(RecordText which) const
    {
        const auto i = std::size_t(which);
        const char* at = texts_ + start_[i];
        if (wide_)
            return QStringView(reinterpret_cast<const char16_t*>(at), size_[i]);
        return QLatin1String(at, size_[i]);
    }
    // A text holds at most 65535 characters; a longer one fails with Overflow (6).
    void setText(RecordText which, TextView value);

    Money Amount;
    CalDate TransDate;

private:
    friend class TransRecordBlocks;
    struct Layout;
    void adopt(const RecordTextViews& texts);
    void release();

    // The texts are counted in bytes from texts_, the record's own buffer or its block's memory;
    // their sizes are in characters, of one byte each or, when wide_, of two.
    const char* texts_ = "";
    std::array<std::uint32_t, RecordTextCount> start_{};
    std::array<std::uint16_t, RecordTextCount> size_{};
    bool ownsTexts_ = false;
    bool wide_ = false;

public:
    // Where the import read it (the header is line 1); 0 for a record a host made. It stands last
    // so that a record fills 72 bytes, not 80.
    int PaymentFileLine = 0;
};
static_assert(sizeof(TransRecord) <= 72);

using TransRecordPtr = std::shared_ptr<TransRecord>;

// Hands out records from blocks of many, with their texts in the block's own memory, so a large
// import makes one allocation per block instead of several per record. A text that a record of
// the same block already holds (the same payee, account or purpose) is kept once. Each record
// shares ownership of its block: a host that keeps a record keeps the block alive, however the
// collection or these blocks are cleared.
class TransRecordBlocks {
public:
    TransRecordBlocks();
    ~TransRecordBlocks();

    TransRecordPtr make(const RecordTextViews& texts, Money amount, CalDate transDate);

private:
    struct Block;
    struct StoredText {
        std::uint64_t hash = 0;
        std::uint32_t start = 0;
        std::uint32_t bytes = 0;
    };
    std::uint32_t store(TextView text, bool wide);

    std::shared_ptr<Block> block_;
    // The texts the current block holds, by their hash: a slot keeps the last text of its hash.
    std::vector<StoredText> recent_;
    // A text of the other width, converted before it is stored.
    std::string converted_;
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
    // Room for this many records, so a large import does not move the collection as it grows.
    void reserve(int count) { items_.reserve(std::size_t(std::max(count, 0))); }

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
