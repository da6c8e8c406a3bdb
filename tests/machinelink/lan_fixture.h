// Simulated machines answering LAN search on loopback, under the host-wide link-ports lock.
#pragma once

#include "machinelink/net_auto_modify_addr.h"
#include "support/link_ports_lock.h"
#include "support/simulated_machine.h"

#include <arpa/inet.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace corvane_test {

class LanMachinesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(lock_.Held()) << "the link ports stayed taken"; }

    // Starts a machine on 127.0.0.hostOctet answering LAN search with lan; its ID ends in tag.
    SimulatedMachine& AddMachine(uint8_t hostOctet, SimLanOptions lan = {}, char tag = '1')
    {
        SimulatedMachineOptions options;
        options.hostOctet = hostOctet;
        options.id.back() = static_cast<uint8_t>(tag);
        options.lan = std::move(lan);
        options.lifetimeMs = 30000;
        machines_.push_back(std::make_unique<SimulatedMachine>(options));
        std::string error;
        EXPECT_TRUE(machines_.back()->StartLan(&error)) << error;
        return *machines_.back();
    }

    // A search block aimed at address:41208.
    static SEARCH_INFO SearchOf(uint32_t address)
    {
        SEARCH_INFO info;
        info.port = htons(kLanSearchPort);
        info.address = address;
        return info;
    }

private:
    LinkPortsLock lock_;
    std::vector<std::unique_ptr<SimulatedMachine>> machines_;
};

}  // namespace corvane_test
