// Interface list, subnet broadcast addresses, the ipconfig scan and wide address text.
#include "machinelink/lan_interfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace {

// A hand-made getifaddrs chain: entries are appended in order and linked.
class AddrChain {
public:
    AddrChain& Ipv4(const char* name, const char* address, const char* mask, unsigned flags,
                    const char* broadcast = nullptr)
    {
        Entry& e = entries_.emplace_back();
        e.name = name;
        e.address = Sock(address);
        e.mask = Sock(mask);
        if (broadcast) e.broadcast = Sock(broadcast);
        e.ifa.ifa_name = e.name.data();
        e.ifa.ifa_flags = flags;
        e.ifa.ifa_addr = reinterpret_cast<sockaddr*>(&e.address);
        e.ifa.ifa_netmask = reinterpret_cast<sockaddr*>(&e.mask);
        if (broadcast) e.ifa.ifa_broadaddr = reinterpret_cast<sockaddr*>(&e.broadcast);
        return Link();
    }
    // An entry of another family (IPv6, a link-layer entry) or one without an address.
    AddrChain& Other(const char* name, sa_family_t family, unsigned flags)
    {
        Entry& e = entries_.emplace_back();
        e.name = name;
        e.address.sin_family = family;
        e.ifa.ifa_name = e.name.data();
        e.ifa.ifa_flags = flags;
        e.ifa.ifa_addr = family == AF_UNSPEC ? nullptr : reinterpret_cast<sockaddr*>(&e.address);
        return Link();
    }
    const ifaddrs* Head() const { return entries_.empty() ? nullptr : &entries_.front().ifa; }

private:
    struct Entry {
        std::string name;
        sockaddr_in address{}, mask{}, broadcast{};
        ifaddrs ifa{};
    };
    static sockaddr_in Sock(const char* dotted)
    {
        sockaddr_in s{};
        s.sin_family = AF_INET;
        s.sin_addr.s_addr = inet_addr(dotted);
        return s;
    }
    AddrChain& Link()
    {
        for (size_t i = 0; i + 1 < entries_.size(); ++i) entries_[i].ifa.ifa_next = &entries_[i + 1].ifa;
        return *this;
    }
    std::deque<Entry> entries_;  // stable addresses while growing
};

constexpr unsigned kUpLoopback = IFF_UP | IFF_LOOPBACK;
constexpr unsigned kUpBroadcast = IFF_UP | IFF_BROADCAST;

TEST(InterfaceList, OnlyLoopbackGivesNone)
{
    AddrChain chain;
    chain.Ipv4("lo", "127.0.0.1", "255.0.0.0", kUpLoopback).Other("lo", AF_INET6, kUpLoopback);
    _INTERFACE_INFO out[kMaxInterfaces];
    EXPECT_EQ(InterfacesFromAddrs(chain.Head(), out), 0);
    EXPECT_EQ(InterfacesFromAddrs(nullptr, out), 0);
}

TEST(InterfaceList, TakesTheFirstFiveIpv4AddressesOfUpInterfaces)
{
    AddrChain chain;
    chain.Other("eth0", AF_PACKET, kUpBroadcast)
        .Ipv4("lo", "127.0.0.1", "255.0.0.0", kUpLoopback)
        .Ipv4("eth0", "192.168.1.5", "255.255.255.0", kUpBroadcast, "192.168.1.255")
        .Ipv4("eth1", "10.0.0.9", "255.255.0.0", IFF_BROADCAST, "10.0.255.255")  // down
        .Other("eth2", AF_UNSPEC, kUpBroadcast)
        .Ipv4("lo", "127.0.0.30", "255.255.255.255", kUpLoopback)
        .Ipv4("tun0", "10.8.0.2", "255.255.255.255", IFF_UP | IFF_POINTOPOINT);
    for (int i = 0; i < 4; ++i) chain.Ipv4("eth3", ("172.16.0." + std::to_string(i + 1)).c_str(), "255.255.0.0", kUpBroadcast);
    _INTERFACE_INFO out[kMaxInterfaces];
    ASSERT_EQ(InterfacesFromAddrs(chain.Head(), out), 5);
    EXPECT_EQ(out[0].iiAddress, inet_addr("192.168.1.5"));
    EXPECT_EQ(out[0].iiNetmask, inet_addr("255.255.255.0"));
    EXPECT_EQ(out[0].iiBroadcastAddress, inet_addr("192.168.1.255"));
    EXPECT_EQ(out[0].iiFlags, kUpBroadcast);
    EXPECT_EQ(out[1].iiAddress, inet_addr("127.0.0.30"));
    EXPECT_EQ(out[2].iiAddress, inet_addr("10.8.0.2"));
    EXPECT_EQ(out[2].iiBroadcastAddress, 0u);
    EXPECT_EQ(out[3].iiAddress, inet_addr("172.16.0.1"));
    EXPECT_EQ(out[4].iiAddress, inet_addr("172.16.0.2"));
}

