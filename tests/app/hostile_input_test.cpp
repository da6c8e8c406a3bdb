// Hostile plot files through the job loader: each is refused with its reason, or
// loads what it honestly holds, the same on every read; a zig-zag of patterned lines is
// refused before its dashes are made.
#include "dxf_fixture.h"

#include "app/print_task.h"
#include "app/string_table.h"
#include "plotmodel/load_point_budget.h"
#include "support/recording_message_sink.h"

#include <cctype>
#include <filesystem>

namespace {

std::string Fixture(const std::string& name) { return std::string(CORVANE_FIXTURES_DIR) + "hostile-input/" + name; }

// The points of every shape of the task's list, in order, as one vector.
std::vector<float> PointsOf(const CPrintTask& task)
{
    std::vector<float> xy;
    const PlotShapeCutList* list = task.GetCutList();
    for (PlotShape* s = list ? list->HeadShape() : nullptr; s; s = list->ShapeAfter(s)) {
        int32_t count = 0;
        const float* p = s->GetPl(0, count);
        for (int32_t i = 0; p && i < 2 * s->GetTolPtNum(); ++i) xy.push_back(p[i]);
    }
    return xy;
}

// The global vector font replaced by a file of the fixtures while it lives.
class FixtureFont {
public:
    explicit FixtureFont(const std::string& file)
    {
        std::filesystem::copy_file(Fixture(file), corvane_test::ProgramDir() + "fshz.fnt",
                                   std::filesystem::copy_options::overwrite_existing);
        PlotFontLib::LoadGlobalFontLib();
    }
    ~FixtureFont()
    {
        std::filesystem::remove(corvane_test::ProgramDir() + "fshz.fnt");
        PlotFontLib::LoadGlobalFontLib();
    }
};

enum class Outcome { kOverBudget, kNothingToCut, kLoads };

struct HostileFile {
    const char* file;
    Outcome outcome;
    const char* font = nullptr;
};

void PrintTo(const HostileFile& f, std::ostream* out) { *out << f.file; }

// One case a file, so that the slow ones (a walk to the budget's end) run side by side.
class HostileInput : public ::testing::TestWithParam<HostileFile> {};

TEST_P(HostileInput, IsRefusedAndToldOrLoadsTheSameContentOnEveryRead)
{
    const HostileFile& c = GetParam();
    std::unique_ptr<FixtureFont> font = c.font ? std::make_unique<FixtureFont>(c.font) : nullptr;
    std::vector<float> first;
    for (int read = 0; read < 2; ++read) {
        corvane_test::RecordingMessageSink sink;
        CPrintTask task;
        const int loaded = task.LoadFromPath(CString::FromUtf8(Fixture(c.file)));
        EXPECT_EQ(loaded, c.outcome == Outcome::kLoads ? 1 : 0);
        const bool refused = c.outcome == Outcome::kOverBudget;
        const DispatchRefusal reason = refused                                ? DispatchRefusal::kOverPointBudget
                                       : c.outcome == Outcome::kNothingToCut ? DispatchRefusal::kNoShapes
                                                                             : DispatchRefusal::kNone;
        EXPECT_EQ(task.loadRefusal, reason);
        // The loader only records the reason; the document tells the operator (JobLoadFailure).
        EXPECT_TRUE(sink.Shown().empty());
        if (refused) return;  // a refusal reads the same each time; the walk to the budget is slow here
        std::vector<float> points = PointsOf(task);
        if (c.outcome == Outcome::kLoads) {
            EXPECT_GT(points.size(), 2 * 32u);
        }
        if (read == 0) first = points;
        EXPECT_EQ(points, first) << "read " << read;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reproducers, HostileInput,
    ::testing::Values(HostileFile{"hpgl-dash-over-budget-150B.plt", Outcome::kOverBudget},
                      HostileFile{"hpgl-dash-166Mpoints-2KB.plt", Outcome::kOverBudget},
                      HostileFile{"hpgl-dash-badalloc-120KB.plt", Outcome::kOverBudget},
                      HostileFile{"label-12KB-with-glyph4000-font.plt", Outcome::kOverBudget, "label-font-glyph4000.shx"},
                      HostileFile{"dxf-spline-over-limit-347B.dxf", Outcome::kOverBudget},
                      HostileFile{"dxf-spline-over-limit-insert10-801B.dxf", Outcome::kOverBudget},
                      HostileFile{"dxf-spline-over-limit-insert1000-4.5KB.dxf", Outcome::kOverBudget},
                      HostileFile{"dxf-spline-over-limit-x100-15KB.dxf", Outcome::kOverBudget},
                      // Missing angles are 0 and 360 degrees, a missing ratio 1: whole curves.
                      HostileFile{"dxf-uninit-arc-no-angles.dxf", Outcome::kLoads},
                      HostileFile{"dxf-uninit-arc-no-end-angle.dxf", Outcome::kLoads},
                      HostileFile{"dxf-uninit-ellipse_min.dxf", Outcome::kLoads},
                      // A missing radius or text height is 0: the entity draws nothing.
                      HostileFile{"dxf-uninit-circle_no_radius.dxf", Outcome::kNothingToCut},
                      HostileFile{"dxf-uninit-mtext_min.dxf", Outcome::kNothingToCut},
                      HostileFile{"dxf-uninit-text_min.dxf", Outcome::kNothingToCut}),
    [](const ::testing::TestParamInfo<HostileFile>& info) {
        std::string name;
        for (const char* p = info.param.file; *p && *p != '.'; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST(HostileZigZag, PatternedLinesAreRefusedBeforeTheirDashesAreMade)
{
    // 120 KB of one pen-down run with "LT2;": every corner breaks it, and each leg alone
    // makes far fewer dashes than the old per-line bound.
    std::string plt = "IN;SP1;LT2;PU0,0;PD";
    for (int i = 0; plt.size() < 120 * 1024; ++i) plt += std::to_string(i % 2 * 20000000) + "," + std::to_string(i * 1000) + ",";
    plt.back() = ';';
    ASSERT_TRUE(corvane_test::WriteFile(corvane_test::ScratchDir() + "zigzag.plt", plt));
    corvane_test::RecordingMessageSink sink;
    CPrintTask task;
    EXPECT_EQ(task.LoadFromPath(CString::FromUtf8(corvane_test::ScratchDir() + "zigzag.plt")), 0);
    EXPECT_EQ(task.loadRefusal, DispatchRefusal::kOverPointBudget);
    EXPECT_TRUE(sink.Shown().empty());

    // Within the budget the same legs are dashed.
    plt = "IN;SP1;LT2;PU0,0;PD200000,0,200000,1000,0,1000;";
    ASSERT_TRUE(corvane_test::WriteFile(corvane_test::ScratchDir() + "small-zigzag.plt", plt));
    EXPECT_EQ(task.LoadFromPath(CString::FromUtf8(corvane_test::ScratchDir() + "small-zigzag.plt")), 1);
    EXPECT_EQ(task.loadRefusal, DispatchRefusal::kNone);
    EXPECT_GT(task.GetCutList()->Count(), 2);
}

}  // namespace
