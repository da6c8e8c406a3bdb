// Admission of machines by the link thread against simulated machines: discovery, announce
// replies, re-announces, re-keying, clashes, short announces and command frames.
#include "link_fixture.h"

#include "machinelink/machine_messages.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "support/recording_message_target.h"
#include "support/simulated_machine.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace corvane_test {
namespace {

// The clock stands still: after its first pass the link thread neither polls nor discovers
// again, so every datagram a test sees comes from what the test did.
class LinkAdmission : public ::testing::Test {
protected:
    // Starts a simulated machine; fails the test when it cannot bind its address.
    void StartMachine(SimulatedMachine& machine)
    {
        std::string error;
        ASSERT_TRUE(machine.Start(&error)) << error;
    }

    // Waits until message (with wParam when given) has been posted to the main window.
    bool WaitForMessage(UINT message, std::optional<WPARAM> wParam = std::nullopt)
    {
        return WaitUntil([&] {
            for (const PostedMessage& m : window_.Drain()) posted_.push_back(m);
            return std::any_of(posted_.begin(), posted_.end(), [&](const PostedMessage& m) {
                return m.message == message && (!wParam || m.wParam == *wParam);
            });
        });
    }
    int CountPosted(UINT message)
    {
        for (const PostedMessage& m : window_.Drain()) posted_.push_back(m);
        return static_cast<int>(std::count_if(posted_.begin(), posted_.end(), [&](const PostedMessage& m) { return m.message == message; }));
    }

    // Lets a machine that does not answer discovery announce itself to link.
    static void AnnounceTo(SimulatedMachine& machine, LoopbackLink& link)
    {
        machine.SetController(htonl(INADDR_LOOPBACK), link.Server().GetBoundPort());
        machine.Announce(0);
    }

