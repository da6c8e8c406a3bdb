// CDlgPageOtherCtl: the Z-axis motor values, tool offsets and extensions.
#include "ui/dlg_page_other_ctl.h"

#include "app/udp_server.h"
#include "platform/critical_section.h"
#include "ui/form_fields.h"

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
    auto* zAxis = new QGroupBox(QStringLiteral("Z轴电机控制"), this);
    auto* other = new QGroupBox(QStringLiteral("其他"), this);
    layout->addWidget(zAxis);
    layout->addWidget(other);
    auto* form = new QFormLayout(zAxis);
    const DepthParamBlock& depth = values_.depth;
    minSpeed_ = AddEditField(form, QStringLiteral("最小速度"), QStringLiteral("depthMinSpeed"));
    maxSpeed_ = AddEditField(form, QStringLiteral("最大速度"), QStringLiteral("depthMaxSpeed"));
    acceleration_ = AddEditField(form, QStringLiteral("最大加速度"), QStringLiteral("depthAcceleration"));
    jerk_ = AddEditField(form, QStringLiteral("加加速度"), QStringLiteral("depthJerk"));
    fullCut_ = AddEditField(form, QStringLiteral("全切深度"), QStringLiteral("depthFullCut"));
    halfCut_ = AddEditField(form, QStringLiteral("半切深度"), QStringLiteral("depthHalfCut"));
    resetBuffer_ = AddEditField(form, QStringLiteral("复位缓冲"), QStringLiteral("depthResetBuffer"));
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
