#pragma once

#include "core/codepage.h"
#include "core/regional.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kn {

// The institution number prompt: a text box and "&Ok", no Cancel. An acceptable number is written
// into the institution number file, which is the prompt's only answer; closing the window leaves
// the file unwritten.
class frmFASInstNum final : public QDialog {
    Q_OBJECT

public:
    frmFASInstNum(RegionalSettings regional, CodePage codePage, QWidget* parent = nullptr);

    QLabel* const lblInfo;
    QLineEdit* const txtInstitutionNumber;
    QPushButton* const cmdOk;

    // The institution number file the answer goes into.
    void SetFileName(const QString& strFileName) { fileName_ = strFileName; }
    const QString& FileName() const { return fileName_; }
    // True when the entry is acceptable; otherwise the user has been told why.
    bool ValidateEntry();
    void cmdOk_Click();

protected:
    // With no Cancel button, Escape does nothing; only the close box ends the prompt unanswered.
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    RegionalSettings regional_;
    CodePage codePage_;
    QString fileName_;
};

} // namespace kn
