// LAN search and address change: the datagrams and the two UDP exchanges.
#include "machinelink/net_auto_modify_addr.h"

#include "machinelink/socket_wait.h"
#include "platform/byte_order.h"
#include "platform/tick_clock.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

// Fields copied as their bytes stand are read and written with the little-endian helpers, which
// keep the datagram's byte order in memory on this little-endian target.
static_assert(std::endian::native == std::endian::little, "LAN datagram fields assume a little-endian host");

namespace {

constexpr char kReplyMagic[] = "QGJADR";
constexpr size_t kReceiveBytes = 512;
constexpr int kSearchPasses = 2;
constexpr int kFailedSendPauseMs = 100;
constexpr int kChangePauseMs = 5;

// Reply offsets.
constexpr size_t kReplyIdAt = 7;
constexpr size_t kReplyWordAt = 19;
constexpr size_t kReplyHalfWordAt = 23;
constexpr size_t kReplyAddressAt = 25;

// Opens a UDP socket that may send to a broadcast address (Linux refuses one without SO_BROADCAST).
int OpenBroadcastSocket()
{
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    return fd;
}

sockaddr_in Destination(const SEARCH_INFO& info)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = info.port;
    to.sin_addr.s_addr = info.address;
    return to;
}

ssize_t SendTo(int fd, const uint8_t* data, size_t size, const sockaddr_in& to)
{
    ssize_t n;
    do {
        n = sendto(fd, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    } while (n < 0 && errno == EINTR);
    return n;
}

// Merges a reply into the hosts: replaces the entry with the same ID or appends it.
void MergeHost(SEARCH_INFO& info, const HostInfo& host)
{
    int at = NET_AutoModifyAddr::FindHostWithSameID(host, &info);
    if (at >= 0)
        info.hosts[at] = host;
    else
        info.hosts.Add(host);
}

// Runs one search pass: the request, then replies until none valid came for 800 ms.
void SearchPass(int fd, SEARCH_INFO& info)
{
    const auto request = EncodeSearchRequest();
    const sockaddr_in to = Destination(info);
    if (SendTo(fd, request.data(), request.size(), to) != static_cast<ssize_t>(request.size())) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kFailedSendPauseMs));
        return;
    }
    // Only a valid reply restarts the wait, and the pass ends 8 s after its request at the
    // latest: a stream of other datagrams (or of replies) cannot hold the search forever.
    const TickMs requestMs = MonotonicMs();
    const TickMs limitMs = requestMs + NET_AutoModifyAddr::kPassLimitMs;
    TickMs deadlineMs = std::min(limitMs, requestMs + NET_AutoModifyAddr::kReplyWaitMs);
    uint8_t buffer[kReceiveBytes];
    while (WaitReadableUntil(fd, deadlineMs)) {
        ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0) continue;
        auto host = ParseSearchReply(buffer, static_cast<size_t>(n));
        if (!host) continue;
        MergeHost(info, *host);
        deadlineMs = std::min(limitMs, MonotonicMs() + NET_AutoModifyAddr::kReplyWaitMs);
    }
}

}  // namespace

std::array<uint8_t, kSearchRequestBytes> EncodeSearchRequest() { return {'Q', 'G', 'J', 'r'}; }

std::optional<HostInfo> ParseSearchReply(const uint8_t* data, size_t size)
{
    if (!data || size != kSearchReplyBytes || std::memcmp(data, kReplyMagic, 6) != 0) return std::nullopt;
    HostInfo host;
    std::copy_n(data + kReplyIdAt, host.id.size(), host.id.begin());
    host.networkWord = LoadLE32(data + kReplyWordAt);
    host.networkHalfWord = LoadLE16(data + kReplyHalfWordAt);
    host.currentAddress = LoadLE32(data + kReplyAddressAt);
    host.newNetworkWord = host.networkWord;
    host.newNetworkHalfWord = host.networkHalfWord;
    host.newAddress = host.currentAddress;
    return host;
}

std::array<uint8_t, kAddressChangeBytes> EncodeAddressChange(const HostInfo& host)
{
    std::array<uint8_t, kAddressChangeBytes> out{'Q', 'G', 'J', 's'};
    std::copy(host.id.begin(), host.id.end(), out.begin() + 4);
    StoreLE32(out.data() + 16, host.newNetworkWord);
    StoreLE16(out.data() + 20, host.newNetworkHalfWord);
    StoreLE32(out.data() + 22, host.newAddress);
    return out;
}

void NET_AutoModifyAddr::SearchMach(void* infoPointer)
{
    auto& info = *static_cast<SEARCH_INFO*>(infoPointer);
    info.result = 0;
    int fd = OpenBroadcastSocket();
    if (fd < 0) {
        info.result = kFailed;
        return;
    }
    for (int pass = 0; pass < kSearchPasses; ++pass) SearchPass(fd, info);
    close(fd);
    info.result = info.hosts.GetSize() > 0 ? kFound : kFailed;
}

void NET_AutoModifyAddr::ChangeAddr(void* infoPointer)
{
    auto& info = *static_cast<SEARCH_INFO*>(infoPointer);
    info.result = kChanged;
    int fd = OpenBroadcastSocket();
    if (fd < 0) {
        info.result = kFailed;
        return;
    }
    const sockaddr_in to = Destination(info);
    for (int i = 0; i < info.hosts.GetSize(); ++i) {
        const auto datagram = EncodeAddressChange(info.hosts[i]);
        SendTo(fd, datagram.data(), datagram.size(), to);
        std::this_thread::sleep_for(std::chrono::milliseconds(kChangePauseMs));
    }
    close(fd);
}

int NET_AutoModifyAddr::FindHostWithSameID(const HostInfo& host, const SEARCH_INFO* info)
{
    if (!info) return -1;
    for (int i = 0; i < info->hosts.GetSize(); ++i)
        if (info->hosts[i].id == host.id) return i;
    return -1;
}
