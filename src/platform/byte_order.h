// Little-endian reading and writing of the multi-byte fields of machine datagrams and files.
//
// Every field that crosses a socket or a file goes through these helpers, field by field:
// 16- and 32-bit integers and IEEE-754 single floats, least significant byte first. The
// Store/Load functions work on a buffer whose size the caller has already made sure of;
// ByteReader checks every read against the bytes that actually arrived, and ByteWriter
// appends to a growing byte vector.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

inline void StoreLE16(uint8_t* out, uint16_t v)
{
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLE32(uint8_t* out, uint32_t v)
{
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
    out[2] = static_cast<uint8_t>(v >> 16);
    out[3] = static_cast<uint8_t>(v >> 24);
}
inline void StoreLEFloat(uint8_t* out, float v) { StoreLE32(out, std::bit_cast<uint32_t>(v)); }

inline uint16_t LoadLE16(const uint8_t* in) { return static_cast<uint16_t>(in[0] | (in[1] << 8)); }
inline uint32_t LoadLE32(const uint8_t* in)
{
    return static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) |
           (static_cast<uint32_t>(in[2]) << 16) | (static_cast<uint32_t>(in[3]) << 24);
}
inline float LoadLEFloat(const uint8_t* in) { return std::bit_cast<float>(LoadLE32(in)); }

// A read-only view of received bytes; a field that does not lie wholly inside them reads as
// empty, so a short datagram can never be read past its end.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(size ? data : nullptr), size_(data ? size : 0) {}

    size_t Size() const { return size_; }
    // True when n bytes starting at offset lie inside the view.
    bool Has(size_t offset, size_t n) const { return offset <= size_ && n <= size_ - offset; }

    std::optional<uint8_t> U8At(size_t offset) const
    {
        if (!Has(offset, 1)) return std::nullopt;
        return data_[offset];
    }
    std::optional<int8_t> I8At(size_t offset) const
    {
        auto v = U8At(offset);
        if (!v) return std::nullopt;
        return static_cast<int8_t>(*v);
    }
    std::optional<uint16_t> U16At(size_t offset) const
    {
        if (!Has(offset, 2)) return std::nullopt;
        return LoadLE16(data_ + offset);
    }
    std::optional<int16_t> I16At(size_t offset) const
    {
        auto v = U16At(offset);
        if (!v) return std::nullopt;
        return static_cast<int16_t>(*v);
    }
    std::optional<uint32_t> U32At(size_t offset) const
    {
        if (!Has(offset, 4)) return std::nullopt;
        return LoadLE32(data_ + offset);
    }
    std::optional<int32_t> I32At(size_t offset) const
    {
        auto v = U32At(offset);
        if (!v) return std::nullopt;
        return static_cast<int32_t>(*v);
    }
    std::optional<float> FloatAt(size_t offset) const
    {
        auto v = U32At(offset);
        if (!v) return std::nullopt;
        return std::bit_cast<float>(*v);
    }

private:
    const uint8_t* data_;
    size_t size_;
};

// Builds a record field by field, little-endian, at the end of a byte vector.
class ByteWriter {
public:
    void PutU8(uint8_t v) { bytes_.push_back(v); }
    void PutU16(uint16_t v) { Put(v, 2); }
    void PutI16(int16_t v) { Put(static_cast<uint16_t>(v), 2); }
    void PutU32(uint32_t v) { Put(v, 4); }
    void PutI32(int32_t v) { Put(static_cast<uint32_t>(v), 4); }
    void PutFloat(float v) { Put(std::bit_cast<uint32_t>(v), 4); }
    void PutBytes(const uint8_t* data, size_t n)
    {
        if (data && n) bytes_.insert(bytes_.end(), data, data + n);
    }

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    const uint8_t* Data() const { return bytes_.data(); }
    size_t Size() const { return bytes_.size(); }

private:
    void Put(uint32_t v, int n)
    {
        for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }

    std::vector<uint8_t> bytes_;
};
