// Pagination: pages of the usable width, loops kept whole or split, feed lines, pattern
// groups, and the page files a paginated job leaves.
#include "app/pagination.h"

#include "app/config_globals.h"
#include "app/print_task.h"
#include "app/resume_state.h"
#include "platform/file_system.h"
#include "plotmodel/plot_page.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

constexpr int32_t kWidth = 20000;

PageMachineValues Machine()
{
    PageMachineValues values;
    values.cutWidth = kWidth;
    values.cutHeight = 40000;
    values.xRangeMax = 1000000.0;
    values.feedAllowanceMm = 10.0f;
    return values;
}

// A closed rectangle of mau index mau (2: knife, 1: print work).
PlotShape* Rect(float x0, float y0, float x1, float y1, unsigned char mau = 2, unsigned pattern = 0)
{
    auto* s = new PlotShape;
    const float pts[10] = {x0, y0, x1, y0, x1, y1, x0, y1, x0, y0};
    s->Append(pts, 5);
    s->SetMauIndex(mau);
    s->SetPatternIndex(pattern);
    return s;
}

PlotShape* Line(float x0, float x1, unsigned char mau = 1)
{
    auto* s = new PlotShape;
    const float pts[4] = {x0, 100, x1, 100};
    s->Append(pts, 2);
    s->SetMauIndex(mau);
    return s;
}

std::vector<PlotPage*> Pages(const PlotPageList& pages)
{
    std::vector<PlotPage*> out;
    for (PlotPage* p = pages.HeadPage(); p; p = pages.PageAfter(p)) out.push_back(p);
    return out;
}

std::vector<PlotShape*> Shapes(const PlotShapeList& list)
{
    std::vector<PlotShape*> out;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) out.push_back(s);
    return out;
}

// The feed line of a page (mau 8), or null.
const PlotShape* FeedLineOf(const PlotPage& page)
{
    for (const PlotShape* s : Shapes(page.CutList()))
        if (s->GetMauIndex() == kFeedLineMau) return s;
    return nullptr;
}

class Pagination : public ::testing::Test {
protected:
    void TearDown() override { FB_FeedForLastPage = 0; }
    PlotShapeList list;
    PlotPageList pages;
};

TEST_F(Pagination, ANarrowJobIsOnePageWithAFeedLineOnlyWhenAsked)
{
    list.AddTail(Rect(0, 0, 4000, 4000));
    ASSERT_EQ(PaginateByWidth(list, pages, kWidth, Machine()), 1);
    ASSERT_EQ(pages.Count(), 1);
    EXPECT_EQ(FeedLineOf(*pages.HeadPage()), nullptr);
    EXPECT_EQ(list.Count(), 0);

    FB_FeedForLastPage = 1;
    PlotPageList fed;
    list.AddTail(Rect(0, 0, 4000, 4000));
    ASSERT_EQ(PaginateByWidth(list, fed, kWidth, Machine()), 1);
    ASSERT_EQ(fed.Count(), 1);
    const PlotShape* feed = FeedLineOf(*fed.HeadPage());
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(feed->Start().x, 4400.0f);
    EXPECT_EQ(feed->End().x, 0.0f);
}

TEST_F(Pagination, AContourCrossingTheWidthLateWaitsForTheNextPageWhole)
{
    list.AddTail(Rect(0, 0, 4000, 4000));
    list.AddTail(Rect(16000, 0, 26000, 5000));
    ASSERT_EQ(PaginateByWidth(list, pages, kWidth, Machine()), 1);
    auto p = Pages(pages);
    ASSERT_EQ(p.size(), 2u);
    const PlotShape* feed = FeedLineOf(*p[0]);
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(feed->Start().x, 16400.0f);
    EXPECT_EQ(feed->Start().y, 0.0f);
    EXPECT_EQ(p[0]->CutList().Count(), 2);  // the square and the feed line
    EXPECT_EQ(p[0]->CutList().CalArea(1).xmax, 16400);
    auto second = Shapes(p[1]->CutList());
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0]->GetArea().xmin, 0);
    EXPECT_EQ(second[0]->GetArea().xmax, 10000);
    EXPECT_TRUE(second[0]->IsClose());
    EXPECT_EQ(FeedLineOf(*p[1]), nullptr);
}

