// The geometry preparation on worker threads gives the lists of one thread, shape for shape
// and point for point, asks its progress on the calling thread only, and stops when cancelled.
#include "app/job_geometry.h"
#include "machinelink/net_machine.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/plot_shape_list.h"
#include "preparation/knife_machine_values.h"
#include "support/spread_sheet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

namespace corvane_test {
namespace {

// Random walks and short strokes over 900 x 540 mm, every seventh stroke a lone point, every
// thirteenth kept whole (MauIndex 8).
void MakeSheet(uint32_t seed, PlotShapeList& list)
{
    WalkSheetOptions walks;
    walks.seed = seed;
    walks.strokes = 160;
    walks.widthMm = 900;
    walks.heightMm = 540;
    std::vector<SheetStroke> strokes = WalkSheet(walks);
    for (const SheetStroke& s : ShortStrokeSheet(seed, 400, 900, 540, 4)) strokes.push_back(s);
    for (size_t i = 0; i < strokes.size(); i += 7) strokes[i].xy.resize(2);
    AppendSheet(strokes, list);
    int k = 0;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s))
        if (++k % 13 == 0) s->SetMauIndex(8);
}

struct Prepared {
    PlotShapeCutList A, B;
    Limit_PARAM range;
    JetTaskValues jet;
    int32_t clipOffset = 0;
    int result = -1;
    DispatchRefusal refusal = DispatchRefusal::kNone;
};

void Prepare(uint32_t seed, int threads, Prepared& p, const PreparationProgress& progress = {})
{
    PlotShapeList page;
    MakeSheet(seed, page);
    page.CalArea(1);
    NET_Machine bandSource;
    p.result = PrepareJobGeometry(p.A, p.B, page, KnifeMachineValues(1000, 600, 36000, 22000), 1, bandSource, p.range, p.clipOffset, p.jet,
                                  progress, &p.refusal, threads);
}

// Every shape's attributes and the bits of every coordinate, in order.
void ExpectSameShapes(const PlotShapeList& want, const PlotShapeList& got, const char* list, int threads)
{
    ASSERT_EQ(got.Count(), want.Count()) << list << ", " << threads << " threads";
    int index = 0;
    for (PlotShape *a = want.HeadShape(), *b = got.HeadShape(); a && b; a = want.ShapeAfter(a), b = got.ShapeAfter(b)) {
        SCOPED_TRACE(::testing::Message() << list << " shape " << index++ << ", " << threads << " threads");
        ASSERT_EQ(b->GetMauIndex(), a->GetMauIndex());
        ASSERT_EQ(b->GetPenIndex(), a->GetPenIndex());
        ASSERT_EQ(b->GetLineType(), a->GetLineType());
        ASSERT_EQ(b->GetPlNum(), a->GetPlNum());
        for (int pl = 0; pl < a->GetPlNum(); ++pl) {
            int32_t na = 0, nb = 0;
            const float* pa = a->GetPl(pl, na);
            const float* pb = b->GetPl(pl, nb);
            ASSERT_EQ(nb, na);
            ASSERT_EQ(std::memcmp(pa, pb, sizeof(float) * 2 * static_cast<size_t>(na)), 0) << "sub-polyline " << pl;
        }
        ASSERT_EQ(b->GetArea().xmin, a->GetArea().xmin);
        ASSERT_EQ(b->GetArea().ymax, a->GetArea().ymax);
    }
}

TEST(ParallelGeometry, WorkerThreadsGiveTheListsOfOneThread)
{
    for (uint32_t seed : {1u, 2u}) {
        Prepared one;
        Prepare(seed, 1, one);
        ASSERT_EQ(one.result, 1);
        ASSERT_GT(one.B.Count(), 1000);
        for (int threads : {2, 3, 8}) {
            Prepared many;
            Prepare(seed, threads, many);
            ASSERT_EQ(many.result, 1);
            EXPECT_EQ(many.B.GetCutShapeCount(), one.B.GetCutShapeCount());
            EXPECT_EQ(many.clipOffset, one.clipOffset);
            ExpectSameShapes(one.A, many.A, "A", threads);
            ExpectSameShapes(one.B, many.B, "B", threads);
        }
    }
}

TEST(ParallelGeometry, ProgressIsAskedOnTheCallingThreadAndACancelStopsTheWorkers)
{
    // Cancelled once the knife work is under way (40 %), and when the first call that reports
    // the compensation (85 %) comes: both are loops the worker threads run.
    for (int cancelFrom : {41, 85}) {
        SCOPED_TRACE(cancelFrom);
        const std::thread::id caller = std::this_thread::get_id();
        bool otherThread = false, askedAfterCancel = false, cancelled = false;
        const PreparationProgress progress = [&](int percent) {
            if (std::this_thread::get_id() != caller) otherThread = true;
            if (cancelled) askedAfterCancel = true;
            if (percent >= cancelFrom) cancelled = true;
            return !cancelled;
        };
        Prepared p;
        Prepare(1, 4, p, progress);
        EXPECT_EQ(p.result, 0);
        EXPECT_EQ(p.refusal, DispatchRefusal::kCancelled);
        EXPECT_TRUE(cancelled);
        EXPECT_FALSE(otherThread);
        EXPECT_FALSE(askedAfterCancel);
    }
}

}  // namespace
}  // namespace corvane_test
