// The simulated machine's LAN search answers: sockets, the answering thread and the records.
#include "support/simulated_lan_responder.h"

#include "platform/byte_order.h"
#include "support/simulated_machine.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace corvane_test {
namespace {

constexpr uint32_t kLoopbackBroadcast = 0x7FFFFFFF;  // 127.255.255.255, host order

bool StartsWith(const uint8_t* data, size_t size, const char* magic)
{
    const size_t n = std::strlen(magic);
    return size >= n && std::memcmp(data, magic, n) == 0;
}

// Opens a UDP socket bound to address:41208 (network order); -1 with the reason in error.
int BindLanSocket(uint32_t address, bool shared, std::string& error)
{
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    int on = 1;
    if (shared) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(kMachineLanSearchPort);
    at.sin_addr.s_addr = address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
        char dotted[INET_ADDRSTRLEN] = "";
        inet_ntop(AF_INET, &at.sin_addr, dotted, sizeof dotted);
        error = std::string("bind ") + dotted + ":41208: " + std::strerror(errno);
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

SimulatedLanResponder::SimulatedLanResponder(uint32_t addressNetworkOrder, const std::array<uint8_t, 12>& id,
                                             SimLanOptions options, int lifetimeMs)
    : address_(addressNetworkOrder), id_(id), options_(std::move(options)), lifetimeMs_(lifetimeMs)
{
}

SimulatedLanResponder::~SimulatedLanResponder() { Stop(); }

bool SimulatedLanResponder::Start(std::string* error)
{
    std::string why;
    if ((ntohl(address_) >> 24) != 127) why = "a simulated machine answers LAN search on loopback only";
    if (why.empty()) unicastSocket_ = BindLanSocket(address_, false, why);
    if (why.empty() && options_.onLoopbackBroadcast)
        broadcastSocket_ = BindLanSocket(htonl(kLoopbackBroadcast), true, why);
    if (!why.empty()) {
        if (error) *error = why;
        Stop();
        return false;
    }
    thread_ = std::thread([this] { Run(); });
    return true;
}

void SimulatedLanResponder::Stop()
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        stop_ = true;
    }
    if (thread_.joinable()) thread_.join();
    for (int* fd : {&unicastSocket_, &broadcastSocket_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

std::vector<uint8_t> SimulatedLanResponder::ReplyBytes() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return ReplyBytesLocked();
}

std::vector<uint8_t> SimulatedLanResponder::ReplyBytesLocked() const
{
    std::vector<uint8_t> reply{'Q', 'G', 'J', 'A', 'D', 'R', 0};
    reply.insert(reply.end(), id_.begin(), id_.end());
    reply.resize(29);
    StoreLE32(reply.data() + 19, options_.networkWord);
    StoreLE16(reply.data() + 23, options_.networkHalfWord);
    StoreLE32(reply.data() + 25, newAddress_.value_or(address_));  // the address as its bytes stand
    return reply;
}

std::vector<std::vector<uint8_t>> SimulatedLanResponder::Received() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return received_;
}

int SimulatedLanResponder::SearchRequests() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return requests_;
}

std::vector<std::vector<uint8_t>> SimulatedLanResponder::AddressChanges() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return changes_;
}

std::optional<uint32_t> SimulatedLanResponder::NewAddress() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return newAddress_;
}

// Answers until stopped or until the lifetime has passed.
void SimulatedLanResponder::Run()
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(lifetimeMs_);
    std::vector<pollfd> fds{{unicastSocket_, POLLIN, 0}};
    if (broadcastSocket_ >= 0) fds.push_back({broadcastSocket_, POLLIN, 0});
    uint8_t buffer[1024];
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (stop_ || std::chrono::steady_clock::now() >= end) break;
            SendDue();
        }
        if (poll(fds.data(), fds.size(), 2) <= 0) continue;
        for (const pollfd& p : fds) {
            if (!(p.revents & POLLIN)) continue;
            sockaddr_in from{};
            socklen_t fromSize = sizeof from;
            ssize_t n;
            while ((n = recvfrom(p.fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromSize)) >= 0) {
                std::lock_guard<std::mutex> guard(lock_);
                Handle(buffer, static_cast<size_t>(n), from.sin_addr.s_addr, from.sin_port);
                fromSize = sizeof from;
            }
        }
    }
}

void SimulatedLanResponder::Handle(const uint8_t* data, size_t size, uint32_t fromAddress, uint16_t fromPort)
{
    received_.emplace_back(data, data + size);
    if (size == 26 && StartsWith(data, size, "QGJs") && std::equal(id_.begin(), id_.end(), data + 4)) {
        changes_.emplace_back(data, data + size);
        newAddress_ = LoadLE32(data + 22);
        return;
    }
    if (!StartsWith(data, size, "QGJr")) return;
    const size_t request = static_cast<size_t>(requests_++);
    const auto now = std::chrono::steady_clock::now();
    if (request >= options_.script.size()) {
        outgoing_.push_back({now, ReplyBytesLocked(), fromAddress, fromPort});
        return;
    }
    const SimLanReplyScript& script = options_.script[request];
    const int every = std::max(script.repeatEveryMs, 1);
    const int until = script.repeatEveryMs > 0 ? script.repeatForMs : 0;
    for (int atMs = 0; atMs <= until; atMs += every)
        for (const auto& datagram : script.datagrams)
            outgoing_.push_back({now + std::chrono::milliseconds(atMs), datagram, fromAddress, fromPort});
    std::stable_sort(outgoing_.begin(), outgoing_.end(), [](const Outgoing& a, const Outgoing& b) { return a.due < b.due; });
}

// Sends what is due, from the machine's own address.
void SimulatedLanResponder::SendDue()
{
    const auto now = std::chrono::steady_clock::now();
    while (!outgoing_.empty() && outgoing_.front().due <= now) {
        const Outgoing& out = outgoing_.front();
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = out.toPort;
        to.sin_addr.s_addr = out.toAddress;
        sendto(unicastSocket_, out.bytes.data(), out.bytes.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&to),
               sizeof to);
        outgoing_.pop_front();
    }
}

bool SimulatedMachine::StartLan(std::string* error)
{
    lan_ = std::make_unique<SimulatedLanResponder>(Key(), options_.id, options_.lan, options_.lifetimeMs);
    return lan_->Start(error);
}

}  // namespace corvane_test
