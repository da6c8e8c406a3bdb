// The S-curve step output: step bytes, the S-curve arithmetic, the phase writers, and whole
// step streams parsed back into moves and timer values.
#include "motion/interpolate1.h"
#include "motion/pivmora.h"
#include "motion/scrv_speed_layout.h"
#include "motion/speed_layout.h"
#include "platform/cfile.h"

#include "interpolator_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <limits>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using S = CSCrvSpeedLayout;
using interp_fixtures::FakeMachine;
using interp_fixtures::JobShape;

constexpr double J = 1.6e6;
constexpr double A = 160000;

Bytes Contents(const P_DataBuf& b) { return Bytes(b.GetData(), b.GetData() + b.GetDataNum()); }

// A step stream read back: the moves of its step bytes and every timer value it sets.
struct ParsedSteps {
    int64_t x = 0, y = 0;
    int64_t steps = 0;
    std::vector<int64_t> timers;
    Bytes codes;  // code bytes below 0x20, in order
    bool malformed = false;
};

ParsedSteps Parse(const Bytes& b)
{
    ParsedSteps p;
    int64_t timer = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const uint8_t c = b[i];
        if (c >= 0x20) {
            ++p.steps;
            if (c & 0x20) p.x += (c & 0x04) ? 1 : -1;
            if (c & 0x40) p.y += (c & 0x08) ? 1 : -1;
            continue;
        }
        p.codes.push_back(c);
        auto arg = [&]() -> int64_t {
            if (i + 1 >= b.size()) {
                p.malformed = true;
                return 0;
            }
            return b[++i];
        };
        if (c == 0x05) {
            const int64_t lo = arg();
            timer = lo | (arg() << 8);
        } else if (c == 0x06 || c == 0x07) {
            arg();
            continue;
        } else if (c == 0x1F) {
            timer += arg();
        } else if (c == 0x13) {
            timer -= arg();
        } else if (c >= 0x14 && c <= 0x1E) {
            timer += c - 19;
        } else if (c >= 0x08 && c <= 0x12) {
            timer += 7 - c;
        } else {
            p.malformed = true;
        }
        p.timers.push_back(timer);
    }
    return p;
}

// A planner over one path with the speed set's top and start speeds.
struct Planner {
    explicit Planner(const std::vector<CPoint>& pts, double top = 60000, double start = 1200, int kind = 0)
    {
        SpeedConfig speeds;
        speeds.xVecMax = speeds.yVecMax = top;
        speeds.xVecInit = speeds.yVecInit = start;
        planner.SetSpeedConfig(speeds);
        CArray<CPoint> path;
        for (const CPoint& p : pts) path.Add(p);
        planner.Append(path, kind);
        planner.StartFind();
    }
    Bytes All()
    {
        P_DataBuf out;
        while (planner.GetNextData(out, 0) != 0) {
        }
        return Contents(out);
    }
    CSpeedLayout1 planner;
};

TEST(StepBytes, OneBytePerStepOfTheLongerAxis)
{
    struct Case {
        CPoint to;
        int type;
        Bytes expected;
    };
    const Case cases[] = {
        {{3, 1}, 0, {0x2F, 0x6F, 0x2F}},
        {{3, 1}, 1, {0x2D, 0x6D, 0x2D}},
        {{0, -2}, 0, {0x47, 0x47}},
        {{-2, 2}, 0, {0x6B, 0x6B}},
        {{0, 0}, 0, {}},
    };
    for (const Case& c : cases) {
        CSpeedLayout1 planner;
        planner.SetType(c.type);
        P_DataBuf out;
        planner.Move(out, CPoint(0, 0), c.to, 0);
        EXPECT_EQ(Contents(out), c.expected) << c.to.x << "," << c.to.y << " type " << c.type;
    }
}

TEST(SCurve, DistancesAndTopSpeedsInvertEachOther)
{
    EXPECT_DOUBLE_EQ(S::CalLen(1200, 5200, J, A), 320);
    EXPECT_DOUBLE_EQ(S::CalLen(1200, 41200, J, A), 7420);
    EXPECT_NEAR(S::CalLength(1200, 41200, J, A), 7420, 1e-9);
    for (double ve : {1300.0, 5200.0, 17200.0, 41200.0, 60000.0}) {
        EXPECT_NEAR(S::CalMaxSpeed(S::CalLen(1200, ve, J, A), 1200, J, A), ve, 1e-9 * ve) << ve;
        EXPECT_NEAR(S::CalLength(1200, ve, J, A), S::CalLen(1200, ve, J, A), 1e-9 * ve) << ve;
    }
}

