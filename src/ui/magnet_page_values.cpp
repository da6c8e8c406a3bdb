// The magnet page's values and change rules.
#include "ui/magnet_page_values.h"

#include "machinelink/net_machine.h"

#include <algorithm>

MagnetPageValues LoadMagnetPage(const NET_Machine& machine)
{
    const P_Interpolate1& ip = machine.motionSource.interpolator;
    MagnetPageValues values;
    std::copy_n(ip.magnetBlock, kKnifeValues, values.knife);
    std::copy_n(ip.magnetBlock + kKnifeValues, kPenValues, values.pen);
    LoadShownToolOffsets(ip.offsetsBlock, values.toolOffsets);
    values.extensions = LoadExtensions(machine);
    return values;
}

MachineParamCodes StoreMagnetPage(NET_Machine& machine, const MagnetPageValues& values)
{
    P_Interpolate1& ip = machine.motionSource.interpolator;
    const bool wordsDiffer = !std::equal(values.knife, values.knife + kKnifeValues, ip.magnetBlock) ||
                             !std::equal(values.pen, values.pen + kPenValues, ip.magnetBlock + kKnifeValues);
    const bool offsetsDiffer = ShownToolOffsetsDiffer(ip.offsetsBlock, values.toolOffsets);
    if (wordsDiffer || offsetsDiffer) {
        std::copy_n(values.knife, kKnifeValues, ip.magnetBlock);
        std::copy_n(values.pen, kPenValues, ip.magnetBlock + kKnifeValues);
        StoreToolOffsets(ip.offsetsBlock, values.toolOffsets);
    }
    MachineParamCodes codes;
    if (wordsDiffer) codes.push_back(kKnifeBlockCode);
    if (offsetsDiffer) codes.push_back(kToolOffsetBlockCode);
    if (StoreExtensions(machine, values.extensions)) codes.push_back(kWorkFlagsCode);
    return codes;
}
