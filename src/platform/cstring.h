// CString (UTF-16) and CStringA (8-bit): the framework's text values over std::basic_string.
//
// Both are CStringT<Ch>. Text of the other width converts through the ANSI code page, as the
// framework's does. Format is type-safe and writes numbers in the C locale. Case changes and
// case-blind comparisons act on ASCII letters only, so they never depend on the locale.
#pragma once

#include "platform/invalid_arg_exception.h"
#include "platform/string_format.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace cstring_detail {
// Width conversions through the ANSI code page, and to and from UTF-8.
std::u16string Convert(std::string_view ansi);
std::string Convert(std::u16string_view wide);
std::string ToUtf8(std::u16string_view wide);
std::string ToUtf8(std::string_view ansi);
void FromUtf8(std::string_view utf8, std::u16string& out);
void FromUtf8(std::string_view utf8, std::string& out);
}  // namespace cstring_detail

template <class Ch>
class CStringT {
public:
    using XCHAR = Ch;
    using OtherChar = std::conditional_t<std::is_same_v<Ch, char>, char16_t, char>;
    using StringType = std::basic_string<Ch>;

    CStringT() = default;
    CStringT(const Ch* text) : s_(text ? text : StringType()) {}
    CStringT(const Ch* text, int length) : s_(text && length > 0 ? StringType(text, static_cast<size_t>(length)) : StringType()) {}
    explicit CStringT(Ch ch, int repeat = 1) : s_(repeat > 0 ? static_cast<size_t>(repeat) : 0, ch) {}
    CStringT(StringType text) : s_(std::move(text)) {}
    CStringT(std::basic_string_view<Ch> text) : s_(text) {}
    // Text of the other width, converted through the ANSI code page.
    CStringT(const OtherChar* text)
        : s_(text ? cstring_detail::Convert(std::basic_string_view<OtherChar>(text)) : StringType())
    {
    }
    CStringT(const CStringT<OtherChar>& other) : s_(cstring_detail::Convert(std::basic_string_view<OtherChar>(other.str()))) {}

