// CAsyncSocket over loopback TCP: the four notifications, SIGPIPE-free sends, SO_REUSEADDR.
#include "platform/async_socket.h"

#include "support/event_loop.h"
#include "support/loopback_tcp_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <memory>
#include <sys/ioctl.h>

namespace {

// Calls of send and recv on one socket that fail with EINTR, as when a signal arrives.
std::atomic<int> g_interruptedFd{-1};
std::atomic<int> g_interruptionsLeft{0};

bool Interrupted(int fd)
{
    if (fd != g_interruptedFd.load() || g_interruptionsLeft.load() <= 0) return false;
    --g_interruptionsLeft;
    errno = EINTR;
    return true;
}

}  // namespace

// This program's send and recv stand in front of the C library's, for the code under test too.
extern "C" ssize_t send(int fd, const void* data, size_t size, int flags)
{
    if (Interrupted(fd)) return -1;
    static const auto next = reinterpret_cast<ssize_t (*)(int, const void*, size_t, int)>(dlsym(RTLD_NEXT, "send"));
    return next(fd, data, size, flags);
}

extern "C" ssize_t recv(int fd, void* data, size_t size, int flags)
{
    if (Interrupted(fd)) return -1;
    static const auto next = reinterpret_cast<ssize_t (*)(int, void*, size_t, int)>(dlsym(RTLD_NEXT, "recv"));
    return next(fd, data, size, flags);
}

namespace {

using corvane_test::LoopbackTcpClient;
using corvane_test::RunEventLoopUntil;

// One accepted connection that logs what it is told and can answer.
class Connection : public CAsyncSocket {
public:
    std::string received;
    int sendCalls = 0;
    int closeCalls = 0;
    int closeError = -1;
    bool deleteOnClose = false;
    bool* deleted = nullptr;

