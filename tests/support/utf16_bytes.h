// UTF-16LE bytes of a text, as messages and files of the system carry it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane_test {

inline std::vector<uint8_t> Utf16Bytes(const std::u16string& text)
{
    std::vector<uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

}  // namespace corvane_test
