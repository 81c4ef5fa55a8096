#include "knexportobjects.h"

#include <cmath>
#include <optional>

namespace kn {

namespace {

int live = 0;

// An amount in currency units kept to 1/10000 of a unit; none past the 64-bit count.
std::optional<Money> moneyOf(double units)
{
    const double count = std::round(units * Money::UnitsPerWhole);
    if (!std::isfinite(count) || std::fabs(count) >= 9.2e18)
        return std::nullopt;
    return Money::fromUnits(static_cast<std::int64_t>(count));
}

// A caller-owned object for each item, in position order.
template <typename Object, typename Collection>
QList<QObject*> objectsOf(const Collection& collection)
{
    QList<QObject*> objects;
    for (const auto& item : collection)
        objects << new Object(item);
    return objects;
}

} // namespace

CountedObject::CountedObject(QObject* parent) : QObject(parent)
{
    ++live;
}

CountedObject::~CountedObject()
{
    --live;
}

int CountedObject::liveObjects()
{
    return live;
}

TransRecordObject::TransRecordObject(TransRecordPtr record, QObject* parent)
    : CountedObject(parent), record_(std::move(record))
{
}

double TransRecordObject::Amount() const
{
    return double(record_->Amount.units()) / Money::UnitsPerWhole;
}

void TransRecordObject::setAmount(double value)
{
    clearError();
    if (const auto amount = moneyOf(value))
        record_->Amount = *amount;
    else
        keepError(KNError(ErrorCode::Overflow), QStringLiteral("TransRecord.Amount"));
}

void TransRecordObject::setText(RecordText which, const QString& value)
{
    clearError();
    try {
        record_->setText(which, QStringView(value));
    } catch (const KNError& error) {
        keepError(error, QStringLiteral("TransRecord"));
    }
}

TransRecordsObject::TransRecordsObject(std::shared_ptr<TransRecords> records, QObject* parent)
    : CountedObject(parent), records_(std::move(records))
{
}

QObject* TransRecordsObject::Add(double TransDate, const QString& KaprinAccount, const QString& PaidTo,
                                 const QString& GLAccount, const QString& GLDetails, double Amount,
                                 const QString& InvoiceNo, const QString& PaymentFor, const QString& GLAccount_Full,
                                 const QString& sKey)
{
    clearError();
    try {
        const auto amount = moneyOf(Amount);
        if (!amount)
            throw KNError(ErrorCode::Overflow);
        return new TransRecordObject(records_->Add(CalDate(TransDate), KaprinAccount, PaidTo, GLAccount, GLDetails,
                                                   *amount, InvoiceNo, PaymentFor, GLAccount_Full, sKey));
    } catch (const KNError& error) {
        keepError(error, QStringLiteral("TransRecords.Add"));
        return nullptr;
    }
}

QObject* TransRecordsObject::Item(const QVariant& vntIndexKey)
{
    clearError();
    try {
        return new TransRecordObject(records_->Item(vntIndexKey));
    } catch (const KNError& error) {
        keepError(error, QStringLiteral("TransRecords.Item"));
        return nullptr;
    }
}

bool TransRecordsObject::Remove(const QVariant& vntIndexKey)
{
    clearError();
    try {
        records_->Remove(vntIndexKey);
        return true;
    } catch (const KNError& error) {
        keepError(error, QStringLiteral("TransRecords.Remove"));
        return false;
    }
}

QList<QObject*> TransRecordsObject::NewEnum()
{
    return objectsOf<TransRecordObject>(*records_);
}

QObject* TransRecordsObject::FindAPBank(const QString& strField, double dtDate, const QString& strValue, int MaxLength)
{
    clearError();
    // MaxLength is a 16-bit count: a larger one cuts nothing that 32767 would not.
    const auto maxLength = static_cast<short>(qBound(-32768, MaxLength, 32767));
    const TransRecordPtr found = records_->FindAPBank(strField, CalDate(dtDate), strValue, maxLength);
    return found ? new TransRecordObject(found) : nullptr;
}

bool TransRecordsObject::SortByDate()
{
    clearError();
    try {
        records_->SortByDate();
        return true;
    } catch (const KNError& error) {
        keepError(error, QStringLiteral("TransRecords.SortByDate"));
        return false;
    }
}

PackageObject::PackageObject(PackagePtr package, QObject* parent) : CountedObject(parent), package_(std::move(package))
{
}

PackagesObject::PackagesObject(std::shared_ptr<Packages> packages, QObject* parent)
    : CountedObject(parent), packages_(std::move(packages))
{
}

QObject* PackagesObject::Add(const QString& PackageFullTitle, const QString& PackageCode, double LastUpdated,
                             const QString& FileExtension, const QString& FileBaseName, const QString& PackageTitle,
                             const QString& sKey)
{
    clearError();
    try {
        return new PackageObject(packages_->Add(PackageFullTitle, PackageCode, CalDate(LastUpdated), FileExtension,
                                                FileBaseName, PackageTitle, sKey));
    } catch (const KNError& error) {
        keepError(error, QStringLiteral("Packages.Add"));
        return nullptr;
    }
}

QObject* PackagesObject::Item(const QVariant& vntIndexKey)
{
    clearError();
    try {
        return new PackageObject(packages_->Item(vntIndexKey));
    } catch (const KNError& error) {
        keepError(error, QStringLiteral("Packages.Item"));
        return nullptr;
    }
}

bool PackagesObject::Remove(const QVariant& vntIndexKey)
{
    clearError();
    try {
        packages_->Remove(vntIndexKey);
        return true;
    } catch (const KNError& error) {
        keepError(error, QStringLiteral("Packages.Remove"));
        return false;
    }
}

QList<QObject*> PackagesObject::NewEnum()
{
    return objectsOf<PackageObject>(*packages_);
}

} // namespace kn
