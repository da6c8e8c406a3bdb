// The loop-closing engine: strip passes over a list, tasks of connected open shapes, and the
// joining of a task that goes once round into one loop.
#include "preprocess/photo_find_loop.h"

#include "preprocess/stroke_ends.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace {

// A loop covering at least this share of all loops' bounds, and a rectangle, is the frame.
constexpr double kFrameShare = 0.95;

template <class T>
int RemoveFirst(CArray<T*>& items, T* item)
{
    auto it = std::find(items.begin(), items.end(), item);
    if (it == items.end()) return 0;
    items.RemoveAt(static_cast<int32_t>(it - items.begin()));
    return 1;
}

bool Matches(const CFloatPoint& a, const CFloatPoint& b, float tol)
{
    return std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol;
}

// A shape a task can take: one sub-polyline of 2 or more points (the join appends its points
// to one polyline) that is not closed.
enum class Kind { Line, Loop, Open };
Kind KindOf(const PlotShape& s)
{
    if (!stroke_ends::CanJoin(s)) return Kind::Line;
    return s.IsClose() ? Kind::Loop : Kind::Open;
}

}  // namespace

// ---- CPhotoPoint, CPhotoBorder ----

int CPhotoPoint::RemoveBorder(CPhotoBorder* b) { return RemoveFirst(borders, b); }

CPhotoBorder* CPhotoPoint::GetOtherBorder(CPhotoBorder* b) const
{
    if (borders.GetSize() != 2) return nullptr;
    if (borders[0] == b) return borders[1];
    if (borders[1] == b) return borders[0];
    return nullptr;
}

CPhotoPoint* CPhotoBorder::GetOtherPoint(CPhotoPoint* p) const
{
    if (!p) return nullptr;
    if (p == start) return end;
    if (p == end) return start;
    return nullptr;
}

int CPhotoBorder::IsBackPoint(CPhotoPoint* p) const
{
    if (p && p == end) return 1;
    if (p && p == start) return 0;
    return -1;
}

// ---- CPhotoFindTask ----

CPhotoFindTask::CPhotoFindTask(PlotShape* shape) { Link(shape, nullptr, nullptr); }

CPhotoFindTask::~CPhotoFindTask()
{
    for (CPhotoBorder* b : borders) delete b;
    for (CPhotoPoint* p : points) delete p;
}

CPhotoPoint* CPhotoFindTask::NewPoint(const CFloatPoint& p)
{
    auto* point = new CPhotoPoint(p, nextSequence_++);
    points.Add(point);
    grid_.Add(p, point);
    return point;
}

void CPhotoFindTask::Link(PlotShape* shape, CPhotoPoint* start, CPhotoPoint* end)
{
    if (!start) start = NewPoint(shape->Start());
    if (!end) end = NewPoint(shape->End());
    auto* border = new CPhotoBorder(shape);
    border->SetPoint(start, end);
    borders.Add(border);
    start->AddBorder(border);
    end->AddBorder(border);
}

CPhotoPoint* CPhotoFindTask::FindPoint(const CFloatPoint& p) const
{
    CPhotoPoint* first = nullptr;
    grid_.Near(p, [&](CPhotoPoint* q) {
        if (Matches(q->position, p, tol_) && (!first || q->sequence < first->sequence)) first = q;
    });
    return first;
}

int CPhotoFindTask::IsConnect(const PlotShape* shape) const
{
    if (!shape || shape->GetTolPtNum() == 0) return 0;
    return FindPoint(shape->Start()) || FindPoint(shape->End()) ? 1 : 0;
}

int CPhotoFindTask::TryAddShape(PlotShape* shape)
{
    if (!shape || shape->GetTolPtNum() == 0) return 0;
    CFloatPoint a = shape->Start(), b = shape->End();
    if (Matches(a, b, tol_)) return 0;
    if (borders.IsEmpty()) {
        Link(shape, nullptr, nullptr);
        return 1;
    }
    CPhotoPoint* atStart = FindPoint(a);
    CPhotoPoint* atEnd = FindPoint(b);
    if (!atStart && !atEnd) return 0;
    // Ends tol to 2·tol apart can both match one point: linked twice there, the border would
    // make that point look like a loop of its own, so it is refused like a closed shape.
    if (atStart == atEnd) return 0;
    Link(shape, atStart, atEnd);
    return 1;
}

int CPhotoFindTask::RemovePoint(CPhotoPoint* p)
{
    if (!RemoveFirst(points, p)) return 0;
    grid_.Remove(p->position, p);
    delete p;
    return 1;
}

int CPhotoFindTask::RemoveBorder(CPhotoBorder* b)
{
    if (!RemoveFirst(borders, b)) return 0;
    delete b;
    return 1;
}

int CPhotoFindTask::IsOneLoop() const
{
    if (points.IsEmpty()) return 0;
    for (const CPhotoPoint* p : points)
        if (p->borders.GetSize() != 2) return 0;
    return 1;
}

