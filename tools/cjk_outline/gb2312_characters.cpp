// Walking every double-byte code of GB2312 through iconv.
#include "cjk_outline/gb2312_characters.h"

#include <iconv.h>

#include <array>
#include <cstring>

namespace cjk_outline {
namespace {

// One iconv conversion descriptor, closed on leaving.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (Ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // Converts in whole into out; the number of bytes written, or -1 when in does not convert.
    int Convert(const char* in, size_t inBytes, char* out, size_t outBytes)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        char* dst = out;
        size_t left = outBytes;
        if (iconv(cd_, &src, &inBytes, &dst, &left) == static_cast<size_t>(-1) || inBytes != 0) return -1;
        return static_cast<int>(outBytes - left);
    }

private:
    iconv_t cd_;
};

}  // namespace

std::vector<Gb2312Character> Gb2312Characters()
{
    std::vector<Gb2312Character> out;
    Converter toUnicode("UTF-32LE", "GB2312");
    if (!toUnicode.Ok()) return out;
    for (int lead = Gb2312FirstLead; lead <= Gb2312LastLead; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            std::array<unsigned char, 8> u{};
            if (toUnicode.Convert(in, 2, reinterpret_cast<char*>(u.data()), u.size()) != 4) continue;
            char32_t c = u[0] | u[1] << 8 | u[2] << 16 | static_cast<char32_t>(u[3]) << 24;
            out.push_back({static_cast<uint16_t>(lead << 8 | trail), c});
        }
    }
    return out;
}

std::optional<uint16_t> CodePage950Code(char32_t unicode)
{
    static thread_local Converter fromUnicode("CP950", "UTF-32LE");
    if (!fromUnicode.Ok()) return std::nullopt;
    const unsigned char in[4] = {static_cast<unsigned char>(unicode), static_cast<unsigned char>(unicode >> 8),
                                 static_cast<unsigned char>(unicode >> 16), static_cast<unsigned char>(unicode >> 24)};
    std::array<unsigned char, 8> out{};
    if (fromUnicode.Convert(reinterpret_cast<const char*>(in), 4, reinterpret_cast<char*>(out.data()), out.size()) != 2)
        return std::nullopt;
    if (out[0] < 0x81) return std::nullopt;
    return static_cast<uint16_t>(out[0] << 8 | out[1]);
}

}  // namespace cjk_outline
