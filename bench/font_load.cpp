// Loading the global font tables from the font files the build made, as the main window does
// at start-up, against reading the same files' bytes alone.
#include "fonts/plot_font_lib.h"
#include "fonts/tamsel_font.h"
#include "platform/program_directory.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void UseBuiltFonts() { SetProgramDirectoryForTesting(CORVANE_BUILT_FONT_DIR); }

// Both global loaders: "fshz.fnt", then "txt.shx" and "chineset.shx".
void BM_LoadGlobalFontLibraries(benchmark::State& state)
{
    UseBuiltFonts();
    for (auto _ : state) {
        PlotFontLib::LoadGlobalFontLib();
        PlotFontLibArray::GetGlobalFontLib()->LoadGlobalFontLib();
        benchmark::DoNotOptimize(PlotFontLib::GetGlobalFontLib()->GetCount());
    }
    state.counters["label glyphs"] = PlotFontLib::GetGlobalFontLib()->GetCount();
    state.counters["bigfont glyphs"] = PlotFontLibArray::GetGlobalFontLib()->GetBigFontLib().GetCount();
}
BENCHMARK(BM_LoadGlobalFontLibraries)->Unit(benchmark::kMillisecond);

// The files' bytes read and their headers checked, without a glyph interpreted.
void BM_ReadFontFilesOnly(benchmark::State& state)
{
    UseBuiltFonts();
    for (auto _ : state) {
        for (const char16_t* name : {PlotFontLib::GlobalFontFile, PlotFontLibArray::ShapesFontFile,
                                     PlotFontLibArray::BigFontFile}) {
            CTamselFont font;
            std::u16string path = CString::FromUtf8(ProgramDirectory()).GetString();
            path += name;
            benchmark::DoNotOptimize(font.LoadFont(path.c_str()));
        }
    }
}
BENCHMARK(BM_ReadFontFilesOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