TEST_F(Pagination, WideContoursAndPrintedLinesAreCutAtTheWidth)
{
    list.AddTail(Rect(4000, 0, 50000, 5000));
    ASSERT_EQ(PaginateByWidth(list, pages, kWidth, Machine()), 1);
    auto p = Pages(pages);
    ASSERT_EQ(p.size(), 3u);
    for (PlotPage* page : p) EXPECT_LE(page->CutList().CalArea(1).xmax, kWidth + 400);
    EXPECT_EQ(p[2]->CutList().CalArea(1).xmax, 10000);

    PlotPageList printed;
    list.AddTail(Line(0, 30000));
    ASSERT_EQ(PaginateByWidth(list, printed, kWidth, Machine()), 1);
    auto q = Pages(printed);
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0]->DrawList().CalArea(1).xmax, kWidth);
    EXPECT_EQ(q[1]->DrawList().CalArea(1).xmin, 0);
    EXPECT_EQ(q[1]->DrawList().CalArea(1).xmax, 10000);
}

TEST_F(Pagination, UnusableWidthsAreRefused)
{
    list.AddTail(Rect(0, 0, 4000, 4000));
    EXPECT_EQ(PaginateByWidth(list, pages, 0, Machine()), 0);
    EXPECT_EQ(PaginateByPattern(list, pages, -5, Machine()), 0);
    EXPECT_EQ(pages.Count(), 0);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(Pagination, PatternIndexesInARowMakeOneGroup)
{
    // Indexes 3, 3, 0, 3: the first two travel together and wait for page 2; the third and
    // the fourth are groups of their own and fit page 1.
    list.AddTail(Rect(11000, 0, 12000, 1000, 1, 3));
    list.AddTail(Rect(15000, 0, 22000, 1000, 1, 3));
    list.AddTail(Rect(0, 0, 1000, 1000, 1, 0));
    list.AddTail(Rect(0, 2000, 500, 2500, 1, 3));
    ASSERT_EQ(PaginateByPattern(list, pages, kWidth, Machine()), 1);
    auto p = Pages(pages);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0]->CutList().Count(), 3);
    EXPECT_EQ(FeedLineOf(*p[0])->Start().x, 11400.0f);
    EXPECT_EQ(p[1]->CutList().Count(), 2);
    EXPECT_EQ(p[1]->CutList().CalArea(1).xmin, 0);
    EXPECT_EQ(p[1]->CutList().CalArea(1).xmax, 11000);
}

class PaginateJobFiles : public ::testing::Test {
protected:
    // A loaded job of the HPGL text.
    std::unique_ptr<CPrintTask> Job(const std::string& hpgl)
    {
        const std::string path = corvane_test::ScratchDir() + "job.plt";
        EXPECT_TRUE(corvane_test::WriteFile(path, hpgl));
        auto task = std::make_unique<CPrintTask>(CString::FromUtf8(path).GetString());
        EXPECT_EQ(task->LoadPrintTaskFile(), 1);
        return task;
    }
    CString folder = CString::FromUtf8(corvane_test::ScratchDir() + "Pages/M");
};

// Knife work (pen 3 maps to the knife) 1250 mm and 100 mm wide: three pages and one.
const std::string kLongKnifeJob = "IN;SP3;PU0,0;PD50000,0,50000,4000,0,4000,0,0;";
const std::string kShortKnifeJob = "IN;SP3;PU0,0;PD4000,0,4000,4000,0,4000,0,0;";

PageMachineValues KnifeMachine()
{
    PageMachineValues values = Machine();
    values.penTable[2] = 3;
    return values;
}

