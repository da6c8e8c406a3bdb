// The machine parameter commands: payloads of codes 11 to 23 copied from a machine's record,
// and what a machine is sent after a configuration file was loaded into it.
//
// Each payload is a little-endian copy of one parameter block of the record, built while the
// caller holds the machine-link lock; CUDPServer::SendMachineParamCommand takes the lock and
// posts it. The link thread sends code c as pack type c - 1 on the machine's command queue.
#pragma once

#include "platform/cstring.h"

#include <cstdint>
#include <vector>

class CUDPServer;
class NET_Machine;

// Codes of the machine parameter commands.
namespace MachineParamCode {
inline constexpr uint8_t kKnifeBlock = 11;    // 14 signed 16-bit knife values
inline constexpr uint8_t kToolOffsets = 12;   // 7 floats of the offsets block
inline constexpr uint8_t kPenTools = 13;      // the SP word: each pen's tool in two bits
inline constexpr uint8_t kSpeedSets = 14;     // three speed sets of 11 floats, each value / 40
inline constexpr uint8_t kWorkFlags = 15;     // speed levels, start-up flags, knife extensions
inline constexpr uint8_t kDepthBlock = 17;    // the Z-axis block
inline constexpr uint8_t kCalibration = 20;   // ideal and real length and width
inline constexpr uint8_t kOtherParams = 23;   // the 200-byte block the machine reports in "PQCE"
}  // namespace MachineParamCode

// The configuration load sends code 20 only to machines of a firmware above this.
inline constexpr int kLoadCalibrationAboveFirmware = 11;

// Builds the payload of code from machine's record; empty for a code outside the table. The
// caller holds the machine-link lock.
std::vector<uint8_t> MachineParamPayload(const NET_Machine& machine, uint8_t code);

// Loads the configuration file at path into machine; when it loaded, stores the machine's
// records in the program's parameter database and sends the machine its parameters in this
// order: 5, 8, 0, 9, 10, 14, 11, 12, 15, 17, 13, 20 (firmware above 11 only), 23. Returns 1
// when the file loaded; 0 when it did not, and then nothing is stored or sent.
int LoadMachineConfiguration(CUDPServer& server, NET_Machine* machine, const CString& path);
