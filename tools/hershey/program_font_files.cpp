// Writing font files and notices into the program directory.
#include "hershey/program_font_files.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace hershey {

bool WriteProgramFile(const std::filesystem::path& dir, const std::string& name, const std::string& bytes)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::filesystem::path target = dir / name;
    std::filesystem::path temporary = dir / (name + ".part");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::cerr << "cannot write " << temporary << '\n';
            return false;
        }
    }
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::cerr << "cannot replace " << target << ": " << ec.message() << '\n';
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    if (!in) return false;
    text = bytes.str();
    return true;
}

std::string HersheyAcknowledgement(const std::filesystem::path& source)
{
    return "The font files \"txt.shx\" and \"fshz.fnt\" (its ASCII forms) are converted from the Hershey font\n\"" +
           source.filename().string() + "\" (Debian package hershey-fonts-data).\n\n" +
           "- The Hershey Fonts were originally created by Dr. A. V. Hershey while working at the\n"
           "  U. S. National Bureau of Standards.\n"
           "- The format of the Font data in this distribution was originally created by\n"
           "      James Hurt\n"
           "      Cognition, Inc.\n"
           "      900 Technology Park Drive\n"
           "      Billerica, MA 01821\n"
           "      (mit-eddie!ci-dandelion!hurt)\n";
}

}  // namespace hershey
