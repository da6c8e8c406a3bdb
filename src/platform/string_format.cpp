// printf-style formatting in the C locale over tagged arguments.
#include "platform/string_format.h"

#include "platform/codepage.h"

#include <clocale>
#include <cstdio>
#include <locale.h>
#include <string>

namespace platform_format {
namespace {

// Runs snprintf with the C locale in force on this thread only.
template <class... A>
std::string CFormat(const char* pattern, A... values)
{
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    locale_t previous = uselocale(cLocale);
    char small[128];
    int n = std::snprintf(small, sizeof small, pattern, values...);
    std::string out;
    if (n >= 0 && static_cast<size_t>(n) < sizeof small) {
        out.assign(small, static_cast<size_t>(n));
    } else if (n >= 0) {
        out.resize(static_cast<size_t>(n) + 1);
        std::snprintf(out.data(), out.size(), pattern, values...);
        out.resize(static_cast<size_t>(n));
    }
    uselocale(previous);
    return out;
}

std::u16string Widen(std::string_view s)
{
    // The formatter writes ASCII for numbers; other 8-bit text is taken as the ANSI page.
    bool ascii = true;
    for (char c : s) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::u16string(s.begin(), s.end());
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(n > 0 ? n : 0), u'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string Narrow(std::u16string_view s)
{
    bool ascii = true;
    for (char16_t c : s) ascii = ascii && c < 0x80;
    if (ascii) return std::string(s.begin(), s.end());
    int n = WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

template <class Ch>
std::basic_string<Ch> FromAscii(const std::string& s)
{
    return std::basic_string<Ch>(s.begin(), s.end());
}

template <class Ch>
std::basic_string<Ch> TextOf(const FormatArg& a)
{
    if constexpr (std::is_same_v<Ch, char>) {
        return a.kind == FormatArg::Kind::Text8 ? std::string(a.text8) : Narrow(a.text16);
    } else {
        return a.kind == FormatArg::Kind::Text16 ? std::u16string(a.text16) : Widen(a.text8);
    }
}

// Pads text to width with spaces, on the right when leftAlign is set.
template <class Ch>
void AppendPadded(std::basic_string<Ch>& out, const std::basic_string<Ch>& text, int width, bool leftAlign)
{
    int pad = width - static_cast<int>(text.size());
    if (pad > 0 && !leftAlign) out.append(static_cast<size_t>(pad), Ch(' '));
    out += text;
    if (pad > 0 && leftAlign) out.append(static_cast<size_t>(pad), Ch(' '));
}

int64_t AsSigned(const FormatArg& a)
{
    switch (a.kind) {
    case FormatArg::Kind::Signed: return a.i;
    case FormatArg::Kind::Unsigned: return static_cast<int64_t>(a.u);
    case FormatArg::Kind::Double: return static_cast<int64_t>(a.d);
    default: return 0;
    }
}

// An unsigned conversion of a negative int of b bits wraps at b bits, as C's would.
uint64_t AsUnsigned(const FormatArg& a)
{
    switch (a.kind) {
    case FormatArg::Kind::Signed:
        if (a.bits < 64) return static_cast<uint64_t>(a.i) & ((uint64_t{1} << a.bits) - 1);
        return static_cast<uint64_t>(a.i);
    case FormatArg::Kind::Unsigned: return a.u;
    case FormatArg::Kind::Double: return static_cast<uint64_t>(static_cast<int64_t>(a.d));
    default: return 0;
    }
}

double AsDouble(const FormatArg& a)
{
    switch (a.kind) {
    case FormatArg::Kind::Signed: return static_cast<double>(a.i);
    case FormatArg::Kind::Unsigned: return static_cast<double>(a.u);
    case FormatArg::Kind::Double: return a.d;
    default: return 0.0;
    }
}

template <class Ch>
std::basic_string<Ch> FormatAny(std::basic_string_view<Ch> fmt, std::span<const FormatArg> args)
{
    std::basic_string<Ch> out;
    out.reserve(fmt.size() + 16);
    size_t next = 0;
    auto take = [&]() -> const FormatArg* { return next < args.size() ? &args[next++] : nullptr; };

    for (size_t i = 0; i < fmt.size(); ++i) {
        Ch c = fmt[i];
        if (c != Ch('%')) {
            out += c;
            continue;
        }
        if (i + 1 < fmt.size() && fmt[i + 1] == Ch('%')) {
            out += Ch('%');
            ++i;
            continue;
        }
        // Parse %[flags][width][.precision][length]conversion into an ASCII printf pattern.
        size_t j = i + 1;
        std::string flags;
        while (j < fmt.size() && (fmt[j] == Ch('-') || fmt[j] == Ch('+') || fmt[j] == Ch(' ') ||
                                  fmt[j] == Ch('#') || fmt[j] == Ch('0'))) {
            flags += static_cast<char>(fmt[j]);
            ++j;
        }
        int width = -1;
        if (j < fmt.size() && fmt[j] == Ch('*')) {
            const FormatArg* w = take();
            width = w ? static_cast<int>(AsSigned(*w)) : -1;
            if (width < 0 && width != -1) {
                flags += '-';
                width = -width;
            }
            ++j;
        } else {
            while (j < fmt.size() && fmt[j] >= Ch('0') && fmt[j] <= Ch('9')) {
                width = (width < 0 ? 0 : width) * 10 + static_cast<int>(fmt[j] - Ch('0'));
                if (width > 100000) width = 100000;
                ++j;
            }
        }
        int precision = -1;
        if (j < fmt.size() && fmt[j] == Ch('.')) {
            ++j;
            precision = 0;
            if (j < fmt.size() && fmt[j] == Ch('*')) {
                const FormatArg* p = take();
                precision = p ? static_cast<int>(AsSigned(*p)) : -1;
                ++j;
            } else {
                while (j < fmt.size() && fmt[j] >= Ch('0') && fmt[j] <= Ch('9')) {
                    precision = precision * 10 + static_cast<int>(fmt[j] - Ch('0'));
                    if (precision > 100000) precision = 100000;
                    ++j;
                }
            }
        }
        // Length modifiers (h, l, ll, L, z, j, t, I64) say nothing here: the argument knows its type.
        while (j < fmt.size() && (fmt[j] == Ch('h') || fmt[j] == Ch('l') || fmt[j] == Ch('L') ||
                                  fmt[j] == Ch('z') || fmt[j] == Ch('j') || fmt[j] == Ch('t') ||
                                  fmt[j] == Ch('q'))) {
            ++j;
        }
        if (j + 2 < fmt.size() && fmt[j] == Ch('I') && fmt[j + 1] == Ch('6') && fmt[j + 2] == Ch('4')) j += 3;
        if (j >= fmt.size()) {
            out.append(fmt.substr(i));
            break;
        }
        char conv = fmt[j] < 0x80 ? static_cast<char>(fmt[j]) : '?';
        std::string pattern = "%" + flags;
        if (width >= 0) pattern += std::to_string(width);
        if (precision >= 0) pattern += "." + std::to_string(precision);
        bool leftAlign = flags.find('-') != std::string::npos;

        switch (conv) {
        case 'd':
        case 'i': {
            const FormatArg* a = take();
            if (a) out += FromAscii<Ch>(CFormat((pattern + "lld").c_str(), static_cast<long long>(AsSigned(*a))));
            break;
        }
        case 'u':
        case 'x':
        case 'X':
        case 'o': {
            const FormatArg* a = take();
            if (a) {
                std::string s = pattern + "ll" + conv;
                out += FromAscii<Ch>(CFormat(s.c_str(), static_cast<unsigned long long>(AsUnsigned(*a))));
            }
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A': {
            const FormatArg* a = take();
            if (a) out += FromAscii<Ch>(CFormat((pattern + conv).c_str(), AsDouble(*a)));
            break;
        }
        case 'c':
        case 'C': {
            const FormatArg* a = take();
            if (a) {
                std::basic_string<Ch> one(1, static_cast<Ch>(AsUnsigned(*a)));
                AppendPadded(out, one, width, leftAlign);
            }
            break;
        }
        case 's':
        case 'S': {
            const FormatArg* a = take();
            if (a) {
                std::basic_string<Ch> text;
                if (a->kind == FormatArg::Kind::Text8 || a->kind == FormatArg::Kind::Text16) text = TextOf<Ch>(*a);
                if (precision >= 0 && static_cast<size_t>(precision) < text.size()) text.resize(static_cast<size_t>(precision));
                AppendPadded(out, text, width, leftAlign);
            }
            break;
        }
        case 'p': {
            const FormatArg* a = take();
            if (a) out += FromAscii<Ch>(CFormat("%p", a->p));
            break;
        }
        default:
            // Not a conversion: keep the text as written.
            out.append(fmt.substr(i, j - i + 1));
            break;
        }
        i = j;
    }
    return out;
}

}  // namespace

std::string Format(std::string_view fmt, std::span<const FormatArg> args) { return FormatAny<char>(fmt, args); }

std::u16string Format(std::u16string_view fmt, std::span<const FormatArg> args)
{
    return FormatAny<char16_t>(fmt, args);
}

}  // namespace platform_format
