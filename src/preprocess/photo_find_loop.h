// The loop-closing engine: sorts a list's shapes into closed loops and other lines, joining
// open shapes end to end into loops where their ends meet within the joining tolerance.
//
// Method: vertical strips 32000 units wide from x = 0; only shapes near the current strip are
// searched. The open shapes of a strip that meet end to end form a task (a graph of points
// and borders); once no shape still to come can touch it, dangling borders are removed and a
// task whose every point joins exactly two borders becomes one loop shape. Coordinates are
// plotter units (40 per mm); the tolerance is PlotShape::GetError(), per axis. Strip
// positions are 64-bit and empty strips are skipped, so coordinates near the ends of the
// 32-bit range end in a few steps.
#pragma once

#include "geometry/float_point.h"
#include "geometry/ol_box.h"
#include "geometry/ol_list.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "platform/carray.h"
#include "preprocess/end_point_grid.h"

#include <cstdint>

class CPhotoBorder;

// A point where borders meet.
class CPhotoPoint {
public:
    explicit CPhotoPoint(const CFloatPoint& p, uint64_t order = 0) : position(p), sequence(order) {}
    virtual ~CPhotoPoint() = default;

    void AddBorder(CPhotoBorder* b) { borders.Add(b); }
    // Removes the first entry equal to b: 1 when found, else 0.
    int RemoveBorder(CPhotoBorder* b);
    // When exactly two borders meet here, the one that is not b; null otherwise.
    CPhotoBorder* GetOtherBorder(CPhotoBorder* b) const;

    CFloatPoint position;
    CArray<CPhotoBorder*> borders;
    // Creation order within its task: the first matching point is the oldest.
    uint64_t sequence = 0;
};

// A shape as an edge between two points (neither owned).
class CPhotoBorder {
public:
    explicit CPhotoBorder(PlotShape* s) : shape(s) {}
    virtual ~CPhotoBorder() = default;

    void SetPoint(CPhotoPoint* s, CPhotoPoint* e)
    {
        start = s;
        end = e;
    }
    // The other end of the border; null when p is neither end (or null).
    CPhotoPoint* GetOtherPoint(CPhotoPoint* p) const;
    // 1 when p is the end point, 0 when it is the start point, -1 otherwise.
    int IsBackPoint(CPhotoPoint* p) const;

    PlotShape* shape = nullptr;
    CPhotoPoint* start = nullptr;
    CPhotoPoint* end = nullptr;
};

// One group of connected open shapes: it owns its points and borders, not the shapes.
class CPhotoFindTask {
public:
    CPhotoFindTask() = default;
    // A task of one border for the shape between a point at its start and one at its end.
    explicit CPhotoFindTask(PlotShape* shape);
    CPhotoFindTask(const CPhotoFindTask&) = delete;
    CPhotoFindTask& operator=(const CPhotoFindTask&) = delete;
    virtual ~CPhotoFindTask();

    // Adds the shape when an end matches a task point (any shape for an empty task): 1, else
    // 0. Shapes whose ends match each other or one and the same point are refused.
    int TryAddShape(PlotShape* shape);
    // The first point within the tolerance of p, or null.
    CPhotoPoint* FindPoint(const CFloatPoint& p) const;
    // 1 when the shape's start or end matches a task point.
    int IsConnect(const PlotShape* shape) const;
    // Removes p / b from the task and deletes it: 1 when it was there.
    int RemovePoint(CPhotoPoint* p);
    int RemoveBorder(CPhotoBorder* b);
    // 1 when there is a point and every point has exactly two borders.
    int IsOneLoop() const;
    // The merged box of all border shapes (the zero box without borders).
    void CalArea(CArea& box) const;

    CArray<CPhotoPoint*> points;
    CArray<CPhotoBorder*> borders;

private:
    // Adds a border for the shape between the given points (new ones where null).
    void Link(PlotShape* shape, CPhotoPoint* start, CPhotoPoint* end);
    CPhotoPoint* NewPoint(const CFloatPoint& p);
    // The matching tolerance, plotter units, fixed at creation.
    float tol_ = PlotShape::GetError();
    // The points by position, so FindPoint looks at the points near p only.
    EndPointGrid<CPhotoPoint*> grid_{tol_};
    uint64_t nextSequence_ = 0;
};

class CPhotoFindLoop {
public:
    // Strip width, plotter units.
    static constexpr int64_t kStripWidth = 32000;
    // Loops below this area are lines, square millimetres.
    static constexpr double kMinLoopAreaMm2 = 100.0;

    // The engine works on source (not owned), whose shapes it takes.
    explicit CPhotoFindLoop(PlotShapeList* source = nullptr) : source_(source) {}
    CPhotoFindLoop(const CPhotoFindLoop&) = delete;
    CPhotoFindLoop& operator=(const CPhotoFindLoop&) = delete;
    virtual ~CPhotoFindLoop();

    // Strip passes, then RecognizeLargeLoop.
    void Recognize();
    // Strip passes only: every source shape ends in the loops or the lines list.
    void RecognizeLoop();
    // Keeps only the outermost loops of at least 100 mm², not the sheet's frame; the others
    // move to the lines list.
    void RecognizeLargeLoop();
    // Forgets the source and deletes what the engine holds.
    void Clear();

    // The results; the engine owns them until the caller moves the shapes away.
    PlotShapeList& Loops() { return loops_; }
    PlotShapeList& Lines() { return lines_; }

    // The steps of the strip passes.
    void GetLeftMarshal();
    void NewTask();
    void ResumeTask();
    // 1 when no shape still to come can touch the task, after taking every current shape it
    // can; else 0.
    int TaskDoSearch(CPhotoFindTask* task);
    // Removes dangling borders, then joins a task that is one loop into one shape; the task's
    // other shapes go to the lines list.
    void RecognizeLoop(CPhotoFindTask* task);
    // Joins the borders of a one-loop task into a new loop shape: 1, or 0 when the walk does
    // not go once round every border.
    int GetLoop(CPhotoFindTask* task);
    void RemoveUnloopLine(CPhotoFindTask* task);

private:
    // Moves a shape out of the task list to the lines list.
    void ToLines(PlotShape* s);
    // Settles a task that no more shapes can join.
    void Finish(CPhotoFindTask* task);

    PlotShapeList* source_ = nullptr;
    PlotShapeList loops_;
    PlotShapeList lines_;
    int64_t limit_ = 0;
    PlotShapeList current_;
    PlotShapeList straddling_;
    CArray<CPhotoFindTask*> pending_;
    // The shapes of the tasks: the engine owns them until they are joined or sent on.
    PlotShapeList taskShapes_;
    // The source's right edge, taken from its shapes when the passes start.
    int64_t rightEdge_ = 0;
};

// A pattern record: four 32-bit values and a list of its own; copies take the values only.
class CPhotoPattern : public OL_Object {
public:
    CPhotoPattern() = default;
    CPhotoPattern(const CPhotoPattern& other) : OL_Object() { CopyValues(other); }
    CPhotoPattern& operator=(const CPhotoPattern& other)
    {
        CopyValues(other);
        return *this;
    }
    ~CPhotoPattern() override = default;

    int32_t values[4] = {};
    OL_List list;

private:
    void CopyValues(const CPhotoPattern& other)
    {
        for (int i = 0; i < 4; ++i) values[i] = other.values[i];
    }
};
