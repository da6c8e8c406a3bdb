// A link manager with open link sockets and no link thread: the command frames the GUI
// thread posts stay on its LAN socket, where the test reads them.
#pragma once

#include "app/udp_server.h"

#include <cstdint>
#include <vector>

namespace corvane_test {

// One command frame as posted: machine key, command code and payload.
struct RecordedCommandFrame {
    uint32_t key = 0;
    uint8_t code = 0;
    std::vector<uint8_t> payload;
};

// Hold a LinkPortsLock while one lives: it binds a port of the link range.
class CommandFrameRecorder : public CUDPServer {
public:
    // Opens the link sockets (Opened tells whether they are).
    CommandFrameRecorder();

    bool Opened() const { return opened_; }
    // Posts a sentinel frame and returns every frame read before it, oldest first; so a test
    // that nothing was posted needs no wait.
    std::vector<RecordedCommandFrame> Take();
    // The codes of Take, in order.
    std::vector<uint8_t> TakeCodes();

private:
    bool opened_ = false;
};

}  // namespace corvane_test
