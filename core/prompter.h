#pragma once

#include <QString>
#include <QStringList>

namespace kn {

// A date pattern question. Without suggestions the prompt shows itself as it is designed, with
// MYOB's caption, text and patterns; a writer that lists its own patterns gives its own texts.
struct DateFormatRequest {
    QString title = {};
    QString prompt = {};
    QStringList suggestions = {};
    QString initial = {};
};

struct DateFormatAnswer {
    bool chosen = false;
    QString pattern; // as typed, not trimmed; meaningful only when chosen
};

struct FiscalPeriodAnswer {
    bool chosen = false;
    QString fiscalYear;   // as typed; meaningful only when chosen
    QString fiscalPeriod; // as typed; meaningful only when chosen
};

// The questions a writer may put to the user. Each call shows a fresh modal prompt (or answers
// without one) and discards it; the core reaches the user through nothing else.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual DateFormatAnswer PromptDateFormat(const DateFormatRequest& request) = 0;
    virtual FiscalPeriodAnswer PromptFiscalPeriod(const QString& title) = 0;
    // The answer is the file: after the call it holds the number when one was accepted.
    virtual void PromptInstitutionNumber(const QString& path) = 0;
};

// Answers every question as a user closing the prompt would: the converter's prompter until the
// host gives it another.
class RefusingPrompter final : public Prompter {
public:
    DateFormatAnswer PromptDateFormat(const DateFormatRequest&) override { return {}; }
    FiscalPeriodAnswer PromptFiscalPeriod(const QString&) override { return {}; }
    void PromptInstitutionNumber(const QString&) override {}
};

} // namespace kn
