// A job on a machine: machine parameters, key commands, the start request, the pumped motion
// text with its end packs, the end report's accounting, the resume, and the jet packs.
#include "machine_fixture.h"

#include "../motion/interpolator_fixture.h"

#include <climits>

namespace corvane_test {
namespace {

using interp_fixtures::JobShape;
using interp_fixtures::NewJob;

class JobTest : public MachineTest {
protected:
    JobTest()
    {
        machine->firmwareVersion = 4;
        machine->paramsReceived = 1;
        machine->extraBlockReceived = 1;  // no status poll in the way of the packs
    }

    // Hands in a job of one straight cut (0,0) -> (1000,0): 1000 pulses.
    void HandInLine(uint32_t printTask = 77)
    {
        ASSERT_EQ(machine->task.SetData(new PlotShapeCutList, printTask, NewJob({JobShape{{{{0, 0}, {1000, 0}}}}})), 1);
    }
    // The start request with the machine's pulse count, head position and jet row.
    void Start(uint32_t count, uint32_t row = 0, int32_t x = 0, int32_t y = 0)
    {
        Receive(Request(machine->expectedRequest, 3, 36).U8(6, 1).U32(7, count).U32(11, static_cast<uint32_t>(x)).U32(15, static_cast<uint32_t>(y)).U32(28, row));
    }
    void EndReport(uint32_t count, int32_t x = 0, int32_t y = 0, uint32_t jetRows = 0)
    {
        Receive(Request(machine->expectedRequest, 2, 26).U32(6, count).U32(10, static_cast<uint32_t>(x)).U32(14, static_cast<uint32_t>(y)).U32(22, jetRows));
    }
    // Acknowledges everything sent so far on every queue.
    void AcknowledgeAll()
    {
        Receive(Datagram("QGJA", 18)
                    .U8(4, machine->dataQueue.GetNextSequence())
                    .U8(5, machine->panelQueue.GetNextSequence())
                    .U8(6, machine->commandQueue.GetNextSequence())
                    .U8(11, machine->jetQueue.GetNextSequence()));
    }
    // Polls and acknowledges until nothing more is sent; returns everything sent.
    std::vector<SentDatagram> PumpAll()
    {
        std::vector<SentDatagram> all;
        for (int round = 0; round < 100; ++round) {
            clock.Advance(200);
            machine->ProTimeout(sender);
            EXPECT_LE(machine->dataQueue.GetOutstanding(), 1) << "one motion pack in flight";
            auto sent = sender.Take();
            if (sent.empty()) return all;
            all.insert(all.end(), sent.begin(), sent.end());
            AcknowledgeAll();
            sender.Take();
        }
        ADD_FAILURE() << "the pump did not stop";
        return all;
    }
    static std::string MotionText(const std::vector<SentDatagram>& sent)
    {
        std::string text;
        for (const auto& s : sent) {
            if (s.port == kMachineDataPort) text += s.Text().substr(3);
        }
        return text;
    }
    static std::vector<std::string> CommandTexts(const std::vector<SentDatagram>& sent)
    {
        std::vector<std::string> out;
        for (const auto& s : sent) {
            if (s.port == kMachineCommandPort && s.bytes[2] == kPackTypeCommandText) out.push_back(s.Text().substr(3));
        }
        return out;
    }
};

TEST_F(JobTest, MachineParametersByFirmwareAndLength)
{
    Datagram params("PQCN", 174);
    for (int i = 0; i < 33; ++i) params.F32(4 + 4 * static_cast<size_t>(i), static_cast<float>(i + 1));
    params.U32(136, 900000).U32(140, 30000).U16(144, 1100).U16(146, 2400).U16(148, 810).U16(150, 610).U16(152, 210).U16(154, 7);
    params.U8(156, 0x02).F32(158, 1004.0f).F32(162, 1000.0f).F32(166, 998.0f).F32(170, 1000.0f);
    struct Case {
        const char* name;
        uint8_t firmware;
        size_t length;
        bool speeds;
        bool depthAndKind;
        bool calibration;
    };
    const Case cases[] = {
        {"firmware 3 needs 136 bytes", 3, 136, true, false, false},
        {"firmware 3 with 135", 3, 135, false, false, false},
        {"firmware 4 needs 157", 4, 157, true, true, false},
        {"firmware 4 with 156 is too short", 4, 156, false, false, false},
        {"firmware 11 with 174 takes the calibration", 11, 174, true, true, true},
        {"firmware 11 with 173 does not", 11, 173, true, true, false},
        {"firmware 10 never does", 10, 174, true, true, false},
    };
    for (const Case& c : cases) {
        NET_Machine m(inet_addr("127.0.0.2"), kMac, kId);
        m.firmwareVersion = c.firmware;
        Bytes b = params.bytes();
        b.resize(c.length);
        auto exact = std::make_unique<uint8_t[]>(b.size());
        std::copy(b.begin(), b.end(), exact.get());
        m.ProcMcuMsg(sender, exact.get(), static_cast<int>(b.size()));
        const P_Interpolate1& ip = m.motionSource.interpolator;
        EXPECT_EQ(m.paramsReceived, 1) << c.name;
        EXPECT_EQ(ip.speedConfigs[0].xAccLine, c.speeds ? 40.0 : 160000.0) << c.name;
        EXPECT_EQ(ip.speedConfigs[2].yAccCrvJiWan, c.speeds ? 33 * 40.0 : 120000.0) << c.name;
        EXPECT_EQ(ip.speedConfigs[1].J, c.speeds ? 18 * 40.0 : 1600000.0) << c.name;
        EXPECT_EQ(m.machineKind, c.depthAndKind ? 0x02 : 0) << c.name;
        EXPECT_EQ(ip.depthParams.depthJerk, c.depthAndKind ? 900000 : 1500000) << c.name;
        EXPECT_EQ(ip.depthParams.depthValueB, c.depthAndKind ? 610 : 600) << c.name;
        EXPECT_EQ(ip.depthParams.lastWord, c.depthAndKind ? 7 : 0) << c.name;
        EXPECT_EQ(m.calibration[0], c.calibration ? 1004.0f : 1000.0f) << c.name;
        EXPECT_EQ(m.calibration[2], c.calibration ? 998.0f : 1000.0f) << c.name;
    }
}

TEST_F(JobTest, KeyCommandsSetTheMotionBlocks)
{
    P_Interpolate1& ip = machine->motionSource.interpolator;
    // On a channel-driven machine the two words are magnet words 0 and 1.
    Receive(Request(0, 1, 20).U8(6, 4).F32(7, 1.5f).F32(11, 2.5f).U16(15, 111).U16(17, static_cast<uint16_t>(-2)).U8(19, 0x80));
    EXPECT_EQ(ip.offsetsBlock.toolOffsets[1], 1.5f);
    EXPECT_EQ(ip.offsetsBlock.toolOffsets[2], 2.5f);
    EXPECT_EQ(ip.magnetBlock[0], 111);
    EXPECT_EQ(ip.magnetBlock[1], -2);
    EXPECT_EQ(machine->optionBit, 1);
    EXPECT_EQ(machine->startPrefix, 0);
    // A cutting machine from firmware 4 on takes them as its two depth values.
    machine->machineKind = 0x02;
    Receive(Request(1, 1, 20).U8(6, 4).U16(15, 820).U16(17, 620).U8(19, 0x40));
    EXPECT_EQ(ip.depthParams.depthValueA, 820);
    EXPECT_EQ(ip.depthParams.depthValueB, 620);
    EXPECT_EQ(ip.magnetBlock[0], 111);
    EXPECT_EQ(machine->optionBit, 0);
    EXPECT_EQ(machine->startPrefix, 1);

    Receive(Request(2, 1, 13).U8(6, 5).U16(7, 1).U16(9, 2).U16(11, 3));
    EXPECT_EQ(ip.magnetBlock[0], 1);
    EXPECT_EQ(ip.magnetBlock[1], 2);
    EXPECT_EQ(ip.magnetBlock[2], 0);
    EXPECT_EQ(ip.magnetBlock[3], 3);
    Receive(Request(3, 1, 15).U8(6, 6).F32(7, 7.0f).F32(11, 8.0f));
    EXPECT_EQ(ip.offsetsBlock.toolOffsets[1], 7.0f);
    EXPECT_EQ(ip.offsetsBlock.toolOffsets[2], 8.0f);
}

TEST_F(JobTest, StartPumpsTheMotionTextOnePackAtATimeAndEndsIt)
{
    struct Case {
        const char* name;
        uint8_t startPrefix;
        int32_t endWithD100;
        const char* prefix;
        const char* last;
    };
    const Case cases[] = {
        {"plain job ends with D100", 0, 0, "", "D100;"},
        {"prefixed job ends with A100", 1, 0, "O100;D6000;N0,0;N1,0;", "A100;"},
        {"prefixed job told to end with D100", 1, 1, "O100;D6000;N0,0;N1,0;", "D100;"},
    };
    for (const Case& c : cases) {
        machine = std::make_unique<NET_Machine>(inet_addr("127.0.0.2"), kMac, kId);
        machine->firmwareVersion = 4;
        machine->paramsReceived = 1;
        machine->extraBlockReceived = 1;
        machine->startPrefix = c.startPrefix;
        machine->endWithD100 = c.endWithD100;
        window.Drain();
        HandInLine();
        Start(500);
        auto sent = sender.Take();
        ASSERT_EQ(sent.size(), 2u) << c.name;
        EXPECT_EQ(sent[0].bytes, Answer(0));
        // The total pulse count of the job, from firmware 3 on.
        EXPECT_EQ(sent[1].port, kMachineCommandPort);
        EXPECT_EQ(sent[1].bytes, (Bytes{'Q', 0, 15, 0xE8, 0x03, 0, 0})) << c.name;
        EXPECT_EQ(machine->jobState, kJobPrinting);
        EXPECT_EQ(machine->task.IsTaken(), 1);
        EXPECT_EQ(machine->motionSource.jobStartReference, 500u);
        ASSERT_EQ(Posted(WM_NET_MACHINE_STATE).size(), 1u);
        AcknowledgeAll();

        const auto pumped = PumpAll();
        const std::string text = MotionText(pumped);
        EXPECT_EQ(text.rfind(c.prefix, 0), 0u) << c.name << ": " << text;
        EXPECT_NE(text.find("P1000,0;"), std::string::npos) << c.name << ": " << text;
        ASSERT_GE(pumped.size(), 2u);
        EXPECT_EQ(pumped.back().port, kMachineDataPort);
        EXPECT_EQ(pumped.back().Text().substr(3), c.last) << c.name;
        // No jet data: the jet side ended at once, so the motion end also ends the jet side.
        EXPECT_EQ(CommandTexts(pumped), (std::vector<std::string>{"b100,1;"})) << c.name;
        EXPECT_LT(machine->jetEndMarker, 0);
        // The end packs go out once: until the machine reports the end, later polls and
        // acknowledgements send nothing more.
        for (int round = 0; round < 3; ++round) {
            clock.Advance(200);
            machine->ProTimeout(sender);
            AcknowledgeAll();
            EXPECT_TRUE(sender.Take().empty()) << c.name << ", round " << round;
        }
        EXPECT_EQ(machine->jobState, kJobPrinting) << c.name;
    }
}

TEST_F(JobTest, JobsWithoutListsTouchNoList)
{
    // A start request while no job waits starts the interpolator with nothing to walk.
    Start(0);
    EXPECT_EQ(machine->jobState, kJobPrinting);
    EXPECT_EQ(machine->CutList(), nullptr);
    AcknowledgeAll();
    sender.Take();
    for (const auto& s : PumpAll()) EXPECT_NE(s.port, kMachineDataPort);
    EndReport(0);
    EXPECT_EQ(machine->jobState, kJobIdle);

    // A job of a print list alone: its end report and resume (with the re-approach search of
    // firmware 5) have no cut list to work on.
    machine->firmwareVersion = 5;
    ASSERT_EQ(machine->task.SetData(new PlotShapeCutList, 3, nullptr), 1);
    Start(0);
    machine->jetEndMarker = 0;
    EndReport(0);
    ASSERT_EQ(machine->jobState, kJobPaused);
    Start(10, 3);
    EXPECT_EQ(machine->jobState, kJobPrinting);
    EXPECT_EQ(machine->jetEndMarker, 3);
}

TEST_F(JobTest, EndReportMeasuresTheDistanceAcrossTheCounterWrap)
{
    // The start reference lies 256 pulses below the wrap; the job is 1000 pulses long.
    struct Case {
        const char* name;
        uint32_t reported;
        int32_t jobState;
        LPARAM notice;
    };
    const Case cases[] = {
        {"999 pulses after the wrap (one less) is short", 744, kJobPaused, 0},
        {"1000 pulses is the end", 745, kJobIdle, 2},
        {"short without a wrap", 0xFFFFFFFFu, kJobPaused, 0},
    };
    for (const Case& c : cases) {
        machine = std::make_unique<NET_Machine>(inet_addr("127.0.0.2"), kMac, kId);
        machine->firmwareVersion = 4;
        machine->paramsReceived = 1;
        machine->extraBlockReceived = 1;
        HandInLine();
        Start(0xFFFFFF00u);
        PumpAll();
        window.Drain();
        sender.Take();
        EndReport(c.reported, 1000, 5);
        EXPECT_EQ(machine->jobState, c.jobState) << c.name;
        const auto state = Posted(WM_NET_MACHINE_STATE);
        ASSERT_EQ(state.size(), 1u) << c.name;
        EXPECT_EQ(state[0].lParam, c.notice) << c.name;
        const auto sent = sender.Take();
        EXPECT_EQ(CommandTexts(sent), c.jobState == kJobIdle ? std::vector<std::string>{"f4;"} : std::vector<std::string>{})
            << c.name;
        EXPECT_EQ(machine->task.IsTaken(), c.jobState == kJobIdle ? 0 : 1) << c.name;
        ASSERT_NE(machine->CutList(), nullptr);
        EXPECT_EQ(machine->CutList()->GetReportedPosition(), (CPoint{1000, 5})) << c.name;
    }
}

TEST_F(JobTest, EndReportWaitsForTheJetRowsAndTellsOfRemainingPages)
{
    HandInLine(4242);
    Start(0);
    PumpAll();
    machine->task.nextPageIndex = 1;
    // A marker of -11 stands for 1 jet row ended; the machine printed 2.
    machine->jetEndMarker = -11;
    EndReport(1000, 0, 0, 2);
    EXPECT_EQ(machine->jobState, kJobPaused) << "more jet rows printed than the jet side ended";
    Start(1000, 0);
    machine->jetEndMarker = -12;
    sender.Take();
    window.Drain();
    EndReport(1000, 0, 0, 2);
    EXPECT_EQ(machine->jobState, kJobIdle);
    const auto pages = Posted(WM_NET_PAGE_FINISHED);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].wParam, reinterpret_cast<WPARAM>(machine.get()));
    EXPECT_EQ(pages[0].lParam, 4242);
    EXPECT_EQ(CommandTexts(sender.Take()), (std::vector<std::string>{"f5;"}));
}

