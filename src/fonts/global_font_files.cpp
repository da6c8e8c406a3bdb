// MissingGlobalFontFiles and FontFilesWithoutChinese: asking the global font tables what
// they hold.
#include "fonts/global_font_files.h"

#include "fonts/plot_font_lib.h"

namespace {

// The lead bytes of the Hanzi of GB2312; trail bytes run from 0xA1 to 0xFE.
constexpr uint32_t kFirstHanziLead = 0xB0;
constexpr uint32_t kLastHanziLead = 0xF7;

bool HoldsHanzi(const PlotFontLib& lib)
{
    for (uint32_t lead = kFirstHanziLead; lead <= kLastHanziLead; ++lead)
        for (uint32_t trail = 0xA1; trail <= 0xFE; ++trail)
            if (lib.FindPlotChar(static_cast<uint16_t>(lead << 8 | trail))) return true;
    return false;
}

}  // namespace

std::vector<CString> MissingGlobalFontFiles()
{
    std::vector<CString> missing;
    if (PlotFontLib::GetGlobalFontLib()->GetCount() == 0) missing.emplace_back(PlotFontLib::GlobalFontFile);
    if (PlotFontLibArray::GetGlobalFontLib()->GetShapesLib().GetCount() == 0)
        missing.emplace_back(PlotFontLibArray::ShapesFontFile);
    return missing;
}

std::vector<CString> FontFilesWithoutChinese()
{
    std::vector<CString> without;
    const PlotFontLib& labels = *PlotFontLib::GetGlobalFontLib();
    if (labels.GetCount() > 0 && !HoldsHanzi(labels)) without.emplace_back(PlotFontLib::GlobalFontFile);
    if (PlotFontLibArray::GetGlobalFontLib()->GetBigFontLib().GetCount() == 0)
        without.emplace_back(PlotFontLibArray::BigFontFile);
    return without;
}
