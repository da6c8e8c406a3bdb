// Runs of consecutive shapes worked on by a few threads, the calling thread polling.
#include "plotmodel/shape_runs.h"

#include "platform/freed_memory.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace {

constexpr int kMaxThreads = 8;
constexpr int kRunsPerThread = 4;
// Lists shorter than this are worked on as one run: threads would cost more than they save.
constexpr int kMinShapesPerRun = 64;
constexpr int kPollEveryShapes = 64;
constexpr auto kPollInterval = std::chrono::milliseconds(20);

int64_t ShapeWeight(const PlotShape& s) { return static_cast<int64_t>(s.GetTolPtNum()) + 1; }

}  // namespace

int ShapeWorkerThreads(int requested)
{
    if (requested > 0) return requested;
    const unsigned hardware = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(hardware), 1, kMaxThreads);
}

int RunsForThreads(int threads) { return threads <= 1 ? 1 : threads * kRunsPerThread; }

std::vector<std::unique_ptr<PlotShapeList>> SplitIntoRuns(PlotShapeList& list, int runs)
{
    const int count = list.Count();
    runs = std::clamp(count / kMinShapesPerRun, 1, std::max(runs, 1));
    // The work on a shape grows with its points: the runs share the points, each shape
    // weighing one more than its points, so that a long shape gets a run of its own.
    int64_t total = 0;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) total += ShapeWeight(*s);
    std::vector<std::unique_ptr<PlotShapeList>> out;
    out.reserve(static_cast<size_t>(runs));
    int64_t taken = 0;
    for (int r = 0; r < runs && list.Count() > 0; ++r) {
        auto run = std::make_unique<PlotShapeList>();
        const int64_t upTo = r + 1 == runs ? total : total * (r + 1) / runs;
        while (PlotShape* s = list.HeadShape()) {
            if (run->Count() > 0 && taken >= upTo) break;
            taken += ShapeWeight(*s);
            s->GoOut();
            run->AddTail(s);
        }
        out.push_back(std::move(run));
    }
    return out;
}

void JoinRuns(std::vector<std::unique_ptr<PlotShapeList>>& runs, PlotShapeList& list)
{
    for (auto& run : runs)
        if (run) list.Append(run.get());
}

bool ShapeRunControl::Next()
{
    if (inlinePoll_ == nullptr) {
        done_.fetch_add(1, std::memory_order_relaxed);
        return !stop_.load(std::memory_order_relaxed);
    }
    const int64_t done = done_.fetch_add(1, std::memory_order_relaxed);
    if (done % kPollEveryShapes == 0 && *inlinePoll_ && !(*inlinePoll_)(done)) stop_.store(true);
    return !stop_.load(std::memory_order_relaxed);
}

bool RunShapeRuns(int runs, int threads, const std::function<void(int run, ShapeRunControl& control)>& work,
                  const ShapeRunPoll& poll)
{
    std::atomic<bool> stop{false};
    std::atomic<int64_t> done{0};
    if (runs <= 0) return true;
    threads = std::clamp(threads, 1, runs);
    if (threads == 1) {
        ShapeRunControl control(stop, done, &poll);
        for (int r = 0; r < runs && !stop.load(); ++r) work(r, control);
        return !stop.load();
    }

    if (poll && !poll(0)) return false;
    LimitHeapArenas();
    std::atomic<int> nextRun{0};
    std::mutex lock;
    std::condition_variable finished;
    int running = threads;
    std::exception_ptr failure;
    auto worker = [&] {
        ShapeRunControl control(stop, done, nullptr);
        try {
            for (int r; !stop.load(std::memory_order_relaxed) && (r = nextRun.fetch_add(1)) < runs;) work(r, control);
        } catch (...) {
            std::lock_guard<std::mutex> hold(lock);
            if (!failure) failure = std::current_exception();
            stop.store(true);
        }
        std::lock_guard<std::mutex> hold(lock);
        --running;
        finished.notify_one();
    };
    std::vector<std::thread> pool;
    pool.reserve(static_cast<size_t>(threads));
    bool cancelled = false;
    try {
        for (int t = 0; t < threads; ++t) pool.emplace_back(worker);
    } catch (...) {
        // A thread that could not start leaves its share to the others.
        std::lock_guard<std::mutex> hold(lock);
        running -= threads - static_cast<int>(pool.size());
        if (pool.empty()) {
            failure = std::current_exception();
        }
    }
    {
        std::unique_lock<std::mutex> hold(lock);
        while (running > 0) {
            if (finished.wait_for(hold, kPollInterval, [&] { return running == 0; })) break;
            if (cancelled || !poll) continue;
            hold.unlock();
            const bool goOn = poll(done.load(std::memory_order_relaxed));
            hold.lock();
            if (!goOn) {
                cancelled = true;
                stop.store(true);
            }
        }
    }
    for (std::thread& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
    return !cancelled;
}

void ForEachShapeInRuns(PlotShapeList& list, int threads, const std::function<void(PlotShape&)>& f)
{
    std::vector<PlotShape*> shapes;
    shapes.reserve(static_cast<size_t>(list.Count()));
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) shapes.push_back(s);
    ForEachIndexRun(shapes.size(), kMinShapesPerRun, threads, [&](size_t from, size_t to) {
        for (size_t k = from; k < to; ++k) f(*shapes[k]);
    });
}

void ForEachIndexRun(size_t count, size_t minPerRun, int threads, const std::function<void(size_t from, size_t to)>& f)
{
    const size_t most = static_cast<size_t>(RunsForThreads(threads));
    const int runs = static_cast<int>(std::clamp<size_t>(count / std::max<size_t>(minPerRun, 1), 1, most));
    RunShapeRuns(runs, threads, [&](int run, ShapeRunControl&) {
        const size_t from = count * static_cast<size_t>(run) / static_cast<size_t>(runs);
        const size_t to = count * static_cast<size_t>(run + 1) / static_cast<size_t>(runs);
        f(from, to);
    }, ShapeRunPoll{});
}
