#pragma once

#include "display.h"
#include "core/prompter.h"

namespace kn {

// Asks the user in the Qt dialogs: every prompt creates a fresh dialog, shows it modally and
// discards it. Needs a QApplication on a screen (see displayAvailable).
class DialogPrompter final : public Prompter {
public:
    DateFormatAnswer PromptDateFormat(const DateFormatRequest& request, const PromptEnvironment& environment) override;
    FiscalPeriodAnswer PromptFiscalPeriod(const QString& title, const PromptEnvironment& environment) override;
    void PromptInstitutionNumber(const QString& path, const PromptEnvironment& environment) override;
};

} // namespace kn
