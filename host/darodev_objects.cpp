// The C interface's object model: record collections, the catalogue changed in place and the
// converter's formatting helpers. Every call catches what the collection throws and keeps it on
// the handle.
#include "darodev/records.h"

#include "capihandle.h"

#include <QByteArray>
#include <QString>

#include <memory>

struct kn_records {
    // The host's own collection, or the converter's, which is only borrowed.
    std::unique_ptr<kn::TransRecords> own;
    kn::TransRecords* items = nullptr;
    int errorNumber = 0;
    QByteArray errorDescription;
    QByteArray errorSource;
    QByteArray text;

    void clearError()
    {
        errorNumber = 0;
        errorDescription.clear();
        errorSource.clear();
    }
    void keep(const kn::KNError& error, const char* source)
    {
        errorNumber = error.number();
        errorDescription = error.description().toUtf8();
        errorSource = source;
    }
    int fail(kn::ErrorCode code, const char* source)
    {
        keep(kn::KNError(code), source);
        return -1;
    }
    // What escapes a collection is a KNError, or no memory.
    int failCaught(const char* source)
    {
        try {
            throw;
        } catch (const kn::KNError& error) {
            keep(error, source);
        } catch (const std::bad_alloc&) {
            keep(kn::KNError(kn::ErrorCode::OutOfMemory), source);
        } catch (...) {
            keep(kn::KNError(kn::ErrorCode::InvalidProcedureCall), source);
        }
        return -1;
    }
    // The record at a 1-based position, or null with error 5.
    kn::TransRecord* at(int position, const char* source)
    {
        if (position < 1 || position > items->Count()) {
            fail(kn::ErrorCode::InvalidProcedureCall, source);
            return nullptr;
        }
        return items->Item(position).get();
    }
};

kn_export::kn_export() = default;
kn_export::~kn_export() = default;

