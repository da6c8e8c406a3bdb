// Dialog field exchange of integers and numbers.
#include "ui/field_values.h"

#include "app/string_table.h"
#include "platform/message_box.h"
#include "ui/fixed_point.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

// The text without surrounding blanks, as ASCII; none when it holds another character.
std::optional<std::string> TrimmedAscii(const CString& text)
{
    std::string ascii;
    for (char16_t c : text.str()) {
        if (c > 0x7F) return std::nullopt;
        ascii += static_cast<char>(c);
    }
    const size_t first = ascii.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const size_t last = ascii.find_last_not_of(" \t\r\n");
    std::string trimmed = ascii.substr(first, last - first + 1);
    // The C readers take a leading '+'; from_chars does not.
    if (trimmed.size() > 1 && trimmed[0] == '+' && trimmed[1] != '-' && trimmed[1] != '+') trimmed.erase(0, 1);
    return trimmed;
}

// Shows a range message with its two bounds.
void ShowRangeMessage(uint32_t message, const CString& low, const CString& high)
{
    CString text = LoadResString(message);
    text.Replace(u"%1", low);
    text.Replace(u"%2", high);
    AfxMessageBox(text);
}

enum class IntegerScan { NotInteger, Integer, BeyondRange };

// Reads the whole text as a decimal integer; digits beyond 64 bits are an integer too, only
// out of every range.
IntegerScan ScanInteger(const CString& text, int64_t& value)
{
    const std::optional<std::string> ascii = TrimmedAscii(text);
    if (!ascii || ascii->empty()) return IntegerScan::NotInteger;
    const char* end = ascii->data() + ascii->size();
    const auto [ptr, error] = std::from_chars(ascii->data(), end, value);
    if (ptr != end) return IntegerScan::NotInteger;
    if (error == std::errc::result_out_of_range) return IntegerScan::BeyondRange;
    return error == std::errc() ? IntegerScan::Integer : IntegerScan::NotInteger;
}

// The shortest decimal text of a number that reads back as it, without an exponent.
template <class T>
CString ShortestText(T value)
{
    char buffer[512];  // room for every double in fixed notation
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return CString(CStringA(buffer, static_cast<int>(result.ptr - buffer)));
}

// Reads the whole text as a finite number of type T; none when it is not one or lies beyond
// T's range.
template <class T>
std::optional<T> ParseFiniteNumber(const CString& text)
{
    const std::optional<std::string> ascii = TrimmedAscii(text);
    if (!ascii || ascii->empty()) return std::nullopt;
    T value = 0;
    const char* end = ascii->data() + ascii->size();
    const auto [ptr, error] = std::from_chars(ascii->data(), end, value);
    if (error != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

bool InNumberRange(double value, NumberRange range) { return value >= range.min && value <= range.max; }

// Reads text as a finite number of type T, within range when one is given; shows the
// field's message and leaves value unchanged when it fails.
template <class T>
bool ReadNumber(const CString& text, T& value, std::optional<NumberRange> range)
{
    const std::optional<T> read = ParseFiniteNumber<T>(text);
    if (!read) {
        AfxMessageBox(LoadResString(StringId::kEnterNumber));
        return false;
    }
    if (range && !InNumberRange(*read, *range)) {
        ShowRangeMessage(StringId::kEnterNumberBetween, FormatNumber(range->min), FormatNumber(range->max));
        return false;
    }
    value = *read;
    return true;
}

}  // namespace

std::optional<int64_t> ParseIntegerText(const CString& text)
{
    int64_t value = 0;
    if (ScanInteger(text, value) != IntegerScan::Integer) return std::nullopt;
    return value;
}

std::optional<double> ParseNumberText(const CString& text) { return ParseFiniteNumber<double>(text); }

bool IsIntegerInRange(const CString& text, IntegerRange range)
{
    const std::optional<int64_t> value = ParseIntegerText(text);
    return value && *value >= range.min && *value <= range.max;
}

bool ReadIntegerValue(const CString& text, IntegerRange range, int64_t& value)
{
    int64_t read = 0;
    const IntegerScan scan = ScanInteger(text, read);
    if (scan == IntegerScan::NotInteger) {
        AfxMessageBox(LoadResString(StringId::kEnterInteger));
        return false;
    }
    if (scan == IntegerScan::BeyondRange || read < range.min || read > range.max) {
        ShowRangeMessage(StringId::kEnterIntegerBetween, FormatInteger(range.min), FormatInteger(range.max));
        return false;
    }
    value = read;
    return true;
}

bool ReadNumberField(const CString& text, double& value) { return ReadNumber(text, value, std::nullopt); }

bool ReadNumberField(const CString& text, double& value, NumberRange range) { return ReadNumber(text, value, range); }

bool ReadNumberField(const CString& text, float& value) { return ReadNumber(text, value, std::nullopt); }

bool ReadNumberField(const CString& text, float& value, NumberRange range) { return ReadNumber(text, value, range); }

bool ReadFixedPointField(const CString& text, int decimals, uint16_t& value)
{
    // The field holds 16 bits: a larger value is refused rather than cut to its low bits.
    const uint64_t read = ParseFixedPoint(text, decimals);
    if (read > UINT16_MAX) {
        ShowRangeMessage(StringId::kEnterNumberBetween, FormatFixedPoint(0, decimals), FormatFixedPoint(UINT16_MAX, decimals));
        return false;
    }
    value = static_cast<uint16_t>(read);
    return true;
}

CString FormatNumber(double value) { return ShortestText(value); }

CString FormatNumber(float value) { return ShortestText(value); }

CString FormatInteger(int64_t value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return CString(CStringA(buffer, static_cast<int>(result.ptr - buffer)));
}
