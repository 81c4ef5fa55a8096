#pragma once

#include "audit.h"
#include "caldate.h"
#include "clock.h"
#include "codepage.h"
#include "conversionchecks.h"
#include "ledgerwriter.h"
#include "packagerow.h"
#include "packages.h"
#include "prompter.h"
#include "regional.h"
#include "settingsstore.h"
#include "transrecords.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kn {

// The converter a host drives: it reads a Kaprin payment file and writes one accounting
// package's import file, raising Status at every step, ProcessComplete at the end of a
// successful conversion, and Error when the payment file holds no payments. A failed call
// throws KNError with its number, description and source ("KNExport.ImportKNFile").
class KNExport : public QObject {
    Q_OBJECT

public:
    // Regional settings of the system, the "windows-1252" code page, the user's settings store,
    // the computer's clock, a prompter that refuses every question and no package table (every
    // code selects nothing), until the host sets others.
    explicit KNExport(QObject* parent = nullptr);
    ~KNExport() override;

    void setRegionalSettings(const RegionalSettings& regional) { regional_ = regional; }
    void setCodePage(const CodePage& codePage) { codePage_ = codePage; }
    void setSettingsStore(std::shared_ptr<SettingsStore> settings);
    void setPrompter(std::shared_ptr<Prompter> prompter);
    void setClock(std::shared_ptr<const Clock> clock);
    // The writers the package codes select.
    void setPackageTable(PackageTable table) { packageTable_ = table; }
    // Conversions from bytes to bytes: while set, the payment file is read from `input` rather
    // than the input path, and the import file's bytes, a workbook's too, are put in `output`
    // (emptied first) rather than written at the output path, which still says where a writer's
    // companion files (FAS's institution number) lie. They stay on the disk, unless `companions`
    // holds a map: they are then read from it by path, the prompter is expected to put its
    // answer's file there, and the conversion touches no file. Null goes back to the files.
    struct MemoryFiles {
        std::string_view input;
        std::string output;
        std::optional<CompanionFiles> companions = std::nullopt;
    };
    void setMemoryFiles(MemoryFiles* files) { memoryFiles_ = files; }

    const RegionalSettings& regionalSettings() const { return regional_; }
    const CodePage& codePage() const { return codePage_; }

    Packages& AcctPackages();
    // The members a late-bound host calls by name through the meta-object are invokable.
    Q_INVOKABLE bool ConvertKNtoGLSpecific(const QString& PackageCode, const QString& ImportFileName,
                               const QString& ExportFileName, const QString& PackageFullTitle,
                               const QString& strCurrencyCode);
    // -1 when a file exists at the path, 0 otherwise (never fails).
    Q_INVOKABLE short Fileexists(const QString& strPath) const;
    QString QBDateFormat(CalDate dtTheDate) const;
    QString JonasDateFormat(CalDate dtTheDate) const;
    // Stores every description but the last element's as a Package; true when one was stored.
    Q_INVOKABLE bool LoadAccountingPackageList(const QStringList& strAcctPackageList);

    // What the last conversion read and chose.
    TransRecords& Records();
    const PaymentHeader& Header() const { return header_; }
    const QString& CurrencyCode() const { return currencyCode_; }
    const QString& SettingsApplication() const { return settingsApplication_; }
    // What the last conversion did with every payment it read, also when it failed part-way.
    const ConversionAudit& LastAudit() const { return audit_; }
    // Called as payments are handled (handled of total); the conversion raises no event for it.
    void setProgressHandler(std::function<void(int handled, int total)> progress) { progress_ = std::move(progress); }
    // The checks run around each conversion (none by default: null), and who is told of the
    // warnings they note; the audit keeps them too.
    void setChecks(std::shared_ptr<const ConversionChecks> checks) { checks_ = std::move(checks); }
    void setWarningHandler(std::function<void(const QString& text)> warn) { warn_ = std::move(warn); }

signals:
    void Status(const QString& StatusMessage);
    void ProcessComplete();
    void Error(int Number, const QString& Description, const QString& Location);

private:
    bool ImportKNFile(const QString& ImportFileName);
    bool runWriter(const QString& packageCode, const QString& exportFileName, const QString& packageFullTitle);

    std::unique_ptr<TransRecords> records_;
    std::unique_ptr<Packages> packages_;
    QString settingsApplication_;
    QString currencyCode_;
    PaymentHeader header_;
    ConversionAudit audit_;
    std::function<void(int, int)> progress_;
    std::shared_ptr<const ConversionChecks> checks_;
    std::function<void(const QString&)> warn_;
    RegionalSettings regional_;
    CodePage codePage_;
    std::shared_ptr<SettingsStore> settings_;
    std::shared_ptr<Prompter> prompter_;
    std::shared_ptr<const Clock> clock_;
    PackageTable packageTable_;
    MemoryFiles* memoryFiles_ = nullptr;
};

} // namespace kn
