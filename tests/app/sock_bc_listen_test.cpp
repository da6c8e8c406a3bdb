// CSockBCListen: another controller's discovery on port 41200 makes the program give way.
#include "app/sock_bc_listen.h"

#include "link_fixture.h"
#include "support/event_loop.h"
#include "support/recording_message_sink.h"

#include <gtest/gtest.h>

namespace corvane_test {
namespace {

std::vector<uint8_t> Discovery(size_t length)
{
    std::vector<uint8_t> bytes(length, 0);
    bytes[0] = 'P';
    bytes[1] = 'Q';
    bytes[2] = 'C';
    bytes[3] = '2';
    return bytes;
}

TEST(SockBCListen, OnlyAFourteenByteDiscoveryEndsTheProgram)
{
    EnsureEventLoop();
    RecordingMessageSink sink;
    int quits = 0;
    CSockBCListen listener([&] { ++quits; });
    ASSERT_TRUE(listener.CreateListener());
    TestUdpSocket other;

    // Other lengths, and other words, are another program's business.
    ASSERT_TRUE(other.SendTo(Discovery(15), LoopbackAddress(1), kBroadcastListenPort));
    std::vector<uint8_t> notDiscovery = Discovery(14);
    notDiscovery[3] = 'C';
    ASSERT_TRUE(other.SendTo(notDiscovery, LoopbackAddress(1), kBroadcastListenPort));
    RunEventLoopUntil([] { return false; }, 200);
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(listener.GetSeenTickMs(), 0);
    EXPECT_NE(listener.m_hSocket, INVALID_SOCKET);
    EXPECT_TRUE(sink.Shown().empty());

    ASSERT_TRUE(other.SendTo(Discovery(14), LoopbackAddress(1), kBroadcastListenPort));
    ASSERT_TRUE(RunEventLoopUntil([&] { return quits > 0; }));
    EXPECT_EQ(quits, 1);
    EXPECT_NE(listener.GetSeenTickMs(), 0);
    EXPECT_EQ(listener.m_hSocket, INVALID_SOCKET);
    ASSERT_EQ(sink.Shown().size(), 1u);
    EXPECT_EQ(sink.Shown()[0].text, u"检测到本网络上已经有打印软件在运行，本软件将关闭");
    EXPECT_EQ(sink.Shown()[0].caption, u"Corvane");
}

}  // namespace
}  // namespace corvane_test
