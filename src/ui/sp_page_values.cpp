// The SP page's values and change rule.
#include "ui/sp_page_values.h"

#include "machinelink/net_machine.h"

namespace {

constexpr int32_t kSwatchWidth = 12;
constexpr int32_t kPenSwatchLead = 15;
constexpr int32_t kPenSwatchDrop = 2;
constexpr int32_t kPenSwatchShortening = 4;
constexpr int32_t kRoleSwatchGap = 4;

}  // namespace

SpPageValues LoadSpPage(const NET_Machine& machine)
{
    SpPageValues values;
    for (int i = 0; i < kSpPens; ++i) values.roles[i] = machine.spRoles[i] > kSpOuterKnife ? kSpInkJet : machine.spRoles[i];
    return values;
}

MachineParamCodes StoreSpPage(NET_Machine& machine, const SpPageValues& values)
{
    bool changed = false;
    for (int i = 0; i < kSpPens; ++i) changed |= values.roles[i] != machine.spRoles[i];
    if (!changed) return {};
    for (int i = 0; i < kSpPens; ++i) machine.spRoles[i] = static_cast<uint8_t>(values.roles[i]);
    if (!machine.online) return {};
    return {kSpWordCode};
}

CRect PenSwatchRect(const CRect& list)
{
    const int32_t left = list.left - kPenSwatchLead;
    const int32_t top = list.top + kPenSwatchDrop;
    return CRect(left, top, left + kSwatchWidth, top + list.Height() - kPenSwatchShortening);
}

CRect RoleSwatchRect(const CRect& label)
{
    const int32_t left = label.right + kRoleSwatchGap;
    return CRect(left, label.top, left + kSwatchWidth, label.bottom);
}
