#pragma once

#include "display.h"
#include "promptenvironment.h"
#include "core/prompter.h"

namespace kn {

// Asks the user in the Qt dialogs: every prompt creates a fresh dialog, shows it modally and
// discards it. Needs a QApplication on a screen (see displayAvailable).
class DialogPrompter final : public Prompter {
public:
    explicit DialogPrompter(PromptEnvironment environment = PromptEnvironment());

    DateFormatAnswer PromptDateFormat(const DateFormatRequest& request) override;
    FiscalPeriodAnswer PromptFiscalPeriod(const QString& title) override;
    void PromptInstitutionNumber(const QString& path) override;

private:
    PromptEnvironment environment_;
};

} // namespace kn
