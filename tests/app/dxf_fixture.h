// Helpers of the DXF tests: drawings from entity records, fonts, and reading the import.
#pragma once

#include "app/dxf_import.h"
#include "fonts/plot_font_lib.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "support/dxf_writer.h"
#include "support/shx_font_writer.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace dxf_test {

using corvane_test::DxfWriter;
using Records = std::function<void(DxfWriter&)>;

// A drawing: optional header and layer records, optional blocks, then the entities.
struct Drawing {
    Records header = nullptr;
    Records layers = nullptr;
    Records blocks = nullptr;
    Records entities = nullptr;
};

inline DxfWriter Write(const Drawing& d)
{
    DxfWriter w;
    if (d.header) {
        w.Section("HEADER");
        d.header(w);
        w.EndSection();
    }
    if (d.layers) {
        w.Section("TABLES").Text(0, "TABLE").Text(2, "LAYER");
        d.layers(w);
        w.Text(0, "ENDTAB").EndSection();
    }
    if (d.blocks) {
        w.Section("BLOCKS");
        d.blocks(w);
        w.EndSection();
    }
    w.Section("ENTITIES");
    if (d.entities) d.entities(w);
    w.EndSection().Eof();
    return w;
}

inline void Layer(DxfWriter& w, const std::string& name, int colour)
{
    w.Text(0, "LAYER").Text(2, name).Number(70, 0).Number(62, colour).Text(6, "CONTINUOUS");
}

inline void Line(DxfWriter& w, double x1, double y1, double x2, double y2, int colour, const std::string& layer = "0")
{
    w.Text(0, "LINE").Text(8, layer).Number(62, colour).Number(10, x1).Number(20, y1).Number(30, 0)
        .Number(11, x2).Number(21, y2).Number(31, 0);
}

inline void Circle(DxfWriter& w, double x, double y, double r, int colour, const std::string& layer = "0")
{
    w.Text(0, "CIRCLE").Text(8, layer).Number(62, colour).Number(10, x).Number(20, y).Number(30, 0).Number(40, r);
}

inline void Arc(DxfWriter& w, double x, double y, double r, double a0, double a1, int colour)
{
    w.Text(0, "ARC").Text(8, "0").Number(62, colour).Number(10, x).Number(20, y).Number(30, 0).Number(40, r)
        .Number(50, a0).Number(51, a1);
}

// An LWPOLYLINE of (x, y, bulge) vertices.
inline void LwPolyline(DxfWriter& w, const std::vector<std::array<double, 3>>& v, bool closed, int colour)
{
    w.Text(0, "LWPOLYLINE").Text(8, "0").Number(62, colour).Number(90, static_cast<double>(v.size()))
        .Number(70, closed ? 1 : 0);
    for (const auto& p : v) w.Number(10, p[0]).Number(20, p[1]).Number(42, p[2]);
}

inline void Block(DxfWriter& w, const std::string& name, const Records& entities)
{
    w.Text(0, "BLOCK").Text(8, "0").Text(2, name).Number(70, 0).Number(10, 0).Number(20, 0).Number(30, 0).Text(3, name);
    entities(w);
    w.Text(0, "ENDBLK").Text(8, "0");
}

inline void Insert(DxfWriter& w, const std::string& block, double x, double y, int colour, double scale = 1.0)
{
    w.Text(0, "INSERT").Text(8, "0").Number(62, colour).Text(2, block).Number(10, x).Number(20, y).Number(30, 0)
        .Number(41, scale).Number(42, scale).Number(43, scale).Number(50, 0);
}

inline void Text(DxfWriter& w, const std::string& bytes, double height)
{
    w.Text(0, "TEXT").Text(8, "0").Number(62, 1).Number(10, 0).Number(20, 0).Number(30, 0).Number(40, height)
        .Text(1, bytes).Number(50, 0).Number(41, 1);
}

inline void MText(DxfWriter& w, const std::string& bytes, double height, int attachment, double x = 0, double y = 0)
{
    w.Text(0, "MTEXT").Text(8, "0").Number(62, 1).Number(10, x).Number(20, y).Number(30, 0).Number(40, height)
        .Number(71, attachment).Text(1, bytes).Number(50, 0);
}

// Imports bytes written to a scratch file; the result of ImportDxfDwgToShapes.
inline int ImportBytes(const std::string& bytes, PlotShapeList& out, const std::string& name = "drawing.dxf")
{
    std::string path = corvane_test::ScratchDir() + name;
    EXPECT_TRUE(corvane_test::WriteFile(path, bytes));
    return ImportDxfDwgToShapes(CString::FromUtf8(path).GetString(), out);
}

inline std::vector<PlotShape*> ShapesOf(const PlotShapeList& list)
{
    std::vector<PlotShape*> out;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) out.push_back(s);
    return out;
}

// Writes the global fonts into the program directory and loads them; removes and reloads
// them (empty) at the end of the test.
class ScopedFonts {
public:
    ScopedFonts(const corvane_test::ShxFontDef& single, const corvane_test::ShxFontDef* big = nullptr)
    {
        EXPECT_TRUE(corvane_test::WriteShxFont(corvane_test::ProgramDir() + "fshz.fnt", single));
        if (big) {
            EXPECT_TRUE(corvane_test::WriteShxFont(corvane_test::ProgramDir() + "chineset.shx", *big));
        }
        Reload();
    }
    ~ScopedFonts()
    {
        for (const char* name : {"fshz.fnt", "chineset.shx"}) std::filesystem::remove(corvane_test::ProgramDir() + name);
        Reload();
    }

private:
    static void Reload()
    {
        PlotFontLib::LoadGlobalFontLib();
        PlotFontLibArray::GetGlobalFontLib()->LoadGlobalFontLib();
    }
};

// A bigfont of two-unit glyphs: each number draws count strokes, so glyphs can be told apart
// by their sub-polylines.
inline corvane_test::ShxFontDef GlyphFont(const std::vector<std::pair<uint16_t, int>>& glyphs)
{
    corvane_test::ShxFontDef def;
    def.kind = corvane_test::ShxFontKind::Bigfont;
    for (auto [number, strokes] : glyphs) {
        std::vector<int> code;
        for (int k = 0; k < strokes; ++k) {
            if (k > 0) code.insert(code.end(), {2, 0x10, 1});  // pen up, one unit east, pen down
            code.push_back(0x24);
        }
        std::string bytes;
        for (int c : code) bytes += static_cast<char>(c);
        def.glyphs.push_back({number, bytes, ""});
    }
    return def;
}

}  // namespace dxf_test
