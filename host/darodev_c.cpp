// The C interface: every call catches what the converter throws and keeps it on the object.
#include "darodev/darodev.h"
#include "darodev/prompts.h"

#include "capihandle.h"
#include "auditreport.h"
#include "component.h"
#include "conversionrun.h"
#include "core/knerror.h"
#include "prompts/scriptedprompter.h"
#include "safety/knownaccounts.h"

#include <QByteArray>
#include <QStringList>

#include <array>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace {

QString text(const char* utf8)
{
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

// What a prompt callback wrote into its buffer, cut at the buffer's end when it wrote no NUL.
QString answerText(const std::array<char, KN_PROMPT_ANSWER_SIZE>& buffer)
{
    return QString::fromUtf8(buffer.data(), static_cast<qsizetype>(strnlen(buffer.data(), buffer.size())));
}

// The prompts put to the host's callbacks; a missing callback refuses its prompt. The table is
// read at each prompt: a host that destroys the object inside an event is asked nothing more.
class CallbackPrompter final : public kn::Prompter {
public:
    explicit CallbackPrompter(const kn_export& handle) : handle_(handle) {}

    kn::DateFormatAnswer PromptDateFormat(const kn::DateFormatRequest& request, const kn::PromptEnvironment&) override
    {
        const auto dateFormat = callback(&kn_prompts::date_format);
        if (!dateFormat)
            return {};
        std::vector<QByteArray> suggestions;
        std::vector<const char*> pointers;
        for (const QString& suggestion : request.suggestions)
            suggestions.push_back(suggestion.toUtf8());
        for (const QByteArray& suggestion : suggestions)
            pointers.push_back(suggestion.constData());
        std::array<char, KN_PROMPT_ANSWER_SIZE> pattern{};
        const bool chosen = dateFormat(handle_.promptsUser, request.title.toUtf8().constData(),
                                       request.prompt.toUtf8().constData(), pointers.data(),
                                       static_cast<int>(pointers.size()), request.initial.toUtf8().constData(),
                                       pattern.data()) == 1;
        return {chosen, chosen ? answerText(pattern) : QString()};
    }

    kn::FiscalPeriodAnswer PromptFiscalPeriod(const QString& title, const kn::PromptEnvironment&) override
    {
        const auto fiscalPeriod = callback(&kn_prompts::fiscal_period);
        if (!fiscalPeriod)
            return {};
        std::array<char, KN_PROMPT_ANSWER_SIZE> year{};
        std::array<char, KN_PROMPT_ANSWER_SIZE> period{};
        if (fiscalPeriod(handle_.promptsUser, title.toUtf8().constData(), year.data(), period.data()) != 1)
            return {};
        return {true, answerText(year), answerText(period)};
    }

    void PromptInstitutionNumber(const QString& path, const kn::PromptEnvironment& environment) override
    {
        if (const auto institutionNumber = callback(&kn_prompts::institution_number))
            institutionNumber(handle_.promptsUser, path.toUtf8().constData(), environment.regional.name().toUtf8().constData(),
                              environment.codePage.name().toUtf8().constData());
    }

private:
    template <typename Callback>
    Callback callback(Callback kn_prompts::*member) const
    {
        return handle_.prompts ? (*handle_.prompts).*member : nullptr;
    }

    const kn_export& handle_;
};

void connectEvents(kn_export* handle)
{
    auto* converter = handle->converter.get();
    QObject::connect(converter, &kn::KNExport::Status, converter, [handle](const QString& message) {
        if (handle->onStatus)
            handle->onStatus(handle->statusUser, message.toUtf8().constData());
    });
    QObject::connect(converter, &kn::KNExport::ProcessComplete, converter, [handle] {
        if (handle->onComplete)
            handle->onComplete(handle->completeUser);
    });
    QObject::connect(converter, &kn::KNExport::Error, converter,
                     [handle](int number, const QString& description, const QString& location) {
                         if (handle->onError)
                             handle->onError(handle->errorUser, number, description.toUtf8().constData(),
                                             location.toUtf8().constData());
                     });
}

// The checks' options as the handle holds them, changed by `change`, then handed to the converter;
// -1 for NULL.
template <typename Change>
int changeSafetyOptions(kn_export* converter, Change change)
{
    if (!converter)
        return -1;
    converter->clearError();
    change(converter->safety);
    converter->converter->setChecks(kn::makeSafetyChecks(converter->safety));
    return 0;
}

} // namespace

