// Helpers of the window and start-up tests: loopback addresses and datagrams.
#pragma once

#include <cstdint>
#include <vector>

namespace corvane_test {

// 127.0.0.octet in network byte order.
uint32_t LoopbackKey(uint8_t octet);
// Stores 127.0.0.octet as both discovery addresses of the settings store, which the start-up
// reads; false when the store refused.
bool StoreLoopbackDiscovery(uint8_t octet);
// Sends one datagram from a fresh socket to 127.0.0.1:port; true when it was sent.
bool SendLoopbackDatagram(const std::vector<uint8_t>& bytes, uint16_t port);

}  // namespace corvane_test
