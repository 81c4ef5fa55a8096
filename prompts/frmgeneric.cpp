#include "frmgeneric.h"

#include "promptchecks.h"
#include "promptmessagebox.h"
#include "twips.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace kn {

namespace {

QComboBox* editableUnsortedList(QWidget* parent, const QString& name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    // The range checks read their bounds from the first and last entries: typing adds none.
    box->setInsertPolicy(QComboBox::NoInsert);
    // Nor is it completed from the list: a typed "201" must not become "2017" on Enter.
    box->setCompleter(nullptr);
    return box;
}

QStringList entriesOf(const QComboBox& box)
{
    QStringList entries;
    for (int i = 0; i < box.count(); ++i)
        entries << box.itemText(i);
    return entries;
}

} // namespace

frmGeneric::frmGeneric(QDate today, QWidget* parent)
    : QDialog(parent),
      Label5(new QLabel(QStringLiteral("Fiscal Year : "), this)),
      cboFiscalYear(editableUnsortedList(this, QStringLiteral("cboFiscalYear"))),
      Label6(new QLabel(QStringLiteral("Fiscal Period : "), this)),
      cboFiscalPeriod(editableUnsortedList(this, QStringLiteral("cboFiscalPeriod"))),
      cmdOk(new QPushButton(QStringLiteral("OK"), this)),
      cmdCancel(new QPushButton(QStringLiteral("Cancel"), this)),
      today_(today)
{
    setObjectName(QStringLiteral("frmGeneric"));
    useDialogFont(*this);
    setWindowTitle(QStringLiteral("Generic Entry Form"));
    fixClientSizeInTwips(*this, 2610, 1395);

    Label5->setObjectName(QStringLiteral("Label5"));
    placeInTwips(*Label5, 120, 120, 1425, 225);
    placeInTwips(*cboFiscalYear, 1560, 60, 945);
    Label6->setObjectName(QStringLiteral("Label6"));
    placeInTwips(*Label6, 120, 520, 1425, 225);
    placeInTwips(*cboFiscalPeriod, 1560, 480, 945);

    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    placeInTwips(*cmdOk, 120, 930, 975, 375);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    placeInTwips(*cmdCancel, 1560, 930, 945, 375);

    setTabOrder(cboFiscalYear, cboFiscalPeriod);
    setTabOrder(cboFiscalPeriod, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
    cboFiscalYear->setFocus();

    connect(cmdOk, &QPushButton::clicked, this, &frmGeneric::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmGeneric::cmdCancel_Click);
    Form_Load();
}

void frmGeneric::Form_Load()
{
    SetupForm();
}

void frmGeneric::SetupForm()
{
    const FiscalChoices choices = fiscalChoicesFor(today_);
    cboFiscalYear->addItems(choices.years);
    cboFiscalYear->setEditText(choices.year);
    cboFiscalPeriod->addItems(choices.periods);
    cboFiscalPeriod->setEditText(choices.period);
}

void frmGeneric::cmdOk_Click()
{
    const FiscalCheck check = checkFiscalAnswer(entriesOf(*cboFiscalYear), cboFiscalYear->currentText(),
                                                entriesOf(*cboFiscalPeriod), cboFiscalPeriod->currentText());
    switch (check) {
    case FiscalCheck::Accepted:
        chosen_ = true;
        hide();
        return;
    case FiscalCheck::InvalidYear:
        // Whichever button closes the message, the user corrects the year.
        showPromptMessage(this, fiscalMessage(check));
        cboFiscalYear->setFocus();
        return;
    case FiscalCheck::InvalidPeriod:
        showPromptMessage(this, fiscalMessage(check));
        cboFiscalPeriod->setFocus();
        return;
    case FiscalCheck::YearUnreadable:
    case FiscalCheck::PeriodUnreadable:
        // An answer that cannot be read at all ends the prompt as refused.
        chosen_ = false;
        hide();
        return;
    }
}

void frmGeneric::cmdCancel_Click()
{
    chosen_ = false;
    hide();
}

void frmGeneric::reject()
{
    cmdCancel_Click();
}

} // namespace kn
