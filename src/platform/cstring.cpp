// The out-of-line members of CString and CStringA: conversions and ASCII case rules.
#include "platform/cstring.h"

#include "platform/codepage.h"

namespace {

template <class Ch>
Ch AsciiUpper(Ch c)
{
    return (c >= Ch('a') && c <= Ch('z')) ? static_cast<Ch>(c - Ch('a') + Ch('A')) : c;
}
template <class Ch>
Ch AsciiLower(Ch c)
{
    return (c >= Ch('A') && c <= Ch('Z')) ? static_cast<Ch>(c - Ch('A') + Ch('a')) : c;
}
template <class Ch>
bool IsSpace(Ch c)
{
    return c == Ch(' ') || c == Ch('\t') || c == Ch('\n') || c == Ch('\r') || c == Ch('\v') || c == Ch('\f');
}

std::u16string ToWide(UINT codePage, std::string_view s)
{
    if (s.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(n > 0 ? n : 0), u'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string ToNarrow(UINT codePage, std::u16string_view s)
{
    if (s.empty()) return {};
    int n = WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

namespace cstring_detail {

std::u16string Convert(std::string_view ansi) { return ToWide(CP_ACP, ansi); }
std::string Convert(std::u16string_view wide) { return ToNarrow(CP_ACP, wide); }
std::string ToUtf8(std::u16string_view wide) { return ToNarrow(CP_UTF8, wide); }
std::string ToUtf8(std::string_view ansi) { return ToNarrow(CP_UTF8, ToWide(CP_ACP, ansi)); }
void FromUtf8(std::string_view utf8, std::u16string& out) { out = ToWide(CP_UTF8, utf8); }
void FromUtf8(std::string_view utf8, std::string& out) { out = ToNarrow(CP_ACP, ToWide(CP_UTF8, utf8)); }

}  // namespace cstring_detail

template <class Ch>
int CStringT<Ch>::CompareNoCase(const Ch* other) const
{
    StringType b = other ? other : StringType();
    size_t n = s_.size() < b.size() ? s_.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        auto x = AsciiLower(s_[i]);
        auto y = AsciiLower(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (s_.size() == b.size()) return 0;
    return s_.size() < b.size() ? -1 : 1;
}

template <class Ch>
CStringT<Ch>& CStringT<Ch>::MakeUpper()
{
    for (auto& c : s_) c = AsciiUpper(c);
    return *this;
}

template <class Ch>
CStringT<Ch>& CStringT<Ch>::MakeLower()
{
    for (auto& c : s_) c = AsciiLower(c);
    return *this;
}

template <class Ch>
CStringT<Ch>& CStringT<Ch>::TrimLeft()
{
    size_t i = 0;
    while (i < s_.size() && IsSpace(s_[i])) ++i;
    s_.erase(0, i);
    return *this;
}

template <class Ch>
CStringT<Ch>& CStringT<Ch>::TrimRight()
{
    size_t n = s_.size();
    while (n > 0 && IsSpace(s_[n - 1])) --n;
    s_.resize(n);
    return *this;
}

template <class Ch>
int CStringT<Ch>::Replace(Ch from, Ch to)
{
    int count = 0;
    for (auto& c : s_) {
        if (c == from) {
            c = to;
            ++count;
        }
    }
    return count;
}

template <class Ch>
int CStringT<Ch>::Replace(const Ch* from, const Ch* to)
{
    if (!from || !*from) return 0;
    StringType f(from), t(to ? to : StringType());
    int count = 0;
    size_t pos = 0;
    while ((pos = s_.find(f, pos)) != StringType::npos) {
        s_.replace(pos, f.size(), t);
        pos += t.size();
        ++count;
    }
    return count;
}

template <class Ch>
int CStringT<Ch>::Remove(Ch ch)
{
    size_t before = s_.size();
    std::erase(s_, ch);
    return static_cast<int>(before - s_.size());
}

template class CStringT<char>;
template class CStringT<char16_t>;