void CPhotoFindTask::CalArea(CArea& box) const
{
    box = CArea();
    if (borders.IsEmpty()) return;
    box.MakeInvalid();
    for (const CPhotoBorder* b : borders) box.Merge(b->shape->GetArea());
}

// ---- CPhotoFindLoop ----

CPhotoFindLoop::~CPhotoFindLoop()
{
    for (CPhotoFindTask* t : pending_) delete t;
}

void CPhotoFindLoop::Clear()
{
    source_ = nullptr;
    for (CPhotoFindTask* t : pending_) delete t;
    pending_.RemoveAll();
    loops_.Clear();
    lines_.Clear();
    current_.Clear();
    straddling_.Clear();
    taskShapes_.Clear();
}

void CPhotoFindLoop::Recognize()
{
    RecognizeLoop();
    RecognizeLargeLoop();
}

void CPhotoFindLoop::RecognizeLoop()
{
    if (!source_) return;
    // The right edge comes from the shapes themselves, not from bounds cached earlier.
    rightEdge_ = source_->CalArea(0).xmax;
    limit_ = 0;
    do {
        // The next strip in which something can change: a source shape reaches the limit, a
        // straddling one falls behind it, or the right edge is reached. Strips between them
        // would only repeat the same searches.
        int64_t next = rightEdge_;
        for (PlotShape* s = source_->HeadShape(); s; s = source_->ShapeAfter(s)) next = std::min<int64_t>(next, s->GetArea().xmin);
        for (PlotShape* s = straddling_.HeadShape(); s; s = straddling_.ShapeAfter(s))
            next = std::min<int64_t>(next, static_cast<int64_t>(s->GetArea().xmax) + 1);
        int64_t jump = next > 0 ? (next + kStripWidth - 1) / kStripWidth * kStripWidth : 0;
        limit_ = std::max(limit_ + kStripWidth, jump);
        GetLeftMarshal();
        ResumeTask();
        while (current_.Count() > 0) NewTask();
    } while (!(rightEdge_ < limit_));
    // Settles what the last strip left: straddlers whose right edge equals the final limit,
    // then every task still pending, so no shape stays behind in the engine.
    current_.Append(&straddling_);
    ResumeTask();
    while (current_.Count() > 0) NewTask();
    for (CPhotoFindTask* t : pending_) Finish(t);
    pending_.RemoveAll();
}

void CPhotoFindLoop::GetLeftMarshal()
{
    for (PlotShape* s = straddling_.HeadShape(); s;) {
        PlotShape* next = straddling_.ShapeAfter(s);
        if (s->GetArea().xmax < limit_) {
            s->GoOut();
            current_.AddTail(s);
        }
        s = next;
    }
    const bool last = limit_ >= rightEdge_;
    for (PlotShape* s = source_->HeadShape(); s;) {
        PlotShape* next = source_->ShapeAfter(s);
        const CArea& box = s->GetArea();
        // Shapes that cannot join go to the lines and closed ones to the loops also in the
        // last strip: a task would join them and lose the points of their other sub-polylines.
        Kind kind = KindOf(*s);
        PlotShapeList* to = nullptr;
        if (kind == Kind::Line) to = &lines_;
        else if (kind == Kind::Loop) to = &loops_;
        else if (last || box.xmax < limit_) to = &current_;
        else if (box.xmin <= limit_) to = &straddling_;
        if (to) {
            s->GoOut();
            to->AddTail(s);
        }
        s = next;
    }
}

void CPhotoFindLoop::NewTask()
{
    while (PlotShape* head = current_.HeadShape()) {
        if (!head->IsClose()) break;
        head->GoOut();
        loops_.AddTail(head);
    }
    PlotShape* seed = current_.HeadShape();
    if (!seed) return;
    seed->GoOut();
    taskShapes_.AddTail(seed);
    auto* task = new CPhotoFindTask(seed);
    if (TaskDoSearch(task)) Finish(task);
    else pending_.Add(task);
}

void CPhotoFindLoop::ResumeTask()
{
    for (int32_t i = 0; i < pending_.GetSize();) {
        if (TaskDoSearch(pending_[i])) {
            Finish(pending_[i]);
            pending_.RemoveAt(i);
        } else {
            ++i;
        }
    }
}

void CPhotoFindLoop::Finish(CPhotoFindTask* task)
{
    RecognizeLoop(task);
    delete task;
}

int CPhotoFindLoop::TaskDoSearch(CPhotoFindTask* task)
{
    for (bool added = true; added;) {
        added = false;
        for (PlotShape* s = current_.HeadShape(); s;) {
            PlotShape* next = current_.ShapeAfter(s);
            if (task->TryAddShape(s)) {
                s->GoOut();
                taskShapes_.AddTail(s);
                added = true;
            }
            s = next;
        }
    }
    for (PlotShape* s = straddling_.HeadShape(); s; s = straddling_.ShapeAfter(s))
        if (task->IsConnect(s)) return 0;
    return 1;
}

