// Reading packed jet data back: the dots of a block, the complete blocks of a stream, and a
// machine's whole jet run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class NET_Machine;

namespace corvane_test {

using JetBytes = std::vector<uint8_t>;

// Unpacks a packed jet block into its dots ('0' and '1'); fails the running test on a
// malformed code or bytes after the end code. ended tells whether the end code came.
std::string UnpackJet(const JetBytes& packed, bool* ended = nullptr);

// The complete blocks at the front of a jet byte stream, each up to and including its end
// code; used (when given) becomes the bytes they take. An unfinished block is left out.
std::vector<JetBytes> SplitJetBlocks(const JetBytes& stream, size_t* used = nullptr);

// Takes every jet pack the machine hands out (GetNextStrJet with packs of 300 bytes) until
// it answers -1, split into blocks; largestPack (when given) becomes the longest pack's bytes.
std::vector<JetBytes> DrainJetBlocks(NET_Machine& machine, int* largestPack = nullptr);

}  // namespace corvane_test
