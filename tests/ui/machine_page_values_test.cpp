// The machine settings dialog's and the cutting pages' value rules over a machine record.
#include "machinelink/net_machine.h"
#include "support/recording_message_sink.h"
#include "ui/mach_info_values.h"
#include "ui/magnet_page_values.h"
#include "ui/other_page_values.h"
#include "ui/sp_page_values.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Codes = std::vector<uint8_t>;

void MakeCuttingType(NET_Machine& m)
{
    m.firmwareVersion = 4;
    m.machineKind = MachineMotionParams::kCuttingMachineBit;
}

const float* ToolOffsets(const NET_Machine& m) { return m.motionSource.interpolator.offsetsBlock.toolOffsets; }

void ExpectToolOffsets(const NET_Machine& m, const std::vector<float>& expected)
{
    const float* offsets = ToolOffsets(m);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(offsets[i], expected[i]) << "float " << i;
}

TEST(MachInfoValues, UntouchedPostsNothing)
{
    for (bool cutting : {false, true}) {
        NET_Machine m;
        if (cutting) MakeCuttingType(m);
        EXPECT_EQ(StoreMachInfo(m, LoadMachInfo(m)), Codes{}) << "cutting type " << cutting;
    }
}

TEST(MachInfoValues, NormalisesLevelsAndFlagsWhenLoading)
{
    NET_Machine m;
    m.motionSource.interpolator.firstSpeedIndex = 3;
    m.motionSource.interpolator.secondSpeedIndex = -1;
    m.rightEdgeMarks = 2;
    const MachInfoValues v = LoadMachInfo(m);
    EXPECT_EQ(v.cutSpeedLevel, 0);
    EXPECT_EQ(v.idleSpeedLevel, 0);
    EXPECT_EQ(m.motionSource.interpolator.firstSpeedIndex, 0);
    EXPECT_EQ(m.motionSource.interpolator.secondSpeedIndex, 0);
    EXPECT_EQ(v.autoPaperCut, 1);
    EXPECT_EQ(m.rightEdgeMarks, 1);
    EXPECT_EQ(StoreMachInfo(m, v), Codes{});
}

TEST(MachInfoValues, SpeedLevelAloneNeedsTheWorkFlags)
{
    NET_Machine m;
    m.motionSource.interpolator.secondSpeedIndex = 1;
    MachInfoValues v = LoadMachInfo(m);
    v.cutSpeedLevel = 2;
    v.autoSuctionOn = 1;
    EXPECT_EQ(StoreMachInfo(m, v), Codes{kWorkFlagsCode});
    EXPECT_EQ(m.motionSource.interpolator.firstSpeedIndex, 2);
    EXPECT_EQ(m.motionSource.interpolator.secondSpeedIndex, 1);
    EXPECT_EQ(m.startPrefix, 1);
}

TEST(MachInfoValues, KnifePenDistancesChangeBeyondOneMillionth)
{
    NET_Machine m;
    MachInfoValues v = LoadMachInfo(m);
    v.knifePenXMm += 0.0000005f;
    EXPECT_EQ(StoreMachInfo(m, v), Codes{});
    v.knifePenXMm = 0.01f;
    EXPECT_EQ(StoreMachInfo(m, v), Codes{kToolOffsetBlockCode});
    ExpectToolOffsets(m, {0.75f, 0.01f, 20.0f, 16.0f, 0.8f, 20.0f, 1.0f});
}

TEST(MachInfoValues, CuttingTypeEditsDepthsNeverTheKnifeBlock)
{
    NET_Machine m;
    MakeCuttingType(m);
    const int16_t knifeBefore = m.motionSource.interpolator.magnetBlock[0];
    MachInfoValues v = LoadMachInfo(m);
    EXPECT_EQ(v.dropPressure, 0);
    EXPECT_EQ(v.fullCut, 800);
    v.fullCut = 900;
    EXPECT_EQ(StoreMachInfo(m, v), Codes{kDepthBlockCode});
    EXPECT_EQ(m.motionSource.interpolator.depthParams.depthValueA, 900);
    EXPECT_EQ(m.motionSource.interpolator.magnetBlock[0], knifeBefore);
}

TEST(MachInfoValues, PressuresGoToTheKnifeBlock)
{
    NET_Machine m;
    MachInfoValues v = LoadMachInfo(m);
    EXPECT_EQ(v.fullCut, 8000);
    EXPECT_EQ(v.dropPressure, 10000);
    v.halfCut = -5;
    EXPECT_EQ(StoreMachInfo(m, v), Codes{kKnifeBlockCode});
    EXPECT_EQ(m.motionSource.interpolator.magnetBlock[1], -5);
}

TEST(MachInfoValues, RangesOfTheCheckedFields)
{
    corvane_test::RecordingMessageSink sink;
    NET_Machine knife;
    NET_Machine cutting;
    MakeCuttingType(cutting);
    int32_t value = 0;
    EXPECT_FALSE(ReadIntegerField(CString(u"12001"), value, kMachInfoPressureRange));
    EXPECT_FALSE(ReadIntegerField(CString(u"40000"), value, HalfCutRange(knife)));
    EXPECT_TRUE(ReadIntegerField(CString(u"40000"), value, HalfCutRange(cutting)));
    EXPECT_FALSE(ReadIntegerField(CString(u"-1"), value, HalfCutRange(cutting)));
    EXPECT_EQ(sink.Shown().size(), 3u);
}

