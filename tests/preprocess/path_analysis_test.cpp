// B-spline path fitting: corner breaks, control polygons and fitted pieces.
#include "preprocess/path_analysis.h"

#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/shape_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace plot_fixtures;

namespace {

const Polyline kSquare{{0, 0}, {400, 0}, {400, 400}, {0, 400}, {0, 0}};

std::vector<Polyline> Fitted(const Polyline& line)
{
    PlotShape s;
    Fill(s, {line});
    PlotShapeList out;
    BsplineFit(&s, &out);
    std::vector<Polyline> pieces;
    for (PlotShape* p : Shapes(out)) pieces.push_back(AllPoints(*p));
    return pieces;
}

TEST(BsplineFit, StraightLineStaysOneStraightPiece)
{
    Polyline line;
    for (int k = 0; k <= 30; ++k) line.push_back({10.0f * k, 5.0f * k});
    auto pieces = Fitted(line);
    ASSERT_EQ(pieces.size(), 1u);
    for (const Pt& p : pieces[0]) EXPECT_NEAR(p.y, p.x / 2, 0.01);
    EXPECT_EQ(pieces[0].front(), line.front());
    EXPECT_NEAR(pieces[0].back().x, 300, 0.01);
}

TEST(BsplineFit, SquareBreaksAtEveryCornerIntoItsSides)
{
    auto pieces = Fitted(kSquare);
    ASSERT_EQ(pieces.size(), 4u);
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(pieces[k], (Polyline{kSquare[k], kSquare[k + 1]}));
}

TEST(BsplineFit, PiecesCarryTheSourceAttributesAndBounds)
{
    PlotShape s;
    Fill(s, {kSquare, {{1000, 1000}}});
    s.SetPenIndex(2);
    s.SetMauIndex(CutModeIndex::kCut);
    s.SetPatternIndex(6);
    PlotShapeList out;
    BsplineFit(&s, &out);
    auto shapes = Shapes(out);
    ASSERT_EQ(shapes.size(), 5u) << "the lone point is kept as a piece";
    for (PlotShape* p : shapes) {
        EXPECT_EQ(p->GetPenIndex(), 2);
        EXPECT_EQ(p->GetMauIndex(), CutModeIndex::kCut);
        EXPECT_EQ(p->GetPatternIndex(), 6u);
    }
    EXPECT_EQ(shapes[1]->GetArea().xmin, 400);
    EXPECT_EQ(AllPoints(*shapes[4]), (Polyline{{1000, 1000}}));
}

TEST(CalPathInfo1, TwoPointsGiveLengthsAndDirection)
{
    const float pts[] = {0, 0, 30, 40};
    CurveFitBuffers buffers;
    ASSERT_EQ(CalPathInfo1(buffers, 2, pts, 1.5f, 10), 2);
    const std::vector<float>& records = buffers.records;
    ASSERT_EQ(records.size(), 8u);
    EXPECT_EQ(records[3], 0);
    EXPECT_FLOAT_EQ(records[7], 50);
    EXPECT_NEAR(records[2], 0.9273, 1e-4);
    EXPECT_NEAR(records[6], 0.9273, 1e-4);
    EXPECT_EQ(CalPathInfo1(buffers, 1, pts, 1.5f, 10), 0);
    const float same[] = {5, 5, 5, 5, 5, 5};
    EXPECT_EQ(CalPathInfo1(buffers, 3, same, 1.5f, 10), 0) << "repeated points are passed over";
    EXPECT_TRUE(records.empty());
}

TEST(CalPathInfo1, CumulativeLengthsGrowAlongACurve)
{
    const float pts[] = {0, 0, 100, 0, 200, 30, 300, 100};
    CurveFitBuffers buffers;
    int n = CalPathInfo1(buffers, 4, pts, 1.5f, 10);
    ASSERT_GT(n, 2);
    const std::vector<float>& records = buffers.records;
    EXPECT_EQ(records[0], 0);
    EXPECT_NEAR(records[4 * (n - 1)], 300, 0.01);
    for (int k = 1; k < n; ++k) EXPECT_GT(records[4 * k + 3], records[4 * k - 1]);
}

TEST(CalPathInfo1, BuffersFittedBeforeChangeNothingOfTheNextPiece)
{
    // Pieces longer and shorter than the one before, a two-point one and one of repeats,
    // fitted with one set of buffers, give what each gives with buffers of its own.
    const std::vector<Polyline> pieces{
        {{0, 0}, {100, 0}, {200, 30}, {300, 100}, {350, 200}, {360, 320}, {330, 450}},
        {{0, 0}, {50, 80}, {140, 120}},
        {{10, 10}, {40, 50}},
        {{5, 5}, {5, 5}, {5, 5}},
        {{1000, 0}, {900, 300}, {700, 500}, {400, 600}},
    };
    CurveFitBuffers shared;
    for (const Polyline& piece : pieces) {
        std::vector<float> xy;
        for (const auto& [x, y] : piece) xy.insert(xy.end(), {x, y});
        const int count = static_cast<int>(piece.size());
        CurveFitBuffers own;
        const int expected = CalPathInfo1(own, count, xy.data(), 1.5f, 10);
        EXPECT_EQ(CalPathInfo1(shared, count, xy.data(), 1.5f, 10), expected);
        EXPECT_EQ(shared.records, own.records);
    }
}

TEST(ShapeBreak, ColourAlternatesThePens)
{
    PlotShape s;
    Fill(s, {kSquare});
    s.SetPenIndex(7);
    PlotShapeList out;
    ShapeBreak(&s, &out, 9, 60, 1);
    std::vector<int> pens;
    for (PlotShape* p : Shapes(out)) pens.push_back(p->GetPenIndex());
    EXPECT_EQ(pens, (std::vector<int>{3, 4, 3, 4}));
}

TEST(ShapeBreak, RegularPolygonOfTenDegreeTurnsStaysOnePiece)
{
    Polyline gon;
    const double r = 20.0 / std::sin(std::numbers::pi / 36);  // 40-unit chords
    for (int k = 0; k <= 36; ++k) {
        double t = k * 2 * std::numbers::pi / 36;
        gon.push_back({static_cast<float>(r * std::cos(t)), static_cast<float>(r * std::sin(t))});
    }
    PlotShape s;
    Fill(s, {gon});
    PlotShapeList out;
    ShapeBreak(&s, &out, 9, 60, 0);
    EXPECT_EQ(out.Count(), 1);
}

TEST(GetNextBreakPoint, IsolatedCornerBreaksDeepBendDoesNot)
{
    // One 30-degree turn between straight segments is isolated.
    const float corner[] = {0, 0, 100, 0, 200, 0, 286.6f, 50, 373.2f, 100};
    CPathAnalysis a;
    a.smallTurn = 9;
    a.largeTurn = 60;
    a.SetCrv(const_cast<float*>(corner), 5);
    EXPECT_EQ(a.GetNextBreakPoint_t(0), 2);
    EXPECT_EQ(a.GetNextBreakPoint_t(2), 4);
    EXPECT_EQ(a.GetNextBreakPoint_t(4), -1);
}

TEST(CPathAnalysis, StraightRunsEndAtTurnsAndAtTheirSpread)
{
    // Two gently bending straights joined by a 10-degree turn at vertex 3, then a corner.
    float pts[] = {0, 0, 100, 1, 200, 3, 300, 6, 400, 24, 500, 42, 500, 142};
    CPathAnalysis a;
    a.SetCrv(pts, 7);
    EXPECT_EQ(a.GetNextLine(0), 3);
    EXPECT_EQ(a.GetNextLine(3), 5);
    EXPECT_EQ(a.GetNextLine(5), 6);
    EXPECT_EQ(a.GetNextLine(6), -1);
    EXPECT_EQ(a.GetPresLine(3), 0);
    EXPECT_EQ(a.GetPresLine(6), 5);
    EXPECT_EQ(a.GetPresLine(0), -1);
    EXPECT_EQ(a.GetNextLine(9), -1);

    // Steps of 2 degrees each stay within the step limit until the spread reaches 8 degrees.
    std::vector<float> arc{0, 0};
    for (int k = 1; k <= 10; ++k) {
        double t = 2.0 * k * std::numbers::pi / 180;
        arc.push_back(arc[arc.size() - 2] + static_cast<float>(100 * std::cos(t)));
        arc.push_back(arc[arc.size() - 2] + static_cast<float>(100 * std::sin(t)));
    }
    a.SetCrv(arc.data(), 11);
    int end = a.GetNextLine(0);
    EXPECT_GT(end, 2);
    EXPECT_LT(end, 10);
}

// Appends a segment of length len at the given angle (degrees) to the flat point array.
void Step(std::vector<float>& xy, double degrees, double len)
{
    double t = degrees * std::numbers::pi / 180;
    float x = xy[xy.size() - 2], y = xy[xy.size() - 1];
    xy.push_back(x + static_cast<float>(len * std::cos(t)));
    xy.push_back(y + static_cast<float>(len * std::sin(t)));
}

TEST(SectionScanners, StraightSectionCarriesOnAcrossTheDiagonal)
{
    std::vector<float> xy{0, 0};
    for (double deg : {44.0, 47.0, 44.0, 134.0}) Step(xy, deg, 100);
    CPathAnalysis a;
    a.SetCrv(xy.data(), 5);
    ASSERT_EQ(a.GetNextLine(0), 1) << "the run search alone stops where the larger axis changes";
    LINE_SECTION_V1 section;
    EXPECT_EQ(a.GetNextLineSection(0, &section), 3);
    EXPECT_EQ(section.first, 0);
    EXPECT_EQ(section.last, 3);
    EXPECT_NEAR(std::hypot(section.dx, section.dy), 1, 1e-6);
    EXPECT_EQ(a.GetNextLineSection(4, &section), -1);

    EXPECT_EQ(a.FillArray(), 2);
    a.AngleScanArray();
    EXPECT_EQ(a.sections[a.ringHead].turnToNext, kSectionCorner);
    EXPECT_EQ(a.FillArray(), 2) << "nothing further to add";

    PlotShape points;
    EXPECT_EQ(a.GetShapePoint(&points), 3);
    EXPECT_EQ(AllPoints(points), (Polyline{{0, 0}, {xy[6], xy[7]}, {xy[8], xy[9]}}));
}

TEST(SectionScanners, CurveSectionsGroupBendsUpTo1200UnitsAndLinesStandAlone)
{
    // The 36-gon of 40-unit chords: every section one chord, 10-degree bends between them.
    std::vector<float> ring{0, 0};
    for (int k = 0; k < 36; ++k) Step(ring, 10.0 * k, 40);
    CPathAnalysis a;
    a.SetCrv(ring.data(), 37);
    PlotShapeList out;
    EXPECT_EQ(a.GetSectPoint(&out), 2);
    auto pieces = Shapes(out);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0]->GetTolPtNum(), 31);
    EXPECT_EQ(pieces[1]->GetTolPtNum(), 7);
    for (PlotShape* p : pieces) EXPECT_EQ(p->GetPenIndex(), 4);
    EXPECT_EQ(a.FillArray(), -1);

    float corner[] = {0, 0, 1000, 0, 1000, 1000, 1000, 1100};
    a.SetCrv(corner, 4);
    SECTION s;
    ASSERT_EQ(a.GetNextCrvSection(&s), 1);
    EXPECT_EQ(s.kind, 0);
    EXPECT_EQ(s.last, 1);
    ASSERT_EQ(a.GetNextCrvSection(&s), 1);
    EXPECT_EQ(s.kind, 0);
    EXPECT_EQ(s.first, 1);
    EXPECT_EQ(s.last, 3);
    EXPECT_FLOAT_EQ(s.lengthUnits, 1100);
    EXPECT_EQ(a.GetNextCrvSection(&s), 0);
}

