// The control panel: jog values and their one stop per press, however the hold ends, the
// panel's command buttons and the stored work mode; posted frames read from the link socket.
#include "ui/view_ctl_panel.h"

#include "app/preview_port.h"
#include "app/settings_keys.h"
#include "platform/settings_store.h"
#include "recorded_document.h"

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace corvane_test {
namespace {

constexpr uint8_t kMachineOctet = 181;
constexpr uint8_t kByteCommandCode = 128;

// Counts what the panel asks of the preview.
class CountingPreview : public PreviewPort {
public:
    CPrintTask* GetShownJob() const override { return nullptr; }
    void ShowJob(CPrintTask*) override {}
    void ClearShownJob() override {}
    void Invalidate() override { ++invalidated; }
    void FitJobToView() override { ++fitted; }
    void DrawCutProgress(double, double) override {}
    void ToggleRuler() override { ++rulerToggled; }
    int invalidated = 0, fitted = 0, rulerToggled = 0;
};

// The panel of a recorded document whose machine is selected.
class ControlPanelTest : public RecordedDocumentTest {
protected:
    ControlPanelTest() : RecordedDocumentTest(kMachineOctet) {}
    void SetUp() override
    {
        machineRows_.selected = 0;
        doc_.SetPreview(&preview_);
        panel_ = MakePanel();
    }
    void TearDown() override { panel_.reset(); }

    std::unique_ptr<CViewCtlPanel> MakePanel()
    {
        auto panel = std::make_unique<CViewCtlPanel>(doc_);
        panel->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
        return panel;
    }
    CMyButton* Jog(int id) { return qobject_cast<CMyButton*>(panel_->Control(id)); }

    // The values of the key commands (128) posted since the last call, each to the machine.
    std::vector<uint8_t> JogValuesTaken()
    {
        std::vector<uint8_t> values;
        for (const RecordedCommandFrame& frame : recorder_.Take()) {
            if (frame.code != kByteCommandCode) continue;
            EXPECT_EQ(frame.key, machine_.ip);
            EXPECT_EQ(frame.payload.size(), 1u);
            if (!frame.payload.empty()) values.push_back(frame.payload[0]);
        }
        return values;
    }

    CountingPreview preview_;
    std::unique_ptr<CViewCtlPanel> panel_;
};

TEST_F(ControlPanelTest, EachJogButtonSendsItsValueWhilePressedThenTheStop)
{
    std::vector<uint8_t> expected;
    for (const auto& [id, value] : std::vector<std::pair<int, uint8_t>>{
             {1003, 4}, {1001, 2}, {1002, 3}, {1004, 5}, {1019, 9}, {1022, 8}}) {
        CMyButton* button = Jog(id);
        ASSERT_NE(button, nullptr) << id;
        QTest::mousePress(button, Qt::LeftButton);
        EXPECT_TRUE(button->IsPressed()) << id;
        EXPECT_TRUE(button->isDown()) << id;
        // The pointer leaving the held button neither stops the jog nor lets the button up.
        QTest::mouseMove(button, QPoint(-20, -20));
        EXPECT_TRUE(button->isDown()) << id;
        QTest::mouseRelease(button, Qt::LeftButton);
        EXPECT_FALSE(button->IsPressed()) << id;
        expected.insert(expected.end(), {value, kJogStopValue});
    }
    EXPECT_EQ(JogValuesTaken(), expected);
}

TEST_F(ControlPanelTest, WithoutASelectedMachineNothingIsSentAndTheStopGoesToThePressedOne)
{
    machineRows_.selected = -1;
    QTest::mousePress(Jog(1003), Qt::LeftButton);
    EXPECT_FALSE(Jog(1003)->IsPressed());
    QTest::mouseRelease(Jog(1003), Qt::LeftButton);
    // Space pushes the button down but is no press of the mouse: no jog.
    machineRows_.selected = 0;
    QTest::keyClick(Jog(1003), Qt::Key_Space);
    EXPECT_EQ(JogValuesTaken(), std::vector<uint8_t>{});

    // The selection goes away during the hold: the machine that moves is still stopped.
    QTest::mousePress(Jog(1001), Qt::LeftButton);
    machineRows_.selected = -1;
    QTest::mouseRelease(Jog(1001), Qt::LeftButton);
    EXPECT_EQ(JogValuesTaken(), (std::vector<uint8_t>{2, kJogStopValue}));
}

TEST_F(ControlPanelTest, EveryWayOfLosingTheHoldStopsThePressedMachineOnce)
{
    struct Case {
        const char* name;
        std::function<void(std::unique_ptr<CViewCtlPanel>&)> loseHold;
        // Undoes what loseHold did, so that the release can still come.
        std::function<void(CViewCtlPanel&)> restore;
    };
    const Case cases[] = {
        {"focus lost",
         [](auto& panel) {
             QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
             QApplication::sendEvent(panel->Control(1003), &focusOut);
         },
         nullptr},
        {"message box",
         [](auto& panel) {
             QMessageBox box(QMessageBox::Information, QStringLiteral("Corvane"), QStringLiteral("x"), QMessageBox::Ok,
                             panel.get());
             box.setWindowModality(Qt::ApplicationModal);
             box.show();
             QApplication::processEvents();
         },
         nullptr},
        {"popup menu takes the mouse",
         [](auto&) {
             QMenu menu;
             menu.addAction(QStringLiteral("a"));
             menu.popup(QPoint(0, 0));
             QApplication::processEvents();
         },
         nullptr},
        {"hidden to the tray", [](auto& panel) { panel->hide(); }, [](CViewCtlPanel& panel) { panel.show(); }},
        {"disabled", [](auto& panel) { panel->setEnabled(false); }, [](CViewCtlPanel& panel) { panel.setEnabled(true); }},
        {"deactivated",
         [](auto& panel) {
             QEvent deactivate(QEvent::WindowDeactivate);
             QApplication::sendEvent(panel->window(), &deactivate);
         },
         nullptr},
        {"destroyed", [](auto& panel) { panel.reset(); }, nullptr},
    };
    std::vector<uint8_t> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!panel_) panel_ = MakePanel();
        QTest::mousePress(Jog(1003), Qt::LeftButton);
        ASSERT_TRUE(Jog(1003)->IsPressed());
        c.loseHold(panel_);
        expected.insert(expected.end(), {4, kJogStopValue});
        if (!panel_) continue;
        EXPECT_FALSE(Jog(1003)->IsPressed());
        EXPECT_FALSE(Jog(1003)->isDown()) << "the button shows up again";
        if (c.restore) c.restore(*panel_);
        QTest::mouseRelease(Jog(1003), Qt::LeftButton);
    }
    EXPECT_EQ(JogValuesTaken(), expected);
}

