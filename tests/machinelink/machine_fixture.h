// A machine record on 127.0.0.2 with a driven clock, a recording sender and a recording main
// window, and helpers to build the datagrams a machine sends.
#pragma once

#include "machinelink/machine_messages.h"
#include "machinelink/net_machine.h"
#include "platform/byte_order.h"
#include "support/fake_clock.h"
#include "support/recording_datagram_sender.h"
#include "support/recording_message_target.h"

#include <arpa/inet.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace corvane_test {

using Bytes = std::vector<uint8_t>;

// Little-endian datagram builder: starts with a four-letter kind, grows as fields are set.
class Datagram {
public:
    explicit Datagram(const char* kind, size_t size = 4) : bytes_(size < 4 ? 4 : size, 0)
    {
        for (int i = 0; i < 4; ++i) bytes_[static_cast<size_t>(i)] = static_cast<uint8_t>(kind[i]);
    }
    Datagram& U8(size_t at, uint8_t v)
    {
        Fit(at + 1);
        bytes_[at] = v;
        return *this;
    }
    Datagram& U16(size_t at, uint16_t v)
    {
        Fit(at + 2);
        StoreLE16(bytes_.data() + at, v);
        return *this;
    }
    Datagram& U32(size_t at, uint32_t v)
    {
        Fit(at + 4);
        StoreLE32(bytes_.data() + at, v);
        return *this;
    }
    Datagram& F32(size_t at, float v)
    {
        Fit(at + 4);
        StoreLEFloat(bytes_.data() + at, v);
        return *this;
    }
    // Cuts or pads the datagram to n bytes.
    Datagram& Size(size_t n)
    {
        bytes_.resize(n < 4 ? 4 : n, 0);
        return *this;
    }
    const Bytes& bytes() const { return bytes_; }

private:
    void Fit(size_t n)
    {
        if (bytes_.size() < n) bytes_.resize(n, 0);
    }
    Bytes bytes_;
};

// A "QGJQ" request of the given sequence and kind, padded to size bytes.
inline Datagram Request(uint8_t sequence, uint8_t kind, size_t size = 36)
{
    Datagram d("QGJQ", size);
    d.U8(4, sequence).U8(5, kind);
    return d;
}

// An answer to a request: 'Q', 1, its sequence, on port 41207.
inline Bytes Answer(uint8_t sequence) { return {'Q', 1, sequence}; }

inline Bytes TextBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

class MachineTest : public ::testing::Test {
protected:
    static constexpr uint8_t kMac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0xFE};
    static constexpr uint8_t kId[12] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x00, 0x10, 0xA0, 0xFF};

    MachineTest() : machine(std::make_unique<NET_Machine>(inet_addr("127.0.0.2"), kMac, kId)) {}

    // Hands the machine a datagram held in a buffer of exactly its size, so that a read past
    // its end is caught by the address sanitizer.
    void Receive(const Bytes& bytes)
    {
        auto exact = std::make_unique<uint8_t[]>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), exact.get());
        machine->ProcMcuMsg(sender, exact.get(), static_cast<int>(bytes.size()));
    }
    void Receive(const Datagram& d) { Receive(d.bytes()); }
    // A user-interface command: code then payload.
    void Command(uint8_t code, const Bytes& payload)
    {
        Bytes message{code};
        message.insert(message.end(), payload.begin(), payload.end());
        auto exact = std::make_unique<uint8_t[]>(message.size());
        std::copy(message.begin(), message.end(), exact.get());
        machine->ProcPCMsg(sender, exact.get(), static_cast<int>(message.size()));
    }
    // Messages posted to the main window with this message number.
    std::vector<PostedMessage> Posted(UINT message)
    {
        std::vector<PostedMessage> out;
        for (const PostedMessage& m : window.Drain()) {
            if (m.message == message) out.push_back(m);
        }
        return out;
    }
    // The pack header 'Q', sequence, type followed by payload.
    static Bytes Pack(uint8_t sequence, uint8_t type, const Bytes& payload)
    {
        Bytes b{'Q', sequence, type};
        b.insert(b.end(), payload.begin(), payload.end());
        return b;
    }
    static Bytes Pack(uint8_t sequence, uint8_t type, const std::string& text) { return Pack(sequence, type, TextBytes(text)); }

    FakeClock clock;
    RecordingMessageTarget window;
    RecordingDatagramSender sender;
    std::unique_ptr<NET_Machine> machine;
};

}  // namespace corvane_test
