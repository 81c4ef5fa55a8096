#pragma once

// knexport's Qt dialogs live in a module of their own (knexport-dialogs), loaded only when a run
// asks for dialogs, so that every other run starts without the widget libraries.
#include "core/prompter.h"

#include <QCoreApplication>

#include <memory>
#include <optional>

namespace kn {

// The module's entry points, looked up by these names.
using MakeDialogApplication = QCoreApplication* (*)(int& argc, char** argv);
using MakeDialogPrompter = Prompter* (*)();
inline constexpr char kMakeDialogApplication[] = "knexport_make_dialog_application";
inline constexpr char kMakeDialogPrompter[] = "knexport_make_dialog_prompter";

struct DialogsModule {
    MakeDialogApplication makeApplication = nullptr;
    MakeDialogPrompter makePrompter = nullptr;
};

// Loads the module from beside the running executable, else from the installed module folder;
// on failure `why` tells what was tried and what the loader said.
std::optional<DialogsModule> loadDialogsModule(QString& why);

} // namespace kn
