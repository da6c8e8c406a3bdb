// A document over in-memory rows, a fake preview and a link whose sockets are open (no thread),
// so the command frames the document posts can be read back.
#pragma once

#include "app/doc_corvane.h"
#include "app/preview_port.h"
#include "app/udp_server.h"
#include "support/recording_message_sink.h"
#include "support/recording_message_target.h"
#include "support/test_views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class NET_Machine;

namespace corvane_test {

// A preview that records what the document asks of it.
class FakePreview : public PreviewPort {
public:
    CPrintTask* GetShownJob() const override { return shown; }
    void ShowJob(CPrintTask* job) override { shown = job; }
    void ClearShownJob() override { shown = nullptr; }
    void Invalidate() override { ++repaints; }
    void FitJobToView() override { ++fits; }
    void DrawCutProgress(double from, double to) override { progress.emplace_back(from, to); }
    void ToggleRuler() override {}

    CPrintTask* shown = nullptr;
    int repaints = 0;
    int fits = 0;
    std::vector<std::pair<double, double>> progress;
};

// One command frame as the link thread gets it.
struct Frame {
    uint32_t key = 0;
    uint8_t code = 0;
    std::string payload;
};

class DocFixture : public ::testing::Test {
protected:
    void SetUp() override;

    // A plot file of the given HPGL in the scratch folder (sub names a folder under it); its
    // full path.
    std::string WritePlot(const std::string& name, const std::string& hpgl = "IN;PU0,0;PD400,0;");
    // A listed job of a new plot file, at the end of the rows.
    CPrintTask* ListJob(const std::string& name);
    // A machine at 127.0.0.octet in the table and, with withRow, a row of its own.
    NET_Machine* AddMachine(uint8_t octet, bool online, int32_t jobState, bool withRow = true);
    // The command frames posted so far, in order.
    std::vector<Frame> TakeFrames();
    // The rows' jobs' paths as their file names, top to bottom.
    std::vector<std::string> RowNames() const;
    void SelectRows(std::initializer_list<int> rows);

    RecordingMessageSink sink;
    RecordingMessageTarget window;
    CUDPServer server;
    CDocCorvane doc{server};
    TestJobRows jobRows;
    TestMachineRows machineRows;
    FakePreview preview;
};

}  // namespace corvane_test
