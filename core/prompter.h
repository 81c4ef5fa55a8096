#pragma once

#include "clock.h"
#include "codepage.h"
#include "regional.h"

#include <QString>
#include <QStringList>

namespace kn {

// A date pattern question: the prompt's title, its text, the patterns it suggests and the text the
// pattern box starts with.
struct DateFormatRequest {
    QString title = {};
    QString prompt = {};
    QStringList suggestions = {};
    QString initial = {};
};

// The sixteen patterns MYOB's question suggests, in the order its list shows them.
inline QStringList myobDatePatterns()
{
    return {QStringLiteral("M/D/YYYY"),   QStringLiteral("M/D/YY"),     QStringLiteral("MM/DD/YYYY"),
            QStringLiteral("MM/DD/YY"),   QStringLiteral("D/M/YYYY"),   QStringLiteral("D/M/YY"),
            QStringLiteral("DD/MM/YYYY"), QStringLiteral("DD/MM/YY"),   QStringLiteral("YYYY/M/D"),
            QStringLiteral("YYYY/MM/DD"), QStringLiteral("YYYY/D/M"),   QStringLiteral("YYYY/DD/MM"),
            QStringLiteral("YY/M/D"),     QStringLiteral("YY/MM/DD"),   QStringLiteral("YY/D/M"),
            QStringLiteral("YY/DD/MM")};
}

// MYOB's whole question: its caption, its text and its sixteen patterns.
inline DateFormatRequest myobDateFormatRequest(const QString& initial)
{
    return {QStringLiteral("MYOB Date Format"),
            QStringLiteral("Please select the date format used by the computer with MYOB installed on it."),
            myobDatePatterns(), initial};
}

struct DateFormatAnswer {
    bool chosen = false;
    QString pattern; // as typed, not trimmed; meaningful only when chosen
};

struct FiscalPeriodAnswer {
    bool chosen = false;
    QString fiscalYear;   // as typed; meaningful only when chosen
    QString fiscalPeriod; // as typed; meaningful only when chosen
};

// What a prompter is given with each question, as the converter has it then: the regional settings
// that read a typed number, the code page of the institution number file, and the clock that dates
// the fiscal year.
struct PromptEnvironment {
    const RegionalSettings& regional;
    const CodePage& codePage;
    const Clock& clock;
};

// The questions a writer may put to the user. Each call shows a fresh modal prompt (or answers
// without one) and discards it; the core reaches the user through nothing else.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual DateFormatAnswer PromptDateFormat(const DateFormatRequest& request, const PromptEnvironment& environment) = 0;
    virtual FiscalPeriodAnswer PromptFiscalPeriod(const QString& title, const PromptEnvironment& environment) = 0;
    // The answer is the file: after the call it holds the number when one was accepted.
    virtual void PromptInstitutionNumber(const QString& path, const PromptEnvironment& environment) = 0;
};

// Answers every question as a user closing the prompt would: the converter's prompter until the
// host gives it another.
class RefusingPrompter final : public Prompter {
public:
    DateFormatAnswer PromptDateFormat(const DateFormatRequest&, const PromptEnvironment&) override { return {}; }
    FiscalPeriodAnswer PromptFiscalPeriod(const QString&, const PromptEnvironment&) override { return {}; }
    void PromptInstitutionNumber(const QString&, const PromptEnvironment&) override {}
};

// A writer's questions, put to the host's prompter with the converter's region, code page and clock.
struct WriterPrompter {
    Prompter& host;
    PromptEnvironment environment;

    DateFormatAnswer PromptDateFormat(const DateFormatRequest& request) const { return host.PromptDateFormat(request, environment); }
    FiscalPeriodAnswer PromptFiscalPeriod(const QString& title) const { return host.PromptFiscalPeriod(title, environment); }
    void PromptInstitutionNumber(const QString& path) const { host.PromptInstitutionNumber(path, environment); }
};

} // namespace kn
