// The HPGL explainer: shapes from small HPGL fixtures, read whole and in pieces.
#include "hpgl/hpgl_stream_explainer.h"

#include "fonts/plot_font_lib.h"
#include "platform/settings_store.h"
#include "support/fake_clock.h"
#include "support/shx_font_writer.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Polyline = std::vector<std::pair<float, float>>;

struct Shape {
    int pen = 0;
    int lineType = 0;
    unsigned pattern = 0;
    std::vector<Polyline> polylines;
};

std::vector<Shape> ShapesOf(const PlotShapeList& list)
{
    std::vector<Shape> out;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
        Shape shape{s->GetPenIndex(), s->GetLineType(), s->GetPatternIndex(), {}};
        for (int pl = 0; pl < s->GetPlNum(); ++pl) {
            int32_t count = 0;
            const float* p = s->GetPl(pl, count);
            Polyline line;
            for (int32_t i = 0; i < count; ++i) line.emplace_back(p[2 * i], p[2 * i + 1]);
            shape.polylines.push_back(line);
        }
        out.push_back(shape);
    }
    return out;
}

// Every shape as one line of text, exact to the last bit, for comparing whole conversions.
std::vector<std::string> Described(const std::vector<Shape>& shapes)
{
    std::vector<std::string> out;
    for (const Shape& s : shapes) {
        std::string text = "pen " + std::to_string(s.pen) + " lt " + std::to_string(s.lineType) + " pi " + std::to_string(s.pattern);
        for (const Polyline& line : s.polylines) {
            text += " |";
            char number[64];
            for (auto [x, y] : line) {
                std::snprintf(number, sizeof number, " %a,%a", x, y);
                text += number;
            }
        }
        out.push_back(text);
    }
    return out;
}

std::vector<Shape> Explain(const std::string& hpgl, CArea* bounds = nullptr)
{
    HpglStreamExplainer explainer;
    explainer.AppendData(reinterpret_cast<const unsigned char*>(hpgl.data()), static_cast<int>(hpgl.size()));
    PlotShapeList list;
    explainer.Transform(list);
    if (bounds) *bounds = list.GetArea();
    return ShapesOf(list);
}

Polyline Line(std::initializer_list<std::pair<float, float>> points) { return Polyline(points); }

// A font for the global library: "A" (0xA3C1) is a hook from (0,0) to (2,0) to (2,2).
void LoadTestFont()
{
    corvane_test::ShxFontDef font;
    font.kind = corvane_test::ShxFontKind::Bigfont;
    font.glyphs = {{0xA3C1, corvane_test::ShxCode({0x20, 0x24}), ""}, {0xA3C2, corvane_test::ShxCode({0x24}), ""}};
    ASSERT_TRUE(corvane_test::WriteShxFont(corvane_test::ProgramDir() + "fshz.fnt", font));
    PlotFontLib::LoadGlobalFontLib();
    ASSERT_EQ(PlotFontLib::GetGlobalFontLib()->GetCount(), 2);
}

// Empties the global font again, so that no later test sees it.
struct FontScope {
    FontScope() { LoadTestFont(); }
    ~FontScope()
    {
        std::remove((corvane_test::ProgramDir() + "fshz.fnt").c_str());
        PlotFontLib::LoadGlobalFontLib();
    }
};

