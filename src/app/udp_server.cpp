// The machine-link manager's sockets, command frames, discovery, poll and thread control.
#include "app/udp_server.h"

#include "app/string_table.h"
#include "machinelink/datagram_sender.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "platform/message_box.h"
#include "platform/settings_store.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

CUDPServer gUDPServer;

namespace {

void CloseSocket(int fd)
{
    if (fd >= 0) close(fd);
}

}  // namespace

int32_t MachineCommandFrame::Encode(uint32_t key, uint8_t code, const uint8_t* payload, int32_t length, uint8_t* out)
{
    // The key goes out as held: its bytes are the address octets in order.
    std::memcpy(out, &key, 4);
    out[4] = code;
    if (payload && length > 0) std::memcpy(out + kHeaderBytes, payload, static_cast<size_t>(length));
    return kHeaderBytes + (length > 0 ? length : 0);
}

uint32_t MachineCommandFrame::KeyOf(const uint8_t* frame)
{
    uint32_t key;
    std::memcpy(&key, frame, 4);
    return key;
}

CUDPServer::CUDPServer()
    : discoveryAddress_(inet_addr(kDefaultDiscoveryAddress)),
      serverDiscoveryAddress_(inet_addr(kDefaultDiscoveryAddress)),
      maskValue_(inet_addr("255.255.255.0")),
      instanceStamp_(static_cast<uint32_t>(std::time(nullptr)))
{
}

CUDPServer::~CUDPServer()
{
    StopMachineLinkThread();
    CloseSocket(lanSocket_.exchange(-1));
    CloseSocket(loopbackSocket_.exchange(-1));
    DeleteAllMachines();
}

