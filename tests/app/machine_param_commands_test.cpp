// The machine parameter commands byte by byte as the link gets them, and the parameters a
// simulated machine receives after a configuration file was loaded into it.
#include "link_fixture.h"

#include "app/machine_param_commands.h"
#include "machinelink/machine_protocol.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "support/simulated_machine.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <string>

namespace corvane_test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Floats(std::initializer_list<float> values)
{
    ByteWriter w;
    for (float v : values) w.PutFloat(v);
    return w.Bytes();
}

// Gives every block a machine's parameter commands copy values that tell the fields apart.
void FillParameterBlocks(NET_Machine& m)
{
    P_Interpolate1& ip = m.motionSource.interpolator;
    for (int i = 0; i < P_Interpolate1::kMagnetWords; ++i) ip.magnetBlock[i] = static_cast<int16_t>(-700 + 100 * i);
    const float offsets[7] = {1.5f, -2.25f, 20.0f, 16.0f, 0.8f, 15.0f, 0.6f};
    std::copy(offsets, offsets + 7, ip.offsetsBlock.toolOffsets);
    const uint8_t sp[8] = {1, 2, 3, 0, 7, 4, 6, 1};  // only the low two bits travel
    std::copy(sp, sp + 8, m.spRoles);
    for (int s = 0; s < 3; ++s) ip.speedConfigs[s].xAccLine = 4000.0 * (s + 1);
    ip.speedConfigs[2].yAccCrvJiWan = 1e300;  // beyond a float: sent as infinity
    ip.firstSpeedIndex = 5;   // bits 0-1: 1
    ip.secondSpeedIndex = 2;
    m.startPrefix = 1, m.optionBit = 2, m.rightEdgeMarks = 0, m.autoContinue = 1;
    m.knifeComp1 = 0x1234, m.knifeComp2 = 0xFEDC;
    ip.depthParams = {0x01020304, 0x0A0B0C0D, 1000, 2300, 900, 650, 200, 7};
    const float calibration[4] = {600.0f, 601.5f, 700.0f, 702.25f};
    std::copy(calibration, calibration + 4, m.calibration);
    for (int i = 0; i < NET_Machine::kExtraBlockBytes; ++i) m.extraBlock[i] = static_cast<uint8_t>(i * 3);
}

// The payloads FillParameterBlocks gives, by code.
std::vector<std::pair<uint8_t, Bytes>> FilledPayloads()
{
    ByteWriter knife;
    for (int i = 0; i < 14; ++i) knife.PutI16(static_cast<int16_t>(-700 + 100 * i));
    ByteWriter speeds;
    for (int s = 0; s < 3; ++s) {
        const SpeedConfig defaults;
        speeds.PutFloat(100.0f * (s + 1));
        for (double v : {defaults.yAccLine, defaults.xVecMax, defaults.yVecMax, defaults.xVecInit, defaults.yVecInit,
                         defaults.J, defaults.xAccCrv, defaults.yAccCrv, defaults.xAccCrvJiWan})
            speeds.PutFloat(static_cast<float>(v / 40));
        speeds.PutFloat(s == 2 ? std::numeric_limits<float>::infinity() : static_cast<float>(defaults.yAccCrvJiWan / 40));
    }
    Bytes other(200);
    for (int i = 0; i < 200; ++i) other[i] = static_cast<uint8_t>(i * 3);
    return {
        {11, knife.Bytes()},
        {12, Floats({1.5f, -2.25f, 20.0f, 16.0f, 0.8f, 15.0f, 0.6f})},
        // SP1..SP8 = 1, 2, 3, 0, 3, 0, 2, 1 two bits each from bit 0: 0x6339.
        {13, {0x39, 0x63}},
        {14, speeds.Bytes()},
        // Levels 1 and 2 (8 + 1), output 0x20, suction on 0x40 and off 0x80; the extensions.
        {15, {0xE9, 0x34, 0x12, 0xDC, 0xFE, 0, 0, 0, 0}},
        {17, {4, 3, 2, 1, 0x0D, 0x0C, 0x0B, 0x0A, 0xE8, 0x03, 0xFC, 0x08, 0x84, 0x03, 0x8A, 0x02, 200, 0, 7, 0}},
        {20, Floats({600.0f, 601.5f, 700.0f, 702.25f})},
        {23, other},
    };
}

