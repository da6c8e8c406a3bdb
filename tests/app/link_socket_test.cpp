// The link manager's sockets: the port range, command frames, "EXIT", bind failure and
// discovery, against real loopback sockets.
#include "link_fixture.h"

#include "platform/byte_order.h"
#include "platform/settings_store.h"
#include "support/recording_message_sink.h"
#include "support/simulated_machine.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <sys/socket.h>

#include <deque>

namespace corvane_test {
namespace {

// Every test that binds a simulated machine uses an address of its own.
constexpr uint8_t kDiscoveryMachine = 110;

TEST(LinkSockets, BindsTheFirstFreePortAndCarriesFramesExactly)
{
    TestUdpSocket first(kLinkFirstPort), second(kLinkFirstPort + 1);
    ASSERT_TRUE(first.IsBound() && second.IsBound()) << "the first two ports of the range must be free for this test";
    CUDPServer server;
    ASSERT_EQ(server.OpenLinkSockets(), kLinkOpened);
    EXPECT_EQ(server.GetBoundPort(), kLinkFirstPort + 2);

    int broadcast = 0;
    socklen_t size = sizeof broadcast;
    ASSERT_EQ(getsockopt(server.GetLanSocket(), SOL_SOCKET, SO_BROADCAST, &broadcast, &size), 0);
    EXPECT_EQ(broadcast, 1);

    const uint32_t key = LoopbackAddress(7);
    EXPECT_EQ(server.PostMachineCommandByte(key, 19, 2), 6);
    uint32_t from = 0;
    EXPECT_EQ(ReceiveWithin(server.GetLanSocket(), 2000, &from), (std::vector<uint8_t>{127, 0, 0, 7, 19, 2}));
    EXPECT_EQ(from, htonl(INADDR_LOOPBACK));

    const uint8_t text[] = {'f', '2', ';'};
    EXPECT_EQ(server.PostMachineCommand(key, 0, text, 3), 8);
    EXPECT_EQ(ReceiveWithin(server.GetLanSocket(), 2000), (std::vector<uint8_t>{127, 0, 0, 7, 0, 'f', '2', ';'}));

    // A frame longer than the link thread reads would arrive cut: it is not sent.
    std::vector<uint8_t> tooLong(MachineCommandFrame::kMaxPayloadBytes + 1, 'x');
    EXPECT_EQ(server.PostMachineCommand(key, 0, tooLong.data(), static_cast<int>(tooLong.size())), -1);
    EXPECT_EQ(server.PostMachineCommand(key, 0, tooLong.data(), MachineCommandFrame::kMaxPayloadBytes),
              kLinkDatagramBytes);
    EXPECT_EQ(ReceiveWithin(server.GetLanSocket(), 2000).size(), static_cast<size_t>(kLinkDatagramBytes));
}

TEST(LinkSockets, NothingIsPostedBeforeTheLinkIsOpen)
{
    CUDPServer server;
    EXPECT_EQ(server.PostMachineCommandByte(LoopbackAddress(7), 19, 2), -1);
}

TEST(LinkThread, EndsOnExitAndIgnoresShortFrames)
{
    TestUdpSocket first(kLinkFirstPort), second(kLinkFirstPort + 1);
    ASSERT_TRUE(first.IsBound() && second.IsBound());
    LoopbackLink link(kDiscoveryMachine);
    ASSERT_TRUE(link.Start());
    EXPECT_EQ(link.Server().GetBoundPort(), kLinkFirstPort + 2);

    TestUdpSocket sender;
    const uint32_t localhost = htonl(INADDR_LOOPBACK);
    const uint16_t port = link.Server().GetBoundPort();
    ASSERT_TRUE(sender.SendTo({127, 0, 0, 7}, localhost, port));  // 4 bytes: no command in it
    ASSERT_TRUE(sender.SendTo({'E', 'X', 'I', 'T'}, localhost, port));  // not the whole word
    ASSERT_TRUE(sender.SendTo({'E', 'X', 'I', 'T', 0}, localhost, port));
    EXPECT_TRUE(WaitUntil([&] { return !link.Server().IsLinkThreadRunning(); }));
}

TEST(LinkThread, ReportsBindErrorWhenNoPortIsFree)
{
    RecordingMessageSink sink;
    std::deque<TestUdpSocket> taken;
    for (int32_t i = 0; i < kLinkPortCount; ++i) {
        taken.emplace_back(static_cast<uint16_t>(kLinkFirstPort + i));
        ASSERT_TRUE(taken.back().IsBound()) << "port " << kLinkFirstPort + i << " must be free for this test";
    }
    LoopbackLink link(kDiscoveryMachine);
    EXPECT_FALSE(link.Start());
    EXPECT_TRUE(WaitUntil([&] { return !link.Server().IsLinkThreadRunning(); }));
    ASSERT_EQ(sink.Shown().size(), 1u);
    EXPECT_EQ(sink.Shown()[0].text, u"Bind Error!");
    EXPECT_EQ(sink.Shown()[0].caption, u"Corvane");
    EXPECT_EQ(link.Server().PostMachineCommandByte(LoopbackAddress(7), 19, 2), -1);
}

TEST(Discovery, AddressesComeFromTheSettingsStore)
{
    CUDPServer server;
    server.ReadDiscoveryAddresses();
    EXPECT_EQ(server.GetDiscoveryAddress(), inet_addr("192.168.1.255"));
    EXPECT_EQ(server.GetServerDiscoveryAddress(), inet_addr("192.168.1.255"));

    WriteProfileInt(u"NET_SET", u"BroadCastIP", static_cast<int32_t>(LoopbackAddress(111)));
    WriteProfileInt(u"NET_SET", u"ServBroadCastIP", static_cast<int32_t>(LoopbackAddress(112)));
    server.ReadDiscoveryAddresses();
    EXPECT_EQ(server.GetDiscoveryAddress(), LoopbackAddress(111));
    EXPECT_EQ(server.GetServerDiscoveryAddress(), LoopbackAddress(112));
}

TEST(Discovery, BroadcastsToBothPortsOncePerSecond)
{
    FakeClock clock;
    SimulatedMachineOptions options;
    options.hostOctet = kDiscoveryMachine;
    options.answerDiscovery = false;
    SimulatedMachine machine(options);
    std::string error;
    ASSERT_TRUE(machine.Start(&error)) << error;

    CUDPServer server;
    server.SetDiscoveryAddresses(machine.Key(), machine.Key());
    ASSERT_EQ(server.OpenLinkSockets(), kLinkOpened);
    server.PollMachines();
    clock.Advance(500);
    server.PollMachines();
    ASSERT_TRUE(WaitUntil([&] { return machine.DiscoveriesReceived() >= 2; }));

    std::vector<SimDatagram> received = machine.Received();
    ASSERT_EQ(received.size(), 2u);
    std::vector<uint8_t> expected = {'P', 'Q', 'C', '2',
                                     static_cast<uint8_t>(server.GetBoundPort() >> 8),
                                     static_cast<uint8_t>(server.GetBoundPort()),
                                     255, 255, 255, 0, 0, 0, 0, 0};
    StoreLE32(expected.data() + 10, server.GetInstanceStamp());
    for (const SimDatagram& d : received) EXPECT_EQ(d.bytes, expected);
    EXPECT_NE(received[0].port, received[1].port);
    for (const SimDatagram& d : received)
        EXPECT_TRUE(d.port == kMachineDiscoveryPort || d.port == kMachineServerDiscoveryPort);

    clock.Advance(501);
    server.PollMachines();
    EXPECT_TRUE(WaitUntil([&] { return machine.DiscoveriesReceived() >= 4; }));
}

// The harness ends a test program that would send outside loopback. The socket here is
// invalid, so nothing could leave even if the guard were missing.
TEST(LoopbackOnlyGuardDeathTest, RefusesDestinationsOutsideLoopback)
{
    sockaddr_in lan{};
    lan.sin_family = AF_INET;
    lan.sin_addr.s_addr = inet_addr("192.168.1.255");
    lan.sin_port = htons(kDiscoveryPort);
    const char byte = 0;
    EXPECT_DEATH(sendto(-1, &byte, 1, 0, reinterpret_cast<sockaddr*>(&lan), sizeof lan), "outside loopback");
    EXPECT_DEATH(connect(-1, reinterpret_cast<sockaddr*>(&lan), sizeof lan), "outside loopback");
    sockaddr_in local = lan;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(sendto(-1, &byte, 1, 0, reinterpret_cast<sockaddr*>(&local), sizeof local), -1);  // passed on: EBADF
}

}  // namespace
}  // namespace corvane_test
