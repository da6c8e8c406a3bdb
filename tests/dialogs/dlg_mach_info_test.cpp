// The machine settings dialog: what it shows, what its OK stores and posts, and what it refuses.
#include "dialog_fixture.h"

#include "app/doc_corvane.h"
#include "ui/dlg_mach_info.h"
#include "ui/dlg_page_sp_setup.h"
#include "ui/job_dialog_widgets.h"
#include "ui/property_sheet.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>

namespace corvane_test {
namespace {

using Bytes = std::vector<uint8_t>;

class MachInfoTest : public DialogTest {
protected:
    // Opens the dialog, lets edit change it, presses OK; true when the dialog closed.
    bool RunOK(const std::function<void(CDlgMachInfo&)>& edit)
    {
        CDlgMachInfo dialog(Server(), &machine_, nullptr);
        dialog.show();
        edit(dialog);
        Click(dialog, "ok");
        return !dialog.isVisible();
    }
};

TEST_F(MachInfoTest, OkUntouchedPostsNothing)
{
    for (bool cuttingType : {false, true}) {
        machine_.firmwareVersion = cuttingType ? 4 : 1;
        machine_.machineKind = cuttingType ? 0x02 : 0;
        EXPECT_TRUE(RunOK([](CDlgMachInfo&) {}));
        EXPECT_TRUE(PostedCodes().empty());
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MachInfoTest, OutOfRangeLevelsAndFlagsAreShownAndStoredInRange)
{
    machine_.motionSource.interpolator.firstSpeedIndex = 3;
    machine_.rightEdgeMarks = 2;
    CDlgMachInfo dialog(Server(), &machine_, nullptr);
    auto* low = dialog.findChild<QAbstractButton*>("cutLevel0");
    ASSERT_NE(low, nullptr);
    EXPECT_EQ(low->text(), QStringLiteral("低"));
    EXPECT_TRUE(low->isChecked());
    EXPECT_TRUE(dialog.findChild<QCheckBox*>("autoPaperCut")->isChecked());
    EXPECT_EQ(machine_.motionSource.interpolator.firstSpeedIndex, 0);
    EXPECT_EQ(machine_.rightEdgeMarks, 1);
}

TEST_F(MachInfoTest, CutLevelChangePostsWorkFlagsAlone)
{
    machine_.motionSource.interpolator.secondSpeedIndex = 1;
    EXPECT_TRUE(RunOK([](CDlgMachInfo& d) { Click(d, "cutLevel2"); }));
    const std::vector<RecordedCommandFrame> frames = Posted();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, 15);
    EXPECT_EQ(frames[0].key, machine_.ip);
    EXPECT_EQ(frames[0].payload, (Bytes{0x06, 0xE8, 0x03, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(machine_.motionSource.interpolator.firstSpeedIndex, 2);
}

TEST_F(MachInfoTest, KnifePenDistanceChangesBeyondTheTolerancePostTheOffsets)
{
    EXPECT_TRUE(RunOK([](CDlgMachInfo& d) { Type(d, "knifePenX", QStringLiteral("0.0000005")); }));
    EXPECT_TRUE(PostedCodes().empty());

    EXPECT_TRUE(RunOK([](CDlgMachInfo& d) { Type(d, "knifePenX", QStringLiteral("0.01")); }));
    const std::vector<RecordedCommandFrame> frames = Posted();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, 12);
    ASSERT_EQ(frames[0].payload.size(), 28u);
    float offsets[7];
    std::memcpy(offsets, frames[0].payload.data(), sizeof offsets);
    const float expected[7] = {0.75f, 0.01f, 20.0f, 16.0f, 0.8f, 20.0f, 1.0f};
    for (int i = 0; i < 7; ++i) EXPECT_FLOAT_EQ(offsets[i], expected[i]) << i;
}

TEST_F(MachInfoTest, CuttingTypeDepthChangePostsTheDepthBlockNeverTheKnifeBlock)
{
    machine_.firmwareVersion = 4;
    machine_.machineKind = 0x02;
    CDlgMachInfo dialog(Server(), &machine_, nullptr);
    dialog.show();
    EXPECT_FALSE(Edit(dialog, "dropPressure")->isEnabled());
    Type(dialog, "fullCut", QStringLiteral("900"));
    Type(dialog, "halfCut", QStringLiteral("40000"));  // a depth holds 16 unsigned bits
    Click(dialog, "ok");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(PostedCodes(), (Bytes{17}));
    EXPECT_EQ(machine_.motionSource.interpolator.depthParams.depthValueA, 900);
    EXPECT_EQ(machine_.motionSource.interpolator.depthParams.depthValueB, 40000);
}

TEST_F(MachInfoTest, RefusedFieldsKeepTheDialogOpenAndPostNothing)
{
    const struct {
        const char* field;
        const char* text;
        std::u16string message;
    } cases[] = {
        {"dropPressure", "12001", u"Please enter an integer between 0 and 12000."},
        {"fullCut", "-1", u"Please enter an integer between 0 and 12000."},
        // The knife block holds the half cut in 16 signed bits.
        {"halfCut", "40000", u"Please enter an integer between -32768 and 32767."},
        {"knifePenY", "nan", u"Please enter a number."},
    };
    const int16_t halfCutBefore = machine_.motionSource.interpolator.magnetBlock[1];
    for (const auto& c : cases) {
        EXPECT_FALSE(RunOK([&](CDlgMachInfo& d) {
            Click(d, "cutLevel1");
            Type(d, c.field, QString::fromLatin1(c.text));
        })) << c.field;
        EXPECT_TRUE(PostedCodes().empty()) << c.field;
        ASSERT_FALSE(Messages().empty());
        EXPECT_EQ(Messages().back(), c.message) << c.field;
    }
    EXPECT_EQ(machine_.motionSource.interpolator.firstSpeedIndex, 0);
    EXPECT_EQ(machine_.motionSource.interpolator.magnetBlock[1], halfCutBefore);
}

TEST_F(MachInfoTest, MachineSetupRunsOnTheDocumentsLinkInItsPenColours)
{
    CDocCorvane doc(Server());
    doc.penToolSettings.penColor[1] = RGB(255, 0, 0);
    QColor firstSwatch;
    WhenModal([&](QWidget& widget) {
        auto& dialog = dynamic_cast<CDlgMachInfo&>(widget);
        WhenModal([&](QWidget& sheet) {
            auto* page = sheet.findChild<CDlgPageSPsetup*>();
            ASSERT_NE(page, nullptr);
            const CPoint centre = PenSwatchRect(RectInDialog(*page, *page->findChild<QComboBox*>("sp1"))).CenterPoint();
            firstSwatch = page->grab().toImage().pixelColor(centre.x, centre.y);
            dynamic_cast<CPropertySheet&>(sheet).reject();
        });
        Click(dialog, "spSettings");
        Click(dialog, "cutLevel2");
        Click(dialog, "ok");
    });
    RunMachineSetupDialog(doc, machine_, nullptr);
    EXPECT_EQ(firstSwatch, QColor(255, 0, 0));
    EXPECT_EQ(PostedCodes(), (Bytes{15}));
}

}  // namespace
}  // namespace corvane_test
