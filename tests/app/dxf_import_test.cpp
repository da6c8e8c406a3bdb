// DXF import: entity conversion, colours, blocks, text bytes, encodings and hostile input.
#include "dxf_fixture.h"

#include "app/config_globals.h"
#include "fonts/plot_char.h"
#include "support/recording_message_sink.h"

#include <cmath>

using namespace dxf_test;

namespace {

// The sub-polylines the font lays out for the given codes.
template <class Font>
int PlotsOf(const Font& font, const std::string& codes)
{
    PlotChar glyphs;
    font.FindPlotString(CStringA(codes), glyphs);
    return glyphs.GetPlNum();
}

// Imports a drawing written as ASCII; the shapes made.
std::vector<PlotShape*> Import(const Drawing& d, PlotShapeList& out)
{
    EXPECT_EQ(ImportBytes(Write(d).Ascii(), out), 1);
    return ShapesOf(out);
}

TEST(DxfImport, LineBecomesOneShapeInPlotterUnitsWithItsColour)
{
    PlotShapeList out;
    auto shapes = Import({.entities = [](DxfWriter& w) { Line(w, 0, 0, 10, 5, 3); }}, out);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0]->GetTolPtNum(), 2);
    EXPECT_EQ(shapes[0]->Point(0).x, 0.0f);
    EXPECT_EQ(shapes[0]->Point(1).x, 400.0f);
    EXPECT_EQ(shapes[0]->Point(1).y, 200.0f);
    EXPECT_EQ(shapes[0]->GetPenIndex(), 3);
}

TEST(DxfImport, PensComeFromEntityOrLayerColours)
{
    struct Case {
        const char* name;
        int colour;
        const char* layer;
        int pen;
    } cases[] = {
        {"own colour", 7, "RED", 7},   {"by layer", 256, "RED", 1}, {"missing layer", 256, "NONE", 8},
        {"colour 40", 40, "RED", 8},   {"by block outside a block", 0, "RED", 8},
        {"layer colour past 16 bits", 256, "HUGE", 8},
    };
    for (const Case& c : cases) {
        PlotShapeList out;
        auto shapes = Import({.layers = [](DxfWriter& w) { Layer(w, "RED", 1); Layer(w, "HUGE", 99999); },
                              .entities = [&](DxfWriter& w) { Circle(w, 0, 0, 10, c.colour, c.layer); }},
                             out);
        ASSERT_EQ(shapes.size(), 1u) << c.name;
        EXPECT_EQ(shapes[0]->GetPenIndex(), c.pen) << c.name;
    }
    EXPECT_EQ(DxfEntityPenIndex(DRW_Line(), DxfDrawingData()), 256);
}

TEST(DxfImport, CurvesAreCutIntoChordsOfTheirTolerance)
{
    PlotShapeList out;
    auto shapes = Import({.entities = [](DxfWriter& w) {
                              Arc(w, 0, 0, 10, 0, 90, 1);
                              Circle(w, 0, 0, 10, 1);
                              LwPolyline(w, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, true, 1);
                              LwPolyline(w, {{0, 0, 1}, {10, 0, 0}}, false, 1);
                              LwPolyline(w, {{0, 0, 0.5}, {10, 0, 0}}, false, 1);
                              LwPolyline(w, {{3, 3, 1}, {3, 3, 0}}, false, 1);
                          }},
                         out);
    ASSERT_EQ(shapes.size(), 6u);
    EXPECT_EQ(shapes[0]->GetTolPtNum(), 19);
    EXPECT_NEAR(shapes[0]->End().x, 0.0f, 1e-3f);
    EXPECT_NEAR(shapes[0]->End().y, 400.0f, 1e-3f);
    EXPECT_EQ(shapes[1]->GetTolPtNum(), 73);
    ASSERT_EQ(shapes[2]->GetTolPtNum(), 5);
    EXPECT_EQ(shapes[2]->End().x, shapes[2]->Start().x);
    EXPECT_EQ(shapes[2]->End().y, shapes[2]->Start().y);
    ASSERT_EQ(shapes[3]->GetTolPtNum(), 26);
    for (int i = 0; i < 26; ++i) {
        CFloatPoint p = shapes[3]->Point(i);
        EXPECT_NEAR(std::hypot(p.x - 200.0f, p.y), 200.0f, 0.01f) << i;
        EXPECT_LE(p.y, 1e-3f) << i;
    }
    EXPECT_EQ(shapes[4]->GetTolPtNum(), 18);
    // Coinciding vertices with a bulge: a straight step to the second one.
    EXPECT_EQ(shapes[5]->GetTolPtNum(), 2);
}

