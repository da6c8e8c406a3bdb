// corvane_make_fonts: writes the program's font files "txt.shx" and "fshz.fnt" (printable
// ASCII only), and the acknowledgement the Hershey fonts' licence asks to travel with them,
// from a ".jhf" font. The build runs it when no Chinese outline font is at hand.
//
// Use: corvane_make_fonts <font.jhf> <program directory>
#include "hershey/hershey_to_shx.h"
#include "hershey/program_font_files.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "use: corvane_make_fonts <font.jhf> <program directory>\n";
        return 2;
    }
    std::filesystem::path source = argv[1];
    std::filesystem::path dir = argv[2];
    std::string text;
    if (!hershey::ReadWholeFile(source, text)) {
        std::cerr << "corvane_make_fonts: cannot read " << source << '\n';
        return 1;
    }
    hershey::ProgramFonts fonts;
    std::string error;
    if (!hershey::MakeProgramFonts(text, "Hershey " + source.stem().string(), fonts, error)) {
        std::cerr << "corvane_make_fonts: " << source << ": " << error << '\n';
        return 1;
    }
    bool written = hershey::WriteProgramFile(dir, "txt.shx", shx_font::ShxFontBytes(fonts.shapes)) &&
                   hershey::WriteProgramFile(dir, "fshz.fnt", shx_font::ShxFontBytes(fonts.fullWidth)) &&
                   hershey::WriteProgramFile(dir, hershey::HersheyAcknowledgementFile,
                                             hershey::HersheyAcknowledgement(source));
    return written ? 0 : 1;
}