TEST(SCurve, ProfilesGiveTheirPhases)
{
    double t[4], d[4];
    ASSERT_EQ(S::SpeedUpByV(1000, 1200, 5200, J, A, t, d), 3);
    EXPECT_NEAR(t[0], 0.05, 1e-12);
    EXPECT_NEAR(t[1], 0.1, 1e-12);
    EXPECT_NEAR(t[2], 0.1 + 680.0 / 5200, 1e-12);
    EXPECT_NEAR(d[0], 280.0 / 3, 1e-9);
    EXPECT_NEAR(d[1], 320, 1e-9);
    EXPECT_EQ(d[2], 1000);
    EXPECT_EQ(S::SpeedUpByV(300, 1200, 5200, J, A, t, d), -1) << "too short";

    ASSERT_EQ(S::SpeedUp(7420, 1200, 0, J, A, t, d), 3);
    EXPECT_NEAR(t[0], 0.1, 1e-12);
    EXPECT_NEAR(t[1], 0.25, 1e-12);
    EXPECT_NEAR(t[2], 0.35, 1e-12);
    EXPECT_EQ(d[2], 7420);
    ASSERT_EQ(S::SpeedUp(320, 1200, 0, J, A, t, d), 2);
    EXPECT_NEAR(t[1], 0.1, 1e-12);

    // The mirror images: cruise first, then the slow-down ends exactly at L.
    ASSERT_EQ(S::SlowDownByV(1000, 5200, 1200, J, A, t, d), 3);
    EXPECT_NEAR(d[0], 680, 1e-9);
    EXPECT_NEAR(t[2] - t[0], 0.1, 1e-12);
    ASSERT_EQ(S::SlowDown(7420, 41200, 1200, J, A, t, d), 3);
    EXPECT_NEAR(t[2], 0.35, 1e-12);
    EXPECT_NEAR(d[0], 41200 * 0.1 - J * 0.001 / 6, 1e-9) << "vs·t - J·t³/6";
    EXPECT_EQ(d[2], 7420);
}

TEST(SCurve, CubicRootsAreFoundInTheirOrder)
{
    struct Case {
        double a, b, c, d;
        std::vector<double> roots;
        double result;
    };
    const Case cases[] = {
        {1, -6, 11, -6, {1, 3, 2}, 1},
        {1, -4, 5, -2, {2, 1, 1}, 2},
        {1, 0, 1, -2, {1, 1, 1}, 1},
        {1, 0, 0, 0, {0, 0, 0}, 0},  // P = Q = 0 with b = 0: no 0 / 0
        {1, -3, 3, -1, {1, 1, 1}, 1},
    };
    for (const Case& c : cases) {
        double roots[3];
        EXPECT_NEAR(S::JieSanCiFangcheng(c.a, c.b, c.c, c.d, roots), c.result, 1e-9) << c.a << c.b << c.c << c.d;
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(roots[k], c.roots[static_cast<size_t>(k)], 1e-6);
    }
    // Three close roots: the cosine may round past 1, the roots stay numbers.
    for (double e = 1e-3; e > 1e-9; e /= 7) {
        const double r1 = 1, r2 = 1 + e, r3 = 1 + 2 * e;
        double roots[3];
        S::JieSanCiFangcheng(1, -(r1 + r2 + r3), r1 * r2 + r1 * r3 + r2 * r3, -r1 * r2 * r3, roots);
        for (double r : roots) EXPECT_TRUE(std::isfinite(r)) << e;
    }
}

