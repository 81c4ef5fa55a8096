// The knexport-dialogs module: the Qt application and the dialog prompter, made on knexport's
// behalf when a run asks for dialogs.
#include "dialogsmodule.h"

#include "prompts/dialogprompter.h"

#include <QApplication>

extern "C" Q_DECL_EXPORT QCoreApplication* knexport_make_dialog_application(int& argc, char** argv)
{
    return new QApplication(argc, argv);
}

extern "C" Q_DECL_EXPORT kn::Prompter* knexport_make_dialog_prompter()
{
    return new kn::DialogPrompter();
}

// The entry points' types are the ones knexport looks them up as.
static_assert(std::is_same_v<decltype(&knexport_make_dialog_application), kn::MakeDialogApplication>);
static_assert(std::is_same_v<decltype(&knexport_make_dialog_prompter), kn::MakeDialogPrompter>);
