#pragma once

#include "caldate.h"
#include "keyedcollection.h"
#include "money.h"
#include "codepage.h"

#include <QString>
#include <QStringView>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

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
// Each text of a record as the code page's bytes, in RecordText order.
using RecordBytes = std::array<std::string_view, RecordTextCount>;

// One paid bill from the payment file. A record the import made reads its texts from the bytes
// its import keeps together, the code page's bytes, and writers write those; a record a host made,
// copied or changed owns its texts, of any length.
class TransRecord {
public:
    using Texts = std::array<QString, RecordTextCount>;
    TransRecord() = default;
    TransRecord(const Texts& texts, Money amount, CalDate transDate);
    TransRecord(const TransRecord& other);
    TransRecord& operator=(const TransRecord& other);

    QString KaprinAccount() const { return text(RecordText::KaprinAccount); }
    QString PaidTo() const { return text(RecordText::PaidTo); }
    QString GLAccount() const { return text(RecordText::GLAccount); }
    QString GLDetails() const { return text(RecordText::GLDetails); }
    QString PaymentFor() const { return text(RecordText::PaymentFor); }
    QString InvoiceNo() const { return text(RecordText::InvoiceNo); }
    QString GLAccount_Full() const { return text(RecordText::GLAccount_Full); }

    void setKaprinAccount(QStringView value) { setText(RecordText::KaprinAccount, value); }
    void setPaidTo(QStringView value) { setText(RecordText::PaidTo, value); }
    void setGLAccount(QStringView value) { setText(RecordText::GLAccount, value); }
    void setGLDetails(QStringView value) { setText(RecordText::GLDetails, value); }
    void setPaymentFor(QStringView value) { setText(RecordText::PaymentFor, value); }
    void setInvoiceNo(QStringView value) { setText(RecordText::InvoiceNo, value); }
    void setGLAccount_Full(QStringView value) { setText(RecordText::GLAccount_Full, value); }

    QString text(RecordText which) const
    {
        if (owned_)
            return (*owned_)[std::size_t(which)];
        QString text = QString::fromLatin1(bytes_ + startOf(which), qsizetype(keptSize(which)));
        text.resize(size_[std::size_t(which)], u' ');
        return text;
    }
    void setText(RecordText which, QStringView value);
    // The text's length in characters.
    qsizetype textSize(RecordText which) const
    {
        return owned_ ? (*owned_)[std::size_t(which)].size() : size_[std::size_t(which)];
    }
    // The text as the bytes of the code page the import read it in, when the record is the
    // import's own and unchanged. The invoice number comes without its trailing blanks, which
    // every writer trims.
    std::optional<std::string_view> pageBytes(RecordText which) const
    {
        if (!fromPage_)
            return std::nullopt;
        return std::string_view(bytes_ + startOf(which), keptSize(which));
    }

    Money Amount;
    CalDate TransDate;
    // Where the import read it (the header is line 1); 0 for a record a host made.
    int PaymentFileLine = 0;

private:
    friend class TransRecordStore;
    void own(Texts texts);

    // An imported record's texts follow one another from bytes_ (the account, the payee, the
    // ledger text, the invoice number, the description), the ledger's account and details within
    // the ledger text; a payment line's texts are at most 138 bytes. The invoice number is the
    // one text the import does not trim: its trailing blanks are not kept.
    std::size_t keptSize(RecordText which) const
    {
        return which == RecordText::InvoiceNo ? invoiceKept_ : size_[std::size_t(which)];
    }
    std::size_t startOf(RecordText which) const
    {
        const std::size_t ledger = keptSize(RecordText::KaprinAccount) + keptSize(RecordText::PaidTo);
        switch (which) {
        case RecordText::KaprinAccount: return 0;
        case RecordText::PaidTo: return keptSize(RecordText::KaprinAccount);
        case RecordText::GLAccount_Full: return ledger;
        case RecordText::GLAccount: return ledger + ledgerPartAt_[0];
        case RecordText::GLDetails: return ledger + ledgerPartAt_[1];
        case RecordText::InvoiceNo: return ledger + keptSize(RecordText::GLAccount_Full);
        case RecordText::PaymentFor: break;
        }
        return ledger + keptSize(RecordText::GLAccount_Full) + invoiceKept_;
    }

    // Beside PaymentFileLine, so that a record takes 48 bytes.
    std::array<std::uint8_t, RecordTextCount> size_{};
    std::array<std::uint8_t, 2> ledgerPartAt_{};
    std::uint8_t invoiceKept_ = 0;
    bool fromPage_ = false;
    const char* bytes_ = "";
    // A host's texts; for an imported record whose bytes do not all read as Latin-1, its texts as
    // the page reads them.
    std::unique_ptr<Texts> owned_;
};

static_assert(sizeof(TransRecord) <= 48);

using TransRecordPtr = std::shared_ptr<TransRecord>;

// The records of one import and their texts, kept together: a large file makes no allocation per
// record. Each record shares ownership of all of it, so a record a host keeps stays readable
// however the collection is cleared.
class TransRecordStore {
public:
    TransRecordStore();
    // A record of these texts, as the code page's bytes, GLAccount and GLDetails lying within
    // GLAccount_Full; `latin1` when all of them read as the Latin-1 characters of their own
    // values there, so that a host's text is read from the bytes alone.
    TransRecordPtr add(const RecordBytes& texts, const CodePage& codePage, bool latin1, Money amount,
                       CalDate transDate);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
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
