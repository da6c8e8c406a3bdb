// Decimal text of unsigned fixed-point values with n implied decimals (thousandths for n = 3).
#pragma once

#include "platform/cstring.h"

#include <cstdint>

// The most decimals ParseFixedPoint reads, and the most digits in all.
inline constexpr int kFixedPointMaxDigits = 5;

// Writes value with a point n digits from the right (zero-padded to "0.xxx" when shorter),
// then drops trailing zeros and a trailing point: with n = 3, 1000 gives "1", 50 "0.05".
CString FormatFixedPoint(uint32_t value, int n);

// Reads decimal digits with at most one point and scales them to n implied decimals (n is
// limited to 0..5). Reading stops at the end, at any other character, after five digits in
// all or after n digits behind the point; text without digits gives 0. The result is the
// full value (with n = 3, "70" gives 70000): callers check it against their field's width.
uint64_t ParseFixedPoint(const CString& text, int n);
