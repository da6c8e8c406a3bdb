// The library's program-directory lookup and its UTF-16 / ANSI code-page text conversions.
#pragma once

#include "platform/cstring.h"

// The directory of the running program's executable, with its trailing separator.
CString GetExeModulePath();

// Converts text (up to its terminator) to the ANSI code page into out. Whole characters
// that fit are written; a terminator follows when there is room for it.
void WideCharToMultiChar(const char16_t* text, char* out, int outBytes);

// Converts 8-bit ANSI text to UTF-16 with its terminator and stores one more terminator:
// 0 when the converted text with its terminator, plus one, does not fit in outChars.
int ConvertCharToLPWSTR(const char* text, char16_t* out, int outChars);

// Converts UTF-16 text to the ANSI code page, writing "|" for characters the page lacks, and
// terminates it: 0 when the converted text plus one does not fit in outBytes, or on failure.
int ConverPWCharToPChar(const char16_t* text, char* out, int outBytes);