// A link whose sockets are open (no thread) and one machine in its table.
class ParamCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(server_.OpenLinkSockets(), kLinkOpened);
        const uint8_t mac[6] = {2, 0, 0, 0, 0, 0x17};
        const uint8_t id[12] = {'P', 'A', 'R', 'A', 'M', '-', 'C', 'O', 'D', 'E', 'S', '1'};
        machine_ = new NET_Machine(LoopbackAddress(170), mac, id);
        ASSERT_EQ(server_.AddMachineSorted(machine_), 1);
    }

    // The code and payload of the next frame the link got, after checking its key.
    std::pair<uint8_t, Bytes> NextFrame()
    {
        Bytes frame = ReceiveWithin(server_.GetLanSocket(), 2000);
        if (frame.size() < 5) {
            ADD_FAILURE() << "no frame arrived";
            return {};
        }
        EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 4), (Bytes{127, 0, 0, 170}));
        return {frame[4], Bytes(frame.begin() + 5, frame.end())};
    }

    CUDPServer server_;
    NET_Machine* machine_ = nullptr;  // owned by server_
};

TEST_F(ParamCommands, EachCodeCopiesItsBlockOfTheRecord)
{
    FillParameterBlocks(*machine_);
    for (const auto& [code, payload] : FilledPayloads()) {
        EXPECT_EQ(server_.SendMachineParamCommand(machine_, code), 5 + static_cast<int>(payload.size())) << int(code);
        EXPECT_EQ(NextFrame(), std::make_pair(code, payload)) << "code " << int(code);
    }
}

TEST_F(ParamCommands, CodesOutsideTheTableSendNothing)
{
    for (uint8_t code : {0, 5, 16, 18, 19, 21, 22, 24, 128}) {
        EXPECT_TRUE(MachineParamPayload(*machine_, code).empty()) << int(code);
        EXPECT_EQ(server_.SendMachineParamCommand(machine_, code), 0) << int(code);
    }
    EXPECT_EQ(server_.SendMachineParamCommand(nullptr, 13), 0);
    EXPECT_GT(server_.SendMachineParamCommand(machine_, 13), 0);
    EXPECT_EQ(NextFrame().first, 13);  // nothing came before it
}

TEST(WorkFlagsPayload, CutLevelTwoWithIdleOneAndDefaultExtensions)
{
    NET_Machine machine;
    machine.motionSource.interpolator.firstSpeedIndex = 2;
    machine.motionSource.interpolator.secondSpeedIndex = 1;
    EXPECT_EQ(MachineParamPayload(machine, 15), (Bytes{0x06, 0xE8, 0x03, 0, 0, 0, 0, 0, 0}));
    machine.rightEdgeMarks = 1;  // auto paper cut
    EXPECT_EQ(MachineParamPayload(machine, 15)[0], 0x16);
}

// The command pack type of each code the configuration load sends, in order.
Bytes LoadPackTypes(bool withCalibration)
{
    Bytes types = {4, 7, 2, 8, 9, 13, 10, 11, 14, 16, 12};
    if (withCalibration) types.push_back(19);
    types.push_back(22);
    return types;
}

struct LoadCase {
    const char* name;
    uint8_t octet;
    uint8_t firmware;
    bool calibration;  // code 20 is sent
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

// A simulated machine admitted by a running link, and a configuration file of its firmware.
class ConfigLoad : public ::testing::TestWithParam<LoadCase> {
protected:
    void SetUp() override
    {
        SimulatedMachineOptions options;
        options.hostOctet = GetParam().octet;
        options.firmware = GetParam().firmware;
        sim_ = std::make_unique<SimulatedMachine>(options);
        std::string error;
        ASSERT_TRUE(sim_->Start(&error)) << error;
        link_ = std::make_unique<LoopbackLink>(GetParam().octet);
        ASSERT_TRUE(link_->Start());
        ASSERT_TRUE(WaitUntil([&] { return WithMachine([](NET_Machine& m) { return m.paramsReceived != 0; }); }));
        ASSERT_TRUE(WithMachine([&](NET_Machine& m) { return m.firmwareVersion == GetParam().firmware; }));

        NET_Machine source;
        source.firmwareVersion = GetParam().firmware;
        FillParameterBlocks(source);
        configPath_ = ScratchDir() + "machine.con";
        source.SaveConfigToFile(CString::FromUtf8(configPath_));
    }

