// Dialog field exchange: the text of an edit field to an integer or a finite number within a
// range, and numbers back to text. A field that fails shows the standard message through
// AfxMessageBox and the caller keeps its dialog open.
//
// Integers are whole decimal text (blanks around them allowed, an optional sign). Numbers are
// decimal text with an optional exponent; "nan", "inf" and values beyond the field's type
// (the float range for float fields) are refused, and every range check refuses NaN. Numbers
// are shown in their shortest round-trip form (without an exponent), so a field left
// untouched reads back equal.
#pragma once

#include "platform/cstring.h"

#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>

// A closed range of integers a field accepts.
struct IntegerRange {
    int64_t min = 0;
    int64_t max = 0;
};

// A closed range of numbers a field accepts.
struct NumberRange {
    double min = 0.0;
    double max = 0.0;
};

// The range of an integer type.
template <std::integral T>
constexpr IntegerRange RangeOf()
{
    return IntegerRange{static_cast<int64_t>(std::numeric_limits<T>::min()), static_cast<int64_t>(std::numeric_limits<T>::max())};
}

// The integer of text, when the whole text is one that fits 64 bits; otherwise none.
std::optional<int64_t> ParseIntegerText(const CString& text);
// The number of text, when the whole text is a finite number of double range; otherwise none.
std::optional<double> ParseNumberText(const CString& text);

// True when text is an integer within range (the silent check of a field being left).
bool IsIntegerInRange(const CString& text, IntegerRange range);

// Reads text as an integer within range; shows "Please enter an integer." or the range
// message and returns false when it is not one.
bool ReadIntegerValue(const CString& text, IntegerRange range, int64_t& value);

// Reads text into an integer field of type T, within range (the type's own range unless
// narrower); value is unchanged when it fails.
template <std::integral T>
bool ReadIntegerField(const CString& text, T& value, IntegerRange range = RangeOf<T>())
{
    const IntegerRange type = RangeOf<T>();
    if (range.min < type.min) range.min = type.min;
    if (range.max > type.max) range.max = type.max;
    int64_t read = 0;
    if (!ReadIntegerValue(text, range, read)) return false;
    value = static_cast<T>(read);
    return true;
}

// Reads text as a finite number ("Please enter a number." otherwise).
bool ReadNumberField(const CString& text, double& value);
// The same within range (the range message otherwise).
bool ReadNumberField(const CString& text, double& value, NumberRange range);
// Reads text into a float field: finite and within the float range ("Please enter a number."
// otherwise).
bool ReadNumberField(const CString& text, float& value);
// The same within range.
bool ReadNumberField(const CString& text, float& value, NumberRange range);

// Reads text as a fixed-point value with the given decimals (ParseFixedPoint) into a 16-bit
// field; a value above 65535 units shows the range message (0 to 65.535 for thousandths).
bool ReadFixedPointField(const CString& text, int decimals, uint16_t& value);

// The shortest decimal text without an exponent that reads back as value.
CString FormatNumber(double value);
CString FormatNumber(float value);
// The decimal text of an integer.
CString FormatInteger(int64_t value);