TEST_F(ControlPanelTest, CommandButtonsGoToTheDocumentAndThePreview)
{
    const auto click = [&](int id) { QTest::mouseClick(qobject_cast<QPushButton*>(panel_->Control(id)), Qt::LeftButton); };
    click(IDC_RESET_MACHINE);
    std::vector<RecordedCommandFrame> frames = recorder_.Take();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].key, machine_.ip);
    EXPECT_EQ(std::string(frames[0].payload.begin(), frames[0].payload.end()), "b9,0;") << "the selected machine is reset";

    // The jet test sends the head configuration (5), then key value 7.
    click(IDC_TEST_JET);
    frames = recorder_.Take();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].code, 5);
    EXPECT_EQ(frames[1].code, kByteCommandCode);
    EXPECT_EQ(frames[1].payload, std::vector<uint8_t>{7});

    click(IDC_FIT_PREVIEW);
    click(IDC_TOGGLE_RULER);
    EXPECT_EQ(preview_.fitted, 1);
    EXPECT_EQ(preview_.rulerToggled, 1);
    EXPECT_EQ(preview_.invalidated, 1);

    // Nothing is selected: the machine buttons send nothing.
    machineRows_.selected = -1;
    click(IDC_RESET_MACHINE);
    click(IDC_TEST_JET);
    EXPECT_TRUE(recorder_.Take().empty());
}

TEST_F(ControlPanelTest, TheWorkModeBoxShowsAndStoresTheOperatorsChoice)
{
    ASSERT_EQ(panel_->WorkModeBox()->count(), 3);
    EXPECT_EQ(panel_->WorkModeBox()->itemText(1).toStdU16String(), u"仅切割");
    EXPECT_EQ(panel_->WorkModeBox()->currentIndex(), 0);

    WriteProfileInt(SettingsKeys::kAutoPrintSection, SettingsKeys::kWorkMode, 2);
    // Each panel fills its own box.
    panel_ = MakePanel();
    ASSERT_EQ(panel_->WorkModeBox()->count(), 3);
    EXPECT_EQ(panel_->WorkModeBox()->currentIndex(), 2);

    QTest::keyClick(panel_->WorkModeBox(), Qt::Key_Up);
    EXPECT_EQ(panel_->WorkModeBox()->currentText().toStdU16String(), u"仅切割");
    EXPECT_EQ(GetProfileInt(SettingsKeys::kAutoPrintSection, SettingsKeys::kWorkMode, 0), 1);
}

}  // namespace
}  // namespace corvane_test