TEST(HpglStreamExplainer, PenRunsBecomeShapes)
{
    struct Case {
        const char* name;
        const char* hpgl;
        std::vector<std::vector<Polyline>> shapes;
    } cases[] = {
        {"two runs", "PU0,0;PD100,0,100,100;PU200,200;PD300,300;",
         {{Line({{0, 0}, {100, 0}, {100, 100}})}, {Line({{200, 200}, {300, 300}})}}},
        {"drawing to the pen adds no point", "PU10,10;PD10,10,20,10,20,10;", {{Line({{10, 10}, {20, 10}})}}},
        {"a lifted pen ends the run at the next line", "PD10,0;PU;PD20,0;PU30,0;PD40,0;",
         {{Line({{0, 0}, {10, 0}, {20, 0}})}, {Line({{30, 0}, {40, 0}})}}},
        {"relative and absolute", "PU10,10;PR;PD5,0,0,5;PA;PD0,0;PR10,0;PU;PR0,10;PD;PA50,50;",
         {{Line({{10, 10}, {15, 10}, {15, 15}, {0, 0}, {10, 0}})}, {Line({{10, 10}, {50, 50}})}}},
        {"lone D and U, any case", "u5,5;d15,5;pu;Pd15,15;", {{Line({{5, 5}, {15, 5}, {15, 15}})}}},
        {"a final pair cut off by the end is lost", "PD10,0;PD20,0", {{Line({{0, 0}, {10, 0}})}}},
        {"coordinates beyond the float range are dropped",
         "PD10,0,1" "000000000000000000000000000000000000000000,5,20,0;", {{Line({{0, 0}, {10, 0}, {20, 0}})}}},
    };
    for (const Case& c : cases) {
        std::vector<Shape> shapes = Explain(c.hpgl);
        ASSERT_EQ(shapes.size(), c.shapes.size()) << c.name;
        for (size_t i = 0; i < shapes.size(); ++i) {
            EXPECT_EQ(shapes[i].polylines, c.shapes[i]) << c.name << " shape " << i;
            EXPECT_EQ(shapes[i].pen, 1) << c.name;
            EXPECT_EQ(shapes[i].lineType, 1) << c.name;
        }
    }
}

TEST(HpglStreamExplainer, PenLineTypeAndPatternChangesSplitRuns)
{
    std::vector<Shape> shapes = Explain("PU0,0;PD10,0;SP2;PD20,0;SP2;PD30,0;LT;PD40,0;LT3;PD50,0;PI7;PD60,0;SP99999;PD70,0;");
    ASSERT_EQ(shapes.size(), 5u);
    EXPECT_EQ(shapes[0].polylines, std::vector<Polyline>{Line({{0, 0}, {10, 0}})});
    EXPECT_EQ(shapes[0].pen, 1);
    EXPECT_EQ(shapes[1].polylines, std::vector<Polyline>{Line({{10, 0}, {20, 0}, {30, 0}, {40, 0}})});
    EXPECT_EQ(shapes[1].pen, 2);
    EXPECT_EQ(shapes[1].lineType, 1);  // "LT;" is line type 1, as before
    EXPECT_EQ(shapes[2].lineType, 3);
    EXPECT_EQ(shapes[2].pattern, 0u);
    EXPECT_EQ(shapes[3].pattern, 7u);
    // A pen number beyond 16 bits is held at the largest pen, never a negative marker value.
    EXPECT_EQ(shapes[4].pen, 32767);
}

TEST(HpglStreamExplainer, CirclesAndArcsAreShapesOfTheirOwn)
{
    std::vector<Shape> shapes = Explain("PU100,100;PD200,100;CI40;PD300,100;");
    ASSERT_EQ(shapes.size(), 2u);
    const Polyline& circle = shapes[0].polylines.at(0);
    ASSERT_EQ(circle.size(), 17u);  // four chords per quarter at least
    EXPECT_EQ(circle.front(), circle.back());
    EXPECT_EQ(circle.front(), std::make_pair(240.0f, 100.0f));
    for (auto [x, y] : circle) EXPECT_NEAR(std::hypot(x - 200.0, y - 100.0), 40.0, 1e-3);
    EXPECT_EQ(shapes[1].polylines.at(0), Line({{100, 100}, {200, 100}, {300, 100}}));

    // A large circle gets chords of about a millimetre.
    shapes = Explain("CI4000;");
    EXPECT_EQ(shapes.at(0).polylines.at(0).size(), 4u * 158u + 1u);

    // An arc of 90 degrees from the pen; the open run is added after it.
    shapes = Explain("PU0,0;PD100,0;AA0,0,90;PD0,50;");
    ASSERT_EQ(shapes.size(), 3u);
    const Polyline& arc = shapes[0].polylines.at(0);
    ASSERT_EQ(arc.size(), 5u);  // trunc((π/2) · 100 / 40) + 1 chords
    EXPECT_EQ(arc.front(), std::make_pair(100.0f, 0.0f));
    EXPECT_NEAR(arc.back().first, 0.0, 1e-3);
    EXPECT_NEAR(arc.back().second, 100.0, 1e-3);
    EXPECT_EQ(shapes[1].polylines.at(0), Line({{0, 0}, {100, 0}}));
    EXPECT_NEAR(shapes[2].polylines.at(0).front().second, 100.0, 1e-3);

    // No sweep: the pen position twice. AR takes its centre relative to the pen.
    shapes = Explain("PU100,0;AA0,0,0;PU0,0;AR0,50,-180;");
    ASSERT_EQ(shapes.size(), 2u);
    ASSERT_EQ(shapes[0].polylines.at(0).size(), 2u);
    for (auto [x, y] : shapes[0].polylines[0]) {
        EXPECT_NEAR(x, 100.0, 1e-3);
        EXPECT_NEAR(y, 0.0, 1e-3);
    }
    EXPECT_NEAR(shapes[1].polylines.at(0).back().second, 100.0, 1e-3);
    // Clockwise from the bottom of the circle: the first chord ends on its left.
    EXPECT_NEAR(shapes[1].polylines[0][1].first, -50.0 * std::sin(3.14159265 / 4), 1e-3);
}

