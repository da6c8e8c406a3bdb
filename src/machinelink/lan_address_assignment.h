// Choice of free addresses for the machines a LAN search found.
//
// Method: the interface's address A and mask M are taken into host order; the host part runs
// over n = NOT M. Candidates are (A AND M) OR n for n from (NOT M) - 2 downwards while n > 2,
// shared by the hosts in array order: each host gets the next candidate that isTaken does not
// report as taken, and the walk goes on one below it for the next host. On a /24 network the candidates
// are .253 down to .3; a /30, /31 or /32 network has none. Addresses are network order, as the
// interface list and the hosts hold them.
#pragma once

#include "machinelink/net_auto_modify_addr.h"

#include <cstdint>
#include <functional>

// Tells whether a candidate address (network order) is in use or cannot be probed.
using AddressTakenTest = std::function<bool(uint32_t address)>;

// Sets newAddress of each host in order to the next free candidate of the network of address
// and mask; a host for which none is left keeps its address. Returns how many hosts got one.
int AssignFreeAddresses(uint32_t address, uint32_t mask, CArray<HostInfo>& hosts, const AddressTakenTest& isTaken);
