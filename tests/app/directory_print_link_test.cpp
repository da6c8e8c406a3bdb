// Directory printing end to end over loopback: a plot file dropped into the auto directory and
// one uploaded by a client become jobs and are cut, one after the other, by an idle simulated
// knife machine that continues by itself; the "FileSetting"/"Delete" option decides whether
// the cut files and their jobs go.
#include "app/doc_corvane.h"
#include "app/list_lines.h"
#include "app/main_frame_messages.h"
#include "app/print_task.h"
#include "app/settings_keys.h"
#include "link_fixture.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "platform/settings_store.h"
#include "support/event_loop.h"
#include "support/loopback_tcp_client.h"
#include "support/recording_message_sink.h"
#include "support/simulated_machine.h"
#include "support/test_environment.h"
#include "support/test_views.h"
#include "uploadserver/tcp_client1.h"
#include "uploadserver/tcp_server1.h"
#include "uploadserver/upload_messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace corvane_test {
namespace {

constexpr uint8_t kMachineOctet = 171;
// The auto-print timer's period and how far the fake clock moves per look at the test.
constexpr TickMs kAutoPrintTimerMs = 2000;
constexpr TickMs kStepMs = 5;

// A knife square (SP1) of 100 mm whose corner lies offsetMm along x.
std::string KnifeSquare(int offsetMm)
{
    const int x0 = offsetMm * 40, x1 = x0 + 4000;
    const std::string a = std::to_string(x0), b = std::to_string(x1);
    return "IN;SP1;PU" + a + ",0;PD" + b + ",0," + b + ",4000," + a + ",4000," + a + ",0;";
}

// The text the client received, as UTF-16.
std::u16string Text(const std::string& bytes)
{
    std::u16string text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    return text;
}

// True when text holds the deleted-row line of the job of path.
bool HasDeleteLine(const std::u16string& text, const std::u16string& path)
{
    const size_t end = text.find(u"|" + path + u">");
    if (end == std::u16string::npos) return false;
    const size_t start = text.rfind(u"<FILE", end);
    return start != std::u16string::npos && text.compare(start, 6, u"<FILEd") == 0;
}

class DirectoryPrintOverLink : public ::testing::Test {
protected:
    // Stores the delete option and the auto directory, starts machine, link and upload server,
    // and waits until the machine has its row (the current machine) and has reported its
    // parameters.
    void Start(int deleteAfterCut)
    {
        EnsureEventLoop();
        autoDir_ = ScratchDir() + "auto";
        std::filesystem::create_directories(autoDir_);
        WriteProfileInt(SettingsKeys::kFileSection, SettingsKeys::kDeleteAfterPrint, deleteAfterCut);
        WriteProfileString(SettingsKeys::kAutoPrintSection, SettingsKeys::kAutoDirectory,
                           CString::FromUtf8(autoDir_).GetString());
        doc_.LoadDirectorySettings();
        doc_.SetListRows(&jobRows_, &machineRows_);
        frame_.deleteAfterCut = GetProfileInt(SettingsKeys::kFileSection, SettingsKeys::kDeleteAfterPrint, 0);
        SetMainMessageTarget(&frame_);

        SimulatedMachineOptions options;
        options.hostOctet = kMachineOctet;
        StoreLE16(options.settingsBlock.data() + 172, 3);  // SP1 is a knife
        options.settingsBlock[175] |= 0x20;                // auto-continue
        sim_ = std::make_unique<SimulatedMachine>(options);
        std::string error;
        ASSERT_TRUE(sim_->Start(&error)) << error;
        ASSERT_TRUE(link_.Start());
        ASSERT_TRUE(Drive([&] {
            CSingleLock hold(&link_.Server().GetLock(), TRUE);
            const NET_Machine* machine = link_.Server().FindMachineByKey(sim_->Key());
            return machine != nullptr && machine->paramsReceived != 0 && machineRows_.GetRowCount() == 1;
        }));
        ASSERT_EQ(machineRows_.GetRowChecked(0), 1);

        CTCPServer1::SetAutoDir(doc_.autoDirectory);
        wire_ = ConnectToUploadServer();
        ASSERT_NE(wire_, nullptr);
        ASSERT_TRUE(Drive([&] { return client_ != nullptr; }));
    }
    void TearDown() override
    {
        // The link stops first, so nothing it posts outlives the frame.
        link_.Stop();
        if (sim_) sim_->Stop();
        if (wire_) {
            wire_->Close();
            EXPECT_TRUE(RunEventLoopUntil([&] { return client_ == nullptr || CTCPClient1::FindClient(client_) < 0; }));
        }
        CTCPServer1::GetGlobalServer()->Close();
        CTCPServer1::SetAutoDir(CString());
        Deliver();
    }

    // Hands the frame what was posted to it, noting the upload client when it is accepted.
    void Deliver()
    {
        for (const PostedMessage& m : frame_.TakePosted()) {
            if (m.message == WM_TCP_CLIENT_ACCEPTED) client_ = reinterpret_cast<CTCPClient1*>(m.wParam);
            frame_.OnMessage(m.message, m.wParam, m.lParam);
        }
    }

