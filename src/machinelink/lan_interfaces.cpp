// Interface list, subnet broadcast addresses and address text conversion over getifaddrs.
#include "machinelink/lan_interfaces.h"

#include "geometry/module_utilities.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <string>
#include <string_view>

namespace {

constexpr size_t kAddressTextBytes = 100;

// The IPv4 address, mask and flags of an up interface's entry, or false for any other entry.
bool UpIpv4Entry(const ifaddrs& entry, uint32_t& address, uint32_t& mask)
{
    if (!(entry.ifa_flags & IFF_UP) || !entry.ifa_addr || entry.ifa_addr->sa_family != AF_INET ||
        !entry.ifa_netmask)
        return false;
    address = reinterpret_cast<const sockaddr_in*>(entry.ifa_addr)->sin_addr.s_addr;
    mask = reinterpret_cast<const sockaddr_in*>(entry.ifa_netmask)->sin_addr.s_addr;
    return true;
}

uint32_t BroadcastOf(uint32_t address, uint32_t mask) { return (address & mask) | ~mask; }

void AppendBroadcast(CString& out, uint32_t address, uint32_t mask)
{
    in_addr broadcast{};
    broadcast.s_addr = BroadcastOf(address, mask);
    out += inet_ntoaW(broadcast);
    out += u'\r';
}

// The run of digits and dots starting at `at` (empty past the end).
std::string DottedRunAt(std::string_view text, size_t at)
{
    std::string run;
    for (size_t i = at; i < text.size() && ((text[i] >= '0' && text[i] <= '9') || text[i] == '.'); ++i)
        run += text[i];
    return run;
}

// Parses a dotted IPv4 address exactly; false for anything else (inet_addr would give all ones).
bool ParseDotted(const std::string& text, uint32_t& address)
{
    in_addr parsed{};
    if (inet_pton(AF_INET, text.c_str(), &parsed) != 1) return false;
    address = parsed.s_addr;
    return true;
}

template <class Visit>
void ForEachUpIpv4(const ifaddrs* chain, Visit visit)
{
    for (const ifaddrs* entry = chain; entry; entry = entry->ifa_next) {
        uint32_t address = 0, mask = 0;
        if (UpIpv4Entry(*entry, address, mask) && !visit(*entry, address, mask)) return;
    }
}

}  // namespace

int InterfacesFromAddrs(const ifaddrs* chain, _INTERFACE_INFO* out)
{
    if (!out) return 0;
    const uint32_t loopback = htonl(INADDR_LOOPBACK);
    int count = 0;
    ForEachUpIpv4(chain, [&](const ifaddrs& entry, uint32_t address, uint32_t mask) {
        if (address == loopback) return true;
        _INTERFACE_INFO& info = out[count++];
        info.iiFlags = entry.ifa_flags;
        info.iiAddress = address;
        info.iiNetmask = mask;
        info.iiBroadcastAddress = (entry.ifa_flags & IFF_BROADCAST) && entry.ifa_broadaddr &&
                                          entry.ifa_broadaddr->sa_family == AF_INET
                                      ? reinterpret_cast<const sockaddr_in*>(entry.ifa_broadaddr)->sin_addr.s_addr
                                      : 0;
        return count < kMaxInterfaces;
    });
    return count;
}

int SubnetBroadcastsFromAddrs(const ifaddrs* chain, CString& out)
{
    int count = 0;
    ForEachUpIpv4(chain, [&](const ifaddrs& entry, uint32_t address, uint32_t mask) {
        if (entry.ifa_flags & IFF_LOOPBACK) return true;
        AppendBroadcast(out, address, mask);
        ++count;
        return true;
    });
    return count;
}

int ParseIpconfigBroadcasts(const CStringA& textString, CString& out)
{
    const std::string_view text(textString.GetString(), static_cast<size_t>(textString.GetLength()));
    constexpr std::string_view kMaskMark = ": 255.";
    int count = 0;
    for (size_t mark = text.find(kMaskMark); mark != std::string_view::npos; mark = text.find(kMaskMark, mark + 1)) {
        const size_t colon = mark == 0 ? std::string_view::npos : text.rfind(':', mark - 1);
        if (colon == std::string_view::npos) break;
        uint32_t address = 0, mask = 0;
        // A line pair whose address or mask is no dotted address is left out: inet_addr would
        // make the limited broadcast 255.255.255.255 of it.
        if (!ParseDotted(DottedRunAt(text, colon + 2), address) || !ParseDotted(DottedRunAt(text, mark + 2), mask))
            continue;
        AppendBroadcast(out, address, mask);
        ++count;
    }
    return count;
}

int GetInterfaceList(_INTERFACE_INFO* out)
{
    ifaddrs* chain = nullptr;
    if (getifaddrs(&chain) != 0) return -1;
    int count = InterfacesFromAddrs(chain, out);
    freeifaddrs(chain);
    return count;
}

int GetSubNet(CString& out)
{
    ifaddrs* chain = nullptr;
    if (getifaddrs(&chain) != 0) return -1;
    out = CString();
    int count = SubnetBroadcastsFromAddrs(chain, out);
    freeifaddrs(chain);
    return count;
}

uint32_t inet_addrW(const char16_t* text)
{
    char narrow[kAddressTextBytes];
    if (!ConverPWCharToPChar(text, narrow, static_cast<int>(sizeof narrow))) return 0;
    return inet_addr(narrow);
}

CString inet_ntoaW(in_addr address)
{
    char dotted[INET_ADDRSTRLEN];
    if (!inet_ntop(AF_INET, &address, dotted, sizeof dotted)) return CString();
    return CString(dotted);
}
