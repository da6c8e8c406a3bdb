// The loop-closing engine: points and borders, tasks, strip passes, large-loop cleaning, Order.
#include "preprocess/photo_find_loop.h"

#include "plotmodel/shape_fixtures.h"
#include "loop_stroke_fixtures.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace plot_fixtures;

class PhotoFindLoopTest : public ::testing::Test {
protected:
    void SetUp() override { PlotShape::SetError(5.0f); }
};

TEST_F(PhotoFindLoopTest, PointsAndBordersKnowTheirNeighbours)
{
    std::unique_ptr<PlotShape> a(NewShape({{0, 0}, {10, 0}})), b(NewShape({{10, 0}, {10, 10}}));
    CPhotoPoint p(CFloatPoint(10, 0)), q(CFloatPoint(0, 0));
    CPhotoBorder ab(a.get()), bc(b.get()), other(nullptr);
    ab.SetPoint(&q, &p);
    p.AddBorder(&ab);
    EXPECT_EQ(p.GetOtherBorder(&ab), nullptr) << "one border only";
    p.AddBorder(&bc);
    EXPECT_EQ(p.GetOtherBorder(&ab), &bc);
    EXPECT_EQ(p.GetOtherBorder(&bc), &ab);
    EXPECT_EQ(p.GetOtherBorder(&other), nullptr);
    EXPECT_EQ(ab.GetOtherPoint(&p), &q);
    EXPECT_EQ(ab.GetOtherPoint(nullptr), nullptr);
    EXPECT_EQ(ab.IsBackPoint(&p), 1);
    EXPECT_EQ(ab.IsBackPoint(&q), 0);
    EXPECT_EQ(ab.IsBackPoint(nullptr), -1);
    EXPECT_EQ(p.RemoveBorder(&ab), 1);
    EXPECT_EQ(p.RemoveBorder(&ab), 0);
}

TEST_F(PhotoFindLoopTest, TasksTakeTouchingOpenShapesOnly)
{
    std::unique_ptr<PlotShape> seed(NewShape({{0, 0}, {100, 0}})), next(NewShape({{103, 2}, {100, 100}}));
    std::unique_ptr<PlotShape> closed(NewShape({{100, 100}, {0, 100}, {0, 50}, {101, 99}}));
    std::unique_ptr<PlotShape> far(NewShape({{500, 500}, {600, 600}}));
    // Both ends match the task's point at (0, 0) while lying 8 units apart: linked twice
    // there, it would look like a loop of its own.
    std::unique_ptr<PlotShape> twice(NewShape({{-4, 0}, {0, -50}, {4, 0}}));
    CPhotoFindTask task(seed.get());
    EXPECT_EQ(task.points.GetSize(), 2);
    EXPECT_EQ(task.TryAddShape(closed.get()), 0);
    EXPECT_EQ(task.TryAddShape(far.get()), 0);
    EXPECT_EQ(task.TryAddShape(twice.get()), 0);
    EXPECT_EQ(task.TryAddShape(next.get()), 1);
    EXPECT_EQ(task.points.GetSize(), 3);
    EXPECT_EQ(task.borders.GetSize(), 2);
    EXPECT_EQ(task.FindPoint({99, 4}), task.points[1]);
    EXPECT_EQ(task.IsConnect(far.get()), 0);
    EXPECT_EQ(task.IsOneLoop(), 0);
    CArea box;
    task.CalArea(box);
    EXPECT_EQ(box, CArea(0, 0, 103, 100));
    CPhotoFindTask empty;
    empty.CalArea(box);
    EXPECT_EQ(box, CArea());
    EXPECT_EQ(empty.IsOneLoop(), 0);
    EXPECT_EQ(empty.TryAddShape(far.get()), 1);
}

