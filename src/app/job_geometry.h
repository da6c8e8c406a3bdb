// Job geometry preparation: turns the shapes of one page into the two lists a machine needs,
// the ink-jet list (print work, scaled to jet rows) and the motion list (knife work, the jet
// travel path, offsets, scale and mirror).
//
// Method: the page is split by tool; the print work is oriented, calibrated, clipped to the
// machine's area and scaled to jet rows; the knife work is ordered by loops, smoothed, clipped,
// moved by the cut offsets, half-cut marks split the contours they cross, half cuts are
// dashed and the knife is compensated. The motion list then gets the jet travel path (one
// pass per jet spread), edge lines, the machine offsets, the scale to machine steps and the
// mirror about the machine's X range.
// Units: plotter units (40 per mm) in, machine steps (2 per unit at scale 1) out.
// Preconditions: the values come from the machine record, read under the machine-table lock;
// the band limits come from a detached copy of the record's jet values, so preparation reads
// no machine of the table and takes no lock (it may run on a preparation worker).
#pragma once

#include "app/dispatch_refusal.h"
#include "app/preparation_progress.h"
#include "geometry/ol_box.h"
#include "machinelink/net_machine.h"

#include <cstdint>
#include <memory>

class PlotShape;
class PlotShapeCutList;
class PlotShapeList;

// The machine values preparation works with, copied from the record under the lock.
struct PrepareMachineValues {
    int firmwareVersion = 1;
    int32_t xRangeMm = 0;
    int32_t yRangeMm = 0;
    float xScale = 1.0f;
    float yScale = 1.0f;
    float externScaleX = 1.0f;  // calibration ideal / real
    float externScaleY = 1.0f;
    int32_t cutWidth = 0;  // usable area, plotter units (GetCutArea_PB)
    int32_t cutHeight = 0;
    float knifeOffsetMm = 0.0f;
    float cutOffsetXMm = 0.0f;
    float cutOffsetYMm = 0.0f;
    float xStretch = 0.0f;
    uint16_t knifeComp1 = 0;  // thousandths
    uint16_t knifeComp2 = 0;
    float halfCutDashMm = 0.0f;
    float halfCutGapMm = 0.0f;
    float jetStepWidth = 0.0f;
    int32_t jobYOffsetMm = 0;
    uint8_t penTable[8] = {};
    bool edgeLines = false;
    bool keepMau8 = false;
    int32_t rotationDeg = 0;
    int32_t mirror = 0;
    int32_t jetLevelIndex = 0;
    int32_t jetSpread = 0;  // GetJetPt
    int32_t headPositions[5] = {};
    int32_t nozzleRanges[4] = {};
    int16_t requestValue = 0;   // the task data's request value 3
    int32_t requestValue1 = 0;
};
// Reads the values from machine; the caller holds the machine-table lock.
PrepareMachineValues ReadPrepareMachineValues(NET_Machine& machine);
// A record of no machine holding the values machine's jet band limits are computed from (plot
// settings, speed levels, jet heads, the request value), for GetLimit away from the table;
// the caller holds the machine-table lock.
std::unique_ptr<NET_Machine> CopyJetBandValues(const NET_Machine& machine);

// The jet raster state of a prepared job, stored into the task data once it accepts the job.
struct JetTaskValues {
    int32_t bandEnd = 0;        // band value 2
    int32_t bandOriginX = 0;    // the band trigger
    int32_t bandOriginY = 0;    // band value 1
    int32_t headPositions[5] = {};
    int32_t nozzleRanges[4] = {};
    int32_t rowStep = 0;
    uint8_t jetLevel = 0;
    bool hasJetWork = false;
};
// Writes the values into the task data; the caller holds the machine-table lock.
void StoreJetTaskValues(const JetTaskValues& jet, Net_TaskData& task);

// Mau indexes preparation gives: print work, knife, half cut, feed line kept whole, and the
// jet travel path (first line, passes, last pass, first line without passes).
inline constexpr unsigned char kPrintMau = 1;
inline constexpr unsigned char kKnifeMau = 2;
inline constexpr unsigned char kHalfCutMau = 5;
inline constexpr unsigned char kKeptWholeMau = 8;
inline constexpr unsigned char kTravelStartMau = 99;
inline constexpr unsigned char kTravelPassMau = 100;
inline constexpr unsigned char kTravelLastPassMau = 101;
inline constexpr unsigned char kTravelAloneMau = 102;

// Moves the knife work of shapes into cut (half cuts as mau 5, knives as mau 2, mau-8 shapes
// unchanged); the print work stays with mau 1. "AutoPrint Settings"/"iWorkMode" 1 then
// discards the print work, 2 the cut work.
void SplitShapesByTool(PlotShapeList& shapes, PlotShapeList& cut, const uint8_t penTable[8]);
// Orders the knife cuts contour by contour: the shapes inside each loop and the knife and
// other cuts over its box, loop by loop; mau-8 shapes last. The shapes inside the loops are
// found on threads worker threads.
void OrderCutsByLoops(PlotShapeList& cut, const uint8_t penTable[8], int threads = 1);
// The next half cut after shape (from the first when null) that is a two-point line once
// made a line; null when none.
PlotShape* NextTwoPointHalfCut(PlotShapeList& list, PlotShape* shape);
// Splits each closed knife contour that a two-point half cut crosses end to end into the two
// open pieces between the crossings.
void SplitContoursAtHalfCutMarks(PlotShapeList& list);

// Moves source's shapes into target and cuts them to width x height: what lies right of the
// width is dropped (clipOffset grows by the width; else clipOffset := 0), what lies above the
// height is dropped and a line marks the height, and what lies below y = 0 or left of x = 0 is
// dropped. 0, and nothing moved, when the width or height is below 1 unit.
int ClipToMachineArea(PlotShapeList& source, PlotShapeList& target, int32_t width, int32_t height,
                      int32_t& clipOffset);

// Prepares the page: A receives the ink-jet list, B the motion list, range the jet band
// limits (from bandSource, see CopyJetBandValues), jet the raster state to store on
// acceptance; clipOffset is the width cut off a page before (0 for a fresh page) and the width
// cut off now. progress is asked between the steps and through the knife work's loop. 1 when
// prepared; 0 when cancelled or when the machine's values make no usable job, with the reason
// in refusal: a usable area under one unit (kNoUsableWidth), print work with a jet step width
// of 0 or below (kJetStepNotSet: the print scale would turn negative and put the drawing left
// of the sheet), or a scale, jet spread or band factor of 0, or a result that is no number
// (kMachineValuesUnusable). The per-shape work of the knife list runs on workerThreads threads
// (0: as many as the hardware has, at most 8) with the result of one thread; progress is
// asked on the calling thread only.
int PrepareJobGeometry(PlotShapeCutList& A, PlotShapeCutList& B, PlotShapeList& pageShapes,
                       const PrepareMachineValues& machine, int sortCuts, const NET_Machine& bandSource,
                       Limit_PARAM& range, int32_t& clipOffset, JetTaskValues& jet,
                       const PreparationProgress& progress = {}, DispatchRefusal* refusal = nullptr,
                       int workerThreads = 0);
