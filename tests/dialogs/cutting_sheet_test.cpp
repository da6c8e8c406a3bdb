// The cutting sheet of the machine settings dialog: its three speed pages and its fourth page
// (the knife page, or the Z-axis page on a cutting-type machine).
#include "dialog_fixture.h"

#include "ui/dlg_mach_info.h"
#include "ui/property_sheet.h"

#include <cstring>

namespace corvane_test {
namespace {

using Bytes = std::vector<uint8_t>;

std::vector<float> FloatsOf(const Bytes& bytes)
{
    std::vector<float> values(bytes.size() / sizeof(float));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(float));
    return values;
}

class CuttingSheetTest : public DialogTest {
protected:
    // Opens the cutting sheet from the settings dialog and lets act work on it; true when the
    // sheet closed (through OK, unless act cancels).
    bool RunSheet(const std::function<void(CPropertySheet&)>& act) { return RunSheetOf("cuttingSettings", act); }

    // A cutting-type machine whose hidden half-cut values are those its Z-axis page writes.
    void MakeCuttingType()
    {
        machine_.firmwareVersion = 4;
        machine_.machineKind = 0x02;
        machine_.motionSource.interpolator.offsetsBlock.toolOffsets[5] = 15.0f;
        machine_.motionSource.interpolator.offsetsBlock.toolOffsets[6] = 0.6f;
    }
};

void PressOK(CPropertySheet& sheet) { Click(sheet, "sheetOk"); }

TEST_F(CuttingSheetTest, UntouchedSheetPostsNothing)
{
    for (bool cuttingType : {false, true}) {
        if (cuttingType) MakeCuttingType();
        EXPECT_TRUE(RunSheet([](CPropertySheet& sheet) {
            for (int i = 0; i < sheet.GetPageCount(); ++i) ASSERT_TRUE(sheet.SetActivePage(i));
            PressOK(sheet);
        }));
        EXPECT_TRUE(PostedCodes().empty());
    }
}

TEST_F(CuttingSheetTest, SpeedChangePostsTheThreeSpeedSets)
{
    EXPECT_TRUE(RunSheet([](CPropertySheet& sheet) {
        ASSERT_TRUE(sheet.SetActivePage(1));
        Type(*sheet.GetPage(1), "speed0", QStringLiteral("4000.5"));
        PressOK(sheet);
    }));
    const std::vector<RecordedCommandFrame> frames = Posted();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, 14);
    EXPECT_EQ(frames[0].payload.size(), 132u);
    EXPECT_DOUBLE_EQ(machine_.motionSource.interpolator.speedConfigs[1].xAccLine, 160020.0);
    EXPECT_FLOAT_EQ(FloatsOf(frames[0].payload)[11], 4000.5f);
}

TEST_F(CuttingSheetTest, TopSpeedRangesDifferPerAxis)
{
    // X top speed is at most 3000, Y top speed at most 40000.
    EXPECT_FALSE(RunSheet([](CPropertySheet& sheet) {
        Type(*sheet.GetPage(0), "speed2", QStringLiteral("3001"));
        PressOK(sheet);
        EXPECT_FALSE(sheet.SetActivePage(1));  // leaving the page validates it as well
    }));
    EXPECT_EQ(Messages().back(), u"Please enter a number between 30 and 3000.");
    EXPECT_TRUE(PostedCodes().empty());
    EXPECT_DOUBLE_EQ(machine_.motionSource.interpolator.speedConfigs[0].xVecMax, 60000.0);

    EXPECT_TRUE(RunSheet([](CPropertySheet& sheet) {
        Type(*sheet.GetPage(0), "speed3", QStringLiteral("3001"));
        PressOK(sheet);
    }));
    EXPECT_EQ(PostedCodes(), (Bytes{14}));
}

TEST_F(CuttingSheetTest, FourthPageNeverShownRunsNoOK)
{
    for (bool cuttingType : {false, true}) {
        if (cuttingType) MakeCuttingType();
        machine_.motionSource.interpolator.offsetsBlock.toolOffsets[5] = 20.0f;  // the Z-axis page would post 12
        EXPECT_TRUE(RunSheet([](CPropertySheet& sheet) { PressOK(sheet); }));
        EXPECT_TRUE(PostedCodes().empty());
    }
}

