// The host's IPv4 interfaces and subnet broadcast addresses, and wide-text address conversion.
//
// The interface list and the broadcast addresses come from getifaddrs, read through pure
// functions of an ifaddrs chain so that tests hand in a chain of their own. The scan of
// "ipconfig /all" text is kept as a pure function of the text; nothing here runs a command.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

struct ifaddrs;
struct in_addr;

// The most interfaces GetInterfaceList writes (the caller's array holds this many).
inline constexpr int kMaxInterfaces = 5;

// One IPv4 address of an interface; addresses in network order.
struct _INTERFACE_INFO {
    uint32_t iiFlags = 0;             // the interface's IFF_ flags
    uint32_t iiAddress = 0;
    uint32_t iiBroadcastAddress = 0;  // 0 when the interface has none
    uint32_t iiNetmask = 0;
};

// Writes the first kMaxInterfaces IPv4 addresses of up interfaces in chain, leaving out
// 127.0.0.1; returns how many were written.
int InterfacesFromAddrs(const ifaddrs* chain, _INTERFACE_INFO* out);
// Appends the broadcast address (address AND mask) OR NOT mask and "\r" to out for each IPv4
// address of an up interface in chain that is not a loopback; returns how many.
int SubnetBroadcastsFromAddrs(const ifaddrs* chain, CString& out);
// Scans "ipconfig /all" text: for every subnet-mask line (": 255.") the address after the
// previous ":" and the mask give a broadcast address, appended to out with "\r". Returns the
// count; the scan stops where no earlier ":" is left.
int ParseIpconfigBroadcasts(const CStringA& text, CString& out);

// Writes the host's interfaces (out holds kMaxInterfaces entries); -1 when they cannot be read.
int GetInterfaceList(_INTERFACE_INFO* out);
// Sets out to the host's subnet broadcast addresses, each followed by "\r"; returns how many,
// or -1 when the interfaces cannot be read.
int GetSubNet(CString& out);

// Returns inet_addr of text narrowed to the ANSI code page (at most 100 bytes); 0 when the
// conversion fails.
uint32_t inet_addrW(const char16_t* text);
// Returns the dotted form of address.
CString inet_ntoaW(in_addr address);