extern "C" {

kn_export* kn_export_create(const char* locale, const char* codepage, const char* settings_ini)
{
    try {
        auto handle = std::make_unique<kn_export>();
        handle->converter = kn::createKNExport({text(locale), text(codepage), text(settings_ini)});
        connectEvents(handle.get());
        handle->converter->setWarningHandler([converter = handle.get()](const QString& warning) {
            if (converter->onWarning)
                converter->onWarning(converter->warningUser, warning.toUtf8().constData());
        });
        return handle.release();
    } catch (...) {
        return nullptr; // an unknown code page, or no memory
    }
}

void kn_export_destroy(kn_export* converter)
{
    if (!converter)
        return;
    if (converter->converting) {
        converter->destroyRequested = true;
        converter->onStatus = nullptr;
        converter->onComplete = nullptr;
        converter->onError = nullptr;
        converter->onWarning = nullptr;
        converter->prompts.reset();
        return;
    }
    delete converter;
}

void kn_export_on_status(kn_export* converter, void (*fn)(void*, const char*), void* user)
{
    if (!converter)
        return;
    converter->onStatus = fn;
    converter->statusUser = user;
}

void kn_export_on_complete(kn_export* converter, void (*fn)(void*), void* user)
{
    if (!converter)
        return;
    converter->onComplete = fn;
    converter->completeUser = user;
}

void kn_export_on_error(kn_export* converter, void (*fn)(void*, int, const char*, const char*), void* user)
{
    if (!converter)
        return;
    converter->onError = fn;
    converter->errorUser = user;
}

int kn_export_set_answer(kn_export* converter, const char* name, const char* value)
{
    if (!converter)
        return -1;
    converter->clearError();
    if (!name || !value)
        return converter->failInvalidArgument("kn_export_set_answer");
    try {
        const QString option = QString::fromUtf8(name);
        if (!kn::setScriptedAnswer(converter->answers, option, QString::fromUtf8(value)))
            return converter->failInvalidArgument("kn_export_set_answer",
                                                  QStringLiteral("'%1' is not the name of an answer").arg(option));
        return 0;
    } catch (...) {
        return converter->failUnexpected("kn_export_set_answer");
    }
}

int kn_export_set_prompts(kn_export* converter, const kn_prompts* prompts, void* user)
{
    if (!converter)
        return -1;
    converter->clearError();
    converter->prompts = prompts ? std::optional<kn_prompts>(*prompts) : std::nullopt;
    converter->promptsUser = user;
    return 0;
}

int kn_export_convert(kn_export* converter, const char* package_code, const char* input, const char* output,
                      const char* title, const char* currency)
{
    if (!converter)
        return -1;
    converter->clearError();
    if (!package_code || !input || !output || !title || !currency)
        return converter->failInvalidArgument("KNExport.ConvertKNtoGLSpecific");
    // A conversion started from inside an event of another would clear the records being written.
    if (converter->converting)
        return converter->failInvalidArgument("KNExport.ConvertKNtoGLSpecific",
                                              QStringLiteral("a conversion is already running on this object"));
    converter->converting = true;
    int result = -1;
    try {
        const auto scripted = converter->prompts ? nullptr : std::make_shared<kn::ScriptedPrompter>(converter->answers);
        const kn::ConversionResult conversion = kn::runConversion(
            *converter->converter,
            {text(package_code), text(input), text(output), text(title), text(currency),
             scripted ? std::shared_ptr<kn::Prompter>(scripted) : std::make_shared<CallbackPrompter>(*converter)});
        // A refused prompt is no failure, yet the host may show why it was refused. What a call
        // refused from inside an event left here is not this call's.
        converter->clearError();
        if (conversion.ending == kn::ConversionEnding::Failed) {
            result = converter->fail(*conversion.error);
        } else {
            if (conversion.audit.refused)
                converter->errorDetail = conversion.audit.refused->toUtf8();
            else if (scripted)
                converter->errorDetail = scripted->lastRefusal().toUtf8();
            result = conversion.converted() ? 1 : 0;
        }
    } catch (...) {
        result = converter->failUnexpected("KNExport.ConvertKNtoGLSpecific");
    }
    converter->converting = false;
    if (converter->destroyRequested)
        delete converter;
    return result;
}

int kn_export_set_history(kn_export* converter, const char* path)
{
    return changeSafetyOptions(converter, [&](kn::SafetyOptions& options) { options.historyPath = text(path); });
}

int kn_export_set_refuse_repeat(kn_export* converter, int refuse)
{
    return changeSafetyOptions(converter, [&](kn::SafetyOptions& options) { options.refuseRepeat = refuse != 0; });
}

int kn_export_set_known_accounts(kn_export* converter, const char* const* accounts, int count)
{
    if (!converter)
        return -1;
    converter->clearError();
    if (accounts && count < 0)
        return converter->failInvalidArgument("kn_export_set_known_accounts");
    try {
        std::optional<kn::KnownAccounts> known;
        if (accounts) {
            QStringList list;
            for (int i = 0; i < count; ++i) {
                if (!accounts[i])
                    return converter->failInvalidArgument("kn_export_set_known_accounts");
                list << QString::fromUtf8(accounts[i]);
            }
            known.emplace(list);
        }
        return changeSafetyOptions(converter, [&](kn::SafetyOptions& options) { options.knownAccounts.swap(known); });
    } catch (...) {
        return converter->failUnexpected("kn_export_set_known_accounts");
    }
}

int kn_export_load_known_accounts(kn_export* converter, const char* path)
{
    if (!converter)
        return -1;
    converter->clearError();
    try {
        std::optional<kn::KnownAccounts> accounts;
        if (path)
            accounts.emplace(kn::KnownAccounts::fromFile(text(path)));
        return changeSafetyOptions(converter, [&](kn::SafetyOptions& options) { options.knownAccounts.swap(accounts); });
    } catch (const kn::KNError& error) {
        return converter->fail(error.withSource(QStringLiteral("kn_export_load_known_accounts")));
    } catch (...) {
        return converter->failUnexpected("kn_export_load_known_accounts");
    }
}

int kn_export_set_strict_accounts(kn_export* converter, int strict)
{
    return changeSafetyOptions(converter, [&](kn::SafetyOptions& options) { options.strictAccounts = strict != 0; });
}

void kn_export_on_warning(kn_export* converter, void (*fn)(void*, const char*), void* user)
{
    if (!converter)
        return;
    converter->onWarning = fn;
    converter->warningUser = user;
}

const char* kn_export_audit_json(kn_export* converter)
{
    if (!converter)
        return "";
    try {
        const kn::ConversionAudit& audit = converter->converter->LastAudit();
        converter->auditJson = audit.package.isNull() && audit.input.isNull() ? QByteArray() : kn::auditJson(audit);
        return converter->auditJson.constData();
    } catch (...) {
        return "";
    }
}

int kn_export_error_number(const kn_export* converter)
{
    return converter ? converter->errorNumber : static_cast<int>(kn::ErrorCode::InvalidProcedureCall);
}

const char* kn_export_error_description(const kn_export* converter)
{
    // Without an object to keep it on, the failure of the call that took NULL is told here.
    static const QByteArray invalidArgument = kn::errorDescription(kn::ErrorCode::InvalidProcedureCall).toUtf8();
    return converter ? converter->errorDescription.constData() : invalidArgument.constData();
}

const char* kn_export_error_source(const kn_export* converter)
{
    return converter ? converter->errorSource.constData() : "";
}

const char* kn_export_error_detail(const kn_export* converter)
{
    return converter ? converter->errorDetail.constData() : "";
}

int kn_export_record_count(const kn_export* converter)
{
    if (!converter)
        return -1;
    try {
        // The collection comes into being on first use, also when a host only asks how many.
        return const_cast<kn::KNExport&>(*converter->converter).Records().Count();
    } catch (...) {
        return -1;
    }
}

int kn_export_load_packages(kn_export* converter, const char* const* descriptions, int count)
{
    if (!converter)
        return -1;
    converter->clearError();
    if (count < 0 || (count > 0 && !descriptions))
        return converter->failInvalidArgument("KNExport.LoadAccountingPackageList");
    try {
        QStringList list;
        for (int i = 0; i < count; ++i) {
            if (!descriptions[i])
                return converter->failInvalidArgument("KNExport.LoadAccountingPackageList");
            list << QString::fromUtf8(descriptions[i]);
        }
        return converter->converter->LoadAccountingPackageList(list) ? 1 : 0;
    } catch (const kn::KNError& error) {
        return converter->fail(error);
    } catch (...) {
        return converter->failUnexpected("KNExport.LoadAccountingPackageList");
    }
}

int kn_export_package_count(kn_export* converter)
{
    if (!converter)
        return -1;
    try {
        // The catalogue comes into being on first use, also when a host only asks how many.
        return converter->converter->AcctPackages().Count();
    } catch (...) {
        return -1;
    }
}

const char* kn_export_package_text(kn_export* converter, int index, const char* name)
{
    if (!converter)
        return nullptr;
    converter->clearError();
    const char* const source = "KNExport.AcctPackages";
    try {
        const kn::Packages& packages = converter->converter->AcctPackages();
        if (!name || index < 0 || index >= packages.Count()) {
            converter->failInvalidArgument(source);
            return nullptr;
        }
        const kn::Package& package = *packages.Item(index + 1);
        const QByteArray property(name);
        QString value;
        if (property == "code") {
            value = package.PackageCode;
        } else if (property == "full-title") {
            value = package.PackageFullTitle;
        } else if (property == "title") {
            value = package.PackageTitle.toString();
        } else if (property == "extension") {
            value = package.FileExtension;
        } else if (property == "base-name") {
            value = package.FileBaseName;
        } else if (property == "last-updated") {
            // A value from 0 up to 1 is a time of day on no date.
            const double days = package.LastUpdated.value();
            value = days >= 0 && days < 1 ? QString() : package.LastUpdated.toQDate().toString(Qt::ISODate);
        } else if (property == "allow-kaprin-home") {
            value = package.AllowKaprinHome ? QStringLiteral("1") : QStringLiteral("0");
        } else {
            converter->failInvalidArgument(source, QStringLiteral("no package text is named \"%1\"").arg(text(name)));
            return nullptr;
        }
        converter->packageText = value.toUtf8();
        return converter->packageText.constData();
    } catch (...) {
        converter->failUnexpected(source);
        return nullptr;
    }
}

const char* kn_version(void)
{
    return DARODEV_VERSION;
}

} // extern "C"
