// The speed planner: worked motion texts, chord and merge boundaries, line limits, and the
// properties every planned job must have.
#include "motion/speed_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

struct Planned {
    std::string text;
    int steps;
    bool operator==(const Planned&) const = default;
};

void PrintTo(const Planned& r, std::ostream* os) { *os << r.steps << " \"" << r.text << "\""; }

CArray<CPoint> Path(std::initializer_list<CPoint> points)
{
    CArray<CPoint> path;
    for (const CPoint& p : points) path.Add(p);
    return path;
}

// Plans the whole path as the interpolator does and returns each call's text and result,
// up to and including the final call that returns 0.
std::vector<Planned> PlanAll(CSpeedLayout1& planner, const CArray<CPoint>& path, const SpeedConfig& speeds = {})
{
    planner.SetSpeedConfig(speeds);
    planner.Append(path, 0);
    planner.StartFind();
    std::vector<Planned> runs;
    for (int guard = 0; guard < 100000; ++guard) {
        P_DataBuf out;
        int steps = planner.GetNextData_at(out, 0);
        runs.push_back({std::string(reinterpret_cast<const char*>(out.GetData()), static_cast<size_t>(out.GetDataNum())), steps});
        if (steps <= 0) break;
    }
    return runs;
}

std::vector<Planned> PlanAll(const CArray<CPoint>& path, const SpeedConfig& speeds = {})
{
    CSpeedLayout1 planner;
    return PlanAll(planner, path, speeds);
}

const Planned kEnd{"", 0};

TEST(SpeedLayout, WorkedTexts)
{
    struct Case {
        const char* name;
        CArray<CPoint> path;
        std::vector<Planned> runs;
    };
    const std::vector<Case> cases = {
        {"lone straight segment", Path({{0, 0}, {1000, 0}}),
         {{"P1000,0;S1,1201,1,1201,60000,160001,1000,1600000;", 1000}, kEnd}},
        {"repeated point is dropped", Path({{0, 0}, {0, 0}, {10, 0}}),
         {{"P10,0;S1,1201,1,1201,60000,160001,10,1600000;", 10}, kEnd}},
        {"right angle stops at the corner", Path({{0, 0}, {1000, 0}, {1000, 1000}}),
         {{"P1000,0;S1,1201,1,1201,60000,160001,1000,1600000;", 1000},
          {"P0,1000;S1,1201,1,1201,60000,160001,1000,1600000;", 1000},
          kEnd}},
        {"a turn of exactly 0.25 is a corner passed at corner speed", Path({{0, 0}, {1000, 0}, {1400, 100}}),
         {{"P1000,0;S1,1201,0,801,60000,160001,1000,1600000;P400,100;S0,1,1,1201,60000,160001,400,1600000;", 1400},
          kEnd}},
        {"a turn above 0.25 is a sharp corner", Path({{0, 0}, {1000, 0}, {1400, 101}}),
         {{"P1000,0;S1,1201,1,1201,60000,160001,1000,1600000;", 1000},
          {"P400,101;S1,1201,1,1201,60000,160001,400,1600000;", 400},
          kEnd}},
        {"a short section takes the corner speed as its top speed, entry lowered to it",
         Path({{0, 0}, {40, 0}, {440, 100}}),
         {{"P40,0;S1,800,0,1,800,160001,40,1600000;P400,100;S0,1,1,1201,60000,160001,400,1600000;", 440}, kEnd}},
        {"empty path", Path({}), {kEnd}},
        {"all points equal", Path({{5, 5}, {5, 5}}), {kEnd}},
    };
    for (const Case& c : cases) EXPECT_EQ(PlanAll(c.path), c.runs) << c.name;
}