TEST_F(JobTest, ResumeContinuesFromTheReportedCount)
{
    HandInLine();
    Start(100);
    // The machine stops 400 pulses into the job and reports where it is.
    EndReport(500, 400, 0);
    ASSERT_EQ(machine->jobState, kJobPaused);
    machine->task.rowStep = 10;
    machine->task.lastRow = 2;
    sender.Take();
    Start(500, 6);
    EXPECT_EQ(machine->jobState, kJobPrinting);
    EXPECT_EQ(machine->resumed, 1);
    EXPECT_EQ(machine->jetEndMarker, 6);
    EXPECT_EQ(machine->task.rowAccumulator, 30) << "(6 - 2 - 1) rows of 10";
    EXPECT_EQ(machine->task.lastRow, 5);
    EXPECT_EQ(machine->task.currentRow, 5);
    EXPECT_EQ(machine->task.pauseValue3, 500);
    EXPECT_EQ(machine->CutList()->GetResumePulses(), 400);
    AcknowledgeAll();
    const std::string text = MotionText(PumpAll());
    EXPECT_EQ(text.rfind("P600,0;", 0), 0u) << "the rest of the cut from where the machine stopped: " << text;
    EXPECT_EQ(text.find("P1000,0;"), std::string::npos) << text;
}

TEST_F(JobTest, ResumeFromFirmware5MeasuresTheReapproachOfAJetPass)
{
    // A jet pass along +y (MauIndex 99) of 2000 pulses; the machine stops 500 pulses into it.
    // The re-approach is twice the rest of the pass, and the finished job needs it too.
    for (uint32_t reported : {4999u, 5000u}) {
        machine = std::make_unique<NET_Machine>(inet_addr("127.0.0.2"), kMac, kId);
        machine->firmwareVersion = 5;
        ASSERT_EQ(machine->task.SetData(new PlotShapeCutList, 1, NewJob({JobShape{{{{0, 0}, {0, 2000}}}, 99}})), 1);
        Start(0);
        EndReport(500, 0, 500);
        Start(500, 0, 0, 500);
        EXPECT_EQ(machine->task.pauseValue2, 3000);
        EXPECT_EQ(machine->CutList()->GetResumePulses(), 500) << "the traversal restarts at the stop";
        machine->jetEndMarker = -1;
        EndReport(reported, 0, 2000);
        EXPECT_EQ(machine->jobState, reported < 5000 ? kJobPaused : kJobIdle) << reported;
    }
}

