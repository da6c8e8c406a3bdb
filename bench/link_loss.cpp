// The machine link under datagram loss: the real link manager and its thread on loopback
// sockets against simulated machines (127.0.0.40 and up) that lose datagrams by seeded rules.
//
// Reported per run: the seconds from "f2;" until every machine finished a job of about 160 KB
// of motion text; the longest and the mean time a pack that reached a machine waited there
// behind an earlier lost one (a machine takes packs only in order); the link thread's CPU
// time as a share of one core while the jobs stream, and with 32 machines linked and idle;
// and the waits behind one lost status poll and behind a keep-0 re-announce with packs in
// flight. Each run is one iteration of real time; it holds the host-wide lock of the link
// ports, so it never meets a link test.
#include "app/udp_server.h"
#include "machinelink/machine_protocol.h"
#include "machinelink/net_machine.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "support/link_ports_lock.h"
#include "support/simulated_machine.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using corvane_test::SimulatedMachine;
using corvane_test::SimulatedMachineOptions;
using corvane_test::SimQueue;

constexpr uint8_t kFirstOctet = 40;
constexpr int kMachineLifetimeMs = 900000;
constexpr int kJobTimeoutMs = 600000;

uint32_t Loopback(uint8_t octet) { return htonl((127u << 24) | octet); }

double NowSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The thread ids of this process.
std::set<int> Threads()
{
    std::set<int> ids;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') ids.insert(std::atoi(entry->d_name));
        closedir(dir);
    }
    return ids;
}

