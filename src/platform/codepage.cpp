// Code-page conversions over glibc iconv, one cached descriptor per thread and direction.
#include "platform/codepage.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <map>
#include <string>
#include <utility>

namespace {

std::atomic<UINT> g_ansiCodePage{936};

const char* IconvName(UINT codePage)
{
    if (codePage == CP_ACP) codePage = g_ansiCodePage.load();
    switch (codePage) {
    case 936: return "CP936";
    case 950: return "CP950";
    case CP_UTF8: return "UTF-8";
    case 1252: return "CP1252";
    case 437: return "CP437";
    default: return nullptr;
    }
}

// Per-thread cache of open descriptors keyed by (from, to).
class IconvCache {
public:
    ~IconvCache()
    {
        for (auto& entry : open_) iconv_close(entry.second);
    }
    iconv_t Get(const char* from, const char* to)
    {
        auto key = std::make_pair(std::string(from), std::string(to));
        auto it = open_.find(key);
        if (it != open_.end()) {
            iconv(it->second, nullptr, nullptr, nullptr, nullptr);  // reset shift state
            return it->second;
        }
        iconv_t cd = iconv_open(to, from);
        if (cd == reinterpret_cast<iconv_t>(-1)) return cd;
        open_.emplace(std::move(key), cd);
        return cd;
    }

private:
    std::map<std::pair<std::string, std::string>, iconv_t> open_;
};

iconv_t Descriptor(const char* from, const char* to)
{
    thread_local IconvCache cache;
    return cache.Get(from, to);
}

// Runs iconv over the whole input; whenever it stops at an undefined sequence, appends the
// replacement and skips `skip(input, left)` bytes.
template <class Skip>
bool Convert(iconv_t cd, const char* in, size_t inBytes, std::string& out, const std::string& replacement,
             bool* replaced, Skip skip)
{
    out.clear();
    char buffer[1024];
    char* input = const_cast<char*>(in);
    size_t left = inBytes;
    while (left > 0) {
        char* output = buffer;
        size_t room = sizeof buffer;
        size_t rc = iconv(cd, &input, &left, &output, &room);
        out.append(buffer, static_cast<size_t>(output - buffer));
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (errno != EILSEQ && errno != EINVAL) return false;
        out += replacement;
        if (replaced) *replaced = true;
        size_t n = skip(input, left);
        input += n;
        left -= n;
    }
    char* output = buffer;
    size_t room = sizeof buffer;
    iconv(cd, nullptr, nullptr, &output, &room);  // flush any shift state
    out.append(buffer, static_cast<size_t>(output - buffer));
    return true;
}

}  // namespace

void SetAnsiCodePage(UINT codePage) { g_ansiCodePage.store(codePage); }

UINT GetACP() { return g_ansiCodePage.load(); }

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcBytes, char16_t* dst,
                        int dstChars)
{
    (void)flags;
    const char* name = IconvName(codePage);
    if (!src || !name || dstChars < 0) return 0;
    size_t inBytes = srcBytes < 0 ? std::strlen(src) + 1 : static_cast<size_t>(srcBytes);
    if (inBytes == 0) return 0;
    iconv_t cd = Descriptor(name, "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
    std::string utf16;
    const std::string question("\x3f\x00", 2);
    // An undefined lead byte is skipped alone, so the bytes after it are read afresh.
    if (!Convert(cd, src, inBytes, utf16, question, nullptr, [](const char*, size_t) { return size_t{1}; }))
        return 0;
    int needed = static_cast<int>(utf16.size() / 2);
    if (!dst || dstChars == 0) return needed;
    if (needed > dstChars) return 0;
    for (int i = 0; i < needed; ++i) {
        unsigned lo = static_cast<unsigned char>(utf16[2 * i]);
        unsigned hi = static_cast<unsigned char>(utf16[2 * i + 1]);
        dst[i] = static_cast<char16_t>(lo | (hi << 8));
    }
    return needed;
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* src, int srcChars, char* dst,
                        int dstBytes, const char* defaultChar, BOOL* usedDefault)
{
    (void)flags;
    if (usedDefault) *usedDefault = FALSE;
    const char* name = IconvName(codePage);
    if (!src || !name || dstBytes < 0) return 0;
    size_t units = 0;
    if (srcChars < 0) {
        while (src[units] != 0) ++units;
        ++units;
    } else {
        units = static_cast<size_t>(srcChars);
    }
    if (units == 0) return 0;
    std::string utf16(units * 2, '\0');
    for (size_t i = 0; i < units; ++i) {
        utf16[2 * i] = static_cast<char>(src[i] & 0xFF);
        utf16[2 * i + 1] = static_cast<char>(src[i] >> 8);
    }
    iconv_t cd = Descriptor("UTF-16LE", name);
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
    std::string out;
    bool replaced = false;
    std::string replacement = defaultChar ? std::string(defaultChar) : std::string("?");
    // A character the page lacks is skipped whole: a surrogate pair is one character.
    auto skip = [](const char* in, size_t left) -> size_t {
        if (left >= 4) {
            unsigned first = static_cast<unsigned char>(in[0]) | (static_cast<unsigned char>(in[1]) << 8);
            unsigned second = static_cast<unsigned char>(in[2]) | (static_cast<unsigned char>(in[3]) << 8);
            if (first >= 0xD800 && first < 0xDC00 && second >= 0xDC00 && second < 0xE000) return 4;
        }
        return left >= 2 ? 2 : left;
    };
    if (!Convert(cd, utf16.data(), utf16.size(), out, replacement, &replaced, skip)) return 0;
    if (usedDefault) *usedDefault = replaced ? TRUE : FALSE;
    int needed = static_cast<int>(out.size());
    if (!dst || dstBytes == 0) return needed;
    if (needed > dstBytes) return 0;
    std::memcpy(dst, out.data(), out.size());
    return needed;
}
