// The command frames built from a machine's record, byte by byte as the link thread gets them.
#include "link_fixture.h"

#include "machinelink/net_machine.h"
#include "platform/byte_order.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane_test {
namespace {

using Bytes = std::vector<uint8_t>;

// A link whose sockets are open (no thread) and one machine in its table with values that
// tell every field apart.
class CommandSenders : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(server_.OpenLinkSockets(), kLinkOpened);
        const uint8_t mac[6] = {2, 0, 0, 0, 0, 9};
        const uint8_t id[12] = {'S', 'E', 'N', 'D', 'E', 'R', 'S', '-', 'T', 'E', 'S', 'T'};
        machine_ = new NET_Machine(LoopbackAddress(140), mac, id);
        ASSERT_EQ(server_.AddMachineSorted(machine_), 1);
        machine_->firmwareVersion = 12;
        JetHeadParams& jet = machine_->jet;
        jet.nozzleStart[0] = 1, jet.nozzleStart[1] = 2, jet.nozzleStart[2] = 3, jet.nozzleStart[3] = 4;
        jet.nozzleEnd[0] = 11, jet.nozzleEnd[1] = 12, jet.nozzleEnd[2] = 13, jet.nozzleEnd[3] = 14;
        jet.headCount = 3;
        jet.headOffsets[0] = -171, jet.headOffsets[1] = 300, jet.headOffsets[2] = -5;
        jet.margin = 23;
        jet.jetStepWidth = -1000.7f;
        jet.motorValue = 10;
        for (int i = 0; i < 3; ++i) {
            SpeedLevelRecord& level = machine_->speedLevels[i];
            level.speed = static_cast<uint16_t>(1000 + i);
            level.secondSpeed = static_cast<uint16_t>(2000 + i);
            level.levelValue1 = 100000 + i;
            level.levelValue2 = 200000 + i;
            level.levelValue3 = 12300 + 100 * i;
            level.bidiOffset = static_cast<int16_t>(-2 - i);
            const int16_t heads[6] = {1, -1, 200, 3, 4, static_cast<int16_t>(5 + i)};
            std::copy(heads, heads + 6, level.headValues);
        }
        machine_->motionSource.interpolator.cuttingLevelIndex = 2;
        machine_->motionSource.interpolator.jetLevelIndex = 1;
    }

    // The payload of the next frame the link got, after checking its key and code.
    Bytes NextPayload(uint8_t code)
    {
        Bytes frame = ReceiveWithin(server_.GetLanSocket(), 2000);
        if (frame.size() < 5) {
            ADD_FAILURE() << "no frame arrived";
            return {};
        }
        EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 4), (Bytes{127, 0, 0, 140}));
        EXPECT_EQ(frame[4], code);
        return Bytes(frame.begin() + 5, frame.end());
    }

    CUDPServer server_;
    NET_Machine* machine_ = nullptr;  // owned by server_
};

TEST_F(CommandSenders, JetHeadConfigLimitsTheHeadCountToTwo)
{
    EXPECT_GT(server_.SendJetHeadConfig(machine_), 0);
    Bytes expected = {1, 2, 3, 4, 11, 12, 13, 14, 2, 0, 0, 0, 0, 0, 0, 23};
    StoreLE16(expected.data() + 9, static_cast<uint16_t>(-171));
    StoreLE16(expected.data() + 11, 300);
    StoreLE16(expected.data() + 13, static_cast<uint16_t>(-5));
    EXPECT_EQ(NextPayload(5), expected);
}

TEST_F(CommandSenders, JetSpeedParamsTakeTheLevelAndTheCuttingLevel)
{
    EXPECT_GT(server_.SendJetSpeedParams(machine_, 7), 0);  // no level 7: level 0
    Bytes expected(24);
    StoreLE16(expected.data() + 0, 1000);    // speed of level 0
    StoreLE16(expected.data() + 2, 2002);    // the rest from cutting level 2
    StoreLE32(expected.data() + 4, 100002);
    StoreLE32(expected.data() + 8, 200002);
    StoreLE32(expected.data() + 12, static_cast<uint32_t>(-1000));
    StoreLE32(expected.data() + 16, 12500);
    StoreLE32(expected.data() + 20, static_cast<uint32_t>(-339));  // -10 x 862 / 25.4, truncated
    EXPECT_EQ(NextPayload(6), expected);
}

