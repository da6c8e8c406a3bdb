// CBinaryPolyLineList: joining, integer HPGL text, shapes, boxes, transforms and cutting.
#include "hpgl/binary_polyline_list.h"

#include "hpgl/hpgl_analyzer.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/plot_units.h"
#include "plotmodel/sub_polylines.h"

#include <algorithm>

namespace {

// Adds the points as polylines of at most kMaxPoints each; consecutive pieces share their
// boundary point, so a long run stays one connected path.
void AddSplit(CBinaryPolyLineList& list, const std::vector<int32_t>& xy, unsigned pen)
{
    const size_t n = xy.size() / 2;
    if (n == 0) return;
    size_t first = 0;
    for (;;) {
        size_t count = std::min<size_t>(n - first, CPolyLine::kMaxPoints);
        auto* line = new CPolyLine;
        line->Create(xy.data() + 2 * first, static_cast<unsigned>(count), pen);
        if (!list.AddTail(line)) delete line;
        if (first + count >= n) return;
        first += count - 1;
    }
}

}  // namespace

CBinaryPolyLineList::~CBinaryPolyLineList() { Clear(); }

void CBinaryPolyLineList::Clear()
{
    OL_List::Clear();
    box_.reset();
}

int CBinaryPolyLineList::AddTail(OL_Object* polyline)
{
    auto* line = dynamic_cast<CPolyLine*>(polyline);
    if (!line || line->GetStoredIn()) return 0;
    CPolyLine* tail = static_cast<CPolyLine*>(GetTail());
    if (tail && tail->Append(*line)) {
        delete line;
        return 1;
    }
    return OL_List::AddTail(line);
}

int CBinaryPolyLineList::AddTailEx(OL_Object* polyline)
{
    auto* line = dynamic_cast<CPolyLine*>(polyline);
    if (!line || line->GetStoredIn()) return 0;
    CPolyLine* tail = static_cast<CPolyLine*>(GetTail());
    if (tail && line->GetLineType() >= 0 && tail->GetLineType() >= 0) return AddTail(line);
    return OL_List::AddTail(line);
}

int CBinaryPolyLineList::CreateFromHPGL(const CStringA& text)
{
    if (text.GetLength() < 3) return 0;
    Clear();
    HpglAnalyzer analyzer(text);
    CStringA command;
    int labelLength = 0;
    CArray<float, float> values;
    int32_t x = 0, y = 0;
    // The run grows as needed; it is split into polylines of at most kMaxPoints points.
    std::vector<int32_t> run;
    for (int code = analyzer.GetFirstCode(command, labelLength); code != HPGL_END_OF_DATA;
         code = analyzer.GetNextCode(command, labelLength)) {
        if (code != HPGL_PU && code != HPGL_PD) continue;
        values.RemoveAll();
        HpglAnalyzer::GetFloatPair(command, values);
        if (values.GetSize() < 2) continue;
        if (code == HPGL_PU) {
            x = TruncateToInt32(values[values.GetSize() - 2]);
            y = TruncateToInt32(values[values.GetSize() - 1]);
            continue;
        }
        run.assign({x, y});
        for (int32_t i = 0; i + 1 < values.GetSize(); i += 2) {
            x = TruncateToInt32(values[i]);
            y = TruncateToInt32(values[i + 1]);
            run.push_back(x);
            run.push_back(y);
        }
        AddSplit(*this, run, 0);
    }
    return 1;
}

void CBinaryPolyLineList::OToHPGLCode(CStringA& out)
{
    out.Empty();
    out.str().reserve(static_cast<size_t>(std::max(textLengthBytes_, 0)));
    for (CPolyLine* p = HeadLine(); p; p = LineAfter(p)) p->OToHPGLCode(out, true);
    textLengthBytes_ = out.GetLength() > INT32_MAX - 100 ? INT32_MAX : out.GetLength() + 100;
}

void CBinaryPolyLineList::CreateFrom(const PlotShapeList& shapes)
{
    Clear();
    for (PlotShape* s = shapes.HeadShape(); s; s = shapes.ShapeAfter(s)) AppendPlotShape(*s);
}

void CBinaryPolyLineList::AppendPlotShape(const PlotShape& shape)
{
    std::vector<int32_t> xy;
    ForEachSubPolyline(shape, [&](const SubPolyline& pl) {
        xy.clear();
        for (int32_t i = 0; i < pl.count; ++i) {
            xy.push_back(TruncateToInt32(pl.xy[2 * i]));
            xy.push_back(TruncateToInt32(pl.xy[2 * i + 1]));
        }
        AddSplit(*this, xy, 1);
        return false;
    });
}