    int GetLength() const { return static_cast<int>(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }
    const Ch* GetString() const { return s_.c_str(); }
    operator const Ch*() const { return s_.c_str(); }
    const StringType& str() const { return s_; }
    StringType& str() { return s_; }

    Ch GetAt(int i) const
    {
        if (i < 0 || i >= GetLength()) throw CInvalidArgException();
        return s_[static_cast<size_t>(i)];
    }
    void SetAt(int i, Ch ch)
    {
        if (i < 0 || i >= GetLength()) throw CInvalidArgException();
        s_[static_cast<size_t>(i)] = ch;
    }
    Ch operator[](int i) const { return GetAt(i); }

    CStringT& operator=(const Ch* text) { s_ = text ? text : StringType(); return *this; }
    CStringT& operator=(Ch ch) { s_.assign(1, ch); return *this; }
    CStringT& operator+=(const CStringT& t) { s_ += t.s_; return *this; }
    CStringT& operator+=(const Ch* t) { if (t) s_ += t; return *this; }
    CStringT& operator+=(Ch ch) { s_ += ch; return *this; }
    void Append(const Ch* t, int length) { if (t && length > 0) s_.append(t, static_cast<size_t>(length)); }
    void AppendChar(Ch ch) { s_ += ch; }

    friend CStringT operator+(const CStringT& a, const CStringT& b) { return CStringT(a.s_ + b.s_); }
    friend CStringT operator+(const CStringT& a, const Ch* b) { CStringT r(a); r += b; return r; }
    friend CStringT operator+(const Ch* a, const CStringT& b) { CStringT r(a); r += b; return r; }
    friend CStringT operator+(const CStringT& a, Ch b) { CStringT r(a); r += b; return r; }
    friend CStringT operator+(Ch a, const CStringT& b) { CStringT r(a); r += b; return r; }

    friend bool operator==(const CStringT& a, const CStringT& b) { return a.s_ == b.s_; }
    friend bool operator==(const CStringT& a, const Ch* b) { return a.s_ == (b ? b : StringType()); }
    friend bool operator<(const CStringT& a, const CStringT& b) { return a.s_ < b.s_; }

    // Compares as the framework's Compare: negative, 0 or positive.
    int Compare(const Ch* other) const { return s_.compare(other ? other : StringType()); }
    int CompareNoCase(const Ch* other) const;

    CStringT Left(int count) const { return CStringT(s_.substr(0, Clamp(count))); }
    CStringT Right(int count) const
    {
        size_t n = Clamp(count);
        return CStringT(s_.substr(s_.size() - n));
    }
    CStringT Mid(int first) const { return Mid(first, GetLength()); }
    CStringT Mid(int first, int count) const
    {
        size_t start = Clamp(first);
        return CStringT(s_.substr(start, static_cast<size_t>(count > 0 ? count : 0)));
    }

    int Find(Ch ch, int start = 0) const { return Found(s_.find(ch, Clamp(start))); }
    int Find(const Ch* sub, int start = 0) const
    {
        if (!sub || start < 0 || start > GetLength()) return -1;
        return Found(s_.find(sub, static_cast<size_t>(start)));
    }
    int ReverseFind(Ch ch) const { return Found(s_.rfind(ch)); }
    int FindOneOf(const Ch* set) const { return set ? Found(s_.find_first_of(set)) : -1; }

    CStringT& MakeUpper();
    CStringT& MakeLower();
    CStringT& MakeReverse() { s_.assign(s_.rbegin(), s_.rend()); return *this; }
    CStringT& Trim() { return TrimRight().TrimLeft(); }
    CStringT& TrimLeft();
    CStringT& TrimRight();
    CStringT& TrimLeft(Ch ch) { s_.erase(0, s_.find_first_not_of(ch)); return *this; }
    CStringT& TrimRight(Ch ch) { s_.erase(s_.find_last_not_of(ch) + 1); return *this; }
    CStringT& TrimLeft(const Ch* set) { if (set) s_.erase(0, s_.find_first_not_of(set)); return *this; }
    CStringT& TrimRight(const Ch* set) { if (set) s_.erase(s_.find_last_not_of(set) + 1); return *this; }

    // Replaces every occurrence and returns how many there were.
    int Replace(Ch from, Ch to);
    int Replace(const Ch* from, const Ch* to);
    int Remove(Ch ch);
    // Inserts at index i (clamped to the text) and returns the new length.
    int Insert(int i, Ch ch) { s_.insert(Clamp(i), 1, ch); return GetLength(); }
    int Insert(int i, const Ch* t) { if (t) s_.insert(Clamp(i), t); return GetLength(); }
    // Deletes count characters at index i and returns the new length.
    int Delete(int i, int count = 1)
    {
        if (i >= 0 && i < GetLength() && count > 0) s_.erase(static_cast<size_t>(i), static_cast<size_t>(count));
        return GetLength();
    }

    // Gives a writable buffer of at least minLength characters; ReleaseBuffer ends the edit,
    // taking the text up to its first terminator when newLength is -1.
    Ch* GetBuffer(int minLength = 0)
    {
        if (minLength > GetLength()) s_.resize(static_cast<size_t>(minLength));
        return s_.data();
    }
    void ReleaseBuffer(int newLength = -1)
    {
        if (newLength < 0) {
            size_t end = s_.find(Ch(0));
            if (end != StringType::npos) s_.resize(end);
        } else if (static_cast<size_t>(newLength) <= s_.size()) {
            s_.resize(static_cast<size_t>(newLength));
        }
    }

    template <class... Args>
    void Format(const Ch* fmt, const Args&... args)
    {
        s_ = Formatted(fmt, args...);
    }
    template <class... Args>
    void AppendFormat(const Ch* fmt, const Args&... args)
    {
        s_ += Formatted(fmt, args...);
    }

    // UTF-8 text for file names and Qt, and back.
    std::string ToUtf8() const { return cstring_detail::ToUtf8(std::basic_string_view<Ch>(s_)); }
    static CStringT FromUtf8(std::string_view utf8)
    {
        CStringT r;
        cstring_detail::FromUtf8(utf8, r.s_);
        return r;
    }

private:
    template <class... Args>
    static StringType Formatted(const Ch* fmt, const Args&... args)
    {
        std::array<platform_format::FormatArg, sizeof...(Args)> packed{platform_format::MakeArg(args)...};
        return platform_format::Format(std::basic_string_view<Ch>(fmt ? fmt : StringType().c_str()),
                                       std::span<const platform_format::FormatArg>(packed.data(), packed.size()));
    }
    size_t Clamp(int i) const
    {
        if (i < 0) return 0;
        return static_cast<size_t>(i) > s_.size() ? s_.size() : static_cast<size_t>(i);
    }
    static int Found(size_t pos) { return pos == StringType::npos ? -1 : static_cast<int>(pos); }

    StringType s_;
};

using CString = CStringT<char16_t>;
using CStringA = CStringT<char>;

extern template class CStringT<char>;
extern template class CStringT<char16_t>;