// Two sections split by a jump in chord length, with top speeds 60000 and 540000 / 10 × y
// speed: the y top speed decides whether they differ by 10 % or less.
TEST(SpeedLayout, NeighboursWithinTenPercentMerge)
{
    SpeedConfig speeds;
    speeds.yAccCrv = speeds.yAccCrvJiWan = 1e12;  // keep the curve speed out of the way
    const CArray<CPoint> path = Path({{0, 0}, {4, 1}, {84, 41}});

    speeds.yVecMax = 27000;  // second section 54000: exactly 10 % below 60000, kept apart
    EXPECT_EQ(PlanAll(path, speeds),
              (std::vector<Planned>{{"P4,1;S1,1201,0,1,60000,160001,4,1600000;P80,40;S0,1,1,1201,54000,160001,80,1600000;", 84},
                                kEnd}));

    speeds.yVecMax = 27001;  // 54002: less than 10 % apart, one section at the lower speed
    EXPECT_EQ(PlanAll(path, speeds),
              (std::vector<Planned>{{"P4,1;P80,40;S1,1201,1,1201,54002,160001,84,1600000;", 84}, kEnd}));
}

// The end of the second chord found on path, after the first (always a lone segment).
int32_t SecondChordEnd(CSpeedLayout1& planner, const CArray<CPoint>& path)
{
    planner.Append(path, 0);
    planner.StartFind();
    LineInfo2 chord;
    EXPECT_EQ(planner.FindNextLineSlope1(chord), 1);
    planner.cursor = chord.last;
    EXPECT_EQ(planner.FindNextLineSlope1(chord), 1);
    EXPECT_EQ(chord.first, 1);
    return chord.last;
}

TEST(SpeedLayout, ChordSearchBoundaries)
{
    struct Case {
        const char* name;
        CArray<CPoint> path;
        int32_t chordEnd;
    };
    const std::vector<Case> cases = {
        {"next point 8.0 sideways and a later one just as close: both inside, ties go later",
         Path({{0, 0}, {10, 0}, {30, 4}, {50, 8}}), 3},
        {"a later point 9 sideways ends the search", Path({{0, 0}, {10, 0}, {30, 4}, {50, 9}}), 2},
        {"next point 9 sideways gives a lone segment", Path({{0, 0}, {10, 0}, {30, 9}, {50, 9}}), 2},
        // Running direction (1, 250/10001): point 2 lies 8.0001 to the side.
        {"8.0001 sideways ends the search", Path({{0, 0}, {10001, 250}, {10041, 259}, {10046, 251}}), 2},
        {"a point exactly 50.0 along is inside", Path({{0, 0}, {10, 0}, {30, 1}, {60, 0}}), 3},
        {"51 along ends the search", Path({{0, 0}, {10, 0}, {30, 1}, {61, 0}}), 2},
        // Running direction (1, 1/10000): point 3 lies 50.0001 along.
        {"50.0001 along ends the search", Path({{0, 0}, {10000, 1}, {10020, 2}, {10050, 2}}), 2},
        {"a point that falls back ends the search", Path({{0, 0}, {10, 0}, {30, 1}, {25, 1}, {60, 0}}), 2},
        {"a point behind gives a lone segment", Path({{0, 0}, {10, 0}, {5, 1}, {20, 0}}), 2},
    };
    for (const Case& c : cases) {
        CSpeedLayout1 planner;
        EXPECT_EQ(SecondChordEnd(planner, c.path), c.chordEnd) << c.name;
    }

    // The same two paths with the limits opened a little: the far point is taken, so it was
    // the limit and nothing else that ended the search above.
    CSpeedLayout1 wider;
    wider.chordCorridor = 8.001;
    EXPECT_EQ(SecondChordEnd(wider, Path({{0, 0}, {10001, 250}, {10041, 259}, {10046, 251}})), 3);
    CSpeedLayout1 longer;
    longer.chordReach = 50.001;
    EXPECT_EQ(SecondChordEnd(longer, Path({{0, 0}, {10000, 1}, {10020, 2}, {10050, 2}})), 3);
}

