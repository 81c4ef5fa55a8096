#pragma once

#include "core/packages.h"
#include "core/transrecords.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

namespace kn {

// Every object the plugin hands out counts itself while it lives: the plugin's code must stay
// loaded until the last one is gone.
class CountedObject : public QObject {
    Q_OBJECT
    Q_PROPERTY(int ErrorNumber READ ErrorNumber)
    Q_PROPERTY(QString ErrorDescription READ ErrorDescription)
    Q_PROPERTY(QString ErrorSource READ ErrorSource)
    Q_PROPERTY(QString ErrorDetail READ ErrorDetail)

public:
    explicit CountedObject(QObject* parent = nullptr);
    ~CountedObject() override;
    static int liveObjects();

    int ErrorNumber() const { return error_.number(); }
    QString ErrorDescription() const { return error_.description(); }
    QString ErrorSource() const { return error_.source(); }
    QString ErrorDetail() const { return error_.detail(); }

protected:
    void clearError() { error_ = KNError(0, QString()); }
    // A failed call keeps its number, description and source ("TransRecords.Item") here.
    void keepError(const KNError& error, const QString& source) { error_ = error.withSource(source); }

private:
    KNError error_{0, QString()};
};

// One payment record: calendar dates as a day count, amounts as currency units kept to 1/10000.
class TransRecordObject : public CountedObject {
    Q_OBJECT
    Q_PROPERTY(QString KaprinAccount READ KaprinAccount WRITE setKaprinAccount)
    Q_PROPERTY(QString PaidTo READ PaidTo WRITE setPaidTo)
    Q_PROPERTY(QString GLAccount READ GLAccount WRITE setGLAccount)
    Q_PROPERTY(QString GLDetails READ GLDetails WRITE setGLDetails)
    Q_PROPERTY(double Amount READ Amount WRITE setAmount)
    Q_PROPERTY(double TransDate READ TransDate WRITE setTransDate)
    Q_PROPERTY(QString PaymentFor READ PaymentFor WRITE setPaymentFor)
    Q_PROPERTY(QString InvoiceNo READ InvoiceNo WRITE setInvoiceNo)
    Q_PROPERTY(QString GLAccount_Full READ GLAccount_Full WRITE setGLAccount_Full)

public:
    explicit TransRecordObject(TransRecordPtr record, QObject* parent = nullptr);

    QString KaprinAccount() const { return record_->KaprinAccount(); }
    QString PaidTo() const { return record_->PaidTo(); }
    QString GLAccount() const { return record_->GLAccount(); }
    QString GLDetails() const { return record_->GLDetails(); }
    double Amount() const;
    double TransDate() const { return record_->TransDate.value(); }
    QString PaymentFor() const { return record_->PaymentFor(); }
    QString InvoiceNo() const { return record_->InvoiceNo(); }
    QString GLAccount_Full() const { return record_->GLAccount_Full(); }
    void setKaprinAccount(const QString& value) { setText(RecordText::KaprinAccount, value); }
    void setPaidTo(const QString& value) { setText(RecordText::PaidTo, value); }
    void setGLAccount(const QString& value) { setText(RecordText::GLAccount, value); }
    void setGLDetails(const QString& value) { setText(RecordText::GLDetails, value); }
    void setAmount(double value);
    void setTransDate(double value) { record_->TransDate = CalDate(value); }
    void setPaymentFor(const QString& value) { setText(RecordText::PaymentFor, value); }
    void setInvoiceNo(const QString& value) { setText(RecordText::InvoiceNo, value); }
    void setGLAccount_Full(const QString& value) { setText(RecordText::GLAccount_Full, value); }

private:
    void setText(RecordText which, const QString& value);
    TransRecordPtr record_;
};

// A record collection: a host's own, or the converter's. Each record handed out is a new object
// owned by the caller that stands for the record itself: a change through it is the collection's.
// A failed call gives null or false and keeps its error in the Error* properties.
class TransRecordsObject : public CountedObject {
    Q_OBJECT

public:
    // The collection the object stands for; a converter's is shared with the converter.
    explicit TransRecordsObject(std::shared_ptr<TransRecords> records, QObject* parent = nullptr);