TEST(DxfImport, BulgeRadiusFollowsTheIncludedAngle)
{
    PlotShape s;
    s.AddPointAtLastPl(0, 0);
    DRW_Vertex2D a(0, 0, 0.5), b(10, 0, 0);
    ASSERT_TRUE(AppendBulgeArc(s, a, b));
    // Radius 6.25 mm; the centre lies 3.75 mm from the chord's middle on the bulge's far side.
    for (int i = 0; i < s.GetTolPtNum(); ++i)
        EXPECT_NEAR(std::hypot(s.Point(i).x - 200.0f, s.Point(i).y - 150.0f), 250.0f, 0.01f) << i;
}

TEST(DxfImport, EllipseIsFlattenedAndMirroredByANegativeExtrusion)
{
    for (double z : {1.0, -1.0}) {
        PlotShapeList out;
        auto shapes = Import({.entities = [&](DxfWriter& w) {
                                  w.Text(0, "ELLIPSE").Text(8, "0").Number(62, 1).Number(10, 0).Number(20, 0).Number(30, 0)
                                      .Number(11, 10).Number(21, 0).Number(31, 0).Number(210, 0).Number(220, 0).Number(230, z)
                                      .Number(40, 0.5).Number(41, 0).Number(42, 0.5 * 3.141592653589793);
                              }},
                             out);
        ASSERT_EQ(shapes.size(), 1u);
        // A quarter: its end point is the minor axis' end, above for z 1 and below for z -1.
        EXPECT_NEAR(shapes[0]->End().y, z > 0 ? 200.0f : -200.0f, 0.01f);
    }
    PlotShapeList out;
    auto shapes = Import({.entities = [](DxfWriter& w) {
                              w.Text(0, "ELLIPSE").Text(8, "0").Number(62, 1).Number(10, 0).Number(20, 0).Number(30, 0)
                                  .Number(11, 10).Number(21, 0).Number(31, 0).Number(40, 0.5).Number(41, 0)
                                  .Number(42, 2 * 3.141592653589793);
                          }},
                         out);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0]->GetTolPtNum(), 224);
}

TEST(DxfImport, OnlyCubicSplinesAreConverted)
{
    auto spline = [](int degree) {
        return [degree](DxfWriter& w) {
            w.Text(0, "SPLINE").Text(8, "0").Number(62, 1).Number(70, 8).Number(71, degree).Number(72, 0).Number(73, 4).Number(74, 0);
            for (auto [x, y] : {std::pair{0.0, 0.0}, {10.0, 10.0}, {20.0, -10.0}, {30.0, 0.0}})
                w.Number(10, x).Number(20, y).Number(30, 0);
        };
    };
    PlotShapeList cubic, quadratic;
    auto shapes = Import({.entities = spline(3)}, cubic);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_GT(shapes[0]->GetTolPtNum(), 4);
    EXPECT_NEAR(shapes[0]->End().x, 1200.0f, 0.01f);
    EXPECT_TRUE(Import({.entities = spline(2)}, quadratic).empty());
}

