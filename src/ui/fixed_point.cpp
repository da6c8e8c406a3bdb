// Decimal text of unsigned fixed-point values.
#include "ui/fixed_point.h"

#include <algorithm>
#include <string>

CString FormatFixedPoint(uint32_t value, int n)
{
    n = std::clamp(n, 0, 9);
    std::u16string digits;
    for (char c : std::to_string(value)) digits += static_cast<char16_t>(c);
    const size_t decimals = static_cast<size_t>(n);
    std::u16string text;
    if (digits.size() > decimals) {
        text = digits.substr(0, digits.size() - decimals) + u"." + digits.substr(digits.size() - decimals);
    } else {
        text = u"0." + std::u16string(decimals - digits.size(), u'0') + digits;
    }
    while (!text.empty() && text.back() == u'0') text.pop_back();
    if (!text.empty() && text.back() == u'.') text.pop_back();
    return CString(text);
}

uint64_t ParseFixedPoint(const CString& text, int n)
{
    n = std::clamp(n, 0, kFixedPointMaxDigits);
    uint64_t value = 0;
    int digitsRead = 0;
    int decimalsRead = 0;
    bool afterPoint = false;
    for (char16_t c : text.str()) {
        if (c == u'.' && !afterPoint) {
            afterPoint = true;
            continue;
        }
        if (c < u'0' || c > u'9') break;
        if (afterPoint && decimalsRead == n) break;
        value = value * 10 + static_cast<uint64_t>(c - u'0');
        ++digitsRead;
        if (afterPoint) ++decimalsRead;
        if (digitsRead == kFixedPointMaxDigits) break;
    }
    for (int i = decimalsRead; i < n; ++i) value *= 10;
    return value;
}
