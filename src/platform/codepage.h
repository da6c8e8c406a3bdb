// Code-page conversions between UTF-16 and 8-bit text, in the form of the Win32 calls.
//
// The "ANSI" code page (CP_ACP) is CP936 (GBK) unless SetAnsiCodePage says otherwise;
// CP950 (Big5) and UTF-8 are also available. Conversions run over glibc iconv.
#pragma once

#include "platform/win_types.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

// Chooses the code page that CP_ACP stands for (936 unless told otherwise).
void SetAnsiCodePage(UINT codePage);
// The code page that CP_ACP stands for.
UINT GetACP();

// Converts 8-bit text of codePage to UTF-16, as the Win32 call of that name does.
// srcBytes < 0 means a terminated text whose terminator is converted too. With dst null or
// dstChars 0 the result is the number of UTF-16 units needed; otherwise the number written,
// or 0 when they do not fit (nothing is written then). A byte sequence that the code page
// does not define becomes U+003F '?'.
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcBytes, char16_t* dst,
                        int dstChars);

// Converts UTF-16 text to 8-bit text of codePage, as the Win32 call of that name does.
// srcChars < 0 means a terminated text whose terminator is converted too. A character the
// code page lacks (or an unpaired surrogate) becomes defaultChar ("?" when null) and sets
// *usedDefault. Sizes and results as MultiByteToWideChar, in bytes.
int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* src, int srcChars, char* dst,
                        int dstBytes, const char* defaultChar, BOOL* usedDefault);