TEST(DxfImport, InsertsMoveTheirBlockAndGiveItsByBlockShapesTheirColour)
{
    PlotShapeList out;
    auto shapes = Import({.blocks = [](DxfWriter& w) { Block(w, "B", [](DxfWriter& b) { Line(b, 0, 0, 1, 0, 0); }); },
                          .entities = [](DxfWriter& w) { Insert(w, "B", 5, 5, 5, 2.0); }},
                         out);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0]->GetPenIndex(), 5);
    EXPECT_EQ(shapes[0]->Start().x, 200.0f);
    EXPECT_EQ(shapes[0]->End().x, 240.0f);  // scale is not applied
}

TEST(DxfImport, InsertionCyclesDeepNestingAndFanOutFailTheImport)
{
    // Block Bk inserts Bk+1; the last one holds a line.
    auto chain = [](int depth) {
        return [depth](DxfWriter& w) {
            for (int k = 0; k < depth; ++k)
                Block(w, "B" + std::to_string(k), [k, depth](DxfWriter& b) {
                    if (k + 1 < depth) {
                        Insert(b, "B" + std::to_string(k + 1), 0, 0, 1);
                    } else {
                        Line(b, 0, 0, 1, 1, 1);
                    }
                });
        };
    };
    struct Case {
        const char* name;
        Records blocks;
        int result;
    } cases[] = {
        {"self insertion", [](DxfWriter& w) { Block(w, "B0", [](DxfWriter& b) { Insert(b, "B0", 0, 0, 1); }); }, 0},
        {"cycle of two",
         [](DxfWriter& w) {
             Block(w, "B0", [](DxfWriter& b) { Insert(b, "B1", 0, 0, 1); });
             Block(w, "B1", [](DxfWriter& b) { Insert(b, "B0", 0, 0, 1); });
         },
         0},
        {"nesting 64", chain(64), 1},
        {"nesting 65", chain(65), 0},
        // Twelve levels of sixteen insertions of the next: 16^12 conversions.
        {"fan-out",
         [](DxfWriter& w) {
             for (int k = 0; k < 12; ++k)
                 Block(w, "B" + std::to_string(k), [k](DxfWriter& b) {
                     for (int i = 0; i < 16; ++i) Insert(b, "B" + std::to_string(k + 1), 0, 0, 1);
                 });
             Block(w, "B12", [](DxfWriter&) {});
         },
         0},
    };
    for (const Case& c : cases) {
        PlotShapeList out;
        out.AddTail(new PlotShape());
        Drawing d{.blocks = c.blocks, .entities = [](DxfWriter& w) { Insert(w, "B0", 0, 0, 1); }};
        EXPECT_EQ(ImportBytes(Write(d).Ascii(), out), c.result) << c.name;
        EXPECT_EQ(out.Count(), 1 + c.result) << c.name;
    }
}

