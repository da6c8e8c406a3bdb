// ICMP echo: the request and reply check, and the probe over a raw or datagram ICMP socket.
#include "machinelink/my_ping.h"

#include "machinelink/socket_wait.h"
#include "platform/byte_order.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

// Packet fields are read little-endian, which keeps addresses in the network order the socket
// calls use on this little-endian target.
static_assert(std::endian::native == std::endian::little, "ICMP fields assume a little-endian host");

namespace {

constexpr uint8_t kEchoRequestType = 8;
constexpr uint8_t kEchoReplyType = 0;
constexpr size_t kIpHeaderMinBytes = 20;
constexpr size_t kReceiveBytes = 1024;
constexpr int kReplyBytesShown = 32;
constexpr int kFailedSendPauseMs = 1000;
constexpr int kReportedReplyPauseMs = 1000;

// Process-wide request counters, each advanced per request.
std::atomic<uint16_t> g_identifier{0};
std::atomic<uint16_t> g_sequence{0};

void Post(CMessageTarget* window, PingReportKind kind, const CString& text)
{
    if (!window) return;
    char16_t* copy = CMyPing::AllocBuffer(text);
    if (!PostMessage(window, WM_PING_REPORT, kind, reinterpret_cast<LPARAM>(copy), &CMyPing::FreePostedText))
        delete[] copy;
}

void PostSocketError(CMessageTarget* window, const char16_t* format, int error)
{
    if (!window) return;
    CString text;
    text.Format(format, error);
    Post(window, kPingReportError, text);
}

}  // namespace

std::array<uint8_t, kEchoRequestBytes> BuildEchoRequest(uint16_t identifier, uint16_t sequence, uint32_t tickMs)
{
    std::array<uint8_t, kEchoRequestBytes> request{};
    request[0] = kEchoRequestType;
    StoreLE16(request.data() + 4, identifier);
    StoreLE16(request.data() + 6, sequence);
    StoreLE32(request.data() + 12, tickMs);
    for (size_t i = 16; i < request.size(); ++i) request[i] = static_cast<uint8_t>(32 + (i - 16));
    StoreLE16(request.data() + 2, CMyPing::in_cksum(request.data(), static_cast<int>(request.size())));
    return request;
}

// Takes a reply only when it is whole (IP header as long as it says, the full echo behind it),
// of type 0 and from the target with our identifier and sequence: the first packet on the
// socket may be our own request, another host's message or a reply to another probe.
std::optional<EchoReply> CheckEchoReply(const uint8_t* packet, size_t size, uint32_t fromAddress,
                                        const EchoExpectation& expected)
{
    if (!packet || fromAddress != expected.targetAddress) return std::nullopt;
    size_t headerBytes = 0;
    if (expected.ipHeader) {
        if (size < kIpHeaderMinBytes || (packet[0] >> 4) != 4) return std::nullopt;
        headerBytes = static_cast<size_t>(packet[0] & 0x0F) * 4;
        if (headerBytes < kIpHeaderMinBytes || headerBytes > size) return std::nullopt;
        if (LoadLE32(packet + 12) != expected.targetAddress) return std::nullopt;
    }
    const uint8_t* icmp = packet + headerBytes;
    if (size - headerBytes < kEchoRequestBytes) return std::nullopt;
    if (icmp[0] != kEchoReplyType || icmp[1] != 0 || LoadLE16(icmp + 4) != expected.identifier ||
        LoadLE16(icmp + 6) != expected.sequence)
        return std::nullopt;
    EchoReply reply;
    reply.echoedTickMs = LoadLE32(icmp + 12);
    reply.ttl = expected.ipHeader ? packet[8] : -1;
    return reply;
}

CMyPing::~CMyPing() { CloseSocket(nullptr); }

