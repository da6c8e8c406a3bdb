// Job geometry preparation: the tool split, orientation, clipping, knife work, jet travel
// path, offsets, scale and mirror of one page.
#include "app/job_geometry.h"

#include "app/config_globals.h"
#include "app/contour_recognition.h"
#include "app/shape_moves.h"
#include "app/tool_class.h"
#include "machinelink/machine_globals.h"
#include "platform/byte_order.h"
#include "platform/settings_store.h"
#include "plotmodel/dash_style.h"
#include "plotmodel/intersection.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/shape_box_index.h"
#include "plotmodel/shape_runs.h"
#include "preprocess/path_analysis.h"
#include "preprocess/plot_loop.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <vector>

namespace {

constexpr double kUnitsPerMm = 40.0;
constexpr int32_t kKnifeOrderBand = 12000;
constexpr float kLoopOverlapRatio = 0.8f;
constexpr int32_t kJetListShift = 10;
constexpr float kHalfCutCornerTolerance = 0.57735026f;  // tan 30°
constexpr int32_t kMarkBoxMargin = 10;
constexpr double kMarkEndTolerance = 3.0;
constexpr float kDirectionLineLength = 200.0f;
constexpr float kDirectionLineDrop = 40.0f;
constexpr int kCutOnlyMode = 1;
constexpr int kJetOnlyMode = 2;
constexpr uint8_t kMaxJetLevel = 2;
// Extra-block bytes of the half-cut dash lengths and the keep-mau-8 flag.
constexpr int kHalfCutDashByte = 16;
constexpr int kHalfCutGapByte = 20;
constexpr int kKeepMau8Byte = 12;
constexpr float kMakeLineTolerance = 1.0f;
constexpr double kThousandths = 1000.0;

// A product held within 32 bits, as the machine's int fields take it.
int32_t Saturate(double v)
{
    if (!(v == v)) return 0;
    if (v >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    if (v <= static_cast<double>(INT32_MIN)) return INT32_MIN;
    return static_cast<int32_t>(v);
}

bool Finite(double v) { return std::isfinite(v); }

PlotShape* TwoPointLine(float x0, float y0, float x1, float y1, unsigned char mau)
{
    auto* s = new PlotShape;
    const float pts[4] = {x0, y0, x1, y1};
    s->Append(pts, 2);
    s->SetMauIndex(mau);
    return s;
}

// Replaces list's shapes by the pieces kept.
void KeepPieces(PlotShapeList& list, PlotShapeList& pieces)
{
    list.Clear();
    list.Append(&pieces);
}

// ---- split marks ----

struct Crossing {
    int segment = 0;  // start vertex of the outline segment
    double t = 0.0;   // position along it
    double x = 0.0;
    double y = 0.0;
};

// Where segment a-b meets segment c-d, as a position on c-d; none when they do not meet.
std::optional<Crossing> SegmentCrossing(const CFloatPoint& a, const CFloatPoint& b, const CFloatPoint& c,
                                        const CFloatPoint& d, int segment)
{
    const double rx = b.x - a.x, ry = b.y - a.y;
    const double sx = d.x - c.x, sy = d.y - c.y;
    const double den = rx * sy - ry * sx;
    if (den == 0.0) return std::nullopt;
    const double qx = c.x - a.x, qy = c.y - a.y;
    const double u = (qx * sy - qy * sx) / den;  // along the mark
    const double t = (qx * ry - qy * rx) / den;  // along the outline
    if (u < 0.0 || u > 1.0 || t < 0.0 || t >= 1.0) return std::nullopt;
    return Crossing{segment, t, a.x + u * rx, a.y + u * ry};
}

bool Near(const Crossing& c, const CFloatPoint& p)
{
    return std::fabs(c.x - p.x) <= kMarkEndTolerance && std::fabs(c.y - p.y) <= kMarkEndTolerance;
}

bool BoxContains(const CArea& outer, const CArea& inner, int32_t margin)
{
    return static_cast<int64_t>(inner.xmin) >= static_cast<int64_t>(outer.xmin) - margin &&
           static_cast<int64_t>(inner.ymin) >= static_cast<int64_t>(outer.ymin) - margin &&
           static_cast<int64_t>(inner.xmax) <= static_cast<int64_t>(outer.xmax) + margin &&
           static_cast<int64_t>(inner.ymax) <= static_cast<int64_t>(outer.ymax) + margin;
}

// The two crossings of the mark with a closed knife outline, in outline order, when the mark
// crosses it exactly twice near its two ends.
std::optional<std::pair<Crossing, Crossing>> MarkCrossings(const PlotShape& mark, const PlotShape& outline)
{
    const CFloatPoint a = mark.Start(), b = mark.End();
    std::vector<Crossing> found;
    for (int i = 0; i + 1 < outline.GetTolPtNum(); ++i) {
        if (auto c = SegmentCrossing(a, b, outline.Point(i), outline.Point(i + 1), i)) found.push_back(*c);
        if (found.size() > 2) return std::nullopt;
    }
    if (found.size() != 2) return std::nullopt;
    const bool ends = (Near(found[0], a) && Near(found[1], b)) || (Near(found[0], b) && Near(found[1], a));
    if (!ends) return std::nullopt;
    return std::make_pair(found[0], found[1]);
}

// The two open pieces of outline between the crossings c1 (first along it) and c2.
void SplitOutline(const PlotShape& outline, const Crossing& c1, const Crossing& c2, PlotShape& forward,
                  PlotShape& backward)
{
    const int n = outline.GetTolPtNum();
    forward.CopyAttrib(outline);
    backward.CopyAttrib(outline);
    forward.AddPoint(static_cast<float>(c1.x), static_cast<float>(c1.y), 1);
    for (int i = c1.segment + 1; i <= c2.segment; ++i) forward.AddPointAtLastPl(outline.Point(i).x, outline.Point(i).y);
    forward.AddPointAtLastPl(static_cast<float>(c2.x), static_cast<float>(c2.y));
    backward.AddPoint(static_cast<float>(c1.x), static_cast<float>(c1.y), 1);
    for (int i = c1.segment; i >= 0; --i) backward.AddPointAtLastPl(outline.Point(i).x, outline.Point(i).y);
    for (int i = n - 1; i > c2.segment; --i) backward.AddPointAtLastPl(outline.Point(i).x, outline.Point(i).y);
    backward.AddPointAtLastPl(static_cast<float>(c2.x), static_cast<float>(c2.y));
    for (PlotShape* piece : {&forward, &backward}) {
        piece->DeleteRepeatPoint();
        piece->CalArea();
    }
}

// ---- the steps of preparation ----

// Mirror, rotation and calibration scale of the print work.
void OrientPrintWork(PlotShapeList& print, const PrepareMachineValues& m)
{
    const CArea bounds = print.CalArea(1);
    if (m.mirror != 0) print.Mirror(bounds);
    if (m.rotationDeg != 0) print.Rotate(m.rotationDeg / 90, bounds);
    print.Scale(m.externScaleX, m.externScaleY);
}

// The print work clipped into A and scaled to jet rows; the raster state into jet. False with
// the reason when the machine's values make no raster.
bool PrepareJetList(PlotShapeList& print, PlotShapeCutList& A, const PrepareMachineValues& m, int32_t& clipOffset,
                    JetTaskValues& jet, DispatchRefusal& refusal)
{
    if (clipOffset > 0) print.Move(-clipOffset, 0);
    if (!ClipToMachineArea(print, A, m.cutWidth, m.cutHeight, clipOffset)) {
        refusal = DispatchRefusal::kNoUsableWidth;
        return false;
    }
    if (A.Count() == 0) return true;
    // Jet rows divide by the step width: a step of 0 or below (the record's default is -1000)
    // would turn the print scale negative and print a blank sheet reported as done.
    if (!(m.jetStepWidth > 0.0f)) {
        refusal = DispatchRefusal::kJetStepNotSet;
        return false;
    }
    refusal = DispatchRefusal::kMachineValuesUnusable;
    if (m.jetSpread <= 0) return false;
    const double sx = m.jetSpread * 2.0 * m.xScale / m.jetStepWidth;
    const double sy = 2.0 * m.yScale / Y_RelSCALE;
    if (!Finite(sx) || !Finite(sy)) return false;
    refusal = DispatchRefusal::kNone;
    A.Scale(static_cast<float>(sx), static_cast<float>(sy));
    A.Move(kJetListShift, 0);
    const CArea box = A.CalArea(1);
    jet.hasJetWork = true;
    jet.bandEnd = box.ymax;
    jet.bandOriginX = 0;
    jet.bandOriginY = 0;
    std::copy(std::begin(m.headPositions), std::end(m.headPositions), jet.headPositions);
    std::copy(std::begin(m.nozzleRanges), std::end(m.nozzleRanges), jet.nozzleRanges);
    // The raster steps one jet spread of rows per band; a step of 0 would make no band.
    jet.rowStep = m.jetSpread;
    const uint8_t level = static_cast<uint8_t>(m.jetLevelIndex & 0xFF);
    jet.jetLevel = level > kMaxJetLevel ? 0 : level;
    return true;
}

// The poll of a loop over count shapes that reports its share done between percent from and
// to; false when cancelled.
ShapeRunPoll LoopPoll(const PreparationProgress& progress, int64_t count, int from, int to)
{
    return [&progress, count, from, to](int64_t done) {
        if (count <= 0) return true;
        const int64_t shown = std::min(done, count);
        return ContinuePreparation(progress, from + static_cast<int>((to - from) * static_cast<double>(shown) / count));
    };
}

// The knife work made lines, smoothed and fitted, clipped into K and moved by the cut offsets;
// false with the reason when cancelled or when the usable area is under one unit. Each shape
// is smoothed and broken at its corners on its own, and each piece is fitted on its own, so
// both steps go to the worker threads in runs, the results joined in list order. The fit is
// the costly step, and runs of pieces keep the threads busy even where one shape is long.
bool PrepareCutList(PlotShapeList& cut, PlotShapeList& K, const PrepareMachineValues& m, int32_t& clipOffset,
                    int threads, const PreparationProgress& progress, DispatchRefusal& refusal)
{
    refusal = DispatchRefusal::kCancelled;
    if (clipOffset > 0) cut.Move(-clipOffset, 0);
    const bool fit = GetProfileInt(u"AutoPrint Settings", u"BSPLINE_FIT", 1) != 0;
    const int count = cut.Count();
    auto runs = SplitIntoRuns(cut, RunsForThreads(threads));
    std::vector<std::unique_ptr<PlotShapeList>> smoothed(runs.size());
    const auto smoothRun = [&](int r, ShapeRunControl& control) {
        const size_t k = static_cast<size_t>(r);
        smoothed[k] = std::make_unique<PlotShapeList>();
        PlotShapeList& source = *runs[k];
        PlotShapeList made;
        // Each shape is freed once it is smoothed, so that the pieces made next take up the
        // memory it held on this thread.
        while (PlotShape* s = source.HeadShape()) {
            if (!control.Next()) return;
            s->MakeLine(kMakeLineTolerance);
            s->Slick_new(fit ? made : *smoothed[k]);
            delete s;
            for (PlotShape* piece = made.HeadShape(); piece; piece = made.ShapeAfter(piece)) {
                piece->DeleteRepeatPoint();
                BreakForFit(piece, smoothed[k].get());
            }
            made.Clear();
        }
    };
    if (!RunShapeRuns(static_cast<int>(runs.size()), threads, smoothRun, LoopPoll(progress, count, 40, 60)))
        return false;
    JoinRuns(smoothed, cut);
    if (fit) {
        const int pieceCount = cut.Count();
        runs = SplitIntoRuns(cut, RunsForThreads(threads));
        std::vector<std::unique_ptr<PlotShapeList>> fitted(runs.size());
        const auto fitRun = [&](int r, ShapeRunControl& control) {
            const size_t k = static_cast<size_t>(r);
            fitted[k] = std::make_unique<PlotShapeList>();
            PlotShapeList& pieces = *runs[k];
            CurveFitBuffers buffers;
            while (PlotShape* piece = pieces.HeadShape()) {
                if (!control.Next()) return;
                FitPiece(piece, fitted[k].get(), buffers);
            }
        };
        if (!RunShapeRuns(static_cast<int>(runs.size()), threads, fitRun, LoopPoll(progress, pieceCount, 60, 80)))
            return false;
        JoinRuns(fitted, cut);
    }
    refusal = DispatchRefusal::kNoUsableWidth;
    if (!ClipToMachineArea(cut, K, m.cutWidth, m.cutHeight, clipOffset)) return false;
    refusal = DispatchRefusal::kNone;
    if (m.cutOffsetXMm != 0.0f || m.cutOffsetYMm != 0.0f)
        K.Move(Saturate(m.cutOffsetXMm * m.externScaleX * kUnitsPerMm),
               Saturate(m.cutOffsetYMm * kUnitsPerMm * m.externScaleY));
    return true;
}

// The jet travel path: one pass per jet spread of A's width, alternately up and down.
void AppendJetTravelPath(const PlotShapeCutList& A, PlotShapeList& B, const PrepareMachineValues& m,
                         const Limit_PARAM& range, double k, double yOffset)
{
    const auto y = [&](int32_t v) { return static_cast<float>(v * k - yOffset); };
    const int32_t maxX = A.GetArea().xmax;
    const int32_t spread = m.jetSpread;
    const int32_t remainder = maxX % spread;
    const int32_t passes = maxX / spread + (remainder != 0 ? 1 : 0);
    // Without a remainder the last pass is as wide as the others.
    const double lastFraction = remainder != 0 ? (remainder + 1.0) / spread : 1.0;
    const double step = m.jetStepWidth / (2.0 * m.xScale);
    const float low = y(range.limit0), high = y(range.limit1);
    PlotShape* first = TwoPointLine(0, low, 0, high, passes > 0 ? kTravelStartMau : kTravelAloneMau);
    B.AddTail(first);
    double t = 0.0;
    for (int32_t p = 1; p <= passes; ++p) {
        const double width = p == passes ? step * lastFraction : step;
        const float from = (p % 2 == 1) ? high : low;
        const float to = (p % 2 == 1) ? low : high;
        auto* pass = new PlotShape;
        pass->AddPoint(static_cast<float>(t), from, 1);
        pass->AddPointAtLastPl(static_cast<float>(t + width), from);
        pass->AddPointAtLastPl(static_cast<float>(t + width), to);
        pass->SetMauIndex(p == passes ? kTravelLastPassMau : kTravelPassMau);
        pass->CalArea();
        B.AddTail(pass);
        t += width;
    }
}

// Half-cut dashes, the direction line, the knife compensation and the X stretch of K; false
// when cancelled.
bool FinishKnifeWork(PlotShapeList& K, const CArea& pageBounds, const PrepareMachineValues& m, double yOffset,
                     int threads, const PreparationProgress& progress)
{
    K.DashHalfCutShape(DashStyle{static_cast<float>(m.halfCutGapMm * kUnitsPerMm),
                                 static_cast<float>(m.halfCutDashMm * kUnitsPerMm), kHalfCutCornerTolerance,
                                 static_cast<float>(m.knifeOffsetMm * kUnitsPerMm)});
    if (AddDirectionLine > 0) {
        const CArea kb = K.CalArea(1);
        CArea pb = pageBounds;
        if (pb.ymin < 0) pb.ymin = 0;
        if (m.cutOffsetXMm != 0.0f || m.cutOffsetYMm != 0.0f)
            pb.ymin = Saturate(pb.ymin + static_cast<double>(Saturate(m.cutOffsetYMm * kUnitsPerMm)));
        const double y0 = std::min(kb.ymin, pb.ymin) - yOffset - kDirectionLineDrop;
        K.AddHead(TwoPointLine(kb.xmin + kDirectionLineLength, static_cast<float>(y0), static_cast<float>(kb.xmin),
                               static_cast<float>(y0), kKnifeMau));
    }
    if (!K.ProKnifeCompensate(static_cast<float>(m.knifeOffsetMm * kUnitsPerMm),
                              static_cast<float>(m.knifeComp1 / kThousandths),
                              static_cast<float>(m.knifeComp2 / kThousandths), threads,
                              LoopPoll(progress, K.Count(), 85, 95)))
        return false;
    const float stretch = m.xStretch;
    ForEachShapeInRuns(K, threads, [stretch](PlotShape& s) { s.Stretchx(stretch); });
    return true;
}

}  // namespace

PrepareMachineValues ReadPrepareMachineValues(NET_Machine& machine)
{
    PrepareMachineValues v;
    v.firmwareVersion = machine.firmwareVersion;
    v.xRangeMm = machine.machineParams.xRange;
    v.yRangeMm = machine.machineParams.yRange;
    v.xScale = machine.plot.xScale;
    v.yScale = machine.plot.yScale;
    machine.GetExternScale(v.externScaleX, v.externScaleY);
    machine.GetCutArea_PB(v.cutWidth, v.cutHeight);
    const float* offsets = machine.motionSource.interpolator.offsetsBlock.toolOffsets;
    v.knifeOffsetMm = offsets[0];
    v.cutOffsetXMm = offsets[1];
    v.cutOffsetYMm = offsets[2];
    v.xStretch = offsets[4];
    v.knifeComp1 = machine.knifeComp1;
    v.knifeComp2 = machine.knifeComp2;
    v.halfCutDashMm = LoadLEFloat(machine.extraBlock + kHalfCutDashByte);
    v.halfCutGapMm = LoadLEFloat(machine.extraBlock + kHalfCutGapByte);
    v.jetStepWidth = machine.jet.jetStepWidth;
    v.jobYOffsetMm = machine.plot.bandBaseMm;
    std::copy(std::begin(machine.spRoles), std::end(machine.spRoles), v.penTable);
    v.edgeLines = machine.rightEdgeMarks != 0;
    v.keepMau8 = machine.extraBlock[kKeepMau8Byte] != 0;
    v.rotationDeg = machine.plot.rotationDeg;
    v.mirror = machine.plot.mirror;
    v.jetLevelIndex = machine.motionSource.interpolator.jetLevelIndex;
    v.jetSpread = machine.GetJetPt();
    machine.GetJetInfo(v.headPositions, v.nozzleRanges);
    v.requestValue = machine.task.requestValue3;
    v.requestValue1 = machine.task.requestValue1;
    return v;
}

std::unique_ptr<NET_Machine> CopyJetBandValues(const NET_Machine& machine)
{
    auto values = std::make_unique<NET_Machine>();
    values->plot = machine.plot;
    std::copy(std::begin(machine.speedLevels), std::end(machine.speedLevels), values->speedLevels);
    values->jet = machine.jet;
    values->task.requestValue3 = machine.task.requestValue3;
    return values;
}

void StoreJetTaskValues(const JetTaskValues& jet, Net_TaskData& task)
{
    if (!jet.hasJetWork) return;
    task.bandValue2 = jet.bandEnd;
    task.bandTrigger = jet.bandOriginX;
    task.bandValue1 = jet.bandOriginY;
    std::copy(std::begin(jet.headPositions), std::end(jet.headPositions), task.headPositions);
    std::copy(std::begin(jet.nozzleRanges), std::end(jet.nozzleRanges), task.nozzleRanges);
    task.rowStep = jet.rowStep;
    task.rowAccumulator = 0;
    task.lastRow = 0;
    task.jetLevel = jet.jetLevel;
}

void SplitShapesByTool(PlotShapeList& shapes, PlotShapeList& cut, const uint8_t penTable[8])
{
    for (PlotShape* s = shapes.HeadShape(); s;) {
        PlotShape* next = shapes.ShapeAfter(s);
        if (s->GetMauIndex() == kKeptWholeMau) {
            s->GoOut();
            cut.AddTail(s);
        } else {
            const int toolClass = ShapeToolClass(*s, penTable);
            if (toolClass == kHalfKnifeToolClass || IsCutToolClass(toolClass)) {
                s->SetMauIndex(toolClass == kHalfKnifeToolClass ? kHalfCutMau : kKnifeMau);
                s->GoOut();
                cut.AddTail(s);
            } else {
                s->SetMauIndex(kPrintMau);
            }
        }
        s = next;
    }
    const int mode = GetProfileInt(u"AutoPrint Settings", u"iWorkMode", 0);
    if (mode == kCutOnlyMode) shapes.Clear();
    if (mode == kJetOnlyMode) cut.Clear();
    shapes.CalArea(0);
}

void OrderCutsByLoops(PlotShapeList& cut, const uint8_t penTable[8], int threads)
{
    PlotShapeList holding, knife, result;
    MoveShapesIf(cut, holding, [](const PlotShape& s) { return s.GetMauIndex() == kKeptWholeMau; });
    MoveSelectedPensToList(penTable, cut, knife);
    PlotShapeList& rest = cut;
    RecogniseContourPlain(knife);
    OL_List loops;
    PlotShape* outer = nullptr;
    RecogniseContourWithClusters(rest, loops, outer, threads);
    GetShapesInLoops(loops, knife, threads);
    knife.OrderByArea(kKnifeOrderBand);
    // Per loop, the shapes of knife and rest whose box the loop's box covers enough, found
    // through indexes of both lists' boxes.
    ShapeBoxIndex knifeIndex(knife), restIndex(rest);
    for (OL_Object* o = loops.GetHead(); o; o = loops.GetNext(o)) {
        auto* loop = static_cast<PlotLoop*>(o);
        const CArea box = *loop->GetArea();
        while (PlotShape* tail = static_cast<PlotShape*>(loop->Shapes().GetTail())) {
            tail->GoOut();
            result.AddTail(tail);
        }
        const auto coveredEnough = [&box](const PlotShape& s) {
            return InterAreaRatio(s.GetArea(), box) >= kLoopOverlapRatio;
        };
        knifeIndex.MoveMeeting(box, result, coveredEnough);
        restIndex.MoveMeeting(box, result, coveredEnough);
    }
    loops.Clear();
    result.Append(&knife);
    result.Append(&rest);
    if (outer != nullptr) result.AddTail(outer);
    cut.Append(&result);
    cut.Append(&holding);
    cut.CalArea(1);
}

PlotShape* NextTwoPointHalfCut(PlotShapeList& list, PlotShape* shape)
{
    for (PlotShape* s = shape ? list.ShapeAfter(shape) : list.HeadShape(); s; s = list.ShapeAfter(s)) {
        if (s->GetMauIndex() != kHalfCutMau) continue;
        s->MakeLine(kMakeLineTolerance);
        if (s->GetTolPtNum() == 2) return s;
    }
    return nullptr;
}

void SplitContoursAtHalfCutMarks(PlotShapeList& list)
{
    for (PlotShape* mark = NextTwoPointHalfCut(list, nullptr); mark; mark = NextTwoPointHalfCut(list, mark)) {
        const CArea markBox = mark->CalArea();
        for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
            if (s->GetMauIndex() != kKnifeMau || s->GetPlNum() != 1 || !s->IsClose()) continue;
            if (!BoxContains(s->GetArea(), markBox, kMarkBoxMargin)) continue;
            const auto crossings = MarkCrossings(*mark, *s);
            if (!crossings) continue;
            auto* forward = new PlotShape;
            auto* backward = new PlotShape;
            SplitOutline(*s, crossings->first, crossings->second, *forward, *backward);
            list.InsertBehind(backward, s);
            list.InsertBehind(forward, s);
            delete s;
            break;
        }
    }
}