// Entities read back from binary DXF equal those read from ASCII, point for point.
TEST(DxfImport, AsciiAndBinaryFilesGiveIdenticalShapes)
{
    ScopedFonts fonts(GlyphFont({{0xA3C1, 1}, {0xA3C2, 2}}));
    Drawing d{
        .layers = [](DxfWriter& w) { Layer(w, "L", 4); },
        .blocks = [](DxfWriter& w) { Block(w, "B", [](DxfWriter& b) { Circle(b, 1, 1, 2, 0); }); },
        .entities =
            [](DxfWriter& w) {
                Line(w, -5, 2, 10, 5.25, 3);
                Circle(w, 20, 20, 5, 256, "L");
                Arc(w, 1, 2, 7, 30, 300, 2);
                LwPolyline(w, {{0, 0, 0.3}, {10, 1, -0.7}, {5, 9, 0}}, true, 6);
                w.Text(0, "ELLIPSE").Text(8, "0").Number(62, 9).Number(10, 3).Number(20, 4).Number(30, 0).Number(11, 6)
                    .Number(21, 8).Number(31, 0).Number(40, 0.3).Number(41, 0.5).Number(42, 5);
                w.Text(0, "POLYLINE").Text(8, "0").Number(62, 11).Number(66, 1).Number(10, 0).Number(20, 0).Number(30, 0).Number(70, 1);
                for (auto [x, y, b] : {std::tuple{0.0, 0.0, 0.2}, {4.0, 0.0, 0.0}, {4.0, 4.0, 0.0}})
                    w.Text(0, "VERTEX").Text(8, "0").Number(10, x).Number(20, y).Number(30, 0).Number(42, b);
                w.Text(0, "SEQEND").Text(8, "0");
                w.Text(0, "SPLINE").Text(8, "0").Number(62, 10).Number(70, 8).Number(71, 3).Number(72, 0).Number(73, 5).Number(74, 0);
                for (auto [x, y] : {std::pair{0.0, 0.0}, {3.0, 7.0}, {9.0, -2.0}, {12.0, 4.0}, {20.0, 1.0}})
                    w.Number(10, x).Number(20, y).Number(30, 0);
                Insert(w, "B", 30, 1, 12);
                Text(w, "AB", 2.5);
                MText(w, "A\\PB", 2.5, 5, 4, 4);
            },
    };
    DxfWriter w = Write(d);
    PlotShapeList ascii, binary;
    ASSERT_EQ(ImportBytes(w.Ascii(), ascii, "a.dxf"), 1);
    ASSERT_EQ(ImportBytes(w.Binary(), binary, "b.dxf"), 1);
    auto a = ShapesOf(ascii), b = ShapesOf(binary);
    ASSERT_EQ(a.size(), 11u);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i]->GetPenIndex(), b[i]->GetPenIndex()) << i;
        ASSERT_EQ(a[i]->GetTolPtNum(), b[i]->GetTolPtNum()) << i;
        ASSERT_GT(a[i]->GetTolPtNum(), 0) << i;
        for (int k = 0; k < a[i]->GetTolPtNum(); ++k) {
            EXPECT_EQ(a[i]->Point(k).x, b[i]->Point(k).x) << i << " " << k;
            EXPECT_EQ(a[i]->Point(k).y, b[i]->Point(k).y) << i << " " << k;
        }
    }
}

// A TEXT of "中文" in every way a file may store it lays out the same two GBK glyphs.
TEST(DxfImport, TextBytesAreRestoredFromTheFileEncoding)
{
    ScopedFonts fonts(GlyphFont({{0xD6D0, 1}, {0xCEC4, 2}, {0xB8F6, 3}}));
    const std::string gbk = "\xD6\xD0\xCE\xC4";
    const std::string utf8 = "\xE4\xB8\xAD\xE6\x96\x87";
    auto header = [](const char* version, const char* page) {
        return [=](DxfWriter& w) {
            w.Text(9, "$ACADVER").Text(1, version);
            if (page) w.Text(9, "$DWGCODEPAGE").Text(3, page);
        };
    };
    struct Case {
        const char* name;
        Records header;
        std::string bytes;
        std::string glyphs;  // the codes expected to be laid out
    } cases[] = {
        {"declared ANSI_936", header("AC1015", "ANSI_936"), gbk, gbk},
        {"undeclared page", header("AC1015", nullptr), gbk, gbk},
        {"no header", nullptr, gbk, gbk},
        {"UTF-8 from AC1021", header("AC1021", "ANSI_1252"), utf8, gbk},
        {"个 under ANSI_936", header("AC1015", "ANSI_936"), "\xB8\xF6", "\xB8\xF6"},
        {"0xFF byte under ANSI_936", header("AC1015", "ANSI_936"), "\xFF\xFF", ""},
    };
    for (const Case& c : cases) {
        PlotShapeList out;
        ASSERT_EQ(ImportBytes(Write({.header = c.header, .entities = [&](DxfWriter& w) { Text(w, c.bytes, 3); }}).Ascii(), out), 1) << c.name;
        auto shapes = ShapesOf(out);
        if (c.glyphs.empty()) {
            EXPECT_TRUE(shapes.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(shapes.size(), 1u) << c.name;
        EXPECT_EQ(shapes[0]->GetPlNum(), PlotsOf(*PlotFontLib::GetGlobalFontLib(), c.glyphs)) << c.name;
        // The font's box, as high as its tallest glyph, is drawn 3 mm x 1.2 high.
        EXPECT_LE(shapes[0]->GetArea().Height(), 3 * 1.2 * 40 + 1) << c.name;
    }
}

TEST(DxfImport, BigfontLayoutTakesCodePage950)
{
    corvane_test::ShxFontDef big = GlyphFont({{0xA4A4, 1}, {0xA4E5, 2}});
    ScopedFonts fonts(GlyphFont({}), &big);
    glFontLibType = 1;
    PlotShapeList out;
    int result = ImportBytes(Write({.entities = [](DxfWriter& w) { Text(w, "\xD6\xD0\xCE\xC4", 3); }}).Ascii(), out);
    glFontLibType = 0;
    ASSERT_EQ(result, 1);
    auto shapes = ShapesOf(out);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0]->GetPlNum(), PlotsOf(*PlotFontLibArray::GetGlobalFontLib(), "\xA4\xA4\xA4\xE5"));
}

