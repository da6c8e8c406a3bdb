// Number reading in the C locale: from_chars on the common path, strtod_l for range errors.
#include "platform/number_parse.h"

#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Returns the C locale object, made once for the process.
locale_t CLocale()
{
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

}  // namespace

double CLocaleAtof(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // A second sign is no number ("+-5" reads as 0, as atof does).
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) return 0.0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    double value = 0.0;
    auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // strtod_l sets overflow to HUGE_VAL and underflow to 0 as atof does; it needs a
        // terminated copy of the number.
        std::string copy(first, last);
        value = strtod_l(copy.c_str(), nullptr, CLocale());
    } else if (ec != std::errc()) {
        return 0.0;
    }
    (void)end;
    return negative ? -value : value;
}

namespace {
// The ASCII start of UTF-16 text, up to its first character outside ASCII.
std::string AsciiPrefix(std::u16string_view text)
{
    std::string ascii;
    ascii.reserve(text.size());
    for (char16_t c : text) {
        if (c == 0 || c > 0x7F) break;
        ascii += static_cast<char>(c);
    }
    return ascii;
}
}  // namespace

double CLocaleAtof(std::u16string_view text) { return CLocaleAtof(std::string_view(AsciiPrefix(text))); }

int32_t CLocaleAtoi(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit) value = kLimit;  // saturated: further digits cannot bring it back
    }
    if (negative) return static_cast<int32_t>(-value);
    return value > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                       : static_cast<int32_t>(value);
}

int32_t CLocaleAtoi(std::u16string_view text) { return CLocaleAtoi(std::string_view(AsciiPrefix(text))); }

float CLocaleAtofFloat(std::string_view text) { return NarrowToFloat(CLocaleAtof(text)); }

float NarrowToFloat(double value)
{
    if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
    if (value > FLT_MAX) return std::numeric_limits<float>::infinity();
    if (value < -FLT_MAX) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}
