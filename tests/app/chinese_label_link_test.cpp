// A job of Chinese labels cut over loopback: the motion text the machine receives carries the
// outlines of the characters.
#include "app/doc_corvane.h"
#include "app/print_task.h"
#include "hpgl/hpgl_stream_explainer.h"
#include "link_fixture.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "support/built_fonts.h"
#include "support/preparation_wait.h"
#include "support/simulated_machine.h"
#include "support/test_environment.h"
#include "support/test_views.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace corvane_test {
namespace {

constexpr uint8_t kMachineOctet = 163;

// What the tool cuts in motion text: the moves made with the tool down.
struct CutPath {
    double length = 0.0;  // pulses
    double xmin = HUGE_VAL, ymin = HUGE_VAL, xmax = -HUGE_VAL, ymax = -HUGE_VAL;
    int runs = 0;  // stretches of moves between lowering and raising the tool
};

// Walks the moves ("P dx,dy;") and depth changes ("B 0,dz;") of motion text.
CutPath CutOf(const std::string& text)
{
    CutPath cut;
    double x = 0, y = 0;
    long depth = 0;
    bool running = false;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find(';', at);
        if (end == std::string::npos) break;
        const std::string command = text.substr(at, end - at);
        at = end + 1;
        long a = 0, b = 0;
        if (std::sscanf(command.c_str(), "P%ld,%ld", &a, &b) == 2) {
            if (depth > 0) {
                if (!running) ++cut.runs;
                running = true;
                for (double px : {x, x + a}) cut.xmin = std::min(cut.xmin, px), cut.xmax = std::max(cut.xmax, px);
                for (double py : {y, y + b}) cut.ymin = std::min(cut.ymin, py), cut.ymax = std::max(cut.ymax, py);
                cut.length += std::hypot(double(a), double(b));
            }
            x += a;
            y += b;
        } else if (std::sscanf(command.c_str(), "B0,%ld", &a) == 1) {
            depth += a;
            running = false;
        }
    }
    return cut;
}

// The polylines a file's shapes make when it is read, as HPGL lines (PU to the first point,
// PD through the others).
std::string AsPolylines(const std::string& path)
{
    HpglStreamExplainer reader;
    PlotShapeList shapes;
    std::string hpgl = "IN;SP1;";
    if (reader.LoadHpglFile(CString::FromUtf8(path).GetString()) != HpglAnalyzer::kLoadOk) return hpgl;
    reader.Transform(shapes);
    for (PlotShape* s = shapes.HeadShape(); s; s = shapes.ShapeAfter(s)) {
        for (int i = 0; i < s->GetPlNum(); ++i) {
            int32_t n = 0;
            const float* p = s->GetPl(i, n);
            if (n < 2) continue;
            for (int32_t k = 0; k < n; ++k) {
                hpgl += k == 0 ? "PU" : k == 1 ? "PD" : ",";
                char xy[64];
                std::snprintf(xy, sizeof xy, "%.4f,%.4f", p[2 * k], p[2 * k + 1]);
                hpgl += xy;
                if (k == 0 || k == n - 1) hpgl += ";";
            }
        }
    }
    return hpgl;
}

TEST_F(BuiltChineseFonts, AJobOfChineseLabelsIsCutWithTheirOutlines)
{
    // 中文测试 as a label, and the outlines the label makes written out as plain lines.
    const std::string labels = ScratchDir() + "labels.plt";
    ASSERT_TRUE(WriteFile(labels, "IN;SP1;PU1000,1000;SI2,2;LB\xD6\xD0\xCE\xC4\xB2\xE2\xCA\xD4\x03"));
    const std::string lines = ScratchDir() + "lines.plt";
    const std::string outlines = AsPolylines(labels);
    ASSERT_GT(std::count(outlines.begin(), outlines.end(), 'U'), 12) << "a dozen outlines or more";
    ASSERT_TRUE(WriteFile(lines, outlines));

    FakeClock clock;
    SimulatedMachineOptions options;
    options.hostOctet = kMachineOctet;
    StoreLE16(options.settingsBlock.data() + 172, 3);  // SP1 is a knife
    SimulatedMachine sim(options);
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    LoopbackLink link(kMachineOctet);
    ASSERT_TRUE(link.Start());
    auto drive = [&](const std::function<bool()>& done) { return WaitUntil(done, 10000, &clock, 5); };
    NET_Machine* machine = nullptr;
    ASSERT_TRUE(drive([&] {
        CSingleLock hold(&link.Server().GetLock(), TRUE);
        machine = link.Server().FindMachineByKey(sim.Key());
        return machine != nullptr && machine->paramsReceived != 0;
    }));
    CDocCorvane doc(link.Server());
    TestJobRows jobRows;
    TestMachineRows machineRows;
    machineRows.rows = {{machine, 1}};
    doc.SetListRows(&jobRows, &machineRows);
    // Cuts a file as a job and returns the motion text the machine ran.
    auto cut = [&](const std::string& path) {
        auto* job = new CPrintTask(CString::FromUtf8(path).GetString());
        job->checked = 1;
        EXPECT_TRUE(doc.AddJobToList(job, -1));
        EXPECT_EQ(doc.DispatchJobToMachine(job, machine, 0, -1), 1);
        EXPECT_TRUE(FinishPreparations(doc));
        EXPECT_EQ(job->dispatchRefusal, DispatchRefusal::kNone);
        EXPECT_TRUE(drive([&] {
            if (!sim.JobFinished()) return false;
            CSingleLock hold(&link.Server().GetLock(), TRUE);
            return !machine->task.IsTaken() && !machine->task.HasWaitingJob();
        }));
        clock.Advance(2000);
        return sim.MotionText();
    };
    const CutPath label = CutOf(cut(labels));
    const CutPath drawn = CutOf(cut(lines));
    link.Stop();

    // The label is cut as its outlines are, over the same area and as long. One shape of
    // many outlines is split at its corners a little otherwise than as many shapes of one
    // line each, so the knife's stretches may differ by a few.
    ASSERT_GT(label.runs, 12);
    EXPECT_NEAR(label.runs, drawn.runs, 0.15 * drawn.runs);
    EXPECT_NEAR(label.length, drawn.length, 0.02 * drawn.length);
    EXPECT_NEAR(label.xmax - label.xmin, drawn.xmax - drawn.xmin, 4);
    EXPECT_NEAR(label.ymax - label.ymin, drawn.ymax - drawn.ymin, 4);
}

}  // namespace
}  // namespace corvane_test
