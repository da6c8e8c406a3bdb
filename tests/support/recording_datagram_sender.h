// A datagram sender for tests: it records every datagram the machine link hands it and sends
// nothing.
#pragma once

#include "machinelink/datagram_sender.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvane_test {

struct SentDatagram {
    in_addr address{};
    uint16_t port = 0;  // host order
    std::vector<uint8_t> bytes;

    // The bytes as text, for packs that carry command text.
    std::string Text() const { return std::string(bytes.begin(), bytes.end()); }
};

class RecordingDatagramSender : public DatagramSender {
public:
    void SendTo(in_addr address, uint16_t port, const uint8_t* data, size_t length) override
    {
        sent_.push_back({address, port, std::vector<uint8_t>(data, data + length)});
    }

    // Takes every datagram recorded since the last call, oldest first.
    std::vector<SentDatagram> Take()
    {
        std::vector<SentDatagram> out;
        out.swap(sent_);
        return out;
    }
    const std::vector<SentDatagram>& Sent() const { return sent_; }

private:
    std::vector<SentDatagram> sent_;
};

}  // namespace corvane_test
