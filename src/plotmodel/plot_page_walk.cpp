// The page list's print traversal: shapes in page order, resume search and pulse counting.
// Units: plotter units, one pulse each; no tool depths.
#include "plotmodel/plot_page.h"

#include "plotmodel/plot_shape_cut_list.h"

namespace {

namespace R = GetNextPathResult;

// Codes of the page walk that the cut list's walk does not have.
constexpr int kCutJoin = 3;     // GetNextPath: move between sub-polylines of a cutting-list shape
constexpr int kCutJoinAt = 5;   // the same for GetNextPath_at
constexpr int kSpecialPath = 4; // MauIndex 126 (GetNextPath) / 130 (GetNextPath_at) in a cutting list

// Path code by list kind; in a cutting list the knife-stroke (126) or fourth-depth (130)
// shapes get 4. The walk and the resume search answer alike.
int PagePathCode(int kind, unsigned char mau, bool at)
{
    if (kind != PageListKind::kCutting) return PageListKind::kDrawing;
    return mau == (at ? CutModeIndex::kFourthDepth : CutModeIndex::kKnifeOrientation) ? kSpecialPath
                                                                                      : PageListKind::kCutting;
}

int JoinCode(int kind, bool at)
{
    if (kind != PageListKind::kCutting) return R::kTravel;
    return at ? kCutJoinAt : kCutJoin;
}

int64_t GroupPulses(const CArray<CPoint>& g)
{
    int64_t sum = 0;
    for (int32_t i = 1; i < g.GetSize(); ++i) sum += MovePulses(g[i - 1], g[i]);
    return sum;
}

}  // namespace

// ---- cursor ----

PlotPageList::Place PlotPageList::PlaceAfter(const Place& from) const
{
    PlotPage* page = from.page ? from.page : HeadPage();
    int kind = from.page ? from.listKind : PageListKind::kDrawing;
    PlotShape* s = from.page ? from.shape : nullptr;
    while (page) {
        PlotShapeList& list = kind == PageListKind::kCutting ? page->CutList() : page->DrawList();
        s = s ? list.ShapeAfter(s) : list.HeadShape();
        while (s && s->GetTolPtNum() <= 0) s = list.ShapeAfter(s);
        if (s) return {page, s, 0, kind};
        if (kind == PageListKind::kDrawing) {
            kind = PageListKind::kCutting;
        } else {
            page = PageAfter(page);
            kind = PageListKind::kDrawing;
        }
    }
    return {};
}

PlotShape* PlotPageList::GetFirstShape()
{
    Place p = PlaceAfter({});
    currentPage_ = p.page;
    currentShape_ = p.shape;
    listKind_ = p.listKind;
    hint_.Reset();
    return currentShape_;
}

PlotShape* PlotPageList::GetNextShape()
{
    Place p = currentShape_ ? PlaceAfter({currentPage_, currentShape_, 0, listKind_}) : Place{};
    currentPage_ = p.page;
    currentShape_ = p.shape;
    listKind_ = p.listKind;
    hint_.Reset();
    return currentShape_;
}

void PlotPageList::PlaceCursor(const Place& place)
{
    hint_.Reset();
    currentPage_ = place.page;
    currentShape_ = place.shape;
    pointIndex_ = place.pointIndex;
    listKind_ = place.listKind;
    finished_ = 0;
    // A list resumed before it was ever walked goes on from the place found.
    started_ = 1;
}

// ---- set-up and counting ----

void PlotPageList::InitWalk(int32_t x, int32_t y, int32_t start, int source)
{
    headX_ = x;
    headY_ = y;
    startPos_ = start;
    dataSource_ = source;
    currentPage_ = nullptr;
    currentShape_ = nullptr;
    hint_.Reset();
    pointIndex_ = 0;
    listKind_ = 0;
    resumePulses_ = 0;
    started_ = 0;
    finished_ = 0;
    CalArea(1);
    pulseCounter_ = 0;
    totalPulses_ = GetToltalPulseNum();
}

