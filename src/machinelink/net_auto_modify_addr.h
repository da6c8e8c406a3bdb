// LAN search for machines on UDP port 41208 and the change of their IPv4 addresses.
//
// A search broadcasts "QGJr" twice and collects the 29-byte "QGJADR" replies; an address change
// sends one 26-byte "QGJs" datagram per machine. The multi-byte fields of both datagrams are
// copied as their bytes stand (no byte-order conversion): a machine reports its network word,
// half-word and address and gets them back unchanged, and an address held here is the 32-bit
// value the socket calls use (network order).
#pragma once

#include "platform/carray.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The UDP port machines answer LAN search on.
inline constexpr uint16_t kLanSearchPort = 41208;

// Datagram sizes on the LAN search port.
inline constexpr size_t kSearchRequestBytes = 4;
inline constexpr size_t kSearchReplyBytes = 29;
inline constexpr size_t kAddressChangeBytes = 26;

// One machine found by a search.
struct HostInfo {
    std::array<uint8_t, 12> id{};   // the machine's ID
    uint32_t networkWord = 0;       // as reported by the machine
    uint16_t networkHalfWord = 0;   // as reported by the machine
    uint32_t currentAddress = 0;    // the machine's address as reported (network order)
    uint32_t newNetworkWord = 0;    // sent back unchanged
    uint16_t newNetworkHalfWord = 0;
    uint32_t newAddress = 0;        // the address to assign (network order)
};

// The search block a worker thread hands to SearchMach and ChangeAddr.
struct SEARCH_INFO {
    uint16_t port = 0;     // destination UDP port, network order
    uint32_t address = 0;  // destination address (a subnet broadcast address), network order
    int32_t result = 0;    // set by the operations
    CArray<HostInfo> hosts;
};

// The search request "QGJr".
std::array<uint8_t, kSearchRequestBytes> EncodeSearchRequest();
// Reads a search reply: exactly 29 bytes starting "QGJADR", else nothing. The new fields start
// as copies of the reported ones.
std::optional<HostInfo> ParseSearchReply(const uint8_t* data, size_t size);
// Builds the address change for one host: "QGJs", ID, new network word, half-word and address.
std::array<uint8_t, kAddressChangeBytes> EncodeAddressChange(const HostInfo& host);

class NET_AutoModifyAddr {
public:
    // Status results of SearchMach and ChangeAddr.
    static constexpr int32_t kFound = 1;
    static constexpr int32_t kChanged = 0;
    static constexpr int32_t kFailed = -1;

    // How long a search pass waits for the next valid reply, and at most for all of them.
    static constexpr int kReplyWaitMs = 800;
    static constexpr int kPassLimitMs = 8000;

    // Searches the destination of info (a SEARCH_INFO*) in two passes, merging the replies into
    // its hosts by ID; result 1 when a host is known afterwards, else -1.
    static void SearchMach(void* info);
    // Sends each host of info (a SEARCH_INFO*) its address change in array order, 5 ms apart;
    // result 0, or -1 when no socket could be made.
    static void ChangeAddr(void* info);
    // Returns the index of the host in info with host's ID, or -1.
    static int FindHostWithSameID(const HostInfo& host, const SEARCH_INFO* info);
};
