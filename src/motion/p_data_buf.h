// P_DataBuf: the growing byte stream of machine data, with the group fetch, the binary
// control codes and the run-length packer of ink-jet raster lines.
//
// Motion text and packed raster are appended at the end; the pump hands the bytes out front
// to back in groups (one group fills one pack). The buffer always keeps one spare byte behind
// the data, so the text can be zero-terminated in place without counting the zero.
//
// Jet packing turns a stream of dots (bits, the most significant bit of each raster byte
// first) into byte codes:
//   0x00..0x7F      seven literal bits, most significant first
//   0x80..0x9F      a run of 1..32 zero bits (byte - 0x7F)
//   0xA0 + 12 bits  a run of 33..4096 zero bits, n - 1 in the low 12 bits of a big-endian word
//   0xB0 + 19 bits  a run of up to 524288 zero bits (3 bytes, big-endian)
//   0xB8 + 27 bits  a longer run of zero bits (4 bytes, big-endian)
//   0xC0..0xDF, 0xE0.., 0xF0.., 0xF8..0xFB   the same four forms for runs of one bits
//   0xFC 0x00       end of the packed block
// The packer keeps a little state (STR_JET_RAR) between calls: a run or up to six literal
// bits that are not written yet, because the next bits decide their code.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

// State of the jet packer between calls; owned by the caller, idle when constructed.
struct STR_JET_RAR {
    static constexpr uint8_t kIdle = 255;
    static constexpr uint8_t kZeroRun = 0;
    static constexpr uint8_t kOneRun = 1;
    static constexpr uint8_t kLiteral = 2;

    uint8_t mode = kIdle;
    uint8_t bits = 0;   // pending literal bits, the newest in the lowest position
    int64_t count = 0;  // bits: length of the pending run, or number of pending literal bits
};

class P_DataBuf {
public:
    P_DataBuf() = default;
    P_DataBuf(const P_DataBuf&) = delete;
    P_DataBuf& operator=(const P_DataBuf&) = delete;
    virtual ~P_DataBuf();

    // Frees the buffer; the stream is empty and owns nothing.
    void Destroy();
    // Empties the stream (count, read position, bit count 0) and keeps the buffer.
    void Initialize();
    // Adopts a malloc'd buffer holding size bytes as the whole stream, unread.
    void SetData(uint8_t* buffer, int32_t size);
    // Makes room for n more bytes (plus the spare byte behind the data).
    void CheckSpace(int32_t n);

    void AppendByte(uint8_t value);
    // Appends n copies of value; n <= 0 appends nothing.
    void AppendByte(uint8_t value, int32_t n);
    void AppendString(const CStringA& text);
    // Appends n bytes of data; n <= 0 or a null data pointer appends nothing.
    void AppendData(int32_t n, const uint8_t* data);
    // Writes a zero byte behind the data without counting it, so the stream reads as C text.
    void TerminateText();

    // Byte i of the stream, or 0 when i is outside it.
    uint8_t GetAt(int32_t i) const;
    // Byte i counted from the end (0 is the last byte), or 0 outside.
    uint8_t GetAtReverse(int32_t i) const;
    int32_t GetLeavingDataNum() const { return count_ - readPos_; }
    uint8_t* GetData() { return data_; }
    const uint8_t* GetData() const { return data_; }
    int32_t GetDataNum() const { return count_; }
    int32_t GetReadPos() const { return readPos_; }
    int32_t GetCapacity() const { return capacity_; }
    // Hands out the next group of at most n unread bytes and moves past them; n becomes the
    // group's size. Null with n = 0 when nothing is left (or n asked for nothing).
    uint8_t* GetNextGroupData(int& n);
    // Takes over other's bytes (the two buffers are exchanged, so other keeps a buffer to
    // reuse); this stream starts unread, other is left empty.
    void MoveDataFrom(P_DataBuf& other);
    // Exchanges the whole buffer state with other.
    void Swap(P_DataBuf& other);

    // Binary control codes of the step stream; 16-bit values are written little-endian.
    void AppendCodeTimerHInit(uint16_t value);
    void AppendCodeTimerLInit(uint16_t value);
    void AppendCodeAuxCtl(uint8_t value);
    void AppendCodeStartDelay(uint16_t value, uint16_t n);
    void AppendCodeDelay(uint16_t value, uint16_t n);
    void AppendCodePWMDuty(int flag, uint8_t value);
    // Appends the shortest code that changes the timer reload value from `from` to `to`.
    void AppendSpeedCtlCode(uint16_t from, uint16_t to);

    // Jet bits accounted since the last Initialize: run lengths, and 7 per literal code.
    int64_t GetBitCount() const { return bitCount_; }
    // Appends one literal code holding the low seven bits of value.
    void Append7Bits(uint8_t value);
    // Appends the run code of n bits of value (0: zeros, otherwise ones); n <= 0 appends
    // nothing.
    void AppendBits(int value, int64_t n);
    // Feeds n equal bits of value through the packer.
    void JetRarBits(STR_JET_RAR& state, int value, int64_t n);
    // Feeds the eight bits of byte through the packer, most significant first.
    void JetRar(STR_JET_RAR& state, uint8_t byte);
    // Feeds the first n bits of byte (n above 7: the whole byte; n <= 0: nothing).
    void JetRar(STR_JET_RAR& state, uint8_t byte, int n);
    // Writes what the packer holds, then tail zero bits and the end code; the packer is idle.
    void JetRarEnd(STR_JET_RAR& state, int64_t tail);

private:
    void Grow(int64_t needed);
    // Starts a pending run of n bits of value.
    static void StartRun(STR_JET_RAR& state, int value, int64_t n);
    // Emits or keeps seven pending bits: a run of 7 when they are all equal, else a literal.
    void SettleSeven(STR_JET_RAR& state, uint8_t bits7);
    // Emits the first seven bits of byte and keeps its last bit pending.
    void SplitByte(STR_JET_RAR& state, uint8_t byte);
    // Feeds a whole byte to a run of runBit: bits of the same value lengthen it, the first
    // other bit ends it and the byte's rest starts what follows.
    void ContinueRun(STR_JET_RAR& state, uint8_t byte, int runBit);

    int64_t bitCount_ = 0;  // bits
    uint8_t* data_ = nullptr;
    int32_t capacity_ = 0;  // bytes allocated
    int32_t count_ = 0;     // bytes written
    int32_t readPos_ = 0;   // bytes handed out by GetNextGroupData
};
