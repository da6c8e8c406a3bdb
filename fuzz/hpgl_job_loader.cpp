// libFuzzer harness of the HPGL job loader: every input is a ".plt" file loaded by CPrintTask.
// A load is complete, with finite points no more than the point budget, or the task is fully
// reset; loading a loaded task again changes nothing, and a second task loads the same.
#include "fuzz_support.h"

#include "app/print_task.h"
#include "plotmodel/load_point_budget.h"
#include "plotmodel/plot_shape.h"

#include <cmath>
#include <vector>

namespace {

// Every coordinate of the task's list, in order; requires them finite and within the budget.
std::vector<float> CheckedPoints(const CPrintTask& task)
{
    std::vector<float> xy;
    const PlotShapeCutList* list = task.GetCutList();
    for (PlotShape* s = list ? list->HeadShape() : nullptr; s; s = list->ShapeAfter(s)) {
        int32_t count = 0;
        const float* p = s->GetPl(0, count);
        for (int32_t i = 0; p && i < 2 * s->GetTolPtNum(); ++i) {
            fuzz_support::Require(std::isfinite(p[i]));
            xy.push_back(p[i]);
        }
    }
    fuzz_support::Require(static_cast<int64_t>(xy.size() / 2) <= kLoadPointBudget);
    return xy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz_support::ScratchDir() + "job.plt";
    if (!fuzz_support::WriteScratchFile(path, data, size)) return 0;
    fuzz_support::CountingMessageSink sink;
    const CString name = CString::FromUtf8(path);
    CPrintTask task;
    if (!task.LoadFromPath(name)) {
        fuzz_support::Require(!task.IsTaskLoaded() && task.GetCutList() == nullptr && task.GetPath().IsEmpty() &&
                              task.jobRef == 0);
        return 0;
    }
    const std::vector<float> first = CheckedPoints(task);
    fuzz_support::Require(task.IsTaskLoaded() && !first.empty() && task.jobRef != 0);
    const uint32_t ref = task.jobRef;
    fuzz_support::Require(task.LoadPrintTaskFile() == 1 && task.jobRef == ref && CheckedPoints(task) == first);
    CPrintTask again;
    fuzz_support::Require(again.LoadFromPath(name) == 1 && CheckedPoints(again) == first);
    return 0;
}
