// Program directory and code-page conversions over the platform layer.
#include "geometry/module_utilities.h"

#include "platform/codepage.h"
#include "platform/program_directory.h"

#include <cstring>
#include <string>

CString GetExeModulePath() { return CString::FromUtf8(ProgramDirectory()); }

void WideCharToMultiChar(const char16_t* text, char* out, int outBytes)
{
    if (!text || !out || outBytes <= 0) return;
    int units = static_cast<int>(std::char_traits<char16_t>::length(text));
    if (units == 0) {
        out[0] = '\0';
        return;
    }
    int needed = WideCharToMultiByte(CP_ACP, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return;
    if (needed <= outBytes) {
        WideCharToMultiByte(CP_ACP, 0, text, units, out, needed, nullptr, nullptr);
        if (needed < outBytes) out[needed] = '\0';
        return;
    }
    // Too long for the buffer: keep the longest prefix of whole characters that fits.
    int written = 0;
    for (int i = 0; i < units;) {
        int step = (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < units) ? 2 : 1;
        char one[8];
        int n = WideCharToMultiByte(CP_ACP, 0, text + i, step, one, sizeof one, nullptr, nullptr);
        if (n <= 0 || written + n > outBytes) break;
        std::memcpy(out + written, one, static_cast<size_t>(n));
        written += n;
        i += step;
    }
    if (written < outBytes) out[written] = '\0';
}

int ConvertCharToLPWSTR(const char* text, char16_t* out, int outChars)
{
    if (!text || !out) return 0;
    int needed = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (needed <= 0 || needed + 1 >= outChars) return 0;
    MultiByteToWideChar(CP_ACP, 0, text, -1, out, needed);
    out[needed] = u'\0';
    return 1;
}

int ConverPWCharToPChar(const char16_t* text, char* out, int outBytes)
{
    if (!text || !out) return 0;
    int units = static_cast<int>(std::char_traits<char16_t>::length(text));
    int needed = units == 0 ? 0 : WideCharToMultiByte(CP_ACP, 0, text, units, nullptr, 0, "|", nullptr);
    if (units > 0 && needed <= 0) return 0;
    if (needed + 1 >= outBytes) return 0;
    if (needed > 0) WideCharToMultiByte(CP_ACP, 0, text, units, out, needed, "|", nullptr);
    out[needed] = '\0';
    return 1;
}