TEST(SpeedLayout, ChordCoveringSeveralSegmentsCountsTheirSteps)
{
    CSpeedLayout1 planner;
    planner.Append(Path({{0, 0}, {10, 0}, {20, 3}, {30, 3}, {40, 0}}), 0);
    planner.StartFind();
    LineInfo2 chord;
    planner.FindNextLineSlope1(chord);
    planner.cursor = chord.last;
    ASSERT_EQ(planner.FindNextLineSlope1(chord), 1);
    EXPECT_EQ(chord.last, 4);
    EXPECT_EQ(chord.chordLength, 30);
    EXPECT_EQ(chord.steps, 30);
    EXPECT_EQ(chord.dx, 1.0);
    EXPECT_EQ(chord.dy, 0.0);
    EXPECT_EQ(planner.GetStepNum(0, 4), 40);
    EXPECT_EQ(planner.GetStepNum(2, 2), 0);
    EXPECT_EQ(planner.GetStepNum(3, 1), 0);
    EXPECT_THROW(planner.GetStepNum(0, 5), CInvalidArgException);

    // A chord from a point back to itself has no direction; its limits stay numbers.
    planner.Append(Path({{0, 0}, {10, 0}, {10, 10}, {0, 0}}), 0);
    ASSERT_EQ(planner.GetLineInfo(0, 3, chord, planner.speedSet), 1);
    EXPECT_EQ(chord.dx, 0.0);
    EXPECT_EQ(chord.dy, 0.0);
    EXPECT_EQ(chord.chordLength, 0);
    EXPECT_EQ(chord.steps, 30);
    EXPECT_TRUE(std::isfinite(chord.topSpeed) && std::isfinite(chord.acceleration) && std::isfinite(chord.startSpeed));
}

TEST(SpeedLayout, LineLimitsFollowTheDominantAxis)
{
    SpeedConfig s;
    s.xVecMax = 50000;
    s.yVecMax = 30000;
    s.xAccLine = 100000;
    s.yAccLine = 80000;
    s.xVecInit = 1000;
    s.yVecInit = 600;
    struct Case {
        const char* name;
        double dx, dy;
        double top, acc, start;
    };
    const std::vector<Case> cases = {
        {"along x", 1, 0, 50000, 100000, 1000},
        {"along -y", 0, -1, 30000, 80000, 600},
        {"exact diagonal counts as x dominant", -1, 1, 30000, 80000, 600},
        {"x dominant, y half as fast", 1, 0.5, 50000, 100000, 1000},
        {"x dominant, y capping", 1, 0.8, 37500, 100000, 750},
        {"y dominant, x capping", 0.25, 1, 30000, 80000, 600},
    };
    for (const Case& c : cases) {
        LineInfo2 chord;
        chord.dx = c.dx;
        chord.dy = c.dy;
        CSpeedLayoutBase::GetLineSpeedInfo(chord, s);
        EXPECT_DOUBLE_EQ(chord.topSpeed, c.top) << c.name;
        EXPECT_DOUBLE_EQ(chord.acceleration, c.acc) << c.name;
        EXPECT_DOUBLE_EQ(chord.startSpeed, c.start) << c.name;
    }
}

