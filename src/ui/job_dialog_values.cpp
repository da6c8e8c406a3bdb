// The job and pen dialogs' values.
#include "ui/job_dialog_values.h"

#include "app/settings_keys.h"
#include "app/string_table.h"
#include "app/udp_server.h"
#include "machinelink/net_machine.h"
#include "platform/settings_store.h"
#include "ui/field_values.h"

#include <algorithm>
#include <limits>

CString PenModeName(int index) { return LoadResString(StringId::kPenModeNames + static_cast<uint32_t>(PenModeIndex(static_cast<uint8_t>(index)))); }

int PenModeIndex(uint8_t mode) { return mode < kPenModeCount ? mode : 0; }

int ContourModeIndex(uint8_t mode) { return mode < kPenModeCount ? mode : 3; }

CString SpToolName(uint8_t role) { return LoadResString(StringId::kSpRoleNames + (role <= 3 ? role : 0u)); }

CString SpButtonText(int n, const std::optional<SpRoles>& roles)
{
    CString text;
    if (roles && n >= 1 && n <= kSpCount)
        text.Format(u"SP%d-%s", n, (SpToolName((*roles)[static_cast<size_t>(n - 1)])));
    else
        text.Format(u"SP%d", n);
    return text;
}

std::optional<SpRoles> CopySpRoles(CUDPServer& server, uint32_t key)
{
    CSingleLock lock(&server.GetLock(), TRUE);
    const NET_Machine* machine = server.FindMachineByKey(key);
    if (!machine) return std::nullopt;
    SpRoles roles{};
    for (int i = 0; i < kSpCount; ++i) roles[static_cast<size_t>(i)] = machine->spRoles[i];
    return roles;
}

int SpIndexShown(int sp) { return sp >= 1 && sp <= kSpCount ? sp : 1; }

int LoopSpListIndex(int32_t stored) { return stored >= 0 && stored <= kSpCount ? stored : 0; }

CString LoopSpListItem(int index)
{
    if (index == 0) return LoadResString(StringId::kNoChange);
    return SpButtonText(index, std::nullopt);
}

std::array<bool, kSpCount> SpRangeBoxes(int32_t bits)
{
    std::array<bool, kSpCount> boxes{};
    for (int i = 0; i < kSpCount; ++i) boxes[static_cast<size_t>(i)] = (bits >> i) & 1;
    return boxes;
}

int32_t SpRangeBits(const std::array<bool, kSpCount>& boxes)
{
    int32_t bits = 0;
    for (int i = 0; i < kSpCount; ++i)
        if (boxes[static_cast<size_t>(i)]) bits |= 1 << i;
    return bits;
}

CRect SwatchLeftOf(const CRect& control)
{
    return CRect(control.left - 15, control.top + 2, control.left - 15 + 12, control.bottom - 2);
}

CRect SwatchOfModeLabel(const CRect& label, int textWidthPx)
{
    const int left = label.left + std::max(28, textWidthPx + 4);
    return CRect(left, label.top, left + 20, label.bottom);
}

int ModeLabelWidth(int textWidthPx, int minimumPx) { return std::max(minimumPx, std::max(28, textWidthPx + 4) + 24); }

RecgniseLoopValues ReadRecgniseLoopValues()
{
    RecgniseLoopValues v;
    v.spBoxes = SpRangeBoxes(GetProfileInt(SettingsKeys::kLoopRecogniseSection, SettingsKeys::kLoopRecogniseSPRange, 0));
    v.outerIndex = LoopSpListIndex(GetProfileInt(SettingsKeys::kLoopRecogniseSection, SettingsKeys::kModifyOutLoopSP, 0));
    v.innerIndex = LoopSpListIndex(GetProfileInt(SettingsKeys::kLoopRecogniseSection, SettingsKeys::kModifyInnerLoopSP, 0));
    v.minAreaMm2 = GetProfileFloat(SettingsKeys::kLoopRecogniseSection, SettingsKeys::kMinArea, 10.0f);
    v.minAreaText.Format(u"%f", static_cast<double>(v.minAreaMm2));
    return v;
}

bool CommitRecgniseLoopValues(const RecgniseLoopValues& opened, RecgniseLoopValues& edited)
{
    // The area shown with "%f" is rounded: text left as shown keeps the stored value exactly.
    float minArea = opened.minAreaMm2;
    if (edited.minAreaText != opened.minAreaText && !ReadNumberField(edited.minAreaText, minArea)) return false;
    edited.minAreaMm2 = minArea;
    if (edited.outerIndex != opened.outerIndex) WriteProfileInt(SettingsKeys::kLoopRecogniseSection, SettingsKeys::kModifyOutLoopSP, edited.outerIndex);
    if (edited.innerIndex != opened.innerIndex) WriteProfileInt(SettingsKeys::kLoopRecogniseSection, SettingsKeys::kModifyInnerLoopSP, edited.innerIndex);
    if (minArea != opened.minAreaMm2) WriteProfileFloat(SettingsKeys::kLoopRecogniseSection, SettingsKeys::kMinArea, minArea);
    const int32_t bits = SpRangeBits(edited.spBoxes);
    if (bits != SpRangeBits(opened.spBoxes)) WriteProfileInt(SettingsKeys::kLoopRecogniseSection, SettingsKeys::kLoopRecogniseSPRange, bits);
    return true;
}

bool ReadCountField(const CString& text, int32_t& value)
{
    // The copies and page fields are 32-bit signed: a larger unsigned value would turn negative.
    return ReadIntegerField(text, value, IntegerRange{0, std::numeric_limits<int32_t>::max()});
}
