// PenModeSettings: the pen-to-tool table and colours that colour the preview of a job.
#pragma once

#include "platform/colorref.h"

#include <cstdint>

// Number of HPGL pens (0..11) and of tool roles (0..5) the settings know.
constexpr int kPenModePenCount = 12;
constexpr int kPenModeRoleCount = 6;

// The job document keeps one record of this layout and hands it to the preview drawing.
struct PenModeSettings {
    // Whether contours are recognised when a file is opened; the drawing does not read it.
    int32_t recogniseOnOpen = 0;
    // Tool role of each pen number 0..11 (0 pen, 1 half knife, 2 inner knife, 3..5 knives).
    uint8_t penRole[kPenModePenCount] = {};
    // Role given to recognised contours, then three bytes of padding; the drawing does not read them.
    uint8_t contourRole = 0;
    uint8_t reserved[3] = {};
    // Colour of each pen number, used when the preview shows the pens as they came.
    COLORREF penColor[kPenModePenCount] = {};
    // Colour of each tool role, used when the preview shows the tools.
    COLORREF roleColor[kPenModeRoleCount] = {};
};