TEST_F(JobTest, ResumeStoresTheToolDepthsOfThePrintList)
{
    struct Case {
        uint8_t firmware;
        uint8_t kind;
        int32_t fresh[4];
        int32_t resumed[4];
    };
    // Defaults: depth settings 300, 350, 300, 10; depth values A 800, B 600.
    const Case cases[] = {
        {4, 0x02, {0, 800, 600, 800}, {0, 800, 600, 600}},
        {4, 0x00, {300, 350, 300, 300}, {300, 350, 300, 340}},
    };
    for (const Case& c : cases) {
        machine = std::make_unique<NET_Machine>(inet_addr("127.0.0.2"), kMac, kId);
        machine->firmwareVersion = c.firmware;
        machine->machineKind = c.kind;
        HandInLine();
        Start(0);
        const PlotShapeCutList* cut = machine->CutList();
        for (int i = 0; i < 4; ++i) EXPECT_EQ(cut->GetToolDepth(i), c.fresh[i]) << int(c.kind) << " fresh " << i;
        EndReport(10);
        Start(10);
        const PlotShapeCutList* print = machine->PrintList();
        for (int i = 0; i < 4; ++i) EXPECT_EQ(print->GetToolDepth(i), c.resumed[i]) << int(c.kind) << " resumed " << i;
    }
}

