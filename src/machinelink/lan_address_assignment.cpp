// Free-address choice over the host part of an interface's network.
#include "machinelink/lan_address_assignment.h"

#include <arpa/inet.h>

namespace {

// The lowest host number handed out (numbers up to 2 are left to routers and servers).
constexpr uint32_t kLowestCandidate = 3;
// Numbers below the broadcast left out at the top (the broadcast and the one below it).
constexpr uint32_t kTopReserved = 2;

}  // namespace

// The host part is counted in host order: shifting the network-order mask until it is empty
// never ends for a mask longer than /24 and byte-swaps the hosts of shorter ones.
int AssignFreeAddresses(uint32_t address, uint32_t mask, CArray<HostInfo>& hosts, const AddressTakenTest& isTaken)
{
    const uint32_t hostMask = ~ntohl(mask);
    const uint32_t network = ntohl(address) & ~hostMask;
    if (hostMask < kLowestCandidate + kTopReserved) return 0;
    uint32_t n = hostMask - kTopReserved;
    int assigned = 0;
    for (int i = 0; i < hosts.GetSize() && n >= kLowestCandidate; ++i) {
        for (; n >= kLowestCandidate; --n) {
            const uint32_t candidate = htonl(network | n);
            if (isTaken && isTaken(candidate)) continue;
            hosts[i].newAddress = candidate;
            ++assigned;
            --n;
            break;
        }
    }
    return assigned;
}