void CPhotoFindLoop::ToLines(PlotShape* s)
{
    if (!s) return;
    s->GoOut();
    lines_.AddTail(s);
}

void CPhotoFindLoop::RemoveUnloopLine(CPhotoFindTask* task)
{
    // Points and borders are marked first and dropped from the arrays in one sweep, so a
    // long dangling chain costs one pass, not one array search per link.
    std::unordered_set<CPhotoPoint*> deadPoints;
    std::unordered_set<CPhotoBorder*> deadBorders;
    std::vector<CPhotoPoint*> work;
    for (CPhotoPoint* p : task->points)
        if (p->borders.GetSize() == 1) work.push_back(p);
    while (!work.empty()) {
        CPhotoPoint* p = work.back();
        work.pop_back();
        if (deadPoints.count(p) || p->borders.GetSize() != 1) continue;
        CPhotoBorder* b = p->borders[0];
        ToLines(b->shape);
        CPhotoPoint* other = b->GetOtherPoint(p);
        p->RemoveBorder(b);
        deadPoints.insert(p);
        deadBorders.insert(b);
        if (!other) continue;
        other->RemoveBorder(b);
        if (other->borders.GetSize() == 1) work.push_back(other);
        // A point left with no border stands for nothing; kept, it would keep the rest of
        // the task from being one loop.
        if (other->borders.IsEmpty()) deadPoints.insert(other);
    }
    if (deadPoints.empty() && deadBorders.empty()) return;
    CArray<CPhotoPoint*> points;
    for (CPhotoPoint* p : task->points)
        if (!deadPoints.count(p)) points.Add(p);
    CArray<CPhotoBorder*> borders;
    for (CPhotoBorder* b : task->borders)
        if (!deadBorders.count(b)) borders.Add(b);
    task->points.RemoveAll();
    task->borders.RemoveAll();
    for (CPhotoPoint* p : deadPoints) delete p;
    for (CPhotoBorder* b : deadBorders) delete b;
    task->points.Copy(points);
    task->borders.Copy(borders);
}

void CPhotoFindLoop::RecognizeLoop(CPhotoFindTask* task)
{
    RemoveUnloopLine(task);
    if (task->borders.IsEmpty()) return;
    if (task->IsOneLoop() && GetLoop(task)) return;
    for (CPhotoBorder* b : task->borders) ToLines(b->shape);
}

int CPhotoFindLoop::GetLoop(CPhotoFindTask* task)
{
    if (task->borders.IsEmpty() || !task->borders[0]) return 0;
    CPhotoBorder* first = task->borders[0];
    struct Step {
        CPhotoBorder* border;
        bool reversed;
    };
    std::vector<Step> walk{{first, false}};
    CPhotoPoint* at = first->end;
    CPhotoBorder* b = first;
    // The walk must come back to the first border through every border exactly once; a null
    // border on the way or a walk that skips some is not one loop.
    for (;;) {
        CPhotoBorder* next = at ? at->GetOtherBorder(b) : nullptr;
        if (!next) return 0;
        if (next == first) break;
        if (walk.size() >= static_cast<size_t>(task->borders.GetSize())) return 0;
        int back = next->IsBackPoint(at);
        if (back < 0) return 0;
        walk.push_back({next, back == 1});
        at = next->GetOtherPoint(at);
        b = next;
    }
    if (at != first->start || walk.size() != static_cast<size_t>(task->borders.GetSize())) return 0;
    auto* loop = new PlotShape;
    *loop = *first->shape;
    for (size_t k = 1; k < walk.size(); ++k) {
        PlotShape piece;
        piece = *walk[k].border->shape;
        if (walk[k].reversed) piece.Reverse();
        if (!loop->AddAtLast(piece)) {
            delete loop;
            return 0;
        }
    }
    loop->CalArea();
    loops_.AddTail(loop);
    for (const Step& s : walk) {
        delete s.border->shape;
        s.border->shape = nullptr;
    }
    return 1;
}

void CPhotoFindLoop::RecognizeLargeLoop()
{
    for (PlotShape* s = loops_.HeadShape(); s;) {
        PlotShape* next = loops_.ShapeAfter(s);
        if (s->GetArea().Area() < kMinLoopAreaMm2) ToLines(s);
        s = next;
    }
    if (loops_.Count() == 0) return;
    const double allArea = loops_.CalArea(0).Area();
    for (PlotShape* s = loops_.HeadShape(); s;) {
        PlotShape* next = loops_.ShapeAfter(s);
        if (loops_.Count() > 1 && s->GetArea().Area() >= kFrameShare * allArea && s->IsRect()) ToLines(s);
        s = next;
    }
    for (PlotShape* s = loops_.HeadShape(); s;) {
        PlotShape* next = loops_.ShapeAfter(s);
        for (PlotShape* o = loops_.HeadShape(); o; o = loops_.ShapeAfter(o))
            if (o != s && s->GetArea().IsInBox(o->GetArea()) && s->IsInLoop(o)) {
                ToLines(s);
                break;
            }
        s = next;
    }
}
