// MissingGlobalFontFiles: asking the two global font tables whether they hold glyphs.
#include "fonts/global_font_files.h"

#include "fonts/plot_font_lib.h"

std::vector<CString> MissingGlobalFontFiles()
{
    std::vector<CString> missing;
    if (PlotFontLib::GetGlobalFontLib()->GetCount() == 0) missing.emplace_back(PlotFontLib::GlobalFontFile);
    if (PlotFontLibArray::GetGlobalFontLib()->GetShapesLib().GetCount() == 0)
        missing.emplace_back(PlotFontLibArray::ShapesFontFile);
    return missing;
}
