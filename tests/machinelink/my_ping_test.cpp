// ICMP echo: the request, the checksum, the reply check and probes of 127.0.0.1.
#include "machinelink/my_ping.h"

#include "platform/byte_order.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const uint32_t kLocalhost = htonl(INADDR_LOOPBACK);

// Tells why no ICMP socket can be opened here, or "" when one can.
std::string NoIcmpSocketReason()
{
    int fd = socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
    if (fd < 0) fd = socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP);
    if (fd >= 0) {
        close(fd);
        return "";
    }
    return std::string("no ICMP socket (raw, or datagram within net.ipv4.ping_group_range): ") + std::strerror(errno);
}

// An echo reply to request as the kernel returns it on a raw socket: an IP header of
// headerBytes from source, then the request turned into a reply.
Bytes RawReply(const std::array<uint8_t, kEchoRequestBytes>& request, uint32_t source, uint8_t ttl,
               size_t headerBytes = 20)
{
    Bytes packet(headerBytes, 0);
    packet[0] = static_cast<uint8_t>(0x40 | (headerBytes / 4));
    packet[8] = ttl;
    packet[9] = IPPROTO_ICMP;
    StoreLE32(packet.data() + 12, source);
    packet.insert(packet.end(), request.begin(), request.end());
    packet[headerBytes] = 0;  // echo reply
    return packet;
}

TEST(EchoRequest, CarriesItsFieldsAndAValidChecksum)
{
    const auto request = BuildEchoRequest(0x1234, 0x0102, 0xA0B0C0D0);
    EXPECT_EQ(request[0], 8);
    EXPECT_EQ(request[1], 0);
    EXPECT_EQ(LoadLE16(request.data() + 4), 0x1234);
    EXPECT_EQ(LoadLE16(request.data() + 6), 0x0102);
    EXPECT_EQ(LoadLE32(request.data() + 8), 0u);
    EXPECT_EQ(LoadLE32(request.data() + 12), 0xA0B0C0D0u);
    for (size_t i = 16; i < request.size(); ++i) EXPECT_EQ(request[i], 32 + (i - 16)) << i;
    // A packet with its checksum in place sums to zero.
    EXPECT_EQ(CMyPing::in_cksum(request.data(), static_cast<int>(request.size())), 0);
}

TEST(EchoRequest, ChecksumFollowsRfc1071)
{
    // The worked example of RFC 1071: the words 0001 f203 f4f5 f6f7 sum to ddf2.
    const Bytes data = {0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7};
    uint8_t stored[2];
    StoreLE16(stored, CMyPing::in_cksum(data.data(), static_cast<int>(data.size())));
    EXPECT_EQ(stored[0], 0x22);
    EXPECT_EQ(stored[1], 0x0d);
    // An odd last byte counts as the high-order byte of a word padded with zero.
    const Bytes odd = {0x00, 0x01, 0xf2};
    StoreLE16(stored, CMyPing::in_cksum(odd.data(), static_cast<int>(odd.size())));
    EXPECT_EQ((stored[0] << 8) | stored[1], 0xFFFF - 0xf201);
}

TEST(EchoReplyCheck, TakesOnlyTheAnswerToOurRequest)
{
    const auto request = BuildEchoRequest(7, 9, 5000);
    const EchoExpectation expected{kLocalhost, 7, 9, true};
    const Bytes reply = RawReply(request, kLocalhost, 64);

    auto taken = CheckEchoReply(reply.data(), reply.size(), kLocalhost, expected);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->echoedTickMs, 5000u);
    EXPECT_EQ(taken->ttl, 64);

    const Bytes withOptions = RawReply(request, kLocalhost, 32, 24);
    taken = CheckEchoReply(withOptions.data(), withOptions.size(), kLocalhost, expected);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->ttl, 32);

    Bytes ownRequest = reply;
    ownRequest[20] = 8;
    const Bytes otherSource = RawReply(request, htonl(0x7F000002), 64);
    const Bytes otherIdentifier = RawReply(BuildEchoRequest(8, 9, 5000), kLocalhost, 64);
    const Bytes otherSequence = RawReply(BuildEchoRequest(7, 10, 5000), kLocalhost, 64);
    const Bytes cut(reply.begin(), reply.end() - 1);
    Bytes headerPastEnd = reply;
    headerPastEnd.resize(40);
    headerPastEnd[0] = 0x4F;  // a 60-byte header in 40 bytes
    const struct {
        const char* name;
        Bytes packet;
    } refused[] = {{"our own request", ownRequest},       {"another source", otherSource},
                   {"another identifier", otherIdentifier}, {"another sequence", otherSequence},
                   {"a cut packet", cut},                  {"a header longer than the packet", headerPastEnd},
                   {"no IP header", Bytes(request.begin(), request.end())}};
    for (const auto& c : refused)
        EXPECT_FALSE(CheckEchoReply(c.packet.data(), c.packet.size(), kLocalhost, expected)) << c.name;
    // The sender the socket reports must be the target too.
    EXPECT_FALSE(CheckEchoReply(reply.data(), reply.size(), htonl(0x7F000002), expected));
}

