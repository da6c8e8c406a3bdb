// Pagination of a job into pages of the machine's usable width, and the page files it saves.
#include "app/pagination.h"

#include "app/config_globals.h"
#include "app/contour_recognition.h"
#include "app/print_task.h"
#include "app/resume_state.h"
#include "app/shape_moves.h"
#include "app/tool_class.h"
#include "machinelink/net_machine.h"
#include "platform/file_system.h"
#include "plotmodel/plot_page.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/shape_runs.h"
#include "preprocess/loop_finder.h"
#include "preprocess/plot_loop.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float kLoopTolerance = 1.1f;
constexpr float kFirstWideTolerance = 2.1f;
constexpr float kLastWideTolerance = 40.0f;
constexpr int32_t kLoopSortBandMm = 500;
constexpr int32_t kPageSortBandMm = 300;
constexpr double kUnitsPerMm = 40.0;

PlotLoop* LoopAt(OL_Object* o) { return static_cast<PlotLoop*>(o); }

// A loop of its own for one shape.
PlotLoop* LoopOf(PlotShape* shape)
{
    auto* loop = new PlotLoop;
    loop->Shapes().AddTail(shape);
    loop->CalArea(1);
    return loop;
}

// Percent of a pagination spent grouping loops; the page cutting takes the rest.
constexpr int kGroupingPercent = 50;

// Groups the cut work of list into loops with the print shapes inside them; the print work
// not in a loop stays in list. False when progress cancelled it.
bool GroupCutWork(PlotShapeList& list, OL_List& loops, const uint8_t penTable[8], const PreparationProgress& progress)
{
    PlotShapeList work;
    const int threads = ShapeWorkerThreads(0);
    MoveShapesIf(list, work, [penTable](const PlotShape& s) { return IsCutToolClass(ShapeToolClass(s, penTable)); });
    CLoopFinder finder;
    PlotShapeList closed, open;
    // The wide rounds after the two passes: 2.1, 3.1, ... below 40, the tolerance summed in
    // float as it always was. Progress runs with them.
    std::vector<float> widening;
    for (float tol = kFirstWideTolerance; tol < kLastWideTolerance; tol += 1.0f) widening.push_back(tol);
    const auto proceed = [&](size_t pass) {
        if (pass < 2) return ContinuePreparation(progress, 0);
        const float tol = widening[pass - 2];
        return ContinuePreparation(progress, static_cast<int>(kGroupingPercent * (tol - kFirstWideTolerance) /
                                                              (kLastWideTolerance - kFirstWideTolerance)));
    };
    if (!FindLoopsTwoPasses(finder, work, closed, open, kLoopTolerance, widening, proceed)) return false;
    PlotShape* outer = nullptr;
    finder.FileAllLargeLoops(closed, loops, outer);
    finder.SortPlotLoop(loops, kLoopSortBandMm);
    GetShapesInLoops(loops, open, threads);
    work.Append(&open);

    GetShapesInLoops(loops, list, threads);
    for (OL_Object* o = loops.GetHead(); o; o = loops.GetNext(o)) LoopAt(o)->CalArea(1);
    if (outer != nullptr) loops.AddTail(LoopOf(outer));
    while (PlotShape* s = work.HeadShape()) {
        s->GoOut();
        loops.AddTail(LoopOf(s));
    }
    return ContinuePreparation(progress, kGroupingPercent);
}

// Where an item stands against the page width.
enum class Fit { kWhole, kSplit, kWait, kLater };

// Where the item of box stands against the page width; widens right by what goes on this
// page and narrows left to the start of what waits.
Fit PlaceOnPage(const CArea& box, double width, double& left, double& right)
{
    if (width >= box.xmax) {
        right = std::max(right, static_cast<double>(box.xmax));
        return Fit::kWhole;
    }
    if (box.xmin >= width) return Fit::kLater;
    const double boxWidth = static_cast<double>(box.xmax) - box.xmin;
    if (box.xmin < width / 2 && boxWidth > width) {
        right = width;
        return Fit::kSplit;
    }
    left = std::min(left, static_cast<double>(box.xmin));
    return Fit::kWait;
}

PlotShape* FeedLine(double fromX)
{
    auto* line = new PlotShape;
    line->SetMauIndex(kFeedLineMau);
    const float points[4] = {static_cast<float>(fromX), 0.0f, 0.0f, 0.0f};
    line->Append(points, 2);
    return line;
}