TEST_F(CommandSenders, JetRangeIsSentOnlyForARisingRange)
{
    EXPECT_EQ(server_.SendJetRangeCommand(machine_, 5, 5, 1, 2), 0);
    EXPECT_EQ(server_.SendJetRangeCommand(machine_, 9, 3, 1, 2), 0);
    EXPECT_GT(server_.SendJetRangeCommand(machine_, 3, 9, 100, 65535), 0);
    EXPECT_EQ(NextPayload(7), (Bytes{3, 0, 9, 0, 100, 0, 255, 255}));
}

TEST_F(CommandSenders, PlotSettingsCarryTheirThirtySixBytes)
{
    PlotSettings& plot = machine_->plot;
    plot.bandBaseMm = 150;
    plot.plotValue2 = 7;
    plot.xCalIdeal = 1.5f, plot.xCalReal = 2.5f, plot.yCalIdeal = 3.5f, plot.yCalReal = 4.5f;
    plot.plotValue10 = -9;
    plot.plotValue11 = 77;
    plot.rotationDeg = 270;
    plot.mirror = 5;
    plot.plotValue3 = 300;
    EXPECT_GT(server_.SendPlotSettings(machine_), 0);
    Bytes expected(36);
    StoreLE16(expected.data() + 0, static_cast<uint16_t>(-1000));
    expected[2] = 2, expected[3] = 4;  // the two jet bytes
    expected[4] = 10;                  // low byte of the jet head offset value
    StoreLE16(expected.data() + 5, 150);
    StoreLE16(expected.data() + 7, 7);
    StoreLEFloat(expected.data() + 9, 1.5f);
    StoreLEFloat(expected.data() + 13, 2.5f);
    StoreLEFloat(expected.data() + 17, 3.5f);
    StoreLEFloat(expected.data() + 21, 4.5f);
    StoreLE32(expected.data() + 25, static_cast<uint32_t>(-9));
    StoreLE32(expected.data() + 29, 77);
    expected[33] = 3, expected[34] = 1, expected[35] = 300 & 0xFF;
    EXPECT_EQ(NextPayload(8), expected);
}

TEST_F(CommandSenders, SpeedLevelsFromFirmwareThreeOn)
{
    EXPECT_GT(server_.SendSpeedLevelTable(machine_), 0);
    Bytes expected;
    for (int i = 0; i < 3; ++i) {
        Bytes record(12);
        StoreLE16(record.data(), static_cast<uint16_t>(123 + i));
        StoreLE16(record.data() + 2, static_cast<uint16_t>(1000 + i));
        record[4] = static_cast<uint8_t>(-2 - i);
        record[6] = 1, record[7] = 0xFF, record[8] = 200, record[9] = 3, record[10] = 4;
        record[11] = static_cast<uint8_t>(5 + i);
        expected.insert(expected.end(), record.begin(), record.end());
    }
    EXPECT_EQ(NextPayload(9), expected);
    EXPECT_GT(server_.SendSpeedLevelSelection(machine_), 0);
    EXPECT_EQ(NextPayload(10), (Bytes{2 * 4 + 1}));

    machine_->firmwareVersion = 2;
    EXPECT_EQ(server_.SendSpeedLevelTable(machine_), 0);
    EXPECT_EQ(server_.SendSpeedLevelSelection(machine_), 0);
    EXPECT_GT(server_.SendJetRangeCommand(machine_, 1, 2, 3, 4), 0);
    EXPECT_EQ(NextPayload(7), (Bytes{1, 0, 2, 0, 3, 0, 4, 0}));  // nothing came before it
}

TEST_F(CommandSenders, MachineLimitsAsCommandText)
{
    machine_->machineParams = MachineParams{1, 2, 3, 4, 5, 6, 7, -8};
    EXPECT_GT(server_.SendMachineLimitsText(machine_), 0);
    const std::string text = "b1,1;b2,2;b3,3;b4,4;b5,5;b6,6;b7,7;b8,-8;";
    EXPECT_EQ(NextPayload(0), Bytes(text.begin(), text.end()));
}

}  // namespace
}  // namespace corvane_test