    bool WithMachine(const std::function<bool(NET_Machine&)>& f)
    {
        CSingleLock guard(&link_->Server().GetLock(), TRUE);
        NET_Machine* m = link_->Server().FindMachineByKey(sim_->Key());
        return m && f(*m);
    }
    NET_Machine* Machine()
    {
        CSingleLock guard(&link_->Server().GetLock(), TRUE);
        return link_->Server().FindMachineByKey(sim_->Key());
    }
    // The command packs other than parameter polls that the machine took from the first-th
    // pack on, once count of them arrived.
    std::vector<SimPack> TakenFrom(size_t first, size_t count)
    {
        std::vector<SimPack> taken;
        WaitUntil([&] {
            const std::vector<SimPack> all = sim_->Taken(SimQueue::Command);
            taken.clear();
            for (size_t i = first; i < all.size(); ++i)
                if (all[i].type != kPackTypePollParams && all[i].type != kPackTypePollStatus) taken.push_back(all[i]);
            return taken.size() >= count;
        });
        return taken;
    }

    std::unique_ptr<SimulatedMachine> sim_;
    std::unique_ptr<LoopbackLink> link_;
    std::string configPath_;
};

TEST_P(ConfigLoad, SendsEveryParameterInOrder)
{
    const size_t before = sim_->Taken(SimQueue::Command).size();
    ASSERT_EQ(LoadMachineConfiguration(link_->Server(), Machine(), CString::FromUtf8(configPath_)), 1);
    const Bytes expectedTypes = LoadPackTypes(GetParam().calibration);
    const std::vector<SimPack> taken = TakenFrom(before, expectedTypes.size());
    Bytes types;
    for (const SimPack& pack : taken) types.push_back(pack.type);
    EXPECT_EQ(types, expectedTypes);

    // The parameter commands carry the file's values.
    std::vector<std::pair<uint8_t, Bytes>> expected;
    ASSERT_TRUE(WithMachine([&](NET_Machine& m) {
        for (uint8_t code : {11, 12, 13, 14, 15, 17, 20, 23}) expected.emplace_back(code, MachineParamPayload(m, code));
        return true;
    }));
    for (const auto& [code, payload] : expected) {
        for (const SimPack& pack : taken) {
            if (pack.type == code - 1) {
                EXPECT_EQ(pack.payload, payload) << "code " << int(code);
            }
        }
    }
    const auto filled = FilledPayloads();
    EXPECT_EQ(expected[0].second, filled[0].second) << "the knife block came from the file";
    EXPECT_EQ(expected[7].second, filled[7].second) << "the other parameters came from the file";
    EXPECT_TRUE(std::filesystem::exists(ProgramDir() + "config.db")) << "the records were stored";
}

TEST_P(ConfigLoad, AFileThatDoesNotLoadSendsNothing)
{
    const std::string shortFile = ScratchDir() + "short.con";
    ASSERT_TRUE(WriteFile(shortFile, std::string(100, '\x01')));
    const size_t before = sim_->Taken(SimQueue::Command).size();
    EXPECT_EQ(LoadMachineConfiguration(link_->Server(), Machine(), CString::FromUtf8(shortFile)), 0);
    EXPECT_EQ(LoadMachineConfiguration(link_->Server(), Machine(), CString::FromUtf8(ScratchDir() + "none.con")), 0);
    EXPECT_EQ(LoadMachineConfiguration(link_->Server(), nullptr, CString::FromUtf8(configPath_)), 0);
    EXPECT_FALSE(std::filesystem::exists(ProgramDir() + "config.db"));

    // The next command the machine takes is one sent afterwards.
    ASSERT_GT(link_->Server().SendMachineParamCommand(Machine(), 13), 0);
    const std::vector<SimPack> taken = TakenFrom(before, 1);
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].type, 12);
}

INSTANTIATE_TEST_SUITE_P(Loopback, ConfigLoad,
                         ::testing::Values(LoadCase{"firmware11", 171, 11, false}, LoadCase{"firmware12", 172, 12, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane_test
