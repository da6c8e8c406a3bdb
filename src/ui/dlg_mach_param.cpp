// CDlgMachParam: the machine-limits record b1..b8.
#include "ui/dlg_mach_param.h"

#include "machinelink/net_machine.h"
#include "platform/message_box.h"
#include "ui/form_fields.h"
#include "ui/job_dialog_widgets.h"
#include "ui/qt_text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace {

// The record's fields in the order b1..b8.
int32_t* LimitFields(MachineParams& p, int i)
{
    int32_t* const fields[kMachineLimitValues] = {&p.xRange,      &p.yRange,     &p.startSpeed, &p.jerk,
                                                  &p.limitLength, &p.resetSpeed, &p.moveSpeed,  &p.moveAcceleration};
    return fields[i];
}

}  // namespace

CDlgMachParam::CDlgMachParam(MachineParams* limits, QWidget* parent) : QDialog(parent), limits_(limits)
{
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    layout->addLayout(form);
    for (int i = 0; i < kMachineLimitValues; ++i) {
        edits_[i] = AddEditField(form, ResText(StringId::kMachineLimitLabels + i), QStringLiteral("b%1").arg(i + 1));
        SetFieldText(edits_[i], FormatInteger(*LimitFields(*limits_, i)));
    }
    connect(AddOkCancelButtons(*this, layout), &QDialogButtonBox::accepted, this, &CDlgMachParam::OnOK);
}

int CDlgMachParam::DoModal() { return exec() == QDialog::Accepted ? IDOK : IDCANCEL; }

void CDlgMachParam::OnOK()
{
    // The values are read into a copy, so a refused field leaves the record as it was; a value
    // beyond the record's 32 bits is refused instead of keeping its low bits.
    MachineParams taken = *limits_;
    FieldReaders fields;
    for (int i = 0; i < kMachineLimitValues; ++i) fields.Integer(edits_[i], *LimitFields(taken, i));
    if (!fields.ReadAll()) return;
    *limits_ = taken;
    accept();
}