TEST_F(CuttingSheetTest, KnifePageExtensionChangePostsTheWorkFlagsAlone)
{
    EXPECT_TRUE(RunSheet([](CPropertySheet& sheet) {
        ASSERT_TRUE(sheet.SetActivePage(3));
        EXPECT_EQ(Edit(sheet, "liftExtension")->text(), QStringLiteral("1"));
        Type(sheet, "liftExtension", QStringLiteral("1.5"));
        PressOK(sheet);
    }));
    const std::vector<RecordedCommandFrame> frames = Posted();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, 15);
    EXPECT_EQ(frames[0].payload[1], 0xDC);
    EXPECT_EQ(frames[0].payload[2], 0x05);
}

TEST_F(CuttingSheetTest, KnifePageRadiusChangePostsTheToolOffsets)
{
    EXPECT_TRUE(RunSheet([](CPropertySheet& sheet) {
        ASSERT_TRUE(sheet.SetActivePage(3));
        Type(sheet, "offset0", QStringLiteral("1"));
        PressOK(sheet);
    }));
    const std::vector<RecordedCommandFrame> frames = Posted();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].code, 12);
    EXPECT_EQ(FloatsOf(frames[0].payload), (std::vector<float>{1.0f, 0.0f, 20.0f, 16.0f, 0.8f, 15.0f, 0.6f}));
}

TEST_F(CuttingSheetTest, KnifePageRefusesValuesBeyondSixteenBits)
{
    EXPECT_FALSE(RunSheet([](CPropertySheet& sheet) {
        ASSERT_TRUE(sheet.SetActivePage(3));
        Type(sheet, "knife2", QStringLiteral("40000"));
        PressOK(sheet);
    }));
    EXPECT_EQ(Messages().back(), u"Please enter an integer between -32768 and 32767.");
    EXPECT_TRUE(PostedCodes().empty());
}

TEST_F(CuttingSheetTest, ZAxisPagePostsTheToolOffsetsWithTheFixedHalfCutValues)
{
    MakeCuttingType();
    float* offsets = machine_.motionSource.interpolator.offsetsBlock.toolOffsets;
    const struct {
        float halfCutLength;
        const char* radius;
    } cases[] = {{15.0f, "2"}, {20.0f, nullptr}};
    for (const auto& c : cases) {
        offsets[0] = 0.75f;
        offsets[5] = c.halfCutLength;
        EXPECT_TRUE(RunSheet([&](CPropertySheet& sheet) {
            ASSERT_TRUE(sheet.SetActivePage(3));
            if (c.radius) Type(sheet, "offset0", QString::fromLatin1(c.radius));
            PressOK(sheet);
        }));
        const std::vector<RecordedCommandFrame> frames = Posted();
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].code, 12);
        EXPECT_FLOAT_EQ(FloatsOf(frames[0].payload)[5], 15.0f);
        EXPECT_FLOAT_EQ(FloatsOf(frames[0].payload)[0], c.radius ? 2.0f : 0.75f);
    }
}

TEST_F(CuttingSheetTest, ZAxisPageDepthChangePostsTheDepthBlockAndRefreshesTheDialog)
{
    MakeCuttingType();
    CDlgMachInfo dialog(Server(), &machine_, nullptr);
    dialog.show();
    WhenModal([](QWidget& widget) {
        auto& sheet = dynamic_cast<CPropertySheet&>(widget);
        ASSERT_TRUE(sheet.SetActivePage(3));
        Type(sheet, "depthFullCut", QStringLiteral("70000"));  // beyond 16 bits: refused
        Click(sheet, "sheetOk");
        ASSERT_TRUE(sheet.isVisible());
        Type(sheet, "depthFullCut", QStringLiteral("950"));
        Click(sheet, "sheetOk");
    });
    Click(dialog, "cuttingSettings");
    EXPECT_EQ(PostedCodes(), (Bytes{17}));
    EXPECT_EQ(Edit(dialog, "fullCut")->text(), QStringLiteral("950"));
}

}  // namespace
}  // namespace corvane_test