TEST(GetNextBreakPoint, EarlierSearchBreaksSharpTurnsSignChangesAndDeepCorners)
{
    std::vector<float> square{0, 0, 400, 0, 400, 400, 0, 400, 0, 0};
    std::vector<float> isolated{0, 0};
    for (double deg : {0.0, 0.0, 30.0, 30.0}) Step(isolated, deg, 100);
    std::vector<float> zigzag{0, 0};
    for (double deg : {0.0, 30.0, 0.0, 0.0}) Step(zigzag, deg, 100);
    std::vector<float> deep{0, 0};
    for (double deg : {0.0, 50.0}) Step(deep, deg, 1000);
    struct Case {
        const char* name;
        std::vector<float>* points;
        int start, expected;
    } cases[] = {
        {"square", &square, 0, 1}, {"isolated 30 degrees", &isolated, 0, 4}, {"sign change", &zigzag, 0, 1},
        {"deep corner", &deep, 0, 1}, {"one segment left", &deep, 1, 2}, {"at the end", &deep, 2, -1},
    };
    for (const Case& c : cases) {
        CPathAnalysis a;
        a.SetCrv(c.points->data(), static_cast<int>(c.points->size() / 2));
        EXPECT_EQ(a.GetNextBreakPoint(c.start), c.expected) << c.name;
    }
}

}  // namespace
