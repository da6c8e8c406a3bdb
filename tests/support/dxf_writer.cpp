// DxfWriter: group records to ASCII and binary DXF bytes.
#include "support/dxf_writer.h"

#include <charconv>
#include <cstring>

namespace corvane_test {

namespace {

template <class T>
void PutLittleEndian(std::string& out, T value)
{
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    // The build hosts are little-endian; bytes go out in memory order.
    out.append(reinterpret_cast<const char*>(bytes), sizeof(T));
}

}  // namespace

DxfWriter::Kind DxfWriter::KindOf(int code)
{
    if (code < 10) return Kind::Text;
    if (code < 60) return Kind::Double;
    if (code < 80) return Kind::Int16;
    if (code >= 90 && code < 100) return Kind::Int32;
    if (code == 100 || code == 102 || code == 105) return Kind::Text;
    if (code >= 110 && code < 150) return Kind::Double;
    if (code >= 160 && code < 170) return Kind::Int64;
    if (code >= 170 && code < 180) return Kind::Int16;
    if (code >= 210 && code < 240) return Kind::Double;
    if (code >= 270 && code < 290) return Kind::Int16;
    if (code >= 290 && code < 300) return Kind::Bool;
    if (code >= 370 && code < 390) return Kind::Int16;
    if (code >= 400 && code < 410) return Kind::Int16;
    if (code >= 420 && code < 460) return Kind::Int32;
    if (code >= 460 && code < 470) return Kind::Double;
    if (code >= 1010 && code < 1060) return Kind::Double;
    if (code >= 1060 && code < 1071) return Kind::Int16;
    if (code == 1071) return Kind::Int32;
    return Kind::Text;
}

DxfWriter& DxfWriter::Text(int code, const std::string& value)
{
    records_.push_back({code, value, 0.0});
    return *this;
}

DxfWriter& DxfWriter::Number(int code, double value)
{
    records_.push_back({code, std::string(), value});
    return *this;
}

std::string DxfWriter::Ascii() const
{
    std::string out;
    for (const Record& r : records_) {
        out += std::to_string(r.code) + "\n";
        switch (KindOf(r.code)) {
        case Kind::Text: out += r.text.empty() ? std::string() : r.text; break;
        case Kind::Double: {
            char buf[40];
            auto res = std::to_chars(buf, buf + sizeof(buf), r.number, std::chars_format::general, 17);
            out.append(buf, res.ptr);
            break;
        }
        default: out += std::to_string(static_cast<long long>(r.number)); break;
        }
        out += "\n";
    }
    return out;
}

std::string DxfWriter::Binary() const
{
    std::string out("AutoCAD Binary DXF\r\n\x1a", 21);
    out += '\0';
    for (const Record& r : records_) {
        PutLittleEndian(out, static_cast<uint16_t>(r.code));
        switch (KindOf(r.code)) {
        case Kind::Text: out += r.text; out += '\0'; break;
        case Kind::Double: PutLittleEndian(out, r.number); break;
        case Kind::Int16: PutLittleEndian(out, static_cast<int16_t>(r.number)); break;
        case Kind::Int32: PutLittleEndian(out, static_cast<int32_t>(r.number)); break;
        case Kind::Int64: PutLittleEndian(out, static_cast<int64_t>(r.number)); break;
        case Kind::Bool: out += static_cast<char>(r.number != 0.0); break;
        }
    }
    return out;
}

}  // namespace corvane_test
