// Loads one plot file (HPGL or DXF) as the job list does, through CPrintTask, then exits: the
// whole-process program the hostile-input measurements time with /usr/bin/time -v. With a
// second argument, that font file is the global vector font ("fshz.fnt") of the load. Prints
// whether the job was loaded and its point count; an operator message goes to stderr.
#include "app/print_task.h"
#include "fonts/plot_font_lib.h"
#include "platform/program_directory.h"
#include "plotmodel/plot_shape.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s FILE.plt|FILE.dxf [FONT.fnt]\n", argv[0]);
        return 2;
    }
    std::string folder;
    if (argc == 3) {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-load-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return 2;
        folder = pattern;
        std::filesystem::copy_file(argv[2], folder + "/fshz.fnt");
        SetProgramDirectoryForTesting(folder);
        PlotFontLib::LoadGlobalFontLib();
    }
    CPrintTask task;
    int loaded = task.LoadFromPath(CString::FromUtf8(argv[1]));
    int64_t points = 0;
    if (PlotShapeCutList* list = task.GetCutList())
        for (PlotShape* s = list->HeadShape(); s; s = list->ShapeAfter(s)) points += s->GetTolPtNum();
    std::printf("%s: %lld points\n", loaded ? "loaded" : "refused", static_cast<long long>(points));
    std::fflush(stdout);
    if (!folder.empty()) std::filesystem::remove_all(folder);
    // The shapes are not freed one by one: the process's end returns the memory at once.
    std::_Exit(loaded ? 0 : 1);
}