TEST(SCurve, TheBisectionEndsWhateverItsTolerance)
{
    double out[3];
    const double peak = S::SpeedLayout(2000, J, A, 60000, 1200, 1200, out);
    EXPECT_GT(peak, 1200);
    EXPECT_LT(2000 - (S::CalLen(1200, peak, J, A) * 2), 20);
    EXPECT_EQ(out[2], 2000);
    EXPECT_EQ(S::SpeedLayout(100, J, A, 60000, 1200, 41200, 20.0), -1) << "too short for the change";
    EXPECT_EQ(S::SpeedLayout(1e9, J, A, 60000, 1200, 1200, 20.0), 60000) << "room for the top speed";
    for (double tolerance : {0.0, -5.0, std::nan("")}) {
        const double v = S::SpeedLayout(2000, J, A, 60000, 1200, 1200, tolerance);
        EXPECT_GE(v, 1200) << tolerance;
        EXPECT_LE(2 * S::CalLen(1200, v, J, A), 2000 + 1e-6) << tolerance;
    }
    EXPECT_TRUE(std::isnan(S::SpeedLayout(std::nan(""), J, A, 60000, 1200, 1200, 20.0)) ||
                S::SpeedLayout(std::nan(""), J, A, 60000, 1200, 1200, 20.0) >= 0);
}