TEST(SpeedLayout, EstimateModVectBands)
{
    struct Case {
        double a, b, expected;
    };
    const std::vector<Case> cases = {
        {0, -5, 5},           {-7, 0, 7},         {3, -3, 1.414 * 3},   {1, 0.85, 1.3105},
        {1, 0.8470007378981437, 1.207},           {-0.8, 1, 1.207},     {1, 0.6759060585613953, 1.1035},
        {1, 0.5, 1.1035},     {1, 0.4665964530512421, 1.0},             {0.1, 1, 1.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(CSpeedLayoutBase::EstimateModVect(c.a, c.b), c.expected) << c.a << ", " << c.b;
}

TEST(SpeedLayout, CornerSpeedBands)
{
    CSpeedLayout1 planner;
    planner.cornerSpeed1 = 100;
    planner.cornerSpeed2 = 200;
    planner.cornerSpeed3 = 300;
    EXPECT_EQ(planner.FindSpeedAtAngle(0.0599), 0);
    EXPECT_EQ(planner.FindSpeedAtAngle(0.06), 100);
    EXPECT_EQ(planner.FindSpeedAtAngle(0.12), 200);
    EXPECT_EQ(planner.FindSpeedAtAngle(0.15), 300);
    EXPECT_EQ(planner.FindSpeedAtAngle(0.25), 300);
    EXPECT_EQ(planner.FindSpeedAtAngle(0.2501), -1);
    EXPECT_EQ(CSpeedLayout1(SpeedConfig{}).FindSpeedAtAngle(0.1), 800) << "band 1 ends at 0.09";
    EXPECT_EQ(CSpeedLayout1(SpeedConfig{}).cornerBand1, 0.09);
}

TEST(SpeedLayout, GentleCurveIsCappedAtItsCurveSpeed)
{
    // A quarter circle of radius 2000 flattened into 1° steps: the chords turn gently, so the
    // arc is planned without a stop at a speed its radius allows.
    CArray<CPoint> arc;
    for (int deg = 0; deg <= 90; ++deg) {
        const double t = deg * M_PI / 180;
        arc.Add(CPoint(static_cast<int32_t>(2000 * std::cos(t)), static_cast<int32_t>(2000 * std::sin(t))));
    }
    CSpeedLayout1 planner;
    std::vector<Planned> runs = PlanAll(planner, arc);
    ASSERT_EQ(runs.size(), 2u) << "one run for the whole arc";
    int maxTop = 0;
    for (size_t at = runs[0].text.find('S'); at != std::string::npos; at = runs[0].text.find('S', at + 1)) {
        int v[8];
        ASSERT_EQ(std::sscanf(runs[0].text.c_str() + at, "S%d,%d,%d,%d,%d,%d,%d,%d;", &v[0], &v[1], &v[2], &v[3], &v[4],
                              &v[5], &v[6], &v[7]),
                  8);
        maxTop = std::max(maxTop, v[4]);
    }
    EXPECT_LT(maxTop, 60000) << "the curve speed caps the axis limit";
    EXPECT_GT(maxTop, 800) << "but the arc is no chain of corners";
}

TEST(SpeedLayout, NeverMergesAcrossAStandstill)
{
    // With a start speed of 0 a sharp corner's exit speed reads 0, as a turn break's does; the
    // corner must still end the run.
    SpeedConfig speeds;
    speeds.xVecInit = speeds.yVecInit = 0;
    std::vector<Planned> runs = PlanAll(Path({{0, 0}, {1000, 0}, {1000, 1000}}), speeds);
    EXPECT_EQ(runs, (std::vector<Planned>{{"P1000,0;S1,1,1,1,60000,160001,1000,1600000;", 1000},
                                      {"P0,1000;S1,1,1,1,60000,160001,1000,1600000;", 1000},
                                      kEnd}));
}

TEST(SpeedLayout, AbsurdInputGivesWellDefinedText)
{
    // Speeds beyond the int range or not a number, and moves spanning the whole coordinate
    // range: every number is saturated instead of overflowing.
    SpeedConfig speeds;
    speeds.xVecMax = 1e300;
    speeds.yVecMax = 1e300;
    speeds.xAccLine = std::numeric_limits<double>::quiet_NaN();
    speeds.J = -std::numeric_limits<double>::infinity();
    std::vector<Planned> runs = PlanAll(Path({{INT32_MIN, 0}, {INT32_MAX, 0}}), speeds);
    EXPECT_EQ(runs, (std::vector<Planned>{{"P4294967295,0;S1,1201,1,1201,2147483647,0,2147483647,-2147483648;", INT32_MAX},
                                      kEnd}));
}

TEST(SpeedLayout, SameSlopeRunsAndTheSectioningOnThem)
{
    CSpeedLayout1 planner;
    planner.Append(Path({{0, 0}, {10, 0}, {20, 0}, {20, 10}, {30, 10}, {60, 20}}), 0);
    LineInfo2 line;
    int32_t dx = 0, dy = 0;
    ASSERT_EQ(planner.GetNextLineBySameSlope(0, line, dx, dy), 1);
    EXPECT_EQ(line.last, 2);
    EXPECT_EQ(dx, 20);
    EXPECT_EQ(dy, 0);
    EXPECT_EQ(planner.GetNextLineBySameSlope(5, line, dx, dy), 0);

    // 20 + 10 would pass the summed length of 20: the vertical run stays apart.
    ASSERT_EQ(planner.GetNextLineSlopeInfo(0, line), 1);
    EXPECT_EQ(line.last, 2);
    ASSERT_EQ(planner.GetNextLineSlopeInfo(2, line), 1);
    EXPECT_EQ(line.last, 4) << "10 up and 10 across join";
    EXPECT_EQ(line.dx, 1.0);
    EXPECT_EQ(line.dy, 1.0);
    ASSERT_EQ(planner.GetNextLine(2, line), 1);
    EXPECT_EQ(line.last, 4) << "the following run turns away";
    ASSERT_EQ(planner.GetNextLine(4, line), 1);
    EXPECT_EQ(line.last, 5);
    EXPECT_EQ(line.steps, 30);

    // On a straight path with a jump in segment length, the lines of GetNextLine make one
    // section; the chords of the chord finder break at the jump.
    planner.Append(Path({{0, 0}, {10, 0}, {20, 0}, {700, 0}}), 0);
    planner.StartFind();
    SpeedSection1 section;
    ASSERT_EQ(planner.GetNextSection(section, planner.speedSet), 1);
    EXPECT_EQ(section.last, 3);
    EXPECT_EQ(section.steps, 700);
    EXPECT_EQ(section.stop, 1);
    EXPECT_EQ(planner.GetNextSection(section, planner.speedSet), 0);
    planner.StartFind();
    ASSERT_EQ(planner.GetNextSection1(section, planner.speedSet), 1);
    EXPECT_EQ(section.last, 2);
    EXPECT_EQ(section.steps, 20);
    EXPECT_EQ(section.stop, 0);

    planner.StartFind();
    ASSERT_EQ(planner.FindNextLineSlope(line), 1);
    EXPECT_EQ(line.last, 3);
    planner.cursor = line.last;
    EXPECT_EQ(planner.FindNextLineSlope(line), 0);
}

TEST(SpeedLayout, ArrayLoading)
{
    CSpeedLayoutBase base;
    base.Append(Path({{1, 1}, {1, 1}, {2, 2}, {2, 2}, {1, 1}}), 7);
    EXPECT_EQ(base.GetCount(), 3);
    EXPECT_EQ(base.GetType(), 7);
    EXPECT_THROW(base.GetPoint(3), CInvalidArgException);
    base.Append(Path({}), 5);
    EXPECT_EQ(base.GetCount(), 0);
    EXPECT_EQ(base.GetType(), 0);

    const float xy[] = {1.9f, -1.9f, 1.2f, -1.2f, 3.0f, 4.0f};
    base.AppendShape(xy, 3);
    EXPECT_EQ(base.GetCount(), 2) << "both first pairs truncate to (1, -1)";
    EXPECT_EQ(base.GetPoint(1), CPoint(3, 4));

    for (int i = 0; i < 100000; ++i) base.AppendPoint(i, i % 3);
    EXPECT_EQ(base.GetCount(), 100002);
    base.DestroyArray();
    EXPECT_EQ(base.GetCount(), 0);
    EXPECT_EQ(base.GetCapacity(), 0);
}

TEST(SpeedLayout, DrawsSectionsAndChordsOnTheDeviceContext)
{
    CSpeedLayout1 planner;
    planner.Append(Path({{0, 0}, {10, 0}, {10, 10}}), 0);
    CImageDC dc(40, 40);
    structRender2 render{&dc, 2.0, 15};
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    SpeedSection1 section;
    section.first = 0;
    section.last = 2;
    planner.DrawSection(section, render, &red);
    // (0,0) (10,0) (10,10) appear at (0,30) (20,30) (20,10).
    EXPECT_EQ(dc.GetPixel(10, 30), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(20, 20), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(10, 20), RGB(255, 255, 255)) << "no chord drawn for a section";

    LineInfo2 chord;
    chord.first = 0;
    chord.last = 2;
    planner.DrawSection(chord, render, nullptr);
    EXPECT_EQ(dc.GetPixel(10, 20), RGB(0, 0, 0)) << "the straight chord, in the DC's own pen";
    EXPECT_EQ(dc.GetPixel(10, 30), RGB(0, 0, 0)) << "then the points it stands for";

    section.last = 3;  // past the path: nothing is drawn
    planner.DrawSection(section, render, &red);
    EXPECT_EQ(dc.GetPixel(10, 30), RGB(0, 0, 0));
}

// Checks the text of every run of one path against the path itself.
void ExpectConsistentRuns(const CSpeedLayout1& planner, const std::vector<Planned>& runs, const char* name)
{
    int64_t movedX = 0, movedY = 0, plannedSteps = 0;
    for (const Planned& run : runs) {
        if (run.steps == 0) break;
        int64_t runSteps = 0;
        bool firstSection = true;
        int lastStop = 0;
        size_t at = 0;
        while (at < run.text.size()) {
            const size_t end = run.text.find(';', at);
            ASSERT_NE(end, std::string::npos) << name;
            const std::string cmd = run.text.substr(at, end - at);
            at = end + 1;
            if (cmd[0] == 'P') {
                long long dx, dy;
                ASSERT_EQ(std::sscanf(cmd.c_str(), "P%lld,%lld", &dx, &dy), 2) << name;
                movedX += dx;
                movedY += dy;
                continue;
            }
            int v[8];
            ASSERT_EQ(std::sscanf(cmd.c_str(), "S%d,%d,%d,%d,%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                                  &v[6], &v[7]),
                      8)
                << name << ": " << cmd;
            if (firstSection) {
                EXPECT_EQ(v[0], 1) << name << ": a run starts from standstill";
            }
            firstSection = false;
            EXPECT_LE(v[1], v[4]) << name << ": entry above top in " << cmd;
            EXPECT_LE(v[3], v[4]) << name << ": exit above top in " << cmd;
            EXPECT_GT(v[6], 0) << name;
            runSteps += v[6];
            lastStop = v[2];
        }
        EXPECT_EQ(lastStop, 1) << name << ": a run ends at standstill";
        EXPECT_EQ(runSteps, run.steps) << name;
        plannedSteps += run.steps;
    }
    const int32_t n = planner.GetCount();
    ASSERT_GT(n, 1) << name;
    EXPECT_EQ(movedX, int64_t{planner.GetPoint(n - 1).x} - planner.GetPoint(0).x) << name;
    EXPECT_EQ(movedY, int64_t{planner.GetPoint(n - 1).y} - planner.GetPoint(0).y) << name;
    EXPECT_EQ(plannedSteps, planner.GetStepNum(0, n - 1)) << name;
}

TEST(SpeedLayout, PlannedShapesKeepTheirInvariants)
{
    std::vector<std::pair<std::string, CArray<CPoint>>> shapes;
    for (int radius : {40, 400, 4000, 40000}) {
        CArray<CPoint> circle;
        const int segments = static_cast<int>(M_PI / std::acos(1.0 - 1.0 / radius));  // 1 unit chord error
        for (int i = 0; i <= segments; ++i) {
            const double t = 2 * M_PI * i / segments;
            circle.Add(CPoint(static_cast<int32_t>(std::lround(radius * std::cos(t))),
                              static_cast<int32_t>(std::lround(radius * std::sin(t)))));
        }
        shapes.emplace_back("circle of radius " + std::to_string(radius), circle);
    }
    shapes.emplace_back("rectangle", Path({{0, 0}, {3000, 0}, {3000, 20}, {0, 20}, {0, 0}}));
    CArray<CPoint> zigzag;
    uint32_t seed = 12345;
    int32_t x = 0, y = 0;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        x += static_cast<int32_t>((seed >> 16) % 61) - 20;
        y += static_cast<int32_t>((seed >> 8) % 41) - 20;
        zigzag.Add(CPoint(x, y));
    }
    shapes.emplace_back("random walk", zigzag);

    for (const auto& [name, path] : shapes) {
        CSpeedLayout1 planner;
        ExpectConsistentRuns(planner, PlanAll(planner, path), name.c_str());
    }
}

}  // namespace