int ClipToMachineArea(PlotShapeList& source, PlotShapeList& target, int32_t width, int32_t height,
                      int32_t& clipOffset)
{
    // An area under one unit would drop every shape and still report the page as cut.
    if (width < 1 || height < 1) return 0;
    target.Append(&source);
    CArea box = target.CalArea(1);
    if (target.Count() == 0) {
        clipOffset = 0;
        return 1;
    }
    int32_t length = box.xmax;
    // Bounds recomputed after a cut; without one the box is still the shapes'.
    bool cutAny = false;
    if (width < box.xmax) {
        cutAny = true;
        PlotShapeList left;
        target.CutByVLine(width, &left, nullptr);
        KeepPieces(target, left);
        clipOffset = Saturate(static_cast<double>(clipOffset) + width);
        length = width;
    } else {
        clipOffset = 0;
    }
    if (height < box.ymax) {
        cutAny = true;
        PlotShapeList below;
        target.CutByHLine(height, &below, nullptr);
        KeepPieces(target, below);
        target.AddTail(TwoPointLine(0, static_cast<float>(height), static_cast<float>(length),
                                    static_cast<float>(height), kPrintMau));
    }
    if (box.ymin < 0) {
        cutAny = true;
        PlotShapeList above;
        target.CutByHLine(0, nullptr, &above);
        KeepPieces(target, above);
    }
    if (box.xmin < 0) {
        cutAny = true;
        PlotShapeList right;
        target.CutByVLine(0, nullptr, &right);
        KeepPieces(target, right);
    }
    if (cutAny) target.CalArea(1);
    return 1;
}

