// Locale-independent readers of decimal text: atof and atoi as they behave in the C locale.
#pragma once

#include <cstdint>
#include <string_view>

// Reads the leading number of text as atof does in the C locale: blanks are skipped, then a
// sign, digits, a decimal point, digits and an exponent (or "inf" / "nan"). Text without a
// number gives 0; a value beyond the double range gives an infinity of its sign.
double CLocaleAtof(std::string_view text);

// The same for UTF-16 text; reading stops at the first character outside ASCII.
double CLocaleAtof(std::u16string_view text);

// Reads the leading integer of text as atoi does (blanks, an optional sign, digits), but
// saturates at the int32 limits where atoi would overflow. Text without digits gives 0.
int32_t CLocaleAtoi(std::string_view text);
// The same for UTF-16 text (the _wtol of the framework, saturating); reading stops at the
// first character outside ASCII.
int32_t CLocaleAtoi(std::u16string_view text);

// CLocaleAtof narrowed to a float with NarrowToFloat.
float CLocaleAtofFloat(std::string_view text);

// Narrows a double to float without undefined behaviour: values beyond the float range
// become an infinity of their sign, NaN stays NaN.
float NarrowToFloat(double value);
