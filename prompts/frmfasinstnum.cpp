#include "frmfasinstnum.h"

#include "promptchecks.h"
#include "promptmessagebox.h"
#include "twips.h"

#include "core/knerror.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kn {

frmFASInstNum::frmFASInstNum(RegionalSettings regional, CodePage codePage, QWidget* parent)
    : QDialog(parent),
      lblInfo(new QLabel(QStringLiteral("Please enter your Institution Number"), this)),
      txtInstitutionNumber(new QLineEdit(this)),
      cmdOk(new QPushButton(QStringLiteral("&Ok"), this)),
      regional_(std::move(regional)),
      codePage_(std::move(codePage))
{
    setObjectName(QStringLiteral("frmFASInstNum"));
    useDialogFont(*this);
    setWindowTitle(QStringLiteral("FAS Institution Number"));
    fixClientSizeInTwips(*this, 3105, 1305);

    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    placeInTwips(*lblInfo, 120, 120, 2895, 255);
    txtInstitutionNumber->setObjectName(QStringLiteral("txtInstitutionNumber"));
    placeInTwips(*txtInstitutionNumber, 120, 480, 2895, 285);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    placeInTwips(*cmdOk, 120, 840, 930, 375);

    setTabOrder(txtInstitutionNumber, cmdOk);
    txtInstitutionNumber->setFocus();
    connect(cmdOk, &QPushButton::clicked, this, &frmFASInstNum::cmdOk_Click);
}

bool frmFASInstNum::ValidateEntry()
{
    const InstitutionNumberCheck check = checkInstitutionNumber(txtInstitutionNumber->text(), regional_);
    if (check == InstitutionNumberCheck::Accepted)
        return true;
    showPromptMessage(this, institutionNumberMessage(check));
    if (check != InstitutionNumberCheck::Missing)
        txtInstitutionNumber->selectAll();
    txtInstitutionNumber->setFocus();
    return false;
}

void frmFASInstNum::cmdOk_Click()
{
    if (!ValidateEntry())
        return;
    try {
        writeInstitutionNumberFile(fileName_, txtInstitutionNumber->text(), codePage_);
    } catch (const KNError& error) {
        // The prompt ends unanswered; the FAS conversion then reports the missing file.
        showPromptMessage(this, PromptMessage{kApplicationTitle, error.description() + QStringLiteral(": ") + fileName_,
                                              PromptMessage::Buttons::Ok, PromptMessage::Icon::None});
    }
    hide();
}

void frmFASInstNum::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmFASInstNum::reject()
{
    hide();
}

} // namespace kn