uint16_t CMyPing::in_cksum(const void* data, int bytes)
{
    const auto* p = static_cast<const uint8_t*>(data);
    uint32_t sum = 0;
    int i = 0;
    for (; i + 1 < bytes; i += 2) sum += LoadLE16(p + i);
    if (i < bytes) sum += p[i];
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

char16_t* CMyPing::AllocBuffer(const CString& text)
{
    const size_t units = static_cast<size_t>(text.GetLength());
    auto* copy = new char16_t[units + 1];
    std::memcpy(copy, text.GetString(), units * sizeof(char16_t));
    copy[units] = u'\0';
    return copy;
}

void CMyPing::FreePostedText(WPARAM, LPARAM lParam) { delete[] reinterpret_cast<char16_t*>(lParam); }

int CMyPing::Ping(unsigned count, uint32_t address) { return Probe(count, address, nullptr); }

int CMyPing::Ping(unsigned count, const char* dottedAddress)
{
    return dottedAddress ? Probe(count, inet_addr(dottedAddress), nullptr) : kPingNoReply;
}

int CMyPing::Ping(unsigned count, const char* hostName, CMessageTarget* window)
{
    if (!hostName) return kPingNoReply;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_RAW;
    addrinfo* found = nullptr;
    if (getaddrinfo(hostName, nullptr, &hints, &found) != 0 || !found) return kPingNoReply;
    const uint32_t address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return Probe(count, address, window);
}

// Runs up to count attempts; text that gave no address (inet_addr's all ones) is the limited
// broadcast, which is never probed.
int CMyPing::Probe(unsigned count, uint32_t address, CMessageTarget* window)
{
    if (address == INADDR_NONE) return kPingNoReply;
    if (!OpenSocket()) {
        PostSocketError(window, u"创建套接字发生错误 – WSAError: %ld", errno);
        return kPingNoSocket;
    }
    for (unsigned attempt = 0; attempt < count; ++attempt) {
        if (!SendEchoRequest(address)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kFailedSendPauseMs));
            continue;
        }
        const TickMs deadlineMs = MonotonicMs() + kEchoWaitMs;
        std::optional<EchoReply> reply;
        while (!reply && WaitForEchoReply(deadlineMs)) reply = RecvEchoReply();
        if (!reply) {
            Post(window, kPingReportTimeout, CString(u"Request Timed Out"));
            continue;
        }
        in_addr from{};
        from.s_addr = address;
        char dotted[INET_ADDRSTRLEN] = "";
        inet_ntop(AF_INET, &from, dotted, sizeof dotted);
        const int32_t elapsedMs = static_cast<int32_t>(GetTickCount() - reply->echoedTickMs);
        replyText_.Format(u"Reply from: %s: bytes=%d time=%ldms TTL=%d", dotted, kReplyBytesShown, elapsedMs,
                          reply->ttl);
        if (window) {
            Post(window, kPingReportReply, replyText_);
            std::this_thread::sleep_for(std::chrono::milliseconds(kReportedReplyPauseMs));
        }
        CloseSocket(window);
        return kPingReplied;
    }
    CloseSocket(window);
    return kPingNoReply;
}

bool CMyPing::OpenSocket()
{
    CloseSocket(nullptr);
    socket_ = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    ipHeader_ = socket_ >= 0;
    if (socket_ >= 0) return true;
    const int rawError = errno;
    socket_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (socket_ < 0) {
        errno = rawError;
        return false;
    }
    // The kernel numbers the socket's requests with its own identifier, the bound "port".
    sockaddr_in local{};
    local.sin_family = AF_INET;
    int on = 1;
    if (bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        setsockopt(socket_, IPPROTO_IP, IP_RECVTTL, &on, sizeof on) != 0) {
        const int error = errno;
        CloseSocket(nullptr);
        errno = error;
        return false;
    }
    return true;
}

void CMyPing::CloseSocket(CMessageTarget* window)
{
    if (socket_ < 0) return;
    if (close(socket_) != 0) PostSocketError(window, u"关闭套接字发生错误 – WSAError: %ld", errno);
    socket_ = -1;
}

bool CMyPing::SendEchoRequest(uint32_t address)
{
    const uint16_t identifier = static_cast<uint16_t>(g_identifier.fetch_add(1) + 1);
    const uint16_t sequence = static_cast<uint16_t>(g_sequence.fetch_add(1) + 1);
    const auto request = BuildEchoRequest(identifier, sequence, GetTickCount());
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    ssize_t sent;
    do {
        sent = sendto(socket_, request.data(), request.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&to),
                      sizeof to);
    } while (sent < 0 && errno == EINTR);
    if (sent != static_cast<ssize_t>(request.size())) return false;
    expected_ = EchoExpectation{address, identifier, sequence, ipHeader_};
    if (!ipHeader_) {
        sockaddr_in local{};
        socklen_t size = sizeof local;
        if (getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &size) != 0) return false;
        // The identifier stands in the reply as the kernel wrote it: the port's bytes.
        expected_.identifier = LoadLE16(reinterpret_cast<const uint8_t*>(&local.sin_port));
    }
    return true;
}

bool CMyPing::WaitForEchoReply(TickMs deadlineMs) { return WaitReadableUntil(socket_, deadlineMs); }

std::optional<EchoReply> CMyPing::RecvEchoReply()
{
    uint8_t packet[kReceiveBytes];
    sockaddr_in from{};
    iovec part{packet, sizeof packet};
    alignas(cmsghdr) uint8_t control[CMSG_SPACE(sizeof(int))];
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = recvmsg(socket_, &message, MSG_DONTWAIT);
    if (n < 0 || (message.msg_flags & MSG_TRUNC)) return std::nullopt;
    auto reply = CheckEchoReply(packet, static_cast<size_t>(n), from.sin_addr.s_addr, expected_);
    if (!reply || ipHeader_) return reply;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL && c->cmsg_len >= CMSG_LEN(sizeof(int))) {
            int ttl = 0;
            std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
            reply->ttl = ttl;
        }
    }
    return reply;
}