void PlotPageList::InitPrint(int32_t x, int32_t y, int32_t unused, int source)
{
    (void)unused;
    InitWalk(x, y, 0, source);
}

void PlotPageList::InitPrintAutoPrint(int32_t x, int32_t y, int32_t start, int source) { InitWalk(x, y, start, source); }

int PlotPageList::ResumePrint(int32_t n)
{
    resumePulses_ = n;
    pulseCounter_ = n;
    return 1;
}

float PlotPageList::GetPercentage() const
{
    if (totalPulses_ <= 0) return 0.0f;
    return static_cast<float>(pulseCounter_) / static_cast<float>(totalPulses_);
}

int32_t PlotPageList::GetPulseNum_Move(const CPoint& a, const CPoint& b) { return SaturateToInt32(MovePulses(a, b)); }

int32_t PlotPageList::GetPulseNum_Curve(int count, const float* xy) { return SaturateToInt32(CurvePulses(count, xy)); }

int32_t PlotPageList::GetToltalPulseNum() const
{
    int64_t t = 0;
    CPoint p(headX_, headY_);
    for (Place place = PlaceAfter({}); place.shape; place = PlaceAfter(place)) {
        ForEachSubPolyline(*place.shape, [&](const SubPolyline& pl) {
            t += MovePulses(p, ToPulsePoint(pl.xy[0], pl.xy[1])) + CurvePulses(pl.count, pl.xy);
            p = ToPulsePoint(pl.xy[2 * (pl.count - 1)], pl.xy[2 * (pl.count - 1) + 1]);
            return false;
        });
    }
    return SaturateToInt32(t);
}

// ---- walk ----

int PlotPageList::GetNextPath(CArray<CPoint>& group) { return NextGroup(group, false); }

int PlotPageList::GetNextPath_at(CArray<CPoint>& group) { return NextGroup(group, true); }

int PlotPageList::NextGroup(CArray<CPoint>& group, bool at)
{
    // Every group handed out adds its pulses to the pulse counter; the move home after the
    // last shape lies outside the job's total and is not counted.
    auto counted = [&](int code) {
        AddPulseNumCounter(SaturateToInt32(GroupPulses(group)));
        return code;
    };
    if (resumePulses_ > 0) {
        int code = BreakPoint(group, at);
        if (code >= 0 && code <= 5) SnapToReportedPosition(group, CPoint(referenceX_, referenceY_));
        // A stop in the move home leaves the cursor on no shape: that move is not counted.
        if (code < 0 || !currentShape_) return code;
        return counted(code);
    }
    if (finished_) return R::kFinished;
    if (!started_) {
        PlotShape* first = GetFirstShape();
        if (!first) {
            finished_ = 1;
            started_ = 1;
            return R::kNoShapeLeft;
        }
        started_ = 1;
        pointIndex_ = 0;
        const CPoint head(headX_, headY_);
        const CPoint start = first->ToCPoint(0);
        if (!(head == start)) {
            group.Add(head);
            group.Add(start);
            return counted(R::kTravel);
        }
    }
    if (!currentShape_) {
        finished_ = 1;
        return R::kNoShapeLeft;
    }
    PlotShape* s = currentShape_;
    int total = s->GetTolPtNum();
    if (pointIndex_ >= total - 1) {
        const CPoint end = s->ToCPoint(total - 1);
        const Place next = PlaceAfter({currentPage_, s, 0, listKind_});
        if (!next.shape) {
            CalArea(1);
            GetNextShape();
            pointIndex_ = 0;
            if (!(end == CPoint(0, 0))) {
                group.Add(end);
                group.Add(CPoint(0, 0));
                return R::kTravel;  // the move home; the next call gives -3
            }
            finished_ = 1;
            return R::kNoShapeLeft;
        }
        const CPoint start = next.shape->ToCPoint(0);
        GetNextShape();
        pointIndex_ = 0;
        if (!(end == start)) {
            group.Add(end);
            group.Add(start);
            return counted(R::kTravel);
        }
        s = currentShape_;
        total = s->GetTolPtNum();
    }
    for (SubPolylineScan pl(hint_, s, pointIndex_); pl.More(); pl.Next()) {
        const int32_t last = pl.last;
        if (pointIndex_ == last) {
            if (pointIndex_ >= total - 1) return R::kNothingAppended;
            ++pointIndex_;
            const CPoint a = s->ToCPoint(pointIndex_ - 1);
            const CPoint b = s->ToCPoint(pointIndex_);
            if (!(a == b)) {
                group.Add(a);
                group.Add(b);
                return counted(JoinCode(listKind_, at));
            }
        } else if (pl.first <= pointIndex_ && pointIndex_ < last) {
            group.Add(s->ToCPoint(pointIndex_));
            for (int p = pointIndex_ + 1; p <= last; ++p) {
                const CPoint pt = s->ToCPoint(p);
                if (!(pt == group[group.GetSize() - 1])) group.Add(pt);
            }
            pointIndex_ = last;
            if (group.GetSize() >= 2) return counted(PagePathCode(listKind_, s->GetMauIndex(), at));
            group.RemoveAll();
        }
    }
    return R::kNothingAppended;
}