int PrepareJobGeometry(PlotShapeCutList& A, PlotShapeCutList& B, PlotShapeList& pageShapes,
                       const PrepareMachineValues& m, int sortCuts, const NET_Machine& bandSource,
                       Limit_PARAM& range, int32_t& clipOffset, JetTaskValues& jet,
                       const PreparationProgress& progress, DispatchRefusal* refusal, int workerThreads)
{
    DispatchRefusal ignored = DispatchRefusal::kNone;
    DispatchRefusal& why = refusal != nullptr ? *refusal : ignored;
    why = DispatchRefusal::kMachineValuesUnusable;
    // Scales and the band factor divide below: 0 (or a negative factor) makes no job.
    if (m.xScale == 0.0f || m.yScale == 0.0f || Y_RelSCALE <= 0 || !Finite(m.xScale) || !Finite(m.yScale))
        return 0;
    const int threads = ShapeWorkerThreads(workerThreads);
    const auto cancelled = [&why] {
        why = DispatchRefusal::kCancelled;
        return 0;
    };
    if (!ContinuePreparation(progress, 0)) return cancelled();
    const CArea pageBounds = pageShapes.CalArea(1);
    PlotShapeList print, cut;
    print.Append(&pageShapes);
    SplitShapesByTool(print, cut, m.penTable);

    OrientPrintWork(print, m);
    print.Stretchx(m.xStretch);
    const int32_t stretchShift = Saturate(m.yRangeMm * kUnitsPerMm * m.xStretch);
    if (stretchShift < 0) {
        print.Move(-stretchShift, 0);
        cut.Move(-stretchShift, 0);
    }

    const int32_t clipBefore = clipOffset;
    int32_t jetClip = clipOffset;
    if (!PrepareJetList(print, A, m, jetClip, jet, why)) return 0;
    if (!ContinuePreparation(progress, 10)) return cancelled();
    if (sortCuts) OrderCutsByLoops(cut, m.penTable, threads);
    if (!ContinuePreparation(progress, 40)) return cancelled();
    PlotShapeList K;
    int32_t cutClip = clipOffset;
    if (!PrepareCutList(cut, K, m, cutClip, threads, progress, why)) return 0;
    if (!ContinuePreparation(progress, 80)) return cancelled();
    clipOffset = (jetClip == 0 && cutClip == 0) ? 0 : std::max(jetClip, cutClip);

    bandSource.GetLimit(range, A.GetArea().ymax, jet.jetLevel);
    const double bandLimit = m.firmwareVersion < 9 ? m.yRangeMm * kUnitsPerMm * 2.0
                                                   : m.yRangeMm * kUnitsPerMm * m.yScale * 2.0;
    if (static_cast<double>(Y_RelSCALE) * range.limit1 > bandLimit) range.limit1 = Saturate(bandLimit / Y_RelSCALE);

    const double k = Y_RelSCALE / (2.0 * m.yScale);
    double yOffset = 0.0, xOffset = 0.0;
    if (m.requestValue != 0) {
        yOffset = Y_RelSCALE * static_cast<double>(std::max<int32_t>(m.requestValue, 100)) / (2.0 * m.yScale);
        xOffset = m.xRangeMm * kUnitsPerMm - m.requestValue1 / (2.0 * m.xScale);
    } else {
        yOffset = m.jobYOffsetMm * kUnitsPerMm;
    }
    why = DispatchRefusal::kMachineValuesUnusable;
    if (!Finite(yOffset) || !Finite(xOffset) || !Finite(k)) return 0;

    SplitContoursAtHalfCutMarks(K);
    B.SetCutShapeCount(K.Count());
    if (A.Count() > 0) AppendJetTravelPath(A, B, m, range, k, yOffset);
    if (!ContinuePreparation(progress, 85)) return cancelled();
    if (K.Count() > 0 && !FinishKnifeWork(K, pageBounds, m, yOffset, threads, progress)) return cancelled();
    if (!ContinuePreparation(progress, 95)) return cancelled();
    B.Append(&K);

    if (m.edgeLines && clipOffset <= clipBefore) {
        const int32_t H = Saturate(m.yRangeMm * kUnitsPerMm);
        const float X = static_cast<float>(B.CalArea(1).xmax);
        const float mid = static_cast<float>(H / 2 - yOffset);
        B.AddTail(TwoPointLine(X, mid, X, static_cast<float>(-yOffset), kKnifeMau));
        B.AddTail(TwoPointLine(X, mid, X, static_cast<float>(H - yOffset), kKnifeMau));
    }
    PlotShapeList kept;
    MoveShapesIf(B, kept, [](const PlotShape& s) { return s.GetMauIndex() == kKeptWholeMau; });
    if (m.keepMau8) B.Append(&kept);

    // The offsets, the scale to machine steps and the mirror, shape by shape, each shape's
    // bounds recomputed last: as the list's Move, Scale, MirrorByX and CalArea(1) in turn.
    const float moveX = static_cast<float>(Saturate(xOffset)), moveY = static_cast<float>(Saturate(yOffset));
    const float scaleX = 2.0f * m.xScale, scaleY = 2.0f * m.yScale;
    const int32_t mirrorX = Saturate(m.xRangeMm * 2.0 * kUnitsPerMm * m.xScale);
    ForEachShapeInRuns(B, threads, [=](PlotShape& s) {
        s.Move(moveX, moveY);
        s.Scale(scaleX, scaleY);
        s.MirrorByX(mirrorX);
        s.CalArea();
    });
    auto* origin = new PlotShape;
    origin->AddPoint(0.0f, 0.0f, 1);
    origin->SetMauIndex(kPrintMau);
    origin->CalArea();
    B.AddTail(origin);
    B.CalArea(0);
    why = DispatchRefusal::kNone;
    return 1;
}