TEST_F(PaginateJobFiles, WritesEveryPageAndTheJobsNameAndHandsOutThePageZero)
{
    auto task = Job(kLongKnifeJob);
    task->copies = 2;
    task->copiesDone = 2;
    PlotShapeList list;
    bool saved = false;
    PlotShapeList job;
    job = *task->GetCutList();
    int32_t pageCount = 0;
    ASSERT_EQ(PaginateJob(job, false, task->path, KnifeMachine(), folder, list, pageCount, saved), 0);
    EXPECT_TRUE(saved);
    EXPECT_EQ(pageCount, 3);
    AdoptPagination(*task, pageCount);
    EXPECT_EQ(task->pageCount, 3);
    EXPECT_EQ(task->pageIndex, 0);
    EXPECT_EQ(task->copies, 3);
    EXPECT_GT(list.Count(), 0);
    CString name;
    int32_t count = 0, origin = 0, x = 0, y = 0;
    ASSERT_EQ(ReadPrintFileInfo(folder, name, count, origin, x, y), 1);
    EXPECT_EQ(name, task->path);
    EXPECT_EQ(count, 3);
    for (int page = 0; page < 3; ++page) {
        PlotShapeList read;
        EXPECT_EQ(ReadPageFile(GetPageFilePath(folder, page), read), 1) << page;
    }
    // The job itself is untouched.
    EXPECT_EQ(task->GetCutList()->Count(), 1);
}

TEST_F(PaginateJobFiles, ACancelledPaginationWritesNothing)
{
    auto task = Job(kLongKnifeJob);
    PlotShapeList job, list;
    job = *task->GetCutList();
    int32_t pageCount = 0;
    bool saved = false;
    int asked = 0;
    const PreparationProgress cancelAtThird = [&asked](int percent) {
        EXPECT_GE(percent, 0);
        EXPECT_LE(percent, 100);
        return ++asked < 3;
    };
    EXPECT_EQ(PaginateJob(job, false, task->path, KnifeMachine(), folder, list, pageCount, saved, cancelAtThird),
              kPaginationCancelled);
    EXPECT_EQ(list.Count(), 0);
    CString name;
    int32_t count = 0, origin = 0, x = 0, y = 0;
    EXPECT_EQ(ReadPrintFileInfo(folder, name, count, origin, x, y), 0);
    EXPECT_FALSE(std::filesystem::exists(GetPageFilePath(folder, 0).ToUtf8()));
}

TEST_F(PaginateJobFiles, AJobOfSeveralPagesThatCannotBeSavedIsRefused)
{
    ASSERT_TRUE(CreateFolder(folder));
    std::filesystem::create_directory(folder.ToUtf8() + "/page0.plt");
    PlotShapeList list;
    bool saved = true;
    auto longJob = Job(kLongKnifeJob);
    PlotShapeList job;
    job = *longJob->GetCutList();
    int32_t pageCount = 0;
    EXPECT_EQ(PaginateJob(job, false, longJob->path, KnifeMachine(), folder, list, pageCount, saved),
              kPaginationFailed);
    EXPECT_FALSE(saved);
    EXPECT_EQ(list.Count(), 0);
    CString name;
    int32_t count = 0, origin = 0, x = 0, y = 0;
    EXPECT_EQ(ReadPrintFileInfo(folder, name, count, origin, x, y), 0);

    auto shortJob = Job(kShortKnifeJob);
    job = *shortJob->GetCutList();
    EXPECT_EQ(PaginateJob(job, false, shortJob->path, KnifeMachine(), folder, list, pageCount, saved), 0);
    EXPECT_FALSE(saved);
    EXPECT_EQ(pageCount, 1);
    EXPECT_GT(list.Count(), 0);

    const CString underAFile = CString::FromUtf8(corvane_test::ScratchDir() + "job.plt/Pages");
    job = *shortJob->GetCutList();
    EXPECT_EQ(PaginateJob(job, false, shortJob->path, KnifeMachine(), underAFile, list, pageCount, saved),
              kPaginationFailed);
}

}  // namespace