TEST_F(PhotoFindLoopTest, AWalkThatMissesBordersIsNotOneLoop)
{
    // Two separate rings in one task: every point has two borders, yet the walk from the
    // first border goes round one ring only.
    auto ring = [](CPhotoFindTask& task, float x) {
        task.TryAddShape(NewShape({{x, 0}, {x + 800, 0}, {x + 800, 800}}));
        task.TryAddShape(NewShape({{x + 800, 800}, {x, 800}, {x, 0}}));
    };
    CPhotoFindTask task, other;
    ring(task, 0);
    ring(other, 5000);
    for (CPhotoPoint* p : other.points) task.points.Add(p);
    for (CPhotoBorder* b : other.borders) task.borders.Add(b);
    other.points.RemoveAll();
    other.borders.RemoveAll();
    ASSERT_EQ(task.IsOneLoop(), 1);
    CPhotoFindLoop engine;
    EXPECT_EQ(engine.GetLoop(&task), 0);
    engine.RecognizeLoop(&task);
    EXPECT_EQ(engine.Loops().Count(), 0);
    EXPECT_EQ(engine.Lines().Count(), 4);
}

TEST_F(PhotoFindLoopTest, JoinsStrokesIntoLoopsAndSendsTheRestToLines)
{
    DestructionCounts counts;
    PlotShapeList source;
    AddSquareStrokes(source, counts, 0, 31000, 1000, 2000);  // straddles the first strip edge
    source.AddTail(NewCounted(counts, 10, {{40000, 0}, {41000, 0}}));
    source.AddTail(NewCounted(counts, 11, Square(70000, 0, 2000)));
    auto* twoPolylines = new CountedShape(counts, 12);
    Fill(*twoPolylines, {{{0, 0}, {10, 0}}, {{10, 0}, {10, 10}}});
    source.AddTail(twoPolylines);
    source.AddTail(new CountedShape(counts, 13));
    // A square with a tail: the tail is dangling, the square still closes.
    AddSquareStrokes(source, counts, 20, 100000, 0, 2000);
    source.AddTail(NewCounted(counts, 24, {{102000, 2000}, {103000, 3000}}));

    CPhotoFindLoop engine(&source);
    engine.RecognizeLoop();
    EXPECT_EQ(source.Count(), 0);
    ASSERT_EQ(engine.Loops().Count(), 3);
    EXPECT_EQ(engine.Lines().Count(), 4);
    for (int id : {0, 1, 2, 3, 20, 21, 22, 23}) EXPECT_EQ(counts.Of(id), 1) << id;
    for (int id : {10, 11, 12, 13, 24}) EXPECT_EQ(counts.Of(id), 0) << id;
    EXPECT_EQ(twoPolylines->GetTolPtNum(), 4);
    int joined = 0;
    for (PlotShape* s : Shapes(engine.Loops())) {
        if (s->GetTolPtNum() != 5) continue;
        ++joined;
        EXPECT_TRUE(s->Start().IsCloseTo(s->End(), 0.0f));
    }
    EXPECT_EQ(joined, 3);
    engine.Clear();
    EXPECT_EQ(engine.Loops().Count(), 0);
    EXPECT_EQ(counts.Of(11), 1);
}

TEST_F(PhotoFindLoopTest, LargeLoopCleaningKeepsOutermostPiecesOnly)
{
    PlotShapeList source;
    PlotShape* frame = NewShape(Square(0, 0, 40000));
    PlotShape* piece = NewShape(Square(1000, 1000, 4000));
    PlotShape* hole = NewShape(Square(2000, 2000, 1000));
    PlotShape* small = NewShape(Square(20000, 20000, 200));
    PlotShape* other = NewShape(Square(10000, 1000, 4000));
    for (PlotShape* s : {frame, piece, hole, small, other}) source.AddTail(s);
    CPhotoFindLoop engine(&source);
    engine.Recognize();
    EXPECT_EQ(Shapes(engine.Loops()), (std::vector<PlotShape*>{piece, other}));
    EXPECT_EQ(engine.Lines().Count(), 3);

    PlotShapeList alone;
    PlotShape* only = NewShape(Square(0, 0, 4000));
    alone.AddTail(only);
    CPhotoFindLoop single(&alone);
    single.Recognize();
    EXPECT_EQ(Shapes(single.Loops()), (std::vector<PlotShape*>{only})) << "the only loop is no frame";
}