TEST(MachInfoValues, OtherParamsNeedFirmware21AndTheBlock)
{
    NET_Machine m;
    m.firmwareVersion = 20;
    EXPECT_FALSE(ShowsOtherParams(m));
    m.firmwareVersion = 21;
    EXPECT_TRUE(ShowsOtherParams(m));
    EXPECT_FALSE(OtherParamsAvailable(m));
    m.extraBlockReceived = 1;
    EXPECT_TRUE(OtherParamsAvailable(m));
}

TEST(MagnetPageValues, UntouchedPostsNothing)
{
    NET_Machine m;
    EXPECT_EQ(StoreMagnetPage(m, LoadMagnetPage(m)), Codes{});
}

TEST(MagnetPageValues, LiftExtensionAloneNeedsTheWorkFlags)
{
    NET_Machine m;
    MagnetPageValues v = LoadMagnetPage(m);
    EXPECT_EQ(v.extensions.liftThousandths, 1000);
    v.extensions.liftThousandths = 1500;
    EXPECT_EQ(StoreMagnetPage(m, v), Codes{kWorkFlagsCode});
    EXPECT_EQ(m.knifeComp1, 1500);
}

TEST(MagnetPageValues, ToolOffsetWritesTheFixedHalfCutValues)
{
    NET_Machine m;
    m.motionSource.interpolator.offsetsBlock.designSizes[0] = 7;
    MagnetPageValues v = LoadMagnetPage(m);
    v.toolOffsets[0] = 1.0f;
    EXPECT_EQ(StoreMagnetPage(m, v), Codes{kToolOffsetBlockCode});
    ExpectToolOffsets(m, {1.0f, 0.0f, 20.0f, 16.0f, 0.8f, 15.0f, 0.6f});
    EXPECT_EQ(m.motionSource.interpolator.offsetsBlock.designSizes[0], 500);
}

TEST(MagnetPageValues, KnifeAndPenValuesNeedTheKnifeBlock)
{
    NET_Machine m;
    MagnetPageValues v = LoadMagnetPage(m);
    v.knife[13] = 21;
    v.toolOffsets[4] = 0.9f;
    EXPECT_EQ(StoreMagnetPage(m, v), (Codes{kKnifeBlockCode, kToolOffsetBlockCode}));
    EXPECT_EQ(m.motionSource.interpolator.magnetBlock[13], 21);
    EXPECT_EQ(m.motionSource.interpolator.magnetBlock[14], 6000) << "pen values written back as read";
}

TEST(OtherPageValues, RadiusAloneNeedsTheToolOffsets)
{
    NET_Machine m;
    MakeCuttingType(m);
    float* offsets = m.motionSource.interpolator.offsetsBlock.toolOffsets;
    offsets[5] = 15.0f;
    offsets[6] = 0.6f;
    EXPECT_EQ(StoreOtherPage(m, LoadOtherPage(m)), Codes{});
    OtherPageValues v = LoadOtherPage(m);
    v.toolOffsets[0] = 1.0f;
    EXPECT_EQ(StoreOtherPage(m, v), Codes{kToolOffsetBlockCode});
}

TEST(OtherPageValues, AnotherHalfCutLengthCountsAsChanged)
{
    NET_Machine m;
    MakeCuttingType(m);
    m.motionSource.interpolator.offsetsBlock.toolOffsets[5] = 20.0f;
    m.motionSource.interpolator.offsetsBlock.toolOffsets[6] = 0.6f;
    EXPECT_EQ(StoreOtherPage(m, LoadOtherPage(m)), Codes{kToolOffsetBlockCode});
    EXPECT_EQ(ToolOffsets(m)[5], 15.0f);
}

TEST(OtherPageValues, DepthValuesNeedTheDepthBlock)
{
    NET_Machine m;
    MakeCuttingType(m);
    OtherPageValues v = LoadOtherPage(m);
    v.toolOffsets[0] = ToolOffsets(m)[0];
    m.motionSource.interpolator.offsetsBlock.toolOffsets[5] = 15.0f;
    m.motionSource.interpolator.offsetsBlock.toolOffsets[6] = 0.6f;
    v.depth.depthJerk = 2000000;
    v.extensions.lineThousandths = 250;
    EXPECT_EQ(StoreOtherPage(m, v), (Codes{kDepthBlockCode, kWorkFlagsCode}));
    EXPECT_EQ(m.motionSource.interpolator.depthParams.depthJerk, 2000000);
    EXPECT_EQ(m.knifeComp2, 250);
}

TEST(SpPageValues, RolesAboveThreeShowAsInkJetAndAreStored)
{
    NET_Machine m;
    m.online = 1;
    m.spRoles[0] = 7;
    m.spRoles[1] = 2;
    const SpPageValues v = LoadSpPage(m);
    EXPECT_EQ(v.roles[0], kSpInkJet);
    EXPECT_EQ(v.roles[1], kSpInnerKnife);
    EXPECT_EQ(StoreSpPage(m, v), Codes{kSpWordCode});
    EXPECT_EQ(m.spRoles[0], 0);
    EXPECT_EQ(StoreSpPage(m, LoadSpPage(m)), Codes{});
}

TEST(SpPageValues, OfflineStoresButPostsNothing)
{
    NET_Machine m;
    SpPageValues v = LoadSpPage(m);
    v.roles[7] = kSpOuterKnife;
    EXPECT_EQ(StoreSpPage(m, v), Codes{});
    EXPECT_EQ(m.spRoles[7], kSpOuterKnife);
}

TEST(SpPageValues, SwatchesSitBesideTheirControls)
{
    EXPECT_EQ(PenSwatchRect(CRect(100, 50, 180, 72)), CRect(85, 52, 97, 70));
    EXPECT_EQ(RoleSwatchRect(CRect(10, 20, 60, 34)), CRect(64, 20, 76, 34));
}

}  // namespace
