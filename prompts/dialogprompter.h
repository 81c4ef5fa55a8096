#pragma once

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

// Whether Qt has somewhere to show a dialog: a platform named in QT_QPA_PLATFORM, an X display or
// a Wayland display. Ask before creating the QApplication, which ends the process without one.
bool displayAvailable();

} // namespace kn
