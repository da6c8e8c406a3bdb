// Fuzzes the vector-font reader: the input is a font file, read whole, every glyph
// interpreted, a font library created from it, and a text looked up in it.
#include "fuzz_support.h"

#include "fonts/plot_font_lib.h"
#include "fonts/tamsel_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz_support::ScratchDir() + "font.shx";
    if (!fuzz_support::WriteScratchFile(path, data, size)) return 0;

    CTamselFont font;
    if (!font.LoadFont(CString::FromUtf8(path).GetString())) return 0;
    font.FontType(1);
    PlotFontLib lib;
    lib.Create(font);
    lib.CalArea();
    PlotChar text;
    lib.FindPlotString(CStringA("AZaz09\xA3\xC1"), text);
    return 0;
}
