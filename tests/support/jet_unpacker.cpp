// The jet block reader: the packer's codes walked one by one.
#include "support/jet_unpacker.h"

#include "machinelink/net_machine.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace corvane_test {
namespace {

constexpr uint8_t kEndCode = 0xFC;

// Bytes of the code that starts with b: runs take 1 to 4, literals 1, the end code 2.
size_t CodeBytes(uint8_t b)
{
    if (b <= 0x9F) return 1;
    if (b <= 0xAF) return 2;
    if (b <= 0xB7) return 3;
    if (b <= 0xBF) return 4;
    if (b <= 0xDF) return 1;
    if (b <= 0xEF) return 2;
    if (b <= 0xF7) return 3;
    if (b <= 0xFB) return 4;
    return 2;
}

}  // namespace

std::string UnpackJet(const JetBytes& packed, bool* ended)
{
    std::string bits;
    if (ended) *ended = false;
    size_t i = 0;
    while (i < packed.size()) {
        const uint32_t b = packed[i];
        const size_t n = CodeBytes(packed[i]);
        if (i + n > packed.size()) {
            ADD_FAILURE() << "code cut short at byte " << i;
            break;
        }
        // The run length n - 1 sits in the code's low bits and the bytes after it, big-endian.
        const uint32_t mask = n == 2 ? 0x0F : (n == 3 || b <= 0xBF) ? 0x07 : 0x03;
        uint32_t m = b & mask;
        for (size_t k = 1; k < n; ++k) m = (m << 8) | packed[i + k];
        if (b <= 0x7F) {
            for (int k = 6; k >= 0; --k) bits += (b >> k) & 1 ? '1' : '0';
        } else if (b <= 0x9F) {
            bits.append(b - 0x7F, '0');
        } else if (b <= 0xBF) {
            bits.append(m + 1, '0');
        } else if (b <= 0xDF) {
            bits.append(b - 0xBF, '1');
        } else if (b <= 0xFB) {
            bits.append(m + 1, '1');
        } else {
            EXPECT_EQ(b, kEndCode);
            EXPECT_EQ(packed[i + 1], 0u) << "end code";
            EXPECT_EQ(i + 2, packed.size()) << "bytes after the end code";
            if (ended) *ended = true;
            break;
        }
        i += n;
    }
    return bits;
}

std::vector<JetBytes> SplitJetBlocks(const JetBytes& stream, size_t* used)
{
    std::vector<JetBytes> blocks;
    size_t start = 0, i = 0;
    while (i < stream.size()) {
        const size_t n = CodeBytes(stream[i]);
        if (i + n > stream.size()) break;
        const bool end = stream[i] >= kEndCode;
        i += n;
        if (end) {
            blocks.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(start), stream.begin() + static_cast<std::ptrdiff_t>(i));
            start = i;
        }
    }
    if (used) *used = start;
    return blocks;
}

std::vector<JetBytes> DrainJetBlocks(NET_Machine& machine, int* largestPack)
{
    JetBytes stream;
    uint8_t pack[300];
    int largest = 0;
    for (int n; (n = machine.GetNextStrJet(pack, sizeof pack)) > 0;) {
        largest = std::max(largest, n);
        stream.insert(stream.end(), pack, pack + n);
    }
    if (largestPack) *largestPack = largest;
    size_t used = 0;
    std::vector<JetBytes> blocks = SplitJetBlocks(stream, &used);
    EXPECT_EQ(used, stream.size()) << "the jet data ends with a complete block";
    return blocks;
}

}  // namespace corvane_test
