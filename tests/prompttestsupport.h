#pragma once

// Test doubles and helpers for the writers that ask the user something.

#include "testsupport.h"

#include "core/settingsstore.h"
#include "core/prompter.h"
#include "prompts/scriptedprompter.h"

#include <map>
#include <optional>
#include <vector>

namespace kn::testing {

// Records every question and the region, code page and day it came with; the date prompt takes
// `dateAnswer` or else the proposal, the other two go unanswered.
class RecordingPrompter final : public Prompter {
public:
    DateFormatAnswer PromptDateFormat(const DateFormatRequest& request, const PromptEnvironment& environment) override
    {
        record(environment);
        dateRequests.push_back(request);
        return dateAnswer.value_or(DateFormatAnswer{true, request.initial});
    }
    FiscalPeriodAnswer PromptFiscalPeriod(const QString& title, const PromptEnvironment& environment) override
    {
        record(environment);
        fiscalTitles << title;
        return {};
    }
    void PromptInstitutionNumber(const QString&, const PromptEnvironment& environment) override { record(environment); }

    std::optional<DateFormatAnswer> dateAnswer;
    std::vector<DateFormatRequest> dateRequests;
    QStringList fiscalTitles;
    QStringList environments; // "region code-page yyyy-MM-dd"

private:
    void record(const PromptEnvironment& environment)
    {
        environments << QStringLiteral("%1 %2 %3").arg(environment.regional.name(), environment.codePage.name(),
                                                        environment.clock.today().toString(Qt::ISODate));
    }
};

// A settings store in memory, keyed "application/section/key", that logs its writes.
class RecordingSettings final : public SettingsStore {
public:
    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override
    {
        const auto found = values.find(application + u'/' + section + u'/' + key);
        return found == values.end() ? defaultValue : found->second;
    }
    void write(const QString& application, const QString& section, const QString& key, const QString& value) override
    {
        values[application + u'/' + section + u'/' + key] = value;
        writes << application + u'/' + section + u'/' + key + u'=' + value;
    }

    std::map<QString, QString> values;
    QStringList writes;
};

inline std::shared_ptr<ScriptedPrompter> scriptedPrompter(Harness& harness, ScriptedAnswers answers)
{
    auto prompter = std::make_shared<ScriptedPrompter>(std::move(answers));
    harness.converter().setPrompter(prompter);
    return prompter;
}

inline const QString kSettingsApp = QStringLiteral("Kaprin Desk 6/Settings/");

} // namespace kn::testing
