// The preview's geometry without a window: plot/client mapping, fitting, zooming, the ruler,
// the progress line, command states and the mode rules of the view's tools.
//
// Units: plot points are plotter units (1/40 mm), client points are pixels of the view's
// client area, the scale is pixels per plotter unit. With H the height of the shown list's
// box, s the scale and (ox, oy) the origin, a plot point (x, y) shows at
// (s x + ox, H s - (s y - oy)); y points up on the plot and down on the screen. Every
// operation that would leave the scale outside [kMinPreviewScale, kMaxPreviewScale], or that
// has no client area or box to work with, leaves the mapping as it was: later divisions by
// the scale then stay finite.
#pragma once

#include "geometry/ol_box.h"

#include <array>
#include <cstdint>
#include <vector>

// Bounds of the scale, pixels per plotter unit.
constexpr double kMinPreviewScale = 1e-10;
constexpr double kMaxPreviewScale = 1e4;

// Where the plot sits in the client area.
struct PreviewMapping {
    double originXPx = 0.0;
    double originYPx = 20.0;
    double scalePxPerUnit = 0.01;
};

struct PreviewPoint {
    double x = 0.0;
    double y = 0.0;
};

// Maps a plot point to the client; boxHeight is the shown list's box height (plotter units).
PreviewPoint PlotToClient(const PreviewMapping& m, double boxHeight, PreviewPoint plot);
// Maps a client point to the plot.
PreviewPoint ClientToPlot(const PreviewMapping& m, double boxHeight, PreviewPoint client);

// Fits box into a client area of clientWidth × clientHeight pixels with a margin; false (no
// change) for an invalid box or an empty client area.
bool FitJobToView(PreviewMapping& m, const CArea& box, int clientWidth, int clientHeight);
// Multiplies the scale by factor keeping the plot point under client where it is; false (no
// change) when the new scale leaves the bounds or factor is not a positive number.
bool ZoomAt(PreviewMapping& m, double factor, double boxHeight, PreviewPoint client);
// Enlarges the dragged client rectangle (any two corners) to fill the client area, its
// top-left at the client's top-left; false (no change) for a rectangle of no size, an empty
// client area or a scale leaving the bounds.
bool ZoomToRectangle(PreviewMapping& m, PreviewPoint corner1, PreviewPoint corner2, int clientWidth,
                     int clientHeight);

// The ruler's unit in millimetres (a power of ten within 1 .. 1000000) for a scale.
int32_t RulerUnitMm(double scalePxPerUnit);

struct RulerTick {
    int64_t xPx = 0;      // logical x of the tick (window origin not applied)
    int32_t lengthPx = 20;
    bool labelled = false;  // every 10th tick carries its position
    int64_t positionMm = 0;
};
// The ruler's ticks that fall inside the client width: every unit from plot x 0 while below
// xMaxUnits; no ticks for a box whose x maximum is 0 or below.
std::vector<RulerTick> VisibleRulerTicks(const PreviewMapping& m, int32_t xMaxUnits, int32_t unitMm, int clientWidth);
// The ruler's base line (logical y): ticks rise from it.
int64_t RulerBaseY(double scalePxPerUnit, double contextHeight, int32_t yMaxUnits);

// The progress line of a swapped job: logical x and its vertical span (top to bottom).
struct ProgressLine {
    int64_t xPx = 0;
    int64_t topPx = 0;
    int64_t bottomPx = 0;
};
// The progress line at percent (clamped to 0..100) over box, with the drawing's mapping
// (box height as the context height); the erase and the redraw use the same line.
ProgressLine ProgressLineAt(double scalePxPerUnit, const CArea& box, double percent);

// Tool modes of the view.
constexpr int kModePan = 0;
constexpr int kModeZoomIn = 1;
constexpr int kModeZoomOut = 2;
constexpr int kModeZoomRect = 3;
constexpr int kModeMoveSelection = 11;

// Command ids of the view and the main tool bars.
constexpr int ID_PREVIEW_ZOOM_IN = 32773;
constexpr int ID_PREVIEW_ZOOM_RECT = 32774;
constexpr int ID_PREVIEW_FIT = 32775;
constexpr int ID_PREVIEW_PAN = 32776;
constexpr int ID_PREVIEW_ZOOM_OUT = 32777;
constexpr int ID_PREVIEW_SWAP = 32805;
constexpr int ID_SET_INNER_KNIFE = 32821;
constexpr int ID_SET_PEN = 32822;
constexpr int ID_SET_HALF_KNIFE = 32840;
constexpr int ID_SET_OUTER_KNIFE = 32841;
constexpr int ID_MOVE_SELECTION = 32884;
constexpr int ID_EDIT_PEN_INDEX = 32885;
constexpr int ID_BATCH_PEN = 32886;
constexpr int ID_RECOGNISE_CONTOURS = 32896;

// The mode a command sets, or -1 for a command that sets none.
int PreviewModeOfCommand(int id);

// What the view knows when it answers a command's state.
struct PreviewStateInput {
    bool jobShown = false;
    bool swapped = false;       // the prepared list is shown
    bool machineAssigned = false;
    int mode = kModePan;
};
struct PreviewCommandState {
    bool enabled = false;
    bool checked = false;
};
// Enabled and checked state of one of the view's commands; unknown ids are disabled.
PreviewCommandState CommandStateOf(int id, const PreviewStateInput& in);

// The mode after a right button or a character in a plain mode: 3 from 0, else 0.
int SwitchPlainMode(int mode);
// The cursor resource of a mode.
int CursorResourceOfMode(int mode);

// Whether the batch pen dialog ticked pen (1-based); the dialog holds eight ticks, so pens
// outside 1..8 count unticked.
bool IsBatchPenTicked(const std::array<bool, 8>& ticks, int pen);