    // Runs the event loop with the fake clock moving on, delivering the frame's messages,
    // collecting what the client receives and running the auto-print timer, until done().
    bool Drive(const std::function<bool()>& done)
    {
        return RunEventLoopUntil(
            [&] {
                clock_.Advance(kStepMs);
                Deliver();
                if (wire_) {
                    wire_->Poll();
                    received_ += Text(wire_->TakeReceived());
                }
                if (clock_.NowMs() - lastTickMs_ >= kAutoPrintTimerMs) {
                    lastTickMs_ = clock_.NowMs();
                    doc_.RunAutoPrintTick();
                }
                return done();
            },
            15000);
    }

    // Drops a.plt into the auto directory, switches directory printing on from the client and
    // uploads b.plt in two parts; the upload's "-" file is never taken. Leaves both cut.
    void CutBothFiles(const std::function<bool()>& bothCut)
    {
        ASSERT_TRUE(WriteFile(PathA(), KnifeSquare(0)));
        ASSERT_TRUE(wire_->Send(Utf16Bytes(u"<FILEa:1>")));
        ASSERT_TRUE(Drive([&] { return doc_.directoryPrint == 1 && CountF2() >= 1; }));

        const std::string body = KnifeSquare(200);
        const std::u16string size = CString::FromUtf8(std::to_string(body.size())).str();
        const size_t half = body.size() / 2;
        ASSERT_TRUE(wire_->Send(Utf16Bytes(u"<FHED,L:" + size + u",N:b.plt><FSEG,L:" + size + u">") + body.substr(0, half)));
        ASSERT_TRUE(Drive([&] { return std::filesystem::exists(PathB() + "-"); }));
        const TickMs until = clock_.NowMs() + 2 * kAutoPrintTimerMs;
        ASSERT_TRUE(Drive([&] { return clock_.NowMs() >= until; }));
        for (int row = 0; row < jobRows_.GetRowCount(); ++row)
            EXPECT_EQ(jobRows_.GetRowJob(row)->path.ToUtf8().find("b.plt"), std::string::npos) << "taken before its end";

        ASSERT_TRUE(wire_->Send(body.substr(half) + Utf16Bytes(u"<FEND>")));
        ASSERT_TRUE(Drive(bothCut)) << CountF2() << " jobs started";
        EXPECT_EQ(CountF2(), 2);
        EXPECT_TRUE(sink_.Shown().empty()) << "an operator message";
    }

    // The jobs the machine was told to start.
    int CountF2() const
    {
        const std::vector<std::string> texts = sim_->CommandTexts();
        return static_cast<int>(std::count(texts.begin(), texts.end(), std::string("f2;")));
    }
    std::string PathA() const { return autoDir_ + "/a.plt"; }
    std::string PathB() const { return autoDir_ + "/b.plt"; }
    bool MachineIdle()
    {
        CSingleLock hold(&link_.Server().GetLock(), TRUE);
        NET_Machine* machine = link_.Server().FindMachineByKey(sim_->Key());
        return machine != nullptr && !machine->task.IsTaken() && !machine->task.HasWaitingJob();
    }

    RecordingMessageSink sink_;
    FakeClock clock_;
    LoopbackLink link_{kMachineOctet};
    CDocCorvane doc_{link_.Server()};
    TestJobRows jobRows_;
    TestMachineRows machineRows_;
    MainFrameMessages frame_{doc_, CMessageTarget::Delivery::ByHand};
    std::unique_ptr<SimulatedMachine> sim_;
    std::unique_ptr<LoopbackTcpClient> wire_;
    CTCPClient1* client_ = nullptr;
    std::string autoDir_;
    std::u16string received_;
    TickMs lastTickMs_ = 0;
};

TEST_F(DirectoryPrintOverLink, WithDeleteOnTheCutFilesAndTheirJobsGo)
{
    ASSERT_NO_FATAL_FAILURE(Start(1));
    ASSERT_NO_FATAL_FAILURE(CutBothFiles([&] {
        return CountF2() == 2 && doc_.GetJobList().Count() == 0 && !std::filesystem::exists(PathA()) &&
               !std::filesystem::exists(PathB()) && MachineIdle();
    }));
    // The client hears of both deletions.
    EXPECT_TRUE(Drive([&] {
        return HasDeleteLine(received_, CString::FromUtf8(PathA()).str()) &&
               HasDeleteLine(received_, CString::FromUtf8(PathB()).str());
    }));
    EXPECT_EQ(jobRows_.GetRowCount(), 0);
}

TEST_F(DirectoryPrintOverLink, WithDeleteOffBothFilesAndJobsStayCut)
{
    ASSERT_NO_FATAL_FAILURE(Start(0));
    const auto cut = [&](const std::string& path) {
        const CPrintTask* job = doc_.FindJobByPath(CString::FromUtf8(path));
        return job != nullptr && job->copiesDone == 1 && job->runState == CPrintTask::kIdle;
    };
    ASSERT_NO_FATAL_FAILURE(CutBothFiles([&] { return cut(PathA()) && cut(PathB()) && MachineIdle(); }));
    EXPECT_TRUE(std::filesystem::exists(PathA()));
    EXPECT_TRUE(std::filesystem::exists(PathB()));
    ASSERT_EQ(jobRows_.GetRowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        const CString copies = jobRows_.GetRowTexts(row)[JobColumn::kCopies];
        EXPECT_EQ(copies.str().rfind(u"1/1", 0), 0u) << copies.ToUtf8();
        EXPECT_EQ(jobRows_.GetRowJob(row)->copies, 1);
    }
    EXPECT_EQ(received_.find(u"<FILEd"), std::u16string::npos);
}

}  // namespace
}  // namespace corvane_test
