#include "promptmessagebox.h"

#include <QMessageBox>

namespace kn {

void showPromptMessage(QWidget* dialog, const PromptMessage& message)
{
    const QMessageBox::StandardButtons buttons = message.buttons == PromptMessage::Buttons::OkCancel
                                                     ? QMessageBox::Ok | QMessageBox::Cancel
                                                     : QMessageBox::Ok;
    const QMessageBox::Icon icon =
        message.icon == PromptMessage::Icon::Information ? QMessageBox::Information : QMessageBox::NoIcon;
    QMessageBox box(icon, message.title, message.text, buttons, dialog);
    box.exec();
    // Back in the dialog, which takes the keyboard again wherever a window manager would not.
    if (dialog)
        dialog->activateWindow();
}

} // namespace kn
