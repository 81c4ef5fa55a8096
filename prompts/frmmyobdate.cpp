#include "frmmyobdate.h"

#include "twips.h"

#include "core/prompter.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

namespace kn {

frmMYOBDate::frmMYOBDate(QWidget* parent)
    : QDialog(parent),
      Label1(new QLabel(this)),
      cmbDateFormat(new QComboBox(this)),
      cmdOk(new QPushButton(QStringLiteral("OK"), this)),
      cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmMYOBDate"));
    useDialogFont(*this);
    setWindowTitle(QStringLiteral("MYOB Date Format"));
    fixClientSizeInTwips(*this, 3465, 1545);

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setText(QStringLiteral("Please select the date format used by the computer with MYOB installed on it."));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeInTwips(*Label1, 120, 120, 3255, 495);

    cmbDateFormat->setObjectName(QStringLiteral("cmbDateFormat"));
    cmbDateFormat->setEditable(true);
    // What the user types is the answer; it never joins the list.
    cmbDateFormat->setInsertPolicy(QComboBox::NoInsert);
    // Nor is it completed from the list: "DD/MM/YY" must not turn into "DD/MM/YYYY" on Enter.
    cmbDateFormat->setCompleter(nullptr);
    cmbDateFormat->setToolTip(QStringLiteral("Select the date format to use when creating the MYOB G/L file"));
    placeInTwips(*cmbDateFormat, 120, 600, 3255);

    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdOk->setToolTip(QStringLiteral("Accept this format and continue"));
    placeInTwips(*cmdOk, 120, 1080, 1335, 375);

    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setToolTip(QStringLiteral("Cancel the operation"));
    placeInTwips(*cmdCancel, 2040, 1080, 1335, 375);

    setTabOrder(cmbDateFormat, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
    cmbDateFormat->setFocus();

    connect(cmdOk, &QPushButton::clicked, this, &frmMYOBDate::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmMYOBDate::cmdCancel_Click);
    Form_Load();
}

void frmMYOBDate::Form_Load()
{
    SetupForm();
}

void frmMYOBDate::SetupForm()
{
    cmbDateFormat->addItems(myobDatePatterns());
}

void frmMYOBDate::cmdOk_Click()
{
    chosen_ = true;
    hide();
}

void frmMYOBDate::cmdCancel_Click()
{
    chosen_ = false;
    hide();
}

void frmMYOBDate::reject()
{
    cmdCancel_Click();
}

} // namespace kn