void CUDPServer::SendFromLan(const uint8_t* data, int32_t length, uint32_t address, uint16_t port)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    to.sin_port = htons(port);
    sendto(lanSocket_.load(), data, static_cast<size_t>(length), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

void CUDPServer::ReadDiscoveryAddresses()
{
    const int32_t fallback = static_cast<int32_t>(inet_addr(kDefaultDiscoveryAddress));
    SetDiscoveryAddresses(static_cast<uint32_t>(GetProfileInt(u"NET_SET", u"BroadCastIP", fallback)),
                          static_cast<uint32_t>(GetProfileInt(u"NET_SET", u"ServBroadCastIP", fallback)));
}

void CUDPServer::SetDiscoveryAddresses(uint32_t first, uint32_t second)
{
    discoveryAddress_ = first;
    serverDiscoveryAddress_ = second;
}

int CUDPServer::PostMachineCommand(uint32_t key, uint8_t code, const uint8_t* payload, int length)
{
    // The link thread reads datagrams of at most 256 bytes: a longer frame would arrive cut
    // off, so it is not sent at all.
    if (length < 0 || length > MachineCommandFrame::kMaxPayloadBytes || (length > 0 && !payload)) return -1;
    const int fd = loopbackSocket_.load();
    const uint16_t port = boundPort_.load();
    if (fd < 0 || port == 0) return -1;
    uint8_t frame[kLinkDatagramBytes];
    int32_t size = MachineCommandFrame::Encode(key, code, payload, length, frame);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    return static_cast<int>(sendto(fd, frame, static_cast<size_t>(size), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to));
}

int CUDPServer::PostMachineCommandByte(uint32_t key, uint8_t code, uint8_t value)
{
    return PostMachineCommand(key, code, &value, 1);
}

BOOL CUDPServer::StartMachineLinkThread()
{
    if (threadStarted_) return FALSE;
    threadStarted_ = true;
    threadRunning_ = true;
    linkThread_ = std::thread(MachineLinkThread, this);
    return TRUE;
}

void CUDPServer::StopMachineLinkThread()
{
    if (!linkThread_.joinable()) return;
    stopRequested_ = true;
    // The thread may wait up to a poll interval for its next pass: "EXIT" wakes it at once.
    PostMachineCommand(MachineCommandFrame::KeyOf(kLinkExitFrame), kLinkExitFrame[4], nullptr, 0);
    linkThread_.join();
}

int32_t CUDPServer::OpenLinkSockets()
{
    if (lanSocket_.load() >= 0) return kLinkOpened;
    const int loopback = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int lan = loopback >= 0 ? socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0) : -1;
    if (loopback < 0 || lan < 0) {
        CloseSocket(loopback);
        AfxMessageBox(LoadResString(StringId::kNetError));
        return kLinkNetError;
    }
    // Discovery goes to a broadcast address, which Linux refuses without this option.
    int on = 1;
    setsockopt(lan, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    for (int32_t i = 0; i < kLinkPortCount; ++i) {
        const uint16_t port = static_cast<uint16_t>(kLinkFirstPort + i);
        local.sin_port = htons(port);
        if (bind(lan, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0) {
            loopbackSocket_ = loopback;
            lanSocket_ = lan;
            boundPort_ = port;
            return kLinkOpened;
        }
    }
    CloseSocket(lan);
    CloseSocket(loopback);
    AfxMessageBox(LoadResString(StringId::kBindError));
    return kLinkBindError;
}

void CUDPServer::SendDiscovery()
{
    const int lan = lanSocket_.load();
    sockaddr_in own{};
    socklen_t ownSize = sizeof own;
    if (lan < 0 || getsockname(lan, reinterpret_cast<sockaddr*>(&own), &ownSize) != 0) return;
    uint8_t datagram[kDiscoveryBytes];
    std::memcpy(datagram, "PQC2", 4);
    std::memcpy(datagram + 4, &own.sin_port, 2);  // network order, as held
    std::memcpy(datagram + 6, &maskValue_, 4);    // 255, 255, 255, 0
    StoreLE32(datagram + 10, instanceStamp_);
    SendFromLan(datagram, kDiscoveryBytes, discoveryAddress_.load(), kDiscoveryPort);
    SendFromLan(datagram, kDiscoveryBytes, serverDiscoveryAddress_.load(), kServerDiscoveryPort);
    lastDiscoveryMs_ = MonotonicMs();
}

void CUDPServer::PollMachines()
{
    const TickMs now = MonotonicMs();
    if (now - lastDiscoveryMs_ > kDiscoveryIntervalMs) SendDiscovery();
    if (now - lastPollMs_ <= kPollIntervalMs) return;
    lastPollMs_ = now;
    {
        CSingleLock guard(&lock_, TRUE);
        SocketDatagramSender lan(lanSocket_.load());
        for (NET_Machine* machine : machines_) machine->ProTimeout(lan);
        lastPollMs_ = MonotonicMs();
    }
    ShowRefusalReports();
}

TickMs CUDPServer::NextPassDueMs() const
{
    // PollMachines runs a pass once more than its interval has passed.
    return std::min(lastDiscoveryMs_ + kDiscoveryIntervalMs, lastPollMs_ + kPollIntervalMs) + 1;
}

void CUDPServer::ShowRefusalReports()
{
    std::vector<CString> reports;
    {
        CSingleLock guard(&lock_, TRUE);
        CString text;
        for (NET_Machine* machine : machines_)
            if (machine->TakeRefusalReport(text)) reports.push_back(text);
    }
    for (const CString& text : reports) AfxMessageBox(text);
}

bool CUDPServer::HandleLinkDatagram(const uint8_t* data, int32_t length, uint32_t fromAddress)
{
    if (length <= 0) return true;
    {
        CSingleLock guard(&lock_, TRUE);
        SocketDatagramSender lan(lanSocket_.load());
        if (fromAddress == htonl(INADDR_LOOPBACK)) {
            if (length >= 5 && std::memcmp(data, kLinkExitFrame, 5) == 0) return false;
            if (length <= 4) return true;
            if (NET_Machine* machine = FindMachineByKey(MachineCommandFrame::KeyOf(data)))
                machine->ProcPCMsg(lan, data + 4, length - 4);
        } else if (length >= 4 && std::memcmp(data, "PQCC", 4) == 0) {
            HandleAnnounce(data, length, fromAddress);
        } else if (NET_Machine* machine = FindMachineByKey(fromAddress)) {
            // Datagrams from addresses that name no machine are dropped.
            machine->ProcMcuMsg(lan, data, length);
        }
    }
    ShowRefusalReports();
    return true;
}

void CUDPServer::RunMachineLink()
{
    if (OpenLinkSockets() == kLinkOpened) {
        const int lan = lanSocket_.load();
        uint8_t buffer[kLinkDatagramBytes];
        while (!stopRequested_.load()) {
            // Sleeps on the socket until the next pass is due: a datagram (a command frame from
            // 127.0.0.1 too) wakes the thread at once, and an idle link costs nothing between
            // its passes. A test clock does not pass by itself, so it is looked at every ms.
            const TickMs untilDueMs = std::clamp<TickMs>(NextPassDueMs() - MonotonicMs(), 0, kPollIntervalMs + 1);
            const int waitMs = IsTickSourceReplaced() ? kLinkTestClockWaitMs : static_cast<int>(untilDueMs);
            pollfd readable{lan, POLLIN, 0};
            if (poll(&readable, 1, waitMs) > 0 && (readable.revents & POLLIN)) {
                sockaddr_in from{};
                socklen_t fromSize = sizeof from;
                const ssize_t n = recvfrom(lan, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
                if (n > 0 && !HandleLinkDatagram(buffer, static_cast<int32_t>(n), from.sin_addr.s_addr)) break;
            }
            PollMachines();
        }
    }
    threadRunning_ = false;
}

void MachineLinkThread(CUDPServer* server) { server->RunMachineLink(); }
