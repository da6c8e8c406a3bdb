// Conversions of floating coordinates and wide sums to the 32-bit integers of boxes and points.
#pragma once

#include <cstdint>

// Truncates toward zero, held within 32 bits (NaN and values below the range give INT32_MIN),
// so that a wild coordinate never becomes an undefined conversion.
inline int32_t TruncateToInt32(double v)
{
    if (!(v > -2147483648.0)) return INT32_MIN;
    if (v >= 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(v);
}

// v held within 32 bits.
inline int32_t SaturateToInt32(int64_t v)
{
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}