TEST(StepPhases, TimerValuesStayInTheTimersRange)
{
    struct Case {
        double ticks;
        uint16_t timer;
    };
    const Case cases[] = {
        {60000, 5535},
        {72e6 / 1200.0 + 0.5, 5534},
        {72e6 / 500.0, 0},  // below 1098.6 steps per second
        {-1000, 65535},
        {std::numeric_limits<double>::infinity(), 0},  // speed 0
        {std::nan(""), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(S::TimerReload(c.ticks), c.timer) << c.ticks;
}

TEST(StepPhases, PhasesTakeNoMoreStepBytesThanRemain)
{
    const uint8_t steps[5] = {0x27, 0x27, 0x27, 0x27, 0x27};
    struct Case {
        double phaseSteps;
        int used;
    };
    const Case cases[] = {{3.5, 3}, {100, 5}, {std::nan(""), 0}, {-2, 0}};
    for (const Case& c : cases) {
        LuJingInfo info;
        info.speed = 1200;
        info.phaseSteps = c.phaseSteps;
        info.duration = 0.01;
        LuJingInfo accel = info;
        accel.acceleration = 1000;
        P_DataBuf out;
        EXPECT_EQ(S::MoveYunsu(info, steps, 5, out), c.used) << c.phaseSteps;
        P_DataBuf out2;
        EXPECT_EQ(S::MoveJiaSu(accel, steps, 5, out2), c.used) << c.phaseSteps;
    }
    // The last step of a deceleration to standstill: the radicand rounds below 0, the time
    // is still a number.
    LuJingInfo info;
    info.speed = 100;
    info.acceleration = -10000;
    info.phaseSteps = 1.0;
    info.duration = 0.01;
    P_DataBuf out;
    EXPECT_EQ(S::MoveJiaSu(info, steps, 5, out), 1);
    EXPECT_TRUE(std::isfinite(info.timeOffset));
    EXPECT_EQ(Contents(out).back(), 0x27);
}

TEST(StepPhases, ATraceFileGetsOneLinePerStep)
{
    const std::string path = ::testing::TempDir() + "corvane_step_trace.txt";
    CFile trace;
    ASSERT_EQ(trace.Open(CString::FromUtf8(path), CFile::modeCreate | CFile::modeWrite), TRUE);
    const uint8_t steps[2] = {0x27, 0x6F};
    LuJingInfo info;
    info.timer = 5000;
    info.speed = 1200;
    info.phaseSteps = 2;
    info.duration = 2 / 1200.0;
    P_DataBuf out;
    EXPECT_EQ(S::MoveYunsu(info, steps, 2, out, &trace), 2);
    trace.Close();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char text[128] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    std::remove(path.c_str());
    EXPECT_EQ(std::string(text, n), "39\t5000\t5535\t535\r\n111\t5535\t5535\t0\r\n");
}

TEST(StepOutput, AConstantSectionIsOneTimerCodeAndItsSteps)
{
    Planner p({{0, 0}, {10, 0}}, 1200, 1200);
    P_DataBuf out;
    EXPECT_EQ(p.planner.GetNextData(out, 0), 1);
    Bytes expected{0x05, 0x9F, 0x15};
    expected.insert(expected.end(), 10, 0x27);
    EXPECT_EQ(Contents(out), expected);
    EXPECT_EQ(p.planner.GetNextData(out, 0), 0);
    EXPECT_EQ(Contents(out), expected) << "nothing more";
}

TEST(StepOutput, ASectionTooShortForItsSpeedChangeKeepsAllItsSteps)
{
    Planner p({{0, 0}, {10, 0}});
    SpeedSection1 section;
    section.first = 0, section.last = 1;
    section.entrySpeed = 1200, section.topSpeed = section.exitSpeed = 41200;
    section.acceleration = A;
    section.steps = 10;
    P_DataBuf out;
    uint16_t timer = S::TimerReload(72e6 / 5000);
    p.planner.GenData(section, out, timer, 0);
    const ParsedSteps parsed = Parse(Contents(out));
    EXPECT_EQ(parsed.steps, 10);
    EXPECT_EQ(parsed.x, 10);
    EXPECT_EQ(timer, 5535) << "one constant phase at the lower speed";
    for (SpeedSection1 s : {section}) {
        s.entrySpeed = 41200, s.topSpeed = 41200, s.exitSpeed = 1200;  // the slow-down form
        P_DataBuf down;
        uint16_t t2 = 0;
        p.planner.GenData(s, down, t2, 0);
        EXPECT_EQ(Parse(Contents(down)).steps, 10);
    }
}

TEST(StepOutput, WholePathsParseAndReachTheirEnds)
{
    std::vector<CPoint> circle, zigzag, longLine{{0, 0}, {50000, 20000}};
    for (int i = 0; i <= 360; ++i)
        circle.push_back({static_cast<int32_t>(std::lround(3000 * std::cos(i * M_PI / 180))),
                          static_cast<int32_t>(std::lround(3000 * std::sin(i * M_PI / 180)))});
    for (int i = 0; i <= 20; ++i) zigzag.push_back({i * 400, (i % 2) * 900 - (i % 3) * 7});
    for (const auto& path : {circle, zigzag, longLine}) {
        Planner p(path);
        const ParsedSteps parsed = Parse(p.All());
        EXPECT_FALSE(parsed.malformed);
        EXPECT_EQ(parsed.x, path.back().x - path.front().x);
        EXPECT_EQ(parsed.y, path.back().y - path.front().y);
        ASSERT_FALSE(parsed.timers.empty());
        for (int64_t t : parsed.timers) ASSERT_TRUE(t >= 0 && t <= 65535) << t;
        EXPECT_GT(parsed.timers.size(), 3u) << "speeds change along the path";
    }
}

TEST(BinaryStream, GroupsAreBracketedByTheirToolCodes)
{
    FakeMachine machine = FakeMachine::Cutting(5);
    P_Pivmora source;
    source.interpolator.machine = &machine;
    source.interpolator.speedData.dutyByte1 = 40;
    source.interpolator.speedData.dutyByte2 = 90;
    interp_fixtures::StartJob(source.interpolator, {JobShape{{{{100, 0}, {300, 0}}}, 1}, JobShape{{{{300, 50}, {300, 250}}}, 3}});
    // Travel (code 0), the drawing path (1), travel, the half cut (3).
    struct Expect {
        uint8_t duty, aux;
        bool closes;
    };
    const Expect groups[] = {{255, 3, false}, {255 - 40, 2, true}, {255, 3, false}, {255 - 90, 2, true}};
    int64_t x = 0, y = 0;
    for (const Expect& g : groups) {
        P_DataBuf b;
        ASSERT_EQ(source.GetNextData(b), 1);
        const Bytes bytes = Contents(b);
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0x07, g.duty, 0x06, g.aux}));
        if (g.closes) {
            EXPECT_EQ(Bytes(bytes.end() - 2, bytes.end()), (Bytes{0x06, 0x03}));
        }
        const ParsedSteps parsed = Parse(Bytes(bytes.begin() + 4, bytes.end()));
        EXPECT_FALSE(parsed.malformed);
        x += parsed.x, y += parsed.y;
    }
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 250);
    P_DataBuf end;
    end.AppendByte(0x27);
    EXPECT_EQ(source.GetNextData(end), 1) << "the job's end";
    EXPECT_EQ(end.GetDataNum(), 0);
    EXPECT_EQ(source.GetNextData(end), 0);
}

}  // namespace
