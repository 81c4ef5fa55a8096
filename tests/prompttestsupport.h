#pragma once

// Test doubles and helpers for the writers that ask the user something.

#include "testsupport.h"

#include "core/settingsstore.h"
#include "prompts/promptenvironment.h"
#include "prompts/prompter.h"
#include "prompts/scriptedprompter.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

namespace kn::testing {

// Answers from what the test sets and records every question.
class RecordingPrompter final : public Prompter {
public:
    DateFormatAnswer PromptDateFormat(const DateFormatRequest& request) override
    {
        dateRequests.push_back(request);
        if (!dateAnswer)
            return DateFormatAnswer{true, request.initial};
        return *dateAnswer;
    }
    FiscalPeriodAnswer PromptFiscalPeriod(const QString& title) override
    {
        fiscalTitles << title;
        return fiscalAnswer;
    }
    void PromptInstitutionNumber(const QString& path) override
    {
        institutionPaths << path;
        if (institutionFileContent)
            writeBytes(path, *institutionFileContent);
    }

    std::optional<DateFormatAnswer> dateAnswer; // unset: the proposal is accepted
    FiscalPeriodAnswer fiscalAnswer;             // refused unless the test sets one
    std::optional<QByteArray> institutionFileContent; // unset: the file stays unwritten

    std::vector<DateFormatRequest> dateRequests;
    QStringList fiscalTitles;
    QStringList institutionPaths;
};

// A settings store in memory that keeps a log of its writes.
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
        const QString path = application + u'/' + section + u'/' + key;
        values[path] = value;
        writes << path + u'=' + value;
    }

    std::map<QString, QString> values; // "Kaprin Desk 6/Settings/MYOBDate" -> pattern
    QStringList writes;
};

inline PromptEnvironment environmentOf(Harness& harness, QDate today = QDate(2014, 9, 2))
{
    return PromptEnvironment{harness.converter().regionalSettings(), harness.converter().codePage(),
                             std::make_shared<FixedClock>(today)};
}

inline std::shared_ptr<ScriptedPrompter> scriptedPrompter(Harness& harness, ScriptedAnswers answers)
{
    auto prompter = std::make_shared<ScriptedPrompter>(std::move(answers), environmentOf(harness));
    harness.converter().setPrompter(prompter);
    return prompter;
}

// The file's bytes against tests/data/<golden>; a mismatch leaves the bytes beside the test
// program as <golden>.actual for a look.
inline ::testing::AssertionResult matchesGolden(const QString& outputPath, const QString& golden)
{
    const QByteArray actual = readBytes(outputPath);
    const QByteArray expected = readBytes(dataPath(golden));
    if (!expected.isEmpty() && actual == expected)
        return ::testing::AssertionSuccess();
    QFile dump(golden + QStringLiteral(".actual"));
    if (dump.open(QIODevice::WriteOnly))
        dump.write(actual);
    return ::testing::AssertionFailure() << golden.toStdString() << " differs; actual bytes:\n"
                                         << actual.toStdString();
}

inline const QString kSettingsApp = QStringLiteral("Kaprin Desk 6/Settings/");

} // namespace kn::testing
