#include "safetychecks.h"

#include "history.h"

#include "core/paymentfile.h"
#include "core/transrecords.h"

#include <QDir>

namespace kn {

namespace {

QString shownTime(const QDateTime& time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" UTC");
}

// The earlier conversions a warning names; the audit holds every one.
constexpr int kNamedConversions = 3;
constexpr int kNamedAccounts = 10;

class SafetyRun final : public ConversionChecks::Run {
public:
    SafetyRun(const SafetyOptions& options, const QString& input, ConversionChecks::WarningHandler warn);
    ~SafetyRun() override;

    bool beforeWriting(ConversionAudit& audit, const PaymentHeader& header, const TransRecords& records,
                       const QString& packageCode, const QString& packageTitle) override;
    void afterWriting(ConversionAudit& audit) override;

private:
    // The fingerprint of what was read or written, or of the file read again.
    static std::optional<FileFingerprint> fingerprintOf(std::unique_ptr<StreamFingerprint>& stream, const QString& path);
    void warn(ConversionAudit& audit, const QString& text);

    const SafetyOptions& options_; // the SafetyChecks', which KNExport keeps while the run lives
    ConversionChecks::WarningHandler warn_;
    std::unique_ptr<ConversionHistory> history_;
    std::unique_ptr<StreamFingerprint> inputFingerprint_;
    std::unique_ptr<StreamFingerprint> outputFingerprint_;
    ConversionRecord conversion_;
    bool inputReadable_ = false;
};

class SafetyChecks final : public ConversionChecks {
public:
    explicit SafetyChecks(SafetyOptions options) : options_(std::move(options)) {}

    std::unique_ptr<Run> start(const QString& input, WarningHandler warn) const override
    {
        return std::make_unique<SafetyRun>(options_, input, std::move(warn));
    }

private:
    SafetyOptions options_;
};

SafetyRun::SafetyRun(const SafetyOptions& options, const QString& input, ConversionChecks::WarningHandler warn)
    : options_(options), warn_(std::move(warn))
{
    if (options_.historyPath.isEmpty())
        return;
    history_ = std::make_unique<ConversionHistory>(options_.historyPath, options_.historyBusyTimeoutMs);
    inputFingerprint_ = std::make_unique<StreamFingerprint>(input);
    conversion_.input = QDir::toNativeSeparators(QFileInfo(input).absoluteFilePath());
}

// The watches end in the order they began.
SafetyRun::~SafetyRun()
{
    outputFingerprint_.reset();
    inputFingerprint_.reset();
}

std::optional<FileFingerprint> SafetyRun::fingerprintOf(std::unique_ptr<StreamFingerprint>& stream, const QString& path)
{
    std::optional<FileFingerprint> fingerprint;
    if (stream)
        fingerprint = stream->result(QFileInfo(path).size());
    if (!fingerprint)
        fingerprint = fingerprintFile(path); // a workbook written out of order, a read that failed
    return fingerprint;
}

void SafetyRun::warn(ConversionAudit& audit, const QString& text)
{
    audit.warnings.append(text);
    if (warn_)
        warn_(text);
}

bool SafetyRun::beforeWriting(ConversionAudit& audit, const PaymentHeader& header, const TransRecords& records,
                              const QString& packageCode, const QString& packageTitle)
{
    if (options_.knownAccounts) {
        for (const TransRecordPtr& record : records) {
            const QString account = record->GLAccount().trimmed();
            if (!options_.knownAccounts->knows(account))
                audit.unknownAccounts.append({record->PaymentFileLine, account, record->PaidTo().trimmed(), record->Amount});
        }
        if (options_.strictAccounts && !audit.unknownAccounts.isEmpty()) {
            audit.refused = QStringLiteral("refused: ") + unknownAccountsText(audit, kNamedAccounts);
            return false;
        }
    }
    if (!history_)
        return true;
    conversion_.packageCode = packageCode;
    conversion_.packageTitle = packageTitle.isEmpty() ? packageCode : packageTitle;
    conversion_.session = header.sessionNumber.trimmed();
    conversion_.entrySource = header.entrySource.trimmed();
    conversion_.paymentsRead = audit.paymentsRead;
    conversion_.debitsRead = audit.debitsRead;
    conversion_.creditsRead = audit.creditsRead;
    const std::optional<FileFingerprint> input = fingerprintOf(inputFingerprint_, audit.input);
    inputReadable_ = input.has_value();
    if (input)
        conversion_.inputFile = *input;
    QString problem;
    const std::vector<EarlierConversion> earlier = history_->earlierConversions(conversion_, &problem);
    if (!problem.isEmpty())
        warn(audit, problem + QStringLiteral("; earlier conversions were not looked for"));
    for (const EarlierConversion& conversion : earlier)
        audit.alreadyConverted.append({shownTime(conversion.record.time), conversion.record.input,
                                       conversion.record.output, repeatMatchText(conversion.match)});
    if (!earlier.empty()) {
        const QString text = repeatWarning(audit, packageCode, conversion_.packageTitle);
        if (options_.refuseRepeat) {
            audit.refused = QStringLiteral("refused: ") + text;
            return false;
        }
        warn(audit, text);
    }
    if (options_.recordConversion)
        outputFingerprint_ = std::make_unique<StreamFingerprint>(audit.output);
    return true;
}

void SafetyRun::afterWriting(ConversionAudit& audit)
{
    if (!history_ || !options_.recordConversion)
        return;
    conversion_.time = QDateTime::currentDateTimeUtc();
    conversion_.written = audit.written;
    conversion_.output = QDir::toNativeSeparators(QFileInfo(audit.output).absoluteFilePath());
    const std::optional<FileFingerprint> output = fingerprintOf(outputFingerprint_, audit.output);
    outputFingerprint_.reset();
    if (output)
        conversion_.outputFile = *output;
    QString problem;
    if (!inputReadable_ || !output)
        problem = QStringLiteral("the payment file or the import file could not be read again to fingerprint it");
    else if (history_->record(conversion_, &problem))
        return;
    warn(audit, problem + QStringLiteral("; this conversion is not in the history"));
}

} // namespace

