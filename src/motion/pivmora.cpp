// P_Pivmora: progress, job length and the binary step stream of the motion source.
#include "motion/pivmora.h"

#include "plotmodel/plot_shape_cut_list.h"

double P_Pivmora::GetPercentage()
{
    if (!interpolator.secondList) return 0.0;
    return 10000.0 * static_cast<double>(interpolator.secondList->GetPercentage());
}

uint32_t P_Pivmora::GetTotalPulseNum()
{
    PlotShapeCutList* list = interpolator.secondList;
    if (!list) return 0;
    const bool withDepth = interpolator.machine && UsesDepthTraversal(*interpolator.machine);
    const int32_t total = withDepth ? list->GetToltalPulseNum() : list->GetToltalPulseNum_at();
    return total > 0 ? static_cast<uint32_t>(total) : 0;
}

int P_Pivmora::GetNextData(P_DataBuf& b)
{
    for (;;) {
        const int r = interpolator.BGetNextData(b);
        if (r == GetNextPathResult::kNoShapeLeft) {
            b.Initialize();
            return 1;
        }
        if (r < 0) return 0;
        if (b.GetDataNum() > 0) return 1;
    }
}
