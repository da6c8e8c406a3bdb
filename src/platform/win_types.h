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
