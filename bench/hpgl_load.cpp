// Throughput of HPGL reading: generated job files of several megabytes loaded and explained
// into shapes, whole (the job loader's road) and in 4 KiB pieces (the streamed side).
//
// The job mixes what real files hold: long pen-down runs, many short shapes, pen changes,
// arcs, circles and labels (drawn in a small generated font). Reported: MB/s of HPGL text
// and shapes/s. The sizes 4, 16 and 64 MB show whether the time grows linearly.
#include "fonts/plot_font_lib.h"
#include "hpgl/hpgl_stream_explainer.h"
#include "platform/program_directory.h"

#include "work_dir.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>

namespace {

using bench::WorkDir;

void PutU16(std::string& out, uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

// Writes the global font file: a one-font file whose full-width capitals are small boxes.
void InstallFont()
{
    std::string info = std::string("bench") + '\0' + char(8) + char(2) + char(0) + std::string(2, '\0') + '\0';
    std::string out = "Corvane unifont 1.0\r\n\x1a";
    const uint32_t glyphs = 26;
    out += std::string{static_cast<char>(glyphs), 0, 0, 0};
    PutU16(out, static_cast<uint32_t>(info.size()));
    out += info;
    for (uint32_t i = 0; i < glyphs; ++i) {
        std::string definition = std::string("g") + '\0' + "\x40\x44\x48\x4c" + '\0';
        PutU16(out, 0xA3C1 + i);
        PutU16(out, static_cast<uint32_t>(definition.size()));
        out += definition;
    }
    std::ofstream(WorkDir() + "fshz.fnt", std::ios::binary) << out;
    SetProgramDirectoryForTesting(WorkDir());
    PlotFontLib::LoadGlobalFontLib();
}

// Generates about targetBytes of HPGL.
std::string MakeJob(size_t targetBytes)
{
    std::string job = "IN;SP1;";
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    char number[32];
    auto pair = [&](uint32_t x, uint32_t y, char after) {
        std::snprintf(number, sizeof number, "%u,%u%c", x, y, after);
        job += number;
    };
    for (int block = 0; job.size() < targetBytes; ++block) {
        // A long pen-down run of 2000 points.
        job += "PU";
        pair(next(40000), next(40000), ';');
        job += "PD";
        for (int i = 0; i < 2000; ++i) pair(next(40000), next(40000), i == 1999 ? ';' : ',');
        // Many short shapes, with pen changes between them.
        for (int i = 0; i < 400; ++i) {
            if (i % 50 == 0) job += "SP" + std::to_string(1 + next(8)) + ";";
            job += "PU";
            pair(next(40000), next(40000), ';');
            job += "PD";
            pair(next(40000), next(40000), ',');
            pair(next(40000), next(40000), ';');
        }
        // Arcs and circles of up to a few centimetres, as cut jobs hold them.
        for (int i = 0; i < 40; ++i) {
            job += "PU";
            pair(1000 + next(38000), 1000 + next(38000), ';');
            job += "AR" + std::to_string(next(800)) + ",-" + std::to_string(next(800)) + "," + std::to_string(next(360));
            job += ";CI" + std::to_string(40 + next(400)) + ";";
            job += "SI0.3,0.4;LBCORVANE JOB " + std::to_string(block) + "\x03";
        }
    }
    return job;
}

// The job file of a size, written once.
const std::string& JobFile(size_t megabytes, size_t& bytes)
{
    static std::map<size_t, std::pair<std::string, size_t>> files;
    auto found = files.find(megabytes);
    if (found == files.end()) {
        std::string job = MakeJob(megabytes << 20);
        std::string path = WorkDir() + "job" + std::to_string(megabytes) + ".plt";
        std::ofstream(path, std::ios::binary) << job;
        found = files.emplace(megabytes, std::make_pair(path, job.size())).first;
    }
    bytes = found->second.second;
    return found->second.first;
}

void Report(benchmark::State& state, size_t bytes, int shapes)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.counters["shapes"] = shapes;
    state.counters["shapes/s"] = benchmark::Counter(static_cast<double>(shapes) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_LoadAndTransform(benchmark::State& state)
{
    InstallFont();
    size_t bytes = 0;
    const std::string& path = JobFile(static_cast<size_t>(state.range(0)), bytes);
    const CString widePath = CString::FromUtf8(path);
    int shapes = 0;
    for (auto _ : state) {
        HpglStreamExplainer explainer;
        if (explainer.LoadHpglFile(widePath) != HpglAnalyzer::kLoadOk) {
            state.SkipWithError("the job file cannot be loaded");
            return;
        }
        PlotShapeList list;
        explainer.Transform(list);
        shapes = list.Count();
        benchmark::DoNotOptimize(list.GetArea());
    }
    Report(state, bytes, shapes);
}

void BM_StreamedPieces(benchmark::State& state)
{
    InstallFont();
    size_t bytes = 0;
    const std::string& path = JobFile(static_cast<size_t>(state.range(0)), bytes);
    std::ifstream in(path, std::ios::binary);
    std::string job((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    job += "IN;";
    int shapes = 0;
    for (auto _ : state) {
        HpglStreamExplainer explainer;
        for (size_t at = 0; at < job.size(); at += 4096) {
            size_t n = std::min<size_t>(4096, job.size() - at);
            explainer.ExplainerForCOM(reinterpret_cast<unsigned char*>(job.data() + at), static_cast<int>(n));
        }
        explainer.OutGetData();
        PlotShapeList list;
        explainer.Out(list);
        shapes = list.Count();
        benchmark::DoNotOptimize(list.GetHead());
    }
    Report(state, bytes, shapes);
}

}  // namespace

BENCHMARK(BM_LoadAndTransform)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamedPieces)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
