// The jet head page's values: nozzle ranges, head spacings, working column and print-line
// settings, the store that raises the head flag (command 5) and the plot flag (command 8),
// and the geometry of the head sketch.
#pragma once

#include "platform/rect.h"
#include "ui/field_values.h"

#include <cstdint>

class NET_Machine;

inline constexpr int kJetHeads = 4;
// The step value travels as 16 bits in the plot settings command.
inline constexpr NumberRange kJetStepValueRange{-32768, 32767};
// Working columns.
inline constexpr int32_t kRightColumn = 0;
inline constexpr int32_t kLeftColumn = 1;
inline constexpr int32_t kBothColumns = 2;
inline constexpr int kJetColumnChoices = 3;

struct JetPageValues {
    uint8_t nozzleStart[kJetHeads] = {};
    uint8_t nozzleEnd[kJetHeads] = {};
    int16_t headSpacingRows[kJetHeads - 1] = {};  // heads 1-2, 2-3, 3-4
    float stepValue = 0.0f;
    int32_t workingColumn = kRightColumn;
    uint8_t printLineWidth = 0;   // pixels
    uint8_t warmUpLineWidth = 0;  // pixels
    uint8_t columnSpacingPt = 0;
    int32_t sheetGapMm = 0;       // clamped to 1..255 when stored
};

struct JetPageFlags {
    bool head = false;  // SendJetHeadConfig (command 5)
    bool plot = false;  // SendPlotSettings (command 8)
};

// The shown values; a stored working column other than 0 or 1 shows as both.
JetPageValues LoadJetPage(const NET_Machine& machine);
// Stores each checked value that differs and raises its flag; the jet origin and the head
// value go back to 100.0 and 60 without a flag, and the gap between sheets is clamped.
JetPageFlags StoreJetPage(NET_Machine& machine, const JetPageValues& values);

// A line of a drawing, device pixels.
struct SketchLine {
    CPoint from;
    CPoint to;
};

// The sketch of the four heads as a staircase in a frame, with the dimension lines of the
// head spacings below it.
struct JetHeadSketch {
    CRect frame;
    CRect heads[kJetHeads];
    SketchLine centreLines[kJetHeads];      // through each head, 2 pixels in from its ends
    SketchLine ticks[kJetHeads];            // from the frame's bottom down 20 pixels
    SketchLine dimensionLines[kJetHeads - 1];  // 10 pixels below the frame, centre to centre
};

// Lays out the sketch in area (from 6 pixels left of the first head label to the right edge
// of the last, from the top of the first nozzle edit to the bottom of the last).
JetHeadSketch LayOutJetHeadSketch(const CRect& area);