    ~Connection() override
    {
        if (deleted) *deleted = true;
    }

protected:
    void OnReceive(int) override
    {
        char chunk[64];
        int n = Receive(chunk, sizeof chunk);
        if (n > 0) received.append(chunk, static_cast<size_t>(n));
    }
    void OnSend(int) override { ++sendCalls; }
    void OnClose(int errorCode) override
    {
        ++closeCalls;
        closeError = errorCode;
        if (deleteOnClose) {
            Close();
            delete this;
        }
    }
};

class Listener : public CAsyncSocket {
public:
    Connection* last = nullptr;
    std::vector<std::unique_ptr<Connection>> owned;

protected:
    void OnAccept(int) override
    {
        auto c = std::make_unique<Connection>();
        if (!Accept(*c)) return;
        last = c.get();
        owned.push_back(std::move(c));
    }
};

uint16_t Listen(Listener& listener, UINT port = 0)
{
    corvane_test::EnsureEventLoop();
    if (!listener.Create(port, SOCK_STREAM, FD_ACCEPT, u"127.0.0.1") || !listener.Listen(5)) return 0;
    CString address;
    UINT bound = 0;
    listener.GetSockName(address, bound);
    EXPECT_EQ(address, u"127.0.0.1");
    return static_cast<uint16_t>(bound);
}

TEST(AsyncSocket, AcceptsReceivesOffersSendingAndReportsTheCloseOnce)
{
    Listener listener;
    uint16_t port = Listen(listener);
    ASSERT_NE(port, 0);
    LoopbackTcpClient client(port);
    ASSERT_TRUE(client.IsConnected());
    ASSERT_TRUE(RunEventLoopUntil([&] { return listener.last != nullptr; }));
    Connection& c = *listener.last;

    // The accepted socket keeps the listener's selection (accept only) until told otherwise.
    EXPECT_EQ(c.sendCalls, 0);
    ASSERT_TRUE(c.AsyncSelect(FD_READ | FD_WRITE | FD_CLOSE));
    ASSERT_TRUE(RunEventLoopUntil([&] { return c.sendCalls == 1; }));
    EXPECT_EQ(c.Send("pong", 4), 4);

    ASSERT_TRUE(client.Send("ping"));
    ASSERT_TRUE(RunEventLoopUntil([&] { return c.received == "ping"; }));
    ASSERT_TRUE(client.WaitForBytes(4));
    EXPECT_EQ(client.Received(), "pong");

    // A writable socket is offered once per arming, not on every pass of the loop.
    EXPECT_EQ(c.sendCalls, 1);
    ASSERT_TRUE(c.AsyncSelect(FD_READ | FD_WRITE | FD_CLOSE));
    ASSERT_TRUE(RunEventLoopUntil([&] { return c.sendCalls == 2; }));

    client.Close();
    ASSERT_TRUE(RunEventLoopUntil([&] { return c.closeCalls == 1; }));
    EXPECT_EQ(c.closeError, 0);
    char byte;
    EXPECT_EQ(c.Receive(&byte, 1), 0);  // the end of the stream, and no second OnClose for it
    EXPECT_EQ(c.sendCalls, 2);
    EXPECT_EQ(c.closeCalls, 1);
}

TEST(AsyncSocket, ACallbackMayDeleteItsOwnSocket)
{
    Listener listener;
    uint16_t port = Listen(listener);
    LoopbackTcpClient client(port);
    ASSERT_TRUE(RunEventLoopUntil([&] { return listener.last != nullptr; }));
    Connection* c = listener.owned.back().release();
    c->deleteOnClose = true;
    bool deleted = false;
    c->deleted = &deleted;
    c->AsyncSelect(FD_READ | FD_CLOSE);
    client.Close();
    ASSERT_TRUE(RunEventLoopUntil([&] { return deleted; }));
}

TEST(AsyncSocket, SendingToAVanishedPeerFailsWithoutSigpipe)
{
    std::signal(SIGPIPE, SIG_DFL);  // a SIGPIPE would end this test process
    Listener listener;
    uint16_t port = Listen(listener);
    auto client = std::make_unique<LoopbackTcpClient>(port);
    ASSERT_TRUE(RunEventLoopUntil([&] { return listener.last != nullptr; }));
    Connection& c = *listener.last;
    c.AsyncSelect(FD_READ | FD_CLOSE);
    client.reset();
    ASSERT_TRUE(RunEventLoopUntil([&] { return c.closeCalls == 1; }));
    int result = 0;
    for (int i = 0; i < 100 && result != SOCKET_ERROR; ++i) result = c.Send("x", 1);
    EXPECT_EQ(result, SOCKET_ERROR);
    EXPECT_EQ(CAsyncSocket::GetLastError(), WSAECONNRESET);
}

TEST(AsyncSocket, CallsInterruptedByASignalAreMadeAgain)
{
    Listener listener;
    uint16_t port = Listen(listener);
    LoopbackTcpClient client(port);
    ASSERT_TRUE(RunEventLoopUntil([&] { return listener.last != nullptr; }));
    Connection& c = *listener.last;  // selects nothing: the test makes the calls itself
    ASSERT_TRUE(client.Send("ping"));
    ASSERT_TRUE(RunEventLoopUntil([&] {
        int waiting = 0;
        return ::ioctl(c.m_hSocket, FIONREAD, &waiting) == 0 && waiting == 4;
    }));

    g_interruptedFd = c.m_hSocket;
    g_interruptionsLeft = 2;
    char got[8] = {};
    EXPECT_EQ(c.Receive(got, sizeof got), 4);
    EXPECT_EQ(std::string(got, 4), "ping");
    g_interruptionsLeft = 2;
    EXPECT_EQ(c.Send("pong", 4), 4);
    EXPECT_EQ(g_interruptionsLeft, 0);
    g_interruptedFd = -1;
    ASSERT_TRUE(client.WaitForBytes(4));
    EXPECT_EQ(client.Received(), "pong");
}

TEST(AsyncSocket, AServerListensAgainAtOnceOnItsOldPort)
{
    UINT port = 0;
    {
        Listener listener;
        port = Listen(listener);
        ASSERT_NE(port, 0u);
        LoopbackTcpClient client(static_cast<uint16_t>(port));
        ASSERT_TRUE(RunEventLoopUntil([&] { return listener.last != nullptr; }));
        listener.last->Close();  // the server closes first: its side of the port goes to TIME_WAIT
        ASSERT_TRUE(client.WaitForClose());
    }
    Listener again;
    EXPECT_EQ(Listen(again, port), port);
    Listener second;
    EXPECT_FALSE(second.Create(port, SOCK_STREAM, FD_ACCEPT, u"127.0.0.1") && second.Listen(5));
}

}  // namespace
