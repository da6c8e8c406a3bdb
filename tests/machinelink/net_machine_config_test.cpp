// The machine configuration file, the calibration factors, the cut area and the globals.
#include "machine_fixture.h"

#include "machinelink/machine_globals.h"
#include "platform/settings_store.h"
#include "support/test_environment.h"

#include <cmath>

namespace corvane_test {
namespace {

class ConfigTest : public MachineTest {
protected:
    CString Path(const char* name) const { return CString::FromUtf8(ScratchDir() + name); }
    std::string Bytes(const char* name) const { return ReadFile(ScratchDir() + name); }

    // Gives every field a value of its own.
    static void Distinguish(NET_Machine& m)
    {
        m.plot.plotValue2 = 1234;
        m.plot.bandBaseMm = 140;
        m.plot.rotationDeg = 90;
        m.plot.plotValue11 = -5;
        m.machineParams.xRange = 61000;
        m.machineParams.moveAcceleration = 52000;
        m.jet.nozzleEnd[1] = 150;
        m.jet.headOffsets[2] = -3;
        m.jet.secondJetFloat = 99.5f;
        m.jet.motorValue = 17;
        m.jet.margin = 30;
        m.speedLevels[2].headValues[5] = -9;
        m.speedLevels[1].bidiOffset = 4;
        P_Interpolate1& ip = m.motionSource.interpolator;
        ip.jetLevelIndex = 2;
        ip.cuttingLevelIndex = 1;
        ip.speedConfigs[1].J = 1234567.5;
        ip.magnetBlock[20] = -20;
        ip.offsetsBlock.measuredSizes[1] = 499.5f;
        ip.offsetsBlock.designSizes[0] = 510;
        ip.firstSpeedIndex = 2;
        ip.secondSpeedIndex = 1;
        ip.depthParams.depthTopSpeed = 2200;
        m.spRoles[7] = 3;
        m.autoContinue = 1;
        m.knifeComp2 = 44;
        m.calibration[1] = 1001.0f;
        m.extraBlock[199] = 0xAB;
    }
};

TEST_F(ConfigTest, FileSizeFollowsTheFirmware)
{
    machine->firmwareVersion = 11;
    machine->SaveConfigToFile(Path("a.con"));
    machine->firmwareVersion = 12;
    machine->SaveConfigToFile(Path("b.con"));
    EXPECT_EQ(Bytes("a.con").size(), 814u);
    EXPECT_EQ(Bytes("b.con").size(), 830u);

    // Each size is refused by the other firmware, as is any other size; nothing changes.
    NET_Machine m(inet_addr("127.0.0.2"), kMac, kId);
    Distinguish(m);
    m.firmwareVersion = 12;
    EXPECT_EQ(m.LoadConfigFromFile(Path("a.con")), 0);
    m.firmwareVersion = 11;
    EXPECT_EQ(m.LoadConfigFromFile(Path("b.con")), 0);
    ASSERT_TRUE(WriteFile(ScratchDir() + "long.con", Bytes("a.con") + "x"));
    EXPECT_EQ(m.LoadConfigFromFile(Path("long.con")), 0);
    ASSERT_TRUE(WriteFile(ScratchDir() + "short.con", Bytes("a.con").substr(0, 813)));
    EXPECT_EQ(m.LoadConfigFromFile(Path("short.con")), 0);
    EXPECT_EQ(m.LoadConfigFromFile(Path("missing.con")), 0);
    EXPECT_EQ(m.machineParams.xRange, 61000);
    EXPECT_EQ(m.plot.plotValue1, 1);
    EXPECT_EQ(m.plot.xCalReal, 1000.0f);
    EXPECT_EQ(m.motionSource.interpolator.depthParams.lastWord, 0);

    // A file that cannot be created is not written and changes nothing.
    m.plot.plotValue4 = 99;
    m.SaveConfigToFile(Path("no-such-folder/c.con"));
    EXPECT_EQ(m.plot.plotValue4, 99);
}

TEST_F(ConfigTest, ChunksLieWhereTheFormatPutsThem)
{
    Distinguish(*machine);
    machine->firmwareVersion = 12;
    machine->SaveConfigToFile(Path("m.con"));
    const std::string file = Bytes("m.con");
    ASSERT_EQ(file.size(), 830u);
    const auto* b = reinterpret_cast<const uint8_t*>(file.data());
    EXPECT_EQ(LoadLEFloat(b + 0), 1.0f);
    EXPECT_EQ(LoadLE32(b + 24), 1u) << "plot value 1";
    EXPECT_EQ(LoadLE32(b + 28), 1234u);
    EXPECT_EQ(LoadLE32(b + 68), 61000u);
    EXPECT_EQ(LoadLE32(b + 96), 52000u);
    EXPECT_EQ(b[105], 150);
    EXPECT_EQ(static_cast<int16_t>(LoadLE16(b + 114)), -3);
    EXPECT_EQ(LoadLE32(b + 120), 17u);
    EXPECT_EQ(LoadLEFloat(b + 124), 99.5f);
    EXPECT_EQ(b[131], 30);
    EXPECT_EQ(LoadLE16(b + 132), 1000) << "speed level 0";
    EXPECT_EQ(static_cast<int16_t>(LoadLE16(b + 164 + 18)), 4) << "bidirectional offset of level 1";
    EXPECT_EQ(static_cast<int16_t>(LoadLE16(b + 196 + 30)), -9);
    EXPECT_EQ(b[228], 2);
    EXPECT_EQ(b[229], 1);
    EXPECT_EQ(LoadLE32(b + 230), 0u) << "speed set 0 starts with the double 160000";
    EXPECT_EQ(LoadLE32(b + 234), 0x41038800u);
    EXPECT_EQ(static_cast<int16_t>(LoadLE16(b + 534)), -20);
    EXPECT_EQ(LoadLE16(b + 564), 510);
    EXPECT_EQ(LoadLEFloat(b + 572), 499.5f);
    EXPECT_EQ(b[576], 1);
    EXPECT_EQ(b[577], 2);
    EXPECT_EQ(b[585], 3);
    EXPECT_EQ(b[589], 1) << "auto-continue";
    EXPECT_EQ(LoadLE32(b + 590), 1500000u);
    EXPECT_EQ(LoadLE16(b + 600), 2200);
    EXPECT_EQ(LoadLE16(b + 612), 44);
    EXPECT_EQ(LoadLEFloat(b + 618), 1001.0f);
    EXPECT_EQ(b[829], 0xAB);

    machine->firmwareVersion = 11;
    machine->SaveConfigToFile(Path("s.con"));
    const std::string shortForm = Bytes("s.con");
    EXPECT_EQ(file.substr(0, 614), shortForm.substr(0, 614));
    EXPECT_EQ(file.substr(630), shortForm.substr(614)) << "the extra block follows the knife values";
}

TEST_F(ConfigTest, SaveAndLoadRoundTrip)
{
    for (uint8_t firmware : {11, 12}) {
        NET_Machine saved(inet_addr("127.0.0.2"), kMac, kId);
        saved.firmwareVersion = firmware;
        Distinguish(saved);
        saved.plot.plotValue4 = 3;  // forced back to 10 by saving
        saved.SaveConfigToFile(Path("r.con"));
        EXPECT_EQ(saved.plot.plotValue4, 10);

        NET_Machine loaded(inet_addr("127.0.0.2"), kMac, kId);
        loaded.firmwareVersion = firmware;
        loaded.plot.xScale = 3.0f;
        loaded.plot.yCalIdeal = 7.0f;
        ASSERT_EQ(loaded.LoadConfigFromFile(Path("r.con")), 1);
        loaded.SaveConfigToFile(Path("r2.con"));
        std::string first = Bytes("r.con");
        std::string second = Bytes("r2.con");
        // Everything comes back but the calibration (the fixed scales) and the inverted word
        // (the last word of the depth block on this channel-driven machine).
        for (size_t i = 0; i < 24; ++i) first[i] = second[i];
        first[608] = second[608];
        EXPECT_EQ(first, second) << int(firmware);
        EXPECT_FLOAT_EQ(loaded.plot.xScale, Fixed_XSCALE);
        EXPECT_FLOAT_EQ(loaded.plot.yCalIdeal, Fixed_YSCALE * 500.0f);
        EXPECT_EQ(loaded.plot.yCalReal, 500.0f);
        EXPECT_EQ(loaded.calibration[1], firmware >= 12 ? 1001.0f : 1000.0f);
    }
}

TEST_F(ConfigTest, EachLoadInvertsTheChangeWord)
{
    machine->SaveConfigToFile(Path("w.con"));
    P_Interpolate1& ip = machine->motionSource.interpolator;
    for (int expected : {1, 0, 1}) {
        ASSERT_EQ(machine->LoadConfigFromFile(Path("w.con")), 1);
        EXPECT_EQ(ip.depthParams.lastWord, expected);
    }
    // A cutting machine from firmware 4 on inverts magnet word 15 instead.
    machine->firmwareVersion = 4;
    machine->machineKind = 0x02;
    ip.magnetBlock[15] = 7;
    machine->SaveConfigToFile(Path("c.con"));
    ASSERT_EQ(machine->LoadConfigFromFile(Path("c.con")), 1);
    EXPECT_EQ(ip.magnetBlock[15], 0) << "non-zero before the load";
    ASSERT_EQ(machine->LoadConfigFromFile(Path("c.con")), 1);
    EXPECT_EQ(ip.magnetBlock[15], 1);
    EXPECT_EQ(ip.depthParams.lastWord, 1) << "read from the file as saved";
}

TEST_F(ConfigTest, CalibrationFactors)
{
    float x = 0;
    float y = 0;
    machine->firmwareVersion = 10;
    machine->GetExternScale(x, y);
    EXPECT_EQ(x, 1.0f) << "500 / 500 without profile entries";
    EXPECT_EQ(y, 1.0f);
    CString id;
    machine->GetID(id);
    WriteProfileString(id.GetString(), u"File_xIdeal", u"1010");
    WriteProfileString(id.GetString(), u"File_xReal", u"1000");
    WriteProfileString(id.GetString(), u"File_yReal", u"0");
    machine->GetExternScale(x, y);
    EXPECT_FLOAT_EQ(x, 1.01f);
    EXPECT_EQ(y, 1.0f) << "a real length of 0 counts as a factor of 1";

    machine->firmwareVersion = 11;
    machine->calibration[0] = 990.0f;
    machine->calibration[1] = 1000.0f;
    machine->calibration[2] = 1.0f;
    machine->calibration[3] = 0.0f;
    machine->GetExternScale(x, y);
    EXPECT_FLOAT_EQ(x, 0.99f);
    EXPECT_EQ(y, 1.0f);
    machine->calibration[2] = std::nanf("");
    machine->calibration[3] = 1.0f;
    machine->GetExternScale(x, y);
    EXPECT_EQ(y, 1.0f);
    EXPECT_FLOAT_EQ(machine->GetXRangeMax(), 80000.0f * 40.0f / 0.99f);
    // Below firmware 9 the range is unscaled first (and the factor comes from the profile).
    machine->firmwareVersion = 8;
    machine->plot.xScale = 2.0f;
    EXPECT_FLOAT_EQ(machine->GetXRangeMax(), 80000.0f * 40.0f / 2.0f / 1.01f);
    machine->plot.xScale = 0.0f;
    EXPECT_FLOAT_EQ(machine->GetXRangeMax(), 80000.0f * 40.0f / 1.01f) << "a scale of 0 counts as 1";
}

TEST_F(ConfigTest, CutArea)
{
    struct Case {
        const char* name;
        void (*set)(NET_Machine&);
        int32_t width;
        int32_t height;
    };
    const Case cases[] = {
        {"defaults: the band base off the height", [](NET_Machine&) {}, 3200000, 3196000},
        {"the offsets float and the x limit",
         [](NET_Machine& m) {
             m.motionSource.interpolator.offsetsBlock.toolOffsets[1] = -10.0f;
             m.plot.plotValue2 = 500;
         },
         20000, 3195600},
        {"a value report sets the band and, from firmware 9, the width",
         [](NET_Machine& m) {
             m.task.requestValue3 = 50;
             m.task.requestValue1 = 9000;
         },
         4500, 3199500},
        {"below firmware 9 the ranges are unscaled first",
         [](NET_Machine& m) {
             m.firmwareVersion = 8;
             m.plot.xScale = 2.0f;
             m.plot.yScale = 0.0f;
         },
         1600000, 3196000},
        {"calibration divides the area",
         [](NET_Machine& m) {
             m.calibration[2] = 2000.0f;
             m.plot.plotValue10 = 100;
         },
         3200000, 4000},
    };
    for (const Case& c : cases) {
        NET_Machine m(inet_addr("127.0.0.2"), kMac, kId);
        m.firmwareVersion = 12;
        c.set(m);
        int32_t w = 0;
        int32_t h = 0;
        m.GetCutArea_PB(w, h);
        EXPECT_EQ(w, c.width) << c.name;
        EXPECT_EQ(h, c.height) << c.name;
    }
}

TEST_F(ConfigTest, LibraryGlobals)
{
    EXPECT_FLOAT_EQ(Fixed_XSCALE, 1.0045203f);
    EXPECT_FLOAT_EQ(Fixed_YSCALE, 1.0411245f);
    EXPECT_EQ(Y_RelSCALE, 10);
    EXPECT_EQ(GetWarmUpLines(), 0);
    SetWarmUpLines(3);
    EXPECT_EQ(GetWarmUpLines(), 3);
    SetWarmUpLines(0);
}

}  // namespace
}  // namespace corvane_test