// ---- resume ----

int PlotPageList::GetBreakPointPath(CArray<CPoint>& group) { return BreakPoint(group, false); }

int PlotPageList::GetBreakPointPath_at(CArray<CPoint>& group) { return BreakPoint(group, true); }

int PlotPageList::BreakPoint(CArray<CPoint>& group, bool at)
{
    const int64_t n = resumePulses_;
    resumePulses_ = 0;
    int64_t t = 0;
    CPoint p(headX_, headY_);
    int code = R::kNoShapeLeft;
    for (Place place = PlaceAfter({}); place.shape; place = PlaceAfter(place)) {
        PlotShape* s = place.shape;
        bool afterPolyline = false;  // a sub-polyline with points came before in this shape
        bool found = ForEachSubPolyline(*s, [&](const SubPolyline& pl) {
            const CPoint start = ToPulsePoint(pl.xy[0], pl.xy[1]);
            const int64_t m = MovePulses(p, start);
            if (n < t + m) {
                GetBreakPointPath_Line(group, SaturateToInt32(n - t), p, start);
                PlaceCursor({place.page, s, pl.first, place.listKind});
                code = afterPolyline ? JoinCode(place.listKind, at) : R::kTravel;
                return true;
            }
            const int64_t k = CurvePulses(pl.count, pl.xy);
            if (n < t + m + k) {
                AppendPathBreakPoint(group, n - t - m, pl.count, pl.xy);
                PlaceCursor({place.page, s, pl.last, place.listKind});
                code = PagePathCode(place.listKind, s->GetMauIndex(), at);
                return true;
            }
            t += m + k;
            p = ToPulsePoint(pl.xy[2 * (pl.count - 1)], pl.xy[2 * (pl.count - 1) + 1]);
            afterPolyline = true;
            return false;
        });
        if (found) return code;
    }
    const CPoint home(0, 0);
    if (at && !(p == home) && n < t + MovePulses(p, home)) {
        GetBreakPointPath_Line(group, SaturateToInt32(n - t), p, home);
        PlaceCursor({});  // the next call ends the job
        return R::kTravel;
    }
    finished_ = 1;
    return R::kNoShapeLeft;
}

int PlotPageList::GetBreakPointPath_Line(CArray<CPoint>& group, int32_t n, const CPoint& a, const CPoint& b)
{
    if (n < 0 || n > MovePulses(a, b)) return 0;
    group.Add(PointAlongMove(a, b, n));
    group.Add(b);
    return 1;
}
