// corvane_make_fonts: writes the program's font files "txt.shx" and "fshz.fnt", and the
// acknowledgement the Hershey fonts' licence asks to travel with them, from a ".jhf" font.
//
// Use: corvane_make_fonts <font.jhf> <program directory>
#include "hershey/hershey_to_shx.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

constexpr const char* kAcknowledgementFile = "hershey-fonts-acknowledgement.txt";

// The acknowledgements the licence of the Hershey font data requires with every copy.
constexpr const char* kAcknowledgement =
    "- The Hershey Fonts were originally created by Dr. A. V. Hershey while working at the\n"
    "  U. S. National Bureau of Standards.\n"
    "- The format of the Font data in this distribution was originally created by\n"
    "      James Hurt\n"
    "      Cognition, Inc.\n"
    "      900 Technology Park Drive\n"
    "      Billerica, MA 01821\n"
    "      (mit-eddie!ci-dandelion!hurt)\n";

// Writes bytes to dir/name through a temporary file renamed into place, so that a failed
// run leaves no half-written font behind; false with a message on failure.
bool WriteWhole(const std::filesystem::path& dir, const char* name, const std::string& bytes)
{
    std::filesystem::path target = dir / name;
    std::filesystem::path temporary = dir / (std::string(name) + ".part");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::cerr << "corvane_make_fonts: cannot write " << temporary << '\n';
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::cerr << "corvane_make_fonts: cannot replace " << target << ": " << ec.message() << '\n';
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "use: corvane_make_fonts <font.jhf> <program directory>\n";
        return 2;
    }
    std::filesystem::path source = argv[1];
    std::filesystem::path dir = argv[2];
    std::ifstream in(source, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::cerr << "corvane_make_fonts: cannot read " << source << '\n';
        return 1;
    }
    hershey::ProgramFonts fonts;
    std::string error;
    if (!hershey::MakeProgramFonts(text.str(), "Hershey " + source.stem().string(), fonts, error)) {
        std::cerr << "corvane_make_fonts: " << source << ": " << error << '\n';
        return 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::string acknowledgement = "The font files \"txt.shx\" and \"fshz.fnt\" are converted from the Hershey font\n\"" +
                                  source.filename().string() + "\" (Debian package hershey-fonts-data).\n\n" +
                                  kAcknowledgement;
    bool written = WriteWhole(dir, "txt.shx", shx_font::ShxFontBytes(fonts.shapes)) &&
                   WriteWhole(dir, "fshz.fnt", shx_font::ShxFontBytes(fonts.fullWidth)) &&
                   WriteWhole(dir, kAcknowledgementFile, acknowledgement);
    return written ? 0 : 1;
}
