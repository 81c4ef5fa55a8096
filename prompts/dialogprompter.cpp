#include "dialogprompter.h"

#include "frmfasinstnum.h"
#include "frmgeneric.h"
#include "frmmyobdate.h"

#include <QComboBox>
#include <QLabel>

namespace kn {

DateFormatAnswer DialogPrompter::PromptDateFormat(const DateFormatRequest& request, const PromptEnvironment&)
{
    frmMYOBDate dialog;
    // The dialog opens as MYOB's question; another list brings its own texts. A host that gives no
    // list is shown MYOB's.
    if (!request.suggestions.isEmpty() && request.suggestions != myobDatePatterns()) {
        dialog.setWindowTitle(request.title);
        dialog.Label1->setText(request.prompt);
        dialog.cmbDateFormat->clear();
        dialog.cmbDateFormat->addItems(request.suggestions);
        // The tooltip speaks of MYOB: it belongs to MYOB's list only.
        dialog.cmbDateFormat->setToolTip(QString());
    }
    dialog.cmbDateFormat->setEditText(request.initial);
    dialog.exec();
    return DateFormatAnswer{dialog.Chosen(), dialog.cmbDateFormat->currentText()};
}

FiscalPeriodAnswer DialogPrompter::PromptFiscalPeriod(const QString& title, const PromptEnvironment& environment)
{
    frmGeneric dialog(environment.clock.today());
    dialog.setWindowTitle(title);
    dialog.exec();
    if (!dialog.Chosen())
        return {};
    return FiscalPeriodAnswer{true, dialog.cboFiscalYear->currentText(), dialog.cboFiscalPeriod->currentText()};
}

void DialogPrompter::PromptInstitutionNumber(const QString& path, const PromptEnvironment& environment)
{
    frmFASInstNum dialog(environment.regional, environment.codePage);
    dialog.SetFileName(path);
    dialog.exec();
}

} // namespace kn
