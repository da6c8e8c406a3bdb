// corvane_make_chinese_fonts: writes all the program's font files, "txt.shx", "fshz.fnt"
// with the GB2312 characters and "chineset.shx", with the notices their fonts' licences ask
// to travel with them: the ASCII forms from a Hershey ".jhf" font, the Chinese glyphs from
// an outline font.
//
// Use: corvane_make_chinese_fonts <font.jhf> <outline font> <its copyright file>
//                                 <its licence text> <program directory>
#include "cjk_outline/chinese_glyphs.h"
#include "hershey/hershey_to_shx.h"
#include "hershey/program_font_files.h"

#include <chrono>
#include <iostream>

namespace {

constexpr const char* kNoticeFile = "chinese-font-licence.txt";

std::string ChineseFontNotice(const std::filesystem::path& font, const std::string& familyName,
                              const std::string& copyright, const std::string& licence)
{
    return "The Chinese glyphs of the font file \"fshz.fnt\" and the font file \"chineset.shx\" are\n"
           "converted from the outline font \"" + font.filename().string() + "\" (" + familyName +
           "),\nand are distributed under that font's licence, which follows with its copyright notice.\n\n" +
           copyright + "\n\n" + licence;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::cerr << "use: corvane_make_chinese_fonts <font.jhf> <outline font> <copyright file> <licence text> "
                     "<program directory>\n";
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    const std::filesystem::path hersheyFont = argv[1];
    const std::filesystem::path outlineFont = argv[2];
    const std::filesystem::path dir = argv[5];
    std::string jhf, copyright, licence;
    for (auto [path, text] : {std::pair{argv[1], &jhf}, {argv[3], &copyright}, {argv[4], &licence}}) {
        if (!hershey::ReadWholeFile(path, *text)) {
            std::cerr << "corvane_make_chinese_fonts: cannot read " << path << '\n';
            return 1;
        }
    }
    hershey::ProgramFonts fonts;
    std::string error;
    if (!hershey::MakeProgramFonts(jhf, "Hershey " + hersheyFont.stem().string(), fonts, error)) {
        std::cerr << "corvane_make_chinese_fonts: " << hersheyFont << ": " << error << '\n';
        return 1;
    }
    shx_font::ShxFontDef bigfont;
    cjk_outline::ChineseGlyphsMade made;
    if (!cjk_outline::AddChineseGlyphs(outlineFont.string(), fonts, bigfont, made, error)) {
        std::cerr << "corvane_make_chinese_fonts: " << outlineFont << ": " << error << '\n';
        return 1;
    }
    bool written =
        hershey::WriteProgramFile(dir, "txt.shx", shx_font::ShxFontBytes(fonts.shapes)) &&
        hershey::WriteProgramFile(dir, "fshz.fnt", shx_font::ShxFontBytes(fonts.fullWidth)) &&
        hershey::WriteProgramFile(dir, "chineset.shx", shx_font::ShxFontBytes(bigfont)) &&
        hershey::WriteProgramFile(dir, hershey::HersheyAcknowledgementFile, hershey::HersheyAcknowledgement(hersheyFont)) &&
        hershey::WriteProgramFile(dir, kNoticeFile, ChineseFontNotice(outlineFont, bigfont.name, copyright, licence));
    if (!written) return 1;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    std::cout << "corvane_make_chinese_fonts: fshz.fnt " << fonts.fullWidth.glyphs.size() << " glyphs ("
              << made.labelGlyphs << " Chinese, " << made.labelPoints << " points), chineset.shx "
              << made.bigfontGlyphs << " glyphs (" << made.bigfontPoints << " points), largest glyph "
              << made.mostPoints << " points, " << made.missing.size() << " GB2312 codes without a glyph, "
              << ms.count() << " ms\n";
    return 0;
}