TEST_F(PhotoFindLoopTest, CoordinatesNearTheEndOfTheRangeEndInFewStrips)
{
    DestructionCounts counts;
    PlotShapeList source;
    AddSquareStrokes(source, counts, 0, 2147480000.0f - 8192, 0, 4096);
    AddSquareStrokes(source, counts, 10, -2147480000.0f, 0, 4096);
    CPhotoFindLoop engine(&source);
    engine.RecognizeLoop();
    EXPECT_EQ(engine.Loops().Count(), 2);
    EXPECT_EQ(engine.Lines().Count(), 0);
}

TEST_F(PhotoFindLoopTest, NoSourceOrAnEmptyOneGivesNothing)
{
    CPhotoFindLoop none;
    none.Recognize();
    EXPECT_EQ(none.Loops().Count() + none.Lines().Count(), 0);
    PlotShapeList empty;
    CPhotoFindLoop engine(&empty);
    engine.Recognize();
    EXPECT_EQ(engine.Loops().Count() + engine.Lines().Count(), 0);
}

TEST_F(PhotoFindLoopTest, APatternCopiesItsValuesNotItsList)
{
    CPhotoPattern a;
    for (int i = 0; i < 4; ++i) a.values[i] = i + 1;
    a.list.AddTail(new PlotShape);
    CPhotoPattern b(a);
    EXPECT_EQ(b.values[3], 4);
    EXPECT_EQ(b.list.Count(), 0);
    CPhotoPattern c;
    c.list.AddTail(new PlotShape);
    c = a;
    EXPECT_EQ(c.values[0], 1);
    EXPECT_EQ(c.list.Count(), 1);
    EXPECT_EQ(a.list.Count(), 1);
}

TEST_F(PhotoFindLoopTest, OrderPutsLoopsFirstThenWalksStripsAndRowsNearestFirst)
{
    PlotShapeList list;
    PlotShape* lineFar = NewShape({{9000, 100}, {9500, 100}});    // strip 2
    PlotShape* lineB = NewShape({{3000, 200}, {2000, 200}});      // strip 1, row 1
    PlotShape* lineA = NewShape({{100, 300}, {500, 300}});        // strip 1, row 1
    PlotShape* lineHigh = NewShape({{100, 9000}, {500, 9000}});   // strip 1, row 2
    PlotShape* loop = NewShape(Square(5000, 5000, 1000));          // strip 1, row 1
    for (PlotShape* s : {lineFar, lineB, lineA, lineHigh, loop}) list.AddTail(s);
    CFloatPoint pos(123, 456);
    list.Order(pos);
    // Row 1 of strip 1 from (0, 0): lineA's start is nearest, then from its end (500, 300)
    // lineB's start (3000, 200), then from (2000, 200) the loop at (5000, 5000).
    EXPECT_EQ(Shapes(list), (std::vector<PlotShape*>{lineA, lineB, loop, lineHigh, lineFar}));
    EXPECT_DOUBLE_EQ(pos.x, 9500);
    EXPECT_DOUBLE_EQ(pos.y, 100);

    PlotShapeList far;
    PlotShape* atEnd = NewShape({{2147400000.0f, 2147400000.0f}, {2147450000.0f, 2147400000.0f}});
    PlotShape* atStart = NewShape({{-2147400000.0f, -2147400000.0f}, {-2147350000.0f, -2147400000.0f}});
    far.AddTail(atEnd);
    far.AddTail(atStart);
    far.Order(pos);
    EXPECT_EQ(Shapes(far), (std::vector<PlotShape*>{atStart, atEnd}));
    PlotShapeList empty;
    empty.Order(pos);
    EXPECT_DOUBLE_EQ(pos.x, 0);
}

}  // namespace