// Cuts pages off the loops and the print shapes until both are empty; false when progress
// cancelled it (told the share of items placed, from startPercent to 100).
bool CutPages(OL_List& loops, PlotShapeList& shapes, PlotPageList& pages, int32_t width, bool sortGroups,
              const PageMachineValues& machine, const PreparationProgress& progress, int startPercent)
{
    const double w = width;
    const double items = static_cast<double>(loops.Count()) + shapes.Count();
    while (loops.Count() > 0 || shapes.Count() > 0) {
        const double remaining = static_cast<double>(loops.Count()) + shapes.Count();
        if (!ContinuePreparation(progress,
                                 startPercent + static_cast<int>((100 - startPercent) * (1.0 - remaining / items))))
            return false;
        double left = w;
        double right = 0.0;
        OL_List groups;
        auto* page = new PlotPage;

        for (OL_Object* o = loops.GetHead(); o;) {
            OL_Object* next = loops.GetNext(o);
            PlotLoop* loop = LoopAt(o);
            const Fit fit = PlaceOnPage(*loop->GetArea(), w, left, right);
            if (fit == Fit::kWhole) {
                loop->GoOut();
                groups.AddTail(loop);
            } else if (fit == Fit::kSplit) {
                auto* leftPart = new PlotLoop;
                auto* rightPart = new PlotLoop;
                loop->Split(width, *leftPart, *rightPart);
                groups.AddTail(leftPart);
                loops.InsertBehind(rightPart, loop);
                delete loop;
            }
            o = next;
        }

        for (PlotShape* s = shapes.HeadShape(); s;) {
            PlotShape* next = shapes.ShapeAfter(s);
            const Fit fit = PlaceOnPage(s->GetArea(), w, left, right);
            if (fit == Fit::kWhole) {
                s->GoOut();
                page->DrawList().AddTail(s);
            } else if (fit == Fit::kSplit) {
                PlotShapeList leftPieces, rightPieces;
                s->CutByVLine(width, &leftPieces, &rightPieces);
                page->DrawList().Append(&leftPieces);
                for (PlotShape* piece = rightPieces.HeadShape(); piece; piece = rightPieces.HeadShape()) {
                    piece->GoOut();
                    shapes.InsertFront(piece, s);
                }
                delete s;
            }
            s = next;
        }

        if (sortGroups) CLoopFinder().SortPlotLoop(groups, kPageSortBandMm);
        while (OL_Object* o = groups.GetHead()) {
            PlotShapeList& groupShapes = LoopAt(o)->Shapes();
            while (PlotShape* tail = static_cast<PlotShape*>(groupShapes.GetTail())) {
                tail->GoOut();
                page->CutList().AddTail(tail);
            }
            delete o;
        }

        const bool more = loops.Count() > 0 || shapes.Count() > 0;
        const double feed = machine.feedAllowanceMm * kUnitsPerMm;
        if (more)
            page->CutList().AddTail(FeedLine(std::min(feed + left, machine.xRangeMax)));
        else if (FB_FeedForLastPage == 1 && (page->DrawList().Count() > 0 || page->CutList().Count() > 0))
            page->CutList().AddTail(FeedLine(std::min(feed + right, machine.xRangeMax)));
        page->DrawList().CalArea(1);
        page->CutList().CalArea(1);
        pages.AddTail(page);

        const int32_t shift = static_cast<int32_t>(left);
        for (OL_Object* o = loops.GetHead(); o; o = loops.GetNext(o)) {
            LoopAt(o)->Shapes().Move(-shift, 0);
            LoopAt(o)->CalArea(1);
        }
        for (PlotShape* s = shapes.HeadShape(); s; s = shapes.ShapeAfter(s)) {
            s->Move(static_cast<float>(-left), 0.0f);
            s->CalArea();
        }
    }
    return true;
}

}  // namespace

PageMachineValues ReadPageMachineValues(NET_Machine& machine)
{
    PageMachineValues values;
    machine.GetCutArea_PB(values.cutWidth, values.cutHeight);
    values.xRangeMax = machine.GetXRangeMax();
    values.feedAllowanceMm = machine.motionSource.interpolator.offsetsBlock.toolOffsets[3];
    std::copy(std::begin(machine.spRoles), std::end(machine.spRoles), values.penTable);
    return values;
}

int PaginateByWidth(PlotShapeList& list, PlotPageList& pages, int32_t width, const PageMachineValues& machine,
                    const PreparationProgress& progress)
{
    if (width < kMinCutWidth) return 0;
    OL_List loops;
    if (!GroupCutWork(list, loops, machine.penTable, progress)) return 0;
    return CutPages(loops, list, pages, width, true, machine, progress, kGroupingPercent) ? 1 : 0;
}

int PaginateByPattern(PlotShapeList& list, PlotPageList& pages, int32_t width, const PageMachineValues& machine,
                      const PreparationProgress& progress)
{
    if (width < kMinCutWidth) return 0;
    OL_List groups;
    while (PlotShape* first = list.HeadShape()) {
        first->GoOut();
        PlotLoop* group = LoopOf(first);
        const unsigned pattern = first->GetPatternIndex();
        while (pattern != 0 && list.HeadShape() != nullptr && list.HeadShape()->GetPatternIndex() == pattern) {
            PlotShape* same = list.HeadShape();
            same->GoOut();
            group->Shapes().AddTail(same);
        }
        group->CalArea(1);
        groups.AddTail(group);
    }
    return CutPages(groups, list, pages, width, false, machine, progress, 0) ? 1 : 0;
}

int PaginateJob(PlotShapeList& job, bool edFile, const CString& jobPath, const PageMachineValues& machine,
                const CString& folder, PlotShapeList& list, int32_t& pageCount, bool& saved,
                const PreparationProgress& progress)
{
    saved = true;
    if (!FolderExists(folder) && !CreateFolder(folder)) {
        saved = false;
        return kPaginationFailed;
    }
    PlotPageList pages;
    const int split = edFile ? PaginateByPattern(job, pages, machine.cutWidth, machine, progress)
                             : PaginateByWidth(job, pages, machine.cutWidth, machine, progress);
    if (!ContinuePreparation(progress, 100)) return kPaginationCancelled;
    if (!split || pages.Count() == 0) return kPaginationFailed;
    // The pages go first and the job's name after them: a pagination cut short never pairs
    // a new name with the pages of another job.
    saved = WritePageFiles(folder, pages) && WritePrintFileInfo(folder, jobPath, pages.Count(), 0, 0, 0);
    // Without its files a job of several pages would cut its first page at every next-page
    // dispatch.
    if (!saved && pages.Count() > 1) return kPaginationFailed;
    PlotPage* first = pages.HeadPage();
    list.Append(&first->DrawList());
    list.Append(&first->CutList());
    list.CalArea(1);
    pageCount = pages.Count();
    return 0;
}

void AdoptPagination(CPrintTask& task, int32_t pageCount)
{
    task.pageCount = pageCount;
    if (task.copiesDone >= task.copies) task.copies = task.copiesDone + 1;
    task.pageIndex = 0;
}
