#pragma once

#include "core/prompter.h"

#include <QDate>
#include <QString>

#include <optional>

namespace kn {

// The answers a scripted run gives in advance (knexport's --date-format, --fiscal-year,
// --fiscal-period and --institution-number); an option not given is absent.
struct ScriptedAnswers {
    std::optional<QString> dateFormat;
    std::optional<QString> fiscalYear;
    std::optional<QString> fiscalPeriod;
    std::optional<QString> institutionNumber;
};

// Answers the prompts without a screen, as a user would who typed the given answers:
// - the date prompt takes the given pattern, or the proposed one as a user pressing Enter would;
// - the fiscal period prompt takes the year and period when both are given and pass the dialog's
//   range checks against today's date on the converter's clock, and is refused otherwise;
// - the institution number prompt writes the given number into the file when it passes the
//   dialog's three checks, and leaves the file unwritten otherwise.
// After a refused prompt, or one that left its file unwritten, lastRefusal() says why in the
// dialog's own words.
class ScriptedPrompter final : public Prompter {
public:
    explicit ScriptedPrompter(ScriptedAnswers answers) : answers_(std::move(answers)) {}

    DateFormatAnswer PromptDateFormat(const DateFormatRequest& request, const PromptEnvironment& environment) override;
    FiscalPeriodAnswer PromptFiscalPeriod(const QString& title, const PromptEnvironment& environment) override;
    void PromptInstitutionNumber(const QString& path, const PromptEnvironment& environment) override;

    // Empty when the last prompt was answered.
    const QString& lastRefusal() const { return lastRefusal_; }

private:
    ScriptedAnswers answers_;
    QString lastRefusal_;
};

// The answers of the demonstration: remembered or proposed date patterns, the day's fiscal year
// and month, and a sample institution number.
ScriptedAnswers demoAnswers(QDate today);

} // namespace kn
