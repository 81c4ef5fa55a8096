#pragma once

#include "promptchecks.h"

class QWidget;

namespace kn {

// Shows the message modally over the dialog and waits until the user closes it.
void showPromptMessage(QWidget* dialog, const PromptMessage& message);

} // namespace kn
