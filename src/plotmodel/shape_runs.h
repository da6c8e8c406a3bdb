// Per-shape work over runs of consecutive shapes on a few worker threads, with the results
// put back in list order, so the outcome is that of one pass over the whole list.
//
// Method: the list is cut into runs that share its points (several per thread, so that a slow
// run does not hold the others up); the threads take the runs in turn from a shared counter.
// The calling thread waits meanwhile and is the only one that calls the poll, at the start
// and about every 20 ms; a poll that says stop makes every run stop at its next shape. A
// worker's exception stops the others and is thrown again on the calling thread. With one
// thread the work runs on the calling thread alone, polled every 64 shapes.
// Thread safety: the work of one run must touch only that run's shapes and its own results;
// values the work shares (settings, machine values) are read before the runs start.
#pragma once

#include "plotmodel/plot_shape_list.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The threads that `requested` stands for: itself when above 0, else the hardware's threads,
// at most 8.
int ShapeWorkerThreads(int requested);

// Moves list's shapes, in order, into at most `runs` runs of consecutive shapes that share
// the points about equally (one run for fewer than 128 shapes); list is left empty.
std::vector<std::unique_ptr<PlotShapeList>> SplitIntoRuns(PlotShapeList& list, int runs);
// Moves every run's shapes, in run order, to the tail of list.
void JoinRuns(std::vector<std::unique_ptr<PlotShapeList>>& runs, PlotShapeList& list);
// The run count for threads: several per thread, one for a single thread.
int RunsForThreads(int threads);

// Told how many shapes the runs have finished; false stops the work.
using ShapeRunPoll = std::function<bool(int64_t shapesDone)>;

// What the work of a run asks before each shape.
class ShapeRunControl {
public:
    ShapeRunControl(std::atomic<bool>& stop, std::atomic<int64_t>& done, const ShapeRunPoll* inlinePoll)
        : stop_(stop), done_(done), inlinePoll_(inlinePoll)
    {
    }
    // Counts the shape about to be worked on; false when the work is to stop.
    bool Next();

private:
    std::atomic<bool>& stop_;
    std::atomic<int64_t>& done_;
    // The poll when the work runs on the calling thread, else null.
    const ShapeRunPoll* inlinePoll_;
};

// Calls work(run, control) for every run in [0, runs) on min(threads, runs) threads, asking
// the poll as said above. False when the poll stopped the work; every run has then returned.
bool RunShapeRuns(int runs, int threads, const std::function<void(int run, ShapeRunControl& control)>& work,
                  const ShapeRunPoll& poll);

// Calls f(shape) for every shape of list on threads threads, in runs of consecutive shapes;
// the shapes stay in list, in order.
void ForEachShapeInRuns(PlotShapeList& list, int threads, const std::function<void(PlotShape&)>& f);
// Calls f(from, to) for runs [from, to) of consecutive indices that cover [0, count) in order,
// about equally long and at least minPerRun long (one run when count is below twice that), on
// threads threads.
void ForEachIndexRun(size_t count, size_t minPerRun, int threads, const std::function<void(size_t from, size_t to)>& f);
