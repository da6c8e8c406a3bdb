// A job's road from its file to the first motion pack a machine takes, on generated sheets of
// loose strokes, with the real link thread and a simulated machine on loopback (127.0.0.231).
//
// Sheets: random walks of 200 points (a tenth closed, pens 1-4) over 1000 x 578 mm as files of
// about 5 and 50 MB; 100,000 short strokes over the same sheet; 20,000 two-point strokes of
// 60 x 30 units on a lattice of 90 units. The machine cuts pens 1-3 (knife, knife, inner
// knife) and prints pen 4, and is wide enough for one page.
//
// Run without arguments: each sheet is written to a scratch folder and run in a process of its
// own, so each peak RSS is that case's. Reported per case: the load; the whole dispatch from
// Start to the first motion pack the machine took, through the preparation worker; the
// dispatch's own time (until its result was applied and handed over) and the hand-over to the
// first pack; how often the waiting thread turned meanwhile (it sleeps 1 ms a turn); the peak RSS of the process after the
// dispatch and its ratio to the file size; then, run alone on the same job, the stages of the
// dispatch: pagination (with its copy of the job), the page files, and the geometry
// preparation of page 0. Last, the growth of every figure from 5 to 50 MB.
// "--run FILE" runs one case on an existing file and prints one line of figures; "--walks"
// and "--cases" (see main) choose the sheets.
#include "app/doc_corvane.h"
#include "app/job_geometry.h"
#include "app/pagination.h"
#include "app/print_task.h"
#include "app/resume_state.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "platform/file_system.h"
#include "platform/freed_memory.h"
#include "platform/program_directory.h"
#include "plotmodel/plot_page.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/plot_shape_list.h"
#include "support/link_ports_lock.h"
#include "support/loopback_link.h"
#include "support/simulated_machine.h"
#include "support/spread_sheet.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace corvane_test;

constexpr uint8_t kMachineOctet = 231;
constexpr int kLifetimeMs = 1800000;

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// The process's peak resident set, MB.
double PeakRssMb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0.0;
}

double FileMb(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_size / 1e6 : 0.0;
}

std::string Scratch()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/corvane-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern + "/";
}

SimulatedMachineOptions MachineOptions()
{
    SimulatedMachineOptions options;
    options.hostOctet = kMachineOctet;
    options.lifetimeMs = kLifetimeMs;
    // Pens 1 and 2 knife, 3 inner knife, 4 print.
    StoreLE16(options.settingsBlock.data() + 172, 3 | 3 << 2 | 2 << 4);
    return options;
}

