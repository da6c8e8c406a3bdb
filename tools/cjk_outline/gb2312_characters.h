// The characters of GB2312 and their other codes, through glibc's iconv.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace cjk_outline {

struct Gb2312Character {
    uint16_t code = 0;      // lead byte * 256 + trail byte, 0xA1A1..0xF7FE
    char32_t unicode = 0;
};

// The first and last lead byte of GB2312 and of its Chinese characters (Hanzi).
constexpr uint8_t Gb2312FirstLead = 0xA1;
constexpr uint8_t Gb2312LastLead = 0xF7;
constexpr uint8_t Gb2312FirstHanziLead = 0xB0;

// Every code GB2312 defines, in ascending order; empty when iconv lacks GB2312.
std::vector<Gb2312Character> Gb2312Characters();
// The double-byte code page 950 code of a character, or nothing when the page lacks it (or
// holds it in one byte).
std::optional<uint16_t> CodePage950Code(char32_t unicode);

}  // namespace cjk_outline
