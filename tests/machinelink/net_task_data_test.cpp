// The job hand-over box: ownership of the two lists through hand-in, replacement, refusal,
// taking and clearing, with lists that count their deletions, and taking under contention.
#include "machinelink/net_task_data.h"

#include "plotmodel/plot_shape_cut_list.h"
#include "support/fake_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

struct CountedList : PlotShapeCutList {
    CountedList(std::atomic<int>* deaths, int id = 0) : deaths(deaths), id(id) {}
    ~CountedList() override { ++*deaths; }
    std::atomic<int>* deaths;
    int id;
};

TEST(Net_TaskData, OwnsTheListsFromHandInToHandOut)
{
    corvane_test::FakeClock clock(5000);
    std::atomic<int> deaths{0};
    Net_TaskData box;
    auto* a = new CountedList(&deaths);
    auto* b = new CountedList(&deaths);
    ASSERT_EQ(box.SetData(a, 77, b), 1);
    EXPECT_EQ(box.GetStampMs(), 5000);
    EXPECT_EQ(box.GetPrtTaskPointer(), 77u);
    EXPECT_EQ(box.HasWaitingJob(), 1);

    // A second job before the machine asks replaces the first, whose lists are deleted.
    clock.Advance(40);
    auto* c = new CountedList(&deaths);
    auto* d = new CountedList(&deaths);
    ASSERT_EQ(box.SetData(c, 78, d), 1);
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(box.GetStampMs(), 5040);

    PlotShapeCutList* out[2] = {nullptr, nullptr};
    ASSERT_EQ(box.GetData(out), 1);
    EXPECT_EQ(out[0], c);
    EXPECT_EQ(out[1], d);
    EXPECT_EQ(box.IsTaken(), 1);
    EXPECT_EQ(box.HasWaitingJob(), 0);
    PlotShapeCutList* again[2] = {nullptr, nullptr};
    EXPECT_EQ(box.GetData(again), 0) << "taken exactly once";
    EXPECT_EQ(again[0], nullptr);

    // While taken a new job is refused and the caller keeps its lists; so does the box its state.
    auto* e = new CountedList(&deaths);
    auto* f = new CountedList(&deaths);
    clock.Advance(40);
    EXPECT_EQ(box.SetData(e, 79, f), 0);
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(box.GetPrtTaskPointer(), 78u);
    EXPECT_EQ(box.GetStampMs(), 5040);

    box.ClearData();
    EXPECT_EQ(box.IsTaken(), 0);
    EXPECT_EQ(deaths, 2) << "the taken lists are the interpolator's";
    delete c;
    delete d;
    ASSERT_EQ(box.SetData(e, 79, f), 1);
    box.ClearData();
    EXPECT_EQ(deaths, 6) << "clearing a waiting job deletes its lists";

    box.SetData(new CountedList(&deaths), 80, new CountedList(&deaths));
    {
        Net_TaskData dying;
        dying.SetData(new CountedList(&deaths), 81, nullptr);
    }
    EXPECT_EQ(deaths, 7) << "a box deletes what it still holds when destroyed";
}

TEST(Net_TaskData, EdgeCasesOfTheHandOver)
{
    std::atomic<int> deaths{0};
    Net_TaskData box;

    // Only a second list: the job never starts.
    auto* second = new CountedList(&deaths);
    ASSERT_EQ(box.SetData(nullptr, 1, second), 1);
    PlotShapeCutList* out[2] = {nullptr, nullptr};
    EXPECT_EQ(box.GetData(out), 0);
    EXPECT_EQ(box.GetData(), nullptr);
    EXPECT_EQ(box.IsTaken(), 0);
    box.ClearData();
    EXPECT_EQ(deaths, 1);

    // Clearing an empty box only clears the taken flag.
    box.ClearData();
    EXPECT_EQ(deaths, 1);

    // Taking the first list alone leaves the second in the box.
    auto* a = new CountedList(&deaths);
    auto* b = new CountedList(&deaths);
    box.SetData(a, 2, b);
    EXPECT_EQ(box.GetData(), a);
    EXPECT_EQ(box.IsTaken(), 1);
    box.ClearData();
    EXPECT_EQ(deaths, 2) << "the second list is deleted, the first is the caller's";
    delete a;
}

