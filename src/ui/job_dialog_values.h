// The values of the job and pen dialogs: list indexes, SP texts, SP bit sets, swatch places
// and the contour-recognition options of the settings store.
#pragma once

#include "platform/cstring.h"
#include "platform/rect.h"

#include <array>
#include <cstdint>
#include <optional>

class CUDPServer;

// The six tool modes of a pen, in list order: pen, half knife, inner knife, knives 1 to 3.
inline constexpr int kPenModeCount = 6;
// The name of the mode a list index shows, in the chosen language.
CString PenModeName(int index);

// The list index a stored pen mode shows: a value above 5 shows the pen.
int PenModeIndex(uint8_t mode);
// The list index a stored contour mode shows: a value above 5 shows knife 1.
int ContourModeIndex(uint8_t mode);

// The number of SP pens and their roles as a machine holds them (one byte each).
inline constexpr int kSpCount = 8;
using SpRoles = std::array<uint8_t, kSpCount>;

// The tool name of an SP byte in the chosen language: 0 ink jet, 1 half knife, 2 inner
// knife, 3 outer knife, any other ink jet.
CString SpToolName(uint8_t role);
// The text of SP button n (1..8): "SP%d-" and the tool name with roles, else "SP%d".
CString SpButtonText(int n, const std::optional<SpRoles>& roles);
// Copies the SP bytes of the machine of key under the manager's lock; none without it.
std::optional<SpRoles> CopySpRoles(CUDPServer& server, uint32_t key);

// The SP number a preset shows: 1..8 as it is, anything else SP1.
int SpIndexShown(int sp);
// The item a stored "修改为" list index selects: 0..8 as it is ("不修改", SP1..SP8), else 0.
int LoopSpListIndex(int32_t stored);
// The items of the "修改为" lists: "不修改", "SP1".."SP8".
CString LoopSpListItem(int index);

// Check states of SP1..SP8 from a bit set (bit n-1 = SPn), and back.
std::array<bool, kSpCount> SpRangeBoxes(int32_t bits);
int32_t SpRangeBits(const std::array<bool, kSpCount>& boxes);

// The 12-pixel swatch left of a control: 15 pixels left of it, 2 lower than its top and 4
// shorter than it.
CRect SwatchLeftOf(const CRect& control);
// The 20-pixel swatch of a mode label whose text is textWidthPx wide: from 28 pixels right of
// its left edge, or 4 pixels past a longer text, as tall as it.
CRect SwatchOfModeLabel(const CRect& label, int textWidthPx);
// The width a mode label needs for its text and swatch: at least minimumPx.
int ModeLabelWidth(int textWidthPx, int minimumPx);

// The contour-recognition options ("LoopRecgnise" section).
struct RecgniseLoopValues {
    std::array<bool, kSpCount> spBoxes{};
    int outerIndex = 0;  // 0 no change, n = SPn
    int innerIndex = 0;
    float minAreaMm2 = 10.0f;
    CString minAreaText;  // the field, shown with "%f"
};

// Reads the options as the dialog shows them.
RecgniseLoopValues ReadRecgniseLoopValues();
// Writes each option of edited that differs from opened; a minimum area text that was edited
// and is not a finite number shows the field message, writes nothing and returns false.
// edited.minAreaMm2 is set from the text on success.
bool CommitRecgniseLoopValues(const RecgniseLoopValues& opened, RecgniseLoopValues& edited);

// Reads the copies or page field: a whole number 0..2147483647, else the field message and
// false (the dialog stays open).
bool ReadCountField(const CString& text, int32_t& value);
