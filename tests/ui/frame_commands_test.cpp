// The frame's tool bar and command routing: its buttons and pictures, the document's commands
// and their states, further command targets asked in turn, and targets that go during a command.
#include "ui/main_frame.h"

#include "recorded_document.h"
#include "support/event_loop.h"
#include "support/recording_message_sink.h"
#include "ui/command_ids.h"
#include "ui/preview_geometry.h"
#include "ui/true_color_tool_bar.h"
#include "ui/view_ctl_panel.h"
#include "ui/view_graphic.h"

#include <QAction>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace corvane_test {
namespace {

constexpr uint8_t kMachineOctet = 183;

// Knows one command, enabled; runs it by calling onCommand, which may decline it.
class OneCommandTarget : public CommandTarget {
public:
    explicit OneCommandTarget(int id) : id_(id) {}
    bool OnCommand(int id) override
    {
        if (id != id_) return false;
        ++runs;
        return onCommand ? onCommand() : true;
    }
    std::optional<CommandButtonState> CommandState(int id) const override
    {
        if (id != id_) return std::nullopt;
        return CommandButtonState{true, false};
    }
    int runs = 0;
    std::function<bool()> onCommand;

private:
    int id_;
};

class FrameCommandsTest : public RecordedDocumentTest {
protected:
    FrameCommandsTest() : RecordedDocumentTest(kMachineOctet) {}
    void SetUp() override
    {
        frame_ = std::make_unique<CMainFrame>(recorder_, doc_, 1);
        ASSERT_TRUE(frame_->Create());
        // The frame's list views took the document's rows; the test's rows stand in for them.
        doc_.SetListRows(&jobRows_, &machineRows_);
        frame_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
    }
    void TearDown() override { frame_.reset(); }

    QAction* Button(int id) const { return frame_->GetToolBar()->CommandButton(id); }
    // Runs the event loop until the idle update has shown id's button enabled or not.
    bool ShowsEnabled(int id, bool enabled)
    {
        return RunEventLoopUntil([&] { return Button(id)->isEnabled() == enabled; }, 2000);
    }

    RecordingMessageSink sink_;
    std::unique_ptr<CMainFrame> frame_;
};

TEST_F(FrameCommandsTest, TheToolBarHasEveryButtonWithItsPicturesAndThePanelIsInTheUpperRow)
{
    CTrueColorToolBar* bar = frame_->GetToolBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->ImageLists().normal.size(), 26u);
    EXPECT_EQ(bar->ImageLists().hot.size(), 26u);
    EXPECT_EQ(bar->ImageLists().disabled.size(), 26u);
    EXPECT_EQ(bar->iconSize(), QSize(32, 32));
    for (int id : {ID_FILE_OPEN, ID_JOB_START, ID_COPIES_UP, ID_SET_PEN, ID_PREVIEW_SWAP, ID_MERGE_FILES, ID_TEST_JET,
                   ID_APP_MENU}) {
        ASSERT_NE(Button(id), nullptr) << id;
        EXPECT_FALSE(Button(id)->icon().isNull()) << id;
    }
    EXPECT_NE(frame_->findChild<CViewCtlPanel*>(), nullptr);
}

TEST_F(FrameCommandsTest, DocumentCommandsRunOnTheDocumentWithTheirStates)
{
    // No machine and no job selected: the machine and job-row commands are off, the rest on.
    for (int id : {ID_MACHINE_ZERO, ID_TEST_JET, ID_MACHINE_RESET, ID_MACHINE_SETUP, ID_COPIES_UP, ID_COPIES_DOWN,
                   ID_JOB_MOVE_TO_TOP})
        EXPECT_TRUE(ShowsEnabled(id, false)) << id;
    for (int id : {ID_JOB_START, ID_DELETE_JOBS, ID_DIRECTORY_PRINT}) EXPECT_TRUE(ShowsEnabled(id, true)) << id;
    // The preview takes its commands, off while it shows no job.
    EXPECT_TRUE(ShowsEnabled(ID_PREVIEW_SWAP, false));
    EXPECT_TRUE(ShowsEnabled(ID_SET_PEN, false));
    EXPECT_TRUE(frame_->OnCommand(ID_PREVIEW_SWAP));

    machineRows_.selected = 0;
    ASSERT_TRUE(ShowsEnabled(ID_MACHINE_ZERO, true));
    Button(ID_MACHINE_ZERO)->trigger();
    const std::vector<RecordedCommandFrame> frames = recorder_.Take();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].key, machine_.ip);
    EXPECT_EQ(frames[0].code, 128);
    EXPECT_EQ(frames[0].payload, std::vector<uint8_t>{1});

    Button(ID_DIRECTORY_PRINT)->trigger();
    EXPECT_EQ(doc_.directoryPrint, 1);
    EXPECT_TRUE(Button(ID_DIRECTORY_PRINT)->isChecked());
    Button(ID_DIRECTORY_PRINT)->trigger();
    EXPECT_EQ(doc_.directoryPrint, 0);
    EXPECT_FALSE(Button(ID_DIRECTORY_PRINT)->isChecked());
}

TEST_F(FrameCommandsTest, FurtherTargetsAreAskedAfterTheDocumentAndTargetsThatGoAreNotAsked)
{
    // The preview steps aside so that the test's target answers the swap.
    auto* preview = frame_->findChild<CViewGraphic*>(QString::fromLatin1(CViewGraphic::kObjectName));
    ASSERT_NE(preview, nullptr);
    frame_->RemoveCommandTarget(preview);
    OneCommandTarget swap(ID_PREVIEW_SWAP);
    OneCommandTarget zero(ID_MACHINE_ZERO);
    frame_->AddCommandTarget(&swap);
    frame_->AddCommandTarget(&zero);
    frame_->AddCommandTarget(&swap);
    ASSERT_TRUE(ShowsEnabled(ID_PREVIEW_SWAP, true));
    Button(ID_PREVIEW_SWAP)->trigger();
    EXPECT_EQ(swap.runs, 1) << "added twice, asked once";
    // The document knows zero first: the later target is never asked for it.
    EXPECT_TRUE(frame_->OnCommand(ID_MACHINE_ZERO));
    EXPECT_EQ(zero.runs, 0);

    // A target that declines a command after removing a later one (its dialog closed that
    // view): the target gone is not asked.
    frame_->RemoveCommandTarget(&swap);
    frame_->RemoveCommandTarget(&zero);
    EXPECT_TRUE(ShowsEnabled(ID_PREVIEW_SWAP, false)) << "a removed target's buttons go off";
    auto leaving = std::make_unique<OneCommandTarget>(ID_SET_PEN);
    OneCommandTarget closer(ID_SET_PEN);
    closer.onCommand = [&] {
        frame_->RemoveCommandTarget(leaving.get());
        leaving.reset();
        return false;
    };
    frame_->AddCommandTarget(&closer);
    frame_->AddCommandTarget(leaving.get());
    EXPECT_FALSE(frame_->OnCommand(ID_SET_PEN));
    EXPECT_EQ(closer.runs, 1);
    frame_->RemoveCommandTarget(&closer);
}

}  // namespace
}  // namespace corvane_test
