// Reading "Config.ini" at start-up, and creating it when it is missing.
#include "app/config_ini.h"

#include "app/config_globals.h"
#include "machinelink/machine_globals.h"
#include "platform/codepage.h"
#include "platform/file_system.h"
#include "platform/number_parse.h"
#include "platform/program_directory.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// The line's text in UTF-16 through the system code page.
CString FromAnsi(const std::string& bytes)
{
    if (bytes.empty()) return CString();
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string wide(static_cast<size_t>(units), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), units);
    return CString(wide);
}

// The lines of the file without their CR LF or LF; a line may be of any length.
std::vector<std::string> SplitLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        std::string line = bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? bytes.size() : end + 1;
        while (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

// ideal / real as a calibration scale; only a finite, nonzero quotient of two nonzero values
// counts ("nan" or "inf" in the file would otherwise become the machines' scale).
bool CalibrationScale(float real, float ideal, float& scale)
{
    if (real == 0.0f || ideal == 0.0f) return false;
    const float q = ideal / real;
    if (!std::isfinite(q) || q == 0.0f) return false;
    scale = q;
    return true;
}

}  // namespace

CString GetConfigIniPath() { return CString::FromUtf8(WritableProgramDirectory() + "Config.ini"); }

int LoadConfigIni(int32_t& language, int32_t& fontLibType)
{
    std::string bytes;
    int error = 0;
    if (!ReadWholeFile(GetConfigIniPath(), bytes, SIZE_MAX, &error)) {
        // Only a missing file is created: one that exists but cannot be read stays as it is.
        if (error == ENOENT) SaveLanguageToConfigIni(language);
        return 0;
    }

    float lReal = 0.0f, lIdeal = 0.0f, wReal = 0.0f, wIdeal = 0.0f;
    for (const std::string& raw : SplitLines(bytes)) {
        const CString line = FromAnsi(raw);
        const int equals = line.Find(u'=');
        if (equals < 0) continue;
        const CString key = line.Left(equals);
        const CString value = line.Mid(equals + 1);
        const std::u16string_view text(value.str());
        auto is = [&key](const char16_t* name) { return key.CompareNoCase(name) == 0; };
        if (is(u"language")) {
            language = CLocaleAtoi(text);
        } else if (is(u"glFontLibType")) {
            fontLibType = CLocaleAtoi(text);
        } else if (is(u"FB_LReal")) {
            lReal = NarrowToFloat(CLocaleAtof(text));
        } else if (is(u"FB_LIdeal")) {
            lIdeal = NarrowToFloat(CLocaleAtof(text));
        } else if (is(u"FB_WReal")) {
            wReal = NarrowToFloat(CLocaleAtof(text));
        } else if (is(u"FB_WIdeal")) {
            wIdeal = NarrowToFloat(CLocaleAtof(text));
        } else if (is(u"FB_REPT_StartNextFile")) {
            FB_REPT_StartNextFile = CLocaleAtoi(text);
        } else if (is(u"WarmUpLine")) {
            WarmUpLine = CLocaleAtoi(text);
            if (WarmUpLine >= 0) SetWarmUpLines(WarmUpLine);
        } else if (is(u"AllPagesHaveWarmupLine")) {
            AllPagesHaveWarmupLine = CLocaleAtoi(text);
        } else if (is(u"FB_bTipWhenHasNextPage")) {
            FB_bTipWhenHasNextPage = CLocaleAtoi(text);
        } else if (is(u"EditSoftPath")) {
            // The text up to the line's last ";"; a line without one gives no path.
            const int end = value.ReverseFind(u';');
            EditSoftPath = end < 0 ? CString() : value.Left(end);
        } else if (is(u"PB_Y_RelSCALE")) {
            // Band positions are divided by it: a value of 0 or less leaves the factor as it was.
            const int32_t factor = CLocaleAtoi(text);
            if (factor > 0) Y_RelSCALE = factor;
        } else if (is(u"AddDirectionLine")) {
            AddDirectionLine = CLocaleAtoi(text);
        } else if (is(u"FB_FeedForLastPage")) {
            FB_FeedForLastPage = CLocaleAtoi(text);
        }
    }
    CalibrationScale(lReal, lIdeal, Fixed_XSCALE);
    CalibrationScale(wReal, wIdeal, Fixed_YSCALE);
    return 1;
}

int SaveLanguageToConfigIni(int32_t language)
{
    CStringA text;
    text.Format("language=%d;\r\n", language);
    return ReplaceFileAtomically(GetConfigIniPath(), text.GetString(), static_cast<size_t>(text.GetLength())) ? 1 : 0;
}
