// COLORREF: a colour as the uint32 0x00BBGGRR of the drawing calls, with RGB and its parts.
#pragma once

#include <cstdint>

using COLORREF = uint32_t;

// The result of a colour query that has no pixel to read.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr uint8_t GetRValue(COLORREF c) { return static_cast<uint8_t>(c & 0xFFu); }
constexpr uint8_t GetGValue(COLORREF c) { return static_cast<uint8_t>((c >> 8) & 0xFFu); }
constexpr uint8_t GetBValue(COLORREF c) { return static_cast<uint8_t>((c >> 16) & 0xFFu); }
