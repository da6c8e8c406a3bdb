// Loopback sockets, bounded waits and the loopback-only link manager of the link tests.
#include "support/loopback_link.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace corvane_test {
namespace {

bool IsLoopback(uint32_t addressNetworkOrder) { return (ntohl(addressNetworkOrder) >> 24) == 127; }

}  // namespace

uint32_t LoopbackAddress(uint8_t octet) { return htonl((127u << 24) | octet); }

TestUdpSocket::TestUdpSocket(uint16_t port)
{
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0 || port == 0) return;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    local.sin_port = htons(port);
    bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0;
}

TestUdpSocket::~TestUdpSocket()
{
    if (fd_ >= 0) close(fd_);
}

bool TestUdpSocket::SendTo(const std::vector<uint8_t>& bytes, uint32_t address, uint16_t port)
{
    if (!IsLoopback(address)) {
        ADD_FAILURE() << "a test datagram must stay on loopback";
        return false;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    to.sin_port = htons(port);
    return sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(bytes.size());
}

std::vector<uint8_t> ReceiveWithin(int socketFd, int timeoutMs, uint32_t* fromAddress)
{
    pollfd p{socketFd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return {};
    uint8_t buffer[2048];
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    ssize_t n = recvfrom(socketFd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (n < 0) return {};
    if (fromAddress) *fromAddress = from.sin_addr.s_addr;
    return std::vector<uint8_t>(buffer, buffer + n);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs, FakeClock* clock, TickMs stepMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        if (clock) clock->Advance(stepMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

LoopbackLink::LoopbackLink(uint8_t discoveryOctet, int lifetimeMs)
    : server_(std::make_unique<CUDPServer>()), lifetimeMs_(lifetimeMs)
{
    server_->SetDiscoveryAddresses(LoopbackAddress(discoveryOctet), LoopbackAddress(discoveryOctet));
}

LoopbackLink::~LoopbackLink() { Stop(); }

bool LoopbackLink::Start()
{
    // Discovery must never leave the host from a test.
    if (!IsLoopback(server_->GetDiscoveryAddress()) || !IsLoopback(server_->GetServerDiscoveryAddress())) {
        ADD_FAILURE() << "discovery of a test must go to loopback addresses";
        return false;
    }
    if (!server_->StartMachineLinkThread()) return false;
    // Ends the thread the way the protocol does, with "EXIT", once the lifetime is over.
    watchdog_ = std::thread([this] {
        std::unique_lock<std::mutex> guard(lock_);
        if (wake_.wait_for(guard, std::chrono::milliseconds(lifetimeMs_), [this] { return stopping_; })) return;
        TestUdpSocket socket;
        socket.SendTo(std::vector<uint8_t>(kLinkExitFrame, kLinkExitFrame + 5), htonl(INADDR_LOOPBACK),
                      server_->GetBoundPort());
    });
    WaitUntil([this] { return server_->GetBoundPort() != 0 || !server_->IsLinkThreadRunning(); });
    return server_->GetBoundPort() != 0;
}

void LoopbackLink::Stop()
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (watchdog_.joinable()) watchdog_.join();
    server_->StopMachineLinkThread();
}

}  // namespace corvane_test