TEST_F(JobTest, JetPacksOfTheDefaultHead)
{
    machine->SendJetConfig(sender);
    machine->SendJetMotoConfig(sender, 0);
    machine->SendJetMotoConfig(sender, 9);  // outside 0..2: level 0
    machine->SendJetRange(sender, Limit_PARAM{1, 2, 3, 0x12345});
    const auto sent = sender.Take();
    ASSERT_EQ(sent.size(), 4u);
    for (const auto& s : sent) EXPECT_EQ(s.port, kMachineCommandPort);
    EXPECT_EQ(sent[0].bytes, Pack(0, 4, Bytes{2, 2, 0, 0, 152, 152, 0, 0, 0, 0x55, 0xFF, 0, 0, 0, 0, 23}));
    const Bytes moto{0xE8, 0x03, 0xBC, 0x02,  0x40, 0x9C, 0x00, 0x00, 0xA0, 0x86, 0x01, 0x00,
                     0x18, 0xFC, 0xFF, 0xFF,  0x40, 0x0D, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(sent[1].bytes, Pack(1, 5, moto));
    EXPECT_EQ(sent[2].bytes, Pack(2, 5, moto));
    EXPECT_EQ(sent[3].bytes, Pack(3, 6, Bytes{3, 0, 0x45, 0x23, 1, 0, 2, 0}));

    // Head count above 2 is sent as 2; level 1 and the motor value as the machine's unit.
    machine->jet.headCount = 4;
    machine->jet.motorValue = 25;
    machine->SendJetConfig(sender);
    machine->SendJetMotoConfig(sender, 1);
    const auto more = sender.Take();
    EXPECT_EQ(more[0].bytes[3 + 8], 2);
    EXPECT_EQ(LoadLE16(more[1].bytes.data() + 3), 1500);
    EXPECT_EQ(static_cast<int32_t>(LoadLE32(more[1].bytes.data() + 3 + 20)), -848) << "-(25 / 0.02946...) truncated";
}

TEST_F(JobTest, JetStartKeySendsTheHeadSetUpOfAPausedJob)
{
    HandInLine();
    Start(0);
    EndReport(1);
    ASSERT_EQ(machine->jobState, kJobPaused);
    machine->motionSource.interpolator.jetLevelIndex = 2;
    machine->task.bandValue2 = 1000;
    sender.Take();
    Receive(Request(machine->expectedRequest, 1, 7).U8(6, 0xD7));
    const auto sent = sender.Take();
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[1].bytes[2], 4);
    EXPECT_EQ(sent[2].bytes[2], 5);
    EXPECT_EQ(LoadLE16(sent[2].bytes.data() + 3), 1000) << "level 0 first";
    EXPECT_EQ(sent[3].bytes[2], 5);
    EXPECT_EQ(LoadLE16(sent[3].bytes.data() + 3), 2000) << "then the jet level";
    // Band of 1000 rows with the default head: low edge 800, top 800 + 1000 + 83 + 171.
    EXPECT_EQ(sent[4].bytes, Pack(sent[4].bytes[1], 6, Bytes{0x20, 0x03, 0x06, 0x08, 0x20, 0x03, 0x06, 0x08}));
    EXPECT_EQ(sent[5].Text().substr(3), "f0;");
    EXPECT_EQ(machine->task.jetLevel, 2);
    EXPECT_EQ(machine->task.headPositions[1], -171);
    EXPECT_EQ(machine->task.headPositions[4], 171);
    EXPECT_EQ(machine->task.nozzleRanges[3], 300);

    // While the job prints, the same key is a speed-level command.
    Start(1);
    ASSERT_EQ(machine->jobState, kJobPrinting);
    sender.Take();
    Receive(Request(machine->expectedRequest, 1, 16).U8(6, 0xDF).U16(7, 1100).U16(10, 1200).U16(13, 1300));
    EXPECT_EQ(sender.Take().size(), 1u) << "only the answer";
    EXPECT_EQ(machine->speedLevels[2].speed, 1300);
}