TEST(HpglStreamExplainer, WildCirclesAndArcsAreCappedOrDropped)
{
    std::vector<Shape> shapes = Explain("CI1000000000000;CI-5;CI0;CI" + std::string(60, '9') + ";AA0,0," +
                                        std::string(60, '9') + ";PU10,0;AA0,0,1000000000000;AA1,1,1e5;PD20,0;");
    // The capped circle, the capped arc, the small arc and the run.
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_EQ(shapes[0].polylines.at(0).size(), 4u * 16384u + 1u);
    EXPECT_EQ(shapes[1].polylines.at(0).size(), 65537u);
    EXPECT_EQ(shapes[2].polylines.at(0).size(), 2u);
    for (const Shape& s : shapes)
        for (auto [x, y] : s.polylines.at(0)) ASSERT_TRUE(std::isfinite(x) && std::isfinite(y));
}

TEST(HpglStreamExplainer, PagesShiftLaterShapesRight)
{
    CArea bounds;
    std::vector<Shape> shapes = Explain("PD1000,0,1000,300;PG;PU0,0;PD0,500;CI10;PG;PD10,0;", &bounds);
    ASSERT_EQ(shapes.size(), 4u);
    // The circle about (0, 500) is added at once, before the open run; both move by 1000.
    EXPECT_EQ(shapes[1].polylines.at(0).front(), std::make_pair(1010.0f, 500.0f));
    EXPECT_EQ(shapes[2].polylines.at(0), Line({{1000, 0}, {1000, 500}}));
    // The second page starts right of everything before it (x max 1010).
    EXPECT_EQ(shapes[3].polylines.at(0), Line({{1010, 500}, {1020, 0}}));
    EXPECT_EQ(bounds, CArea(0, 0, 1020, 510));
}

TEST(HpglStreamExplainer, LabelsAreDrawnInTheGlobalFont)
{
    // Without a font, labels make no shape (and nothing divides by an empty box).
    EXPECT_TRUE(Explain("PU10,10;LBAB\x03PD20,10;").size() == 1u);
    // A font whose box has no width cannot size a label either.
    corvane_test::ShxFontDef flat;
    flat.kind = corvane_test::ShxFontKind::Bigfont;
    flat.glyphs = {{0xA3C2, corvane_test::ShxCode({0x24}), ""}};
    ASSERT_TRUE(corvane_test::WriteShxFont(corvane_test::ProgramDir() + "fshz.fnt", flat));
    PlotFontLib::LoadGlobalFontLib();
    ASSERT_EQ(PlotFontLib::GetGlobalFontLib()->GetArea().xmax, 0);
    EXPECT_TRUE(Explain("LBBB\x03").empty());

    FontScope font;
    // The font box is 2 × 2 units: SI 0.4 × 0.5 cm scales by 80 × 100. The full-width glyph
    // sits 15 units up.
    std::vector<Shape> shapes = Explain("SI0.4,0.5;PU1000,1000;LBA\x03PD1000,0;");
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0].polylines.at(0), Line({{1000, 2500}, {1160, 2500}, {1160, 2700}}));
    EXPECT_EQ(shapes[1].polylines.at(0), Line({{1000, 1000}, {1000, 0}}));  // the pen did not move

    // The label scale of the settings, the direction, the terminator and a page offset.
    WriteProfileFloat(u"AutoPrint Settings", u"TextScale", 2.0f);
    shapes = Explain("PD100,0;PG;SI0.4,0.5;DI0,1;DT*;LBB*DI0,0;LBB*");
    ASSERT_EQ(shapes.size(), 3u);
    // "B" is an upright stroke (0,15)-(0,17), turned a quarter left to (-15,0)-(-17,0),
    // scaled by 160 × 200, moved to the pen (100, 0) and by the page offset 100.
    EXPECT_EQ(shapes[1].polylines.at(0), Line({{200 - 2400, 0}, {200 - 2720, 0}}));
    EXPECT_EQ(shapes[2].polylines.at(0), Line({{200, 3000}, {200, 3400}}));

    // Empty labels and labels of unknown characters make no shape.
    EXPECT_TRUE(Explain("LB\x03LBxyz\x03").empty());
}

