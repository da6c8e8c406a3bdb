// The jet head page's values, change rules and sketch.
#include "ui/jet_page_values.h"

#include "machinelink/net_machine.h"
#include "ui/value_change.h"

namespace {

constexpr float kJetOriginMm = 100.0f;
constexpr uint16_t kHeadValue = 60;
constexpr int32_t kMinSheetGapMm = 1;
constexpr int32_t kMaxSheetGapMm = 255;
constexpr int32_t kSketchMargin = 4;       // pixels taken off the inner width and height
constexpr int32_t kCentreLineInset = 2;
constexpr int32_t kTickLength = 20;
constexpr int32_t kDimensionLineDrop = 10;

// Stores value into field when it differs; true then.
template <class T>
bool StoreIfDiffers(T& field, T value)
{
    if (field == value) return false;
    field = value;
    return true;
}

}  // namespace

JetPageValues LoadJetPage(const NET_Machine& machine)
{
    const JetHeadParams& jet = machine.jet;
    JetPageValues values;
    for (int i = 0; i < kJetHeads; ++i) {
        values.nozzleStart[i] = jet.nozzleStart[i];
        values.nozzleEnd[i] = jet.nozzleEnd[i];
    }
    for (int i = 0; i < kJetHeads - 1; ++i) values.headSpacingRows[i] = jet.headOffsets[i];
    values.stepValue = jet.jetStepWidth;
    values.workingColumn = jet.headCount == kRightColumn || jet.headCount == kLeftColumn ? jet.headCount : kBothColumns;
    values.printLineWidth = jet.penWidth;
    values.warmUpLineWidth = jet.warmUpDuty;
    values.columnSpacingPt = jet.margin;
    values.sheetGapMm = jet.motorValue;
    return values;
}

JetPageFlags StoreJetPage(NET_Machine& machine, const JetPageValues& values)
{
    JetHeadParams& jet = machine.jet;
    JetPageFlags flags;
    for (int i = 0; i < kJetHeads; ++i) {
        flags.head |= StoreIfDiffers(jet.nozzleStart[i], values.nozzleStart[i]);
        flags.head |= StoreIfDiffers(jet.nozzleEnd[i], values.nozzleEnd[i]);
    }
    for (int i = 0; i < kJetHeads - 1; ++i) flags.head |= StoreIfDiffers(jet.headOffsets[i], values.headSpacingRows[i]);
    if (DiffersBeyond(values.stepValue, jet.jetStepWidth, kParamFloatTolerance)) {
        jet.jetStepWidth = values.stepValue;
        flags.plot = true;
    }
    flags.head |= StoreIfDiffers(jet.headCount, static_cast<uint8_t>(values.workingColumn));
    flags.plot |= StoreIfDiffers(jet.penWidth, values.printLineWidth);
    flags.plot |= StoreIfDiffers(jet.warmUpDuty, values.warmUpLineWidth);
    flags.head |= StoreIfDiffers(jet.margin, values.columnSpacingPt);
    flags.plot |= StoreIfDiffers(jet.motorValue, values.sheetGapMm);
    if (jet.motorValue < kMinSheetGapMm) jet.motorValue = kMinSheetGapMm;
    if (jet.motorValue > kMaxSheetGapMm) jet.motorValue = kMaxSheetGapMm;
    jet.secondJetFloat = kJetOriginMm;
    jet.headValue = kHeadValue;
    return flags;
}

JetHeadSketch LayOutJetHeadSketch(const CRect& area)
{
    JetHeadSketch sketch;
    sketch.frame = area;
    CRect inner = area;
    inner.DeflateRect(1, 1);
    const int32_t d = (inner.Width() - kSketchMargin) / kJetHeads;
    const int32_t e = (inner.Height() - kSketchMargin) / kJetHeads;
    const int32_t left = inner.left + (inner.Width() - kJetHeads * d) / 2;
    const int32_t top = inner.top + kSketchMargin / 2;
    for (int i = 0; i < kJetHeads; ++i) {
        const CRect head(left + i * d, top + i * e, left + (i + 1) * d, top + (i + 1) * e);
        sketch.heads[i] = head;
        const int32_t x = head.CenterPoint().x;
        sketch.centreLines[i] = {CPoint(x, head.top + kCentreLineInset), CPoint(x, head.bottom - kCentreLineInset)};
        sketch.ticks[i] = {CPoint(x, area.bottom), CPoint(x, area.bottom + kTickLength)};
        if (i > 0) {
            const int32_t previous = sketch.heads[i - 1].CenterPoint().x;
            const int32_t y = area.bottom + kDimensionLineDrop;
            sketch.dimensionLines[i - 1] = {CPoint(previous, y), CPoint(x, y)};
        }
    }
    return sketch;
}
