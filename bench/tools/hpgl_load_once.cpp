// Loads one HPGL file and explains it into shapes, as the job loader does, then exits: the
// whole-process side of bench/hpgl_vs_peer. Prints the shape count. The shapes are
// not freed one by one at the end: the program is timed for loading, as a converter that
// exits after its work, and the process's end returns the memory at once.
#include "hpgl/hpgl_stream_explainer.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.plt\n", argv[0]);
        return 2;
    }
    HpglStreamExplainer explainer;
    if (explainer.LoadHpglFile(CString::FromUtf8(argv[1])) != HpglAnalyzer::kLoadOk) {
        std::fprintf(stderr, "%s: cannot be loaded\n", argv[1]);
        return 1;
    }
    PlotShapeList list;
    explainer.Transform(list);
    std::printf("%d shapes\n", list.Count());
    std::fflush(stdout);
    std::_Exit(0);
}
