// The LAN tools on loopback for the window tests: the program's backend with the test's
// interfaces and ping answers, and simulated machines on the loopback broadcast.
#pragma once

#include "support/simulated_machine.h"
#include "ui/lan_search_block.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

namespace corvane_test {

// An interface entry of address and mask (dotted texts).
_INTERFACE_INFO LoopbackInterface(const char* address, const char* mask);

// The program's backend with the test's interfaces and ping answers (only answering replies);
// searches and changes really go out, to simulated machines on the loopback broadcast.
class LoopbackLanBackend : public NetworkLanBackend {
public:
    LoopbackLanBackend(CUDPServer& server, std::vector<_INTERFACE_INFO> interfaces, uint32_t answering)
        : NetworkLanBackend(server), interfaces_(std::move(interfaces)), answering_(answering)
    {
    }
    int GetInterfaceList(_INTERFACE_INFO* out) override;
    int Ping(unsigned count, uint32_t address) override;

private:
    std::vector<_INTERFACE_INFO> interfaces_;
    uint32_t answering_;
};

// Starts one machine per octet on 127.0.0.octet, each with the octet as the last byte of its ID,
// answering LAN search also on the loopback broadcast. Fails the test when one cannot start.
std::vector<std::unique_ptr<SimulatedMachine>> StartLanMachines(std::initializer_list<uint8_t> octets);

// Waits (real time, bounded) until machine reports an address change; its new address.
std::optional<uint32_t> WaitForNewAddress(SimulatedMachine& machine);

}  // namespace corvane_test