TEST(SubnetBroadcasts, OnePerUpNonLoopbackAddressEachEndedByCarriageReturn)
{
    AddrChain chain;
    chain.Ipv4("lo", "127.0.0.1", "255.0.0.0", kUpLoopback)
        .Ipv4("eth0", "192.168.1.5", "255.255.255.0", kUpBroadcast)
        .Ipv4("eth1", "10.1.2.3", "255.255.0.0", IFF_BROADCAST)  // down
        .Ipv4("eth2", "10.1.2.3", "255.255.0.0", kUpBroadcast)
        .Ipv4("eth3", "172.16.5.9", "255.255.255.240", kUpBroadcast);
    CString out(u"kept ");
    EXPECT_EQ(SubnetBroadcastsFromAddrs(chain.Head(), out), 3);
    EXPECT_EQ(out, CString(u"kept 192.168.1.255\r10.1.255.255\r172.16.5.15\r"));
}

TEST(IpconfigScan, AddressAndMaskLinesGiveTheBroadcastAddress)
{
    const CStringA text(
        "Windows IP Configuration\r\n\r\n   Host Name . . . . . . . . . . . . : office\r\n"
        "Ethernet adapter LAN:\r\n"
        "   IPv4 Address. . . . . . . . . . . : 192.168.1.5(Preferred) \r\n"
        "   Subnet Mask . . . . . . . . . . . : 255.255.255.0\r\n"
        "   Default Gateway . . . . . . . . . : 192.168.1.1\r\n"
        "Ethernet adapter Second:\r\n"
        "   IPv4 Address. . . . . . . . . . . : 10.20.30.40(Preferred) \r\n"
        "   Subnet Mask . . . . . . . . . . . : 255.255.0.0\r\n");
    CString out;
    EXPECT_EQ(ParseIpconfigBroadcasts(text, out), 2);
    EXPECT_EQ(out, CString(u"192.168.1.255\r10.20.255.255\r"));
    ASSERT_GE(out.GetLength(), 14);
    EXPECT_EQ(out[13], u'\r');  // character 13
}

TEST(IpconfigScan, StopsWhereNoEarlierColonIsLeftAndSkipsLinesThatAreNoAddress)
{
    CString out;
    EXPECT_EQ(ParseIpconfigBroadcasts(CStringA(": 255.255.255.0\r\n"), out), 0);
    EXPECT_EQ(ParseIpconfigBroadcasts(CStringA("Mask: 255.255.0.0 then : 255.255.255.0"), out), 0);
    EXPECT_EQ(out, CString());
    // An address line that holds no address would make 255.255.255.255: left out, the scan goes on.
    const CStringA text("Address : (none)\r\nMask : 255.255.255.0\r\nAddress : 10.0.0.7\r\nMask : 255.0.0.0\r\n");
    EXPECT_EQ(ParseIpconfigBroadcasts(text, out), 1);
    EXPECT_EQ(out, CString(u"10.255.255.255\r"));
}

TEST(HostInterfaces, NeverListLocalhostAndEndEachBroadcastAddress)
{
    _INTERFACE_INFO out[kMaxInterfaces];
    const int count = GetInterfaceList(out);
    ASSERT_GE(count, 0);
    ASSERT_LE(count, kMaxInterfaces);
    for (int i = 0; i < count; ++i) EXPECT_NE(out[i].iiAddress, htonl(INADDR_LOOPBACK));
    CString broadcasts;
    const int found = GetSubNet(broadcasts);
    ASSERT_GE(found, 0);
    int ends = 0;
    for (int i = 0; i < broadcasts.GetLength(); ++i) ends += broadcasts[i] == u'\r';
    EXPECT_EQ(ends, found);
}

TEST(WideAddressText, ConvertsDottedAddresses)
{
    EXPECT_EQ(inet_addrW(u"127.0.0.2"), 33554559u);
    EXPECT_EQ(inet_addrW(u"abc"), INADDR_NONE);
    EXPECT_EQ(inet_addrW(nullptr), 0u);
    const std::u16string tooLong(100, u'1');
    EXPECT_EQ(inet_addrW(tooLong.c_str()), 0u);
    in_addr a{};
    a.s_addr = inet_addr("192.168.1.255");
    EXPECT_EQ(inet_ntoaW(a), CString(u"192.168.1.255"));
}

}  // namespace