TEST_F(JobTest, BandLimits)
{
    EXPECT_EQ(machine->GetJetWidth(), 171);
    EXPECT_EQ(machine->GetJetPt(), 300);
    Limit_PARAM l;
    machine->GetLimit(l, 1000, 0);
    EXPECT_EQ((std::vector<int32_t>{l.limit0, l.limit1, l.limit2, l.limit3}), (std::vector<int32_t>{800, 2054, 800, 2054}));
    machine->GetLimitLast(l, 1000, 300, 0);
    EXPECT_EQ((std::vector<int32_t>{l.limit0, l.limit1, l.limit2, l.limit3}), (std::vector<int32_t>{800, 1354, 800, 1354}));
    // Head values move the edges: 3 raises the top by 24 rows, -5 lowers the bottom by 40.
    machine->speedLevels[0].headValues[0] = 3;
    machine->speedLevels[0].headValues[1] = -5;
    machine->GetLimit(l, 1000, 0);
    EXPECT_EQ((std::vector<int32_t>{l.limit0, l.limit1, l.limit2, l.limit3}), (std::vector<int32_t>{760, 2078, 760, 2078}));
}

TEST_F(JobTest, JetProgressSendsTheLastBandOnceAndReportsProgress)
{
    HandInLine(55);
    Start(0);
    sender.Take();
    window.Drain();
    machine->task.rowStep = 100;
    machine->task.bandTrigger = 250;
    machine->task.bandValue2 = 1000;
    machine->task.bandValue1 = 300;
    machine->JetProgress(sender, 4);  // (4 - 0 - 2) x 100 = 200 printed: not yet the last band
    EXPECT_TRUE(sender.Take().empty());
    machine->JetProgress(sender, 4);  // no new rows: nothing
    machine->JetProgress(sender, 5);
    auto sent = sender.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes[2], 6);
    EXPECT_EQ(machine->task.bandTrigger, INT32_MAX);
    machine->JetProgress(sender, 6);
    EXPECT_TRUE(sender.Take().empty());
    EXPECT_EQ(machine->task.currentRow, 5);
    // The print list of this job is empty: a job without width counts as printed.
    const auto progress = Posted(WM_NET_JET_PROGRESS);
    ASSERT_EQ(progress.size(), 3u);
    EXPECT_EQ(progress[0].wParam, 55u);
    EXPECT_EQ(progress[0].lParam, reinterpret_cast<LPARAM>(machine.get()));
    EXPECT_EQ(machine->task.progress, 100.0);
}