TEST(DxfImport, TextWithoutFontsMakesNoShape)
{
    PlotShapeList out;
    EXPECT_EQ(ImportBytes(Write({.entities = [](DxfWriter& w) { Text(w, "AB", 3); MText(w, "AB", 3, 1); }}).Ascii(), out), 1);
    EXPECT_EQ(out.Count(), 0);
}

TEST(DxfImport, BadFilesFailAndLeaveTheListAlone)
{
    DxfWriter good = Write({.entities = [](DxfWriter& w) { Line(w, 0, 0, 10, 5, 3); Circle(w, 0, 0, 1, 2); }});
    std::string ascii = good.Ascii(), binary = good.Binary();
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"garbage", "\x01\x02 not a drawing \xFF\n\n"},
        {"truncated mid-entity", ascii.substr(0, ascii.find("CIRCLE") + 12)},
        {"truncated before EOF", ascii.substr(0, ascii.rfind("EOF") - 2)},
        {"truncated binary", binary.substr(0, binary.size() / 2)},
    };
    for (const Case& c : cases) {
        PlotShapeList out;
        out.AddTail(new PlotShape());
        EXPECT_EQ(ImportBytes(c.bytes, out), 0) << c.name;
        EXPECT_EQ(out.Count(), 1) << c.name;
    }
    PlotShapeList out;
    EXPECT_EQ(ImportDxfDwgToShapes(CString::FromUtf8(corvane_test::ScratchDir() + "missing.dxf").GetString(), out), 0);
    EXPECT_EQ(ImportDxfDwgToShapes(CString::FromUtf8(corvane_test::ScratchDir()).GetString(), out), 0);
}