    Q_INVOKABLE QObject* Add(double TransDate, const QString& KaprinAccount, const QString& PaidTo,
                             const QString& GLAccount, const QString& GLDetails, double Amount,
                             const QString& InvoiceNo, const QString& PaymentFor, const QString& GLAccount_Full,
                             const QString& sKey = QString());
    Q_INVOKABLE QObject* Item(const QVariant& vntIndexKey);
    Q_INVOKABLE int Count() const { return records_->Count(); }
    Q_INVOKABLE bool Remove(const QVariant& vntIndexKey);
    Q_INVOKABLE void Clear() { records_->Clear(); }
    Q_INVOKABLE QList<QObject*> NewEnum();
    // Null when no record matches, and then ErrorNumber is 0.
    Q_INVOKABLE QObject* FindAPBank(const QString& strField, double dtDate, const QString& strValue, int MaxLength = 0);
    Q_INVOKABLE bool SortByDate();

private:
    std::shared_ptr<TransRecords> records_;
};

class PackageObject : public CountedObject {
    Q_OBJECT
    Q_PROPERTY(QString PackageFullTitle READ PackageFullTitle WRITE setPackageFullTitle)
    Q_PROPERTY(QString PackageCode READ PackageCode WRITE setPackageCode)
    Q_PROPERTY(double LastUpdated READ LastUpdated WRITE setLastUpdated)
    Q_PROPERTY(QString FileExtension READ FileExtension WRITE setFileExtension)
    Q_PROPERTY(bool AllowKaprinHome READ AllowKaprinHome WRITE setAllowKaprinHome)
    Q_PROPERTY(QString FileBaseName READ FileBaseName WRITE setFileBaseName)
    Q_PROPERTY(QVariant PackageTitle READ PackageTitle WRITE setPackageTitle)

public:
    explicit PackageObject(PackagePtr package, QObject* parent = nullptr);

    QString PackageFullTitle() const { return package_->PackageFullTitle; }
    QString PackageCode() const { return package_->PackageCode; }
    double LastUpdated() const { return package_->LastUpdated.value(); }
    QString FileExtension() const { return package_->FileExtension; }
    bool AllowKaprinHome() const { return package_->AllowKaprinHome; }
    QString FileBaseName() const { return package_->FileBaseName; }
    QVariant PackageTitle() const { return package_->PackageTitle; }
    void setPackageFullTitle(const QString& value) { package_->PackageFullTitle = value; }
    void setPackageCode(const QString& value) { package_->PackageCode = value; }
    void setLastUpdated(double value) { package_->LastUpdated = CalDate(value); }
    void setFileExtension(const QString& value) { package_->FileExtension = value; }
    void setAllowKaprinHome(bool value) { package_->AllowKaprinHome = value; }
    void setFileBaseName(const QString& value) { package_->FileBaseName = value; }
    void setPackageTitle(const QVariant& value) { package_->PackageTitle = value; }

private:
    PackagePtr package_;
};

// A package catalogue: a host's own, or the converter's (AcctPackages). Packages handed out are
// caller-owned objects standing for the packages themselves.
class PackagesObject : public CountedObject {
    Q_OBJECT

public:
    explicit PackagesObject(std::shared_ptr<Packages> packages, QObject* parent = nullptr);

    Q_INVOKABLE QObject* Add(const QString& PackageFullTitle, const QString& PackageCode, double LastUpdated,
                             const QString& FileExtension, const QString& FileBaseName, const QString& PackageTitle,
                             const QString& sKey = QString());
    Q_INVOKABLE QObject* Item(const QVariant& vntIndexKey);
    Q_INVOKABLE int Count() const { return packages_->Count(); }
    Q_INVOKABLE bool Remove(const QVariant& vntIndexKey);
    Q_INVOKABLE QList<QObject*> NewEnum();

private:
    std::shared_ptr<Packages> packages_;
};

} // namespace kn
