// ICMP echo probe of one IPv4 address.
//
// A probe opens a raw ICMP socket, or where that is not allowed the unprivileged ICMP datagram
// socket (net.ipv4.ping_group_range), on which the kernel sets the identifier and hands over
// the ICMP message without its IP header (the TTL then comes with IP_RECVTTL). Each attempt
// sends one 48-byte echo request and waits 800 ms for the echo reply: only a type 0 reply from
// the target with the request's identifier and sequence counts; other packets (our own request
// on a raw socket, replies to other probes) are passed over without extending the wait.
#pragma once

#include "platform/cstring.h"
#include "platform/posted_message.h"
#include "platform/tick_clock.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

struct sockaddr_in;

// The message the reporting form posts to its window: wParam a PingReportKind, lParam the text
// (a char16_t* from AllocBuffer that the receiver frees with FreePostedText).
inline constexpr UINT WM_PING_REPORT = 1054;
enum PingReportKind : WPARAM { kPingReportError = 0, kPingReportReply = 2, kPingReportTimeout = 3 };

// Results of Ping.
inline constexpr int kPingReplied = 1;
inline constexpr int kPingNoReply = 0;
// No ICMP socket could be opened: the address was not probed (which is not "no reply").
inline constexpr int kPingNoSocket = -1;

inline constexpr size_t kEchoRequestBytes = 48;
inline constexpr int kEchoWaitMs = 800;

// What an echo reply must match. Identifier and sequence are the 16-bit values of bytes 4-5
// and 6-7 read little-endian, as the request was written.
struct EchoExpectation {
    uint32_t targetAddress = 0;  // network order
    uint16_t identifier = 0;
    uint16_t sequence = 0;
    bool ipHeader = true;  // the packet starts with its IP header (raw socket)
};

struct EchoReply {
    uint32_t echoedTickMs = 0;  // the sender's tick count carried back in bytes 12-15
    int ttl = -1;               // from the IP header; -1 when the packet carries none
};

// Builds the echo request: type 8, code 0, checksum, identifier, sequence, four zero bytes, the
// tick count and the values 32 to 63.
std::array<uint8_t, kEchoRequestBytes> BuildEchoRequest(uint16_t identifier, uint16_t sequence, uint32_t tickMs);
// Checks a received packet from fromAddress (network order) against the request it should
// answer; the reply's fields, or nothing for any other packet or one cut short.
std::optional<EchoReply> CheckEchoReply(const uint8_t* packet, size_t size, uint32_t fromAddress,
                                        const EchoExpectation& expected);

class CMyPing {
public:
    CMyPing() = default;
    ~CMyPing();
    CMyPing(const CMyPing&) = delete;
    CMyPing& operator=(const CMyPing&) = delete;

    // Probes address (network order) with up to count requests: 1 at the first reply, 0 after
    // count attempts without one, -1 without a socket. The limited broadcast 255.255.255.255
    // is never probed (0).
    int Ping(unsigned count, uint32_t address);
    // The same with the address as dotted text; text that is no address probes nothing (0).
    int Ping(unsigned count, const char* dottedAddress);
    // The same with a host name resolved by getaddrinfo, posting each attempt's outcome to
    // window (WM_PING_REPORT): the reply text followed by a 1000 ms pause, "Request Timed Out",
    // or the socket error. A name that does not resolve probes nothing (0).
    int Ping(unsigned count, const char* hostName, CMessageTarget* window);

    // Returns the RFC 1071 Internet checksum of bytes, to be stored little-endian.
    static uint16_t in_cksum(const void* data, int bytes);
    // Copies text with its terminator onto the heap for a posted message.
    static char16_t* AllocBuffer(const CString& text);
    // Frees the AllocBuffer copy in lParam (the PostedRelease of WM_PING_REPORT).
    static void FreePostedText(WPARAM wParam, LPARAM lParam);

    // The text of the last reply: "Reply from: %s: bytes=%d time=%ldms TTL=%d".
    const CString& ReplyText() const { return replyText_; }

private:
    int Probe(unsigned count, uint32_t address, CMessageTarget* window);
    bool OpenSocket();
    void CloseSocket(CMessageTarget* window);
    // Sends one request to address and notes what its reply must match; false when not sent.
    bool SendEchoRequest(uint32_t address);
    // Waits for the socket to become readable until deadlineMs; false when it did not.
    bool WaitForEchoReply(TickMs deadlineMs);
    // Receives one packet; the reply when it answers the last request.
    std::optional<EchoReply> RecvEchoReply();

    int socket_ = -1;
    bool ipHeader_ = true;
    EchoExpectation expected_;
    CString replyText_;
};
