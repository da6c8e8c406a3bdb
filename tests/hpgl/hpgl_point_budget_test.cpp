// The point budget of one load: files whose few bytes expand into huge chord counts are
// refused whole, by both explainers, whole and streamed, in bounded time and memory.
#include "hpgl/hpgl_explainer.h"
#include "hpgl/hpgl_stream_explainer.h"
#include "plotmodel/load_point_budget.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <sys/resource.h>

namespace {

// 10 000 circles of the largest radius, 12 bytes each: 65 537 points apiece uncapped.
std::string HugeCircles()
{
    std::string text;
    for (int i = 0; i < 10000; ++i) text += "CI100000000;";
    return text;
}

// 10 000 arcs of a huge sweep about the origin; the pen starts off the centre so that the
// arcs have a radius, and each arc ends on the same circle for the next one.
std::string HugeArcs()
{
    std::string text = "PU1000,0;";
    for (int i = 0; i < 10000; ++i) text += "AA0,0,100000000;";
    return text;
}

long PeakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A small file within the budget: one pen run and one circle.
const std::string kSane = "PU0,0;PD100,0,100,100;CI40;";

struct Outcome {
    bool exceeded = false;
    int shapes = 0;
    bool nextFileLoads = true;  // a sane file read after the refused one loads whole
};

Outcome SecondExplainer(const std::string& text)
{
    HpglAnalyzer analyzer{CStringA(text.c_str())};
    HpglExplainer explainer(analyzer);
    PlotShapeList out;
    explainer.Transform(out);
    return {explainer.PointBudgetExceeded(), out.Count()};
}

Outcome WholeFile(const std::string& text)
{
    HpglStreamExplainer explainer;
    explainer.AppendData(reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    PlotShapeList out;
    explainer.Transform(out);
    Outcome outcome{explainer.PointBudgetExceeded(), out.Count()};
    explainer.DetchData();
    explainer.AppendData(reinterpret_cast<const unsigned char*>(kSane.data()), static_cast<int>(kSane.size()));
    PlotShapeList next;
    explainer.Transform(next);
    outcome.nextFileLoads = !explainer.PointBudgetExceeded() && next.Count() == 2;
    return outcome;
}

// Streams the text as one file and a sane file after it, in 4 KiB pieces.
Outcome Streamed(const std::string& text)
{
    std::string stream = "IN;" + text + "IN;" + kSane + "IN;";
    HpglStreamExplainer explainer;
    for (size_t at = 0; at < stream.size(); at += 4096)
        explainer.ExplainerForCOM(reinterpret_cast<unsigned char*>(stream.data() + at),
                                  static_cast<int>(std::min<size_t>(4096, stream.size() - at)));
    Outcome outcome{explainer.PointBudgetExceeded(), 0};
    PlotShapeList refused;
    explainer.OutGetData();
    outcome.shapes = explainer.OutGetState() == HpglStreamExplainer::kFileComplete ? 0 : -1;
    explainer.Out(refused);
    outcome.shapes += refused.Count();
    // The consumer has refused the file; the next one loads.
    explainer.OutStartNewFile();
    PlotShapeList next;
    explainer.OutGetData();
    explainer.Out(next);
    outcome.nextFileLoads = !explainer.PointBudgetExceeded() && next.Count() == 2;
    return outcome;
}

struct Case {
    const char* name;
    Outcome (*run)(const std::string&);
    std::string (*text)();
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class HpglPointBudget : public ::testing::TestWithParam<Case> {};

// Every road refuses by counting against the budget where it makes points: circles and arcs
// in each explainer, and the streamed side drops what it handed over already. Whole files
// are counted ahead once many curve points are made, so they are refused after about 2^20
// points; streamed, the budget's 2^25 points are made first. The time bound allows for the
// sanitizers and catches unbounded work.
TEST_P(HpglPointBudget, AmplifyingFilesAreRefusedWholeInBoundedMemoryAndTime)
{
    static_assert(kLoadPointBudget == int64_t{1} << 25);
    const Case& c = GetParam();
    const std::string text = c.text();
    const long rssBeforeKb = PeakRssKb();
    const auto start = std::chrono::steady_clock::now();
    Outcome outcome = c.run(text);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(outcome.exceeded);
    EXPECT_EQ(outcome.shapes, 0) << "nothing of a refused file is loaded";
    EXPECT_TRUE(outcome.nextFileLoads);
    // Unbounded, these files make over 600 million points (several GB); the budget stops
    // them at about 270 MB, a few hundred MB more with the sanitizers.
    EXPECT_LT(PeakRssKb() - rssBeforeKb, 1500L * 1024);
    EXPECT_LT(seconds, 300.0);
}

// 511 of the largest circles and a pen run of segments after them: 2^25 points with
// 65 024 segments (the run's first segment makes two points). The count ahead starts
// after the first 2^20 curve points and must leave such a file whole.
std::string CirclesThenRun(int segments)
{
    std::string text;
    for (int i = 0; i < 511; ++i) text += "CI100000000;";
    text += "PU0,0;PD";
    for (int i = 1; i <= segments; ++i) text += std::to_string(i) + ",0" + (i < segments ? "," : ";");
    return text;
}

struct Loaded {
    bool exceeded = false;
    int shapes = 0;
    int64_t points = 0;
};

Loaded Load(const std::string& text, bool secondExplainer)
{
    PlotShapeList out;
    Loaded loaded;
    if (secondExplainer) {
        HpglAnalyzer analyzer{CStringA(text.c_str())};
        HpglExplainer explainer(analyzer);
        explainer.Transform(out);
        loaded.exceeded = explainer.PointBudgetExceeded();
    } else {
        HpglStreamExplainer explainer;
        explainer.AppendData(reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        explainer.Transform(out);
        loaded.exceeded = explainer.PointBudgetExceeded();
    }
    loaded.shapes = out.Count();
    for (PlotShape* s = out.HeadShape(); s; s = out.ShapeAfter(s)) loaded.points += s->GetTolPtNum();
    return loaded;
}

// The count ahead never refuses what the budget allows: a file of exactly the budget loads
// whole in both explainers, and one point more is refused.
TEST(HpglPointBudgetEdge, AFileOfExactlyTheBudgetLoadsAndOneMorePointIsRefused)
{
    for (bool second : {false, true}) {
        SCOPED_TRACE(second ? "second explainer" : "stream explainer, whole file");
        const Loaded full = Load(CirclesThenRun(65024), second);
        EXPECT_FALSE(full.exceeded);
        EXPECT_EQ(full.shapes, 512);
        EXPECT_EQ(full.points, kLoadPointBudget);
        const Loaded over = Load(CirclesThenRun(65025), second);
        EXPECT_TRUE(over.exceeded);
        EXPECT_EQ(over.shapes, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, HpglPointBudget,
                         ::testing::Values(Case{"SecondExplainerCircles", SecondExplainer, HugeCircles},
                                           Case{"SecondExplainerArcs", SecondExplainer, HugeArcs},
                                           Case{"WholeFileArcs", WholeFile, HugeArcs},
                                           Case{"StreamedCircles", Streamed, HugeCircles}),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
