// CDlgPageOtherCtl: the Z-axis motor values, tool offsets and extensions.
#include "ui/dlg_page_other_ctl.h"

#include "app/udp_server.h"
#include "platform/critical_section.h"
#include "ui/form_fields.h"
#include "ui/qt_text.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>

namespace {

// The page shows the knife-pen distances first.
constexpr int kOtherPageOrder[kShownToolOffsets] = {1, 2, 0, 3, 4};

}  // namespace

CDlgPageOtherCtl::CDlgPageOtherCtl(CUDPServer& server, NET_Machine* machine) : CCuttingPage(server, machine) {}

void CDlgPageOtherCtl::OnInitDialog()
{
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        values_ = LoadOtherPage(*machine_);
    }
    auto* layout = new QHBoxLayout(this);
    auto* zAxis = new QGroupBox(ResText(StringId::kZMotorGroup), this);
    auto* other = new QGroupBox(ResText(StringId::kOtherGroup), this);
    layout->addWidget(zAxis);
    layout->addWidget(other);
    auto* form = new QFormLayout(zAxis);
    const DepthParamBlock& depth = values_.depth;
    minSpeed_ = AddEditField(form, ResText(StringId::kZMinSpeed), QStringLiteral("depthMinSpeed"));
    maxSpeed_ = AddEditField(form, ResText(StringId::kZMaxSpeed), QStringLiteral("depthMaxSpeed"));
    acceleration_ = AddEditField(form, ResText(StringId::kZMaxAcceleration), QStringLiteral("depthAcceleration"));
    jerk_ = AddEditField(form, ResText(StringId::kZJerk), QStringLiteral("depthJerk"));
    fullCut_ = AddEditField(form, ResText(StringId::kFullCutDepth), QStringLiteral("depthFullCut"));
    halfCut_ = AddEditField(form, ResText(StringId::kHalfCutDepth), QStringLiteral("depthHalfCut"));
    resetBuffer_ = AddEditField(form, ResText(StringId::kZResetBuffer), QStringLiteral("depthResetBuffer"));
    SetFieldText(minSpeed_, FormatInteger(depth.depthStartSpeed));
    SetFieldText(maxSpeed_, FormatInteger(depth.depthTopSpeed));
    SetFieldText(acceleration_, FormatInteger(depth.depthAcceleration));
    SetFieldText(jerk_, FormatInteger(depth.depthJerk));
    SetFieldText(fullCut_, FormatInteger(depth.depthValueA));
    SetFieldText(halfCut_, FormatInteger(depth.depthValueB));
    SetFieldText(resetBuffer_, FormatInteger(depth.resetBuffer));
    AddToolFields(new QFormLayout(other), kOtherPageOrder, values_.toolOffsets, values_.extensions);
}

bool CDlgPageOtherCtl::OnKillActive()
{
    // Values beyond the record's widths are refused instead of keeping only their low bits.
    DepthParamBlock& depth = values_.depth;
    FieldReaders fields;
    fields.Integer(minSpeed_, depth.depthStartSpeed);
    fields.Integer(maxSpeed_, depth.depthTopSpeed);
    fields.Integer(acceleration_, depth.depthAcceleration, kDepthRateRange);
    fields.Integer(jerk_, depth.depthJerk, kDepthRateRange);
    fields.Integer(fullCut_, depth.depthValueA);
    fields.Integer(halfCut_, depth.depthValueB);
    fields.Integer(resetBuffer_, depth.resetBuffer);
    ReadToolFields(fields, values_.toolOffsets, values_.extensions);
    return fields.ReadAll();
}

void CDlgPageOtherCtl::OnOK()
{
    MachineParamCodes codes;
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        codes = StoreOtherPage(*machine_, values_);
    }
    Post(codes);
}
