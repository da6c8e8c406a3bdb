// Fixed-width names for the Windows scalar types that the library's signatures carry.
#pragma once

#include <cstdint>

// Windows `long` is 32-bit; so are BOOL, LONG and DWORD here, whatever the host's `long` is.
using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// The header of a bitmap as GetBitmap reports it (the Windows layout: rows of bmWidthBytes,
// top row first).
struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;       // pixels
    LONG bmHeight = 0;      // pixels
    LONG bmWidthBytes = 0;  // bytes per row, a multiple of 2
    WORD bmPlanes = 0;
    WORD bmBitsPixel = 0;
    void* bmBits = nullptr;
};