// Hostile values are dropped entity by entity; the rest of the drawing still loads.
TEST(DxfImport, HostileEntitiesGiveNothingAndTheRestLoads)
{
    const double nan = std::nan(""), inf = INFINITY;
    struct Case {
        const char* name;
        Records entity;
        bool binaryOnly;
    } cases[] = {
        {"radius 1e30", [](DxfWriter& w) { Circle(w, 0, 0, 1e30, 1); Arc(w, 0, 0, 1e30, 0, 90, 1); }, false},
        {"negative radius", [](DxfWriter& w) { Arc(w, 0, 0, -5, 0, 90, 1); Circle(w, 0, 0, -5, 1); }, false},
        {"bulge 1e300", [](DxfWriter& w) { LwPolyline(w, {{0, 0, 1e300}, {10, 0, 0}}, false, 1); }, false},
        {"ellipse ratio 0", [](DxfWriter& w) {
             w.Text(0, "ELLIPSE").Text(8, "0").Number(10, 0).Number(20, 0).Number(11, 1).Number(21, 0).Number(40, 0).Number(41, 0).Number(42, 6);
         }, false},
        {"NaN line", [=](DxfWriter& w) { Line(w, nan, 0, 1, 1, 1); }, true},
        {"infinite circle", [=](DxfWriter& w) { Circle(w, inf, 0, 1, 1); }, true},
        {"lying vertex count", [](DxfWriter& w) {
             w.Text(0, "LWPOLYLINE").Text(8, "0").Number(90, 2147483647).Number(70, 0).Number(10, 0).Number(20, 0).Number(42, 0);
         }, false},
        {"negative vertex count", [](DxfWriter& w) {
             w.Text(0, "LWPOLYLINE").Text(8, "0").Number(90, -5).Number(70, 0).Number(10, 0).Number(20, 0);
         }, false},
        {"hatch edge type before loop", [](DxfWriter& w) {
             w.Text(0, "HATCH").Text(8, "0").Number(72, 1).Number(91, 1).Number(92, 2).Number(72, 1).Number(73, 1).Number(93, 0);
         }, false},
        {"space code -65", [](DxfWriter& w) { w.Text(0, "POINT").Text(8, "0").Number(67, -65).Number(10, 0).Number(20, 0); }, false},
        {"text alignment 99", [](DxfWriter& w) {
             w.Text(0, "TEXT").Text(8, "0").Number(10, 0).Number(20, 0).Number(40, 1).Text(1, "A").Number(72, 99).Number(73, -4);
         }, false},
    };
    for (const Case& c : cases) {
        DxfWriter w = Write({.header = [](DxfWriter& h) { h.Text(9, "$ACADVER").Text(1, "AC1015").Text(9, "$ACADVER").Text(1, "AC1015"); },
                             .entities = [&](DxfWriter& e) { c.entity(e); Line(e, 0, 0, 10, 5, 3); }});
        for (bool binary : {false, true}) {
            if (c.binaryOnly && !binary) continue;
            PlotShapeList out;
            int result = ImportBytes(binary ? w.Binary() : w.Ascii(), out);
            // A drawing the reader rejects fails as a whole; one it reads keeps the line.
            if (result == 1) {
                ASSERT_GE(out.Count(), 1) << c.name << (binary ? " binary" : " ascii");
                PlotShape* last = ShapesOf(out).back();
                EXPECT_EQ(last->GetPenIndex(), 3) << c.name;
                EXPECT_EQ(last->GetTolPtNum(), 2) << c.name;
                if (std::string(c.name) != "lying vertex count") {
                    EXPECT_EQ(out.Count(), 1) << c.name;
                }
            } else {
                EXPECT_EQ(out.Count(), 0) << c.name;
            }
        }
    }
}

TEST(DxfImport, ChordCountsAreBoundedAndFinite)
{
    EXPECT_EQ(DxfChordCount(1.5707963267948966, std::sqrt(3.2 / 400)), 18);
    EXPECT_EQ(DxfChordCount(0.0, 1.0), 2);
    EXPECT_EQ(DxfChordCount(1.0, std::nan("")), 0);
    EXPECT_EQ(DxfChordCount(std::nan(""), 1.0), 0);
    EXPECT_EQ(DxfChordCount(1.0, 1.0 / 65536.0), 65536);
    EXPECT_EQ(DxfChordCount(1.0, 1.0 / 65537.0), 0);
}

TEST(DxfImport, ANameWithoutAnEightBitFormIsRefusedWithAMessage)
{
    corvane_test::RecordingMessageSink sink;
    PlotShapeList out;
    std::u16string name = u"a\xD800.dxf";
    EXPECT_EQ(ImportDxfDwgToShapes(name.c_str(), out), 0);
    ASSERT_EQ(sink.Shown().size(), 1u);
    EXPECT_EQ(sink.Shown()[0].text, u"The file name contains unknown characters, filed to open the file!");
    EXPECT_EQ(sink.Shown()[0].caption, u"");
}

}  // namespace
