// Helpers of the tests that run the machine link: a link manager that talks to loopback machines
// only, with a link thread that always ends, and loopback datagram helpers. Hold a
// LinkPortsLock while using them: they bind the link's ports.
#pragma once

#include "app/udp_server.h"
#include "support/fake_clock.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace corvane_test {

// 127.0.0.octet in network byte order: the key of a simulated machine there.
uint32_t LoopbackAddress(uint8_t octet);

// A socket of the test on 127.0.0.1, optionally bound to a port; closed by the destructor.
class TestUdpSocket {
public:
    explicit TestUdpSocket(uint16_t port = 0);
    ~TestUdpSocket();
    TestUdpSocket(const TestUdpSocket&) = delete;
    TestUdpSocket& operator=(const TestUdpSocket&) = delete;

    bool IsBound() const { return bound_; }
    // Sends bytes to a loopback address (network order) and port; never anywhere else.
    bool SendTo(const std::vector<uint8_t>& bytes, uint32_t address, uint16_t port);

private:
    int fd_ = -1;
    bool bound_ = false;
};

// Reads one datagram from socketFd within timeoutMs; empty when none came.
std::vector<uint8_t> ReceiveWithin(int socketFd, int timeoutMs, uint32_t* fromAddress = nullptr);

// Checks done() every millisecond of real time until it holds or timeoutMs passed. With a
// clock, each check first moves the clock on by stepMs, so time-outs and resends happen as
// fast as the test can drive them.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000, FakeClock* clock = nullptr, TickMs stepMs = 0);

// A link manager whose discovery goes to 127.0.0.discoveryOctet only. Its link thread, once
// started, ends with this object or after lifetimeMs of real time, whichever comes first.
class LoopbackLink {
public:
    explicit LoopbackLink(uint8_t discoveryOctet, int lifetimeMs = 15000);
    ~LoopbackLink();
    LoopbackLink(const LoopbackLink&) = delete;
    LoopbackLink& operator=(const LoopbackLink&) = delete;

    CUDPServer& Server() { return *server_; }
    // Starts the link thread after checking that discovery stays on loopback, and waits until
    // its LAN socket is bound or the thread ended; true when it is bound.
    bool Start();
    // Ends the link thread and waits for it.
    void Stop();

private:
    std::unique_ptr<CUDPServer> server_;
    std::thread watchdog_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stopping_ = false;
    int lifetimeMs_;
};

}  // namespace corvane_test
