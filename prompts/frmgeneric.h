#pragma once

#include <QDate>
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace kn {

// The fiscal period prompt: editable lists of fiscal years and periods built from the day it is
// created, OK and Cancel. OK is accepted only when both answers lie within their lists' range;
// otherwise a message says which is wrong and the dialog stays open.
class frmGeneric final : public QDialog {
    Q_OBJECT

public:
    explicit frmGeneric(QDate today, QWidget* parent = nullptr);

    // Whether the dialog was closed by an accepted OK.
    bool Chosen() const { return chosen_; }

    QLabel* const Label5;
    QComboBox* const cboFiscalYear;
    QLabel* const Label6;
    QComboBox* const cboFiscalPeriod;
    QPushButton* const cmdOk;
    QPushButton* const cmdCancel;

    // Fills both lists and puts the day's year and month in the boxes.
    void SetupForm();
    void cmdOk_Click();
    void cmdCancel_Click();

protected:
    void reject() override;

private:
    void Form_Load();

    QDate today_;
    bool chosen_ = false;
};

} // namespace kn