std::shared_ptr<const ConversionChecks> makeSafetyChecks(SafetyOptions options)
{
    return std::make_shared<SafetyChecks>(std::move(options));
}

QString unknownAccountsText(const ConversionAudit& audit, int listed)
{
    QStringList items;
    for (const AuditUnknownAccount& payment : audit.unknownAccounts) {
        if (items.size() == listed)
            break;
        items.append(QStringLiteral("line %1: %2").arg(payment.line).arg(payment.account));
    }
    const qsizetype more = audit.unknownAccounts.size() - items.size();
    return QStringLiteral("%1 %2 to accounts the package does not know (%3%4)")
        .arg(audit.unknownAccounts.size())
        .arg(audit.unknownAccounts.size() == 1 ? QStringLiteral("payment goes") : QStringLiteral("payments go"))
        .arg(items.join(QStringLiteral("; ")))
        .arg(more > 0 ? QStringLiteral("; and %1 more").arg(more) : QString());
}

QString repeatWarning(const ConversionAudit& audit, const QString& packageCode, const QString& packageTitle)
{
    QStringList named;
    for (const AuditEarlierConversion& earlier : audit.alreadyConverted) {
        if (named.size() == kNamedConversions)
            break;
        named.append(QStringLiteral("on %1 into %2 (%3)").arg(earlier.time, earlier.output, earlier.match));
    }
    const qsizetype more = audit.alreadyConverted.size() - named.size();
    const bool once = audit.alreadyConverted.size() == 1;
    return QStringLiteral("these payments were converted for %1 (%2) before: %3%4; importing %5 posts the payments %6")
        .arg(packageTitle, packageCode, named.join(QStringLiteral(", ")),
             more > 0 ? QStringLiteral(", and %1 more times").arg(more) : QString(),
             once ? QStringLiteral("both") : QStringLiteral("this file too"),
             once ? QStringLiteral("twice") : QStringLiteral("again"));
}

} // namespace kn
