// The preview's mapping, fit, zoom, ruler, progress line and command states.
#include "ui/preview_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

bool UsableScale(double s) { return std::isfinite(s) && s >= kMinPreviewScale && s <= kMaxPreviewScale; }

// Logical pixels of a plot length, truncated toward zero and held within 64 bits.
int64_t Pixels(double v)
{
    if (!std::isfinite(v)) return 0;
    constexpr double kLimit = 9.0e18;
    return static_cast<int64_t>(std::clamp(v, -kLimit, kLimit));
}

}  // namespace

PreviewPoint PlotToClient(const PreviewMapping& m, double boxHeight, PreviewPoint plot)
{
    const double s = m.scalePxPerUnit;
    return {s * plot.x + m.originXPx, boxHeight * s - (s * plot.y - m.originYPx)};
}

PreviewPoint ClientToPlot(const PreviewMapping& m, double boxHeight, PreviewPoint client)
{
    const double s = m.scalePxPerUnit;
    return {(client.x - m.originXPx) / s, (boxHeight * s + m.originYPx - client.y) / s};
}

bool FitJobToView(PreviewMapping& m, const CArea& box, int clientWidth, int clientHeight)
{
    // A line or a point has an extent of 0: extents below one unit count as one, so the
    // scale stays finite; without a box or a client area there is nothing to fit.
    if (box.IsInvalid() || clientWidth <= 0 || clientHeight <= 0) return false;
    const double w = std::max(1.0, static_cast<double>(box.xmax) - box.xmin);
    const double h = std::max(1.0, static_cast<double>(box.ymax) - box.ymin);
    double width = clientWidth, height = clientHeight;
    if (width > 10 && height > 10) {
        width -= 10;
        height -= 10;
    }
    const double sx = width / w, sy = height / h;
    PreviewMapping fitted;
    if (sy > sx) {
        fitted.scalePxPerUnit = sx;
        fitted.originXPx = 2 - sx * box.xmin;
        fitted.originYPx = (clientHeight - h * sx) / 2 + sx * box.ymin + 2;
    } else {
        fitted.scalePxPerUnit = sy;
        fitted.originYPx = sy * box.ymin + 2;
        fitted.originXPx = (clientWidth - w * sy) / 2 - sy * box.xmin + 2;
    }
    if (!UsableScale(fitted.scalePxPerUnit)) return false;
    m = fitted;
    return true;
}

bool ZoomAt(PreviewMapping& m, double factor, double boxHeight, PreviewPoint client)
{
    // Repeated wheel steps would drive the scale to 0 or infinity, which later code divides
    // by: a step that leaves the bounds does nothing.
    const double scale = m.scalePxPerUnit * factor;
    if (!(factor > 0) || !UsableScale(scale) || !UsableScale(m.scalePxPerUnit)) return false;
    const PreviewPoint plot = ClientToPlot(m, boxHeight, client);
    PreviewMapping zoomed = m;
    zoomed.scalePxPerUnit = scale;
    const PreviewPoint moved = PlotToClient(zoomed, boxHeight, plot);
    zoomed.originXPx += client.x - moved.x;
    zoomed.originYPx += client.y - moved.y;
    if (!std::isfinite(zoomed.originXPx) || !std::isfinite(zoomed.originYPx)) return false;
    m = zoomed;
    return true;
}

bool ZoomToRectangle(PreviewMapping& m, PreviewPoint corner1, PreviewPoint corner2, int clientWidth, int clientHeight)
{
    if (clientWidth <= 0 || clientHeight <= 0) return false;
    const double left = std::min(corner1.x, corner2.x), top = std::min(corner1.y, corner2.y);
    const double f = std::max(std::fabs(corner2.x - corner1.x) / clientWidth,
                              std::fabs(corner2.y - corner1.y) / clientHeight);
    if (!(f > 0) || !std::isfinite(f)) return false;
    const double scale = m.scalePxPerUnit / f;
    if (!UsableScale(scale)) return false;
    m.originXPx = (m.originXPx - left) / f;
    m.originYPx = (m.originYPx - top) / f;
    m.scalePxPerUnit = scale;
    return true;
}

int32_t RulerUnitMm(double scalePxPerUnit)
{
    // c: the millimetres that 20 pixels cover. The search runs in doubles and stops at the
    // largest unit, so a scale of 0 or infinity ends with a bounded unit.
    constexpr double kLargest = 1000000.0;
    const double c = 20.0 / (40.0 * scalePxPerUnit);
    // For c of 1 or less the search gives a unit of 1/10 or less, which the lower bound
    // raises to 1 mm.
    if (!(c > 1)) return 1;
    double u = 10.0;
    while (c > u && u <= kLargest) u *= 10.0;
    if (!(c / u > 0.5)) u /= 10.0;
    return static_cast<int32_t>(std::clamp(u, 1.0, kLargest));
}

