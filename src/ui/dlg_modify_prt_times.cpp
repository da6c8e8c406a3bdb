// The copies and page dialogs of the job list.
#include "ui/dlg_modify_prt_times.h"

#include "ui/field_values.h"
#include "ui/form_fields.h"
#include "ui/job_dialog_values.h"
#include "ui/job_dialog_widgets.h"
#include "ui/qt_text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CountFieldDialog::CountFieldDialog(const QString& label, int32_t value, QWidget* parent) : QDialog(parent), m_nValue(value)
{
    setWindowTitle(QString());
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    layout->addLayout(form);
    edit_ = AddEditField(form, label, QStringLiteral("count"));
    SetFieldText(edit_, FormatInteger(value));
    QDialogButtonBox* buttons = AddOkCancelButtons(*this, layout);
    connect(buttons, &QDialogButtonBox::accepted, this, &CountFieldDialog::OnOK);
}

// Takes the count when the field holds one; otherwise ReadCountField has shown its message.
void CountFieldDialog::OnOK()
{
    if (!ReadCountField(FieldText(edit_), m_nValue)) {
        edit_->setFocus();
        edit_->selectAll();
        return;
    }
    accept();
}

CDlgModifyPrtTimes::CDlgModifyPrtTimes(int32_t copies, QWidget* parent) : CountFieldDialog(ResText(StringId::kCopiesPrompt), copies, parent) {}

CDlgSelPage::CDlgSelPage(int32_t page, QWidget* parent) : CountFieldDialog(ResText(StringId::kPagePrompt), page, parent) {}