TEST_F(JobTest, ANewJobReportsItsJetProgressFromItsOwnStart)
{
    // The copy before ran to row 40 and 100 %; the next copy starts afresh.
    HandInLine(56);
    machine->task.rowStep = 100;
    machine->task.currentRow = 40;
    machine->task.progress = 100.0;
    Start(0);
    sender.Take();
    window.Drain();
    EXPECT_EQ(machine->task.currentRow, machine->task.lastRow);
    EXPECT_EQ(machine->task.progress, 0.0);
    // Its first rows are reported.
    machine->JetProgress(sender, 3);
    EXPECT_EQ(machine->task.currentRow, 2);
    const auto progress = Posted(WM_NET_JET_PROGRESS);
    ASSERT_EQ(progress.size(), 1u);
    EXPECT_EQ(progress[0].wParam, 56u);
}

TEST_F(JobTest, JetSideEndsStepByStepWithTheMachinesProgress)
{
    HandInLine();
    Start(0);
    PumpAll();  // the motion has ended and the cut list is finished
    ASSERT_EQ(machine->CutList()->IsFinished(), 1);
    ASSERT_LT(machine->jetEndMarker, 0);
    machine->jetEndMarker = -1;
    sender.Take();
    Receive(Datagram("QGJA", 18).U32(14, 0));
    EXPECT_EQ(CommandTexts(sender.Take()), (std::vector<std::string>{"b100,1;"}));
    EXPECT_EQ(machine->jetEndMarker, -11);
    Receive(Datagram("QGJA", 18).U32(14, 1));
    EXPECT_TRUE(CommandTexts(sender.Take()).empty()) << "progress 1 is not beyond 1";
    Receive(Datagram("QGJA", 18).U32(14, 2));
    EXPECT_EQ(CommandTexts(sender.Take()), (std::vector<std::string>{"b100,11;"}));
    EXPECT_EQ(machine->jetEndMarker, -21);

    // However long the machine reports, the marker stays a 32-bit number.
    machine->jetEndMarker = INT32_MIN + 5;
    Receive(Datagram("QGJA", 18).U32(14, INT32_MAX));
    EXPECT_EQ(machine->jetEndMarker, INT32_MIN);
}

TEST_F(JobTest, MotoMoveText)
{
    machine->SendMotoMove(-30, 45);
    machine->SendMotoMove(12, -7);
    EXPECT_EQ(interp_fixtures::Text(machine->motionStream),
              "W0,3;P45,0;S1,1000,1,1000,60000,120000,45;W0,4;P0,-30;S1,1000,1,1000,60000,120000,30;"
              "W0,2;P-7,0;S1,1000,1,1000,60000,120000,7;W0,4;P0,12;S1,1000,1,1000,60000,120000,12;");
}

}  // namespace
}  // namespace corvane_test
