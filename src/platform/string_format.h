// The type-safe printf-style formatter behind CString::Format and CStringA::Format.
//
// Arguments are captured as tagged values (never passed through C varargs), and numbers
// are always written in the C locale, whatever locale the process runs in.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace platform_format {

struct FormatArg {
    enum class Kind { Signed, Unsigned, Double, Text8, Text16, Pointer };
    Kind kind = Kind::Signed;
    int bits = 32;  // width of an integer argument, so that %u and %x of a negative int wrap as in C
    int64_t i = 0;
    uint64_t u = 0;
    double d = 0.0;
    const void* p = nullptr;
    std::string_view text8;
    std::u16string_view text16;
};

template <class T>
concept HasNarrowText = requires(const T& t) {
    { t.GetString() } -> std::convertible_to<const char*>;
    { t.GetLength() } -> std::convertible_to<int>;
};
template <class T>
concept HasWideText = requires(const T& t) {
    { t.GetString() } -> std::convertible_to<const char16_t*>;
    { t.GetLength() } -> std::convertible_to<int>;
};

template <class T>
FormatArg MakeArg(const T& value)
{
    using U = std::remove_cvref_t<T>;
    FormatArg a;
    if constexpr (std::is_same_v<U, bool>) {
        a.kind = FormatArg::Kind::Signed;
        a.i = value ? 1 : 0;
    } else if constexpr (std::is_same_v<U, char16_t> || std::is_same_v<U, char32_t>) {
        a.kind = FormatArg::Kind::Unsigned;
        a.bits = static_cast<int>(sizeof(U) * 8);
        a.u = static_cast<uint64_t>(value);
    } else if constexpr (std::is_enum_v<U>) {
        a.kind = FormatArg::Kind::Signed;
        a.bits = static_cast<int>(sizeof(U) * 8);
        a.i = static_cast<int64_t>(value);
    } else if constexpr (std::is_integral_v<U> && std::is_signed_v<U>) {
        a.kind = FormatArg::Kind::Signed;
        a.bits = static_cast<int>(sizeof(U) * 8);
        a.i = static_cast<int64_t>(value);
    } else if constexpr (std::is_integral_v<U>) {
        a.kind = FormatArg::Kind::Unsigned;
        a.bits = static_cast<int>(sizeof(U) * 8);
        a.u = static_cast<uint64_t>(value);
    } else if constexpr (std::is_floating_point_v<U>) {
        a.kind = FormatArg::Kind::Double;
        a.d = static_cast<double>(value);
    } else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*>) {
        a.kind = FormatArg::Kind::Text8;
        a.text8 = value ? std::string_view(value) : std::string_view("(null)");
    } else if constexpr (std::is_same_v<U, const char16_t*> || std::is_same_v<U, char16_t*>) {
        a.kind = FormatArg::Kind::Text16;
        a.text16 = value ? std::u16string_view(value) : std::u16string_view(u"(null)");
    } else if constexpr (std::is_array_v<U> && std::is_same_v<std::remove_cv_t<std::remove_extent_t<U>>, char>) {
        a.kind = FormatArg::Kind::Text8;
        a.text8 = std::string_view(value);
    } else if constexpr (std::is_array_v<U> &&
                         std::is_same_v<std::remove_cv_t<std::remove_extent_t<U>>, char16_t>) {
        a.kind = FormatArg::Kind::Text16;
        a.text16 = std::u16string_view(value);
    } else if constexpr (std::is_same_v<U, std::string> || std::is_same_v<U, std::string_view>) {
        a.kind = FormatArg::Kind::Text8;
        a.text8 = value;
    } else if constexpr (std::is_same_v<U, std::u16string> || std::is_same_v<U, std::u16string_view>) {
        a.kind = FormatArg::Kind::Text16;
        a.text16 = value;
    } else if constexpr (HasNarrowText<U>) {
        a.kind = FormatArg::Kind::Text8;
        a.text8 = std::string_view(value.GetString(), static_cast<size_t>(value.GetLength()));
    } else if constexpr (HasWideText<U>) {
        a.kind = FormatArg::Kind::Text16;
        a.text16 = std::u16string_view(value.GetString(), static_cast<size_t>(value.GetLength()));
    } else if constexpr (std::is_pointer_v<U> || std::is_null_pointer_v<U>) {
        a.kind = FormatArg::Kind::Pointer;
        a.p = static_cast<const void*>(value);
    } else {
        static_assert(sizeof(U) == 0, "this type cannot be formatted");
    }
    return a;
}

// Formats fmt with args; a conversion whose argument is missing writes nothing.
std::string Format(std::string_view fmt, std::span<const FormatArg> args);
std::u16string Format(std::u16string_view fmt, std::span<const FormatArg> args);

}  // namespace platform_format
