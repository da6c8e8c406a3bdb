// A simulated plotter's answers on the LAN search port 41208, for the LAN tool tests.
//
// It binds 127.0.0.N:41208 and, by option, a shared socket (SO_REUSEADDR) at
// 127.255.255.255:41208, so a search sent to the loopback broadcast reaches every machine that
// listens there. A search request "QGJr" is answered from 127.0.0.N with the 29-byte
// "QGJADR" reply (ID, network word and half-word, current address), or with the datagrams its
// script gives for that request. An address change "QGJs" carrying its ID is recorded, and
// later replies report the new address. Everything that arrived is recorded; the responder
// stops by itself after its lifetime.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace corvane_test {

inline constexpr uint16_t kMachineLanSearchPort = 41208;

// What the machine sends in answer to one search request.
struct SimLanReplyScript {
    std::vector<std::vector<uint8_t>> datagrams;  // sent in order, at once
    int repeatEveryMs = 0;  // > 0: sent again every this many ms (real time) ...
    int repeatForMs = 0;    // ... until this long after the request
};

struct SimLanOptions {
    uint32_t networkWord = 0x0A0B0C0D;
    uint16_t networkHalfWord = 0x0E0F;
    bool onLoopbackBroadcast = false;  // also listen on 127.255.255.255:41208
    // Scripts for the first requests, in order; later requests get the plain reply.
    std::vector<SimLanReplyScript> script;
};

class SimulatedLanResponder {
public:
    SimulatedLanResponder(uint32_t addressNetworkOrder, const std::array<uint8_t, 12>& id, SimLanOptions options,
                          int lifetimeMs);
    ~SimulatedLanResponder();
    SimulatedLanResponder(const SimulatedLanResponder&) = delete;
    SimulatedLanResponder& operator=(const SimulatedLanResponder&) = delete;

    // Binds the sockets and starts answering; false with the reason when a bind fails.
    bool Start(std::string* error = nullptr);
    void Stop();

    // The plain reply the machine sends now.
    std::vector<uint8_t> ReplyBytes() const;
    // Every datagram that arrived on either socket, oldest first.
    std::vector<std::vector<uint8_t>> Received() const;
    int SearchRequests() const;
    // The address changes carrying this machine's ID, oldest first.
    std::vector<std::vector<uint8_t>> AddressChanges() const;
    // The address the last change gave (network order), if any.
    std::optional<uint32_t> NewAddress() const;

private:
    struct Outgoing {
        std::chrono::steady_clock::time_point due;
        std::vector<uint8_t> bytes;
        uint32_t toAddress = 0;  // network order
        uint16_t toPort = 0;     // network order
    };

    void Run();
    void Handle(const uint8_t* data, size_t size, uint32_t fromAddress, uint16_t fromPort);
    std::vector<uint8_t> ReplyBytesLocked() const;
    void SendDue();

    const uint32_t address_;
    const std::array<uint8_t, 12> id_;
    const SimLanOptions options_;
    const int lifetimeMs_;
    int unicastSocket_ = -1;
    int broadcastSocket_ = -1;
    std::thread thread_;

    mutable std::mutex lock_;
    bool stop_ = false;
    int requests_ = 0;
    std::optional<uint32_t> newAddress_;
    std::vector<std::vector<uint8_t>> received_;
    std::vector<std::vector<uint8_t>> changes_;
    std::deque<Outgoing> outgoing_;
};

}  // namespace corvane_test
