// LAN search and address change: the datagrams, and the exchanges with simulated machines.
#include "machinelink/net_auto_modify_addr.h"

#include "lan_fixture.h"
#include "platform/byte_order.h"
#include "support/fake_clock.h"

#include <arpa/inet.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace corvane_test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kLoopbackBroadcast = 0xFFFFFF7Fu;  // 127.255.255.255 in network order

std::array<uint8_t, 12> Id(char last)
{
    return {'S', 'I', 'M', '-', 'M', 'A', 'C', 'H', 'I', 'N', 'E', static_cast<uint8_t>(last)};
}

// A reply as a machine sends it: ID, network word, half-word and address.
Bytes Reply(char idLast, uint32_t word, uint16_t halfWord, uint32_t address)
{
    Bytes reply{'Q', 'G', 'J', 'A', 'D', 'R', 0x55};
    const auto id = Id(idLast);
    reply.insert(reply.end(), id.begin(), id.end());
    reply.resize(29);
    StoreLE32(reply.data() + 19, word);
    StoreLE16(reply.data() + 23, halfWord);
    StoreLE32(reply.data() + 25, address);
    return reply;
}

// The answer to one request: datagrams sent once, or every everyMs for forMs.
SimLanReplyScript Answer(std::vector<Bytes> datagrams, int everyMs = 0, int forMs = 0)
{
    SimLanReplyScript script;
    script.datagrams = std::move(datagrams);
    script.repeatEveryMs = everyMs;
    script.repeatForMs = forMs;
    return script;
}

TEST(LanDatagrams, ReplyFieldsAreCopiedAsTheirBytesStand)
{
    const Bytes reply = {'Q', 'G', 'J', 'A', 'D', 'R', 9, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L',
                         0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 192, 168, 1, 7};
    auto host = ParseSearchReply(reply.data(), reply.size());
    ASSERT_TRUE(host);
    EXPECT_EQ(std::string(host->id.begin(), host->id.end()), "ABCDEFGHIJKL");
    EXPECT_EQ(host->networkWord, 0x44332211u);
    EXPECT_EQ(host->networkHalfWord, 0x6655u);
    EXPECT_EQ(host->currentAddress, inet_addr("192.168.1.7"));
    EXPECT_EQ(host->newNetworkWord, host->networkWord);
    EXPECT_EQ(host->newNetworkHalfWord, host->networkHalfWord);
    EXPECT_EQ(host->newAddress, host->currentAddress);

    host->newAddress = inet_addr("192.168.1.251");
    const auto change = EncodeAddressChange(*host);
    EXPECT_EQ(Bytes(change.begin(), change.begin() + 4), (Bytes{'Q', 'G', 'J', 's'}));
    EXPECT_EQ(Bytes(change.begin() + 4, change.begin() + 22), Bytes(reply.begin() + 7, reply.begin() + 25));
    EXPECT_EQ(Bytes(change.begin() + 22, change.end()), (Bytes{192, 168, 1, 251}));
    const auto request = EncodeSearchRequest();
    EXPECT_EQ(Bytes(request.begin(), request.end()), (Bytes{'Q', 'G', 'J', 'r'}));
}

TEST(LanDatagrams, OnlyWholeRepliesCount)
{
    const Bytes good = Reply('1', 1, 2, inet_addr("127.0.0.2"));
    Bytes otherSixth = good;
    otherSixth[5] = 'X';
    Bytes cut(good.begin(), good.end() - 1);
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_TRUE(ParseSearchReply(good.data(), good.size()));
    for (const Bytes& bad : {otherSixth, cut, longer}) EXPECT_FALSE(ParseSearchReply(bad.data(), bad.size()));
    EXPECT_FALSE(ParseSearchReply(nullptr, 29));
}

TEST(LanDatagrams, FindsHostsByTheirWholeId)
{
    SEARCH_INFO info;
    HostInfo a, b;
    a.id = Id('1');
    b.id = Id('2');
    info.hosts.Add(a);
    info.hosts.Add(b);
    HostInfo probe;
    probe.id = Id('2');
    EXPECT_EQ(NET_AutoModifyAddr::FindHostWithSameID(probe, &info), 1);
    probe.id[0] = 'X';
    EXPECT_EQ(NET_AutoModifyAddr::FindHostWithSameID(probe, &info), -1);
    EXPECT_EQ(NET_AutoModifyAddr::FindHostWithSameID(probe, nullptr), -1);
}

using LanSearchTest = LanMachinesTest;

TEST_F(LanSearchTest, NoMachineGivesMinusOneAndNoHosts)
{
    SEARCH_INFO info = SearchOf(htonl(0x7F00004D));  // 127.0.0.77: nobody listens
    NET_AutoModifyAddr::SearchMach(&info);
    EXPECT_EQ(info.result, -1);
    EXPECT_EQ(info.hosts.GetSize(), 0);
}

TEST_F(LanSearchTest, RepliesOfAnotherLengthOrSixthByteAreIgnored)
{
    SimLanOptions lan;
    Bytes good = Reply('1', 1, 2, htonl(0x7F000002));
    Bytes otherSixth = good, cut(good.begin(), good.end() - 1), longer = good;
    otherSixth[5] = 'r';
    longer.push_back(0);
    lan.script = {Answer({cut, longer, otherSixth}), Answer({cut, longer, otherSixth})};
    SimulatedMachine& machine = AddMachine(2, lan);
    SEARCH_INFO info = SearchOf(machine.Key());
    NET_AutoModifyAddr::SearchMach(&info);
    EXPECT_EQ(machine.Lan().SearchRequests(), 2);
    EXPECT_EQ(info.result, -1);
    EXPECT_EQ(info.hosts.GetSize(), 0);
}