    FakeClock clock_;
    RecordingMessageTarget window_;
    std::vector<PostedMessage> posted_;
};

std::vector<uint8_t> Bytes(const uint8_t* data, size_t n) { return std::vector<uint8_t>(data, data + n); }

TEST_F(LinkAdmission, DiscoveryAdmitsANewMachine)
{
    SimulatedMachineOptions options;
    options.hostOctet = 120;
    options.expectedSequence = {5, 6, 7, 8};
    options.nextRequestSequence = 9;
    StoreLE32(options.settingsBlock.data() + 12, 12345);  // X range
    SimulatedMachine machine(options);
    StartMachine(machine);
    LoopbackLink link(120);
    ASSERT_TRUE(link.Start());

    ASSERT_TRUE(WaitUntil([&] { return machine.AnnounceReplies().size() == 1; }));
    std::vector<uint8_t> reply = {'P', 'Q', 'C', 'C', 5, 6, 7, 8, 0, 0, 0, 0};
    StoreLE32(reply.data() + 8, link.Server().GetInstanceStamp());
    EXPECT_EQ(machine.AnnounceReplies()[0], reply);
    EXPECT_TRUE(WaitForMessage(WM_NET_MACHINE_FOUND, machine.Key()));

    CSingleLock guard(&link.Server().GetLock(), TRUE);
    ASSERT_EQ(link.Server().GetMachineTable().GetSize(), 1);
    NET_Machine* m = link.Server().FindMachineByKey(machine.Key());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(Bytes(m->stationId, 12), Bytes(options.id.data(), 12));
    EXPECT_EQ(Bytes(m->mac, 6), Bytes(options.mac.data(), 6));
    EXPECT_EQ(m->firmwareVersion, options.firmware);
    EXPECT_EQ(m->online, 1);
    EXPECT_EQ(m->expectedRequest, 9);
    EXPECT_EQ(m->machineParams.xRange, 12345);
}

TEST_F(LinkAdmission, ReannounceKeepsOrResetsTheSequenceCounters)
{
    SimulatedMachineOptions options;
    options.hostOctet = 121;
    options.expectedSequence = {10, 20, 30, 40};
    options.nextRequestSequence = 50;
    SimulatedMachine machine(options);
    StartMachine(machine);
    LoopbackLink link(121);
    ASSERT_TRUE(link.Start());
    ASSERT_TRUE(WaitUntil([&] { return machine.AnnounceReplies().size() == 1; }));

    // One command moves the controller's command counter on to 31.
    const uint8_t text[] = {'x', ';'};
    link.Server().PostMachineCommand(machine.Key(), 0, text, 2);
    ASSERT_TRUE(WaitUntil([&] { return machine.Taken(SimQueue::Command).size() == 1; }));
    EXPECT_EQ(machine.Taken(SimQueue::Command)[0].sequence, 30);

    machine.Announce(1, std::array<uint8_t, 5>{1, 2, 3, 4, 5});
    ASSERT_TRUE(WaitUntil([&] { return machine.AnnounceReplies().size() == 2; }));
    EXPECT_EQ(Bytes(machine.AnnounceReplies()[1].data() + 4, 4), (std::vector<uint8_t>{10, 20, 31, 40}));
    {
        CSingleLock guard(&link.Server().GetLock(), TRUE);
        EXPECT_EQ(link.Server().FindMachineByKey(machine.Key())->expectedRequest, 50);
    }

    machine.Announce(0, std::array<uint8_t, 5>{1, 2, 3, 4, 5});
    ASSERT_TRUE(WaitUntil([&] { return machine.AnnounceReplies().size() == 3; }));
    EXPECT_EQ(Bytes(machine.AnnounceReplies()[2].data() + 4, 4), (std::vector<uint8_t>{1, 2, 3, 5}));
    CSingleLock guard(&link.Server().GetLock(), TRUE);
    NET_Machine* m = link.Server().FindMachineByKey(machine.Key());
    EXPECT_EQ(m->expectedRequest, 4);
    EXPECT_TRUE(WaitForMessage(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(m)));
    EXPECT_EQ(CountPosted(WM_NET_MACHINE_FOUND), 1);
}

TEST_F(LinkAdmission, AKnownAddressWithANewIdIsRefused)
{
    struct Case {
        const char* name;
        uint8_t octet;
        bool newMac;
    };
    for (const Case& c : {Case{"same MAC", 122, false}, Case{"new MAC", 123, true}}) {
        SCOPED_TRACE(c.name);
        SimulatedMachineOptions options;
        options.hostOctet = c.octet;
        SimulatedMachine machine(options);
        StartMachine(machine);
        LoopbackLink link(c.octet);
        ASSERT_TRUE(link.Start());
        ASSERT_TRUE(WaitUntil([&] { return machine.AnnounceReplies().size() == 1; }));

        std::array<uint8_t, 6> mac = options.mac;
        if (c.newMac) mac[5] ^= 0x55;
        const std::array<uint8_t, 12> id{'O', 'T', 'H', 'E', 'R', '-', 'M', 'A', 'C', 'H', 'N', 'E'};
        machine.SetIdentity(mac, id);
        const std::vector<uint8_t> announce = machine.AnnounceBytes(0);
        machine.SendRaw(announce);
        ASSERT_TRUE(WaitUntil([&] { return machine.Refusals().size() == 1; }));

        std::vector<uint8_t> refusal = {'P', 'Q', 'C', 'T'};
        refusal.insert(refusal.end(), announce.begin() + 5, announce.begin() + 17);
        EXPECT_EQ(machine.Refusals()[0], refusal);
        EXPECT_EQ(machine.AnnounceReplies().size(), 1u);
        CSingleLock guard(&link.Server().GetLock(), TRUE);
        ASSERT_EQ(link.Server().GetMachineTable().GetSize(), 1);
        NET_Machine* m = link.Server().FindMachineByKey(machine.Key());
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(Bytes(m->stationId, 12), Bytes(options.id.data(), 12));
        EXPECT_EQ(Bytes(m->mac, 6), Bytes(options.mac.data(), 6));
    }
}

TEST_F(LinkAdmission, AKnownIdFromANewAddressIsReKeyed)
{
    SimulatedMachineOptions before;
    before.hostOctet = 124;
    SimulatedMachine oldPlace(before);
    StartMachine(oldPlace);
    SimulatedMachineOptions after = before;
    after.hostOctet = 125;
    after.mac[5] = 0x77;
    SimulatedMachine newPlace(after);
    StartMachine(newPlace);
    LoopbackLink link(124);
    ASSERT_TRUE(link.Start());
    ASSERT_TRUE(WaitUntil([&] { return oldPlace.AnnounceReplies().size() == 1; }));
    NET_Machine* admitted = link.Server().FindMachineByKey(oldPlace.Key());
    ASSERT_NE(admitted, nullptr);

    AnnounceTo(newPlace, link);
    ASSERT_TRUE(WaitUntil([&] { return newPlace.AnnounceReplies().size() == 1; }));
    EXPECT_TRUE(WaitForMessage(WM_NET_MACHINE_STATE, reinterpret_cast<WPARAM>(admitted)));
    CSingleLock guard(&link.Server().GetLock(), TRUE);
    EXPECT_EQ(link.Server().GetMachineTable().GetSize(), 1);
    EXPECT_EQ(link.Server().FindMachineByKey(oldPlace.Key()), nullptr);
    EXPECT_EQ(link.Server().FindMachineByKey(newPlace.Key()), admitted);
    EXPECT_EQ(admitted->ip, newPlace.Key());
    EXPECT_EQ(Bytes(admitted->mac, 6), Bytes(after.mac.data(), 6));
    EXPECT_TRUE(newPlace.Refusals().empty());
}

TEST_F(LinkAdmission, AKnownIdIsNotMovedOntoAnotherMachinesAddress)
{
    SimulatedMachineOptions a;
    a.hostOctet = 126;
    SimulatedMachineOptions b;
    b.hostOctet = 127;
    b.mac = {0x02, 0, 0, 0, 0, 0x02};
    b.id = {'S', 'I', 'M', '-', 'M', 'A', 'C', 'H', 'I', 'N', 'E', '2'};
    SimulatedMachine first(a), second(b);
    StartMachine(first);
    StartMachine(second);
    LoopbackLink link(126);
    ASSERT_TRUE(link.Start());
    ASSERT_TRUE(WaitUntil([&] { return first.AnnounceReplies().size() == 1; }));
    AnnounceTo(second, link);
    ASSERT_TRUE(WaitUntil([&] { return second.AnnounceReplies().size() == 1; }));

    // From the second machine's address: the first machine's ID with a MAC nobody has.
    second.SetIdentity({0x02, 0, 0, 0, 0, 0x03}, a.id);
    second.Announce(0);
    ASSERT_TRUE(WaitUntil([&] { return second.Refusals().size() == 1; }));
    CSingleLock guard(&link.Server().GetLock(), TRUE);
    ASSERT_EQ(link.Server().GetMachineTable().GetSize(), 2);
    NET_Machine* m1 = link.Server().FindMachineByKey(first.Key());
    NET_Machine* m2 = link.Server().FindMachineByKey(second.Key());
    ASSERT_TRUE(m1 && m2);
    EXPECT_EQ(Bytes(m1->stationId, 12), Bytes(a.id.data(), 12));
    EXPECT_EQ(Bytes(m2->stationId, 12), Bytes(b.id.data(), 12));
}

TEST_F(LinkAdmission, ShortAnnouncesAreDroppedAndOnlyWholeSettingsApplied)
{
    SimulatedMachineOptions options;
    options.hostOctet = 128;
    options.answerDiscovery = false;
    StoreLE32(options.settingsBlock.data() + 12, 22222);  // X range
    SimulatedMachine machine(options);
    StartMachine(machine);
    LoopbackLink link(128);
    ASSERT_TRUE(link.Start());
    machine.SetController(htonl(INADDR_LOOPBACK), link.Server().GetBoundPort());

    const std::vector<uint8_t> whole = machine.AnnounceBytes(0);
    ASSERT_EQ(whole.size(), static_cast<size_t>(kAnnounceFixedBytes) + kSimSettingsBlockBytes);
    machine.SendRaw(std::vector<uint8_t>(whole.begin(), whole.begin() + kAnnounceFixedBytes - 1));
    machine.SendRaw(std::vector<uint8_t>(whole.begin(), whole.end() - 1));  // settings cut short
    ASSERT_TRUE(WaitUntil([&] { return machine.AnnounceReplies().size() == 1; }));
    EXPECT_TRUE(WaitForMessage(WM_NET_MACHINE_FOUND, machine.Key()));
    EXPECT_EQ(CountPosted(WM_NET_MACHINE_FOUND), 1);
    {
        CSingleLock guard(&link.Server().GetLock(), TRUE);
        EXPECT_EQ(link.Server().FindMachineByKey(machine.Key())->machineParams.xRange, 80000);
    }

    machine.SendRaw(whole);
    ASSERT_TRUE(WaitUntil([&] { return machine.AnnounceReplies().size() == 2; }));
    CSingleLock guard(&link.Server().GetLock(), TRUE);
    EXPECT_EQ(link.Server().FindMachineByKey(machine.Key())->machineParams.xRange, 22222);
}

TEST_F(LinkAdmission, CommandFramesReachTheirMachineOnly)
{
    SimulatedMachineOptions options;
    options.hostOctet = 129;
    options.expectedSequence = {0, 0, 60, 0};
    SimulatedMachine machine(options);
    StartMachine(machine);
    LoopbackLink link(129);
    ASSERT_TRUE(link.Start());
    ASSERT_TRUE(WaitUntil([&] { return machine.AnnounceReplies().size() == 1; }));

    TestUdpSocket sender;
    const uint32_t localhost = htonl(INADDR_LOOPBACK);
    const uint16_t port = link.Server().GetBoundPort();
    std::vector<uint8_t> frame(4);
    const uint32_t k = machine.Key();
    std::memcpy(frame.data(), &k, 4);
    ASSERT_TRUE(sender.SendTo(frame, localhost, port));  // key only
    frame.push_back(19);
    ASSERT_TRUE(sender.SendTo(frame, localhost, port));  // code without its value
    link.Server().PostMachineCommandByte(LoopbackAddress(130), 19, 1);  // no such machine
    link.Server().PostMachineCommandByte(machine.Key(), 19, 2);
    ASSERT_TRUE(WaitUntil([&] { return !machine.Taken(SimQueue::Command).empty(); }));
    const SimPack pack = machine.Taken(SimQueue::Command)[0];
    EXPECT_EQ(pack.sequence, 60);
    EXPECT_EQ(pack.type, 18);
    EXPECT_EQ(pack.payload, (std::vector<uint8_t>{2}));
}

}  // namespace
}  // namespace corvane_test
