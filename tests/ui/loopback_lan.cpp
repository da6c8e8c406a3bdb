// LAN tools on loopback: scripted interfaces and pings over the real search and change.
#include "loopback_lan.h"

#include "machinelink/my_ping.h"

#include <arpa/inet.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace corvane_test {

_INTERFACE_INFO LoopbackInterface(const char* address, const char* mask)
{
    _INTERFACE_INFO info;
    info.iiAddress = inet_addr(address);
    info.iiNetmask = inet_addr(mask);
    return info;
}

int LoopbackLanBackend::GetInterfaceList(_INTERFACE_INFO* out)
{
    for (size_t i = 0; i < interfaces_.size(); ++i) out[i] = interfaces_[i];
    return static_cast<int>(interfaces_.size());
}

int LoopbackLanBackend::Ping(unsigned, uint32_t address) { return address == answering_ ? kPingReplied : kPingNoReply; }

std::vector<std::unique_ptr<SimulatedMachine>> StartLanMachines(std::initializer_list<uint8_t> octets)
{
    std::vector<std::unique_ptr<SimulatedMachine>> machines;
    for (uint8_t octet : octets) {
        SimulatedMachineOptions options;
        options.hostOctet = octet;
        options.id.back() = octet;
        options.lan.onLoopbackBroadcast = true;
        options.lifetimeMs = 30000;
        machines.push_back(std::make_unique<SimulatedMachine>(options));
        std::string error;
        EXPECT_TRUE(machines.back()->StartLan(&error)) << error;
    }
    return machines;
}

std::optional<uint32_t> WaitForNewAddress(SimulatedMachine& machine)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!machine.Lan().NewAddress() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return machine.Lan().NewAddress();
}

}  // namespace corvane_test