namespace {

QString text(const char* utf8)
{
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

// The record texts a host names, by their property names.
const struct {
    const char* name;
    kn::RecordText which;
} kRecordTexts[] = {
    {"KaprinAccount", kn::RecordText::KaprinAccount}, {"PaidTo", kn::RecordText::PaidTo},
    {"GLAccount", kn::RecordText::GLAccount},         {"GLDetails", kn::RecordText::GLDetails},
    {"PaymentFor", kn::RecordText::PaymentFor},       {"InvoiceNo", kn::RecordText::InvoiceNo},
    {"GLAccount_Full", kn::RecordText::GLAccount_Full},
};

const kn::RecordText* recordText(const char* property)
{
    if (!property)
        return nullptr;
    for (const auto& entry : kRecordTexts)
        if (qstrcmp(entry.name, property) == 0)
            return &entry.which;
    return nullptr;
}

int positionOf(const kn::TransRecords& items, const kn::TransRecordPtr& record)
{
    int position = 1;
    for (const kn::TransRecordPtr& item : items) {
        if (item == record)
            return position;
        ++position;
    }
    return 0;
}

} // namespace

extern "C" {

kn_records* kn_records_create(void)
{
    try {
        auto handle = std::make_unique<kn_records>();
        handle->own = std::make_unique<kn::TransRecords>();
        handle->items = handle->own.get();
        return handle.release();
    } catch (...) {
        return nullptr;
    }
}

void kn_records_destroy(kn_records* records)
{
    if (records && records->own)
        delete records;
}

kn_records* kn_export_records(kn_export* converter)
{
    if (!converter)
        return nullptr;
    try {
        if (!converter->records) {
            auto handle = std::make_unique<kn_records>();
            handle->items = &converter->converter->Records();
            converter->records = std::move(handle);
        }
        return converter->records.get();
    } catch (...) {
        return nullptr;
    }
}

int kn_records_count(const kn_records* records)
{
    return records ? records->items->Count() : -1;
}

int kn_records_add(kn_records* records, double date, const char* kaprin_account, const char* paid_to,
                   const char* gl_account, const char* gl_details, long long amount, const char* invoice_no,
                   const char* payment_for, const char* gl_account_full, const char* key)
{
    if (!records)
        return -1;
    records->clearError();
    try {
        records->items->Add(kn::CalDate(date), text(kaprin_account), text(paid_to), text(gl_account), text(gl_details),
                            kn::Money::fromUnits(amount), text(invoice_no), text(payment_for), text(gl_account_full),
                            text(key));
        return records->items->Count();
    } catch (...) {
        return records->failCaught("TransRecords.Add");
    }
}

const char* kn_records_text(kn_records* records, int position, const char* property)
{
    if (!records)
        return nullptr;
    records->clearError();
    const char* const source = "TransRecords.Item";
    const kn::RecordText* which = recordText(property);
    if (!which) {
        records->fail(kn::ErrorCode::InvalidProcedureCall, source);
        return nullptr;
    }
    try {
        const kn::TransRecord* record = records->at(position, source);
        if (!record)
            return nullptr;
        records->text = record->text(*which).toUtf8();
        return records->text.constData();
    } catch (...) {
        records->failCaught(source);
        return nullptr;
    }
}

int kn_records_set_text(kn_records* records, int position, const char* property, const char* value)
{
    if (!records)
        return -1;
    records->clearError();
    const char* const source = "TransRecords.Item";
    const kn::RecordText* which = recordText(property);
    if (!which || !value)
        return records->fail(kn::ErrorCode::InvalidProcedureCall, source);
    try {
        kn::TransRecord* record = records->at(position, source);
        if (!record)
            return -1;
        record->setText(*which, QStringView(QString::fromUtf8(value)));
        return 0;
    } catch (...) {
        return records->failCaught(source);
    }
}

double kn_records_date(kn_records* records, int position)
{
    if (!records)
        return 0;
    records->clearError();
    const kn::TransRecord* record = records->at(position, "TransRecords.Item");
    return record ? record->TransDate.value() : 0;
}

long long kn_records_amount(kn_records* records, int position)
{
    if (!records)
        return 0;
    records->clearError();
    const kn::TransRecord* record = records->at(position, "TransRecords.Item");
    return record ? record->Amount.units() : 0;
}

int kn_records_set_date(kn_records* records, int position, double date)
{
    if (!records)
        return -1;
    records->clearError();
    kn::TransRecord* record = records->at(position, "TransRecords.Item");
    if (!record)
        return -1;
    record->TransDate = kn::CalDate(date);
    return 0;
}

int kn_records_set_amount(kn_records* records, int position, long long amount)
{
    if (!records)
        return -1;
    records->clearError();
    kn::TransRecord* record = records->at(position, "TransRecords.Item");
    if (!record)
        return -1;
    record->Amount = kn::Money::fromUnits(amount);
    return 0;
}

int kn_records_position(kn_records* records, const char* key)
{
    if (!records)
        return 0;
    records->clearError();
    const QString wanted = text(key);
    if (wanted.isEmpty())
        return 0;
    try {
        return positionOf(*records->items, records->items->Item(wanted));
    } catch (...) {
        return 0; // no record has that key
    }
}

int kn_records_remove(kn_records* records, int position)
{
    if (!records)
        return -1;
    records->clearError();
    if (!records->at(position, "TransRecords.Remove"))
        return -1;
    try {
        records->items->Remove(position);
        return 0;
    } catch (...) {
        return records->failCaught("TransRecords.Remove");
    }
}

int kn_records_clear(kn_records* records)
{
    if (!records)
        return -1;
    records->clearError();
    records->items->Clear();
    return 0;
}

int kn_records_find_ap_bank(kn_records* records, const char* field, double date, const char* value, int max_length)
{
    if (!records)
        return -1;
    records->clearError();
    try {
        // MaxLength is a 16-bit count: a larger one cuts nothing that 32767 would not.
        const short maxLength = static_cast<short>(qBound(-32768, max_length, 32767));
        const kn::TransRecordPtr found = records->items->FindAPBank(text(field), kn::CalDate(date), text(value), maxLength);
        return found ? positionOf(*records->items, found) : 0;
    } catch (...) {
        return records->failCaught("TransRecords.FindAPBank");
    }
}

int kn_records_sort_by_date(kn_records* records)
{
    if (!records)
        return -1;
    records->clearError();
    try {
        records->items->SortByDate();
        return 0;
    } catch (...) {
        return records->failCaught("TransRecords.SortByDate");
    }
}

int kn_records_error_number(const kn_records* records)
{
    return records ? records->errorNumber : static_cast<int>(kn::ErrorCode::InvalidProcedureCall);
}

const char* kn_records_error_description(const kn_records* records)
{
    static const QByteArray invalidArgument = kn::errorDescription(kn::ErrorCode::InvalidProcedureCall).toUtf8();
    return records ? records->errorDescription.constData() : invalidArgument.constData();
}

const char* kn_records_error_source(const kn_records* records)
{
    return records ? records->errorSource.constData() : "";
}

int kn_export_package_add(kn_export* converter, const char* full_title, const char* code, double last_updated,
                          const char* extension, const char* base_name, const char* title, const char* key)
{
    if (!converter)
        return -1;
    converter->clearError();
    try {
        kn::Packages& packages = converter->converter->AcctPackages();
        packages.Add(text(full_title), text(code), kn::CalDate(last_updated), text(extension), text(base_name),
                     text(title), text(key));
        return packages.Count() - 1;
    } catch (const kn::KNError& error) {
        return converter->fail(error.withSource(QStringLiteral("Packages.Add")));
    } catch (...) {
        return converter->failUnexpected("Packages.Add");
    }
}

int kn_export_package_remove(kn_export* converter, int index)
{
    if (!converter)
        return -1;
    converter->clearError();
    try {
        kn::Packages& packages = converter->converter->AcctPackages();
        if (index < 0 || index >= packages.Count())
            return converter->failInvalidArgument("Packages.Remove");
        packages.Remove(index + 1);
        return 0;
    } catch (...) {
        return converter->failUnexpected("Packages.Remove");
    }
}

int kn_export_file_exists(kn_export* converter, const char* path)
{
    return converter && path ? converter->converter->Fileexists(QString::fromUtf8(path)) : 0;
}

const char* kn_export_qb_date_format(kn_export* converter, double date)
{
    if (!converter)
        return nullptr;
    converter->clearError();
    try {
        converter->formatted = converter->converter->QBDateFormat(kn::CalDate(date)).toUtf8();
        return converter->formatted.constData();
    } catch (...) {
        converter->failUnexpected("KNExport.QBDateFormat");
        return nullptr;
    }
}

const char* kn_export_jonas_date_format(kn_export* converter, double date)
{
    if (!converter)
        return nullptr;
    converter->clearError();
    try {
        converter->formatted = converter->converter->JonasDateFormat(kn::CalDate(date)).toUtf8();
        return converter->formatted.constData();
    } catch (...) {
        converter->failUnexpected("KNExport.JonasDateFormat");
        return nullptr;
    }
}

} // extern "C"
