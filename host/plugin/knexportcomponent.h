#pragma once

#include "core/knexport.h"
#include "prompts/scriptedprompter.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace kn {

// The converter as a late-bound host sees it: every public member of KNExport callable by name
// through the meta-object, the three events forwarded under their own names, and a failed call
// kept in the Error* properties instead of thrown, since no exception may cross into a host that
// knows nothing of KNError.
class KNExportComponent : public QObject {
    Q_OBJECT
    Q_PROPERTY(int ErrorNumber READ ErrorNumber)
    Q_PROPERTY(QString ErrorDescription READ ErrorDescription)
    Q_PROPERTY(QString ErrorSource READ ErrorSource)
    Q_PROPERTY(QString ErrorDetail READ ErrorDetail)

public:
    explicit KNExportComponent(std::unique_ptr<KNExport> converter, QObject* parent = nullptr);
    ~KNExportComponent() override;

    // The catalogue, the same Packages object every time: what a host adds through it is what
    // LoadAccountingPackageList adds to. Owned by this object.
    Q_INVOKABLE QObject* AcctPackages();
    // The payments of the last payment file read, the same TransRecords object every time. Owned
    // by this object.
    Q_INVOKABLE QObject* Records();
    // False with the Error* properties set when the call failed.
    Q_INVOKABLE bool ConvertKNtoGLSpecific(const QString& PackageCode, const QString& ImportFileName,
                                           const QString& ExportFileName, const QString& PackageFullTitle,
                                           const QString& strCurrencyCode);
    Q_INVOKABLE short Fileexists(const QString& strPath) const;
    Q_INVOKABLE QString QBDateFormat(double dtTheDate) const;
    Q_INVOKABLE QString JonasDateFormat(double dtTheDate) const;
    Q_INVOKABLE bool LoadAccountingPackageList(const QStringList& strAcctPackageList);

    // A scripted answer under the name of knexport's option ("date-format", "fiscal-year",
    // "fiscal-period", "institution-number"); false for another name.
    Q_INVOKABLE bool SetAnswer(const QString& name, const QString& value);
    Q_INVOKABLE int RecordCount();

    int ErrorNumber() const { return errorNumber_; }
    QString ErrorDescription() const { return errorDescription_; }
    QString ErrorSource() const { return errorSource_; }
    QString ErrorDetail() const { return errorDetail_; }

signals:
    void Status(const QString& StatusMessage);
    void ProcessComplete();
    void Error(int Number, const QString& Description, const QString& Location);

private:
    void clearError();
    void keepError(const KNError& error);

    std::unique_ptr<KNExport> converter_;
    QObject* packages_ = nullptr;
    QObject* records_ = nullptr;
    ScriptedAnswers answers_;
    int errorNumber_ = 0;
    QString errorDescription_;
    QString errorSource_;
    QString errorDetail_;
};

} // namespace kn
