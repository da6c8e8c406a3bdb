// The point budget of one load: files whose few bytes expand into huge chord counts are
// refused whole, by both explainers, whole and streamed, in bounded time and memory.
#include "hpgl/hpgl_explainer.h"
#include "hpgl/hpgl_stream_explainer.h"
#include "plotmodel/load_point_budget.h"

#include <gtest/gtest.h>

#include <chrono>
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

struct Outcome {
    bool exceeded = false;
    int shapes = 0;
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
    return {explainer.PointBudgetExceeded(), out.Count()};
}

// Streams "IN;" text "IN;" in 4 KiB pieces; the shapes the consumer gets are counted.
Outcome Streamed(const std::string& text)
{
    std::string stream = "IN;" + text + "IN;";
    HpglStreamExplainer explainer;
    for (size_t at = 0; at < stream.size(); at += 4096)
        explainer.ExplainerForCOM(reinterpret_cast<unsigned char*>(stream.data() + at),
                                  static_cast<int>(std::min<size_t>(4096, stream.size() - at)));
    Outcome outcome{explainer.PointBudgetExceeded(), 0};
    PlotShapeList out;
    explainer.OutGetData();
    explainer.Out(out);
    outcome.shapes = out.Count();
    return outcome;
}

TEST(HpglPointBudget, AmplifyingFilesAreRefusedWholeInBoundedMemoryAndTime)
{
    struct Road {
        const char* name;
        Outcome (*run)(const std::string&);
    };
    const Road roads[] = {{"second explainer", SecondExplainer}, {"whole file", WholeFile}, {"streamed", Streamed}};
    for (const std::string& text : {HugeCircles(), HugeArcs()}) {
        for (const Road& road : roads) {
            const long rssBeforeKb = PeakRssKb();
            const auto start = std::chrono::steady_clock::now();
            Outcome outcome = road.run(text);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            EXPECT_TRUE(outcome.exceeded) << road.name << ": " << text.substr(0, 20);
            EXPECT_EQ(outcome.shapes, 0) << road.name << ": nothing of a refused file is loaded";
            // Unbounded, these files make over 600 million points (several GB); the budget
            // stops them after a few hundred MB even with the sanitizers' overhead.
            EXPECT_LT(PeakRssKb() - rssBeforeKb, 1500L * 1024) << road.name;
            EXPECT_LT(seconds, 30.0) << road.name;
        }
    }
}

TEST(HpglPointBudget, FilesWithinTheBudgetLoadAndClearAnEarlierRefusal)
{
    HpglStreamExplainer explainer;
    const std::string huge = HugeCircles();
    explainer.AppendData(reinterpret_cast<const unsigned char*>(huge.data()), static_cast<int>(huge.size()));
    PlotShapeList refused;
    explainer.Transform(refused);
    ASSERT_TRUE(explainer.PointBudgetExceeded());

    explainer.DetchData();
    const std::string sane = "PU0,0;PD100,0,100,100;CI40;";
    explainer.AppendData(reinterpret_cast<const unsigned char*>(sane.data()), static_cast<int>(sane.size()));
    PlotShapeList out;
    explainer.Transform(out);
    EXPECT_FALSE(explainer.PointBudgetExceeded());
    EXPECT_EQ(out.Count(), 2);

    // A streamed file that stays within the budget after a refused one loads too.
    HpglStreamExplainer streamed;
    std::string stream = "IN;" + huge + "IN;" + sane + "IN;";
    streamed.ExplainerForCOM(reinterpret_cast<unsigned char*>(stream.data()), static_cast<int>(stream.size()));
    EXPECT_TRUE(streamed.PointBudgetExceeded());
    streamed.OutGetData();
    PlotShapeList first;
    streamed.Out(first);
    EXPECT_EQ(first.Count(), 0);
    streamed.OutStartNewFile();
    EXPECT_FALSE(streamed.PointBudgetExceeded());
    streamed.OutGetData();
    PlotShapeList second;
    streamed.Out(second);
    EXPECT_EQ(second.Count(), 2);
    static_assert(kLoadPointBudget == int64_t{1} << 25);
}

}  // namespace
