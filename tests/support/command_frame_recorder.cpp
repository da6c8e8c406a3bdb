// A link manager with open link sockets and no link thread, read by the test.
#include "support/command_frame_recorder.h"

#include <poll.h>
#include <sys/socket.h>

namespace corvane_test {
namespace {

// The key of the sentinel frame: no machine has the address 0.0.0.0.
constexpr uint32_t kSentinelKey = 0;
constexpr uint8_t kSentinelCode = 0xFF;
// A posted frame is on the socket long before this.
constexpr int kFrameWaitMs = 5000;

}  // namespace

CommandFrameRecorder::CommandFrameRecorder() { opened_ = OpenLinkSockets() == kLinkOpened; }

std::vector<RecordedCommandFrame> CommandFrameRecorder::Take()
{
    std::vector<RecordedCommandFrame> frames;
    if (!opened_ || PostMachineCommand(kSentinelKey, kSentinelCode, nullptr, 0) < 0) return frames;
    uint8_t bytes[kLinkDatagramBytes];
    for (;;) {
        pollfd wait{GetLanSocket(), POLLIN, 0};
        if (poll(&wait, 1, kFrameWaitMs) <= 0) break;
        const ssize_t length = recv(GetLanSocket(), bytes, sizeof bytes, 0);
        if (length < MachineCommandFrame::kHeaderBytes) continue;
        RecordedCommandFrame frame;
        frame.key = MachineCommandFrame::KeyOf(bytes);
        frame.code = bytes[4];
        if (frame.key == kSentinelKey && frame.code == kSentinelCode) break;
        frame.payload.assign(bytes + MachineCommandFrame::kHeaderBytes, bytes + length);
        frames.push_back(std::move(frame));
    }
    return frames;
}

std::vector<uint8_t> CommandFrameRecorder::TakeCodes()
{
    std::vector<uint8_t> codes;
    for (const RecordedCommandFrame& frame : Take()) codes.push_back(frame.code);
    return codes;
}

}  // namespace corvane_test