// One case: prints "key=value" figures on one line.
int RunCase(const std::string& file)
{
    // The heap set up as the program sets it up before its first thread.
    LimitHeapArenas();
    const std::string root = Scratch();
    mkdir((root + "program").c_str(), 0700);
    mkdir((root + "config").c_str(), 0700);
    SetProgramDirectoryForTesting(root + "program/");
    setenv("XDG_CONFIG_HOME", (root + "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "config").c_str(), 1);

    LinkPortsLock ports;
    if (!ports.Held()) return std::fprintf(stderr, "the link ports stayed locked\n"), 1;
    SimulatedMachine sim(MachineOptions());
    std::string error;
    if (!sim.Start(&error)) return std::fprintf(stderr, "machine: %s\n", error.c_str()), 1;
    LoopbackLink link(kMachineOctet, kLifetimeMs);
    if (!link.Start()) return std::fprintf(stderr, "the link did not start\n"), 1;
    NET_Machine* machine = nullptr;
    WaitUntil([&] {
        CSingleLock hold(&link.Server().GetLock(), TRUE);
        machine = link.Server().FindMachineByKey(sim.Key());
        return machine != nullptr && machine->paramsReceived != 0;
    }, 10000);
    if (machine == nullptr) return std::fprintf(stderr, "the machine was not admitted\n"), 1;
    {
        // The jet step the operator sets for a machine that prints (pen 4).
        CSingleLock hold(&link.Server().GetLock(), TRUE);
        machine->jet.jetStepWidth = 1000.0f;
    }
    CDocCorvane doc(link.Server());

    std::map<std::string, double> f;
    f["file_mb"] = FileMb(file);
    auto* job = new CPrintTask(CString::FromUtf8(file).GetString());
    double t = Now();
    if (!doc.AddJobToList(job, -1) || !job->LoadPrintTaskFile()) return std::fprintf(stderr, "no load\n"), 1;
    f["load_s"] = Now() - t;
    f["rss_load_mb"] = PeakRssMb();

    // Start: the preparation runs on its worker; this thread applies it once it ended, as the
    // frame does on the worker's message, and counts the event-loop turns meanwhile.
    t = Now();
    if (doc.DispatchJobToMachine(job, machine, 1, -1) != 1) return std::fprintf(stderr, "not dispatched\n"), 1;
    double handedOver = 0.0;
    long turns = 0;
    const bool packed = WaitUntil([&] {
        ++turns;
        if (handedOver == 0.0) {
            doc.ApplyFinishedPreparations();
            if (!doc.HasPreparations()) handedOver = Now();
        }
        // A refused start sends nothing: no wait for a pack that never comes.
        return !sim.Taken(SimQueue::Data).empty() || job->dispatchRefusal != DispatchRefusal::kNone ||
               (handedOver != 0.0 && Now() - handedOver > 60.0);
    }, 600000);
    const double firstPack = Now();
    if (!packed || sim.Taken(SimQueue::Data).empty())
        return std::fprintf(stderr, "no motion pack (refusal %d)\n", static_cast<int>(job->dispatchRefusal)), 1;
    f["gui_turns_per_s"] = turns / std::max(handedOver - t, 1e-3);
    f["dispatch_s"] = handedOver - t;
    f["handover_s"] = firstPack - handedOver;
    f["start_to_pack_s"] = firstPack - t;
    f["rss_mb"] = PeakRssMb();
    f["rss_ratio"] = f["rss_mb"] / f["file_mb"];
    link.Stop();
    sim.Stop();

    // The dispatch's stages alone, on the same job and machine values.
    PageMachineValues pageValues;
    PrepareMachineValues prepareValues;
    {
        CSingleLock hold(&link.Server().GetLock(), TRUE);
        pageValues = ReadPageMachineValues(*machine);
        prepareValues = ReadPrepareMachineValues(*machine);
    }
    t = Now();
    PlotShapeList copy;
    copy = *job->GetCutList();
    PlotPageList pages;
    PaginateByWidth(copy, pages, pageValues.cutWidth, pageValues);
    f["pagination_s"] = Now() - t;
    f["pages"] = pages.Count();
    const CString pagesFolder = CString::FromUtf8(root + "pages");
    CreateFolder(pagesFolder);
    t = Now();
    WritePageFiles(pagesFolder, pages);
    f["page_files_s"] = Now() - t;
    f["page0_mb"] = FileMb(root + "pages/page0.plt");
    PlotShapeList page;
    page.Append(&pages.HeadPage()->DrawList());
    page.Append(&pages.HeadPage()->CutList());
    page.CalArea(1);
    f["page0_shapes"] = page.Count();
    PlotShapeCutList A, B;
    Limit_PARAM range;
    int32_t clipOffset = 0;
    JetTaskValues jet;
    t = Now();
    PrepareJobGeometry(A, B, page, prepareValues, 1, *machine, range, clipOffset, jet);
    f["geometry_s"] = Now() - t;
    f["motion_shapes"] = B.Count();

    for (const auto& [key, value] : f) std::printf("%s=%.6g ", key.c_str(), value);
    std::printf("\n");
    std::fflush(stdout);
    std::string command = "rm -rf '" + root + "'";
    return std::system(command.c_str()) == 0 ? 0 : 1;
}

std::map<std::string, double> Parse(const std::string& line)
{
    std::map<std::string, double> f;
    std::istringstream in(line);
    std::string item;
    while (in >> item) {
        const size_t eq = item.find('=');
        if (eq != std::string::npos) f[item.substr(0, eq)] = std::atof(item.c_str() + eq + 1);
    }
    return f;
}

int RunAll(const char* self, int walks5, int walks50, const std::string& only)
{
    const std::string root = Scratch();
    struct Case {
        std::string name;
        std::vector<SheetStroke> strokes;
    };
    std::vector<std::pair<std::string, std::map<std::string, double>>> results;
    auto run = [&](const std::string& name, const std::vector<SheetStroke>& strokes) {
        if (!only.empty() && ("," + only + ",").find("," + name + ",") == std::string::npos) return;
        const std::string file = root + name + ".plt";
        {
            std::ofstream out(file, std::ios::binary);
            out << SheetHpgl(strokes);
        }
        std::fprintf(stderr, "%s: %zu strokes, %.1f MB\n", name.c_str(), strokes.size(), FileMb(file));
        const std::string command = std::string(self) + " --run '" + file + "'";
        FILE* child = popen(command.c_str(), "r");
        std::string line;
        char buffer[4096];
        while (child && std::fgets(buffer, sizeof buffer, child)) line += buffer;
        if (child) pclose(child);
        std::remove(file.c_str());
        results.push_back({name, Parse(line)});
        std::fprintf(stderr, "  %s", line.c_str());
    };
    WalkSheetOptions walk;
    walk.strokes = walks5;
    run("walks_5MB", WalkSheet(walk));
    walk.strokes = walks50;
    walk.seed = 2;
    run("walks_50MB", only.find("walks_50MB") != std::string::npos || only.empty() ? WalkSheet(walk) : std::vector<SheetStroke>{});
    run("short_100k", ShortStrokeSheet(3, 100000, 1000.0, 578.0, 4));
    run("lattice_20k", LatticeSheet(20000, 60.0f, 30.0f, 90.0f, 1));
    rmdir(root.c_str());

    const char* keys[] = {"file_mb", "load_s", "pagination_s", "geometry_s", "page_files_s", "handover_s",
                          "dispatch_s", "start_to_pack_s", "rss_mb", "rss_ratio", "page0_mb"};
    std::printf("| case |");
    for (const char* k : keys) std::printf(" %s |", k);
    std::printf("\n|---|");
    for (size_t i = 0; i < std::size(keys); ++i) std::printf("---|");
    std::printf("\n");
    for (auto& [name, f] : results) {
        std::printf("| %s |", name.c_str());
        for (const char* k : keys) std::printf(" %.3f |", f[k]);
        std::printf("\n");
    }
    if (results.size() >= 2 && results[0].first == "walks_5MB" && results[1].first == "walks_50MB") {
        std::printf("| growth 5 -> 50 MB |");
        for (const char* k : keys) {
            const double a = results[0].second[k], b = results[1].second[k];
            if (a > 0) std::printf(" x%.1f |", b / a);
            else std::printf(" - |");
        }
        std::printf("\n");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--run") == 0) return RunCase(argv[2]);
    // "--walks N M" sets the walks of the two walk sheets (2,300 and 23,000: about 5 and 50
    // MB); "--cases a,b" runs only the cases named.
    int walks5 = 2300, walks50 = 23000;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--walks") == 0 && i + 2 < argc) {
            walks5 = std::atoi(argv[++i]);
            walks50 = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--cases") == 0 && i + 1 < argc) {
            only = argv[++i];
        }
    }
    return RunAll(argv[0], walks5, walks50, only);
}