TEST(HpglStreamExplainer, LoadsAndConvertsAJobFile)
{
    std::string path = corvane_test::ScratchDir() + "job.plt";
    ASSERT_TRUE(corvane_test::WriteFile(path, "IN;SP1;PU0,0;PD400,0,400,400;PU;SP0;"));
    HpglStreamExplainer explainer;
    ASSERT_EQ(explainer.LoadHpglFile(CString::FromUtf8(path)), 1);
    PlotShapeList list;
    explainer.Transform(list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetArea(), CArea(0, 0, 400, 400));
    // A loaded file is read once: its text is let go by its Transform, so a second one
    // appends nothing.
    EXPECT_EQ(explainer.GetLength(), 0);
    explainer.Transform(list);
    EXPECT_EQ(list.Count(), 1);

    HpglStreamExplainer empty;
    EXPECT_EQ(empty.LoadHpglFile(CString::FromUtf8(corvane_test::ScratchDir() + "none.plt")), 0);
    empty.Transform(list);
    EXPECT_EQ(list.Count(), 1);
}

TEST(HpglStreamExplainer, HostileFilesEndQuicklyAndSafely)
{
    std::string garbage;
    uint32_t seed = 99;
    for (int i = 0; i < 3000000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        garbage += static_cast<char>(seed >> 24);
    }
    Explain(garbage);
    std::string noSemicolon = "IN";
    while (noSemicolon.size() < 10000000) noSemicolon += "PD1,2,3,4 ";
    EXPECT_EQ(Explain(noSemicolon).size(), 1u);
    Explain("LB" + std::string(10000000, 'x'));
    Explain("SP" + std::string(10000000, '9'));
}

// The random splits of one text, as a producer would deliver them.
std::vector<std::string> Split(const std::string& text, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<std::string> pieces;
    for (size_t at = 0; at < text.size();) {
        size_t n = 1 + random() % (seed % 3 == 0 ? 3 : 40);
        pieces.push_back(text.substr(at, n));
        at += n;
    }
    return pieces;
}

TEST(HpglStreamExplainer, PiecesInAnySplitGiveTheShapesOfTheWholeFile)
{
    FontScope font;
    WriteProfileFloat(u"AutoPrint Settings", u"TextScale", 1.5f);
    const std::string body =
        "SP1;PU0,0;PD100,0,100,100,0,100;PU 200 , 200 ;PD300,300;SP2;PD400,300;LT2;PR10,10,-5,5;PA;"
        "CI40;AA300,300,90;AR-10,0,-45,5;PI3;D500,500;U600,600;pd700,600;SI0.3,0.4;DI1,1;LBAB\x03"
        "DT#;LBBA#DT;PG;PU0,0;PD0,1000,1000,1000;CI25.5,2;SP3;PD1,1.5,2.25,3.125;PU;PD9,9;PD5,5,1.5.5;";
    HpglStreamExplainer whole;
    whole.AppendData(reinterpret_cast<const unsigned char*>(body.data()), static_cast<int>(body.size()));
    PlotShapeList expected;
    whole.Transform(expected);
    ASSERT_GT(expected.Count(), 10);

    const std::string stream = "garbage before the first file;IN;" + body + "IN;";
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        HpglStreamExplainer streamed;
        for (std::string& piece : Split(stream, seed))
            streamed.ExplainerForCOM(reinterpret_cast<unsigned char*>(piece.data()), static_cast<int>(piece.size()));
        ASSERT_EQ(streamed.OutGetData(), 1) << seed;
        ASSERT_EQ(streamed.OutGetState(), HpglStreamExplainer::kFileComplete) << seed;
        PlotShapeList got;
        streamed.Out(got);
        ASSERT_EQ(Described(ShapesOf(got)), Described(ShapesOf(expected))) << "split seed " << seed;
    }
}