TEST_F(LanSearchTest, OneMachineInBothPassesKeepsTheSecondReply)
{
    SimLanOptions lan;
    lan.script = {Answer({Reply('1', 0x1111, 0x11, htonl(0x7F000003))}),
                  Answer({Reply('1', 0x2222, 0x22, htonl(0x7F000003))})};
    SimulatedMachine& machine = AddMachine(3, lan);
    SEARCH_INFO info = SearchOf(machine.Key());
    NET_AutoModifyAddr::SearchMach(&info);
    EXPECT_EQ(info.result, 1);
    ASSERT_EQ(info.hosts.GetSize(), 1);
    EXPECT_EQ(info.hosts[0].networkWord, 0x2222u);
    EXPECT_EQ(info.hosts[0].newNetworkHalfWord, 0x22u);
    EXPECT_EQ(info.hosts[0].currentAddress, machine.Key());
}

// Three machines on the loopback broadcast are found, each receives the three changes in the
// order of the array, takes its own, and reports its new address to the next search.
TEST_F(LanSearchTest, ChangesReachEveryMachineInArrayOrder)
{
    SimLanOptions lan;
    lan.onLoopbackBroadcast = true;
    std::vector<SimulatedMachine*> machines = {&AddMachine(4, lan, 'a'), &AddMachine(5, lan, 'b'),
                                               &AddMachine(6, lan, 'c')};
    SEARCH_INFO info = SearchOf(kLoopbackBroadcast);
    NET_AutoModifyAddr::SearchMach(&info);
    EXPECT_EQ(info.result, 1);
    ASSERT_EQ(info.hosts.GetSize(), 3);

    std::vector<Bytes> sent;
    for (int i = 0; i < 3; ++i) {
        info.hosts[i].newAddress = htonl(0x7F0000F0 + static_cast<uint32_t>(i));  // 127.0.0.240 ...
        const auto change = EncodeAddressChange(info.hosts[i]);
        sent.emplace_back(change.begin(), change.end());
    }
    NET_AutoModifyAddr::ChangeAddr(&info);
    EXPECT_EQ(info.result, 0);

    for (SimulatedMachine* machine : machines) {
        std::vector<Bytes> changes;
        for (int waited = 0; waited < 2000 && changes.size() < 3; waited += 10) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            changes.clear();
            for (const Bytes& d : machine->Lan().Received())
                if (d.size() >= 4 && d[3] == 's') changes.push_back(d);
        }
        EXPECT_EQ(changes, sent);
        EXPECT_EQ(machine->Lan().AddressChanges().size(), 1u);
    }

    SEARCH_INFO again = SearchOf(kLoopbackBroadcast);
    NET_AutoModifyAddr::SearchMach(&again);
    ASSERT_EQ(again.hosts.GetSize(), 3);
    for (int i = 0; i < 3; ++i) {
        int at = NET_AutoModifyAddr::FindHostWithSameID(info.hosts[i], &again);
        ASSERT_GE(at, 0);
        EXPECT_EQ(again.hosts[at].currentAddress, info.hosts[i].newAddress);
    }
}

// A stream of datagrams that are no replies does not hold a pass: each ends 800 ms after its
// request.
TEST_F(LanSearchTest, OtherDatagramsDoNotProlongAPass)
{
    SimLanOptions lan;
    Bytes junk = Reply('1', 1, 2, htonl(0x7F000007));
    junk[5] = 'X';
    lan.script = {Answer({junk}, 50, 8000)};
    SimulatedMachine& machine = AddMachine(7, lan);
    SEARCH_INFO info = SearchOf(machine.Key());
    const auto start = std::chrono::steady_clock::now();
    NET_AutoModifyAddr::SearchMach(&info);
    const auto tookMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(info.result, -1);
    EXPECT_GE(tookMs, 2 * NET_AutoModifyAddr::kReplyWaitMs - 100);  // the ticks round to whole ms
    EXPECT_LT(tookMs, 5000);
}

// Valid replies keep a pass going, but for 8 s after its request at most (the clock runs ten
// times faster than real time, so the test takes about two seconds).
TEST_F(LanSearchTest, APassEndsEightSecondsAfterItsRequest)
{
    SimLanOptions lan;
    lan.script = {Answer({Reply('1', 1, 2, htonl(0x7F000008))}, 30, 10000)};
    SimulatedMachine& machine = AddMachine(8, lan);
    FakeClock clock;
    std::atomic<bool> searching{true};
    std::thread driver([&] {
        while (searching) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            clock.Advance(100);
        }
    });
    SEARCH_INFO info = SearchOf(machine.Key());
    const TickMs startMs = clock.NowMs();
    NET_AutoModifyAddr::SearchMach(&info);
    const TickMs tookMs = clock.NowMs() - startMs;
    searching = false;
    driver.join();
    EXPECT_EQ(info.result, 1);
    EXPECT_EQ(info.hosts.GetSize(), 1);
    EXPECT_GE(tookMs, 2 * NET_AutoModifyAddr::kPassLimitMs);
    EXPECT_LT(tookMs, 2 * NET_AutoModifyAddr::kPassLimitMs + 20000);
}

}  // namespace
}  // namespace corvane_test