TEST(Net_TaskData, HandingTheSameListInAgainNeverDeletesIt)
{
    std::atomic<int> deaths{0};
    Net_TaskData box;
    auto* a = new CountedList(&deaths, 1);
    auto* b = new CountedList(&deaths, 2);
    ASSERT_EQ(box.SetData(a, 1, b), 1);
    auto* c = new CountedList(&deaths, 3);
    ASSERT_EQ(box.SetData(a, 2, c), 1);
    EXPECT_EQ(deaths, 1) << "only the replaced second list goes";
    ASSERT_EQ(box.SetData(c, 3, a), 1) << "the two lists swapped places";
    EXPECT_EQ(deaths, 1);

    PlotShapeCutList* out[2] = {nullptr, nullptr};
    ASSERT_EQ(box.GetData(out), 1);
    EXPECT_EQ(static_cast<CountedList*>(out[0])->id, 3);
    EXPECT_EQ(static_cast<CountedList*>(out[1])->id, 1);
    delete out[0];
    delete out[1];
    box.ClearData();

    // One list handed in as both lists of a job is deleted once.
    auto* both = new CountedList(&deaths, 4);
    box.SetData(both, 4, both);
    box.SetData(nullptr, 5, nullptr);
    EXPECT_EQ(deaths, 4);
    both = new CountedList(&deaths, 5);
    box.SetData(both, 6, both);
    EXPECT_EQ(box.GetData(), both);
    box.ClearData();
    EXPECT_EQ(deaths, 4) << "taking it as the first list takes it whole";
    delete both;
}

TEST(Net_TaskData, IsTakenExactlyOnceUnderConcurrentTakers)
{
    constexpr int kJobs = 300;
    constexpr int kTakers = 4;
    std::atomic<int> deaths{0};
    Net_TaskData box;
    std::mutex takenMutex;
    std::multiset<int> takenIds;
    std::atomic<bool> handedAll{false};

    std::vector<std::thread> takers;
    for (int t = 0; t < kTakers; ++t) {
        takers.emplace_back([&] {
            for (;;) {
                const bool last = handedAll.load();
                PlotShapeCutList* out[2] = {nullptr, nullptr};
                if (box.GetData(out) == 1) {
                    {
                        std::lock_guard<std::mutex> g(takenMutex);
                        takenIds.insert(static_cast<CountedList*>(out[0])->id);
                    }
                    delete out[0];
                    delete out[1];
                    box.ClearData();
                } else if (last) {
                    return;
                }
            }
        });
    }
    // The dispatcher's side: hand each job in, retrying while one is taken; a waiting job
    // that is replaced before anyone took it is deleted by the box.
    for (int id = 0; id < kJobs; ++id) {
        auto* a = new CountedList(&deaths, id);
        auto* b = new CountedList(&deaths, id);
        while (box.SetData(a, static_cast<uint32_t>(id), b) == 0) std::this_thread::yield();
    }
    handedAll = true;
    for (auto& t : takers) t.join();
    box.ClearData();

    EXPECT_EQ(deaths, 2 * kJobs) << "every list deleted exactly once";
    EXPECT_EQ(std::set<int>(takenIds.begin(), takenIds.end()).size(), takenIds.size()) << "no job taken twice";
    EXPECT_FALSE(takenIds.empty());
}

TEST(Net_TaskData, ResumeAccounting)
{
    Net_TaskData box;
    box.pauseValue1 = 100;
    box.pauseValue2 = 40;
    box.PauseData_Resume(100, 7);
    EXPECT_EQ(box.pauseValue1, 100) << "a count equal to the offset leaves it";
    EXPECT_EQ(box.pauseValue2, 0);
    EXPECT_EQ(box.pauseValue3, 100);

    box.pauseValue2 = 40;
    box.PauseData_Resume(500, 0);
    EXPECT_EQ(box.pauseValue1, 140);
    EXPECT_EQ(box.pauseValue2, 0);
    EXPECT_EQ(box.pauseValue3, 500);

    box.pauseValue1 = INT32_MAX - 1;
    box.pauseValue2 = 1000;
    box.PauseData_Resume(1, 0);
    EXPECT_EQ(box.pauseValue1, INT32_MAX);

    box.PauseData_Init();
    EXPECT_EQ(box.pauseValue1, 0);
    EXPECT_EQ(box.pauseValue2, 0);
    EXPECT_EQ(box.pauseValue3, 0);
}

}  // namespace