// CPU seconds used so far by thread tid of this process.
double ThreadCpuSeconds(int tid)
{
    // The kernel's per-thread CPU clock: (~tid << 3) | CPUCLOCK_SCHED | CPUCLOCK_PERTHREAD.
    const clockid_t clock = static_cast<clockid_t>((~static_cast<unsigned>(tid) << 3) | 6);
    timespec t{};
    if (clock_gettime(clock, &t) != 0) return 0;
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A knife zig-zag of 3300 segments: about 160 KB of motion text.
PlotShapeCutList* Job()
{
    auto* list = new PlotShapeCutList;
    auto* shape = new PlotShape;
    for (int i = 0; i <= 3300; ++i) shape->AddPoint(static_cast<float>(40 * i), i % 2 == 0 ? 0.0f : 400.0f, i == 0 ? 1 : 0);
    shape->CalArea();
    shape->SetMauIndex(2);
    list->AddTail(shape);
    return list;
}

// How long packs that reached a machine waited there before it took them, ms.
struct Waits {
    double maxMs = 0;
    double sumMs = 0;
    int count = 0;
};

// Adds the waits of one queue: each pack taken waited from the first arrival of its sequence
// number after the pack 255 places before it was taken (so the number is not an older one's).
void AddWaits(const SimulatedMachine& machine, SimQueue queue, uint16_t port, Waits& waits)
{
    const std::vector<corvane_test::SimDatagram> received = machine.Received();
    const std::vector<corvane_test::SimPack> taken = machine.Taken(queue);
    for (size_t k = 0; k < taken.size(); ++k) {
        const int64_t after = k >= 255 ? taken[k - 255].takenMs : INT64_MIN;
        int64_t first = taken[k].takenMs;
        for (const auto& d : received)
            if (d.port == port && d.bytes.size() >= 3 && d.bytes[1] == taken[k].sequence && d.receivedMs > after &&
                d.receivedMs < first)
                first = d.receivedMs;
        const double ms = static_cast<double>(taken[k].takenMs - first);
        waits.maxMs = std::max(waits.maxMs, ms);
        waits.sumMs += ms;
        ++waits.count;
    }
}

// A link manager with its thread and n simulated machines announced to it.
class Fleet {
public:
    explicit Fleet(int machines)
    {
        server_.SetDiscoveryAddresses(Loopback(kFirstOctet), Loopback(kFirstOctet));
        const std::set<int> before = Threads();
        server_.StartMachineLinkThread();
        Wait([&] { return server_.GetBoundPort() != 0 || !server_.IsLinkThreadRunning(); }, 5000);
        for (int id : Threads())
            if (!before.count(id)) linkThread_ = id;
        for (int i = 0; i < machines; ++i) {
            SimulatedMachineOptions options;
            options.hostOctet = static_cast<uint8_t>(kFirstOctet + i);
            options.id[11] = static_cast<uint8_t>('A' + i);
            options.mac[5] = static_cast<uint8_t>(i + 1);
            options.lifetimeMs = kMachineLifetimeMs;
            auto machine = std::make_unique<SimulatedMachine>(options);
            if (!machine->Start()) return;
            machine->SetController(htonl(INADDR_LOOPBACK), server_.GetBoundPort());
            machine->Announce(0);
            machines_.push_back(std::move(machine));
        }
        ready_ = static_cast<int>(machines_.size()) == machines &&
                 Wait([&] { return AllMachines([](NET_Machine& m) { return m.paramsReceived != 0; }); }, 20000);
    }
    ~Fleet() { server_.StopMachineLinkThread(); }

    bool Ready() const { return ready_ && linkThread_ != 0; }
    CUDPServer& Server() { return server_; }
    std::vector<std::unique_ptr<SimulatedMachine>>& Machines() { return machines_; }
    double LinkCpuSeconds() const { return ThreadCpuSeconds(linkThread_); }

    // Checks done every 5 ms until it holds or timeoutMs passed.
    static bool Wait(const std::function<bool()>& done, int timeoutMs)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    bool AllMachines(const std::function<bool(NET_Machine&)>& f)
    {
        CSingleLock guard(&server_.GetLock(), TRUE);
        for (const auto& sim : machines_) {
            NET_Machine* m = server_.FindMachineByKey(sim->Key());
            if (!m || !f(*m)) return false;
        }
        return true;
    }
    // Hands every machine the job and starts it.
    void StartJobs()
    {
        {
            CSingleLock guard(&server_.GetLock(), TRUE);
            for (const auto& sim : machines_)
                if (NET_Machine* m = server_.FindMachineByKey(sim->Key())) m->task.SetData(new PlotShapeCutList, 1, Job());
        }
        const uint8_t start[] = {'f', '2', ';'};
        for (const auto& sim : machines_) server_.PostMachineCommand(sim->Key(), 0, start, 3);
    }

private:
    CUDPServer server_;
    int linkThread_ = 0;
    std::vector<std::unique_ptr<SimulatedMachine>> machines_;
    bool ready_ = false;
};

// Streams the job to every machine of the fleet and reports times, waits and CPU.
void StreamJobs(benchmark::State& state, Fleet& fleet)
{
    const double cpu0 = fleet.LinkCpuSeconds();
    const double t0 = NowSeconds();
    fleet.StartJobs();
    const bool finished = Fleet::Wait(
        [&] {
            return std::all_of(fleet.Machines().begin(), fleet.Machines().end(),
                               [](const auto& m) { return m->JobFinished(); });
        },
        kJobTimeoutMs);
    const double seconds = NowSeconds() - t0;
    const double cpu = fleet.LinkCpuSeconds() - cpu0;
    if (!finished) state.SkipWithError("a job did not finish");

    Waits waits;
    double bytes = 0;
    int lost = 0;
    for (const auto& m : fleet.Machines()) {
        AddWaits(*m, SimQueue::Data, corvane_test::kMachineDataPort, waits);
        AddWaits(*m, SimQueue::Command, corvane_test::kMachineCommandPort, waits);
        bytes += static_cast<double>(m->MotionText().size());
        lost += m->Dropped();
    }
    state.SetIterationTime(seconds);
    state.counters["job_s"] = seconds;
    state.counters["KB_per_job"] = bytes / 1024.0 / static_cast<double>(fleet.Machines().size());
    state.counters["lost"] = lost;
    state.counters["wait_max_ms"] = waits.maxMs;
    state.counters["wait_mean_ms"] = waits.count ? waits.sumMs / waits.count : 0;
    state.counters["link_cpu_%"] = seconds > 0 ? 100.0 * cpu / seconds : 0;
}

// args: machines, loss in percent of the datagrams each way.
void BM_StreamUnderLoss(benchmark::State& state)
{
    corvane_test::LinkPortsLock ports;
    if (!ports.Held()) return state.SkipWithError("the link ports stay locked");
    for (auto _ : state) {
        Fleet fleet(static_cast<int>(state.range(0)));
        if (!fleet.Ready()) return state.SkipWithError("the machines were not admitted");
        uint32_t seed = 101;
        for (const auto& m : fleet.Machines())
            m->SetLossRule(corvane_test::SeededLoss(static_cast<double>(state.range(1)) / 100.0, seed++));
        StreamJobs(state, fleet);
    }
}

// The link thread's CPU share with 32 machines linked and nothing to send, over 10 s.
void BM_IdleLink(benchmark::State& state)
{
    corvane_test::LinkPortsLock ports;
    if (!ports.Held()) return state.SkipWithError("the link ports stay locked");
    for (auto _ : state) {
        Fleet fleet(32);
        if (!fleet.Ready()) return state.SkipWithError("the machines were not admitted");
        const double cpu0 = fleet.LinkCpuSeconds();
        const double t0 = NowSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const double seconds = NowSeconds() - t0;
        state.SetIterationTime(seconds);
        state.counters["link_cpu_%"] = 100.0 * (fleet.LinkCpuSeconds() - cpu0) / seconds;
    }
}

// One machine loses its first status poll; the job's start command follows at once. Reports
// how long the commands waited behind the lost poll, and the job time.
void BM_LostPoll(benchmark::State& state)
{
    corvane_test::LinkPortsLock ports;
    if (!ports.Held()) return state.SkipWithError("the link ports stay locked");
    for (auto _ : state) {
        CUDPServer server;
        server.SetDiscoveryAddresses(Loopback(kFirstOctet), Loopback(kFirstOctet));
        SimulatedMachineOptions options;
        options.hostOctet = kFirstOctet;
        options.lifetimeMs = kMachineLifetimeMs;
        SimulatedMachine machine(options);
        auto lost = std::make_shared<std::atomic<bool>>(false);
        machine.SetLossRule([lost](corvane_test::SimDirection direction, uint16_t port, const std::vector<uint8_t>& bytes) {
            if (direction != corvane_test::SimDirection::Arriving || port != corvane_test::kMachineCommandPort ||
                bytes.size() < 3 || bytes[2] != kPackTypePollParams || lost->load())
                return false;
            lost->store(true);
            return true;
        });
        if (!machine.Start()) return state.SkipWithError("the machine ports are taken");
        server.StartMachineLinkThread();
        Fleet::Wait([&] { return server.GetBoundPort() != 0; }, 5000);
        machine.SetController(htonl(INADDR_LOOPBACK), server.GetBoundPort());
        machine.Announce(0);
        if (!Fleet::Wait([&] { return lost->load(); }, 5000)) return state.SkipWithError("no poll was sent");
        {
            CSingleLock guard(&server.GetLock(), TRUE);
            if (NET_Machine* m = server.FindMachineByKey(machine.Key())) m->task.SetData(new PlotShapeCutList, 1, Job());
        }
        const double t0 = NowSeconds();
        const uint8_t start[] = {'f', '2', ';'};
        server.PostMachineCommand(machine.Key(), 0, start, 3);
        if (!Fleet::Wait([&] { return machine.JobFinished(); }, kJobTimeoutMs)) state.SkipWithError("the job did not finish");
        const double seconds = NowSeconds() - t0;
        Waits waits;
        AddWaits(machine, SimQueue::Command, corvane_test::kMachineCommandPort, waits);
        state.SetIterationTime(seconds);
        state.counters["job_s"] = seconds;
        state.counters["wait_behind_poll_ms"] = waits.maxMs;
        server.StopMachineLinkThread();
    }
}

// One machine re-announces with keep 0 and new numbers while motion and command packs are in
// flight (it had stopped hearing them for 300 ms). Reports how long after the announce the
// renumbered packs were taken, and the job time.
void BM_KeepZeroReannounce(benchmark::State& state)
{
    corvane_test::LinkPortsLock ports;
    if (!ports.Held()) return state.SkipWithError("the link ports stay locked");
    for (auto _ : state) {
        Fleet fleet(1);
        if (!fleet.Ready()) return state.SkipWithError("the machine was not admitted");
        SimulatedMachine& machine = *fleet.Machines()[0];
        const double t0 = NowSeconds();
        fleet.StartJobs();
        Fleet::Wait([&] { return machine.Taken(SimQueue::Data).size() >= 50; }, 10000);
        machine.SetLossRule([](corvane_test::SimDirection direction, uint16_t port, const std::vector<uint8_t>&) {
            return direction == corvane_test::SimDirection::Arriving &&
                   (port == corvane_test::kMachineDataPort || port == corvane_test::kMachineCommandPort);
        });
        const uint8_t text[] = {'c', '1', ';'};
        fleet.Server().PostMachineCommand(machine.Key(), 0, text, 3);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const size_t dataTaken = machine.Taken(SimQueue::Data).size();
        const size_t commandsTaken = machine.Taken(SimQueue::Command).size();
        const std::vector<uint8_t> current = machine.AnnounceBytes(0);
        const int64_t announcedMs = MonotonicMs();
        machine.Announce(0, std::array<uint8_t, 5>{100, current[5], 200, current[7], current[28]});
        machine.SetLossRule(nullptr);
        if (!Fleet::Wait([&] { return machine.JobFinished(); }, kJobTimeoutMs)) state.SkipWithError("the job did not finish");
        const double seconds = NowSeconds() - t0;
        const std::vector<corvane_test::SimPack> data = machine.Taken(SimQueue::Data);
        const std::vector<corvane_test::SimPack> commands = machine.Taken(SimQueue::Command);
        const int64_t dataWait = data.size() > dataTaken ? data[dataTaken].takenMs - announcedMs : -1;
        const int64_t commandWait = commands.size() > commandsTaken ? commands[commandsTaken].takenMs - announcedMs : -1;
        state.SetIterationTime(seconds);
        state.counters["job_s"] = seconds;
        state.counters["data_wait_ms"] = static_cast<double>(dataWait);
        state.counters["command_wait_ms"] = static_cast<double>(commandWait);
    }
}

}  // namespace

BENCHMARK(BM_StreamUnderLoss)->ArgNames({"machines", "loss%"})->Args({1, 0})->Args({1, 10})->Args({1, 30})
    ->Args({32, 0})->Args({32, 10})->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_IdleLink)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_LostPoll)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_KeepZeroReannounce)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
