// CAsyncSocket datagrams: SendTo and ReceiveFrom with the sender, dotted addresses only, and
// an oversize datagram reported as WSAEMSGSIZE.
#include "platform/async_socket.h"

#include "support/event_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane_test {
namespace {

class DatagramSocket : public CAsyncSocket {
public:
    int received = 0;

protected:
    void OnReceive(int) override { ++received; }
};

UINT PortOf(CAsyncSocket& socket)
{
    CString address;
    UINT port = 0;
    EXPECT_TRUE(socket.GetSockName(address, port));
    return port;
}

TEST(AsyncDatagram, SendsToADottedAddressAndReceivesWithTheSender)
{
    EnsureEventLoop();
    DatagramSocket receiver, sender;
    ASSERT_TRUE(receiver.Create(0, SOCK_DGRAM, FD_READ, u"127.0.0.1"));
    ASSERT_TRUE(sender.Create(0, SOCK_DGRAM, FD_READ, u"127.0.0.1"));
    ASSERT_EQ(sender.SendTo("hello", 5, PortOf(receiver), u"127.0.0.1"), 5);
    ASSERT_TRUE(RunEventLoopUntil([&] { return receiver.received > 0; }));

    char buffer[16] = {};
    CString from;
    UINT fromPort = 0;
    ASSERT_EQ(receiver.ReceiveFrom(buffer, sizeof buffer, from, fromPort), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(from, CString(u"127.0.0.1"));
    EXPECT_EQ(fromPort, PortOf(sender));
}

TEST(AsyncDatagram, AnOversizeDatagramFillsTheBufferAndReportsMsgSize)
{
    EnsureEventLoop();
    DatagramSocket receiver, sender;
    ASSERT_TRUE(receiver.Create(0, SOCK_DGRAM, FD_READ, u"127.0.0.1"));
    ASSERT_TRUE(sender.Create(0, SOCK_DGRAM, FD_READ, u"127.0.0.1"));
    const std::string big(300, 'x');
    ASSERT_EQ(sender.SendTo(big.data(), 300, PortOf(receiver), u"127.0.0.1"), 300);
    ASSERT_TRUE(RunEventLoopUntil([&] { return receiver.received > 0; }));

    std::vector<char> buffer(256, 0);
    CString from;
    UINT fromPort = 0;
    EXPECT_EQ(receiver.ReceiveFrom(buffer.data(), 256, from, fromPort), SOCKET_ERROR);
    EXPECT_EQ(CAsyncSocket::GetLastError(), WSAEMSGSIZE);
    EXPECT_EQ(buffer[255], 'x');
    // The datagram is gone: the next read finds nothing.
    EXPECT_EQ(receiver.ReceiveFrom(buffer.data(), 256, from, fromPort), SOCKET_ERROR);
    EXPECT_EQ(CAsyncSocket::GetLastError(), WSAEWOULDBLOCK);
}

TEST(AsyncDatagram, RefusesAMissingOrUndottedAddressInsteadOfBroadcasting)
{
    EnsureEventLoop();
    DatagramSocket sender;
    ASSERT_TRUE(sender.Create(0, SOCK_DGRAM, FD_READ, u"127.0.0.1"));
    for (const char16_t* address : {static_cast<const char16_t*>(nullptr), u"", u"localhost", u"127.0.0"}) {
        EXPECT_EQ(sender.SendTo("x", 1, 9, address), SOCKET_ERROR);
        EXPECT_EQ(CAsyncSocket::GetLastError(), WSAEINVAL);
    }
}

}  // namespace
}  // namespace corvane_test
