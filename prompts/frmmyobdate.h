#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace kn {

// The date format prompt: a prompt text, an editable list of date patterns, OK and Cancel.
// Created as MYOB's prompt with its sixteen patterns; a caller may retitle it, replace the prompt
// text and the list, and set the pattern box's text before showing it modally.
class frmMYOBDate final : public QDialog {
    Q_OBJECT

public:
    explicit frmMYOBDate(QWidget* parent = nullptr);

    // Whether the dialog was closed with OK.
    bool Chosen() const { return chosen_; }

    QLabel* const Label1;
    QComboBox* const cmbDateFormat;
    QPushButton* const cmdOk;
    QPushButton* const cmdCancel;

    // Appends the sixteen patterns to the list, in order.
    void SetupForm();
    void cmdOk_Click();
    void cmdCancel_Click();

protected:
    // Escape and the window's close box end the prompt as Cancel does.
    void reject() override;

private:
    void Form_Load();

    bool chosen_ = false;
};

} // namespace kn