std::vector<RulerTick> VisibleRulerTicks(const PreviewMapping& m, int32_t xMaxUnits, int32_t unitMm, int clientWidth)
{
    // Ticks run every unit from x 0 to the box's right side; only those inside the client
    // width are made, so a deep zoom does not walk millions of ticks per paint.
    std::vector<RulerTick> ticks;
    const double s = m.scalePxPerUnit;
    if (xMaxUnits <= 0 || unitMm <= 0 || clientWidth <= 0 || !UsableScale(s)) return ticks;
    const int64_t stepUnits = static_cast<int64_t>(unitMm) * 40;
    const int64_t lastTick = (static_cast<int64_t>(xMaxUnits) - 1) / stepUnits;  // position below x max
    const double stepPx = static_cast<double>(stepUnits) * s;
    const double firstVisible = std::ceil((-m.originXPx) / stepPx);
    const double lastVisible = std::floor((clientWidth - m.originXPx) / stepPx);
    if (!std::isfinite(firstVisible) || !std::isfinite(lastVisible)) return ticks;
    const int64_t from = std::max<int64_t>(0, Pixels(firstVisible));
    const int64_t to = std::min<int64_t>(lastTick, Pixels(lastVisible));
    for (int64_t k = from; k <= to; ++k) {
        RulerTick t;
        t.xPx = Pixels(static_cast<double>(k * stepUnits) * s);
        t.labelled = k % 10 == 0;
        t.lengthPx = t.labelled ? 30 : k % 5 == 0 ? 25 : 20;
        t.positionMm = k * unitMm;
        ticks.push_back(t);
    }
    return ticks;
}

int64_t RulerBaseY(double scalePxPerUnit, double contextHeight, int32_t yMaxUnits)
{
    return Pixels((contextHeight - yMaxUnits) * scalePxPerUnit) - 1;
}

ProgressLine ProgressLineAt(double scalePxPerUnit, const CArea& box, double percent)
{
    // The erase and the redraw use the drawing's own mapping (box height as the context
    // height): a separate mapping by y max would miss the old line for boxes off the x axis.
    const double p = std::isfinite(percent) ? std::clamp(percent, 0.0, 100.0) : 0.0;
    const int64_t w = Pixels(box.xmax * scalePxPerUnit);
    const int64_t t = Pixels(box.ymax * scalePxPerUnit);
    const int64_t d = Pixels(scalePxPerUnit * box.Height());
    ProgressLine line;
    line.xPx = Pixels(static_cast<double>(w) * p / 100.0);
    line.topPx = d - t - 5;
    line.bottomPx = d + 5;
    return line;
}

int PreviewModeOfCommand(int id)
{
    switch (id) {
    case ID_PREVIEW_PAN: return kModePan;
    case ID_PREVIEW_ZOOM_IN: return kModeZoomIn;
    case ID_PREVIEW_ZOOM_OUT: return kModeZoomOut;
    case ID_PREVIEW_ZOOM_RECT: return kModeZoomRect;
    case ID_SET_PEN: return 4;
    case ID_SET_HALF_KNIFE: return 5;
    case ID_SET_INNER_KNIFE:
    case ID_EDIT_PEN_INDEX: return 6;
    case ID_SET_OUTER_KNIFE: return 7;
    case ID_MOVE_SELECTION: return kModeMoveSelection;
    default: return -1;
    }
}

PreviewCommandState CommandStateOf(int id, const PreviewStateInput& in)
{
    PreviewCommandState state;
    const int mode = PreviewModeOfCommand(id);
    switch (id) {
    case ID_PREVIEW_ZOOM_IN:
    case ID_PREVIEW_ZOOM_RECT:
    case ID_PREVIEW_PAN:
    case ID_PREVIEW_ZOOM_OUT:
    case ID_PREVIEW_FIT: state.enabled = in.jobShown; break;
    case ID_SET_INNER_KNIFE:
    case ID_SET_PEN:
    case ID_SET_HALF_KNIFE:
    case ID_SET_OUTER_KNIFE:
    case ID_MOVE_SELECTION:
    case ID_EDIT_PEN_INDEX:
    case ID_BATCH_PEN:
    case ID_RECOGNISE_CONTOURS: state.enabled = in.jobShown && !in.swapped; break;
    case ID_PREVIEW_SWAP:
        state.enabled = in.jobShown && in.machineAssigned;
        state.checked = in.jobShown && in.swapped;
        return state;
    default: return state;
    }
    state.checked = mode >= 0 && mode != kModeMoveSelection && in.mode == mode;
    return state;
}

int SwitchPlainMode(int mode) { return mode == kModePan ? kModeZoomRect : kModePan; }

int CursorResourceOfMode(int mode)
{
    switch (mode) {
    case kModePan: return 135;
    case kModeZoomIn: return 138;
    case kModeZoomOut: return 137;
    case kModeZoomRect: return 141;
    default: return 175;
    }
}

bool IsBatchPenTicked(const std::array<bool, 8>& ticks, int pen)
{
    return pen >= 1 && pen <= 8 && ticks[static_cast<size_t>(pen - 1)];
}