TEST(HpglStreamExplainer, CaptureDataMarksFilesByByteRuns)
{
    HpglStreamExplainer explainer;
    std::string start(8, '\x01'), end(12, '\x00');
    std::string data = "PD5,5;" + start + "IN;PU0,0;PD10,0;pd20,0;D30,0;" + end + "PD99,99;" + start + "PD1,1;";
    for (std::string& piece : Split(data, 7))
        explainer.ExplainerForCOMCap(reinterpret_cast<unsigned char*>(piece.data()), static_cast<int>(piece.size()));
    ASSERT_EQ(explainer.OutGetData(), 1);
    EXPECT_DOUBLE_EQ(explainer.OutDataLen(), (0 + 10 + 20) / 40.0);
    PlotShapeList got;
    explainer.Out(got);
    std::vector<Shape> shapes = ShapesOf(got);
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].polylines.at(0), Line({{0, 0}, {10, 0}, {30, 0}}));

    // The next file is open but not complete: its shapes wait for its end marker.
    EXPECT_EQ(explainer.OutStartNewFile(), 1);
    EXPECT_EQ(explainer.OutGetData(), 1);
    EXPECT_EQ(explainer.OutGetState(), HpglStreamExplainer::kInsideFile);
    explainer.EndFile();
    EXPECT_EQ(explainer.OutGetData(), 1);
    EXPECT_EQ(explainer.OutGetState(), HpglStreamExplainer::kFileComplete);
    PlotShapeList second;
    explainer.Out(second);
    EXPECT_EQ(second.Count(), 1);
    EXPECT_EQ(explainer.OutGetData(), 0);
}

TEST(HpglStreamExplainer, ConsumerMeasuresAndStampsArrivals)
{
    corvane_test::FakeClock clock(5000);
    HpglStreamExplainer explainer;
    EXPECT_EQ(explainer.OutGetLastDataArriveTime(), 5000);
    EXPECT_EQ(explainer.OutGetData(), 0);
    clock.Advance(250);
    std::string data = "IN;PU40,0;PD80,0,80,40;PU0,0;PD0,40;IN;";
    explainer.ExplainerForCOM(reinterpret_cast<unsigned char*>(data.data()), static_cast<int>(data.size()));
    EXPECT_EQ(explainer.OutGetLastDataArriveTime(), 5250);
    EXPECT_EQ(explainer.OutGetData(), 1);
    // Travel (0,0)->(40,0) = 40, segments 40 + 40, travel (80,40)->(0,0) = 120, segment 40.
    EXPECT_DOUBLE_EQ(explainer.OutDataLen(), 280 / 40.0);
    EXPECT_EQ(explainer.InCheckIfNewFile(), 1);

    // EndPD hands an open run over without ending the file.
    HpglStreamExplainer open;
    std::string run = "IN;PD10,10;";
    open.ExplainerForCOM(reinterpret_cast<unsigned char*>(run.data()), static_cast<int>(run.size()));
    open.EndPD();
    EXPECT_EQ(open.OutGetData(), 1);
    EXPECT_EQ(open.OutGetState(), HpglStreamExplainer::kInsideFile);
    PlotShapeList got;
    open.Out(got);
    EXPECT_EQ(got.Count(), 1);
    CBinaryPolyLineList none;
    open.Out(none);
    EXPECT_EQ(none.Count(), 0);
}

}  // namespace
