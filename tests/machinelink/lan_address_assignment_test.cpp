// Free-address choice for the machines a search found, by network size.
#include "machinelink/lan_address_assignment.h"

#include <arpa/inet.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

CArray<HostInfo> Hosts(int count, const char* address = "192.168.1.100")
{
    CArray<HostInfo> hosts;
    for (int i = 0; i < count; ++i) {
        HostInfo host;
        host.id[0] = static_cast<uint8_t>('a' + i);
        host.currentAddress = host.newAddress = inet_addr(address);
        hosts.Add(host);
    }
    return hosts;
}

std::vector<std::string> NewAddresses(const CArray<HostInfo>& hosts)
{
    std::vector<std::string> out;
    for (int i = 0; i < hosts.GetSize(); ++i) {
        in_addr a{};
        a.s_addr = hosts[i].newAddress;
        out.emplace_back(inet_ntoa(a));
    }
    return out;
}

// Candidates in the set are taken: known machines, answering hosts, unprobed addresses.
AddressTakenTest TakenSet(std::set<std::string> dotted)
{
    return [dotted](uint32_t address) {
        in_addr a{};
        a.s_addr = address;
        return dotted.count(inet_ntoa(a)) > 0;
    };
}

TEST(AddressAssignment, SkipsKnownAndAnsweringAddressesInArrayOrder)
{
    CArray<HostInfo> hosts = Hosts(3);
    std::vector<std::string> asked;
    auto taken = TakenSet({"192.168.1.253", "192.168.1.252"});
    const int assigned = AssignFreeAddresses(inet_addr("192.168.1.5"), inet_addr("255.255.255.0"), hosts,
                                             [&](uint32_t address) {
                                                 in_addr a{};
                                                 a.s_addr = address;
                                                 asked.emplace_back(inet_ntoa(a));
                                                 return taken(address);
                                             });
    EXPECT_EQ(assigned, 3);
    EXPECT_EQ(NewAddresses(hosts), (std::vector<std::string>{"192.168.1.251", "192.168.1.250", "192.168.1.249"}));
    EXPECT_EQ(asked, (std::vector<std::string>{"192.168.1.253", "192.168.1.252", "192.168.1.251", "192.168.1.250",
                                               "192.168.1.249"}));
}

// Host parts count in host order, from (NOT mask) - 2 down while above 2; masks longer than /24
// and shorter than /24 alike end.
TEST(AddressAssignment, FollowsTheHostPartOfEveryMaskLength)
{
    const struct {
        const char* address;
        const char* mask;
        int hosts;
        std::vector<std::string> expected;  // new addresses; the others keep 192.168.1.100
    } cases[] = {
        {"10.1.7.9", "255.255.0.0", 2, {"10.1.255.253", "10.1.255.252"}},
        {"192.168.1.130", "255.255.255.128", 2, {"192.168.1.253", "192.168.1.252"}},
        {"192.168.1.5", "255.255.255.128", 1, {"192.168.1.125"}},
        {"192.168.1.20", "255.255.255.240", 2, {"192.168.1.29", "192.168.1.28"}},
        {"192.168.1.20", "255.255.255.248", 4, {"192.168.1.21", "192.168.1.20", "192.168.1.19", "192.168.1.100"}},
        {"192.168.1.21", "255.255.255.252", 1, {"192.168.1.100"}},
        {"192.168.1.21", "255.255.255.254", 1, {"192.168.1.100"}},
        {"192.168.1.21", "255.255.255.255", 1, {"192.168.1.100"}},
    };
    for (const auto& c : cases) {
        CArray<HostInfo> hosts = Hosts(c.hosts);
        const int assigned = AssignFreeAddresses(inet_addr(c.address), inet_addr(c.mask), hosts, TakenSet({}));
        EXPECT_EQ(NewAddresses(hosts), c.expected) << c.address << "/" << c.mask;
        int expectedAssigned = 0;
        for (const auto& a : c.expected) expectedAssigned += a != "192.168.1.100";
        EXPECT_EQ(assigned, expectedAssigned) << c.address << "/" << c.mask;
    }
}

TEST(AddressAssignment, HostsKeepTheirAddressesWhenEveryCandidateIsTaken)
{
    CArray<HostInfo> hosts = Hosts(2);
    int asked = 0;
    EXPECT_EQ(AssignFreeAddresses(inet_addr("192.168.1.20"), inet_addr("255.255.255.240"), hosts,
                                  [&](uint32_t) { return ++asked > 0; }),
              0);
    EXPECT_EQ(asked, 11);  // .29 down to .19
    EXPECT_EQ(NewAddresses(hosts), (std::vector<std::string>{"192.168.1.100", "192.168.1.100"}));
}

}  // namespace
