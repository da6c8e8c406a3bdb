// libFuzzer harness of the DXF job loader: every input is a drawing imported into a list that
// already holds one shape. A failed import leaves that list as it was; a second import of the
// same bytes gives the same answer and the same points.
#include "fuzz_support.h"

#include "app/dxf_import.h"
#include "plotmodel/plot_shape.h"

#include <vector>

namespace {

// The coordinates of every shape of list, in order.
std::vector<float> PointsOf(const PlotShapeList& list)
{
    std::vector<float> xy;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
        int32_t count = 0;
        const float* p = s->GetPl(0, count);
        xy.insert(xy.end(), p, p + (p ? 2 * s->GetTolPtNum() : 0));
    }
    return xy;
}

// A list holding one line, as a job list does before a file is added to it.
void HoldOneShape(PlotShapeList& list)
{
    auto* line = new PlotShape;
    line->AddPointAtLastPl(1.0f, 2.0f);
    line->AddPointAtLastPl(30.0f, 40.0f);
    line->SetPenIndex(3);
    line->CalArea();
    list.AddTail(line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz_support::ScratchDir() + "drawing.dxf";
    if (!fuzz_support::WriteScratchFile(path, data, size)) return 0;
    fuzz_support::CountingMessageSink sink;
    const CString name = CString::FromUtf8(path);
    PlotShapeList first;
    HoldOneShape(first);
    const std::vector<float> held = PointsOf(first);
    const int result = ImportDxfDwgToShapes(name.GetString(), first);
    if (result == 0)
        fuzz_support::Require(first.Count() == 1 && PointsOf(first) == held && first.HeadShape()->GetPenIndex() == 3);
    PlotShapeList second;
    HoldOneShape(second);
    fuzz_support::Require(ImportDxfDwgToShapes(name.GetString(), second) == result && PointsOf(second) == PointsOf(first));
    return 0;
}