void CBinaryPolyLineList::LinkAtEnd(CPolyLine* p)
{
    if (!p) return;
    bool joined = true;
    while (joined) {
        joined = false;
        for (CPolyLine* q = HeadLine(); q; q = LineAfter(q)) {
            if (q != p && p->Append(*q)) {
                delete q;
                joined = true;
                break;
            }
        }
    }
}

void CBinaryPolyLineList::MakeLink()
{
    for (CPolyLine* p = HeadLine(); p; p = LineAfter(p)) LinkAtEnd(p);
}

const CArea& CBinaryPolyLineList::CalArea()
{
    if (!box_) box_ = std::make_unique<CArea>();
    CArea box(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    bool any = false;
    for (CPolyLine* p = HeadLine(); p; p = LineAfter(p)) {
        if (p->PtNum() == 0) continue;
        const CArea& b = p->GetArea();
        box.xmin = std::min(box.xmin, b.xmin);
        box.ymin = std::min(box.ymin, b.ymin);
        box.xmax = std::max(box.xmax, b.xmax);
        box.ymax = std::max(box.ymax, b.ymax);
        any = true;
    }
    *box_ = any ? box : CArea(INT32_MAX, INT32_MAX, 0, 0);
    return *box_;
}

const CArea& CBinaryPolyLineList::GetArea(int recompute)
{
    if (recompute || !box_) return CalArea();
    return *box_;
}

void CBinaryPolyLineList::GetPictureBound(CRect& out, int scalePercent)
{
    const CArea& box = GetArea(0);
    if (box.IsInvalid()) {
        out.SetRectEmpty();
        return;
    }
    if (scalePercent <= 0) scalePercent = 100;
    // 2.5 hundredths of a millimetre per plotter unit; 96 pixels per 2540 hundredths.
    const double factor = 2.5 * 100.0 / scalePercent * 96.0 / 2540.0;
    out.left = TruncateToInt32(box.xmin * factor);
    out.right = TruncateToInt32(box.xmax * factor);
    out.top = TruncateToInt32(-(box.ymax * factor));
    out.bottom = TruncateToInt32(-(box.ymin * factor));
}

void CBinaryPolyLineList::Move(int32_t dx, int32_t dy)
{
    for (CPolyLine* p = HeadLine(); p; p = LineAfter(p)) p->Move(dx, dy);
    if (box_) CalArea();
}

void CBinaryPolyLineList::Scale(float sx, float sy)
{
    for (CPolyLine* p = HeadLine(); p; p = LineAfter(p)) p->Scale(sx, sy);
    if (box_) CalArea();
}

void CBinaryPolyLineList::MoveAndScale(int32_t dx, int32_t dy, float sx, float sy)
{
    for (CPolyLine* p = HeadLine(); p; p = LineAfter(p)) p->MoveAndScale(dx, dy, sx, sy);
    if (box_) CalArea();
}

void CBinaryPolyLineList::Mirror()
{
    CArea box = GetArea(1);
    for (CPolyLine* p = HeadLine(); p; p = LineAfter(p)) p->Mirror(&box);
    CalArea();
}

void CBinaryPolyLineList::Rotate(int32_t quarterTurns)
{
    CArea box = GetArea(1);
    for (CPolyLine* p = HeadLine(); p; p = LineAfter(p)) p->Rotate(quarterTurns, &box);
    CalArea();
}

void CBinaryPolyLineList::CutByHLine(int32_t y, CBinaryPolyLineList* below, CBinaryPolyLineList* above, int copy)
{
    if (!below && !above) return;
    for (CPolyLine* p = HeadLine(); p;) {
        CPolyLine* next = LineAfter(p);
        p->CutByHLine(y, below, above, copy);
        p = next;
    }
    if (!copy) Clear();
}

void CBinaryPolyLineList::CutByVLine(int32_t x, CBinaryPolyLineList* left, CBinaryPolyLineList* right, int copy)
{
    if (!left && !right) return;
    for (CPolyLine* p = HeadLine(); p;) {
        CPolyLine* next = LineAfter(p);
        p->CutByVLine(x, left, right, copy);
        p = next;
    }
    if (!copy) Clear();
}

void CBinaryPolyLineList::CutByArea(const CArea& area, CBinaryPolyLineList& out)
{
    for (CPolyLine* p = HeadLine(); p; p = LineAfter(p)) {
        if (p->PtNum() == 0) continue;
        if (p->IsInArea(area)) {
            auto* copy = new CPolyLine(*p);
            if (!out.AddTail(copy)) delete copy;
            continue;
        }
        CBinaryPolyLineList pieces;
        p->CutByArea(area, pieces);
        out.LinkAll(pieces);
    }
}

void CBinaryPolyLineList::LinkAll(OL_List& other)
{
    while (OL_Object* e = other.GetHead()) {
        other.GoOut(e);
        OL_List::AddTail(e);
    }
}