TEST(EchoReplyCheck, DatagramSocketRepliesHaveNoIpHeader)
{
    const auto request = BuildEchoRequest(0x3412, 1, 77);
    Bytes reply(request.begin(), request.end());
    reply[0] = 0;
    const EchoExpectation expected{kLocalhost, 0x3412, 1, false};
    auto taken = CheckEchoReply(reply.data(), reply.size(), kLocalhost, expected);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->echoedTickMs, 77u);
    EXPECT_EQ(taken->ttl, -1);
    EXPECT_FALSE(CheckEchoReply(reply.data(), reply.size() - 1, kLocalhost, expected));
}

class PingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string reason = NoIcmpSocketReason();
        if (!reason.empty()) GTEST_SKIP() << reason;
    }
};

TEST_F(PingTest, LocalhostAnswers)
{
    CMyPing ping;
    EXPECT_EQ(ping.Ping(1, kLocalhost), kPingReplied);
    EXPECT_EQ(ping.Ping(2, "127.0.0.1"), kPingReplied);
    EXPECT_THAT(ping.ReplyText().ToUtf8(), ::testing::MatchesRegex("Reply from: 127\\.0\\.0\\.1: bytes=32 time=[0-9]+ms TTL=[0-9]+"));
}

TEST_F(PingTest, ReportingFormPostsTheReplyText)
{
    CMessageTarget window(CMessageTarget::Delivery::ByHand);
    CMyPing ping;
    EXPECT_EQ(ping.Ping(1, "127.0.0.1", &window), kPingReplied);
    auto posted = window.TakePosted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, WM_PING_REPORT);
    EXPECT_EQ(posted[0].wParam, kPingReportReply);
    EXPECT_EQ(posted[0].release, &CMyPing::FreePostedText);
    const auto* text = reinterpret_cast<const char16_t*>(posted[0].lParam);
    EXPECT_THAT(CString(text).ToUtf8(), ::testing::MatchesRegex("Reply from: 127\\.0\\.0\\.1: bytes=32 time=[0-9]+ms TTL=[0-9]+"));
    CMyPing::FreePostedText(posted[0].wParam, posted[0].lParam);
}

// Text that is no address would be all ones, the limited broadcast: nothing is sent (the
// loopback guard would end the test program on a send there) and the answer comes at once.
TEST(PingAddress, TextThatIsNoAddressSendsNothing)
{
    CMyPing ping;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ping.Ping(3, "abc"), kPingNoReply);
    EXPECT_EQ(ping.Ping(3, "255.255.255.255"), kPingNoReply);
    EXPECT_EQ(ping.Ping(3, static_cast<const char*>(nullptr)), kPingNoReply);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kEchoWaitMs));
}

// Without a socket the probe says so, instead of answering "no reply" as if the address were free.
TEST(PingAddress, NoSocketIsToldApartFromNoReply)
{
    // Lower the descriptor limit to the lowest free descriptor, so no socket can be opened.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = dup(0);
    ASSERT_GE(lowestFree, 0);
    close(lowestFree);
    rlimit none = saved;
    none.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    CMessageTarget window(CMessageTarget::Delivery::ByHand);
    CMyPing ping;
    const int plain = ping.Ping(1, kLocalhost);
    const int reported = ping.Ping(1, "127.0.0.1", &window);
    setrlimit(RLIMIT_NOFILE, &saved);

    EXPECT_EQ(plain, kPingNoSocket);
    EXPECT_EQ(reported, kPingNoSocket);
    auto posted = window.TakePosted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, kPingReportError);
    const auto* text = reinterpret_cast<const char16_t*>(posted[0].lParam);
    EXPECT_EQ(CString(text), CString(u"创建套接字发生错误 – WSAError: 24"));  // EMFILE
    CMyPing::FreePostedText(posted[0].wParam, posted[0].lParam);
}

}  // namespace
