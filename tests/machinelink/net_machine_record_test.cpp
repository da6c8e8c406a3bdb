// The machine record: identity texts, defaults, and the settings block of the announce.
#include "machine_fixture.h"

#include "machinelink/machine_globals.h"

namespace corvane_test {
namespace {

TEST_F(MachineTest, IdentityTexts)
{
    CString text;
    machine->GetIP(text);
    EXPECT_EQ(text, CString(u"127.0.0.2"));
    machine->GetID(text);
    EXPECT_EQ(text, CString(u"0123456789ABCDEF0010A0FF"));
    EXPECT_EQ(NET_Machine::ConvertStmid(kId), text);
    machine->GetMAC(text);
    EXPECT_EQ(text, CString(u"00-1A-2B-3C-4D-FE"));
    EXPECT_EQ(NET_Machine::ConvertMac(kMac), text);

    struct Case {
        uint8_t firmware;
        uint8_t kind;
        const char16_t* text;
    };
    for (const Case& c : {Case{4, 0x02, u"4.Cut"}, Case{12, 0x00, u"12.Jet"}, Case{12, 0x03, u"12.Cut"}, Case{1, 0xFD, u"1.Jet"}}) {
        machine->firmwareVersion = c.firmware;
        machine->machineKind = c.kind;
        EXPECT_EQ(machine->GetVersionText(), CString(c.text));
    }

    const uint8_t id[12] = {};
    NET_Machine noMac(inet_addr("127.0.0.3"), id);
    noMac.GetMAC(text);
    EXPECT_EQ(text, CString(u"00-00-00-00-00-00"));
}

TEST_F(MachineTest, DefaultsOfANewMachine)
{
    const NET_Machine& m = *machine;
    EXPECT_EQ(m.firmwareVersion, 1);
    EXPECT_EQ(m.online, 0);
    EXPECT_EQ(m.lastHeardMs, clock.NowMs());
    EXPECT_EQ(m.jobState, kJobIdle);
    EXPECT_EQ(m.workWaiting, 4);
    EXPECT_EQ(m.knifeComp1, 1000);
    EXPECT_EQ(m.knifeComp2, 0);
    EXPECT_EQ(m.plot.xScale, 1.0f);
    EXPECT_EQ(m.plot.xCalIdeal, 1000.0f);
    EXPECT_EQ(m.plot.plotValue3, 100);
    EXPECT_EQ(m.plot.bandBaseMm, 100);
    EXPECT_EQ(m.machineParams.xRange, 80000);
    EXPECT_EQ(m.machineParams.jerk, 1500000);
    EXPECT_EQ(m.machineParams.moveAcceleration, 50000);
    EXPECT_EQ(m.speedLevels[1].speed, 1500);
    EXPECT_EQ(m.speedLevels[1].secondSpeed, 950);
    EXPECT_EQ(m.speedLevels[2].levelValue3, 2000000);
    EXPECT_EQ(m.jet.nozzleEnd[0], 152);
    EXPECT_EQ(m.jet.headOffsets[0], -171);
    EXPECT_EQ(m.jet.jetStepWidth, -1000.0f);
    EXPECT_EQ(m.jet.margin, 23);
    // Fields without a value of their own start defined: the motor value at 0 and the
    // calibration values as a 1:1 calibration.
    EXPECT_EQ(m.jet.motorValue, 0);
    for (float v : m.calibration) EXPECT_EQ(v, 1000.0f);
    EXPECT_EQ(m.GetSpeedLevel(0).value3, 200000);
    EXPECT_EQ(m.GetSpeedLevel(7).speed, 1000) << "a level outside 0..2 reads level 0";
}

// A settings block of 180 bytes with a distinct value in every field.
Datagram SettingsBlock()
{
    Datagram b("\0\0\0\0", 180);
    b.U32(0, 12000).U32(4, 60000).U16(8, 1100).U16(10, 1200).U32(12, 90000).U32(16, 70000).U32(20, 1400000).U16(24, 1300);
    for (int k = 0; k < 4; ++k) b.U8(26 + k, static_cast<uint8_t>(3 + k)).U8(30 + k, static_cast<uint8_t>(140 + k));
    b.U8(34, 2).U16(35, static_cast<uint16_t>(-160)).U16(37, 5).U16(39, static_cast<uint16_t>(-7));
    b.U8(41, 25).U16(42, static_cast<uint16_t>(-900)).U8(44, 3).U8(45, 6).U8(46, 200);
    b.U16(47, 120).U16(49, 1500).U32(67, 2500).U32(71, 77).U8(75, 0x02).U8(76, 0x01);
    // Head records at 77: level 0 with a speed out of range, levels 1 and 2 in range.
    for (int k = 0; k < 3; ++k) {
        const size_t at = 77 + 12 * static_cast<size_t>(k);
        b.U16(at, static_cast<uint16_t>(10 + k)).U16(at + 2, k == 0 ? 2600 : static_cast<uint16_t>(1100 + k));
        b.U8(at + 4, static_cast<uint8_t>(-3 - k)).U8(at + 6, 0xFF).U8(at + 7, 1).U8(at + 8, 0xFE).U8(at + 9, 0x80).U8(at + 10, 9).U8(at + 11, 2);
    }
    b.U8(113, 0x09);  // jet level 1, cutting level 2
    for (int w = 0; w < 14; ++w) b.U16(116 + 2 * static_cast<size_t>(w), static_cast<uint16_t>(100 + w));
    for (int w = 0; w < 7; ++w) b.F32(144 + 4 * static_cast<size_t>(w), 0.5f * static_cast<float>(w));
    b.U16(172, 0xE4C9).U8(174, 55).U8(175, 0xF6).U16(176, 950).U16(178, 12);
    return b;
}

TEST_F(MachineTest, SettingsBlockOfFirmware3)
{
    machine->firmwareVersion = 3;
    machine->paramsReceived = 1;
    const Bytes block = SettingsBlock().bytes();
    machine->LoadSettings(block.data(), static_cast<int>(block.size()));
    const NET_Machine& m = *machine;
    EXPECT_EQ(m.paramsReceived, 0) << "the poll asks for the parameters again";
    EXPECT_EQ(m.machineParams.moveSpeed, 12000);
    EXPECT_EQ(m.machineParams.moveAcceleration, 60000);
    EXPECT_EQ(m.machineParams.limitLength, 1100);
    EXPECT_EQ(m.machineParams.resetSpeed, 1200);
    EXPECT_EQ(m.machineParams.xRange, 90000);
    EXPECT_EQ(m.machineParams.yRange, 70000);
    EXPECT_EQ(m.machineParams.jerk, 1400000);
    EXPECT_EQ(m.machineParams.startSpeed, 1300);
    EXPECT_EQ(m.jet.nozzleStart[3], 6);
    EXPECT_EQ(m.jet.nozzleEnd[2], 142);
    EXPECT_EQ(m.jet.headCount, 2);
    EXPECT_EQ(m.jet.headOffsets[0], -160);
    EXPECT_EQ(m.jet.headOffsets[1], 5);
    EXPECT_EQ(m.jet.headOffsets[2], -7);
    EXPECT_EQ(m.jet.margin, 25);
    EXPECT_EQ(m.jet.jetStepWidth, -900.0f);
    EXPECT_EQ(m.jet.penWidth, 3);
    EXPECT_EQ(m.jet.warmUpDuty, 6);
    EXPECT_EQ(m.jet.motorValue, 200);
    EXPECT_EQ(m.jet.headValue, 100);
    EXPECT_EQ(m.plot.bandBaseMm, 120);
    EXPECT_EQ(m.plot.plotValue2, 1500);
    EXPECT_EQ(m.plot.plotValue10, 2500);
    EXPECT_EQ(m.plot.plotValue11, 77);
    EXPECT_EQ(m.plot.rotationDeg, 180);
    EXPECT_EQ(m.plot.mirror, 1);
    EXPECT_EQ(m.plot.plotValue3, 55);
    EXPECT_FLOAT_EQ(m.plot.xCalIdeal, Fixed_XSCALE * 500.0f);
    EXPECT_EQ(m.plot.xCalReal, 500.0f);
    EXPECT_FLOAT_EQ(m.plot.xScale, Fixed_XSCALE);
    EXPECT_FLOAT_EQ(m.plot.yScale, Fixed_YSCALE);

    EXPECT_EQ(m.speedLevels[0].speed, 1000) << "a head record speed above 2500 keeps the speed";
    EXPECT_EQ(m.speedLevels[1].speed, 1101);
    EXPECT_EQ(m.speedLevels[2].levelValue3, 1200);
    EXPECT_EQ(m.speedLevels[1].secondSpeed, 1000);
    EXPECT_EQ(m.speedLevels[1].levelValue1, 60000);
    EXPECT_EQ(m.speedLevels[1].levelValue2, 150000);
    EXPECT_EQ(m.speedLevels[2].bidiOffset, -5);
    const int16_t heads[6] = {-1, 1, 254, -128, 9, 2};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(m.speedLevels[0].headValues[i], heads[i]) << i;
    // 0xE4C9 = roles 1, 2, 0, 3, 0, 1, 2, 3 for SP1..SP8.
    const uint8_t roles[8] = {1, 2, 0, 3, 0, 1, 2, 3};
    for (int n = 0; n < 8; ++n) EXPECT_EQ(m.spRoles[n], roles[n]) << n;
    EXPECT_EQ(m.rightEdgeMarks, 1);
    EXPECT_EQ(m.autoContinue, 1);
    EXPECT_EQ(m.startPrefix, 1);
    EXPECT_EQ(m.optionBit, 1);
    EXPECT_EQ(m.knifeComp1, 950);
    EXPECT_EQ(m.knifeComp2, 12);

    const P_Interpolate1& ip = m.motionSource.interpolator;
    EXPECT_EQ(ip.jetLevelIndex, 1);
    EXPECT_EQ(ip.cuttingLevelIndex, 2);
    EXPECT_EQ(ip.firstSpeedIndex, 2);
    EXPECT_EQ(ip.secondSpeedIndex, 1);
    EXPECT_EQ(ip.magnetBlock[0], 100);
    EXPECT_EQ(ip.magnetBlock[13], 113);
    EXPECT_EQ(ip.magnetBlock[14], 6000) << "behind the 28 bytes the block keeps its values";
    EXPECT_EQ(ip.offsetsBlock.toolOffsets[6], 3.0f);
    EXPECT_EQ(ip.offsetsBlock.designSizes[0], 500);

    // Level indices above 2 count as 0.
    Datagram wild = SettingsBlock();
    wild.U8(113, 0x0F);
    machine->LoadSettings(wild.bytes().data(), static_cast<int>(wild.bytes().size()));
    EXPECT_EQ(ip.jetLevelIndex, 0);
    EXPECT_EQ(ip.cuttingLevelIndex, 0);
}

TEST_F(MachineTest, SettingsBlockByFirmwareAndLength)
{
    const Bytes full = SettingsBlock().bytes();
    struct Case {
        const char* name;
        uint8_t firmware;
        size_t length;
        bool common;    // bytes 0-76 taken
        bool level;     // the firmware-3 part taken
        bool value3;    // byte 174 taken
    };
    const Case cases[] = {
        {"firmware 1 takes nothing", 1, 180, false, false, false},
        {"firmware 2 takes the common part and byte 174", 2, 180, true, false, true},
        {"a block cut before byte 77 takes nothing", 3, 76, false, false, false},
        {"a block of 77 takes the common part", 3, 77, true, false, false},
        {"a block cut inside the firmware-3 part takes the common part", 3, 179, true, false, true},
        {"no block at all", 3, 0, false, false, false},
    };
    for (const Case& c : cases) {
        NET_Machine m(inet_addr("127.0.0.2"), kMac, kId);
        m.firmwareVersion = c.firmware;
        m.paramsReceived = 1;
        auto exact = std::make_unique<uint8_t[]>(c.length);
        std::copy(full.begin(), full.begin() + static_cast<ptrdiff_t>(c.length), exact.get());
        m.LoadSettings(c.length ? exact.get() : nullptr, static_cast<int>(c.length));
        EXPECT_EQ(m.paramsReceived, 0) << c.name;
        EXPECT_EQ(m.machineParams.moveSpeed, c.common ? 12000 : 10000) << c.name;
        EXPECT_EQ(m.plot.xCalReal, c.common ? 500.0f : 1000.0f) << c.name;
        EXPECT_EQ(m.speedLevels[1].speed, c.level ? 1101 : 1500) << c.name;
        EXPECT_EQ(m.knifeComp1, c.level ? 950 : 1000) << c.name;
        EXPECT_EQ(m.plot.plotValue3, c.value3 ? 55 : 100) << c.name;
    }
}

TEST_F(MachineTest, ConfigurationWarningFromFirmware18)
{
    Datagram block = SettingsBlock();
    block.U8(75, 0x07);
    for (uint8_t firmware : {17, 18}) {
        machine->firmwareVersion = firmware;
        machine->LoadSettings(block.bytes().data(), static_cast<int>(block.bytes().size()));
        EXPECT_EQ(machine->plot.rotationDeg, 270);
        const auto notices = Posted(WM_NET_CONFIG_INVALID);
        ASSERT_EQ(notices.size(), firmware > 17 ? 1u : 0u) << int(firmware);
        if (!notices.empty()) {
            EXPECT_EQ(notices[0].wParam, reinterpret_cast<WPARAM>(machine.get()));
        }
    }
}

TEST_F(MachineTest, InitValResetsTheJobAndTheParameters)
{
    machine->jobState = kJobPrinting;
    machine->machineParams.xRange = 5;
    machine->speedLevels[0].speed = 7;
    machine->spRoles[3] = 2;
    machine->resumed = 1;
    const uint8_t text[] = "f0;";
    machine->commandQueue.CreatePack(kMachineCommandPort, text, 3, 2);
    machine->jetQueue.CreatePack(kMachineJetPort, text, 3, 0);
    clock.Advance(5000);
    machine->InitVal();
    EXPECT_EQ(machine->jobState, kJobIdle);
    EXPECT_EQ(machine->lastHeardMs, clock.NowMs());
    EXPECT_EQ(machine->machineParams.xRange, 80000);
    EXPECT_EQ(machine->speedLevels[0].speed, 1000);
    EXPECT_EQ(machine->spRoles[3], 0);
    EXPECT_EQ(machine->resumed, 0);
    EXPECT_FALSE(machine->commandQueue.HasUnacknowledged());
    EXPECT_TRUE(machine->jetQueue.HasUnacknowledged()) << "the jet queue is kept";
}

}  // namespace
}  // namespace corvane_test
